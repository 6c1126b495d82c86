#pragma once

// A run shows numbers only. A series whose squares would overflow the range of doubles (values
// of about 1e154 and beyond), or underflow it (a spread of about 1e-154 and below), is
// refused before estimation: its sums of squares would be infinite, or would hold no digits so
// that every model scored alike. A result that still overflows to infinity or comes out not a
// number (a fitness exp(-NAIC) beyond the largest double, a regression that loses every digit)
// ends the run with a notice instead of being shown as "inf" or "nan", and the notice's detail
// line names the number and the cause, so that it is not mistaken for another failure.

#include <string>

#include "model/notice.h"
#include "model/reported_model.h"

namespace kavri {

class FiniteResults {
 public:
    // The results come from the series x[0 .. count-1] (fitted and held-out values).
    FiniteResults(const double* x, int count) : x_(x), count_(count) {}

    // The notice for a series that no estimation can use: a value that is not finite, squares
    // summed beyond the largest double, or a spread (largest minus smallest value) whose square
    // is below the smallest normal double. Empty for every other series.
    MaybeNotice checkSeries() const;

    // The notice for the first number of a reported model that is not finite: thresholds,
    // coefficients, per-regime and model statistics, fitness. Empty when all are finite.
    MaybeNotice check(const ReportedModel& model) const;
    // The same for values[0 .. n-1], each named by `nameFormat` with its 1-based index.
    MaybeNotice check(const double* values, int n, const char* nameFormat) const;
    // The same for one number named `what`.
    MaybeNotice check(const std::string& what, double value) const;
    // The fitness exp(-NAIC / adjustingConstant), which overflows on a series of very small
    // scale although NAIC itself is finite: the notice when it is not finite, else empty.
    MaybeNotice checkFitness(double fitness, double naic, double adjustingConstant) const;

    // The notice that ends a run instead of showing `what`, whose value is `value`: the
    // series' own notice when it has one, since that is the cause.
    Notice notice(const std::string& what, double value) const;

 private:
    const double* x_;
    int count_;
};

}  // namespace kavri
