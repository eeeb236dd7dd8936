#pragma once

// Shared by the benchmark programs: sample statistics, the clock, and the
// lines scripts/bench gathers into its table.

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsBetween(Clock::time_point start, Clock::time_point end) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The middle sample, or the mean of the two middle ones; 0 for no samples.
inline double median(std::vector<double> samples) {
    if (samples.empty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const size_t n = samples.size();
    return n % 2 ? samples[n / 2] : 0.5 * (samples[n / 2 - 1] + samples[n / 2]);
}

inline std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
inline std::string format(const char* fmt, ...) {
    char buffer[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

// One row of the results table on standard output, tab-separated:
// "ROW", what is measured, its value, the baseline it is compared with, the
// ratio value / baseline, the target, and whether the target is met.
inline void printRow(const std::string& measure, const std::string& value,
                     const std::string& baseline, const std::string& ratio,
                     const std::string& target, bool met) {
    std::printf("ROW\t%s\t%s\t%s\t%s\t%s\t%s\n", measure.c_str(), value.c_str(), baseline.c_str(),
                ratio.c_str(), target.c_str(), met ? "met" : "MISSED");
    std::fflush(stdout);
}

// A row that explains other rows and has no target of its own.
inline void printNote(const std::string& measure, const std::string& value,
                      const std::string& baseline, const std::string& ratio) {
    std::printf("ROW\t%s\t%s\t%s\t%s\t-\t-\n", measure.c_str(), value.c_str(), baseline.c_str(),
                ratio.c_str());
    std::fflush(stdout);
}

// A line about the machine or the run, shown above the table:
// "INFO", a name, its value.
inline void printInfo(const std::string& name, const std::string& value) {
    std::printf("INFO\t%s\t%s\n", name.c_str(), value.c_str());
    std::fflush(stdout);
}

} // namespace bench
