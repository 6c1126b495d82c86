#include "report/statistics_text.h"

#include <algorithm>
#include <complex>

#include "model/text_format.h"

namespace kavri {

namespace {

constexpr const char* kUndefined = "NA";

std::string optionalText(const char* format, const std::optional<double>& value) {
    return value ? formatText(format, *value) : std::string(kUndefined);
}

// p values to four decimals, and below that as a bound, as tables in the literature print them.
std::string pValueText(const std::optional<double>& p) {
    if (!p) {
        return kUndefined;
    }
    return *p < 0.0001 ? std::string("<0.0001") : formatText("%.4f", *p);
}

// "p = 0.0125" or "p < 0.0001" after the name of the p value.
std::string pClause(const std::string& name, const std::optional<double>& p) {
    if (p && *p < 0.0001) {
        return name + " < 0.0001";
    }
    return name + " = " + pValueText(p);
}

// A bootstrap p value has the resolution 1 / B: no exceedance prints as "p < 1/B".
std::string bootstrapPClause(const SupFTest& test) {
    if (!test.pValue) {
        return "no bootstrap p value";
    }
    if (*test.pValue == 0.0) {
        return formatText("bootstrap p < %.4g", 1.0 / test.replicates);
    }
    return formatText("bootstrap p = %.4g", *test.pValue);
}

std::string thresholdList(const std::vector<double>& thresholds) {
    std::string text;
    for (std::size_t i = 0; i < thresholds.size(); ++i) {
        text += formatText(i == 0 ? "%f" : ", %f", thresholds[i]);
    }
    return text;
}

}  // namespace

std::string coefficientTableText(const CoefficientTable& table) {
    std::string text =
        table.kind == StandardErrorKind::kHc1
            ? "White's heteroskedasticity-consistent standard errors (HC1),\n"
              "n/(n-k) (X'X)^-1 X'diag(e^2)X (X'X)^-1; t tests with n - k degrees of freedom\n"
            : "Classical standard errors, s^2 (X'X)^-1 with s^2 = SSE/(n-k);\n"
              "t tests with n - k degrees of freedom\n";
    int r = 0;
    for (const RegimeCoefficients& regime : table.regimes) {
        // A table made by hand may leave the count of fitted coefficients and the lags out.
        const int fitted =
            regime.fitted > 0 ? regime.fitted : static_cast<int>(regime.coefficients.size());
        text += formatText("Regime %d: n = %d, k = %d, %d residual degree%s of freedom\n", ++r,
                           regime.observations, fitted, regime.residualDf,
                           regime.residualDf == 1 ? "" : "s");
        text += "            Estimate  Std. Error    t value  Pr(>|t|)\n";
        for (std::size_t k = 0; k < regime.coefficients.size(); ++k) {
            const CoefficientEstimate& c = regime.coefficients[k];
            // The coefficients after the constant (and the trend) are the lags.
            const std::size_t j = k - (regime.trend ? 2 : 1);
            const int lag = j < regime.lags.size() ? regime.lags[j] : static_cast<int>(j + 1);
            const std::string name = k == 0                   ? "Constant"
                                     : regime.trend && k == 1 ? "Trend"
                                                              : formatText("Lag %d", lag);
            text +=
                formatText("%-9s %10.6f  %10s %10s  %8s\n", name.c_str(), c.estimate,
                           optionalText("%.6f", c.standardError).c_str(),
                           optionalText("%.3f", c.tValue).c_str(), pValueText(c.pValue).c_str());
        }
    }
    text.pop_back();
    return text;
}

std::vector<LabelledText> fitStatisticsTexts(const FitStatistics& s) {
    std::vector<LabelledText> texts;
    texts.push_back({"Log-Likelihood", optionalText("%f", s.logLikelihood) +
                                           " (Gaussian, each regime with its own variance SSE/n)"});
    texts.push_back(
        {"BIC", formatText("%f (AIC - 2K + ln(N) (K + R - 1): K = %d coefficients, R - 1 = %d "
                           "thresholds, N = %d)",
                           s.bic, s.coefficients, s.thresholds, s.observations)});
    const int lagsFitted = s.ljungBoxLags - s.ljungBoxDf;
    const char* lost = s.lagSubset ? "the most lags a regime fitted" : "the highest order";
    texts.push_back(
        {"Ljung-Box p",
         s.ljungBoxDf > 0
             ? formatText("%s (Q = %f against chi-square with %d degrees of freedom: %d lags "
                          "less %d, %s)",
                          pValueText(s.ljungBoxP).c_str(), s.ljungBox, s.ljungBoxDf, s.ljungBoxLags,
                          lagsFitted, lost)
             : formatText("NA (%d lags leave no degree of freedom beyond %s %d)", s.ljungBoxLags,
                          lost, lagsFitted)});
    return texts;
}

std::string thresholdConfidenceText(const std::vector<ThresholdConfidence>& intervals) {
    std::string text;
    for (const ThresholdConfidence& interval : intervals) {
        text += formatText("%d: %f in [%f, %f] at %g%%\n", interval.threshold + 1,
                           interval.estimate, interval.lower, interval.upper, interval.level);
    }
    if (!intervals.empty()) {
        text += formatText(
            "the values g with LR(g) = N (SSR(g) - SSR) / SSR <= %.2f = -2 ln(1 - sqrt(%g)), "
            "the other thresholds and the orders held (Hansen's likelihood-ratio interval)",
            intervals.front().criticalValue, intervals.front().level / 100.0);
    }
    return text;
}

std::string regimeSupportText(int chosenRegimes, const ModelComparison& atDelay,
                              const LinearityTests* tests) {
    const auto plural = [](int count) {
        return formatText("%d regime%s", count, count == 1 ? "" : "s");
    };
    std::string text = plural(chosenRegimes) + " chosen; ";
    if (atDelay.bestBic < 0) {
        text += "BIC: no model of the comparison could be fitted";
    } else {
        const ComparisonRow& best = atDelay.rows[static_cast<std::size_t>(atDelay.bestBic)];
        int delay = 0;
        for (const ComparisonRow& row : atDelay.rows) {
            delay = std::max(delay, row.delay);
        }
        text += "BIC prefers " + plural(best.regimes) +
                (delay > 0 ? formatText(" (delay %d)", delay) : std::string());
    }
    if (tests == nullptr) {
        return text;
    }
    std::string clauses;
    for (const SupFTest* test : {&tests->oneVsTwo, &tests->twoVsThree}) {
        // The test of one regime more than the chosen number, and of the chosen number
        // against one fewer.
        const bool bears =
            test->nullRegimes == chosenRegimes || test->alternativeRegimes == chosenRegimes;
        if (!bears || !test->available || !test->pValue) {
            continue;
        }
        const std::string p = *test->pValue == 0.0 ? formatText("p < %.4g", 1.0 / test->replicates)
                                                   : formatText("p = %.4g", *test->pValue);
        clauses += formatText("%s%dv%d %s", clauses.empty() ? "" : ", ", test->nullRegimes,
                              test->alternativeRegimes, p.c_str());
    }
    if (!clauses.empty()) {
        text += "; sup-F " + clauses;
    }
    return text;
}

std::vector<LabelledText> diagnosticsTexts(const ModelDiagnostics& d) {
    std::vector<LabelledText> texts;
    std::string roots;
    for (const RegimeRoots& regime : d.roots) {
        std::string list;
        for (const std::complex<double>& root : regime.roots) {
            list += list.empty() ? "" : ", ";
            list += root.imag() == 0.0 ? formatText("%.4f", root.real())
                                       : formatText("%.4f%+.4fi", root.real(), root.imag());
        }
        roots +=
            formatText("regime %d: %s (smallest modulus %.4f)%s\n", regime.regime, list.c_str(),
                       regime.moduli.front(),
                       regime.possibleUnitRoot
                           ? formatText("; possible unit root in regime %d", regime.regime).c_str()
                           : "");
    }
    if (!roots.empty()) {
        roots +=
            "roots of 1 - c1 z - .. - cp z^p; a regime alone is stationary when all lie "
            "outside the unit circle";
        texts.push_back({"Characteristic Roots", roots});
    }
    std::string skeleton;
    switch (d.skeleton.behaviour) {
        case SkeletonBehaviour::kPoint:
            skeleton = formatText("converges to the point %f", d.skeleton.values.front());
            break;
        case SkeletonBehaviour::kCycle: {
            skeleton = formatText("a limit cycle of length %zu:", d.skeleton.values.size());
            for (double v : d.skeleton.values) skeleton += formatText(" %f", v);
            break;
        }
        case SkeletonBehaviour::kDiverges:
            skeleton = "diverges";
            break;
        case SkeletonBehaviour::kIrregular:
            skeleton =
                "neither a point nor a cycle of length up to 200 (quasi-periodic or chaotic)";
            break;
        case SkeletonBehaviour::kExogenous:
            break;
    }
    if (d.skeleton.behaviour == SkeletonBehaviour::kExogenous) {
        texts.push_back({"Skeleton",
                         "none: the regime follows a variable outside the model, whose future "
                         "values the model does not give"});
    } else {
        texts.push_back(
            {"Skeleton",
             skeleton + " (the model without noise, 20000 steps from the last values)"});
    }
    if (d.mcLeodLi) {
        texts.push_back(
            {"McLeod-Li", formatText("%s (Q = %f of the squared residuals against chi-square with "
                                     "%d degrees of freedom: ARCH effects when small)",
                                     pValueText(d.mcLeodLi->pValue).c_str(), d.mcLeodLi->statistic,
                                     d.mcLeodLi->df)});
    }
    if (!d.ljungBoxByLag.empty()) {
        std::string table = formatText("%4s %12s %4s %9s\n", "Lag", "Q", "df", "p");
        for (const PortmanteauTest& test : d.ljungBoxByLag) {
            const std::string df = test.df > 0 ? formatText("%d", test.df) : std::string("-");
            table += formatText("%4d %12.4f %4s %9s\n", test.lags, test.statistic, df.c_str(),
                                pValueText(test.pValue).c_str());
        }
        table.pop_back();
        texts.push_back({"Ljung-Box by Lag", table});
    }
    return texts;
}

std::string sparseRegimeText(const SparseRegime& regime) {
    return formatText("regime %d: %d observations for %d parameters", regime.regime,
                      regime.observations, regime.parameters);
}

std::string testFormText(const LinearityTestSettings& settings) {
    std::vector<std::string> parts;
    if (!settings.lags.empty()) {
        const TestRegressors regressors = testRegressors(settings);
        std::string lags = regressors.lags.size() == 1 ? "lag" : "lags";
        for (std::size_t k = 0; k < regressors.lags.size(); ++k) {
            lags += (k == 0 ? " " : ", ") + std::to_string(regressors.lags[k]);
        }
        parts.push_back(lags);
    }
    if (!settings.constant) {
        parts.push_back("no constant");
    } else if (settings.trend) {
        parts.push_back("with trend");
    }
    std::string text;
    for (const std::string& part : parts) {
        text += (text.empty() ? " (" : "; ") + part;
    }
    return text.empty() ? text : text + ")";
}

std::vector<LabelledText> linearityTestsTexts(const LinearityTests& tests) {
    const LinearityTestSettings& settings = tests.settings;
    std::vector<LabelledText> texts;
    std::string used =
        formatText("order %d in every regime", settings.order) + testFormText(settings) +
        formatText(
            ", delay %d, observations t = %d .. %d (N = %d), at least %d "
            "per regime",
            settings.delay, tests.firstTime, tests.firstTime + tests.observations - 1,
            tests.observations, tests.minRows);
    if (settings.replicates > 0) {
        used += formatText("; bootstrap of %d replicates under each null model, seed %llu",
                           settings.replicates, static_cast<unsigned long long>(settings.seed));
    }
    if (!tests.completed) {
        used += "; bootstrap stopped before its end: no p values";
    }
    texts.push_back({"Linearity Tests", used});
    for (const SupFTest* test : {&tests.oneVsTwo, &tests.oneVsThree, &tests.twoVsThree}) {
        const std::string label =
            formatText("Sup-F %d vs %d Regimes", test->nullRegimes, test->alternativeRegimes);
        if (!test->available) {
            texts.push_back({label, "NA (no admissible thresholds)"});
            continue;
        }
        if (test->exactFit) {
            texts.push_back(
                {label,
                 "NA (the alternative fits the sample exactly, so F is "
                 "unbounded), " +
                     std::string(test->thresholds.size() == 1 ? "threshold " : "thresholds ") +
                     thresholdList(test->thresholds)});
            continue;
        }
        std::string text =
            formatText("F = %.4f, %s, ", test->statistic, bootstrapPClause(*test).c_str());
        text += (test->thresholds.size() == 1 ? "threshold " : "thresholds ") +
                thresholdList(test->thresholds);
        texts.push_back({label, text});
    }
    const TsayTest& tsay = tests.tsay;
    texts.push_back(
        {"Tsay F", tsay.exactFit ? std::string("NA (the regression on the lags fits the residuals "
                                               "exactly, so F is unbounded)")
                   : tsay.available
                       ? formatText("F(%d, %d) = %.4f, %s (recursion started on %d arranged "
                                    "observations)",
                                    tsay.df1, tsay.df2, tsay.statistic,
                                    pClause("p", tsay.pValue).c_str(), tsay.startRows)
                       : std::string("NA (too few observations)")});
    return texts;
}

std::string modelComparisonText(const ModelComparison& comparison) {
    std::string text = formatText(
        "Common sample t = %d .. %d (N = %d); each row's thresholds and orders minimise the AIC "
        "for its number of regimes and delay\n",
        comparison.firstTime, comparison.firstTime + comparison.observations - 1,
        comparison.observations);
    if (!comparison.everyValue) {
        text += formatText(
            "Thresholds tried: the values at %d evenly spaced ranks, exact over these "
            "(--candidates)\n",
            comparison.candidates);
    }
    text += formatText("%-7s %-5s %-11s %-32s %12s %12s %12s %12s  %s\n", "Regimes", "Delay",
                       "Orders", "Thresholds", "AIC", "BIC", "SSE", "MSE", "Best");
    for (int i = 0; i < static_cast<int>(comparison.rows.size()); ++i) {
        const ComparisonRow& row = comparison.rows[i];
        const std::string delay = row.delay == 0 ? "-" : formatText("%d", row.delay);
        if (!row.available) {
            text += formatText("%-7d %-5s no admissible thresholds\n", row.regimes, delay.c_str());
            continue;
        }
        std::string orders;
        for (std::size_t r = 0; r < row.orders.size(); ++r) {
            orders += formatText(r == 0 ? "%d" : " %d", row.orders[r]);
        }
        std::string best;
        for (auto [index, name] :
             {std::pair{comparison.bestAic, "AIC"}, std::pair{comparison.bestBic, "BIC"},
              std::pair{comparison.bestSse, "SSE"}, std::pair{comparison.bestMse, "MSE"}}) {
            if (index == i) {
                best += best.empty() ? name : std::string(" ") + name;
            }
        }
        text += formatText(
            "%-7d %-5s %-11s %-32s %12.4f %12.4f %12.6g %12s  %s\n", row.regimes, delay.c_str(),
            orders.c_str(), row.thresholds.empty() ? "-" : thresholdList(row.thresholds).c_str(),
            row.aic, row.bic, row.sse, optionalText("%.6g", row.mse).c_str(), best.c_str());
    }
    text.pop_back();
    return text;
}

}  // namespace kavri
