// VString: the framework's text value (kind 8). Its characters are held in
// one of three kinds (Macintosh bytes, Windows ANSI bytes, UTF-16 units) and
// in one of two storages (inside the object with a fixed capacity, or in a
// memory-manager handle); the concrete class decides both.
#pragma once

#include <cstdint>

#include "framework/core/values/VValue.h"

class VResourceFile;

// Character kinds (GetCharKind).
constexpr int32_t kCharKindMac = 0;
constexpr int32_t kCharKindAnsi = 1;
constexpr int32_t kCharKindUnicode = 2;

// Character-set arguments of the 8-bit operations; -1 is the string's own
// kind (a UTF-16 string counts it as ANSI).
constexpr int32_t kCharSetMac = 0;
constexpr int32_t kCharSetAnsi = 1;
constexpr int32_t kCharSetOwn = -1;

// Form codes (GetForm, the string factory, the stored form of a string).
constexpr int32_t kStringFormUni = 1;
constexpr int32_t kStringFormUniHandle = 2;
constexpr int32_t kStringFormMac = 3;
constexpr int32_t kStringFormMacHandle = 4;
constexpr int32_t kStringFormAnsi = 5;
constexpr int32_t kStringFormAnsiHandle = 6;

// The capacity of the in-handle strings: no practical limit.
constexpr int32_t kStringHandleCapacity = 0x7fffffff;

// Invariants of every string:
//  - 0 <= length <= capacity. Text that would pass the capacity is cut off
//    at it, silently; only SetLength answers false for a length beyond it
//    (or a handle that cannot grow) and then leaves the string as it was.
//  - Every length change goes through SetLength, which writes a zero
//    character behind the last one, so the buffer of a non-empty string
//    reads as a zero-terminated text. Readers of an empty string go by its
//    length: an emptied 8-bit in-handle string may have no zero in its handle.
//  - Positions are 1-based; position 0 or one past the length addresses
//    nothing: reads answer 0 and writes are ignored.
//  - The null flag is independent of the text: emptying a string does not
//    make it null, and every public setter ends by clearing the null flag.
class VString : public VValueSingle {
 public:
  ~VString() override;

  // Value interface.
  bool IsSingle() const override;
  // With a true argument the text is first emptied and its handle shrunk.
  void SetNull(bool isNull, int32_t range) override;
  // Empty (shrinking the handle) and not null.
  void Clear() override;
  int32_t GetKind() const override;
  // Both give the other value this string through its SetString.
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  // Assigns this string to the destination (text and null flag), then, when
  // a format is given, applies it as a text format through the host.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, the source's text form.
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  // A null source makes this string null (and empty); otherwise its text form.
  void Assign(const VValue& source, int32_t range) override;
  // `strict` false compares letters without regard to case; a value that is
  // not a string is compared through its text form.
  int32_t Compare(const VValue& other, int32_t strict, int32_t unused) const override;

  // ---- Text forms of numbers, booleans, times and dates. The settings
  // (decimal, date and time separators, date order, designators, the words
  // for true and false) are read from the environment at each call.
  //
  // The readers see an ANSI copy of the first 80 characters and report
  // nothing: a text without digits reads as 0. GetLong stops its integer
  // part at the decimal separator and takes an exponent ("12.9" is 12, "2e3"
  // is 2000); GetWord is GetLong cut to 16 bits; GetLongLong takes no
  // exponent; GetReal takes the fraction and the exponent. Numbers that
  // overflow their width wrap.
  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int64_t GetLongLong(int32_t range) const override;
  double GetReal(int32_t range) const override;
  // The seconds of a time text (hours, minutes and seconds split by the time
  // separator, then optionally the morning or afternoon designator), or
  // kNoTime (0x80000000) for a text that is no time.
  int32_t GetTime(int32_t range) const override;
  // The date of a date text in the environment's date order, two-digit
  // years widened by the host's century rule; the empty date for a text that
  // is no date. Not normalised.
  VDateRec& GetDate(VDateRec& date, int32_t range) const override;

