// The main of the benchmark programs that need the core services: the heap
// and the memory manager made as start-up makes them, then the benchmarks.
#pragma once

// Runs the benchmarks named on the command line between `start` and `stop`
// (either may be null), with the heap and the memory manager around them.
int RunBenchmarksWithCoreServices(int argc, char** argv, void (*start)() = nullptr,
                                  void (*stop)() = nullptr);
