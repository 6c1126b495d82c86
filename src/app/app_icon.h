#pragma once

// The application icon: a threshold autoregression sketch (a series crossing a dashed threshold
// line, coloured by regime), bundled in sizes from 16 to 256 pixels.

#include <QIcon>

namespace kavri {

QIcon applicationIcon();

}  // namespace kavri
