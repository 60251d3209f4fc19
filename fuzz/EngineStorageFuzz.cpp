// Fuzz target of the text engine's stored form 'wENG' and of the repair of
// a raw element stream. The first byte chooses: bit 0 the input is a bare
// stream handed to the repair, else a resource to load; bit 1 swaps the
// bare stream first (and saves a loaded text in the other byte order);
// bits 4-7 the number of fonts; bit 2 lists no sheet 2. A loaded
// text must be whole items only, its count true, and must save and load
// again, or a document saved from it would be lost.
#include <vector>

#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "fuzz/FuzzSupport.h"

namespace {

// Every item of the stream whole, and as many positions as the engine says.
void CheckStream(xMorvaEngine& engine) {
  const uint8_t* stream = engine.LockStream();
  const uint32_t size = engine.GetStreamSize();
  int32_t positions = 0;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kRecord && item.size != kRecordSize) __builtin_trap();
    if (item.kind == StreamItem::kElement &&
        (item.size < kElementHeadSize || item.size != kElementHeadSize + uint64_t(StreamLong(stream + at + 4)))) {
      __builtin_trap();
    }
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size;
  }
  if (stream != nullptr) engine.UnlockStream();
  if (positions != engine.GetLength()) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  const int32_t fonts = choice >> 4;
  const std::vector<int32_t> sheets = (choice & 4) != 0 ? std::vector<int32_t>{1, 3} : std::vector<int32_t>{1, 2};
  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  bool damaged = false;
  if ((choice & 1) != 0) {
    std::vector<uint8_t> bytes(input.Rest(), input.Rest() + input.RestSize());
    if ((choice & 2) != 0) xMorvaEngine::SwapStream(bytes.data(), int32_t(bytes.size()));
    if (engine.InsertBytes(0u, bytes.data(), uint32_t(bytes.size())) != 0) return 0;
    engine.SetLength(int32_t(engine.RecountPositions()));
    engine.RepairStream(fonts, sheets, damaged);
    CheckStream(engine);
    return 0;
  }
  if (!engine.LoadResourceBytes(input.Rest(), uint32_t(input.RestSize()), sheets, fonts, damaged)) return 0;
  CheckStream(engine);
  bool written = false;
  const std::vector<uint8_t> saved =
      WrittenBytes([&](VStream& stream) { return engine.WriteResource(stream, (choice & 2) != 0); }, false, &written);
  if (!written) __builtin_trap();
  xMorvaEngine again(nullptr, xMorvaEngine::kPartGranule);
  if (!again.LoadResourceBytes(saved.data(), uint32_t(saved.size()), sheets, fonts, damaged)) __builtin_trap();
  CheckStream(again);
  return 0;
}
