#include "app/forecast_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>
#include <cmath>
#include <functional>

#include "app/run_status.h"
#include "model/text_format.h"
#include "report/forecasts_file.h"
#include "report/run_report.h"

namespace kavri {

namespace {

constexpr int kDefaultHorizon = 20;
constexpr int kDefaultSeed = 1;

QSpinBox* makeSpin(const QString& objectName, int minimum, int maximum, int value,
                   QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(objectName);
    spin->setRange(minimum, maximum);
    spin->setValue(value);
    spin->setGroupSeparatorShown(false);
    return spin;
}

// Up to this many interval levels, as the table has room for.
constexpr int kMostLevels = 4;

// "80, 95" or "80 95": percentages strictly between 0 and 100, at most kMostLevels of them.
std::optional<std::vector<double>> parseLevels(const QString& text) {
    QString spaced = text;
    spaced.replace(QLatin1Char(','), QLatin1Char(' ')).replace(QLatin1Char(';'), QLatin1Char(' '));
    const QStringList parts = spaced.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.isEmpty() || parts.size() > kMostLevels) {
        return std::nullopt;
    }
    std::vector<double> levels;
    for (const QString& part : parts) {
        bool ok = false;
        const double level = part.toDouble(&ok);
        if (!ok || !(level > 0.0 && level < 100.0)) {
            return std::nullopt;
        }
        levels.push_back(level);
    }
    return levels;
}

}  // namespace

ForecastDlg::ForecastDlg(const ReportedModel& model, ResultFiles files, QWidget* parent)
    : QDialog(parent), model_(model), files_(std::move(files)) {
    setObjectName(QStringLiteral("ForecastDlg"));
    setWindowTitle(QStringLiteral("Forecasts"));
    noticeHandler_ = [this](const Notice& notice) {
        QMessageBox box(QMessageBox::Warning, QString::fromStdString(notice.caption),
                        QString::fromStdString(notice.text), QMessageBox::Ok, this);
        box.setInformativeText(QString::fromStdString(notice.detail));
        box.exec();
    };
    buildLayout();
    showMethod();
}

