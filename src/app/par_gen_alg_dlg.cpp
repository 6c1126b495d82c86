#include "app/par_gen_alg_dlg.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_parts.h"

namespace kavri {

ParGenAlgDlg::ParGenAlgDlg(QWidget* parent)
    : QDialog(parent), values_(gaPrefill()), refusal_(warningBoxRefusal(this)) {
    setObjectName(QStringLiteral("ParGenAlgDlg"));
    setWindowTitle(QStringLiteral("Parameter of Genetic Algorithm"));
    buildLayout();
    showValues();
}

void ParGenAlgDlg::buildLayout() {
    nChromosomesEdit_ = makeInputField(QStringLiteral("nChromosomesEdit"), 8, this);
    nIterationsEdit_ = makeInputField(QStringLiteral("nIterationsEdit"), 8, this);
    pCrossoverEdit_ = makeInputField(QStringLiteral("pCrossoverEdit"), 8, this);
    pMutationEdit_ = makeInputField(QStringLiteral("pMutationEdit"), 8, this);
    pSelectionEdit_ = makeInputField(QStringLiteral("pSelectionEdit"), 8, this);
    adjustingConstantEdit_ = makeInputField(QStringLiteral("adjustingConstantEdit"), 8, this);

    auto* pairs = new QGridLayout;
    pairs->setHorizontalSpacing(10);
    addLabelledPair(pairs, 0, 0, QStringLiteral("Probability of Crossover"), pCrossoverEdit_);
    addLabelledPair(pairs, 0, 1, QStringLiteral("N. Iteration"), nIterationsEdit_);
    addLabelledPair(pairs, 1, 0, QStringLiteral("Probability of Mutation"), pMutationEdit_);
    addLabelledPair(pairs, 1, 1, QStringLiteral("N. Chromosome"), nChromosomesEdit_);
    addLabelledPair(pairs, 2, 0, QStringLiteral("Probability of Selection"), pSelectionEdit_);
    addLabelledPair(pairs, 2, 1, QStringLiteral("Adjusting Constant"), adjustingConstantEdit_);

    QVBoxLayout* buttons = makeOkCancelColumn(this);

    auto* top = new QHBoxLayout;
    top->addLayout(pairs, 1);
    top->addSpacing(16);
    top->addLayout(buttons);

    auto* frames = new QHBoxLayout;
    frames->addWidget(makeRadioFrame(QStringLiteral("Print Residual"),
                                     {QStringLiteral("Yes"), QStringLiteral("No")},
                                     QStringLiteral("printResiduals"), printResidualsGroup_, this));
    frames->addWidget(makeRadioFrame(QStringLiteral("Criter"),
                                     {QStringLiteral("Absolute"), QStringLiteral("Relative")},
                                     QStringLiteral("criterion"), criterionGroup_, this));
    frames->addWidget(makeRadioFrame(QStringLiteral("Fitness"),
                                     {QStringLiteral("AIC"), QStringLiteral("MSE")},
                                     QStringLiteral("fitnessKind"), fitnessGroup_, this));
    frames->addWidget(makeRadioFrame(QStringLiteral("Search"),
                                     {QStringLiteral("Genetic"), QStringLiteral("Exact")},
                                     QStringLiteral("searchMethod"), searchGroup_, this));

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addSpacing(8);
    whole->addLayout(frames);
    whole->setSizeConstraint(QLayout::SetFixedSize);
}

void ParGenAlgDlg::showValues() {
    nChromosomesEdit_->setText(QString::number(values_.nChromosomes));
    nIterationsEdit_->setText(QString::number(values_.nIterations));
    pCrossoverEdit_->setText(shortestReal(values_.pCrossover));
    pMutationEdit_->setText(shortestReal(values_.pMutation));
    pSelectionEdit_->setText(shortestReal(values_.pSelection));
    checkRadio(printResidualsGroup_, values_.printResiduals);
    checkRadio(criterionGroup_, values_.criterion);
    checkRadio(fitnessGroup_, values_.fitnessKind);
    adjustingConstantEdit_->setText(shortestReal(values_.adjustingConstant));
    checkRadio(searchGroup_, values_.searchMethod);
}

bool ParGenAlgDlg::exchange() {
    FieldExchange field(refusal_);
    GaParameters& v = values_;
    return field.integer(nChromosomesEdit_, limits::kChromosomes, v.nChromosomes) &&
           field.integer(nIterationsEdit_, limits::kIterations, v.nIterations) &&
           field.real(pCrossoverEdit_, limits::kProbability, v.pCrossover) &&
           field.real(pMutationEdit_, limits::kProbability, v.pMutation) &&
           field.real(pSelectionEdit_, limits::kProbability, v.pSelection) &&
           field.radio(printResidualsGroup_, v.printResiduals) &&
           field.radio(criterionGroup_, v.criterion) && field.radio(fitnessGroup_, v.fitnessKind) &&
           field.real(adjustingConstantEdit_, limits::kAdjustingConstant, v.adjustingConstant) &&
           field.radio(searchGroup_, v.searchMethod);
}

void ParGenAlgDlg::accept() {
    if (exchange()) {
        QDialog::accept();
    }
}

}  // namespace kavri
