// The detection thread: what it reports for which drives, on which thread, to
// the real download window; cancel from the window and shutdown during a
// download.
#include "dlvdownload.h"
#include "dlvmeter.h"
#include "dlvmetertest.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using dlv::IDownloadProgress;
using dlv::TformDownload;
using dlv::TMeterThread;
using dlv::TVolume;
using dlv::test::FileNames;
using dlv::test::TTestVolumes;
using dlv::test::WriteRun;

namespace {

const QString kSerial = QStringLiteral("1234567");

// What the main window would receive: the status values, the properties read
// while each is delivered, and whether it came on the main thread.
struct TStatusLog
{
    struct TEntry
    {
        int nStat;
        bool bConnected;
        bool bDownloading;
    };
    std::vector<TEntry> a;
    bool bOffMainThread = false;
    TMeterThread *pThread = nullptr;

    TMeterThread::TStatusFn Fn()
    {
        return [this](int n) {
            bOffMainThread |= QThread::currentThread() != qApp->thread();
            a.push_back({ n, pThread->Connected(), pThread->Downloading() });
        };
    }
    std::vector<int> Stats() const
    {
        std::vector<int> v;
        for (const auto &e : a)
            v.push_back(e.nStat);
        return v;
    }
};

// Records the progress calls and passes them on to the real window.
class TProgressTap : public IDownloadProgress
{
public:
    explicit TProgressTap(IDownloadProgress *pNext)
        : m_pNext(pNext)
    {
    }
    void UpdateProgress(const QString &s, int n, int nCount) override
    {
        bOffMainThread |= QThread::currentThread() != qApp->thread();
        aCalls.emplace_back(s, n, nCount);
        if (m_pNext)
            m_pNext->UpdateProgress(s, n, nCount);
        if (fnAfter)
            fnAfter(int(aCalls.size()));
    }
    bool Cancelled() const override { return m_pNext && m_pNext->Cancelled(); }

    std::vector<std::tuple<QString, int, int>> aCalls;
    std::function<void(int nCalls)> fnAfter;
    bool bOffMainThread = false;

private:
    IDownloadProgress *m_pNext;
};

class MeterThread : public ::testing::Test
{
protected:
    QTemporaryDir m_dir;
    TTestVolumes m_volumes;
    TStatusLog m_log;
    std::unique_ptr<TMeterThread> m_pThread;
    IDownloadProgress *m_pProgress = nullptr;

    QString Drive(const char *psz = "drive") const { return m_dir.filePath(psz); }
    QString Data() const { return m_dir.filePath("data") + "/"; }
    QString DayData(const QString &sDay) const { return Data() + kSerial + "/" + sDay; }

    // fnAlso: a further status receiver after the log (the window's part of
    // the main window's MeterStatusChange).
    void Make(int nPollMs = 20, std::function<void(int)> fnAlso = {})
    {
        m_pThread = std::make_unique<TMeterThread>(
            m_volumes.Source(),
            [fnLog = m_log.Fn(), fnAlso](int n) {
                fnLog(n);
                if (fnAlso)
                    fnAlso(n);
            },
            [this] { return m_pProgress; }, [this] { return Data(); }, m_dir.filePath("home"));
        m_pThread->SetPollInterval(nPollMs);
        m_log.pThread = m_pThread.get();
    }
    void Plug(std::vector<TVolume> a) { m_volumes.Set(std::move(a)); }
    static TVolume Vol(const QString &sRoot, const char *pszLabel)
    {
        return { sRoot, QString::fromLatin1(pszLabel) };
    }
};

// Polls run on the main thread: reports are direct calls, so the sequence is
// exact and needs no waiting.
TEST_F(MeterThread, StatusSequenceOfConnectionsAndDownloads)
{
    WriteRun(Drive() + "/20160101", kSerial, 1, 1);
    Make();
    TMeterThread &t = *m_pThread;

    Plug({ Vol("/", ""), Vol("/media/usb", "ZOD-632X"), Vol("/mnt/other", "DATA") });
    t.Poll();
    EXPECT_TRUE(m_log.a.empty()) << "no meter label";

    Plug({ Vol("/", ""), Vol(Drive(), "ZOD-632A") });
    t.Poll();
    ASSERT_EQ(m_log.Stats(), (std::vector<int> { 1, 2, 6 }));
    EXPECT_TRUE(m_log.a[0].bConnected && !m_log.a[0].bDownloading);
    EXPECT_TRUE(m_log.a[1].bConnected && m_log.a[1].bDownloading);
    EXPECT_TRUE(m_log.a[2].bConnected && !m_log.a[2].bDownloading);
    EXPECT_EQ(t.SlmDrive(), Drive() + "/");
    EXPECT_EQ(FileNames(DayData("20160101")).size(), 6);

    m_log.a.clear();
    t.Poll();
    EXPECT_TRUE(m_log.a.empty()) << "still present: no download";

    Plug({ Vol("/", "") });
    t.Poll();
    ASSERT_EQ(m_log.Stats(), (std::vector<int> { 1 }));
    EXPECT_FALSE(m_log.a[0].bConnected);
    EXPECT_EQ(t.SlmDrive(), Drive() + "/") << "kept after the meter went";

    // Plugged in again: a new download, which finds nothing new.
    m_log.a.clear();
    Plug({ Vol(Drive(), "ROZ-633C") });
    t.Poll();
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 2, 2 }));
}

