// Host variables and the conversion between values and host entries.
#include "host/context/HostVariables.h"

#include <cstring>

#include "boundary/HostSelectors.h"
#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VRefArray.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/strings/VByteString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VEmptyValue.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostPictures.h"
#include "host/context/HostText.h"
#include "host/context/VHostContext.h"
#include "host/values/VHostValues.h"
#include "platform/toolbox/TbxBits.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandleState.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

constexpr char16_t kLozenge = 0x25CA;
// The host's string list of named variables, and its two items.
constexpr int16_t kNamedVariableList = 3;
constexpr int16_t kNamedBooleanItem = 1;
constexpr int16_t kNamedValueItem = 4;
// The most bytes a text record's handle takes.
constexpr int32_t kHostTextMax = 32000;

// The size of a Toolbox handle, 0 for none or a bad one.
int32_t HandleSize(uint32_t handle) {
  if (handle == 0) return 0;
  const int32_t size = Tbx::GetHandleSize(handle);
  return Tbx::MemError() == Tbx::noErr && size > 0 ? size : 0;
}

// Whether an undefined entry may take a type from a value: not when the
// host's third start-up flag is set.
bool UndefinedEntriesTakeTypes() { return gHostContext == nullptr || !gHostContext->GetStartupFlag(3); }

bool IsDetectedName(const VString& name, int32_t& scope, int32_t& prefix) {
  const char16_t first = name.GetCharAt(1);
  if (first == kLozenge) {
    scope = kScopeInterprocess;
    prefix = 1;
  } else if (first == u'<' && name.GetCharAt(2) == u'>') {
    scope = kScopeInterprocess;
    prefix = 2;
  } else if (first == u'$') {
    scope = kScopeLocal;
    prefix = 1;
  } else {
    scope = kScopeProcess;
    prefix = 0;
  }
  return true;
}

}  // namespace

// ---- Names and the variable selectors

int32_t ClassifyVariableName(uint8_t* pascalName, const VString& name, int32_t scope) {
  int32_t prefix = 0;
  if (scope == kScopeDetect) IsDetectedName(name, scope, prefix);
  VStr<255> rest;
  const int32_t length = name.GetLength();
  for (int32_t i = prefix + 1; i <= length && rest.GetLength() < kHostVariableNameMax; ++i)
    rest.AppendUniChar(name.GetCharAt(i));
  StringToPText(rest, pascalName, kHostVariableNameMax);
  return scope;
}

bool HostGetVariable(HostVariableEntry& entry, const VString& name, int32_t scope) {
  HostParamBlock block;
  scope = ClassifyVariableName(block.text, name, scope);
  if (scope != kScopeProcess && scope != kScopeInterprocess) return false;
  block.handle = HostAddress(&entry);
  block.error = -1;
  CallHost(scope == kScopeProcess ? kHostSelGetVariable : kHostSelGetInterprocessVariable, block);
  return block.error == 0;
}

bool HostSetVariable(const VValue& value, const VString& name, int32_t scope, uint8_t flag) {
  HostParamBlock block;
  scope = ClassifyVariableName(block.text, name, scope);
  if (scope != kScopeProcess && scope != kScopeInterprocess) return false;
  // A kind without a host form goes as an undefined value, never as what
  // the stack held.
  HostVariableEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.type = kHostUndefined;
  ValueToHostVariable(value, entry);
  block.handle = HostAddress(&entry);
  block.variableFlag = flag;
  block.error = -1;
  CallHost(scope == kScopeProcess ? kHostSelSetVariable : kHostSelSetInterprocessVariable, block);
  // A picture's, BLOB's or record's handle went to the host with the
  // entry; a refused one is still the module's to dispose of.
  if (block.error != 0 && (entry.type == kHostPicture || entry.type == kHostBlob) &&
      entry.value.data.handle != 0)
    Tbx::DisposeHandle(entry.value.data.handle);
  if (block.error != 0 && entry.type == kHostRecord && entry.value.recordHandle != 0)
    Tbx::DisposeHandle(entry.value.recordHandle);
  return block.error == 0;
}

