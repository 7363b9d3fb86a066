#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What the benchmarks share: the time, figures of the processes they start, and a
// line saying how busy the machine was, since their figures mean little without it.
namespace bench {

double milliseconds_since(std::chrono::steady_clock::time_point start);

struct Spread {
    double median = 0;
    double fastest = 0;
    double worst = 0;
    // A quarter of the values are at most this: on a shared machine, where others'
    // work only ever adds time, a steadier measure of what the work itself costs.
    double lower_quartile = 0;
};
Spread spread_of(std::vector<double> values);

// Live processes (zombies aside) whose command line holds `marker`: on Linux, through
// /proc; elsewhere none are found.
std::vector<int> processes_naming(const std::string& marker);
// The converters working on profiles under the current root folder.
std::vector<int> converters();
// CPU time a process has used, all its threads together, in milliseconds; 0 when it
// cannot be read.
double cpu_milliseconds(int process_id);
double cpu_milliseconds(const std::vector<int>& process_ids);
// Resident memory of the processes together, in MiB.
double resident_mib(const std::vector<int>& process_ids);

// "load average 1.23 0.98 0.75 (2 cores)", or "load average unknown".
std::string machine_load();

// PROGRAM_FOLDER and an optional count, the arguments every benchmark that runs the
// program takes; nullopt, after printing `usage`, when they are not that.
struct Arguments {
    std::string program_folder;
    int count = 0;
};
std::optional<Arguments> arguments(int argc, char** argv, const char* usage, int default_count);

// Whether `folder` holds a finished PDF; those being written sit one level further down.
bool holds_a_pdf(const std::string& folder);

// Sets an environment variable for this process and the ones it starts.
void set_environment(const std::string& name, const std::string& value);

}  // namespace bench
