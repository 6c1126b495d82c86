// kavri-startup-bench: kavri-cli as a whole process, as a script calling it in a loop pays for
// it, against an empty process (/bin/true) started the same way. The cases: --version, and a
// one-threshold exact search on the first 1000 daily mark/pound returns (two regimes, orders up
// to 5, AIC) without charts. Each is started `repetitions` times with its output thrown away;
// the fastest and the median wall time are shown, and the median's excess over the empty
// process, which is what kavri-cli itself costs (a few milliseconds at most is the goal).
//
//   kavri-startup-bench [repetitions [kavri-cli]]   (default 40, the kavri-cli of this build)

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Case {
    const char* label;
    std::vector<std::string> command;
};

// Starts `command` with standard output and error on /dev/null in `folder`, waits for it and
// returns its wall time in seconds, or a negative number if it could not run or failed.
double timeOneRun(const std::vector<std::string>& command, const std::string& folder) {
    std::vector<char*> argv;
    for (const std::string& word : command) {
        argv.push_back(const_cast<char*>(word.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return -1.0;
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return -1.0;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("kavri-startup-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(std::string(KAVRI_EXAMPLES_DIR) + "/mark_pound_daily_returns.txt",
                               folder / "returns.txt");
    const std::string cli = argc > 2 ? argv[2] : KAVRI_CLI_PATH;
    const std::vector<Case> cases = {
        {"empty process (/bin/true)", {"/bin/true"}},
        {"kavri-cli --version", {cli, "--version"}},
        {"kavri-cli, exact search, 1 threshold, n = 1000",
         {cli, "--series", "returns.txt", "--n-observations", "1000", "--n-predictions", "0",
          "--search", "exact", "--max-regimes", "2", "--max-order", "5", "--min-obs", "20",
          "--fitness", "aic", "--quiet"}},
    };

    std::printf("%s as a whole process, %d starts of each (milliseconds)\n", cli.c_str(),
                repetitions);
    std::printf("%-48s %8s %8s %10s\n", "case", "fastest", "median", "over empty");
    double emptyMedian = 0.0;
    int status = 0;
    for (const Case& c : cases) {
        std::vector<double> times;
        for (int r = 0; r < repetitions; ++r) {
            const double seconds = timeOneRun(c.command, folder.string());
            if (seconds < 0.0) {
                std::printf("%-48s failed to run\n", c.label);
                status = 1;
                break;
            }
            times.push_back(seconds * 1e3);
        }
        if (times.empty()) {
            continue;
        }
        std::sort(times.begin(), times.end());
        const double median = times[times.size() / 2];
        if (&c == &cases.front()) {
            emptyMedian = median;
        }
        std::printf("%-48s %8.2f %8.2f %+10.2f\n", c.label, times.front(), median,
                    median - emptyMedian);
    }
    std::filesystem::remove_all(folder);
    return status;
}
