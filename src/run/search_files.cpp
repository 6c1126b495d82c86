#include "run/search_files.h"

#include "report/evaluation_files.h"

namespace kavri {

MaybeNotice SearchFiles::beforeEvaluation() {
    if (checked_) {
        return std::nullopt;
    }
    checked_ = true;
    // Dropped uncommitted when it goes out of scope: the old file stays.
    EvaluationFiles probe(files_);
    return probe.openResiduals();
}

}  // namespace kavri
