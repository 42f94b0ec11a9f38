#include "dlvhelp.h"
#include "dlvtesthome.h"

#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>
#include <QtTest/QTest>
#include <gtest/gtest.h>

using dlv::TformHelp;
using dlv::test::ReadFile;
using dlv::test::WriteFile;

namespace {

// Records what the help hands to the desktop instead of opening a browser.
class TUrlSink : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> aUrls;
public slots:
    void Open(const QUrl &url) { aUrls << url; }
};

// ---------------------------------------------------------------------------
// Window behaviour, on a small set of pages written here.

const char *const kContents = R"(<html><body>
<p><a href="topic-a.html">Topic A</a></p>
<p><a href="sub/topic-b.html#part">Topic B, part</a></p>
<p><a href="missing.html">Missing</a></p>
<p><a href="contents.html#more">More contents</a></p>
<p><a href="http://example.com/dalvane">Web site</a></p>
<p><a href="mailto:support@example.com">Mail</a></p>
<p><a name="more"></a>CONTENTS-V1</p>
</body></html>)";

const char *const kTopicA = R"(<html><body><h1>TOPIC-A</h1>
<p><a href="sub/topic-b.html">to B</a></p>
<p><a href="https://example.com/secure">secure web</a></p>
</body></html>)";

const char *const kTopicB = R"(<html><body><h1>TOPIC-B</h1>
<p><a href="../topic-a.html">back to A</a></p>
<p><a name="part"></a>PART</p></body></html>)";

// Follows the window-system blocking of one window by modal dialogs.
class TBlockWatch : public QObject
{
public:
    bool bBlocked = false;
    bool eventFilter(QObject *, QEvent *pEvent) override
    {
        if (pEvent->type() == QEvent::WindowBlocked)
            bBlocked = true;
        else if (pEvent->type() == QEvent::WindowUnblocked)
            bBlocked = false;
        return false;
    }
};

class HelpWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        sProgDir = dir.path() + QStringLiteral("/");
        ASSERT_TRUE(WriteFile(HelpFile("contents.html"), kContents));
        ASSERT_TRUE(WriteFile(HelpFile("topic-a.html"), kTopicA));
        ASSERT_TRUE(WriteFile(HelpFile("sub/topic-b.html"), kTopicB));
        pHelp = std::make_unique<TformHelp>(sProgDir);
        browserContents = pHelp->findChild<QTextBrowser *>(QStringLiteral("browserContents"));
        browser = pHelp->findChild<QTextBrowser *>(QStringLiteral("browser"));
        ASSERT_NE(browserContents, nullptr);
        ASSERT_NE(browser, nullptr);
    }

    QString HelpFile(const QString &sName) const { return sProgDir + "help/" + sName; }
    QUrl HelpUrl(const QString &sName) const
    {
        return QUrl::fromLocalFile(sProgDir + "help/").resolved(QUrl(sName));
    }

    // A real mouse click on the link whose href is sHref.
    static void ClickLink(QTextBrowser *pPane, const QString &sHref)
    {
        for (QTextBlock bl = pPane->document()->begin(); bl.isValid(); bl = bl.next()) {
            for (auto it = bl.begin(); !it.atEnd(); ++it) {
                const QTextFragment frag = it.fragment();
                if (frag.charFormat().anchorHref() != sHref)
                    continue;
                QTextCursor cur(pPane->document());
                cur.setPosition(frag.position() + 1);
                pPane->setTextCursor(cur);
                pPane->ensureCursorVisible();
                QTest::mouseClick(
                    pPane->viewport(), Qt::LeftButton, {}, pPane->cursorRect(cur).center());
                return;
            }
        }
        ADD_FAILURE() << "no link to " << sHref.toStdString() << " in "
                      << pPane->source().toString().toStdString();
    }

    QTemporaryDir dir;
    QString sProgDir;
    std::unique_ptr<TformHelp> pHelp;
    QTextBrowser *browserContents = nullptr;
    QTextBrowser *browser = nullptr;
};

