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
