// The Qt side of the message-box and file-dialog seams: the real modal boxes and dialogs, worked
// from the keyboard or driven while they run.
#include "FileDialogSeam.h"
#include "MessageSeam.h"
#include "QtFileDialogs.h"
#include "QtMessageSeam.h"
#include "QtWindowOwner.h"
#include "TestFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// Runs `act` on the first modal widget of type T once it is up; gives up after about 5 s.
template <typename T> void WhenShown(std::function<void(T*)> act, int triesLeft = 500) {
    QTimer::singleShot(10, [act, triesLeft] {
        if (auto* widget = qobject_cast<T*>(QApplication::activeModalWidget()))
            act(widget);
        else if (triesLeft > 0)
            WhenShown<T>(act, triesLeft - 1);
    });
}

// Types `name` into the dialog's file name box and presses its Open or Save button.
void ChooseName(QFileDialog* dialog, const QString& name) {
    if (auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit"))
        edit->setText(name);
    static_cast<QDialog*>(dialog)->accept();
}

void PressKey(QWidget* widget, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

// Installs the Qt handlers for one test and puts the previous ones back.
class QtSeamsTest : public testing::Test {
protected:
    QtSeamsTest() : messages_(SetMessageHandler({})), dialogs_(SetFileDialogHandler({})) {
        InstallQtMessageBoxes();
        InstallQtFileDialogs();
    }
    ~QtSeamsTest() override {
        SetMessageHandler(std::move(messages_));
        SetFileDialogHandler(std::move(dialogs_));
    }

    static FileDialogRequest Request(FileDialogKind kind, const std::string& directory) {
        return {kind,      "Load", "ORQ-SYV-730 Settings (*.orq730)", "*.orq730", "orq730",
                directory, {}};
    }

private:
    MessageHandler messages_;
    FileDialogHandler dialogs_;
};

TEST_F(QtSeamsTest, EnterAnswersNoWhereNoIsTheDefault) {
    QString shownText;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        shownText = box->windowTitle() + "|" + box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
        PressKey(box, Qt::Key_Return);
    });
    EXPECT_EQ(ShowMessage({"Load Factory Default Settings?",
                           "Confirm",
                           MessageIcon::Warning,
                           MessageButtons::YesNoDefaultNo,
                           {}}),
              MessageAnswer::No);
    EXPECT_EQ(shownText, "Confirm|Load Factory Default Settings?");

    WhenShown<QMessageBox>([](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(
        ShowMessage({"Q?", "Confirm", MessageIcon::Warning, MessageButtons::YesNoDefaultNo, {}}),
        MessageAnswer::Yes);
}

TEST_F(QtSeamsTest, OpenDialogShowsThePresetFilterAndReturnsTheChosenFile) {
    TempDir dir;
    WriteFile(dir / "a.orq730", "x");
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Load");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->defaultSuffix(), "orq730");
        EXPECT_EQ(QDir::toNativeSeparators(dialog->directory().absolutePath()).toStdString(),
                  dir.Path.string());
        auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
        EXPECT_EQ(types ? types->currentText() : "", "ORQ-SYV-730 Settings (*.orq730)");
        // Only preset files are listed.
        auto* model = dialog->findChild<QFileSystemModel*>("qt_filesystem_model");
        EXPECT_EQ(model ? model->nameFilters() : QStringList(), QStringList{"*.orq730"});
        ChooseName(dialog, "a.orq730");
    });
    EXPECT_EQ(ChooseFile(Request(FileDialogKind::Open, dir.Path.string())), dir / "a.orq730");
}

TEST_F(QtSeamsTest, SaveDialogAddsTheExtensionAndAsksBeforeReplacing) {
    TempDir dir;
    WhenShown<QFileDialog>([](QFileDialog* dialog) {
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        ChooseName(dialog, "mine");
    });
    EXPECT_EQ(ChooseFile(Request(FileDialogKind::Save, dir.Path.string())), dir / "mine.orq730");

    WhenShown<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(ChooseFile(Request(FileDialogKind::Save, dir.Path.string())), std::nullopt);
}

// A box or dialog belongs to the window its request names, even while another one is active.
TEST_F(QtSeamsTest, BoxesAndDialogsBelongToTheNamedWindowNotTheActiveOne) {
    QWidget active;
    QWidget owner;
    active.show();
    owner.show();
    QApplication::setActiveWindow(&active);
    ASSERT_EQ(QApplication::activeWindow(), &active);

    std::vector<QWidget*> parents;
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        parents.push_back(box->parentWidget());
        box->button(QMessageBox::Ok)->click();
    });
    ShowMessage(
        {"Cannot Save File", "Error", MessageIcon::Error, MessageButtons::Ok, OwnerOf(&owner)});
    WhenShown<QFileDialog>([&](QFileDialog* dialog) {
        parents.push_back(dialog->parentWidget());
        dialog->reject();
    });
    FileDialogRequest request = Request(FileDialogKind::Save, TempDir().Path.string());
    request.owner = OwnerOf(&owner);
    ChooseFile(request);
    // With no owner named, none is taken.
    WhenShown<QMessageBox>([&](QMessageBox* box) {
        parents.push_back(box->parentWidget());
        box->button(QMessageBox::Ok)->click();
    });
    ShowMessage({"USB driver used by another application",
                 "Cannot run program",
                 MessageIcon::Warning,
                 MessageButtons::Ok,
                 {}});
    EXPECT_EQ(parents, (std::vector<QWidget*>{&owner, &owner, nullptr}));
}

} // namespace
