#include "measurement.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace kavri::bench {

namespace {

class Fnv1a {
 public:
    void add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash_ = (hash_ ^ bytes[i]) * 0x100000001b3ULL;
        }
    }
    void add(const std::string& text) {
        add(text.data(), text.size());
        add(static_cast<std::uint64_t>(text.size()));
    }
    template <typename T>
    void add(const T& value) {
        add(&value, sizeof value);
    }
    std::string hex() const {
        char text[17];
        std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash_));
        return text;
    }

 private:
    std::uint64_t hash_ = 0xcbf29ce484222325ULL;
};

void addFile(Fnv1a& digest, const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    digest.add(static_cast<bool>(in));
    if (in) {
        digest.add(std::string(std::istreambuf_iterator<char>(in), {}));
    }
}

bool writeAll(int fd, const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(fd, text.data() + written, text.size() - written);
        if (n <= 0) return false;
        written += static_cast<std::size_t>(n);
    }
    return true;
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

}  // namespace

double now() {
    using Clock = std::chrono::steady_clock;
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

std::string digestOfRun(const RunOutcome& outcome, const ResultTexts& texts,
                        const std::filesystem::path& dir) {
    Fnv1a digest;
    for (const std::string* text :
         {&texts.aicText, &texts.fitnessText, &texts.naicText, &texts.estimatePanel1,
          &texts.observationText, &texts.estimatePanel2, &texts.estimatePanel3,
          &texts.estimatePanel4, &texts.thresholdText, &texts.residualVarianceText,
          &texts.iterationText, &texts.varianceText, &texts.regimeVarianceText, &texts.rSquareText,
          &texts.mseText, &texts.ljungBoxText}) {
        digest.add(*text);
    }
    addFile(digest, dir / kResidualsFileName);
    addFile(digest, dir / kPredictionsFileName);
    digest.add(outcome.notice ? outcome.notice->text : std::string("-"));
    digest.add(outcome.fitness);
    digest.add(outcome.evaluations);
    digest.add(outcome.model.naic);
    digest.add(outcome.model.ljungBox);
    for (double threshold : outcome.model.thresholds) digest.add(threshold);
    for (const RegimeReport& regime : outcome.model.regimes) {
        for (double coefficient : regime.coefficients) digest.add(coefficient);
    }
    return digest.hex();
}

Measurement measureInChild(const std::function<Measurement()>& work) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(channel[0]);
        ::close(channel[1]);
        return {};
    }
    if (child == 0) {
        ::close(channel[0]);
        const Measurement m = work();
        std::ostringstream out;
        out.precision(17);
        out << m.seconds << ' ' << m.evaluations << ' ' << (m.digest.empty() ? "-" : m.digest)
            << '\n'
            << m.notice;
        const bool sent = writeAll(channel[1], out.str());
        ::close(channel[1]);
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    const std::string reply = readAll(channel[0]);
    ::close(channel[0]);
    int status = 0;
    struct rusage usage {};
    Measurement m;
    if (::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return m;
    }
    std::istringstream in(reply);
    in >> m.seconds >> m.evaluations >> m.digest;
    if (m.digest == "-") m.digest.clear();
    in.get();
    std::getline(in, m.notice, '\0');
    m.completed = static_cast<bool>(in) || in.eof();
    m.peakMegabytes = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    m.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
                   usage.ru_stime.tv_usec / 1e6;
    return m;
}

ScratchDirectory::ScratchDirectory(const std::string& label) {
    std::random_device entropy;
    path_ =
        std::filesystem::temp_directory_path() / ("kavri-bench-" + std::to_string(::getpid()) +
                                                  "-" + label + "-" + std::to_string(entropy()));
    std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace kavri::bench
