// What the benchmarks of the foreign formats share: a folder of their own,
// the reference document written in the format by a process of its own
// (made once a size), the page count that makes a file of some megabytes,
// a document written to bytes in memory, the generated RTF of the Word
// benchmarks and the stand-in host's script that converts a file.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class VStream;
class xMorvaDocument;

// A folder under the temporary one, named with the process id, made once.
std::filesystem::path BenchFolder(const std::string& name);
// The reference document of `pages` pages in `folder`, with `extension`,
// written by this program run as `--reference PAGES OUT`: a process started
// later counts the memory of the one that starts it, so this one stays small.
std::filesystem::path MadeReferenceFile(const std::filesystem::path& folder, int32_t pages,
                                        const std::string& extension);
// Pages of the reference document that make about `megabytes` in the format.
int32_t PagesForMegabytes(const std::filesystem::path& folder, const std::string& extension, int64_t megabytes);
std::string ReadFile(const std::filesystem::path& path);
// The reference document's body and, with `footer`, its footer in the
// document.
void FillWithReferenceDocument(xMorvaDocument& document, int32_t pages, bool footer = true);
// The reference document made a plain text (MakePlain), without a footer:
// the text alone, as a plain text file opens.
void FillWithPlainReferenceDocument(xMorvaDocument& document, int32_t pages);
// What `write` puts into a memory stream.
std::string WrittenBytes(const std::function<void(VStream&)>& write);
// The text engine's services for the benchmarks that read and write
// documents in process, with the graphics they measure with.
void StartFormatServices();
void StopFormatServices();
// Runs `command` once an iteration as the benchmark's manual time, with the
// counters pages, file_MB (of `input`) and peak_RSS_MB; false, with the
// benchmark skipped, when a run fails.
bool TimeWholeProcess(benchmark::State& state, const std::vector<std::string>& command,
                      const std::filesystem::path& input, int32_t pages);

// The generated RTF of the Word benchmarks, the same words every time.
// Plain: paragraphs of words alone. Formatted: every few words a run of its
// own (bold, italic, underlined, another size, font or colour), centred,
// indented and tabbed paragraphs with space around them, and a table of
// three rows every third page of 3,000 characters.
enum GeneratedKind : int64_t { kGeneratedPlain = 0, kGeneratedFormatted = 1 };
// `pages` pages of 3,000 characters, in paragraphs of 300 to 500.
std::string GeneratedRtf(int64_t kind, int32_t pages);
// `paragraphs` paragraphs (the tables' cells not counted) of 40 to 160
// characters: a document long in paragraphs and runs rather than in text.
std::string GeneratedRtfOfParagraphs(int64_t kind, int32_t paragraphs);

// The stand-in host built beside the benchmarks; empty when it is not built.
std::filesystem::path HostProgram();
// Writes the stand-in host's script that opens `in` in an offscreen area as
// `inType` ("" to tell it by its content), saves it as `out` of `outType`
// ("" for the own format) and fails on any code but 0.
// With `inForm`, the file is opened in an area of a form window the host
// shows (660 x 440 pixels), which draws the document as a user sees it.
void WriteHostConversionScript(const std::filesystem::path& script, const std::filesystem::path& in,
                               const std::string& inType, const std::filesystem::path& out,
                               const std::string& outType, bool inForm = false);
