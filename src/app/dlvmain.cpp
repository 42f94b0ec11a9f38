#include "dlvmain.h"

#include "dlvcfg.h"
#include "dlvchartevt.h"
#include "dlvchartprf.h"
#include "dlvfiles.h"
#include "dlvfilesys630.h"
#include "dlvgridevents.h"
#include "dlvhelp.h"
#include "dlvmeter.h"
#include "dlvplayer.h"
#include "dlvstyle.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace dlv {

TformMain *formMain = nullptr;

namespace {

constexpr int kDesignWidth = 928;
constexpr int kDesignHeight = 546;

QWidget *Panel(QWidget *pParent, const char *pszName)
{
    auto *p = new QWidget(pParent);
    p->setObjectName(QLatin1String(pszName));
    return p;
}

QLabel *Heading(const QString &sText, QWidget *pParent, const char *pszName)
{
    auto *p = new QLabel(sText, pParent);
    p->setObjectName(QLatin1String(pszName));
    p->setFixedHeight(18);
    p->setIndent(4);
    p->setAutoFillBackground(true);
    p->setFrameShape(QFrame::Panel);
    p->setFrameShadow(QFrame::Raised);
    QFont f = p->font();
    f.setBold(true);
    p->setFont(f);
    return p;
}

// The connection lamp: a 10-pixel lime circle with a green outline.
QPixmap LedPixmap()
{
    const qreal dpr = qApp->devicePixelRatio();
    QPixmap pm(QSize(12, 12) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0, 128, 0), 1));
    p.setBrush(QColor(0, 255, 0));
    p.drawEllipse(QRectF(1, 1, 10, 10));
    return pm;
}

// A magnifier with a red minus: the zoom-out glyph.
QIcon ZoomOutIcon()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(29, 29));
    p.setPen(QPen(QColor(60, 60, 60), 2.5));
    p.setBrush(QColor(235, 245, 255));
    p.drawEllipse(QRectF(3, 3, 19, 19));
    p.setPen(QPen(QColor(220, 0, 0), 3.5, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 12.5), QPointF(17, 12.5));
    return QIcon(pm);
}

} // namespace

TformMain::TformMain(std::unique_ptr<TCfg> pCfg, QWidget *pParent)
    : QMainWindow(pParent), m_pCfg(std::move(pCfg))
{
    formMain = this;
    setObjectName(QStringLiteral("formMain"));
    setWindowTitle(QStringLiteral("Quorvex - Dalvane"));
    setFont(DesignFont());
    CreateControls();
    CreateMenus();
    // The designed place: top left of the screen, 928 x 546 client area.
    move(0, 0);
    resize(kDesignWidth, kDesignHeight + menuBar()->sizeHint().height());
    FormCreate();
}

TformMain::~TformMain()
{
    FormDestroy();
    if (formMain == this)
        formMain = nullptr;
}

