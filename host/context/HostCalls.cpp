// The further host calls: one fresh block per call, on the stack.
#include "host/context/HostCalls.h"

#include <cstring>

#include "boundary/HostServiceSelectors.h"
#include "framework/core/VObject.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VString.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "host/context/VHostContext.h"
#include "host/package/VPackage.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"

namespace {

bool FourthFlag() { return gHostContext != nullptr && gHostContext->GetStartupFlag(4); }
int32_t ResourceBase() { return gCurrentPackage != nullptr ? gCurrentPackage->GetResourceBase() : 0; }

HostParamBlock Cleared() {
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  return block;
}

void Call(int32_t selector) {
  HostParamBlock block = Cleared();
  CallHost(selector, block);
}

uint32_t HandleWith(const void* data, int32_t size) {
  if (size < 0 || (size > 0 && data == nullptr)) return 0;
  const uint32_t handle = Tbx::NewHandle(size);
  if (handle != 0 && size > 0) {
    Tbx::HandleLocker to(handle);
    if (to) std::memcpy(to.Data(), data, static_cast<size_t>(size));
  }
  return handle;
}

int32_t SizeOf(uint32_t handle) {
  if (handle == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(handle);
  return Tbx::MemError() == Tbx::noErr && size > 0 ? size : 0;
}

// A string's Macintosh bytes in a new handle (without terminator).
uint32_t HandleOfString(const VString& text) {
  uint8_t pascal[256];
  StringToPText(text, pascal, 255);
  return HandleWith(pascal + 1, pascal[0]);
}

void Text10(const VString& text, HostParamBlock& block) { StringToPText(text, block.text, 255); }

bool PictureCall(HostParamBlock& block, uint8_t* out) {
  CallHost(180, block);
  const auto* answer = HostPointer<const uint8_t>(block.param1);
  if (answer == nullptr || out == nullptr) return false;
  std::memcpy(out, answer, 178);
  return true;
}

}  // namespace

uint32_t HostGetBlob102(int32_t a, int16_t b) {
  if (!FourthFlag()) return 0;
  HostParamBlock block = Cleared();
  block.param1 = HostWord(ResourceBase());
  block.param3 = HostWord(a);
  block.param4 = HostWord(b);
  block.error = -1;
  CallHost(kHostSelGetPackageData, block);
  const auto answer = static_cast<uint32_t>(block.handle);
  if (block.error != 0 || answer == 0) {
    if (answer != 0) Tbx::DisposeHandle(answer);
    return 0;
  }
  // The host's Toolbox handle is the host's to give up: its bytes go into
  // a handle of the module's memory manager, the caller's.
  const int32_t size = SizeOf(answer);
  VMemHandle copy = 0;
  {
    Tbx::HandleLocker from(answer);
    if (from || size == 0) copy = gMemoryMgr->NewHandleFromData(size > 0 ? from.Data() : nullptr, uint32_t(size));
  }
  Tbx::DisposeHandle(answer);
  return copy;
}

bool HostSetBlob103(int32_t a, int16_t b, uint32_t handle, int32_t c) {
  if (!FourthFlag()) return false;
  HostParamBlock block = Cleared();
  block.handle = handle;
  block.param1 = HostWord(ResourceBase());
  block.param2 = HostWord(c);
  block.param3 = HostWord(a);
  block.param4 = HostWord(b);
  block.error = -1;
  CallHost(kHostSelSetPackageData, block);
  return block.error == 0;
}

int32_t HostSendBlob106(const uint8_t* pascalText, const void* data, int32_t size) {
  const uint32_t handle = HandleWith(data, size);
  if (handle == 0) return 100;
  uint8_t text[256] = {0};
  if (pascalText != nullptr) std::memcpy(text, pascalText, 1 + pascalText[0]);
  HostParamBlock block = Cleared();
  block.handle = handle;
  block.error = 0;
  block.param1 = HostAddress(text);
  CallHost(-106, block);
  // Kind 3 is the host's keeping of the handle.
  if (block.error != 3) Tbx::DisposeHandle(handle);
  return 0;
}

int32_t HostExchangeObjectData(VString& text, int16_t word) {
  HostParamBlock block = Cleared();
  block.table = static_cast<uint16_t>(word);
  const uint32_t sent = HandleOfString(text);
  block.handle = sent;
  CallHost(-248, block);
  const int32_t answer = HostWordOf(block.param1);
  const auto returned = static_cast<uint32_t>(block.handle);
  if (answer != 0) {
    uint8_t pascal[256] = {0};
    const int32_t size = SizeOf(returned);
    if (size > 0) {
      Tbx::HandleLocker bytes(returned);
      pascal[0] = static_cast<uint8_t>(size > 255 ? 255 : size);
      if (bytes) std::memcpy(pascal + 1, bytes.Data(), pascal[0]);
    }
    PTextToString(pascal, text);
    CallHost(-82, block);
  }
  if (returned != 0) Tbx::DisposeHandle(returned);
  if (sent != 0 && sent != returned) Tbx::DisposeHandle(sent);
  return answer;
}

int32_t HostCall402(uint32_t a, uint32_t b, const VString& text) {
  HostParamBlock block = Cleared();
  block.handle = a;
  block.param4 = b;
  Text10(text, block);
  CallHost(-402, block);
  return HostWordOf(block.param1);
}

bool HostCall403(VString& text) {
  HostParamBlock block = Cleared();
  block.error = -1;
  CallHost(-403, block);
  text.SetEmpty(false);
  if (block.error != 0) return false;
  PTextToString(block.text, text);
  return true;
}

void HostGetListEntry112(int32_t index, VString& text) {
  HostParamBlock block = Cleared();
  CallHost(-112, block);
  const auto handle = static_cast<uint32_t>(block.handle);
  const int32_t count = HostWordOf(block.param1);
  const int64_t at = (static_cast<int64_t>(index) - 1) * 32;
  if (index >= 1 && index <= count && handle != 0 && at + 32 <= SizeOf(handle)) {
    Tbx::HandleLocker bytes(handle);
    if (bytes) {
      uint8_t pascal[32];
      std::memcpy(pascal, bytes.As<uint8_t>() + at, 32);
      if (pascal[0] > 31) pascal[0] = 31;
      PTextToString(pascal, text);
      return;
    }
  }
  text.SetAnsiCText("Unknow");
}

VMacResourceFile* HostOpenSecondResourceFile() {
  HostParamBlock block = Cleared();
  block.flag = 1;
  CallHost(-334, block);
  const auto ref = static_cast<int16_t>(block.param1 & 0xFFFF);
  if (ref == 0 || gHostContext == nullptr) return nullptr;
  gHostContext->SetSecondHostResourceFile(std::make_unique<VMacResourceFile>(ref));
  return gHostContext->GetSecondHostResourceFile();
}

void HostCloseSecondResourceFile() {
  if (gHostContext != nullptr) gHostContext->SetSecondHostResourceFile(nullptr);
  HostParamBlock block = Cleared();
  block.flag = 0;
  CallHost(-334, block);
}

void HostObjectFlag418(uint32_t reference, uint8_t flag) {
  HostParamBlock block = Cleared();
  block.handle = reference;
  block.flag = flag;
  CallHost(-418, block);
}

bool HostObjectFlag419(uint32_t reference) {
  HostParamBlock block = Cleared();
  block.handle = reference;
  block.error = -1;
  CallHost(-419, block);
  return block.error == 0 && block.flag != 0;
}

void HostObjectCall421(uint32_t reference) {
  HostParamBlock block = Cleared();
  block.handle = reference;
  CallHost(-421, block);
}

bool HostObjectFlag422(uint32_t reference) {
  HostParamBlock block = Cleared();
  block.handle = reference;
  block.error = -1;
  CallHost(-422, block);
  return block.error == 0 && block.flag != 0;
}

void HostProcessCall92(uint32_t reference, int32_t value) {
  HostParamBlock block = Cleared();
  block.handle = reference;
  block.param1 = HostWord(value);
  CallHost(-92, block);
}

int32_t HostGetValue90ForObject(uint32_t reference) {
  HostParamBlock block = Cleared();
  block.handle = reference;
  CallHost(-90, block);
  return HostWordOf(block.param1);
}

int32_t HostGetValue90ByFlag(int32_t flag) {
  HostParamBlock block = Cleared();
  block.param2 = HostWord(flag);
  CallHost(-90, block);
  return HostWordOf(block.param1);
}

void HostCall354(uint16_t table, const VString& text, bool on) {
  HostParamBlock block = Cleared();
  block.table = table;
  Text10(text, block);
  block.flag2 = on ? 1 : 0;
  CallHost(-354, block);
}

void HostCall355(const VString& text) {
  HostParamBlock block = Cleared();
  Text10(text, block);
  CallHost(-355, block);
}

void HostCall356(const VString& text) {
  HostParamBlock block = Cleared();
  Text10(text, block);
  CallHost(-356, block);
}

bool HostTest149() {
  HostParamBlock block = Cleared();
  CallHost(-149, block);
  return HostWordOf(block.param1) != 0;
}

void HostFindByName142(const VString& name) {
  HostParamBlock block = Cleared();
  block.error = 0;
  block.param1 = HostWord(-1);
  Text10(name, block);
  CallHost(-142, block);
}

void HostFindByName152(const VString& name) {
  HostParamBlock block = Cleared();
  block.error = 0;
  block.param1 = HostWord(-1);
  Text10(name, block);
  CallHost(-152, block);
}

uint8_t HostCall407(uint8_t* a, uint8_t* b, uint8_t* c, uint8_t* d) {
  HostParamBlock block = Cleared();
  block.flag = 0;
  block.param1 = HostAddress(a);
  block.param2 = HostAddress(b);
  block.param3 = HostAddress(c);
  block.param4 = HostAddress(d);
  CallHost(-407, block);
  return block.flag;
}

bool HostPictureCallMREC(int32_t placeX, int32_t placeY, const int32_t area[4], uint32_t a, uint32_t b,
                         uint8_t* out) {
  int16_t rectangle[4] = {static_cast<int16_t>(area[1]), static_cast<int16_t>(area[0]),
                          static_cast<int16_t>(area[1] + area[3]), static_cast<int16_t>(area[0] + area[2])};
  HostParamBlock block = Cleared();
  block.handle = FourCC("MREC");
  block.param1 = HostAddress(rectangle);
  block.param2 = a;
  block.param3 = HostWord(placeX);
  block.param4 = HostWord(placeY);
  block.longValue = b;
  return PictureCall(block, out);
}

bool HostPictureCallHRGN(int32_t placeX, int32_t placeY, uintptr_t region, uint32_t a, uint32_t b, uint8_t* out) {
  HostParamBlock block = Cleared();
  block.handle = FourCC("HRGN");
  block.param1 = region;
  block.param2 = a;
  block.param3 = HostWord(placeX);
  block.param4 = HostWord(placeY);
  block.longValue = b;
  return PictureCall(block, out);
}

void HostCall524(uint32_t a, uint32_t b) {
  HostParamBlock block = Cleared();
  block.handle = a;
  block.param1 = b;
  CallHost(524, block);
}

int32_t HostCall525(uint32_t a) {
  HostParamBlock block = Cleared();
  block.handle = 0;
  block.param1 = a;
  CallHost(525, block);
  return HostWordOf(block.handle);
}

void HostCallList553(std::initializer_list<uint32_t> arguments) {
  // The host reads its arguments from a record of its own size, not from a
  // parameter block.
  alignas(HostParamBlock) uint8_t record[1402] = {0};
  size_t at = 0;
  for (uint32_t argument : arguments) {
    if (at + 4 > sizeof record) break;
    std::memcpy(record + at, &argument, 4);
    at += 4;
  }
  CallHost(553, *reinterpret_cast<HostParamBlock*>(record));
}

int32_t HostGetValue80() {
  HostParamBlock block = Cleared();
  CallHost(-80, block);
  return HostWordOf(block.param1);
}

void HostCall147() { Call(-147); }
void HostCall148() { Call(-148); }

void HostCall181(uint32_t v) {
  HostParamBlock block = Cleared();
  block.handle = v;
  CallHost(-181, block);
}

void HostCall183(uint32_t v) {
  HostParamBlock block = Cleared();
  block.handle = v;
  CallHost(-183, block);
}

int32_t HostGetValue426() {
  HostParamBlock block = Cleared();
  CallHost(-426, block);
  return HostWordOf(block.param4);
}

int32_t HostGetWord523() {
  HostParamBlock block = Cleared();
  CallHost(-523, block);
  return block.table;
}

uint32_t HostCall551(uint32_t a, uint32_t b) {
  HostParamBlock block = Cleared();
  block.param1 = a;
  block.param2 = b;
  CallHost(-551, block);
  return static_cast<uint32_t>(block.handle);
}

int16_t HostGetWord400() {
  HostParamBlock block = Cleared();
  CallHost(-400, block);
  return static_cast<int16_t>(block.param1 & 0xFFFF);
}

int32_t HostGetValue432() {
  HostParamBlock block = Cleared();
  CallHost(-432, block);
  return HostWordOf(block.param1);
}

void HostCall107() { Call(-107); }
void HostCall108() { Call(-108); }

void HostMarker443(bool beef) {
  HostParamBlock block = Cleared();
  block.param1 = beef ? 0xFEEDBEEFu : 0xFEEDC0DEu;
  CallHost(-443, block);
}

void HostMarker444(bool beef) {
  HostParamBlock block = Cleared();
  block.param1 = beef ? 0xFEEDBEEFu : 0xFEEDC0DEu;
  CallHost(-444, block);
}

void HostGetData137Copy(uint8_t out[36]) {
  std::memset(out, 0, 36);
  HostParamBlock block = Cleared();
  CallHost(-137, block);
  const auto handle = static_cast<uint32_t>(block.handle);
  if (SizeOf(handle) < 36) return;
  Tbx::HandleLocker bytes(handle);
  if (bytes) std::memcpy(out, bytes.Data(), 36);
}

void HostGetData137Text(VString& text) {
  HostParamBlock block = Cleared();
  CallHost(-137, block);
  PTextToString(block.text, text);
}

int32_t HostGetData137Buffer(uint8_t buffer[512]) {
  HostParamBlock block = Cleared();
  block.param2 = FourCC("MMMM");
  block.param3 = HostAddress(buffer);
  block.param4 = 512;
  CallHost(-137, block);
  return HostWordOf(block.param1);
}
