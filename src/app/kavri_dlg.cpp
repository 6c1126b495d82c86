#include "app/kavri_dlg.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/charts_window.h"
#include "app/forecast_dlg.h"
#include "app/input_blocker.h"
#include "app/par_gen_alg_dlg.h"
#include "app/par_kavri_dlg.h"
#include "app/preferences.h"
#include "app/run_status.h"
#include "app/statistics_view.h"
#include "app/status_line.h"
#include "charts/chart_input.h"
#include "inference/coefficient_table.h"
#include "inference/fit_statistics.h"
#include "model/classic_numeric_locale.h"
#include "model/result_fields.h"
#include "model/text_format.h"
#include "run/typed_thresholds.h"

namespace kavri {

namespace {

// Sizes of the result fields, in characters and lines of the fixed-pitch result font: wide
// enough for "Constant = -123.456789" and tall enough for four regimes of "Regime:k" lines.
constexpr int kFieldChars = 17;
constexpr int kPanelChars = 24;
constexpr int kTallFieldLines = 8;
constexpr int kPanelLines = 12;
// Series, threshold variable, files written, files removed, seed, a warning: all that a run
// can say, so that none of it (the seed that repeats the run) is cut off.
constexpr int kStatusLines = 6;
// The least the tall fields shrink to when the window is made small: a 1366x768 screen with a
// panel leaves about 700 pixels for the window.
constexpr int kSmallTallFieldLines = 4;
constexpr int kSmallPanelLines = 6;
// What a window may cover: a laptop screen of 1366x768 less a panel and the title bar.
constexpr int kSmallScreenWidth = 1366;
constexpr int kSmallScreenHeight = 700;

QFont resultFont() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

int textWidth(const QFont& font, int chars) {
    return QFontMetrics(font).horizontalAdvance(QLatin1Char('0')) * chars;
}

QLineEdit* makeLineField(const QString& objectName, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    field->setFont(resultFont());
    field->setMinimumWidth(textWidth(field->font(), kFieldChars) + 12);
    return field;
}

QPlainTextEdit* makeTallField(const QString& objectName, int chars, int lines, QWidget* parent) {
    auto* field = new QPlainTextEdit(parent);
    field->setObjectName(objectName);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::ClickFocus);
    field->setTabChangesFocus(true);
    field->setLineWrapMode(QPlainTextEdit::NoWrap);
    field->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    field->setFont(resultFont());
    const QFontMetrics metrics(field->font());
    const int margins = 2 * (field->frameWidth() + 4);
    field->setMinimumSize(textWidth(field->font(), chars) + margins + 16,
                          metrics.lineSpacing() * lines + margins);
    return field;
}

// A label above its field, in the grid's column `column`, starting at grid row `row`.
void addLabelAbove(QGridLayout* grid, int row, int column, const QString& label, QWidget* field) {
    auto* text = new QLabel(label, grid->parentWidget());
    text->setBuddy(field);
    grid->addWidget(text, row, column);
    grid->addWidget(field, row + 1, column);
}

// A one-line field shows a text as one line: the line feed that ends most formats is dropped,
// and any line break inside becomes a blank.
QString asOneLine(const std::string& text) {
    QString line = QString::fromStdString(text);
    while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r'))) {
        line.chop(1);
    }
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

void showLine(QLineEdit* field, const std::string& text, const std::string& before) {
    if (text != before) {
        field->setText(asOneLine(text));
        field->setCursorPosition(0);
    }
}

void showLines(QPlainTextEdit* field, const std::string& text, const std::string& before) {
    if (text != before) {
        field->setPlainText(QString::fromStdString(text));
    }
}

// Places a window that opens from the main window beside it rather than over its results: on
// the right when the screen has room there, else on the left, else as far right as it fits.
void placeBeside(QWidget* window, const QWidget* main) {
    const QScreen* screen = main->screen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    const QRect frame = main->frameGeometry();
    const QSize size = window->size().boundedTo(available.size());
    int x = frame.right() + 1;
    if (x + size.width() > available.right()) {
        x = frame.left() - size.width();
        if (x < available.left()) {
            x = available.right() - size.width();
        }
    }
    const int y = std::min(frame.top(), available.bottom() + 1 - size.height());
    window->resize(size);
    window->move(std::max(x, available.left()), std::max(y, available.top()));
}

}  // namespace

