#pragma once

// The model-parameter dialog "Parameter of KAVRI Model". It shows the values it is given: the
// fixed pre-fill by default, the settings the next run will use when the main window has them.
// OK reads the fields in exchange order (delay, maximum order, observations, maximum regimes,
// minimum observations per regime, series file, "Select Model", number of thresholds,
// thresholds 1 to 3, predictions, autocorrelation lags) and refuses the first invalid one,
// keeping the dialog open; values() changes only when every field has passed and the dialog
// closes accepted. Cancel, Esc and the close box leave values() as the dialog was given them.
// "Browse..." beside "Course File" picks the series file with a file chooser.

#include <QDialog>

#include "app/field_exchange.h"
#include "model/run_settings.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace kavri {

class ParKavriDlg : public QDialog {
    Q_OBJECT

 public:
    // Chooses the series file and returns its path, or an empty text when the user gave none.
    // Dialogs default to a file chooser; tests replace it.
    using FileChooser = std::function<QString(const QString& current)>;

    explicit ParKavriDlg(QWidget* parent = nullptr);
    ParKavriDlg(const ModelParameters& shown, QWidget* parent);

    const ModelParameters& values() const { return values_; }
    void setRefusalHandler(RefusalHandler handler) { refusal_ = std::move(handler); }
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

    void accept() override;

 public slots:
    void browseSeriesFile();

 private:
    void buildLayout();
    void addToolTips();
    void showValues();
    bool exchange(ModelParameters& read);

    ModelParameters values_;
    RefusalHandler refusal_;
    FileChooser fileChooser_;

    QLineEdit* delayEdit_ = nullptr;
    QLineEdit* maxOrderEdit_ = nullptr;
    QLineEdit* nObservationsEdit_ = nullptr;
    QLineEdit* maxRegimesEdit_ = nullptr;
    QLineEdit* minObsEdit_ = nullptr;
    QLineEdit* seriesPathEdit_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QButtonGroup* selectModelGroup_ = nullptr;
    QLineEdit* nThresholdsEdit_ = nullptr;
    QLineEdit* thresholdEdits_[3] = {nullptr, nullptr, nullptr};
    QLineEdit* nPredictionsEdit_ = nullptr;
    QLineEdit* nAutocorrelationsEdit_ = nullptr;
};

}  // namespace kavri
