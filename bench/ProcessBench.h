// What the whole-process and memory benchmarks share: this process's memory
// figures from /proc, the peak reset between runs, and a program run to its
// end with its wall time and peak resident memory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A field of /proc/self/status in kB ("VmRSS:", "VmHWM:"), as bytes.
int64_t StatusBytes(const char* field);
// Gives freed memory back and resets the peak ("VmHWM:") to the present.
void ResetPeak();
// Runs a program (looked up on the PATH) to its end with its output and
// errors to /dev/null: false when it could not start or failed.
bool RunProcess(const std::vector<std::string>& arguments, double& seconds, int64_t& peakBytes);
// The same with `environment` ("NAME=value") added to this process's, and
// the errors written to `errors` when it is not empty.
bool RunProcessWith(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                    const std::string& errors, double& seconds, int64_t& peakBytes);
// The same for this program with `arguments` after its own path.
bool RunSelf(const std::vector<std::string>& arguments, double& seconds, int64_t& peakBytes);
// Whether a program of that name is on the PATH.
bool HasProgram(const char* name);
