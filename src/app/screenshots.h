#pragma once

// Headless pictures of the program for its documentation: the main window after one genetic run
// on the series file named by the run defaults (in the current directory), each tab of the
// charts window after that run, both parameter dialogs as they open, and the About box.

#include <QString>
#include <cstdint>

namespace kavri {

// Writes kavri-main.png, kavri-charts-<chart>.png for each chart of the run (series, lag,
// fit, acf, forecasts, search), kavri-model-parameters.png, kavri-ga-parameters.png and
// kavri-about.png into `directory`. Returns the process exit status: 0, kNoticeExitStatus when
// the run ended with a notice (shown on standard error), 1 when a picture could not be saved.
int takeScreenshots(const QString& directory, std::uint32_t seed);

}  // namespace kavri
