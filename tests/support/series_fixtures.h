#pragma once

// Series for the estimation tests: the bundled weekly DEM/USD returns, and reproducible
// synthetic series from a small congruential noise source.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace kavri::testing {

inline std::vector<double> readValues(const std::string& path) {
    std::ifstream in(path);
    std::vector<double> values;
    for (double v; in >> v;) values.push_back(v);
    return values;
}

// Column `column` (0-based) of a comma-separated table with one header line.
inline std::vector<double> readColumn(const std::string& path, int column) {
    std::ifstream in(path);
    std::vector<double> values;
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::size_t start = 0;
        for (int c = 0; c < column; ++c) start = line.find(',', start) + 1;
        values.push_back(std::stod(line.substr(start, line.find(',', start) - start)));
    }
    return values;
}

inline std::vector<double> exchangeRateReturns() {
    return readValues(std::string(KAVRI_EXAMPLES_DIR) + "/ExchangeRate.txt");
}

// Roughly uniform noise in [-0.5, 0.5), the same on every platform.
class Noise {
 public:
    explicit Noise(std::uint32_t seed) : state_(seed) {}
    double next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 16777216.0 - 0.5;
    }

 private:
    std::uint32_t state_;
};

}  // namespace kavri::testing

namespace kavri::testing {

inline std::string formatDouble(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A series file's text: one value a line, with the digits that read back to the same double.
inline std::string seriesText(const std::vector<double>& values) {
    std::string text;
    for (double v : values) text += formatDouble("%.17g\n", v);
    return text;
}

}  // namespace kavri::testing
