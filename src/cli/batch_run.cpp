#include "cli/batch_run.h"

#include <cctype>
#include <condition_variable>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <tuple>

#include "cli/exit_codes.h"
#include "cli/terminal_progress.h"
#include "numeric/thread_count.h"
#include "report/result_files.h"
#include "run/worker_pool.h"

namespace kavri::cli {

namespace {

// The shortest text that reads back to the same double, as the JSON writes numbers.
std::string numberText(double value) {
    char buffer[32];
    for (int precision = 1; precision <= 17; ++precision) {
        std::snprintf(buffer, sizeof buffer, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value) {
            break;
        }
    }
    return buffer;
}

std::string optionalNumber(const std::optional<double>& value) {
    return value ? numberText(*value) : std::string();
}

// A CSV field: quoted when it holds a comma, a quote or a line break (RFC 4180).
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

// A folder name from a series name: letters, digits, '.', '-' and '_' kept, the rest '_'.
std::string safeName(const std::string& name) {
    std::string safe;
    for (const unsigned char c : name) {
        const bool kept = std::isalnum(c) != 0 || c == '.' || c == '-' || c == '_';
        safe += kept ? static_cast<char>(c) : '_';
    }
    if (safe.empty() || safe == "." || safe == "..") {
        safe = "series" + safe;
    }
    return safe;
}

std::string noticeMessage(const Notice& notice) {
    return notice.detail.empty() ? notice.text : notice.text + ": " + notice.detail;
}

constexpr int kMostRegimes = 4;

// Where the summary or the JSON Lines go: standard output, or a file that replaces the old one
// when it is complete.
class BatchOutput {
 public:
    // Empty path: nowhere.
    MaybeNotice open(const std::string& path, const char* what) {
        path_ = path;
        what_ = what;
        if (path.empty() || path == "-") {
            return std::nullopt;
        }
        CreatedFile created = diskFileSystem().create(path);
        if (!created.file) {
            return Notice("The " + what_ + " " + path + " could not be created", kErrorCaption,
                          NoticeIcon::kStop, created.error.message());
        }
        file_ = std::move(created.file);
        return std::nullopt;
    }
    void write(const std::string& text) {
        if (file_) {
            file_->write(text);
        } else if (path_ == "-") {
            stdoutFailed_ =
                stdoutFailed_ || std::fwrite(text.data(), 1, text.size(), stdout) != text.size();
        }
    }
    // Empty when everything reached its place.
    std::string close() {
        if (file_) {
            if (const std::error_code error = file_->commit()) {
                return "The " + what_ + " " + path_ + " could not be written: " + error.message();
            }
        } else if (path_ == "-" && (stdoutFailed_ || std::fflush(stdout) != 0)) {
            return "The " + what_ + " could not be written to standard output";
        }
        return {};
    }

