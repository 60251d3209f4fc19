// The 8-bit strings: VByteString (the editing operations, once for both byte
// encodings), VMacString and VAnsiString (the two encodings), and their
// storages: inside the object (at most 255 characters) or in a handle.
#pragma once

#include "framework/core/strings/VString.h"

class VByteString : public VString {
 public:
  int16_t GetCharSize() const override;

  void Terminate() override;
  void SetUniChars(const char16_t* text, int32_t offset, int32_t count) override;
  // With the own set the null flag is left as it is; with the other set the
  // converted text clears it.
  void SetChars(const char* text, int32_t offset, int32_t count, int32_t charSet) override;
  void AppendUniCText(const char16_t* text) override;
  void AppendUniPText(const char16_t* text) override;
  void AppendPText(const uint8_t* text, int32_t charSet) override;
  void AppendCText(const char* text, int32_t charSet) override;
  void AppendChar(uint8_t c, int32_t charSet) override;
  // Nothing for a unit without a byte form in the own set.
  void AppendUniChar(char16_t c) override;
  void KeepRange(int32_t start, int32_t count) override;
  void Insert(const VString& other, int32_t position) override;
  void InsertChar(char16_t c, int32_t position) override;
  void ReplaceRange(const VString& other, int32_t start, int32_t count) override;
  void Delete(int32_t start, int32_t count) override;
  // Always forwards, comparing the UTF-16 form of each character.
  int32_t FindChar(char16_t c, int32_t start, bool backwards) const override;
  // The character at the position as UTF-16 (in a multi-byte script the
  // whole sequence starting there); 0 when it has none.
  char16_t GetCharAt(int32_t position) const override;
  // The first byte of the unit's form in the own set; a unit without one
  // leaves the character as it was.
  void SetCharAt(int32_t position, char16_t c) override;
  void AppendUniChars(const char16_t* text, int32_t count) override;
  void AppendChars(const char* text, int32_t count, int32_t charSet) override;

 protected:
  using VString::VString;

  // Appends bytes of the own set, cut at the capacity. The bytes must not
  // lie in this string's own buffer.
  void AppendBytes(const uint8_t* bytes, int32_t count);
  // Makes the text the given bytes (not from this string's own buffer), cut
  // at the capacity. The new length is granted before anything is written,
  // so a refused length leaves the text as it was.
  bool CommitBytes(const uint8_t* bytes, int32_t count);
  // Replaces `removed` bytes from the 0-based index `at` by `count` bytes,
  // the result cut at the capacity; all or nothing, as CommitBytes.
  bool Splice(int32_t at, int32_t removed, const uint8_t* bytes, int32_t count);
  // The own set: 0 for the Macintosh strings, 1 for the ANSI strings.
  int32_t OwnSet() const { return GetCharKind(); }
};

class VMacString : public VByteString {
 public:
  bool IsUnicode() const override;
  bool IsAnsi() const override;
  bool IsMac() const override;
  int32_t GetCharKind() const override;

  // An emptied and shrunk handle keeps room for the length and the zero.
  static constexpr uint32_t kEmptyHandleSize = 2;

 protected:
  using VByteString::VByteString;
};

class VAnsiString : public VByteString {
 public:
  bool IsUnicode() const override;
  bool IsAnsi() const override;
  bool IsMac() const override;
  int32_t GetCharKind() const override;

  // An emptied and shrunk handle holds nothing at all.
  static constexpr uint32_t kEmptyHandleSize = 0;

 protected:
  using VByteString::VByteString;
};

// Characters inside memory that the caller gives: a length byte, then the
// characters, then room for a zero byte. The length byte bounds the
// capacity at 255 whatever is asked.
template <class Encoding>
class VByteStrInMemOf : public Encoding {
 public:
  bool IsInHandle() const override;
  void SetEmpty(bool shrink) override;
  int32_t GetLength() const override;
  void* GetBuffer() const override;
  bool SetLength(int32_t length) override;

 protected:
  VByteStrInMemOf(uint8_t* storage, int32_t capacity);
  VByteStrInMemOf(const VByteStrInMemOf&) = delete;
  VByteStrInMemOf& operator=(const VByteStrInMemOf&) = delete;

  uint8_t* fStorage;
};

