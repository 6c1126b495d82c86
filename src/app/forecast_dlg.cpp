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
    table_->setMinimumSize(620, 360);

    checkLabel_ = new QLabel(this);
    checkLabel_->setObjectName(QStringLiteral("checkLabel"));
    writtenLabel_ = new QLabel(this);
    writtenLabel_->setObjectName(QStringLiteral("writtenLabel"));
    writtenLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addWidget(table_, 1);
    whole->addWidget(checkLabel_);
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

void ForecastDlg::showForecasts() {
    const ForecastResult& forecasts = outcome_->forecasts;
    const std::vector<std::string> names = forecastColumnNames(forecasts);
    // After a file of consecutive years each step carries its year, after the step number.
    const std::vector<std::string> years = yearsAfter(model_.labels, forecasts.horizon());
    const int first = years.empty() ? 1 : 2;  // the column of the first number
    QStringList headers;
    for (const std::string& name : names) {
        headers << QString::fromStdString(name);
    }
    if (!years.empty()) {
        headers.insert(1, QStringLiteral("Year"));
    }
    table_->clear();
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setRowCount(forecasts.horizon());
    table_->setHorizontalHeaderLabels(headers);
    for (int h = 1; h <= forecasts.horizon(); ++h) {
        auto* step = new QTableWidgetItem(QString::number(h));
        step->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        table_->setItem(h - 1, 0, step);
        if (!years.empty()) {
            auto* year = new QTableWidgetItem(
                QString::fromStdString(years[static_cast<std::size_t>(h - 1)]));
            year->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(h - 1, 1, year);
        }
        const std::vector<double> values = forecastRowValues(forecasts, h);
        for (std::size_t c = 0; c < values.size(); ++c) {
            auto* cell = new QTableWidgetItem(QString::number(values[c], 'f', 6));
            cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table_->setItem(h - 1, static_cast<int>(c) + first, cell);
        }
    }

    if (outcome_->holdout) {
        const HoldoutCheck& check = *outcome_->holdout;
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
