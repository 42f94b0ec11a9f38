#include "dlvcfg.h"
#include "dlvfilesys630.h"
#include "dlvmain.h"
#include "dlvtesthome.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>

using dlv::TCfg;
using dlv::TformMain;
using dlv::test::SettingsStore;
using dlv::test::TTempHome;

namespace {

void StorePlacement(int x, int y, int cx, int cy, bool bMax)
{
    QSettings s = SettingsStore();
    s.setValue("xwin", x);
    s.setValue("ywin", y);
    s.setValue("cxwin", cx);
    s.setValue("cywin", cy);
    s.setValue("maximised", bMax ? 1 : 0);
}

QSize Screen()
{
    return QGuiApplication::primaryScreen()->geometry().size();
}

// The menu tree as text: one line per item, indented by depth; separators "-".
void DumpMenu(const QMenu *pMenu, int nDepth, QStringList &sl)
{
    for (QAction *p : pMenu->actions()) {
        QString sLine = QString(nDepth * 2, ' ');
        if (p->isSeparator()) {
            sl << sLine + "-";
            continue;
        }
        sLine += p->text();
        if (p->isCheckable())
            sLine += p->actionGroup() ? " (radio)" : " (check)";
        sl << sLine;
        if (p->menu())
            DumpMenu(p->menu(), nDepth + 1, sl);
    }
}

} // namespace

TEST(MainPlacement, RestoresOnlyWhenEveryBoundHoldsStrictly)
{
    const int W = 1280, H = 800;
    const struct { int x, y, cx, cy; bool bRestore; const char *why; } cases[] = {
        {100, 100, 900, 600, true, "all bounds hold"},
        {100, 100, 760, 600, false, "width exactly 760"},
        {100, 100, 761, 600, true, "width 761"},
        {100, 100, 900, 460, false, "height exactly 460"},
        {100, 100, 900, 461, true, "height 461"},
        {0, 100, 900, 600, false, "left 0"},
        {100, 0, 900, 600, false, "top 0"},
        {-5, 100, 900, 600, false, "left negative"},
        {380, 100, 900, 600, false, "right edge equals the screen width"},
        {379, 100, 900, 600, true, "right edge one short of the screen width"},
        {100, 200, 900, 600, false, "bottom edge equals the screen height"},
        {-1, -1, -1, -1, false, "first run"},
        {2147483000, 100, 900, 600, false, "huge left must not overflow"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TformMain::PlacementRestorable(c.x, c.y, c.cx, c.cy, W, H), c.bRestore) << c.why;
}

TEST(MainPlacement, FirstRunOpensAtTheDesignedPlace)
{
    TTempHome home;
    {
        TformMain form(std::make_unique<TCfg>());
        form.show();
        QCoreApplication::processEvents();
        EXPECT_EQ(form.windowTitle(), "Quorvex - Dalvane");
        EXPECT_EQ(form.pos(), QPoint(0, 0));
        EXPECT_EQ(form.centralWidget()->size(), QSize(928, 546));
        EXPECT_FALSE(form.isMaximized());
    }
    // Closing in the normal state stores the window's outer placement.
    QSettings s = SettingsStore();
    EXPECT_EQ(s.value("xwin").toInt(), 0);
    EXPECT_EQ(s.value("ywin").toInt(), 0);
    EXPECT_GE(s.value("cxwin").toInt(), 928);
    EXPECT_EQ(s.value("maximised").toInt(), 0);
}

TEST(MainPlacement, StoredPlacementIsRestored)
{
    TTempHome home;
    const QSize sz = Screen();
    const int cx = 761, cy = 461;
    ASSERT_GT(sz.width(), cx + 2);
    ASSERT_GT(sz.height(), cy + 2);
    StorePlacement(1, 1, cx, cy, false);
    TformMain form(std::make_unique<TCfg>());
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.frameGeometry(), QRect(1, 1, cx, cy));
}

TEST(MainPlacement, MaximisedCloseKeepsTheNormalPosition)
{
    TTempHome home;
    StorePlacement(1, 1, 761, 461, true);
    {
        TformMain form(std::make_unique<TCfg>());
        form.show();
        QCoreApplication::processEvents();
        EXPECT_TRUE(form.isMaximized());
        form.close();
    }
    QSettings s = SettingsStore();
    EXPECT_EQ(s.value("xwin").toInt(), 1);
    EXPECT_EQ(s.value("ywin").toInt(), 1);
    EXPECT_EQ(s.value("cxwin").toInt(), 761);
    EXPECT_EQ(s.value("cywin").toInt(), 461);
    EXPECT_EQ(s.value("maximised").toInt(), 1);
}

// Each later showing (an export run hides and shows the window) goes back to the
// placement stored at start-up, since the store is written only at exit.
TEST(MainPlacement, EveryShowReturnsToTheStartUpPlacement)
{
    TTempHome home;
    StorePlacement(1, 1, 761, 461, false);
    TformMain form(std::make_unique<TCfg>());
    form.show();
    QCoreApplication::processEvents();
    form.move(5, 5);
    form.hide();
    form.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(form.frameGeometry().topLeft(), QPoint(1, 1));
}

