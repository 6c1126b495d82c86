#pragma once

// Saving charts as files: SVG through Qt Svg (text stays text, lines stay lines) or PNG at twice
// the chart's size in pixels, for sharp pictures on high-density screens and in documents.

#include <QString>
#include <QStringList>
#include <optional>

#include "charts/chart_figure.h"
#include "charts/chart_input.h"

namespace kavri::charts {

enum class ImageFormat { kSvg, kPng };

// "svg" or "png".
QString fileExtension(ImageFormat format);

// Writes `figure` at its default size to `path`. Empty on success, otherwise the reason
// ("could not write charts/fit.svg: Permission denied").
std::optional<QString> saveFigure(ChartFigure& figure, const QString& path, ImageFormat format);

struct WrittenCharts {
    QStringList paths;             // the files written, in the order of kCharts
    std::optional<QString> error;  // the first failure; nothing after it is written
};

// Writes every chart that applies to `input` into `directory` (created when missing, with its
// parents) as <stem>.svg or <stem>.png, replacing files of those names.
WrittenCharts writeCharts(const ChartInput& input, const QString& directory, ImageFormat format);

}  // namespace kavri::charts
