#pragma once

// Measuring one bench case: it runs in a child process of its own, so that the peak resident
// memory reported (the child's ru_maxrss) belongs to that case alone and no case inherits
// another's heap. The child sends back its wall time, the number of evaluations made and a
// digest of everything the run left behind, so that two paths can be checked for identical
// results without keeping both in one process.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "model/result_texts.h"
#include "run/run_driver.h"

namespace kavri::bench {

struct Measurement {
    bool completed = false;      // false: the child failed or was killed
    double seconds = 0.0;        // wall time of the measured work
    long long evaluations = 0;   // chromosome evaluations in that time
    std::string digest;          // of texts, files and outcome; empty if not applicable
    std::string notice;          // the notice a run ended with, if any
    double peakMegabytes = 0.0;  // the child's peak resident set
    double cpuSeconds = 0.0;     // the child's user and system time, all threads, whole child

    double evaluationsPerSecond() const { return seconds > 0.0 ? evaluations / seconds : 0.0; }
};

// Runs `work` in a child process and returns what it measured with the child's peak memory.
Measurement measureInChild(const std::function<Measurement()>& work);

// Seconds on a monotonic clock.
double now();

// A hex digest (64-bit FNV-1a) of the result texts, both result files in `dir` (absent and empty
// told apart), and the outcome's notice, fitness, evaluations and reported numbers.
std::string digestOfRun(const RunOutcome& outcome, const ResultTexts& texts,
                        const std::filesystem::path& dir);

// A fresh directory under the temporary directory, removed with its contents on destruction.
class ScratchDirectory {
 public:
    explicit ScratchDirectory(const std::string& label);
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory();
    const std::filesystem::path& path() const { return path_; }

 private:
    std::filesystem::path path_;
};

}  // namespace kavri::bench
