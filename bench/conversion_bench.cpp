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
// converter, and the ratios: `speedup` is the faster peer's time over ours,
// `memory_share` our peak over that peer's. The converters of a row run in
// turn, round after round (ours at least three rounds, the peers
// QV_PEER_RUNS, 1 by default, 0 for none), and each keeps its best round:
// a machine busy for a while slows them all alike. With QV_BASELINE_DIR,
// another build's qvhost runs in the same rounds, its figures named
// `base_`, so that a change is measured before and after side by side.
// A process has a floor of memory whatever it converts (the shared
// libraries it maps, the fonts it lists), so each row also gives the peak
// and time of the same conversion of a one-page document (`floor_MB`,
// `floor_ms`), what the conversion adds over it (`added_MB`), and that over
// the faster peer's peak (`added_share`); with QV_COUNT_INSTRUCTIONS set,
// the instructions of that one-page conversion, counted by valgrind
// (`floor_Minstr`), and of the same conversion in an area of a form window
// the host shows, which draws the page on the screen (`form_floor_Minstr`). The peers' own floors are no yardstick: one of them
// starts at some 200 MB whatever it converts.
//
// One reference document is one peer's best or worst case, so the second
// benchmark, ConvertPeerWritten, converts documents of four kinds (a plain
// report, lists, tables set as tabs, a header and footer with page
// breaks; bench/PeerDocuments.h) at each size as LibreOffice and AbiWord
// wrote them: the Word files and HTML by LibreOffice, the XHTML by AbiWord,
// the RTF by either.
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
#include "bench/PeerDocuments.h"
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