VValue* HostGetVariableAsValue(const VString& name, int32_t scope) {
  HostVariableEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.type = kHostUndefined;
  if (!HostGetVariable(entry, name, scope)) return nullptr;
  return HostVariableToValue(entry, false);
}

namespace {

// The named variable of item `index` of the host's list 3, up to its ":".
bool NamedVariable(int16_t index, VStr<255>& name) {
  if (gHostContext == nullptr) return false;
  VMacResourceFile* file = gHostContext->GetHostMacResourceFile();
  if (file == nullptr) return false;
  // A missing list or item reads as the empty name.
  file->GetIndString(&name, kNamedVariableList, index);
  const int32_t colon = name.FindChar(u':', 1, false);
  if (colon > 0) name.SetLength(colon - 1);
  return name.GetLength() > 0;
}

}  // namespace

void SetNamedHostBoolean(bool flag) {
  VStr<255> name;
  if (!NamedVariable(kNamedBooleanItem, name)) return;
  VBoolean value(flag ? 1 : 0);
  HostSetVariable(value, name, kScopeDetect, 1);
}

void SetNamedHostVariable(const VValue& value) {
  VStr<255> name;
  if (!NamedVariable(kNamedValueItem, name)) return;
  HostSetVariable(value, name, kScopeDetect, 1);
}

// ---- Text records

void HostTextToString(VString& string, const HostTextRecord& text) {
  const int32_t size = HandleSize(text.handle);
  int32_t length = text.length;
  if (length > size) length = size;
  if (length <= 0) {
    string.SetEmpty(true);
    string.SetNull(false, kWholeValue);
    return;
  }
  Tbx::HandleLocker bytes(text.handle);
  if (bytes) {
    string.SetChars(bytes.As<const char>(), 0, length, kCharSetMac);
  } else {
    string.SetEmpty(true);
  }
}

void HostTextRecordClear(HostTextRecord& text) {
  if (text.handle != 0) Tbx::DisposeHandle(text.handle);
  text.handle = 0;
  text.length = 0;
}

void StringToHostText(const VString& string, HostTextRecord& text) {
  VMacStrInHandle mac(string);
  const int32_t chars = string.GetLength();
  int64_t room = 2 * static_cast<int64_t>(chars) + 1;
  if (room > kHostTextMax) room = kHostTextMax;
  // A handle that is no handle is replaced, never resized or disposed of.
  if (text.handle != 0) {
    Tbx::GetHandleSize(text.handle);
    if (Tbx::MemError() != Tbx::noErr) text.handle = 0;
  }
  if (text.handle == 0) {
    text.handle = Tbx::NewHandle(static_cast<int32_t>(room));
  } else {
    Tbx::SetHandleSize(text.handle, static_cast<int32_t>(room));
  }
  if (text.handle == 0 || Tbx::GetHandleSize(text.handle) < room) {
    text.length = 0;
    if (text.handle != 0) Tbx::SetHandleSize(text.handle, 0);
    return;
  }
  // The text, zero-terminated within the room, then the handle cut to it.
  int32_t bytes = mac.GetLength();
  if (bytes > room - 1) bytes = static_cast<int32_t>(room - 1);
  {
    Tbx::HandleLocker target(text.handle);
    uint8_t* data = target.As<uint8_t>();
    if (bytes > 0) std::memcpy(data, mac.GetBuffer(), static_cast<size_t>(bytes));
    mac.ReleaseBuffer();
    data[bytes] = 0;
  }
  Tbx::SetHandleSize(text.handle, bytes);
  text.length = static_cast<int16_t>(bytes);
}

// ---- Types

bool IsNumericArrayType(int32_t type) {
  return type == 14 || type == 15 || type == 16 || type == 26 || type == 29;
}

