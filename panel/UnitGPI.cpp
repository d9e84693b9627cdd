// The panel's construction and lifetime: FormCreate, the control arrays, the value menus, the
// groups' visibility, the keys that close it and the messages from its worker.
#include "UnitGPI.h"

#include "Button.h"
#include "CommandTag.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "PanelStyle.h"
#include "PopupMenu.h"
#include "RegisterTexts.h"
#include "Tag.h"
#include "TrackBar.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>

#include <cassert>

// The panel's control families match the register table's.
static_assert(decltype(TFormEdit::AGroupButtons)::Count == FamilySize(RegOutputAudioGroup1));
static_assert(decltype(TFormEdit::SdiMenuButtons)::Count == FamilySize(RegSdiSource1));
static_assert(decltype(TFormEdit::SdiBars)::Count == FamilySize(RegSdiGain1));
static_assert(decltype(TFormEdit::MicBars)::Count == FamilySize(RegMicGain1));
static_assert(decltype(TFormEdit::MicButtons)::Count == FamilySize(RegMicPhantom1));
static_assert(decltype(TFormEdit::ExtConfigButtons)::Count == FamilySize(RegExtConfig1));
static_assert(decltype(TFormEdit::ExtMenuButtons)::Count == FamilySize(RegExtSource1));
static_assert(decltype(TFormEdit::ExtBars)::Count == FamilySize(RegExtGain1));

std::uint32_t ModelVariant = 0;
std::int32_t DeviceGeneration = 1;
std::string UnitSerial;

namespace {

// A message from the worker, carried to the panel's thread by the event queue. The reply copy
// belongs to the event until the handler takes it; an event that is never delivered (the panel
// went first) releases it.
class DeviceEvent : public QEvent {
public:
    static QEvent::Type Kind() {
        static const auto kind = static_cast<QEvent::Type>(QEvent::registerEventType());
        return kind;
    }
    DeviceEvent(unsigned message, std::uint32_t wParam, std::unique_ptr<StatusReply> reply)
        : QEvent(Kind()), message(message), wParam(wParam), reply(std::move(reply)) {}