std::unique_ptr<QMessageBox> makeNoticeBox(const Notice& notice, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(QString::fromStdString(notice.caption));
    box->setText(QString::fromStdString(notice.text));
    if (!notice.detail.empty()) {
        box->setInformativeText(QString::fromStdString(notice.detail));
    }
    box->setTextFormat(Qt::PlainText);
    box->setIcon(notice.icon == NoticeIcon::kStop ? QMessageBox::Critical : QMessageBox::NoIcon);
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

KavriDlg::KavriDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("KavriDlg"));
    setWindowTitle(QString::fromUtf8(kMainCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());
    setAcceptDrops(true);

    modalRunner_ = [](QDialog& dialog) { dialog.exec(); };
    noticeHandler_ = [this](const Notice& notice) { makeNoticeBox(notice, this)->exec(); };
    confirmation_ = [this](const QString& question) {
        return QMessageBox::question(this, QStringLiteral("Close Kavri"), question,
                                     QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    };

    auto* openAction = new QAction(QStringLiteral("&Open series file..."), this);
    openAction->setObjectName(QStringLiteral("openAction"));
    openAction->setShortcut(QKeySequence::Open);
    openAction->setShortcutContext(Qt::WindowShortcut);
    connect(openAction, &QAction::triggered, this, &KavriDlg::openSeriesFile);
    addAction(openAction);
    recentMenu_ = new QMenu(QStringLiteral("Open &recent"), this);
    recentMenu_->setObjectName(QStringLiteral("recentMenu"));
    addAction(recentMenu_->menuAction());
    rebuildRecentMenu();

    aboutAction_ = new QAction(QString::fromUtf8(kAboutEntry), this);
    aboutAction_->setObjectName(QStringLiteral("aboutAction"));
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction_->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction_, &QAction::triggered, this, &KavriDlg::showAbout);
    addAction(aboutAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    buildLayout();
    fitToScreen();
    okButton_->setFocus(Qt::OtherFocusReason);
}

void KavriDlg::fitToScreen() {
    // The size the fields ask for is the window's first size; they may then shrink to a few
    // lines, so that the window fits a small screen, and grow with it.
    // What the fields ask for (a fixed layout would take this size).
    const QSize preferred = layout()->totalSizeHint().expandedTo(layout()->totalMinimumSize());
    preferredSize_ = preferred;
    for (int k = 0; k < 4; ++k) {
        QPlainTextEdit* panel = estimatePanels_[k];
        panel->setMinimumHeight(panel->minimumHeight() * kSmallPanelLines / kPanelLines);
    }
    for (QPlainTextEdit* field :
         {observationField_, thresholdField_, regimeVarianceField_, rSquareField_}) {
        field->setMinimumHeight(field->minimumHeight() * kSmallTallFieldLines / kTallFieldLines);
    }
    layout()->invalidate();
    const QSize least = layout()->totalMinimumSize();
    setMinimumSize(least.boundedTo(QSize(kSmallScreenWidth, kSmallScreenHeight)));
    QSize size = preferred;
    if (const QScreen* shown = screen()) {
        size = size.boundedTo(shown->availableGeometry().size() - QSize(16, 40));
    }
    resize(size.expandedTo(minimumSize()));
    restoreWindowGeometry(this, QStringLiteral("main"));
}

KavriDlg::~KavriDlg() = default;

void KavriDlg::buildLayout() {
    auto* modelButton = new QPushButton(QStringLiteral("Parameter of Model"), this);
    modelButton->setObjectName(QStringLiteral("modelParametersButton"));
    auto* gaButton = new QPushButton(QStringLiteral("Parameter of GA"), this);
    gaButton->setObjectName(QStringLiteral("gaParametersButton"));
    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("okButton"));
    okButton_->setDefault(true);
    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setObjectName(QStringLiteral("exitButton"));
    auto* statisticsButton = new QPushButton(QString::fromUtf8(kStatisticsCaption), this);
    statisticsButton->setObjectName(QStringLiteral("statisticsButton"));
    // In a dialog a focused push button takes Enter for itself unless it is made otherwise;
    // Enter here always runs, so only OK may be a default button. Space still presses the
    // focused button.
    auto* chartsButton = new QPushButton(QStringLiteral("Charts..."), this);
    chartsButton->setObjectName(QStringLiteral("chartsButton"));
    for (QPushButton* button :
         {modelButton, gaButton, statisticsButton, chartsButton, exitButton}) {
        button->setAutoDefault(false);
    }
    connect(chartsButton, &QPushButton::clicked, this, &KavriDlg::openCharts);
    connect(modelButton, &QPushButton::clicked, this, &KavriDlg::openModelParameters);
    connect(gaButton, &QPushButton::clicked, this, &KavriDlg::openGaParameters);
    connect(statisticsButton, &QPushButton::clicked, this, &KavriDlg::openStatistics);
    connect(okButton_, &QPushButton::clicked, this, &KavriDlg::runModelOnce);
    connect(exitButton, &QPushButton::clicked, this, &KavriDlg::reject);

    iterationField_ = makeLineField(QStringLiteral("iterationField"), this);
    fitnessField_ = makeLineField(QStringLiteral("fitnessField"), this);

    forecastsButton_ = new QPushButton(QStringLiteral("Forecasts..."), this);
    forecastsButton_->setObjectName(QStringLiteral("forecastsButton"));
    forecastsButton_->setEnabled(false);
    connect(forecastsButton_, &QPushButton::clicked, this, &KavriDlg::openForecasts);
    forecastsButton_->setAutoDefault(false);  // Enter runs, whatever has the focus

    auto* parameterButtons = new QVBoxLayout;
    parameterButtons->addWidget(modelButton);
    parameterButtons->addWidget(gaButton);
    parameterButtons->addWidget(statisticsButton);
    parameterButtons->addWidget(chartsButton);
    parameterButtons->addWidget(forecastsButton_);
    auto* progress = new QGridLayout;
    progress->addWidget(new QLabel(QStringLiteral("Iteration"), this), 0, 0);
    progress->addWidget(iterationField_, 0, 1);
    progress->addWidget(new QLabel(QStringLiteral("Fitness"), this), 1, 0);
    progress->addWidget(fitnessField_, 1, 1);
    copyButton_ = new QPushButton(QStringLiteral("Copy"), this);
    copyButton_->setObjectName(QStringLiteral("copyButton"));
    copyButton_->setToolTip(
        QStringLiteral("Copy the whole result (texts, statistics, tests, forecasts) as plain "
                       "text and as Markdown."));
    saveReportButton_ = new QPushButton(QStringLiteral("Save report..."), this);
    saveReportButton_->setObjectName(QStringLiteral("saveReportButton"));
    saveReportButton_->setToolTip(
        QStringLiteral("Write the whole result to a file: Markdown (.md) or plain text."));
    for (QPushButton* button : {copyButton_, saveReportButton_}) {
        button->setAutoDefault(false);
        button->setEnabled(false);
    }
    connect(copyButton_, &QPushButton::clicked, this, &KavriDlg::copyReport);
    connect(saveReportButton_, &QPushButton::clicked, this, &KavriDlg::saveReport);
    auto* runButtons = new QVBoxLayout;
    runButtons->addWidget(okButton_);
    runButtons->addWidget(exitButton);
    runButtons->addSpacing(8);
    runButtons->addWidget(copyButton_);
    runButtons->addWidget(saveReportButton_);
    auto* top = new QHBoxLayout;
    top->addLayout(parameterButtons);
    top->addStretch(1);
    top->addLayout(progress);
    top->addStretch(1);
    top->addLayout(runButtons);

    auto* estimateFrame = new QGroupBox(QStringLiteral("Parameter Estimate"), this);
    auto* panels = new QGridLayout(estimateFrame);
    for (int k = 0; k < 4; ++k) {
        estimatePanels_[k] = makeTallField(QStringLiteral("estimatePanel%1").arg(k + 1),
                                           kPanelChars, kPanelLines, estimateFrame);
        panels->addWidget(estimatePanels_[k], k / 2, k % 2);
    }

    varianceField_ = makeLineField(QStringLiteral("varianceField"), this);
    residualVarianceField_ = makeLineField(QStringLiteral("residualVarianceField"), this);
    naicField_ = makeLineField(QStringLiteral("naicField"), this);
    aicField_ = makeLineField(QStringLiteral("aicField"), this);
    mseField_ = makeLineField(QStringLiteral("mseField"), this);
    ljungBoxField_ = makeLineField(QStringLiteral("ljungBoxField"), this);
    observationField_ =
        makeTallField(QStringLiteral("observationField"), kFieldChars, kTallFieldLines, this);
    thresholdField_ =
        makeTallField(QStringLiteral("thresholdField"), kFieldChars, kTallFieldLines, this);
    regimeVarianceField_ =
        makeTallField(QStringLiteral("regimeVarianceField"), kFieldChars, kTallFieldLines, this);
    rSquareField_ =
        makeTallField(QStringLiteral("rSquareField"), kFieldChars, kTallFieldLines, this);

    auto* statistics = new QGridLayout;
    statistics->setVerticalSpacing(2);
    addLabelAbove(statistics, 0, 0, QStringLiteral("Variance"), varianceField_);
    addLabelAbove(statistics, 0, 1, QStringLiteral("Residual Variance"), residualVarianceField_);
    addLabelAbove(statistics, 2, 0, QStringLiteral("NAIC"), naicField_);
    addLabelAbove(statistics, 2, 1, QStringLiteral("AIC"), aicField_);
    addLabelAbove(statistics, 4, 0, QStringLiteral("MSE"), mseField_);
    addLabelAbove(statistics, 4, 1, QStringLiteral("Ljung-Box"), ljungBoxField_);
    addLabelAbove(statistics, 6, 0, QStringLiteral("Observation"), observationField_);
    addLabelAbove(statistics, 6, 1, QStringLiteral("Threshold"), thresholdField_);
    addLabelAbove(statistics, 8, 0, QStringLiteral("Variance of Regime"), regimeVarianceField_);
    addLabelAbove(statistics, 8, 1, QStringLiteral("R Square"), rSquareField_);

    auto* results = new QHBoxLayout;
    results->addWidget(estimateFrame, 3);
    results->addSpacing(8);
    results->addLayout(statistics, 2);

    statusLine_ = new StatusLine(kStatusLines, this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));
    // Shown beside the status line only while the comparison that "Regimes and delay" asks for
    // runs: the one control that input reaches then.
    selectionCancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    selectionCancelButton_->setObjectName(QStringLiteral("selectionCancelButton"));
    selectionCancelButton_->setAutoDefault(false);
    selectionCancelButton_->setToolTip(
        QStringLiteral("Stop the model comparison; no model is run and the results shown stay."));
    selectionCancelButton_->hide();
    connect(selectionCancelButton_, &QPushButton::clicked, this, [this] {
        selectionCancelled_ = true;
        selectionCancelButton_->setEnabled(false);
    });
    auto* status = new QHBoxLayout;
    status->addWidget(statusLine_, 1);
    status->addWidget(selectionCancelButton_, 0, Qt::AlignTop);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addSpacing(6);
    whole->addLayout(results, 1);
    whole->addLayout(status);
}

