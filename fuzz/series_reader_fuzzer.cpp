// libFuzzer target: the series reader on arbitrary file contents, plain or delimited (number
// formats with thousands separators, R's row names, comments, titles passed over), with an
// arbitrary choice of column, lines skipped and sample, the preview of the same file, and the
// file read once for a batch (which must answer as the file, column by column). The
// first three bytes choose the request; the rest is the file. The reader must never crash, and a
// sample it accepts must hold exactly the values asked for, each finite and within the magnitude
// that reading allows.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "data/number_text.h"
#include "data/series_input.h"
#include "data/series_source.h"
#include "data/table_preview.h"
#include "memory_file.h"
#include "numeric/storage.h"

namespace {

[[noreturn]] void fail(const char* what, double value = 0.0) {
    std::fprintf(stderr, "series reader: %s (%g)\n", what, value);
    std::abort();
}

void checkValue(double value) {
    if (!std::isfinite(value)) fail("accepted a value that is not finite", value);
    if (std::fabs(value) > kavri::kLargestMagnitude) fail("accepted a value too large", value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static kavri::fuzz::MemoryFile file("kavri-series");
    if (size < 3) {
        return 0;
    }
    static const char* const kColumns[] = {"", "1", "2", "3", "value", "lynx", "Date"};
    kavri::SeriesRequest request;
    request.nObservations = 1 + data[0] % 64;
    request.nPredictions = data[1] % 8;
    request.choice.skipLines = (data[1] >> 4) % 3;
    request.choice.column = kColumns[data[2] % 7];
    request.choice.skip = (data[2] >> 3) % 4;
    request.choice.last = (data[2] & 0x80) != 0;
    request.path = file.write(data + 3, size - 3);

    const kavri::Result<kavri::SeriesSample> sample = kavri::readSeriesSample(request);
    if (!sample.ok()) {
        if (sample.notice().text.empty()) fail("a notice without text");
    } else {
        const kavri::SeriesSample& s = sample.value();
        const std::size_t count =
            static_cast<std::size_t>(request.nObservations + request.nPredictions);
        if (s.values.size() != count) fail("a sample of another length", s.values.size());
        if (!s.labels.empty() && s.labels.size() != count) fail("labels of another length");
        if (s.firstElement < 1 || s.fileValues < static_cast<int>(count)) {
            fail("a sample outside the file", s.firstElement);
        }
        for (double value : s.values) checkValue(value);
    }

    const kavri::Result<kavri::FilePreview> preview =
        kavri::previewSeriesFile(request.path, request.choice);
    if (preview.ok()) {
        for (const kavri::ColumnPreview& column : preview.value().columns) {
            if (column.missing > column.values) fail("more missing values than values");
        }
        if (sample.ok() && preview.value().columns.empty()) fail("a sample from no column");
    }

    // --all-columns: every numeric column it lists is read, through the request it gives, from
    // that very column, and the file read once answers as the file.
    kavri::Result<std::shared_ptr<const kavri::LoadedSeriesFile>> loaded =
        kavri::LoadedSeriesFile::load(request.path);
    if (loaded.ok()) {
        const kavri::LoadedSeriesFile& whole = *loaded.value();
        const kavri::Result<kavri::SeriesSample> again = whole.read(request);
        if (again.ok() != sample.ok() ||
            (again.ok() && (again.value().values != sample.value().values ||
                            again.value().labels != sample.value().labels ||
                            again.value().firstElement != sample.value().firstElement)) ||
            (!again.ok() && !(again.notice() == sample.notice()))) {
            fail("the file read once answers otherwise");
        }
        for (const kavri::LoadedSeriesFile::NumericColumn& column :
             whole.numericColumns(request.choice.skipLines)) {
            if (!column.reachable || column.number == 0) continue;
            kavri::SeriesRequest one = request;
            one.choice.column = column.request;
            const kavri::Result<kavri::SeriesSample> read = whole.read(one);
            const std::string exact = "column " + std::to_string(column.number);
            const std::string named = exact + " \"";
            if (read.ok() && read.value().columnName != exact &&
                read.value().columnName.compare(0, named.size(), named) != 0) {
                fail("a listed column read from another one", column.number);
            }
        }
    }

    // A run without a column or sample choice reads the file this way.
    kavri::DVector series = kavri::dvector(0, request.nObservations);
    if (!kavri::readSeries(request.path, request.nObservations, series)) {
        for (int i = 0; i < request.nObservations; ++i) checkValue(series[i]);
    }
    return 0;
}
