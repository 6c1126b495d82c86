#pragma once

// Where the samples of runs come from. A run reads its sample from its series file; a batch
// that fits many columns of one table reads the table once and hands each run its column from
// memory, and a program that holds the values already hands them over as they are.

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "data/series_input.h"

namespace kavri {

class SeriesSource {
 public:
    virtual ~SeriesSource() = default;
    // The sample that `request` asks for, or the notice that ends the run. Several threads may
    // read one source at once.
    virtual Result<SeriesSample> read(const SeriesRequest& request) const = 0;
};

// A series file read once: every request is answered from memory exactly as readSeriesSample
// answers it from the file at request.path (which should be this file's path). The text is
// loaded once, with the reader's size bound and refusals; each request reads its sample from
// that text as readSeriesSample reads it from the file.
class LoadedSeriesFile final : public SeriesSource {
 public:
    // The file at `path`, or the notice of loadSeriesText ("File %s could not be opened": a
    // missing file, a folder, a device, a file beyond the size bound...).
    static Result<std::shared_ptr<const LoadedSeriesFile>> load(const std::string& path);

    Result<SeriesSample> read(const SeriesRequest& request) const override;

    // Every value of the series that `choice` chooses (its column, as --column does, empty: the
    // file's own choice; its --skip-lines), read as a run reads them, for a program that takes
    // the whole series.
    Result<SeriesSample> readWhole(const SeriesChoice& choice) const;
    Result<SeriesSample> readWhole(const std::string& column) const;

    // One column of the file that holds numbers: the request that reads it through --column
    // (the header name when it names this column alone, else the 1-based number; empty for a
    // plain file) and the name it goes by (the header name, else "column N", else empty).
    struct NumericColumn {
        std::string request;
        std::string name;
        int number = 0;  // 1-based place in the table; 0 for a plain file
        // False when neither reaches the column (its name repeated, and its number another
        // column's name): such a column cannot be chosen on the command line.
        bool reachable = true;
    };
    // Every column whose first value present is a number, in order (a tab-separated file of
    // numbers too), counted after any row names and after the `skipLines` lines passed over.
    // A file of numbers separated by blanks is one series: a single entry with an empty
    // request. A table that does not survey (a line that does not fit) has none.
    std::vector<NumericColumn> numericColumns(int skipLines = 0) const;

 private:
    LoadedSeriesFile(std::string path, std::string text);

    // The table split once, for the requests with its --skip-lines (made on first use).
    const ParsedTable* parsed(const SeriesChoice& choice) const;

    std::string path_;
    std::string text_;
    mutable std::once_flag parseOnce_;
    mutable std::optional<ParsedTable> table_;
};

// Values already in memory (a program's array): nothing is parsed, but they are held to the
// same rules as the values of a file: finite, and at most kLargestMagnitude in magnitude.
// `name` stands for the file in messages ("the array", for instance).
class SeriesValues final : public SeriesSource {
 public:
    SeriesValues(std::vector<double> values, std::string name)
        : values_(std::move(values)), name_(std::move(name)) {}
    Result<SeriesSample> read(const SeriesRequest& request) const override;

 private:
    std::vector<double> values_;
    std::string name_;
};

}  // namespace kavri
