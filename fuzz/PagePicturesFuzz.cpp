// Fuzz target of the stored form of the pictures placed on pages, 'wPIX'.
// Whatever reads must write again, and what that writes must read back to
// the same entries and the same bytes: a list read from a damaged record
// must still save.
#include <vector>

#include "area/view/xMorvaPicturesInPage.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  std::vector<xMorvaPagePicture> entries;
  if (!xMorvaPicturesInPage::ParsePagePictures(data, uint32_t(size), entries)) {
    if (!entries.empty()) __builtin_trap();
    return 0;
  }
  // The count was bounded by the bytes: no entry without its bytes.
  if (entries.size() * 34 + 12 > size) __builtin_trap();
  const std::vector<uint8_t> written = xMorvaPicturesInPage::FormatPagePictures(entries);
  std::vector<xMorvaPagePicture> again;
  if (!xMorvaPicturesInPage::ParsePagePictures(written.data(), uint32_t(written.size()), again)) __builtin_trap();
  if (again.size() != entries.size()) __builtin_trap();
  if (xMorvaPicturesInPage::FormatPagePictures(again) != written) __builtin_trap();
  return 0;
}
