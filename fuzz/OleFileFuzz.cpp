// Fuzz target of the compound file container's reader. Whatever it accepts
// must hand out every stream at exactly its entry's size, and what it reads
// must survive being written into a new file and read back unchanged, by
// its streams and by its bytes read straight.
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
// file is refused. Each stream's bytes read straight by its name are read
// too; with `uniqueNames` (every stream a member of the root under a name
// of its own) they must be the stream's.
bool ReadStreams(VMemHandle handle, std::vector<Stream>& out, bool uniqueNames = false) {
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
    std::vector<uint8_t> straight;
    const int32_t read = ole.ReadStreamBytes(entry->name, straight);
    if (read != 0 && !straight.empty()) __builtin_trap();
    if (uniqueNames && (read != 0 || straight != item.bytes)) __builtin_trap();
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
  if (!ReadStreams(copy, again, true) || again.size() != streams.size()) __builtin_trap();
  for (size_t i = 0; i < again.size(); ++i)
    if (again[i].bytes != streams[i].bytes) __builtin_trap();
  gMemoryMgr->DisposeHandle(copy);
  return 0;
}
