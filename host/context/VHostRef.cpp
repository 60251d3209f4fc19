#include "host/context/VHostRef.h"

#include <cstring>

#include "boundary/HostFieldTypes.h"
#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/StringStreamForm.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostStructure.h"
#include "host/context/HostVariables.h"
#include "host/context/VHostContext.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

uint32_t Reversed(uint32_t v) { return __builtin_bswap32(v); }

// '4OBJ' format words.
constexpr int16_t kDateWordFirst = 100;
constexpr int16_t kDateWordLast = 198;
constexpr int16_t kTimeWordFirst = 200;
constexpr int16_t kTimeWordLast = 298;

// A text crosses to the host's text formatting routine as a length-byte
// text of the Macintosh set, of at most 254 characters once converted. A
// longer value, a long text field, keeps its text as it is: the reference
// shows all of it, unformatted, rather than lose its end.
constexpr int32_t kHostFormatChars = 254;

bool HostFormatHoldsWhole(const VString& text) { return text.GetLength() <= kHostFormatChars; }

// The Macintosh text of a Toolbox handle into a string, as far as the
// handle holds it.
void HandleTextToString(uint32_t handle, VString& out) {
  out.SetEmpty(false);
  const int32_t size = Tbx::GetHandleSize(handle);
  if (Tbx::MemError() != Tbx::noErr || size <= 0) return;
  out.SetChars(static_cast<const char*>(Tbx::HLock(handle)), 0, size, kCharSetMac);
  Tbx::HUnlock(handle);
}

}  // namespace

VHostRef::VHostRef(int16_t table, int16_t field, bool askHost) {
  if (askHost) HostCurrentFieldCall303(table, field);
  fTable = table;
  fField = field;
  UpdateDisplayText();
}

VHostRef::VHostRef(const VString& expression) {
  fDisplay.CopyText(expression);
  // The text in Macintosh characters, without a terminator.
  const Tbx::Handle text = Tbx::NewHandle(kHostExpressionMax);
  if (text != 0) {
    const int32_t length = expression.ConvertInto(static_cast<char*>(Tbx::HLock(text)),
                                                  kHostExpressionMax, kCharSetMac);
    Tbx::HUnlock(text);
    Tbx::SetHandleSize(text, length);
    HostParamBlock block;
    block.handle = text;
    block.param1 = 0;
    block.error = 0;
    CallHost(kHostSelCompileExpression, block);
    fData = block.error == 0 ? static_cast<uint32_t>(HostWordOf(block.param1)) : 0;
    Tbx::DisposeHandle(text);
  }
  UpdateDisplayText();
}

VHostRef::VHostRef(uint32_t referenceData, bool otherByteOrder) : fData(referenceData) {
  if (fData != 0 && otherByteOrder) ConvertData();
  UpdateDisplayText();
}

VHostRef::VHostRef(const uint8_t* address, uint32_t length) {
  if (address == nullptr) return;
  VMemoryStream stream(address, length);
  if (stream.OpenRead() != kStreamNoError) return;
  ReadFromStream(stream, kHostRefTag);
  stream.CloseRead();
}

VHostRef::VHostRef(VStream& stream) { ReadFromStream(stream, kHostRefTag); }

VHostRef::~VHostRef() { DisposeData(); }

void VHostRef::DisposeData() {
  if (fData != 0) Tbx::DisposeHandle(fData);
  fData = 0;
}

void VHostRef::SetReferenceData(uint32_t referenceData) {
  if (referenceData == fData) return;
  DisposeData();
  fData = referenceData;
}

void VHostRef::ReleaseHostData() {
  if (fData == 0) return;
  HostParamBlock block;
  std::memset(&block, 0, sizeof block);
  block.handle = fData;
  block.param1 = 0;
  CallHost(kHostSelReleaseExpression, block);
  fData = 0;
}

void VHostRef::Reset() {
  fTable = 0;
  fField = 0;
  fTimeFormat = 0;
  fDateFormat = 0;
  fDisplay.SetEmpty(false);
  fFormatText.SetEmpty(false);
  DisposeData();
}

void VHostRef::ConvertData() {
  HostParamBlock block;
  block.handle = fData;
  block.error = 0;
  CallHost(kHostSelSwapExpression, block);
}

