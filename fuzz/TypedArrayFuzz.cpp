// Fuzz target of the typed arrays' stream frame: an array of the kind the
// first byte chooses reads its count and elements from the rest of the
// input, in the byte order that byte also chooses, then writes them back.
#include "framework/core/containers/VArray.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/containers/ValueFactory.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  static constexpr int32_t kKinds[] = {kValueBooleanArray, kValueWordArray, kValueLongArray,
                                       kValueRealArray,    kValueHourArray, kValueDateArray,
                                       kValueStringArray};
  const int32_t kind = kKinds[(choice & 0x0F) % 7];
  static constexpr int16_t kOrders[] = {kByteOrderExtended, kByteOrderMacintosh, kByteOrderLittle};
  const int16_t order = kOrders[((choice >> 4) & 0x03) % 3];
  const int16_t form = (choice & 0x40) != 0 ? kCharFormUnicode : kCharFormByte;

  VValue* array = NewValueOfKind(kind);
  VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
  stream.SetByteOrders(order, kByteOrderSetThisMachine);
  stream.SetCharForms(form, form);
  stream.OpenRead();
  const int32_t status = array->ReadFromStream(stream, 0);
  stream.CloseRead();
  if (status == 0) {
    WrittenBytes([&](VStream& out) { return array->WriteToStream(out, 0) == 0; },
                 order != kByteOrderLittle);
  }
  delete array;
  return 0;
}
