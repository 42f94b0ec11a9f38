#include "dlvchartprf.h"

#include "dlvutils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace dlv {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const QString kMarkerLayer = QStringLiteral("markers");

// The stair series. At one point a second a day has 86 400 points for some
// 700 pixel columns; each column is reduced to its first, lowest, highest and
// last value. QCustomPlot's own reduction takes a column's first point as the
// seed of its extremes, so a column that happens to start on a gap second
// vanishes while one with the same gap later does not: here only a column
// without any value is a gap, wherever its missing seconds lie.
class TPrfSeries : public QCPGraph
{
public:
    TPrfSeries(QCPAxis *pKeyAxis, QCPAxis *pValueAxis)
        : QCPGraph(pKeyAxis, pValueAxis)
    {
    }

protected:
    // Every stroke on a pixel centre. Qt draws a 1-pixel line that ends a
    // sub-pixel step (two periods whose levels lie less than a pixel apart)
    // with a jump between rows halfway along the next period's level; on
    // centres each level keeps one row, the row its value lies in.
    void drawLinePlot(QCPPainter *pPainter, const QVector<QPointF> &aLines) const override
    {
        if (antialiased() || pPainter->transform().type() > QTransform::TxTranslate) {
            QCPGraph::drawLinePlot(pPainter, aLines);
            return;
        }
        m_aSnapped.resize(aLines.size());
        for (qsizetype i = 0; i < aLines.size(); ++i) {
            const QPointF &pt = aLines[i];
            m_aSnapped[i] = QPointF(std::floor(pt.x()) + 0.5, std::floor(pt.y()) + 0.5);
        }
        QCPGraph::drawLinePlot(pPainter, m_aSnapped);
    }

    void getOptimizedLineData(QVector<QCPGraphData> *pLineData,
        const QCPGraphDataContainer::const_iterator &itBegin,
        const QCPGraphDataContainer::const_iterator &itEnd) const override
    {
        QCPAxis *pKey = mKeyAxis.data();
        if (!pLineData || !pKey || pKey->orientation() != Qt::Horizontal || pKey->rangeReversed()
            || pKey->scaleType() != QCPAxis::stLinear) {
            QCPGraph::getOptimizedLineData(pLineData, itBegin, itEnd);
            return;
        }
        pLineData->clear();
        if (itBegin == itEnd)
            return;
        const qsizetype nCount = itEnd - itBegin;
        const double flSpan
            = std::abs(pKey->coordToPixel((itEnd - 1)->key) - pKey->coordToPixel(itBegin->key));
        if (!mAdaptiveSampling || double(nCount) < 2.0 * flSpan + 2.0) {
            pLineData->resize(nCount);
            std::copy(itBegin, itEnd, pLineData->begin());
            return;
        }
        pLineData->reserve(qsizetype(flSpan) * 4 + 8);
        auto it = itBegin;
        while (it != itEnd) {
            const double flCol = std::floor(pKey->coordToPixel(it->key));
            const auto itFirst = it;
            double flFirst = kNaN, flLast = kNaN, flLo = kNaN, flHi = kNaN;
            int n = 0;
            for (; it != itEnd && std::floor(pKey->coordToPixel(it->key)) == flCol; ++it) {
                const double fl = it->value;
                if (std::isnan(fl))
                    continue;
                if (n++ == 0) {
                    flFirst = flLo = flHi = fl;
                } else {
                    flLo = std::min(flLo, fl);
                    flHi = std::max(flHi, fl);
                }
                flLast = fl;
            }
            if (n == 0) {
                pLineData->append(QCPGraphData(itFirst->key, kNaN));
            } else if (it - itFirst == 1) {
                pLineData->append(*itFirst);
            } else {
                const double flKey = pKey->pixelToCoord(flCol);
                const double flEps = pKey->pixelToCoord(flCol + 1.0) - flKey;
                pLineData->append(QCPGraphData(flKey + 0.2 * flEps, flFirst));
                pLineData->append(QCPGraphData(flKey + 0.25 * flEps, flLo));
                pLineData->append(QCPGraphData(flKey + 0.75 * flEps, flHi));
                pLineData->append(QCPGraphData(flKey + 0.8 * flEps, flLast));
            }
        }
    }

private:
    mutable QVector<QPointF> m_aSnapped; // reused by every drawing
};

