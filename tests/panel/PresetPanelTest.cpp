// The preset group on a running exchange: what a loaded file or the factory settings send to the
// unit, what a save writes, the dialogs and messages the operator sees, and where the dialogs
// open next.
#include "PanelFixture.h"

#include "Button.h"
#include "FileDialogRecorder.h"
#include "PopupMenu.h"
#include "PresetFile.h"
#include "ProgramPaths.h"
#include "QtWindowOwner.h"
#include "TestFiles.h"

#include <QAction>

namespace {

// Registers 26..39 as the unit holds them before a load: none at its factory value.
constexpr std::uint8_t UnitOwn[14] = {40, 41, 42, 43, 1, 1, 1, 1, 0, 0, 5, 6, 70, 80};
// The same registers changed on the unit while a command of the panel's is pending.
constexpr std::uint8_t UnitChanged[14] = {44, 45, 46, 47, 0, 1, 0, 1, 2, 1, 3, 4, 75, 85};

class PresetPanelTest : public PanelTest {
protected:
    ~PresetPanelTest() override { PresetDir = savedPresetDir_; }

    // Opens a unit of `variant` holding UnitOwn, shows its first reply, and starts the dialogs in
    // a directory of their own.
    void OpenUnit(int variant, int generation = 1) {
        ASSERT_NO_FATAL_FAILURE(Open(variant, generation));
        for (int i = 0; i < 14; ++i)
            bus->SetRegister(PanelUnitLocation, 26 + i, UnitOwn[i]);
        ASSERT_NO_FATAL_FAILURE(StartAndShow());
        PresetDir = WithTrailingDelimiter(start.Path.string());
    }

    // A command is queued (its answer is still to come) and the unit then reports registers
    // 26..39 changed, in a reply of another tag: the newest reply, which the view holds back.
    void ChangeWhileACommandIsPending() {
        panel->PendingSerial = ++panel->CommandSerial;
        for (int i = 0; i < 14; ++i)
            bus->SetRegister(PanelUnitLocation, 26 + i, UnitChanged[i]);
        const RegisterBlock changed = bus->Unit(PanelUnitLocation).registers;
        ASSERT_TRUE(PumpUntil([&] { return RegistersOf(panel->CurrentReply) == changed; }));
        ASSERT_NE(RegistersOf(panel->LastShownReply), changed);
    }

    // A few more turns of the exchange: a block queued before them would have gone out.
    void ExpectNothingSent() {
        const std::size_t seen = bus->Frames().size();
        ASSERT_TRUE(PumpUntil([&] { return bus->Frames().size() >= seen + 3; }));
        EXPECT_TRUE(Commands().empty());
    }

    void ExpectError(const char* text) {
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].text, text);
        EXPECT_EQ(messages.shown[0].caption, "Error");
        EXPECT_EQ(messages.shown[0].icon, MessageIcon::Error);
        EXPECT_EQ(messages.shown[0].buttons, MessageButtons::Ok);
        EXPECT_EQ(WindowOf(messages.shown[0].owner), panel.get());
    }

    static Bytes BlockFrame(const RegisterBlock& block) {
        const BlockWriteFrame frame = BuildBlockWriteFrame(block);
        return {frame.begin(), frame.end()};
    }

    TempDir start; // where the dialogs open
    TempDir files; // where the operator picks files

private:
    std::string savedPresetDir_ = PresetDir;
};

std::string FileText(const PresetFileBytes& bytes) {
    return {bytes.begin(), bytes.end()};
}

RegisterBlock Factory() {
    RegisterBlock block{};
    FactoryDefaults(block);
    return block;
}

// Which registers of a loaded file give way to the unit's own values, by variant.
struct LoadCase {
    int variant;
    int generation;
    bool micFromUnit;     // registers 26..33
    bool extFromUnit;     // registers 34..39
    bool pending = false; // ChangeWhileACommandIsPending before the load

    std::string Name() const {
        return "Variant" + std::to_string(variant) + (pending ? "WhileACommandIsPending" : "");
    }
};

void PrintTo(const LoadCase& c, std::ostream* out) {
    *out << c.Name() << ", generation " << c.generation;
}

class PresetLoadTest : public PresetPanelTest, public testing::WithParamInterface<LoadCase> {};

