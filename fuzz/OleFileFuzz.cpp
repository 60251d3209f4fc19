// Fuzz target of the compound file container's reader. Whatever it accepts
// must hand out every stream at exactly its entry's size, and what it reads
// must survive being written into a new file and read back unchanged.
#include <vector>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/ole/xMorvaOleFile.h"

namespace {

struct Stream {
  std::u16string name;
  std::vector<uint8_t> bytes;
};

// Every readable stream entry of the file in `handle`, or false when the
// file is refused.
bool ReadStreams(VMemHandle handle, std::vector<Stream>& out) {
  VHandleStream file(handle);
  xMorvaOleFile ole(file);
  if (ole.OpenForReading() != 0) return false;
  if (uint64_t(ole.GetEntryCount()) * 128 > uint64_t(gMemoryMgr->GetHandleSize(handle)))
    __builtin_trap();
  for (int32_t number = 1; number <= ole.GetEntryCount(); ++number) {
    const xMorvaOleFile::Entry* entry = ole.GetEntry(number);
    if (entry->type != kOleStream || entry->size == 0) continue;
    VStream* stream = nullptr;
    if (ole.OpenStreamAt(number, stream) != 0) continue;
    Stream item{entry->name, std::vector<uint8_t>(entry->size)};
    uint32_t length = entry->size;
    if (stream->GetSize() != entry->size || stream->ReadBytes(item.bytes.data(), length) != 0 ||
        length != entry->size) {
      __builtin_trap();
    }
    ole.CloseStream(stream);
    out.push_back(std::move(item));
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  if (size == 0) return 0;
  VMemHandle input = gMemoryMgr->NewHandleFromData(data, uint32_t(size));
  std::vector<Stream> streams;
  const bool accepted = ReadStreams(input, streams);
  gMemoryMgr->DisposeHandle(input);
  if (!accepted) return 0;

  // The streams again, under names of their own, as one chain under the root.
  VMemHandle copy = gMemoryMgr->NewEmptyHandle();
  {
    VHandleStream file(copy);
    xMorvaOleFile ole(file);
    if (ole.OpenForWriting() != 0) __builtin_trap();
    VStream* previous = nullptr;
    for (size_t i = 0; i < streams.size(); ++i) {
      VStream* stream = nullptr;
      if (ole.CreateStream(std::u16string(1, char16_t(0x100 + i)), stream) != 0) __builtin_trap();
      stream->WriteBytes(streams[i].bytes.data(), uint32_t(streams[i].bytes.size()));
      if (previous == nullptr)
        ole.SetChild(stream, 1);
      else
        ole.SetRightSibling(previous, stream);
      previous = stream;
    }
    if (ole.FinishWriting() != 0) __builtin_trap();
  }
  std::vector<Stream> again;
  if (!ReadStreams(copy, again) || again.size() != streams.size()) __builtin_trap();
  for (size_t i = 0; i < again.size(); ++i)
    if (again[i].bytes != streams[i].bytes) __builtin_trap();
  gMemoryMgr->DisposeHandle(copy);
  return 0;
}
