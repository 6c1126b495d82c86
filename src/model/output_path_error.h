#pragma once

// Why a result file is not written under a name that something other than a regular file
// holds: the error that names its kind ("it is a socket, not a regular file"), and whether an
// error is of that sort, so that the notice gives the right remedy (move it away, rather than
// look for a writable directory).

#include <system_error>

namespace kavri {

enum class OutputPathRefusal { kSocket = 1, kBlockDevice, kOtherKind };

const std::error_category& outputPathCategory();
std::error_code makeError(OutputPathRefusal refusal);

// A refusal above, or "Is a directory".
bool namesSomethingElse(std::error_code error);

}  // namespace kavri
