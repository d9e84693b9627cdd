// The panel's commands: clicks, menu choices and track bar moves become numbered commands for
// the worker; and the end of the exchange, which the panel reports and answers by closing.
#include "UnitGPI.h"

#include "Button.h"
#include "ExchangeErrors.h"
#include "MenuButton.h"
#include "MessageSeam.h"
#include "PopupMenu.h"
#include "QtWindowOwner.h"
#include "RegisterTexts.h"
#include "Tag.h"
#include "TrackBar.h"

#include <QAction>
#include <QLabel>

namespace {

constexpr std::uint32_t LastSerial = 4294967294u; // 0xFFFFFFFE; then serials start at 1 again

} // namespace

void TFormEdit::ConnectHandlers() {
    for (TButton* button :
         {BtnEDH, AGroupButtons[1], AGroupButtons[2], AGroupButtons[3], AGroupButtons[4],
          MicButtons[1], MicButtons[2], MicButtons[3], MicButtons[4]})
        connect(button, &TButton::clicked, this, [this, button] { CommandBtnClick(button); });
    for (TTrackBar* bar :
         {SdiBars[1], SdiBars[2], SdiBars[3], SdiBars[4], SdiBars[5], SdiBars[6], SdiBars[7],
          SdiBars[8], MicBars[1], MicBars[2], MicBars[3], MicBars[4], ExtBars[1], ExtBars[2]})
        connect(bar, &TTrackBar::valueChanged, this, [this, bar] { TBarChange(bar); });
    for (TPopupMenu* menu : {PMFormat, PMBars, PMLossMode, SdiMenus[1], SdiMenus[2], SdiMenus[3],
                             SdiMenus[4], SdiMenus[5], SdiMenus[6], SdiMenus[7], SdiMenus[8],
                             ExtMenus[1], ExtMenus[2], ExtConfigMenus[1], ExtConfigMenus[2]})
        connect(menu, &TPopupMenu::aboutToShow, this, [this, menu] { PMPopup(menu); });
}

QAction* TFormEdit::AddValueItem(TPopupMenu* menu, const QString& caption, int tag) {
    QAction* item = menu->AddRadioItem(caption, tag);
    connect(item, &QAction::triggered, this, [this, item] { CommandBtnClick(item); });
    return item;
}

void TFormEdit::DisableItem(QAction* item) {
    item->setEnabled(false);
    disconnect(item, &QAction::triggered, this, nullptr);
}

void TFormEdit::CommandBtnClick(QObject* sender) {
    const int tag = TagOf(sender);
    QueueCommand(static_cast<std::uint8_t>((tag >> 8) & 0xFF),
                 static_cast<std::uint8_t>(tag & 0xFF));
}

void TFormEdit::TBarChange(TTrackBar* sender) {
    QLabel* label = sender->ValueLabel();
    const int position = sender->value();
    const auto command = static_cast<std::uint8_t>(TagOf(label) & 0xFF);
    label->setText(QString::fromStdString(
        DecibelText(RegisterOfCommand(command), position, PanelFormatSettings.DecimalSeparator)));
    QueueCommand(command, static_cast<std::uint8_t>(position));
}

void TFormEdit::PMPopup(TPopupMenu* sender) {
    const QWidget* opener = sender->PopupComponent();
    if (!opener)
        return;
    const int index = TagOf(opener);
    const QList<QAction*> items = sender->actions();
    if (index >= 0 && index < items.size())
        items[index]->setChecked(true);
}

template <typename Post> void TFormEdit::Queue(Post post) {
    if (!Worker->IsRunning())
        return;
    const std::uint32_t serial = CommandSerial >= LastSerial ? 1 : CommandSerial + 1;
    // A command the worker did not take has no reply to wait for.
    if (!post(serial))
        return;
    CommandSerial = serial;
    PendingSerial = serial;
}

void TFormEdit::QueueCommand(std::uint8_t command, std::uint8_t value) {
    Queue([&](std::uint32_t serial) { return Worker->Post(command, value, serial); });
}

void TFormEdit::QueueBlock(const RegisterBlock& block) {
    Queue([&](std::uint32_t serial) {
        return Worker->Post(std::make_unique<RegisterBlock>(block), serial);
    });
}

void TFormEdit::WMDevStopped() {
    if (!isVisible())
        return;
    HideGroups();
    if (!Worker->StoppedByRequest && Worker->ExitResult != ResultNone)
        ShowMessage(
            {ExchangeErrorText(Worker->ExitResult, Worker->ExitLinkStatus, Worker->DeviceError),
             "Error", MessageIcon::Warning, MessageButtons::Ok, OwnerOf(this)});
    reject();
}
