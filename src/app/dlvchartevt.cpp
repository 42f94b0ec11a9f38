#include "dlvchartevt.h"

#include "dlvprofile.h"
#include "dlvutils.h"

#include <QFontMetrics>
#include <cmath>
#include <limits>

namespace dlv {

namespace {

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

// Labels the time axis with the points' times of day, as many as fit without
// overlapping, on whole points only.
class TEvtTimeTicker : public QCPAxisTicker
{
public:
    TEvtTimeTicker(TChartEvt *pChart, QCPAxis *pAxis)
        : m_pChart(pChart)
        , m_pAxis(pAxis)
    {
    }

protected:
    double getTickStep(const QCPRange &range) override
    {
        // Estimated from the viewport rather than the axis rect: the axis rect
        // is only laid out after the ticks are made, and a picture rendered at
        // another size must get labels for its own width.
        int nPixels = m_pChart->viewport().width() - 70;
        nPixels = qMax(nPixels, 40);
        const int nLabel
            = QFontMetrics(m_pAxis->tickLabelFont()).horizontalAdvance(QStringLiteral("00:00:00"))
            + 12;
        const double flPerPoint = nPixels / qMax(range.size(), 1.0);
        const double flMinStep = nLabel / flPerPoint;
        static const int anSteps[] = { 1, 2, 5, 10, 15, 20, 30, 60, 120, 300, 600, 900, 1800, 3600,
            7200, 14400, 21600, 43200, 86400 };
        for (int n : anSteps)
            if (n >= flMinStep)
                return n;
        return 86400;
    }

    int getSubTickCount(double) override { return 0; }

