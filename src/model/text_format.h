#pragma once

#include <string>

namespace kavri {

// printf-style formatting into a std::string, for the result texts and file lines.
std::string formatText(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kavri
