#pragma once

// Whether a text shows a number that is not finite, as printf writes one: "inf", "-inf",
// "nan", "-nan" (in any case), standing alone rather than inside a word.

#include <regex>
#include <string>

#include "model/result_texts.h"

namespace kavri::testing {

inline bool showsNonFiniteNumber(const std::string& text) {
    static const std::regex pattern("(^|[^a-z])(inf|infinity|nan)([^a-z]|$)", std::regex::icase);
    return std::regex_search(text, pattern);
}

// The first result text that shows a non-finite number, or empty.
inline std::string firstNonFiniteText(const ResultTexts& texts) {
    for (const std::string* text :
         {&texts.aicText, &texts.fitnessText, &texts.naicText, &texts.estimatePanel1,
          &texts.observationText, &texts.estimatePanel2, &texts.estimatePanel3,
          &texts.estimatePanel4, &texts.thresholdText, &texts.residualVarianceText,
          &texts.iterationText, &texts.varianceText, &texts.regimeVarianceText, &texts.rSquareText,
          &texts.mseText, &texts.ljungBoxText}) {
        if (showsNonFiniteNumber(*text)) return *text;
    }
    return {};
}

}  // namespace kavri::testing
