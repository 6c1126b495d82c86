#include "run/series_input.h"

#include <locale.h>

#include <cassert>
#include <cmath>
#include <cstdio>
#include <string>

#include "report/text_format.h"

namespace kavri {

namespace {

// The series file is written with a decimal point whatever the user's locale. A front end
// (a GUI toolkit in particular) may have switched the process to the system locale, where
// "%le" would expect a decimal comma and misread every value; so the reading runs in the
// "C" locale on this thread only and restores the thread's previous locale afterwards.
class ClassicNumericLocale {
 public:
    ClassicNumericLocale() : classic_(newlocale(LC_NUMERIC_MASK, "C", nullptr)) {
        if (classic_ != nullptr) {
            previous_ = uselocale(classic_);
        }
    }
    ClassicNumericLocale(const ClassicNumericLocale&) = delete;
    ClassicNumericLocale& operator=(const ClassicNumericLocale&) = delete;
    ~ClassicNumericLocale() {
        if (classic_ != nullptr) {
            uselocale(previous_);
            freelocale(classic_);
        }
    }

 private:
    locale_t classic_;
    locale_t previous_ = nullptr;
};

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
