#pragma once

#include "files/qcd_file.h"
#include "project/project_state.h"
#include "ui/main/main_layout.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QRectF>
#include <array>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollArea;

namespace ondrel {
class Catalogue;
class SerialLineFactory;
class UserCatalogue;
struct CommandListFill;
} // namespace ondrel

namespace ondrel::ui {

class FrmConfigButtons;
class FrmControlPortSettings;
class PanelProgramming;
class frmProjectorSelect;
class frmUserModels;
class Diagnostic_in;
class FrmLabels;
class Simulator;

// The main window: ten button frames laid out like the wall panel, the timer display, the two
// big command buttons and the menu bar. It lives for the whole run and renders the view state
// of the project it is given. Controls and menu items carry their design names as object names.
class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Client area in twips.
    static constexpr double kClientWidth = MainLayout::kClientWidth;
    static constexpr double kClientHeight = MainLayout::kClientHeight;

    explicit FrmMain(ProjectState& state, QWidget* parent = nullptr);
    ~FrmMain() override;

    ProjectState& state() { return state_; }

    QGroupBox* frmButton(int i) const { return frames_.at(size_t(i)); }
    QLabel* Label3(int i) const { return deviceLabel1_.at(size_t(i)); }
    QComboBox* Combo1(int i) const { return commandList1_.at(size_t(i)); }
    QLabel* Label4(int i) const { return deviceLabel2_.at(size_t(i)); }
    QComboBox* Combo2(int i) const { return commandList2_.at(size_t(i)); }
    QPushButton* cmdReConfig(int i) const { return reconfigureButtons_.at(size_t(i)); }
    QLineEdit* Text1(int i) const { return timerBoxes_.at(size_t(i)); }
    // "Upload New configuration to Control" and "Restore Factory Setup" (objects Command1 and
    // Command2).
    QPushButton* uploadButton() const { return uploadButton_; }
    QPushButton* restoreButton() const { return restoreButton_; }

    // Renders the view state of the project: command-list texts, device labels, second command
    // lists, the second-projector and port-one menu states and the timer texts.
    void refreshFromState();

    // How the client area is laid out (see MainLayout).
    using Layout = MainLayout::Layout;
    // Lays the client area out for the room it has, in twips, on a screen of `pixelRatio`
    // device pixels per device-independent one (0: the window's own). Always starts from the
    // design layout, which is kept wherever it fits.
    void applyWorkArea(QSizeF clientRoomTwips, qreal pixelRatio = 0);
    // The same for a work area (device-independent pixels) that must hold the whole window: its
    // frame, menu bar and client area.
    void applyWindowWorkArea(QSize workArea, qreal pixelRatio = 0);
    // The same for the work area of the screen the window is on; re-run when it moves to another
    // screen or that screen's work area changes.
    void applyScreenWorkArea();
    Layout layout() const { return layout_; }
    bool isCompact() const { return layout_ == Layout::Compact; }
    // The widget holding the design's controls (inside a scroll area).
    QWidget* client() const { return client_; }

    // Sets the twenty relay check marks from the ten records (a mark means Momentary).
    void CheckRelays();

    // Opens the button configuration window on button `index` ("View Button Detail/Reconfigure").
    FrmConfigButtons* openButtonConfiguration(int index);

