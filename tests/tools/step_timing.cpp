// Reads what tonvel_jack_receiver printed and reports how well the events that start with the
// given bytes keep a grid of the given step:
//   tonvel_step_timing STEP_MS SAMPLE_RATE "99 2c" [SKIP] < received.txt
// It prints the number of steps, the mean step, and the deviation of each step from the grid
// (median, 90th and 99th percentile, maximum) in milliseconds; SKIP leading steps are left out
// (the first ones may come before the tempo was set).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

double percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const double at = p * static_cast<double>(values.size() - 1);
    const auto below = static_cast<size_t>(std::floor(at));
    const size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s STEP_MS SAMPLE_RATE \"BYTES\" [SKIP] < received\n",
                     argv[0]);
        return 2;
    }
    const double step = std::atof(argv[1]);
    const double rate = std::atof(argv[2]);
    const std::string prefix = argv[3];
    const size_t skip = argc > 4 ? static_cast<size_t>(std::atoi(argv[4])) : 0;

    std::vector<double> times;  // ms, on the server's frame clock
    std::string line;
    double unwrapped = 0, previous = -1;
    while (std::getline(std::cin, line)) {
        std::istringstream fields(line);
        double frame = 0, microseconds = 0;
        if (!(fields >> frame >> microseconds)) continue;
        std::string rest;
        std::getline(fields, rest);
        if (rest.find(prefix) != 1) continue;
        if (previous >= 0 && frame < previous)
            unwrapped += 4294967296.0;  // the frame counter wrapped
        previous = frame;
        times.push_back((frame + unwrapped) * 1000.0 / rate);
    }
    if (times.size() > skip) times.erase(times.begin(), times.begin() + static_cast<long>(skip));
    if (times.size() < 3) {
        std::printf("steps %zu: too few to measure\n", times.size());
        return 1;
    }
    const double mean = (times.back() - times.front()) / static_cast<double>(times.size() - 1);
    // The grid's place: the median offset of the steps from a grid that starts at zero.
    std::vector<double> offsets;
    for (size_t i = 0; i < times.size(); ++i)
        offsets.push_back(times[i] - static_cast<double>(i) * step);
    const double origin = percentile(offsets, 0.5);
    std::vector<double> deviations, gaps;
    for (size_t i = 0; i < times.size(); ++i) {
        deviations.push_back(std::fabs(offsets[i] - origin));
        if (i > 0) gaps.push_back(times[i] - times[i - 1]);
    }
    std::printf(
        "steps %zu  mean step %.3f ms (%+.2f %%)  deviation from the grid: median %.2f  p90 %.2f  "
        "p99 %.2f  max %.2f ms  longest gap %.2f ms\n",
        times.size(), mean, (mean / step - 1) * 100, percentile(deviations, 0.5),
        percentile(deviations, 0.9), percentile(deviations, 0.99),
        *std::max_element(deviations.begin(), deviations.end()),
        *std::max_element(gaps.begin(), gaps.end()));
    return 0;
}
