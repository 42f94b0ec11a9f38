#pragma once

// The real main window on a temporary data folder with one meter and one or
// more days written by the meter-file writers, for the event list, event
// chart and playback tests.

#include "dlvcfg.h"
#include "dlvchartevt.h"
#include "dlvfilesys630.h"
#include "dlvgridevents.h"
#include "dlvmain.h"
#include "dlvmeterfiles.h"
#include "dlvplayer.h"
#include "dlvtesthome.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace dlv::test {

inline const QString kMeter = QStringLiteral("1234567");

// One run's files in a day folder.
struct TRunFiles
{
    int nRun = 1;
    QTime tStart { 8, 59, 30 };
    bool bVoiceNote = true;
    bool bProfile = true;
    int nLead = 2;
    std::vector<TEvtRecord> aEvents;
    double flWavSeconds = 1.0; // length of every recording written
};

// The standard day: a voice note at 08:59:30 (item 0), then three events with
// lead time 2: 09:00:08 lasting 6 s with recording 1 (item 1), 09:01:00
// lasting 4 s (5 points) with recording 2 (item 2), 09:02:00 lasting 10 s
// without recording (item 3). Levels from 09:00:00 to 09:10:00, with a gap at
// 09:01:02.
inline TRunFiles StandardRun()
{
    TRunFiles run;
    run.aEvents = { { 9, 0, 10, 0, 0, 4, 1 }, { 9, 1, 2, 0, 0, 2, 2 }, { 9, 2, 2, 0, 0, 8, 0 } };
    return run;
}

// Level of a second in the standard profile (0 for none).
inline double StdLevel(int nSec)
{
    if (nSec == 9 * 3600 + 62)
        return 0.0; // no record: a gap
    return 45.0 + (nSec % 13) * 2.5;
}

class TEvtWindow
{
public:
    explicit TEvtWindow(std::vector<std::pair<QString, TRunFiles>> aDays
        = { { QStringLiteral("20160315"), StandardRun() } })
    {
        m_sBase = home.Path() + QStringLiteral("/data/");
        for (const auto &[sDate, run] : aDays)
            WriteDay(sDate, run);
        form = std::make_unique<TformMain>(std::make_unique<TCfg>());
        Cfg->SetBaseDir(m_sBase);
        // Widget tests must not depend on a sound device; the audio tests
        // switch the backend back on.
        form->mplayer->SetBackendEnabled(false);
        form->show();
        (void)QTest::qWaitForWindowExposed(form.get());
        form->activateWindow();
        (void)QTest::qWaitForWindowActive(form.get());
        form->ShowMeters();
        form->ShowFolders();
    }

    QString Day(const QString &sDate = QStringLiteral("20160315")) const
    {
        return m_sBase + kMeter + QLatin1Char('/') + sDate + QLatin1Char('/');
    }

    void WriteDay(const QString &sDate, const TRunFiles &run)
    {
        const QString sDay = Day(sDate);
        QDir().mkpath(sDay);
        const QDate d = QDate::fromString(sDate, QStringLiteral("yyyyMMdd"));
        const QString sRun = QString::asprintf("R%03d", run.nRun);
        ASSERT_TRUE(WriteBinFile(sDay + sRun + ".BIN",
            MakeRunHeader(run.nRun, kMeter, QStringLiteral("632A"), QDateTime(d, run.tStart))));
        if (run.bProfile) {
            std::vector<TPrfRecord> a;
            for (int s = 9 * 3600; s <= 9 * 3600 + 600; ++s) {
                if (StdLevel(s) == 0.0)
                    continue;
                a.push_back(PrfAt(s, StdLevel(s), StdLevel(s) + 6.0));
            }
            ASSERT_TRUE(WritePrfFile(sDay + sRun + ".PRF", a, false));
        }
        if (run.bVoiceNote)
            ASSERT_TRUE(WriteToneWav(sDay + sRun + "NOTE.WAV", run.flWavSeconds, 330));
        if (!run.aEvents.empty()) {
            ASSERT_TRUE(WriteEvtFile(sDay + sRun + ".EVT", run.nLead, run.aEvents));
            for (const TEvtRecord &r : run.aEvents) {
                if (r.nRecording != 0)
                    ASSERT_TRUE(WriteToneWav(sDay + RecordingFileName(run.nRun, r.nRecording),
                        run.flWavSeconds, 440));
            }
        }
    }

    bool Load(int nIndex = 0)
    {
        const bool b = form->LoadDay(nIndex);
        QCoreApplication::processEvents();
        return b;
    }

    TGridEvents *Grid() const { return form->gridEvents; }
    TFileSys630 &Fs() const { return *form->fs630; }

    QModelIndex Cell(int nCol, int nRow) const { return Grid()->model()->index(nRow - 1, nCol); }
    QPoint CellCenter(int nCol, int nRow) const
    {
        return Grid()->visualRect(Cell(nCol, nRow)).center();
    }

    void Click(int nCol, int nRow, Qt::MouseButton btn = Qt::LeftButton)
    {
        QTest::mouseClick(Grid()->viewport(), btn, {}, CellCenter(nCol, nRow));
        QCoreApplication::processEvents();
    }
    // Lets the double-click interval pass, so the next click is one of its own.
    void WaitPastDoubleClick() const { QTest::qWait(QApplication::doubleClickInterval() + 50); }
    void ClickHeading(int nCol)
    {
        QHeaderView *pHead = Grid()->horizontalHeader();
        QTest::mouseClick(pHead->viewport(), Qt::LeftButton, {},
            QPoint(pHead->sectionViewportPosition(nCol) + 5, pHead->height() / 2));
        QCoreApplication::processEvents();
    }
    // Keys go where the user's keys would: the widget with the focus (the
    // editor while a note is open).
    void Key(Qt::Key key)
    {
        QWidget *p = Grid()->Editor() ? Grid()->Editor() : Grid();
        QTest::keyClick(p, key);
        QCoreApplication::processEvents();
    }
    void Type(const QString &s)
    {
        ASSERT_NE(Grid()->Editor(), nullptr) << "no note open for typing";
        QTest::keyClicks(Grid()->Editor(), s);
        QCoreApplication::processEvents();
    }

    // evtx.csv as lines (without line ends); empty when there is no file.
    QStringList Evtx(const QString &sDate = QStringLiteral("20160315")) const
    {
        const QString s = QString::fromLocal8Bit(ReadFile(Day(sDate) + "evtx.csv"));
        QStringList sl = s.split(QLatin1Char('\n'));
        for (QString &sLine : sl)
            if (sLine.endsWith(QLatin1Char('\r')))
                sLine.chop(1);
        while (!sl.isEmpty() && sl.last().isEmpty())
            sl.removeLast();
        return sl;
    }
    bool EvtxExists(const QString &sDate = QStringLiteral("20160315")) const
    {
        return QFileInfo::exists(Day(sDate) + "evtx.csv");
    }

    // Index of the raised cursor bar of the window's event chart; -1 for none.
    int RaisedBar() const
    {
        TChartEvt *p = form->chartEvt;
        for (int i = 0; i < p->PointCount(); ++i)
            if (p->CursorBar(i) != 0.0)
                return i;
        return -1;
    }

    TTempHome home;
    std::unique_ptr<TformMain> form;

private:
    QString m_sBase;
};

} // namespace dlv::test
