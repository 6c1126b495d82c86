#pragma once

// The sixteen result texts that a run shows, and the one interface through which the core
// reaches a front end. The texts start empty and are never cleared: a text that a later run
// does not write keeps what an earlier run put there.

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
// goes (generation number and best fitness so far) for front ends that show progress.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    virtual void refresh(const ResultTexts& texts) = 0;
    virtual void progress(int /*generation*/, double /*bestFitness*/) {}
};

// An observer that shows nothing: for silent evaluations and tests.
class SilentObserver final : public RunObserver {
public:
    void refresh(const ResultTexts&) override {}
};

}  // namespace kavri
