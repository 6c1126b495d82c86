#include "report/estimate_panels.h"

#include <array>
#include <cassert>
#include <cstdio>
#include <string>
#include <vector>

#include "model/text_format.h"

namespace kavri {
namespace {

// The panel formats, used exactly as they stand: their spacing differs from line to line and
// between the two families on purpose, and users compare panels across runs by eye.
constexpr const char* kA1 = " Regime : %d\nCostante=%f\nP(1)=%f\n";
constexpr const char* kA2 = " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\n";
constexpr const char* kA3 = " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\n";
constexpr const char* kA4 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\n";
constexpr const char* kA5 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n";
constexpr const char* kA6 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n"
    "P(6) =%f\n";
constexpr const char* kA7 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n"
    "P(6) =%f\nP(7) = %f\n";
constexpr const char* kA8 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n"
    "P(6) =%f\nP(7) = %f\nP(8) = %f\n";
constexpr const char* kA9 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n"
    "P(6) =%f\nP(7) = %f\nP(8) = %f\nP(9) = %f\n";
constexpr const char* kA10 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n"
    "P(6) =%f\nP(7) = %f\nP(8) = %f\nP(9) = %f\nP(10) = %f\n";
constexpr const char* kA11 =
    " Regime : %d\nConstant= %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n"
    "P(6) =%f\nP(7) = %f\nP(8) = %f\nP(9) = %f\nP(10) = %f\nP(11) = %f\n";
constexpr const char* kB1 = " Regime : %d\nConstant=%f\nP(1)=%f\n";
constexpr const char* kB2 = " Regime : %d\nConstant = %f\nP(1) = %f\nP(2) =%f\n";
constexpr const char* kB3 = " Regime : %d\nConstant = %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\n";
constexpr const char* kB4 =
    " Regime : %d\nConstant = %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\n";
constexpr const char* kB5 =
    " Regime : %d\nConstant = %f\nP(1) = %f\nP(2) =%f\nP(3) = %f\nP(4) = %f\nP(5) =%f\n";

// The highest order that has a format of its own; higher orders continue the A pattern.
constexpr int kMaxTabledOrder = 11;

// Format by the regime's order: for a model with 0, 2 or 3 thresholds (any panel), and for a
// model with one threshold in panel 1 and in panel 2. Null: the order has no format of its own.
struct FormatChoice {
    const char* anyThresholds;
    const char* oneThresholdPanel1;
    const char* oneThresholdPanel2;
};

constexpr std::array<FormatChoice, kMaxTabledOrder + 1> kFormatByOrder = {{
    {nullptr, nullptr, nullptr},  // order 0
    {kA1, kB1, kB1},
    {kA2, kB2, kB2},
    {kA3, kB3, kB3},
    {kA4, kA4, kB4},
    {kA5, kA5, kB5},
    {kA6, kA6, kA6},
    {kA7, kA7, kA7},
    {kA8, kA8, kA8},
    {kA9, kA9, kA9},
    {kA10, kA10, kA10},
    {nullptr, kA11, kA11},
}};

// The format of an order in 1..11, or null where the table has none.
const char* tabledFormat(int nThresholds, int panel, int order) {
    const FormatChoice& choice = kFormatByOrder[order];
    if (nThresholds != 1) {
        return choice.anyThresholds;
    }
    return panel == 1 ? choice.oneThresholdPanel1 : choice.oneThresholdPanel2;
}

// Every format takes the regime number and then order + 1 doubles. Unused trailing arguments
// are ignored by printf, so one call serves all orders; the values beyond the order are zero
// rather than read from the coefficient matrix, whose columns may end before lag 11.
std::string formatTabled(const char* format, int regime, const double* coefficients, int order) {
    std::array<double, kMaxTabledOrder + 1> v{};
    for (int j = 0; j <= order; ++j) {
        v[j] = coefficients[j];
    }
    const int length = std::snprintf(nullptr, 0, format, regime, v[0], v[1], v[2], v[3], v[4], v[5],
                                     v[6], v[7], v[8], v[9], v[10], v[11]);
    if (length <= 0) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(length), '\0');
    std::snprintf(text.data(), text.size() + 1, format, regime, v[0], v[1], v[2], v[3], v[4], v[5],
                  v[6], v[7], v[8], v[9], v[10], v[11]);
    return text;
}

// The panel of a regime of order p >= 1: its format where the table gives one; otherwise (order
// 11 without exactly one threshold, order 12 and above) A11 for the constant and the first
// eleven lags, then one "P(k) = %f" line per further lag, so that no coefficient goes unshown.
std::string formatPanel(int nThresholds, int panel, const double* coefficients, int order) {
    if (order <= kMaxTabledOrder) {
        if (const char* format = tabledFormat(nThresholds, panel, order)) {
            return formatTabled(format, panel, coefficients, order);
        }
    }
    std::string text = formatTabled(kA11, panel, coefficients, kMaxTabledOrder);
    for (int k = kMaxTabledOrder + 1; k <= order; ++k) {
        text += formatText("P(%d) = %f\n", k, coefficients[k]);
    }
    return text;
}

// The panel of a model of another form: the default layout of the regime's order (its highest
// lag), less the lines of the lags a subset leaves out, and with the trend's slope after the
// constant. The lines that remain keep the spacing they have in the default layout, so a lag
// reads the same in both, and a lag left out is not shown as if it had been estimated at 0.
std::string formatFormPanel(int nThresholds, int panel, const FittedModel& model, int order) {
    const std::string full =
        formatPanel(nThresholds, panel, model.regimeCoefficients[panel - 1], order);
    std::vector<bool> fitted(static_cast<std::size_t>(order) + 1, model.nLags == 0);
    for (int i = 0; i < model.nLags; ++i) {
        if (model.lags[i] <= order) {
            fitted[static_cast<std::size_t>(model.lags[i])] = true;
        }
    }
    // Line 0 names the regime, line 1 is the constant, line 1 + k the lag k.
    std::string text;
    std::size_t start = 0;
    for (int line = 0; start < full.size(); ++line) {
        std::size_t end = full.find('\n', start);
        end = end == std::string::npos ? full.size() : end + 1;
        if (line < 2 || fitted[static_cast<std::size_t>(line - 1)]) {
            text.append(full, start, end - start);
        }
        if (line == 1 && model.trend) {
            text += formatText("Trend = %f\n", model.trendCoefficients[panel - 1]);
        }
        start = end;
    }
    return text;
}

}  // namespace

void showEstimatePanels(int nThresholds, const FittedModel& model, ResultTexts& texts,
                        RunObserver& observer) {
    if (nThresholds < 0 || nThresholds > kMaxThresholdCount) {
        return;
    }
    const std::array<std::string*, kMaxRegimeCount> panels = {
        &texts.estimatePanel1, &texts.estimatePanel2, &texts.estimatePanel3, &texts.estimatePanel4};
    for (int k = 1; k <= nThresholds + 1; ++k) {
        const int order = model.regimeOrders[k - 1];
        // Order 0: no autoregression was fitted in the regime, so there is no equation to show.
        if (order < 1) {
            continue;
        }
        // An order beyond the coefficient columns is a caller's fault; never read past them.
        assert(order <= model.regimeCoefficients.colHi());
        if (order > model.regimeCoefficients.colHi()) {
            continue;
        }
        const bool otherForm = model.nLags > 0 || model.trend;
        *panels[k - 1] = otherForm
                             ? formatFormPanel(nThresholds, k, model, order)
                             : formatPanel(nThresholds, k, model.regimeCoefficients[k - 1], order);
        observer.refresh(texts);
    }
}

}  // namespace kavri
