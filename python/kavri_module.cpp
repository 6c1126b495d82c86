// kavri._kavri, the native part of the Python module: a series fitted exactly as kavri-cli
// fits it, from the values of an array. The settings arrive as kavri-cli's own options, so
// that their defaults, ranges and refusals are the command line's; the results leave as the
// JSON of --json (the same text, so the same numbers) and as arrays. kavri/__init__.py builds
// the interface on it. The computation runs without the GIL, so threads fit in parallel.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cmath>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "cli/options.h"
#include "cli/series_job.h"
#include "data/number_text.h"
#include "data/series_source.h"
#include "model/version.h"
#include "numeric/thread_count.h"

namespace py = pybind11;

namespace {

using namespace kavri;
using namespace kavri::cli;

// kavri-cli's command line (without the program name), parsed as the program parses it.
ParseOutcome parseArguments(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"kavri"};
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    return parseOptions(static_cast<int>(argv.size()), argv.data());
}

std::uint32_t clockSeed() { return static_cast<std::uint32_t>(std::time(nullptr)); }

using Values = py::array_t<double, py::array::c_style | py::array::forcecast>;

template <typename T>
py::array_t<T> toArray(const std::vector<T>& values) {
    return py::array_t<T>(static_cast<py::ssize_t>(values.size()), values.data());
}

// One fitted series: the run's results, kept for the statistics and forecasts asked later.
class Fit {
 public:
    explicit Fit(SeriesJob job) : job_(std::move(job)) {}

    // "ok", "no model" or "failed", and the notice of the two last.
    std::string status() const { return seriesStatusWord(job_.status); }
    std::string noticeText() const { return job_.notice ? job_.notice->text : std::string(); }
    std::string noticeDetail() const { return job_.notice ? job_.notice->detail : std::string(); }
    // Written on first use: a caller that only loops over fits does not pay for it. The fit
    // leaves out the diagnostics, the thresholds' intervals and the comparison behind the
    // regimes' support line, which cost many times the search; they are added here, to the
    // numbers a single run gives.
    std::string json() {
        py::gil_scoped_release release;
        const std::lock_guard<std::mutex> lock(mutex_);
        if (!json_) {
            completeSeriesJob(job_);
            json_ = seriesJobJson(job_, false);
        }
        return *json_;
    }
    // The JSON of the fit alone, without what json() adds: the same numbers for every key it
    // has, for the model's properties.
    std::string fitJson() {
        py::gil_scoped_release release;
        const std::lock_guard<std::mutex> lock(mutex_);
        if (json_) {
            return *json_;
        }
        if (!fitJson_) {
            fitJson_ = seriesJobJson(job_, false);
        }
        return *fitJson_;
    }
    std::vector<std::string> warnings() const { return job_.warnings; }

    py::dict arrays() const {
        const ReportedModel& model = job_.outcome.model;
        py::dict arrays;
        arrays["series"] = toArray(job_.outcome.sample.values);
        arrays["fitted"] = toArray(model.fitted);
        arrays["residuals"] = toArray(model.residuals);
        arrays["regime"] = toArray(model.regimeOfObservation);
        arrays["holdout_forecasts"] = toArray(model.holdoutForecasts);
        arrays["labels"] = job_.outcome.sample.labels;
        return arrays;
    }

    // The JSON of the run with the statistics and forecasts that `arguments` ask for (the
    // fit's own options followed by new ones), or (None, notice text, detail). `future`, when
    // not None, replaces the values of an exogenous threshold variable after the sample: as
    // the rows of a table after the series, they count up to the first that would not read
    // (missing, or beyond the largest magnitude a value may have).
    py::tuple report(const std::vector<std::string>& arguments, int threads,
                     const std::optional<Values>& future) const {
        ParseOutcome parsed = parseArguments(arguments);
        if (parsed.action != ParseAction::kRun) {
            return py::make_tuple(py::none(), parsed.text, std::string("refused"));
        }
        SeriesJob job;
        {
            const std::lock_guard<std::mutex> lock(mutex_);  // json() may be completing it
            job = job_;
        }
        const CliRequest& asked = parsed.request;
        CliRequest& used = job.request;
        used.robust = asked.robust;
        used.tests = asked.tests;
        used.testOrder = asked.testOrder;
        used.bootstrapReplicates = asked.bootstrapReplicates;
        used.compareModels = asked.compareModels;
        used.forecast = asked.forecast;
        used.run.seed = asked.run.seed;
        if (future) {
            std::vector<double>& known = job.outcome.model.thresholdFuture;
            known.clear();
            for (py::ssize_t i = 0; i < future->size(); ++i) {
                const double value = future->data()[i];
                if (!std::isfinite(value) || std::fabs(value) > kLargestMagnitude) {
                    break;  // read as a table's value would not be
                }
                known.push_back(value);
            }
        }
        std::string json;
        MaybeNotice notice;
        {
            py::gil_scoped_release release;
            const ThreadLimitScope limit(threads);
            notice = addStatisticsAndForecasts(job, clockSeed(), StatisticsDetail::kReport);
            if (!notice) {
                json = seriesJobJson(job, false);
            }
        }
        if (notice) {
            return py::make_tuple(py::none(), notice->text, notice->detail);
        }
        return py::make_tuple(json, std::string(), std::string());
    }

