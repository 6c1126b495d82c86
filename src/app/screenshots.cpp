#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QRadioButton>
#include <QTabWidget>
#include <cstdio>

#include "app/about_dlg.h"
#include "app/charts_window.h"
#include "app/figure_view.h"
#include "app/forecast_dlg.h"
#include "app/kavri_dlg.h"
#include "app/par_gen_alg_dlg.h"
#include "app/par_kavri_dlg.h"

namespace kavri {

namespace {

bool savePixmap(const QPixmap& picture, const QDir& directory, const QString& name) {
    const QString path = directory.filePath(name);
    if (!picture.save(path, "PNG")) {
        std::fprintf(stderr, "kavri: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool savePicture(QWidget& window, const QDir& directory, const QString& name) {
    window.show();
    QApplication::processEvents();
    const bool saved = savePixmap(window.grab(), directory, name);
    window.hide();
    return saved;
}

// The window with a notice's message box over its middle. Without a window manager the box has
// no frame, so its caption is drawn as a title bar above it.
QPixmap withNoticeBox(QWidget& window, const Notice& notice) {
    std::unique_ptr<QMessageBox> box = makeNoticeBox(notice, &window);
    box->show();
    QApplication::processEvents();
    QPixmap picture = window.grab();
    const QPixmap content = box->grab();
    box->hide();

    QPainter painter(&picture);
    const int titleHeight = painter.fontMetrics().height() + 8;
    const QRect frame((picture.width() - content.width()) / 2,
                      (picture.height() - content.height() - titleHeight) / 2, content.width(),
                      content.height() + titleHeight);
    const QPalette palette = window.palette();
    painter.fillRect(frame.x(), frame.y(), frame.width(), titleHeight,
                     palette.color(QPalette::Highlight));
    painter.setPen(palette.color(QPalette::HighlightedText));
    painter.drawText(QRect(frame.x() + 8, frame.y(), frame.width() - 16, titleHeight),
                     Qt::AlignVCenter | Qt::AlignLeft, box->windowTitle());
    painter.drawPixmap(frame.x(), frame.y() + titleHeight, content);
    painter.setPen(palette.color(QPalette::Shadow));
    painter.drawRect(frame.adjusted(0, 0, -1, -1));
    return picture;
}

// Accepts the model dialog after typing `edits` (field name, text) into it.
KavriDlg::ModalRunner typeAndAccept(QList<QPair<QString, QString>> edits,
                                    QString radioButton = QString()) {
    return [edits, radioButton](QDialog& dialog) {
        for (const auto& [name, text] : edits) {
            dialog.findChild<QLineEdit*>(name)->setText(text);
        }
        if (!radioButton.isEmpty()) {
            dialog.findChild<QRadioButton*>(radioButton)->setChecked(true);
        }
        dialog.accept();
    };
}

void reportNotice(const Notice& notice) {
    std::fprintf(stderr, "kavri: %s: %s\n", notice.caption.c_str(), notice.text.c_str());
}

// Every tab of the charts window of the run just made, as <prefix><chart>.png.
bool saveChartTabs(KavriDlg& main, const QDir& directory,
                   const QString& prefix = QStringLiteral("kavri-charts-")) {
    main.openCharts();
    ChartsWindow& charts = *main.chartsWindow();
    charts.resize(1000, 680);
    bool saved = true;
    for (int i = 0; i < charts.tabs()->count() && saved; ++i) {
        charts.tabs()->setCurrentIndex(i);
        const auto* view = qobject_cast<const FigureView*>(charts.tabs()->widget(i));
        const QString name = prefix + view->figure().name() + QStringLiteral(".png");
        saved = savePicture(charts, directory, name);
    }
    charts.hide();
    return saved;
}

}  // namespace

int takeScreenshots(const QString& directory, std::uint32_t seed) {
    QDir target(directory);
    if (!target.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kavri: could not create %s\n", qPrintable(directory));
        return 1;
    }

    KavriDlg main;
    RunOptions options;
    options.seed = seed;
    main.setRunOptions(options);
    main.setNoticeHandler(reportNotice);
    // The offscreen screen is small; the pictures show the window at its natural size.
    main.resize(main.preferredSize());
    main.show();
    QApplication::processEvents();
    main.runModelOnce();
    if (main.lastOutcome().notice) {
        return kNoticeExitStatus;
    }
    if (!savePicture(main, target, QStringLiteral("kavri-main.png")) ||
        !saveChartTabs(main, target)) {
        return 1;
    }
    // The same window as a 1366x768 laptop screen with a panel leaves it.
    const QSize size = main.size();
    main.resize(QSize(1366, 700).expandedTo(main.minimumSize()));
    if (!savePicture(main, target, QStringLiteral("kavri-main-1366x768.png"))) {
        return 1;
    }
    main.resize(size);
    // Forecasts of that model: twenty steps past the returns, 10,000 bootstrap paths.
    ForecastDlg forecasts(main.lastOutcome().model, options.files);
    forecasts.makeForecasts();
    if (!savePicture(forecasts, target, QStringLiteral("kavri-forecasts.png"))) {
        return 1;
    }

    // A regime of fourteen lags: the exact search with orders up to 15 and every order tried.
    main.setModalRunner(typeAndAccept({{QStringLiteral("maxOrderEdit"), QStringLiteral("16")}}));
    main.openModelParameters();
    main.setModalRunner(typeAndAccept({}, QStringLiteral("searchMethodExact")));
    main.openGaParameters();
    main.show();
    main.runModelOnce();
    if (main.lastOutcome().notice) {
        return kNoticeExitStatus;
    }
    if (!savePicture(main, target, QStringLiteral("kavri-main-fourteen-lags.png"))) {
        return 1;
    }

    // A mistyped series name: the run ends with its notice and the window stays.
    main.setModalRunner(
        typeAndAccept({{QStringLiteral("seriesPathEdit"), QStringLiteral("ExchangeRates.txt")}}));
    main.openModelParameters();
    bool saved = false;
    main.setNoticeHandler([&](const Notice& notice) {
        saved =
            savePixmap(withNoticeBox(main, notice), target, QStringLiteral("kavri-run-error.png"));
    });
    main.show();
    main.runModelOnce();
    main.hide();
    if (!saved) {
        return 1;
    }

    // The dialogs as first opened: the genetic one marks the starting values that the run does
    // not use until OK is pressed.
    ParKavriDlg model;
    model.setValuesInForce(modelPrefill());
    ParGenAlgDlg ga;
    ga.setValuesInForce(gaRunDefaults());
    AboutDlg about;
    saved = savePicture(model, target, QStringLiteral("kavri-model-parameters.png")) &&
            savePicture(ga, target, QStringLiteral("kavri-ga-parameters.png")) &&
            savePicture(about, target, QStringLiteral("kavri-about.png"));
    if (!saved) {
        return 1;
    }

    // A dated table: the yearly lynx trappings, its log10 column, the most recent 110 years;
    // the model dialog previews the file, and the charts read in its years.
    KavriDlg dated;
    dated.setRunOptions(options);
    dated.setNoticeHandler(reportNotice);
    dated.resize(dated.preferredSize());
    bool previewed = false;
    dated.setModalRunner([&](QDialog& dialog) {
        auto& lynx = static_cast<ParKavriDlg&>(dialog);
        dialog.findChild<QLineEdit*>(QStringLiteral("seriesPathEdit"))
            ->setText(QStringLiteral("lynx.csv"));
        dialog.findChild<QLineEdit*>(QStringLiteral("nObservationsEdit"))
            ->setText(QStringLiteral("100"));
        dialog.findChild<QLineEdit*>(QStringLiteral("nPredictionsEdit"))
            ->setText(QStringLiteral("10"));
        dialog.findChild<QRadioButton*>(QStringLiteral("sampleMostRecent"))->setChecked(true);
        lynx.refreshPreview();
        previewed = savePicture(dialog, target, QStringLiteral("kavri-model-parameters-lynx.png"));
        dialog.accept();
    });
    dated.openModelParameters();
    dated.setModalRunner(typeAndAccept({}, QStringLiteral("searchMethodExact")));
    dated.openGaParameters();
    dated.show();
    dated.runModelOnce();
    if (!previewed || dated.lastOutcome().notice) {
        return 1;
    }
    // Ten years past the data, drawn in the forecasts chart.
    dated.setModalRunner([&](QDialog& dialog) {
        static_cast<ForecastDlg&>(dialog).makeForecasts();
        dialog.accept();
    });
    dated.openForecasts();
    saved = savePicture(dated, target, QStringLiteral("kavri-main-lynx.png")) &&
            saveChartTabs(dated, target, QStringLiteral("kavri-charts-lynx-"));
    return saved ? 0 : 1;
}

}  // namespace kavri
