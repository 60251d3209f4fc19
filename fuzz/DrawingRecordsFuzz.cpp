// Fuzz target of the drawing-record reader with zlib behind it. The first
// byte of the input, when odd, splits off the input's second half as the
// span of delayed blips. The reader answers 0, 6 or 17; it never drops
// more blips than it met, never keeps more store slots than the input has
// entry headers, and any picture it keeps holds data.
#include <cstdlib>
#include <memory>

#include "framework/core/memory/VMemoryMgr.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/word/xMorvaDrawingRecords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  if (HasQuickTime() == 0) StartQuickTime();
  FuzzInput input(data, size);
  const bool delayed = (input.TakeByte() & 1) != 0;
  const uint8_t* main = input.Rest();
  size_t mainSize = input.RestSize();
  const uint8_t* delay = nullptr;
  size_t delaySize = 0;
  if (delayed) {
    mainSize = input.RestSize() / 2;
    delay = main + mainSize;
    delaySize = input.RestSize() - mainSize;
  }
  xMorvaImportEscher reader(main, mainSize, delay, delaySize);
  const int32_t code = reader.Run();
  if (code != kEscherNoError && code != kEscherNoMemory && code != kEscherDamaged) std::abort();
  if (reader.DroppedCount() > reader.BlipCount() || reader.DroppedCount() < 0) std::abort();
  // Each slot comes from an entry's 8-byte header in the main span.
  if (reader.StorePictures().size() > mainSize / 8) std::abort();
  size_t made = 0;
  for (const auto& picture : reader.StorePictures()) {
    if (picture == nullptr) continue;
    ++made;
    if (!picture->HasData()) std::abort();
  }
  if (made != size_t(reader.BlipCount() - reader.DroppedCount())) std::abort();
  if ((reader.GetPicture() != nullptr) != (made != 0)) std::abort();
  std::unique_ptr<VPictureData> taken(reader.TakePicture());
  if (reader.GetPicture() != nullptr) std::abort();
  return 0;
}
