#pragma once

// The lags every regime uses instead of 1 .. p, as a user types them: "1,2,12" for a monthly
// series whose seasonal lag matters and lags 3 to 11 do not. One rule for the command line's
// --lags and the desktop's "Lags" field, worded with the command line's names (the desktop
// puts its own field names in their place).

#include <optional>
#include <string>

#include "model/model_form.h"

namespace kavri {

// Reads the lags separated by commas into form.nLags and form.lags: whole numbers from 1 to
// the highest order a run can have, distinct and ascending (orders count them from the first).
// Nothing is changed and the refusal returned for any other text, blanks and empty elements
// included.
std::optional<std::string> readLagList(const std::string& text, ModelForm& form);

// The lags against the maximum order of the run (each must be below it, so that the
// regressions start where the default model's do), and fixed orders against the lags (an
// order counts lags of the list). The refusal, or nothing; a form without lags passes.
std::optional<std::string> lagListConflict(const ModelForm& form, int maxOrder);

}  // namespace kavri
