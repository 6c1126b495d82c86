#pragma once

// Saving charts as files: SVG through Qt Svg (text stays text, lines stay lines) or PNG at twice
// the chart's size in pixels, for sharp pictures on high-density screens and in documents.

#include <QString>
#include <QStringList>
#include <optional>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"
#include "report/run_file_set.h"

namespace kavri::charts {

enum class ImageFormat { kSvg, kPng };

// "svg" or "png".
QString fileExtension(ImageFormat format);

// `figure` at its default size as the bytes of an SVG or PNG file; false when the picture
// could not be encoded.
bool renderFigure(ChartFigure& figure, ImageFormat format, QByteArray& bytes);

// Writes `figure` at its default size to `path` (as every result file is written: see
// report/output_files.h). Empty on success, otherwise the reason ("could not write
// charts/fit.svg: Permission denied").
std::optional<QString> saveFigure(ChartFigure& figure, const QString& path, ImageFormat format);

struct WrittenCharts {
    QStringList paths;             // the files written, in the order of kCharts
    std::optional<QString> error;  // the first failure; nothing after it is written
};

// Writes every chart that applies to `input` into `directory` (created when missing, with its
// parents) as <stem>.svg or <stem>.png, replacing files of those names, and removes the chart
// files an earlier run left there that this one does not write (a chart that does not apply,
// or the other format), so that the folder holds one run's charts. All are kept in `set`, to be
// committed with the run's other files; `paths` are then the files that will be written.
WrittenCharts writeCharts(const ChartInput& input, const QString& directory, ImageFormat format,
                          RunFileSet& set);
// The same, committed at once.
WrittenCharts writeCharts(const ChartInput& input, const QString& directory, ImageFormat format);

}  // namespace kavri::charts
