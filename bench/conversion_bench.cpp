// Conversions as whole processes, side by side with the peers: the
// reference document of 50, 500 and 2,000 pages converted by the stand-in
// host (qvhost opens the file in an offscreen area with command 48, which
// reads and lays it out, and saves it with command 50; its folder, where
// the module keeps its preferences, is kept between runs), by LibreOffice
// (`soffice --headless --convert-to`) and by AbiWord (`abiword --to=`):
//   doc→rtf    LibreOffice's Word 97 file of the reference RTF
//   rtf→doc    the reference document as RTF
//   xhtml→rtf  AbiWord's XHTML of the reference RTF (AbiWord writes XHTML
//              for a ".xhtml" name; for ".html" it writes HTML 4.01, whose
//              closing empty paragraph it nests so that it cannot read the
//              file back, and the row would have no AbiWord figure)
//   html→rtf   the reference document as HTML, written by us
//   doc→txt    LibreOffice's Word 97 file again, to plain text
// Each row reports the seconds and peak resident memory of every
// converter (ours the best of three runs or of QV_PEER_RUNS when more, a
// peer's the best of QV_PEER_RUNS, 1 by default, 0 for none), and the ratios: `speedup` is the faster
// peer's time over ours, `memory_share` our peak over that peer's.
// A process has a floor of memory whatever it converts (the shared
// libraries it maps, the fonts it lists), so each row also gives the peak
// of the same conversion of a one-page document (`floor_MB`), what the
// conversion adds over it (`added_MB`), and that over the faster peer's
// peak (`added_share`). The peers' own floors are no yardstick: one of
// them starts at some 200 MB whatever it converts.
//
// The input files are made once and kept beside this program
// (conversion-bench-files), as the peers take minutes to write the large
// ones. `conversion_bench --reference PAGES OUT` writes the reference
// document as RTF or HTML by OUT's extension.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "framework/core/memory/VHeap.h"
#include "framework/core/memory/VWinMemoryMgr.h"
#include "interchange/html/xMorvaExportHTML.h"
#include "interchange/rtf/xMorvaExportRTF.h"

namespace fs = std::filesystem;

