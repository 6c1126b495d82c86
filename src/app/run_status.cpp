#include "app/run_status.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>

#include "inference/coefficient_table.h"
#include "inference/fit_statistics.h"
#include "model/classic_numeric_locale.h"
#include "report/result_files.h"
#include "report/statistics_text.h"

namespace kavri {

namespace {

QString fullPath(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(
        QFileInfo(QString::fromStdString(path.string())).absoluteFilePath());
}

bool usedGeneticSearch(const RunSettings& used) {
    return used.model.selectModel == kSelectModelSearch && used.ga.searchMethod == kSearchGenetic;
}

// Where the values fitted stand in the file: "column 2 \"lynx\", values 1 to 114 of 114
// (1821 to 1934)".
QString sampleDescription(const SeriesSample& sample) {
    if (sample.values.empty()) {
        return QString();
    }
    const int first = sample.firstElement;
    const int last = first + static_cast<int>(sample.values.size()) - 1;
    QString text =
        QStringLiteral("values %1 to %2 of %3").arg(first).arg(last).arg(sample.fileValues);
    if (!sample.columnName.empty()) {
        text = QString::fromStdString(sample.columnName) + QStringLiteral(", ") + text;
    }
    if (!sample.labels.empty() && !sample.labels.front().empty()) {
        text += QStringLiteral(" (%1 to %2)")
                    .arg(QString::fromStdString(sample.labels.front()),
                         QString::fromStdString(sample.labels.back()));
    }
    return QStringLiteral(", ") + text;
}

}  // namespace

std::string inDesktopWords(std::string text) {
    // Longest first, so that a list of options is replaced before its parts.
    static const std::pair<const char*, const char*> kWords[] = {
        {"--skip, --last", "Data in Parameter of Model: skip values, or the most recent values"},
        {"--skip, --n-observations or --n-predictions",
         "the skipped values, N. Observation or N. Prediction"},
        {"--n-observations or --n-predictions", "N. Observation or N. Prediction"},
        {"--column", "Column in Parameter of Model"},
        {"--max-order", "Max Order AR"},
        {"--orders", "Orders"},
        {"--lags", "Lags"},
        {"--forecast", "Steps ahead"},
    };
    for (const auto& [option, field] : kWords) {
        for (std::size_t at = text.find(option); at != std::string::npos;
             at = text.find(option, at + std::char_traits<char>::length(field))) {
            text.replace(at, std::char_traits<char>::length(option), field);
        }
    }
    return text;
}

QStringList runStatusLines(const RunSettings& used, const RunOutcome& outcome) {
    const QString series = fullPath(used.model.seriesPath);
    if (outcome.notice) {
        QStringList lines{QStringLiteral("Series: %1").arg(series),
                          QStringLiteral("The run ended without a result: %1")
                              .arg(QString::fromStdString(outcome.notice->text).trimmed())};
        if (!outcome.notice->detail.empty()) {
            lines << QString::fromStdString(outcome.notice->detail).trimmed();
        }
        return lines;
    }

    QStringList lines{
        QStringLiteral("Series read: %1%2").arg(series, sampleDescription(outcome.sample))};
    // The result fields do not say what chose the regime when it is not the series' own lag.
    if (outcome.model.available && !used.thresholdVariable.isOwn()) {
        const std::string& column = outcome.model.thresholdVariableText;
        lines << QStringLiteral("Threshold variable: %1")
                     .arg(QString::fromStdString(
                         column.empty()
                             ? thresholdVariableText(used.thresholdVariable, outcome.model.delay)
                             : column));
    }
    // The files this run put in place, and those of an earlier run it removed (Predictions.txt
    // when nothing is held out, Forecasts.txt of an earlier model).
    QStringList written;
    for (const std::filesystem::path& path : outcome.files.written) {
        QString line = fullPath(path);
        if (path.filename() == kResidualsFileName && used.ga.printResiduals != kPrintResidualsYes) {
            line += QStringLiteral(" (empty: Print Residual is No)");
        }
        written << line;
    }
    if (!outcome.model.available) {
        lines << QStringLiteral(
            "No model was estimated, so no result file was written: the files there are as the "
            "earlier run left them");
    }
    if (!written.isEmpty()) {
        lines << QStringLiteral("Written: %1").arg(written.join(QStringLiteral(", ")));
    }
    QStringList removed;
    for (const std::filesystem::path& path : outcome.files.removed) {
        removed << fullPath(path);
    }
    if (!removed.isEmpty()) {
        lines << QStringLiteral("Removed (an earlier run's, not produced by this run): %1")
                     .arg(removed.join(QStringLiteral(", ")));
    }
    if (usedGeneticSearch(used)) {
        lines << QStringLiteral(
                     "Seed: %1 (the same seed and settings repeat this run: Seed in Parameter of "
                     "GA, or kavri-cli --seed %1)")
                     .arg(outcome.seed);
    }
    if (outcome.model.available) {
        // As kavri-cli warns: a regime with few observations per parameter.
        const ClassicNumericLocale classic;
        const FitStatistics fit = fitStatistics(
            outcome.model, coefficientTable(outcome.model, StandardErrorKind::kClassical));
        QStringList sparse;
        for (const SparseRegime& regime : fit.sparseRegimes) {
            sparse << QString::fromStdString(sparseRegimeText(regime));
        }
        if (!sparse.isEmpty()) {
            lines << QStringLiteral(
                         "Warning: %1, fewer than three per parameter: its estimates are "
                         "unreliable")
                         .arg(sparse.join(QStringLiteral("; ")));
        }
    }
    return lines;
}

}  // namespace kavri
