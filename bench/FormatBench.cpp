// The foreign formats' benchmark helpers.
#include "bench/FormatBench.h"

#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>

#include "bench/ProcessBench.h"
#include "bench/ReferenceDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"

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

void FillWithReferenceDocument(xMorvaDocument& document, int32_t pages) {
  document.Reset(false);
  const ReferenceDocument reference = MakeReferenceDocument(pages);
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  body->InsertBytes(0u, reference.stream.data(), uint32_t(reference.stream.size()));
  body->SetLength(int32_t(body->RecountPositions()));
  auto* footer = static_cast<xMorvaEngine*>(document.GetPart(kPartFooter));
  footer->InsertBytes(0u, reference.footer.data(), uint32_t(reference.footer.size()));
  footer->SetLength(int32_t(footer->RecountPositions()));
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
