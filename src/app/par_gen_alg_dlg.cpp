#include "app/par_gen_alg_dlg.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialog_parts.h"

namespace kavri {

ParGenAlgDlg::ParGenAlgDlg(QWidget* parent) : ParGenAlgDlg(gaPrefill(), std::nullopt, parent) {}

ParGenAlgDlg::ParGenAlgDlg(const GaParameters& shown, std::optional<std::uint32_t> seed,
                           QWidget* parent)
    : QDialog(parent), values_(shown), seed_(seed), refusal_(warningBoxRefusal(this)) {
    setObjectName(QStringLiteral("ParGenAlgDlg"));
    setWindowTitle(QStringLiteral("Parameter of Genetic Algorithm"));
    buildLayout();
    addToolTips();
    showValues();
}

void ParGenAlgDlg::buildLayout() {
    nChromosomesEdit_ = makeInputField(QStringLiteral("nChromosomesEdit"), 8, this);
    nIterationsEdit_ = makeInputField(QStringLiteral("nIterationsEdit"), 8, this);
    pCrossoverEdit_ = makeInputField(QStringLiteral("pCrossoverEdit"), 8, this);
    pMutationEdit_ = makeInputField(QStringLiteral("pMutationEdit"), 8, this);
    pSelectionEdit_ = makeInputField(QStringLiteral("pSelectionEdit"), 8, this);
    adjustingConstantEdit_ = makeInputField(QStringLiteral("adjustingConstantEdit"), 8, this);
    seedEdit_ = makeInputField(QStringLiteral("seedEdit"), 11, this);
    seedEdit_->setPlaceholderText(QStringLiteral("clock"));

    auto* pairs = new QGridLayout;
    pairs->setHorizontalSpacing(10);
    addLabelledPair(pairs, 0, 0, QStringLiteral("Probability of Crossover"), pCrossoverEdit_);
    addLabelledPair(pairs, 0, 1, QStringLiteral("N. Iteration"), nIterationsEdit_);
    addLabelledPair(pairs, 1, 0, QStringLiteral("Probability of Mutation"), pMutationEdit_);
    addLabelledPair(pairs, 1, 1, QStringLiteral("N. Chromosome"), nChromosomesEdit_);
    addLabelledPair(pairs, 2, 0, QStringLiteral("Probability of Selection"), pSelectionEdit_);
    addLabelledPair(pairs, 2, 1, QStringLiteral("Adjusting Constant"), adjustingConstantEdit_);
    addLabelledPair(pairs, 3, 0, QStringLiteral("Seed"), seedEdit_);

    QVBoxLayout* buttons = makeOkCancelColumn(this);

    auto* top = new QHBoxLayout;
    top->addLayout(pairs, 1);
    top->addSpacing(16);
    top->addLayout(buttons);

    printResidualsFrame_ = makeRadioFrame(
        QStringLiteral("Print Residual"), {QStringLiteral("Yes"), QStringLiteral("No")},
        QStringLiteral("printResiduals"), printResidualsGroup_, this);
    printResidualsFrame_->setToolTip(
        QStringLiteral("Yes: write the series, fitted values and residuals of the reported "
                       "model to Residuals.txt.\nNo: Residuals.txt is left empty."));
    criterionFrame_ = makeRadioFrame(QStringLiteral("Criter"),
                                     {QStringLiteral("Absolute"), QStringLiteral("Relative")},
                                     QStringLiteral("criterion"), criterionGroup_, this);
    criterionFrame_->setToolTip(
        QStringLiteral("Order search in every regime.\nAbsolute: try every order and keep the "
                       "one of lowest AIC.\nRelative: stop at the first order that does not "
                       "lower the AIC."));
    fitnessFrame_ =
        makeRadioFrame(QStringLiteral("Fitness"), {QStringLiteral("AIC"), QStringLiteral("MSE")},
                       QStringLiteral("fitnessKind"), fitnessGroup_, this);
    fitnessFrame_->setToolTip(
        QStringLiteral("What the search maximises.\nAIC: exp(-NAIC / Adjusting Constant).\n"
                       "MSE: exp(-(1 + MSE)) of the one-step forecasts of the held-out values "
                       "(needs N. Prediction above 0)."));
    searchFrame_ = makeRadioFrame(QStringLiteral("Search"),
                                  {QStringLiteral("Genetic"), QStringLiteral("Exact")},
                                  QStringLiteral("searchMethod"), searchGroup_, this);
    searchFrame_->setToolTip(
        QStringLiteral("How the thresholds are searched when Select Model is No.\nGenetic: the "
                       "genetic algorithm set up here.\nExact: the valid thresholds of highest "
                       "fitness, found by dynamic programming over the ranked values."));

    auto* frames = new QHBoxLayout;
    frames->addWidget(printResidualsFrame_);
    frames->addWidget(criterionFrame_);
    frames->addWidget(fitnessFrame_);
    frames->addWidget(searchFrame_);

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("startingValuesNote"));
    note_->setVisible(false);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addSpacing(8);
    whole->addLayout(frames);
    whole->addWidget(note_);
    whole->setSizeConstraint(QLayout::SetFixedSize);
}