TEST_F(HelpWindow, ShowHelpOpensContentsAndTopicInTheDesignedWindow)
{
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));

    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_EQ(pHelp->windowTitle(), QStringLiteral("Dalvane Help"));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html"));
    EXPECT_EQ(browser->source(), HelpUrl("topic-a.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("TOPIC-A")));
    EXPECT_EQ(pHelp->focusWidget(), browser);

    EXPECT_EQ(pHelp->size(), QSize(769, 435));
    EXPECT_FALSE(pHelp->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(pHelp->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(pHelp->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(browserContents->width(), 163);
    EXPECT_EQ(browserContents->x(), 0);
    auto *panelBtns = pHelp->findChild<QWidget *>(QStringLiteral("panelBtns"));
    auto *panelBtnsRight = pHelp->findChild<QWidget *>(QStringLiteral("panelBtnsRight"));
    auto *btnClose = pHelp->findChild<QPushButton *>(QStringLiteral("btnClose"));
    ASSERT_TRUE(panelBtns && panelBtnsRight && btnClose);
    EXPECT_EQ(panelBtns->height(), 41);
    EXPECT_EQ(panelBtns->geometry().bottom(), pHelp->height() - 1);
    EXPECT_EQ(panelBtnsRight->width(), 185);
    EXPECT_EQ(panelBtnsRight->geometry().right(), panelBtns->width() - 1);
    EXPECT_EQ(btnClose->geometry(), QRect(99, 7, 75, 25));
    EXPECT_EQ(btnClose->text(), QStringLiteral("Close"));
    EXPECT_EQ(browser->geometry().left(), browserContents->geometry().right() + 1);
    EXPECT_EQ(browser->geometry().right(), pHelp->width() - 1);

    // Still usable when the window is resized.
    pHelp->resize(1000, 600);
    QTest::qWait(10);
    EXPECT_EQ(browserContents->width(), 163);
    EXPECT_EQ(panelBtnsRight->geometry().right(), panelBtns->width() - 1);
}

TEST_F(HelpWindow, ContentsLinksOpenInTheTopicPaneOnly)
{
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));

    ClickLink(browserContents, QStringLiteral("sub/topic-b.html#part"));
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html#part"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("TOPIC-B")));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html"));
    EXPECT_TRUE(browserContents->toPlainText().contains(QStringLiteral("CONTENTS-V1")));

    ClickLink(browserContents, QStringLiteral("topic-a.html"));
    EXPECT_EQ(browser->source(), HelpUrl("topic-a.html"));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html"));

    // Links inside a topic stay in the topic pane, relative ones from a
    // subfolder included.
    ClickLink(browser, QStringLiteral("sub/topic-b.html"));
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html"));
    ClickLink(browser, QStringLiteral("../topic-a.html"));
    EXPECT_EQ(browser->source(), HelpUrl("topic-a.html"));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html"));
}

TEST_F(HelpWindow, ContentsLinkToTheContentsPageStaysInTheContentsPane)
{
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));
    ClickLink(browserContents, QStringLiteral("contents.html#more"));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html#more"));
    EXPECT_EQ(browser->source(), HelpUrl("topic-a.html"));
}

TEST_F(HelpWindow, TopicNamesMayCarryAFragmentOrWindowsSeparators)
{
    pHelp->ShowHelp(QStringLiteral("sub\\topic-b.html"));
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("TOPIC-B")));
    pHelp->ShowHelp(QStringLiteral("sub/topic-b.html#part"));
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html#part"));
}

