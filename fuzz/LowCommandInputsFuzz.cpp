// Fuzz target of the host's inputs that the point-based commands check: the
// tab stop array and the picture bytes. The first byte chooses. An array:
// the next 10 bytes are the variable entry's header, the next 48 the row
// records' handle, and each of the three rows takes the next byte as its
// size in words, filled from the rest; the entry's and the rows' handles
// are put in where they point. An array that passes must let every word
// the command writes land inside its row (ASan watches); a picture that
// passes must have a frame that is not empty.
#include <algorithm>
#include <cstring>
#include <vector>

#include "area/commands/xMorvaLowCommandInputs.h"
#include "boundary/HostRecords.h"
#include "fuzz/FuzzSupport.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

uint32_t HandleOf(FuzzInput& input, size_t size) {
  std::vector<uint8_t> bytes(size);
  for (uint8_t& b : bytes) b = input.TakeByte();
  const uint32_t handle = uint32_t(Tbx::NewHandle(int32_t(size)));
  if (handle != 0 && size != 0) {
    std::memcpy(Tbx::HLock(handle), bytes.data(), size);
    Tbx::HUnlock(handle);
  }
  return handle;
}

void FuzzArray(FuzzInput& input) {
  uint8_t entry[sizeof(HostArrayRow)] = {};
  for (uint8_t& b : entry) b = input.TakeByte();
  HostArrayRow records[4] = {};
  std::memcpy(records, input.Rest(), std::min(sizeof records, input.RestSize()));
  for (size_t i = 0; i < sizeof records; ++i) input.TakeByte();
  std::vector<uint32_t> handles;
  for (int r = 1; r <= 3; ++r) {
    const uint32_t words = input.TakeByte();
    // A row's handle stays where the input put it when it names none.
    if (words != 0) {
      records[r].array.handle = HandleOf(input, words * 2);
      handles.push_back(uint32_t{records[r].array.handle});
    }
  }
  const uint32_t rowHandle = uint32_t(Tbx::NewHandle(int32_t(sizeof records)));
  std::memcpy(Tbx::HLock(rowHandle), records, sizeof records);
  Tbx::HUnlock(rowHandle);
  // The entry points at the row records unless it names no handle.
  uint32_t named = 0;
  std::memcpy(&named, entry + 6, 4);
  if (named != 0) std::memcpy(entry + 6, &rowHandle, 4);
  uint32_t rows[3] = {};
  if (xMorvaLowCommandInputs::ReadTabArray(entry, rows)) {
    for (uint32_t row : rows) {
      const int32_t size = Tbx::GetHandleSize(row);
      if (size < int32_t((xMorvaLowCommandInputs::kTabArrayElements + 1) * 2)) __builtin_trap();
      auto* words = static_cast<uint8_t*>(Tbx::HLock(row));
      std::memset(words, 0, (xMorvaLowCommandInputs::kTabArrayElements + 1) * 2);
      Tbx::HUnlock(row);
    }
  }
  Tbx::DisposeHandle(rowHandle);
  for (uint32_t h : handles) Tbx::DisposeHandle(h);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  if ((input.TakeByte() & 1) == 0) {
    FuzzArray(input);
    return 0;
  }
  const uint8_t* bytes = input.Rest();
  const auto n = uint32_t(input.RestSize());
  if (xMorvaLowCommandInputs::LooksLikePicture(bytes, n)) {
    auto word = [&](uint32_t at) { return int16_t(bytes[at] << 8 | bytes[at + 1]); };
    if (n < 12 || word(6) <= word(2) || word(8) <= word(4)) __builtin_trap();
  }
  return 0;
}
