#include "app/par_kavri_dlg.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialog_parts.h"

namespace kavri {

namespace {

// The chooser opens in the folder of the file named in the field when that folder exists, and
// in the current folder (where a relative path is read from) otherwise.
QString chooseSeriesFile(QWidget* parent, const QString& current) {
    const QFileInfo named(QDir::current(), current);
    const QString folder = named.dir().exists() ? named.absolutePath() : QDir::currentPath();
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Course File"), folder,
        QStringLiteral("Series files (*.txt *.csv);;Plain text files (*.txt);;"
                       "CSV files (*.csv);;All files (*)"));
}

}  // namespace

ParKavriDlg::ParKavriDlg(QWidget* parent) : ParKavriDlg(modelPrefill(), parent) {}

ParKavriDlg::ParKavriDlg(const ModelParameters& shown, QWidget* parent)
    : QDialog(parent), values_(shown), refusal_(warningBoxRefusal(this)) {
    setObjectName(QStringLiteral("ParKavriDlg"));
    setWindowTitle(QStringLiteral("Parameter of KAVRI Model"));
    fileChooser_ = [this](const QString& current) { return chooseSeriesFile(this, current); };
    buildLayout();
    addToolTips();
    showValues();
}

void ParKavriDlg::buildLayout() {
    delayEdit_ = makeInputField(QStringLiteral("delayEdit"), 6, this);
    maxOrderEdit_ = makeInputField(QStringLiteral("maxOrderEdit"), 6, this);
    nObservationsEdit_ = makeInputField(QStringLiteral("nObservationsEdit"), 6, this);
    maxRegimesEdit_ = makeInputField(QStringLiteral("maxRegimesEdit"), 6, this);
    minObsEdit_ = makeInputField(QStringLiteral("minObsEdit"), 6, this);
    seriesPathEdit_ = makeInputField(QStringLiteral("seriesPathEdit"), 28, this);
    seriesPathEdit_->setMaximumWidth(QWIDGETSIZE_MAX);
    seriesPathEdit_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    nThresholdsEdit_ = makeInputField(QStringLiteral("nThresholdsEdit"), 6, this);
    for (int i = 0; i < 3; ++i) {
        thresholdEdits_[i] = makeInputField(QStringLiteral("threshold%1Edit").arg(i + 1), 12, this);
    }
    nPredictionsEdit_ = makeInputField(QStringLiteral("nPredictionsEdit"), 6, this);
    nAutocorrelationsEdit_ = makeInputField(QStringLiteral("nAutocorrelationsEdit"), 6, this);

    // The path and its "Browse..." button share the field's place; Enter stays with OK.
    browseButton_ = new QPushButton(QStringLiteral("Browse..."), this);
    browseButton_->setObjectName(QStringLiteral("browseButton"));
    browseButton_->setAutoDefault(false);
    connect(browseButton_, &QPushButton::clicked, this, &ParKavriDlg::browseSeriesFile);
    auto* courseFile = new QWidget(this);
    auto* courseRow = new QHBoxLayout(courseFile);
    courseRow->setContentsMargins(0, 0, 0, 0);
    courseRow->addWidget(seriesPathEdit_, 1);
    courseRow->addWidget(browseButton_);
    courseFile->setFocusProxy(seriesPathEdit_);

    auto* pairs = new QGridLayout;
    pairs->setHorizontalSpacing(10);
    addLabelledPair(pairs, 0, 0, QStringLiteral("Max Regimes"), maxRegimesEdit_);
    addLabelledPair(pairs, 0, 1, QStringLiteral("N. Observation"), nObservationsEdit_);
    addLabelledPair(pairs, 1, 0, QStringLiteral("Delay Parameter"), delayEdit_);
    addLabelledPair(pairs, 1, 1, QStringLiteral("Max Order AR"), maxOrderEdit_);
    addLabelledPair(pairs, 2, 0, QStringLiteral("Min. Oss"), minObsEdit_);
    addLabelledPair(pairs, 2, 1, QStringLiteral("N.Autocorrelation"), nAutocorrelationsEdit_);
    addLabelledPair(pairs, 3, 0, QStringLiteral("N. Prediction"), nPredictionsEdit_);
    addLabelledPair(pairs, 3, 1, QStringLiteral("Course File"), courseFile);

    QVBoxLayout* buttons = makeOkCancelColumn(this);

    auto* top = new QHBoxLayout;
    top->addLayout(pairs, 1);
    top->addSpacing(16);
    top->addLayout(buttons);

    QGroupBox* selectFrame = makeRadioFrame(QStringLiteral("Select Model"),
                                            {QStringLiteral("Yes"), QStringLiteral("No")},
                                            QStringLiteral("selectModel"), selectModelGroup_, this);
    selectFrame->setToolTip(
        QStringLiteral("Yes: estimate the model once at the thresholds typed on the right.\n"
                       "No: search the thresholds (as \"Search\" in Parameter of GA says)."));

    auto* thresholdFrame = new QGroupBox(QStringLiteral("Threshold select of user"), this);
    auto* thresholdGrid = new QGridLayout(thresholdFrame);
    addLabelledPair(thresholdGrid, 0, 0, QStringLiteral("Number of Threshold"), nThresholdsEdit_);
    auto* thresholdRow = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(QStringLiteral("Threshold %1").arg(i + 1), thresholdFrame);
        label->setBuddy(thresholdEdits_[i]);
        thresholdRow->addWidget(label);
        thresholdRow->addWidget(thresholdEdits_[i]);
    }
    thresholdGrid->addLayout(thresholdRow, 1, 0, 1, 3);
    thresholdGrid->setColumnStretch(2, 1);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(selectFrame);
    bottom->addWidget(thresholdFrame, 1);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addSpacing(8);
    whole->addLayout(bottom);
    whole->setSizeConstraint(QLayout::SetFixedSize);
}

