// Wrappers of the structure, record and field-value services: one fresh
// block per call, on the stack.
#include "host/context/HostStructure.h"

#include <cstring>

#include "boundary/HostSelectors.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/strings/VString.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VBoolean.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/core/values/VLong.h"
#include "framework/core/values/VReal.h"
#include "framework/core/values/VWord.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostServices.h"
#include "host/context/HostPictures.h"
#include "host/context/HostText.h"
#include "host/context/HostVariables.h"
#include "host/values/VHostValues.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

uintptr_t OptionWord(bool option) { return option ? kHostStructureOption : 0; }

// A block for a table (and field) with the option, the error preset to a
// failure so that a host that writes nothing is not taken for a success.
HostParamBlock StructureBlock(uint16_t table, uint16_t field, bool option) {
  HostParamBlock block;
  block.table = table;
  block.field = field;
  block.param4 = OptionWord(option);
  block.error = -1;
  block.text[0] = 0;
  return block;
}

// The length-byte text of a name answer into the string.
void NameInto(const HostParamBlock& block, VString& name) {
  if (block.error != 0) {
    name.SetEmpty(false);
    return;
  }
  PTextToString(block.text, name);
}

// The host's wildcard character.
constexpr uint8_t kWildcard = 64;

}  // namespace

int16_t HostCountTables(bool option) {
  HostParamBlock block = StructureBlock(0, 0, option);
  block.param1 = 0;
  CallHost(kHostSelCountTables, block);
  return static_cast<int16_t>(HostWordOf(block.param1));
}

int16_t HostCountFields(uint16_t table, bool option) {
  HostParamBlock block = StructureBlock(table, 0, option);
  block.param1 = 0;
  CallHost(kHostSelCountFields, block);
  return static_cast<int16_t>(HostWordOf(block.param1));
}

void HostGetTableName(VString& name, uint16_t table, bool option) {
  HostParamBlock block = StructureBlock(table, 0, option);
  block.handle = 0;
  CallHost(kHostSelTableInfo, block);
  NameInto(block, name);
}

void HostGetFieldName(VString& name, uint16_t table, uint16_t field, bool option) {
  HostParamBlock block = StructureBlock(table, field, option);
  CallHost(kHostSelFieldInfo, block);
  NameInto(block, name);
}

void HostGetTableOrFieldName(VString& name, uint16_t table, uint16_t field, bool option) {
  VStr<255> tableName;
  VStr<255> fieldName;
  HostParamBlock block = StructureBlock(table, 0, option);
  block.handle = 0;
  CallHost(kHostSelTableInfo, block);
  if (block.error != 0) {
    name.SetEmpty(false);
    return;
  }
  PTextToString(block.text, tableName);
  HostParamBlock second = StructureBlock(table, field, option);
  CallHost(kHostSelFieldInfo, second);
  if (second.error != 0) {
    name.SetEmpty(false);
    return;
  }
  PTextToString(second.text, fieldName);
  name.SetEmpty(false);
  name.AppendUniChar(u'[');
  name.Insert(tableName, name.GetLength() + 1);
  name.AppendUniChar(u']');
  name.Insert(fieldName, name.GetLength() + 1);
}

bool HostTableTest(uint16_t table, bool option) {
  HostParamBlock block = StructureBlock(table, 0, option);
  block.handle = 0;
  block.param3 = 0;
  CallHost(kHostSelTableInfo, block);
  return block.error == 0 && HostWordOf(block.param3) != 0;
}

bool HostGetFieldFlagB(uint16_t table, uint16_t field, bool option) {
  HostParamBlock block = StructureBlock(table, field, option);
  CallHost(kHostSelFieldInfo, block);
  return block.error == 0 && (HostWordOf(block.param4) & 0x100) == 0;
}

bool HostGetFieldFlagA(uint16_t table, uint16_t field, bool option) {
  HostParamBlock block = StructureBlock(table, field, option);
  block.param3 = 0;
  CallHost(kHostSelFieldInfo, block);
  return block.error == 0 && HostWordOf(block.param3) != 0;
}

