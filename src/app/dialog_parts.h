#pragma once

// Small builders shared by the dialogs: named input fields, labelled pairs in a grid, and framed
// radio groups whose button ids are the 0-based indices that the settings store.

#include <QString>
#include <QStringList>
#include <vector>

#include "model/run_settings.h"

class QButtonGroup;
class QDialog;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QVBoxLayout;
class QWidget;

namespace kavri {

// A one-line input `chars` average characters wide, named for tests.
QLineEdit* makeInputField(const QString& objectName, int chars, QWidget* parent);

// Puts `label` and `field` side by side in the grid at (row, 2 * pairColumn).
void addLabelledPair(QGridLayout* grid, int row, int pairColumn, const QString& label,
                     QWidget* field);

// A frame titled `title` holding one radio button per entry of `labels`, stacked; the button of
// entry i has id i and the object name `objectName` + its label. The group takes `objectName`,
// the frame `objectName` + "Frame".
QGroupBox* makeRadioFrame(const QString& title, const QStringList& labels,
                          const QString& objectName, QButtonGroup*& group, QWidget* parent);

// The "OK" (default) and "Cancel" buttons stacked at the top right of a parameter dialog,
// wired to its accept() and reject().
QVBoxLayout* makeOkCancelColumn(QDialog* dialog);

// A field's tooltip: what it means, then the values it accepts ("An integer from 1 to 10.").
QString toolTipWithRange(const QString& meaning, IntRange range);
QString toolTipWithRange(const QString& meaning, RealRange range);

// Checks the button with id `index` (falls back to the first for an index outside the group).
void checkRadio(QButtonGroup* group, int index);

// A field whose shown value is not the one the next run uses: the field (a line edit or a radio
// frame), its label as the dialog shows it, and the value in force, as the field would show it.
struct ValueNotInForce {
    QWidget* field = nullptr;
    QString label;
    QString inForce;
};

// The note of a dialog that shows starting values which were never accepted: it says so, lists
// what the next run uses instead for each field of `differences`, and marks those fields (an
// asterisk after the label, a tinted field, the property "notInForce" set true). With no
// differences it says that the next run uses the values as shown.
void showStartingValuesNote(QLabel* note, const std::vector<ValueNotInForce>& differences);

}  // namespace kavri
