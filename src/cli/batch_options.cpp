#include "cli/batch_options.h"

#include <CLI/CLI.hpp>

namespace kavri::cli {

namespace {

const char* kManySeries =
    "several series (--all-columns, --columns, more than one --series, --summary or "
    "--json-lines)";

}  // namespace

void addBatchOptions(CLI::App& app, CliRequest& request,
                     const std::function<std::string(const std::string&)>& wrap) {
    const std::string group = "Many series";
    BatchRequest& batch = request.batch;
    app.add_flag("--all-columns", batch.allColumns,
                 wrap("fit every numeric column of the table(s) of --series, each with the "
                      "same settings, one series per core"))
        ->group(group);
    app.add_option("--columns", batch.columns,
                   wrap("fit these columns of the table(s) of --series, by header name or "
                        "number from 1, separated by commas"))
        ->delimiter(',')
        ->option_text("A,B,...")
        ->group(group);
    app.add_option("--summary", batch.summaryPath,
                   wrap("write one CSV row per series (name, sample, regimes, delay, "
                        "thresholds, orders, AIC, BIC, variances, test p values, status and "
                        "message) to FILE, - for standard output (default: standard output "
                        "unless --json)"))
        ->type_name("FILE")
        ->group(group);
    app.add_option("--json-lines", batch.jsonLinesPath,
                   wrap("write each series' JSON (that of --json) on a line of its own to "
                        "FILE, - for standard output"))
        ->type_name("FILE")
        ->group(group);
    app.add_option("--jobs", batch.jobs,
                   wrap("series fitted at once (1 to " + std::to_string(kMostBatchJobs) +
                        ", default: every core); each series runs on one thread"))
        ->check(CLI::Range(1, kMostBatchJobs))
        ->option_text("N")
        ->group(group);
}

std::optional<std::string> batchConflict(const CliRequest& request,
                                         const std::function<bool(const std::string&)>& given) {
    const BatchRequest& batch = request.batch;
    if (batch.allColumns && !batch.columns.empty()) {
        return std::string(
            "--all-columns fits every numeric column; it cannot be combined with --columns");
    }
    if ((batch.allColumns || !batch.columns.empty()) && given("--column")) {
        return std::string(batch.allColumns ? "--all-columns" : "--columns") +
               " chooses the columns; it cannot be combined with --column";
    }
    for (const std::string& column : batch.columns) {
        if (column.empty()) {
            return std::string(
                "--columns expects column names or numbers separated by "
                "commas, got an empty one");
        }
    }
    if (!batch.active()) {
        if (batch.jobs != 0) {
            return std::string("--jobs sets how many series are fitted at once; it needs ") +
                   kManySeries;
        }
        return std::nullopt;
    }
    if (request.inspect) {
        return std::string(
                   "--inspect prints what one series file holds; it cannot be combined "
                   "with ") +
               kManySeries;
    }
    if (!request.plotsDirectory.empty()) {
        return std::string(
                   "--plots draws the charts of one series; it cannot be combined "
                   "with ") +
               kManySeries;
    }
    if (request.select != SelectCriterion::kNone) {
        return std::string(
                   "--select compares the models of one series; it cannot be combined "
                   "with ") +
               kManySeries;
    }
    if (!request.reportPath.empty()) {
        return std::string(
                   "--report writes the report of one series; it cannot be combined "
                   "with ") +
               kManySeries;
    }
    if (request.wantsSimulation()) {
        return std::string(
                   "--simulate writes one file for one series; it cannot be combined "
                   "with ") +
               kManySeries;
    }
    if (request.json && !batch.jsonLinesPath.empty()) {
        return std::string(
            "--json prints each series' JSON on standard output; with "
            "--json-lines FILE give only one of them");
    }
    if (batch.summaryPath == "-" && (batch.jsonLinesPath == "-" || request.json)) {
        return std::string("--summary - and the JSON Lines cannot both go to standard output");
    }
    return std::nullopt;
}

}  // namespace kavri::cli
