#pragma once

// Every figure a benchmark program reports is a ratio against a reference run
// in the same process, since the machines are shared and noisy. A program
// registers its comparisons; the shared main prints them after the runs.

#include <string>

namespace sw::bench {

// Prints time(reference) / time(measured): above 1 means faster than the reference.
void CompareSpeed(const std::string& measured, const std::string& reference, const std::string& label);

// Prints nanoseconds per byte of both runs and their quotient (1 means linear
// time between the two sizes). Both runs must set the counter "bytes".
void CompareScaling(const std::string& small, const std::string& large, const std::string& label);

// Prints a counter of both runs and measured / reference.
void CompareCounter(const std::string& measured, const std::string& reference, const std::string& counter,
                    const std::string& label);

// Runs the registered benchmarks, then prints the comparisons and the peak
// memory. The shared main calls it; a program with its own main calls it too.
int RunBenchmarks(int argc, char** argv);

} // namespace sw::bench
