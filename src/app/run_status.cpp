#include "app/run_status.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>

namespace kavri {

namespace {

QString fullPath(const std::filesystem::path& path) {
    return QDir::toNativeSeparators(
        QFileInfo(QString::fromStdString(path.string())).absoluteFilePath());
}

bool usedGeneticSearch(const RunSettings& used) {
    return used.model.selectModel == kSelectModelSearch && used.ga.searchMethod == kSearchGenetic;
}

}  // namespace

QStringList runStatusLines(const RunSettings& used, const RunOptions& options,
                           const RunOutcome& outcome) {
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

    QStringList lines{QStringLiteral("Series read: %1").arg(series)};
    // Every evaluation empties Residuals.txt; only the table asked for fills it.
    QString written = fullPath(options.files.residualsPath());
    if (used.ga.printResiduals != kPrintResidualsYes) {
        written += QStringLiteral(" (empty: Print Residual is No)");
    }
    if (used.model.nPredictions > 0) {
        written += QStringLiteral(", ") + fullPath(options.files.predictionsPath());
    }
    lines << QStringLiteral("Written: %1").arg(written);
    if (usedGeneticSearch(used)) {
        lines << QStringLiteral(
                     "Seed: %1 (the same seed and settings repeat this run: Seed in Parameter of "
                     "GA, or kavri-cli --seed %1)")
                     .arg(outcome.seed);
    }
    return lines;
}

}  // namespace kavri
