#include "dlvhelp.h"

#include "dlvcfg.h"
#include "dlvshell.h"
#include "dlvstyle.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLoggingCategory>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace dlv {

Q_LOGGING_CATEGORY(lcHelp, "dlv.help")

namespace {

constexpr int kClientWidth = 769;
constexpr int kClientHeight = 435;
constexpr int kContentsWidth = 163;
constexpr int kButtonBarHeight = 41;

// A browser pane that answers a page it cannot find with a short page of its
// own instead of staying blank, so a missing help file is obvious.
class THelpBrowser : public QTextBrowser
{
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int nType, const QUrl &url) override
    {
        if (nType == QTextDocument::HtmlResource && url.isLocalFile()
            && !QFileInfo(url.toLocalFile()).isFile()) {
            qCInfo(lcHelp) << "help page not found:" << url.toLocalFile();
            return QStringLiteral("<html><body><h2>Page not found</h2>"
                                  "<p>The help page <i>%1</i> could not be opened.</p>"
                                  "</body></html>")
                .arg(QDir::toNativeSeparators(url.toLocalFile()).toHtmlEscaped());
        }
        return QTextBrowser::loadResource(nType, url);
    }
};

QTextBrowser *NewPane(QWidget *pParent, const char *pszName)
{
    auto *p = new THelpBrowser(pParent);
    p->setObjectName(QLatin1String(pszName));
    // Every navigation passes through the window, which decides the pane.
    p->setOpenLinks(false);
    p->setOpenExternalLinks(false);
    return p;
}

} // namespace

QString HelpPageFor(const QString &sMenuItem)
{
    for (const THelpTopic &t : aHelpTopics)
        if (sMenuItem == QLatin1String(t.pszMenuItem))
            return QString::fromLatin1(t.pszPage);
    return {};
}

