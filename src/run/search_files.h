#pragma once

// Which result files a threshold search writes, and when. A search evaluates many models and
// reports one: the result files are the reported model's, written once by the reporting
// evaluation at the end of the run. During the search no file is replaced, so a search that
// fails or is stopped part-way leaves the files of the run before it as they were, rather than
// an empty Residuals.txt beside an intermediate model's forecasts. The one thing the search
// checks on the files is that they can be written at all: before its first evaluation it
// starts a new Residuals.txt and drops it, so that a folder that cannot be written stops the
// run at once, not after the whole search. Both paths of the genetic search follow this
// policy: the cached one through this class, the reference one by evaluating with
// EvaluationContext::writeFiles off, whose every evaluation starts (and drops) the file too.

#include "model/notice.h"
#include "report/result_files.h"

namespace kavri {

class SearchFiles {
 public:
    explicit SearchFiles(const ResultFiles& files) : files_(files) {}

    // Before each evaluation of the search: at the first, the notice of a Residuals.txt that
    // cannot be created; nothing after, and nothing is ever replaced.
    MaybeNotice beforeEvaluation();

 private:
    ResultFiles files_;
    bool checked_ = false;
};

}  // namespace kavri
