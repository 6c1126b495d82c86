#include "app/dialog_parts.h"

#include <QButtonGroup>
#include <QDialog>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/field_exchange.h"

namespace kavri {

QLineEdit* makeInputField(const QString& objectName, int chars, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectName);
    const QFontMetrics metrics(field->font());
    field->setFixedWidth(metrics.averageCharWidth() * chars + 12);
    return field;
}

void addLabelledPair(QGridLayout* grid, int row, int pairColumn, const QString& label,
                     QWidget* field) {
    auto* text = new QLabel(label, grid->parentWidget());
    text->setBuddy(field);
    grid->addWidget(text, row, 2 * pairColumn);
    grid->addWidget(field, row, 2 * pairColumn + 1);
}

QGroupBox* makeRadioFrame(const QString& title, const QStringList& labels,
                          const QString& objectName, QButtonGroup*& group, QWidget* parent) {
    auto* frame = new QGroupBox(title, parent);
    frame->setObjectName(objectName + QStringLiteral("Frame"));
    auto* column = new QVBoxLayout(frame);
    group = new QButtonGroup(frame);
    group->setObjectName(objectName);
    group->setExclusive(true);
    for (int i = 0; i < labels.size(); ++i) {
        auto* button = new QRadioButton(labels[i], frame);
        QString name = labels[i];
        name.remove(QLatin1Char(' '));
        button->setObjectName(objectName + name);
        group->addButton(button, i);
        column->addWidget(button);
    }
    column->addStretch(1);
    return frame;
}

QString toolTipWithRange(const QString& meaning, IntRange range) {
    return QStringLiteral("%1\nAn integer from %2 to %3.")
        .arg(meaning)
        .arg(range.min)
        .arg(range.max);
}

QString toolTipWithRange(const QString& meaning, RealRange range) {
    return QStringLiteral("%1\nA number from %2 to %3.")
        .arg(meaning, shortestReal(range.min), shortestReal(range.max));
}

void checkRadio(QButtonGroup* group, int index) {
    QAbstractButton* button = group->button(index);
    if (button == nullptr) {
        button = group->button(0);
    }
    button->setChecked(true);
}

QVBoxLayout* makeOkCancelColumn(QDialog* dialog) {
    auto* okButton = new QPushButton(QStringLiteral("OK"), dialog);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), dialog);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    QObject::connect(okButton, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancelButton, &QPushButton::clicked, dialog, &QDialog::reject);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    buttons->addStretch(1);
    return buttons;
}

namespace {

constexpr const char* kNotInForceTint = "#fff0b3";

void markNotInForce(QWidget* field) {
    field->setProperty("notInForce", true);
    if (auto* frame = qobject_cast<QGroupBox*>(field)) {
        frame->setTitle(frame->title() + QStringLiteral(" *"));
        frame->setStyleSheet(
            QStringLiteral("QGroupBox { background-color: %1; }").arg(kNotInForceTint));
        return;
    }
    field->setStyleSheet(QStringLiteral("background-color: %1;").arg(kNotInForceTint));
    // The label beside the field is the field's buddy.
    for (QLabel* label : field->parentWidget()->findChildren<QLabel*>()) {
        if (label->buddy() == field) {
            label->setText(label->text() + QStringLiteral(" *"));
        }
    }
}

}  // namespace

void showStartingValuesNote(QLabel* note, const std::vector<ValueNotInForce>& differences) {
    QString text;
    if (differences.empty()) {
        text = QStringLiteral(
            "Starting values, never accepted: the next run uses them as shown. OK keeps them.");
    } else {
        QStringList inForce;
        for (const ValueNotInForce& difference : differences) {
            markNotInForce(difference.field);
            inForce << QStringLiteral("%1 %2").arg(difference.label, difference.inForce);
        }
        text = QStringLiteral(
                   "Starting values, not yet in force: until OK is pressed the next run uses %1. "
                   "The fields marked * differ; OK puts every value shown in force.")
                   .arg(inForce.join(QStringLiteral(", ")));
    }
    note->setText(text);
    note->setWordWrap(true);
    note->setVisible(true);
}

}  // namespace kavri
