// VValue: the typed datum the framework passes between its parts and to and
// from the host, and VValueSingle, the base of every value that is one datum.
#pragma once

#include <cstdint>

#include "boundary/HostDisplayRoutines.h"
#include "framework/core/VObject.h"

class VString;

// Kind codes answered by GetKind. 9 and 13 belong to values of other
// subsystems; no array of kind 103 or 108 exists.
constexpr int32_t kValueEmpty = 0;
constexpr int32_t kValueBoolean = 1;
constexpr int32_t kValueWord = 2;
constexpr int32_t kValueLong = 3;
constexpr int32_t kValueBigInteger = 4;
constexpr int32_t kValueReal = 5;
constexpr int32_t kValueHour = 6;
constexpr int32_t kValueDate = 7;
constexpr int32_t kValueString = 8;
constexpr int32_t kValuePicture = 10;
constexpr int32_t kValueFixedPoint = 11;
constexpr int32_t kValueLongLong = 12;
// Typed arrays: elements of kind (array kind - 99).
constexpr int32_t kValueBooleanArray = 100;
constexpr int32_t kValueWordArray = 101;
constexpr int32_t kValueLongArray = 102;
constexpr int32_t kValueRealArray = 104;
constexpr int32_t kValueHourArray = 105;
constexpr int32_t kValueDateArray = 106;
constexpr int32_t kValueStringArray = 107;
constexpr int32_t kValueReferenceArray = 109;

// The range argument that every getter, setter and copy takes: arrays and
// lists read it as the 1-based element index; -1 means the value as a whole,
// and single values ignore it.
constexpr int32_t kWholeValue = -1;

// The common interface of every value. Code that does not know a value's
// class works only through these operations; the defaults below answer a
// neutral result (false, 0, the empty date) and change nothing, so a class
// fills in only what its datum supports.
//
// Moving a datum between two values follows one pattern in every class:
//  - CopyTo(destination): through the destination's setter of this value's
//    own type (a boolean through SetBoolean, a string through SetString...);
//  - ConvertTo(destination): through the setter of this value's interchange
//    type (SetLong for booleans, longs and times, SetWord, SetReal,
//    SetLongLong); by default destination.Assign(*this);
//  - Assign(source): read the source through this value's own getter, then
//    take the source's null flag; the datum is read even from a null source;
//  - CopyFrom(source) and SetString(source): take the source's null flag
//    first and stop when the result is null.
// A null value keeps its last datum and its getters still answer it.
class VValue : public VObject {
 public:
  VValue() = default;
  ~VValue() override;

  // A new object of this value's own final class holding a copy of the datum.
  virtual VValue* Clone() const = 0;
  virtual bool IsSingle() const = 0;
  virtual bool IsMultiple() const;
  virtual bool IsInteger() const;
  // Called with 1 after every change of the null flag; nothing by default.
  virtual void Changed(uint8_t flag);
  virtual bool IsChangeHooked() const;
  // Stores the flag, then reports the change.
  virtual void SetNull(bool isNull, int32_t range);
  virtual bool IsNull(int32_t range) const;
  // Sets the datum to its zero and clears the null flag; nothing by default.
  virtual void Clear();
  virtual int32_t GetKind() const = 0;

  virtual bool GetBoolean(int32_t range) const;
  virtual int16_t GetWord(int32_t range) const;
  virtual int32_t GetLong(int32_t range) const;
  virtual int64_t GetLongLong(int32_t range) const;
  // Seconds.
  virtual int32_t GetTime(int32_t range) const;
  virtual double GetReal(int32_t range) const;
  virtual void ConvertTo(VValue& destination, int32_t range) const;
  // Writes the date into `date` (the empty date by default) and answers it.
  virtual VDateRec& GetDate(VDateRec& date, int32_t range) const;
  // The value's text form, under a display format when one is given;
  // by default the destination is cleared.
  virtual void FormatTo(VString& destination, const VString* format, int32_t range) const;
  virtual void CopyTo(VValue& destination, int32_t range) const;

  // A stored byte: 0 is false, any other byte true.
  virtual void SetBoolean(uint8_t value, int32_t range);
  virtual void SetWord(int16_t value, int32_t range);
  virtual void SetLong(int32_t value, int32_t range);
  virtual void SetLongLong(int64_t value, int32_t range);
  virtual void SetTime(int32_t seconds, int32_t range);
  virtual void SetReal(double value, int32_t range);
  virtual void CopyFrom(const VValue& source, int32_t range);
  virtual void SetDate(const VDateRec& date, int32_t range);
  virtual void SetString(const VString& source, int32_t range);
  virtual void Assign(const VValue& source, int32_t range);

  // 1 when this value is greater than `other`, -1 when smaller, 0 when equal.
  // The meaning of the two further arguments belongs to each class (strings
  // take the first as the strict flag); the numeric classes ignore them.
  virtual int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const = 0;

  // The datum in a flat buffer, in memory order: FromData reads it and
  // answers the pointer past what it read, ToData writes it and answers the
  // pointer past what it wrote, GetDataSize is the number of bytes ToData
  // writes. By default nothing is read or written and the size is 0.
  virtual const uint8_t* FromData(const uint8_t* data, int32_t range);
  virtual uint8_t* ToData(uint8_t* data, int32_t range) const;
  virtual uint32_t GetDataSize() const;

  // kind - 99 for the array kinds 100 to 109, otherwise 0.
  static int32_t ElementKindOf(int32_t arrayKind);
  // kind + 99 for the element kinds 1 to 13, otherwise 0.
  static int32_t ArrayKindOf(int32_t elementKind);

 protected:
  // 1 while the value is null; independent of the datum.
  uint8_t fNull = 0;
};

// The base of every value that holds one datum.
class VValueSingle : public VValue {
 public:
  bool IsSingle() const override;

  // The stored form of a single value that gives none of its own: the
  // string family's (see StringStreamForm.h); any other class answers -2,
  // not supported, as the big integer and the fixed point must.
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;
};