void HostGetFieldAttributes(uint16_t table, uint16_t field, uint16_t& a, uint16_t& b, uint32_t& c, bool option) {
  HostParamBlock block = StructureBlock(table, field, option);
  block.handle = 0;
  block.param1 = block.param2 = block.param3 = 0;
  CallHost(-131, block);
  const bool ok = block.error == 0;
  a = ok ? static_cast<uint16_t>(block.param1) : 0;
  b = ok ? static_cast<uint16_t>(block.param2) : 0;
  c = ok ? static_cast<uint32_t>(block.param3) : 0;
}

int16_t HostFieldNumbersFromReference(const VString& text, bool option) {
  VStr<255> reference;
  reference.AppendUniChar(u'[');
  reference.Insert(text, 2);
  int16_t table = 0, field = 0;
  HostGetFieldNumbers(reference, table, field, option);
  return table;
}

int32_t HostTableCount51(uint16_t table) {
  HostParamBlock block = StructureBlock(table, 0, false);
  block.param1 = 0;
  CallHost(-51, block);
  return block.error == 0 ? HostWordOf(block.param1) + 1 : 0;
}

void HostTableCall(int32_t selector, uint16_t table) {
  HostParamBlock block;
  block.table = table;
  CallHost(selector, block);
}

void HostTableFlagsCall(int32_t selector, uint16_t table, uint8_t a, uint8_t b) {
  HostParamBlock block;
  block.table = table;
  block.flag = a;
  block.flag2 = b;
  CallHost(selector, block);
}

void HostTableFieldCall413(uint16_t table, uint16_t field) {
  HostParamBlock block;
  block.table = table;
  block.field = field;
  CallHost(-413, block);
}

uint8_t HostTableFieldTest412(uint16_t table, uint16_t field) {
  HostParamBlock block;
  block.table = table;
  block.field = field;
  block.flag = 0;
  CallHost(-412, block);
  return block.flag;
}

uint32_t HostFieldRefCall344(uint16_t table, uint16_t field, uint32_t handle, bool option) {
  HostParamBlock block = StructureBlock(table, field, option);
  block.handle = handle;
  block.longValue = 0;
  CallHost(-344, block);
  return static_cast<uint32_t>(block.longValue);
}

void HostFieldRefCall345(uint32_t ref, int16_t& table, int16_t& field, uint32_t& handle, bool option) {
  HostParamBlock block = StructureBlock(0, 0, option);
  block.longValue = ref;
  block.handle = 0;
  CallHost(-345, block);
  table = static_cast<int16_t>(block.table);
  field = static_cast<int16_t>(block.field);
  handle = static_cast<uint32_t>(block.handle);
}

void HostGetFieldNumbers(const VString& reference, int16_t& table, int16_t& field, bool option) {
  table = 0;
  field = 0;
  HostParamBlock block = StructureBlock(0, 0, option);
  StringToPText(reference, block.text, 80);
  CallHost(kHostSelFieldNumbers, block);
  if (block.error != 0) return;
  table = static_cast<int16_t>(block.table);
  field = static_cast<int16_t>(block.field);
}

void HostFieldAtPoint(int32_t x, int32_t y, int16_t& table, int16_t& field, bool option) {
  const bool known = table >= 1 && table <= HostCountTables(option);
  HostParamBlock block = StructureBlock(known ? static_cast<uint16_t>(table) : 0, 0, option);
  block.param1 = HostWord(x);
  block.param2 = HostWord(y);
  CallHost(known ? kHostSelFieldAtPointInTable : kHostSelFieldAtPoint, block);
  table = static_cast<int16_t>(block.table);
  field = static_cast<int16_t>(block.field);
}

uint32_t HostGetRecordCount(uint16_t table) {
  HostParamBlock block;
  block.table = table;
  block.param1 = 0;
  CallHost(kHostSelRecordCount, block);
  return static_cast<uint32_t>(block.param1);
}

int16_t HostGotoRecord(uint16_t table, uint32_t number, uint8_t a, uint8_t b) {
  HostParamBlock block;
  block.table = table;
  block.record = number - 1;
  block.flag = a;
  block.flag2 = b;
  block.error = -1;
  CallHost(kHostSelGotoRecord, block);
  return block.error;
}

void HostQueryTable(uint16_t table) {
  HostParamBlock block;
  block.table = table;
  block.option = 0;
  CallHost(kHostSelQueryTable, block);
}

