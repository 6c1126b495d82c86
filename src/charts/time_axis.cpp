#include "charts/time_axis.h"

#include <QDate>
#include <QValueAxis>
#include <cmath>

#include "charts/chart_style.h"

namespace kavri::charts {

namespace {

// A whole number of one to four digits that reads as a year.
bool yearOf(const std::string& text, int& year) {
    if (text.empty() || text.size() > 4) {
        return false;
    }
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    year = value;
    return true;
}

// A date in one of the forms tables write, as a decimal year at the middle of its day (or of
// its month, for a month without a day).
bool decimalYearOf(const std::string& text, double& position) {
    const QString label = QString::fromStdString(text).trimmed();
    for (const char* format : {"yyyy-MM-dd", "yyyy/MM/dd", "dd/MM/yyyy", "dd.MM.yyyy"}) {
        const QDate date = QDate::fromString(label.left(10), QString::fromLatin1(format));
        if (date.isValid()) {
            position = date.year() + (date.dayOfYear() - 0.5) / date.daysInYear();
            return true;
        }
    }
    for (const char* format : {"yyyy-MM", "yyyy/MM"}) {
        const QDate date = QDate::fromString(label, QString::fromLatin1(format));
        if (date.isValid()) {
            position = date.year() + (date.month() - 0.5) / 12.0;
            return true;
        }
    }
    return false;
}

bool increasing(const std::vector<double>& positions) {
    for (std::size_t i = 1; i < positions.size(); ++i) {
        if (!(positions[i] > positions[i - 1])) {
            return false;
        }
    }
    return true;
}

}  // namespace

double TimeAxis::at(int t) const {
    const int n = static_cast<int>(positions.size());
    if (n == 0) {
        return t + 1.0;
    }
    if (t >= 0 && t < n) {
        return positions[static_cast<std::size_t>(t)];
    }
    const double step = n >= 2 ? positions[1] - positions[0] : 1.0;
    if (t < 0) {
        return positions.front() + t * step;
    }
    const double lastStep = n >= 2 ? positions[n - 1] - positions[n - 2] : 1.0;
    return positions.back() + (t - (n - 1)) * lastStep;
}

QString TimeAxis::describe(int t) const {
    if (calendar && t >= 0 && t < static_cast<int>(labels.size())) {
        return QString::fromStdString(labels[static_cast<std::size_t>(t)]);
    }
    if (calendar && title == QStringLiteral("year")) {
        return QString::number(std::lround(at(t)));
    }
    return calendar ? formatNumber(at(t)) : QString::number(t + 1);
}

TimeAxis timeAxisOf(const std::vector<std::string>& labels, int count) {
    TimeAxis axis;
    for (int t = 0; t < count; ++t) {
        axis.positions.push_back(t + 1.0);
    }
    if (static_cast<int>(labels.size()) != count || count < 2) {
        return axis;
    }
    std::vector<double> years;
    std::vector<double> dates;
    for (const std::string& label : labels) {
        int year = 0;
        double date = 0.0;
        if (yearOf(label, year)) {
            years.push_back(year);
        } else if (decimalYearOf(label, date)) {
            dates.push_back(date);
        } else {
            return axis;
        }
    }
    if (static_cast<int>(years.size()) == count && increasing(years)) {
        axis.title = QStringLiteral("year");
        axis.positions = years;
    } else if (static_cast<int>(dates.size()) == count && increasing(dates)) {
        axis.title = QStringLiteral("date");
        axis.positions = dates;
    } else {
        return axis;
    }
    axis.calendar = true;
    axis.labels = labels;
    return axis;
}

void setTimeRange(QValueAxis* axis, const TimeAxis& time, int first, int last) {
    axis->setTitleText(time.title);
    const double low = time.at(first);
    const double high = time.at(std::max(first, last));
    if (!time.calendar || time.title == QStringLiteral("year")) {
        setWholeNumberTicks(axis, low, high);
        return;
    }
    // Dates: ticks at whole years, each labelled by its year.
    setWholeNumberTicks(axis, std::floor(low), std::ceil(high));
    axis->setRange(low - 0.01 * (high - low), high + 0.01 * (high - low));
}

}  // namespace kavri::charts
