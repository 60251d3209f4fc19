// Wrappers of the process, method, document-store, message and positive
// host services: one fresh block per call, on the stack.
#include "host/context/HostProcesses.h"

#include <cstring>

#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VResourceFile.h"
#include "host/callback/HostCallback.h"
#include "boundary/HostServiceSelectors.h"
#include "host/context/HostText.h"
#include "host/context/VHostContext.h"
#include "boundary/HostSelectors.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

int32_t CallForWord(int32_t selector) {
  HostParamBlock block;
  block.param1 = 0;
  CallHost(selector, block);
  return HostWordOf(block.param1);
}

void CallWithProcess(int32_t selector, int32_t process) {
  HostParamBlock block;
  block.param1 = HostWord(process);
  CallHost(selector, block);
}

void TextOf(int32_t selector, VString& text) {
  HostParamBlock block;
  block.text[0] = 0;
  CallHost(selector, block);
  PTextToString(block.text, text);
}

// The document text by the fourth start-up flag.
void DocumentText(VString& text) {
  const bool fourth = gHostContext != nullptr && gHostContext->GetStartupFlag(4);
  TextOf(fourth ? kHostSelDocumentText335 : kHostSelDocumentText411, text);
}

// The position (1-based) of the last "\" of the text, 0 for none. The text
// is searched as the host's bytes, so that a "\" that is the second byte of
// a double-byte character is not taken.
int32_t LastBackslash(const VString& text) {
  uint8_t bytes[256];
  StringToPText(text, bytes, 255);
  int32_t last = 0;
  for (int32_t i = 1; i <= bytes[0]; ++i) {
    if (bytes[i] == '\\') last = i;
  }
  return last;
}

uint32_t MetafileCall(uint32_t pictureHandle, uint32_t kind) {
  HostParamBlock block;
  block.handle = pictureHandle;
  block.param1 = 0;
  block.param2 = kind;
  CallHost(kHostSelMetafile, block);
  return static_cast<uint32_t>(block.param1);
}

}  // namespace

int32_t HostGetCurrentProcess() { return CallForWord(kHostSelCurrentProcess); }

int32_t HostNewProcess(void (*body)(), const VString& name, int32_t stackSize, bool local) {
  HostParamBlock block;
  block.handle = reinterpret_cast<uintptr_t>(body);
  block.param3 = HostWord(-stackSize);
  block.param1 = 0;
  uint8_t text[81];
  StringToPText(name, text, local ? 79 : 80);
  block.text2[0] = 0;
  if (local) block.text2[++block.text2[0]] = '$';
  std::memcpy(block.text2 + 1 + block.text2[0], text + 1, text[0]);
  block.text2[0] = static_cast<uint8_t>(block.text2[0] + text[0]);
  CallHost(kHostSelNewProcess, block);
  return HostWordOf(block.param1);
}

void HostDelayProcess(int32_t duration, int32_t process) {
  if (process == 0) process = HostGetCurrentProcess();
  HostParamBlock block;
  block.param1 = HostWord(process);
  block.param2 = HostWord(duration);
  CallHost(kHostSelDelayProcess, block);
}

void HostProcessControl87(int32_t process) { CallWithProcess(-87, process); }

void HostProcessControl88(int32_t process) {
  CallWithProcess(-88, process == 0 ? HostGetCurrentProcess() : process);
}

void HostProcessControl97(int32_t process) {
  CallWithProcess(-97, process == 0 ? HostGetCurrentProcess() : process);
}

void HostWait(int32_t n) {
  HostParamBlock block;
  if (n < 1) {
    CallHost(kHostSelWaitIdle, block);
    return;
  }
  for (int32_t i = 0; i < n; ++i) CallHost(kHostSelWaitStep, block);
}

bool HostCheckProcess(bool other, bool& isCurrent) {
  const int32_t current = HostGetCurrentProcess();
  HostParamBlock block;
  block.param1 = 0;
  if (other) {
    CallHost(kHostSelProcessOther, block);
    isCurrent = HostWordOf(block.param1) == current;
    return !isCurrent;
  }
  CallHost(kHostSelProcessFront, block);
  const int32_t answer = HostWordOf(block.param1);
  if (answer == 0) {
    isCurrent = false;
    return true;
  }
  isCurrent = answer == HostGetCurrentProcess();
  return false;
}

void HostCall86() {
  HostParamBlock block;
  CallHost(-86, block);
}

int32_t HostRoomLeft255(int32_t value) {
  HostParamBlock block;
  block.param1 = HostWord(value);
  block.param2 = 0;
  CallHost(kHostSelRoomLeft, block);
  return HostWordOf(block.param2);
}

bool HostNameExists(const VString& name) {
  HostParamBlock block;
  StringToPText(name, block.text, 255);
  block.param1 = 0;
  CallHost(kHostSelNameExists, block);
  return HostWordOf(block.param1) != 0;
}