void TformMain::CreateControls()
{
    auto *pCentral = new QWidget(this);
    auto *pRoot = new QVBoxLayout(pCentral);
    pRoot->setContentsMargins(0, 0, 0, 0);
    pRoot->setSpacing(0);

    // Button bar
    panelBtns = Panel(pCentral, "panelBtns");
    panelBtns->setFixedHeight(24);
    auto *pBtns = new QHBoxLayout(panelBtns);
    pBtns->setContentsMargins(0, 0, 0, 0);
    pBtns->setSpacing(0);

    panelFolderMenu = Panel(panelBtns, "panelFolderMenu");
    panelFolderMenu->setFixedWidth(185);
    auto *pFolderMenu = new QHBoxLayout(panelFolderMenu);
    pFolderMenu->setContentsMargins(6, 1, 4, 1);
    lblTxtMeter = new QLabel(QStringLiteral("Meter"), panelFolderMenu);
    lblTxtMeter->setObjectName(QStringLiteral("lblTxtMeter"));
    comboMeters = new QComboBox(panelFolderMenu);
    comboMeters->setObjectName(QStringLiteral("comboMeters"));
    comboMeters->setFixedWidth(80);
    comboMeters->setEditable(false);
    lblTxtMeter->setBuddy(comboMeters);
    pFolderMenu->addWidget(lblTxtMeter);
    pFolderMenu->addWidget(comboMeters);
    pFolderMenu->addStretch();
    pBtns->addWidget(panelFolderMenu);

    panelPrfBtns = Panel(panelBtns, "panelPrfBtns");
    auto *pPrfBtns = new QHBoxLayout(panelPrfBtns);
    pPrfBtns->setContentsMargins(0, 0, 0, 0);
    pPrfBtns->setSpacing(4);
    btnMeterDetails = new QPushButton(QStringLiteral("Sound Level Meter Details"), panelPrfBtns);
    btnMeterDetails->setObjectName(QStringLiteral("btnMeterDetails"));
    btnMeterDetails->setCheckable(true);
    btnMeterDetails->setFixedWidth(185);
    btnZoomOut = new QToolButton(panelPrfBtns);
    btnZoomOut->setObjectName(QStringLiteral("btnZoomOut"));
    btnZoomOut->setIcon(ZoomOutIcon());
    btnZoomOut->setToolTip(QStringLiteral("Zoom out"));
    btnZoomOut->setAutoRaise(true);
    btnZoomOut->setFixedSize(24, 24);
    btnZoomOut->hide();
    pPrfBtns->addWidget(btnMeterDetails);
    pPrfBtns->addWidget(btnZoomOut);
    pPrfBtns->addStretch();
    panelPrfBtns->hide();
    pBtns->addWidget(panelPrfBtns);

    panelSlmCnx = Panel(panelBtns, "panelSlmCnx");
    panelSlmCnx->setFixedWidth(127);
    auto *pCnx = new QHBoxLayout(panelSlmCnx);
    pCnx->setContentsMargins(4, 0, 4, 0);
    ledSlmCnx = new QLabel(panelSlmCnx);
    ledSlmCnx->setObjectName(QStringLiteral("ledSlmCnx"));
    ledSlmCnx->setPixmap(LedPixmap());
    lblConnected = new QLabel(QStringLiteral("Meter Connected"), panelSlmCnx);
    lblConnected->setObjectName(QStringLiteral("lblConnected"));
    pCnx->addWidget(ledSlmCnx);
    pCnx->addWidget(lblConnected);
    pCnx->addStretch();
    panelSlmCnx->hide();
    pBtns->addStretch(1); // keeps the lamp at the right when the day buttons hide
    pBtns->addWidget(panelSlmCnx);
    pRoot->addWidget(panelBtns);

    // Day list and day panel
    auto *pBody = new QHBoxLayout;
    pBody->setContentsMargins(0, 0, 0, 0);
    pBody->setSpacing(0);
    panelFolders = Panel(pCentral, "panelFolders");
    panelFolders->setFixedWidth(185);
    auto *pFolders = new QVBoxLayout(panelFolders);
    pFolders->setContentsMargins(0, 0, 0, 0);
    listboxFolders = new QListWidget(panelFolders);
    listboxFolders->setObjectName(QStringLiteral("listboxFolders"));
    listboxFolders->setSelectionMode(QAbstractItemView::SingleSelection);
    pFolders->addWidget(listboxFolders);
    pBody->addWidget(panelFolders);

    panelMain = Panel(pCentral, "panelMain");
    auto *pMain = new QVBoxLayout(panelMain);
    pMain->setContentsMargins(0, 0, 0, 0);
    pMain->setSpacing(0);

    panelNoise = Panel(panelMain, "panelNoise");
    auto *pNoise = new QHBoxLayout(panelNoise);
    pNoise->setContentsMargins(0, 0, 0, 0);
    pNoise->setSpacing(0);
    panelMeter = Panel(panelNoise, "panelMeter");
    panelMeter->setFixedWidth(185);
    auto *pMeter = new QVBoxLayout(panelMeter);
    pMeter->setContentsMargins(0, 0, 0, 0);
    listMeterDetails = new QListWidget(panelMeter);
    listMeterDetails->setObjectName(QStringLiteral("listMeterDetails"));
    listMeterDetails->setFocusPolicy(Qt::NoFocus);
    listMeterDetails->setBackgroundRole(QPalette::Button);
    listMeterDetails->viewport()->setBackgroundRole(QPalette::Button);
    pMeter->addWidget(listMeterDetails);
    panelMeter->hide();
    pNoise->addWidget(panelMeter);

    panelPrf = Panel(panelNoise, "panelPrf");
    auto *pPrf = new QVBoxLayout(panelPrf);
    pPrf->setContentsMargins(0, 0, 0, 0);
    pPrf->setSpacing(0);
    panelPrfHead = Heading(QStringLiteral("Time History - "), panelPrf, "panelPrfHead");
    chartPrf = new TChartPrf(panelPrf);
    chartPrf->setObjectName(QStringLiteral("chartPrf"));
    pPrf->addWidget(panelPrfHead);
    pPrf->addWidget(chartPrf, 1);
    pNoise->addWidget(panelPrf, 1);
    pMain->addWidget(panelNoise, 1);

    panelEvents = Panel(panelMain, "panelEvents");
    auto *pEvents = new QVBoxLayout(panelEvents);
    pEvents->setContentsMargins(0, 0, 0, 0);
    pEvents->setSpacing(0);
    auto *pEvtHeads = new QHBoxLayout;
    pEvtHeads->setSpacing(0);
    panelEvtHeadEvt = Heading(QStringLiteral("Events and Recordings"), panelEvents, "panelEvtHeadEvt");
    panelEvtHeadEvt->setFixedWidth(460);
    panelEvtHeadTH = Heading(QStringLiteral("Event Time History"), panelEvents, "panelEvtHeadTH");
    pEvtHeads->addWidget(panelEvtHeadEvt);
    pEvtHeads->addWidget(panelEvtHeadTH, 1);
    pEvents->addLayout(pEvtHeads);
    auto *pEvtBody = new QHBoxLayout;
    pEvtBody->setSpacing(0);
    auto *pEvtLeft = Panel(panelEvents, "panelEvtList");
    pEvtLeft->setFixedWidth(460);
    auto *pLeft = new QVBoxLayout(pEvtLeft);
    pLeft->setContentsMargins(0, 0, 0, 0);
    pLeft->setSpacing(0);
    gridEvents = new TGridEvents(pEvtLeft);
    gridEvents->setObjectName(QStringLiteral("gridEvents"));
    mplayer = new TMediaPlayer(pEvtLeft);
    mplayer->setObjectName(QStringLiteral("mplayer"));
    mplayer->setFixedHeight(37);
    pLeft->addWidget(gridEvents, 1);
    pLeft->addWidget(mplayer);
    // The list keeps its place at the left when the event chart is hidden.
    pEvtBody->addWidget(pEvtLeft, 0, Qt::AlignLeft);
    chartEvt = new TChartEvt(panelEvents);
    chartEvt->setObjectName(QStringLiteral("chartEvt"));
    pEvtBody->addWidget(chartEvt, 1);
    pEvents->addLayout(pEvtBody, 1);
    pMain->addWidget(panelEvents);
    panelMain->hide();
    pBody->addWidget(panelMain, 1);
    // With the day panel hidden the day list keeps its width at the left.
    pBody->addStretch(0);
    pRoot->addLayout(pBody, 1);

    timerWav = new QTimer(this);
    timerWav->setObjectName(QStringLiteral("timerWav"));
    timerWav->setInterval(100);

    setCentralWidget(pCentral);
    setTabOrder(comboMeters, listboxFolders);
    setTabOrder(listboxFolders, btnMeterDetails);
    setTabOrder(btnMeterDetails, chartPrf);
    setTabOrder(chartPrf, gridEvents);
    setTabOrder(gridEvents, mplayer);
}

