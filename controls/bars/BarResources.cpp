// Readers of the bar descriptions 'XBAR' and 'XMBA'.
#include "controls/bars/BarResources.h"

#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr uint8_t kTitleMax = 31;
constexpr uint8_t kLastSide = 4;
constexpr uint8_t kSideTopDefault = 2;

void ReadString(ByteSpanReader& r, uint8_t (&out)[kBarStringSize]) {
  r.Bytes(out, kBarStringSize);
  if (out[0] > kTitleMax) out[0] = kTitleMax;
}

// The head both kinds share (bytes 0 to 41).
void ReadHead(ByteSpanReader& r, VBarDescription& out) {
  out.side = r.U8();
  out.flags = r.U8();
  out.left = r.I32();
  out.top = r.I32();
  ReadString(r, out.title);
  // A side no dock knows would leave the bar nowhere: it goes to the top.
  if (out.side > kLastSide) out.side = kSideTopDefault;
}

void ReadItems(const uint8_t* data, size_t size, size_t at, VBarDescription& out) {
  out.itemsRead = at <= size && ReadToolBarItems(data + at, size - at, out.items);
  if (!out.itemsRead) out.items.clear();
}

}  // namespace

bool ReadBarDescription(const uint8_t* data, size_t size, VBarDescription& out) {
  out = VBarDescription();
  if (data == nullptr || size < kBarItemsOffset) return false;
  ByteSpanReader r(data, size);
  ReadHead(r, out);
  if (r.Failed()) {
    out = VBarDescription();
    return false;
  }
  ReadItems(data, size, kBarItemsOffset, out);
  return true;
}

bool ReadMenuBarDescription(const uint8_t* data, size_t size, VBarDescription& out) {
  out = VBarDescription();
  if (data == nullptr || size < kMenuBarItemsOffset) return false;
  ByteSpanReader r(data, size);
  ReadHead(r, out);
  ReadString(r, out.firstString);
  ReadString(r, out.secondString);
  if (r.Failed()) {
    out = VBarDescription();
    return false;
  }
  ReadItems(data, size, kMenuBarItemsOffset, out);
  return true;
}
