#include "data/sample_choice.h"

#include "model/text_format.h"

namespace kavri {

namespace {

std::string neededText(int nObservations, int nPredictions) {
    if (nPredictions == 0) {
        return formatText("%d fitted are needed", nObservations);
    }
    return formatText("%d fitted + %d held out are needed", nObservations, nPredictions);
}

Notice tooFewValues(const SampleSource& source, const SeriesChoice& choice, int nObservations,
                    int nPredictions) {
    std::string detail;
    if (source.fileValues == 0 && source.headerLine) {
        detail = formatText("File %s has a header line and no values", source.path.c_str());
    } else {
        detail = formatText("File %s has %d value%s", source.path.c_str(), source.fileValues,
                            source.fileValues == 1 ? "" : "s");
        if (!source.columnName.empty()) {
            detail += " in " + source.columnName;
        }
    }
    if (!choice.last && choice.skip > 0) {
        detail += formatText(
            "; after the %d skipped, %s (lower --skip, --n-observations or "
            "--n-predictions)",
            choice.skip, neededText(nObservations, nPredictions).c_str());
    } else {
        detail += "; " + neededText(nObservations, nPredictions) +
                  " (lower --n-observations or --n-predictions)";
    }
    return Notice(formatText("Element of time series less of %d", nObservations + nPredictions),
                  kErrorCaption, NoticeIcon::kStop, detail);
}

}  // namespace

Result<int> sampleStart(const SampleSource& source, const SeriesChoice& choice, int nObservations,
                        int nPredictions) {
    const long long needed = static_cast<long long>(nObservations) + nPredictions;
    const long long start = choice.last ? source.fileValues - needed : choice.skip;
    if (start < 0 || start + needed > source.fileValues) {
        return tooFewValues(source, choice, nObservations, nPredictions);
    }
    return static_cast<int>(start);
}

}  // namespace kavri
