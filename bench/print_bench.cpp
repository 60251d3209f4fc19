// Printing and mailing to PDF as whole processes: a child process builds a
// document of N pages and prints it (or prints a one-page letter once per
// record of a table of N records) on the headless printer, beside
// `soffice --headless --convert-to pdf` of the same pages written as RTF.
// Each run reports the time per page (or record) and the child's peak
// memory ("max_rss_kb").
//
// `PrintDocumentFile` prints whole documents as their users do, side by
// side in one run: the stand-in host opens the file in a form's area
// (command 48) and prints every page with command 4 into a PDF, with a
// kept `--folder` whose preferences its first start writes, untimed;
// LibreOffice prints it with `soffice --headless --convert-to pdf` in a
// profile of its own made once, untimed; AbiWord with `abiword --to=pdf`.
// The documents: the reference document of 50 and 500 pages as RTF
// written by us, LibreOffice's Word 97 file of that RTF and AbiWord's RTF
// of it, made once and kept beside this program (print-bench-files).
// Every converter runs QV_PEER_RUNS times (3 by default, 0: ours alone),
// in turns, and its best run counts; the time of a page is that run's
// over the pages of its own PDF (pdfinfo). The counters: ours_page_ms,
// lo_page_ms, abi_page_ms, `page_ratio` (our time of a page over
// LibreOffice's), the peaks ours_MB, lo_MB, abi_MB and `memory_share`
// (ours over LibreOffice's).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"
#include "boundary/HostServiceSelectors.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaUndo.h"
#include "host/callback/HostCallback.h"
#include "platform/print/WinPrint.h"

namespace {

constexpr int32_t kPageBreakCommand = 406;
constexpr int16_t kMailingTable = 2;

std::filesystem::path Folder() {
  static const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qv-print-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  return folder;
}

// The records of the mailing's table, as the host answers them.
uintptr_t sRecords = 0;

void BenchHost(int32_t selector, HostParamBlock* block) {
  if (selector == kHostSelRecordCount) block->param1 = sRecords;
  if (selector == kHostSelGotoRecord) block->error = block->record < sRecords ? 0 : -1;
}

// The text of page n.
std::string PageText(int64_t n) {
  return "Page " + std::to_string(n) + " of the letter: the printer, the invoice and the customer's record.";
}

void Type(xMorvaDocument& document, const std::string& text) {
  for (char c : text) document.TypeCharacter(char16_t(c));
}

// In the child: `pages` pages printed, or one page per record of `records`.
int PrintInChild(int64_t pages, int64_t records, const std::string& pdf) {
  SetHostCallback(&BenchHost);
  sRecords = uintptr_t(records);
  ResetHeadlessPrinting();
  SetHeadlessPrintOutput(pdf.c_str());
  int code = 1;
  {
    auto package = std::make_unique<xMorvaMain>(nullptr);
    package->Init();
    gCurrentPackage = package.get();
    auto* area = new xMorvaPlugIn(package.get());
    area->ReloadCommands();
    xMorvaDocument& document = *area->GetDocument();
    for (int64_t n = 1; n <= pages; ++n) {
      Type(document, PageText(n));
      if (n < pages) document.DoCommand(kPageBreakCommand);
    }
    if (xMorvaUndo* undo = document.GetUndo()) undo->Commit();
    const int32_t result = records > 0 ? xMorvaPrinting::MailingCommand(*area, false, false, kMailingTable)
                                       : xMorvaPrinting::PrintCommand(*area, false, 0, 0);
    code = result == 0 ? 0 : 2;
    if (result != 0) std::fprintf(stderr, "printing answered %d\n", int(result));
    gCurrentPackage = nullptr;
  }
  return code;
}

// Runs `work` in a child process: its wall time in seconds (negative when
// it failed) and its peak memory in kilobytes.
// The child's peak counts the processes it started itself (the office
// suite runs in a process of its own).
template <typename Work>
double RunChild(Work work, long& maxRssKb) {
  int channel[2];
  if (pipe(channel) != 0) return -1;
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    close(channel[0]);
    const int code = work();
    rusage self{}, children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    const long peak = std::max(self.ru_maxrss, children.ru_maxrss);
    if (write(channel[1], &peak, sizeof peak) != ssize_t(sizeof peak)) _exit(4);
    _exit(code);
  }
  close(channel[1]);
  long peak = 0;
  const bool read = ::read(channel[0], &peak, sizeof peak) == ssize_t(sizeof peak);
  close(channel[0]);
  int status = -1;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !read) {
    std::fprintf(stderr, "child status %d\n", status);
    return -1;
  }
  maxRssKb = peak;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Report(benchmark::State& state, double seconds, long maxRssKb, int64_t items) {
  if (seconds < 0) {
    state.SkipWithError("the child process failed");
    return;
  }
  state.SetIterationTime(seconds);
  state.counters["max_rss_kb"] = double(maxRssKb);
  state.counters["per_item_ms"] = seconds * 1000.0 / double(items);
}

