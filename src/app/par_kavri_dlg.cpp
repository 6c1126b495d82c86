#include "app/par_kavri_dlg.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <iterator>

#include "app/dialog_parts.h"
#include "app/run_status.h"
#include "model/lag_list.h"
#include "run/run_driver.h"

namespace kavri {

namespace {

// Values skipped at the start of the file, as kavri-cli --skip takes them.
constexpr IntRange kSkipped{0, 100000000};
constexpr int kSampleFromStart = 0;
constexpr int kSampleMostRecent = 1;
// Rows of the preview shown without scrolling.
constexpr int kPreviewRows = 4;
// The threshold variable's entries hold its kind (Qt::UserRole) and a column's choice here.
constexpr int kColumnRole = Qt::UserRole + 1;

// The deterministic terms the "Terms" choice offers, in its order: the label, the word of
// kavri-cli's --include, and the form it sets. Another term is one more entry here.
struct TermsEntry {
    const char* label;
    const char* option;
    bool constant;
    bool trend;
};
constexpr TermsEntry kTermsEntries[] = {
    {"Constant", "const", true, false},
    {"None", "none", false, false},
    {"Constant and trend", "trend", true, true},
};

int termsIndexOf(const ModelForm& form) {
    int index = 0;
    for (const TermsEntry& entry : kTermsEntries) {
        if (entry.constant == form.constant && entry.trend == form.trend) {
            return index;
        }
        ++index;
    }
    return 0;
}

// "3, 1": the orders separated by commas, blanks allowed around them; empty text is no fixed
// order. False for anything else (the count and range are the run's rule to check).
bool parseOrders(const QString& text, ModelForm& form) {
    const QString trimmed = text.trimmed();
    form.nFixedOrders = 0;
    form.fixedOrders = {};
    if (trimmed.isEmpty()) {
        return true;
    }
    const QStringList parts = trimmed.split(QLatin1Char(','));
    if (parts.size() > kMaxRegimeCount) {
        return false;
    }
    for (const QString& part : parts) {
        const std::optional<int> order = parseInteger(part, IntRange{1, limits::kMaxOrder.max});
        if (!order) {
            form.nFixedOrders = 0;
            return false;
        }
        form.fixedOrders[static_cast<std::size_t>(form.nFixedOrders++)] = *order;
    }
    return true;
}

// "1, 2, 12": the lags of every regime, read by the command line's rule for --lags once the
// blanks a field invites around the commas are taken out; empty text is the lags 1 .. p. The
// refusal in the dialog's words, or nothing.
std::optional<QString> readLags(const QString& text, ModelForm& form) {
    QString lags = text.trimmed();
    form.nLags = 0;
    form.lags = {};
    if (lags.isEmpty()) {
        return std::nullopt;
    }
    static const QRegularExpression kBlanksAroundCommas(QStringLiteral("\\s*,\\s*"));
    lags.replace(kBlanksAroundCommas, QStringLiteral(","));
    if (std::optional<std::string> refusal = readLagList(lags.toStdString(), form)) {
        // The refusal quotes what was typed, not the text with its blanks taken out.
        const std::string read = "\"" + lags.toStdString() + "\"";
        const std::size_t at = refusal->rfind(read);
        if (at != std::string::npos) {
            refusal->replace(at, read.size(), "\"" + text.toStdString() + "\"");
        }
        return QString::fromStdString(inDesktopWords(*refusal));
    }
    return std::nullopt;
}

QString lagsText(const ModelForm& form) {
    QStringList lags;
    for (int i = 0; i < form.nLags; ++i) {
        lags.append(QString::number(form.lags[static_cast<std::size_t>(i)]));
    }
    return lags.join(QStringLiteral(","));
}

// The "Regimes and delay" choice, in its order: Search, then the comparison's criteria.
struct SelectionEntry {
    const char* label;
    std::optional<SelectionCriterion> criterion;
};
const SelectionEntry kSelectionEntries[] = {
    {"Search", std::nullopt},
    {"Lowest AIC of the comparison", SelectionCriterion::kAic},
    {"Lowest BIC of the comparison", SelectionCriterion::kBic},
};

QString ordersText(const ModelForm& form) {
    QStringList orders;
    for (int i = 0; i < form.nFixedOrders; ++i) {
        orders.append(QString::number(form.fixedOrders[static_cast<std::size_t>(i)]));
    }
    return orders.join(QStringLiteral(","));
}

// The chooser opens in the folder of the file named in the field when that folder exists, and
// in the current folder (where a relative path is read from) otherwise.
QString chooseSeriesFile(QWidget* parent, const QString& current) {
    const QFileInfo named(QDir::current(), current);
    const QString folder = named.dir().exists() ? named.absolutePath() : QDir::currentPath();
    return QFileDialog::getOpenFileName(
        parent, QStringLiteral("Course File"), folder,
        QStringLiteral("Series files (*.txt *.csv *.tsv *.dat);;Plain text files (*.txt *.dat);;"
                       "CSV files (*.csv);;TSV files (*.tsv);;All files (*)"));
}

}  // namespace

ParKavriDlg::ParKavriDlg(QWidget* parent) : ParKavriDlg(modelPrefill(), parent) {}

ParKavriDlg::ParKavriDlg(const ModelParameters& shown, QWidget* parent)
    : ParKavriDlg(shown, SeriesChoice{}, parent) {}

ParKavriDlg::ParKavriDlg(const ModelParameters& shown, const SeriesChoice& series, QWidget* parent)
    : QDialog(parent), values_(shown), series_(series), refusal_(warningBoxRefusal(this)) {
    setObjectName(QStringLiteral("ParKavriDlg"));
    setWindowTitle(QStringLiteral("Parameter of KAVRI Model"));
    fileChooser_ = [this](const QString& current) { return chooseSeriesFile(this, current); };
    previewSource_ = [](const std::string& path) { return previewSeriesFile(path); };
    buildLayout();
    addToolTips();
    showValues();
    refreshPreview();
}

void ParKavriDlg::setPreviewSource(PreviewSource source) {
    previewSource_ = std::move(source);
    previewedPath_.clear();
    refreshPreview();
}

QWidget* ParKavriDlg::buildDataFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Data"), this);
    frame->setToolTip(
        QStringLiteral("Which values of the series file the run fits (kavri-cli --column, --skip "
                       "and --last), and what the file holds."));
    columnCombo_ = new QComboBox(frame);
    columnCombo_->setObjectName(QStringLiteral("columnCombo"));
    columnCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    columnCombo_->setMinimumContentsLength(18);
    auto* columnLabel = new QLabel(QStringLiteral("Column"), frame);
    columnLabel->setBuddy(columnCombo_);