TEST_P(PresetLoadTest, FileGoesOutWithTheUnitsValuesForWhatItLacks) {
    const LoadCase c = GetParam();
    ASSERT_NO_FATAL_FAILURE(OpenUnit(c.variant, c.generation));
    if (c.pending) {
        ASSERT_NO_FATAL_FAILURE(ChangeWhileACommandIsPending());
    }
    const std::string path = files / "factory.orq730";
    WriteFile(path, FileText(PresetBytes(Factory())));
    RegisterBlock expected = Factory();
    const std::uint8_t* unitsValues = c.pending ? UnitChanged : UnitOwn;
    for (int r = 26; r < 40; ++r)
        if (r < 34 ? c.micFromUnit : c.extFromUnit)
            expected[static_cast<std::size_t>(r)] = unitsValues[r - 26];

    FileDialogRecorder dialogs(path);
    panel->MenuLoadFileClick();
    ASSERT_TRUE(AwaitCommands(1));
    EXPECT_EQ(Commands(), std::vector<Bytes>{BlockFrame(expected)});
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(PresetDir, WithTrailingDelimiter(files.Path.string()));
}

INSTANTIATE_TEST_SUITE_P(Variants, PresetLoadTest,
                         testing::Values(LoadCase{0, 1, true, true}, LoadCase{1, 2, false, true},
                                         LoadCase{2, 1, true, false}, LoadCase{3, 2, true, false},
                                         LoadCase{4, 2, false, false}, LoadCase{5, 1, false, false},
                                         LoadCase{0, 1, true, true, true}),
                         [](const auto& info) { return info.param.Name(); });

class FactoryDefaultsTest : public PresetPanelTest, public testing::WithParamInterface<int> {};

TEST_P(FactoryDefaultsTest, GoOutWholeAfterYes) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(GetParam()));
    MessageRecorder confirm(MessageAnswer::Yes);
    panel->MenuLoadFactoryClick();
    ASSERT_TRUE(AwaitCommands(1));
    EXPECT_EQ(Commands(), std::vector<Bytes>{BlockFrame(Factory())});
    ASSERT_EQ(confirm.shown.size(), 1u);
    EXPECT_EQ(confirm.shown[0].text, "Load Factory Default Settings?");
    EXPECT_EQ(confirm.shown[0].caption, "Confirm");
    EXPECT_EQ(WindowOf(confirm.shown[0].owner), panel.get());
    EXPECT_EQ(confirm.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(confirm.shown[0].buttons, MessageButtons::YesNoDefaultNo);
}

INSTANTIATE_TEST_SUITE_P(Variants, FactoryDefaultsTest, testing::Range(0, 6));

TEST_F(PresetPanelTest, DecliningFactoryDefaultsSendsNothing) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(0));
    MessageRecorder confirm(MessageAnswer::No);
    panel->MenuLoadFactoryClick();
    EXPECT_EQ(confirm.shown.size(), 1u);
    ExpectNothingSent();
}

// What stands at the chosen name instead of a preset file.
struct InvalidCase {
    const char* name;
    void (*plant)(const std::string& path);
};

void PrintTo(const InvalidCase& c, std::ostream* out) {
    *out << c.name;
}

class InvalidPresetTest : public PresetPanelTest,
                          public testing::WithParamInterface<InvalidCase> {};

