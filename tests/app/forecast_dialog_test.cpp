// The "Forecasts" window: its controls and defaults, the table it shows, the file it writes
// and a file that cannot be written.

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "app/forecast_dlg.h"
#include "forecast/multi_step_forecast.h"

using namespace kavri;

namespace {

// x[t] = 1 + 0.5 x[t-1] below 2, 3 - 0.5 x[t-1] from 2 on; 8 values fitted, 2 held out.
ReportedModel twoRegimeModel() {
    ReportedModel model;
    model.available = true;
    model.thresholds = {2.0};
    model.regimes = {{1, {1.0, 0.5}, 3, 0.04, 0.5}, {1, {3.0, -0.5}, 4, 0.09, 0.5}};
    model.delay = 1;
    model.maxOrder = 2;
    model.series = {1.5, 1.8, 2.1, 1.9, 2.0, 2.2, 1.7, 1.9, 2.05, 1.95};
    model.regimeOfObservation = {-1, 0, 0, 1, 0, 1, 1, 0};
    model.residuals = {0.0, 0.05, 0.2, -0.15, 0.05, 0.2, -0.2, -0.15};
    return model;
}

QStringList headers(const QTableWidget& table) {
    QStringList names;
    for (int c = 0; c < table.columnCount(); ++c) {
        names << table.horizontalHeaderItem(c)->text();
    }
    return names;
}

}  // namespace

class ForecastDialogTest : public QObject {
    Q_OBJECT

 private slots:
    void defaultsAreTwentyStepsOfTenThousandBootstrapPaths();
    void forecastShowsTheTableOfForecastsTxtAndWritesIt();
    void theSkeletonHasNoPathsSeedOrBands();
    void aFileThatCannotBeWrittenIsAMessage();
    void levelsAreChosenAndTheFileWrittenIsNamed();
    void anExogenousThresholdVariableLimitsTheStepsAhead();
    void datesOfTheStepsAndOfTheHeldOutValuesInBothTables();

 private:
    QTemporaryDir scratch_;
};

void ForecastDialogTest::defaultsAreTwentyStepsOfTenThousandBootstrapPaths() {
    ForecastDlg dialog(twoRegimeModel(), ResultFiles{});
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Forecasts"));
    auto* horizon = dialog.findChild<QSpinBox*>("horizonSpin");
    QCOMPARE(horizon->value(), 20);
    QCOMPARE(horizon->minimum(), 1);
    QCOMPARE(horizon->maximum(), 1000);
    auto* paths = dialog.findChild<QSpinBox*>("pathsSpin");
    QCOMPARE(paths->value(), 10000);
    QCOMPARE(paths->minimum(), 100);
    QCOMPARE(paths->maximum(), 1000000);
    QCOMPARE(dialog.findChild<QComboBox*>("methodCombo")->currentIndex(),
             int(ForecastMethod::kBootstrap));
    QVERIFY(!dialog.outcome().has_value());
    QCOMPARE(dialog.findChild<QTableWidget*>("forecastTable")->rowCount(), 0);
}

void ForecastDialogTest::forecastShowsTheTableOfForecastsTxtAndWritesIt() {
    ResultFiles files;
    files.directory = QDir(scratch_.path()).filesystemPath();
    ForecastDlg dialog(twoRegimeModel(), files);
    dialog.findChild<QSpinBox*>("horizonSpin")->setValue(6);
    dialog.findChild<QSpinBox*>("pathsSpin")->setValue(500);
    QTest::mouseClick(dialog.findChild<QPushButton*>("forecastButton"), Qt::LeftButton);

    QVERIFY(dialog.outcome().has_value());
    const ForecastResult& forecasts = dialog.outcome()->forecasts;
    QCOMPARE(forecasts.horizon(), 6);
    QCOMPARE(forecasts.nPaths, 500);
    QCOMPARE(forecasts.seed, std::uint64_t{1});
    auto* table = dialog.findChild<QTableWidget*>("forecastTable");
    QCOMPARE(table->rowCount(), 6);
    QCOMPARE(headers(*table),
             QStringList({"Step", "Forecast", "Median", "Lo80", "Hi80", "Lo95", "Hi95"}));
    QCOMPARE(table->item(5, 0)->text(), QStringLiteral("6"));
    QCOMPARE(table->item(5, 1)->text(), QString::number(forecasts.point[5], 'f', 6));
    QCOMPARE(table->item(5, 6)->text(), QString::number(forecasts.intervals[1].upper[5], 'f', 6));
    QVERIFY(QFile::exists(scratch_.filePath("Forecasts.txt")));
    QVERIFY(dialog.findChild<QLabel*>("checkLabel")
                ->text()
                .startsWith("Check on the 2 held-out values"));

    // The same seed again: the same numbers.
    const std::vector<double> first = forecasts.point;
    QTest::mouseClick(dialog.findChild<QPushButton*>("forecastButton"), Qt::LeftButton);
    QCOMPARE(dialog.outcome()->forecasts.point, first);
}