TEST_F(HelpWindow, WebAndMailLinksGoToTheDesktopAndLeaveBothPanes)
{
    TUrlSink sink;
    const char *aszSchemes[] = { "http", "https", "mailto" };
    for (const char *psz : aszSchemes)
        QDesktopServices::setUrlHandler(QLatin1String(psz), &sink, "Open");

    pHelp->ShowHelp(QStringLiteral("topic-a.html"));
    ClickLink(browserContents, QStringLiteral("http://example.com/dalvane"));
    ClickLink(browserContents, QStringLiteral("mailto:support@example.com"));
    ClickLink(browser, QStringLiteral("https://example.com/secure"));

    for (const char *psz : aszSchemes)
        QDesktopServices::unsetUrlHandler(QLatin1String(psz));
    ASSERT_EQ(sink.aUrls.size(), 3);
    EXPECT_EQ(sink.aUrls[0], QUrl(QStringLiteral("http://example.com/dalvane")));
    EXPECT_EQ(sink.aUrls[1].scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(sink.aUrls[2], QUrl(QStringLiteral("https://example.com/secure")));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html"));
    EXPECT_EQ(browser->source(), HelpUrl("topic-a.html"));
}

TEST_F(HelpWindow, ShowHelpWhileOpenReplacesTheTopicAndReloadsBothPanes)
{
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));
    ClickLink(browserContents, QStringLiteral("contents.html#more"));
    ASSERT_TRUE(WriteFile(
        HelpFile("contents.html"), QByteArray(kContents).replace("CONTENTS-V1", "CONTENTS-V2")));

    pHelp->ShowHelp(QStringLiteral("sub/topic-b.html"));
    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("TOPIC-B")));
    EXPECT_EQ(browserContents->source(), HelpUrl("contents.html"));
    EXPECT_TRUE(browserContents->toPlainText().contains(QStringLiteral("CONTENTS-V2")));

    // The same topic again is read again from disk, not kept from before.
    ASSERT_TRUE(WriteFile(
        HelpFile("sub/topic-b.html"), QByteArray(kTopicB).replace("TOPIC-B", "TOPIC-B2")));
    pHelp->ShowHelp(QStringLiteral("sub/topic-b.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("TOPIC-B2")));
    EXPECT_EQ(pHelp->focusWidget(), browser);
}

TEST_F(HelpWindow, CloseAndEscapeHideAndTheNextShowHelpShowsAgain)
{
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));
    QTest::mouseClick(pHelp->findChild<QPushButton *>(QStringLiteral("btnClose")), Qt::LeftButton);
    EXPECT_FALSE(pHelp->isVisible());
    // The panes keep their pages while hidden.
    EXPECT_EQ(browser->source(), HelpUrl("topic-a.html"));

    pHelp->ShowHelp(QStringLiteral("sub/topic-b.html"));
    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html"));

    QTest::keyClick(browser, Qt::Key_Escape);
    EXPECT_FALSE(pHelp->isVisible());
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));
    EXPECT_TRUE(pHelp->isVisible());
}

TEST_F(HelpWindow, MissingPageSaysSoInThePaneWithoutAMessageBox)
{
    // Any error message box fails the test (the GUI test main installs the hook).
    pHelp->ShowHelp(QStringLiteral("no-such-page.html"));
    EXPECT_TRUE(pHelp->isVisible());
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Page not found")));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("no-such-page.html")));

    ClickLink(browserContents, QStringLiteral("missing.html"));
    EXPECT_TRUE(browser->toPlainText().contains(QStringLiteral("Page not found")));
    EXPECT_TRUE(browserContents->toPlainText().contains(QStringLiteral("CONTENTS-V1")));

    // A program folder without help pages at all.
    TformHelp helpNone(dir.path() + QStringLiteral("/nowhere"));
    helpNone.ShowHelp(QStringLiteral("overview.html"));
    EXPECT_TRUE(helpNone.isVisible());
    auto *pContents = helpNone.findChild<QTextBrowser *>(QStringLiteral("browserContents"));
    EXPECT_TRUE(pContents->toPlainText().contains(QStringLiteral("Page not found")));
}