bool IsArrayType(int32_t type) { return (type >= 14 && type <= 22) || type == 26 || type == 29; }

bool IsTextArrayType(int32_t type) { return type == kHostTextArray || type == kHostStringArray; }

int32_t HostTypeOfValueKind(int32_t kind) {
  switch (kind) {
    case kValueBoolean: return kHostBoolean;
    case kValueWord: return kHostInteger;
    case kValueLong: return kHostLongInteger;
    case kValueBigInteger: return 25;
    case kValueReal: return kHostReal;
    case kValueHour: return kHostTime;
    case kValueDate: return kHostDate;
    case kValueString: return kHostText;
    case 9: return kHostBlob;
    case kValuePicture: return kHostPicture;
    case 13: return kHostRecord;
    case kValueBooleanArray: return kHostBooleanArray;
    case kValueWordArray: return kHostIntegerArray;
    case kValueLongArray:
    case kValueHourArray: return kHostLongArray;
    case 103: return 26;
    case kValueRealArray: return kHostRealArray;
    case kValueDateArray: return kHostDateArray;
    case kValueStringArray: return kHostTextArray;
    case kValueReferenceArray: return kHostPictureArray;
    default: return kHostUndefined;
  }
}

int32_t ValueKindOfHostType(int32_t type) {
  switch (type) {
    case kHostAlpha:
    case kHostText:
    case kHostString: return kValueString;
    case kHostReal: return kValueReal;
    case kHostDate: return kValueDate;
    case kHostBoolean: return kValueBoolean;
    case kHostInteger: return kValueWord;
    case kHostLongInteger: return kValueLong;
    case kHostPicture: return kValuePicture;
    case kHostTime: return kValueHour;
    case kHostRealArray: return kValueRealArray;
    case kHostIntegerArray: return kValueWordArray;
    case kHostLongArray: return kValueLongArray;
    case kHostDateArray: return kValueDateArray;
    case kHostTextArray:
    case kHostStringArray: return kValueStringArray;
    case kHostPictureArray: return kValueReferenceArray;
    case kHostBooleanArray: return kValueBooleanArray;
    case kHostBlob: return 9;
    default: return kValueEmpty;
  }
}

// ---- Values to entries

void ValueToHostVariable(const VValue& value, HostVariableEntry& entry) {
  switch (value.GetKind()) {
    case kValueEmpty:
      entry.type = kHostUndefined;
      break;
    case kValueBoolean:
      entry.type = kHostBoolean;
      entry.value.boolean = value.GetBoolean(kWholeValue) ? 1 : 0;
      break;
    case kValueWord:
    case kValueLong:
      entry.type = kHostLongInteger;
      entry.value.longInteger = value.GetLong(kWholeValue);
      break;
    case kValueReal:
      entry.type = kHostReal;
      entry.value.real = value.GetReal(kWholeValue);
      break;
    case kValueHour:
      entry.type = kHostTime;
      entry.value.seconds = static_cast<uint32_t>(value.GetTime(kWholeValue));
      break;
    case kValueDate: {
      VDateRec date;
      value.GetDate(date, kWholeValue);
      entry.type = kHostDate;
      entry.value.date[0] = date.day;
      entry.value.date[1] = date.month;
      entry.value.date[2] = date.year;
      break;
    }
    case kValueString: {
      entry.type = kHostString;
      uint8_t text[256];
      StringToPText(static_cast<const VString&>(value), text, 255);
      entry.value.string.length = text[0];
      std::memcpy(entry.value.string.text, text, 1 + text[0]);
      break;
    }
    case kValuePicture: {
      // The Macintosh picture with the host's 6 bytes after it; a failed
      // conversion gives handle 0 and size 0.
      entry.type = kHostPicture;
      const uint32_t handle = HostMacPictureOfValue(value);
      entry.value.data.handle = handle;
      entry.value.data.size = static_cast<uint32_t>(HandleSize(handle));
      break;
    }
    case kValueHandle: {
      // A copy of the bytes in a new handle; none when it cannot be made.
      const auto& blob = static_cast<const VHandleValue&>(value);
      entry.type = kHostBlob;
      entry.value.data.size = 0;
      entry.value.data.handle = 0;
      const uint8_t* bytes = blob.Lock();
      const Tbx::Handle h =
          bytes != nullptr ? Tbx::NewHandle(static_cast<int32_t>(blob.GetSize())) : 0;
      if (h != 0) {
        if (blob.GetSize() > 0) std::memcpy(Tbx::HLock(h), bytes, blob.GetSize());
        Tbx::HUnlock(h);
        entry.value.data.size = blob.GetSize();
        entry.value.data.handle = h;
      }
      blob.Unlock();
      break;
    }
    case kValueHostRecord:
      entry.type = kHostRecord;
      entry.value.recordHandle = static_cast<const VHostRecordValue&>(value).CopyToToolboxHandle();
      break;
    default:
      break;
  }
}

