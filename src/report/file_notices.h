#pragma once

// The notices of the two result files: the text Kavri has always shown for each, and a detail
// line with the path and the reason the system gave (permission denied, no space left on the
// device, a directory of that name...).

#include <filesystem>
#include <system_error>

#include "model/notice.h"

namespace kavri {

enum class ResultFileKind { kResiduals, kPredictions };

// The file could not be created (opened for writing).
Notice fileOpenNotice(ResultFileKind kind, const std::filesystem::path& path,
                      std::error_code error);

// The file could not be written completely or put in place of the old one, which is unchanged;
// `earlierFile`: there is an old one, which the notice then says was kept.
Notice fileWriteNotice(ResultFileKind kind, const std::filesystem::path& path,
                       std::error_code error, bool earlierFile);

}  // namespace kavri