// The zoom rectangle covers the plot's full height: only the time axis zooms.
class TTimeBandRect : public QCPSelectionRect
{
public:
    explicit TTimeBandRect(QCustomPlot *pPlot)
        : QCPSelectionRect(pPlot)
    {
    }

protected:
    void draw(QCPPainter *pPainter) override
    {
        if (!mActive || !mParentPlot->axisRect())
            return;
        const QRect rcAxes = mParentPlot->axisRect()->rect();
        const QRect rc(QPoint(mRect.left(), rcAxes.top()), QPoint(mRect.right(), rcAxes.bottom()));
        pPainter->setPen(mPen);
        pPainter->setBrush(mBrush);
        pPainter->drawRect(rc.intersected(rcAxes));
    }
};

// Tick steps of the time axis in seconds; each must be a whole number of
// points at the chart's rate.
constexpr int kTimeSteps[] = { 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200, 10800,
    14400, 21600, 43200, 86400 };
// Sub-divisions tried for the minor ticks, most readable first.
constexpr int kSubDivisions[] = { 4, 3, 6, 5, 2 };

} // namespace

// Draws the event markers after the series and the axes, on every rendering.
class TChartPrf::TMarkerLayer : public QCPLayerable
{
public:
    explicit TMarkerLayer(TChartPrf *pChart)
        : QCPLayerable(pChart, kMarkerLayer)
        , m_pChart(pChart)
    {
    }

protected:
    void applyDefaultAntialiasingHint(QCPPainter *pPainter) const override
    {
        pPainter->setAntialiasing(false);
    }
    void draw(QCPPainter *pPainter) override { m_pChart->DrawMarkers(pPainter); }

private:
    TChartPrf *m_pChart;
};

// Time axis: ticks on whole points, labelled with the start of their period;
// the step is the smallest readable one whose labels do not touch at the
// axis's current length in pixels.
class TChartPrf::TTimeTicker : public QCPAxisTicker
{
public:
    explicit TTimeTicker(TChartPrf *pChart)
        : m_pChart(pChart)
    {
    }

protected:
    double getTickStep(const QCPRange &range) override
    {
        const int nRate = m_pChart->m_nRate;
        const double flPxPerPoint = m_pChart->TimeAxisPixels() / std::max(range.size(), 1e-9);
        const double flSpacing = m_pChart->TimeLabelSpacing();
        for (int nSec : kTimeSteps) {
            if (nSec % nRate != 0)
                continue;
            const double flPoints = nSec / nRate;
            if (flPoints * flPxPerPoint >= flSpacing)
                return flPoints;
        }
        // Not even a day fits: a step longer than the range leaves one tick.
        return std::max(std::ceil(range.size()) + 1.0, double(kSecondsPerDay / nRate));
    }

    int getSubTickCount(double flTickStep) override
    {
        const int nRate = m_pChart->m_nRate;
        const double flSec = flTickStep * nRate;
        if (flSec > kSecondsPerDay || flSec != std::floor(flSec))
            return 0;
        const int nSec = int(flSec);
        for (int nDiv : kSubDivisions) {
            if (nSec % nDiv != 0)
                continue;
            const int nSub = nSec / nDiv;
            if (nSub % nRate != 0)
                continue;
            for (int nNice : kTimeSteps)
                if (nNice == nSub)
                    return nDiv - 1;
        }
        return 0;
    }

    QString getTickLabel(double flTick, const QLocale &, QChar, int) override
    {
        return PointLabel(int(std::llround(std::clamp(flTick, -1e6, 1e6))), m_pChart->m_nRate,
            m_pChart->m_cTimeSep);
    }

private:
    TChartPrf *m_pChart;
};