namespace {

enum Conversion : int64_t { kDocToRtf = 0, kRtfToDoc = 1, kXhtmlToRtf = 2, kHtmlToRtf = 3, kDocToTxt = 4 };

struct ConversionInfo {
  const char* name;
  const char* input;      // kind of input file: "doc", "rtf", "xhtml", "html"
  const char* hostIn;     // the type command 48 opens it as
  const char* hostOut;    // the type command 50 saves
  const char* extension;  // of the output, and the peers' target
};

constexpr ConversionInfo kConversions[] = {
    {"doc_to_rtf", "doc", "DOC8", "RTF ", "rtf"},
    {"rtf_to_doc", "rtf", "RTF ", "DOC8", "doc"},
    {"xhtml_to_rtf", "xhtml", "HTML", "RTF ", "rtf"},
    {"html_to_rtf", "html", "HTML", "RTF ", "rtf"},
    {"doc_to_txt", "doc", "DOC8", "ASCW", "txt"},
};

// The folder beside this program where the made inputs stay between runs.
fs::path CacheFolder() {
  const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "conversion-bench-files";
  fs::create_directories(folder);
  return folder;
}

fs::path Scratch() { return BenchFolder("qv-conversion-bench"); }
fs::path Profile() { return CacheFolder() / "profile"; }

// The stand-in host's folder, kept between runs as a host keeps its own:
// the module writes its preferences file there at its first start, which,
// like LibreOffice's profile, is made once and untimed (without a folder
// the host makes a fresh one for every run).
fs::path HostFolder() {
  const fs::path folder = CacheFolder() / "host-folder";
  fs::create_directories(folder);
  return folder;
}

std::vector<std::string> HostCommand(const fs::path& host, const fs::path& script) {
  return {host.string(), "--folder", HostFolder().string(), script.string()};
}

// LibreOffice takes an XHTML file for a web page, which has no RTF export:
// it is told to read it with its word processor's HTML filter.
std::vector<std::string> LibreOfficeCommand(const fs::path& input, const std::string& to, const fs::path& outdir) {
  std::vector<std::string> command{"soffice", "-env:UserInstallation=file://" + Profile().string(), "--headless"};
  if (input.extension() == ".xhtml") command.push_back("--infilter=HTML (StarWriter)");
  for (const std::string& word : {std::string("--convert-to"), to, std::string("--outdir"), outdir.string(), input.string()})
    command.push_back(word);
  return command;
}

// The input of a kind at `pages` pages, made once; empty when it cannot be.
fs::path InputFile(const std::string& kind, int32_t pages) {
  const fs::path folder = CacheFolder();
  const std::string stem = "reference-" + std::to_string(pages);
  double seconds = 0;
  int64_t peak = 0;
  if (kind == "rtf" || kind == "html") {
    const fs::path path = folder / (stem + "." + kind);
    if (!fs::exists(path)) RunSelf({"--reference", std::to_string(pages), path.string()}, seconds, peak);
    return fs::exists(path) ? path : fs::path();
  }
  const fs::path rtf = InputFile("rtf", pages);
  if (rtf.empty()) return {};
  if (kind == "doc") {
    const fs::path doc = folder / (stem + ".doc");
    if (!fs::exists(doc) && HasProgram("soffice"))
      RunProcess(LibreOfficeCommand(rtf, "doc:MS Word 97", folder), seconds, peak);
    return fs::exists(doc) ? doc : fs::path();
  }
  if (kind == "xhtml") {
    const fs::path xhtml = folder / (stem + "-abiword.xhtml");
    if (!fs::exists(xhtml) && HasProgram("abiword"))
      RunProcess({"abiword", "--to=" + xhtml.string(), rtf.string()}, seconds, peak);
    return fs::exists(xhtml) ? xhtml : fs::path();
  }
  return {};
}

struct Run {
  bool ran = false;
  double seconds = std::numeric_limits<double>::infinity();
  int64_t peak = 0;
};

// The best of `times` runs: the shortest time, and the peak of that run.
Run Best(const std::vector<std::string>& command, int times) {
  Run best;
  for (int i = 0; i < times && !command.empty(); ++i) {
    double seconds = 0;
    int64_t peak = 0;
    if (!RunProcess(command, seconds, peak)) return Run();
    best.ran = true;
    if (seconds < best.seconds) {
      best.seconds = seconds;
      best.peak = peak;
    }
  }
  return best;
}

int PeerRuns() {
  const char* runs = std::getenv("QV_PEER_RUNS");
  const int n = runs != nullptr ? std::atoi(runs) : 1;
  return n >= 0 ? n : 1;
}

// LibreOffice's first start with a new profile makes the profile: done
// once, untimed, on a small file.
void WarmLibreOffice() {
  static bool warmed = false;
  if (warmed || !HasProgram("soffice")) return;
  warmed = true;
  const fs::path small = InputFile("rtf", 50);
  const fs::path out = Scratch() / "warm";
  fs::create_directories(out);
  double seconds = 0;
  int64_t peak = 0;
  if (!small.empty() && PeerRuns() > 0) RunProcess(LibreOfficeCommand(small, "txt", out), seconds, peak);
}

void Convert(benchmark::State& state) {
  const ConversionInfo& c = kConversions[state.range(0)];
  const int32_t pages = int32_t(state.range(1));
  const fs::path input = InputFile(c.input, pages);
  if (input.empty()) return state.SkipWithError("the input file could not be made");
  const fs::path host = HostProgram();
  if (host.empty()) return state.SkipWithError("qvhost is not built");
  WarmLibreOffice();
  const fs::path out = Scratch() / c.name;
  fs::create_directories(out / "ours");
  fs::create_directories(out / "libreoffice");
  fs::create_directories(out / "abiword");
  const fs::path script = out / (std::to_string(pages) + ".qvs");
  WriteHostConversionScript(script, input, c.hostIn, out / "ours" / ("out." + std::string(c.extension)), c.hostOut);

  // The same conversion of a one-page document: the process's floor.
  const fs::path small = InputFile(c.input, 1);
  const fs::path smallScript = out / "1.qvs";
  if (!small.empty())
    WriteHostConversionScript(smallScript, small, c.hostIn, out / "ours" / ("1." + std::string(c.extension)),
                              c.hostOut);

  Run ours;
  Run office;
  Run abiword;
  if (!small.empty()) Best(HostCommand(host, smallScript), 1);  // the host's first start, untimed
  for (auto _ : state) {
    ours = Best(HostCommand(host, script), std::max(3, PeerRuns()));
    if (!ours.ran) return state.SkipWithError("our conversion failed");
    state.SetIterationTime(ours.seconds);
  }
  const Run floor = small.empty() ? Run() : Best(HostCommand(host, smallScript), 3);
  const int peerRuns = PeerRuns();
  if (peerRuns > 0 && HasProgram("soffice")) office = Best(LibreOfficeCommand(input, c.extension, out / "libreoffice"), peerRuns);
  if (peerRuns > 0 && HasProgram("abiword"))
    abiword = Best({"abiword", "--to=" + (out / "abiword" / ("out." + std::string(c.extension))).string(),
                    input.string()},
                   peerRuns);
  const Run& peer = !abiword.ran || (office.ran && office.seconds < abiword.seconds) ? office : abiword;
  state.counters["pages"] = pages;
  state.counters["file_MB"] = double(fs::file_size(input)) / 1e6;
  state.counters["ours_s"] = ours.seconds;
  state.counters["ours_MB"] = double(ours.peak) / 1e6;
  if (office.ran) {
    state.counters["lo_s"] = office.seconds;
    state.counters["lo_MB"] = double(office.peak) / 1e6;
  }
  if (abiword.ran) {
    state.counters["abi_s"] = abiword.seconds;
    state.counters["abi_MB"] = double(abiword.peak) / 1e6;
  }
  if (peer.ran) {
    state.counters["speedup"] = peer.seconds / ours.seconds;
    state.counters["memory_share"] = double(ours.peak) / double(peer.peak);
  }
  if (floor.ran) {
    const int64_t added = std::max<int64_t>(0, ours.peak - floor.peak);
    state.counters["floor_MB"] = double(floor.peak) / 1e6;
    state.counters["added_MB"] = double(added) / 1e6;
    if (peer.ran) state.counters["added_share"] = double(added) / double(peer.peak);
  }
  state.SetLabel(c.name);
}

void Conversions(benchmark::internal::Benchmark* b) {
  for (int64_t conversion : {kDocToRtf, kRtfToDoc, kXhtmlToRtf, kHtmlToRtf, kDocToTxt}) {
    for (int64_t pages : kReferencePages) b->Args({conversion, pages});
  }
}

BENCHMARK(Convert)
    ->ArgNames({"conversion", "pages"})
    ->Apply(Conversions)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The reference document of `pages` pages written as RTF or HTML.
int WriteReference(int32_t pages, const std::string& out) {
  gHeap = new VHeap();
  gMemoryMgr = new VWinMemoryMgr();
  StartFormatServices();
  {
    auto document = std::make_unique<xMorvaDocument>(nullptr);
    FillWithReferenceDocument(*document, pages);
    const bool html = out.size() > 5 && out.compare(out.size() - 5, 5, ".html") == 0;
    const std::string bytes = WrittenBytes([&document, html](VStream& stream) {
      if (html) {
        xMorvaExportHTML writer;
        writer.ExportHTMLDocument(*document, stream, "");
      } else {
        xMorvaExportRTF writer;
        writer.ExportRtf(*document, stream, false);
      }
    });
    std::ofstream(out, std::ios::binary) << bytes;
  }
  StopFormatServices();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--reference") == 0) return WriteReference(std::atoi(argv[2]), argv[3]);
  const int result = RunBenchmarksWithCoreServices(argc, argv, nullptr, nullptr);
  std::error_code ignored;
  fs::remove_all(Scratch(), ignored);
  return result;
}