void ParGenAlgDlg::addToolTips() {
    nChromosomesEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Population size: chromosomes, each a set of thresholds, per generation."),
        limits::kChromosomes));
    nIterationsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Last generation: generations 0 to G are run."), limits::kIterations));
    pCrossoverEdit_->setToolTip(
        toolTipWithRange(QStringLiteral("Share of the population paired for one-point crossover."),
                         limits::kProbability));
    pMutationEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Probability that each gene of a chromosome flips."), limits::kProbability));
    pSelectionEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Probability that the fitter chromosome of a tournament pair replaces the "
                       "other."),
        limits::kProbability));
    adjustingConstantEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("C in the AIC fitness exp(-NAIC / C)."), limits::kAdjustingConstant));
    seedEdit_->setToolTip(
        QStringLiteral("First seed of the genetic search. Empty: a seed from the clock, shown "
                       "after the run.\nType a seed shown after a run to repeat that run, here "
                       "or with kavri-cli --seed.\nAn integer from 0 to %1, or empty.")
            .arg(UINT32_MAX));
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
    seedEdit_->setText(seed_ ? QString::number(*seed_) : QString());
}

void ParGenAlgDlg::setValuesInForce(const GaParameters& inForce) {
    const auto radioText = [](QButtonGroup* group, int index) {
        QAbstractButton* button = group->button(index);
        return button != nullptr ? button->text() : QString::number(index);
    };
    std::vector<ValueNotInForce> differences;
    const auto integer = [&](QLineEdit* field, const char* label, int shown, int used) {
        if (shown != used) {
            differences.push_back({field, QString::fromUtf8(label), QString::number(used)});
        }
    };
    const auto real = [&](QLineEdit* field, const char* label, double shown, double used) {
        if (shown != used) {
            differences.push_back({field, QString::fromUtf8(label), shortestReal(used)});
        }
    };
    const auto radio = [&](QGroupBox* frame, QButtonGroup* group, int shown, int used) {
        if (shown != used) {
            differences.push_back({frame, frame->title(), radioText(group, used)});
        }
    };
    const GaParameters& shown = values_;
    integer(nChromosomesEdit_, "N. Chromosome", shown.nChromosomes, inForce.nChromosomes);
    integer(nIterationsEdit_, "N. Iteration", shown.nIterations, inForce.nIterations);
    real(pCrossoverEdit_, "Probability of Crossover", shown.pCrossover, inForce.pCrossover);
    real(pMutationEdit_, "Probability of Mutation", shown.pMutation, inForce.pMutation);
    real(pSelectionEdit_, "Probability of Selection", shown.pSelection, inForce.pSelection);
    radio(printResidualsFrame_, printResidualsGroup_, shown.printResiduals, inForce.printResiduals);
    radio(criterionFrame_, criterionGroup_, shown.criterion, inForce.criterion);
    radio(fitnessFrame_, fitnessGroup_, shown.fitnessKind, inForce.fitnessKind);
    real(adjustingConstantEdit_, "Adjusting Constant", shown.adjustingConstant,
         inForce.adjustingConstant);
    radio(searchFrame_, searchGroup_, shown.searchMethod, inForce.searchMethod);
    showStartingValuesNote(note_, differences);
}

bool ParGenAlgDlg::exchange(GaParameters& v, std::optional<std::uint32_t>& seed) {
    FieldExchange field(refusal_);
    return field.integer(nChromosomesEdit_, limits::kChromosomes, v.nChromosomes) &&
           field.integer(nIterationsEdit_, limits::kIterations, v.nIterations) &&
           field.real(pCrossoverEdit_, limits::kProbability, v.pCrossover) &&
           field.real(pMutationEdit_, limits::kProbability, v.pMutation) &&
           field.real(pSelectionEdit_, limits::kProbability, v.pSelection) &&
           field.radio(printResidualsGroup_, v.printResiduals) &&
           field.radio(criterionGroup_, v.criterion) && field.radio(fitnessGroup_, v.fitnessKind) &&
           field.real(adjustingConstantEdit_, limits::kAdjustingConstant, v.adjustingConstant) &&
           field.radio(searchGroup_, v.searchMethod) && field.seed(seedEdit_, seed);
}

void ParGenAlgDlg::accept() {
    // Read into copies: a refused OK stores nothing.
    GaParameters read = values_;
    std::optional<std::uint32_t> seed = seed_;
    if (exchange(read, seed)) {
        values_ = read;
        seed_ = seed;
        QDialog::accept();
    }
}

}  // namespace kavri
