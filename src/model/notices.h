#pragma once

// Notices that several parts of the core raise, each written once so that every path that
// meets the condition shows the same words.

#include <filesystem>
#include <system_error>

#include "model/notice.h"

namespace kavri {

// No observation entered a regression because no order was tried (maxOrder 1), so the
// normalised AIC would be 0 / 0. Captioned with the application name, without an icon; the
// detail explains the maximum order.
Notice noEffectiveObservationsNotice();

// A result that is not a finite number (infinite, or not a number), which a run never shows;
// `detail` names the number and the cause.
Notice notFiniteNotice(std::string detail);

// A series whose squares would overflow, or underflow, the range of doubles: refused before
// estimation, since its sums of squares would be infinite or would hold no digits.
Notice seriesTooLargeNotice(std::string detail);
Notice seriesTooSmallNotice(std::string detail);

// The "MSE" fitness asked for without held-out values to forecast.
Notice noForecastsNotice();

// A file that Kavri writes (other than the two result files, whose notices are their own)
// could not be created, or not written to the end and put in place of the old one; the detail
// gives the system's reason and says what to check.
Notice fileNotCreatedNotice(const std::filesystem::path& path, std::error_code error);
// `earlierFile`: a file was at `path` before, and the notice says it was kept.
Notice fileNotWrittenNotice(const std::filesystem::path& path, std::error_code error,
                            bool earlierFile);

}  // namespace kavri
