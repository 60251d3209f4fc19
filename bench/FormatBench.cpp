// The foreign formats' benchmark helpers.
#include "bench/FormatBench.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "graphics/VGraphicsStart.h"

namespace fs = std::filesystem;

fs::path BenchFolder(const std::string& name) {
  static std::map<std::string, fs::path> made;
  auto found = made.find(name);
  if (found != made.end()) return found->second;
  const fs::path path = fs::temp_directory_path() / (name + "-" + std::to_string(getpid()));
  fs::create_directories(path);
  made[name] = path;
  return path;
}

fs::path MadeReferenceFile(const fs::path& folder, int32_t pages, const std::string& extension) {
  const fs::path path = folder / ("reference-" + std::to_string(pages) + extension);
  if (!fs::exists(path)) {
    double seconds = 0;
    int64_t peak = 0;
    RunSelf({"--reference", std::to_string(pages), path.string()}, seconds, peak);
  }
  return path;
}

int32_t PagesForMegabytes(const fs::path& folder, const std::string& extension, int64_t megabytes) {
  const double bytesPerPage = double(fs::file_size(MadeReferenceFile(folder, 50, extension))) / 50.0;
  return int32_t(double(megabytes) * 1e6 / bytesPerPage) + 1;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

void FillWithReferenceDocument(xMorvaDocument& document, int32_t pages, bool withFooter) {
  document.Reset(false);
  const ReferenceDocument reference = MakeReferenceDocument(pages);
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
  body->SetLength(int32_t(body->RecountPositions()));
  if (!withFooter) return;
  auto* footer = static_cast<xMorvaEngine*>(document.GetPart(kPartFooter));
  footer->InsertBytes(0u, reference.footer.data(), uint32_t(reference.footer.size()));
  footer->SetLength(int32_t(footer->RecountPositions()));
}

void FillWithPlainReferenceDocument(xMorvaDocument& document, int32_t pages) {
  document.Reset(false);
  ReferenceDocument reference = MakeReferenceDocument(pages);
  MakePlain(reference);
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
  body->SetLength(int32_t(body->RecountPositions()));
}

std::string WrittenBytes(const std::function<void(VStream&)>& write) {
  VMemHandle handle = 0;
  std::string out;
  {
    VHandleStream stream(handle);
    stream.OpenWrite();
    write(stream);
    stream.CloseWrite(1);
  }
  const uint32_t size = handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0;
  if (size != 0) {
    out.assign(static_cast<const char*>(gMemoryMgr->LockHandle(handle)), size);
    gMemoryMgr->UnlockHandle(handle);
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  return out;
}

namespace {

constexpr int32_t kCharactersPerPage = 3000;

// The same words every time, from a small generator of our own.
class Words {
 public:
  uint32_t Next(uint32_t limit) {
    fState = fState * 1664525u + 1013904223u;
    return (fState >> 8) % limit;
  }
  const char* Word() {
    static const char* const kWords[] = {
        "the",    "document", "reads",  "pages",  "of",       "text",     "with",   "runs",
        "and",    "tables",   "stored", "bytes",  "property", "paragraph", "styled", "import",
        "column", "margin",   "header", "letter", "value",    "number",   "cell",   "row"};
    return kWords[Next(sizeof kWords / sizeof kWords[0])];
  }

 private:
  uint32_t fState = 20261207u;
};

// The document's shape: a page is kCharactersPerPage characters of
// paragraphs of `shortest` to `shortest + spread` characters; it ends after
// `pages` pages or `paragraphs` paragraphs, whichever comes first.
struct Shape {
  int32_t pages;
  int32_t paragraphs;
  int32_t shortest;
  int32_t spread;
};

std::string Generated(int64_t kind, const Shape& shape) {
  Words words;
  std::string rtf =
      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman Liberation Serif;}{\\f1\\fswiss Liberation Sans;}"
      "{\\f2\\fmodern Liberation Mono;}}{\\colortbl;\\red200\\green0\\blue0;\\red0\\green120\\blue0;"
      "\\red0\\green0\\blue200;}\n";
  int32_t made = 0;
  for (int32_t page = 0; page < shape.pages && made < shape.paragraphs; ++page) {
    int32_t written = 0;
    int32_t paragraph = 0;
    if (kind == kGeneratedFormatted && page % 3 == 2) {
      for (int row = 0; row < 3; ++row) {
        rtf += "\\trowd\\trgaph108\\trqc\\clbrdrt\\brdrs\\clbrdrb\\brdrs\\cellx3000\\clcbpat2\\cellx6000"
               "\\cellx8000\n";
        for (int cell = 0; cell < 3; ++cell) {
          rtf += cell == 1 ? "\\pard\\intbl\\qc " : "\\pard\\intbl ";
          rtf += words.Word();
          rtf += " ";
          rtf += words.Word();
          rtf += "\\cell";
          written += 16;
        }
        rtf += "\\row\n";
      }
    }
    while (written < kCharactersPerPage && made < shape.paragraphs) {
      const int32_t length = shape.shortest + int32_t(words.Next(uint32_t(shape.spread)));
      rtf += "\\pard";
      if (kind == kGeneratedFormatted) {
        switch (paragraph++ % 4) {
          case 0: rtf += "\\sb120\\sa240"; break;
          case 1: rtf += "\\qc"; break;
          case 2: rtf += "\\li720\\fi-360\\tx2000\\tqr\\tx6000"; break;
          default: rtf += "\\qj\\sl360\\slmult1"; break;
        }
      }
      rtf += " ";
      int32_t inParagraph = 0;
      int32_t runLeft = 0;
      bool open = false;
      while (inParagraph < length) {
        if (kind == kGeneratedFormatted && runLeft-- <= 0) {
          if (open) rtf += "}";
          static const char* const kRuns[] = {"{\\b ",   "{\\i ",   "{\\ul ",  "{\\fs28 ", "{\\f1 ",
                                              "{\\cf1 ", "{\\cf3\\b\\i ", "{\\f2\\fs20 ", "{"};
          rtf += kRuns[words.Next(sizeof kRuns / sizeof kRuns[0])];
          open = true;
          runLeft = 2 + int32_t(words.Next(4));
        }
        const char* word = words.Word();
        rtf += word;
        rtf += kind == kGeneratedFormatted && paragraph % 4 == 3 && inParagraph == 40 ? "\\tab " : " ";
        inParagraph += int32_t(std::strlen(word)) + 1;
      }
      if (open) rtf += "}";
      rtf += "\\par\n";
      written += inParagraph;
      ++made;
    }
  }
  rtf += "}\n";
  return rtf;
}

}  // namespace

std::string GeneratedRtf(int64_t kind, int32_t pages) { return Generated(kind, {pages, INT32_MAX, 300, 200}); }

std::string GeneratedRtfOfParagraphs(int64_t kind, int32_t paragraphs) {
  return Generated(kind, {INT32_MAX, paragraphs, 40, 120});
}

fs::path HostProgram() {
  const fs::path host = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "qvhost" / "qvhost";
  return fs::exists(host) ? host : fs::path();
}

void WriteHostConversionScript(const fs::path& script, const fs::path& in, const std::string& inType,
                               const fs::path& out, const std::string& outType, bool inForm) {
  std::ofstream(script) << "set name \"Qvbase\"\nset version 0x670\nstart -1\n"
                        << (inForm ? "form doc 40 60 660 440\narea memo create form at doc 10 10 640 420\n"
                                   : "command 47 result area memo\n")
                        << "command 48 area memo hosttext \"" << in.string() << "\" text \"" << inType << "\"\n"
                        << "command 28 area memo result long\nexpect result 0\n"
                        << "command 50 area memo hosttext \"" << out.string() << "\" text \"" << outType << "\"\n"
                        << "command 28 area memo result long\nexpect result 0\n";
}

namespace {
xMorvaDocumentEngineServices gFormatEngine;
}  // namespace

void StartFormatServices() {
  InitGraphics();
  VService<xMorvaEngineServices>::Install(&gFormatEngine);
}

void StopFormatServices() {
  VService<xMorvaEngineServices>::Install(nullptr);
  ExitGraphics();
}

bool TimeWholeProcess(benchmark::State& state, const std::vector<std::string>& command, const fs::path& input,
                      int32_t pages) {
  int64_t peak = 0;
  for (auto _ : state) {
    double seconds = 0;
    int64_t bytes = 0;
    if (!RunProcess(command, seconds, bytes)) {
      state.SkipWithError("the conversion failed");
      return false;
    }
    state.SetIterationTime(seconds);
    peak = std::max(peak, bytes);
  }
  state.counters["pages"] = pages;
  state.counters["file_MB"] = double(fs::file_size(input)) / 1e6;
  state.counters["peak_RSS_MB"] = double(peak) / 1e6;
  return true;
}
