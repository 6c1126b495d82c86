#pragma once

// Runs the independent replicates of a bootstrap on every core. Each replicate writes only its
// own results, so which thread runs it changes nothing in them.

#include <functional>

namespace kavri {

// Told the replicates done so far and the total; returns false to stop the work early. Called
// only from the thread that called runReplicates(), about ten times a second, and once at the
// end.
using ReplicateProgress = std::function<bool(int done, int total)>;

// The threads a bootstrap uses when asked for `threads` (0: one per hardware thread), as
// threadCount (numeric/thread_count.h) counts them.
int replicateThreads(int threads);

// Calls task(b) once for each b = 0 .. count-1 on replicateThreads(threads) threads (the
// calling thread only waits and reports progress). Returns false when the progress callback
// stopped the work; replicates not yet started are then never run.
bool runReplicates(int count, int threads, const std::function<void(int)>& task,
                   const ReplicateProgress& progress);

}  // namespace kavri
