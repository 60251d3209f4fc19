// VHostRequest: the host object's requests, one fresh block each.
#include "host/context/VHostRequest.h"

#include <cstring>

#include "boundary/FourCC.h"
#include "boundary/HostServiceSelectors.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"

namespace {

constexpr int32_t kMostState = 4;
constexpr int32_t kTitleMax = 255;

HostParamBlock Cleared() {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  return block;
}

}  // namespace

VHostRequest::~VHostRequest() { Release(); }

bool VHostRequest::Open() {
  Release();
  HostParamBlock block = Cleared();
  block.param1 = HostWord(fNumber);
  block.error = -1;
  CallHost(kHostSelObjectOpen519, block);
  if (block.error != 0) return false;
  fHandle = static_cast<uint32_t>(block.handle);
  return fHandle != 0;
}

void VHostRequest::Release() {
  if (fHandle == 0) return;
  HostParamBlock block = Cleared();
  block.handle = fHandle;
  block.param1 = HostWord(fNumber);
  CallHost(kHostSelObjectRelease521, block);
  // The host has it back whatever it answers.
  fHandle = 0;
}

bool VHostRequest::Send(int32_t selector) {
  if (fHandle == 0) return false;
  HostParamBlock block = Cleared();
  block.handle = fHandle;
  block.param1 = HostWord(fNumber);
  block.error = -1;
  CallHost(selector, block);
  return block.error == 0;
}

bool VHostRequest::Call520() { return Send(kHostSelObjectCall520); }
bool VHostRequest::Call522() { return Send(kHostSelObjectCall522); }
bool VHostRequest::Call526() { return Send(kHostSelObjectCall526); }
bool VHostRequest::Call527() { return Send(kHostSelObjectCall527); }

bool VHostRequest::Set(uint32_t operation, uint32_t value, const VString* text) {
  if (fHandle == 0) return false;
  HostParamBlock block = Cleared();
  block.handle = fHandle;
  block.param1 = operation;
  block.param4 = value;
  if (text != nullptr) StringToPText(*text, block.text, kTitleMax);
  block.error = -1;
  CallHost(kHostSelObjectSet530, block);
  return block.error == 0;
}

bool VHostRequest::Show(bool show) { return Set(show ? FourCC("SHOW") : FourCC("HIDE"), 0, nullptr); }

bool VHostRequest::SetState(int32_t state) {
  if (state < 0 || state > kMostState) return false;
  return Set(FourCC("STAT"), 1u << state, nullptr);
}

bool VHostRequest::SetTitle(const VString& title) { return Set(FourCC("TITL"), 0, &title); }

bool VHostRequest::SetRepeat(bool repeat) { return Set(FourCC("REPT"), repeat ? 1 : 0, nullptr); }
