#pragma once

// The sixteen result texts that a run shows, and the one interface through which the core
// reaches a front end. Every run starts by clearing all sixteen, so a text that a run does not
// write (the panels above its regime count, the MSE of a run without forecasts) is empty rather
// than a number of an earlier run shown beside this run's.

#include <string>

namespace kavri {

struct ResultTexts {
    std::string aicText;               // "AIC"
    std::string fitnessText;           // "Fitness"
    std::string naicText;              // "NAIC"
    std::string estimatePanel1;        // "Parameter Estimate", top left
    std::string observationText;       // "Observation"
    std::string estimatePanel2;        // top right
    std::string estimatePanel3;        // bottom left
    std::string estimatePanel4;        // bottom right
    std::string thresholdText;         // "Threshold"
    std::string residualVarianceText;  // "Residual Variance"
    std::string iterationText;         // "Iteration"
    std::string varianceText;          // "Variance"
    std::string regimeVarianceText;    // "Variance of Regime"
    std::string rSquareText;           // "R Square"
    std::string mseText;               // "MSE"
    std::string ljungBoxText;          // "Ljung-Box"

    bool operator==(const ResultTexts&) const = default;
};

// Implemented by each front end. refresh() makes every current text visible at once; it is
// called after each group of texts is written. progress() reports the genetic search as it
// goes (generation number and best fitness so far), exactSearchProgress() the exact search
// (the share of its work done, 0 to 1), for front ends that show progress.
class RunObserver {
 public:
    virtual ~RunObserver() = default;
    virtual void refresh(const ResultTexts& texts) = 0;
    virtual void progress(int /*generation*/, double /*bestFitness*/) {}
    virtual void exactSearchProgress(double /*share*/) {}
};

// Empties all sixteen texts and shows them empty: the first step of every run.
inline void clearResultTexts(ResultTexts& texts, RunObserver& observer) {
    texts = ResultTexts{};
    observer.refresh(texts);
}

// An observer that shows nothing: for silent evaluations and tests.
class SilentObserver final : public RunObserver {
 public:
    void refresh(const ResultTexts&) override {}
};

}  // namespace kavri
