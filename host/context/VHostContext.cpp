// The host context: its start-up query, and the resource files and lists
// it makes and deletes.
#include "host/context/VHostContext.h"

#include "framework/system/resources/VMacResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "host/context/VHostResourceFile.h"
#include "boundary/HostRecords.h"
#include "boundary/HostSelectors.h"
#include "platform/toolbox/TbxResources.h"

VHostContext* gHostContext = nullptr;
VMacResourceFile* gModuleResFile = nullptr;

VHostContext::VHostContext(const HostStartupRecord* startParams) {
  SetHostCallback(startParams != nullptr ? startParams->callback : nullptr);
  fOpenDialogs = std::make_unique<VChainListPtrOf<VObject*>>();

  // The start-up query: the host writes its name (10), two words of flags
  // (266, 272), its version (276), its resource file (304) and a second
  // name (310). What it leaves alone reads as nothing.
  HostParamBlock block;
  block.text[0] = 0;
  block.handle = 0;
  block.param1 = 0;
  block.param2 = 0;
  block.longValue = 0;
  block.text2[0] = 0;
  CallHost(kHostSelStartupQuery, block);

  fHostVersion = static_cast<uint32_t>(HostWordOf(block.param2));
  const uint32_t first = static_cast<uint32_t>(HostWordOf(block.handle));
  const uint32_t second = static_cast<uint32_t>(HostWordOf(block.param1));
  fFlags[0] = (first >> 30) & 1;
  fFlags[1] = (first >> 29) & 1;
  fFlags[2] = (second >> 27) & 1;
  fFlags[3] = (second >> 26) & 1;
  fFlags[4] = (second >> 25) & 1;
  PTextToString(block.text, fHostName);
  if (block.text2[0] > 80) block.text2[0] = 80;
  PTextToString(block.text2, fSecondHostName);

  // Its lookups see the host's file only, as the module's do theirs.
  fHostAppFile = std::make_unique<VMacResourceFile>(static_cast<int16_t>(block.longValue & 0xFFFF));
  fHostAppFile->SetFlag(1);
  fHostKeptFile = std::make_unique<VHostResourceFile>();

  delete gModuleResFile;
  gModuleResFile = new VMacResourceFile(Tbx::CurResFile());
}

VHostContext::~VHostContext() {
  // The host's files go before the module's own, in this order.
  fOpenDialogs.reset();
  fHostAppFile.reset();
  fSecondHostFile.reset();
  fHostKeptFile.reset();
  delete gModuleResFile;
  gModuleResFile = nullptr;
}

bool VHostContext::GetStartupFlag(int32_t number) const {
  return number >= 1 && number <= 5 && fFlags[number - 1] != 0;
}

void VHostContext::SetSecondHostResourceFile(std::unique_ptr<VMacResourceFile> file) {
  fSecondHostFile = std::move(file);
}
