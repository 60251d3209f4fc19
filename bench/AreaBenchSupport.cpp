// The editing area's services for the benchmarks.
#include "bench/AreaBenchSupport.h"

#include <cstring>
#include <string>

#include "boundary/ModuleExports.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "graphics/VCharWidthCache.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxResources.h"

namespace {

xMorvaDocumentEngineServices sEngine;
int16_t sResourceFile = -1;

}  // namespace

void OpenAreaServices() {
  xMorvaEngineServiceSlot::Install(&sEngine);
  const std::string path = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  pascal[0] = static_cast<uint8_t>(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  sResourceFile = Tbx::OpenResFile(pascal);
  if (sResourceFile >= 0) Tbx::SetResFileSwapProc(sResourceFile, &SwapRsrcProc);
  Tbx::UseResFile(sResourceFile);
  gModuleResFile = new VMacResourceFile(sResourceFile);
}

void CloseAreaServices() {
  delete gModuleResFile;
  gModuleResFile = nullptr;
  if (sResourceFile >= 0) Tbx::CloseResFile(sResourceFile);
  sResourceFile = -1;
  FreeFontCache();
  xMorvaEngineServiceSlot::Remove(&sEngine);
}
