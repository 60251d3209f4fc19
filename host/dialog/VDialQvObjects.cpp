// A dialog's form objects, read and written by name through the host. Every
// call takes a cleared block, so that what the host does not write reads as
// zero; the getters answer 0, or empty, when the host reports an error.
#include <climits>
#include <cstring>

#include "framework/core/containers/VStringArray.h"
#include "framework/core/values/VValue.h"
#include "framework/system/resources/VResourceFile.h"
#include "host/callback/HostCallback.h"
#include "boundary/HostServiceSelectors.h"
#include "host/context/HostPictures.h"
#include "host/context/HostText.h"
#include "host/context/HostVariables.h"
#include "host/dialog/VDialQv.h"
#include "boundary/HostRecords.h"
#include "platform/toolbox/TbxHandleLocker.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/toolbox/TbxResources.h"
#include "platform/toolbox/TbxWindows.h"

namespace {

// The largest text handle made for the host.
constexpr int32_t kTextHandleMax = 32000;

// A new handle with the string as Macintosh text, sized to it; 0 when it
// cannot be made.
uint32_t TextHandleOf(const VString& text) {
  HostTextRecord record{0, 0};
  StringToHostText(text, record);
  if (record.handle == 0) record.handle = Tbx::NewHandle(0);
  if (record.handle != 0 && Tbx::GetHandleSize(record.handle) > kTextHandleMax)
    Tbx::SetHandleSize(record.handle, kTextHandleMax);
  return record.handle;
}

// The handle's bytes as Macintosh text into the string.
void TextOfHandle(uint32_t handle, VString& text) {
  text.SetEmpty(false);
  if (handle == 0) return;
  const int32_t size = Tbx::GetHandleSize(handle);
  if (Tbx::MemError() != Tbx::noErr || size <= 0) return;
  HostTextRecord record{static_cast<int16_t>(size > kTextHandleMax ? kTextHandleMax : size), handle};
  HostTextToString(text, record);
}

void PutPascal(uint8_t* target, const VString& text, int32_t max) { StringToPText(text, target, max); }

void PutDate(HostParamBlock& block, const VValue& value) {
  VDateRec date;
  value.GetDate(date, kWholeValue);
  block.dateValue[0] = date.day;
  block.dateValue[1] = date.month;
  block.dateValue[2] = date.year;
}

uintptr_t FlagWord(bool flag) { return flag ? kHostStructureOption : 0; }

}  // namespace

void VDialQv::FormBlock(HostParamBlock& block, const char* name) const {
  std::memset(&block, 0, sizeof block);
  block.param1 = fFormRef;
  if (name == nullptr) return;
  const size_t n = strnlen(name, kFormObjectNameMax);
  std::memcpy(block.text2, name, n);
  block.text2[n] = 0;
}

template <typename Fill>
void VDialQv::ChangeObject(const char* name, int32_t selector, Fill fill) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  fill(block);
  CallForm(selector, block);
}

// ---- Values

int32_t VDialQv::HostFormGetLong(const char* name) {
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGetLong, block);
  return block.error == 0 ? HostWordOf(block.longValue) : 0;
}

void VDialQv::HostFormSetLong(const char* name, int32_t value) {
  ChangeObject(name, kFormSelSetLong, [&](HostParamBlock& block) {
    block.longValue = static_cast<uint32_t>(value);
  });
}

double VDialQv::HostFormGetReal(const char* name) {
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGetReal, block);
  return block.error == 0 ? block.realValue : 0;
}

void VDialQv::HostFormSetReal(const char* name, double value) {
  ChangeObject(name, kFormSelSetReal, [&](HostParamBlock& block) {
    block.realValue = value;
  });
}

void VDialQv::HostFormGetText(const char* name, VString& text) {
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGetText, block);
  text.SetEmpty(false);
  if (block.error == 0) PTextToString(block.text, text);
}

void VDialQv::HostFormSetText(const char* name, const VString& text) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  PutPascal(block.text, text, 255);
  CallForm(kFormSelSetText, block);
}

