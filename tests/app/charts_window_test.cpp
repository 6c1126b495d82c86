// The charts window: opened from the main window, redrawn after every run, one tab per chart
// that applies, and each chart saved as SVG or PNG.

#include "app/charts_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "app/figure_view.h"
#include "app/forecast_dlg.h"
#include "app/kavri_dlg.h"
#include "app/par_kavri_dlg.h"

using namespace kavri;

namespace {

// A two-regime autoregression, 130 values with six decimals: 120 to fit, 10 held out. Returns
// the values as written, so that thresholds typed from them are values of the series.
QStringList writeSeries(const QString& path) {
    QStringList written;
    double x = 0.1;
    unsigned state = 777u;
    for (int t = 0; t < 130; ++t) {
        state = state * 1103515245u + 12345u;
        const double shock = static_cast<double>((state >> 16) & 0x7fff) / 32767.0 - 0.5;
        x = (x < 0.0 ? 0.6 * x : -0.4 * x) + shock;
        written << QString::asprintf("%.6f", x);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.write(written.join(QLatin1Char('\n')).toLatin1() + "\n");
    return written;
}

// The model dialog filled for a run at the value of rank 60 among the first 120.
KavriDlg::ModalRunner oneThreshold(const QString& path, const QStringList& series,
                                   int predictions) {
    QStringList fitted = series.mid(0, 120);
    std::sort(fitted.begin(), fitted.end(),
              [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
    const QString threshold = fitted[60];
    return [=](QDialog& dialog) {
        auto* model = qobject_cast<ParKavriDlg*>(&dialog);
        QVERIFY(model != nullptr);
        model->findChild<QLineEdit*>("seriesPathEdit")->setText(path);
        model->findChild<QLineEdit*>("nObservationsEdit")->setText("120");
        model->findChild<QLineEdit*>("maxOrderEdit")->setText("3");
        model->findChild<QRadioButton*>("selectModelYes")->setChecked(true);
        model->findChild<QLineEdit*>("nThresholdsEdit")->setText("1");
        model->findChild<QLineEdit*>("threshold1Edit")->setText(threshold);
        model->findChild<QLineEdit*>("nPredictionsEdit")->setText(QString::number(predictions));
        model->accept();
    };
}

QStringList tabTitles(const ChartsWindow& window) {
    QStringList titles;
    for (int i = 0; i < window.tabs()->count(); ++i) {
        titles << window.tabs()->tabText(i);
    }
    return titles;
}

}  // namespace

class ChartsWindowTest : public QObject {
    Q_OBJECT

 private slots:
    void init();
    void chartsButtonOpensTheWindowAndEveryRunRedrawsIt();
    void eachChartSavesAsSvgOrPngAtItsOwnSize();
    void contextMenuOffersBothFormatsAndTheViewFillsItsTab();
    void forecastsPastTheDataAreDrawnUntilTheNextRun();
    void fitPanelsStayAlignedInTheWindow();

 private:
    // A run at one threshold through the main window, with `predictions` values held out.
    void runOnce(KavriDlg& dialog, int predictions);

    QTemporaryDir scratch_;
    QString seriesPath_;
    QStringList series_;
};

void ChartsWindowTest::init() {
    QVERIFY(scratch_.isValid());
    seriesPath_ = scratch_.filePath("two_regimes.txt");
    series_ = writeSeries(seriesPath_);
}

void ChartsWindowTest::runOnce(KavriDlg& dialog, int predictions) {
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    options.profileThresholds = true;
    dialog.setRunOptions(options);
    dialog.setNoticeHandler([](const Notice& notice) { QFAIL(notice.text.c_str()); });
    dialog.setModalRunner(oneThreshold(seriesPath_, series_, predictions));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QVERIFY(dialog.lastOutcome().model.available);
}

void ChartsWindowTest::chartsButtonOpensTheWindowAndEveryRunRedrawsIt() {
    KavriDlg dialog;
    dialog.show();
    QVERIFY(dialog.chartsWindow() == nullptr);
    QTest::mouseClick(dialog.findChild<QPushButton*>("chartsButton"), Qt::LeftButton);
    ChartsWindow* window = dialog.chartsWindow();
    QVERIFY(window != nullptr);
    QVERIFY(window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Kavri charts"));
    // Before any run: a note, and nothing to save.
    auto* pages = window->findChild<QStackedWidget*>();
    QCOMPARE(pages->currentWidget(), window->findChild<QLabel*>("noChartsNote"));
    QVERIFY(!window->findChild<QPushButton*>("saveChartButton")->isEnabled());

    runOnce(dialog, 10);
    QCOMPARE(pages->currentWidget(), window->tabs());
    QCOMPARE(tabTitles(*window),
             (QStringList{"Series and regimes", "Lag plot", "Fit", "Residual autocorrelation",
                          "Ljung-Box p values", "Forecasts"}));
    QVERIFY(window->findChild<QPushButton*>("saveChartButton")->isEnabled());

    // Without held-out values there are no forecasts; the chart in front stays in front.
    window->tabs()->setCurrentIndex(2);
    runOnce(dialog, 0);
    QCOMPARE(tabTitles(*window), (QStringList{"Series and regimes", "Lag plot", "Fit",
                                              "Residual autocorrelation", "Ljung-Box p values"}));
    QCOMPARE(window->tabs()->currentIndex(), 2);

    // A second click brings back the same window.
    window->hide();
    QTest::mouseClick(dialog.findChild<QPushButton*>("chartsButton"), Qt::LeftButton);
    QCOMPARE(dialog.chartsWindow(), window);
    QVERIFY(window->isVisible());
}

void ChartsWindowTest::eachChartSavesAsSvgOrPngAtItsOwnSize() {
    KavriDlg dialog;
    runOnce(dialog, 10);
    dialog.openCharts();
    ChartsWindow* window = dialog.chartsWindow();
    window->resize(500, 400);  // the saved picture does not depend on the window

    const QString svgPath = scratch_.filePath("lag.svg");
    const QString pngPath = scratch_.filePath("LAG.PNG");
    QVERIFY(!window->saveChart(1, svgPath).has_value());
    QVERIFY(!window->saveChart(1, pngPath).has_value());
    QFile svg(svgPath);
    QVERIFY(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    QVERIFY(text.startsWith("<?xml"));
    QVERIFY(text.contains("<title>Lag plot</title>"));
    const QImage png(pngPath);
    QVERIFY(!png.isNull());
    QCOMPARE(png.size(), QSize(1520, 1280));  // twice the lag plot's 760 x 640

    const QString nowhere = scratch_.filePath("missing/fit.svg");
    const std::optional<QString> error = window->saveChart(2, nowhere);
    QVERIFY(error.has_value());
    QVERIFY2(error->startsWith(QStringLiteral("could not write %1: ").arg(nowhere)),
             qPrintable(*error));
}

void ChartsWindowTest::contextMenuOffersBothFormatsAndTheViewFillsItsTab() {
    KavriDlg dialog;
    runOnce(dialog, 10);
    dialog.openCharts();
    ChartsWindow* window = dialog.chartsWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    auto* view = qobject_cast<FigureView*>(window->tabs()->currentWidget());
    QVERIFY(view != nullptr);
    // The chart in front fills its tab as soon as the window is shown, not only after a resize.
    QCOMPARE(view->figure().panel(0)->geometry().width(),
             static_cast<double>(view->viewport()->width()));
    QCOMPARE(view->saveActions().size(), 2);
    QCOMPARE(view->saveActions()[0]->text(), QStringLiteral("Save as SVG..."));
    QCOMPARE(view->saveActions()[1]->text(), QStringLiteral("Save as PNG..."));
    // "Save as PNG..." offers PNG first; a name typed without extension takes the format chosen.
    QStringList offered;
    const QString chosen = scratch_.filePath("regimes");
    window->setSavePathChooser(
        [&](const QString& suggested, const QStringList& filters, QString& selected) {
            offered << QFileInfo(suggested).fileName() << filters;
            selected = filters[0];
            return chosen;
        });
    QSignalSpy requests(view, &FigureView::saveRequested);
    view->saveActions()[1]->trigger();
    QCOMPARE(requests.size(), 1);
    QCOMPARE(offered, (QStringList{"series.png", "PNG picture (*.png)", "SVG picture (*.svg)"}));
    QVERIFY(!QImage(chosen + ".png").isNull());

    // "Save..." offers SVG first; cancelling writes nothing.
    offered.clear();
    window->setSavePathChooser([&](const QString& suggested, const QStringList& filters, QString&) {
        offered << QFileInfo(suggested).fileName() << filters;
        return QString();
    });
    QTest::mouseClick(window->findChild<QPushButton*>("saveChartButton"), Qt::LeftButton);
    QCOMPARE(offered, (QStringList{"series.svg", "SVG picture (*.svg)", "PNG picture (*.png)"}));
    QVERIFY(!QFile::exists(scratch_.filePath("series.svg")));

    window->resize(1100, 760);
    QTest::qWait(20);
    QCOMPARE(view->figure().panel(0)->geometry().width(),
             static_cast<double>(view->viewport()->width()));
}

// Forecasts made in the window "Forecasts" reach the open charts window with their intervals
// (levels as shares), and the next run, whose model made none, takes them away.
void ChartsWindowTest::forecastsPastTheDataAreDrawnUntilTheNextRun() {
    KavriDlg dialog;
    runOnce(dialog, 10);
    dialog.openCharts();
    ChartsWindow* window = dialog.chartsWindow();
    QVERIFY(!window->input().forecasts.has_value());

    dialog.setModalRunner([](QDialog& shown) {
        auto* forecasts = qobject_cast<ForecastDlg*>(&shown);
        QVERIFY(forecasts != nullptr);
        forecasts->findChild<QSpinBox*>("horizonSpin")->setValue(4);
        forecasts->makeForecasts();
        QVERIFY(forecasts->outcome().has_value());
    });
    dialog.openForecasts();
    const std::optional<charts::ForecastPath>& drawn = window->input().forecasts;
    QVERIFY(drawn.has_value());
    QCOMPARE(drawn->point.size(), std::size_t{4});
    QCOMPARE(drawn->intervals.size(), std::size_t{2});
    QCOMPARE(drawn->intervals[0].level, 0.8);
    QCOMPARE(drawn->intervals[1].level, 0.95);
    for (std::size_t h = 0; h < 4; ++h) {
        QVERIFY(drawn->intervals[1].lower[h] <= drawn->intervals[0].lower[h]);
        QVERIFY(drawn->intervals[0].upper[h] <= drawn->intervals[1].upper[h]);
    }
    QCOMPARE(tabTitles(*window).last(), QStringLiteral("Forecasts"));

    runOnce(dialog, 10);
    QVERIFY(!window->input().forecasts.has_value());
}

// The left edge of the plot area of `panel` as drawn: the first column that is dark over most
// of the plot's height (the axis line; tick labels are short).
int drawnLeftEdge(const QImage& image, const QRectF& plot) {
    const int top = static_cast<int>(plot.top()) + 2;
    const int bottom = static_cast<int>(plot.bottom()) - 2;
    for (int x = 0; x < image.width(); ++x) {
        int dark = 0;
        for (int y = top; y < bottom; ++y) {
            dark += qGray(image.pixel(x, y)) < 240 ? 1 : 0;
        }
        if (dark > 0.9 * (bottom - top)) {
            return x;
        }
    }
    return -1;
}

// The two panels of the fit chart share one time axis; their plot areas line up also when the
// tick labels of the residuals are wider than those of the values, in the window as in a file.
void ChartsWindowTest::fitPanelsStayAlignedInTheWindow() {
    // The same series shifted up: its values' labels (2.5, 3) are narrower than the residuals'
    // (-0.5).
    QStringList shifted;
    for (const QString& value : series_) {
        shifted << QString::asprintf("%.6f", value.toDouble() + 3.0);
    }
    QFile file(seriesPath_);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(shifted.join(QLatin1Char('\n')).toLatin1() + "\n");
    file.close();
    series_ = shifted;
    KavriDlg dialog;
    runOnce(dialog, 10);
    dialog.openCharts();
    ChartsWindow* window = dialog.chartsWindow();
    window->resize(1000, 680);
    for (int i = 0; i < window->tabs()->count(); ++i) {
        window->tabs()->setCurrentIndex(i);
        QApplication::processEvents();
        auto* view = qobject_cast<FigureView*>(window->tabs()->widget(i));
        const charts::ChartFigure& figure = view->figure();
        if (figure.name() != QStringLiteral("fit")) continue;
        const QImage image = view->grab().toImage();
        const int top = drawnLeftEdge(image, figure.panel(0)->plotArea());
        const int bottom = drawnLeftEdge(image, figure.panel(1)->plotArea());
        QVERIFY(top > 0);
        QCOMPARE(top, bottom);
        QVERIFY(std::abs(top - static_cast<int>(figure.panel(0)->plotArea().left())) <= 1);
        return;
    }
    QFAIL("no fit chart");
}

QTEST_MAIN(ChartsWindowTest)
#include "charts_window_test.moc"