int32_t VHostRef::ReadFromStream(VStream& stream, uint32_t) {
  Reset();
  fWasRead = false;
  int16_t dataOrder = 0, nativeOrder = 0;
  stream.GetByteOrders(dataOrder, nativeOrder);
  uint32_t tag = stream.GetULong();
  bool reversed = false;
  if (stream.GetStatus() == kStreamNoError &&
      (tag == Reversed(kHostRefTag) || tag == Reversed(kHostRefOldTag))) {
    // Written in the other byte order: the rest is read in that order.
    tag = Reversed(tag);
    reversed = true;
    stream.SetByteOrders(dataOrder == kByteOrderLittle ? kByteOrderMacintosh : kByteOrderLittle,
                         kByteOrderKeep);
  }
  if (stream.GetStatus() != kStreamNoError || (tag != kHostRefTag && tag != kHostRefOldTag)) {
    if (reversed) stream.SetByteOrders(dataOrder, kByteOrderKeep);
    return stream.GetStatus();
  }
  fWasRead = true;
  fTable = stream.GetWord();
  fField = stream.GetWord();
  if (tag == kHostRefOldTag) {
    const int16_t word = stream.GetWord();
    if (word >= kDateWordFirst && word <= kDateWordLast) fDateFormat = word - kDateWordFirst;
    if (word >= kTimeWordFirst && word <= kTimeWordLast) fTimeFormat = word - kTimeWordFirst;
  } else {
    fDateFormat = static_cast<int8_t>(stream.GetByte());
    fTimeFormat = static_cast<int8_t>(stream.GetByte());
  }
  if (stream.GetStatus() == kStreamNoError) ReadStringFromStream(fFormatText, stream);
  const uint32_t size = stream.GetStatus() == kStreamNoError ? stream.GetULong() : 0;
  // The data's length is bounded by the bytes left; data that cannot be
  // kept is skipped, so the stream stays in step with the record.
  if (size != 0 && stream.GetStatus() == kStreamNoError && stream.HasRemaining(size)) {
    const Tbx::Handle h = size <= INT32_MAX ? Tbx::NewHandle(static_cast<int32_t>(size)) : 0;
    if (h != 0) {
      uint32_t got = size;
      stream.ReadBytes(Tbx::HLock(h), got);
      Tbx::HUnlock(h);
      if (got == size && stream.GetStatus() == kStreamNoError) {
        fData = h;
      } else {
        Tbx::DisposeHandle(h);
      }
    } else {
      stream.Skip(static_cast<int32_t>(size));
    }
  }
  if (reversed) stream.SetByteOrders(dataOrder, kByteOrderKeep);
  if (fData != 0 && reversed) ConvertData();
  UpdateDisplayText();
  return stream.GetStatus();
}

int32_t VHostRef::WriteToStream(VStream& stream, uint32_t) {
  stream.PutLong(static_cast<int32_t>(kHostRefTag));
  stream.PutWord(fTable);
  stream.PutWord(fField);
  stream.PutByte(static_cast<uint8_t>(fDateFormat));
  stream.PutByte(static_cast<uint8_t>(fTimeFormat));
  VStr<255> format;
  format.CopyText(fFormatText);
  WriteStringToStream(format, stream, 0);
  int32_t size = 0;
  if (fData != 0) {
    size = Tbx::GetHandleSize(fData);
    if (Tbx::MemError() != Tbx::noErr || size < 0) size = 0;
  }
  stream.PutLong(size);
  if (size > 0) {
    stream.WriteBytes(Tbx::HLock(fData), static_cast<uint32_t>(size));
    Tbx::HUnlock(fData);
  }
  return stream.GetStatus();
}

VMemHandle VHostRef::ToHandle() {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  if (handle == 0) return 0;
  if (stream.OpenWrite() == kStreamNoError) WriteToStream(stream, kHostRefTag);
  if (stream.CloseWrite(1) != kStreamNoError) {
    gMemoryMgr->DisposeHandle(handle);
    return 0;
  }
  return handle;
}

void VHostRef::GetDisplayText(VString& out) const {
  out.SetEmpty(false);
  out.CopyText(fDisplay);
}