    sampleGroup_ = new QButtonGroup(frame);
    sampleGroup_->setObjectName(QStringLiteral("sample"));
    auto* fromStart = new QRadioButton(QStringLiteral("From the start, skipping"), frame);
    fromStart->setObjectName(QStringLiteral("sampleFromStart"));
    auto* mostRecent = new QRadioButton(QStringLiteral("The most recent values"), frame);
    mostRecent->setObjectName(QStringLiteral("sampleMostRecent"));
    sampleGroup_->addButton(fromStart, kSampleFromStart);
    sampleGroup_->addButton(mostRecent, kSampleMostRecent);
    skipEdit_ = makeInputField(QStringLiteral("skipEdit"), 9, frame);
    skipEdit_->setAccessibleName(QStringLiteral("Skipped values"));
    connect(mostRecent, &QRadioButton::toggled, skipEdit_, &QLineEdit::setDisabled);

    auto* choice = new QHBoxLayout;
    choice->addWidget(columnLabel);
    choice->addWidget(columnCombo_);
    choice->addSpacing(16);
    choice->addWidget(fromStart);
    choice->addWidget(skipEdit_);
    choice->addWidget(new QLabel(QStringLiteral("values"), frame));
    choice->addSpacing(16);
    choice->addWidget(mostRecent);
    choice->addStretch(1);

