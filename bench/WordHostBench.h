// What the Word benchmarks share for their whole processes: the converters
// (ours is the stand-in host, qvhost, opening the file in an offscreen area
// and saving it in our own format) and the command of each; the timed run is
// the format benchmarks' (FormatBench.h).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

enum WordConverter : int64_t { kOurs = 0, kLibreOffice = 1, kAbiWord = 2, kAntiword = 3 };

// The command line that converts `input` into the folder `output`, with
// scripts written into `scratch` and LibreOffice's profile in `profile`;
// empty, with the reason in `why`, when the converter is not there.
std::vector<std::string> WordConverterCommand(WordConverter converter, const std::filesystem::path& input,
                                              const std::filesystem::path& output,
                                              const std::filesystem::path& scratch,
                                              const std::filesystem::path& profile, std::string& why);