 private:
    std::string path_;
    std::string what_;
    std::unique_ptr<OutputFile> file_;
    bool stdoutFailed_ = false;
};

// A finished series, kept until the ones before it are written.
struct Finished {
    std::string row;
    std::string jsonLine;
    bool fitted = false;
};

}  // namespace

std::vector<BatchSeries> listBatchSeries(const BatchRequest& batch, const std::string& column,
                                         const std::string& defaultPath, int skipLines) {
    std::vector<std::string> paths = batch.seriesPaths;
    if (paths.empty()) {
        paths.push_back(defaultPath);
    }
    const bool severalFiles = paths.size() > 1;
    std::vector<BatchSeries> list;
    for (const std::string& path : paths) {
        auto named = [&](const std::string& columnName) {
            if (columnName.empty()) return path;
            return severalFiles ? path + ":" + columnName : columnName;
        };
        const bool severalColumns = batch.allColumns || batch.columns.size() > 1;
        if (!severalColumns) {
            BatchSeries series;
            series.path = path;
            series.column = batch.columns.empty() ? column : batch.columns.front();
            series.name = named(batch.columns.empty() ? std::string() : series.column);
            list.push_back(std::move(series));
            continue;
        }
        Result<std::shared_ptr<const LoadedSeriesFile>> loaded = LoadedSeriesFile::load(path);
        if (!loaded.ok()) {
            BatchSeries series;
            series.path = path;
            series.name = path;
            series.problem = loaded.notice();
            list.push_back(std::move(series));
            continue;
        }
        const std::shared_ptr<const LoadedSeriesFile>& file = loaded.value();
        if (!batch.allColumns) {
            for (const std::string& requested : batch.columns) {
                list.push_back(BatchSeries{named(requested), path, requested, {}, file, {}});
            }
            continue;
        }
        const std::vector<LoadedSeriesFile::NumericColumn> columns =
            file->numericColumns(skipLines);
        if (columns.empty()) {
            BatchSeries series;
            series.path = path;
            series.name = path;
            // A table that cannot be read at all (a line that does not fit it) says why.
            SeriesChoice choice;
            choice.skipLines = skipLines;
            Result<SeriesSample> whole = file->readWhole(choice);
            series.problem = !whole.ok()
                                 ? whole.notice()
                                 : Notice("No column of " + path + " holds numbers", kErrorCaption,
                                          NoticeIcon::kStop,
                                          "--all-columns fits the columns whose first value is a "
                                          "number");
            list.push_back(std::move(series));
        }
        for (const LoadedSeriesFile::NumericColumn& found : columns) {
            BatchSeries series{named(found.request.empty() ? std::string() : found.name),
                               path,
                               found.request,
                               {},
                               file,
                               {}};
            if (!found.reachable) {
                series.problem = Notice("Column " + found.name + " of " + path +
                                        " cannot be chosen by name or number");
            }
            list.push_back(std::move(series));
        }
    }
    // Folder names: safe, and made unique by a number where two series would share one.
    std::set<std::string> taken;
    for (BatchSeries& series : list) {
        const std::string base = safeName(series.name);
        std::string name = base;
        for (int n = 2; !taken.insert(name).second; ++n) {
            name = base + "-" + std::to_string(n);
        }
        series.folderName = name;
    }
    return list;
}

std::string summaryHeader(bool tests) {
    std::string header =
        "series,file,column,status,message,first_element,observations,held_out,regimes,delay";
    for (int i = 1; i < kMostRegimes; ++i) header += ",threshold_" + std::to_string(i);
    for (int i = 1; i <= kMostRegimes; ++i) header += ",order_" + std::to_string(i);
    header += ",aic,bic,residual_variance,forecast_mse";
    if (tests) {
        header += ",p_1_vs_2,p_1_vs_3,p_2_vs_3,p_tsay";
    }
    return header + "\n";
}

std::string summaryRow(const BatchSeries& series, const SeriesJob& job, bool tests) {
    std::vector<std::string> fields;
    fields.push_back(series.name);
    fields.push_back(series.path);
    fields.push_back(job.outcome.sample.columnName);
    fields.push_back(seriesStatusWord(job.status));
    std::string message = job.notice ? noticeMessage(*job.notice) : std::string();
    for (const std::string& warning : job.warnings) {
        message += (message.empty() ? "warning: " : "; warning: ") + warning;
    }
    fields.push_back(message);
    const ReportedModel& model = job.outcome.model;
    const bool reported = job.status != SeriesStatus::kFailed;
    const ModelParameters& settings = job.request.settings.model;
    fields.push_back(reported ? std::to_string(job.outcome.sample.firstElement) : "");
    fields.push_back(reported ? std::to_string(settings.nObservations) : "");
    fields.push_back(reported ? std::to_string(settings.nPredictions) : "");
    const bool fitted = job.status == SeriesStatus::kFitted;
    fields.push_back(fitted ? std::to_string(model.regimes.size()) : "");
    fields.push_back(fitted ? std::to_string(model.delay) : "");
    for (std::size_t i = 0; i + 1 < kMostRegimes; ++i) {
        fields.push_back(fitted && i < model.thresholds.size() ? numberText(model.thresholds[i])
                                                               : "");
    }
    for (std::size_t i = 0; i < kMostRegimes; ++i) {
        fields.push_back(fitted && i < model.regimes.size() ? std::to_string(model.regimes[i].order)
                                                            : "");
    }
    fields.push_back(fitted ? numberText(job.statistics.fit->aic) : "");
    fields.push_back(fitted ? numberText(job.statistics.fit->bic) : "");
    fields.push_back(fitted ? numberText(model.residualVariance) : "");
    fields.push_back(fitted ? optionalNumber(model.forecastMse) : "");
    if (tests) {
        const bool tested = fitted && job.statistics.tests;
        for (const SupFTest* test : {tested ? &job.statistics.tests->oneVsTwo : nullptr,
                                     tested ? &job.statistics.tests->oneVsThree : nullptr,
                                     tested ? &job.statistics.tests->twoVsThree : nullptr}) {
            fields.push_back(test != nullptr && test->available ? optionalNumber(test->pValue)
                                                                : "");
        }
        const TsayTest* tsay = tested ? &job.statistics.tests->tsay : nullptr;
        fields.push_back(tsay != nullptr && tsay->available ? optionalNumber(tsay->pValue) : "");
    }
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        row += (i == 0 ? "" : ",") + csvField(fields[i]);
    }
    return row + "\n";
}