// ---- Entries to values

namespace {

// The metafile value of a picture entry through the host's conversion; none
// without a handle or a size. With `take` the entry's handle is disposed and
// zeroed.
VValue* PictureOf(HostVariableEntry& entry, bool take) {
  const uint32_t handle = entry.value.data.handle;
  if (handle == 0 || entry.value.data.size == 0) return nullptr;
  VValue* value = HostPictureToMetafileValue(handle);
  if (take) {
    Tbx::DisposeHandle(handle);
    entry.value.data.handle = 0;
    entry.value.data.size = 0;
  }
  return value;
}

// An entry's array handle, locked for the life of the object, with the
// number of elements it really holds: the entry's count, cut so that the
// handle holds elements 0 to count of `elementSize` bytes after `header`
// bytes. Nothing is read outside the handle.
class ArrayBytes {
 public:
  ArrayBytes(uint32_t handle, uint32_t count, int32_t elementSize, int32_t header = 0)
      : fLock(HoldsAnElement(handle, elementSize, header) ? handle : 0) {
    data = fLock.As<uint8_t>();
    if (data == nullptr) return;
    const uint32_t room = static_cast<uint32_t>((HandleSize(handle) - header) / elementSize) - 1;
    this->count = static_cast<int32_t>(count < room ? count : room);
  }
  uint8_t* data = nullptr;
  int32_t count = 0;

 private:
  static bool HoldsAnElement(uint32_t handle, int32_t elementSize, int32_t header) {
    const int32_t size = HandleSize(handle);
    return size != 0 && elementSize > 0 && size >= header + elementSize;
  }