QString KavriDlg::statusText() const { return statusLine_->fullText(); }

void KavriDlg::refresh(const ResultTexts& texts) {
    // Widgets belong to the user-interface thread; the run must report from the thread that
    // started it, however it spreads its own work.
    Q_ASSERT(QThread::currentThread() == thread());
    showTexts(texts);
    if (isVisible()) {
        // Paint now: the run holds the user-interface thread until it returns. Input meanwhile
        // is dropped by the InputBlocker that the run installs.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void KavriDlg::showTexts(const ResultTexts& texts) {
    for (const ResultField& field : resultFields()) {
        const std::string& text = texts.*field.text;
        const std::string& before = shown_.*field.text;
        QWidget* widget = findChild<QWidget*>(QString::fromUtf8(field.widgetName));
        if (field.shape == FieldShape::kOneLine) {
            showLine(qobject_cast<QLineEdit*>(widget), text, before);
        } else {
            showLines(qobject_cast<QPlainTextEdit*>(widget), text, before);
        }
    }
    shown_ = texts;
}

void KavriDlg::openModelParameters() {
    const ModelParameters shown =
        settings_.modelDialogCount == 0 ? modelPrefill() : settings_.model;
    ParKavriDlg dialog(shown, settings_.series, this);
    dialog.setForm(settings_.form);
    dialog.setThresholdVariable(settings_.thresholdVariable);
    dialog.setSelection(selection_);
    dialog.setGaInForce(settings_.gaDialogCount == 0 ? gaRunDefaults() : settings_.ga);
    if (settings_.modelDialogCount == 0) {
        ModelParameters inForce = settings_.model;
        applyModelRunDefaults(inForce);
        dialog.setValuesInForce(inForce);
    }
    modalRunner_(dialog);
    if (dialog.result() == QDialog::Accepted) {
        settings_.model = dialog.values();
        settings_.series = dialog.seriesChoice();
        settings_.form = dialog.form();
        settings_.thresholdVariable = dialog.thresholdVariable();
        selection_ = dialog.selection();
        ++settings_.modelDialogCount;
    }
}

void KavriDlg::openGaParameters() {
    const GaParameters shown = settings_.gaDialogCount == 0 ? gaPrefill() : settings_.ga;
    ParGenAlgDlg dialog(shown, runOptions_.seed, this);
    if (settings_.gaDialogCount == 0) {
        dialog.setValuesInForce(gaRunDefaults());
    }
    modalRunner_(dialog);
    if (dialog.result() == QDialog::Accepted) {
        settings_.ga = dialog.values();
        runOptions_.seed = dialog.seed();
        ++settings_.gaDialogCount;
    }
}

void KavriDlg::openForecasts() {
    if (running_ || !lastOutcome_.model.available) {
        return;
    }
    ForecastDlg dialog(lastOutcome_.model, runOptions_.files, this);
    modalRunner_(dialog);
    if (dialog.outcome()) {
        lastForecasts_ = dialog.outcome()->forecasts;
        lastForecastDates_ = dialog.outcome()->dates;
        if (chartsWindow_ != nullptr) {
            chartsWindow_->showCharts(chartInput());
        }
    }
}

charts::ChartInput KavriDlg::chartInput() const {
    return charts::chartInputFromRun(lastOutcome_, lastRunSettings_, nullptr,
                                     lastForecasts_ ? &*lastForecasts_ : nullptr, thresholdLevel_);
}

void KavriDlg::showAbout() {
    AboutDlg dialog(this);
    modalRunner_(dialog);
}

void KavriDlg::openCharts() {
    if (chartsWindow_ == nullptr) {
        chartsWindow_ = new ChartsWindow(this);
        connect(this, &KavriDlg::runFinished, chartsWindow_,
                [this] { chartsWindow_->showCharts(chartInput()); });
        chartsWindow_->showCharts(chartInput());
        if (!restoreWindowGeometry(chartsWindow_, QStringLiteral("charts"))) {
            placeBeside(chartsWindow_, this);
        }
    }
    chartsWindow_->show();
    chartsWindow_->raise();
    chartsWindow_->activateWindow();
}

void KavriDlg::openStatistics() {
    if (statisticsView_ == nullptr) {
        statisticsView_ = new StatisticsView(this);
        connect(statisticsView_, &StatisticsView::thresholdLevelChanged, this,
                [this](double percent) {
                    thresholdLevel_ = percent;
                    if (chartsWindow_ != nullptr && runCount_ > 0) {
                        chartsWindow_->showCharts(chartInput());
                    }
                });
        if (runCount_ > 0) {
            statisticsView_->showRun(lastRunSettings_, lastOutcome_);
        }
        if (!restoreWindowGeometry(statisticsView_, QStringLiteral("statistics"))) {
            placeBeside(statisticsView_, this);
        }
    }
    statisticsView_->show();
    statisticsView_->raise();
    statisticsView_->activateWindow();
}

MaybeNotice KavriDlg::chooseByComparison(RunSettings& used, std::optional<std::string>& remark,
                                         InputBlocker& blocker) {
    // The run defaults first, as the run would write them, so that what the selection sets in
    // the settings (the exact search for a one-regime model) is what the run then uses.
    applyRunDefaults(used);
    used.modelDialogCount = std::max(used.modelDialogCount, 1);
    used.gaDialogCount = std::max(used.gaDialogCount, 1);
    const bool bic = *selection_ == SelectionCriterion::kBic;
    const char* name = bic ? "BIC" : "AIC";
    ComparisonOptions comparison;
    comparison.candidates = runOptions_.exactCandidates;
    // The share of the comparison done, about ten times a second. Input stays blocked but for
    // the Cancel button beside the status line, whose click stops the comparison at its next
    // check.
    comparison.keepGoing = [this, name](double share) {
        statusLine_->setLines({QStringLiteral("Comparing models to choose by the lowest %1: %2% "
                                              "done")
                                   .arg(QString::fromUtf8(name))
                                   .arg(static_cast<int>(100.0 * share))});
        QCoreApplication::processEvents();
        return !selectionCancelled_;
    };
    statusLine_->setLines({QStringLiteral("Comparing models: every number of regimes and every "
                                          "delay, to choose by the lowest %1")
                               .arg(QString::fromUtf8(name))});
    selectionCancelled_ = false;
    selectionCancelButton_->setEnabled(true);
    selectionCancelButton_->show();
    const QPointer<QWidget> focused = focusWidget();
    selectionCancelButton_->setFocus(Qt::OtherFocusReason);  // Space stops it too
    blocker.letThrough(selectionCancelButton_);
    QCoreApplication::processEvents();
    Result<CriterionSelection> chosen =
        selectionCancelled_
            ? Result<CriterionSelection>(CriterionSelection{})
            : selectByCriterion(used, bic ? SelectionCriterion::kBic : SelectionCriterion::kAic,
                                comparison);
    blocker.letThrough(nullptr);
    selectionCancelButton_->hide();
    if (focused != nullptr) {
        focused->setFocus(Qt::OtherFocusReason);
    }
    if (!chosen.ok()) {
        return chosen.notice();
    }
    const CriterionSelection& selection = chosen.value();
    if (selectionCancelled_) {
        return std::nullopt;
    }
    if (selection.bestRow < 0) {
        return errorNotice(formatText(
            "Regimes and delay by the lowest %s: no model of the comparison could be fitted; "
            "lower Min. Oss or Max Order AR",
            name));
    }
    const ComparisonRow& row =
        selection.comparison.rows[static_cast<std::size_t>(selection.bestRow)];
    if (row.regimes == 1) {
        remark = formatText(
            "The comparison's lowest %s is the one-regime autoregression, which is reported.",
            name);
    } else {
        std::string thresholds;
        for (std::size_t i = 0; i < row.thresholds.size(); ++i) {
            thresholds += (i == 0 ? "" : ", ") + shortestText(row.thresholds[i]);
        }
        remark = formatText(
            "The comparison's lowest %s has %d regimes at delay %d; the model is estimated at "
            "its thresholds (%s).",
            name, row.regimes, row.delay, thresholds.c_str());
    }
    return std::nullopt;
}

void KavriDlg::runModelOnce() {
    if (running_) {
        return;
    }
    running_ = true;
    ++runCount_;
    // What the status line said belongs to the previous run.
    statusLine_->setLines({QStringLiteral("Running: %1")
                               .arg(QDir::toNativeSeparators(
                                   QFileInfo(QString::fromStdString(settings_.model.seriesPath))
                                       .absoluteFilePath()))});
    // The run writes the run defaults of groups whose dialog was never accepted into the
    // settings it is given; the window keeps the user's own, so that they read the same after
    // every run, whatever its outcome.
    RunSettings used = settings_;
    selectionCancelled_ = false;
    {
        InputBlocker blocker;
        RunOptions options = runOptions_;
        options.profileThresholds = true;  // drawn by the charts' search tab of an exact search
        std::optional<std::string> selectionRemark;
        MaybeNotice selectionNotice;
        if (selection_) {
            selectionNotice = chooseByComparison(used, selectionRemark, blocker);
        }
        if (!selectionCancelled_) {
            if (selectionNotice) {
                lastOutcome_ = RunOutcome{};
                lastOutcome_.notice = selectionNotice;
            } else {
                lastOutcome_ = runModel(used, texts_, *this, options);
            }
            if (selectionRemark && !lastOutcome_.notice) {
                lastOutcome_.remarks.insert(lastOutcome_.remarks.begin(), *selectionRemark);
            }
            if (lastOutcome_.notice) {
                lastOutcome_.notice->detail = inDesktopWords(lastOutcome_.notice->detail);
            }
            lastForecasts_.reset();
            showTexts(texts_);
        }
        // Deliver, and so drop, whatever input arrived during the run.
        QCoreApplication::processEvents();
    }
    if (selectionCancelled_) {
        // Nothing was run: the window keeps the previous run's results, files, statistics and
        // charts, and its status line says so before what it said of that run.
        running_ = false;
        --runCount_;
        QStringList lines = {QStringLiteral(
            "Cancelled: the model comparison for \"Regimes and delay\" was stopped; no model "
            "was run")};
        if (runCount_ > 0) {
            lines += runStatusLines(lastRunSettings_, lastOutcome_);
        }
        statusLine_->setLines(lines);
        return;
    }
    running_ = false;
    lastRunSettings_ = used;
    statusLine_->setLines(runStatusLines(used, lastOutcome_));
    if (statisticsView_ != nullptr) {
        statisticsView_->showRun(used, lastOutcome_);
    }
    emit runFinished();
    forecastsButton_->setEnabled(lastOutcome_.model.available);
    copyButton_->setEnabled(lastOutcome_.model.available);
    saveReportButton_->setEnabled(lastOutcome_.model.available);
    if (lastOutcome_.notice) {
        // The run is over; the window stays, with its settings, for the next one.
        noticeHandler_(*lastOutcome_.notice);
        return;
    }
    // What the run decided for the user (a threshold taken as the series value it was typed
    // for) is said at once, as information.
    for (const std::string& remark : lastOutcome_.remarks) {
        noticeHandler_(Notice(remark, kApplicationName, NoticeIcon::kNone));
    }
}

QString KavriDlg::workToLose() const {
    if (statisticsView_ != nullptr && statisticsView_->busy()) {
        return QStringLiteral(
            "A test or comparison is running in the Statistics window. Stop it and close Kavri?");
    }
    if (lastOutcome_.model.available) {
        return QStringLiteral(
            "Close Kavri? The results shown, their statistics, forecasts and charts are not kept "
            "(the result files stay where the status line says).");
    }
    return QString();
}

void KavriDlg::reject() {
    if (running_) {
        return;
    }
    const QString question = workToLose();
    if (!question.isEmpty() && !confirmation_(question)) {
        return;
    }
    saveWindowGeometry(this, QStringLiteral("main"));
    if (statisticsView_ != nullptr) {
        saveWindowGeometry(statisticsView_, QStringLiteral("statistics"));
    }
    if (chartsWindow_ != nullptr) {
        saveWindowGeometry(chartsWindow_, QStringLiteral("charts"));
    }
    QDialog::reject();
}

void KavriDlg::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    // Asks through reject(), and leaves the window open when the answer is No.
    QDialog::closeEvent(event);
}

