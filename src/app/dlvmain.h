#pragma once

#include <QMainWindow>
#include <QStringList>

#include "dlvcfg.h"
#include <memory>

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class QPushButton;
class QTimer;
class QToolButton;
class QWidget;

namespace dlv {


class TChartEvt;
class TChartPrf;
class TDLVFileSys;
struct TEvent;
class TFileSys630;
class TformDownload;
class TformHelp;
class TGridEvents;
class TMediaPlayer;
class TMeterThread;
enum class TMPBtnType;

// The main window: meter and day selection, the day view (time-history chart,
// meter details, event list, event chart and player) and the menus. One
// instance (formMain) for the program's run. It owns the settings store, the
// data folder tree, the meter thread and the day measurement. Main thread only.
//
// The implementation is split by concern: dlvmain.cpp (frame, start-up,
// shut-down, menus), dlvmain_nav.cpp (meters, days, LoadDay, meter details),
// dlvmain_prf.cpp (time-history chart), dlvmain_events.cpp (event list),
// dlvmain_evtchart.cpp (event chart and playback), dlvmain_meter.cpp (meter
// thread status).
class TformMain : public QMainWindow
{
    Q_OBJECT

public:
    // Creating the window runs FormCreate. pCfg: a loaded-or-not store the
    // window takes over (tests pass their own); null creates the real one.
    explicit TformMain(std::unique_ptr<TCfg> pCfg = nullptr, QWidget *pParent = nullptr);
    ~TformMain() override; // FormDestroy

    // Windows created after the main window (program entry).
    void SetDownloadForm(TformDownload *p) { formDownload = p; }
    void SetHelpForm(TformHelp *p) { formHelp = p; }

    // Public fields used across subsystems.
    std::unique_ptr<TFileSys630> fs630;
    const QStringList *slMonths = nullptr; // belongs to filesys
    int iEvtSel = -1;

    // Navigation (dlvmain_nav.cpp)
    void ShowMeters();
    void ShowFolders();
    // True when the day's run headers were read and the day is shown; false
    // when they could not be (the measurement and the view stay on the day
    // they held) or a loading step raised an error (shown to the user).
    bool LoadDay(int nListIndex);
    void MeterStatusChange(int nSlmStat); // dlvmain_meter.cpp
    void ShowMeterDetails();

    // Day views
    void PlotProfile();                          // dlvmain_prf.cpp
    void ShowPrfMarkers();                       // dlvmain_prf.cpp
    void ShowEvents();                           // dlvmain_events.cpp
    void LoadSelectedEvent(int iEvt);            // dlvmain_events.cpp
    void PlotEvent(int iEvt, TChartEvt *pChart); // dlvmain_evtchart.cpp

    void UpdateMenus();
    void AdjustEventsPanel();

    // Placement rule of FormShow: the stored normal position is applied only
    // when every bound holds (strictly).
    static bool PlacementRestorable(int nLeft, int nTop, int nWidth, int nHeight,
                                    int nScreenWidth, int nScreenHeight);

    // Controls, named as in the design (exposed for tests and reports).
    QWidget *panelBtns = nullptr;
    QWidget *panelFolderMenu = nullptr;
    QLabel *lblTxtMeter = nullptr;
    QComboBox *comboMeters = nullptr;
    QWidget *panelPrfBtns = nullptr;
    QPushButton *btnMeterDetails = nullptr;
    QToolButton *btnZoomOut = nullptr;
    QWidget *panelSlmCnx = nullptr;
    QLabel *ledSlmCnx = nullptr;
    QLabel *lblConnected = nullptr;
    QWidget *panelFolders = nullptr;
    QListWidget *listboxFolders = nullptr;
    QWidget *panelMain = nullptr;
    QWidget *panelNoise = nullptr;
    QWidget *panelMeter = nullptr;
    QListWidget *listMeterDetails = nullptr;
    QWidget *panelPrf = nullptr;
    QLabel *panelPrfHead = nullptr;
    TChartPrf *chartPrf = nullptr;
    QWidget *panelEvents = nullptr;
    QLabel *panelEvtHeadEvt = nullptr;
    QLabel *panelEvtHeadTH = nullptr;
    TGridEvents *gridEvents = nullptr;
    TMediaPlayer *mplayer = nullptr;
    TChartEvt *chartEvt = nullptr;
    QTimer *timerWav = nullptr;

