#pragma once

// The genetic-algorithm dialog "Parameter of Genetic Algorithm". Like the model dialog it is new
// at every opening, shows the fixed pre-fill, reads its fields on OK in exchange order
// (chromosomes, generations, the three probabilities, "Print Residual", "Criter", "Fitness",
// adjusting constant, "Search"), refuses the first invalid one, and ends holding what OK read or
// the pre-fill.

#include <QDialog>

#include "app/field_exchange.h"
#include "model/run_settings.h"

class QButtonGroup;
class QLineEdit;

namespace kavri {

class ParGenAlgDlg : public QDialog {
    Q_OBJECT

 public:
    explicit ParGenAlgDlg(QWidget* parent = nullptr);

    const GaParameters& values() const { return values_; }
    void setRefusalHandler(RefusalHandler handler) { refusal_ = std::move(handler); }

    void accept() override;

 private:
    void buildLayout();
    void showValues();
    bool exchange();

    GaParameters values_;
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
};

}  // namespace kavri