TChartPrf::TChartPrf(QWidget *pParent)
    : QCustomPlot(pParent)
{
    m_cTimeSep = TimeSeparatorChar();
    setBackground(BackColor());
    legend->setVisible(false);
    setAutoAddPlottableToLegend(false);
    setInteractions(QCP::Interactions());

    xAxis->setLabel(QStringLiteral("Time (HH:MM:SS)"));
    xAxis->grid()->setVisible(false);
    xAxis->setTicker(QSharedPointer<QCPAxisTicker>(new TTimeTicker(this)));
    xAxis->setRange(0.0, kSecondsPerDay);

    yAxis->setLabel(QStringLiteral("Leq dB(A)"));
    auto pLevelTicker = QSharedPointer<QCPAxisTickerFixed>::create();
    pLevelTicker->setTickStep(10.0);
    pLevelTicker->setScaleStrategy(QCPAxisTickerFixed::ssNone);
    yAxis->setTicker(pLevelTicker);
    yAxis->setRange(kInitialLevelMin, kInitialLevelMax);
    yAxis->grid()->setPen(QPen(QColor(205, 205, 205), 0, Qt::DotLine));

    // A closed frame around the plot, without ticks of its own.
    for (QCPAxis *pAxis : { xAxis2, yAxis2 }) {
        pAxis->setVisible(true);
        pAxis->setTicks(false);
        pAxis->setTickLabels(false);
    }

    m_pSeries = new TPrfSeries(xAxis, yAxis);
    m_pSeries->setName(QStringLiteral("Leq"));
    // A cosmetic pen: the stairs' horizontal strokes stay on one pixel row each
    // (a 1-unit stroked pen lets a row jump midway between two close levels).
    QPen penLine(LineColor(), 1.0);
    penLine.setCosmetic(true);
    m_pSeries->setPen(penLine);
    m_pSeries->setLineStyle(QCPGraph::lsStepLeft);
    m_pSeries->setAdaptiveSampling(true);
    // Stairs are horizontal and vertical strokes: crisp without smoothing.
    m_pSeries->setAntialiased(false);

    addLayer(kMarkerLayer, layer(QStringLiteral("axes")), QCustomPlot::limAbove);
    layer(kMarkerLayer)->setMode(QCPLayer::lmBuffered);
    m_pMarkerLayer = new TMarkerLayer(this);

    auto *pBand = new TTimeBandRect(this);
    pBand->setLayer(QStringLiteral("overlay"));
    pBand->setPen(QPen(QColor(68, 102, 163), 0, Qt::DashLine));
    pBand->setBrush(QColor(68, 102, 163, 40));
    setSelectionRect(pBand);
    setSelectionRectMode(QCP::srmZoom);
}

TChartPrf::~TChartPrf()
{
    delete m_pMarkerLayer;
}

std::span<double> TChartPrf::LevelBuffer(int nPoints)
{
    m_aflLevels.assign(size_t(std::max(nPoints, 0)), kNaN);
    return m_aflLevels;
}

TLevelScan TChartPrf::ShowLevels(int nRate)
{
    m_nRate = SafePrfRate(nRate);
    const int nPoints = int(m_aflLevels.size());
    QVector<QCPGraphData> aData(nPoints + 1);
    for (int k = 0; k < nPoints; ++k) {
        double &fl = m_aflLevels[size_t(k)];
        if (IsNoLevel(fl))
            fl = kNaN;
        aData[k] = QCPGraphData(k, fl);
    }
    // A step runs from its point to the next one; the gap point after the last
    // lets the day's last period draw its step to the end of the day.
    aData[nPoints] = QCPGraphData(nPoints, kNaN);
    m_pSeries->data()->set(aData, true);
    return ScanLevels(m_aflLevels);
}

void TChartPrf::ZoomTime(double flMin, double flMax)
{
    if (!(flMax > flMin))
        return;
    if (!m_bZoomed) {
        m_rgSavedTime = xAxis->range();
        m_rgSavedLevel = yAxis->range();
        m_bZoomed = true;
    }
    xAxis->setRange(flMin, flMax);
    emit zoomed();
    replot();
}

void TChartPrf::UndoZoom()
{
    if (m_bZoomed) {
        xAxis->setRange(m_rgSavedTime);
        yAxis->setRange(m_rgSavedLevel);
        m_bZoomed = false;
    }
    emit zoomUndone();
}

void TChartPrf::mousePressEvent(QMouseEvent *pEvent)
{
    m_ptPress = pEvent->position().toPoint();
    QCustomPlot::mousePressEvent(pEvent);
}

