#pragma once

// Tail probabilities of the reference distributions of the tests, from Boost.Math. Each returns
// an empty value where the distribution or the statistic is undefined (degrees of freedom not
// positive, a statistic that is not a number), never an exception.

#include <optional>

namespace kavri {

// Two-sided p value of a t statistic: P(|T| >= |t|) for T ~ Student's t with `df` degrees of
// freedom.
std::optional<double> studentTwoSidedP(double t, double df);

// Upper tail P(F' >= f) of Fisher's F with (df1, df2) degrees of freedom.
std::optional<double> fisherUpperTail(double f, double df1, double df2);

// Upper tail P(X >= q) of the chi-square distribution with `df` degrees of freedom.
std::optional<double> chiSquaredUpperTail(double q, double df);

}  // namespace kavri
