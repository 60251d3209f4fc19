// VHourInMem and VHour: the time value (kind 6), a signed count of seconds
// used for times of day (hour x 3600 + minute x 60 + second) and durations.
#pragma once

#include "framework/core/values/VValue.h"

// A time over storage that another structure owns; the null storage reads
// as 0 seconds, takes nothing and streams as zeros.
class VHourInMem : public VValueSingle {
 public:
  // With `clear` the seconds are set to 0 and the value made not null.
  VHourInMem(int32_t* data, bool clear);
  VHourInMem(const VHourInMem&) = delete;
  VHourInMem& operator=(const VHourInMem&) = delete;

  // A new VHour holding the same seconds, not null.
  VValue* Clone() const override;
  void Clear() override;
  int32_t GetKind() const override;

  // GetWord keeps the low 16 bits of the seconds; GetLongLong is
  // sign-extended.
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  double GetReal(int32_t range) const override;

  // Every setter stores and makes the value not null. A word is
  // sign-extended, a 64-bit integer keeps its low 32 bits and a real is
  // truncated toward zero (59.9 gives 59, -59.9 gives -59). A boolean is
  // not taken.
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;

  // Through the destination's SetTime.
  void CopyTo(VValue& destination, int32_t range) const override;
  // Through the destination's SetLong.
  void ConvertTo(VValue& destination, int32_t range) const override;
  // The destination's time text (the host's, display format 0), then the
  // host's text format when one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, its GetLong.
  void CopyFrom(const VValue& source, int32_t range) override;
  // The string's null flag; when not null, its GetReal truncated toward zero.
  void SetString(const VString& source, int32_t range) override;
  // The source's GetTime, then its null flag.
  void Assign(const VValue& source, int32_t range) override;
  // The other value's GetTime against these seconds.
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // Four bytes in memory order.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // A 32-bit count of seconds; with the tag 'VVAL' the kind 6 comes first.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  // The local clock's time of day; makes the value not null.
  void SetNow();
  // The parts of the seconds: divisions truncate toward zero and the
  // remainders take the sign of the seconds (-1 second is 0 h, 0 min, -1 s).
  int16_t GetHour() const;
  int16_t GetMinute() const;
  int16_t GetSecond() const;
  // Each replaces one part and keeps the other two; the null flag is left
  // as it is and no change is reported.
  void SetHour(int16_t hour);
  void SetMinute(int16_t minute);
  void SetSecond(int16_t second);

  int32_t* GetData() const { return fData; }

 protected:
  int32_t Datum() const { return fData != nullptr ? *fData : 0; }
  void Store(int32_t seconds);

  int32_t* fData;
};

// A time that holds its seconds itself. Its text forms are the host's:
// FormatTo asks the host for the text of the seconds, SetString for the
// seconds of a text.
class VHour : public VHourInMem {
 public:
  explicit VHour(int32_t seconds = 0);
  // Copies hold their own seconds: the seconds and the null flag are copied.
  VHour(const VHour& other);
  VHour& operator=(const VHour& other);

  // The host's text of the seconds under the format number that the format
  // string reads as (0 without a format) becomes the destination; without a
  // host the destination is left empty.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The host's seconds of the string's text (0 when it gives none); the
  // value becomes not null.
  void SetString(const VString& source, int32_t range) override;

 private:
  int32_t fSeconds;
};
