// Fuzz target of the Word reader over a whole compound file: it answers
// one of its codes, and a body it reads holds no marker, no line feed and
// no more characters than the file has bytes.
#include <cstdlib>
#include <string>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "fuzz/FuzzSupport.h"
#include "interchange/word/xMorvaImportWord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  if (size == 0) return 0;
  VMemHandle handle = gMemoryMgr->NewHandleFromData(data, uint32_t(size));
  std::u16string body;
  int32_t code;
  {
    VHandleStream file(handle);
    xMorvaImportWord reader;
    code = reader.ReadWordText(file, body);
    file.CloseRead();
  }
  gMemoryMgr->DisposeHandle(handle);
  if (code != 0 && code != kWordNotWord && code != kWordNoMemory && code != kWordUnreadable &&
      code != kWordFastSaved)
    std::abort();
  if (code != 0 && !body.empty()) std::abort();
  if (body.size() > size) std::abort();
  for (char16_t c : body)
    if (c == 0x13 || c == 0x14 || c == 0x15 || c == 0x01 || c == 0x07 || c == u'\n') std::abort();
  return 0;
}