void TformMain::CreateMenus()
{
    auto item = [this](QMenu *pMenu, const QString &sText, const char *pszName) {
        QAction *p = pMenu->addAction(sText);
        p->setObjectName(QLatin1String(pszName));
        return p;
    };
    auto submenu = [](QMenu *pMenu, const QString &sText, const char *pszName) {
        QMenu *p = pMenu->addMenu(sText);
        p->setObjectName(QLatin1String(pszName));
        p->menuAction()->setObjectName(QLatin1String(pszName) + QStringLiteral("Item"));
        return p;
    };

    menuFile = menuBar()->addMenu(QStringLiteral("&File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    menuDataFolders = item(menuFile, QStringLiteral("&Data Folders"), "menuDataFolders");
    menuFile->addSeparator();
    menuExport = item(menuFile, QStringLiteral("&Export"), "menuExport");
    menuitemPrint = item(menuFile, QStringLiteral("&Print"), "menuitemPrint");
    menuitemPrint->setShortcut(QKeySequence::Print);
    menuFile->addSeparator();
    menuitemExit = item(menuFile, QStringLiteral("E&xit"), "menuitemExit");
    menuitemExit->setMenuRole(QAction::QuitRole);

    menuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    menuEdit->setObjectName(QStringLiteral("menuEdit"));
    menuCopyToClip = submenu(menuEdit, QStringLiteral("&Copy to Clipboard"), "menuCopyToClip");
    menuCopyTH = submenu(menuCopyToClip, QStringLiteral("Daily &Time History"), "menuCopyTH");
    menuCopyTHChart = item(menuCopyTH, QStringLiteral("&Chart (graphic)"), "menuCopyTHChart");
    menuCopyTHTbl = item(menuCopyTH, QStringLiteral("&Table of Sound Levels (text)"), "menuCopyTHTbl");
    menuCopyEvents = item(menuCopyToClip, QStringLiteral("&List of Events"), "menuCopyEvents");
    menuCopyEvt = submenu(menuCopyToClip, QStringLiteral("Current &Event"), "menuCopyEvt");
    menuCopyEvtTH = item(menuCopyEvt, QStringLiteral("&Chart (graphic)"), "menuCopyEvtTH");
    menuCopyEvtTbl = item(menuCopyEvt, QStringLiteral("&Table of Sound Levels (text)"), "menuCopyEvtTbl");

    menuView = menuBar()->addMenu(QStringLiteral("&View"));
    menuView->setObjectName(QStringLiteral("menuView"));
    menuTHRate = submenu(menuView, QStringLiteral("&Time History Rate"), "menuTHRate");
    groupTHRate = new QActionGroup(this);
    groupTHRate->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
    const struct { const char *text; const char *name; int rate; QAction **slot; } rates[] = {
        {"1 second", "menuTH1s", 1, &menuTH1s},
        {"5 minutes", "menuTH5m", 300, &menuTH5m},
        {"15 minutes", "menuTH15m", 900, &menuTH15m},
        {"1 hour", "menuTH1h", 3600, &menuTH1h},
    };
    for (const auto &r : rates) {
        QAction *p = item(menuTHRate, QLatin1String(r.text), r.name);
        p->setCheckable(true);
        p->setData(r.rate); // the item's tag: its rate in seconds
        groupTHRate->addAction(p);
        *r.slot = p;
    }
    menuSLMDetails = item(menuView, QStringLiteral("&Sound Meter Details"), "menuSLMDetails");
    menuSLMDetails->setCheckable(true);
    menuEvtParam = submenu(menuView, QStringLiteral("&Event Parameter"), "menuEvtParam");
    groupEvtParam = new QActionGroup(this);
    menuEvtLAeq = item(menuEvtParam, QStringLiteral("LAeq dB"), "menuEvtLAeq");
    menuEvtLAFmax = item(menuEvtParam, QStringLiteral("LAFmax dB"), "menuEvtLAFmax");
    for (QAction *p : {menuEvtLAeq, menuEvtLAFmax}) {
        p->setCheckable(true);
        groupEvtParam->addAction(p);
    }

    menuItemHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    menuItemHelp->setObjectName(QStringLiteral("menuItemHelp"));
    menuHelpOverview = item(menuItemHelp, QStringLiteral("&Overview"), "menuHelpOverview");
    menuHelpOverview->setShortcut(QKeySequence::HelpContents);
    menuHelpSlm = submenu(menuItemHelp, QStringLiteral("&Sound Level Meter"), "menuHelpSlm");
    menuHelpSlmConfig = item(menuHelpSlm, QStringLiteral("&Meter Configuration"), "menuHelpSlmConfig");
    menuHelpDownload = item(menuHelpSlm, QStringLiteral("&Downloading Measurements"), "menuHelpDownload");
    menuHelpUI = submenu(menuItemHelp, QStringLiteral("&User Interface"), "menuHelpUI");
    menuHelpTH = item(menuHelpUI, QStringLiteral("&Time History Graph"), "menuHelpTH");
    menuHelpEvents = item(menuHelpUI, QStringLiteral("&Events"), "menuHelpEvents");
    menuReports = submenu(menuItemHelp, QStringLiteral("&Reports"), "menuReports");
    menuHelpPrint = item(menuReports, QStringLiteral("&Printing Reports"), "menuHelpPrint");
    menuHelpClipboard = item(menuReports, QStringLiteral("&Clipboard"), "menuHelpClipboard");
    menuHelpHTML = item(menuReports, QStringLiteral("Export to &HTML"), "menuHelpHTML");
    menuHelpCSV = item(menuReports, QStringLiteral("Export to CS&V"), "menuHelpCSV");
    menuHelpFileMan = item(menuItemHelp, QStringLiteral("&File Management"), "menuHelpFileMan");
    menuHelpGlossary = item(menuItemHelp, QStringLiteral("&Glossary"), "menuHelpGlossary");
    menuItemHelp->addSeparator();
    menuHelpAbout = item(menuItemHelp, QStringLiteral("&About"), "menuHelpAbout");
    menuHelpAbout->setMenuRole(QAction::AboutRole);

    connect(menuitemExit, &QAction::triggered, this, &TformMain::menuitemExitClick);
    connect(menuHelpAbout, &QAction::triggered, this, &TformMain::menuHelpAboutClick);
    // Every topic item of the help table opens its page.
    for (const THelpTopic &topic : aHelpTopics) {
        QAction *p = menuItemHelp->findChild<QAction *>(QLatin1String(topic.pszMenuItem));
        Q_ASSERT(p);
        connect(p, &QAction::triggered, this, &TformMain::LoadHelp);
    }
}

void TformMain::FormCreate()
{
    // 1. Settings
    if (!m_pCfg)
        m_pCfg = std::make_unique<TCfg>();
    Cfg = m_pCfg.get();
    Cfg->Load();
    // 2. Data folder tree
    filesys = std::make_unique<TDLVFileSys>([] { return Cfg->BaseDir(); });
    // 3. Meter detection thread
    StartMeterThread();
    // 4. Day measurement
    fs630 = std::make_unique<TFileSys630>([] { return Cfg->BaseDir(); });
    // 5. The web request thread joins here with the update check.
    // 6.
    iEvtSel = -1;
    bEvtNotesEdited = false;
    // 7. Rate check mark: an unknown stored rate checks none.
    for (QAction *p : groupTHRate->actions())
        p->setChecked(p->data().toInt() == Cfg->PrfPeriod());
    // 8. Event level check mark
    menuEvtLAeq->setChecked(Cfg->EvtParam() == QLatin1String("laeq"));
    menuEvtLAFmax->setChecked(Cfg->EvtParam() == QLatin1String("lafmax"));

    ConnectNavigation();
    ConnectPrfChart();
    ConnectEvents();
    ConnectEvtChart();
    // 9. Lists; no day is loaded, so the day panel stays hidden.
    ShowMeters();
    ShowFolders();
}

bool TformMain::PlacementRestorable(int nLeft, int nTop, int nWidth, int nHeight,
                                    int nScreenWidth, int nScreenHeight)
{
    // 64-bit sums: stored values are whatever the store holds.
    return nLeft > 0 && qint64(nLeft) + nWidth < nScreenWidth && nTop > 0
           && qint64(nTop) + nHeight < nScreenHeight && nWidth > 760 && nHeight > 460;
}

void TformMain::showEvent(QShowEvent *pEvent)
{
    QMainWindow::showEvent(pEvent);
    if (!pEvent->spontaneous())
        FormShow();
}

void TformMain::FormShow()
{
    const QScreen *pScreen = QGuiApplication::primaryScreen();
    const QRect rcScreen = pScreen ? pScreen->geometry() : QRect(0, 0, 1024, 768);
    if (PlacementRestorable(Cfg->WinLeft(), Cfg->WinTop(), Cfg->WinWidth(), Cfg->WinHeight(),
                            rcScreen.width(), rcScreen.height())) {
        setWindowState(windowState() & ~Qt::WindowMaximized);
        ApplyStoredPlacement();
        // The window manager tells the frame's size only once the window is
        // mapped; apply the outer size again then, or it would grow by the
        // frame at every start.
        QTimer::singleShot(100, this, [this] {
            if (Cfg && !(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)))
                ApplyStoredPlacement();
        });
    }
    if (Cfg->Maximised())
        setWindowState(windowState() | Qt::WindowMaximized);
    UpdateMenus();
}

void TformMain::ApplyStoredPlacement()
{
    // Stored values are the outer size, frame included.
    const QSize szFrame = frameGeometry().size() - geometry().size();
    move(Cfg->WinLeft(), Cfg->WinTop());
    resize(Cfg->WinWidth() - szFrame.width(), Cfg->WinHeight() - szFrame.height());
}

void TformMain::resizeEvent(QResizeEvent *pEvent)
{
    QMainWindow::resizeEvent(pEvent);
    AdjustEventsPanel();
}

void TformMain::AdjustEventsPanel()
{
    panelEvents->setFixedHeight(panelMain->height() / 2);
}

void TformMain::UpdateMenus()
{
    const bool bLoaded = fs630 && fs630->Loaded();
    const int nCount = bLoaded ? fs630->EventCount() : 0;
    const TEvent *pEvtSel = bLoaded ? EventAt(iEvtSel) : nullptr;
    menuitemPrint->setEnabled(bLoaded);
    menuCopyToClip->menuAction()->setEnabled(bLoaded);
    menuCopyEvt->menuAction()->setEnabled(pEvtSel && pEvtSel->evttype == TEventType::etEvent);
    menuTHRate->menuAction()->setEnabled(bLoaded);
    menuSLMDetails->setEnabled(bLoaded);
    menuEvtParam->menuAction()->setEnabled(bLoaded && nCount > 0);
}

void TformMain::closeEvent(QCloseEvent *pEvent)
{
    QMainWindow::closeEvent(pEvent);
}

void TformMain::FormDestroy()
{
    if (m_bDestroyed)
        return;
    m_bDestroyed = true;
    // A note still being typed is saved now; after this the child widgets'
    // signals (the grid losing the focus as the window goes, the player, the
    // charts) must not reach a window that is being taken apart.
    if (fs630)
        CommitEvtNotes();
    for (QObject *pChild : findChildren<QObject *>())
        QObject::disconnect(pChild, nullptr, this, nullptr);
    // 1-3. Placement and settings. A maximised or minimised window keeps the
    // stored normal position.
    if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))) {
        const QRect rc = frameGeometry();
        Cfg->SetWinPos(rc.x(), rc.y(), rc.width(), rc.height());
    }
    Cfg->SetMaximised(windowState() & Qt::WindowMaximized);
    Cfg->Save();
    // 4. Day measurement. Events are still handled while the meter thread
    // stops (step 5), so nothing that reads the day may run after this.
    timerWav->stop();
    fs630.reset();
    // 5. Meter thread: its last status changes are still handled while it stops.
    StopMeterThread();
    // 6-7. Folder tree, then settings.
    filesys.reset();
    Cfg = nullptr;
    m_pCfg.reset();
}

void TformMain::menuitemExitClick()
{
    close();
}

void TformMain::LoadHelp()
{
    const QString sPage = HelpPageFor(sender() ? sender()->objectName() : QString());
    if (formHelp && !sPage.isEmpty())
        formHelp->ShowHelp(sPage);
}

void TformMain::menuHelpAboutClick()
{
    QMessageBox::about(this, QStringLiteral("About Dalvane"),
                       QStringLiteral("<b>Dalvane</b> %1<br>Noise measurement manager for the "
                                      "ZOD-632 and ROZ-633 sound level meters.")
                           .arg(QCoreApplication::applicationVersion()));
}

} // namespace dlv