TEST_F(HelpWindow, StaysUsableWhileAModalDialogAsksForHelp)
{
    // The Data Folders and export dialogs are modal and open help pages.
    TBlockWatch watch;
    pHelp->installEventFilter(&watch);
    pHelp->ShowHelp(QStringLiteral("topic-a.html"));

    QDialog dlg;
    bool bBlockedBefore = false;
    bool bBlockedAfter = true;
    QTimer::singleShot(0, &dlg, [&] {
        QTest::qWait(20);
        bBlockedBefore = watch.bBlocked;
        pHelp->ShowHelp(QStringLiteral("sub/topic-b.html"));
        QTest::qWait(20);
        bBlockedAfter = watch.bBlocked;
        dlg.accept();
    });
    dlg.exec();
    pHelp->removeEventFilter(&watch);

    EXPECT_TRUE(bBlockedBefore) << "the modal dialog did not block the help window at all";
    EXPECT_FALSE(bBlockedAfter);
    EXPECT_EQ(browser->source(), HelpUrl("sub/topic-b.html"));
}

TEST(HelpWindowPlace, FirstShownCentredOnItsOwner)
{
    QWidget owner;
    owner.setGeometry(100, 80, 1000, 700);
    owner.show();
    QTemporaryDir dir;
    auto *pHelp = new TformHelp(dir.path(), &owner); // owned by owner
    pHelp->ShowHelp(QStringLiteral("overview.html"));
    const QPoint ptDiff = pHelp->frameGeometry().center() - owner.frameGeometry().center();
    EXPECT_LE(ptDiff.manhattanLength(), 4);
    EXPECT_EQ(pHelp->parentWidget(), &owner);
    // A window the user moved stays where it was put.
    pHelp->hide();
    pHelp->move(20, 30);
    pHelp->ShowHelp(QStringLiteral("overview.html"));
    EXPECT_EQ(pHelp->pos(), QPoint(20, 30));
}

// ---------------------------------------------------------------------------
// The pages shipped with the program.

QString ShippedHelpDir()
{
    return QStringLiteral(DLV_HELP_DIR "/");
}

