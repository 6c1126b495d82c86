#include "app/charts_window.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/figure_view.h"
#include "charts/chart_catalogue.h"

namespace kavri {

namespace {

QString fileFilter(charts::ImageFormat format) {
    return format == charts::ImageFormat::kSvg ? QStringLiteral("SVG picture (*.svg)")
                                               : QStringLiteral("PNG picture (*.png)");
}

}  // namespace

ChartsWindow::ChartsWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChartsWindow"));
    setWindowTitle(QString::fromUtf8(kChartsCaption));
    // A window of its own beside the main one, with the usual frame to resize and maximise it.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setModal(false);
    lastDirectory_ = QDir::currentPath();
    chooseSavePath_ = [this](const QString& suggested, const QStringList& filters,
                             QString& selected) {
        return QFileDialog::getSaveFileName(
            this,
            QStringLiteral("Save the chart \"%1\"").arg(tabs_->tabText(tabs_->currentIndex())),
            suggested, filters.join(QStringLiteral(";;")), &selected);
    };

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("chartTabs"));
    emptyNote_ = new QLabel(QString::fromUtf8(kNoChartsText), this);
    emptyNote_->setObjectName(QStringLiteral("noChartsNote"));
    emptyNote_->setAlignment(Qt::AlignCenter);
    emptyNote_->setWordWrap(true);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(emptyNote_);
    pages_->addWidget(tabs_);

    saveButton_ = new QPushButton(QStringLiteral("Save..."), this);
    saveButton_->setObjectName(QStringLiteral("saveChartButton"));
    saveButton_->setToolTip(QStringLiteral("Save the chart shown as an SVG or PNG picture"));
    saveButton_->setEnabled(false);
    auto* closeButton = new QPushButton(QStringLiteral("Close"), this);
    closeButton->setObjectName(QStringLiteral("closeChartsButton"));
    connect(saveButton_, &QPushButton::clicked, this, &ChartsWindow::saveCurrentChart);
    connect(closeButton, &QPushButton::clicked, this, &ChartsWindow::close);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(saveButton_);
    buttons->addWidget(closeButton);
    auto* whole = new QVBoxLayout(this);
    whole->addWidget(pages_, 1);
    whole->addLayout(buttons);
    resize(980, 660);
}

ChartsWindow::~ChartsWindow() {
    // The views show the figures' scenes: they go first.
    delete tabs_;
    tabs_ = nullptr;
}

void ChartsWindow::showCharts(const charts::ChartInput& input) {
    const int shown = tabs_->currentIndex();
    while (tabs_->count() > 0) {
        QWidget* page = tabs_->widget(0);
        tabs_->removeTab(0);
        delete page;
    }
    input_ = input;
    figures_ = charts::buildCharts(input_);
    for (std::size_t i = 0; i < figures_.size(); ++i) {
        auto* view = new FigureView(*figures_[i], tabs_);
        const int index = static_cast<int>(i);
        connect(view, &FigureView::saveRequested, this,
                [this, index](charts::ImageFormat format) { saveWithDialog(index, format); });
        tabs_->addTab(view, figures_[i]->title());
    }
    // The same chart stays in front from one run to the next, where the new run has it.
    if (shown >= 0 && shown < tabs_->count()) {
        tabs_->setCurrentIndex(shown);
    }
    pages_->setCurrentWidget(figures_.empty() ? static_cast<QWidget*>(emptyNote_) : tabs_);
    saveButton_->setEnabled(!figures_.empty());
}

std::optional<QString> ChartsWindow::saveChart(int index, const QString& path) const {
    const bool png =
        QFileInfo(path).suffix().compare(QStringLiteral("png"), Qt::CaseInsensitive) == 0;
    // Saved from a figure of its own at the chart's size, whatever the window's size.
    const std::unique_ptr<charts::ChartFigure> figure =
        charts::buildChart(figures_[index]->kind(), input_);
    return charts::saveFigure(*figure, path,
                              png ? charts::ImageFormat::kPng : charts::ImageFormat::kSvg);
}

void ChartsWindow::saveCurrentChart() {
    if (tabs_->currentIndex() >= 0 && !figures_.empty()) {
        saveWithDialog(tabs_->currentIndex(), charts::ImageFormat::kSvg);
    }
}

void ChartsWindow::saveWithDialog(int index, charts::ImageFormat format) {
    const charts::ImageFormat other =
        format == charts::ImageFormat::kSvg ? charts::ImageFormat::kPng : charts::ImageFormat::kSvg;
    QString selected = fileFilter(format);
    const QString suggested =
        QDir(lastDirectory_)
            .filePath(figures_[index]->name() + QLatin1Char('.') + charts::fileExtension(format));
    QString path = chooseSavePath_(suggested, {fileFilter(format), fileFilter(other)}, selected);
    if (path.isEmpty()) {
        return;
    }
    // A name without an extension takes the one of the chosen format.
    if (QFileInfo(path).suffix().isEmpty()) {
        const bool png = selected == fileFilter(charts::ImageFormat::kPng);
        path += png ? QStringLiteral(".png") : QStringLiteral(".svg");
    }
    lastDirectory_ = QFileInfo(path).absolutePath();
    if (std::optional<QString> error = saveChart(index, path)) {
        QMessageBox::warning(this, QString::fromUtf8(kChartsCaption),
                             QStringLiteral("The chart was not saved: %1.").arg(*error));
    }
}

}  // namespace kavri
