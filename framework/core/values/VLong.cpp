// The 32-bit integer value.
#include "framework/core/values/VLong.h"

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/RealTruncation.h"
#include "framework/core/values/VScalarValue_p.h"

struct VLongTraits {
  static constexpr int32_t kKind = kValueLong;
  static constexpr bool kInteger = true;
  static constexpr int32_t kNullSkip = sizeof(int32_t);

  static bool ToBoolean(int32_t n) { return n != 0; }
  static int16_t ToWord(int32_t n) { return static_cast<int16_t>(static_cast<uint16_t>(n)); }
  static int32_t ToLong(int32_t n) { return n; }
  static int64_t ToLongLong(int32_t n) { return n; }
  static double ToReal(int32_t n) { return n; }

  static int32_t FromBoolean(uint8_t value) { return value; }
  static int32_t FromWord(int16_t value) { return value; }
  static int32_t FromLong(int32_t value) { return value; }
  static int32_t FromLongLong(int64_t value) {
    return static_cast<int32_t>(static_cast<uint32_t>(value));
  }
  static int32_t FromReal(double value) { return RealToLong(value); }

  static void CopyTo(VValue& destination, int32_t n) { destination.SetLong(n, kWholeValue); }
  static void ConvertTo(VValue& destination, int32_t n) { destination.SetLong(n, kWholeValue); }
  static void FormatTo(VString& destination, int32_t n, const VString* format) {
    destination.SetLong(n, kWholeValue);
    if (format != nullptr) ApplyNumberFormat(destination, *format);
  }
  static int32_t CopyFromValue(const VValue& source) { return source.GetLong(kWholeValue); }
  static int32_t ReadValue(const VValue& source) { return source.GetLong(kWholeValue); }
  static int32_t Compare(int32_t mine, const VValue& other) {
    const int32_t theirs = other.GetLong(kWholeValue);
    return mine > theirs ? 1 : mine < theirs ? -1 : 0;
  }

  static int32_t Get(VStream& stream) { return stream.GetLong(); }
  static void Put(VStream& stream, int32_t n) { stream.PutLong(n); }
};

template class VScalarInMem<int32_t, VLongTraits>;

VValue* VLongInMem::Clone() const { return new VLong(Datum()); }
