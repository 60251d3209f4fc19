// What the fuzz targets share: the framework's core services started once
// for the whole run, a cursor that takes a target's choices from the front of
// its input, a walk over every lookup of a resource file and the changes an
// editor makes to one, the bytes a writer makes, and a small device to paint
// on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class VResourceFile;
class VStream;

// Starts the heap and the memory manager on the first call, as start-up
// does; later calls do nothing. They stay up until the process ends.
void StartFuzzServices();

// The input as a reader sees it: choices are taken from the front, and
// what is left is the stored bytes handed to the reader. Taking past the
// end gives zeros and takes nothing.
class FuzzInput {
 public:
  FuzzInput(const uint8_t* data, size_t size) : fData(data), fSize(size) {}

  uint8_t TakeByte() {
    if (fSize == 0) return 0;
    --fSize;
    return *fData++;
  }
  uint32_t TakeBigEndian32() {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value = (value << 8) | TakeByte();
    return value;
  }
  const uint8_t* Rest() const { return fData; }
  size_t RestSize() const { return fSize; }

 private:
  const uint8_t* fData;
  size_t fSize;
};

// Asks the file everything a caller can ask without changing it: its types,
// per type the count, ids and names, each resource by index, id and name
// (loaded, locked, measured, released), the strings of its string lists and
// the file type map of its 'FMAP' resources.
void WalkResourceFile(VResourceFile& file);

// Changes a file read from foreign bytes as an editor would: removes, grows,
// renames and adds resources. Answers the id of the resource of type
// kFuzzAddedType it added, or -1 when the file took none.
constexpr uint32_t kFuzzAddedType = 0x46555A5A;  // 'FUZZ'
int16_t ChangeResourceFile(VResourceFile& file);
// Whether the added resource is in the file whole, as ChangeResourceFile
// gave it.
bool HasAddedResource(VResourceFile& file, int16_t id);

// The bytes a writer puts into a new handle stream in this machine's order
// (or the Macintosh order); `ok` receives the writer's answer. A writer that
// runs on what a reader made from foreign bytes must not fail on it.
std::vector<uint8_t> WrittenBytes(const std::function<bool(VStream&)>& write, bool bigEndian,
                                  bool* ok = nullptr);

struct HBITMAP__;
struct HDC__;

// A 64 x 64 memory device over a 32-bit DIB section, for the targets that
// paint what they read.
class FuzzDevice {
 public:
  FuzzDevice();
  ~FuzzDevice();
  FuzzDevice(const FuzzDevice&) = delete;
  FuzzDevice& operator=(const FuzzDevice&) = delete;
  HDC__* dc() const { return fDC; }

 private:
  HDC__* fDC = nullptr;
  HBITMAP__* fBitmap = nullptr;
  void* fOld = nullptr;
};
