// xMorvaV2import: reads documents of the word processor's older generation,
// an IFF "FORM" of type 'QMVT', into a document, replacing it. The form
// holds settings, print rectangles, style sheets, fonts, paragraphs with
// their text and character runs, host field marks, and a header and a
// footer that are forms of the same kind.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "framework/core/VObject.h"
#include "platform/bytes/ByteSpanReader.h"

class VStream;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaTabs;

constexpr int32_t kErrorV2NotFound = 1032;
constexpr int32_t kErrorV2Damaged = 1015;
constexpr int32_t kErrorV2NoMemory = 1041;

class xMorvaV2import : public VObject {
 public:
  xMorvaV2import() = default;
  ~xMorvaV2import() override;

  // Reads the stream from its start. 0; 1032 when no 'QMVT' form is found
  // (the document untouched); 1015 for a damaged form (the document
  // untouched) or a failed conversion (the document keeps what was
  // converted); 1041 when memory runs out.
  int32_t ImportV2Document(xMorvaDocument& document, VStream& stream, bool option);
  // The same over bytes in memory.
  int32_t ImportV2Bytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, bool option);

  // What a form holds as read: spans of its bytes, its paragraphs, its
  // host field marks, and the form itself.
  struct Span;
  struct Paragraph;
  struct Mark;
  struct Form;

 private:
  // A mark placed in its paragraph: the units [start, end) of the
  // paragraph's text that its element replaces.
  struct PlacedMark {
    const Mark* mark;
    uint32_t start, end;
  };

  // The display unit, the margins, the paper and the header and footer
  // bands, from the settings and the print record.
  void ConvertSettings(const Form& form);
  // The form's style sheets become sheets 2, 3 ... of the document's
  // store, after its default sheet.
  int32_t ConvertStyleSheets();
  // The form's paragraphs, in file order, into `engine` from its start.
  int32_t ConvertParagraphs(xMorvaEngine& engine, const Form& form);
  int32_t ConvertEachParagraph(xMorvaEngine& engine, const Form& form);
  // Converts the marks of a paragraph that start at unit `at` into their
  // elements, in order: `next` is the first mark not converted yet, and
  // `replacedTo` the end of the units the converted marks replace.
  int32_t ConvertMarks(xMorvaEngine& engine, const Form& form, const std::vector<PlacedMark>& marks, uint32_t at,
                       size_t& next, uint32_t& replacedTo);

  int32_t Pixels(int32_t points) const { return int32_t(int64_t(points) * fResolution / 72); }
  int32_t FontIndex(const Form& form, uint16_t number);
  // The marks of paragraph `index` that can stand in it, in the order of
  // their places; a picture paragraph's mark covers its one unit.
  std::vector<PlacedMark> PlaceMarks(const Form& form, size_t index, uint32_t length, bool picture) const;
  // Inserts at the caret the element a mark stands for: a page number, a
  // reference to a host field or expression, or, for an expression that
  // the host cannot make a reference of, the expression's text.
  int32_t MarkElement(xMorvaEngine& engine, const Form& form, const PlacedMark& placed);
  bool IsPageNumberKeyword(const std::string& expression) const;
  int32_t TextParagraph(xMorvaEngine& engine, const Form& form, const Paragraph& paragraph, uint16_t runCount,
                        const std::vector<PlacedMark>& marks);
  int32_t Format(xMorvaEngine& engine, ByteSpanReader& r);
  // A paragraph property and its value.
  using ParagraphValue = std::pair<uint16_t, int32_t>;
  // Gives the paragraph at the caret the values, and the tab list when
  // `tabs` is given.
  int32_t SetParagraph(xMorvaEngine& engine, const xMorvaTabs* tabs, const ParagraphValue* values,
                       size_t count);
  int32_t Picture(xMorvaEngine& engine, const Span& pict, int32_t width, int32_t height);
  void CaretToEnd(xMorvaEngine& engine);
  void TypeMacText(xMorvaEngine& engine, const std::string& text);

  // While an import runs: the document, its top-level form and the byte
  // order of the file.
  xMorvaDocument* fDocument = nullptr;
  const Form* fTop = nullptr;
  ByteSpanReader::Order fOrder = ByteSpanReader::Order::kLittle;
  int32_t fResolution = 72;
  // Whether the caret stands in an empty paragraph at the text's end that
  // no paragraph format has been given yet.
  bool fEmptyLastParagraph = false;
  // The store's id of each style record's sheet, and of its first sheet.
  std::vector<int16_t> fSheetIds;
  int16_t fFirstSheet = 0;
  // The document's font index of each font number met, by the font table
  // it was looked up in.
  std::map<std::pair<const void*, uint16_t>, int32_t> fFontIndexes;
  // The marks of the form being converted, by paragraph.
  std::map<uint16_t, std::vector<const Mark*>> fMarks;
  // Whether marks with a table number of 0 take the expression stored in
  // the host's own form, and the text that stands for the page number.
  bool fStoredExpressions = false;
  std::string fPageKeyword;
};