  Tbx::HandleLocker fLock;
};

template <typename Array, typename Element>
VValue* NumericArrayOf(const HostVariableEntry& entry) {
  ArrayBytes bytes(entry.value.array.handle, entry.value.array.count, sizeof(Element));
  auto* array = new Array(0);
  // Element 0 is the host's own; the array takes elements 1 to count.
  if (bytes.count > 0) {
    Element* elements = new Element[static_cast<size_t>(bytes.count)];
    std::memcpy(elements, bytes.data + sizeof(Element), static_cast<size_t>(bytes.count) * sizeof(Element));
    array->SetFromBuffer(elements, bytes.count);
    delete[] elements;
  }
  return array;
}

VValue* DateArrayOf(const HostVariableEntry& entry) {
  ArrayBytes bytes(entry.value.array.handle, entry.value.array.count, sizeof(VDateRec));
  auto* array = new VDateArray(bytes.count);
  for (int32_t i = 1; i <= bytes.count; ++i) {
    VDateRec date;
    std::memcpy(&date, bytes.data + i * sizeof(VDateRec), sizeof date);
    array->SetDate(date, i);
  }
  return array;
}

VValue* TextArrayOf(HostVariableEntry& entry, bool take) {
  ArrayBytes bytes(entry.value.array.handle, entry.value.array.count, sizeof(HostTextRecord));
  auto* array = new VStringArray(bytes.count);
  for (int32_t i = 1; i <= bytes.count; ++i) {
    uint8_t* slot = bytes.data + i * sizeof(HostTextRecord);
    HostTextRecord record;
    std::memcpy(&record, slot, sizeof record);
    if (record.handle == 0 || record.length == 0) continue;
    auto* text = new VStrInHandle;
    HostTextToString(*text, record);
    array->SetAt(text, i);
    if (take) {
      HostTextRecordClear(record);
      std::memcpy(slot, &record, sizeof record);
    }
  }
  return array;
}

// A string of a capacity fitted to a stored length.
VString* StringForLength(uint8_t length) {
  if (length < 8) return new VStr<8>;
  if (length < 16) return new VStr<15>;
  if (length < 32) return new VStr<31>;
  if (length < 64) return new VStr<63>;
  if (length < 128) return new VStr<127>;
  return new VStr<255>;
}

// The size word of a string array's handle (the distance between elements),
// 0 when the handle has none.
int16_t StringElementSize(uint32_t handle) {
  if (HandleSize(handle) < 2) return 0;
  int16_t size = 0;
  Tbx::HandleLocker bytes(handle);
  if (bytes) std::memcpy(&size, bytes.Data(), 2);
  return size > 0 ? size : 0;
}

VValue* StringArrayOf(const HostVariableEntry& entry) {
  const int16_t size = StringElementSize(entry.value.array.handle);
  ArrayBytes bytes(entry.value.array.handle, entry.value.array.count, size, 2);
  auto* array = new VStringArray(bytes.count);
  for (int32_t i = 1; i <= bytes.count; ++i) {
    const uint8_t* element = bytes.data + 2 + i * size;
    // At most size - 1 characters follow the length byte.
    uint8_t length = element[0];
    if (length > size - 1) length = static_cast<uint8_t>(size - 1);
    VString* text = StringForLength(length);
    text->SetChars(reinterpret_cast<const char*>(element + 1), 0, length, kCharSetMac);
    array->SetAt(text, i);
  }
  return array;
}

// The PICT values of a picture array's nonzero handles, elements 1 to
// count. With `take` each such handle is disposed and its slot cleared.
VValue* PictureArrayOf(HostVariableEntry& entry, bool take) {
  ArrayBytes bytes(entry.value.array.handle, entry.value.array.count, sizeof(uint32_t));
  auto* array = new VRefArray(bytes.count);
  for (int32_t i = 1; i <= bytes.count; ++i) {
    uint8_t* slot = bytes.data + i * sizeof(uint32_t);
    uint32_t handle = 0;
    std::memcpy(&handle, slot, sizeof handle);
    if (handle == 0) continue;
    if (VValue* picture = HostPictureToPictValue(handle)) array->SetAt(picture, i);
    if (take) {
      Tbx::DisposeHandle(handle);
      std::memset(slot, 0, sizeof handle);
    }
  }
  return array;
}

VValue* BooleanArrayOf(const HostVariableEntry& entry) {
  const int32_t size = HandleSize(entry.value.array.handle);
  // The bits of elements 0 to count: count + 1 bits in (count + 8) >> 3 bytes.
  const uint32_t room = size > 0 ? static_cast<uint32_t>(size) * 8 - 1 : 0;
  const int32_t count = static_cast<int32_t>(entry.value.array.count < room ? entry.value.array.count : room);
  auto* array = new VBooleanArray(count);
  if (count == 0) return array;
  Tbx::HandleLocker lock(entry.value.array.handle);
  const uint8_t* bits = lock.As<const uint8_t>();
  for (int32_t i = 1; i <= count && bits != nullptr; ++i) array->SetBoolean(Tbx::BitTst(bits, i) ? 1 : 0, i);
  return array;
}

}  // namespace