TformHelp::TformHelp(const QString &sProgDir, QWidget *pCentreOn)
    : QWidget(pCentreOn,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , pCentreOn(pCentreOn)
{
    sHelpDir = QDir::fromNativeSeparators(WithTrailingSep(sProgDir)) + QStringLiteral("help/");

    setObjectName(QStringLiteral("formHelp"));
    setWindowTitle(QStringLiteral("Dalvane Help"));
    setFont(DesignFont());
    CreateControls();
    resize(kClientWidth, kClientHeight);
}

void TformHelp::keyPressEvent(QKeyEvent *pEvent)
{
    // Escape reaches the window from whichever pane or button has the focus,
    // as in a dialog.
    if (pEvent->key() == Qt::Key_Escape && pEvent->modifiers() == Qt::NoModifier) {
        btnCloseClick();
        return;
    }
    QWidget::keyPressEvent(pEvent);
}

void TformHelp::CreateControls()
{
    auto *pRoot = new QVBoxLayout(this);
    pRoot->setContentsMargins(0, 0, 0, 0);
    pRoot->setSpacing(0);

    auto *pPanes = new QHBoxLayout;
    pPanes->setContentsMargins(0, 0, 0, 0);
    pPanes->setSpacing(0);
    browserContents = NewPane(this, "browserContents");
    browserContents->setFixedWidth(kContentsWidth);
    browser = NewPane(this, "browser");
    pPanes->addWidget(browserContents);
    pPanes->addWidget(browser, 1);
    pRoot->addLayout(pPanes, 1);

    panelBtns = new QWidget(this);
    panelBtns->setObjectName(QStringLiteral("panelBtns"));
    panelBtns->setFixedHeight(kButtonBarHeight);
    auto *pBar = new QHBoxLayout(panelBtns);
    pBar->setContentsMargins(0, 0, 0, 0);
    pBar->setSpacing(0);
    pBar->addStretch(1);
    panelBtnsRight = new QWidget(panelBtns);
    panelBtnsRight->setObjectName(QStringLiteral("panelBtnsRight"));
    panelBtnsRight->setFixedSize(185, kButtonBarHeight);
    pBar->addWidget(panelBtnsRight);
    btnClose = new QPushButton(QStringLiteral("Close"), panelBtnsRight);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(99, 7, 75, 25);
    btnClose->setAutoDefault(false);
    pRoot->addWidget(panelBtns);

    connect(btnClose, &QPushButton::clicked, this, &TformHelp::btnCloseClick);
    connect(browserContents, &QTextBrowser::anchorClicked, this,
        &TformHelp::browserContentsBeforeNavigate2);
    connect(browser, &QTextBrowser::anchorClicked, this, &TformHelp::browserBeforeNavigate2);
}

void TformHelp::ShowHelp(const QString &sHelpUrl)
{
    LoadPane(browserContents, QUrl::fromLocalFile(sHelpDir + QStringLiteral("contents.html")));
    // The topic may carry a fragment ("glossary.html#leq"): resolve it as a
    // link relative to the help folder rather than as a file name. Topic
    // names written with Windows separators mean the same page.
    QString sTopic = sHelpUrl;
    sTopic.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QUrl urlTopic = QUrl::fromLocalFile(sHelpDir).resolved(QUrl(sTopic));
    LoadPane(browser, urlTopic);

    if (!bPlaced) {
        PlaceWindow();
        bPlaced = true;
    }
    AttachToOwner();
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    browser->setFocus(Qt::OtherFocusReason);
}

void TformHelp::btnCloseClick()
{
    hide();
}

void TformHelp::browserContentsBeforeNavigate2(const QUrl &url)
{
    const QUrl urlTarget = browserContents->source().resolved(url);
    if (OpenExternal(urlTarget))
        return;
    if (urlTarget.toString().contains(QLatin1String("contents.html")))
        browserContents->setSource(urlTarget);
    else
        browser->setSource(urlTarget);
}

void TformHelp::browserBeforeNavigate2(const QUrl &url)
{
    const QUrl urlTarget = browser->source().resolved(url);
    if (!OpenExternal(urlTarget))
        browser->setSource(urlTarget);
}

bool TformHelp::OpenExternal(const QUrl &url)
{
    const QString sScheme = url.scheme().toLower();
    if (sScheme == QLatin1String("http") || sScheme == QLatin1String("https")
        || sScheme == QLatin1String("mailto")) {
        ShellOpen(url.toString());
        return true;
    }
    // Anything else that is not a local page has no handler in the help.
    return !url.isLocalFile() && !url.isRelative();
}

void TformHelp::LoadPane(QTextBrowser *pPane, const QUrl &url)
{
    // setSource ignores the page it already shows; ShowHelp must read it again.
    if (pPane->source().adjusted(QUrl::RemoveFragment) == url.adjusted(QUrl::RemoveFragment))
        pPane->reload();
    pPane->setSource(url);
}

void TformHelp::AttachToOwner()
{
    // A modal dialog (Data Folders, Export) blocks every window that is not
    // its own; the help it asks for must stay usable while it is open, so the
    // help window rides on the modal dialog for that time. Only the window
    // system's transient parent changes: ownership stays with pCentreOn.
    QWidget *pOwner = QApplication::activeModalWidget();
    if (!pOwner && pCentreOn)
        pOwner = pCentreOn->window();
    if (pOwner == this)
        pOwner = nullptr;
    if (!windowHandle())
        create();
    if (QWindow *pWin = windowHandle())
        pWin->setTransientParent(pOwner ? pOwner->windowHandle() : nullptr);
}

void TformHelp::PlaceWindow()
{
    QRect rcAround;
    if (pCentreOn && pCentreOn->isVisible())
        rcAround = pCentreOn->frameGeometry();
    else if (const QScreen *pScreen = screen())
        rcAround = pScreen->availableGeometry();
    if (rcAround.isValid())
        move(rcAround.center() - QPoint(width() / 2, height() / 2));
}

} // namespace dlv
