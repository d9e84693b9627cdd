// The status view: every reply the worker delivers is kept, and shown unless a newer command of
// the panel's own is still unanswered. Only the fields whose bytes differ from what is on screen
// are painted again; the error count's colours are set with every shown reply.
#include "UnitGPI.h"

#include "Button.h"
#include "Colours.h"
#include "CommandTag.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "PanelStyle.h"
#include "RegisterTexts.h"
#include "Tag.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <algorithm>

using namespace panel_style;

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

bool Changed(const StatusReply& reply, const StatusReply& shown, int first, int count = 1) {
    return !std::equal(reply.begin() + first, reply.begin() + first + count, shown.begin() + first);
}

bool RegChanged(const StatusReply& reply, const StatusReply& shown, int offset) {
    return Changed(reply, shown, ReplyRegistersOffset + offset);
}

void Normal(QWidget* control) {
    SetTextColour(control, NormalText);
    UseParentBackground(control);
}

void Alarm(QWidget* control) {
    SetTextColour(control, AlarmText);
    SetBackgroundColour(control, AlarmBackground);
}

// A value menu button shows value `v` as `caption` and keeps `v` in its Tag; an open menu closes,
// so that the operator never chooses from a menu whose check mark is out of date.
void ShowChoice(TMenuButton* button, std::uint8_t v, const std::string& caption) {
    button->SetCaption(Text(caption));
    SetTag(button, v);
    TFormEdit::ClosePopupMenus();
}

// A toggle keeps in its Tag the command that asks for the opposite of what it shows. One whose
// on state is an alarm (phantom power) turns white on red, and dark grey on the parent's colour
// when off; the others (the output audio groups) only change their text colour.
void ShowToggle(TButton* button, const RegisterInfo& info, std::uint8_t v) {
    SetTag(button, CommandTag(info.commandCode, ToggleValue(v)));
    button->SetToggleState(RegisterIsOn(v));
    if (!info.alarmWhenOn) {
        SetTextColour(button, RegisterIsOn(v) ? NormalText : OffText);
    } else if (RegisterIsOn(v)) {
        Alarm(button);
    } else {
        SetTextColour(button, OffText);
        UseParentBackground(button);
    }
}

// The track bar moves without a command going back to the unit; its label shows the register's
// own value in decibels, even where the bar stops at its range.
void ShowGain(TTrackBar* bar, int offset, std::uint8_t v) {
    bar->SetPositionQuietly(v);
    bar->ValueLabel()->setText(Text(DecibelText(offset, v, PanelFormatSettings.DecimalSeparator)));
}

} // namespace

void TFormEdit::WMDevStatus(std::uint32_t wParam, std::unique_ptr<StatusReply> reply) {
    CurrentReply = *reply;
    reply.reset();
    if (PendingSerial != 0 && wParam != PendingSerial)
        return;
    ShowIdentity(CurrentReply, LastShownReply);
    ShowInput(CurrentReply, LastShownReply);
    ShowSettings(CurrentReply, LastShownReply);
    LastShownReply = CurrentReply;
    PendingSerial = 0;
    if (!GroupsShown)
        ShowGroups();
}

void TFormEdit::ShowIdentity(const StatusReply& r, const StatusReply& shown) {
    if (Changed(r, shown, ReplyVariant) || Changed(r, shown, ReplyModelHigh, 2)) {
        const std::uint16_t model = ModelNumberOf(r[ReplyModelHigh], r[ReplyModelLow]);
        GBoxDevice->setTitle(" " + Text(UnitName(model, r[ReplyVariant])));
        PanSN->setText(Text(UnitSerial));
    }
    if (Changed(r, shown, ReplyProtocol))
        PanPVer->setText(Text(ProtocolVersionText(r[ReplyProtocol])));
    if (Changed(r, shown, ReplySoftwareMajor, 2))
        PanSVer->setText(Text(SoftwareVersionText(r[ReplySoftwareMajor], r[ReplySoftwareMinor])));
    if (Changed(r, shown, ReplyFpga, 5))
        PanFPGA->setText(Text(FpgaVersionText(&r[ReplyFpga])));
}

void TFormEdit::ShowInput(const StatusReply& r, const StatusReply& shown) {
    const std::uint8_t errors = ReplyRegister(r, RegEdhCrcErrors);
    if (RegChanged(r, shown, RegInputFormat)) {
        const InputFormatText format = InputFormatTextOf(ReplyRegister(r, RegInputFormat));
        PanInputFormat->setText(Text(format.text));
        format.alarm ? Alarm(PanInputFormat) : Normal(PanInputFormat);
        PanEDH->setText(Text(ErrorCountText(errors)));
    }
    if (RegChanged(r, shown, RegInputAudioGroups))
        for (std::size_t i = 1; i <= 4; ++i)
            PanInputAudios[i]->setText(
                Text(AudioGroupText(ReplyRegister(r, RegInputAudioGroups), static_cast<int>(i))));
    if (RegChanged(r, shown, RegEdhCrcErrors))
        PanEDH->setText(Text(ErrorCountText(errors)));
    errors != 0 ? Alarm(PanEDH) : Normal(PanEDH);
}

void TFormEdit::ShowSettings(const StatusReply& r, const StatusReply& shown) {
    for (const RegisterInfo& info : DeviceRegisters)
        if (info.access == RegisterAccess::Setting && RegChanged(r, shown, info.offset))
            ShowSetting(info, ReplyRegister(r, info.offset));
}

void TFormEdit::ShowSetting(const RegisterInfo& info, std::uint8_t v) {
    const SettingControl& control = SettingControls[static_cast<std::size_t>(info.offset)];
    switch (info.kind) {
    case RegisterKind::Menu:
        ShowChoice(control.menu, v, ChoiceText(info.offset, v, Unit()));
        if (info.alarmWhenOn)
            RegisterIsOn(v) ? Alarm(control.menu) : Normal(control.menu);
        return;
    case RegisterKind::Toggle:
        ShowToggle(control.toggle, info, v);
        return;
    case RegisterKind::Gain:
        ShowGain(control.bar, info.offset, v);
        return;
    case RegisterKind::InputFormat:
    case RegisterKind::AudioGroups:
    case RegisterKind::ErrorCount:
        return; // the input's status: ShowInput's
    }
}
