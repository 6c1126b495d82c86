#pragma once

// Independent tasks handed to whoever can run them side by side. The exact search fills its
// table through this, so that it uses the threads that the run layer owns without starting
// any itself; a search given the default runs every task on the calling thread. Results never
// depend on which worker runs a task, so one worker and many give the same bits.

#include <functional>

namespace kavri {

struct ParallelFor {
    using Task = std::function<void(int index, int worker)>;

    // How many tasks may run at once; a task's worker number is below it, so that each worker
    // can keep its own scratch storage.
    int workers = 1;
    // Calls task(index, worker) for index 0 .. count-1 and returns when every call has
    // returned. Empty: one call after the other on the calling thread, as worker 0.
    std::function<void(int count, const Task& task)> run;

    void operator()(int count, const Task& task) const {
        if (run) {
            run(count, task);
            return;
        }
        for (int index = 0; index < count; ++index) {
            task(index, 0);
        }
    }
};

}  // namespace kavri
