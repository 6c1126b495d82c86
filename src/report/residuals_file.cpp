#include "report/residuals_file.h"

#include "model/text_format.h"

namespace kavri {

void writeResidualTable(OutputFile& file, const double* x, const double* fitted,
                        const double* residual, int n, const std::vector<std::string>* dates) {
    file.write(std::string(dates != nullptr ? "Date\t" : "") +
               " Series\t         Fit\t         Residuals\n");
    for (int t = 0; t < n; ++t) {
        const std::string date =
            dates != nullptr ? (*dates)[static_cast<std::size_t>(t)] + "\t" : std::string();
        file.write(date + formatText("%8.5f\t%8.5f\t%8.5f\n", x[t], fitted[t], residual[t]));
    }
}

}  // namespace kavri
