// Fuzz target of the tagged value reader (ReadValue): values read one
// after another from the input, in the byte order and character form its
// first byte chooses, each then written back in its tagged form.
#include "framework/core/containers/ValueReader.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VPictureMaker.h"
#include "framework/core/values/VValue.h"
#include "fuzz/FuzzSupport.h"
#include "graphics/pictures/VPictureData.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  StartFuzzServices();
  // Picture values are made through the maker the graphics layer installs.
  static const bool pictures = (VPictureMakerService::Install(&kPictureValueMaker), true);
  (void)pictures;

  FuzzInput input(data, size);
  const uint8_t choice = input.TakeByte();
  static constexpr int16_t kOrders[] = {kByteOrderExtended, kByteOrderMacintosh, kByteOrderLittle};
  const int16_t order = kOrders[(choice & 0x0F) % 3];
  const int16_t form = (choice & 0x10) != 0 ? kCharFormUnicode : kCharFormByte;

  VMemoryStream stream(input.Rest(), uint32_t(input.RestSize()));
  stream.SetByteOrders(order, kByteOrderSetThisMachine);
  stream.SetCharForms(form, form);
  stream.OpenRead();
  // A handful of values is all a stored field holds; the bound keeps an
  // input of many tiny values quick.
  for (int i = 0; i < 16 && stream.GetStatus() == 0; ++i) {
    VValue* value = ReadValue(stream);
    if (value == nullptr) break;
    WrittenBytes([&](VStream& out) { return out.PutValue(*value, true) == 0; }, order != kByteOrderLittle);
    delete value;
  }
  stream.CloseRead();
  return 0;
}