void VDialQv::HostFormSetTextFromCString(const char* name, const char* text) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  const size_t n = text != nullptr ? strnlen(text, 255) : 0;
  block.text[0] = static_cast<uint8_t>(n);
  if (n > 0) std::memcpy(block.text + 1, text, n);
  CallForm(kFormSelSetText, block);
}

void VDialQv::HostFormClearText(const char* name) {
  ChangeObject(name, kFormSelSetText, [](HostParamBlock&) {});
}

void VDialQv::HostFormSetText80(const char* name, const VString& text) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  PutPascal(block.text, text, 80);
  CallForm(kFormSelSetText80, block);
}

void VDialQv::HostFormSetFormat(const char* name, const VString& format) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  PutPascal(block.text, format, 255);
  CallForm(kFormSelSetFormat, block);
}

void VDialQv::HostFormGetTextHandle(const char* name, VString& text) {
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGetTextHandle, block);
  const auto handle = static_cast<uint32_t>(block.handle);
  if (block.error == 0) {
    TextOfHandle(handle, text);
  } else {
    text.SetEmpty(false);
  }
  if (handle != 0) Tbx::DisposeHandle(handle);
}

void VDialQv::HostFormSetTextHandle(const char* name, const VString& text) {
  HostFormBeginChanges();
  const uint32_t handle = TextHandleOf(text);
  if (handle == 0) return;
  HostParamBlock block;
  FormBlock(block, name);
  block.handle = handle;
  CallForm(kFormSelSetTextHandle, block);
}

void VDialQv::HostFormClearTextHandle(const char* name) {
  ChangeObject(name, kFormSelSetTextHandle, [](HostParamBlock&) {});
}

VValue* VDialQv::HostFormCall205(const char* name) {
  HostVariableEntry entry;
  std::memset(&entry, 0, sizeof entry);
  entry.type = kHostUndefined;
  HostParamBlock block;
  FormBlock(block, name);
  block.handle = HostAddress(&entry);
  CallForm(kFormSelGetEntry, block);
  if (block.error != 0) return nullptr;
  return HostVariableToValue(entry, true);
}

void VDialQv::HostFormCall230(const char* name, const VValue& date) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  PutDate(block, date);
  CallForm(kFormSelSetDate, block);
}

// ---- Ranges

void VDialQv::SetRange(int32_t selector, const char* name, int32_t kind, double real, const VValue* date,
                       bool begin) {
  if (begin) HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(kind);
  if (kind == kFormRangeReal) block.realValue = real;
  if (kind == kFormRangeDate && date != nullptr) PutDate(block, *date);
  CallForm(selector, block);
}

void VDialQv::HostFormSetMinimumReal(const char* name, double value) {
  SetRange(kFormSelSetMinimum, name, kFormRangeReal, value, nullptr, true);
}
void VDialQv::HostFormSetMaximumReal(const char* name, double value) {
  SetRange(kFormSelSetMaximum, name, kFormRangeReal, value, nullptr, true);
}
void VDialQv::HostFormSetMinimumValue(const char* name, const VValue& date) {
  SetRange(kFormSelSetMinimum, name, kFormRangeDate, 0, &date, true);
}
void VDialQv::HostFormSetMaximumValue(const char* name, const VValue& date) {
  SetRange(kFormSelSetMaximum, name, kFormRangeDate, 0, &date, true);
}
void VDialQv::HostFormClearMinimum(const char* name) {
  SetRange(kFormSelSetMinimum, name, kFormRangeNone, 0, nullptr, true);
}
void VDialQv::HostFormClearMaximum(const char* name) {
  SetRange(kFormSelSetMaximum, name, kFormRangeNone, 0, nullptr, true);
}
void VDialQv::HostFormClearMinimumNoBegin(const char* name) {
  SetRange(kFormSelSetMinimum, name, kFormRangeNone, 0, nullptr, false);
}
void VDialQv::HostFormClearMaximumNoBegin(const char* name) {
  SetRange(kFormSelSetMaximum, name, kFormRangeNone, 0, nullptr, false);
}

