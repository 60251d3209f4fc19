// The UTF-16 strings: VUniString (the editing operations, once for both
// storages), VStrInMem and VStr<N> (characters inside the object) and
// VStrInHandle (characters in a memory-manager handle).
#pragma once

#include "framework/core/strings/VString.h"

class VUniString : public VString {
 public:
  bool IsUnicode() const override;
  bool IsAnsi() const override;
  bool IsMac() const override;
  int32_t GetCharKind() const override;
  int16_t GetCharSize() const override;

  void Terminate() override;
  void SetUniChars(const char16_t* text, int32_t offset, int32_t count) override;
  void SetChars(const char* text, int32_t offset, int32_t count, int32_t charSet) override;
  void AppendUniCText(const char16_t* text) override;
  void AppendUniPText(const char16_t* text) override;
  void AppendPText(const uint8_t* text, int32_t charSet) override;
  void AppendCText(const char* text, int32_t charSet) override;
  void AppendChar(uint8_t c, int32_t charSet) override;
  void AppendUniChar(char16_t c) override;
  void KeepRange(int32_t start, int32_t count) override;
  void Insert(const VString& other, int32_t position) override;
  void InsertChar(char16_t c, int32_t position) override;
  void ReplaceRange(const VString& other, int32_t start, int32_t count) override;
  void Delete(int32_t start, int32_t count) override;
  int32_t Find(const VString& pattern, int32_t start, bool strict) const override;
  int32_t FindChar(char16_t c, int32_t start, bool backwards) const override;
  char16_t GetCharAt(int32_t position) const override;
  void SetCharAt(int32_t position, char16_t c) override;
  void AppendUniChars(const char16_t* text, int32_t count) override;
  void AppendChars(const char* text, int32_t count, int32_t charSet) override;

 protected:
  using VString::VString;

  // Makes the text the given units (which must not lie in this string's own
  // buffer), cut at the capacity. The new length is granted before anything
  // is written, so a refused length leaves the text as it was.
  bool CommitUnits(const char16_t* units, int32_t count);
  // Replaces `removed` characters from the 0-based index `at` by `count`
  // units, the result cut at the capacity; all or nothing, as CommitUnits.
  bool Splice(int32_t at, int32_t removed, const char16_t* units, int32_t count);
};

// Characters inside memory that the caller gives: a 16-bit length, then the
// characters, then room for a zero unit (capacity + 2 units in all). The
// length field bounds the capacity at 65535.
class VStrInMem : public VUniString {
 public:
  // The storage belongs to the caller; with `clear` the string starts empty.
  VStrInMem(char16_t* storage, int32_t capacity, bool clear);

  // A new VStrInMem over the same storage: both objects show one text.
  VValue* Clone() const override;
  bool IsInHandle() const override;
  int32_t GetForm() const override;
  void SetEmpty(bool shrink) override;
  int32_t GetLength() const override;
  void* GetBuffer() const override;
  bool SetLength(int32_t length) override;

 private:
  char16_t* fStorage;
};

// A UTF-16 string of at most N characters held inside the object.
template <int32_t N>
class VStr : public VStrInMem {
  static_assert(N > 0 && N <= 0xFFFF, "the length field holds 16 bits");

 public:
  VStr() : VStrInMem(fInline, N, true) {}
  VStr(const VStr& other) : VStr() { SetString(other, kWholeValue); }
  VStr& operator=(const VStr& other) {
    SetString(other, kWholeValue);
    return *this;
  }

  // A copy of its own class: same text, same null flag.
  VValue* Clone() const override {
    auto* copy = new VStr<N>;
    copy->SetString(*this, kWholeValue);
    return copy;
  }

 private:
  char16_t fInline[N + 2];
};

// Characters in a memory-manager handle, followed by one zero unit; no
// practical limit. A borrowed handle belongs to someone else and is never
// disposed of by the string.
class VStrInHandle : public VUniString {
 public:
  VStrInHandle();
  VStrInHandle(const VStrInHandle& other);
  // A copy of any string.
  explicit VStrInHandle(const VString& other);
  VStrInHandle(VMemHandle handle, bool borrowed);
  ~VStrInHandle() override;
  VStrInHandle& operator=(const VStrInHandle& other);

  // Disposes of the current handle unless borrowed and takes this one; the
  // length is what the handle holds before its last unit, which becomes the
  // zero unit. Clears the null flag.
  void SetHandle(VMemHandle handle, bool borrowed);
  VMemHandle GetHandle() const { return fHandle; }

  VValue* Clone() const override;
  bool IsInHandle() const override;
  int32_t GetForm() const override;
  void SetEmpty(bool shrink) override;
  int32_t GetLength() const override;
  void* GetBuffer() const override;
  void ReleaseBuffer() const override;
  bool SetLength(int32_t length) override;

 private:
  void DisposeOwnHandle();

  int32_t fLength = 0;
  VMemHandle fHandle = 0;
  uint8_t fBorrowed = 0;
};
