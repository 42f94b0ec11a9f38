#pragma once

#include <QString>
#include <QVector>
#include <qcustomplot.h>

namespace dlv {

// What the event chart shows of one event, computed from the day's
// per-second levels: point j stands for second nStartSec + j; a point without
// value is NaN. bFit says whether the level axis is refitted, to
// [flAxisMin, flAxisMax]. Plain data, built by EventPlotPoints.
struct TEvtPlot
{
    int nStartSec = 0;
    QVector<double> afl;
    bool bFit = false;
    double flAxisMin = 0.0;
    double flAxisMax = 0.0;
};

// Points of an event starting at nStartSec lasting nDuration seconds: one per
// second from start to end inclusive, never past the last slot of aflLevels
// (nSlots entries). Seconds outside the day, NaN, -1.0 and infinities are
// points without value. Every level counts for the axis fit (no "above 0"
// rule as on the day chart).
TEvtPlot EventPlotPoints(const double *aflLevels, int nSlots, qint64 nStartSec, qint64 nDuration);

// Time of day of a second as "hh:nn:ss"; seconds outside 0..86399 wrap round
// the day.
QString TimeOfDayLabel(qint64 nSec);

// Index of the point that carries the cursor at playback position nPos of a
// recording nLength ms long spread over nPoints points (64-bit, truncated, at
// most the last point); -1 when there is nothing to point at.
int CursorPoint(qint64 nPos, int nPoints, qint64 nLength);

// Playback position of point nPoint of nPoints in a recording nLength ms long,
// within 0 .. nLength.
qint64 PointPosition(qint64 nLength, int nPoint, int nPoints);

// Nearest integer to a time-axis value, a half going to the even neighbour.
int NearestPoint(double flX);

// The bar series of the playback cursor: every bar rises from the bottom of
// the plot to its value, and a bar of value 0 is not drawn at all (whatever
// the level axis shows). Owned by its chart; main thread.
class TCursorBars : public QCPBars
{
    Q_OBJECT
public:
    TCursorBars(QCPAxis *pKeyAxis, QCPAxis *pValueAxis);

protected:
    void draw(QCPPainter *pPainter) override;
};

// The event chart kind (chartEvt, and any chart that print or export draws an
// event into): series 0 "Leq" as red stairs with gaps, series 1 "Cursor" as
// translucent black bars; time axis labelled with the points' times of day;
// no zoom, pan or wheel. Owned by its parent window; main thread.
class TChartEvt : public QCustomPlot
{
    Q_OBJECT
public:
    explicit TChartEvt(QWidget *pParent = nullptr);

    QCPGraph *LeqSeries() const { return m_pLeq; }
    TCursorBars *CursorSeries() const { return m_pCursor; }

    // Replaces both series with the event's points (the cursor bars all 0)
    // and fits the level axis when the plot says so.
    void SetEvent(const TEvtPlot &plot);
    // Points in series 1 (and series 0).
    int PointCount() const;
    // Sets the cursor bar of point i (0 lowers it); out-of-range i is ignored.
    void SetCursorBar(int i, double flValue);
    double CursorBar(int i) const;
    int StartSec() const { return m_nStartSec; }

private:
    QCPGraph *m_pLeq = nullptr;
    TCursorBars *m_pCursor = nullptr;
    int m_nStartSec = 0;
};

} // namespace dlv