namespace {

// The bytes of a BLOB entry, as far as its handle holds them; none without
// a handle or bytes. With `take` the entry's handle is disposed and zeroed.
VValue* BlobOf(HostVariableEntry& entry, bool take) {
  const uint32_t handle = entry.value.data.handle;
  if (handle == 0 || entry.value.data.size == 0) return nullptr;
  VValue* value = nullptr;
  const int32_t held = Tbx::GetHandleSize(handle);
  if (Tbx::MemError() == Tbx::noErr) {
    uint32_t size = entry.value.data.size;
    if (held >= 0 && size > static_cast<uint32_t>(held)) size = static_cast<uint32_t>(held);
    value = new VHandleValue(Tbx::HLock(handle), size);
    Tbx::HUnlock(handle);
  }
  if (take) {
    Tbx::DisposeHandle(handle);
    entry.value.data.handle = 0;
    entry.value.data.size = 0;
  }
  return value;
}

}  // namespace

VValue* HostVariableToValue(HostVariableEntry& entry, bool take) {
  VValue* array = nullptr;
  switch (entry.type) {
    case kHostRealArray:
      array = NumericArrayOf<VRealArray, double>(entry);
      break;
    case kHostIntegerArray:
      array = NumericArrayOf<VWordArray, int16_t>(entry);
      break;
    case kHostLongArray:
      array = NumericArrayOf<VLongArray, int32_t>(entry);
      break;
    case kHostDateArray:
      array = DateArrayOf(entry);
      break;
    case kHostTextArray:
      array = TextArrayOf(entry, take);
      break;
    case kHostStringArray:
      array = StringArrayOf(entry);
      break;
    case kHostBooleanArray:
      array = BooleanArrayOf(entry);
      break;
    case kHostPictureArray:
      array = PictureArrayOf(entry, take);
      break;
    case kHostRealArrayNoData: {
      // A count without data: the array is made with that many elements,
      // as far as memory allows.
      const uint32_t count = entry.value.array.count;
      array = new VRealArray(count <= INT32_MAX ? static_cast<int32_t>(count) : INT32_MAX);
      break;
    }
    default:
      break;
  }
  if (array != nullptr) {
    static_cast<VArray*>(array)->SetCurrent(entry.value.array.current);
    return array;
  }
  switch (entry.type) {
    case kHostAlpha:
    case kHostString: {
      auto* text = new VStr<255>;
      PTextToString(entry.value.string.text, *text);
      return text;
    }
    case kHostReal:
    case kHostReal2:
      return new VReal(entry.value.real);
    case kHostText: {
      auto* text = new VStrInHandle;
      HostTextRecord record = entry.value.text;
      HostTextToString(*text, record);
      if (take) {
        HostTextRecordClear(record);
        entry.value.text = record;
      }
      return text;
    }
    case kHostUndefined: {
      auto* empty = new VEmptyValue;
      empty->SetNull(true, kWholeValue);
      return empty;
    }
    case kHostBoolean:
      return new VBoolean(entry.value.boolean);
    case kHostInteger:
      return new VWord(entry.value.integer);
    case kHostLongInteger:
      return new VLong(entry.value.longInteger);
    case kHostDate:
      return new VDate(entry.value.date[0], entry.value.date[1], entry.value.date[2]);
    case kHostTime:
      return new VHour(static_cast<int32_t>(entry.value.seconds));
    case kHostBlob: return BlobOf(entry, take);
    case kHostPicture: return PictureOf(entry, take);
    default:
      // Records and two-dimensional arrays have no value.
      return nullptr;
  }
}

// ---- Values into existing entries

namespace {

// The type an undefined entry takes for a value kind; 5 when it keeps none.
int32_t TypeForUndefinedEntry(int32_t kind) {
  switch (kind) {
    case kValueBigInteger: return kHostLongInteger;
    case kValueString: return kHostText;
    case 9: return kHostBlob;
    case 13: return kHostUndefined;
    case 103: return kHostLongArray;
    case 108: return kHostPictureArray;
    default: return HostTypeOfValueKind(kind);
  }
}

void FormatInto(const VValue& value, VString& text) { value.FormatTo(text, nullptr, kWholeValue); }

}  // namespace

