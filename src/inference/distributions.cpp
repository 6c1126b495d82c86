#include "inference/distributions.h"

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/fisher_f.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>

namespace kavri {

namespace {

// The arguments are checked before Boost sees them, and any error it still meets becomes a
// not-a-number instead of an exception: the core throws nothing across its boundary.
using namespace boost::math::policies;
using QuietPolicy = policy<domain_error<ignore_error>, overflow_error<ignore_error>,
                           evaluation_error<ignore_error>, pole_error<ignore_error>>;

std::optional<double> probability(double p) {
    if (std::isnan(p)) {
        return std::nullopt;
    }
    return std::min(1.0, std::max(0.0, p));
}

}  // namespace

std::optional<double> studentTwoSidedP(double t, double df) {
    if (!(df > 0.0) || std::isnan(t)) {
        return std::nullopt;
    }
    if (std::isinf(t)) {
        return 0.0;
    }
    const boost::math::students_t_distribution<double, QuietPolicy> distribution(df);
    return probability(2.0 * cdf(complement(distribution, std::fabs(t))));
}

std::optional<double> fisherUpperTail(double f, double df1, double df2) {
    if (!(df1 > 0.0) || !(df2 > 0.0) || std::isnan(f)) {
        return std::nullopt;
    }
    if (f <= 0.0) {
        return 1.0;
    }
    if (std::isinf(f)) {
        return 0.0;
    }
    const boost::math::fisher_f_distribution<double, QuietPolicy> distribution(df1, df2);
    return probability(cdf(complement(distribution, f)));
}

std::optional<double> chiSquaredUpperTail(double q, double df) {
    if (!(df > 0.0) || std::isnan(q)) {
        return std::nullopt;
    }
    if (q <= 0.0) {
        return 1.0;
    }
    if (std::isinf(q)) {
        return 0.0;
    }
    const boost::math::chi_squared_distribution<double, QuietPolicy> distribution(df);
    return probability(cdf(complement(distribution, q)));
}

}  // namespace kavri
