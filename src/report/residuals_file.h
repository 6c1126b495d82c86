#pragma once

// The file "Residuals.txt": the table of the whole-series fit. Only a reporting evaluation that
// was asked for the table writes it; every other evaluation that estimates a model leaves the
// file empty (see evaluation_files.h).

#include <string>
#include <vector>

#include "report/output_files.h"

namespace kavri {

// Header line, then one "%8.5f\t%8.5f\t%8.5f\n" line per t = 0 .. n-1 with x[t], fitted[t]
// and residual[t]; with `dates`, a first column "Date" holds (*dates)[t].
void writeResidualTable(OutputFile& file, const double* x, const double* fitted,
                        const double* residual, int n,
                        const std::vector<std::string>* dates = nullptr);

}  // namespace kavri
