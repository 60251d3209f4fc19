// Writing and reading a string's stored value form.
#include "framework/core/values/StringStreamForm.h"

#include <algorithm>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VString.h"

namespace {

// What the read answers for an empty stored string, and for a character
// kind that has no stored form.
constexpr int32_t kReadEmptyString = -3;
constexpr int32_t kReadUnknownCharKind = -2;
// The capacity refused the stored length.
constexpr int32_t kReadTooLong = 100;

// The string's characters, held for as long as the object lives.
class HeldChars {
 public:
  explicit HeldChars(const VString& s) : fString(s), fData(s.GetBuffer()) {}
  ~HeldChars() { fString.ReleaseBuffer(); }
  HeldChars(const HeldChars&) = delete;
  HeldChars& operator=(const HeldChars&) = delete;
  void* Data() const { return fData; }

 private:
  const VString& fString;
  void* fData;
};

// Passes over `size` bytes in steps that a signed skip can take.
void SkipBytes(VStream& stream, uint64_t size) {
  constexpr uint64_t kLargestStep = 0x7FFFFFFF;
  while (size > 0 && stream.GetStatus() <= 0) {
    const uint64_t step = std::min(size, kLargestStep);
    stream.Skip(static_cast<int32_t>(step));
    size -= step;
  }
}

// `count` characters of `unitSize` bytes: 16-bit units are swapped as the
// stream's order asks, bytes are taken as they are. Answers the whole
// characters that arrived.
uint32_t ReadChars(VStream& stream, void* into, uint32_t count, uint32_t unitSize) {
  if (unitSize == 2) {
    uint32_t got = count;
    stream.GetWordArray(static_cast<uint16_t*>(into), got);
    return got;
  }
  uint32_t got = count;
  stream.GetData(into, got);
  return got;
}

}  // namespace

int32_t WriteStringToStream(const VString& string, VStream& stream, uint32_t tag) {
  if (tag == kTagVVAL) {
    stream.PutLong(kValueString);
    stream.PutLong(string.GetForm());
  }
  const int32_t length = string.GetLength();
  stream.PutLong(length);
  if (length <= 0) return stream.GetStatus();
  stream.PutLong(string.GetCharKind());
  {
    HeldChars chars(string);
    // The terminating 0 is written on its own: the characters go by count.
    if (string.GetCharSize() == 2) {
      stream.PutWordArray(static_cast<const uint16_t*>(chars.Data()), uint32_t(length));
      stream.PutWord(0);
    } else {
      stream.PutData(chars.Data(), uint32_t(length));
      stream.PutByte(0);
    }
  }
  return stream.GetStatus();
}

int32_t ReadStringFromStream(VString& string, VStream& stream) {
  const int32_t length = stream.GetLong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (length < 1) {
    string.Clear();
    return kReadEmptyString;
  }
  const int32_t storedKind = stream.GetLong();
  if (stream.GetStatus() > 0) return stream.GetStatus();
  if (storedKind != kCharKindMac && storedKind != kCharKindAnsi && storedKind != kCharKindUnicode)
    return kReadUnknownCharKind;

  // The characters and their terminator.
  const uint32_t unitSize = storedKind == kCharKindUnicode ? 2 : 1;
  const uint32_t count = uint32_t(length) + 1;
  const uint64_t bytes = uint64_t(count) * unitSize;
  if (!stream.HasRemaining(bytes)) return stream.GetStatus();

  if (storedKind == string.GetCharKind()) {
    if (!string.SetLength(length)) {
      SkipBytes(stream, bytes);
      return kReadTooLong;
    }
    uint32_t got;
    {
      HeldChars chars(string);
      got = ReadChars(stream, chars.Data(), count, unitSize);
    }
    // A short stream leaves the characters that arrived; the terminator is
    // always the string's own.
    if (got < uint32_t(length)) string.SetLength(int32_t(got));
    string.Terminate();
    return stream.GetStatus();
  }

  if (length > string.GetCapacity()) {
    SkipBytes(stream, bytes);
    return kReadTooLong;
  }
  void* block = gMemoryMgr->NewBlock(uint32_t(bytes));
  if (block == nullptr) {
    string.Clear();
    return stream.GetStatus();
  }
  const uint32_t got = ReadChars(stream, block, count, unitSize);
  const int32_t whole = int32_t(std::min(got, uint32_t(length)));
  string.SetEmpty(false);
  if (unitSize == 2)
    string.AppendUniChars(static_cast<const char16_t*>(block), whole);
  else
    string.AppendChars(static_cast<const char*>(block), whole, storedKind);
  gMemoryMgr->DisposeBlock(block);
  return stream.GetStatus();
}
