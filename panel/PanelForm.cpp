// The form as designed: the dialog, its background panel, the corner pictures and the identity,
// input and output groups. Every control gets its name, caption, colours and place here; what
// the controls show is the status view's business.
#include "UnitGPI.h"

#include "Button.h"
#include "Colours.h"
#include "CommandTag.h"
#include "CornerArt.h"
#include "GroupBox.h"
#include "MenuButton.h"
#include "PanelStyle.h"
#include "PopupMenu.h"
#include "Tag.h"
#include "ValuePanel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace panel_style;

namespace {

// The error count's reset, fixed in the form.
constexpr int ResetTag = CommandTag(RegisterAt(RegEdhCrcErrors).commandCode, 1);
constexpr int ValueWidth = 150;

QLabel* Picture(const QString& name, CornerSide side, QWidget* parent) {
    auto* picture = new QLabel(parent);
    Name(picture, name);
    picture->setPixmap(CornerPicture(side));
    picture->setFixedSize(CornerPictureSize);
    return picture;
}

} // namespace

void TFormEdit::BuildForm() {
    setObjectName("FormEdit");
    QPalette formPalette = palette();
    formPalette.setColor(QPalette::Window, FormGrey);
    formPalette.setColor(QPalette::WindowText, CaptionWhite);
    formPalette.setColor(QPalette::ButtonText, CaptionWhite);
    setPalette(formPalette);
    setAutoFillBackground(true);
    QFont formFont("Tahoma");
    formFont.setPixelSize(13);
    setFont(formFont);
    // A dialog border with only the system menu among the title bar's buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    PanelBack = new QWidget(this);
    Name(PanelBack, "PanelBack");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(PanelBack);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    auto* column = new QVBoxLayout(PanelBack);
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(6);
    BuildHeader(PanelBack);
    auto* header = new QHBoxLayout;
    header->addWidget(ImageLeft, 0, Qt::AlignTop);
    header->addWidget(GBoxDevice, 1);
    header->addWidget(ImageRight, 0, Qt::AlignTop);
    column->addLayout(header);
    auto* signals_ = new QHBoxLayout;
    signals_->addWidget(BuildInputGroup(PanelBack), 1);
    signals_->addWidget(BuildOutputGroup(PanelBack), 1);
    column->addLayout(signals_);
    column->addWidget(BuildAudioGroup(PanelBack));

    PMFormat = new TPopupMenu("PMFormat", this);
    PMBars = new TPopupMenu("PMBars", this);
    PMLossMode = new TPopupMenu("PMLossMode", this);
    MBtnFormat->SetDropDownMenu(PMFormat);
    MBtnBars->SetDropDownMenu(PMBars);
    MBtnLossMode->SetDropDownMenu(PMLossMode);

    // Hidden contents keep their place, so the panel has its full size from the start and does
    // not jump when the first reply shows them.
    for (QWidget* box : {static_cast<QWidget*>(GBoxDevice), static_cast<QWidget*>(GBoxInput),
                         static_cast<QWidget*>(GBoxOutput), static_cast<QWidget*>(GBoxSDI),
                         static_cast<QWidget*>(GBoxEXT), static_cast<QWidget*>(GBoxMIC),
                         static_cast<QWidget*>(GBoxPreset)})
        for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            QSizePolicy policy = child->sizePolicy();
            policy.setRetainSizeWhenHidden(true);
            child->setSizePolicy(policy);
        }
}

void TFormEdit::BuildHeader(QWidget* parent) {
    ImageLeft = Picture("ImageLeft", CornerSide::Left, parent);
    ImageRight = Picture("ImageRight", CornerSide::Right, parent);
    GBoxDevice = new TGroupBox("GBoxDevice", "", parent);
    auto* grid = new QGridLayout(GBoxDevice);
    grid->setHorizontalSpacing(8);
    PanFPGA = Value("PanFPGA", GBoxDevice, 110);
    PanSVer = Value("PanSVer", GBoxDevice, 50);
    PanPVer = Value("PanPVer", GBoxDevice, 50);
    PanSN = Value("PanSN", GBoxDevice, 110);
    grid->addWidget(Caption(" FPGA Version:", GBoxDevice), 0, 0, Qt::AlignRight);
    grid->addWidget(PanFPGA, 0, 1);
    grid->addWidget(Caption("Software Version:", GBoxDevice), 0, 2, Qt::AlignRight);
    grid->addWidget(PanSVer, 0, 3);
    grid->addWidget(Caption("S/N:", GBoxDevice), 1, 0, Qt::AlignRight);
    grid->addWidget(PanSN, 1, 1);
    grid->addWidget(Caption("Protocol Version:", GBoxDevice), 1, 2, Qt::AlignRight);
    grid->addWidget(PanPVer, 1, 3);
}

