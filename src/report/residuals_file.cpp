#include "report/residuals_file.h"

#include "model/text_format.h"

namespace kavri {

void writeResidualTable(OutputFile& file, const double* x, const double* fitted,
                        const double* residual, int n) {
    file.write(" Series\t         Fit\t         Residuals\n");
    for (int t = 0; t < n; ++t) {
        file.write(formatText("%8.5f\t%8.5f\t%8.5f\n", x[t], fitted[t], residual[t]));
    }
}

}  // namespace kavri