    previewSummary_ = new QLabel(frame);
    previewSummary_->setObjectName(QStringLiteral("previewSummary"));
    previewSummary_->setTextFormat(Qt::PlainText);
    previewSummary_->setWordWrap(true);
    previewTable_ = new QTableWidget(0, 5, frame);
    previewTable_->setObjectName(QStringLiteral("previewTable"));
    previewTable_->setHorizontalHeaderLabels({QStringLiteral("Column"), QStringLiteral("Values"),
                                              QStringLiteral("Missing"), QStringLiteral("First"),
                                              QStringLiteral("Last")});
    previewTable_->verticalHeader()->setVisible(false);
    previewTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable_->setSelectionMode(QAbstractItemView::NoSelection);
    previewTable_->setFocusPolicy(Qt::NoFocus);
    previewTable_->horizontalHeader()->setStretchLastSection(true);
    const int rowHeight = previewTable_->fontMetrics().height() + 8;
    previewTable_->setFixedHeight(rowHeight * (kPreviewRows + 1) + 6);
    previewTable_->setMinimumWidth(previewTable_->fontMetrics().averageCharWidth() * 90);

    auto* column = new QVBoxLayout(frame);
    column->addLayout(choice);
    column->addWidget(previewSummary_);
    column->addWidget(previewTable_);
    return frame;
}

