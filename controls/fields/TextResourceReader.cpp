// Reading the 'HE' forms of styled text. Every length, count and style index
// is checked against the bytes and the style table before it is used, and
// nothing is handed back unless the whole record was read.
#include "controls/fields/TextResourceReader.h"

#include <cstring>

#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr uint16_t kHeHalf = 0x4845;
constexpr uint32_t kStreamVersion = 128;
// The stored TextEdit style record: run count, style count and four words
// before the runs.
constexpr size_t kStyleRecordHeader = 20;
constexpr size_t kStoredRunSize = 4;
// A style-table entry: a use count, then the 16 bytes an element copies.
constexpr size_t kTableEntrySize = 18;
constexpr size_t kEntryBodySize = 16;

// The pad byte after an odd length, when there is one.
void SkipPad(ByteSpanReader& in, size_t length) {
  if ((length & 1) != 0 && in.Remaining() > 0) in.Skip(1);
}

void PutNative16(uint8_t* at, int16_t value) { std::memcpy(at, &value, 2); }
void PutNative32(uint8_t* at, int32_t value) { std::memcpy(at, &value, 4); }

TextResourceError ReadVersion1(ByteSpanReader& in, TextResourceContent& out) {
  in.Seek(4);
  const uint32_t textLength = in.U32();
  if (in.Failed() || textLength > in.Remaining()) return TextResourceError::kTruncated;
  const uint8_t* text = in.Span(textLength);
  SkipPad(in, textLength);

  const uint32_t recordLength = in.U32();
  if (in.Failed() || recordLength > in.Remaining() || recordLength < kStyleRecordHeader)
    return TextResourceError::kTruncated;
  ByteSpanReader record(in.Span(recordLength), recordLength, in.GetOrder());
  SkipPad(in, recordLength);
  const int16_t runCount = record.I16();
  const int16_t styleCount = record.I16();
  record.Skip(16);
  if (runCount < 0 || styleCount < 0 || size_t(runCount) * kStoredRunSize > record.Remaining())
    return TextResourceError::kTruncated;

  const uint32_t tableLength = in.U32();
  if (in.Failed() || tableLength > in.Remaining() || size_t(styleCount) * kTableEntrySize > tableLength)
    return TextResourceError::kTruncated;
  const uint8_t* table = in.Span(tableLength);

  std::vector<uint8_t> scrap(kStyleScrapHeader + size_t(runCount) * kStyleScrapElement);
  PutNative16(scrap.data(), runCount);
  for (int16_t i = 0; i < runCount; ++i) {
    const int16_t start = record.I16();
    const int16_t index = record.I16();
    if (start < 0 || index < 0 || index >= styleCount) return TextResourceError::kBadRun;
    uint8_t* element = scrap.data() + kStyleScrapHeader + size_t(i) * kStyleScrapElement;
    PutNative32(element, start);
    std::memcpy(element + 4, table + size_t(index) * kTableEntrySize + 2, kEntryBodySize);
  }
  out.text.assign(text, text + textLength);
  out.styles = std::move(scrap);
  return TextResourceError::kNone;
}

TextResourceError ReadStream(ByteSpanReader& in, TextResourceContent& out) {
  in.Seek(0);
  const uint32_t tag = in.U32();
  const uint32_t version = in.U32();
  if (in.Failed()) return TextResourceError::kTruncated;
  if ((tag >> 16) != kHeHalf && (tag & 0xFFFF) != kHeHalf) return TextResourceError::kBadTag;
  if (version != kStreamVersion) return TextResourceError::kBadVersion;

  const uint32_t styleLength = in.U32();
  if (in.Failed() || styleLength > in.Remaining()) return TextResourceError::kTruncated;
  const uint8_t* styles = in.Span(styleLength);
  // The scrap's own count must fit the length stored for it.
  size_t elements = 0;
  if (styleLength > 0) {
    if (styleLength < kStyleScrapHeader) return TextResourceError::kTruncated;
    int16_t count = 0;
    std::memcpy(&count, styles, 2);
    if (count < 0 || kStyleScrapHeader + size_t(count) * kStyleScrapElement > styleLength)
      return TextResourceError::kTruncated;
    elements = size_t(count);
  }
  const uint32_t textLength = in.U32();
  if (in.Failed() || textLength > in.Remaining()) return TextResourceError::kTruncated;
  const uint8_t* text = in.Span(textLength);
  in.Skip(8);
  const int32_t selectionStart = in.I32();
  const int32_t selectionEnd = in.I32();
  if (in.Failed()) return TextResourceError::kTruncated;

  out.styles.assign(styles, styles + styleLength);
  // Older writers kept the face in the filler byte.
  for (size_t i = 0; i < elements; ++i) {
    uint8_t* element = out.styles.data() + kStyleScrapHeader + i * kStyleScrapElement;
    if (element[kStyleElementFiller] != 0) element[kStyleElementFace] = element[kStyleElementFiller];
  }
  out.text.assign(text, text + textLength);
  out.hasSelection = true;
  out.selectionStart = selectionStart;
  out.selectionEnd = selectionEnd;
  return TextResourceError::kNone;
}

}  // namespace

bool IsHeResourceType(uint32_t type) { return (type >> 16) == kHeHalf || (type & 0xFFFF) == kHeHalf; }

TextResourceError ReadHeTextResource(const uint8_t* data, size_t size, TextResourceContent& out) {
  out = TextResourceContent{};
  ByteSpanReader in(data, size);
  in.Skip(2);
  const uint16_t version = in.U16();
  if (in.Failed()) return TextResourceError::kTruncated;
  TextResourceContent read;
  TextResourceError error = TextResourceError::kNone;
  if (version == 0) {
    error = TextResourceError::kNothingStored;
  } else if (version == 1) {
    // Four bytes hold only the version: there is no text to load.
    error = size > 4 ? ReadVersion1(in, read) : TextResourceError::kTruncated;
  } else {
    error = ReadStream(in, read);
  }
  if (error == TextResourceError::kNone) out = std::move(read);
  return error;
}
