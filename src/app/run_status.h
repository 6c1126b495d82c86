#pragma once

// What the status line of the main window says after a run: the full path of the series and,
// after a run with a result, of the files it wrote, and the seed of a genetic search so that the
// run can be repeated; after a run that ended with a notice, the notice's text and detail.

#include <QStringList>

#include "model/run_settings.h"
#include "run/run_driver.h"

namespace kavri {

// `used` is the settings as the run completed them (run defaults written in). Relative paths
// are resolved against the current folder, where the run read and wrote them.
QStringList runStatusLines(const RunSettings& used, const RunOutcome& outcome);

}  // namespace kavri
