// The main window's side: MeterStatusChange with the real thread (polling test
// volumes), the real download window, and closing during a download.
#include "dlvapp.h"
#include "dlvcfg.h"
#include "dlvdownload.h"
#include "dlvmain.h"
#include "dlvmeter.h"
#include "dlvmetertest.h"
#include "dlvtesthome.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QProgressBar>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using dlv::TformDownload;
using dlv::TformMain;
using dlv::TVolume;
using dlv::test::FileNames;
using dlv::test::TTempHome;
using dlv::test::TTestVolumes;
using dlv::test::WriteRun;

namespace {

const QString kSerial = QStringLiteral("1234567");

class MeterMain : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dlv::SetVolumeSourceFactory([this] { return m_volumes.Source(); });
        m_sDrive = m_home.Path() + "/drive";
    }
    void TearDown() override { dlv::SetVolumeSourceFactory({}); }

    QString Data() const { return m_home.Documents() + "Quorvex/dlv/data/"; }
    QString DayData(const QString &sDay) const { return Data() + kSerial + "/" + sDay; }
    void Plug(bool bIn)
    {
        m_volumes.Set(
            bIn ? std::vector<TVolume> { { m_sDrive, "ZOD-632A" } } : std::vector<TVolume> {});
    }

    TTempHome m_home;
    TTestVolumes m_volumes;
    QString m_sDrive;
};

TEST_F(MeterMain, StatusChangesShowTheLampAndTheDownloadWindow)
{
    WriteRun(m_sDrive + "/20160101", kSerial, 1, 2);
    auto pMain = std::make_unique<TformMain>(std::make_unique<dlv::TCfg>());
    TformDownload form(pMain.get());
    pMain->SetDownloadForm(&form);
    ASSERT_EQ(dlv::Cfg->BaseDir(), QDir::toNativeSeparators(Data()));
    EXPECT_TRUE(pMain->panelSlmCnx->isHidden());

    Plug(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pMain->panelSlmCnx->isHidden(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.isVisible(); }, 5000));
    // The end of the download reached the main window: the window's close
    // timer runs.
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.timerClose->isActive(); }, 10000));
    EXPECT_EQ(FileNames(DayData("20160101")).size(), 7);
    EXPECT_EQ(form.progressFile->maximum(), 6) << "the day's seven files were reported";
    // With files copied the lists were refilled: the new meter is listed.
    EXPECT_GE(pMain->comboMeters->findText(kSerial), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000))
        << "closes after a second";

    Plug(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pMain->panelSlmCnx->isHidden(); }, 5000));
    pMain.reset();
}

TEST_F(MeterMain, MeterPluggedInBeforeStartIsDownloadedAtStart)
{
    WriteRun(m_sDrive + "/20160101", kSerial, 1, 0);
    Plug(true);
    auto pMain = std::make_unique<TformMain>(std::make_unique<dlv::TCfg>());
    TformDownload form(pMain.get());
    pMain->SetDownloadForm(&form);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pMain->panelSlmCnx->isHidden(); }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return form.timerClose->isActive(); }, 10000));
    EXPECT_EQ(FileNames(DayData("20160101")).size(), 5);
    EXPECT_GE(pMain->comboMeters->findText(kSerial), 0);
}

// Closing the program during a download: the windows are destroyed as the
// program does it, and the download still runs to its end first.
TEST_F(MeterMain, ClosingDuringADownloadWaitsForIt)
{
    for (int nDay = 1; nDay <= 9; ++nDay)
        WriteRun(m_sDrive + QStringLiteral("/2016010%1").arg(nDay), kSerial, 1, 3);
    auto pWindows = std::make_unique<dlv::TAppWindows>();
    TformDownload *pForm = pWindows->formDownload.get();
    ASSERT_TRUE(pForm);
    pWindows->formMain->show();

    Plug(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pForm->isVisible(); }, 5000));
    pWindows.reset();
    for (int nDay = 1; nDay <= 9; ++nDay)
        EXPECT_EQ(FileNames(DayData(QStringLiteral("2016010%1").arg(nDay))).size(), 8) << nDay;
}

} // namespace