void HostSortTable(uint16_t table) {
  HostParamBlock block;
  block.table = table;
  block.option = 0;
  CallHost(kHostSelSortTable, block);
}

namespace {

// -301, then the second selector with the same block when there is a
// current field. `skippedIsTrue`: the -383 form, which counts no current
// field as success.
bool CurrentFieldCall(int32_t second, bool skippedIsTrue, int16_t& table, int16_t& field) {
  HostParamBlock block;
  block.param1 = 0;
  block.error = skippedIsTrue ? 0 : -1;
  CallHost(kHostSelCurrentField, block);
  if (skippedIsTrue) block.error = 0;
  if (HostWordOf(block.param1) == 0) return block.error == 0;
  block.table = static_cast<uint16_t>(table);
  block.field = static_cast<uint16_t>(field);
  block.error = -1;
  CallHost(second, block);
  if (block.error != 0) return false;
  table = static_cast<int16_t>(block.table);
  field = static_cast<int16_t>(block.field);
  return true;
}

}  // namespace

bool HostCurrentFieldCall302(int16_t& table) {
  int16_t field = 0;
  return CurrentFieldCall(-302, false, table, field);
}

bool HostCurrentFieldCall382(int16_t& table) {
  int16_t field = 0;
  return CurrentFieldCall(-382, true, table, field);
}

bool HostCurrentFieldCall303(int16_t& table, int16_t& field) {
  return CurrentFieldCall(kHostSelCurrentField303, false, table, field);
}

bool HostCurrentFieldCall383(int16_t& table, int16_t& field) {
  return CurrentFieldCall(kHostSelCurrentField383, true, table, field);
}

int32_t HostCompareOrSort60(const uint8_t* textA, int32_t lengthA, const uint8_t* textB, int32_t lengthB) {
  const bool swapped = lengthA > 0 && textA != nullptr &&
                       std::memchr(textA, kWildcard, static_cast<size_t>(lengthA)) != nullptr;
  HostParamBlock block;
  block.param1 = HostAddress(swapped ? textB : textA);
  block.param2 = HostAddress(swapped ? textA : textB);
  block.param3 = HostWord(swapped ? lengthB : lengthA);
  block.param4 = HostWord(swapped ? lengthA : lengthB);
  CallHost(kHostSelCompareTexts, block);
  const int32_t answer = HostWordOf(block.param1);
  if (answer == 0) return 0;
  return (answer == 1) != swapped ? 1 : -1;
}

// ---- Field values

namespace {

// Clears the value fields so that a host that writes nothing leaves zeros.
void ClearValueFields(HostParamBlock& block) {
  block.param1 = 0;
  block.realValue = 0;
  std::memset(block.dateValue, 0, sizeof block.dateValue);
  block.longValue = 0;
  block.shortValue = 0;
  block.text2[0] = 0;
  block.textLength = 0;
  block.valueHandle = 0;
}

}  // namespace

VValue* HostGetFieldAsValue(uint16_t table, uint16_t field, bool option) {
  HostParamBlock block = StructureBlock(table, field, option);
  ClearValueFields(block);
  CallHost(kHostSelGetField, block);
  // A handle the host answered is ours whatever happens to the value.
  const uint32_t handle = block.valueHandle;
  const int32_t type = HostWordOf(block.param1);
  const bool carriesHandle = type == kHostFieldText || type == kHostFieldPicture || type == kHostFieldBlob;
  VValue* value = nullptr;
  if (block.error == 0) {
    switch (type) {
      case kHostAlpha:
      case kHostString: {
        auto* text = new VStr<255>;
        if (block.text2[0] > 80) block.text2[0] = 80;
        PTextToString(block.text2, *text);
        value = text;
        break;
      }
      case kHostReal:
        value = new VReal(block.realValue);
        break;
      case kHostText: {
        auto* text = new VStrInHandle;
        HostTextRecord record{block.textLength, handle};
        if (handle != 0 && block.textLength > 0) HostTextToString(*text, record);
        value = text;
        break;
      }
      case kHostDate:
        value = new VDate(block.dateValue[0], block.dateValue[1], block.dateValue[2]);
        break;
      case kHostBoolean:
        value = new VBoolean(static_cast<uint8_t>(block.shortValue & 0xFF));
        break;
      case kHostInteger:
        value = new VWord(static_cast<int16_t>(block.shortValue));
        break;
      case kHostLongInteger:
        value = new VLong(HostWordOf(block.longValue));
        break;
      case kHostTime:
        value = new VHour(HostWordOf(block.longValue));
        break;
      case kHostFieldBlob:
        if (handle != 0) {
          const int32_t size = Tbx::GetHandleSize(handle);
          if (Tbx::MemError() == Tbx::noErr && size > 0) {
            value = new VHandleValue(Tbx::HLock(handle), static_cast<uint32_t>(size));
            Tbx::HUnlock(handle);
          }
        }
        break;
      case kHostFieldPicture:
        // The host's metafile of the picture; the handle stays ours.
        value = HostPictureToMetafileValue(handle);
        break;
      default:
        break;
    }
  }
  if (carriesHandle && handle != 0) Tbx::DisposeHandle(handle);
  return value;
}

