#pragma once

// What the status line of the main window says after a run: the full path of the series and,
// after a run with a result, of the files it wrote, and the seed of a genetic search so that the
// run can be repeated; after a run that ended with a notice, the notice's text and detail.

#include <QStringList>
#include <string>

#include "model/run_settings.h"
#include "run/run_driver.h"

namespace kavri {

// `used` is the settings as the run completed them (run defaults written in). Relative paths
// are resolved against the current folder, where the run read and wrote them.
// A notice's text as the desktop program says it: the options that the series reader, the
// model's form and the forecasts name for kavri-cli ("--skip, --last", "--column", "--lags",
// "--forecast", ...) become the fields of the dialogs that do the same.
std::string inDesktopWords(std::string text);

QStringList runStatusLines(const RunSettings& used, const RunOutcome& outcome);

}  // namespace kavri