QWidget* ParKavriDlg::buildFormFrame() {
    auto* frame = new QGroupBox(QStringLiteral("Model form and choice"), this);
    frame->setObjectName(QStringLiteral("formFrame"));
    frame->setToolTip(
        QStringLiteral("The form of every regime's equation beyond its thresholds (kavri-cli "
                       "--orders, --lags, --include and --threshold-variable), and how the "
                       "number of regimes and the delay "
                       "are chosen (--select); the defaults are the model as always fitted."));
    ordersEdit_ = makeInputField(QStringLiteral("ordersEdit"), 12, frame);
    ordersEdit_->setPlaceholderText(QStringLiteral("by AIC"));
    lagsEdit_ = makeInputField(QStringLiteral("lagsEdit"), 12, frame);
    lagsEdit_->setPlaceholderText(QStringLiteral("1 .. p"));
    termsCombo_ = new QComboBox(frame);
    termsCombo_->setObjectName(QStringLiteral("termsCombo"));
    for (const TermsEntry& entry : kTermsEntries) {
        termsCombo_->addItem(QString::fromUtf8(entry.label));
    }
    thresholdVariableCombo_ = new QComboBox(frame);
    thresholdVariableCombo_->setObjectName(QStringLiteral("thresholdVariableCombo"));
    thresholdVariableCombo_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    selectionCombo_ = new QComboBox(frame);
    selectionCombo_->setObjectName(QStringLiteral("selectionCombo"));
    for (const SelectionEntry& entry : kSelectionEntries) {
        selectionCombo_->addItem(QString::fromUtf8(entry.label));
    }
    auto* grid = new QGridLayout(frame);
    addLabelledPair(grid, 0, 0, QStringLiteral("Orders"), ordersEdit_);
    addLabelledPair(grid, 0, 1, QStringLiteral("Lags"), lagsEdit_);
    addLabelledPair(grid, 0, 2, QStringLiteral("Terms"), termsCombo_);
    addLabelledPair(grid, 1, 0, QStringLiteral("Threshold variable"), thresholdVariableCombo_);
    addLabelledPair(grid, 1, 2, QStringLiteral("Regimes and delay"), selectionCombo_);
    grid->setColumnStretch(6, 1);
    return frame;
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

    note_ = new QLabel(this);
    note_->setObjectName(QStringLiteral("startingValuesNote"));
    note_->setVisible(false);

    auto* whole = new QVBoxLayout(this);
    whole->addLayout(top);
    whole->addSpacing(8);
    whole->addLayout(bottom);
    whole->addWidget(buildFormFrame());
    whole->addWidget(buildDataFrame());
    whole->addWidget(note_);
    whole->setSizeConstraint(QLayout::SetFixedSize);

    connect(seriesPathEdit_, &QLineEdit::editingFinished, this, &ParKavriDlg::refreshPreview);
    connect(columnCombo_, &QComboBox::currentIndexChanged, this,
            &ParKavriDlg::showThresholdVariables);
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
        toolTipWithRange(QStringLiteral("Observations fitted, taken as \"Data\" below says."),
                         limits::kCommandLineObservations));
    maxRegimesEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Largest number of regimes a searched model may have (one more than its "
                       "thresholds)."),
        limits::kMaxRegimes));
    minObsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Least number of observations in every regime of a searched model."),
        limits::kMinObs));
    const QString seriesFile =
        QStringLiteral(
            "Series file: numbers separated by blanks or line breaks, or a table separated by "
            "commas, semicolons (decimal commas) or tabs, with an optional header line; its "
            "first column, when it holds dates or years, labels the values.\n"
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
            "of the threshold variable (the series itself unless \"Threshold variable\" below "
            "says otherwise), typed so that it reads as exactly that number.\nAny number."));
    }
    nPredictionsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Values after the fitted ones held out and forecast one step ahead "
                       "(Predictions.txt and the MSE)."),
        limits::kCommandLinePredictions));
    nAutocorrelationsEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Residual autocorrelation lags summed by the Ljung-Box statistic."),
        limits::kAutocorrelations));
    ordersEdit_->setToolTip(QStringLiteral(
        "Fixed autoregressive orders instead of the order of lowest AIC (kavri-cli --orders): "
        "one order for every regime (\"2\"), or one per regime separated by commas (\"3,1\", "
        "with Select Model Yes and one more order than thresholds); each from 1 to Max Order AR "
        "minus 1.\nEmpty: each regime's order is chosen by AIC."));
    lagsEdit_->setToolTip(QStringLiteral(
        "The lags every regime uses instead of 1 .. p (kavri-cli --lags): ascending, each below "
        "Max Order AR, separated by commas (\"1,2,12\" for a monthly series). Orders then count "
        "these lags: the AIC chooses among the first 1, 2, ... of them, and Orders k fits the "
        "first k.\nEmpty: the lags 1 .. p."));
    termsCombo_->setToolTip(QStringLiteral(
        "Deterministic terms of every regime (kavri-cli --include): a constant; none, for a "
        "series whose mean is zero by construction (the constant is then reported as 0); or a "
        "constant and a linear trend t, with t = 1 at the sample's first value, continued past "
        "it by forecasts."));
    thresholdVariableCombo_->setToolTip(QStringLiteral(
        "The variable z whose value z[t-d] chooses the regime of observation t "
        "(kavri-cli --threshold-variable): the series itself, its change x[t-d] - x[t-d-1], or "
        "another numeric column of the same table, row by row with the series.\nThe thresholds "
        "are then values of z. With another column, forecasts go only as far as the file gives "
        "its values after the series."));
    selectionCombo_->setToolTip(QStringLiteral(
        "How the number of regimes and the delay are chosen (kavri-cli --select).\nSearch: by "
        "the search of Parameter of GA at the Delay Parameter.\nLowest AIC or BIC: the exact "
        "optimum of every number of regimes up to Max Regimes and every delay 1 to 10 is "
        "compared on one common sample, and the best row by the criterion is estimated at its "
        "thresholds (needs Select Model No; the Delay Parameter is not used)."));
    columnCombo_->setToolTip(
        QStringLiteral("The column of a table holding the series, as named by its header line.\n"
                       "Automatic: the only column of numbers, else the last one."));
    skipEdit_->setToolTip(toolTipWithRange(
        QStringLiteral("Values of the file left out before the sample starts."), kSkipped));
    sampleGroup_->button(kSampleMostRecent)
        ->setToolTip(QStringLiteral("Fit the last N. Observation + N. Prediction values of the "
                                    "file: the held-out ones are the most recent."));
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
    ordersEdit_->setText(ordersText(form_));
    lagsEdit_->setText(lagsText(form_));
    termsCombo_->setCurrentIndex(termsIndexOf(form_));
    showThresholdVariables();
    for (int i = 0; i < static_cast<int>(std::size(kSelectionEntries)); ++i) {
        if (kSelectionEntries[i].criterion == selection_) {
            selectionCombo_->setCurrentIndex(i);
        }
    }
    skipEdit_->setText(QString::number(series_.skip));
    checkRadio(sampleGroup_, series_.last ? kSampleMostRecent : kSampleFromStart);
    skipEdit_->setDisabled(series_.last);
}

