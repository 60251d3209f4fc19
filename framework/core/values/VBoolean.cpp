// The boolean value.
#include "framework/core/values/VBoolean.h"

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/VScalarValue_p.h"

struct VBooleanTraits {
  static constexpr int32_t kKind = kValueBoolean;
  static constexpr bool kInteger = false;
  // The null storage reads the word and drops it.
  static constexpr int32_t kNullSkip = 0;

  static bool ToBoolean(uint8_t n) { return n != 0; }
  static int16_t ToWord(uint8_t n) { return n; }
  static int32_t ToLong(uint8_t n) { return n; }
  static int64_t ToLongLong(uint8_t n) { return n; }
  static double ToReal(uint8_t n) { return n; }

  static uint8_t FromBoolean(uint8_t value) { return value; }
  static uint8_t FromWord(int16_t value) { return value != 0; }
  static uint8_t FromLong(int32_t value) { return value != 0; }
  static uint8_t FromLongLong(int64_t value) { return value != 0; }
  // Both comparisons are false for NaN, so NaN is false; -0.0 is false too.
  static uint8_t FromReal(double value) { return value < 0.0 || value > 0.0; }

  static void CopyTo(VValue& destination, uint8_t n) { destination.SetBoolean(n, kWholeValue); }
  static void ConvertTo(VValue& destination, uint8_t n) { destination.SetLong(n, kWholeValue); }
  static void FormatTo(VString& destination, uint8_t n, const VString* format) {
    destination.SetBoolean(n, kWholeValue);
    if (format != nullptr) ApplyTextFormat(destination, *format);
  }
  static uint8_t CopyFromValue(const VValue& source) { return source.GetLong(kWholeValue) != 0; }
  static uint8_t ReadValue(const VValue& source) { return source.GetBoolean(kWholeValue); }
  static int32_t Compare(uint8_t mine, const VValue& other) {
    if (uint8_t(other.GetBoolean(kWholeValue)) == mine) return 0;
    return mine != 0 ? 1 : -1;
  }

  static uint8_t Get(VStream& stream) { return stream.GetWord() != 0; }
  static void Put(VStream& stream, uint8_t n) { stream.PutWord(n); }
};

template class VScalarInMem<uint8_t, VBooleanTraits>;

VValue* VBoolInMem::Clone() const { return new VBoolean(Datum()); }

void VBoolInMem::SetString(const VString& source, int32_t) {
  SetNull(source.IsNull(kWholeValue), kWholeValue);
  Store(VBooleanTraits::ReadValue(source));
}
