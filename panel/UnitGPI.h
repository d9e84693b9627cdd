// The control panel of one opened unit: a modal dialog that shows the unit's identity, input
// status and settings as the unit reports them, and turns the operator's choices into commands
// for the device worker. The panel never opens, configures or closes the USB link itself.
#pragma once

#include "DeviceRegisters.h"
#include "Frames.h"
#include "OneBased.h"
#include "UnitThread.h"
#include "WorkerMessages.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

class QLabel;
class TButton;
class TGroupBox;
class TMenuButton;
class TPopupMenu;
class TTrackBar;
class TValuePanel;

// Handed to the panel by the device list right before it creates the panel, and left alone while
// the panel exists.
extern std::uint32_t ModelVariant;    // 0..5 for the known variants
extern std::int32_t DeviceGeneration; // 1 or 2
extern std::string UnitSerial;        // as the USB device list reports it

// How the panel formats numbers: the decimal separator is always a point, whatever the locale.
struct NumberFormat {
    char DecimalSeparator;
};
inline constexpr NumberFormat PanelFormatSettings{'.'};

class TFormEdit : public QDialog, public DeviceMessageSink {
    Q_OBJECT

public:
    // Builds the form and runs FormCreate: the controls per ModelVariant and DeviceGeneration,
    // groups hidden, and an idle Worker reporting to this panel.
    explicit TFormEdit(QWidget* owner);
    // FormDestroy: stops and frees the Worker before anything else goes.
    ~TFormEdit() override;

    // Called on the worker thread: hands the message to the panel's thread.
    bool PostDeviceMessage(unsigned message, std::uint32_t wParam,
                           std::unique_ptr<StatusReply> reply) override;

    // Shows or hides every control whose parent is `box`; the box keeps its frame and caption.
    void SetGroupContentsVisible(QWidget* box, bool visible);
    void HideGroups();
    void ShowGroups();

    // The status view: decodes one reply onto the controls (WM_DEV_STATUS).
    void WMDevStatus(std::uint32_t wParam, std::unique_ptr<StatusReply> reply);
    // Closes any drop-down menu that is open.
    static void ClosePopupMenus();

    // Commands. Each queues at once and never waits for the unit.
    // Click of a button or value menu item: queues (bits 8..15, bits 0..7) of its Tag.
    void CommandBtnClick(QObject* sender);
    // A gain track bar moved: its label follows at once, and its position is queued with the
    // command code in the label's Tag.
    void TBarChange(TTrackBar* sender);
    // A value menu drops down: checks the item at its button's Tag, if there is one.
    void PMPopup(TPopupMenu* sender);
    // Numbers the command with the next CommandSerial (1 .. 4294967294, then 1 again) and hands
    // it to the worker; PendingSerial then waits for its reply. Nothing happens when the worker
    // is not running or does not take the command.
    void QueueCommand(std::uint8_t command, std::uint8_t value);
    // The same for a whole-block write of a copy of `block`; allocates nothing when the worker
    // is not running.
    void QueueBlock(const RegisterBlock& block);

    // Presets. Both file dialogs open in PresetDir, and a chosen file's directory becomes
    // PresetDir at once, whether or not the file can then be written or read.
    // "Save...": writes the newest reply's register block to a preset file of the operator's
    // choice; "Cannot Save File" when it cannot be written, any earlier file being kept intact.
    void MenuSaveFileClick();
    // "Load From File...": queues the block of a preset file of the operator's choice, with the
    // unit's own values for the microphone and EXT registers it has no use for; "Invalid File
    // Format" and nothing queued when the file cannot be read or is not a preset.
    void MenuLoadFileClick();
    // "Load Factory Defaults": after a Yes to the confirmation (No being the default), queues the
    // whole factory block, registers 26..39 included, on every variant.
    void MenuLoadFactoryClick();