TEST_F(MeterThread, FirstMeterDriveInRootOrderAndNoDownloadWhenItMoves)
{
    WriteRun(Drive("a") + "/20160101", kSerial, 1, 0);
    WriteRun(Drive("b") + "/20160102", kSerial, 1, 0);
    Make();
    TMeterThread &t = *m_pThread;
    Plug({ Vol(Drive("a"), "ZOD-632A"), Vol(Drive("b"), "ROZ-633B") });
    t.Poll();
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 2, 6 }));
    EXPECT_EQ(t.SlmDrive(), Drive("a") + "/");
    EXPECT_TRUE(QFileInfo(DayData("20160101")).isDir());
    EXPECT_FALSE(QFileInfo::exists(DayData("20160102")));

    // The first goes, the second stays: still connected, no status, no download.
    m_log.a.clear();
    Plug({ Vol(Drive("b"), "ROZ-633B") });
    t.Poll();
    EXPECT_TRUE(m_log.a.empty());
    EXPECT_TRUE(t.Connected());
    EXPECT_EQ(t.SlmDrive(), Drive("b") + "/");
    EXPECT_FALSE(QFileInfo::exists(DayData("20160102")));
}

// The real thread, the real window: reports arrive on the main thread, the
// window is up during the download and goes a second after its end.
TEST_F(MeterThread, RunningThreadDrivesTheDownloadWindow)
{
    WriteRun(Drive() + "/20160101", kSerial, 1, 2); // 7 files
    WriteRun(Drive() + "/20160102", kSerial, 1, 0); // 5 files
    TformDownload form;
    TProgressTap tap(&form);
    m_pProgress = &tap;
    bool bShownWhileProgress = true;
    tap.fnAfter = [&](int) { bShownWhileProgress &= form.isVisible(); };
    // Stand-in for the main window's MeterStatusChange.
    Make(20, [&](int n) {
        if (n & 2) {
            if (m_pThread->Downloading())
                form.ShowDownload();
            else
                form.Finished();
        }
    });
    m_pThread->start();
    QTest::qWait(100);
    EXPECT_TRUE(m_log.a.empty());
    Plug({ Vol(Drive(), "ZOD-632B") });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.a.size() >= 3; }, 10000));
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 2, 6 }));
    EXPECT_FALSE(m_log.bOffMainThread);
    EXPECT_FALSE(tap.bOffMainThread);
    EXPECT_TRUE(bShownWhileProgress);
    ASSERT_EQ(tap.aCalls.size(), 12u);
    EXPECT_EQ(tap.aCalls.front(), std::make_tuple(QString("20160101"), 0, 6));
    EXPECT_EQ(tap.aCalls.back(), std::make_tuple(QString("20160102"), 4, 4));
    EXPECT_EQ(form.progressFile->maximum(), 4);
    EXPECT_EQ(form.progressFile->value(), 4);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, 5000));

    // Taken away and plugged in again: 1, then 1, 2, 2 (nothing new).
    m_log.a.clear();
    Plug({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.a.size() >= 1; }, 5000));
    Plug({ Vol(Drive(), "ZOD-632B") });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.a.size() >= 4; }, 5000));
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 1, 2, 2 }));
    m_pThread->Stop();
    EXPECT_TRUE(m_pThread->isFinished());
}

