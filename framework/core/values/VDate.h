// VDateInMem and VDate: the date value (kind 7), a calendar date held as
// day, month and year, with the calendar arithmetic that keeps it valid.
#pragma once

#include "framework/core/values/VValue.h"

// The calendar is the Gregorian one, its leap rule applied to every year (a
// year divisible by 4 is a leap year, except one divisible by 100 and not by
// 400). The day count of a date is the number of days from 1 January of year
// 0 to it; in seconds it is that count times 86400.
//
// A date is normalised (its month carried into the years, its day into the
// months) when it is set from another value (SetDate, Assign, SetString) and
// by Add; it is not when it is read from a stream or a flat buffer, set from
// the clock or constructed. The empty date (all three fields 0) is never
// normalised: it stays empty.
class VDateInMem : public VValueSingle {
 public:
  // With `clear` the date is made empty and the value not null. The storage
  // is three 16-bit fields: day, month, year.
  VDateInMem(VDateRec* data, bool clear);
  VDateInMem(const VDateInMem&) = delete;
  VDateInMem& operator=(const VDateInMem&) = delete;

  // A new VDate holding the same fields, not null.
  VValue* Clone() const override;
  // The empty date, not null.
  void Clear() override;
  int32_t GetKind() const override;

  // The three fields.
  VDateRec& GetDate(VDateRec& date, int32_t range) const override;
  // The three fields, made not null, then normalised.
  void SetDate(const VDateRec& date, int32_t range) override;

  // Through the destination's SetDate.
  void CopyTo(VValue& destination, int32_t range) const override;
  // The destination's date text (the host's, display format 0), then the
  // host's text format when one is given.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The string's null flag; when not null, the date the string reads as,
  // normalised.
  void SetString(const VString& source, int32_t range) override;
  // The source's date, then its null flag; normalised when not null.
  void Assign(const VValue& source, int32_t range) override;
  // The other value's date against this one (see the record's Compare).
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;

  // Six bytes, day, month, year in memory order; not normalised.
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // Year, month and day as 16-bit numbers (the reverse of the order in
  // memory); with the tag 'VVAL' the kind 7 comes first. Not normalised.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  // Day, month and year of the local clock; made not null, not normalised.
  void SetToday();
  // Year, then month, then day, each as a signed 16-bit number: 1 when this
  // date is later than `date`, -1 when earlier, 0 when all three are equal.
  int32_t Compare(const VDateRec& date) const;
  // 0 for Sunday to 6 for Saturday, from the day count; the date's month and
  // day carry over as in GetSeconds.
  int32_t GetDayOfWeek() const;
  // The day count of the date, in seconds. A month outside 1 to 12 is
  // carried into the years (month 13 of 2001 is January 2002); a day outside
  // the month runs on into the following or back into the preceding months
  // (32 January is 1 February, 0 March the last day of February).
  int64_t GetSeconds() const;
  // The date whose day count is seconds / 86400. A date whose year would
  // not fit in 16 bits is not taken: the fields stay as they were.
  void SetSeconds(int64_t seconds);
  // SetSeconds(GetSeconds()): every valid date stays as it is; the empty
  // date stays empty.
  void Normalize();
  // Adds each to its field (in 16 bits), then normalises.
  void Add(int16_t years, int16_t months, int16_t days);
  // GetSeconds of this date minus that of the other.
  int64_t Difference(const VDateInMem& other) const;

  VDateRec* GetData() const { return fData; }

 protected:
  VDateRec Datum() const { return fData != nullptr ? *fData : VDateRec{}; }
  void Store(const VDateRec& date);

  VDateRec* fData;
};

// A date that holds its fields itself.
class VDate : public VDateInMem {
 public:
  // The empty date by default.
  VDate();
  VDate(int16_t day, int16_t month, int16_t year);
  // Copies hold their own fields: the fields and the null flag are copied.
  VDate(const VDate& other);
  VDate& operator=(const VDate& other);

 private:
  VDateRec fDate;
};