CliRequest seriesRequest(const CliRequest& request, const BatchSeries& series) {
    CliRequest one = request;
    one.batch = BatchRequest{};
    one.settings.model.seriesPath = series.path;
    one.settings.series.column = series.column;
    one.run.seriesSource = series.source.get();
    if (request.run.files.directory.empty()) {
        one.run.files.fileSystem = &discardedFiles();
    } else {
        one.run.files.directory = request.run.files.directory / series.folderName;
    }
    return one;
}

namespace {

// A series that could not start: its row says why.
SeriesJob failedJob(const CliRequest& request, const Notice& notice) {
    SeriesJob job;
    job.request = request;
    job.notice = notice;
    return job;
}

std::string failedJsonLine(const BatchSeries& series, const SeriesJob& job) {
    auto quotedJson = [](const std::string& text) {
        std::string out = "\"";
        for (const unsigned char c : text) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
        return out + "\"";
    };
    const Notice notice = job.notice.value_or(Notice("failed"));
    return "{\"series\":" + quotedJson(series.name) + ",\"file\":" + quotedJson(series.path) +
           ",\"status\":\"failed\",\"notice\":{\"text\":" + quotedJson(notice.text) +
           ",\"detail\":" + quotedJson(notice.detail) + "}}\n";
}

}  // namespace

