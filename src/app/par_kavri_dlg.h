#pragma once

// The model-parameter dialog "Parameter of KAVRI Model". It shows the values it is given: the
// fixed pre-fill by default, the settings the next run will use when the main window has them.
// OK reads the fields in exchange order (delay, maximum order, observations, maximum regimes,
// minimum observations per regime, series file, "Select Model", number of thresholds,
// thresholds 1 to 3, predictions, autocorrelation lags) and refuses the first invalid one,
// keeping the dialog open; values() changes only when every field has passed and the dialog
// closes accepted. Cancel, Esc and the close box leave values() as the dialog was given them.
// "Browse..." beside "Course File" picks the series file with a file chooser.
//
// The "Data" frame chooses which values of the file the run fits, as kavri-cli's --column,
// --skip and --last do: the column of a table (from its header), and the sample from the start
// of the file after some skipped values or as its most recent values. Under it a preview says
// what the file holds: its layout and, per column, the values, the missing ones and the first
// and last value with their dates. The data choice is read on OK after the model fields.
//
// The "Model form" frame sets the form of the model, as kavri-cli's --orders, --lags, --include
// and --threshold-variable do: "Orders" fixes the autoregressive orders (one for every regime,
// or one per regime, separated by commas; empty: each chosen by AIC), "Lags" the lags of every
// regime (empty: 1 .. p; read and bounded by the command line's rule, model/lag_list.h),
// "Terms" the deterministic terms of every regime (a constant, none, or a constant and a
// trend), "Threshold variable" the z whose lag chooses the regime: the own lag, its change, or
// another numeric column of the table the preview describes (not the series' own). It is
// read last, and the form is then checked against the model fields (and the search in force)
// by the run's own rule, modelFormNotice(), so that OK refuses what the run would. "Regimes and
// delay" is kavri-cli's --select: Search (the default) leaves them to the search; Lowest AIC or
// Lowest BIC makes the model comparison first and estimates its best row (run/model_selection.h),
// which needs Select Model No and not one order per regime (ModelForm::ordersPerRegime()).

#include <QDialog>
#include <optional>

#include "app/field_exchange.h"
#include "app/series_preview.h"
#include "model/run_settings.h"
#include "run/model_selection.h"

class QButtonGroup;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace kavri {

class ParKavriDlg : public QDialog {
    Q_OBJECT

 public:
    // Chooses the series file and returns its path, or an empty text when the user gave none.
    // Dialogs default to a file chooser; tests replace it.
    using FileChooser = std::function<QString(const QString& current)>;

    // Describes a series file for the preview; previewSeriesFile() by default.
    using PreviewSource = std::function<SeriesPreview(const std::string& path)>;

    explicit ParKavriDlg(QWidget* parent = nullptr);
    ParKavriDlg(const ModelParameters& shown, QWidget* parent);
    ParKavriDlg(const ModelParameters& shown, const SeriesChoice& series, QWidget* parent);

    const ModelParameters& values() const { return values_; }
    const SeriesChoice& seriesChoice() const { return series_; }
    void setRefusalHandler(RefusalHandler handler) { refusal_ = std::move(handler); }
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }
    void setPreviewSource(PreviewSource source);
    // For a dialog that shows values never accepted: what the next run uses instead.
    void setValuesInForce(const ModelParameters& inForce);
    // The model's form shown, and read on OK (values() and seriesChoice() alike).
    void setForm(const ModelForm& form);
    const ModelForm& form() const { return form_; }
    // The genetic-algorithm group the next run uses: the form is checked against its search.
    void setGaInForce(const GaParameters& ga) { gaInForce_ = ga; }
    // "Threshold variable": the own lag, its change, or another numeric column of the table.
    void setThresholdVariable(const ThresholdVariable& variable);
    const ThresholdVariable& thresholdVariable() const { return thresholdVariable_; }
    // "Regimes and delay": empty for Search, else the criterion of the comparison's best row.
    void setSelection(std::optional<SelectionCriterion> selection);
    std::optional<SelectionCriterion> selection() const { return selection_; }

    void accept() override;

 public slots:
    void browseSeriesFile();
    // Reads the file named in "Course File" again and shows what it holds.
    void refreshPreview();

 private:
    void buildLayout();
    QWidget* buildDataFrame();
    QWidget* buildFormFrame();
    bool exchangeForm(const ModelParameters& model, ModelForm& read);
    bool exchangeSelection(const ModelParameters& model, const ModelForm& form,
                           std::optional<SelectionCriterion>& read);
    void addToolTips();
    void showValues();
    bool exchange(ModelParameters& read);
    bool exchangeSeries(SeriesChoice& read);
    void showPreview(const SeriesPreview& preview);
    // The threshold variables the file offers, keeping the one chosen when it is among them.
    void showThresholdVariables();
    ThresholdVariable chosenThresholdVariable() const;

    ModelParameters values_;
    SeriesChoice series_;
    ModelForm form_;
    GaParameters gaInForce_;
    std::optional<SelectionCriterion> selection_;
    ThresholdVariable thresholdVariable_;
    SeriesPreview preview_;
    RefusalHandler refusal_;
    FileChooser fileChooser_;
    PreviewSource previewSource_;
    QString previewedPath_;

    QComboBox* columnCombo_ = nullptr;
    QButtonGroup* sampleGroup_ = nullptr;  // 0: from the start after skipping, 1: most recent
    QLineEdit* skipEdit_ = nullptr;
    QLabel* previewSummary_ = nullptr;
    QTableWidget* previewTable_ = nullptr;
    QLabel* note_ = nullptr;  // shown only by setValuesInForce()
    QLineEdit* ordersEdit_ = nullptr;
    QLineEdit* lagsEdit_ = nullptr;
    QComboBox* termsCombo_ = nullptr;
    QComboBox* thresholdVariableCombo_ = nullptr;
    QComboBox* selectionCombo_ = nullptr;

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
