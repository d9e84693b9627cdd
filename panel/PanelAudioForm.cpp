// The form's audio options: the SDI outputs, the microphones, the EXT connectors and the presets,
// with the three caption panels over the gains and the configuration.
#include "UnitGPI.h"

#include "Button.h"
#include "CaptionAbove.h"
#include "Colours.h"
#include "DeviceRegisters.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "PanelStyle.h"
#include "PopupMenu.h"
#include "Tag.h"
#include "TrackBar.h"
#include "ValuePanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

using namespace panel_style;

namespace {

// A gain track bar runs over its register's range; its ticks stand at the ends and at 0 dB, or
// for a microphone near 47 dB.
constexpr int GainTickStep = 60;
constexpr int MicGainTickStep = 32;
constexpr int SourceWidth = 140;
constexpr int TrackBarWidth = 150;

struct ScaleCaptions {
    const char* left;
    const char* middle;
    const char* right;
};
constexpr ScaleCaptions GainCaptions{"-6 dB", "0 dB", "+6 dB"};
constexpr ScaleCaptions MicCaptions{"23 dB", "47 dB", "70.25 dB"};

// The largest value of gain register `member` of `family`, the same on both generations.
int GainMaximum(RegisterOffset family, int member) {
    return FamilyMember(family, static_cast<std::size_t>(member)).maxGen1;
}

// A track bar with its scale captions under its two ends and its middle.
QLayout* TrackBarWithScale(TTrackBar* bar, const ScaleCaptions& scale, QWidget* box) {
    auto* column = new QVBoxLayout;
    column->setSpacing(0);
    bar->setMinimumWidth(TrackBarWidth);
    column->addWidget(bar);
    auto* captions = new QHBoxLayout;
    QFont small = box->font();
    small.setPixelSize(10);
    for (const char* text : {scale.left, scale.middle, scale.right}) {
        QLabel* caption = Caption(text, box);
        caption->setFont(small);
        captions->addWidget(caption, 1,
                            text == scale.left     ? Qt::AlignLeft
                            : text == scale.middle ? Qt::AlignHCenter
                                                   : Qt::AlignRight);
    }
    column->addLayout(captions);
    return column;
}

TMenuButton* SourceButton(const QString& name, const QString& role, QWidget* box) {
    auto* button = new TMenuButton(name, role, box);
    MarkAsValue(button);
    button->setMinimumWidth(SourceWidth);
    return button;
}

QLabel* GainLabel(const QString& name, QWidget* box, int width) {
    TValuePanel* label = Value(name, box, width);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

QWidget* TFormEdit::BuildAudioGroup(QWidget* parent) {
    GBoxAudio = new TGroupBox("GBoxAudio", " AUDIO OPTIONS ", parent);
    auto* grid = new QGridLayout(GBoxAudio);

    GBoxSDI = new TGroupBox("GBoxSDI", " Assigned SDI OUT ", GBoxAudio);
    auto* sdi = new QGridLayout(GBoxSDI);
    // The controls of the first rows mark the columns that the caption panels name.
    QWidget* sdiGains = nullptr;
    QWidget* extGains = nullptr;
    QWidget* extConfigs = nullptr;
    for (int n = 1; n <= 8; ++n) {
        const QString pair = QString("OUT %1/%2").arg(2 * n - 1).arg(2 * n);
        auto* bar = new TTrackBar(QString("TBarSDI%1").arg(n), pair + " gain",
                                  GainMaximum(RegSdiGain1, n), GainTickStep, GBoxSDI);
        if (n == 1)
            sdiGains = bar;
        sdi->addWidget(Caption(pair + ":", GBoxSDI), n, 0, Qt::AlignRight);
        sdi->addWidget(SourceButton(QString("MBtnSDI%1").arg(n), pair + " source", GBoxSDI), n, 1);
        sdi->addLayout(TrackBarWithScale(bar, GainCaptions, GBoxSDI), n, 2);
        sdi->addWidget(GainLabel(QString("LabSDI%1").arg(n), GBoxSDI, 40), n, 3);
        sdi->addWidget(Caption("dB", GBoxSDI), n, 4);
    }

    GBoxMIC = new TGroupBox("GBoxMIC", " Microphone ", GBoxAudio);
    auto* mic = new QGridLayout(GBoxMIC);
    for (int n = 1; n <= 4; ++n) {
        const QString input = QString("MIC %1").arg(n);
        auto* bar = new TTrackBar(QString("TBarMIC%1").arg(n), input + " gain",
                                  GainMaximum(RegMicGain1, n), MicGainTickStep, GBoxMIC);
        auto* phantom = new TButton(QString("BtnMIC%1").arg(n), "48 V", GBoxMIC);
        phantom->SetToggleRole(input + " 48 V");
        SetTextColour(phantom, OffText);
        SetTag(phantom, ToggleDesignTag);
        mic->addWidget(Caption(input + ":", GBoxMIC), n, 0, Qt::AlignRight);
        mic->addLayout(TrackBarWithScale(bar, MicCaptions, GBoxMIC), n, 1);
        mic->addWidget(GainLabel(QString("LabMIC%1").arg(n), GBoxMIC, 50), n, 2);
        mic->addWidget(Caption("dB", GBoxMIC), n, 3);
        mic->addWidget(phantom, n, 4);
    }
    mic->setRowStretch(5, 1);

    GBoxEXT = new TGroupBox("GBoxEXT", " Assigned EXT OUT ", GBoxAudio);
    auto* ext = new QGridLayout(GBoxEXT);
    for (int n = 1; n <= 2; ++n) {
        const QString output = QString("EXT OUT %1").arg(n);
        LabExtOuts[static_cast<std::size_t>(n)] = Caption("", GBoxEXT);
        Name(LabExtOuts[static_cast<std::size_t>(n)], QString("LabExtOut%1").arg(n));
        auto* bar = new TTrackBar(QString("TBarEXT%1").arg(n), output + " gain",
                                  GainMaximum(RegExtGain1, n), GainTickStep, GBoxEXT);
        auto* config = SourceButton(QString("MBtnConfigEXT%1").arg(n),
                                    QString("EXT %1 configuration").arg(n), GBoxEXT);
        if (n == 1) {
            extGains = bar;
            extConfigs = config;
        }
        ext->addWidget(LabExtOuts[static_cast<std::size_t>(n)], n, 0, Qt::AlignRight);
        ext->addWidget(SourceButton(QString("MBtnEXT%1").arg(n), output + " source", GBoxEXT), n,
                       1);
        ext->addLayout(TrackBarWithScale(bar, GainCaptions, GBoxEXT), n, 2);
        ext->addWidget(GainLabel(QString("LabEXT%1").arg(n), GBoxEXT, 40), n, 3);
        ext->addWidget(Caption("dB", GBoxEXT), n, 4);
        ext->addWidget(config, n, 5);
    }

    GBoxPreset = new TGroupBox("GBoxPreset", " PRESETS ", GBoxAudio);
    auto* preset = new QHBoxLayout(GBoxPreset);
    MBtnLoad = new TMenuButton("MBtnLoad", "", GBoxPreset);
    MBtnLoad->SetCaption("Load...");
    PMLoad = new TPopupMenu("PMLoad", this);
    PMLoad->addAction("Load From File...");
    PMLoad->addSeparator();
    PMLoad->addAction("Load Factory Defaults");
    MBtnLoad->SetDropDownMenu(PMLoad);
    BtnSave = new TButton("BtnSave", "Save...", GBoxPreset);
    preset->addWidget(MBtnLoad);
    preset->addWidget(BtnSave);

    // The caption panels belong to the audio group itself, so they stay when the groups'
    // contents are hidden. Each stands over the column it names, in a row of its own height.
    const int spacing = grid->verticalSpacing();
    const auto captionOver = [&](const char* name, const char* text, QWidget* column,
                                 QWidget* frame) {
        QLabel* caption = Caption(text, GBoxAudio);
        Name(caption, name);
        new CaptionAbove(caption, column, frame, spacing);
        return caption->height();
    };
    const auto captionRow = [](int height) {
        return new QSpacerItem(0, height, QSizePolicy::Minimum, QSizePolicy::Fixed);
    };
    grid->addItem(captionRow(captionOver("PanGainSDI", "Audio Gain SDI", sdiGains, GBoxSDI)), 0, 0);
    grid->addWidget(GBoxSDI, 1, 0);
    grid->addWidget(GBoxMIC, 1, 1);
    const int extRow =
        std::max(captionOver("PanGainEXT", "Audio Gain EXT", extGains, GBoxEXT),
                 captionOver("PanConfigEXT", "EXT Configuration", extConfigs, GBoxEXT));
    grid->addItem(captionRow(extRow), 2, 0);
    grid->addWidget(GBoxEXT, 3, 0);
    grid->addWidget(GBoxPreset, 3, 1, Qt::AlignTop);
    return GBoxAudio;
}
