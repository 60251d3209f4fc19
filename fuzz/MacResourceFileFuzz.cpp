// Fuzz target of the Macintosh resource file: the input written as a file,
// opened by the Toolbox library's Resource Manager with the module's
// byte-order procedure, as the framework opens one, walked through
// VMacResourceFile, changed and updated; opened again, the file must hold
// what was added.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/system/resources/VMacResourceFile.h"
#include "fuzz/FuzzSupport.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

namespace {

// One file per process, rewritten for every input.
const std::string& ScratchPath() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    std::string p = folder != nullptr && *folder != '\0' ? folder : "/tmp";
    return p + "/qv-fuzz-" + std::to_string(getpid()) + ".rsrc";
  }();
  return path;
}

bool WriteScratch(const uint8_t* data, size_t size) {
  FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) return false;
  const bool whole = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && whole;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  if (!WriteScratch(data, size)) return 0;
  const std::string& path = ScratchPath();
  uint8_t pascal[256] = {};
  pascal[0] = uint8_t(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());

  int16_t added = -1;
  int16_t ref = Tbx::OpenResFile(pascal);
  if (ref != -1) {
    Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
    {
      VMacResourceFile file(ref);
      WalkResourceFile(file);
      added = ChangeResourceFile(file);
      if (file.UpdateFile() != 0) added = -1;
    }
    Tbx::CloseResFile(ref);
  }
  if (added != -1) {
    ref = Tbx::OpenResFile(pascal);
    if (ref == -1) __builtin_trap();
    Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
    {
      VMacResourceFile file(ref);
      if (!HasAddedResource(file, added)) __builtin_trap();
      WalkResourceFile(file);
    }
    Tbx::CloseResFile(ref);
  }
  std::remove(path.c_str());
  return 0;
}
