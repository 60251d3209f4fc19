// What the benchmarks of a format read and written through streams (RTF,
// HTML) share: reading and writing the reference document in process, the
// whole-process conversion of ours beside LibreOffice's and AbiWord's, and
// the program's main with its `--convert IN OUT` and `--reference PAGES OUT`.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <string>

class VStream;
class xMorvaDocument;

struct StreamFormat {
  std::string folder;     // the benchmark's folder under the temporary one
  std::string extension;  // of the files: ".rtf"
  std::string peerType;   // LibreOffice's --convert-to type, and AbiWord's extension: "rtf"
  // Reads the file's bytes in memory into the document: false when they did not read.
  std::function<bool(xMorvaDocument&, const std::string& bytes)> readBytes;
  // Reads the stream into the document: false when it did not read.
  std::function<bool(xMorvaDocument&, VStream&)> read;
  // Writes the document to the stream; `path` is the file's ("" in memory).
  std::function<bool(xMorvaDocument&, VStream&, const char* path)> write;
};

enum Converter : int64_t { kOurs = 0, kLibreOffice = 1, kAbiWord = 2 };

// The reference document of `pages` pages in the format, made once a size.
std::string StreamFormatReferenceFile(const StreamFormat& format, int32_t pages);
int32_t StreamFormatPagesForMegabytes(const StreamFormat& format, int64_t megabytes);
// The reference document of `pages` pages read from memory once an iteration.
void TimeImport(benchmark::State& state, const StreamFormat& format, int32_t pages);
// The same document written to memory once an iteration.
void TimeExport(benchmark::State& state, const StreamFormat& format, int32_t pages);
// The whole process of one converter on the reference document of `pages` pages.
void TimeConversion(benchmark::State& state, const StreamFormat& format, Converter converter, int32_t pages);
// `--convert IN OUT`: our whole process (open, lay out once, save);
// `--write-once PAGES OUT`: the reference document of pages made in memory
// and written once (in `MeasuredWrite`, for valgrind to count alone) to OUT;
// `--reference PAGES OUT`: the reference document in the format; else the
// benchmarks, the format's folder removed at the end.
int StreamFormatBenchMain(int argc, char** argv, const StreamFormat& format);