TEST_P(InvalidPresetTest, IsReportedAndNothingSent) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(4, 2));
    const std::string path = files / "bad.orq730";
    GetParam().plant(path);
    FileDialogRecorder dialogs(path);
    panel->MenuLoadFileClick();
    ExpectError("Invalid File Format");
    ExpectNothingSent();
    EXPECT_EQ(PresetDir, WithTrailingDelimiter(files.Path.string()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, InvalidPresetTest,
    testing::Values(InvalidCase{"ChecksumSwapped",
                                [](const std::string& path) {
                                    PresetFileBytes bytes = PresetBytes(Factory());
                                    std::swap(bytes[56], bytes[57]);
                                    WriteFile(path, FileText(bytes));
                                }},
                    InvalidCase{"OneByteMore",
                                [](const std::string& path) {
                                    WriteFile(path, FileText(PresetBytes(Factory())) + '\0');
                                }},
                    InvalidCase{"Missing", [](const std::string&) {}},
                    InvalidCase{"Directory",
                                [](const std::string& path) { fs::create_directory(path); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PresetPanelTest, SaveWritesTheNewestReplysBlock) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(5));
    const std::string path = files / "unit.orq730";
    FileDialogRecorder dialogs(path);
    panel->MenuSaveFileClick();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(path), FileText(PresetBytes(bus->Unit(PanelUnitLocation).registers)));
    EXPECT_EQ(PresetDir, WithTrailingDelimiter(files.Path.string()));

    // The newest reply even while the view holds it back.
    ASSERT_NO_FATAL_FAILURE(ChangeWhileACommandIsPending());
    panel->MenuSaveFileClick();
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(ReadFile(path), FileText(PresetBytes(bus->Unit(PanelUnitLocation).registers)));
}

TEST_F(PresetPanelTest, FailedSaveIsReportedAndStillMovesPresetDir) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(4, 2));
    FileDialogRecorder dialogs(files / "gone/unit.orq730");
    panel->MenuSaveFileClick();
    ExpectError("Cannot Save File");
    EXPECT_FALSE(fs::exists(files / "gone"));
    EXPECT_EQ(PresetDir, files / "gone/");
    ExpectNothingSent();
}

TEST_F(PresetPanelTest, DialogsOpenInPresetDirAndCancelDoesNothing) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(4, 2));
    const std::string startDir = PresetDir;
    FileDialogRecorder dialogs(std::nullopt);
    panel->MenuSaveFileClick();
    panel->MenuLoadFileClick();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    const FileDialogKind kinds[] = {FileDialogKind::Save, FileDialogKind::Open};
    const char* titles[] = {"Save", "Load"};
    for (std::size_t i = 0; i < 2; ++i) {
        const FileDialogRequest& r = dialogs.shown[i];
        EXPECT_EQ(r.kind, kinds[i]);
        EXPECT_EQ(r.title, titles[i]);
        EXPECT_EQ(r.filterDescription, "ORQ-SYV-730 Settings (*.orq730)");
        EXPECT_EQ(r.filterPattern, "*.orq730");
        EXPECT_EQ(r.defaultExtension, "orq730");
        EXPECT_EQ(r.initialDirectory, startDir);
        EXPECT_EQ(WindowOf(r.owner), panel.get());
    }
    EXPECT_EQ(PresetDir, startDir);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_TRUE(fs::is_empty(files.Path));
    ExpectNothingSent();
}

TEST_F(PresetPanelTest, BothDialogsFollowTheLastChosenFile) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(4, 2));
    FileDialogRecorder dialogs(files / "a.orq730");
    panel->MenuSaveFileClick();
    dialogs.choice = std::nullopt;
    panel->MenuLoadFileClick();
    panel->MenuSaveFileClick();
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[1].initialDirectory, WithTrailingDelimiter(files.Path.string()));
    EXPECT_EQ(dialogs.shown[2].initialDirectory, WithTrailingDelimiter(files.Path.string()));
}

TEST_F(PresetPanelTest, MenuItemsAndSaveButtonRunTheHandlers) {
    ASSERT_NO_FATAL_FAILURE(OpenUnit(4, 2));
    const QList<QAction*> items = panel->PMLoad->actions();
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->objectName(), "LoadFromFile1");
    EXPECT_EQ(items[0]->text(), "Load From File...");
    EXPECT_TRUE(items[1]->isSeparator());
    EXPECT_EQ(items[2]->objectName(), "LoadFactoryDefaults1");
    EXPECT_EQ(items[2]->text(), "Load Factory Defaults");

    FileDialogRecorder dialogs(std::nullopt);
    MessageRecorder confirm(MessageAnswer::No);
    items[0]->trigger();
    panel->BtnSave->click();
    items[2]->trigger();
    ASSERT_EQ(dialogs.shown.size(), 2u);
    EXPECT_EQ(dialogs.shown[0].title, "Load");
    EXPECT_EQ(dialogs.shown[1].title, "Save");
    ASSERT_EQ(confirm.shown.size(), 1u);
    EXPECT_EQ(confirm.shown[0].caption, "Confirm");
}

} // namespace
