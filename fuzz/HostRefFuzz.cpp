// Fuzz target of the reader of host references ('4OBJ' and '5OBJ'). The
// first byte chooses the stream's byte order (bit 0: big-endian) and the
// order of the written copy (bit 1). A record that was read is written as
// '5OBJ' again, and the copy must read back with the same numbers, formats
// and data. No host is there: the reference asks nothing of one.
#include <cstring>
#include <vector>

#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VUniString.h"
#include "fuzz/FuzzSupport.h"
#include "host/context/VHostRef.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

std::vector<uint8_t> DataOf(const VHostRef& ref) {
  const uint32_t h = ref.GetReferenceData();
  if (h == 0) return {};
  std::vector<uint8_t> out(static_cast<size_t>(Tbx::GetHandleSize(h)));
  if (!out.empty()) std::memcpy(out.data(), Tbx::HLock(h), out.size());
  Tbx::HUnlock(h);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
  if (choice & 1) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
  stream.OpenRead();
  VHostRef ref(stream);
  const bool whole = ref.WasRead() && stream.GetStatus() == kStreamNoError;
  stream.CloseRead();
  if (!whole) return 0;
  bool written = false;
  const std::vector<uint8_t> bytes =
      WrittenBytes([&](VStream& out) { return ref.Write(out, kHostRefTag) == kStreamNoError; },
                   (choice & 2) != 0, &written);
  if (!written) __builtin_trap();
  VHostRef again(bytes.data(), uint32_t(bytes.size()));
  int16_t t1 = 0, f1 = 0, t2 = 0, f2 = 0;
  ref.GetNumbers(t1, f1);
  again.GetNumbers(t2, f2);
  VStr<255> a, b;
  ref.GetFormatText(a);
  again.GetFormatText(b);
  if (!again.WasRead() || t1 != t2 || f1 != f2 || a.Compare(b, true) != 0 ||
      DataOf(ref) != DataOf(again) || ref.GetFormat() != again.GetFormat() ||
      ref.GetOption() != again.GetOption()) {
    __builtin_trap();
  }
  return 0;
}