int runBatch(const CliRequest& request, std::FILE* errors) {
    const BatchRequest& batch = request.batch;
    std::vector<BatchSeries> series =
        listBatchSeries(batch, request.settings.series.column, request.settings.model.seriesPath,
                        request.settings.series.skipLines);
    const int count = static_cast<int>(series.size());
    const bool tests = request.tests;

    // Standard output takes the JSON Lines with --json, else the summary unless it has a file.
    const std::string summaryPath =
        !batch.summaryPath.empty() ? batch.summaryPath : (request.json ? "" : "-");
    const std::string jsonPath = request.json ? "-" : batch.jsonLinesPath;
    BatchOutput summary;
    BatchOutput jsonLines;
    for (auto [output, path, what] : {std::tuple{&summary, summaryPath, "summary"},
                                      std::tuple{&jsonLines, jsonPath, "JSON Lines file"}}) {
        if (MaybeNotice notice = output->open(path, what)) {
            std::fprintf(errors, "kavri-cli: %s\n  %s\n", notice->text.c_str(),
                         notice->detail.c_str());
            return kExitNotice;
        }
    }
    summary.write(summaryHeader(tests));

    const bool progressShown = progressWanted(errors, request.quiet);
    const auto clockSeed = static_cast<std::uint32_t>(std::time(nullptr));
    // The summary shows the fit statistics and tests only; the JSON everything a single run's
    // --json shows.
    const StatisticsDetail detail =
        jsonPath.empty() ? StatisticsDetail::kSummary : StatisticsDetail::kReport;
    const int workers =
        std::min(batch.jobs > 0 ? batch.jobs : WorkerPool::availableThreads(kMostBatchJobs),
                 std::max(count, 1));
    // A series starts only when fewer than `window` series before it wait to be written, so
    // that a slow series holds back a few finished ones, never all of them: the memory is
    // that of the series in flight, whatever their number.
    const int window = 4 * workers;
    std::mutex mutex;
    std::condition_variable turn;
    std::map<int, Finished> waiting;
    int nextToWrite = 0;
    int done = 0;
    int failed = 0;
    auto fit = [&](int index, int /*worker*/) {
        {
            // The series before `index` are all running or finished, so this wait ends.
            std::unique_lock<std::mutex> lock(mutex);
            turn.wait(lock, [&] { return index < nextToWrite + window; });
        }
        BatchSeries& one = series[static_cast<std::size_t>(index)];
        const CliRequest oneRequest = seriesRequest(request, one);
        SeriesJob job;
        std::error_code folderError;
        if (one.problem) {
            job = failedJob(oneRequest, *one.problem);
        } else if (!oneRequest.run.files.directory.empty() &&
                   (std::filesystem::create_directories(oneRequest.run.files.directory,
                                                        folderError),
                    folderError)) {
            job = failedJob(oneRequest,
                            Notice("The folder " + oneRequest.run.files.directory.string() +
                                       " could not be created",
                                   kErrorCaption, NoticeIcon::kStop, folderError.message()));
        } else {
            const ThreadLimitScope oneThread(1);
            SilentObserver silent;
            job = runSeriesJob(oneRequest, clockSeed, silent, detail);
        }
        Finished finished;
        finished.fitted = job.status == SeriesStatus::kFitted;
        finished.row = summaryRow(one, job, tests);
        if (!jsonPath.empty()) {
            finished.jsonLine = job.status == SeriesStatus::kFailed
                                    ? failedJsonLine(one, job)
                                    : seriesJobJson(job, /*oneLine=*/true);
        }
        const std::lock_guard<std::mutex> lock(mutex);
        one.source.reset();  // a file read for its columns goes when its last one is done
        waiting.emplace(index, std::move(finished));
        for (auto next = waiting.find(nextToWrite); next != waiting.end();
             next = waiting.find(nextToWrite)) {
            summary.write(next->second.row);
            jsonLines.write(next->second.jsonLine);
            failed += next->second.fitted ? 0 : 1;
            waiting.erase(next);
            ++nextToWrite;
        }
        turn.notify_all();
        ++done;
        if (progressShown) {
            std::fprintf(errors, "\rSeries %d of %d fitted, %d failed\033[K", done, count, failed);
            std::fflush(errors);
        }
    };
    {
        WorkerPool pool(workers);
        pool.run(count, fit);
    }
    if (progressShown) {
        std::fputs("\r\033[K", errors);
    }
    bool written = true;
    for (BatchOutput* output : {&summary, &jsonLines}) {
        if (const std::string failure = output->close(); !failure.empty()) {
            std::fprintf(errors, "kavri-cli: %s\n", failure.c_str());
            written = false;
        }
    }
    if (!request.quiet) {
        std::fprintf(errors, "kavri-cli: %d series: %d fitted, %d failed or without a model\n",
                     count, count - failed, failed);
        if (!batch.summaryPath.empty() && batch.summaryPath != "-") {
            std::fprintf(errors, "kavri-cli: summary written to %s\n", batch.summaryPath.c_str());
        }
        if (!batch.jsonLinesPath.empty() && batch.jsonLinesPath != "-") {
            std::fprintf(errors, "kavri-cli: JSON Lines written to %s\n",
                         batch.jsonLinesPath.c_str());
        }
        if (!request.run.files.directory.empty()) {
            std::fprintf(errors, "kavri-cli: result files written to a folder per series in %s\n",
                         request.run.files.directory.string().c_str());
        }
    }
    if (!written) {
        return kExitNotice;
    }
    return failed > 0 ? kExitSomeSeriesFailed : kExitSuccess;
}

}  // namespace kavri::cli
