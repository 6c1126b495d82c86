#include "app/kavri_dlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include "app/about_dlg.h"
#include "app/app_icon.h"
#include "app/charts_window.h"
#include "app/forecast_dlg.h"
#include "app/input_blocker.h"
#include "app/par_gen_alg_dlg.h"
#include "app/par_kavri_dlg.h"
#include "app/run_status.h"
#include "app/statistics_view.h"
#include "app/status_line.h"
#include "charts/chart_input.h"
#include "model/result_fields.h"

namespace kavri {

namespace {

// Sizes of the result fields, in characters and lines of the fixed-pitch result font: wide
// enough for "Constant = -123.456789" and tall enough for four regimes of "Regime:k" lines.
constexpr int kFieldChars = 17;
constexpr int kPanelChars = 24;
constexpr int kTallFieldLines = 8;
constexpr int kPanelLines = 12;
// Series, files written, seed.
constexpr int kStatusLines = 3;

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
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());

    modalRunner_ = [](QDialog& dialog) { dialog.exec(); };
    noticeHandler_ = [this](const Notice& notice) { makeNoticeBox(notice, this)->exec(); };

    aboutAction_ = new QAction(QString::fromUtf8(kAboutEntry), this);
    aboutAction_->setObjectName(QStringLiteral("aboutAction"));
    aboutAction_->setShortcut(QKeySequence(Qt::Key_F1));
    aboutAction_->setShortcutContext(Qt::WindowShortcut);
    connect(aboutAction_, &QAction::triggered, this, &KavriDlg::showAbout);
    addAction(aboutAction_);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    buildLayout();
    okButton_->setFocus(Qt::OtherFocusReason);
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
    auto* runButtons = new QVBoxLayout;
    runButtons->addWidget(okButton_);
    runButtons->addWidget(exitButton);
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
    results->addWidget(estimateFrame, 1);
    results->addSpacing(8);
    results->addLayout(statistics);

    statusLine_ = new StatusLine(kStatusLines, this);
    statusLine_->setObjectName(QStringLiteral("statusLine"));

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addSpacing(6);
    whole->addLayout(results, 1);
    whole->addWidget(statusLine_);
    whole->setSizeConstraint(QLayout::SetFixedSize);
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
    ParKavriDlg dialog(shown, this);
    modalRunner_(dialog);
    if (dialog.result() == QDialog::Accepted) {
        settings_.model = dialog.values();
        ++settings_.modelDialogCount;
    }
}

void KavriDlg::openGaParameters() {
    const GaParameters shown = settings_.gaDialogCount == 0 ? gaPrefill() : settings_.ga;
    ParGenAlgDlg dialog(shown, runOptions_.seed, this);
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
        if (chartsWindow_ != nullptr) {
            chartsWindow_->showCharts(chartInput());
        }
    }
}

charts::ChartInput KavriDlg::chartInput() const {
    return charts::chartInputFromRun(lastOutcome_, lastRunSettings_, nullptr,
                                     lastForecasts_ ? &*lastForecasts_ : nullptr);
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
    }
    chartsWindow_->show();
    chartsWindow_->raise();
    chartsWindow_->activateWindow();
}

void KavriDlg::openStatistics() {
    if (statisticsView_ == nullptr) {
        statisticsView_ = new StatisticsView(this);
        statisticsView_->showRun(lastRunSettings_, lastOutcome_);
    }
    statisticsView_->show();
    statisticsView_->raise();
    statisticsView_->activateWindow();
}

void KavriDlg::runModelOnce() {
    if (running_) {
        return;
    }
    running_ = true;
    // The run writes the run defaults of groups whose dialog was never accepted into the
    // settings it is given; the window keeps the user's own, so that they read the same after
    // every run, whatever its outcome.
    RunSettings used = settings_;
    {
        InputBlocker blocker;
        RunOptions options = runOptions_;
        options.profileThresholds = true;  // drawn by the charts' search tab of an exact search
        lastOutcome_ = runModel(used, texts_, *this, options);
        lastForecasts_.reset();
        showTexts(texts_);
        // Deliver, and so drop, whatever input arrived during the run.
        QCoreApplication::processEvents();
    }
    running_ = false;
    lastRunSettings_ = used;
    statusLine_->setLines(runStatusLines(used, lastOutcome_));
    if (statisticsView_ != nullptr) {
        statisticsView_->showRun(used, lastOutcome_);
    }
    emit runFinished();
    forecastsButton_->setEnabled(lastOutcome_.model.available);
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

void KavriDlg::reject() {
    if (!running_) {
        QDialog::reject();
    }
}

void KavriDlg::closeEvent(QCloseEvent* event) {
    if (running_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace kavri
