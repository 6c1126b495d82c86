#pragma once

// The sixteen result fields, once: the label a user reads, the text that fills the field, the
// name of the desktop program's widget that shows it, and whether it shows one line or many.
// The desktop program, the command line's text report and the tests all walk this table, in
// the order in which the text report lists the fields.

#include <array>
#include <string>

#include "model/result_texts.h"

namespace kavri {

enum class FieldShape {
    kOneLine,    // a one-line field: its trailing line feed is not shown
    kManyLines,  // a multi-line field: the text is shown as it stands
};

struct ResultField {
    const char* label;               // "Parameter Estimate 1", "Ljung-Box", ...
    std::string ResultTexts::*text;  // the text that fills it
    const char* widgetName;          // object name of the desktop program's widget
    FieldShape shape;
};

inline constexpr int kResultFieldCount = 16;

const std::array<ResultField, kResultFieldCount>& resultFields();

}  // namespace kavri