void FileTypeExtensionText(uint32_t fileType, uint8_t* pascalText) {
  pascalText[0] = 0;
  if (gSystemServices == nullptr) return;
  const uint32_t code = gSystemServices->GetFileTypeMap().ExtensionForFileType(fileType);
  for (int shift = 24; shift >= 0; shift -= 8) {
    const uint8_t c = static_cast<uint8_t>(code >> shift);
    if (c == 0 || c == ' ') break;
    pascalText[++pascalText[0]] = c;
  }
}

bool HostWriteNamedData(uint32_t handle, const VString& name, uint32_t fileType, int32_t option) {
  if (handle == 0) return false;
  const int32_t size = Tbx::GetHandleSize(handle);
  if (Tbx::MemError() != Tbx::noErr) return false;
  Tbx::HandleLocker data(handle);
  if (!data) return false;
  HostParamBlock block;
  StringToPText(name, block.text, 255);
  block.handle = HostAddress(data.As<uint8_t>());
  block.param1 = HostWord(size);
  block.param2 = gSystemServices != nullptr ? gSystemServices->GetFileTypeMap().ExtensionForFileType(fileType) : 0;
  block.param3 = HostWord(option);
  block.error = -1;
  CallHost(kHostSelWriteNamedData, block);
  return block.error == 0;
}

bool HostReadNamedData(uint32_t& handle, const VString& name, uint32_t fileType) {
  handle = 0;
  HostParamBlock block;
  StringToPText(name, block.text, 255);
  block.handle = 0;
  block.error = -1;
  CallHost(kHostSelReadNamedData, block);
  if (block.error != 0) {
    // Whatever the failing try handed over is ours to dispose of.
    if (block.handle != 0) Tbx::DisposeHandle(static_cast<uint32_t>(block.handle));
    uint8_t extension[6];
    FileTypeExtensionText(fileType, extension);
    StringToPText(name, block.text, 255);
    if (block.text[0] + 1 + extension[0] > 255) return false;
    block.text[++block.text[0]] = '.';
    std::memcpy(block.text + 1 + block.text[0], extension + 1, extension[0]);
    block.text[0] = static_cast<uint8_t>(block.text[0] + extension[0]);
    block.handle = 0;
    block.error = -1;
    CallHost(kHostSelReadNamedData, block);
  }
  if (block.error == 0 && block.handle == 0) block.error = -1;
  if (block.error != 0) {
    if (block.handle != 0) Tbx::DisposeHandle(static_cast<uint32_t>(block.handle));
    return false;
  }
  handle = static_cast<uint32_t>(block.handle);
  return true;
}

void HostGetText335(VString& text) { TextOf(kHostSelDocumentText335, text); }
void HostGetText411(VString& text) { TextOf(kHostSelDocumentText411, text); }
void HostGetText427(VString& text) { TextOf(-427, text); }

void HostGetDocumentFolder(VString& folder) {
  DocumentText(folder);
  const int32_t last = LastBackslash(folder);
  if (last == 0) {
    folder.SetEmpty(false);
    return;
  }
  folder.KeepRange(1, last);
}

bool HostTextHasFolder(VString& text) {
  DocumentText(text);
  return LastBackslash(text) != 0;
}

bool HostConfirm(const uint8_t* pascalText) {
  if (pascalText == nullptr) return false;
  uint8_t text[256];
  std::memcpy(text, pascalText, 1 + pascalText[0]);
  HostParamBlock block;
  block.param1 = HostAddress(text);
  block.param2 = 0;
  CallHost(kHostSelConfirm, block);
  return HostWordOf(block.param2) == 1;
}

bool ConfirmStringListItem(VResourceFile* file, int16_t list, int16_t index) {
  if (file == nullptr) return false;
  VMacStr<255> item;
  file->GetIndString(&item, list, index);
  if (item.GetLength() == 0) return false;
  uint8_t text[256];
  item.GetPText(text, 255, kCharSetMac);
  return HostConfirm(text);
}

void HostCall105() {
  HostParamBlock block;
  CallHost(-105, block);
}

void HostCall143() {
  HostParamBlock block;
  CallHost(-143, block);
}

void HostCall144() {
  HostParamBlock block;
  CallHost(-144, block);
}

void HostCall307(int32_t value, const VString& name, const VString& secondName) {
  HostParamBlock block;
  block.param1 = HostWord(value);
  StringToPText(name, block.text, 255);
  StringToPText(secondName, block.text2, 80);
  CallHost(-307, block);
}

void HostCall357(int32_t value) {
  HostParamBlock block;
  block.param1 = HostWord(value);
  CallHost(-357, block);
}

uint32_t HostMetafileCallEMF(uint32_t pictureHandle) { return MetafileCall(pictureHandle, FourCC("EMF ")); }
uint32_t HostMetafileCallWMF(uint32_t pictureHandle) { return MetafileCall(pictureHandle, FourCC("WMF ")); }

int32_t HostGetPlugInValue184() {
  HostParamBlock block;
  block.handle = 0;
  CallHost(184, block);
  return HostWordOf(block.handle);
}
