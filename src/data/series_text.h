#pragma once

// The whole text of a series file, read once so that its layout can be recognised before any
// value is taken from it.

#include <string>

#include "model/notice.h"

namespace kavri {

// The bytes of the file at `path` (a relative path is taken from the current folder), without
// a UTF-8 byte-order mark at its start. A file that cannot be opened or read (missing, no
// permission, a folder) gives the notice "File %s could not be opened" with the reason, and
// for a relative path the folder it was looked for in, as its detail.
Result<std::string> loadSeriesText(const std::string& path);

}  // namespace kavri