    // A series of `length` values simulated from the model with the innovations and seed that
    // `arguments` ask for (the fit's own options followed by --simulate N --simulate-to FILE
    // and the method's), as kavri-cli --simulate writes it: (array, "", "") or (None, notice
    // text, detail), "refused" for a setting the command line refuses.
    py::tuple simulate(const std::vector<std::string>& arguments, int length) const {
        ParseOutcome parsed = parseArguments(arguments);
        if (parsed.action != ParseAction::kRun) {
            return py::make_tuple(py::none(), parsed.text, std::string("refused"));
        }
        Result<std::vector<double>> values = std::vector<double>();
        {
            py::gil_scoped_release release;
            const std::uint32_t seed = forecastSeed(parsed.request, job_.outcome, clockSeed());
            values =
                simulatedSeries(job_.outcome.model, length, parsed.request.forecast.method, seed);
        }
        if (!values.ok()) {
            return py::make_tuple(py::none(), values.notice().text, values.notice().detail);
        }
        return py::make_tuple(toArray(values.value()), std::string(), std::string());
    }

 private:
    SeriesJob job_;
    mutable std::mutex mutex_;  // Python threads may ask one fit for its JSON at once
    std::optional<std::string> json_;
    std::optional<std::string> fitJson_;
};

// A series and an exogenous threshold variable held side by side, as the two columns of a
// table: the run reads the series as column 1 and the variable, which it asks for by name
// (--threshold-variable NAME), as column 2, each held to the rules of values in memory. The
// variable may run past the series: its later values are what forecasts past the data need.
class SeriesWithThresholdVariable final : public SeriesSource {
 public:
    SeriesWithThresholdVariable(std::vector<double> series, std::string name,
                                std::vector<double> variable, std::string variableName)
        : series_(std::move(series), name),
          variable_(std::move(variable), variableName),
          name_(std::move(name)),
          variableName_(std::move(variableName)) {}

    Result<SeriesSample> read(const SeriesRequest& request) const override {
        const bool variable = request.choice.column == variableName_;
        Result<SeriesSample> sample = (variable ? variable_ : series_).read(request);
        if (sample.ok()) {
            sample.value().columnName =
                variable ? "column 2 \"" + variableName_ + "\"" : "column 1 \"" + name_ + "\"";
        }
        return sample;
    }

 private:
    SeriesValues series_;
    SeriesValues variable_;
    std::string name_;
    std::string variableName_;
};

std::vector<double> copiedValues(const Values& values, const char* what) {
    if (values.ndim() != 1) {
        throw py::value_error(std::string("kavri.fit expects a one-dimensional ") + what +
                              ", got an array of " + std::to_string(values.ndim()) + " dimensions");
    }
    return std::vector<double>(values.data(), values.data() + values.size());
}

