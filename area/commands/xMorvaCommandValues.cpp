// The value forms of the host commands: strings, host text records and
// locked handles.
#include "area/commands/xMorvaCommandValues.h"

#include <algorithm>
#include <vector>

#include "boundary/HostRecords.h"
#include "framework/core/strings/VString.h"
#include "platform/toolbox/TbxHandles.h"

namespace xMorvaCommandValues {

namespace {

// A host text holds at most this many characters: its length is 16 bits.
constexpr int32_t kMaxHostText = INT16_MAX;

}  // namespace

void StringAt(void** p, int i, VString& out) {
  out.SetEmpty(false);
  if (p != nullptr && p[i] != nullptr) out.SetMacPText(static_cast<const uint8_t*>(p[i]));
}

void PutString(void* buffer, const VString& text) {
  if (buffer != nullptr) text.GetPText(static_cast<uint8_t*>(buffer), 255, kCharSetMac);
}

void ClearString(void* buffer) {
  if (buffer != nullptr) static_cast<uint8_t*>(buffer)[0] = 0;
}

LockedHandle::LockedHandle(uint32_t handle) {
  const int32_t size = handle != 0 ? Tbx::GetHandleSize(handle) : 0;
  if (size <= 0) return;
  fData = static_cast<const uint8_t*>(Tbx::HLock(handle));
  if (fData == nullptr) return;
  fHandle = handle;
  fSize = uint32_t(size);
}

LockedHandle::~LockedHandle() {
  if (fHandle != 0) Tbx::HUnlock(fHandle);
}

void TextAt(void** p, int i, VString& out) {
  out.SetEmpty(false);
  if (p == nullptr || p[i] == nullptr) return;
  HostTextRecord record{};
  std::memcpy(&record, p[i], sizeof record);
  if (record.length <= 0) return;
  LockedHandle bytes(record.handle);
  const uint32_t n = std::min<uint32_t>(uint32_t(record.length), bytes.Size());
  if (n != 0) out.AppendChars(reinterpret_cast<const char*>(bytes.Data()), int32_t(n), kCharSetMac);
}

void ClearText(void* slot) {
  if (slot == nullptr) return;
  HostTextRecord record{};
  std::memcpy(&record, slot, sizeof record);
  if (record.handle != 0) Tbx::DisposeHandle(record.handle);
  record = HostTextRecord{0, 0};
  std::memcpy(slot, &record, sizeof record);
}

void PutText(void* slot, const VString& text) {
  if (slot == nullptr) return;
  ClearText(slot);
  const int32_t most = std::min(text.GetLength(), kMaxHostText);
  if (most <= 0) return;
  std::vector<char> bytes(size_t(most) + 1, 0);
  text.GetCText(bytes.data(), most + 1, kCharSetMac);
  const int32_t length = int32_t(std::strlen(bytes.data()));
  if (length == 0) return;
  const uint32_t handle = Tbx::NewHandle(length);
  if (handle == 0) return;
  std::memcpy(Tbx::HLock(handle), bytes.data(), size_t(length));
  Tbx::HUnlock(handle);
  const HostTextRecord record{int16_t(length), handle};
  std::memcpy(slot, &record, sizeof record);
}

}  // namespace xMorvaCommandValues