void BM_PrintPages(benchmark::State& state) {
  const int64_t pages = state.range(0);
  const std::string pdf = (Folder() / "pages.pdf").string();
  for (auto _ : state) {
    long rss = 0;
    const double seconds = RunChild([&] { return PrintInChild(pages, 0, pdf); }, rss);
    Report(state, seconds, rss, pages);
  }
}
BENCHMARK(BM_PrintPages)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_MailingRecords(benchmark::State& state) {
  const int64_t records = state.range(0);
  const std::string pdf = (Folder() / "mailing.pdf").string();
  for (auto _ : state) {
    long rss = 0;
    const double seconds = RunChild([&] { return PrintInChild(1, records, pdf); }, rss);
    Report(state, seconds, rss, records);
  }
}
BENCHMARK(BM_MailingRecords)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// The same pages as RTF, converted by the office suite in its own profile.
void BM_SofficePages(benchmark::State& state) {
  if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
    state.SkipWithError("soffice is not installed");
    return;
  }
  const int64_t pages = state.range(0);
  const std::filesystem::path folder = Folder();
  const std::string rtf = (folder / "pages.rtf").string();
  {
    std::ofstream out(rtf);
    out << "{\\rtf1\\ansi{\\fonttbl{\\f0 Liberation Serif;}}\\f0\\fs24\n";
    for (int64_t n = 1; n <= pages; ++n) out << PageText(n) << (n < pages ? "\\par\\page\n" : "\\par\n");
    out << "}\n";
  }
  const std::string command = "soffice -env:UserInstallation=file://" + (folder / "profile").string() +
                              " --headless --convert-to pdf --outdir '" + folder.string() + "' '" + rtf +
                              "' >/dev/null 2>&1";
  for (auto _ : state) {
    long rss = 0;
    const double seconds = RunChild([&] { return std::system(command.c_str()) == 0 ? 0 : 1; }, rss);
    Report(state, seconds, rss, pages);
  }
}
BENCHMARK(BM_SofficePages)->Arg(10)->Arg(100)->Arg(1000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

// ---- Whole documents printed as their users print them

namespace fs = std::filesystem;

enum DocumentKind : int64_t { kOurRtf = 0, kOfficeDoc = 1, kAbiWordRtf = 2 };
constexpr const char* kKindNames[] = {"our_rtf", "libreoffice_doc", "abiword_rtf"};

fs::path KeptFolder() {
  const fs::path folder = fs::read_symlink("/proc/self/exe").parent_path() / "print-bench-files";
  fs::create_directories(folder);
  return folder;
}

fs::path OfficeProfile() { return KeptFolder() / "profile"; }

// The document of a kind at `pages` pages, made once; empty when it cannot
// be. The reference RTF is written by the conversion benchmark built beside
// this program.
fs::path DocumentFile(int64_t kind, int32_t pages) {
  const fs::path folder = KeptFolder();
  const std::string stem = "reference-" + std::to_string(pages);
  const fs::path rtf = folder / (stem + ".rtf");
  double seconds = 0;
  int64_t peak = 0;
  if (!fs::exists(rtf)) {
    const fs::path writer = fs::read_symlink("/proc/self/exe").parent_path() / "conversion_bench";
    if (fs::exists(writer)) RunProcess({writer.string(), "--reference", std::to_string(pages), rtf.string()}, seconds, peak);
  }
  if (!fs::exists(rtf)) return {};
  if (kind == kOurRtf) return rtf;
  if (kind == kOfficeDoc) {
    const fs::path doc = folder / (stem + ".doc");
    if (!fs::exists(doc) && HasProgram("soffice"))
      RunProcess({"soffice", "-env:UserInstallation=file://" + OfficeProfile().string(), "--headless", "--convert-to",
                  "doc:MS Word 97", "--outdir", folder.string(), rtf.string()},
                 seconds, peak);
    return fs::exists(doc) ? doc : fs::path();
  }
  const fs::path abi = folder / (stem + "-abiword.rtf");
  if (!fs::exists(abi) && HasProgram("abiword")) RunProcess({"abiword", "--to=" + abi.string(), rtf.string()}, seconds, peak);
  return fs::exists(abi) ? abi : fs::path();
}

// The pages of a PDF as pdfinfo counts them; 0 when it cannot.
int32_t PdfPages(const fs::path& pdf) {
  const std::string command = "pdfinfo '" + pdf.string() + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return 0;
  int32_t pages = 0;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    if (std::strncmp(line, "Pages:", 6) == 0) pages = std::atoi(line + 6);
  }
  pclose(pipe);
  return pages;
}

// The stand-in host's script that opens `in` in a form's area and prints
// every page into `pdf`, failing on any code but 0.
void WritePrintScript(const fs::path& script, const fs::path& in, const char* type, const fs::path& pdf) {
  std::ofstream(script) << "set name \"Qvbase\"\nset version 0x670\nstart -1\n"
                        << "form page 0 0 600 400\narea memo create form at page 0 0 600 400\n"
                        << "command 48 area memo hosttext \"" << in.string() << "\" text \"" << type << "\"\n"
                        << "command 28 area memo result long\nexpect result 0\n"
                        << "printer output \"" << pdf.string() << "\"\n"
                        << "command 4 area memo word 0 word 0\n"
                        << "command 28 area memo result long\nexpect result 0\n";
}