    // The form's controls.
    QWidget* PanelBack = nullptr;
    QLabel* ImageLeft = nullptr;
    QLabel* ImageRight = nullptr;
    TGroupBox* GBoxDevice = nullptr;
    TValuePanel* PanFPGA = nullptr;
    TValuePanel* PanSVer = nullptr;
    TValuePanel* PanPVer = nullptr;
    TValuePanel* PanSN = nullptr;
    TGroupBox* GBoxInput = nullptr;
    TValuePanel* PanInputFormat = nullptr;
    QWidget* PanInputAudio = nullptr;
    OneBased<TValuePanel*, 4> PanInputAudios;
    TValuePanel* PanEDH = nullptr;
    TButton* BtnEDH = nullptr;
    TGroupBox* GBoxOutput = nullptr;
    TMenuButton* MBtnFormat = nullptr;
    TMenuButton* MBtnBars = nullptr;
    TMenuButton* MBtnLossMode = nullptr;
    QWidget* PanOutputAudio = nullptr;
    TGroupBox* GBoxAudio = nullptr;
    TGroupBox* GBoxSDI = nullptr;
    TGroupBox* GBoxEXT = nullptr;
    OneBased<QLabel*, 2> LabExtOuts;
    TGroupBox* GBoxMIC = nullptr;
    TGroupBox* GBoxPreset = nullptr;
    TMenuButton* MBtnLoad = nullptr;
    TButton* BtnSave = nullptr;
    TPopupMenu* PMFormat = nullptr;
    TPopupMenu* PMBars = nullptr;
    TPopupMenu* PMLossMode = nullptr;
    TPopupMenu* PMLoad = nullptr;

    // Panel fields, in declaration order.
    bool AesVariant = false;
    bool MicVariant = false;
    OneBased<TButton*, 4> AGroupButtons;
    OneBased<TMenuButton*, 8> SdiMenuButtons;
    OneBased<TTrackBar*, 8> SdiBars;
    OneBased<QLabel*, 8> SdiLabels;
    OneBased<TPopupMenu*, 8> SdiMenus;
    OneBased<TMenuButton*, 2> ExtMenuButtons;
    OneBased<TTrackBar*, 2> ExtBars;
    OneBased<QLabel*, 2> ExtLabels;
    OneBased<TPopupMenu*, 2> ExtMenus;
    OneBased<TMenuButton*, 2> ExtConfigButtons;
    OneBased<TPopupMenu*, 2> ExtConfigMenus;
    OneBased<TButton*, 4> MicButtons;
    OneBased<QLabel*, 4> MicLabels;
    OneBased<TTrackBar*, 4> MicBars;
    bool GroupsShown = false;
    std::uint32_t CommandSerial = 0;
    std::uint32_t PendingSerial = 0;
    StatusReply CurrentReply{};
    StatusReply LastShownReply{};
    std::unique_ptr<TDeviceThread> Worker;

protected:
    bool event(QEvent* event) override;
    // FormKeyDown: Escape ends the modal loop with cancel; no other key is handled here.
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The form as designed: every control with its name, caption, colours and place.
    void BuildForm();
    void BuildHeader(QWidget* parent);
    QWidget* BuildInputGroup(QWidget* parent);
    QWidget* BuildOutputGroup(QWidget* parent);
    QWidget* BuildAudioGroup(QWidget* parent);
    void FormCreate();
    void LookUpControls();
    // Notes which control shows each setting, by the register table's families.
    void MapSettingControls();
    void FillValueMenus();
    void ConnectHandlers();
    // Names the items of PMLoad and connects them and BtnSave to the preset handlers.
    void ConnectPresetHandlers();
    // A radio item of `menu` with its Tag, clicked through CommandBtnClick.
    QAction* AddValueItem(TPopupMenu* menu, const QString& caption, int tag);
    // Greys the item out and takes its click handler away, so that it can never be sent.
    void DisableItem(QAction* item);
    // Runs `post` with the next serial; on success that serial becomes the pending one.
    template <typename Post> void Queue(Post post);

    // The unit as the panel was handed it: what its registers' ranges and texts depend on.
    UnitKind Unit() const;

    // Status view steps on the panel's own fields.
    void ShowIdentity(const StatusReply& reply, const StatusReply& shown);
    void ShowInput(const StatusReply& reply, const StatusReply& shown);
    // Every setting whose register changed, each on its control as its kind says.
    void ShowSettings(const StatusReply& reply, const StatusReply& shown);
    void ShowSetting(const RegisterInfo& info, std::uint8_t value);

    // The exchange has ended.
    void WMDevStopped();

    // The control that shows a setting, by register offset: its menu button, its toggle or its
    // gain track bar (whose value label is its Tag's).
    struct SettingControl {
        TMenuButton* menu = nullptr;
        TButton* toggle = nullptr;
        TTrackBar* bar = nullptr;
    };
    std::array<SettingControl, RegisterCount> SettingControls{};
};