void ForecastDlg::buildLayout() {
    horizonSpin_ = makeSpin(QStringLiteral("horizonSpin"), kMinForecastHorizon, kMaxForecastHorizon,
                            kDefaultHorizon, this);
    methodCombo_ = new QComboBox(this);
    methodCombo_->setObjectName(QStringLiteral("methodCombo"));
    // Entries in the order of the ForecastMethod enumerators.
    methodCombo_->addItems({QStringLiteral("Skeleton (no noise)"),
                            QStringLiteral("Bootstrap of the residuals"),
                            QStringLiteral("Gaussian innovations")});
    methodCombo_->setCurrentIndex(static_cast<int>(ForecastMethod::kBootstrap));
    pathsSpin_ = makeSpin(QStringLiteral("pathsSpin"), kMinForecastPaths, kMaxForecastPaths,
                          kDefaultForecastPaths, this);
    pathsSpin_->setSingleStep(1000);
    seedSpin_ = makeSpin(QStringLiteral("seedSpin"), 0, 2147483647, kDefaultSeed, this);
    connect(methodCombo_, &QComboBox::currentIndexChanged, this, &ForecastDlg::showMethod);
    levelsEdit_ = new QLineEdit(QStringLiteral("80, 95"), this);
    levelsEdit_->setObjectName(QStringLiteral("levelsEdit"));
    levelsEdit_->setToolTip(
        QStringLiteral(
            "Levels of the central forecast intervals, in percent: up to %1 numbers between 0 and "
            "100, separated by commas or blanks.")
            .arg(kMostLevels));

    auto* choices = new QFormLayout;
    choices->addRow(QStringLiteral("Steps ahead"), horizonSpin_);
    choices->addRow(QStringLiteral("Method"), methodCombo_);
    choices->addRow(QStringLiteral("Paths"), pathsSpin_);
    choices->addRow(QStringLiteral("Seed"), seedSpin_);
    choices->addRow(QStringLiteral("Interval levels (%)"), levelsEdit_);

    forecastButton_ = new QPushButton(QStringLiteral("Forecast"), this);
    forecastButton_->setObjectName(QStringLiteral("forecastButton"));
    forecastButton_->setDefault(true);
    connect(forecastButton_, &QPushButton::clicked, this, &ForecastDlg::makeForecasts);
    auto* closeButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(closeButtons, &QDialogButtonBox::rejected, this, &ForecastDlg::reject);

    auto* top = new QHBoxLayout;
    top->addLayout(choices);
    top->addStretch(1);
    top->addWidget(forecastButton_, 0, Qt::AlignTop);

    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("forecastTable"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->verticalHeader()->setVisible(false);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // Room for both tables on a 1366x768 screen less a panel; the forecasts take what is left.
    table_->setMinimumSize(620, 240);

    checkLabel_ = new QLabel(this);
    checkLabel_->setObjectName(QStringLiteral("checkLabel"));
    // The dynamic check step by step, as kavri-cli prints it; hidden without held-out values.
    checkTable_ = new QTableWidget(this);
    checkTable_->setObjectName(QStringLiteral("checkTable"));
    checkTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    checkTable_->verticalHeader()->setVisible(false);
    checkTable_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    checkTable_->setFont(table_->font());
    checkTable_->setMinimumHeight(130);
    checkTable_->hide();
    writtenLabel_ = new QLabel(this);
    writtenLabel_->setObjectName(QStringLiteral("writtenLabel"));
    writtenLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addWidget(table_, 1);
    whole->addWidget(checkLabel_);
    whole->addWidget(checkTable_, 1);
    whole->addWidget(writtenLabel_);
    whole->addWidget(closeButtons);
}

void ForecastDlg::showMethod() {
    pathsSpin_->setEnabled(methodCombo_->currentIndex() !=
                           static_cast<int>(ForecastMethod::kSkeleton));
    seedSpin_->setEnabled(pathsSpin_->isEnabled());
    levelsEdit_->setEnabled(pathsSpin_->isEnabled());
}

std::optional<ForecastSettings> ForecastDlg::chosenSettings() const {
    ForecastSettings settings;
    if (methodCombo_->currentIndex() != static_cast<int>(ForecastMethod::kSkeleton)) {
        const std::optional<std::vector<double>> levels = parseLevels(levelsEdit_->text());
        if (!levels) {
            return std::nullopt;
        }
        settings.levels = *levels;
    }
    settings.method = static_cast<ForecastMethod>(methodCombo_->currentIndex());
    settings.horizon = horizonSpin_->value();
    settings.nPaths = pathsSpin_->value();
    settings.seed = static_cast<std::uint64_t>(seedSpin_->value());
    return settings;
}

void ForecastDlg::makeForecasts() {
    const std::optional<ForecastSettings> settings = chosenSettings();
    if (!settings) {
        noticeHandler_(
            Notice("Interval levels could not be read", kApplicationName, NoticeIcon::kStop,
                   formatText("Interval levels (%%): \"%s\" is not a list of up to %d percentages "
                              "between 0 and 100, such as 80, 95.",
                              levelsEdit_->text().toStdString().c_str(), kMostLevels)));
        levelsEdit_->setFocus(Qt::OtherFocusReason);
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Result<ForecastOutcome> made = runForecasts(model_, *settings, files_);
    QApplication::restoreOverrideCursor();
    if (!made.ok()) {
        // In the window's words: a threshold variable known too few steps past the data names
        // "Steps ahead" and how many the file allows.
        Notice notice = made.notice();
        notice.text = inDesktopWords(notice.text);
        notice.detail = inDesktopWords(notice.detail);
        noticeHandler_(notice);
        return;
    }
    outcome_ = std::move(made.value());
    showForecasts();
    writtenLabel_->setText(
        QStringLiteral("Written: %1")
            .arg(QDir::toNativeSeparators(
                QFileInfo(QString::fromStdString(files_.forecastsPath().string()))
                    .absoluteFilePath())));
}

namespace {

QTableWidgetItem* rightAligned(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// Fills `table` with one row per step: the step, its label under `labelHeader` when `labels`
// has one per step, then the numbers of `columns` (NA where not finite).
void fillStepTable(QTableWidget* table, const std::vector<std::string>& columns,
                   const QString& labelHeader, const std::vector<std::string>& labels, int steps,
                   const std::function<std::vector<double>(int step)>& values) {
    const bool labelled = !labels.empty() && labels.size() == static_cast<std::size_t>(steps);
    const int first = labelled ? 2 : 1;  // the column of the first number
    QStringList headers;
    for (const std::string& name : columns) {
        headers << QString::fromStdString(name);
    }
    if (labelled) {
        headers.insert(1, labelHeader);
    }
    table->clear();
    table->setColumnCount(static_cast<int>(headers.size()));
    table->setRowCount(steps);
    table->setHorizontalHeaderLabels(headers);
    for (int h = 1; h <= steps; ++h) {
        table->setItem(h - 1, 0, rightAligned(QString::number(h)));
        if (labelled) {
            table->setItem(
                h - 1, 1,
                rightAligned(QString::fromStdString(labels[static_cast<std::size_t>(h - 1)])));
        }
        const std::vector<double> row = values(h);
        for (std::size_t c = 0; c < row.size(); ++c) {
            const QString text =
                std::isfinite(row[c]) ? QString::number(row[c], 'f', 6) : QStringLiteral("NA");
            table->setItem(h - 1, static_cast<int>(c) + first, rightAligned(text));
        }
    }
}

}  // namespace

void ForecastDlg::showForecasts() {
    const ForecastResult& forecasts = outcome_->forecasts;
    // After a file of consecutive years each step carries its year, after the step number; after
    // a file of other dates, its date, as in Forecasts.txt.
    const std::vector<std::string> years = yearsAfter(model_.labels, forecasts.horizon());
    fillStepTable(table_, forecastColumnNames(forecasts),
                  years.empty() ? QStringLiteral("Date") : QStringLiteral("Year"),
                  years.empty() ? outcome_->dates : years, forecasts.horizon(),
                  [&](int h) { return forecastRowValues(forecasts, h); });

    checkTable_->setVisible(outcome_->holdout.has_value());
    if (outcome_->holdout) {
        const HoldoutCheck& check = *outcome_->holdout;
        fillStepTable(checkTable_, {"Step", "Observed", "Forecast", "Error", "RMSE", "MAE", "MAPE"},
                      years.empty() ? QStringLiteral("Date") : QStringLiteral("Year"),
                      outcome_->holdoutDates, check.forecasts.horizon(), [&](int h) {
                          const auto i = static_cast<std::size_t>(h - 1);
                          return std::vector<double>{check.observed[i], check.forecasts.point[i],
                                                     check.error[i],    check.rmse[i],
                                                     check.mae[i],      check.mape[i]};
                      });
        checkLabel_->setText(
            QStringLiteral("Check on the %1 held-out values, forecast from the last fitted "
                           "value:\nRMSE %2 at step 1, %3 over all %1 steps.")
                .arg(check.forecasts.horizon())
                .arg(check.rmse.front(), 0, 'f', 6)
                .arg(check.rmse.back(), 0, 'f', 6));
    } else {
        checkLabel_->setText(QStringLiteral("No values were held out to check the forecasts on."));
    }
}

}  // namespace kavri