bool ParKavriDlg::exchange(ModelParameters& v) {
    FieldExchange field(refusal_);
    return field.integer(delayEdit_, limits::kDelay, v.delay) &&
           field.integer(maxOrderEdit_, limits::kMaxOrder, v.maxOrder) &&
           field.integer(nObservationsEdit_, limits::kCommandLineObservations, v.nObservations) &&
           field.integer(maxRegimesEdit_, limits::kMaxRegimes, v.maxRegimes) &&
           field.integer(minObsEdit_, limits::kMinObs, v.minObs) &&
           field.text(seriesPathEdit_, v.seriesPath) &&
           field.radio(selectModelGroup_, v.selectModel) &&
           field.integer(nThresholdsEdit_, limits::kThresholds, v.nThresholds) &&
           field.real(thresholdEdits_[0], v.thresholds[0]) &&
           field.real(thresholdEdits_[1], v.thresholds[1]) &&
           field.real(thresholdEdits_[2], v.thresholds[2]) &&
           field.integer(nPredictionsEdit_, limits::kCommandLinePredictions, v.nPredictions) &&
           field.integer(nAutocorrelationsEdit_, limits::kAutocorrelations, v.nAutocorrelations);
}

bool ParKavriDlg::exchangeSeries(SeriesChoice& v) {
    v.column = columnCombo_->currentData().toString().toStdString();
    v.last = sampleGroup_->checkedId() == kSampleMostRecent;
    if (v.last) {
        v.skip = 0;  // the most recent values are counted from the end
        return true;
    }
    FieldExchange field(refusal_);
    return field.integer(skipEdit_, kSkipped, v.skip);
}

