#pragma once

// Headless pictures of the program for its documentation: the main window after one genetic run
// on the series file named by the run defaults (in the current directory), after an exact search
// whose first regime has fourteen lags, and after a run on a mistyped file name with its message
// box; both parameter dialogs as they first open, and the About box.

#include <QString>
#include <cstdint>

namespace kavri {

// Writes kavri-main.png, kavri-charts-<chart>.png for each chart of that run (series, lag, fit,
// acf, forecasts, search), kavri-main-fourteen-lags.png, kavri-run-error.png,
// kavri-model-parameters.png, kavri-ga-parameters.png and kavri-about.png into `directory`.
// Returns the process exit status: 0, kNoticeExitStatus when a pictured run that should succeed
// ended with a notice (shown on standard error), 1 when a picture could not be saved.
int takeScreenshots(const QString& directory, std::uint32_t seed);

}  // namespace kavri
