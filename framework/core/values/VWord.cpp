// The 16-bit integer value.
#include "framework/core/values/VWord.h"

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/RealTruncation.h"
#include "framework/core/values/VScalarValue_p.h"

struct VWordTraits {
  static constexpr int32_t kKind = kValueWord;
  static constexpr bool kInteger = true;
  static constexpr int32_t kNullSkip = sizeof(int16_t);

  // The low 16 bits of a wider integer.
  static int16_t LowWord(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value));
  }

  static bool ToBoolean(int16_t n) { return n != 0; }
  static int16_t ToWord(int16_t n) { return n; }
  static int32_t ToLong(int16_t n) { return n; }
  static int64_t ToLongLong(int16_t n) { return n; }
  static double ToReal(int16_t n) { return n; }

  static int16_t FromBoolean(uint8_t value) { return value; }
  static int16_t FromWord(int16_t value) { return value; }
  static int16_t FromLong(int32_t value) { return LowWord(value); }
  static int16_t FromLongLong(int64_t value) { return LowWord(value); }
  static int16_t FromReal(double value) { return RealToWord(value); }

  static void CopyTo(VValue& destination, int16_t n) { destination.SetWord(n, kWholeValue); }
  static void ConvertTo(VValue& destination, int16_t n) { destination.SetWord(n, kWholeValue); }
  static void FormatTo(VString& destination, int16_t n, const VString* format) {
    destination.SetWord(n, kWholeValue);
    if (format != nullptr) ApplyNumberFormat(destination, *format);
  }
  static int16_t CopyFromValue(const VValue& source) {
    return LowWord(source.GetLong(kWholeValue));
  }
  static int16_t ReadValue(const VValue& source) { return source.GetWord(kWholeValue); }
  static int32_t Compare(int16_t n, const VValue& other) {
    const int32_t theirs = other.GetLong(kWholeValue);
    const int32_t mine = n;
    return mine > theirs ? 1 : mine < theirs ? -1 : 0;
  }

  static int16_t Get(VStream& stream) { return stream.GetWord(); }
  static void Put(VStream& stream, int16_t n) { stream.PutWord(n); }
};

template class VScalarInMem<int16_t, VWordTraits>;

VValue* VWordInMem::Clone() const { return new VWord(Datum()); }
