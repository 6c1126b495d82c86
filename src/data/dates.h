#pragma once

// The dates a table's first column gives its values, in the forms spreadsheets and R write:
// years (1821), months (2020-01, 2020/01), quarters (1990Q1, 1990 Q1, 1990-Q1), days
// (2020-01-31, 2020/01/31, 31.01.2020), and days with a time or in the US order (01/31/2020),
// which are dates but are not extended.

#include <string>
#include <string_view>
#include <vector>

namespace kavri {

// Whether `text` is a date in one of these forms.
bool isDate(std::string_view text);

// Whether every label is a date (and there is at least one).
bool allDates(const std::vector<std::string>& labels);

// The `count` dates after labels.back() at the labels' spacing, written in their form: the
// dates of forecasts past the data. Empty when the labels are not all dates of one form, or
// not evenly spaced: years, months or quarters a fixed number apart, days a fixed number of
// days apart, or days of a month (the same day, or the month's last) a fixed number of months
// apart. Trading days, which skip weekends and holidays, are not evenly spaced.
std::vector<std::string> nextDates(const std::vector<std::string>& labels, int count);

}  // namespace kavri
