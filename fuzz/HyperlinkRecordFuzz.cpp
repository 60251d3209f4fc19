// Fuzz target of the reader of the hyperlink record ('wHLK'). The first
// byte chooses the stream's byte order (bit 0) and that of the written copy
// (bit 1); a link that was read is written again and must read back, with
// the same kind, look, target and title.
#include "area/view/xMorvaHyperlink.h"
#include "fuzz/RecordFuzz.h"

namespace {

struct LinkRecord {
  xMorvaHyperlink link;
  bool Read(VStream& stream) { return link.Read(stream) == 0; }
  bool Write(VStream& stream) { return link.Write(stream) == 0; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecord<LinkRecord>(data, size);
  return 0;
}