namespace {

// The handle of an entry's array made or resized to `bytes`; 0 when it
// cannot be. A handle value that is no handle is replaced, not touched.
uint32_t ArrayHandleOfSize(uint32_t handle, int64_t bytes) {
  if (bytes > INT32_MAX) return 0;
  if (handle != 0) {
    Tbx::GetHandleSize(handle);
    if (Tbx::MemError() != Tbx::noErr) handle = 0;
  }
  if (handle == 0) return Tbx::NewHandleClear(static_cast<int32_t>(bytes));
  const int32_t before = Tbx::GetHandleSize(handle);
  Tbx::SetHandleSize(handle, static_cast<int32_t>(bytes));
  if (Tbx::GetHandleSize(handle) != bytes) return 0;
  // Growth reads as zeros.
  if (bytes > before) {
    Tbx::HandleLocker data(handle);
    if (data) std::memset(data.As<uint8_t>() + before, 0, static_cast<size_t>(bytes - before));
  }
  return handle;
}

template <typename Element>
void StoreNumericArray(const VArray& array, HostVariableEntry& entry, Element (*get)(const VArray&, int32_t)) {
  const int32_t count = array.Count();
  const uint32_t handle = ArrayHandleOfSize(entry.value.array.handle, (int64_t{count} + 1) * sizeof(Element));
  if (handle == 0) return;
  entry.value.array.handle = handle;
  entry.value.array.count = static_cast<uint32_t>(count);
  entry.value.array.current = static_cast<int16_t>(array.GetCurrent());
  Tbx::HandleLocker lock(handle);
  uint8_t* data = lock.As<uint8_t>();
  if (data == nullptr) return;
  for (int32_t i = 1; i <= count; ++i) {
    const Element element = get(array, i);
    std::memcpy(data + i * sizeof(Element), &element, sizeof element);
  }
}

void StoreTextArray(const VArray& array, HostVariableEntry& entry) {
  // The old texts go first: those the handle really holds, element 0 too.
  {
    ArrayBytes old(entry.value.array.handle, entry.value.array.count, sizeof(HostTextRecord));
    for (int32_t i = 0; old.data != nullptr && i <= old.count; ++i) {
      HostTextRecord record;
      std::memcpy(&record, old.data + i * sizeof record, sizeof record);
      HostTextRecordClear(record);
      std::memcpy(old.data + i * sizeof record, &record, sizeof record);
    }
  }
  const int32_t count = array.Count();
  const uint32_t handle =
      ArrayHandleOfSize(entry.value.array.handle, (int64_t{count} + 1) * sizeof(HostTextRecord));
  if (handle == 0) return;
  entry.value.array.handle = handle;
  entry.value.array.count = static_cast<uint32_t>(count);
  entry.value.array.current = static_cast<int16_t>(array.GetCurrent());
  for (int32_t i = 1; i <= count; ++i) {
    VStrInHandle text;
    array.FormatTo(text, nullptr, i);
    HostTextRecord record{0, 0};
    StringToHostText(text, record);
    Tbx::HandleLocker data(handle);
    if (data) std::memcpy(data.As<uint8_t>() + i * sizeof record, &record, sizeof record);
  }
}

// The size word of the string arrays this module makes: elements of 256
// bytes, 255 characters each.
constexpr int16_t kNewStringElementSize = 256;

void StoreStringArray(const VArray& array, HostVariableEntry& entry) {
  // One distance for writer and readers: the size word itself, so that an
  // element lies at 2 + i x size for whoever reads it.
  int16_t size = StringElementSize(entry.value.array.handle);
  if (size == 0) {
    size = kNewStringElementSize;
    entry.value.array.handle = 0;
  }
  const int32_t count = array.Count();
  const uint32_t handle = ArrayHandleOfSize(entry.value.array.handle, 2 + (int64_t{count} + 1) * size);
  if (handle == 0) return;
  entry.value.array.handle = handle;
  entry.value.array.count = static_cast<uint32_t>(count);
  entry.value.array.current = static_cast<int16_t>(array.GetCurrent());
  Tbx::HandleLocker lock(handle);
  uint8_t* data = lock.As<uint8_t>();
  if (data == nullptr) return;
  std::memcpy(data, &size, 2);
  for (int32_t i = 0; i <= count; ++i) {
    VStr<255> text;
    array.FormatTo(text, nullptr, i);
    uint8_t pascal[256];
    StringToPText(text, pascal, size - 1 < 255 ? size - 1 : 255);
    std::memcpy(data + 2 + i * size, pascal, 1 + pascal[0]);
  }
}

}  // namespace