bool HostSetFieldFromValue(const VValue& value, uint16_t table, uint16_t field, bool option) {
  const int16_t type = HostGetFieldType(table, field, option);
  switch (type) {
    case kHostAlpha:
    case kHostReal:
    case kHostText:
    case kHostDate:
    case kHostBoolean:
    case kHostInteger:
    case kHostLongInteger:
    case kHostTime:
      if (!value.IsSingle() || value.IsMultiple()) return false;
      break;
    case kHostFieldPicture:
      break;
    default:
      return false;
  }
  HostParamBlock block = StructureBlock(table, field, option);
  ClearValueFields(block);
  block.param1 = HostWord(type);
  switch (type) {
    case kHostAlpha: {
      VStr<255> text;
      value.FormatTo(text, nullptr, kWholeValue);
      StringToPText(text, block.text2, 80);
      break;
    }
    case kHostText: {
      VStrInHandle text;
      value.FormatTo(text, nullptr, kWholeValue);
      HostTextRecord record{0, 0};
      StringToHostText(text, record);
      if (record.handle == 0) record.handle = Tbx::NewHandle(0);
      if (record.handle == 0) return false;
      block.valueHandle = record.handle;
      block.textLength = static_cast<int16_t>(Tbx::GetHandleSize(record.handle));
      break;
    }
    case kHostReal:
      block.realValue = value.GetReal(kWholeValue);
      break;
    case kHostDate: {
      VDateRec date;
      value.GetDate(date, kWholeValue);
      block.dateValue[0] = date.day;
      block.dateValue[1] = date.month;
      block.dateValue[2] = date.year;
      break;
    }
    case kHostBoolean:
      block.shortValue = value.GetBoolean(kWholeValue) ? 1 : 0;
      break;
    case kHostInteger:
      block.shortValue = static_cast<uint16_t>(value.GetWord(kWholeValue));
      break;
    case kHostLongInteger:
      block.longValue = static_cast<uint32_t>(value.GetLong(kWholeValue));
      break;
    case kHostTime:
      block.longValue = static_cast<uint32_t>(value.GetTime(kWholeValue));
      break;
    case kHostFieldPicture: {
      // The Macintosh picture with the host's 6 bytes after it. A value that
      // gives none is not sent: an empty picture would wipe the field.
      const uint32_t picture = HostMacPictureOfValue(value);
      if (picture == 0) return false;
      block.valueHandle = picture;
      block.textLength = static_cast<int16_t>(Tbx::GetHandleSize(picture) & 0xFFFF);
      break;
    }
  }
  CallHost(kHostSelSetField, block);
  // A text or picture handle the host refused stays ours.
  if (block.error != 0 && (type == kHostText || type == kHostFieldPicture) && block.valueHandle != 0)
    Tbx::DisposeHandle(block.valueHandle);
  return block.error == 0;
}

void HostVariableOp306(const VString& name, int32_t scope) {
  HostParamBlock block;
  const int32_t resolved = ClassifyVariableName(block.text, name, scope);
  if (resolved == kScopeLocal) return;
  block.param1 = resolved == kScopeInterprocess ? 1 : 0;
  CallHost(kHostSelVariableOp306, block);
}