// ---- Lists

void VDialQv::HostFormClearList(const char* name) {
  ChangeObject(name, kFormSelClearList, [](HostParamBlock&) {});
}

void VDialQv::HostFormSetListText(const char* name, int16_t index, const VString& text) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  PutPascal(block.text, text, 255);
  CallForm(kFormSelSetListText, block);
}

void VDialQv::HostFormSetListTextFromCString(const char* name, int16_t index, const char* text) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  const size_t n = text != nullptr ? strnlen(text, 255) : 0;
  block.text[0] = static_cast<uint8_t>(n);
  if (n > 0) std::memcpy(block.text + 1, text, n);
  CallForm(kFormSelSetListText, block);
}

void VDialQv::SetListItems(const char* name, const VStringArray& strings) {
  HostFormClearList(name);
  for (int32_t i = 1; i <= strings.Count(); ++i) {
    VStr<255> item;
    strings.FormatTo(item, nullptr, i);
    HostFormSetListText(name, static_cast<int16_t>(i), item);
  }
}

void VDialQv::HostFormFillListFromResource(const char* name, uint32_t type, int16_t id) {
  ChangeObject(name, kFormSelFillFromResource, [&](HostParamBlock& block) {
    block.param2 = type;
    block.param3 = static_cast<uint16_t>(id);
  });
}

void VDialQv::HostFormGetListText(const char* name, int16_t index, VString& text) {
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  CallForm(kFormSelGetListText, block);
  text.SetEmpty(false);
  if (block.error == 0) PTextToString(block.text, text);
}

int32_t VDialQv::HostFormGetListLong(const char* name, int16_t index) {
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  CallForm(kFormSelGetListLong, block);
  return block.error == 0 ? HostWordOf(block.param3) : 0;
}

double VDialQv::HostFormGetListReal(const char* name, int16_t index) {
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  CallForm(kFormSelGetListReal, block);
  return block.error == 0 ? block.realValue : 0;
}

int32_t VDialQv::HostFormGetListSelection(const char* name) {
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGetListSelection, block);
  return block.error == 0 ? HostWordOf(block.param2) : 0;
}

void VDialQv::HostFormSetListRange(const char* name, int32_t first, int32_t last) {
  ChangeObject(name, kFormSelSetListRange, [&](HostParamBlock& block) {
    block.param2 = HostWord(first);
    block.param3 = HostWord(last);
  });
}

void VDialQv::HostFormSetListFromHandle(const char* name, int16_t index, const VString& text) {
  HostFormBeginChanges();
  const uint32_t handle = TextHandleOf(text);
  if (handle == 0) return;
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  block.handle = handle;
  CallForm(kFormSelSetListHandle, block);
  Tbx::DisposeHandle(handle);
}

void VDialQv::HostFormSetListHandles(const char* name, const VStringArray& strings) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelClearHandles, block);
  for (int32_t i = 1; i <= strings.Count(); ++i) {
    VStrInHandle item;
    strings.FormatTo(item, nullptr, i);
    HostFormSetListFromHandle(name, static_cast<int16_t>(i), item);
  }
}

void VDialQv::HostFormGetListHandle(const char* name, int16_t index, VString& text) {
  HostFormBeginChanges();
  const uint32_t handle = Tbx::NewHandle(0);
  text.SetEmpty(false);
  if (handle == 0) return;
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostWord(index);
  block.handle = handle;
  CallForm(kFormSelGetListHandle, block);
  if (block.error == 0) TextOfHandle(handle, text);
  Tbx::DisposeHandle(handle);
}

// ---- State and geometry

void VDialQv::HostFormEnableObject(const char* name, bool enabled) {
  ChangeObject(name, kFormSelEnable, [&](HostParamBlock& block) {
    block.flag = enabled ? 1 : 0;
  });
}