    QString getTickLabel(double flTick, const QLocale &, QChar, int) override
    {
        const double flPoint = std::round(flTick);
        if (std::abs(flTick - flPoint) > 1e-6 || flPoint < 0 || flPoint >= m_pChart->PointCount())
            return QString();
        return TimeOfDayLabel(m_pChart->StartSec() + qint64(flPoint));
    }

private:
    TChartEvt *m_pChart;
    QCPAxis *m_pAxis;
};

} // namespace

TEvtPlot EventPlotPoints(const double *aflLevels, int nSlots, qint64 nStartSec, qint64 nDuration)
{
    TEvtPlot plot;
    plot.nStartSec = int(qBound<qint64>(qint64(INT_MIN), nStartSec, qint64(INT_MAX)));
    if (nDuration < 0)
        return plot;
    const qint64 nEnd = qMin<qint64>(nStartSec + nDuration, qint64(nSlots) - 1);
    if (nEnd < nStartSec)
        return plot;
    plot.afl.reserve(int(nEnd - nStartSec + 1));
    double flMax = 0.0, flMin = 999.0;
    for (qint64 t = nStartSec; t <= nEnd; ++t) {
        const double fl = t >= 0 ? aflLevels[t] : kNoValue;
        // NaN and -1.0 mean no value; an infinity cannot be drawn or fitted.
        if (IsNoLevel(fl) || !std::isfinite(fl)) {
            plot.afl.append(kNoValue);
            continue;
        }
        plot.afl.append(fl);
        flMax = qMax(flMax, fl);
        flMin = qMin(flMin, fl);
    }
    if (flMax > flMin) {
        plot.bFit = true;
        // Multiples of 10 dB: the top strictly above the loudest second, the
        // bottom at or below the quietest.
        plot.flAxisMax = std::floor((flMax + 10.0) / 10.0) * 10.0;
        plot.flAxisMin = std::floor(flMin / 10.0) * 10.0;
    }
    return plot;
}

QString TimeOfDayLabel(qint64 nSec)
{
    const qint64 n = ((nSec % 86400) + 86400) % 86400;
    return PointLabel(int(n), 1);
}

int CursorPoint(qint64 nPos, int nPoints, qint64 nLength)
{
    if (nPoints <= 0 || nLength <= 0)
        return -1;
    // Positions run 0 .. nLength and points 0 .. nPoints - 1: both fit in 31
    // bits, so the product fits in 64.
    const qint64 nPoint = qMax<qint64>(nPos, 0) * nPoints / nLength;
    return int(qMin<qint64>(nPoint, nPoints - 1));
}

qint64 PointPosition(qint64 nLength, int nPoint, int nPoints)
{
    if (nPoints <= 0 || nLength <= 0)
        return 0;
    return qBound<qint64>(0, nLength * nPoint / nPoints, nLength);
}

int NearestPoint(double flX)
{
    if (!std::isfinite(flX))
        return -1;
    flX = qBound(-1e9, flX, 1e9);
    return int(std::nearbyint(flX)); // default rounding mode: half to even
}

TCursorBars::TCursorBars(QCPAxis *pKeyAxis, QCPAxis *pValueAxis)
    : QCPBars(pKeyAxis, pValueAxis)
{
}

void TCursorBars::draw(QCPPainter *pPainter)
{
    QCPAxis *pKey = mKeyAxis.data();
    QCPAxis *pValue = mValueAxis.data();
    if (!pKey || !pValue || mDataContainer->isEmpty())
        return;
    const double flBottom = pValue->coordToPixel(pValue->range().lower);
    applyDefaultAntialiasingHint(pPainter);
    pPainter->setPen(Qt::NoPen);
    pPainter->setBrush(mBrush);
    for (auto it = mDataContainer->constBegin(); it != mDataContainer->constEnd(); ++it) {
        if (it->value == 0.0 || it->value != it->value)
            continue;
        const double flLeft = pKey->coordToPixel(it->key - mWidth / 2);
        const double flRight = pKey->coordToPixel(it->key + mWidth / 2);
        const double flTop = pValue->coordToPixel(it->value);
        pPainter->drawRect(QRectF(QPointF(flLeft, flTop), QPointF(flRight, flBottom)).normalized());
    }
}

TChartEvt::TChartEvt(QWidget *pParent)
    : QCustomPlot(pParent)
{
    const QColor clrBack(240, 240, 240);
    setBackground(clrBack);
    axisRect()->setBackground(clrBack);
    legend->setVisible(false);
    setInteractions(QCP::Interactions());

    yAxis->setLabel(QStringLiteral("Leq dB(A)"));
    yAxis->setRange(20, 120);
    auto pLevelTicker = QSharedPointer<QCPAxisTickerFixed>::create();
    pLevelTicker->setTickStep(10);
    pLevelTicker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    yAxis->setTicker(pLevelTicker);
    yAxis->setSubTicks(false);

    xAxis->setLabel(QStringLiteral("Time (HH:MM:SS)"));
    xAxis->grid()->setVisible(false);
    xAxis->setSubTicks(false);
    xAxis->setTicker(QSharedPointer<TEvtTimeTicker>::create(this, xAxis));

    m_pLeq = addGraph(xAxis, yAxis);
    m_pLeq->setName(QStringLiteral("Leq"));
    m_pLeq->setLineStyle(QCPGraph::lsStepLeft);
    m_pLeq->setPen(QPen(QColor(255, 0, 0), 1));
    m_pLeq->setScatterStyle(QCPScatterStyle::ssNone);

    m_pCursor = new TCursorBars(xAxis, yAxis);
    m_pCursor->setName(QStringLiteral("Cursor"));
    m_pCursor->setWidth(1.0);
    m_pCursor->setPen(Qt::NoPen);
    m_pCursor->setBrush(QColor(0, 0, 0, 130)); // 49 % transparent
    m_pCursor->setAntialiased(false);
}

void TChartEvt::SetEvent(const TEvtPlot &plot)
{
    m_nStartSec = plot.nStartSec;
    const int n = plot.afl.size();
    QVector<QCPGraphData> aLeq(n);
    QVector<QCPBarsData> aBars(n);
    for (int j = 0; j < n; ++j) {
        aLeq[j] = QCPGraphData(j, plot.afl[j]);
        aBars[j] = QCPBarsData(j, 0.0);
    }
    m_pLeq->data()->set(aLeq, true);
    m_pCursor->data()->set(aBars, true);
    // The time axis fits the points (and the cursor bar around the end ones).
    if (n > 0)
        xAxis->setRange(-0.5, n - 0.5);
    else
        xAxis->setRange(0, 1);
    if (plot.bFit) {
        yAxis->setRangeLower(0);
        yAxis->setRangeUpper(plot.flAxisMax);
        yAxis->setRangeLower(plot.flAxisMin);
    }
    replot(rpQueuedReplot);
}

int TChartEvt::PointCount() const
{
    return m_pCursor->data()->size();
}

void TChartEvt::SetCursorBar(int i, double flValue)
{
    if (i < 0 || i >= PointCount())
        return;
    // Keys are the point indices 0 .. n-1, so the container's position is
    // the index.
    (m_pCursor->data()->begin() + i)->value = flValue;
    replot(rpQueuedReplot);
}

double TChartEvt::CursorBar(int i) const
{
    if (i < 0 || i >= PointCount())
        return 0.0;
    return (m_pCursor->data()->constBegin() + i)->value;
}

} // namespace dlv