void ForecastDialogTest::theSkeletonHasNoPathsSeedOrBands() {
    ResultFiles files;
    files.directory = QDir(scratch_.path()).filesystemPath();
    ForecastDlg dialog(twoRegimeModel(), files);
    dialog.findChild<QComboBox*>("methodCombo")->setCurrentIndex(int(ForecastMethod::kSkeleton));
    QVERIFY(!dialog.findChild<QSpinBox*>("pathsSpin")->isEnabled());
    QVERIFY(!dialog.findChild<QSpinBox*>("seedSpin")->isEnabled());
    dialog.makeForecasts();
    auto* table = dialog.findChild<QTableWidget*>("forecastTable");
    QCOMPARE(headers(*table), QStringList({"Step", "Forecast"}));
    QCOMPARE(table->rowCount(), 20);
    // From x[9] = 1.95: 1 + 0.5 * 1.95.
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("1.975000"));
}

void ForecastDialogTest::aFileThatCannotBeWrittenIsAMessage() {
    ResultFiles files;
    files.directory = QDir(scratch_.filePath("missing")).filesystemPath();
    ForecastDlg dialog(twoRegimeModel(), files);
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    dialog.makeForecasts();
    QCOMPARE(notices.size(), std::size_t{1});
    QVERIFY(notices[0].text.find("Forecasts.txt could not be opened for writing") !=
            std::string::npos);
    QVERIFY(!dialog.outcome().has_value());
}

// The regime of a step past the data needs z at that step less the delay: beyond what the
// file gives, the forecasts are refused with the core's reason in the window's words.
void ForecastDialogTest::anExogenousThresholdVariableLimitsTheStepsAhead() {
    ReportedModel model = twoRegimeModel();
    model.thresholdVariable = ThresholdVariableKind::kColumn;
    model.thresholdSeries = {1.0, 2.5, 1.5, 2.5, 1.0, 2.5, 1.5, 1.0, 2.5, 1.5};
    model.thresholdFuture = {2.5, 1.0};
    const int known = knownForecastSteps(model, static_cast<int>(model.series.size()));
    QCOMPARE(known, 3);
    ResultFiles files;
    files.directory = scratch_.path().toStdString();
    ForecastDlg dialog(model, files);
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    dialog.findChild<QComboBox*>("methodCombo")->setCurrentIndex(int(ForecastMethod::kSkeleton));
    dialog.findChild<QSpinBox*>("horizonSpin")->setValue(20);
    QTest::mouseClick(dialog.findChild<QPushButton*>("forecastButton"), Qt::LeftButton);
    QCOMPARE(notices.size(), std::size_t{1});
    QCOMPARE(notices[0].text,
             std::string("The threshold variable is not known far enough to forecast"));
    QVERIFY2(notices[0].detail.rfind("Steps ahead 20: ", 0) == 0 &&
                 notices[0].detail.find("forecast at most 3 steps") != std::string::npos,
             notices[0].detail.c_str());
    QVERIFY(!dialog.outcome().has_value());

    dialog.findChild<QSpinBox*>("horizonSpin")->setValue(known);
    QTest::mouseClick(dialog.findChild<QPushButton*>("forecastButton"), Qt::LeftButton);
    QCOMPARE(notices.size(), std::size_t{1});
    QVERIFY(dialog.outcome().has_value());
    QCOMPARE(dialog.outcome()->forecasts.horizon(), known);
}

QTEST_MAIN(ForecastDialogTest)
#include "forecast_dialog_test.moc"