TEST(MainMenus, TheMenuBarHoldsEveryItemInOrder)
{
    TTempHome home;
    TformMain form(std::make_unique<TCfg>());
    QStringList sl;
    for (QAction *p : form.menuBar()->actions()) {
        sl << p->text();
        DumpMenu(p->menu(), 1, sl);
    }
    const QStringList slExpected = {
        "&File",
        "  &Data Folders", "  -", "  &Export", "  &Print", "  -", "  E&xit",
        "&Edit",
        "  &Copy to Clipboard",
        "    Daily &Time History",
        "      &Chart (graphic)", "      &Table of Sound Levels (text)",
        "    &List of Events",
        "    Current &Event",
        "      &Chart (graphic)", "      &Table of Sound Levels (text)",
        "&View",
        "  &Time History Rate",
        "    1 second (radio)", "    5 minutes (radio)", "    15 minutes (radio)", "    1 hour (radio)",
        "  &Sound Meter Details (check)",
        "  &Event Parameter",
        "    LAeq dB (radio)", "    LAFmax dB (radio)",
        "&Help",
        "  &Overview",
        "  &Sound Level Meter", "    &Meter Configuration", "    &Downloading Measurements",
        "  &User Interface", "    &Time History Graph", "    &Events",
        "  &Reports", "    &Printing Reports", "    &Clipboard", "    Export to &HTML",
        "    Export to CS&V",
        "  &File Management", "  &Glossary", "  -", "  &About",
    };
    EXPECT_EQ(sl.join('\n').toStdString(), slExpected.join('\n').toStdString());
}

TEST(MainMenus, NothingLoadedDisablesTheDayCommands)
{
    TTempHome home;
    TformMain form(std::make_unique<TCfg>());
    form.show();
    QCoreApplication::processEvents();
    ASSERT_FALSE(form.fs630->Loaded());
    EXPECT_FALSE(form.menuitemPrint->isEnabled());
    EXPECT_FALSE(form.menuCopyToClip->menuAction()->isEnabled());
    EXPECT_FALSE(form.menuCopyEvt->menuAction()->isEnabled());
    EXPECT_FALSE(form.menuTHRate->menuAction()->isEnabled());
    EXPECT_FALSE(form.menuSLMDetails->isEnabled());
    EXPECT_FALSE(form.menuEvtParam->menuAction()->isEnabled());
    EXPECT_TRUE(form.menuDataFolders->isEnabled());
    EXPECT_TRUE(form.menuExport->isEnabled());
    EXPECT_TRUE(form.menuitemExit->isEnabled());
    EXPECT_TRUE(form.menuHelpAbout->isEnabled());
    // The day panel and the day buttons wait for a day.
    EXPECT_FALSE(form.panelMain->isVisible());
    EXPECT_FALSE(form.panelPrfBtns->isVisible());
    EXPECT_FALSE(form.panelSlmCnx->isVisible());
}

TEST(MainMenus, CheckMarksFollowTheStoredRateAndLevel)
{
    const struct { int nRate; const char *pszRateItem; const char *pszParam; const char *pszParamItem; } cases[] = {
        {1, "menuTH1s", "laeq", "menuEvtLAeq"},
        {300, "menuTH5m", "lafmax", "menuEvtLAFmax"},
        {900, "menuTH15m", "laeq", "menuEvtLAeq"},
        {3600, "menuTH1h", "laeq", "menuEvtLAeq"},
        {42, nullptr, "loudness", nullptr},
        {0, nullptr, "LAEQ", nullptr},
    };
    for (const auto &c : cases) {
        TTempHome home;
        {
            QSettings s = SettingsStore();
            s.setValue("prfper", c.nRate);
            s.setValue("evtparam", c.pszParam);
        }
        TformMain form(std::make_unique<TCfg>());
        for (QAction *p : form.groupTHRate->actions())
            EXPECT_EQ(p->isChecked(), c.pszRateItem && p->objectName() == c.pszRateItem)
                << c.nRate << " " << p->objectName().toStdString();
        for (QAction *p : form.groupEvtParam->actions())
            EXPECT_EQ(p->isChecked(), c.pszParamItem && p->objectName() == c.pszParamItem)
                << c.pszParam << " " << p->objectName().toStdString();
    }
}

TEST(MainExit, ExitClosesTheWindowAndSavesTheSettings)
{
    TTempHome home;
    {
        TformMain form(std::make_unique<TCfg>());
        form.show();
        QCoreApplication::processEvents();
        form.menuitemExit->trigger();
        EXPECT_FALSE(form.isVisible());
    }
    EXPECT_EQ(SettingsStore().value("prfper").toInt(), 1);
    EXPECT_EQ(SettingsStore().value("evtparam").toString(), "laeq");
}
