// Wrappers of the host services: one fresh block per call, on the stack.
#include "host/context/HostServices.h"

#include <cstring>

#include "framework/core/VObject.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VString.h"
#include "framework/system/resources/VResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

// The block is the host's record and is never cleared as a whole; each
// wrapper writes what its selector reads. The error word is set to a failure
// first wherever a wrapper reads it, so that a host that writes nothing is
// not taken for one that succeeded.
void PresetError(HostParamBlock& block) { block.error = -1; }

uintptr_t OptionWord(bool option) { return option ? kHostStructureOption : 0; }

bool CarriesBytes(int16_t type) {
  return type == kHostFieldText || type == kHostFieldPicture || type == kHostFieldBlob;
}

}  // namespace

void HostTellModuleState(uint8_t starting, void* moduleInstance) {
  HostParamBlock block;
  block.flag = starting;
  block.handle = HostAddress(moduleInstance);
  CallHost(kHostSelModuleState, block);
}

bool HostGetPath(char* path) {
  HostParamBlock block;
  path[0] = 0;
  block.param2 = FourCC("PATH");
  block.param3 = HostAddress(path);
  block.param4 = kHostPathBufferSize;
  CallHost(kHostSelGetPath, block);
  // The host's answer is read within the buffer whatever it wrote.
  path[kHostPathBufferSize - 1] = 0;
  return path[0] != 0;
}

void HostShowMessage(const uint8_t* pascalText) {
  if (pascalText == nullptr) return;
  // The host reads the text from a local copy, never from the caller's.
  uint8_t text[256];
  std::memcpy(text, pascalText, 1 + pascalText[0]);
  HostParamBlock block;
  block.param1 = HostAddress(text);
  CallHost(kHostSelShowMessage, block);
}

void ShowStringListItem(VResourceFile* file, int16_t list, int16_t index) {
  if (file == nullptr) return;
  // A Macintosh string keeps the item's bytes as they are stored.
  VMacStr<255> item;
  file->GetIndString(&item, list, index);
  if (item.GetLength() == 0) return;
  uint8_t text[256];
  item.GetPText(text, 255, kCharSetMac);
  HostShowMessage(text);
}

int16_t HostGetFieldType(uint16_t table, uint16_t field, bool option) {
  HostParamBlock block;
  block.table = table;
  block.field = field;
  block.param1 = 0;
  block.param4 = OptionWord(option);
  PresetError(block);
  CallHost(kHostSelFieldInfo, block);
  return block.error == 0 ? static_cast<int16_t>(HostWordOf(block.param1)) : -1;
}

bool HostGetFieldBlob(uint16_t table, uint16_t field, bool option, uint32_t& handle,
                      uint32_t& claimedLength) {
  handle = 0;
  claimedLength = 0;
  if (!CarriesBytes(HostGetFieldType(table, field, option))) return false;
  HostParamBlock block;
  block.table = table;
  block.field = field;
  block.param1 = 0;
  block.param4 = OptionWord(option);
  block.textLength = 0;
  block.valueHandle = 0;
  PresetError(block);
  CallHost(kHostSelGetField, block);
  if (block.error != 0 || block.valueHandle == 0) return false;
  if (block.textLength == 0) {
    // No content: the handle the host gave is the caller's all the same.
    Tbx::DisposeHandle(block.valueHandle);
    return false;
  }
  handle = block.valueHandle;
  claimedLength = static_cast<uint16_t>(block.textLength);
  return true;
}

bool HostSetFieldBlob(uint16_t table, uint16_t field, bool option, uint32_t handle, uint32_t length) {
  if (!CarriesBytes(HostGetFieldType(table, field, option))) return false;
  // Only the low 16 bits of the length reach the host, which takes the
  // handle's size as the content's: a handle with room behind the data is
  // cut to it first.
  if (handle == 0) return false;
  const int32_t size = Tbx::GetHandleSize(handle);
  if (size < 0 || static_cast<uint32_t>(size) < length) return false;
  if (static_cast<uint32_t>(size) > length) {
    Tbx::SetHandleSize(handle, static_cast<int32_t>(length));
    if (Tbx::GetHandleSize(handle) != static_cast<int32_t>(length)) return false;
  }
  HostParamBlock block;
  block.table = table;
  block.field = field;
  block.param4 = OptionWord(option);
  block.textLength = static_cast<int16_t>(length);
  block.valueHandle = handle;
  PresetError(block);
  CallHost(kHostSelSetField, block);
  return block.error == 0;
}

void HostGetDisplayRoutines(VDisplayRoutines& routines) {
  HostParamBlock block;
  block.param1 = HostAddress(&routines);
  CallHost(kHostSelDisplayRoutines, block);
}

void HostGetCenturyPivot(int32_t& pivotYear, int32_t& century) {
  HostParamBlock block;
  block.param1 = 0;
  block.param2 = 0;
  CallHost(kHostSelCenturyPivot, block);
  pivotYear = HostWordOf(block.param1);
  century = HostWordOf(block.param2);
}

void HostValueToText(uint32_t valueType, int32_t format, int32_t value, VString& destination) {
  HostParamBlock block;
  block.param1 = valueType;
  block.param2 = HostWord(format);
  block.longValue = static_cast<uint32_t>(value);
  block.text2[0] = 0;
  CallHost(kHostSelValueToText, block);
  if (block.text2[0] > 80) block.text2[0] = 80;
  PTextToString(block.text2, destination);
}

int32_t HostTextToValue(uint32_t valueType, const VString& text) {
  HostParamBlock block;
  block.param1 = valueType;
  block.longValue = 0;
  // The second text holds 80 characters; a longer text is cut there rather
  // than run into the fields behind it.
  StringToPText(text, block.text2, 80);
  CallHost(kHostSelTextToValue, block);
  return HostWordOf(block.longValue);
}

uint8_t HostCall362(int16_t eventMask, HostEventRecord& record) {
  HostParamBlock block;
  block.param1 = HostWord(eventMask);
  block.handle = HostAddress(&record);
  block.flag = 0;
  CallHost(kHostSelPeekEvent, block);
  return block.flag;
}

int16_t HostCall361(int16_t eventMask, HostEventRecord& record, int32_t option) {
  HostParamBlock block;
  block.param1 = HostWord(eventMask);
  block.handle = HostAddress(&record);
  block.param2 = HostWord(option);
  block.param3 = 0;
  block.param4 = 0;
  CallHost(kHostSelTakeEvent, block);
  return static_cast<int16_t>(HostWordOf(block.param4));
}

int32_t HostGetValue164() {
  HostParamBlock block;
  block.param1 = 0;
  CallHost(kHostSelLook, block);
  return HostWordOf(block.param1);
}

void HostOpenWindowAt(const VString& text, const int16_t box[4], const int32_t* place) {
  int16_t rectangle[4];
  std::memcpy(rectangle, box, sizeof rectangle);
  HostParamBlock block;
  block.param1 = HostAddress(rectangle);
  StringToPText(text, block.text2, 80);
  if (place != nullptr) {
    block.param2 = FourCC("WHER");
    block.param3 = HostWord(place[0]);
    block.param4 = HostWord(place[1]);
  } else {
    block.param2 = 0;
  }
  CallHost(kHostSelOpenWindowAt, block);
}

void HostSetWindowTitle66(const VString& title, const void* area, const void* windowPort) {
  HostParamBlock block;
  StringToPText(title, block.text, 80);
  block.handle = HostAddress(area);
  block.longValue = HostAddress(windowPort);
  CallHost(kHostSelWindowTitle, block);
}