    unsigned message;
    std::uint32_t wParam;
    std::unique_ptr<StatusReply> reply;
};

template <typename T> T* Named(QObject* form, const QString& prefix, std::size_t n) {
    return form->findChild<T*>(prefix + QString::number(n));
}

QString Text(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

TFormEdit::TFormEdit(QWidget* owner) : QDialog(owner) {
    BuildForm();
    FormCreate();
}

TFormEdit::~TFormEdit() {
    // The worker reports to this panel: it must be gone before the panel is.
    Worker.reset();
}

void TFormEdit::FormCreate() {
    MicVariant = ::MicVariant(static_cast<int>(ModelVariant));
    AesVariant = ::AesVariant(static_cast<int>(ModelVariant));
    GroupsShown = false;
    for (TButton* button : findChildren<TButton*>()) {
        button->SetHotTrackColour(panel_style::HotTrack);
        button->SetFrameColour(panel_style::ButtonFrame);
    }
    LookUpControls();
    MapSettingControls();
    FillValueMenus();
    ConnectHandlers();
    ConnectPresetHandlers();
    LabExtOuts[1]->setText(Text(ExtOutLabel(AesVariant, 1).c_str()));
    LabExtOuts[2]->setText(Text(ExtOutLabel(AesVariant, 2).c_str()));
    HideGroups();
    LastShownReply.fill(0xFF);
    LastShownReply[ReplyRegistersOffset + RegInputFormat] = 250;
    CommandSerial = 0;
    PendingSerial = 0;
    Worker = std::make_unique<TDeviceThread>(this);
}

void TFormEdit::LookUpControls() {
    for (std::size_t n = 1; n <= 4; ++n) {
        AGroupButtons[n] = Named<TButton>(this, "BtnAGroup", n);
        MicButtons[n] = Named<TButton>(this, "BtnMIC", n);
        MicBars[n] = Named<TTrackBar>(this, "TBarMIC", n);
        MicLabels[n] = Named<QLabel>(this, "LabMIC", n);
        MicBars[n]->SetValueLabel(MicLabels[n]);
        SetTag(MicLabels[n], FamilyMember(RegMicGain1, n).commandCode);
    }
    for (std::size_t n = 1; n <= 8; ++n) {
        SdiMenuButtons[n] = Named<TMenuButton>(this, "MBtnSDI", n);
        SdiBars[n] = Named<TTrackBar>(this, "TBarSDI", n);
        SdiLabels[n] = Named<QLabel>(this, "LabSDI", n);
        SdiBars[n]->SetValueLabel(SdiLabels[n]);
        SetTag(SdiLabels[n], FamilyMember(RegSdiGain1, n).commandCode);
        SdiMenus[n] = new TPopupMenu(QString("SdiMenu%1").arg(n), this);
        SdiMenuButtons[n]->SetDropDownMenu(SdiMenus[n]);
    }
    for (std::size_t n = 1; n <= 2; ++n) {
        ExtMenuButtons[n] = Named<TMenuButton>(this, "MBtnEXT", n);
        ExtBars[n] = Named<TTrackBar>(this, "TBarEXT", n);
        ExtLabels[n] = Named<QLabel>(this, "LabEXT", n);
        ExtBars[n]->SetValueLabel(ExtLabels[n]);
        SetTag(ExtLabels[n], FamilyMember(RegExtGain1, n).commandCode);
        ExtConfigButtons[n] = Named<TMenuButton>(this, "MBtnConfigEXT", n);
        ExtMenus[n] = new TPopupMenu(QString("ExtMenu%1").arg(n), this);
        ExtConfigMenus[n] = new TPopupMenu(QString("ExtConfigMenu%1").arg(n), this);
        ExtMenuButtons[n]->SetDropDownMenu(ExtMenus[n]);
        ExtConfigButtons[n]->SetDropDownMenu(ExtConfigMenus[n]);
    }
}

void TFormEdit::MapSettingControls() {
    for (const RegisterInfo& info : DeviceRegisters) {
        SettingControl& control = SettingControls[static_cast<std::size_t>(info.offset)];
        const std::size_t n = info.member;
        switch (info.family) {
        case RegOutputFormat:
            control.menu = MBtnFormat;
            break;
        case RegBars:
            control.menu = MBtnBars;
            break;
        case RegLossMode:
            control.menu = MBtnLossMode;
            break;
        case RegOutputAudioGroup1:
            control.toggle = AGroupButtons[n];
            break;
        case RegSdiSource1:
            control.menu = SdiMenuButtons[n];
            break;
        case RegSdiGain1:
            control.bar = SdiBars[n];
            break;
        case RegMicGain1:
            control.bar = MicBars[n];
            break;
        case RegMicPhantom1:
            control.toggle = MicButtons[n];
            break;
        case RegExtConfig1:
            control.menu = ExtConfigButtons[n];
            break;
        case RegExtSource1:
            control.menu = ExtMenuButtons[n];
            break;
        case RegExtGain1:
            control.bar = ExtBars[n];
            break;
        default: // the input's status, which has panels of its own
            break;
        }
        assert(info.access != RegisterAccess::Setting ||
               (info.kind == RegisterKind::Menu && control.menu) ||
               (info.kind == RegisterKind::Toggle && control.toggle) ||
               (info.kind == RegisterKind::Gain && control.bar));
    }
}

void TFormEdit::FillValueMenus() {
    const UnitKind unit = Unit();
    for (const RegisterInfo& info : DeviceRegisters) {
        if (info.kind != RegisterKind::Menu)
            continue;
        TPopupMenu* menu =
            SettingControls[static_cast<std::size_t>(info.offset)].menu->DropDownMenu();
        // Items go in value order, so an item's index in its menu is its value.
        for (int i = 0; i < ChoiceCount(info.offset, unit); ++i) {
            const auto value = static_cast<std::uint8_t>(i);
            QAction* item = AddValueItem(menu, Text(ChoiceText(info.offset, value, unit).c_str()),
                                         CommandTag(info.commandCode, i));
            // The microphone use of a connector exists only on units with microphone inputs.
            if (!ChoiceEnabled(info.offset, value, unit.variant))
                DisableItem(item);
        }
    }
}

UnitKind TFormEdit::Unit() const {
    return {static_cast<int>(ModelVariant), DeviceGeneration};
}

void TFormEdit::SetGroupContentsVisible(QWidget* box, bool visible) {
    for (QObject* child : box->children())
        if (auto* control = qobject_cast<QWidget*>(child))
            control->setVisible(visible);
}

void TFormEdit::HideGroups() {
    GroupsShown = false;
    GBoxDevice->setTitle("");
    for (QWidget* box : {static_cast<QWidget*>(GBoxDevice), static_cast<QWidget*>(GBoxInput),
                         static_cast<QWidget*>(GBoxOutput), static_cast<QWidget*>(GBoxSDI),
                         static_cast<QWidget*>(GBoxEXT), static_cast<QWidget*>(GBoxMIC),
                         static_cast<QWidget*>(GBoxPreset)})
        SetGroupContentsVisible(box, false);
}

void TFormEdit::ShowGroups() {
    for (QWidget* box : {static_cast<QWidget*>(GBoxDevice), static_cast<QWidget*>(GBoxInput),
                         static_cast<QWidget*>(GBoxOutput), static_cast<QWidget*>(GBoxSDI),
                         static_cast<QWidget*>(GBoxPreset)})
        SetGroupContentsVisible(box, true);
    SetGroupContentsVisible(GBoxMIC, MicVariant);
    SetGroupContentsVisible(GBoxEXT, ExtVariant(static_cast<int>(ModelVariant)));
    GroupsShown = true;
}

void TFormEdit::ClosePopupMenus() {
    // Closing one popup can leave its parent menu active; a bounded loop never spins forever.
    for (int i = 0; i < 16; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        popup->close();
    }
}

bool TFormEdit::PostDeviceMessage(unsigned message, std::uint32_t wParam,
                                  std::unique_ptr<StatusReply> reply) {
    QCoreApplication::postEvent(this, new DeviceEvent(message, wParam, std::move(reply)));
    return true;
}

bool TFormEdit::event(QEvent* event) {
    if (event->type() != DeviceEvent::Kind())
        return QDialog::event(event);
    auto* message = static_cast<DeviceEvent*>(event);
    if (message->message == WM_DEV_STATUS && message->reply)
        WMDevStatus(message->wParam, std::move(message->reply));
    else if (message->message == WM_DEV_STOPPED)
        WMDevStopped();
    return true;
}

void TFormEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape)
        reject();
    else
        event->ignore();
}
