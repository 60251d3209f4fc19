#include "bench/WordHostBench.h"

#include <algorithm>
#include <fstream>

#include "bench/ProcessBench.h"

namespace fs = std::filesystem;

namespace {

// The stand-in host's script that opens `in` as a Word 97 file (which lays
// it out) and saves it in our own format as `out`, failing on any code but 0.
fs::path HostScript(const fs::path& scratch, const fs::path& in, const fs::path& out) {
  const fs::path script = scratch / (in.stem().string() + ".qvs");
  std::ofstream(script) << "set name \"Qvbase\"\nset version 0x670\nstart -1\n"
                        << "command 47 result area memo\n"
                        << "command 48 area memo hosttext \"" << in.string() << "\" text \"DOC8\"\n"
                        << "command 28 area memo result long\nexpect result 0\n"
                        << "command 50 area memo hosttext \"" << out.string() << "\" text \"\"\n"
                        << "command 28 area memo result long\nexpect result 0\n";
  return script;
}

}  // namespace

std::vector<std::string> WordConverterCommand(WordConverter converter, const fs::path& input,
                                              const fs::path& output, const fs::path& scratch,
                                              const fs::path& profile, std::string& why) {
  const std::string stem = input.stem().string();
  switch (converter) {
    case kOurs: {
      const fs::path host = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "qvhost" / "qvhost";
      if (fs::exists(host)) return {host.string(), HostScript(scratch, input, output / (stem + ".qmv")).string()};
      why = "qvhost is not built";
      return {};
    }
    case kLibreOffice:
      if (HasProgram("soffice"))
        return {"soffice", "-env:UserInstallation=file://" + profile.string(), "--headless",
                "--convert-to", "odt", "--outdir", output.string(), input.string()};
      why = "soffice is not installed";
      return {};
    case kAbiWord:
      if (HasProgram("abiword")) return {"abiword", "--to=" + (output / (stem + ".rtf")).string(), input.string()};
      why = "abiword is not installed";
      return {};
    case kAntiword:
      if (HasProgram("antiword")) return {"antiword", input.string()};
      why = "antiword is not installed";
      return {};
  }
  why = "no such converter";
  return {};
}

void TimeWholeProcess(benchmark::State& state, const std::vector<std::string>& command, const fs::path& input,
                      int32_t pages) {
  int64_t peak = 0;
  for (auto _ : state) {
    double seconds = 0;
    int64_t bytes = 0;
    if (!RunProcess(command, seconds, bytes)) {
      state.SkipWithError("the conversion failed");
      return;
    }
    state.SetIterationTime(seconds);
    peak = std::max(peak, bytes);
  }
  state.counters["pages"] = pages;
  state.counters["file_MB"] = double(fs::file_size(input)) / 1e6;
  state.counters["peak_RSS_MB"] = double(peak) / 1e6;
}
