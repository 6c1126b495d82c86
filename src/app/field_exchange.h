#pragma once

// Reading typed values out of a parameter dialog's fields when the user presses OK. Fields are
// read one by one in the dialog's exchange order; each value is stored as soon as it passes, and
// the first field that does not pass is refused: the user is told its name and what it accepts, it
// receives the keyboard focus, and nothing after it is read.

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "model/run_settings.h"

class QButtonGroup;
class QLineEdit;
class QWidget;

namespace kavri {

// Shows the message of a refused field. Dialogs default to a warning box; tests replace it.
using RefusalHandler = std::function<void(const QString& message)>;

// A warning box with the application's name as caption, modal over `parent`.
RefusalHandler warningBoxRefusal(QWidget* parent);

// Reals are shown in their shortest form with up to 15 significant digits: 0.9, 0.001, 1.
QString shortestReal(double value);

// Parsers accept leading and trailing blanks and a sign. The integer parser takes decimal digits
// only; the real parser takes fixed and exponent forms but refuses infinities and NaN, which are
// not numbers a user can mean. Empty text is refused.
std::optional<int> parseInteger(const QString& text, IntRange range);
std::optional<double> parseReal(const QString& text, RealRange range);
std::optional<double> parseReal(const QString& text);
// A seed of the genetic search: an integer from 0 to 4294967295. Blank text is no seed (the
// run takes one from the clock), which `ok` reports as true; anything else that is not such an
// integer sets `ok` to false.
std::optional<std::uint32_t> parseSeed(const QString& text, bool& ok);

// The refusal messages name the kind of value and, for a range, both bounds.
QString integerRangeMessage(IntRange range);
QString realRangeMessage(RealRange range);
QString realMessage();
QString seedMessage();

class FieldExchange {
 public:
    explicit FieldExchange(RefusalHandler refusal);

    // Each returns true when the field passed and its value was stored; on the first refusal it
    // reports, focuses the field and returns false.
    bool integer(QLineEdit* field, IntRange range, int& value);
    bool real(QLineEdit* field, RealRange range, double& value);
    bool real(QLineEdit* field, double& value);
    bool text(QLineEdit* field, std::string& value);
    bool radio(const QButtonGroup* group, int& value);
    bool seed(QLineEdit* field, std::optional<std::uint32_t>& value);

 private:
    bool refuse(QLineEdit* field, const QString& message);

    RefusalHandler refusal_;
};

}  // namespace kavri
