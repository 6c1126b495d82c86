#pragma once

// Notices that several parts of the core raise, each written once so that every path that
// meets the condition shows the same words.

#include <filesystem>

#include "model/notice.h"

namespace kavri {

// No observation entered a regression (no order to try, for instance maxOrder 1), so the
// normalised AIC would be 0 / 0. Captioned with the application name, without an icon.
Notice noEffectiveObservationsNotice();

// The "MSE" fitness asked for without held-out values to forecast.
Notice noForecastsNotice();

// A file that Kavri writes (other than the two result files, whose notices are their own)
// could not be created, or not written to the end; the detail says what to check.
Notice fileNotCreatedNotice(const std::filesystem::path& path);
Notice fileNotWrittenNotice(const std::filesystem::path& path);

}  // namespace kavri
