// VString: the framework's text value (kind 8). Its characters are held in
// one of three kinds (Macintosh bytes, Windows ANSI bytes, UTF-16 units) and
// in one of two storages (inside the object with a fixed capacity, or in a
// memory-manager handle); the concrete class decides both.
#pragma once

#include <cstdint>

#include "framework/core/values/VValue.h"

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
  // Assigns this string to the destination (text and null flag). Display
  // formats are applied by the host's routines, which arrive with the host.
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;
  // The source's null flag; when not null, the source's text form.
  void CopyFrom(const VValue& source, int32_t range) override;
  void SetString(const VString& source, int32_t range) override;
  // A null source makes this string null (and empty); otherwise its text form.
  void Assign(const VValue& source, int32_t range) override;
  // `strict` false compares letters without regard to case; a value that is
  // not a string is compared through its text form.
  int32_t Compare(const VValue& other, int32_t strict, int32_t unused) const override;

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

 protected:
  explicit VString(int32_t capacity);
  VString(const VString&) = delete;
  VString& operator=(const VString&) = delete;

  int32_t fCapacity;
};