    // "Settings" > "Port 1"/"Port 2": the control port settings window for port `index` (0 or 1).
    FrmControlPortSettings* showPortSettings(int index);
    // Catalogue side: model selection and the command lists (frm_main_catalogue.cpp).
    // The catalogue beside the program, or the one at `path` (tests, tools).
    const Catalogue& catalogue() const { return *catalogue_; }
    void useCatalogue(const QString& path);
    // Fills `device`'s command lists from state.protocolNumber(), with (PopulateCombos) or
    // without (PopulateCombos2) the default commands.
    void PopulateCombos(int device);
    void PopulateCombos2(int device);
    // A command chosen in a list of button `index` (by the user; the program stores its own).
    void Combo1_Click(int index);
    void Combo2_Click(int index);
    // Sets the type of the button whose command was chosen last from its device #1 command.
    void Combo1_DblClick(int index);
    // "View Button Detail/Reconfigure": the one-time custom-setup warning, then the dialog.
    void cmdReConfig_Click(int index);
    void mnuControl_Click(int index);
    void mnuEnable2_Click();
    void mnuKdx_Click();
    void uploadport_Click(int index);
    // The model selection window, while it is open.
    frmProjectorSelect* projectorSelect() const;
    // "Projector" > "Your Own Models...": the installer's own catalogue models.
    frmUserModels* mnuUserModels_Click();
    frmUserModels* userModels() const;

    // Files side: "&Open", "&Save", "Save As", the save prompt on closing and the timer dialog
    // (frm_main_files.cpp). Each gives true when it did what was asked; a cancel or a failure
    // (already shown to the user) gives false.
    // "&Save" (Ctrl+S) writes to the file the configuration was opened from or saved to last,
    // and asks for a name only when there is none; "Save As" (Ctrl+Shift+S) always asks.
    bool OpenConfiguration();
    bool SaveConfiguration();
    bool SaveAs();
    // Opens `path` without asking for a name (the recent-files list, a file named on the command
    // line) and makes it the current file.
    bool openFile(const QString& path);
    // The configuration file shown in the caption; empty for a new configuration.
    QString documentFile() const { return documentFile_; }
    // Most recent first, kept in the per-user settings.
    QStringList recentFiles() const;
    // The catalogue lookups an open repeats for each device.
    DatasetLookup datasetLookup;
    // Asks for the file to open or save; empty when cancelled. Replaceable where no file dialog
    // can be answered.
    std::function<QString(bool forSaving)> chooseConfigurationFile;
    // The folder the file dialog starts in.
    QString fileDialogFolder;

    // Asked before the window closes (close box or "E&xit"); returning false keeps it open.
    std::function<bool()> closeGuard;

    // Closes the serial port of the incoming data monitor, if it is open, so that programming can
    // use the same port.
    void releaseMonitorPort();
    // Upload, factory restore, firmware update and the upload report.
    PanelProgramming& programming() const { return *programming_; }

signals:
    // A click on the timer display (Picture1 or any Text1 box).
    void timerDisplayClicked();
    // The window has closed for good: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildTimerDisplay();
    void buildButtonFrame(int i);
    void buildCommandsAndBrand();
    void buildLines();
    // Pairs each control of the layout's design with its widget.
    void attachDesign();
    // In the scaled layout: a smaller face for captions that would be cut.
    void fitFrameCaptions();
    void buildMenus();
    void buildFileAndPortMenus();
    void buildProjectorAndTimerMenus();
    void buildRelaysMenu();
    void buildProgramAndToolMenus();
    void relayClicked(int button, int relay);
    void setUpCatalogue();
    void showCommandLists();
    void showModel(int device, const CommandListFill& lists);
    // A catalogue lookup after a choice failed (the catalogue became unreadable, a protocol row
    // is missing): shown without blocking.
    void showCatalogueFailure(const Error& error);
    void setUpFiles();
    QString askForConfigurationFile(bool forSaving);
    bool confirmClose();
    // Makes `path` the current file: caption, Recent Files, and the name the history and the room
    // sheet give the configuration. Every open and save ends here.
    void setDocumentFile(const QString& path);
    void showDocumentName();
    void fillRecentFiles();
    // With unsaved changes, asks whether to save them first; false when the user cancels.
    bool askToSaveChanges(const QString& question);
    // The menu items that open the tool windows (frm_main_tools.cpp).
    void connectToolWindows();
    // The programming commands and the room records, and their menu items.
    void connectProgramming();
    // The serial ports of this machine, for the programming commands, monitor and simulator.
    static const SerialLineFactory& serialLines();

