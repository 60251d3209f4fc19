// VStringArray: the typed array of owned strings, the framework's list of
// texts.
#pragma once

#include "framework/core/containers/VOwnedValueArray.h"

class VResourceFile;

// Each element is a string object of any class of the string family, or null
// (an absent string). Kind 107, element kind 8.
//
// The setters keep an element's own class (its character kind and storage)
// whenever its capacity suffices; a null element is replaced by a new string
// of a size that suits the value (31 characters for booleans, words and
// longs, 80 for times, reals and dates).
//
// Strings compare without regard to case; a null element is below every
// string, and two null elements are equal.
//
// Stream form of the elements, in index order: the u32 'NULL' for a null
// element, or the u32 form code of the element's class (1 to 6) followed by
// the string's own data (its stream form without a kind in front). A code
// that names no string form gives a null element and no data is read for it.
// A read that fails part way leaves the array as it was.
class VStringArray : public VOwnedValueArray {
 public:
  explicit VStringArray(int32_t count = 0);
  VStringArray(const VStringArray& other);
  VStringArray& operator=(const VStringArray& other);

  // Element access (range: 1-based index, or -1 for the current element).
  // The element object, or null; the array keeps ownership.
  VString* GetAt(int32_t range) const;
  // The array takes the string; the previous object is deleted. A bad range
  // deletes the given string at once. Never sorts.
  void SetAt(VString* string, int32_t range);
  // Takes the element out: its slot becomes null and the caller owns it.
  VString* DetachAt(int32_t range);
  // Appends the string as a new element (the array takes it); never sorts.
  int32_t AppendObject(VString* string, bool propagate);
  // Inserts the string as a new element at the index (1 .. count + 1); the
  // array takes it. When it cannot be inserted the string is deleted.
  void InsertAt(VString* string, int32_t index);

  VValue* Clone() const override;
  int32_t GetKind() const override;
  int32_t GetElementKind() const override;
  bool IsSingle() const override;

  bool GetBoolean(int32_t range) const override;
  int16_t GetWord(int32_t range) const override;
  int32_t GetLong(int32_t range) const override;
  int32_t GetTime(int32_t range) const override;
  // The element's long reading, as a real.
  double GetReal(int32_t range) const override;
  VDateRec& GetDate(VDateRec& date, int32_t range) const override;
  void ConvertTo(VValue& destination, int32_t range) const override;
  void CopyTo(VValue& destination, int32_t range) const override;
  void FormatTo(VString& destination, const VString* format, int32_t range) const override;

  void SetBoolean(uint8_t value, int32_t range) override;
  void SetWord(int16_t value, int32_t range) override;
  void SetLong(int32_t value, int32_t range) override;
  void SetTime(int32_t seconds, int32_t range) override;
  void SetReal(double value, int32_t range) override;
  void SetDate(const VDateRec& date, int32_t range) override;
  // The element takes the text; an element too small for it (or null) is
  // replaced by the string's copy. Sorts when the sorted flag is set.
  void SetString(const VString& source, int32_t range) override;
  // The element receives the value's text form.
  void CopyFrom(const VValue& source, int32_t range) override;
  void Assign(const VValue& source, int32_t range) override;
  // The element against the value's text form; a null element answers -1.
  int32_t Compare(const VValue& other, int32_t strict, int32_t range) const override;

  int32_t FindValue(const VValue& value, int32_t start, bool forward, int32_t mode) const override;
  // The search of the typed arrays with the order tests mirrored: mode -2
  // seeks an element less than or equal to the string, -1 less, 0 equal,
  // 1 greater, 2 greater or equal; null elements count as found for -2 and
  // -1 and are skipped otherwise; any other mode answers start.
  int32_t Find(const VString& string, int32_t start = 1, bool forward = true, int32_t mode = 0) const;
  int32_t CompareElements(const void* a, const void* b) const override;

  // String lists ('STR#') of a resource file. These go through the file and
  // are built with the resource files (framework/system/resources).
  // Empties the array, then fills it with the strings of the list.
  void LoadFromSTRList(VResourceFile& file, int16_t id);
  // Appends the strings of the list behind the elements.
  void AppendFromSTRList(VResourceFile& file, int16_t id);
  // Stores the elements as the list `id` (replacing one of that id), each as
  // Macintosh text of at most 255 bytes; a null element is an empty text.
  // An element for which the list cannot grow is left out. Answers the id
  // the file added the list under, -1 on failure.
  int16_t SaveAsSTRList(VResourceFile& file, int16_t id, const VString* name) const;

 protected:
  int32_t WriteElements(VStream& stream) const override;
  int32_t ReadElements(VStream& stream, int32_t count) override;
  uint64_t StoredBytesFor(VStream& stream, uint64_t count) const override;

 private:
  // Applies a setter to the element, or to a new string of N characters
  // stored in place of a null element.
  template <int32_t N, typename Set>
  void SetThrough(int32_t range, Set set);
};
