// The stored forms of a text field's styled text: the 'HExx'/'xxHE'
// resources of version 1 (text, TextEdit style record and style table) and
// their stream form (tag, version 128, style scrap, text, selection), read
// from bytes into the text and a TextEdit style scrap.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The TextEdit style scrap ('styl' layout), in the machine's order: s16
// element count, then per element s32 start offset, s16 line height, s16
// ascent, s16 font number, u8 face, u8 filler, s16 size, 3 x u16 colour
// (red, green, blue). It holds exactly its elements.
constexpr size_t kStyleScrapHeader = 2;
constexpr size_t kStyleScrapElement = 20;
// Offsets inside an element.
constexpr size_t kStyleElementFace = 10;
constexpr size_t kStyleElementFiller = 11;

// Why stored styled text was not read.
enum class TextResourceError : int32_t {
  kNone = 0,
  kNothingStored,  // version 0: the resource holds nothing to load
  kTruncated,      // a length or count reaches past the bytes
  kBadRun,         // a run's start is negative or its style index past the table
  kBadTag,         // the stream form's tag has no 'HE' half
  kBadVersion,     // the stream form's version is not 128
};

struct TextResourceContent {
  std::vector<uint8_t> text;
  std::vector<uint8_t> styles;  // a style scrap; empty when none is stored
  bool hasSelection = false;
  int32_t selectionStart = 0;
  int32_t selectionEnd = 0;
};

// Whether a resource type is read as an 'HE' resource: "HE" as its high or
// its low 16 bits.
bool IsHeResourceType(uint32_t type);

// Reads an 'HE' resource: version 1 (bytes 2 and 3 of the first word, in
// the machine's order), version 0 (nothing), any other the stream form. On
// an error `out` is left empty.
TextResourceError ReadHeTextResource(const uint8_t* data, size_t size, TextResourceContent& out);