void VDialQv::HostFormSetEnterable(const char* name, bool flag) {
  ChangeObject(name, kFormSelSetEnterable, [&](HostParamBlock& block) {
    block.flag = flag ? 1 : 0;
  });
}

void VDialQv::HostFormShowObject(const char* name, bool visible) {
  ChangeObject(name, kFormSelShowObject, [&](HostParamBlock& block) {
    block.param2 = visible ? 1 : 0;
  });
}

void VDialQv::HostFormSetCheckFlag(const char* name, uint8_t flag) {
  ChangeObject(name, kFormSelSetCheck, [&](HostParamBlock& block) {
    block.param2 = flag;
  });
}

void VDialQv::HostFormRedrawObject(const char* name) {
  if (!IsOpen()) return;
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelRedrawObject, block);
}

void VDialQv::HostFormGetObjectRect(const char* name, int32_t& left, int32_t& top, int32_t& width,
                                    int32_t& height) {
  int16_t rectangle[4] = {0, 0, 0, 0};  // top, left, bottom, right
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostAddress(rectangle);
  CallForm(kFormSelGetObjectRect, block);
  if (block.error != 0) std::memset(rectangle, 0, sizeof rectangle);
  left = rectangle[1];
  top = rectangle[0];
  width = rectangle[3] - rectangle[1];
  height = rectangle[2] - rectangle[0];
}

void VDialQv::HostFormSetObjectRect(const char* name, int32_t left, int32_t top, int32_t width, int32_t height) {
  int16_t rectangle[4] = {static_cast<int16_t>(top), static_cast<int16_t>(left), static_cast<int16_t>(top + height),
                          static_cast<int16_t>(left + width)};
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = HostAddress(rectangle);
  CallForm(kFormSelSetObjectRect, block);
}

// ---- Field references

void VDialQv::HostFormSetFieldRef(const char* name, int16_t table, int16_t field, uint32_t data, bool flag) {
  ChangeObject(name, kFormSelSetFieldRef, [&](HostParamBlock& block) {
    block.table = static_cast<uint16_t>(table);
    block.field = static_cast<uint16_t>(field);
    block.handle = data;
    block.param4 = FlagWord(flag);
  });
}

void VDialQv::HostFormGetFieldRef(const char* name, int16_t& table, int16_t& field, uint32_t& data, bool flag) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  block.param4 = FlagWord(flag);
  CallForm(kFormSelGetFieldRef, block);
  const bool ok = block.error == 0;
  table = ok ? static_cast<int16_t>(block.table) : 0;
  field = ok ? static_cast<int16_t>(block.field) : 0;
  data = ok ? static_cast<uint32_t>(block.handle) : 0;
}

// ---- Run-time objects

void VDialQv::HostFormReplaceObject(const char* name, int16_t a, uintptr_t b, uint8_t c, uint8_t d, uint8_t e,
                                    bool f, bool g) {
  const std::string key(name != nullptr ? name : "", name != nullptr ? strnlen(name, kFormObjectNameMax) : 0);
  for (auto it = fCreatedObjects.begin(); it != fCreatedObjects.end(); ++it) {
    if (*it != key) continue;
    HostParamBlock block;
    FormBlock(block, key.c_str());
    CallForm(kFormSelDeleteObject, block);
    fCreatedObjects.erase(it);
    break;
  }
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, key.c_str());
  block.table = static_cast<uint16_t>(a);
  block.field = d;
  block.flag = c;
  block.flag2 = e;
  block.param2 = b;
  block.param3 = f ? 1 : 0;
  block.param4 = FlagWord(g);
  CallForm(kFormSelNewObject, block);
  fCreatedObjects.push_back(key);
}

// ---- The form

int16_t VDialQv::HostFormGetPage() {
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelGetPage, block);
  return block.error == 0 ? static_cast<int16_t>(block.param2) : 0;
}