QWidget* TFormEdit::BuildInputGroup(QWidget* parent) {
    GBoxInput = new TGroupBox("GBoxInput", " INPUT SIGNAL ", parent);
    auto* grid = new QGridLayout(GBoxInput);
    PanInputFormat = Value("PanInputFormat", GBoxInput, ValueWidth);
    PanInputAudio = new QWidget(GBoxInput);
    Name(PanInputAudio, "PanInputAudio");
    auto* audio = new QHBoxLayout(PanInputAudio);
    audio->setContentsMargins(0, 0, 0, 0);
    for (std::size_t i = 1; i <= 4; ++i) {
        PanInputAudios[i] = Value(QString("PanInputAudio%1").arg(i), PanInputAudio, 24);
        audio->addWidget(PanInputAudios[i]);
    }
    PanEDH = Value("PanEDH", GBoxInput, 60);
    BtnEDH = new TButton("BtnEDH", "Reset", GBoxInput);
    SetTag(BtnEDH, ResetTag);
    grid->addWidget(Caption("Video Format:", GBoxInput), 0, 0, Qt::AlignRight);
    grid->addWidget(PanInputFormat, 0, 1, 1, 2);
    grid->addWidget(Caption("Audio Groups:", GBoxInput), 1, 0, Qt::AlignRight);
    grid->addWidget(PanInputAudio, 1, 1, 1, 2);
    grid->addWidget(Caption("EDH/CRC Errors:", GBoxInput), 2, 0, Qt::AlignRight);
    grid->addWidget(PanEDH, 2, 1);
    grid->addWidget(BtnEDH, 2, 2);
    grid->setRowStretch(3, 1);
    return GBoxInput;
}

QWidget* TFormEdit::BuildOutputGroup(QWidget* parent) {
    GBoxOutput = new TGroupBox("GBoxOutput", " OUTPUT SIGNAL ", parent);
    auto* grid = new QGridLayout(GBoxOutput);
    MBtnFormat = new TMenuButton("MBtnFormat", "Output video format", GBoxOutput);
    MBtnBars = new TMenuButton("MBtnBars", "Bars", GBoxOutput);
    MBtnLossMode = new TMenuButton("MBtnLossMode", "Loss mode", GBoxOutput);
    PanOutputAudio = new QWidget(GBoxOutput);
    Name(PanOutputAudio, "PanOutputAudio");
    auto* audio = new QHBoxLayout(PanOutputAudio);
    audio->setContentsMargins(0, 0, 0, 0);
    for (int i = 1; i <= 4; ++i) {
        auto* button =
            new TButton(QString("BtnAGroup%1").arg(i), QString::number(i), PanOutputAudio);
        button->SetToggleRole(QString("Audio group %1").arg(i));
        SetTextColour(button, OffText);
        SetTag(button, ToggleDesignTag);
        audio->addWidget(button);
    }
    grid->addWidget(Caption("Video Format:", GBoxOutput), 0, 0, Qt::AlignRight);
    grid->addWidget(MBtnFormat, 0, 1);
    grid->addWidget(Caption("BARS:", GBoxOutput), 1, 0, Qt::AlignRight);
    grid->addWidget(MBtnBars, 1, 1);
    grid->addWidget(Caption("Loss Mode:", GBoxOutput), 2, 0, Qt::AlignRight);
    grid->addWidget(MBtnLossMode, 2, 1);
    grid->addWidget(Caption("Audio Groups:", GBoxOutput), 3, 0, Qt::AlignRight);
    grid->addWidget(PanOutputAudio, 3, 1);
    for (TMenuButton* button : {MBtnFormat, MBtnBars, MBtnLossMode}) {
        MarkAsValue(button);
        button->setMinimumWidth(ValueWidth);
    }
    return GBoxOutput;
}