TEST_F(MeterThread, CancelFromTheWindowStopsBeforeTheNextFile)
{
    WriteRun(Drive() + "/20160101", kSerial, 1, 2); // 7 files
    WriteRun(Drive() + "/20160102", kSerial, 1, 0);
    TformDownload form;
    TProgressTap tap(&form);
    m_pProgress = &tap;
    // The user presses Cancel while the second file is being copied.
    tap.fnAfter = [&](int nCalls) {
        if (nCalls == 2)
            QTimer::singleShot(0, form.btnCancel, &QPushButton::click);
    };
    Make();
    m_pThread->start();
    form.ShowDownload();
    Plug({ Vol(Drive(), "ZOD-632A") });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.a.size() >= 3; }, 10000));
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 2, 6 }));
    EXPECT_TRUE(form.Cancelled());
    // The click lands while file 2 or 3 is copied; neither later file nor the
    // next folder is started.
    EXPECT_GE(tap.aCalls.size(), 2u);
    EXPECT_LE(tap.aCalls.size(), 3u);
    EXPECT_EQ(FileNames(DayData("20160101")).size(), tap.aCalls.size());
    EXPECT_FALSE(QFileInfo::exists(DayData("20160102")));

    // The next download starts uncancelled (the window is shown anew) and
    // copies the rest.
    form.ShowDownload();
    EXPECT_FALSE(form.Cancelled());
    m_log.a.clear();
    Plug({});
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.a.size() >= 1; }, 5000));
    Plug({ Vol(Drive(), "ZOD-632A") });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.a.size() >= 4; }, 5000));
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 1, 2, 6 }));
    EXPECT_EQ(FileNames(DayData("20160101")).size(), 7);
    EXPECT_EQ(FileNames(DayData("20160102")).size(), 5);
}

// Stopping the thread while it downloads: Stop waits for the download to end
// and handles its reports meanwhile (no deadlock), so the end status arrives.
TEST_F(MeterThread, StopDuringADownloadWaitsForItsEnd)
{
    for (int nDay = 1; nDay <= 3; ++nDay)
        WriteRun(Drive() + QStringLiteral("/2016010%1").arg(nDay), kSerial, 1, 2);
    TformDownload form;
    TProgressTap tap(&form);
    m_pProgress = &tap;
    bool bStopCalled = false;
    size_t nCallsAtStop = 0;
    tap.fnAfter = [&](int nCalls) {
        if (nCalls == 1) {
            // Right after this report returns, as the main window's
            // destruction would.
            QTimer::singleShot(0, [&] {
                nCallsAtStop = tap.aCalls.size();
                bStopCalled = true;
                m_pThread->Stop();
            });
        }
    };
    Make();
    m_pThread->start();
    Plug({ Vol(Drive(), "ZOD-632A") });
    ASSERT_TRUE(QTest::qWaitFor([&] { return bStopCalled && m_pThread->isFinished(); }, 15000));
    EXPECT_LT(nCallsAtStop, 21u) << "stopped while the download was under way";
    EXPECT_EQ(tap.aCalls.size(), 21u);
    EXPECT_EQ(m_log.Stats(), (std::vector<int> { 1, 2, 6 }));
    for (int nDay = 1; nDay <= 3; ++nDay)
        EXPECT_EQ(FileNames(DayData(QStringLiteral("2016010%1").arg(nDay))).size(), 7);
}

TEST_F(MeterThread, StopsPromptlyBetweenPolls)
{
    Make(1000);
    m_pThread->start();
    QTest::qWait(50);
    m_pThread->Stop();
    EXPECT_TRUE(m_pThread->isFinished());
    // Destroying a thread that never ran, or already stopped, is harmless.
    Make();
    m_pThread.reset();
}

} // namespace
