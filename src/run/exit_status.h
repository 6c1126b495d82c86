#pragma once

// How a front end ends after a run: the process exit statuses both front ends share.

namespace kavri {

// Exit status after a fatal notice; 1 is the allocation-failure exit, 2 a refused command line.
inline constexpr int kNoticeExitStatus = 3;

}  // namespace kavri
