#include "app/par_kavri_dlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_parts.h"

namespace kavri {

ParKavriDlg::ParKavriDlg(QWidget* parent)
    : QDialog(parent), values_(modelPrefill()), refusal_(warningBoxRefusal(this)) {
    setObjectName(QStringLiteral("ParKavriDlg"));
    setWindowTitle(QStringLiteral("Parameter of KAVRI Model"));
    buildLayout();
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

    auto* pairs = new QGridLayout;
    pairs->setHorizontalSpacing(10);
    addLabelledPair(pairs, 0, 0, QStringLiteral("Max Regimes"), maxRegimesEdit_);
    addLabelledPair(pairs, 0, 1, QStringLiteral("N. Observation"), nObservationsEdit_);
    addLabelledPair(pairs, 1, 0, QStringLiteral("Delay Parameter"), delayEdit_);
    addLabelledPair(pairs, 1, 1, QStringLiteral("Max Order AR"), maxOrderEdit_);
    addLabelledPair(pairs, 2, 0, QStringLiteral("Min. Oss"), minObsEdit_);
    addLabelledPair(pairs, 2, 1, QStringLiteral("N.Autocorrelation"), nAutocorrelationsEdit_);
    addLabelledPair(pairs, 3, 0, QStringLiteral("N. Prediction"), nPredictionsEdit_);
    addLabelledPair(pairs, 3, 1, QStringLiteral("Course File"), seriesPathEdit_);

    QVBoxLayout* buttons = makeOkCancelColumn(this);

    auto* top = new QHBoxLayout;
    top->addLayout(pairs, 1);
    top->addSpacing(16);
    top->addLayout(buttons);

    QGroupBox* selectFrame = makeRadioFrame(QStringLiteral("Select Model"),
                                            {QStringLiteral("Yes"), QStringLiteral("No")},
                                            QStringLiteral("selectModel"), selectModelGroup_, this);

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

bool ParKavriDlg::exchange() {
    FieldExchange field(refusal_);
    ModelParameters& v = values_;
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
    if (exchange()) {
        QDialog::accept();
    }
}

}  // namespace kavri