void KavriDlg::chooseSeriesFile(const QString& path) {
    if (running_ || path.isEmpty()) {
        return;
    }
    // The model group is put in force as the dialog shows it, with this file: choosing a file
    // is the user's own setting, which the run defaults must not replace.
    if (settings_.modelDialogCount == 0) {
        const ModelParameters chosen = settings_.model;
        settings_.model = modelPrefill();
        settings_.model.nThresholds = chosen.nThresholds;
        settings_.model.thresholds = chosen.thresholds;
        settings_.modelDialogCount = 1;
    }
    settings_.model.seriesPath = QDir::toNativeSeparators(path).toStdString();
    settings_.series = SeriesChoice{};
    // A column of the earlier file is no variable of this one; its change or own lag still is.
    if (settings_.thresholdVariable.isColumn()) {
        settings_.thresholdVariable = ThresholdVariable{};
    }
    rememberSeriesFile(path);
    rebuildRecentMenu();
    statusLine_->setLines(
        {QStringLiteral("Series chosen: %1 (OK runs it; Parameter of Model shows what it holds)")
             .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()))});
}

void KavriDlg::openSeriesFile() {
    QString folder = lastSeriesFolder();
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::currentPath();
    }
    const QString chosen = QFileDialog::getOpenFileName(
        this, QStringLiteral("Course File"), folder,
        QStringLiteral("Series files (*.txt *.csv *.tsv *.dat);;All files (*)"));
    chooseSeriesFile(chosen);
}

