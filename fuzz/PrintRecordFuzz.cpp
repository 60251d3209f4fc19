// Fuzz target of the reader of the document's print record 'wPRT': the
// record read from the input in the byte order its first byte chooses; a
// record that was taken is written again, and what was written must read
// back, since a document saved with it would otherwise lose its settings.
#include "document/xMorvaDocument.h"
#include "framework/core/streams/VMemoryStream.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/printing/VWinPrinter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  std::unique_ptr<VWinPrinter> read;
  {
    VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
    if (choice & 1) stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
    stream.OpenRead();
    read = xMorvaDocument::ReadPrintRecordFrom(stream);
    stream.CloseRead();
  }
  if (!read) return 0;
  bool written = false;
  const std::vector<uint8_t> bytes = WrittenBytes(
      [&read](VStream& stream) { return xMorvaDocument::WritePrintRecordTo(stream, *read); },
      (choice & 2) != 0, &written);
  if (!written) __builtin_trap();
  VMemoryStream again(bytes.data(), uint32_t(bytes.size()));
  if ((choice & 2) != 0) again.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
  again.OpenRead();
  if (!xMorvaDocument::ReadPrintRecordFrom(again)) __builtin_trap();
  again.CloseRead();
  return 0;
}