struct PrintRun {
  bool ran = false;
  double seconds = std::numeric_limits<double>::infinity();
  int64_t peak = 0;
  int32_t pages = 0;
};

// One more run of a converter whose PDF is `pdf`: the best run kept.
void RunAgain(PrintRun& best, const std::vector<std::string>& command, const fs::path& pdf) {
  std::error_code ignored;
  fs::remove(pdf, ignored);
  double seconds = 0;
  int64_t peak = 0;
  if (!RunProcess(command, seconds, peak) || !fs::exists(pdf)) return;
  if (seconds < best.seconds) {
    best.ran = true;
    best.seconds = seconds;
    best.peak = peak;
    best.pages = PdfPages(pdf);
  }
}

int PrintRuns() {
  const char* runs = std::getenv("QV_PEER_RUNS");
  const int n = runs != nullptr ? std::atoi(runs) : 3;
  return n >= 0 ? n : 3;
}

void PrintDocumentFile(benchmark::State& state) {
  const int64_t kind = state.range(0);
  const auto pages = int32_t(state.range(1));
  const fs::path input = DocumentFile(kind, pages);
  if (input.empty()) return state.SkipWithError("the document could not be made");
  const fs::path host = HostProgram();
  if (host.empty()) return state.SkipWithError("qvhost is not built");
  const fs::path out = Folder() / kKindNames[kind];
  for (const char* who : {"ours", "libreoffice", "abiword"}) fs::create_directories(out / who);
  const fs::path ourPdf = out / "ours" / "out.pdf";
  const fs::path script = out / "print.qvs";
  WritePrintScript(script, input, kind == kOfficeDoc ? "DOC8" : "RTF ", ourPdf);
  const fs::path hostFolder = KeptFolder() / "host-folder";
  fs::create_directories(hostFolder);
  const std::vector<std::string> ours{host.string(), "--folder", hostFolder.string(), script.string()};
  const std::vector<std::string> office{"soffice", "-env:UserInstallation=file://" + OfficeProfile().string(),
                                        "--headless", "--convert-to", "pdf", "--outdir",
                                        (out / "libreoffice").string(), input.string()};
  const fs::path officePdf = out / "libreoffice" / (input.stem().string() + ".pdf");
  const fs::path abiPdf = out / "abiword" / "out.pdf";
  const std::vector<std::string> abiword{"abiword", "--to=" + abiPdf.string(), input.string()};
  const int runs = PrintRuns();
  const bool withOffice = runs > 0 && HasProgram("soffice");
  const bool withAbiWord = runs > 0 && HasProgram("abiword");
  // The first starts, untimed: our preferences file, LibreOffice's profile.
  PrintRun untimed;
  RunAgain(untimed, ours, ourPdf);
  if (withOffice) RunAgain(untimed, office, officePdf);
  PrintRun mine, lo, abi;
  for (auto _ : state) {
    for (int run = 0; run < std::max(1, runs); ++run) {
      RunAgain(mine, ours, ourPdf);
      if (withOffice) RunAgain(lo, office, officePdf);
      if (withAbiWord) RunAgain(abi, abiword, abiPdf);
    }
    if (!mine.ran || mine.pages == 0) return state.SkipWithError("our printing failed");
    state.SetIterationTime(mine.seconds);
  }
  const auto perPage = [](const PrintRun& run) { return run.seconds * 1000.0 / std::max(1, run.pages); };
  state.counters["pages"] = mine.pages;
  state.counters["ours_page_ms"] = perPage(mine);
  state.counters["ours_MB"] = double(mine.peak) / 1e6;
  if (lo.ran && lo.pages > 0) {
    state.counters["lo_pages"] = lo.pages;
    state.counters["lo_page_ms"] = perPage(lo);
    state.counters["lo_MB"] = double(lo.peak) / 1e6;
    state.counters["page_ratio"] = perPage(mine) / perPage(lo);
    state.counters["memory_share"] = double(mine.peak) / double(lo.peak);
  }
  if (abi.ran && abi.pages > 0) {
    state.counters["abi_pages"] = abi.pages;
    state.counters["abi_page_ms"] = perPage(abi);
    state.counters["abi_MB"] = double(abi.peak) / 1e6;
  }
  state.SetLabel(kKindNames[kind]);
}
BENCHMARK(PrintDocumentFile)
    ->ArgNames({"document", "pages"})
    ->ArgsProduct({{kOurRtf, kOfficeDoc, kAbiWordRtf}, {50, 500}})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  const int code = RunBenchmarksWithCoreServices(argc, argv, &OpenAreaServices, &CloseAreaServices);
  std::filesystem::remove_all(Folder());
  return code;
}