void KavriDlg::rebuildRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = recentSeriesFiles();
    for (const QString& file : recent) {
        QAction* action = recentMenu_->addAction(file);
        connect(action, &QAction::triggered, this, [this, file] { chooseSeriesFile(file); });
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

RunReport KavriDlg::runReport() const {
    RunReport report;
    const QString series = QString::fromStdString(lastRunSettings_.model.seriesPath);
    report.title = "Kavri report: " + QFileInfo(series).fileName().toStdString();
    for (const QString& line : statusLine_->fullText().split(QLatin1Char('\n'))) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        if (colon > 0) {
            report.facts.push_back(
                {line.left(colon).toStdString(), line.mid(colon + 2).toStdString()});
        }
    }
    report.texts = texts_;
    const ReportedModel& model = lastOutcome_.model;
    if (!model.available) {
        return report;
    }
    const ClassicNumericLocale classic;
    const CoefficientTable table = coefficientTable(model, StandardErrorKind::kClassical);
    report.sections.push_back(
        {"Statistics", modelStatisticsText(table, fitStatistics(model, table))});
    if (statisticsView_ != nullptr) {
        if (!statisticsView_->testsText().isEmpty()) {
            report.sections.push_back(
                {"Linearity Tests", statisticsView_->testsText().toStdString()});
        }
        if (!statisticsView_->comparisonText().isEmpty()) {
            report.sections.push_back(
                {"Model Comparison", statisticsView_->comparisonText().toStdString()});
        }
    }
    if (lastForecasts_) {
        report.sections.push_back(
            {"Forecasts",
             forecastTableText(*lastForecasts_,
                               lastForecastDates_.empty()
                                   ? yearsAfter(model.labels, lastForecasts_->horizon())
                                   : lastForecastDates_)});
    }
    return report;
}

