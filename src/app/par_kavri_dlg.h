#pragma once

// The model-parameter dialog "Parameter of KAVRI Model". A new dialog is made at every opening
// and shows the fixed pre-fill, never the current settings. OK reads the fields in exchange order
// (delay, maximum order, observations, maximum regimes, minimum observations per regime, series
// file, "Select Model", number of thresholds, thresholds 1 to 3, predictions, autocorrelation
// lags) and refuses the first invalid one, keeping the dialog open. Whatever closes the dialog,
// values() holds what it ended with: the values read by OK, the pre-fill elsewhere.

#include <QDialog>

#include "app/field_exchange.h"
#include "model/run_settings.h"

class QButtonGroup;
class QLineEdit;

namespace kavri {

class ParKavriDlg : public QDialog {
    Q_OBJECT

 public:
    explicit ParKavriDlg(QWidget* parent = nullptr);

    const ModelParameters& values() const { return values_; }
    void setRefusalHandler(RefusalHandler handler) { refusal_ = std::move(handler); }

    void accept() override;

 private:
    void buildLayout();
    void showValues();
    bool exchange();

    ModelParameters values_;
    RefusalHandler refusal_;

    QLineEdit* delayEdit_ = nullptr;
    QLineEdit* maxOrderEdit_ = nullptr;
    QLineEdit* nObservationsEdit_ = nullptr;
    QLineEdit* maxRegimesEdit_ = nullptr;
    QLineEdit* minObsEdit_ = nullptr;
    QLineEdit* seriesPathEdit_ = nullptr;
    QButtonGroup* selectModelGroup_ = nullptr;
    QLineEdit* nThresholdsEdit_ = nullptr;
    QLineEdit* thresholdEdits_[3] = {nullptr, nullptr, nullptr};
    QLineEdit* nPredictionsEdit_ = nullptr;
    QLineEdit* nAutocorrelationsEdit_ = nullptr;
};

}  // namespace kavri
