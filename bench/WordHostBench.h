// What the Word benchmarks share for their whole process of ours: the
// stand-in host (qvhost) beside the benchmarks, and its script that opens
// a Word file in an offscreen area and saves it in our own format.
#pragma once

#include <filesystem>

// The stand-in host program of this build; empty when it is not built.
std::filesystem::path QvHostProgram();
// The script, written into `folder`, that opens `in` (command 48 as a Word
// 97 file, which lays it out) and saves it as `out` (command 50), failing
// on any code but 0.
std::filesystem::path WordHostScript(const std::filesystem::path& folder, const std::filesystem::path& in,
                                     const std::filesystem::path& out);
