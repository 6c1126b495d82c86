#pragma once

// How many threads a piece of parallel work starts: the one count that the searches' worker
// pool, the bootstrap replicates and the simulated forecast paths use. The results never
// depend on it (every task's result is the same whichever thread runs it), only the time.

#include <climits>

namespace kavri {

// `requested` when above 0; otherwise the threads the hardware runs at once, at most `limit`.
// Never more than `tasks` (the tasks to share out, counted as 1 when there are none) and never
// below 1.
int threadCount(int requested, long long tasks = LLONG_MAX, int limit = INT_MAX);

}  // namespace kavri