void VDialQv::HostFormSelectPage(int16_t page) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  block.param2 = HostWord(page);
  CallForm(kFormSelSelectPage, block);
}

void VDialQv::HostFormSetOwner(uintptr_t value) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  block.param2 = value;
  CallForm(kFormSelSetOwner, block);
}

uintptr_t VDialQv::HostFormGetOwner() {
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelGetOwner, block);
  return block.error == 0 ? block.param2 : 0;
}

void VDialQv::HostFormGetTitle(VString& title) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelGetTitle, block);
  title.SetEmpty(false);
  if (block.error == 0) PTextToString(block.text, title);
}

void VDialQv::HostFormSetWindowSize(int32_t width, int32_t height) {
  if (fWindow == nullptr) return;
  int32_t currentWidth = 0, currentHeight = 0;
  Tbx::GetWindowBounds(fWindow, nullptr, nullptr, &currentWidth, &currentHeight);
  HostParamBlock block;
  FormBlock(block, nullptr);
  block.param2 = HostWord(width == -1 ? currentWidth : width);
  block.param3 = HostWord(height == -1 ? currentHeight : height);
  CallForm(kFormSelSetWindowSize, block);
}

// ---- Pictures

void VDialQv::HostFormSetPictureHandle(const char* name, uint32_t handle, int32_t size) {
  HostFormBeginChanges();
  if (handle != 0) {
    if (size < 0 || size > Tbx::GetHandleSize(handle)) return;
    Tbx::SetHandleSize(handle, size + 6);
    if (Tbx::GetHandleSize(handle) != size + 6) return;
    Tbx::HandleLocker data(handle);
    if (data) std::memset(data.As<uint8_t>() + size, 0, 6);
  }
  HostParamBlock block;
  FormBlock(block, name);
  block.handle = handle;
  CallForm(kFormSelSetPicture, block);
}

void VDialQv::SetItemPictureFromHandle(const char* name, uint32_t pictHandle) {
  if (pictHandle == 0) return;
  const int32_t size = Tbx::GetHandleSize(pictHandle);
  if (Tbx::MemError() != Tbx::noErr || size <= 0) return;
  const uint32_t copy = Tbx::NewHandle(size);
  if (copy == 0) return;
  {
    Tbx::HandleLocker from(pictHandle);
    Tbx::HandleLocker to(copy);
    if (from && to) std::memcpy(to.As<uint8_t>(), from.As<uint8_t>(), static_cast<size_t>(size));
  }
  HostFormSetPictureHandle(name, copy, size);
}

void VDialQv::SetItemPictureResource(const char* name, VResourceFile* file, int16_t id) {
  if (file == nullptr) return;
  uint8_t owned = 0;
  const VResourceRef ref = file->GetResource(FourCC("PICT"), id, &owned);
  if (ref == 0) return;
  const uint32_t size = file->GetResourceSize(ref);
  const void* data = size > 0 && size <= INT32_MAX ? file->LockResource(ref) : nullptr;
  const uint32_t copy = data != nullptr ? Tbx::NewHandle(static_cast<int32_t>(size)) : 0;
  if (copy != 0) {
    Tbx::HandleLocker to(copy);
    if (to) std::memcpy(to.As<uint8_t>(), data, size);
  }
  if (data != nullptr) file->UnlockResource(ref);
  if (owned != 0) file->ReleaseResource(ref);
  if (copy != 0) HostFormSetPictureHandle(name, copy, static_cast<int32_t>(size));
}

void VDialQv::SetItemPicture(const char* name, const VValue* picture) {
  if (picture == nullptr) return;
  const uint32_t handle = HostPictHandleOfValue(*picture);
  if (handle == 0) return;
  HostFormSetPictureHandle(name, handle, Tbx::GetHandleSize(handle));
}

void VDialQv::ClearItemPicture(const char* name) { HostFormSetPictureHandle(name, 0, 0); }

// ---- Further object and form calls

