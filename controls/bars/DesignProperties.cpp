// Reader of an area's stored design properties.
#include "controls/bars/DesignProperties.h"

#include "platform/bytes/ByteSpanReader.h"

bool ReadDesignProperties(const uint8_t* data, size_t size, uint32_t kindTag,
                          VDesignProperties& out) {
  out = VDesignProperties();
  ByteSpanReader r(data, size, ByteSpanReader::Order::kBig);
  const uint32_t tag = r.U32();
  if (r.Failed()) return false;
  if (tag != kindTag) {
    const uint32_t reversed = ((tag & 0xFFu) << 24) | ((tag & 0xFF00u) << 8) |
                              ((tag >> 8) & 0xFF00u) | (tag >> 24);
    if (reversed != kindTag) return false;
    r.SwapOrder();
  }
  r.U32();  // not kept
  // After a cut every read answers 0: the settings read before it stay.
  out.first = r.I16();
  out.second = r.I16();
  out.third = r.U8();
  out.fourth = r.U8();
  const uint32_t length = r.U32();
  if (r.Failed() || length > r.Remaining()) return false;
  out.configuration.resize(length);
  r.Bytes(out.configuration.data(), length);
  out.hasConfiguration = !r.Failed();
  if (!out.hasConfiguration) out.configuration.clear();
  return out.hasConfiguration;
}