void StoreValueInEntry(const VValue& value, HostVariableEntry& entry) {
  if (entry.type == kHostUndefined) {
    if (!UndefinedEntriesTakeTypes()) return;
    const int32_t type = TypeForUndefinedEntry(value.GetKind());
    if (type == kHostUndefined) return;
    entry.type = static_cast<uint8_t>(type);
    if (type == kHostText) {
      entry.value.text.length = 0;
      entry.value.text.handle = 0;
    } else if (type == kHostPicture || type == kHostBlob) {
      entry.value.data.size = 0;
      entry.value.data.handle = 0;
    } else if (IsArrayType(type)) {
      entry.value.array.count = 0;
      entry.value.array.handle = 0;
      entry.value.array.current = 0;
    }
  }

  switch (entry.type) {
    case kHostAlpha:
    case kHostString: {
      VStr<255> text;
      FormatInto(value, text);
      uint8_t pascal[256];
      StringToPText(text, pascal, 255);
      std::memcpy(entry.value.string.text, pascal, 1 + pascal[0]);
      entry.value.string.length = pascal[0];
      break;
    }
    case kHostReal:
      entry.value.real = value.GetReal(kWholeValue);
      break;
    case kHostDate: {
      VDateRec date;
      value.GetDate(date, kWholeValue);
      entry.value.date[0] = date.day;
      entry.value.date[1] = date.month;
      entry.value.date[2] = date.year;
      break;
    }
    case kHostBoolean:
      entry.value.longInteger = value.GetBoolean(kWholeValue) ? 1 : 0;
      break;
    case kHostInteger:
    case kHostLongInteger:
      entry.value.longInteger = value.GetLong(kWholeValue);
      break;
    case kHostTime:
      entry.value.seconds = static_cast<uint32_t>(value.GetTime(kWholeValue));
      break;
    case kHostText: {
      HostTextRecord record = entry.value.text;
      if (value.GetKind() == kValueString) {
        StringToHostText(static_cast<const VString&>(value), record);
      } else {
        VStrInHandle text;
        FormatInto(value, text);
        StringToHostText(text, record);
      }
      entry.value.text = record;
      break;
    }
    case kHostRealArray:
    case kHostIntegerArray:
    case kHostLongArray:
    case kHostTextArray:
    case kHostStringArray: {
      // Only an array fills an array entry.
      const auto* array = dynamic_cast<const VArray*>(&value);
      if (array == nullptr) break;
      if (entry.type == kHostRealArray) {
        StoreNumericArray<double>(*array, entry, [](const VArray& a, int32_t i) { return a.GetReal(i); });
      } else if (entry.type == kHostIntegerArray) {
        StoreNumericArray<int16_t>(*array, entry, [](const VArray& a, int32_t i) { return a.GetWord(i); });
      } else if (entry.type == kHostLongArray) {
        StoreNumericArray<int32_t>(*array, entry, [](const VArray& a, int32_t i) { return a.GetLong(i); });
      } else if (entry.type == kHostTextArray) {
        StoreTextArray(*array, entry);
      } else {
        StoreStringArray(*array, entry);
      }
      break;
    }
    default:
      break;
  }
}
