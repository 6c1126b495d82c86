#pragma once

// The weekly DEM/USD returns with the run defaults (450 fitted values, 50 held out), ranked,
// with everything an evaluation needs around it; result files go to an in-memory file system.

#include <gtest/gtest.h>

#include <vector>

#include "genetic/candidates.h"
#include "run/split_evaluation.h"
#include "support/memory_file_system.h"
#include "support/series_fixtures.h"

namespace kavri::testing {

class RankedExchangeRate : public ::testing::Test {
 protected:
    void SetUp() override {
        series_ = exchangeRateReturns();
        ASSERT_EQ(series_.size(), 518u);
        applyRunDefaults(settings_);
        sortOrder_ = ivector(0, n_);
        sortedSeries_ = dvector(0, n_);
        rankCandidates(series_.data(), n_, sortOrder_, sortedSeries_);
    }

    // Replaces value t + 1 of the series and ranks the sample again.
    void setValue(int t, double value) {
        series_[static_cast<std::size_t>(t)] = value;
        rankCandidates(series_.data(), n_, sortOrder_, sortedSeries_);
    }

    EvaluationContext context() {
        return {settings_, texts_, observer_, {{}, &files_}, &reported_};
    }

    const int n_ = 450;
    std::vector<double> series_;
    RunSettings settings_;
    ResultTexts texts_;
    SilentObserver observer_;
    ReportedModel reported_;
    MemoryFileSystem files_;
    IVector sortOrder_;
    DVector sortedSeries_;
};

}  // namespace kavri::testing
