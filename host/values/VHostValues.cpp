#include "host/values/VHostValues.h"

#include <cstring>

#include "boundary/HostRecords.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/HostText.h"
#include "platform/toolbox/TbxHandles.h"

// ---- VHandleValue

VHandleValue::VHandleValue(const void* data, uint32_t size) : fSize(size) {
  fHandle = gMemoryMgr->NewHandle(size, 0);
  if (fHandle == 0 || size == 0 || data == nullptr) return;
  std::memcpy(gMemoryMgr->LockHandle(fHandle), data, size);
  gMemoryMgr->UnlockHandle(fHandle);
}

VHandleValue::~VHandleValue() {
  if (fHandle != 0) gMemoryMgr->DisposeHandle(fHandle);
}

VValue* VHandleValue::Clone() const {
  if (fHandle == 0) return new VHandleValue;
  auto* copy = new VHandleValue(Lock(), fSize);
  Unlock();
  return copy;
}

const uint8_t* VHandleValue::Lock() const {
  if (fHandle == 0) return nullptr;
  return static_cast<const uint8_t*>(gMemoryMgr->LockHandle(fHandle));
}

void VHandleValue::Unlock() const {
  if (fHandle != 0) gMemoryMgr->UnlockHandle(fHandle);
}

// ---- VHostRecordValue

namespace {

constexpr uint32_t kRecordFieldOffset = 2;
constexpr uint32_t kRecordTableOffset = 4;
constexpr uint32_t kRecordClearedOffset = 6;
// The Macintosh lozenge, in front of the name of an interprocess variable.
constexpr uint8_t kMacLozenge = 0xD7;
constexpr int32_t kRecordNameMax = 80;

}  // namespace

VHostRecordValue::VHostRecordValue() = default;

VHostRecordValue::VHostRecordValue(int16_t table) { SetNumbers(table, 0); }

VHostRecordValue::VHostRecordValue(int16_t table, int16_t field) { SetNumbers(table, field); }

VHostRecordValue::VHostRecordValue(const uint8_t record[kHostRecordSize]) {
  std::memcpy(fRecord, record, kHostRecordSize);
}

VHostRecordValue::VHostRecordValue(const VHostRecordValue& other) : VValueSingle() {
  std::memcpy(fRecord, other.fRecord, kHostRecordSize);
  fNull = other.fNull;
}

VHostRecordValue::~VHostRecordValue() = default;

VHostRecordValue::VHostRecordValue(const VString& name, int32_t index, int32_t scope) {
  // The name as the host reads it: the lozenge for an interprocess
  // variable, the name, then "{index}"; at most 80 characters in all.
  VStr<255> full;
  full.CopyText(name);
  if (index >= 0) {
    VStr<15> number;
    number.SetLong(index, kWholeValue);
    full.AppendUniChar(u'{');
    full.CopyText(number);
    full.AppendUniChar(u'}');
  }
  HostParamBlock block;
  const int32_t prefix = scope == 2 ? 1 : 0;
  StringToPText(full, block.text + prefix, kRecordNameMax - prefix);
  if (prefix != 0) {
    block.text[0] = static_cast<uint8_t>(block.text[1] + 1);
    block.text[1] = kMacLozenge;
  }
  block.table = 0;
  block.handle = 0;
  block.error = 0;
  CallHost(kHostSelRecordByName, block);
  const Tbx::Handle h = static_cast<Tbx::Handle>(block.handle);
  if (h == 0) return;
  const int32_t size = Tbx::GetHandleSize(h);
  if (Tbx::MemError() == Tbx::noErr && size > 0) {
    // A short answer gives what it holds; the rest stays zero.
    const uint32_t n = static_cast<uint32_t>(size) < kHostRecordSize ? static_cast<uint32_t>(size)
                                                                     : kHostRecordSize;
    std::memcpy(fRecord, Tbx::HLock(h), n);
    Tbx::HUnlock(h);
  }
  Tbx::DisposeHandle(h);
}

void VHostRecordValue::SetNumbers(int16_t table, int16_t field) {
  fRecord[0] = 0;
  std::memcpy(fRecord + kRecordFieldOffset, &field, 2);
  std::memcpy(fRecord + kRecordTableOffset, &table, 2);
  std::memset(fRecord + kRecordClearedOffset, 0, 2);
}

VValue* VHostRecordValue::Clone() const { return new VHostRecordValue(*this); }

int16_t VHostRecordValue::GetTable() const {
  int16_t table = 0;
  std::memcpy(&table, fRecord + kRecordTableOffset, 2);
  return table;
}

int16_t VHostRecordValue::GetField() const {
  int16_t field = 0;
  std::memcpy(&field, fRecord + kRecordFieldOffset, 2);
  return field;
}

int32_t VHostRecordValue::Classify() const {
  if (fRecord[0] != 0) return 1;
  if (GetTable() != 0 && GetField() != 0) return 3;
  if (GetTable() != 0) return 2;
  return 0;
}

uint32_t VHostRecordValue::CopyToToolboxHandle() const {
  const Tbx::Handle h = Tbx::NewHandle(kHostRecordSize);
  if (h == 0) return 0;
  std::memcpy(Tbx::HLock(h), fRecord, kHostRecordSize);
  Tbx::HUnlock(h);
  return h;
}