void ParKavriDlg::addToolTips() {
    delayEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Delay d: observation t falls in the regime chosen by x[t-d]."),
        limits::kDelay));
    maxOrderEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Bound P on the autoregressive order: in every regime the orders 1 to P-1 "
                       "are tried and the one of lowest AIC is kept (so P = 1 fits nothing)."),
        limits::kMaxOrder));
    nObservationsEdit_->setToolTip(
        toolTipWithRange(QStringLiteral("Observations fitted, from the start of the series file."),
                         limits::kObservations));
    maxRegimesEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Largest number of regimes a searched model may have (one more than its "
                       "thresholds)."),
        limits::kMaxRegimes));
    minObsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Least number of observations in every regime of a searched model."),
        limits::kMinObs));
    const QString seriesFile =
        QStringLiteral(
            "Series file: numbers separated by blanks or line breaks.\n"
            "A relative path is read from the folder the program was started in:\n%1")
            .arg(QDir::toNativeSeparators(QDir::currentPath()));
    seriesPathEdit_->setToolTip(seriesFile);
    browseButton_->setToolTip(QStringLiteral("Choose the series file."));
    nThresholdsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Number of thresholds typed below, used when Select Model is Yes (a run "
                       "at given thresholds needs at least 1)."),
        limits::kThresholds));
    for (QLineEdit* threshold : thresholdEdits_) {
        threshold->setToolTip(QStringLiteral(
            "A threshold used when Select Model is Yes: one of the first N. Observation values "
            "of the series, typed so that it reads as exactly that number.\nAny number."));
    }
    nPredictionsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Values after the fitted ones held out and forecast one step ahead "
                       "(Predictions.txt and the MSE)."),
        limits::kPredictions));
    nAutocorrelationsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Residual autocorrelation lags summed by the Ljung-Box statistic."),
        limits::kAutocorrelations));
}

void ParKavriDlg::showValues() {
    delayEdit_->setText(QString::number(values_.delay));
    maxOrderEdit_->setText(QString::number(values_.maxOrder));
    nObservationsEdit_->setText(QString::number(values_.nObservations));
    maxRegimesEdit_->setText(QString::number(values_.maxRegimes));
    minObsEdit_->setText(QString::number(values_.minObs));
    seriesPathEdit_->setText(QString::fromStdString(values_.seriesPath));
    checkRadio(selectModelGroup_, values_.selectModel);
    nThresholdsEdit_->setText(QString::number(values_.nThresholds));
    for (int i = 0; i < 3; ++i) {
        thresholdEdits_[i]->setText(shortestReal(values_.thresholds[i]));
    }
    nPredictionsEdit_->setText(QString::number(values_.nPredictions));
    nAutocorrelationsEdit_->setText(QString::number(values_.nAutocorrelations));
}

bool ParKavriDlg::exchange(ModelParameters& v) {
    FieldExchange field(refusal_);
    return field.integer(delayEdit_, limits::kDelay, v.delay) &&
           field.integer(maxOrderEdit_, limits::kMaxOrder, v.maxOrder) &&
           field.integer(nObservationsEdit_, limits::kObservations, v.nObservations) &&
           field.integer(maxRegimesEdit_, limits::kMaxRegimes, v.maxRegimes) &&
           field.integer(minObsEdit_, limits::kMinObs, v.minObs) &&
           field.text(seriesPathEdit_, v.seriesPath) &&
           field.radio(selectModelGroup_, v.selectModel) &&
           field.integer(nThresholdsEdit_, limits::kThresholds, v.nThresholds) &&
           field.real(thresholdEdits_[0], v.thresholds[0]) &&
           field.real(thresholdEdits_[1], v.thresholds[1]) &&
           field.real(thresholdEdits_[2], v.thresholds[2]) &&
           field.integer(nPredictionsEdit_, limits::kPredictions, v.nPredictions) &&
           field.integer(nAutocorrelationsEdit_, limits::kAutocorrelations, v.nAutocorrelations);
}

void ParKavriDlg::accept() {
    // Read into a copy: a refused OK stores nothing, so Cancel afterwards still leaves the
    // values as the dialog was given them.
    ModelParameters read = values_;
    if (exchange(read)) {
        values_ = read;
        QDialog::accept();
    }
}

void ParKavriDlg::browseSeriesFile() {
    const QString chosen = fileChooser_(seriesPathEdit_->text());
    if (!chosen.isEmpty()) {
        seriesPathEdit_->setText(QDir::toNativeSeparators(chosen));
        seriesPathEdit_->setFocus(Qt::OtherFocusReason);
    }
}

}  // namespace kavri
