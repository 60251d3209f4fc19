// Fuzz target of the reader of the 'POLY' form: the first byte's bit 0
// chooses the Macintosh byte order for reading, bit 1 for writing again. A
// polygon that was taken is moved, scaled, closed and painted, then written
// again, and what was written must read back with the same points.
#include <vector>

#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/VPolygon.h"
#include "graphics/VPort.h"

namespace {

std::vector<int32_t> PointsOf(const VPolygon& p) {
  std::vector<int32_t> out;
  for (int32_t i = 0; i < p.GetCount(); ++i) {
    int32_t x = 0;
    int32_t y = 0;
    if (!p.GetPoint(i, x, y)) __builtin_trap();
    out.push_back(x);
    out.push_back(y);
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  VPolygon polygon;
  polygon.AddPoint(1, 2);
  int32_t result;
  {
    VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
    if (choice & 1) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    stream.OpenRead();
    result = polygon.ReadFromStream(stream, 0);
    stream.CloseRead();
  }
  if (result != 0) {
    // Refused: the polygon is as it was.
    if (polygon.GetCount() != 1) __builtin_trap();
    return 0;
  }
  if (polygon.GetCount() > kPolygonMaxStoredPoints) __builtin_trap();

  const std::vector<int32_t> read = PointsOf(polygon);
  const bool bigEndian = (choice & 2) != 0;
  bool written = false;
  const std::vector<uint8_t> bytes = WrittenBytes(
      [&](VStream& stream) { return polygon.WriteToStream(stream, 0) == 0; }, bigEndian, &written);
  if (!written) __builtin_trap();
  VPolygon again;
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  if (bigEndian) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
  stream.OpenRead();
  if (again.ReadFromStream(stream, 0) != 0 || PointsOf(again) != read) __builtin_trap();
  stream.CloseRead();

  static FuzzDevice device;
  VPort port(device.dc());
  port.PaintPolygon(polygon);
  port.InvertPolygon(polygon);
  port.PushScale(0.5, 2.0);
  port.FramePolygon(polygon);
  port.PopScale();
  polygon.SetPosition(-3, 70);
  polygon.SetSize(40, 9);
  polygon.Finish();
  port.PaintAndFramePolygon(polygon);
  return 0;
}
