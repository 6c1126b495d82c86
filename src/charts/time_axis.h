#pragma once

// Where each value of a series stands on the horizontal axis of the time charts. A file whose
// first column labels the values with years (1821, 1822, ...) puts them at those years; with
// dates (2024-01-31, 2024-01 or 31/01/2024) at the date as a decimal year, so that the ticks
// are round years; otherwise at the observation numbers as the result texts count them, from 1.
// Steps past the data (forecasts) continue at the spacing of the last two values.

#include <QString>
#include <string>
#include <vector>

class QValueAxis;

namespace kavri::charts {

struct TimeAxis {
    QString title = QStringLiteral("observation");  // "year", "date" or "observation"
    std::vector<double> positions;                  // one per value of the series
    bool calendar = false;                          // years or dates

    // The position of value t (0-based); before 0 and from the end on, continued at the
    // spacing of the neighbouring values.
    double at(int t) const;
    // How a position reads in a tooltip: "1934", "2024-01-31" (the label), or "114".
    QString describe(int t) const;

    std::vector<std::string> labels;  // the labels read, when calendar
};

// The axis of `count` values labelled `labels` (one per value, or none).
TimeAxis timeAxisOf(const std::vector<std::string>& labels, int count);

// The range from the position of value `first` to that of `last` with room for a marker at
// either end, and ticks at round numbers (whole years for a calendar axis).
void setTimeRange(QValueAxis* axis, const TimeAxis& time, int first, int last);

}  // namespace kavri::charts
