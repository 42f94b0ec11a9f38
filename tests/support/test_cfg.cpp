#include "dlvcfg.h"
#include "dlvtesthome.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

using dlv::TCfg;
using dlv::test::SettingsStore;
using dlv::test::TTempHome;

namespace {

const QString kSep = QDir::separator();

// Collects the messages the store reports instead of showing them.
struct MessageLog
{
    MessageLog()
    {
        TCfg::SetErrorReporter([this](const QString &s) { slMessages << s; });
    }
    ~MessageLog() { TCfg::SetErrorReporter(nullptr); }
    QStringList slMessages;
};

} // namespace

TEST(CfgLoad, FirstRunGivesEveryDefault)
{
    TTempHome home;
    MessageLog log;
    TCfg cfg;
    ASSERT_TRUE(cfg.Load());
    EXPECT_TRUE(log.slMessages.isEmpty());

    const QString sDLVDir = home.Documents() + "Quorvex" + kSep + "dlv" + kSep;
    EXPECT_EQ(cfg.DLVDir(), sDLVDir);
    EXPECT_EQ(cfg.BaseDir(), sDLVDir + "data" + kSep);
    EXPECT_EQ(cfg.ExportDir(), home.Desktop() + "Noise Reports" + kSep);
    EXPECT_EQ(cfg.WinLeft(), -1);
    EXPECT_EQ(cfg.WinTop(), -1);
    EXPECT_EQ(cfg.WinWidth(), -1);
    EXPECT_EQ(cfg.WinHeight(), -1);
    EXPECT_FALSE(cfg.Maximised());
    EXPECT_EQ(cfg.PrfPeriod(), 1); // not the constructed 300
    EXPECT_EQ(cfg.EvtParam(), "laeq");
    EXPECT_EQ(cfg.LastMeter(), "");
    EXPECT_EQ(cfg.User(), "");
    EXPECT_EQ(cfg.Pwd(), "");
    EXPECT_TRUE(cfg.WebServer().endsWith('/'));
    EXPECT_TRUE(cfg.ProgDir().endsWith(kSep));
}

TEST(CfgLoad, ConstructedValuesBeforeLoad)
{
    TTempHome home;
    TCfg cfg;
    EXPECT_EQ(cfg.PrfPeriod(), 300);
    EXPECT_EQ(cfg.WinLeft(), 0);
    EXPECT_EQ(cfg.BaseDir(), "");
    EXPECT_FALSE(cfg.DLVDir().isEmpty());
}

TEST(CfgLoad, StoredValuesAreRead)
{
    TTempHome home;
    {
        QSettings s = SettingsStore();
        s.setValue("basedir", "/srv/noise/");
        s.setValue("exportdir", "/srv/reports/");
        s.setValue("xwin", 10);
        s.setValue("ywin", 20);
        s.setValue("cxwin", 800);
        s.setValue("cywin", 600);
        s.setValue("maximised", 1);
        s.setValue("prfper", 900);
        s.setValue("evtparam", "lafmax");
        s.setValue("lastslm", "1234567");
    }
    TCfg cfg;
    ASSERT_TRUE(cfg.Load());
    EXPECT_EQ(cfg.BaseDir(), "/srv/noise/");
    EXPECT_EQ(cfg.ExportDir(), "/srv/reports/");
    EXPECT_EQ(cfg.WinLeft(), 10);
    EXPECT_EQ(cfg.WinTop(), 20);
    EXPECT_EQ(cfg.WinWidth(), 800);
    EXPECT_EQ(cfg.WinHeight(), 600);
    EXPECT_TRUE(cfg.Maximised());
    EXPECT_EQ(cfg.PrfPeriod(), 900);
    EXPECT_EQ(cfg.EvtParam(), "lafmax");
    EXPECT_EQ(cfg.LastMeter(), "1234567");
}

// Empty strings and values of the wrong kind count as missing.
TEST(CfgLoad, EmptyOrWrongKindValuesFallBackToDefaults)
{
    TTempHome home;
    {
        QSettings s = SettingsStore();
        s.setValue("basedir", "");
        s.setValue("exportdir", "");
        s.setValue("evtparam", "");
        s.setValue("xwin", "left");
        s.setValue("maximised", "yes");
        s.setValue("prfper", "fast");
    }
    TCfg cfg;
    ASSERT_TRUE(cfg.Load());
    EXPECT_EQ(cfg.BaseDir(), cfg.DLVDir() + "data" + kSep);
    EXPECT_EQ(cfg.ExportDir(), home.Desktop() + "Noise Reports" + kSep);
    EXPECT_EQ(cfg.EvtParam(), "laeq");
    EXPECT_EQ(cfg.WinLeft(), -1);
    EXPECT_FALSE(cfg.Maximised());
    EXPECT_EQ(cfg.PrfPeriod(), 1);
}

