// A real labelled volume: an ext4 image labelled like a meter, loop-mounted.
// Needs root and loop devices; skipped with the reason where they are missing.
// The image holds no recordings and is mounted for about two seconds: other
// programs' meter threads on this machine may see it, and must have nothing
// to download from it.
#include "dlvmeter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <unistd.h>

using dlv::TMeterThread;
using dlv::TSystemVolumeSource;
using dlv::TVolume;

namespace {

int RunProgram(const QString &sProgram, const QStringList &slArgs, QString *psOutput = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(sProgram, slArgs);
    if (!p.waitForFinished(30000))
        return -1;
    if (psOutput)
        *psOutput = QString::fromLocal8Bit(p.readAll()).trimmed();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// An empty ext4 image labelled ZOD-632A and its mount point; unmounted and
// removed at the end whatever happens.
class RealVolume : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (::geteuid() != 0)
            GTEST_SKIP() << "loop-mounting an image needs root";
        if (QStandardPaths::findExecutable("mkfs.ext4").isEmpty()
            && !QFileInfo::exists("/usr/sbin/mkfs.ext4") && !QFileInfo::exists("/sbin/mkfs.ext4"))
            GTEST_SKIP() << "mkfs.ext4 is not installed";
        m_sImage = m_dir.filePath("meter.img");
        m_sMount = m_dir.filePath("mnt");
        QDir().mkpath(m_sMount);
        QString sOut;
        if (RunProgram("mkfs.ext4", { "-q", "-F", "-L", "ZOD-632A", m_sImage, "8M" }, &sOut) != 0)
            GTEST_SKIP() << "mkfs.ext4 failed: " << sOut.toStdString();
    }
    void TearDown() override
    {
        if (m_bMounted)
            Unmount();
    }

    bool Mount(QString &sWhy)
    {
        m_bMounted = RunProgram("mount", { "-o", "loop", m_sImage, m_sMount }, &sWhy) == 0;
        return m_bMounted;
    }
    void Unmount()
    {
        if (RunProgram("umount", { m_sMount }) != 0)
            RunProgram("umount", { "-l", m_sMount });
        m_bMounted = false;
    }

    QTemporaryDir m_dir;
    QString m_sImage;
    QString m_sMount;
    bool m_bMounted = false;
};

TEST_F(RealVolume, SystemSourceReadsTheLabelAndTheThreadFindsIt)
{
    std::vector<int> aStat;
    QElapsedTimer tMount;
    qint64 nMsDetected = -1;
    QString sDrive;
    TMeterThread *pThread = nullptr;
    TMeterThread thread(
        std::make_unique<TSystemVolumeSource>(),
        [&](int n) {
            if (aStat.empty() && tMount.isValid())
                nMsDetected = tMount.elapsed();
            aStat.push_back(n);
            sDrive = pThread->SlmDrive(); // read while the thread waits
        },
        [] { return nullptr; }, [this] { return m_dir.filePath("data") + "/"; },
        m_dir.filePath("home"));
    pThread = &thread;
    thread.start();
    QTest::qWait(200);
    const bool bMeterAlready = thread.Connected();

    QString sWhy;
    if (!Mount(sWhy))
        GTEST_SKIP() << "mounting the image is not permitted here: " << sWhy.toStdString();
    tMount.start();

    // The label straight from the device, as no /dev/disk/by-label exists.
    const QStorageInfo si(m_sMount);
    ASSERT_EQ(si.rootPath(), m_sMount);
    EXPECT_EQ(TSystemVolumeSource::DeviceLabel(si.device()), "ZOD-632A");
    TSystemVolumeSource source;
    const std::vector<TVolume> aVolumes = source.Volumes();
    const auto it = std::find_if(
        aVolumes.begin(), aVolumes.end(), [&](const TVolume &v) { return v.sRoot == m_sMount; });
    ASSERT_NE(it, aVolumes.end());
    EXPECT_EQ(it->sLabel, "ZOD-632A");
    EXPECT_TRUE(std::is_sorted(aVolumes.begin(), aVolumes.end(),
        [](const TVolume &a, const TVolume &b) { return a.sRoot < b.sRoot; }));

    if (bMeterAlready)
        GTEST_SKIP() << "another meter volume is mounted on this machine";
    // The thread polls once a second: connected, and a download that finds
    // nothing to copy.
    ASSERT_TRUE(QTest::qWaitFor([&] { return aStat.size() >= 3; }, 10000));
    std::printf("meter reported %lld ms after the mount (one poll a second)\n",
        static_cast<long long>(nMsDetected));
    EXPECT_EQ(aStat, (std::vector<int> { 1, 2, 2 }));
    EXPECT_EQ(sDrive, m_sMount + "/");

    Unmount();
    EXPECT_TRUE(QTest::qWaitFor([&] { return aStat.size() >= 4; }, 10000));
    EXPECT_EQ(aStat.back(), 1);
    EXPECT_FALSE(thread.Connected());
    thread.Stop();
}

TEST(VolumeLabel, NoLabelForWhatIsNoBlockDevice)
{
    EXPECT_TRUE(TSystemVolumeSource::DeviceLabel("tmpfs").isEmpty());
    EXPECT_TRUE(TSystemVolumeSource::DeviceLabel("/dev/no-such-device").isEmpty());
    EXPECT_TRUE(TSystemVolumeSource::DeviceLabel("").isEmpty());
}

} // namespace
