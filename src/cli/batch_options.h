#pragma once

// The command-line options of the batch mode, registered beside the options of a single run.

#include <functional>
#include <optional>
#include <string>

#include "cli/options.h"

namespace CLI {
class App;
}

namespace kavri::cli {

// Registers --all-columns, --columns, --summary, --json-lines and --jobs in the group "Many
// series"; `wrap` breaks a description into the help's lines.
void addBatchOptions(CLI::App& app, CliRequest& request,
                     const std::function<std::string(const std::string&)>& wrap);

// Checks the batch options once parsed: settings that mean one series only, and option pairs
// that contradict each other. `given` tells whether a value option was given. The refusal, if
// any.
std::optional<std::string> batchConflict(const CliRequest& request,
                                         const std::function<bool(const std::string&)>& given);

}  // namespace kavri::cli
