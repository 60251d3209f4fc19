// The checks of the host's arrays and pictures taken by the point-based
// commands.
#include "area/commands/xMorvaLowCommandInputs.h"

#include <cstring>

#include "boundary/HostRecords.h"
#include "platform/bytes/ByteSpanReader.h"
#include "platform/toolbox/TbxHandles.h"

namespace xMorvaLowCommandInputs {

namespace {

// True when the row record is an array of words of `count` or more
// elements (exactly `count` when `exact`) whose handle holds them and
// element 0.
bool IsWordRow(const HostArrayRow& row, uint32_t count, bool exact) {
  const uint32_t elements = row.array.count;
  const uint32_t handle = row.array.handle;
  if (row.type != kHostIntegerArray || handle == 0) return false;
  if (exact ? elements != count : elements < count) return false;
  const int32_t size = Tbx::GetHandleSize(handle);
  return size > 0 && uint32_t(size) >= (count + 1) * sizeof(int16_t);
}

}  // namespace

bool ReadTabArray(const void* entry, uint32_t rows[3]) {
  if (entry == nullptr) return false;
  // Only the entry's header is read: type, row count and handle.
  HostArrayRow header{};
  std::memcpy(&header, entry, sizeof header);
  const uint32_t handle = header.array.handle;
  if (header.type != kHostArray2D || header.array.count != 3 || handle == 0) return false;
  // The row records count from 1: record r at byte 12 r.
  HostArrayRow records[4] = {};
  const int32_t size = Tbx::GetHandleSize(handle);
  if (size < int32_t(sizeof records)) return false;
  std::memcpy(records, Tbx::HLock(handle), sizeof records);
  Tbx::HUnlock(handle);
  for (int r = 1; r <= 3; ++r) {
    if (!IsWordRow(records[r], kTabArrayElements, r == 1)) return false;
  }
  for (int r = 1; r <= 3; ++r) rows[r - 1] = records[r].array.handle;
  return true;
}

bool LooksLikePicture(const uint8_t* bytes, uint32_t size) {
  ByteSpanReader reader(bytes, size, ByteSpanReader::Order::kBig);
  reader.Skip(2);
  const int16_t top = reader.I16();
  const int16_t left = reader.I16();
  const int16_t bottom = reader.I16();
  const int16_t right = reader.I16();
  const uint16_t version = reader.U16();
  const uint16_t next = version == 0x0011 ? reader.U16() : 0;
  if (reader.Failed() || bottom <= top || right <= left) return false;
  return version == 0x1101 || (version == 0x0011 && next == 0x02FF);
}

}  // namespace xMorvaLowCommandInputs
