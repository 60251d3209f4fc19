// What the benchmarks of the foreign formats share: a folder of their own,
// the reference document written in the format by a process of its own
// (made once a size), the page count that makes a file of some megabytes,
// and a document written to bytes in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

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
// The reference document's body and footer in the document.
void FillWithReferenceDocument(xMorvaDocument& document, int32_t pages);
// What `write` puts into a memory stream.
std::string WrittenBytes(const std::function<void(VStream&)>& write);
