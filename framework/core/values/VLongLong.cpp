// The 64-bit integer value.
#include "framework/core/values/VLongLong.h"

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/RealTruncation.h"
#include "framework/core/values/VScalarValue_p.h"

struct VLongLongTraits {
  static constexpr int32_t kKind = kValueLongLong;
  static constexpr bool kInteger = true;
  static constexpr int32_t kNullSkip = sizeof(int64_t);

  static bool ToBoolean(int64_t n) { return n != 0; }
  static int16_t ToWord(int64_t n) { return static_cast<int16_t>(static_cast<uint16_t>(n)); }
  static int32_t ToLong(int64_t n) { return static_cast<int32_t>(static_cast<uint32_t>(n)); }
  static int64_t ToLongLong(int64_t n) { return n; }
  static double ToReal(int64_t n) { return static_cast<double>(n); }

  static int64_t FromBoolean(uint8_t value) { return value; }
  static int64_t FromWord(int16_t value) { return value; }
  static int64_t FromLong(int32_t value) { return value; }
  static int64_t FromLongLong(int64_t value) { return value; }
  static int64_t FromReal(double value) { return RealToLongLong(value); }

  static void CopyTo(VValue& destination, int64_t n) { destination.SetLongLong(n, kWholeValue); }
  static void ConvertTo(VValue& destination, int64_t n) { destination.SetLongLong(n, kWholeValue); }
  static void FormatTo(VString& destination, int64_t n, const VString* format) {
    destination.SetLongLong(n, kWholeValue);
    if (format != nullptr) ApplyNumberFormat(destination, *format);
  }
  static int64_t CopyFromValue(const VValue& source) { return source.GetLongLong(kWholeValue); }
  static int64_t ReadValue(const VValue& source) { return source.GetLongLong(kWholeValue); }
  static int32_t Compare(int64_t mine, const VValue& other) {
    const int64_t theirs = other.GetLongLong(kWholeValue);
    return mine > theirs ? 1 : mine < theirs ? -1 : 0;
  }

  static int64_t Get(VStream& stream) { return stream.GetLongLong(); }
  static void Put(VStream& stream, int64_t n) { stream.PutLongLong(n); }
};

template class VScalarInMem<int64_t, VLongLongTraits>;

VValue* VLongLongInMem::Clone() const { return new VLongLong(Datum()); }