  // Each setter empties the text, writes the value's text form and clears
  // the null flag. Integers are decimal with "-" for negatives; a real is
  // written in the general form with 14 digits and the environment's
  // decimal separator ("NaN", "+" or "-" and U+221E for the infinities); a
  // boolean is the environment's word for it; times and dates are the
  // host's texts under display format 0.
  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetLongLong(int64_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;
  void SetDate(const VDateRec& date, int32_t range) override;
  // The time or date of a value (its GetTime or GetDate).
  void SetTime(const VValue& time);
  void SetDate(const VValue& date);
  // The integer under a formatter mode (see VNumberText.h): 0 decimal, 16 a
  // four-character code, 17 to 21 hexadecimal, 1 to 3 as a real.
  void SetInteger(int32_t n, int32_t mode);
  // SetInteger with mode 16: the four bytes of the code, highest first.
  void SetOSTypeText(uint32_t code);
  // SetInteger with mode 19: four hexadecimal digits.
  void SetHexWord(int16_t n);

  // A new value of the kind the text stands for, owned by the caller: a
  // number (one sign, digits, at most one decimal separator and one
  // exponent) is a VLong when it is a whole number of at most 9 digits and a
  // VReal otherwise; a time text a VHour; the words for true and false a
  // VBoolean; a valid date (one that normalising leaves as it is) a VDate.
  // Any other text gives a copy of this string when `keepAsString` is set,
  // null otherwise.
  VValue* NewValueFromText(bool keepAsString) const;

  // The flat form: a UTF-16 string as a 16-bit length, the units and a zero
  // unit; an 8-bit string as a length-prefixed ANSI text and a zero byte.
  // The length prefix carries at most 255 characters, so the flat form holds
  // the first 255; GetDataSize is exactly what ToData writes, and FromData
  // answers the pointer past the text the buffer holds (its own prefix, not
  // this string's capacity, decides how far).
  const uint8_t* FromData(const uint8_t* data, int32_t range) override;
  uint8_t* ToData(uint8_t* data, int32_t range) const override;
  uint32_t GetDataSize() const override;

  // String interface.
  virtual bool IsUnicode() const = 0;
  virtual bool IsAnsi() const = 0;
  virtual bool IsMac() const = 0;
  virtual bool IsInHandle() const = 0;
  virtual int32_t GetCharKind() const = 0;
  // 1 or 2 bytes.
  virtual int16_t GetCharSize() const = 0;
  virtual int32_t GetForm() const = 0;
  // Length 0; with `shrink` an in-handle string also cuts its handle.
  virtual void SetEmpty(bool shrink) = 0;
  virtual int32_t GetLength() const = 0;
  // Writes the zero character behind the last one.
  virtual void Terminate() = 0;
  // The first character (char16_t or byte); an in-handle string locks its
  // handle until ReleaseBuffer. Never null: an empty string without storage
  // answers a shared zero character.
  virtual void* GetBuffer() const = 0;
  virtual void ReleaseBuffer() const;
  // True in every class of the family.
  virtual bool IsAvailable() const;
  // Replace the text by `count` characters from text + offset.
  virtual void SetUniChars(const char16_t* text, int32_t offset, int32_t count) = 0;
  virtual void SetChars(const char* text, int32_t offset, int32_t count, int32_t charSet) = 0;
  // Appends; a null text appends nothing.
  virtual void AppendUniCText(const char16_t* text) = 0;
  // A 16-bit length, then the units.
  virtual void AppendUniPText(const char16_t* text) = 0;
  // A length byte, then the bytes.
  virtual void AppendPText(const uint8_t* text, int32_t charSet) = 0;
  virtual void AppendCText(const char* text, int32_t charSet) = 0;
  virtual void AppendChar(uint8_t c, int32_t charSet) = 0;
  virtual void AppendUniChar(char16_t c) = 0;
  // Keeps `count` characters from `start`, moved to the front.
  virtual void KeepRange(int32_t start, int32_t count) = 0;
  // Inserts a string of any kind before `position`.
  virtual void Insert(const VString& other, int32_t position) = 0;
  virtual void InsertChar(char16_t c, int32_t position) = 0;
  virtual void ReplaceRange(const VString& other, int32_t start, int32_t count) = 0;
  virtual void Delete(int32_t start, int32_t count) = 0;
  // The first position at or after `start` where the pattern matches under
  // Compare's rules, or 0. The base searches a UTF-16 copy of the text.
  virtual int32_t Find(const VString& pattern, int32_t start, bool strict) const;
  virtual int32_t FindChar(char16_t c, int32_t start, bool backwards) const = 0;
  // The character as a UTF-16 unit; 0 outside 1..length.
  virtual char16_t GetCharAt(int32_t position) const = 0;
  virtual void SetCharAt(int32_t position, char16_t c) = 0;
  // False, unchanged, beyond the capacity or when the handle cannot grow.
  virtual bool SetLength(int32_t length) = 0;

  // Appends `count` characters (UTF-16 units, or bytes of the given set),
  // cut at the capacity. Every append ends here; they go by count, never by
  // a terminator, so a buffer without one is never read past its end.
  virtual void AppendUniChars(const char16_t* text, int32_t count) = 0;
  virtual void AppendChars(const char* text, int32_t count, int32_t charSet) = 0;

  int32_t GetCapacity() const { return fCapacity; }

  // Appends the source's text, converted to this string's kind; does not
  // empty first.
  void CopyText(const VString& source);
  // Takes the source's null flag; when not null, its text.
  void Assign(const VString& source);

  // ---- Setters. Each empties the text (keeping the handle's size), appends
  // through the named append and then clears the null flag and reports the
  // change; SetMacCTextQuiet alone leaves the null flag and reports nothing.
  void SetChar(uint8_t c, int32_t charSet);
  void SetUniChar(char16_t c);
  // A 16-bit length, then the units.
  void SetUniPText(const char16_t* text);
  void SetUniCText(const char16_t* text);
  // A length byte, then the bytes.
  void SetPText(const uint8_t* text, int32_t charSet);
  void SetMacPText(const uint8_t* text);
  void SetAnsiPText(const uint8_t* text);
  void SetCText(const char* text, int32_t charSet);
  void SetMacCTextQuiet(const char* text);
  void SetAnsiCText(const char* text);

  // Appends whose set -1 stands for the string's own kind, a UTF-16 string
  // counting as ANSI; any set other than 0 is ANSI.
  void AppendCTextIn(const char* text, int32_t charSet);
  void AppendPTextIn(const uint8_t* text, int32_t charSet);
  void AppendCharIn(uint8_t c, int32_t charSet);

  // Appends the text form of any value (its Assign into a UTF-16 string);
  // does not empty first.
  void SetFromValue(const VValue& value);

  // ---- Copies out into caller buffers. A set argument of -1 is the
  // string's own kind (ANSI for a UTF-16 string); any other set than 0 is
  // ANSI. Converted text stops at the first character whose bytes do not
  // all fit; characters without a form in the target set are dropped.
  //
  // A length-prefixed text. Of the same kind: at most `maximum` characters,
  // so the destination holds maximum + 1 bytes. Converted: at most
  // maximum - 1 characters within `maximum` bytes. The length byte holds at
  // most 255, so a larger maximum counts as 255.
  void GetPText(uint8_t* destination, int32_t maximum, int32_t charSet) const;
  // A zero-terminated text within `maximum` bytes (at most maximum - 1
  // characters and the zero); nothing for a maximum below 1.
  void GetCText(char* destination, int32_t maximum, int32_t charSet) const;
  // UTF-16 behind a 16-bit length: at most `maximum` characters from a
  // UTF-16 string, maximum - 1 converted from an 8-bit one (and never more
  // than the length field holds).
  void GetUniPText(char16_t* destination, int32_t maximum) const;
  // Zero-terminated UTF-16 within `maximum` units.
  void GetUniCText(char16_t* destination, int32_t maximum) const;
  // UTF-16 without a terminator at destination + offset: at most `maximum`
  // units from a UTF-16 string, maximum - 1 converted from an 8-bit one.
  // Answers the units written.
  int32_t GetUniChars(char16_t* destination, int32_t offset, int32_t maximum) const;
  // The text as bytes of set 0 or 1, without a terminator, at most
  // `maximum` bytes; answers the bytes written.
  int32_t ConvertInto(char* destination, int32_t maximum, int32_t charSet) const;
  // Writes the text into a memory-manager handle as a zero-terminated text
  // of form -1 (own kind), 0 (Macintosh), 1 (ANSI) or 2 (UTF-16), then sizes
  // the handle to the bytes written, with the terminator when asked. False,
  // and the handle untouched, when it cannot be sized for the text; false
  // too when the last sizing fails (the text is then there, with room
  // behind its terminator).
  bool ToHandle(VMemHandle handle, int32_t form, bool withTerminator) const;
  // A new handle filled by ToHandle, owned by the caller; 0 when it fails.
  VMemHandle NewHandleOfText(int32_t form, bool withTerminator) const;
  // Replaces the text by a handle's bytes of form -1, 0, 1 or 2 (one
  // trailing zero character dropped) and clears the null flag.
  void SetFromHandle(VMemHandle handle, int32_t form);
  // The first four characters as ANSI bytes in a four-character code, the
  // first in the highest byte; missing characters count as 0.
  uint32_t GetOSType() const;

  // ---- Comparison: negative, 0 or positive; `strict` false compares
  // letters without regard to case.
  int32_t Compare(const VString& other, bool strict) const;
  // Caller texts, in a set (-1 the string's own kind, any other set than 0
  // ANSI) or in UTF-16.
  int32_t CompareCText(const char* text, int32_t charSet, bool strict) const;
  int32_t ComparePText(const uint8_t* text, int32_t charSet, bool strict) const;
  int32_t CompareUniCText(const char16_t* text, bool strict) const;
  int32_t CompareUniPText(const char16_t* text, bool strict) const;

  // ---- Replaces, from `start` and at most `count` times, the pattern (found
  // without regard to case) by the replacement; the search goes on behind
  // each replacement. An empty pattern changes nothing.
  void Replace(const VString& pattern, const VString& replacement, int32_t start, int32_t count);

  // ---- Case, through the international text manager's tables; `variant`
  // chooses the table that also removes accents.
  void ToUpper(bool variant);
  void ToLower(bool variant);

  // When the text has at least two characters and both its first and its
  // last one are `c`, keeps what lies between them and answers true.
  bool Unquote(char16_t c);
  // When the first character is `c`, drops it and answers true.
  bool StripLeading(char16_t c);
  // Removes every leading and trailing `c`.
  void TrimChar(char16_t c);
  // The bytes as two upper-case hexadecimal digits each, high nibble first.
  void SetHexBytes(const uint8_t* bytes, int32_t count);
  // The reverse: each pair of characters ("0"-"9", "A"-"F", "a"-"f"; any
  // other character counts as 0) gives a byte; at most `maximum` bytes, a
  // last odd character ignored. Answers the bytes written.
  int32_t GetHexBytes(uint8_t* destination, int32_t maximum) const;
  // The text read as a hexadecimal number, other characters skipped.
  int32_t GetHexLong() const;
  // Each character in its HTML form, written to the stream.
  void WriteHtmlText(VStream& stream) const;

  // ---- Strings from resources: a length-prefixed string ('STR '), an item
  // of a string list ('STR#') and a plain text ('TEXT'), all stored as
  // Macintosh text. When a name is given (a zero-terminated text) the file's
  // id of that name is used instead of `id`; a name the file does not hold
  // stands for no resource. These go through a resource file and are built
  // with the resource files (framework/system/resources).
  //
  // The loads empty the string and clear its null flag first; a missing
  // resource leaves it empty.
  void LoadPString(VResourceFile& file, int16_t id, const char* name);
  // Item `index` (1-based) of the list.
  void LoadIndString(VResourceFile& file, int16_t id, int16_t index, const char* name);
  // The whole resource as Macintosh characters.
  void LoadText(VResourceFile& file, int16_t id, const char* name);
  // The saves write the text converted to Macintosh bytes (characters
  // without a Macintosh form are dropped) into the resource when it exists,
  // or add it as a new one with the id and name (id -1: a fresh id). They
  // answer the resource's id, or -1 when the resource cannot be sized or
  // added, or no memory is left for the bytes; nothing is written then.
  // The text, without a terminator.
  int16_t SaveText(VResourceFile& file, int16_t id, const char* name) const;
  // At most 255 bytes behind their length byte.
  int16_t SavePString(VResourceFile& file, int16_t id, const char* name) const;
  // Items of a string list cannot be saved one by one: answers -1 and
  // changes nothing.
  int16_t SaveIndString(VResourceFile& file, int16_t id, int16_t index, const char* name) const;

  // ---- Display formats through the host's routines (format numbers are the
  // host's). The date and time texts come back as Macintosh text and are
  // appended. Without the host's routines a date clears the string and a
  // time appends nothing.
  void AppendDateText(const VDateRec& date, uint16_t format);
  // The date of a date value (GetDate of the whole value).
  void AppendDateText(const VValue& date, uint16_t format);
  void AppendTimeText(int32_t seconds, uint16_t format);
  // The seconds of a time value (GetTime of the whole value).
  void AppendTimeText(const VValue& time, uint16_t format);

 protected:
  explicit VString(int32_t capacity);
  VString(const VString&) = delete;
  VString& operator=(const VString&) = delete;

  int32_t fCapacity;
};
