#include "data/series_input.h"

#include <cassert>
#include <cmath>
#include <cstdio>
#include <string>

#include "model/text_format.h"
#include "model/classic_numeric_locale.h"

namespace kavri {

namespace {

class OpenFile {
 public:
    explicit OpenFile(const std::string& path) : file_(std::fopen(path.c_str(), "r")) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile() {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }
    std::FILE* get() const { return file_; }

 private:
    std::FILE* file_;
};

}  // namespace

MaybeNotice readSeries(const std::string& path, int count, DVector& series) {
    assert(count <= 0 || (series.allocated() && series.lo() <= 0 && series.hi() >= count - 1));

    OpenFile file(path);
    if (file.get() == nullptr) {
        return errorNotice(formatText("File %s could not be opened", path.c_str()));
    }

    ClassicNumericLocale classic;
    int nRead = 0;
    for (int i = 0; i < count; ++i) {
        double value = 0.0;
        const int converted = std::fscanf(file.get(), "%le", &value);
        if (converted == EOF) {
            // A read error is not an early end of the series: a path naming a directory
            // opens on some systems and then fails here; it is a file that cannot be read.
            if (std::ferror(file.get())) {
                return errorNotice(formatText("File %s could not be opened", path.c_str()));
            }
            break;
        }
        // "%le" also accepts "inf", "nan" and numbers that overflow to infinity; none of them
        // is an observation a regression can use.
        if (converted != 1 || !std::isfinite(value)) {
            return errorNotice(formatText("Element %d could not be read", i + 1));
        }
        series[i] = value;
        ++nRead;
    }

    if (nRead != count) {
        return errorNotice(formatText("Element of time series less of %d", count));
    }
    return std::nullopt;
}

}  // namespace kavri
