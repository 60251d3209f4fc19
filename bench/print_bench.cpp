// Printing and mailing to PDF as whole processes: a child process builds a
// document of N pages and prints it (or prints a one-page letter once per
// record of a table of N records) on the headless printer, beside
// `soffice --headless --convert-to pdf` of the same pages written as RTF.
// Each run reports the time per page (or record) and the child's peak
// memory ("max_rss_kb").
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "area/printing/xMorvaPrintCommands.h"
#include "area/xMorvaMain.h"
#include "area/xMorvaPlugIn.h"
#include "bench/AreaBenchSupport.h"
#include "bench/BenchMain.h"
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

}  // namespace

int main(int argc, char** argv) {
  const int code = RunBenchmarksWithCoreServices(argc, argv, &OpenAreaServices, &CloseAreaServices);
  std::filesystem::remove_all(Folder());
  return code;
}
