#include "app/field_exchange.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <cmath>
#include <cstdint>

#include "model/notice.h"

namespace kavri {

RefusalHandler warningBoxRefusal(QWidget* parent) {
    QPointer<QWidget> owner(parent);
    return [owner](const QString& message) {
        QMessageBox::warning(owner, QString::fromUtf8(kApplicationName), message);
    };
}

QString shortestReal(double value) { return QString::number(value, 'g', 15); }

std::optional<int> parseInteger(const QString& text, IntRange range) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok || value < range.min || value > range.max) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseReal(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> parseReal(const QString& text, RealRange range) {
    const std::optional<double> value = parseReal(text);
    if (!value || *value < range.min || *value > range.max) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::uint32_t> parseSeed(const QString& text, bool& ok) {
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        ok = true;
        return std::nullopt;
    }
    const qulonglong value = trimmed.toULongLong(&ok, 10);
    ok = ok && value <= UINT32_MAX;
    return ok ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(value)) : std::nullopt;
}

QString integerRangeMessage(IntRange range) {
    return QStringLiteral("Please enter an integer between %1 and %2.")
        .arg(range.min)
        .arg(range.max);
}

QString realRangeMessage(RealRange range) {
    return QStringLiteral("Please enter a number between %1 and %2.")
        .arg(shortestReal(range.min), shortestReal(range.max));
}

QString realMessage() { return QStringLiteral("Please enter a number."); }

QString seedMessage() {
    return QStringLiteral(
               "Please enter an integer between 0 and %1, or leave the field empty for a seed "
               "from the clock.")
        .arg(UINT32_MAX);
}

FieldExchange::FieldExchange(RefusalHandler refusal) : refusal_(std::move(refusal)) {}

bool FieldExchange::integer(QLineEdit* field, IntRange range, int& value) {
    const std::optional<int> parsed = parseInteger(field->text(), range);
    if (!parsed) {
        return refuse(field, integerRangeMessage(range));
    }
    value = *parsed;
    return true;
}

bool FieldExchange::real(QLineEdit* field, RealRange range, double& value) {
    const std::optional<double> parsed = parseReal(field->text(), range);
    if (!parsed) {
        return refuse(field, realRangeMessage(range));
    }
    value = *parsed;
    return true;
}

bool FieldExchange::real(QLineEdit* field, double& value) {
    const std::optional<double> parsed = parseReal(field->text());
    if (!parsed) {
        return refuse(field, realMessage());
    }
    value = *parsed;
    return true;
}

bool FieldExchange::text(QLineEdit* field, std::string& value) {
    value = field->text().toStdString();
    return true;
}

bool FieldExchange::radio(const QButtonGroup* group, int& value) {
    value = group->checkedId();
    return true;
}

bool FieldExchange::seed(QLineEdit* field, std::optional<std::uint32_t>& value) {
    bool ok = false;
    const std::optional<std::uint32_t> parsed = parseSeed(field->text(), ok);
    if (!ok) {
        return refuse(field, seedMessage());
    }
    value = parsed;
    return true;
}

namespace {

// The name the dialog shows for `field`: the text of its label (the label whose buddy it is),
// else its accessible name; without mnemonic marks or the asterisk of a value not in force.
QString fieldName(const QLineEdit* field) {
    QString name = field->accessibleName();
    for (const QLabel* label : field->window()->findChildren<QLabel*>()) {
        const QWidget* buddy = label->buddy();
        if (buddy != nullptr && (buddy == field || buddy->focusProxy() == field)) {
            name = label->text();
            break;
        }
    }
    name.remove(QLatin1Char('&'));
    if (name.endsWith(QStringLiteral(" *"))) {
        name.chop(2);
    }
    return name;
}

}  // namespace

bool FieldExchange::refuse(QLineEdit* field, const QString& message) {
    if (refusal_) {
        const QString name = fieldName(field);
        refusal_(name.isEmpty() ? message : name + QStringLiteral(": ") + message);
    }
    // After the message box has closed, so that the focus is not taken back by it.
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
    return false;
}

}  // namespace kavri
