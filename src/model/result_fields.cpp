#include "model/result_fields.h"

namespace kavri {

const std::array<ResultField, kResultFieldCount>& resultFields() {
    using enum FieldShape;
    static const std::array<ResultField, kResultFieldCount> fields = {{
        {"Iteration", &ResultTexts::iterationText, "iterationField", kOneLine},
        {"Fitness", &ResultTexts::fitnessText, "fitnessField", kOneLine},
        {"Parameter Estimate 1", &ResultTexts::estimatePanel1, "estimatePanel1", kManyLines},
        {"Parameter Estimate 2", &ResultTexts::estimatePanel2, "estimatePanel2", kManyLines},
        {"Parameter Estimate 3", &ResultTexts::estimatePanel3, "estimatePanel3", kManyLines},
        {"Parameter Estimate 4", &ResultTexts::estimatePanel4, "estimatePanel4", kManyLines},
        {"Variance", &ResultTexts::varianceText, "varianceField", kOneLine},
        {"Residual Variance", &ResultTexts::residualVarianceText, "residualVarianceField",
         kOneLine},
        {"NAIC", &ResultTexts::naicText, "naicField", kOneLine},
        {"AIC", &ResultTexts::aicText, "aicField", kOneLine},
        {"MSE", &ResultTexts::mseText, "mseField", kOneLine},
        {"Ljung-Box", &ResultTexts::ljungBoxText, "ljungBoxField", kOneLine},
        {"Observation", &ResultTexts::observationText, "observationField", kManyLines},
        {"Threshold", &ResultTexts::thresholdText, "thresholdField", kManyLines},
        {"Variance of Regime", &ResultTexts::regimeVarianceText, "regimeVarianceField", kManyLines},
        {"R Square", &ResultTexts::rSquareText, "rSquareField", kManyLines},
    }};
    return fields;
}

}  // namespace kavri