// A series with monthly dates: the forecasts carry the months past the data, and the dynamic
// check's table the months of the held-out values, as kavri-cli prints them; years keep the
// Year column; without dates neither table has one.
void ForecastDialogTest::datesOfTheStepsAndOfTheHeldOutValuesInBothTables() {
    ResultFiles files;
    files.directory = QDir(scratch_.path()).filesystemPath();
    ReportedModel monthly = twoRegimeModel();
    for (int month = 1; month <= 10; ++month) {
        monthly.labels.push_back(
            QStringLiteral("2020-%1-01").arg(month, 2, 10, QLatin1Char('0')).toStdString());
    }
    ForecastDlg dialog(monthly, files);
    auto* check = dialog.findChild<QTableWidget*>("checkTable");
    QVERIFY(check->isHidden());
    dialog.findChild<QSpinBox*>("pathsSpin")->setValue(500);
    dialog.findChild<QSpinBox*>("horizonSpin")->setValue(3);
    dialog.makeForecasts();
    QVERIFY(dialog.outcome().has_value());
    auto* table = dialog.findChild<QTableWidget*>("forecastTable");
    QCOMPARE(headers(*table).mid(0, 3), QStringList({"Step", "Date", "Forecast"}));
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("2020-11-01"));
    QCOMPARE(table->item(2, 1)->text(), QStringLiteral("2021-01-01"));

    QVERIFY(!check->isHidden());
    QCOMPARE(headers(*check),
             QStringList({"Step", "Date", "Observed", "Forecast", "Error", "RMSE", "MAE", "MAPE"}));
    QCOMPARE(check->rowCount(), 2);
    const HoldoutCheck& made = *dialog.outcome()->holdout;
    QCOMPARE(check->item(0, 1)->text(), QStringLiteral("2020-09-01"));
    QCOMPARE(check->item(1, 1)->text(), QStringLiteral("2020-10-01"));
    QCOMPARE(check->item(1, 2)->text(), QStringLiteral("1.950000"));
    QCOMPARE(check->item(1, 3)->text(), QString::number(made.forecasts.point[1], 'f', 6));
    QCOMPARE(check->item(1, 5)->text(), QString::number(made.rmse[1], 'f', 6));

    ForecastDlg plain(twoRegimeModel(), files);
    plain.findChild<QSpinBox*>("pathsSpin")->setValue(500);
    plain.makeForecasts();
    QCOMPARE(headers(*plain.findChild<QTableWidget*>("checkTable")).mid(0, 2),
             QStringList({"Step", "Observed"}));
    QCOMPARE(headers(*plain.findChild<QTableWidget*>("forecastTable")).mid(0, 2),
             QStringList({"Step", "Forecast"}));
}

void ForecastDialogTest::levelsAreChosenAndTheFileWrittenIsNamed() {
    ResultFiles files;
    files.directory = QDir(scratch_.path()).filesystemPath();
    ForecastDlg dialog(twoRegimeModel(), files);
    QStringList notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices << notice.detail.c_str(); });
    dialog.findChild<QSpinBox*>("pathsSpin")->setValue(500);
    auto* levels = dialog.findChild<QLineEdit*>("levelsEdit");
    QCOMPARE(levels->text(), QStringLiteral("80, 95"));
    for (const char* refused : {"", "100", "50, abc", "10 20 30 40 50"}) {
        levels->setText(QString::fromLatin1(refused));
        QTest::mouseClick(dialog.findChild<QPushButton*>("forecastButton"), Qt::LeftButton);
        QVERIFY2(!dialog.outcome().has_value(), refused);
    }
    QCOMPARE(notices.size(), 4);
    QVERIFY(notices.front().startsWith(QStringLiteral("Interval levels (%)")));

    levels->setText(QStringLiteral("50 99"));
    QTest::mouseClick(dialog.findChild<QPushButton*>("forecastButton"), Qt::LeftButton);
    QVERIFY(dialog.outcome().has_value());
    QCOMPARE(headers(*dialog.findChild<QTableWidget*>("forecastTable")),
             QStringList({"Step", "Forecast", "Median", "Lo50", "Hi50", "Lo99", "Hi99"}));
    // After a file of consecutive years, each step carries its year.
    ReportedModel dated = twoRegimeModel();
    for (int year = 1990; year < 2000; ++year) dated.labels.push_back(std::to_string(year));
    ForecastDlg datedDialog(dated, files);
    datedDialog.findChild<QSpinBox*>("pathsSpin")->setValue(500);
    datedDialog.findChild<QSpinBox*>("horizonSpin")->setValue(3);
    datedDialog.makeForecasts();
    auto* datedTable = datedDialog.findChild<QTableWidget*>("forecastTable");
    QCOMPARE(headers(*datedTable).mid(0, 3), QStringList({"Step", "Year", "Forecast"}));
    auto* datedCheck = datedDialog.findChild<QTableWidget*>("checkTable");
    QCOMPARE(headers(*datedCheck).mid(0, 3), QStringList({"Step", "Year", "Observed"}));
    QCOMPARE(datedCheck->item(1, 1)->text(), QStringLiteral("1999"));
    QCOMPARE(datedTable->item(2, 1)->text(), QStringLiteral("2002"));
    QCOMPARE(datedTable->item(2, 2)->text(),
             QString::number(datedDialog.outcome()->forecasts.point[2], 'f', 6));
    QCOMPARE(dialog.findChild<QLabel*>("writtenLabel")->text(),
             QStringLiteral("Written: ") +
                 QDir::toNativeSeparators(QDir(scratch_.path()).absoluteFilePath("Forecasts.txt")));
}
