#include "bench/WordHostBench.h"

#include <algorithm>
#include <fstream>

#include "bench/FormatBench.h"
#include "bench/ProcessBench.h"

namespace fs = std::filesystem;

std::vector<std::string> WordConverterCommand(WordConverter converter, const fs::path& input,
                                              const fs::path& output, const fs::path& scratch,
                                              const fs::path& profile, std::string& why) {
  const std::string stem = input.stem().string();
  switch (converter) {
    case kOurs: {
      const fs::path host = HostProgram();
      if (host.empty()) {
        why = "qvhost is not built";
        return {};
      }
      // Opened as a Word 97 file (which lays it out) and saved in our own format.
      const fs::path script = scratch / (stem + ".qvs");
      WriteHostConversionScript(script, input, "DOC8", output / (stem + ".qmv"), "");
      return {host.string(), script.string()};
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
