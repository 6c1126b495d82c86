#pragma once

#include <string>

#include "numeric/storage.h"
#include "model/notice.h"

namespace kavri {

// Reads the first `count` white-space-separated numbers of the text file at `path` into
// series[0 .. count-1]; numbers after them are ignored. Returns the notice that ends the run
// when the file cannot be opened ("File %s could not be opened"), when the text at value i+1
// is not a number or is infinite or not-a-number ("Element %d could not be read"), or when the
// file ends before `count` values ("Element of time series less of %d", naming `count`).
MaybeNotice readSeries(const std::string& path, int count, DVector& series);

}  // namespace kavri
