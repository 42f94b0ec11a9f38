#pragma once

// The real main window over a temporary data folder whose meter and day
// folders the tests write with the meter-file writers, for the navigation and
// time-history chart tests.

#include "dlvcfg.h"
#include "dlvchartprf.h"
#include "dlvfilesys630.h"
#include "dlvmain.h"
#include "dlvmeterfiles.h"
#include "dlvplayer.h"
#include "dlvtesthome.h"
#include "dlvtestmessages.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QToolButton>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace dlv::test {

inline const QString kMeterA = QStringLiteral("1234567");
inline const QString kMeterB = QStringLiteral("7654321");

// What one run of a day folder holds.
struct TNavRun
{
    int nRun = 1;
    QTime tStart { 8, 0, 0 };
    // Level of second s, or NaN for no record; records are written for the
    // seconds nFrom .. nTo.
    int nFrom = 8 * 3600;
    int nTo = 17 * 3600 - 1;
    std::function<double(int)> fnLevel = [](int s) { return 50.0 + (s % 17) * 0.5; };
    bool bProfile = true;
    int nLead = 0;
    std::vector<TEvtRecord> aEvents;
    bool bVoiceNote = false;
    std::vector<QDateTime> aPreCal; // calibration checks before the run
};

class TNavWindow
{
public:
    TNavWindow()
        : m_sBase(home.Path() + QStringLiteral("/data/"))
    {
        QDir().mkpath(m_sBase);
    }

    QString Base() const { return m_sBase; }
    QString Day(const QString &sMeter, const QString &sDate) const
    {
        return m_sBase + sMeter + QLatin1Char('/') + sDate + QLatin1Char('/');
    }

    void WriteDay(const QString &sMeter, const QString &sDate, const std::vector<TNavRun> &aRuns)
    {
        const QString sDay = Day(sMeter, sDate);
        QDir().mkpath(sDay);
        QDate d = QDate::fromString(sDate, QStringLiteral("yyyyMMdd"));
        if (!d.isValid())
            d = QDate(2016, 3, 1); // a folder name that is no calendar date
        for (const TNavRun &run : aRuns) {
            const QString sRun = sDay + QString::asprintf("R%03d", run.nRun);
            TBinFile bin
                = MakeRunHeader(run.nRun, sMeter, QStringLiteral("632A"), QDateTime(d, run.tStart));
            for (const QDateTime &dt : run.aPreCal)
                SetCalibration(bin, false, dt);
            ASSERT_TRUE(WriteBinFile(sRun + ".BIN", bin));
            if (run.bProfile) {
                std::vector<TPrfRecord> a;
                for (int s = run.nFrom; s <= run.nTo; ++s) {
                    const double fl = run.fnLevel(s);
                    if (!std::isnan(fl))
                        a.push_back(PrfAt(s, fl, fl + 5.0));
                }
                ASSERT_TRUE(WritePrfFile(sRun + ".PRF", a, false));
            }
            if (!run.aEvents.empty()) {
                ASSERT_TRUE(WriteEvtFile(sRun + ".EVT", run.nLead, run.aEvents));
            }
            if (run.bVoiceNote) {
                ASSERT_TRUE(WriteToneWav(sRun + "NOTE.WAV", 0.2, 330));
            }
        }
    }
    // A day folder without any run header.
    void WriteEmptyDay(const QString &sMeter, const QString &sDate)
    {
        QDir().mkpath(Day(sMeter, sDate));
    }

    // Creates the main window on the data folder, as a start of the program
    // with these settings stored.
    void Open(const QString &sLastMeter = QString(), int nRate = 300)
    {
        {
            QSettings s = SettingsStore();
            s.setValue(QStringLiteral("basedir"), m_sBase);
            s.setValue(QStringLiteral("lastslm"), sLastMeter);
            s.setValue(QStringLiteral("prfper"), nRate);
        }
        form = std::make_unique<TformMain>(std::make_unique<TCfg>());
        form->mplayer->SetBackendEnabled(false);
        form->show();
        (void)QTest::qWaitForWindowExposed(form.get());
        QCoreApplication::processEvents();
    }

    bool Load(int nIndex)
    {
        const bool b = form->LoadDay(nIndex);
        QCoreApplication::processEvents();
        return b;
    }

    QListWidget *Days() const { return form->listboxFolders; }
    TChartPrf *Chart() const { return form->chartPrf; }
    TFileSys630 &Fs() const { return *form->fs630; }
    QStringList DayTexts() const
    {
        QStringList sl;
        for (int i = 0; i < Days()->count(); ++i)
            sl << Days()->item(i)->text();
        return sl;
    }
    int SelectedDay() const
    {
        const auto a = Days()->selectedItems();
        return a.isEmpty() ? -1 : Days()->row(a.first());
    }
    bool DayShown() const
    {
        return !form->panelMain->isHidden() && !form->panelPrfBtns->isHidden();
    }

    void ClickDay(int i)
    {
        QTest::mouseClick(Days()->viewport(), Qt::LeftButton, {},
            Days()->visualItemRect(Days()->item(i)).center());
        QCoreApplication::processEvents();
    }
    // Drags a zoom rectangle over the chart between two time-axis values.
    void DragChart(double flFrom, double flTo)
    {
        TChartPrf *p = Chart();
        const int y = p->axisRect()->rect().center().y();
        const QPoint pt0(int(std::lround(p->xAxis->coordToPixel(flFrom))), y);
        const QPoint pt1(int(std::lround(p->xAxis->coordToPixel(flTo))), y + 20);
        QTest::mousePress(p, Qt::LeftButton, {}, pt0);
        QTest::mouseMove(p, (pt0 + pt1) / 2);
        QTest::mouseMove(p, pt1);
        QTest::mouseRelease(p, Qt::LeftButton, {}, pt1);
        QCoreApplication::processEvents();
    }
    QCPRange TimeRange() const { return Chart()->xAxis->range(); }
    QCPRange LevelRange() const { return Chart()->yAxis->range(); }
    bool ZoomOutShown() const { return !form->btnZoomOut->isHidden(); }

    TTempHome home;
    std::unique_ptr<TformMain> form;

private:
    QString m_sBase;
};

} // namespace dlv::test
