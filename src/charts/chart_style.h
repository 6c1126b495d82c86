#pragma once

// The look that every chart shares: one colour and one marker shape per regime, the same in
// every chart, plain-English axes, a legend below the plot, and tooltips on the points.
//
// The regime colours come from the Okabe-Ito palette, which stays distinguishable for the
// common forms of colour blindness; each regime also has its own marker shape, and the first
// two regimes (the most common model) differ strongly in lightness, so that the charts still
// read when printed in grey.

#include <QColor>
#include <QPen>
#include <QScatterSeries>
#include <QString>
#include <QValueAxis>

namespace kavri::charts {

QColor regimeColor(int regime);  // regime 0-based, 0 .. 3
QScatterSeries::MarkerShape regimeMarker(int regime);
QString regimeName(int regime);  // "regime 1" for regime 0

// Colours of what is not a regime.
inline const QColor kInkColor{0x22, 0x22, 0x22};        // observed values, zero lines
inline const QColor kMutedColor{0x99, 0x99, 0x99};      // context: the series behind the points
inline const QColor kFittedColor{0x00, 0x72, 0xB2};     // fitted values and forecasts (blue)
inline const QColor kHighlightColor{0xD5, 0x5E, 0x00};  // optima, held-out values (vermillion)

// A series of markers in the given colour and shape; `hollow` draws the outline only.
QScatterSeries* markerSeries(const QString& name, const QColor& color,
                             QScatterSeries::MarkerShape shape, double size, bool hollow = false);
// The markers of one regime.
QScatterSeries* regimeSeries(int regime);

QPen linePen(const QColor& color, double width, Qt::PenStyle style = Qt::SolidLine);

// Gives `axis` the shared title and label fonts and the title `title`.
void styleAxis(QAbstractAxis* axis, const QString& title);

// A value axis titled `title`, with tick labels in printf format `labelFormat`.
QValueAxis* valueAxis(const QString& title, const char* labelFormat = "%.4g");

// Sets the axis range to [low, high] widened by `margin` of its width on both sides (a unit
// either side when the range is a single value), then rounded outwards to ticks at round numbers.
void setPaddedRange(QValueAxis* axis, double low, double high, double margin = 0.04);

// For an axis of whole numbers (observations, generations, delays): the range from low to high
// with room for a marker at either end, and ticks on round whole numbers, at most eight steps.
void setWholeNumberTicks(QValueAxis* axis, double low, double high);

// Applies the shared title, fonts, margins and legend to `chart`.
void styleChart(QChart* chart, const QString& title, Qt::Alignment legendAt = Qt::AlignBottom);

// Attaches `series` to both axes of `chart` (adding it first).
void addToChart(QChart* chart, QAbstractSeries* series, QAbstractAxis* x, QAbstractAxis* y);

// Hides the legend entry of `series`, for lines that only repeat what another entry says.
void hideFromLegend(QChart* chart, QAbstractSeries* series);

// Numbers in tooltips and titles: six significant digits.
QString formatNumber(double value);

// Shows, while the pointer rests on a point of `series`, the series name and both coordinates
// under the axis names. With `observations`, point i is also named "observation
// observations[i]".
void attachTooltips(QXYSeries* series, const QString& xName, const QString& yName,
                    std::vector<int> observations = {});

}  // namespace kavri::charts
