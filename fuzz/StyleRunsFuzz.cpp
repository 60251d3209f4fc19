// Fuzz target of the 'styl' record reader of Macintosh styled text. The
// first input byte is the length of the text the runs belong to; the rest
// is the record. A record is taken exactly when its count fits in one of
// the two byte orders; a refused one leaves no runs, and the runs of a
// taken one never go back and never leave the text.
#include <cstdlib>
#include <vector>

#include "interchange/text/xMorvaMacStyledText.h"

namespace {

bool CountFits(const uint8_t* record, size_t size, bool big) {
  if (size < 2) return false;
  const size_t count =
      big ? (size_t(record[0]) << 8) | record[1] : (size_t(record[1]) << 8) | record[0];
  return 2 + count * kStyleRunSize <= size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint32_t textLength = data[0];
  const uint8_t* record = data + 1;
  const size_t recordSize = size - 1;
  std::vector<xMorvaStyleRun> runs(2);
  const int32_t code = ReadStyleRuns(record, recordSize, textLength, runs);
  const bool fits = CountFits(record, recordSize, false) || CountFits(record, recordSize, true);
  if ((code == 0) != fits) std::abort();
  if (code != 0) {
    if (code != 1015 || !runs.empty()) std::abort();
    return 0;
  }
  if (2 + runs.size() * kStyleRunSize > recordSize) std::abort();
  uint32_t previous = 0;
  for (const xMorvaStyleRun& run : runs) {
    if (run.start < previous || run.start > textLength) std::abort();
    previous = run.start;
  }
  return 0;
}