void TChartPrf::processRectZoom(QRect rect, QMouseEvent *pEvent)
{
    const QRect rcAxes = axisRect()->rect();
    if (pEvent && pEvent->position().toPoint().x() < m_ptPress.x()) {
        // A rectangle drawn from right to left takes the zoom back.
        UndoZoom();
    } else {
        const int nLeft = std::max(rect.left(), rcAxes.left());
        const int nRight = std::min(rect.right(), rcAxes.right());
        if (nRight - nLeft >= 2) {
            ZoomTime(xAxis->pixelToCoord(nLeft), xAxis->pixelToCoord(nRight));
            return;
        }
    }
    replot(); // also takes the rectangle off the screen
}

void TChartPrf::mouseDoubleClickEvent(QMouseEvent *pEvent)
{
    QCustomPlot::mouseDoubleClickEvent(pEvent);
    if (pEvent->button() == Qt::LeftButton
        && axisRect()->rect().contains(pEvent->position().toPoint())) {
        UndoZoom();
        replot();
    }
}

void TChartPrf::SetMarkers(std::span<const TPrfMarker> aMarkers, int nSelected)
{
    m_aMarkers.assign(aMarkers.begin(), aMarkers.end());
    m_nSelected = (nSelected >= 0 && size_t(nSelected) < m_aMarkers.size()) ? nSelected : -1;
}

void TChartPrf::RedrawMarkers()
{
    // After a rendering at another size (toPixmap, toPainter) the layout is
    // still that size's: only a full replot lays the screen out again.
    QCPLayer *pLayer = layer(kMarkerLayer);
    if (!pLayer || plotLayout()->outerRect() != viewport())
        replot();
    else
        pLayer->replot();
}

TPixelMap TChartPrf::TimePixelMap() const
{
    const QCPRange rg = xAxis->range();
    return TPixelMap { rg.lower, rg.upper, xAxis->coordToPixel(rg.lower),
        xAxis->coordToPixel(rg.upper) };
}

int TChartPrf::BottomRow() const
{
    return int(std::floor(yAxis->coordToPixel(yAxis->range().lower)));
}

TMarkerRect TChartPrf::MarkerRect(int i) const
{
    if (i < 0 || size_t(i) >= m_aMarkers.size() || !m_aMarkers[size_t(i)].bShown)
        return {};
    const TPrfMarker &m = m_aMarkers[size_t(i)];
    return PrfMarkerRect(m.nStartSec, m.nDuration, m_nRate, TimePixelMap(), BottomRow());
}

void TChartPrf::DrawMarkers(QCPPainter *pPainter) const
{
    if (m_aMarkers.empty())
        return;
    const TPixelMap map = TimePixelMap();
    const int nY0 = BottomRow();
    auto fill = [&](const TPrfMarker &m, const QColor &color) {
        if (!m.bShown)
            return;
        const TMarkerRect rc = PrfMarkerRect(m.nStartSec, m.nDuration, m_nRate, map, nY0);
        if (rc.IsEmpty())
            return;
        pPainter->fillRect(
            QRect(rc.nLeft, rc.nTop, rc.nRight - rc.nLeft, rc.nBottom - rc.nTop), color);
    };
    for (const TPrfMarker &m : m_aMarkers)
        fill(m, MarkerColor());
    if (m_nSelected >= 0)
        fill(m_aMarkers[size_t(m_nSelected)], SelectedMarkerColor());
}

double TChartPrf::TimeAxisPixels() const
{
    // Ticks are made before the layout of the rendering that shows them, so
    // the width comes from the viewport (which toPixmap and toPainter set to
    // the target size first) less the margins of the last layout; the first
    // layout has none yet and gets room for the level axis assumed.
    const QMargins m = axisRect()->margins();
    return std::max(1, viewport().width() - std::max(m.left(), 60) - std::max(m.right(), 12));
}

double TChartPrf::TimeLabelSpacing() const
{
    const QFontMetricsF fm(xAxis->tickLabelFont());
    // Six of the widest digit and two separators: no label of the day is wider.
    double flDigit = 0.0;
    for (char c = '0'; c <= '9'; ++c)
        flDigit = std::max(flDigit, fm.horizontalAdvance(QLatin1Char(c)));
    const double flLabel = 6.0 * flDigit + 2.0 * fm.horizontalAdvance(m_cTimeSep);
    return flLabel * 1.4 + 6.0;
}

} // namespace dlv