void VHostRef::GetFormatText(VString& out) const {
  out.SetEmpty(false);
  out.CopyText(fFormatText);
}

void VHostRef::SetFormatText(const VString& text) {
  fFormatText.SetEmpty(false);
  fFormatText.CopyText(text);
}

namespace {

void HostListItem(int16_t list, int32_t item, VString& out) {
  out.SetEmpty(false);
  if (item == 0 || gHostContext == nullptr) return;
  VMacResourceFile* file = gHostContext->GetHostMacResourceFile();
  if (file == nullptr || !file->IsOpen()) return;
  file->GetIndString(&out, list, static_cast<int16_t>(item));
}

}  // namespace

void VHostRef::GetFormatName(VString& out) const {
  HostListItem(kHostTimeFormatList, fTimeFormat, out);
}

void VHostRef::GetOptionName(VString& out) const {
  HostListItem(kHostDateFormatList, fDateFormat, out);
}

void VHostRef::UpdateDisplayText() {
  fDisplay.SetEmpty(false);
  if (fTable > 0 && fField > 0) {
    int16_t table = fTable, field = fField;
    if (HostCurrentFieldCall383(table, field))
      HostGetTableOrFieldName(fDisplay, fTable, fField, false);
    return;
  }
  if (fData == 0) return;
  HostParamBlock block;
  block.handle = fData;
  block.error = -1;
  CallHost(kHostSelExpressionText, block);
  if (block.error != 0) return;
  const uint32_t text = static_cast<uint32_t>(block.handle);
  if (text == 0 || text == fData) return;
  HandleTextToString(text, fDisplay);
  Tbx::DisposeHandle(text);
}

VValue* VHostRef::Evaluate() const {
  VValue* value = nullptr;
  if (fTable > 0 && fField > 0) {
    value =
        HostGetFieldAsValue(static_cast<uint16_t>(fTable), static_cast<uint16_t>(fField), false);
  } else if (fData != 0) {
    HostVariableEntry entry;
    std::memset(&entry, 0, sizeof entry);
    entry.type = kHostUndefined;
    HostParamBlock block;
    block.handle = fData;
    block.param1 = HostAddress(&entry);
    block.error = -1;
    CallHost(kHostSelEvaluateExpression, block);
    if (block.error == 0) {
      value = HostVariableToValue(entry, false);
      CallHost(kHostSelReleaseEntry, block);
    }
  }
  if (value == nullptr || !value->IsSingle()) return value;

  switch (value->GetKind()) {
    case kValueBoolean: {
      const bool flag = value->GetBoolean(kWholeValue);
      delete value;
      if (fFormatText.GetLength() == 0) {
        auto* text = new VStr<15>;
        text->SetBoolean(flag ? 1 : 0, kWholeValue);
        return text;
      }
      auto* text = new VStr<255>;
      const int32_t split = fFormatText.FindChar(u';', 1, false);
      if (split == 0) {
        if (flag) text->CopyText(fFormatText);
      } else {
        text->CopyText(fFormatText);
        if (flag) {
          text->KeepRange(1, split - 1);
        } else {
          text->KeepRange(split + 1, fFormatText.GetLength() - split);
        }
      }
      return text;
    }
    case kValueWord:
    case kValueLong:
    case kValueBigInteger:
    case kValueReal: {
      if (fFormatText.GetLength() == 0) return value;
      auto* text = new VStr<80>;
      value->FormatTo(*text, nullptr, kWholeValue);
      delete value;
      ApplyNumberFormat(*text, fFormatText);
      return text;
    }
    case kValueHour: {
      auto* text = new VStr<80>;
      const int32_t seconds = value->GetTime(kWholeValue);
      delete value;
      if (VHostBridge* host = VHostBridgeService::Get())
        host->HostValueToText(kHostTypeTime, fTimeFormat, seconds, *text);
      return text;
    }
    case kValueDate: {
      auto* text = new VStr<80>;
      text->AppendDateText(*value, static_cast<uint16_t>(fDateFormat));
      delete value;
      return text;
    }
    case kValueString: {
      auto& text = static_cast<VString&>(*value);
      if (fFormatText.GetLength() > 0 && HostFormatHoldsWhole(text)) ApplyTextFormat(text, fFormatText);
      return value;
    }
    default: return value;
  }
}
