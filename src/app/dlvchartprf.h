#pragma once

#include "dlvprofile.h"

#include <qcustomplot.h>
#include <span>
#include <vector>

namespace dlv {

// One event or voice note of the day as its marker on the time axis.
struct TPrfMarker
{
    int nStartSec = 0;
    int nDuration = 0; // seconds; 0 for a voice note
    bool bShown = true; // false: its start could not be read, nothing is drawn
};

// The day's time-history chart (chartPrf): one stair-step series of period
// levels over the chart points of a day, gaps where a period has no value,
// time labels "hh:nn:ss" spaced so that they never overlap, zoom by dragging a
// rectangle along the time axis (undone by the zoom-out button, a double click
// or a rectangle dragged right to left) and the event markers, drawn on a
// layer above the axes on every rendering: screen, toPixmap/save*, toPainter.
// Owned by the main window; the export and print code borrow it. Main thread.
class TChartPrf : public QCustomPlot
{
    Q_OBJECT

public:
    static constexpr double kInitialLevelMin = 20.0;
    static constexpr double kInitialLevelMax = 120.0;
    static QColor BackColor() { return QColor(240, 240, 240); }
    static QColor LineColor() { return QColor(68, 102, 163); }
    static QColor MarkerColor() { return QColor(0, 128, 0); }
    static QColor SelectedMarkerColor() { return QColor(255, 0, 0); }

    explicit TChartPrf(QWidget *pParent = nullptr);
    ~TChartPrf() override;

    QCPGraph *Series() const { return m_pSeries; }

    // A rebuild: fill LevelBuffer(points) with the period levels (NaN or -1.0
    // for no value), then ShowLevels replaces the series by them and returns
    // what it noted while appending (first/last point with a value, extremes).
    // The buffer is kept for the zoom's level fit and reused by the next one.
    std::span<double> LevelBuffer(int nPoints);
    TLevelScan ShowLevels(int nRate);
    std::span<const double> Levels() const { return m_aflLevels; }
    int Rate() const { return m_nRate; }

    // Zoom of the time axis. Undo returns both axes to the ranges they had
    // before the first zoom since the last undo.
    bool IsZoomed() const { return m_bZoomed; }
    void ZoomTime(double flMin, double flMax); // as the user's rectangle does
    void UndoZoom(); // always emits zoomUndone

    // Markers in list order; nSelected (-1 = none) is drawn again in red.
    void SetMarkers(std::span<const TPrfMarker> aMarkers, int nSelected);
    const std::vector<TPrfMarker> &Markers() const { return m_aMarkers; }
    int SelectedMarker() const { return m_nSelected; }
    // Repaints the marker layer alone (after a selection change).
    void RedrawMarkers();
    // Geometry of marker i in the chart's current layout and ranges.
    TMarkerRect MarkerRect(int i) const;
    TPixelMap TimePixelMap() const;
    int BottomRow() const; // pixel row of the level axis's minimum

signals:
    void zoomed(); // the time axis has been zoomed
    void zoomUndone(); // a zoom has been undone (or an undo was asked for)

protected:
    void processRectZoom(QRect rect, QMouseEvent *pEvent) override;
    void mousePressEvent(QMouseEvent *pEvent) override;
    void mouseDoubleClickEvent(QMouseEvent *pEvent) override;

private:
    class TMarkerLayer;
    class TTimeTicker;
    friend class TMarkerLayer;
    friend class TTimeTicker;

    void DrawMarkers(QCPPainter *pPainter) const;
    double TimeAxisPixels() const;
    double TimeLabelSpacing() const;

    QCPGraph *m_pSeries = nullptr;
    TMarkerLayer *m_pMarkerLayer = nullptr;
    std::vector<double> m_aflLevels;
    int m_nRate = 1;
    QChar m_cTimeSep = QLatin1Char(':');
    bool m_bZoomed = false;
    QCPRange m_rgSavedTime;
    QCPRange m_rgSavedLevel;
    QPoint m_ptPress;
    std::vector<TPrfMarker> m_aMarkers;
    int m_nSelected = -1;
};

} // namespace dlv