bool ParKavriDlg::exchangeForm(const ModelParameters& model, ModelForm& read) {
    ModelForm form = read;
    if (!parseOrders(ordersEdit_->text(), form)) {
        if (refusal_) {
            refusal_(QStringLiteral(
                         "Orders: expects one to %1 whole numbers from 1 separated by commas, or "
                         "nothing for orders chosen by AIC, got \"%2\"")
                         .arg(kMaxRegimeCount)
                         .arg(ordersEdit_->text()));
        }
        ordersEdit_->setFocus(Qt::OtherFocusReason);
        ordersEdit_->selectAll();
        return false;
    }
    if (std::optional<QString> refusal = readLags(lagsEdit_->text(), form)) {
        if (refusal_) {
            refusal_(*refusal);
        }
        lagsEdit_->setFocus(Qt::OtherFocusReason);
        lagsEdit_->selectAll();
        return false;
    }
    if (std::optional<std::string> conflict = lagListConflict(form, model.maxOrder)) {
        if (refusal_) {
            refusal_(QString::fromStdString(inDesktopWords(*conflict)));
        }
        lagsEdit_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const int terms =
        std::clamp(termsCombo_->currentIndex(), 0, static_cast<int>(std::size(kTermsEntries)) - 1);
    form.constant = kTermsEntries[terms].constant;
    form.trend = kTermsEntries[terms].trend;
    // The run's own rule, with the model as read and the search in force.
    RunSettings check;
    check.model = model;
    check.ga = gaInForce_;
    check.form = form;
    if (MaybeNotice notice = modelFormNotice(check)) {
        if (refusal_) {
            refusal_(QString::fromStdString(notice->text));
        }
        ordersEdit_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    read = form;
    return true;
}

bool ParKavriDlg::exchangeSelection(const ModelParameters& model, const ModelForm& form,
                                    std::optional<SelectionCriterion>& read) {
    const int index = std::clamp(selectionCombo_->currentIndex(), 0,
                                 static_cast<int>(std::size(kSelectionEntries)) - 1);
    const std::optional<SelectionCriterion> chosen = kSelectionEntries[index].criterion;
    // The refusals of kavri-cli's --select, in the dialog's words.
    QString refusal;
    if (chosen && model.selectModel == kSelectModelGivenThresholds) {
        refusal = QStringLiteral(
            "Regimes and delay: the model comparison chooses the delay and the thresholds; it "
            "cannot be combined with Select Model Yes (thresholds given). Choose Select Model No "
            "or Search.");
    } else if (chosen && form.ordersPerRegime()) {
        refusal = QStringLiteral(
            "Regimes and delay: the model comparison compares models of 1 to Max Regimes "
            "regimes, but one order per regime fixes the number of regimes. Choose Search, or "
            "give one order for every regime.");
    }
    if (!refusal.isEmpty()) {
        if (refusal_) {
            refusal_(refusal);
        }
        selectionCombo_->setFocus(Qt::OtherFocusReason);
        return false;
    }
    read = chosen;
    return true;
}

void ParKavriDlg::accept() {
    // Read into copies: a refused OK stores nothing, so Cancel afterwards still leaves the
    // values as the dialog was given them.
    ModelParameters read = values_;
    SeriesChoice series = series_;
    ModelForm form = form_;
    std::optional<SelectionCriterion> selection = selection_;
    const ThresholdVariable variable = chosenThresholdVariable();
    if (exchange(read) && exchangeSeries(series) && exchangeForm(read, form) &&
        exchangeSelection(read, form, selection)) {
        values_ = read;
        series_ = series;
        form_ = form;
        selection_ = selection;
        thresholdVariable_ = variable;
        QDialog::accept();
    }
}

void ParKavriDlg::setForm(const ModelForm& form) {
    form_ = form;
    showValues();
}

void ParKavriDlg::setThresholdVariable(const ThresholdVariable& variable) {
    thresholdVariable_ = variable;
    thresholdVariableCombo_->clear();  // so that the variable given is the one chosen
    showThresholdVariables();
}

ThresholdVariable ParKavriDlg::chosenThresholdVariable() const {
    ThresholdVariable chosen;
    const int index = thresholdVariableCombo_->currentIndex();
    if (index < 0) {
        return thresholdVariable_;
    }
    chosen.kind =
        static_cast<ThresholdVariableKind>(thresholdVariableCombo_->itemData(index).toInt());
    if (chosen.isColumn()) {
        chosen.column =
            thresholdVariableCombo_->itemData(index, kColumnRole).toString().toStdString();
    }
    return chosen;
}

void ParKavriDlg::showThresholdVariables() {
    if (thresholdVariableCombo_ == nullptr || columnCombo_ == nullptr) {
        return;
    }
    // What is chosen now (or stored, before the first showing) stays chosen when offered.
    const ThresholdVariable chosen =
        thresholdVariableCombo_->count() > 0 ? chosenThresholdVariable() : thresholdVariable_;
    const QSignalBlocker quiet(thresholdVariableCombo_);
    thresholdVariableCombo_->clear();
    thresholdVariableCombo_->addItem(QStringLiteral("Own lag x[t-d]"),
                                     static_cast<int>(ThresholdVariableKind::kOwn));
    thresholdVariableCombo_->addItem(QStringLiteral("Change (x[t-d] - x[t-d-1])"),
                                     static_cast<int>(ThresholdVariableKind::kDifference));
    // The other numeric columns of a table, by the name (or number) the run looks them up by;
    // the series' own column is not another variable.
    const QString series = columnCombo_->currentData().toString();
    for (const PreviewColumn& column : preview_.columns) {
        const QString choice = QString::fromStdString(column.choice);
        const bool isSeries = series.isEmpty() ? column.automatic : choice == series;
        if (!preview_.table || !column.numeric || isSeries) {
            continue;
        }
        thresholdVariableCombo_->addItem(QString::fromStdString(column.title),
                                         static_cast<int>(ThresholdVariableKind::kColumn));
        thresholdVariableCombo_->setItemData(thresholdVariableCombo_->count() - 1, choice,
                                             kColumnRole);
    }
    int index = 0;
    for (int i = 0; i < thresholdVariableCombo_->count(); ++i) {
        const auto kind =
            static_cast<ThresholdVariableKind>(thresholdVariableCombo_->itemData(i).toInt());
        const QString column = thresholdVariableCombo_->itemData(i, kColumnRole).toString();
        if (kind == chosen.kind &&
            (!chosen.isColumn() || column == QString::fromStdString(chosen.column))) {
            index = i;
        }
    }
    if (index == 0 && chosen.isColumn() && preview_.columns.empty()) {
        // A file that could not be read: the column is kept, so that OK does not lose it; the
        // run says whether the file has it.
        const QString column = QString::fromStdString(chosen.column);
        thresholdVariableCombo_->addItem(column, static_cast<int>(ThresholdVariableKind::kColumn));
        thresholdVariableCombo_->setItemData(thresholdVariableCombo_->count() - 1, column,
                                             kColumnRole);
        index = thresholdVariableCombo_->count() - 1;
    }
    thresholdVariableCombo_->setCurrentIndex(index);
}

void ParKavriDlg::setSelection(std::optional<SelectionCriterion> selection) {
    selection_ = selection;
    showValues();
}

void ParKavriDlg::setValuesInForce(const ModelParameters& inForce) {
    std::vector<ValueNotInForce> differences;
    const auto integer = [&](QLineEdit* field, const char* label, int shown, int used) {
        if (shown != used) {
            differences.push_back({field, QString::fromUtf8(label), QString::number(used)});
        }
    };
    const ModelParameters& shown = values_;
    integer(delayEdit_, "Delay Parameter", shown.delay, inForce.delay);
    integer(maxOrderEdit_, "Max Order AR", shown.maxOrder, inForce.maxOrder);
    integer(nObservationsEdit_, "N. Observation", shown.nObservations, inForce.nObservations);
    integer(maxRegimesEdit_, "Max Regimes", shown.maxRegimes, inForce.maxRegimes);
    integer(minObsEdit_, "Min. Oss", shown.minObs, inForce.minObs);
    if (shown.seriesPath != inForce.seriesPath) {
        differences.push_back({seriesPathEdit_, QStringLiteral("Course File"),
                               QString::fromStdString(inForce.seriesPath)});
    }
    integer(nPredictionsEdit_, "N. Prediction", shown.nPredictions, inForce.nPredictions);
    integer(nAutocorrelationsEdit_, "N.Autocorrelation", shown.nAutocorrelations,
            inForce.nAutocorrelations);
    showStartingValuesNote(note_, differences);
}

void ParKavriDlg::refreshPreview() {
    const QString path = seriesPathEdit_->text().trimmed();
    if (path == previewedPath_ && columnCombo_->count() > 0) {
        return;
    }
    previewedPath_ = path;
    showPreview(path.isEmpty() ? SeriesPreview{"No series file is named.", {}, {}, false}
                               : previewSource_(QDir::fromNativeSeparators(path).toStdString()));
}

void ParKavriDlg::showPreview(const SeriesPreview& preview) {
    preview_ = preview;
    // The column choice keeps what was chosen (or stored) when the new file has it.
    const QString chosen = columnCombo_->count() > 0 ? columnCombo_->currentData().toString()
                                                     : QString::fromStdString(series_.column);
    // The threshold variables follow once the column is chosen again, not while it is rebuilt.
    const QSignalBlocker rebuilding(columnCombo_);
    columnCombo_->clear();
    QString automatic = QStringLiteral("Automatic");
    for (const PreviewColumn& column : preview.columns) {
        if (column.automatic && preview.table) {
            automatic += QStringLiteral(" (%1)").arg(QString::fromStdString(column.title));
        }
    }
    columnCombo_->addItem(automatic, QString());
    for (const PreviewColumn& column : preview.columns) {
        if (preview.table) {
            columnCombo_->addItem(QString::fromStdString(column.title),
                                  QString::fromStdString(column.choice));
        }
    }
    int index = columnCombo_->findData(chosen);
    if (index < 0) {
        // A column this file does not have (or a file that could not be read): kept, so that
        // OK does not lose it; the run says whether the file has it.
        columnCombo_->addItem(chosen, chosen);
        index = columnCombo_->count() - 1;
    }
    columnCombo_->setCurrentIndex(index);

    previewSummary_->setText(
        preview.problem.empty()
            ? QStringLiteral("%1: %2.").arg(previewedPath_, QString::fromStdString(preview.layout))
            : QString::fromStdString(preview.problem));
    previewTable_->setRowCount(static_cast<int>(preview.columns.size()));
    int row = 0;
    for (const PreviewColumn& column : preview.columns) {
        const QString title =
            QString::fromStdString(column.title) +
            (column.automatic && preview.table ? QStringLiteral(" (automatic)") : QString());
        const QStringList cells = {
            title, QString::number(column.values), QString::number(column.missing),
            QString::fromStdString(column.first), QString::fromStdString(column.last)};
        for (int c = 0; c < cells.size(); ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 1 || c == 2) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            previewTable_->setItem(row, c, item);
        }
        ++row;
    }
    previewTable_->resizeColumnsToContents();
    showThresholdVariables();
}

void ParKavriDlg::browseSeriesFile() {
    const QString chosen = fileChooser_(seriesPathEdit_->text());
    if (!chosen.isEmpty()) {
        seriesPathEdit_->setText(QDir::toNativeSeparators(chosen));
        seriesPathEdit_->setFocus(Qt::OtherFocusReason);
        refreshPreview();
    }
}

}  // namespace kavri