    ProjectState& state_;
    QWidget* client_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    std::array<QGroupBox*, kButtonCount> frames_{};
    std::array<QLabel*, kButtonCount> deviceLabel1_{};
    std::array<QComboBox*, kButtonCount> commandList1_{};
    std::array<QLabel*, kButtonCount> deviceLabel2_{};
    std::array<QComboBox*, kButtonCount> commandList2_{};
    std::array<QPushButton*, kButtonCount> reconfigureButtons_{};
    std::array<QLineEdit*, 4> timerBoxes_{};
    std::array<QFrame*, 9> lines_{};
    QPushButton* uploadButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QLabel* timerPicture_ = nullptr;
    QLabel* productName_ = nullptr;
    QLabel* brandImage_ = nullptr;
    QPointer<FrmControlPortSettings> portSettings_;
    QPointer<FrmConfigButtons> configButtons_;
    MainLayout mainLayout_;
    std::vector<QWidget*> layoutWidgets_; // one per control of mainLayout_
    std::vector<QFont> designFonts_;      // their faces in the design layout
    Layout layout_ = Layout::Full;
    bool followsScreen_ = false;
    QString documentFile_;
    std::unique_ptr<Catalogue> catalogue_;
    QPointer<frmProjectorSelect> projectorSelect_;
    QPointer<frmUserModels> userModels_;
    std::unique_ptr<UserCatalogue> userCatalogue_; // what userModels_ writes; anew for each one
    void ownModelChanged(const QString& manufacturer, const QString& model);
    int currentButton_ = -1; // the button whose command was chosen last
    bool customWarningShown_ = false;
    // Tool windows: one instance each while open.
    QPointer<FrmLabels> frmLabels_;
    QPointer<Diagnostic_in> monitor_;
    QPointer<Simulator> simulator_;
    QPointer<QWidget> serialPorts_;
    PanelProgramming* programming_ = nullptr;

    // Menu bar, with the design's names (tests and tools reach the items by object name).
    QMenu* mnuFike = nullptr;
    QAction* mnuOpenFile = nullptr;
    QAction* mnuSave = nullptr;
    QAction* mnuSaveas = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* mnuRecent = nullptr;
    QMenu* mnuControlPorts = nullptr;
    QMenu* mnuSettings = nullptr;
    std::array<QAction*, 2> mnuPort{};
    QAction* mnuKdx = nullptr;
    QAction* mnuSerialPorts = nullptr; // which devices the PC ports 1 to 3 reach
    QMenu* mnuProjector = nullptr;
    QMenu* mnuSelectModel = nullptr;
    std::array<QAction*, 2> mnuControl{};
    QAction* mnuEnable2 = nullptr;
    QAction* mnuUserModels = nullptr;
    QMenu* mnuTimer = nullptr;
    QAction* mnuSetupTimer = nullptr;
    QMenu* Relays = nullptr;
    std::array<QMenu*, kButtonCount> RB{};
    std::array<std::array<QAction*, 2>, kButtonCount> RL{}; // RL[n - 1] is the design's RLn
    QMenu* mnuPrgrm = nullptr;
    QMenu* mnuCommSett = nullptr;
    std::array<QAction*, 4> uploadport{}; // indices 1 to 3; 0 is unused
    QAction* mnuUpload = nullptr;
    QAction* mnuRestore = nullptr;
    QAction* mnuViewDta = nullptr;
    QAction* mnuFrmWare = nullptr;
    QMenu* mnuLables = nullptr;
    QAction* mnuLabelLayout = nullptr;
    QMenu* mnuDiag = nullptr;
    QAction* mnuIncmDta = nullptr;
    QAction* mnuSim = nullptr;
    QMenu* mnuHelp = nullptr; // last on the bar
    QAction* mnuUserGuide = nullptr;
    QAction* mnuAbout = nullptr;
};

} // namespace ondrel::ui
