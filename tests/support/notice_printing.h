#pragma once

// Shows a Notice as its caption, text and detail when an expectation on it fails.

#include <ostream>

#include "model/notice.h"

namespace kavri {

inline void PrintTo(const Notice& notice, std::ostream* out) {
    *out << "Notice{caption \"" << notice.caption << "\", text \"" << notice.text << "\", detail \""
         << notice.detail << "\"}";
}

}  // namespace kavri
