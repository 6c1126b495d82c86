#include "inference/tsay_test.h"

#include <cmath>
#include <vector>

#include "inference/cross_product_regression.h"
#include "inference/distributions.h"

namespace kavri {

TsayTest tsayTest(const ArrangedSample& sample) {
    TsayTest test;
    const int n = sample.size();
    const int k = sample.regressors();
    CrossProductRegression recursion(k);
    std::vector<double> b(static_cast<std::size_t>(k), 0.0);

    int start = n / 10 + sample.order();
    for (int i = 0; i < start && i < n; ++i) {
        recursion.append(sample.row(i));
    }
    while (start < n && !recursion.solve(b.data())) {
        recursion.append(sample.row(start++));
    }
    test.startRows = start;
    const int m = n - start;
    if (m - k <= 0) {
        return test;
    }

    // Each standardised residual with its regressors, as a row for the second regression.
    CrossProductRegression residualRegression(k);
    std::vector<double> residualRow(static_cast<std::size_t>(k) + 1, 0.0);
    double sumSquares = 0.0;
    for (int i = start; i < n; ++i) {
        const double* row = sample.row(i);
        double predicted = 0.0;
        for (int c = 0; c < k; ++c) {
            predicted += b[c] * row[c];
        }
        const double e = (row[k] - predicted) / std::sqrt(1.0 + recursion.leverage(row));
        sumSquares += e * e;
        for (int c = 0; c < k; ++c) {
            residualRow[c] = row[c];
        }
        residualRow[k] = e;
        residualRegression.append(residualRow.data());

        recursion.append(row);
        if (i + 1 < n && !recursion.solve(b.data())) {
            return test;
        }
    }

    const double residualSum = residualRegression.residualSum();
    test.df1 = k;
    test.df2 = m - k;
    test.statistic = ((sumSquares - residualSum) / test.df1) / (residualSum / test.df2);
    test.available = true;
    // A residual sum at the rounding of the cross products (about 1e-13 of the sum it is
    // compared with) is an exact fit: its F would be rounding, or infinity.
    if (!std::isfinite(test.statistic) || residualSum <= sumSquares * 1e-13) {
        test.exactFit = true;
        test.statistic = 0.0;
        return test;
    }
    test.pValue = fisherUpperTail(test.statistic, test.df1, test.df2);
    return test;
}

}  // namespace kavri
