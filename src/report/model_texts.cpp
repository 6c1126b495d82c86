#include "report/model_texts.h"

#include "model/text_format.h"
#include "report/estimate_panels.h"

namespace kavri {

void writeThresholdText(int nThresholds, const std::array<double, kMaxThresholdCount>& values,
                        ResultTexts& texts) {
    switch (nThresholds) {
        case 1:
            texts.thresholdText = formatText("%f\n", values[0]);
            break;
        case 2:
            texts.thresholdText = formatText("Soglia:1\n%f\nSoglia:2\n%f\n", values[0], values[1]);
            break;
        case 3:
            texts.thresholdText = formatText("Soglia:1\n%f\nSoglia:2\n%f\nSoglia:3\n%f\n",
                                             values[0], values[1], values[2]);
            break;
        default:
            break;
    }
}

namespace {

// "Regime:1\n<v1>\nRegime:2\n<v2>..." with one value text per regime. The two-regime texts
// end without a line break, the others with one.
template <typename ValueText>
std::string perRegimeText(int nRegimes, ValueText valueText) {
    std::string text;
    for (int r = 0; r < nRegimes; ++r) {
        text += formatText("Regime:%d\n", r + 1);
        text += valueText(r);
        if (!(nRegimes == 2 && r == 1)) {
            text += "\n";
        }
    }
    return text;
}

}  // namespace

void reportModel(int nThresholds, const FittedModel& model, const ReportedModel& reported,
                 const char* ljungBoxFormat, ResultTexts& texts, RunObserver& observer) {
    showEstimatePanels(nThresholds, model, texts, observer);

    const auto& regimes = reported.regimes;
    const int nRegimes = model.nRegimes;
    texts.regimeVarianceText = perRegimeText(
        nRegimes, [&](int r) { return formatText("%.2e", regimes[r].residualVariance); });
    observer.refresh(texts);
    texts.observationText =
        perRegimeText(nRegimes, [&](int r) { return formatText("%d", regimes[r].observations); });
    observer.refresh(texts);
    texts.rSquareText = perRegimeText(nRegimes, [&](int r) {
        return regimes[r].rSquare ? formatText("%.4f", *regimes[r].rSquare)
                                  : std::string("undefined");
    });
    observer.refresh(texts);

    texts.naicText = formatText("%f\n", reported.naic);
    texts.aicText = formatText("%f\n", reported.aic);
    texts.residualVarianceText = formatText("%.2e", reported.residualVariance);
    if (reported.forecastMse) {
        texts.mseText = formatText("%.2e", *reported.forecastMse);
    }
    texts.ljungBoxText = formatText(ljungBoxFormat, reported.ljungBox);
    observer.refresh(texts);
}

}  // namespace kavri