namespace {

// The object block with the two parameters most of these calls take.
void Params(HostParamBlock& block, uintptr_t at276, uintptr_t at280) {
  block.param2 = at276;
  block.param3 = at280;
}

}  // namespace

void VDialQv::HostFormCall239(const char* name) {
  ChangeObject(name, kFormSelListCall239, [](HostParamBlock&) {});
}

void VDialQv::HostFormListCall240(const char* name, int16_t index, int32_t value) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  Params(block, HostWord(index), HostWord(value));
  CallForm(kFormSelListCall240, block);
}

void VDialQv::HostFormListCall239(const char* name, const int32_t* values, int32_t count) {
  HostFormCall239(name);
  for (int32_t i = 1; values != nullptr && i <= count; ++i)
    HostFormListCall240(name, static_cast<int16_t>(i), values[i - 1]);
}

void VDialQv::HostFormListCall327(const char* name) {
  ChangeObject(name, kFormSelListCall327, [](HostParamBlock&) {});
}

void VDialQv::HostFormListCall328(const char* name, int16_t index, double value) {
  ChangeObject(name, kFormSelListCall328, [&](HostParamBlock& block) {
    block.param2 = HostWord(index);
    block.realValue = value;
  });
}

void VDialQv::HostFormListExchange(const char* name, const double* values, int32_t count) {
  HostFormListCall327(name);
  for (int32_t i = 1; values != nullptr && i <= count; ++i) {
    HostParamBlock block;
    FormBlock(block, name);
    block.realValue = values[i - 1];
    CallForm(kFormSelListCall328, block);
  }
}

void VDialQv::HostFormCall331(const char* name) {
  ChangeObject(name, kFormSelClearHandles, [](HostParamBlock&) {});
}

void VDialQv::HostFormFillTableList(const char* name, bool flag) {
  ChangeObject(name, kFormSelFillTableList, [&](HostParamBlock& block) {
    block.param4 = FlagWord(flag);
  });
}

void VDialQv::HostFormCall225(const char* name, int16_t table, uint32_t value, bool flag) {
  ChangeObject(name, kFormSelCall225, [&](HostParamBlock& block) {
    block.table = static_cast<uint16_t>(table);
    block.param2 = value;
    block.param4 = FlagWord(flag);
  });
}

void VDialQv::HostFormCall241(const char* name, uint32_t data, uint32_t value) {
  ChangeObject(name, kFormSelCall241, [&](HostParamBlock& block) {
    block.handle = data;
    block.param2 = value;
  });
}

void VDialQv::HostFormShowObjectPair(const char* name, bool visible) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = visible ? 1 : 0;
  CallForm(kFormSelShowObjectFirst, block);
  CallForm(kFormSelShowObject, block);
}

void VDialQv::HostFormCall244(const char* name) {
  ChangeObject(name, kFormSelCall244, [](HostParamBlock&) {});
}

void VDialQv::HostFormCall245(const char* name) {
  ChangeObject(name, kFormSelCall245, [](HostParamBlock&) {});
}

void VDialQv::HostFormCall416(const char* name) {
  ChangeObject(name, kFormSelCall416, [](HostParamBlock&) {});
}

void VDialQv::HostFormCall428(const char* name, uint32_t a, uint32_t b) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  Params(block, a, b);
  CallForm(kFormSelCall428, block);
}

void VDialQv::HostFormCall406(const char* name, uint32_t a, uint32_t b) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  Params(block, a, b);
  CallForm(kFormSelCall406, block);
}

void VDialQv::HostFormCall247(const char* name, int16_t a, uint32_t data) {
  ChangeObject(name, kFormSelCall247, [&](HostParamBlock& block) {
    block.param2 = HostWord(a);
    block.handle = data;
  });
}

void VDialQv::HostFormSetData246(const char* name, uint32_t a, const void* data, int32_t size) {
  HostFormBeginChanges();
  if (size < 0 || (size > 0 && data == nullptr)) return;
  const uint32_t handle = Tbx::NewHandle(size);
  if (handle == 0) return;
  if (size > 0) {
    Tbx::HandleLocker to(handle);
    if (to) std::memcpy(to.As<uint8_t>(), data, static_cast<size_t>(size));
  }
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = a;
  block.handle = handle;
  CallForm(kFormSelSetData246, block);
}

