#pragma once

// The whole text of a series file, read once so that its layout can be recognised before any
// value is taken from it. The reader then passes over the text without copying its values, so
// that a run needs the file's size in memory and little more.

#include <cstddef>
#include <string>

#include "model/notice.h"

namespace kavri {

// The largest series file read: 256 MiB holds the longest sample a run takes (1,000,000
// fitted and 100,000 held-out values) after the most values --skip passes over (100,000,000),
// at two bytes a value, and stays far below what the machines Kavri runs on hold.
inline constexpr std::size_t kLargestSeriesFile = std::size_t{256} << 20;

// The bytes of the file at `path` (a relative path is taken from the current folder), without
// a UTF-8 byte-order mark at its start. It gives the notice "File %s could not be opened" with
// the reason, and for a relative path the folder it was looked for in, as its detail when the
// file cannot be opened or read (missing, no permission, a folder), is a device or socket
// rather than a file (/dev/zero never ends), holds more than `largest` bytes (a pipe that does
// not end is cut there), or is UTF-16 text.
Result<std::string> loadSeriesText(const std::string& path,
                                   std::size_t largest = kLargestSeriesFile);

}  // namespace kavri
