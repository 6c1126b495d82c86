#include "data/dates.h"

#include <optional>

#include "model/text_format.h"

namespace kavri {

namespace {

enum class Form { kYear, kMonth, kQuarter, kDay, kDayFirst, kOther };

struct Date {
    Form form = Form::kOther;
    std::string separator;  // between the parts: "-", "/", "." or the text before Q
    int year = 0;
    int month = 1;  // the quarter for kQuarter
    int day = 1;
};

bool digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return false;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

int numberAt(std::string_view text, std::size_t at, std::size_t count) {
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) value = value * 10 + (text[i] - '0');
    return value;
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : kDays[month - 1];
}

bool validDay(const Date& date) {
    return date.month >= 1 && date.month <= 12 && date.day >= 1 &&
           date.day <= daysInMonth(date.year, date.month);
}

std::optional<Date> parseDate(std::string_view text) {
    Date date;
    const std::size_t n = text.size();
    if (n == 4 && digitsAt(text, 0, 4)) {
        date.form = Form::kYear;
        date.year = numberAt(text, 0, 4);
        return date;
    }
    if (n >= 6 && n <= 7 && digitsAt(text, 0, 4) && text[n - 2] == 'Q' && text[n - 1] >= '1' &&
        text[n - 1] <= '4') {
        date.separator = std::string(text.substr(4, n - 6));
        if (date.separator.empty() || date.separator == " " || date.separator == "-") {
            date.form = Form::kQuarter;
            date.year = numberAt(text, 0, 4);
            date.month = text[n - 1] - '0';
            return date;
        }
        return std::nullopt;
    }
    if (n == 7 && digitsAt(text, 0, 4) && (text[4] == '-' || text[4] == '/') &&
        digitsAt(text, 5, 2)) {
        date.form = Form::kMonth;
        date.separator = std::string(1, text[4]);
        date.year = numberAt(text, 0, 4);
        date.month = numberAt(text, 5, 2);
        return date.month >= 1 && date.month <= 12 ? std::optional<Date>(date) : std::nullopt;
    }
    if (n >= 10 && digitsAt(text, 0, 4) && (text[4] == '-' || text[4] == '/') &&
        text[7] == text[4] && digitsAt(text, 5, 2) && digitsAt(text, 8, 2)) {
        date.form = n == 10 ? Form::kDay : Form::kOther;  // a time after the day
        if (n > 10 && text[10] != ' ' && text[10] != 'T') return std::nullopt;
        date.separator = std::string(1, text[4]);
        date.year = numberAt(text, 0, 4);
        date.month = numberAt(text, 5, 2);
        date.day = numberAt(text, 8, 2);
        return validDay(date) ? std::optional<Date>(date) : std::nullopt;
    }
    if (n == 10 && digitsAt(text, 0, 2) && text[2] == '.' && digitsAt(text, 3, 2) &&
        text[5] == '.' && digitsAt(text, 6, 4)) {
        date.form = Form::kDayFirst;
        date.separator = ".";
        date.day = numberAt(text, 0, 2);
        date.month = numberAt(text, 3, 2);
        date.year = numberAt(text, 6, 4);
        return validDay(date) ? std::optional<Date>(date) : std::nullopt;
    }
    if (n == 10 && digitsAt(text, 0, 2) && text[2] == '/' && digitsAt(text, 3, 2) &&
        text[5] == '/' && digitsAt(text, 6, 4)) {
        date.form = Form::kOther;  // month and day in either order
        return date;
    }
    return std::nullopt;
}

// Days since 1970-01-01 of a civil date (H. Hinnant's algorithm).
long long daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

Date civilFromDays(long long z, const Date& form) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    Date date = form;
    date.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    date.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    date.year = static_cast<int>(yoe + era * 400 + (date.month <= 2 ? 1 : 0));
    return date;
}

std::string written(const Date& date) {
    switch (date.form) {
        case Form::kYear:
            return formatText("%04d", date.year);
        case Form::kQuarter:
            return formatText("%04d%sQ%d", date.year, date.separator.c_str(), date.month);
        case Form::kMonth:
            return formatText("%04d%s%02d", date.year, date.separator.c_str(), date.month);
        case Form::kDay:
            return formatText("%04d%s%02d%s%02d", date.year, date.separator.c_str(), date.month,
                              date.separator.c_str(), date.day);
        case Form::kDayFirst:
            return formatText("%02d.%02d.%04d", date.day, date.month, date.year);
        case Form::kOther:
            break;
    }
    return "";
}

