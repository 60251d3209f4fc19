// The real value.
#include "framework/core/values/VReal.h"

#include <cmath>

#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/values/RealTruncation.h"
#include "framework/core/values/VScalarValue_p.h"

struct VRealTraits {
  static constexpr int32_t kKind = kValueReal;
  static constexpr bool kInteger = true;
  // The real's width in the stream depends on its byte order (8 bytes, or
  // 10 in the extended order), so the null storage reads it and drops it
  // rather than skipping a width of its own.
  static constexpr int32_t kNullSkip = 0;

  static bool ToBoolean(double n) { return n != 0.0 && !std::isnan(n); }
  static int16_t ToWord(double n) { return RealToWord(n); }
  static int32_t ToLong(double n) { return RealToLong(n); }
  static int64_t ToLongLong(double n) { return RealToLongLong(n); }
  static double ToReal(double n) { return n; }

  static double FromBoolean(uint8_t value) { return value; }
  static double FromWord(int16_t value) { return value; }
  static double FromLong(int32_t value) { return value; }
  static double FromLongLong(int64_t value) { return static_cast<double>(value); }
  static double FromReal(double value) { return value; }

  static void CopyTo(VValue& destination, double n) { destination.SetReal(n, kWholeValue); }
  static void ConvertTo(VValue& destination, double n) { destination.SetReal(n, kWholeValue); }
  static void FormatTo(VString& destination, double n, const VString* format) {
    destination.SetReal(n, kWholeValue);
    if (format != nullptr) ApplyNumberFormat(destination, *format);
  }
  static double CopyFromValue(const VValue& source) { return source.GetReal(kWholeValue); }
  static double ReadValue(const VValue& source) { return source.GetReal(kWholeValue); }
  static int32_t Compare(double mine, const VValue& other) {
    const double theirs = other.GetReal(kWholeValue);
    // NaN is neither greater nor smaller, so both tests fail and it answers 0.
    return mine > theirs ? 1 : mine < theirs ? -1 : 0;
  }

  static double Get(VStream& stream) { return stream.GetReal(); }
  static void Put(VStream& stream, double n) { stream.PutReal(n); }
};

template class VScalarInMem<double, VRealTraits>;

VValue* VRealInMem::Clone() const { return new VReal(Datum()); }