// Characters in a memory-manager handle, followed by a zero byte once the
// length has been set. A borrowed handle is never disposed of by the string.
template <class Encoding>
class VByteStrInHandleOf : public Encoding {
 public:
  ~VByteStrInHandleOf() override;

  // Disposes of the current handle unless borrowed and takes this one; the
  // length is what the handle holds before its last byte, which becomes the
  // zero byte. Clears the null flag.
  void SetHandle(VMemHandle handle, bool borrowed);
  VMemHandle GetHandle() const { return fHandle; }

  bool IsInHandle() const override;
  void SetEmpty(bool shrink) override;
  int32_t GetLength() const override;
  void* GetBuffer() const override;
  void ReleaseBuffer() const override;
  bool SetLength(int32_t length) override;

 protected:
  VByteStrInHandleOf();
  // A duplicate of the other's handle and its length, not borrowed.
  VByteStrInHandleOf(const VByteStrInHandleOf& other);
  VByteStrInHandleOf(VMemHandle handle, bool borrowed);
  void TakeCopyOf(const VByteStrInHandleOf& other);
  void DisposeOwnHandle();

  int32_t fLength = 0;
  VMemHandle fHandle = 0;
  uint8_t fBorrowed = 0;
};

extern template class VByteStrInMemOf<VMacString>;
extern template class VByteStrInMemOf<VAnsiString>;
extern template class VByteStrInHandleOf<VMacString>;
extern template class VByteStrInHandleOf<VAnsiString>;

class VMacStrInMem : public VByteStrInMemOf<VMacString> {
 public:
  VMacStrInMem(uint8_t* storage, int32_t capacity, bool clear);
  // A new VMacStrInMem over the same storage: both objects show one text.
  VValue* Clone() const override;
  int32_t GetForm() const override;
};

template <int32_t N>
class VMacStr : public VMacStrInMem {
  static_assert(N > 0 && N <= 255, "the length byte holds at most 255");

 public:
  VMacStr() : VMacStrInMem(fInline, N, true) {}
  VMacStr(const VMacStr& other) : VMacStr() { this->SetString(other, kWholeValue); }
  VMacStr& operator=(const VMacStr& other) {
    this->SetString(other, kWholeValue);
    return *this;
  }
  VValue* Clone() const override {
    auto* copy = new VMacStr<N>;
    copy->SetString(*this, kWholeValue);
    return copy;
  }

 private:
  uint8_t fInline[N + 2];
};

class VMacStrInHandle : public VByteStrInHandleOf<VMacString> {
 public:
  VMacStrInHandle();
  VMacStrInHandle(const VMacStrInHandle& other);
  explicit VMacStrInHandle(const VString& other);
  VMacStrInHandle(VMemHandle handle, bool borrowed);
  VMacStrInHandle& operator=(const VMacStrInHandle& other);

  VValue* Clone() const override;
  int32_t GetForm() const override;
};

class VAnsiStrInMem : public VByteStrInMemOf<VAnsiString> {
 public:
  VAnsiStrInMem(uint8_t* storage, int32_t capacity, bool clear);
  VValue* Clone() const override;
  int32_t GetForm() const override;
};

template <int32_t N>
class VAnsiStr : public VAnsiStrInMem {
  static_assert(N > 0 && N <= 255, "the length byte holds at most 255");

 public:
  VAnsiStr() : VAnsiStrInMem(fInline, N, true) {}
  VAnsiStr(const VAnsiStr& other) : VAnsiStr() { this->SetString(other, kWholeValue); }
  VAnsiStr& operator=(const VAnsiStr& other) {
    this->SetString(other, kWholeValue);
    return *this;
  }
  VValue* Clone() const override {
    auto* copy = new VAnsiStr<N>;
    copy->SetString(*this, kWholeValue);
    return copy;
  }

 private:
  uint8_t fInline[N + 2];
};

class VAnsiStrInHandle : public VByteStrInHandleOf<VAnsiString> {
 public:
  VAnsiStrInHandle();
  VAnsiStrInHandle(const VAnsiStrInHandle& other);
  explicit VAnsiStrInHandle(const VString& other);
  VAnsiStrInHandle(VMemHandle handle, bool borrowed);
  VAnsiStrInHandle& operator=(const VAnsiStrInHandle& other);

  VValue* Clone() const override;
  int32_t GetForm() const override;
};
