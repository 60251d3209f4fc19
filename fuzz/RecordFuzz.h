// The shape of the fuzz targets of the document's stored records: the
// record read from the input in the byte order its first byte chooses; a
// record that was taken is written again, and what was written must read
// back, since a document saved from it would otherwise be lost.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/FuzzSupport.h"

template <typename Record>
void FuzzRecord(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  Record record;
  bool taken = false;
  {
    VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
    if (choice & 1) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    stream.OpenRead();
    taken = record.Read(stream);
    stream.CloseRead();
  }
  if (!taken) return;
  const bool bigEndian = (choice & 2) != 0;
  bool written = false;
  const std::vector<uint8_t> bytes =
      WrittenBytes([&](VStream& stream) { return record.Write(stream); }, bigEndian, &written);
  if (!written) __builtin_trap();
  Record again;
  VMemoryStream stream(bytes.data(), uint32_t(bytes.size()));
  stream.OpenRead();
  if (!again.Read(stream)) __builtin_trap();
  stream.CloseRead();
}