    // Menus
    QMenu *menuFile = nullptr;
    QAction *menuDataFolders = nullptr;
    QAction *menuExport = nullptr;
    QAction *menuitemPrint = nullptr;
    QAction *menuitemExit = nullptr;
    QMenu *menuEdit = nullptr;
    QMenu *menuCopyToClip = nullptr;
    QMenu *menuCopyTH = nullptr;
    QAction *menuCopyTHChart = nullptr;
    QAction *menuCopyTHTbl = nullptr;
    QAction *menuCopyEvents = nullptr;
    QMenu *menuCopyEvt = nullptr;
    QAction *menuCopyEvtTH = nullptr;
    QAction *menuCopyEvtTbl = nullptr;
    QMenu *menuView = nullptr;
    QMenu *menuTHRate = nullptr;
    QActionGroup *groupTHRate = nullptr;
    QAction *menuTH1s = nullptr;
    QAction *menuTH5m = nullptr;
    QAction *menuTH15m = nullptr;
    QAction *menuTH1h = nullptr;
    QAction *menuSLMDetails = nullptr;
    QMenu *menuEvtParam = nullptr;
    QActionGroup *groupEvtParam = nullptr;
    QAction *menuEvtLAeq = nullptr;
    QAction *menuEvtLAFmax = nullptr;
    QMenu *menuItemHelp = nullptr;
    QAction *menuHelpOverview = nullptr;
    QMenu *menuHelpSlm = nullptr;
    QAction *menuHelpSlmConfig = nullptr;
    QAction *menuHelpDownload = nullptr;
    QMenu *menuHelpUI = nullptr;
    QAction *menuHelpTH = nullptr;
    QAction *menuHelpEvents = nullptr;
    QMenu *menuReports = nullptr;
    QAction *menuHelpPrint = nullptr;
    QAction *menuHelpClipboard = nullptr;
    QAction *menuHelpHTML = nullptr;
    QAction *menuHelpCSV = nullptr;
    QAction *menuHelpFileMan = nullptr;
    QAction *menuHelpGlossary = nullptr;
    QAction *menuHelpAbout = nullptr;

    TDLVFileSys *FileSys() const { return filesys.get(); }
    TMeterThread *MeterThread() const { return slm.get(); }

protected:
    void showEvent(QShowEvent *pEvent) override;   // FormShow
    void resizeEvent(QResizeEvent *pEvent) override; // FormResize
    void closeEvent(QCloseEvent *pEvent) override;

private:
    void FormCreate();
    void FormShow();
    void FormDestroy();
    void ApplyStoredPlacement();
    void CreateControls();
    void CreateMenus();

    // Handlers
    void menuitemExitClick();
    void menuHelpAboutClick();
    void LoadHelp(); // every topic item of the Help menu
    void comboMetersChange();                 // dlvmain_nav.cpp
    void listboxFoldersClick();               // dlvmain_nav.cpp
    void menuDataFoldersClick();              // dlvmain_nav.cpp
    void btnMeterDetailsClick();              // dlvmain_nav.cpp
    void PrfPeriodClick(QAction *pItem);      // dlvmain_prf.cpp
    void chartPrfZoom();                      // dlvmain_prf.cpp
    void btnZoomOutClick();                   // dlvmain_prf.cpp
    void chartPrfUndoZoom();                  // dlvmain_prf.cpp
    void ToggleEvtParam();                    // dlvmain_events.cpp
    void CommitEvtNotes();                    // dlvmain_events.cpp
    void SetNotesEditing(bool bOn);           // dlvmain_events.cpp
    void gridEventsSelectCell(int nCol, int nRow); // dlvmain_events.cpp
    void gridEventsKeyDown(int nKey);         // dlvmain_events.cpp
    void gridEventsExit();                    // dlvmain_events.cpp
    void gridEventsMouseDown(int nCol, int nRow); // dlvmain_events.cpp
    void gridEventsFixedCellClick(int nCol);  // dlvmain_events.cpp
    void menuEvtParamClick();                 // dlvmain_events.cpp
    bool GridHoldsLoadedDay() const;          // dlvmain_events.cpp
    // The day's item i; null without a measurement or when i is none of its
    // items (dlvmain_events.cpp).
    const TEvent *EventAt(int i) const;
    void mplayerClick(TMPBtnType btn);        // dlvmain_evtchart.cpp
    void gridEventsDblClick();                // dlvmain_evtchart.cpp
    void SyncPlayCursor(bool bPlay);          // dlvmain_evtchart.cpp
    void timerWavTimer();                     // dlvmain_evtchart.cpp
    void MoveEvtCursor(qint64 nPos);          // dlvmain_evtchart.cpp
    void chartEvtMouseDown(int nX);           // dlvmain_evtchart.cpp
    void StartMeterThread();                  // dlvmain_meter.cpp
    void StopMeterThread();                   // dlvmain_meter.cpp

    // Wiring of the day-view widgets, one per concern file.
    void ConnectNavigation(); // dlvmain_nav.cpp
    void ConnectPrfChart();   // dlvmain_prf.cpp
    void ConnectEvents();     // dlvmain_events.cpp
    void ConnectEvtChart();   // dlvmain_evtchart.cpp

    // Day-list text of a day folder (dlvmain_nav.cpp).
    static QString DayText(const QString &sFolder);
    void HideDayView(); // dlvmain_nav.cpp

    std::unique_ptr<TCfg> m_pCfg;
    std::unique_ptr<TDLVFileSys> filesys;
    std::unique_ptr<TMeterThread> slm;
    TformDownload *formDownload = nullptr;
    TformHelp *formHelp = nullptr;
    int nEvtCursor = -1;
    bool bEvtNotesEdited = false;
    bool m_bDestroyed = false;
};

// The one main window, set while it exists.
extern TformMain *formMain;

} // namespace dlv
