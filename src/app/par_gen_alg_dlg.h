#pragma once

// The genetic-algorithm dialog "Parameter of Genetic Algorithm". Like the model dialog it shows
// the values it is given (the fixed pre-fill by default), reads its fields on OK in exchange
// order (chromosomes, generations, the three probabilities, "Print Residual", "Criter",
// "Fitness", adjusting constant, "Search", "Seed"), refuses the first invalid one, and changes
// values() and seed() only when every field has passed and the dialog closes accepted.
// "Seed" is the first seed of the genetic search: empty, each run takes one from the clock; a
// number repeats the run that showed it (kavri-cli --seed takes the same number).
// Its pre-fill differs from what a run uses while the dialog was never accepted; the main window
// hands it those values, so that the dialog says which fields are not yet in force.

#include <QDialog>
#include <cstdint>
#include <optional>

#include "app/field_exchange.h"
#include "model/run_settings.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kavri {

class ParGenAlgDlg : public QDialog {
    Q_OBJECT

 public:
    explicit ParGenAlgDlg(QWidget* parent = nullptr);
    ParGenAlgDlg(const GaParameters& shown, std::optional<std::uint32_t> seed, QWidget* parent);

    const GaParameters& values() const { return values_; }
    const std::optional<std::uint32_t>& seed() const { return seed_; }
    void setRefusalHandler(RefusalHandler handler) { refusal_ = std::move(handler); }
    // For a dialog that shows values never accepted: what the next run uses instead. The note
    // above the buttons says so and the fields whose shown value differs are marked.
    void setValuesInForce(const GaParameters& inForce);

    void accept() override;

 private:
    void buildLayout();
    void addToolTips();
    void showValues();
    bool exchange(GaParameters& read, std::optional<std::uint32_t>& seed);

    GaParameters values_;
    std::optional<std::uint32_t> seed_;
    RefusalHandler refusal_;

    QLineEdit* nChromosomesEdit_ = nullptr;
    QLineEdit* nIterationsEdit_ = nullptr;
    QLineEdit* pCrossoverEdit_ = nullptr;
    QLineEdit* pMutationEdit_ = nullptr;
    QLineEdit* pSelectionEdit_ = nullptr;
    QButtonGroup* printResidualsGroup_ = nullptr;
    QButtonGroup* criterionGroup_ = nullptr;
    QButtonGroup* fitnessGroup_ = nullptr;
    QLineEdit* adjustingConstantEdit_ = nullptr;
    QButtonGroup* searchGroup_ = nullptr;
    QLineEdit* seedEdit_ = nullptr;
    QGroupBox* printResidualsFrame_ = nullptr;
    QGroupBox* criterionFrame_ = nullptr;
    QGroupBox* fitnessFrame_ = nullptr;
    QGroupBox* searchFrame_ = nullptr;
    QLabel* note_ = nullptr;  // shown only by setValuesInForce()
};

}  // namespace kavri