TEST(CfgRate, OnlyTheFourRatesAreUsedAsDivisors)
{
    TTempHome home;
    const struct { int nStored; int nRate; } cases[] = {
        {1, 1}, {300, 300}, {900, 900}, {3600, 3600},
        {0, 1}, {-300, 1}, {60, 1}, {86400, 1}, {2147483647, 1},
    };
    for (const auto &c : cases) {
        QSettings s = SettingsStore();
        s.setValue("prfper", c.nStored);
        s.sync();
        TCfg cfg;
        ASSERT_TRUE(cfg.Load());
        EXPECT_EQ(cfg.PrfPeriod(), c.nStored);
        EXPECT_EQ(cfg.PrfRate(), c.nRate) << "stored " << c.nStored;
    }
}

TEST(CfgSave, WritesEveryValueButNeverTheDataFolder)
{
    TTempHome home;
    TCfg cfg;
    ASSERT_TRUE(cfg.Load());
    cfg.SetBaseDir(home.Path() + "/chosen/");
    {
        // Someone else changes the stored data folder after it was set...
        QSettings s = SettingsStore();
        s.setValue("basedir", "/elsewhere/");
    }
    cfg.SetWinPos(11, 22, 900, 700);
    cfg.SetMaximised(true);
    cfg.SetPrfPeriod(3600);
    cfg.SetEvtParam("lafmax");
    cfg.SetLastMeter("7654321");
    cfg.SetExportDir("/reports/");
    cfg.Save();

    QSettings s = SettingsStore();
    EXPECT_EQ(s.value("basedir").toString(), "/elsewhere/"); // ...and Save leaves it alone
    EXPECT_EQ(s.value("xwin").toInt(), 11);
    EXPECT_EQ(s.value("ywin").toInt(), 22);
    EXPECT_EQ(s.value("cxwin").toInt(), 900);
    EXPECT_EQ(s.value("cywin").toInt(), 700);
    EXPECT_EQ(s.value("maximised").toInt(), 1);
    EXPECT_EQ(s.value("prfper").toInt(), 3600);
    EXPECT_EQ(s.value("evtparam").toString(), "lafmax");
    EXPECT_EQ(s.value("lastslm").toString(), "7654321");
    EXPECT_EQ(s.value("exportdir").toString(), "/reports/");
}

TEST(CfgBaseDir, CreatesTheFolderAndStoresItAtOnce)
{
    TTempHome home;
    MessageLog log;
    TCfg cfg;
    ASSERT_TRUE(cfg.Load());
    const QString sDir = cfg.DLVDir() + "Site A" + kSep;
    cfg.SetBaseDir(sDir);
    EXPECT_TRUE(QDir(sDir).exists());
    EXPECT_EQ(cfg.BaseDir(), sDir);
    EXPECT_EQ(SettingsStore().value("basedir").toString(), sDir); // without Save
    EXPECT_TRUE(log.slMessages.isEmpty());
}

TEST(CfgBaseDir, UncreatableFolderIsReportedAndStillStored)
{
    TTempHome home;
    MessageLog log;
    TCfg cfg;
    ASSERT_TRUE(cfg.Load());
    // A plain file where a parent folder should be: creation fails, even as root.
    ASSERT_TRUE(dlv::test::WriteFile(home.Path() + "/blocker", "x"));
    const QString sDir = home.Path() + "/blocker/data/";
    cfg.SetBaseDir(sDir);
    ASSERT_EQ(log.slMessages.size(), 1);
    EXPECT_EQ(log.slMessages[0], "Failed to create folder: " + sDir);
    EXPECT_EQ(cfg.BaseDir(), sDir);
    EXPECT_EQ(SettingsStore().value("basedir").toString(), sDir);
}

TEST(CfgStore, UnusableStoreReportsAndKeepsConstructedValues)
{
    TTempHome home;
    MessageLog log;
    // The store's folder lies below a plain file: it can be neither read nor created.
    ASSERT_TRUE(dlv::test::WriteFile(home.Path() + "/notadir", "x"));
    home.SetConfigDir(home.Path() + "/notadir/config");
    TCfg cfg;
    EXPECT_FALSE(cfg.Load());
    ASSERT_EQ(log.slMessages.size(), 1);
    EXPECT_EQ(log.slMessages[0], "Failed to read registry");
    EXPECT_EQ(cfg.PrfPeriod(), 300);
    EXPECT_EQ(cfg.WinLeft(), 0);
    EXPECT_EQ(cfg.BaseDir(), "");
    EXPECT_FALSE(cfg.DLVDir().isEmpty());
    cfg.Save(); // nothing to write to; must not report again or crash
    EXPECT_EQ(log.slMessages.size(), 1);
}

TEST(CfgProgDir, BuildOutputFoldersPointTwoLevelsUp)
{
    const QString s = kSep;
    const struct { QString sExeDir; QString sProgDir; } cases[] = {
        {s + "opt" + s + "dalvane" + s + "bin", s + "opt" + s + "dalvane" + s + "bin" + s},
        {s + "src" + s + "dlv" + s + "Win32" + s + "Release" + s, s + "src" + s + "dlv" + s},
        {s + "src" + s + "dlv" + s + "Win32" + s + "Debug", s + "src" + s + "dlv" + s},
        {s + "Win32" + s + "Debugger" + s + "x", s + "Win32" + s + "Debugger" + s + "x" + s},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TCfg::DeriveProgDir(c.sExeDir), c.sProgDir) << c.sExeDir.toStdString();
}