// Fits `values` with kavri-cli's `arguments`; `threads` bounds the threads of the fit (0: every
// core). `variable`, when not None, is the exogenous threshold variable row by row with the
// values (and possibly past them), which the arguments name `variable_name`. Returns
// (Fit, "", "") or (None, refusal, "refused") for arguments the command line refuses.
py::tuple fit(const Values& values, const std::vector<std::string>& arguments, int threads,
              const std::string& name, const std::optional<Values>& variable,
              const std::string& variableName) {
    std::vector<double> copied = copiedValues(values, "series");
    std::vector<double> variableValues;
    if (variable) {
        variableValues = copiedValues(*variable, "threshold variable");
    }
    SeriesJob job;
    ParseOutcome parsed;
    {
        // The options are parsed without the GIL too: with the fit of a short series, the
        // part held under the GIL is what keeps Python threads from fitting in parallel.
        py::gil_scoped_release release;
        parsed = parseArguments(arguments);
    }
    if (parsed.action != ParseAction::kRun || parsed.request.batch.active()) {
        return py::make_tuple(py::none(), parsed.text, std::string("refused"));
    }
    {
        py::gil_scoped_release release;
        const ThreadLimitScope limit(threads);
        std::unique_ptr<const SeriesSource> source;
        if (variable) {
            source = std::make_unique<const SeriesWithThresholdVariable>(
                std::move(copied), name, std::move(variableValues), variableName);
        } else {
            source = std::make_unique<const SeriesValues>(std::move(copied), name);
        }
        CliRequest& request = parsed.request;
        request.run.seriesSource = source.get();
        request.run.files.fileSystem = &discardedFiles();
        SilentObserver silent;
        job = runSeriesJob(request, clockSeed(), silent, StatisticsDetail::kSummary);
        job.request.run.seriesSource = nullptr;  // the source ends here
    }
    return py::make_tuple(std::make_shared<Fit>(std::move(job)), std::string(), std::string());
}

// Every value of a series file's column, read as kavri-cli reads it: (array, "", "") or
// (None, notice text, detail).
py::tuple readSeriesValues(const std::string& path, const std::string& column) {
    Result<std::shared_ptr<const LoadedSeriesFile>> file = LoadedSeriesFile::load(path);
    if (!file.ok()) {
        return py::make_tuple(py::none(), file.notice().text, file.notice().detail);
    }
    Result<SeriesSample> sample = file.value()->readWhole(column);
    if (!sample.ok()) {
        return py::make_tuple(py::none(), sample.notice().text, sample.notice().detail);
    }
    return py::make_tuple(toArray(sample.value().values), std::string(), std::string());
}

// The numeric columns of a series file: ([(request, name)], "", "") or (None, text, detail).
py::tuple tableColumns(const std::string& path) {
    Result<std::shared_ptr<const LoadedSeriesFile>> file = LoadedSeriesFile::load(path);
    if (!file.ok()) {
        return py::make_tuple(py::none(), file.notice().text, file.notice().detail);
    }
    py::list columns;
    for (const LoadedSeriesFile::NumericColumn& column : file.value()->numericColumns()) {
        if (column.reachable) {
            columns.append(py::make_tuple(column.request, column.name));
        }
    }
    return py::make_tuple(columns, std::string(), std::string());
}

}  // namespace

PYBIND11_MODULE(_kavri, module) {
    module.doc() = "Native part of kavri: SETAR fits exactly as kavri-cli makes them.";
    module.attr("version") = kavri::kVersion;
    py::class_<Fit, std::shared_ptr<Fit>>(module, "Fit", "One fitted series (internal).")
        .def_property_readonly("status", &Fit::status, "\"ok\", \"no model\" or \"failed\".")
        .def_property_readonly("notice_text", &Fit::noticeText, "The notice's text.")
        .def_property_readonly("notice_detail", &Fit::noticeDetail, "The notice's detail.")
        .def_property_readonly("json", &Fit::json, "The JSON of kavri-cli --json.")
        .def_property_readonly("fit_json", &Fit::fitJson,
                               "The JSON without the diagnostics, intervals and support line.")
        .def_property_readonly("warnings", &Fit::warnings, "Warnings on sparse regimes.")
        .def("arrays", &Fit::arrays, "Series, fitted values, residuals, regimes as arrays.")
        .def("report", &Fit::report, py::arg("arguments"), py::arg("threads"),
             py::arg("future") = py::none(),
             "The JSON with the statistics and forecasts that the options ask for.")
        .def("simulate", &Fit::simulate, py::arg("arguments"), py::arg("length"),
             "A series simulated from the model, as --simulate writes it.");
    module.def("fit", &fit, py::arg("values"), py::arg("arguments"), py::arg("threads"),
               py::arg("name"), py::arg("variable"), py::arg("variable_name"),
               "Fits one series with kavri-cli's options (internal).");
    module.def("read_series", &readSeriesValues, py::arg("path"), py::arg("column"),
               "Every value of a series file's column (internal).");
    module.def("table_columns", &tableColumns, py::arg("path"),
               "The numeric columns of a series file (internal).");
}