// LibreOffice takes an HTML or XHTML file for a web page, which has no RTF
// export: it is told to read it with its word processor's HTML filter.
std::vector<std::string> LibreOfficeCommand(const fs::path& input, const std::string& to, const fs::path& outdir) {
  std::vector<std::string> command{"soffice", "-env:UserInstallation=file://" + Profile().string(), "--headless"};
  if (input.extension() == ".xhtml" || input.extension() == ".html") command.push_back("--infilter=HTML (StarWriter)");
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

// A converter as a user runs it: its command line and what it adds to the
// environment.
struct Converter {
  std::vector<std::string> command;
  std::vector<std::string> environment;
};

// Keeps the best of a converter's runs: the shortest time, and the peak of
// that run. False when the run failed.
bool RunOnce(const Converter& converter, Run& best) {
  double seconds = 0;
  int64_t peak = 0;
  if (!RunProcessWith(converter.command, converter.environment, "", seconds, peak)) return false;
  best.ran = true;
  if (seconds < best.seconds) {
    best.seconds = seconds;
    best.peak = peak;
  }
  return true;
}

Run Best(const Converter& converter, int times) {
  Run best;
  for (int i = 0; i < times && !converter.command.empty(); ++i) {
    if (!RunOnce(converter, best)) return Run();
  }
  return best;
}

int PeerRuns() {
  const char* runs = std::getenv("QV_PEER_RUNS");
  const int n = runs != nullptr ? std::atoi(runs) : 1;
  return n >= 0 ? n : 1;
}

// Another build's stand-in host, to be measured beside ours in the same
// run: QV_BASELINE_DIR names a folder holding its qvhost, libqvmorva.so,
// libqvplatform.so, module-resources and host-resources (see the README).
// It keeps a preferences folder of its own.
fs::path BaselineFolder() {
  const char* folder = std::getenv("QV_BASELINE_DIR");
  if (folder == nullptr || *folder == 0 || !fs::exists(fs::path(folder) / "qvhost")) return {};
  return folder;
}

Converter BaselineCommand(const fs::path& script) {
  const fs::path base = BaselineFolder();
  if (base.empty()) return {};
  const fs::path folder = CacheFolder() / "baseline-host-folder";
  fs::create_directories(folder);
  return {{(base / "qvhost").string(), "--module", (base / "libqvmorva.so").string(), "--resources",
           (base / "module-resources").string(), "--host-resources", (base / "host-resources").string(),
           "--folder", folder.string(), script.string()},
          {"LD_LIBRARY_PATH=" + base.string()}};
}

// The instructions a run of the converter takes, in millions, counted by
// valgrind when QV_COUNT_INSTRUCTIONS is set (this machine's processor may
// have no counters a program can read); 0 when not counted.
double MillionInstructions(const Converter& converter) {
  const char* count = std::getenv("QV_COUNT_INSTRUCTIONS");
  if (count == nullptr || *count == 0 || converter.command.empty() || !HasProgram("valgrind")) return 0;
  const fs::path log = Scratch() / "instructions.log";
  Converter counted = converter;
  counted.command.insert(counted.command.begin(),
                         {"valgrind", "--tool=callgrind", "--callgrind-out-file=/dev/null", "--log-file=" + log.string()});
  double seconds = 0;
  int64_t peak = 0;
  if (!RunProcessWith(counted.command, counted.environment, "", seconds, peak)) return 0;
  const std::string text = ReadFile(log);
  const size_t at = text.find("Collected :");
  return at == std::string::npos ? 0 : std::strtod(text.c_str() + at + 11, nullptr) / 1e6;
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

// What one row measures, its converters run in turn, round after round,
// so that a machine busy for a while slows them all alike.
struct Measured {
  Run ours, base, office, abiword;
  Run floor, baseFloor;
  double floorInstructions = 0, baseFloorInstructions = 0;
  double formInstructions = 0, baseFormInstructions = 0;
};

// Converts `input` (of `pages` pages) as the conversion `c` with ours, the
// baseline when there is one and the peers; `small` is the same kind of
// document at one page, for the floor of memory and the instructions of a
// start. False when our conversion fails.
bool MeasureConversion(const ConversionInfo& c, const fs::path& input, const fs::path& small, const std::string& tag,
                       Measured& m) {
  const fs::path host = HostProgram();
  WarmLibreOffice();
  const fs::path out = Scratch() / c.name;
  for (const char* who : {"ours", "base", "libreoffice", "abiword"}) fs::create_directories(out / who);
  const std::string extension = c.extension;
  auto script = [&](const char* who, const fs::path& in, const std::string& stem) {
    const fs::path path = out / (std::string(who) + "-" + stem + ".qvs");
    WriteHostConversionScript(path, in, c.hostIn, out / who / (stem + "." + extension), c.hostOut);
    return path;
  };
  const Converter ours{HostCommand(host, script("ours", input, tag)), {}};
  const Converter base = BaselineCommand(script("base", input, tag));
  Converter office;
  Converter abiword;
  const int peerRuns = PeerRuns();
  if (peerRuns > 0 && HasProgram("soffice")) office = {LibreOfficeCommand(input, extension, out / "libreoffice"), {}};
  if (peerRuns > 0 && HasProgram("abiword"))
    abiword = {{"abiword", "--to=" + (out / "abiword" / (tag + "." + extension)).string(), input.string()}, {}};
  Converter oursSmall;
  Converter baseSmall;
  if (!small.empty()) {
    oursSmall = {HostCommand(host, script("ours", small, tag + "-1")), {}};
    baseSmall = BaselineCommand(script("base", small, tag + "-1"));
    // The hosts' first starts write their preferences: untimed.
    Best(oursSmall, 1);
    Best(baseSmall, 1);
  }
  const int oursRuns = std::max(3, peerRuns);
  for (int round = 0; round < std::max(oursRuns, peerRuns); ++round) {
    if (round < oursRuns && !RunOnce(ours, m.ours)) return false;
    if (round < oursRuns && !base.command.empty()) RunOnce(base, m.base);
    if (round < peerRuns && !office.command.empty()) RunOnce(office, m.office);
    if (round < peerRuns && !abiword.command.empty()) RunOnce(abiword, m.abiword);
    if (round < 3 && !oursSmall.command.empty()) RunOnce(oursSmall, m.floor);
    if (round < 3 && !baseSmall.command.empty()) RunOnce(baseSmall, m.baseFloor);
  }
  m.floorInstructions = MillionInstructions(oursSmall);
  m.baseFloorInstructions = MillionInstructions(baseSmall);
  if (!small.empty() && m.floorInstructions > 0) {
    // The same one-page conversion in an area of a form window, which
    // draws the document on the screen as the host shows it.
    const fs::path form = out / ("form-" + tag + "-1.qvs");
    WriteHostConversionScript(form, small, c.hostIn, out / "ours" / (tag + "-form." + extension), c.hostOut, true);
    m.formInstructions = MillionInstructions({HostCommand(host, form), {}});
    const fs::path baseForm = out / ("base-form-" + tag + "-1.qvs");
    WriteHostConversionScript(baseForm, small, c.hostIn, out / "base" / (tag + "-form." + extension), c.hostOut, true);
    m.baseFormInstructions = MillionInstructions(BaselineCommand(baseForm));
  }
  return true;
}

// The row's counters: every converter's seconds and peak, and ours (and
// the baseline's) over the faster peer.
void Report(benchmark::State& state, const Measured& m, const fs::path& input, int32_t pages) {
  const Run& peer = !m.abiword.ran || (m.office.ran && m.office.seconds < m.abiword.seconds) ? m.office : m.abiword;
  state.counters["pages"] = pages;
  state.counters["file_MB"] = double(fs::file_size(input)) / 1e6;
  auto put = [&](const std::string& who, const Run& run, const Run& floor, double instructions, double form) {
    if (!run.ran) return;
    state.counters[who + "_s"] = run.seconds;
    state.counters[who + "_MB"] = double(run.peak) / 1e6;
    const std::string prefix = who == "ours" ? "" : who + "_";
    if (peer.ran && &run != &peer && (who == "ours" || who == "base")) {
      state.counters[prefix + "speedup"] = peer.seconds / run.seconds;
      state.counters[prefix + "memory_share"] = double(run.peak) / double(peer.peak);
    }
    if (floor.ran) {
      const int64_t added = std::max<int64_t>(0, run.peak - floor.peak);
      state.counters[prefix + "floor_MB"] = double(floor.peak) / 1e6;
      state.counters[prefix + "floor_ms"] = floor.seconds * 1e3;
      state.counters[prefix + "added_MB"] = double(added) / 1e6;
      if (peer.ran) state.counters[prefix + "added_share"] = double(added) / double(peer.peak);
    }
    if (instructions > 0) state.counters[prefix + "floor_Minstr"] = instructions;
    if (form > 0) state.counters[prefix + "form_floor_Minstr"] = form;
  };
  put("ours", m.ours, m.floor, m.floorInstructions, m.formInstructions);
  put("base", m.base, m.baseFloor, m.baseFloorInstructions, m.baseFormInstructions);
  put("lo", m.office, Run(), 0, 0);
  put("abi", m.abiword, Run(), 0, 0);
}

void Convert(benchmark::State& state) {
  const ConversionInfo& c = kConversions[state.range(0)];
  const int32_t pages = int32_t(state.range(1));
  const fs::path input = InputFile(c.input, pages);
  if (input.empty()) return state.SkipWithError("the input file could not be made");
  if (HostProgram().empty()) return state.SkipWithError("qvhost is not built");
  Measured m;
  for (auto _ : state) {
    if (!MeasureConversion(c, input, InputFile(c.input, 1), "reference-" + std::to_string(pages), m))
      return state.SkipWithError("our conversion failed");
    state.SetIterationTime(m.ours.seconds);
  }
  Report(state, m, input, pages);
  state.SetLabel(c.name);
}

// The input of a conversion as a peer wrote it: the Word files and HTML by
// LibreOffice, the XHTML by AbiWord, and the RTF by LibreOffice for the
// report and the tabbed tables and by AbiWord for the lists and the
// document with a header and footer.
fs::path PeerInput(const ConversionInfo& c, int64_t kind, int32_t pages) {
  const std::string input = c.input;
  const bool abiword = input == "xhtml" || (input == "rtf" && (kind == kPeerLists || kind == kPeerHeaders));
  return PeerWrittenFile(CacheFolder() / "peer-written", Profile(), kind, pages,
                         abiword ? PeerWriter::kAbiWord : PeerWriter::kLibreOffice, input);
}

void ConvertPeerWritten(benchmark::State& state) {
  const ConversionInfo& c = kConversions[state.range(0)];
  const int32_t pages = int32_t(state.range(1));
  const int64_t kind = state.range(2);
  WarmLibreOffice();
  const fs::path input = PeerInput(c, kind, pages);
  if (input.empty()) return state.SkipWithError("the peer could not write the input file");
  if (HostProgram().empty()) return state.SkipWithError("qvhost is not built");
  Measured m;
  const std::string tag = std::string(PeerDocumentName(kind)) + "-" + std::to_string(pages);
  for (auto _ : state) {
    if (!MeasureConversion(c, input, PeerInput(c, kind, 1), tag, m)) return state.SkipWithError("our conversion failed");
    state.SetIterationTime(m.ours.seconds);
  }
  Report(state, m, input, pages);
  state.SetLabel(std::string(c.name) + " " + input.filename().string());
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

void PeerWrittenConversions(benchmark::internal::Benchmark* b) {
  for (int64_t pages : kReferencePages) {
    for (int64_t conversion : {kDocToRtf, kRtfToDoc, kXhtmlToRtf, kHtmlToRtf, kDocToTxt}) {
      for (int64_t kind : kPeerDocumentKinds) b->Args({conversion, pages, kind});
    }
  }
}

BENCHMARK(ConvertPeerWritten)
    ->ArgNames({"conversion", "pages", "document"})
    ->Apply(PeerWrittenConversions)
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