void KavriDlg::copyReport() {
    if (!lastOutcome_.model.available) {
        return;
    }
    const RunReport report = runReport();
    auto* data = new QMimeData;
    data->setText(QString::fromStdString(reportText(report, ReportFormat::kPlainText)));
    data->setData(QStringLiteral("text/markdown"),
                  QByteArray::fromStdString(reportText(report, ReportFormat::kMarkdown)));
    QGuiApplication::clipboard()->setMimeData(data);
}

void KavriDlg::saveReport() {
    if (!lastOutcome_.model.available) {
        return;
    }
    QString folder = lastSeriesFolder();
    if (folder.isEmpty() || !QDir(folder).exists()) {
        folder = QDir::currentPath();
    }
    QString chosenFilter;
    QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save report"), QDir(folder).filePath(QStringLiteral("report.md")),
        QStringLiteral("Markdown (*.md);;Plain text (*.txt)"), &chosenFilter);
    if (path.isEmpty()) {
        return;
    }
    const std::string text = reportText(runReport(), reportFormatForPath(path.toStdString()));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(text.data(), static_cast<qint64>(text.size())) !=
            static_cast<qint64>(text.size()) ||
        !file.commit()) {
        noticeHandler_(
            Notice(formatText("File %s could not be written", path.toStdString().c_str()),
                   kErrorCaption, NoticeIcon::kStop, file.errorString().toStdString()));
    }
}

namespace {

// The local file of a drag, when it carries exactly one.
QString droppedFile(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls() || data->urls().size() != 1) {
        return QString();
    }
    const QUrl url = data->urls().front();
    return url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile() ? url.toLocalFile()
                                                                      : QString();
}

}  // namespace

void KavriDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!running_ && !droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void KavriDlg::dropEvent(QDropEvent* event) {
    const QString file = droppedFile(event->mimeData());
    if (!file.isEmpty()) {
        chooseSeriesFile(file);
        event->acceptProposedAction();
    }
}

}  // namespace kavri