QStringList ShippedPages()
{
    QStringList sl;
    QDirIterator it(
        ShippedHelpDir(), { QStringLiteral("*.html") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        sl << QDir(ShippedHelpDir()).relativeFilePath(it.next());
    sl.sort();
    return sl;
}

// The href and src values of a page, in order.
QStringList LinksOf(const QString &sPage)
{
    static const QRegularExpression re(
        QString::fromLatin1(R"re((?:href|src)\s*=\s*(?:"([^"]*)"|'([^']*)'))re"),
        QRegularExpression::CaseInsensitiveOption);
    const QString sText = QString::fromUtf8(ReadFile(ShippedHelpDir() + sPage));
    QStringList sl;
    for (auto it = re.globalMatch(sText); it.hasNext();) {
        const auto m = it.next();
        sl << (m.captured(1).isNull() ? m.captured(2) : m.captured(1));
    }
    return sl;
}

bool HasAnchor(const QString &sPage, const QString &sName)
{
    const QString sText = QString::fromUtf8(ReadFile(ShippedHelpDir() + sPage));
    const QRegularExpression re(QString::fromLatin1(R"re((?:name|id)\s*=\s*["']%1["'])re")
                                    .arg(QRegularExpression::escape(sName)));
    return re.match(sText).hasMatch();
}

QStringList AllTopicPages()
{
    QStringList sl;
    for (const dlv::THelpTopic &t : dlv::aHelpTopics)
        sl << QString::fromLatin1(t.pszPage);
    sl << QString::fromLatin1(dlv::kHelpDataFolders) << QString::fromLatin1(dlv::kHelpExport);
    return sl;
}

TEST(ShippedHelp, EveryTopicPageOfTheHelpMenuAndTheDialogsExists)
{
    EXPECT_TRUE(QFileInfo(ShippedHelpDir() + "contents.html").isFile());
    for (const QString &sPage : AllTopicPages())
        EXPECT_TRUE(QFileInfo(ShippedHelpDir() + sPage).isFile()) << sPage.toStdString();

    EXPECT_EQ(
        dlv::HelpPageFor(QStringLiteral("menuHelpTH")), QStringLiteral("ui/time-history.html"));
    EXPECT_EQ(
        dlv::HelpPageFor(QStringLiteral("menuHelpGlossary")), QStringLiteral("glossary.html"));
    EXPECT_TRUE(dlv::HelpPageFor(QStringLiteral("menuHelpAbout")).isEmpty());
}

TEST(ShippedHelp, ContentsLinksEveryPage)
{
    QSet<QString> setLinked;
    for (const QString &s : LinksOf(QStringLiteral("contents.html")))
        setLinked << QUrl(s).adjusted(QUrl::RemoveFragment).toString();
    for (const QString &sPage : ShippedPages()) {
        if (sPage != QLatin1String("contents.html")) {
            EXPECT_TRUE(setLinked.contains(sPage)) << "contents.html lacks " << sPage.toStdString();
        }
    }
}

TEST(ShippedHelp, EveryRelativeLinkAndAnchorResolves)
{
    const QStringList slPages = ShippedPages();
    ASSERT_GE(slPages.size(), 13);
    const QString sRoot = QDir::cleanPath(ShippedHelpDir());
    for (const QString &sPage : slPages) {
        const QString sPageDir = QFileInfo(ShippedHelpDir() + sPage).absolutePath();
        for (const QString &sLink : LinksOf(sPage)) {
            const QUrl url(sLink);
            SCOPED_TRACE(sPage.toStdString() + " -> " + sLink.toStdString());
            if (!url.scheme().isEmpty()) {
                EXPECT_TRUE(url.scheme() == QLatin1String("http")
                    || url.scheme() == QLatin1String("https")
                    || url.scheme() == QLatin1String("mailto"))
                    << "only relative links and web or mail addresses belong in the help";
                continue;
            }
            EXPECT_FALSE(sLink.startsWith(QLatin1Char('/'))) << "absolute path";
            EXPECT_FALSE(sLink.contains(QLatin1Char('\\'))) << "backslash in a link";
            const QString sPath = url.path();
            const QString sTarget = sPath.isEmpty() ? ShippedHelpDir() + sPage
                                                    : QDir::cleanPath(sPageDir + "/" + sPath);
            EXPECT_TRUE(sTarget.startsWith(sRoot)) << "leaves the help folder";
            ASSERT_TRUE(QFileInfo(sTarget).isFile()) << "missing " << sTarget.toStdString();
            if (url.hasFragment()) {
                EXPECT_TRUE(HasAnchor(QDir(sRoot).relativeFilePath(sTarget), url.fragment()))
                    << "no anchor " << url.fragment().toStdString();
            }
        }
    }
}

TEST(ShippedHelp, EveryTopicOpensInTheHelpWindow)
{
    // The program folder is the one holding "help/".
    TformHelp help(QFileInfo(QDir::cleanPath(ShippedHelpDir())).absolutePath());
    auto *browser = help.findChild<QTextBrowser *>(QStringLiteral("browser"));
    auto *browserContents = help.findChild<QTextBrowser *>(QStringLiteral("browserContents"));
    for (const QString &sPage : AllTopicPages()) {
        help.ShowHelp(sPage);
        SCOPED_TRACE(sPage.toStdString());
        EXPECT_EQ(browser->source().toLocalFile(), QDir::cleanPath(ShippedHelpDir() + sPage));
        EXPECT_FALSE(browser->toPlainText().contains(QStringLiteral("Page not found")));
        EXPECT_FALSE(browser->documentTitle().isEmpty());
        EXPECT_GT(browser->toPlainText().size(), 400);
    }
    EXPECT_TRUE(browserContents->toPlainText().contains(QStringLiteral("Glossary")));
}

} // namespace

#include "test_help.moc"
