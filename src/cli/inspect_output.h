#pragma once

// The preview of a series file that --inspect prints: a table of its columns, or JSON.

#include <string>

#include "data/table_preview.h"

namespace kavri::cli {

// Text for standard output: the file and its layout, then one aligned line per column (number,
// name, type, values, missing, first and last value with their dates and lines, number
// format), the column a run reads marked with '*'.
std::string formatFilePreview(const std::string& path, const FilePreview& preview);

// The same as a JSON object.
std::string formatFilePreviewJson(const std::string& path, const FilePreview& preview);

}  // namespace kavri::cli
