#include "model/lag_list.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <vector>

#include "model/run_settings.h"

namespace kavri {

namespace {

// A decimal integer with an optional sign that is the whole text: no blanks around it and
// nothing after it, so that "3x", " 3" and "" are refused rather than read in part.
std::optional<long long> wholeInteger(const std::string& text) {
    if (text.empty() || std::isspace(static_cast<unsigned char>(text.front()))) {
        return std::nullopt;
    }
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (errno == ERANGE || end != text.c_str() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

std::optional<std::string> readLagList(const std::string& text, ModelForm& form) {
    const int highest = limits::kMaxOrder.max - 1;
    std::vector<int> lags;
    std::size_t from = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::optional<long long> lag = wholeInteger(text.substr(from, comma - from));
        if (!lag || *lag < 1 || *lag > highest) {
            return "--lags expects whole numbers from 1 to " + std::to_string(highest) +
                   " separated by commas, such as 1,2,12, got " + quoted(text);
        }
        if (!lags.empty() && *lag <= lags.back()) {
            return "--lags expects distinct lags in ascending order (orders count them from "
                   "the first), got " +
                   quoted(text);
        }
        lags.push_back(static_cast<int>(*lag));
        if (comma == text.size()) {
            break;
        }
        from = comma + 1;
    }
    // Distinct lags from 1 to the highest order are never more than the list holds.
    static_assert(kMaxLagListSize >= limits::kMaxOrder.max - 1);
    form.nLags = static_cast<int>(lags.size());
    form.lags = {};
    std::copy(lags.begin(), lags.end(), form.lags.begin());
    return std::nullopt;
}

std::optional<std::string> lagListConflict(const ModelForm& form, int maxOrder) {
    if (!form.lagsGiven()) {
        return std::nullopt;
    }
    const int last = form.lags[static_cast<std::size_t>(form.nLags - 1)];
    if (last > maxOrder - 1) {
        return "--lags expects lags below --max-order " + std::to_string(maxOrder) + ", got " +
               std::to_string(last) + "; raise --max-order to " + std::to_string(last + 1) +
               " or more";
    }
    for (int i = 0; i < form.nFixedOrders; ++i) {
        const int order = form.fixedOrders[static_cast<std::size_t>(i)];
        if (order > form.nLags) {
            return "--orders counts the lags of --lags, so each order runs from 1 to " +
                   std::to_string(form.nLags) + ", got " + std::to_string(order);
        }
    }
    return std::nullopt;
}

}  // namespace kavri