uint32_t VDialQv::HostFormCall516(const char* name, uint32_t a, const VString& text) {
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = a;
  StringToPText(text, block.text, 255);
  CallForm(kFormSelCall516, block);
  return block.error == 0 ? static_cast<uint32_t>(block.param2) : 0;
}

uint32_t VDialQv::HostFormGet517(const char* name) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGet517, block);
  return block.error == 0 ? static_cast<uint32_t>(block.param2) : 0;
}

uint32_t VDialQv::HostFormGet528(const char* name) {
  HostFormBeginChanges();
  HostParamBlock block;
  FormBlock(block, name);
  CallForm(kFormSelGet528, block);
  return block.error == 0 ? static_cast<uint32_t>(block.param2) : 0;
}

void VDialQv::HostFormSet529(const char* name, uint32_t value) {
  ChangeObject(name, kFormSelSet529, [&](HostParamBlock& block) {
    block.param2 = value;
  });
}

uint32_t VDialQv::HostFormCall398(const char* name, uint32_t a, uint32_t b) {
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = a;
  block.longValue = b;
  CallForm(kFormSelCall398, block);
  return block.error == 0 ? static_cast<uint32_t>(block.param2) : 0;
}

uint32_t VDialQv::HostFormCall399(const char* name, uint32_t a, double value) {
  HostParamBlock block;
  FormBlock(block, name);
  block.param2 = a;
  block.realValue = value;
  CallForm(kFormSelCall399, block);
  return block.error == 0 ? static_cast<uint32_t>(block.param2) : 0;
}

void VDialQv::HostFormSetDrawCallback(const char* name, uintptr_t callback, bool flag) {
  HostParamBlock block;
  FormBlock(block, name);
  block.longValue = 0;
  block.handle = flag ? 1 : 0;
  block.param2 = flag ? kFormDrawCallbackFlag : 0;
  // The routine is an address, too wide for the 32-bit field at +304: it
  // goes in the pointer-sized field at +280, which this selector leaves free.
  block.param3 = callback != 0 ? callback : reinterpret_cast<uintptr_t>(&VDialQv::UserAreaCallback);
  CallForm(kFormSelDrawCallback, block);
}

uint32_t VDialQv::HostFormGetValue215() {
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelGetValue215, block);
  return block.error == 0 ? static_cast<uint32_t>(block.param2) : 0;
}

void VDialQv::HostFormSetValue216(uint32_t value) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  block.param2 = value;
  CallForm(kFormSelSetValue216, block);
}

void VDialQv::HostFormSetFlag394(uint8_t flag) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  block.param2 = flag;
  CallForm(kFormSelSetFlag394, block);
}

void VDialQv::HostFormSetFlag395(uint8_t flag) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  block.param2 = flag;
  CallForm(kFormSelSetFlag395, block);
}

void VDialQv::HostFormGetRect(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelGetRect396, block);
  const bool ok = block.error == 0;
  a = ok ? static_cast<uint32_t>(block.param1) : 0;
  b = ok ? static_cast<uint32_t>(block.param2) : 0;
  c = ok ? static_cast<uint32_t>(block.param3) : 0;
  d = ok ? static_cast<uint32_t>(block.param4) : 0;
}

void VDialQv::HostFormCall409(uint32_t a, uint32_t b) {
  HostParamBlock block;
  FormBlock(block, nullptr);
  Params(block, a, b);
  CallForm(kFormSelCall409, block);
}

uint32_t VDialQv::HostFormGetData515() {
  HostParamBlock block;
  FormBlock(block, nullptr);
  CallForm(kFormSelGetData515, block);
  return block.error == 0 ? static_cast<uint32_t>(block.handle) : 0;
}
