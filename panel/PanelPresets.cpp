// The preset group: the unit's newest register block saved to a file, and a block loaded from a
// file or the factory settings sent back to the unit.
#include "UnitGPI.h"

#include "Button.h"
#include "FileDialogSeam.h"
#include "MessageSeam.h"
#include "PopupMenu.h"
#include "PresetFile.h"
#include "PresetStore.h"
#include "ProgramPaths.h"
#include "QtWindowOwner.h"
#include "UnitProcs.h"

#include <QAction>

#include <optional>

namespace {

// PMLoad's items, in order; the one between them is a separator.
constexpr int LoadFromFileItem = 0;
constexpr int LoadFactoryDefaultsItem = 2;

// Opens the load or save dialog for preset files in PresetDir. The chosen file's directory
// becomes PresetDir before anything is done with the file.
std::optional<std::string> ChoosePresetFile(const QWidget* panel, FileDialogKind kind,
                                            const char* title) {
    std::optional<std::string> chosen =
        ChooseFile({kind, title, "ORQ-SYV-730 Settings (*.orq730)", "*.orq730", "orq730", PresetDir,
                    OwnerOf(panel)});
    if (chosen)
        PresetDir = DirectoryOf(*chosen);
    return chosen;
}

void ShowFileError(const QWidget* panel, const char* text) {
    ShowMessage({text, "Error", MessageIcon::Error, MessageButtons::Ok, OwnerOf(panel)});
}

} // namespace

void TFormEdit::ConnectPresetHandlers() {
    const QList<QAction*> items = PMLoad->actions();
    QAction* fromFile = items[LoadFromFileItem];
    QAction* factory = items[LoadFactoryDefaultsItem];
    fromFile->setObjectName("LoadFromFile1");
    factory->setObjectName("LoadFactoryDefaults1");
    connect(fromFile, &QAction::triggered, this, [this] { MenuLoadFileClick(); });
    connect(factory, &QAction::triggered, this, [this] { MenuLoadFactoryClick(); });
    connect(BtnSave, &TButton::clicked, this, [this] { MenuSaveFileClick(); });
}

void TFormEdit::MenuSaveFileClick() {
    const std::optional<std::string> chosen = ChoosePresetFile(this, FileDialogKind::Save, "Save");
    if (!chosen)
        return;
    if (!SavePresetFile(*chosen, RegistersOf(CurrentReply)))
        ShowFileError(this, "Cannot Save File");
}

void TFormEdit::MenuLoadFileClick() {
    const std::optional<std::string> chosen = ChoosePresetFile(this, FileDialogKind::Open, "Load");
    if (!chosen)
        return;
    RegisterBlock block{};
    if (LoadPresetFile(*chosen, ModelVariant, CurrentReply, block))
        QueueBlock(block);
    else
        ShowFileError(this, "Invalid File Format");
}

void TFormEdit::MenuLoadFactoryClick() {
    if (ShowMessage({"Load Factory Default Settings?", "Confirm", MessageIcon::Warning,
                     MessageButtons::YesNoDefaultNo, OwnerOf(this)}) != MessageAnswer::Yes)
        return;
    RegisterBlock block{};
    FactoryDefaults(block);
    QueueBlock(block);
}
