// The status view: every reply the worker delivers is kept, and shown unless a newer command of
// the panel's own is still unanswered. Only the fields whose bytes differ from what is on screen
// are painted again; the error count's colours are set with every shown reply.
#include "UnitGPI.h"

#include "Button.h"
#include "Colours.h"
#include "DeviceRegisters.h"
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

// Reply byte of register `offset`.
std::uint8_t Reg(const StatusReply& reply, int offset) {
    return reply[static_cast<std::size_t>(ReplyRegistersOffset + offset)];
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

// A toggle keeps in its Tag the command that asks for the opposite of what it shows.
void ShowToggle(TButton* button, int registerOffset, std::uint8_t v) {
    SetTag(button, (registerOffset + 1) * 256 + ToggleValue(v));
    button->SetToggleState(RegisterIsOn(v));
}

void ShowGain(TTrackBar* bar, QLabel* label, std::uint8_t v, bool microphone) {
    bar->SetPositionQuietly(v);
    const char separator = PanelFormatSettings.DecimalSeparator;
    label->setText(Text(microphone ? MicGainText(v, separator) : GainText(v, separator)));
}

} // namespace

void TFormEdit::WMDevStatus(std::uint32_t wParam, std::unique_ptr<StatusReply> reply) {
    CurrentReply = *reply;
    reply.reset();
    if (PendingSerial != 0 && wParam != PendingSerial)
        return;
    ShowIdentity(CurrentReply, LastShownReply);
    ShowInput(CurrentReply, LastShownReply);
    ShowOutput(CurrentReply, LastShownReply);
    ShowAudio(CurrentReply, LastShownReply);
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
    const std::uint8_t errors = Reg(r, RegEdhCrcErrors);
    if (RegChanged(r, shown, RegInputFormat)) {
        const InputFormatText format = InputFormatTextOf(Reg(r, RegInputFormat));
        PanInputFormat->setText(Text(format.text));
        format.alarm ? Alarm(PanInputFormat) : Normal(PanInputFormat);
        PanEDH->setText(Text(ErrorCountText(errors)));
    }
    if (RegChanged(r, shown, RegInputAudioGroups))
        for (std::size_t i = 1; i <= 4; ++i)
            PanInputAudios[i]->setText(
                Text(AudioGroupText(Reg(r, RegInputAudioGroups), static_cast<int>(i))));
    if (RegChanged(r, shown, RegEdhCrcErrors))
        PanEDH->setText(Text(ErrorCountText(errors)));
    errors != 0 ? Alarm(PanEDH) : Normal(PanEDH);
}

void TFormEdit::ShowOutput(const StatusReply& r, const StatusReply& shown) {
    if (RegChanged(r, shown, RegOutputFormat))
        ShowChoice(MBtnFormat, Reg(r, RegOutputFormat), OutputFormatText(Reg(r, RegOutputFormat)));
    if (RegChanged(r, shown, RegBars)) {
        const std::uint8_t bars = Reg(r, RegBars);
        ShowChoice(MBtnBars, bars, BarsText(bars));
        bars != 0 ? Alarm(MBtnBars) : Normal(MBtnBars);
    }
    if (RegChanged(r, shown, RegLossMode))
        ShowChoice(MBtnLossMode, Reg(r, RegLossMode), LossModeText(Reg(r, RegLossMode)));
    for (std::size_t i = 1; i <= 4; ++i) {
        const int offset = RegOutputAudioGroup1 + static_cast<int>(i) - 1;
        if (!RegChanged(r, shown, offset))
            continue;
        const std::uint8_t v = Reg(r, offset);
        ShowToggle(AGroupButtons[i], offset, v);
        SetTextColour(AGroupButtons[i], v != 0 ? NormalText : OffText);
    }
}

void TFormEdit::ShowAudio(const StatusReply& r, const StatusReply& shown) {
    const int generation = DeviceGeneration == 1 ? 1 : 2;
    for (std::size_t i = 1; i <= 8; ++i) {
        const int source = RegSdiSource1 + static_cast<int>(i) - 1;
        if (RegChanged(r, shown, source))
            ShowChoice(SdiMenuButtons[i], Reg(r, source),
                       SdiSourceText(AesVariant, Reg(r, source)));
        const int gain = RegSdiGain1 + static_cast<int>(i) - 1;
        if (RegChanged(r, shown, gain))
            ShowGain(SdiBars[i], SdiLabels[i], Reg(r, gain), false);
    }
    for (std::size_t i = 1; i <= 2; ++i) {
        const int source = RegExtSource1 + static_cast<int>(i) - 1;
        if (RegChanged(r, shown, source))
            ShowChoice(ExtMenuButtons[i], Reg(r, source),
                       ExtSourceText(generation, Reg(r, source)));
    }
    for (std::size_t i = 1; i <= 2; ++i) {
        const int gain = RegExtGain1 + static_cast<int>(i) - 1;
        if (RegChanged(r, shown, gain))
            ShowGain(ExtBars[i], ExtLabels[i], Reg(r, gain), false);
    }
    for (std::size_t i = 1; i <= 2; ++i) {
        const int config = RegExtConfig1 + static_cast<int>(i) - 1;
        if (RegChanged(r, shown, config))
            ShowChoice(ExtConfigButtons[i], Reg(r, config),
                       ExtConfigText(generation, static_cast<int>(i), AesVariant, Reg(r, config)));
    }
    for (std::size_t i = 1; i <= 4; ++i) {
        const int gain = RegMicGain1 + static_cast<int>(i) - 1;
        if (RegChanged(r, shown, gain))
            ShowGain(MicBars[i], MicLabels[i], Reg(r, gain), true);
    }
    for (std::size_t i = 1; i <= 4; ++i) {
        const int phantom = RegMicPhantom1 + static_cast<int>(i) - 1;
        if (!RegChanged(r, shown, phantom))
            continue;
        const std::uint8_t v = Reg(r, phantom);
        ShowToggle(MicButtons[i], phantom, v);
        if (v != 0) {
            Alarm(MicButtons[i]);
        } else {
            SetTextColour(MicButtons[i], OffText);
            UseParentBackground(MicButtons[i]);
        }
    }
}
