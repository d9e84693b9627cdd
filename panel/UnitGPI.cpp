// The panel's construction and lifetime: FormCreate, the control arrays, the value menus, the
// groups' visibility, the keys that close it and the messages from its worker.
#include "UnitGPI.h"

#include "Button.h"
#include "DeviceRegisters.h"
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
        SetTag(MicLabels[n], static_cast<int>(26 + n));
    }
    for (std::size_t n = 1; n <= 8; ++n) {
        SdiMenuButtons[n] = Named<TMenuButton>(this, "MBtnSDI", n);
        SdiBars[n] = Named<TTrackBar>(this, "TBarSDI", n);
        SdiLabels[n] = Named<QLabel>(this, "LabSDI", n);
        SdiBars[n]->SetValueLabel(SdiLabels[n]);
        SetTag(SdiLabels[n], static_cast<int>(18 + n));
        SdiMenus[n] = new TPopupMenu(QString("SdiMenu%1").arg(n), this);
        SdiMenuButtons[n]->SetDropDownMenu(SdiMenus[n]);
    }
    for (std::size_t n = 1; n <= 2; ++n) {
        ExtMenuButtons[n] = Named<TMenuButton>(this, "MBtnEXT", n);
        ExtBars[n] = Named<TTrackBar>(this, "TBarEXT", n);
        ExtLabels[n] = Named<QLabel>(this, "LabEXT", n);
        ExtBars[n]->SetValueLabel(ExtLabels[n]);
        SetTag(ExtLabels[n], static_cast<int>(38 + n));
        ExtConfigButtons[n] = Named<TMenuButton>(this, "MBtnConfigEXT", n);
        ExtMenus[n] = new TPopupMenu(QString("ExtMenu%1").arg(n), this);
        ExtConfigMenus[n] = new TPopupMenu(QString("ExtConfigMenu%1").arg(n), this);
        ExtMenuButtons[n]->SetDropDownMenu(ExtMenus[n]);
        ExtConfigButtons[n]->SetDropDownMenu(ExtConfigMenus[n]);
    }
}

void TFormEdit::FillValueMenus() {
    // Items go in value order, so an item's index in its menu is its value.
    const auto fill = [this](TPopupMenu* menu, int code, int count, auto caption) {
        for (int i = 0; i < count; ++i)
            AddValueItem(menu, Text(caption(static_cast<std::uint8_t>(i)).c_str()), code * 256 + i);
    };
    fill(PMFormat, RegOutputFormat + 1, 17, OutputFormatText);
    fill(PMBars, RegBars + 1, 2, BarsText);
    fill(PMLossMode, RegLossMode + 1, 4, LossModeText);
    const bool aes = AesVariant;
    for (std::size_t n = 1; n <= 8; ++n)
        fill(SdiMenus[n], static_cast<int>(10 + n), 12,
             [aes](std::uint8_t i) { return SdiSourceText(aes, i); });
    const int generation = DeviceGeneration == 1 ? 1 : 2;
    for (std::size_t n = 1; n <= 2; ++n) {
        fill(ExtMenus[n], static_cast<int>(36 + n), ExtSourceCount(generation),
             [generation](std::uint8_t i) { return ExtSourceText(generation, i); });
        const int connector = static_cast<int>(n);
        fill(ExtConfigMenus[n], static_cast<int>(34 + n), ExtConfigCount(generation),
             [generation, connector, aes](std::uint8_t i) {
                 return ExtConfigText(generation, connector, aes, i);
             });
        // The microphone use of a connector exists only on units with microphone inputs.
        if (!MicVariant)
            DisableItem(ExtConfigMenus[n]->actions().first());
    }
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