long long monthIndex(const Date& date) {
    return static_cast<long long>(date.year) * 12 + (date.month - 1);
}

// The constant difference of consecutive values, or nothing.
std::optional<long long> evenStep(const std::vector<long long>& values) {
    if (values.size() < 2) return std::nullopt;
    const long long step = values[1] - values[0];
    if (step <= 0) return std::nullopt;
    for (std::size_t i = 2; i < values.size(); ++i) {
        if (values[i] - values[i - 1] != step) return std::nullopt;
    }
    return step;
}

// Days of months a fixed number of months apart: the same day of each month, or each month's
// last day (monthly data dated by its end). Empty when the days are not such.
std::vector<std::string> nextDaysOfMonths(const std::vector<Date>& dates, int count) {
    const Date& last = dates.back();
    std::vector<std::string> next;
    std::vector<long long> months;
    bool sameDay = true;
    bool monthEnds = true;
    for (const Date& date : dates) {
        months.push_back(monthIndex(date));
        sameDay = sameDay && date.day == dates[0].day;
        monthEnds = monthEnds && date.day == daysInMonth(date.year, date.month);
    }
    const std::optional<long long> step = evenStep(months);
    if (!step || (!sameDay && !monthEnds) || (sameDay && !monthEnds && dates[0].day > 28)) {
        return {};
    }
    for (int h = 1; h <= count; ++h) {
        const long long at = months.back() + *step * h;
        Date date = last;
        date.year = static_cast<int>(at / 12);
        date.month = static_cast<int>(at % 12) + 1;
        date.day = monthEnds ? daysInMonth(date.year, date.month) : last.day;
        next.push_back(written(date));
    }
    return next;
}

}  // namespace

bool isDate(std::string_view text) { return parseDate(text).has_value(); }

bool allDates(const std::vector<std::string>& labels) {
    if (labels.empty()) return false;
    for (const std::string& label : labels) {
        if (!isDate(label)) return false;
    }
    return true;
}

std::vector<std::string> nextDates(const std::vector<std::string>& labels, int count) {
    std::vector<Date> dates;
    for (const std::string& label : labels) {
        std::optional<Date> date = parseDate(label);
        if (!date || date->form == Form::kOther ||
            (!dates.empty() &&
             (date->form != dates[0].form || date->separator != dates[0].separator))) {
            return {};
        }
        dates.push_back(*date);
    }
    if (dates.size() < 2) return {};
    const Form form = dates[0].form;
    std::vector<long long> ordinals;
    for (const Date& date : dates) {
        switch (form) {
            case Form::kYear:
                ordinals.push_back(date.year);
                break;
            case Form::kQuarter:
                ordinals.push_back(static_cast<long long>(date.year) * 4 + date.month - 1);
                break;
            case Form::kMonth:
                ordinals.push_back(monthIndex(date));
                break;
            default:
                ordinals.push_back(daysFromCivil(date.year, date.month, date.day));
                break;
        }
    }
    std::vector<std::string> next;
    const Date& last = dates.back();
    if (form == Form::kDay || form == Form::kDayFirst) {
        if (std::vector<std::string> monthly = nextDaysOfMonths(dates, count); !monthly.empty()) {
            return monthly;
        }
    }
    if (std::optional<long long> step = evenStep(ordinals)) {
        for (int h = 1; h <= count; ++h) {
            const long long at = ordinals.back() + *step * h;
            Date date = last;
            if (form == Form::kYear) {
                date.year = static_cast<int>(at);
            } else if (form == Form::kQuarter) {
                date.year = static_cast<int>(at / 4);
                date.month = static_cast<int>(at % 4) + 1;
            } else if (form == Form::kMonth) {
                date.year = static_cast<int>(at / 12);
                date.month = static_cast<int>(at % 12) + 1;
            } else {
                date = civilFromDays(at, last);
            }
            next.push_back(written(date));
        }
        return next;
    }
    return {};
}

}  // namespace kavri
