// The HTML writer: one walk over the body's element stream, keeping the
// properties in effect and those last written, and opening and closing tags
// where they differ.
#include "interchange/html/xMorvaExportHTML.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>
#include <vector>
#include <system_error>

#include "area/view/xMorvaHyperlink.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/containers/ValueReader.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VQuickTimePictures.h"
#include "interchange/html/xMorvaImportHTML.h"

xMorvaExportHTML::~xMorvaExportHTML() = default;

namespace {

constexpr char kGenerator[] = "Qv Morva 7.0";
constexpr char kDocumentType[] = "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">";
// Pixels a DIR level indents.
constexpr int32_t kPixelsPerLevel = 37;
// The bullets written as circles and squares; any other is a disc.
constexpr int32_t kWrittenBulletCircle = 109;
constexpr int32_t kWrittenBulletSquare = 111;
constexpr uint32_t kTypeJpeg = FourCC("JPEG");
// The output goes to the stream in pieces of about this size.
constexpr size_t kPageFlushSize = 64 * 1024;

class HtmlWriter {
 public:
  HtmlWriter(xMorvaDocument& document, VStream& stream, const std::string& outputPath);
  bool Write();

 private:
  // ---- Primitives.
  void Raw(const char* text) { FlushHigh(), fOut += text; }
  void Raw(const std::string& text) { FlushHigh(), fOut += text; }
  void WriteHTMLTag(const char* name, bool closing = false) {
    Raw(closing ? "</" : "<");
    Raw(name);
    Raw(">");
  }
  void NumberAttribute(const char* name, int32_t value) {
    char text[48];
    std::snprintf(text, sizeof text, " %s=%d", name, int(value));
    Raw(text);
  }
  void NewLine() { Raw("\r\n"); }
  void WriteHTMLChar(char16_t unit);
  void CodePoint(uint32_t code);
  void FlushHigh();
  void String(const VString& text);
  // Bytes as an attribute value between double quotation marks.
  void QuotedValue(const std::string& bytes);
  // Text as an attribute value, written as the page's text is (characters
  // outside ASCII as references), which a reader takes back as it was.
  void QuotedText(const VString& text);
  void Flush();

  // ---- Steps.
  void StartHTMLParagraph();
  void WriteEmptyItem();
  void WriteHTMLFontRun();
  void WriteHTMLStyleRun();
  void WriteHTMLStyle(uint16_t id, int32_t value);
  void BeforeContent();
  // Whether BeforeContent has nothing to do: no paragraph to start, no
  // look to write, no half of a pair waiting.
  bool Settled() const {
    return !fParagraphStartPending && !fFontRunChanged && !fStylesChanged && !fWrittenStale &&
           fChangedIds.empty() && fHigh == 0;
  }
  // Writes the character units from `at` on, up to `to` or the first item
  // that is no plain character (a record, an element, a paragraph end, a
  // half of a pair), as WriteHTMLChar writes each; answers where it stopped.
  uint32_t WritePlainStretch(const uint8_t* stream, uint32_t at, uint32_t to);
  // A code point written as its own byte: printable ASCII but the three
  // that HTML escapes.
  static bool WrittenAsItself(uint32_t code) {
    return code >= 32 && code <= 127 && code != '<' && code != '>' && code != '&';
  }
  // Closes the looks open (style tags, FONT, SPAN), to open again before
  // the next text.
  void CloseRuns();
  void WriteItems(const uint8_t* stream, uint32_t size, uint32_t from, uint32_t to, bool inLink);
  void WriteHTMLLink(const uint8_t* element, uint32_t size, bool inLink);
  void WriteHTMLExpression(const uint8_t* payload, uint32_t size);
  void ExportHTMLPictures(const uint8_t* element, uint32_t size);
  void SetDirDepth(int32_t depth);
  void CloseLists(int32_t keep);
  void CloseStyles(size_t keep);
  int32_t Wanted(uint16_t id) const;

  xMorvaDocument& fDocument;
  VStream& fStream;
  std::string fOut;
  char16_t fHigh = 0;
  xMorvaProperties fCurrent;
  xMorvaProperties fWritten;
  // fWritten was reset since it last took fCurrent whole; else the ids
  // whose values fCurrent changed since it took them.
  bool fWrittenStale = true;
  std::vector<uint16_t> fChangedIds;
  int32_t fPictureCount = 0;
  int32_t fDefaultFont = 0;
  std::string fImagesFolder;
  std::string fBaseName;
  bool fParagraphStartPending = true;
  bool fStylesChanged = true;
  bool fFontRunChanged = true;
  bool fParagraphOpen = false;
  bool fFontOpen = false;
  bool fSpanOpen = false;
  // An item of the innermost open list is open (its text may have ended);
  // the lists open, each inside an item of the one before.
  bool fItemOpen = false;
  int32_t fListDepth = 0;
  int32_t fDirDepth = 0;
  uint8_t fPosition = 0;
  // Inside an A, which shows in the reader's link colour.
  bool fInAnchor = false;
  // The style tags open inside the current FONT and SPAN, innermost last:
  // each is a property id and the value it was opened for.
  std::vector<std::pair<uint16_t, int32_t>> fOpenStyles;
};

HtmlWriter::HtmlWriter(xMorvaDocument& document, VStream& stream, const std::string& outputPath)
    : fDocument(document), fStream(stream) {
  if (!outputPath.empty()) {
    const std::filesystem::path path(outputPath);
    fImagesFolder = (path.parent_path() / "images").string();
    // The pictures are named after the page without its extension.
    fBaseName = path.stem().string().substr(0, 255);
  }
}

void HtmlWriter::Flush() {
  if (!fOut.empty()) fStream.PutData(fOut.data(), uint32_t(fOut.size()));
  fOut.clear();
}

void HtmlWriter::FlushHigh() {
  if (fHigh == 0) return;
  // Half of a surrogate pair alone is no character.
  fHigh = 0;
  CodePoint(0xFFFD);
}

void HtmlWriter::CodePoint(uint32_t code) {
  if (WrittenAsItself(code)) {
    fOut += char(code);
  } else if (code == '<') {
    fOut += "&lt;";
  } else if (code == '>') {
    fOut += "&gt;";
  } else if (code == '&') {
    fOut += "&amp;";
  } else {
    char text[16];
    std::snprintf(text, sizeof text, "&#%u;", unsigned(code));
    fOut += text;
  }
  if (fOut.size() >= kPageFlushSize) Flush();
}

void HtmlWriter::WriteHTMLChar(char16_t unit) {
  if (fCurrent.GetProperty(kPropLetterCase) != 0 && gIntlMgr != nullptr) gIntlMgr->ToUpperChar(unit, false);
  if (unit >= 0xDC00 && unit <= 0xDFFF && fHigh != 0) {
    const uint32_t code = 0x10000 + ((uint32_t(fHigh) - 0xD800) << 10) + (unit - 0xDC00);
    fHigh = 0;
    CodePoint(code);
    return;
  }
  FlushHigh();
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    fHigh = unit;
    return;
  }
  CodePoint(unit >= 0xDC00 && unit <= 0xDFFF ? 0xFFFD : unit);
}

uint32_t HtmlWriter::WritePlainStretch(const uint8_t* stream, uint32_t at, uint32_t to) {
  for (; to - at >= 2; at += 2) {
    const char16_t unit = char16_t(StreamUnit(stream + at));
    if (unit == 0 || unit == kUnitParagraphEnd || (unit >= 0xD800 && unit <= 0xDFFF)) break;
    if (WrittenAsItself(unit)) {
      fOut += char(unit);
    } else {
      CodePoint(unit);
    }
  }
  if (fOut.size() >= kPageFlushSize) Flush();
  return at;
}

void HtmlWriter::String(const VString& text) {
  const int32_t length = text.GetLength();
  for (int32_t i = 1; i <= length; ++i) WriteHTMLChar(text.GetCharAt(i));
  FlushHigh();
}

void HtmlWriter::QuotedValue(const std::string& bytes) {
  Raw("\"");
  for (char c : bytes) {
    switch (c) {
      case '&': fOut += "&amp;"; break;
      case '"': fOut += "&quot;"; break;
      case '<': fOut += "&lt;"; break;
      case '>': fOut += "&gt;"; break;
      default: fOut += c;
    }
  }
  Raw("\"");
}

void HtmlWriter::QuotedText(const VString& text) {
  Raw("\"");
  const int32_t length = text.GetLength();
  for (int32_t i = 1; i <= length; ++i) {
    const char16_t unit = text.GetCharAt(i);
    if (unit == '"') {
      fOut += "&quot;";
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i < length && text.GetCharAt(i + 1) >= 0xDC00 &&
               text.GetCharAt(i + 1) <= 0xDFFF) {
      CodePoint(0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (text.GetCharAt(i + 1) - 0xDC00u));
      ++i;
    } else {
      CodePoint(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
  }
  Raw("\"");
}

void HtmlWriter::SetDirDepth(int32_t depth) {
  for (; fDirDepth < depth; ++fDirDepth) WriteHTMLTag("DIR");
  for (; fDirDepth > depth; --fDirDepth) WriteHTMLTag("DIR", true);
}

void HtmlWriter::WriteHTMLStyle(uint16_t id, int32_t value) {
  switch (id) {
    case kPropBold: WriteHTMLTag("B", value == 0); break;
    case kPropItalic: WriteHTMLTag("I", value == 0); break;
    case kPropStrikeOut: WriteHTMLTag("STRIKE", value == 0); break;
    case kPropUnderline: WriteHTMLTag("U", value == 0); break;
    case kPropVerticalPosition:
      if (fPosition == 1) WriteHTMLTag("SUP", true);
      if (fPosition == 2) WriteHTMLTag("SUB", true);
      if (value == 1) WriteHTMLTag("SUP");
      if (value == 2) WriteHTMLTag("SUB");
      fPosition = uint8_t(value == 1 || value == 2 ? value : 0);
      break;
    default: break;
  }
}

// Closes the lists deeper than `keep`: the open item of each, the list,
// and the item of the list around it, which the list stood in, is then the
// open one. A line end follows the outermost list.
void HtmlWriter::CloseLists(int32_t keep) {
  if (fListDepth <= keep) return;
  while (fListDepth > keep) {
    if (fItemOpen) WriteHTMLTag("LI", true);
    WriteHTMLTag("UL", true);
    --fListDepth;
    fItemOpen = fListDepth > 0;
  }
  if (fListDepth == 0) NewLine();
}

void HtmlWriter::StartHTMLParagraph() {
  if (!fParagraphStartPending) return;
  const int32_t bullet = fCurrent.GetProperty(kPropBullet);
  if (fParagraphOpen) {
    // FONT and SPAN close with their paragraph and open again in the next,
    // so that the tags nest.
    CloseRuns();
    // An item stays open after its text: a list nested in it goes inside
    // it. No line end after an item either: readers that keep the text
    // between an item's end and the next item's start (ours does) would
    // take it for a space at the item's end.
    if (!fItemOpen) {
      WriteHTMLTag("P", true);
      NewLine();
    }
  }
  // A bulleted paragraph is an item in a list, never inside a P, and a
  // list stands only in the body or in an item of the list around it
  // (HTML 4.01 allows no list in a DIR): an item of indent level n (one at
  // least) is an item of the n-th list of a nest, each list inside an item
  // of the one around it, and readers indent each list by one level. A
  // level with no item of its own around a deeper one gets an item without
  // a bullet, which holds the deeper list.
  const int32_t level = std::max(0, fCurrent.GetProperty(kPropLeftIndent) / kPixelsPerLevel);
  if (bullet == 0) {
    CloseLists(0);
    SetDirDepth(level);
  } else {
    const int32_t depth = std::max(1, level);
    if (fListDepth == 0) SetDirDepth(0);
    CloseLists(depth);
    if (fListDepth == depth && fItemOpen) WriteHTMLTag("LI", true);
    while (fListDepth < depth) {
      if (fListDepth > 0 && !fItemOpen) Raw("<LI STYLE=\"list-style-type: none\">");
      // No gap around the list either: our lists have none.
      Raw("<UL STYLE=\"margin-top: 0in; margin-bottom: 0in\">");
      ++fListDepth;
      fItemOpen = false;
    }
    fItemOpen = false;
  }
  const int32_t align = fCurrent.GetProperty(kPropAlignment);
  std::string style = "margin-top: 0in; margin-bottom: 0in; line-height: ";
  if (bullet != 0) {
    Raw("<LI");
    // Every item says its bullet, a disc too: readers that carry an item's
    // type on to the items after it (as HTML 3.2 has it) give each its own.
    Raw(bullet == kWrittenBulletCircle   ? " TYPE=\"circle\""
        : bullet == kWrittenBulletSquare ? " TYPE=\"square\""
                                         : " TYPE=\"disc\"");
    // An item has no ALIGN of its own: its style says it, which our
    // reader and LibreOffice read.
    if (align >= 1 && align <= 3)
      style = std::string(align == 1 ? "text-align: center; " : align == 2 ? "text-align: right; " : "text-align: justify; ") + style;
  } else {
    Raw("<P");
    if (align == 1) Raw(" ALIGN=\"CENTER\"");
    if (align == 2) Raw(" ALIGN=\"RIGHT\"");
    // Justified text stays justified: HTML 4.01 has the value, and our
    // reader takes it back.
    if (align == 3) Raw(" ALIGN=\"JUSTIFY\"");
  }
  // Our paragraphs have no gap before or after them, and their line
  // spacing (tenths of a line) is said as a number, a factor of the font
  // size: a browser gives each run inside the paragraph (a larger FONT) a
  // line height of that factor times its own size, where a percentage
  // would be worked out once, on the paragraph's font, and handed down to
  // the run as a length, too low for its larger type. Said on the
  // paragraph itself, so that no reader's defaults for a paragraph (a gap
  // below it, a taller line) change the page's look. LibreOffice takes a
  // zero margin from the page's style sheet for its own paragraph gap, but
  // keeps the paragraph's own, and reads the number as its percentage.
  const int32_t interline = fCurrent.GetProperty(kPropInterline) > 0
                                ? fCurrent.GetProperty(kPropInterline)
                                : kHTMLSingleInterline;
  Raw(" STYLE=\"" + style + std::to_string(interline / 10) + "." + std::to_string(interline % 10) +
      "\"");
  Raw(">");
  fItemOpen = bullet != 0;
  fParagraphStartPending = false;
  fStylesChanged = true;
  fWritten.SetDefaults();
  fWrittenStale = true;
  fPosition = 0;
  fParagraphOpen = true;
}

// A paragraph without text is left out of the page, but for a bulleted
// one: an empty item of its list, which readers keep as an item.
void HtmlWriter::WriteEmptyItem() {
  if (fParagraphStartPending && fCurrent.GetProperty(kPropBullet) != 0) StartHTMLParagraph();
}

void HtmlWriter::WriteHTMLFontRun() {
  if (!fFontRunChanged) return;
  // The styles open inside the old run close with it and open again
  // inside the new one.
  if (!fOpenStyles.empty()) {
    CloseStyles(0);
    fStylesChanged = true;
  }
  if (fSpanOpen) WriteHTMLTag("SPAN", true);
  if (fFontOpen) WriteHTMLTag("FONT", true);
  const int32_t points = fCurrent.GetProperty(kPropSize);
  int32_t size = 7;
  for (int32_t i = 0; i < 7; ++i) {
    if (kHTMLSizePoints[i] >= points) {
      size = i + 1;
      break;
    }
  }
  const int32_t font = fCurrent.GetProperty(kPropFont);
  // A link's text takes the link colour the reader gives an A.
  const int32_t colour = fInAnchor ? 0 : fCurrent.GetProperty(kPropTextColour);
  if (size == 3 && font == fDefaultFont && colour == 0) {
    fFontOpen = false;
  } else {
    Raw("<FONT");
    if (font != fDefaultFont) {
      VStr<255> name;
      bool known = false;
      fDocument.FontNameForIndex(font, name, known);
      Raw(" FACE=");
      QuotedText(name);
    }
    if (size != 3) NumberAttribute("SIZE", size);
    if (colour != 0) {
      char text[32];
      std::snprintf(text, sizeof text, " COLOR=\"#%02x%02x%02x\"", unsigned(colour & 0xFF),
                    unsigned((colour >> 8) & 0xFF), unsigned((colour >> 16) & 0xFF));
      Raw(text);
    }
    Raw(">");
    fFontOpen = true;
  }
  const int32_t back = fCurrent.GetProperty(kPropBackColour);
  if (back == -1) {
    fSpanOpen = false;
  } else {
    char text[64];
    std::snprintf(text, sizeof text, "<SPAN STYLE='BACKGROUND:#%02x%02x%02x' >", unsigned(back & 0xFF),
                  unsigned((back >> 8) & 0xFF), unsigned((back >> 16) & 0xFF));
    Raw(text);
    fSpanOpen = true;
  }
  fFontRunChanged = false;
}

// The tag value a style property asks for: 0 for none.
int32_t HtmlWriter::Wanted(uint16_t id) const {
  const int32_t value = fCurrent.GetProperty(id);
  if (id == kPropVerticalPosition) return value == 1 || value == 2 ? value : 0;
  return value != 0 ? 1 : 0;
}

// Closes the open style tags above the first `keep`, innermost first.
void HtmlWriter::CloseStyles(size_t keep) {
  while (fOpenStyles.size() > keep) {
    WriteHTMLStyle(fOpenStyles.back().first, 0);
    fOpenStyles.pop_back();
  }
}

// Tags close in the reverse order of their opening: a style that ends
// closes the ones opened after it, and those still wanted open again.
void HtmlWriter::WriteHTMLStyleRun() {
  if (!fStylesChanged) return;
  size_t keep = 0;
  while (keep < fOpenStyles.size() && Wanted(fOpenStyles[keep].first) == fOpenStyles[keep].second) ++keep;
  CloseStyles(keep);
  for (uint16_t id : {kPropBold, kPropItalic, kPropStrikeOut, kPropUnderline, kPropVerticalPosition}) {
    const int32_t value = Wanted(id);
    if (value == 0) continue;
    bool open = false;
    for (const auto& style : fOpenStyles) open = open || style.first == id;
    if (open) continue;
    WriteHTMLStyle(id, value);
    fOpenStyles.emplace_back(id, value);
  }
  fStylesChanged = false;
}

void HtmlWriter::CloseRuns() {
  CloseStyles(0);
  if (fSpanOpen) WriteHTMLTag("SPAN", true);
  if (fFontOpen) WriteHTMLTag("FONT", true);
  fFontOpen = fSpanOpen = false;
  fFontRunChanged = fStylesChanged = true;
}

void HtmlWriter::BeforeContent() {
  StartHTMLParagraph();
  WriteHTMLFontRun();
  WriteHTMLStyleRun();
  // Only what changed is taken again: before every character a copy of
  // every property would cost more than the character.
  if (fWrittenStale) {
    for (uint16_t id = 0; id < kPropTabs; ++id) fWritten.SetProperty(id, fCurrent.GetProperty(id));
  } else {
    for (const uint16_t id : fChangedIds) fWritten.SetProperty(id, fCurrent.GetProperty(id));
  }
  fWrittenStale = false;
  fChangedIds.clear();
}

// A hyperlink element (`size` bytes at `element`, its head included): for
// a URL an A around the link's text, the text as the document holds it,
// its characters in their looks and its pictures. The looks open before
// the link close before its A and those its text wants open inside it, so
// that the tags nest. A link inside another's text (no stream of ours
// holds one) is its text alone.
void HtmlWriter::WriteHTMLLink(const uint8_t* element, uint32_t size, bool inLink) {
  uint32_t from = 0, bytes = 0;
  xMorvaHyperlink link;
  if (!link.ReadElement(element, size, from, bytes)) return;
  const bool url = link.GetKind() == xMorvaHyperlink::kURL && !inLink;
  if (url) {
    CloseRuns();
    Raw("<A HREF=");
    QuotedText(link.GetTarget());
    Raw(">");
    fInAnchor = true;
  }
  WriteItems(element, size, from, from + bytes, true);
  if (url) {
    FlushHigh();
    CloseRuns();
    WriteHTMLTag("A", true);
    fInAnchor = false;
  }
}

void HtmlWriter::WriteHTMLExpression(const uint8_t* payload, uint32_t size) {
  uint32_t length = 0;
  const uint8_t* data = ComputedObjectOf(payload, size, length);
  if (data == nullptr || length == 0) return;
  VMemoryStream stream(data, length);
  if (stream.OpenRead() != 0) return;
  VStrInHandle expression;
  const bool read = xMorvaEngine::ReadHTMLExpression(stream, expression);
  stream.CloseRead();
  if (!read || expression.GetLength() == 0) return;
  // The expression is HTML of its own, written into the page as it stands.
  std::string bytes(size_t(expression.GetLength()) * 2 + 1, '\0');
  const int32_t n = expression.ConvertInto(bytes.data(), int32_t(bytes.size()), 1);
  Raw(bytes.substr(0, size_t(std::max(0, n))));
}

void HtmlWriter::ExportHTMLPictures(const uint8_t* element, uint32_t size) {
  if (fImagesFolder.empty()) return;
  xMorvaPictureHeader header;
  if (!ReadPictureHeader(element, size, header)) return;
  ++fPictureCount;
  Raw("<IMG");
  NumberAttribute("WIDTH", header.shownWidth);
  NumberAttribute("HEIGHT", header.shownHeight);
  char number[16];
  std::snprintf(number, sizeof number, "%03d", int(fPictureCount));
  const std::string name = fBaseName + number + ".jpg";
  Raw(" SRC=");
  QuotedValue("./images/" + name);
  Raw(">");

  std::error_code error;
  std::filesystem::create_directories(fImagesFolder, error);
  if (!std::filesystem::is_directory(fImagesFolder, error)) return;
  const uint32_t skip = kElementHeadSize + kPictureHeaderSize;
  if (size < skip) return;
  VMemoryStream data(element + skip, size - skip);
  data.SetByteOrders(header.order == kByteOrderMacintosh ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  if (data.OpenRead() != 0) return;
  std::unique_ptr<VValue> value(ReadValue(data));
  const bool read = value != nullptr && value->GetKind() == kValuePicture && data.GetStatus() == 0;
  data.CloseRead();
  // A picture that does not read leaves its tag without a file.
  if (!read) return;
  VPictPictureData pict;
  pict.SetFromPicture(static_cast<const VPictureData&>(*value));
  if (pict.GetHandle() == 0) return;
  const std::string path = fImagesFolder + "/" + name;
  std::filesystem::remove(path, error);
  ExportPictureFile(path, pict, kTypeJpeg, false, false, nullptr);
}

// Writes the items of [from, to) of a stream of `size` bytes. The text of
// a link (`inLink`) stays in one line, as the link shows it: a paragraph
// end in it is a space, paragraph settings are its paragraph's, not its
// own, and the settings the link's look keeps take effect after it.
void HtmlWriter::WriteItems(const uint8_t* stream, uint32_t size, uint32_t from, uint32_t to, bool inLink) {
  const uint32_t limit = inLink ? to : size;
  // The settings the link's look keeps, for after it.
  std::vector<std::pair<uint16_t, int32_t>> held;
  auto set = [&](uint16_t id, int32_t value) {
    fCurrent.SetProperty(id, value);
    if (!fWrittenStale) fChangedIds.push_back(id);
    if (id >= kPropFont && id <= kPropBackColour)
      fFontRunChanged = true;
    else
      fStylesChanged = true;
  };
  // The second half of a surrogate pair written with its first.
  uint32_t writtenLow = UINT32_MAX;
  for (uint32_t at = from; at < to;) {
    const StreamItem item = ReadStreamItem(stream + at, limit - at);
    if (item.size == 0) break;
    if (item.kind == StreamItem::kUnit) {
      if (item.unit == kUnitParagraphEnd && !inLink) {
        WriteEmptyItem();
        fParagraphStartPending = true;
      } else if (item.unit == kUnitParagraphEnd) {
        BeforeContent();
        WriteHTMLChar(u' ');
      } else if (at != writtenLow && !(item.unit >= 0xD800 && item.unit <= 0xDFFF) && Settled() &&
                 fCurrent.GetProperty(kPropLetterCase) == 0) {
        // The common case, a stretch of characters in the look already
        // written, goes out without the steps of each character.
        at = WritePlainStretch(stream, at, to);
        continue;
      } else if (at != writtenLow) {
        BeforeContent();
        WriteHTMLChar(item.unit);
        // A character beyond the Basic Multilingual Plane is written
        // whole, in the look of its first half, even where a property
        // change between its halves would put a tag between them.
        if (item.unit >= 0xD800 && item.unit <= 0xDBFF) {
          for (uint32_t next = at + item.size; next < to;) {
            const StreamItem after = ReadStreamItem(stream + next, limit - next);
            if (after.size == 0) break;
            if (after.kind == StreamItem::kRecord) {
              next += after.size;
              continue;
            }
            if (after.kind == StreamItem::kUnit && after.unit >= 0xDC00 && after.unit <= 0xDFFF) {
              WriteHTMLChar(after.unit);
              writtenLow = next;
            }
            break;
          }
        }
      }
    } else if (item.kind == StreamItem::kRecord) {
      if (item.unit < kPropTabs && !(inLink && item.unit >= kFirstParagraphProperty)) {
        if (inLink && IsHeldByLinkLook(item.unit) && fCurrent.GetProperty(kPropLinkLook) != 0) {
          held.emplace_back(item.unit, int32_t(item.value));
        } else {
          set(item.unit, int32_t(item.value));
        }
      }
    } else {
      if (item.unit == xMorvaElementCode::Hyperlink)
        StartHTMLParagraph();
      else
        BeforeContent();
      const uint8_t* payload = stream + at + kElementHeadSize;
      const uint32_t payloadSize = item.size >= kElementHeadSize ? item.size - kElementHeadSize : 0;
      switch (item.unit) {
        case xMorvaElementCode::HTMLExpression: WriteHTMLExpression(payload, payloadSize); break;
        case xMorvaElementCode::Hyperlink: WriteHTMLLink(stream + at, item.size, inLink); break;
        case xMorvaElementCode::Tab: WriteHTMLChar(u' '); break;
        case xMorvaElementCode::Pict: ExportHTMLPictures(stream + at, item.size); break;
        // Every soft hyphen, wherever its line ends: a browser hyphenates
        // there as we do, and our reader takes it back as one.
        case xMorvaElementCode::SoftHyphen: Raw("&shy;"); break;
        default:
          // The text other elements show follows their fixed part and is
          // written as ordinary characters.
          at += item.skipSize;
          continue;
      }
    }
    at += item.size;
  }
  for (const auto& [id, value] : held) set(id, value);
}

bool HtmlWriter::Write() {
  VStr<63> times;
  times.SetCText("Times New Roman", kCharSetAnsi);
  fDefaultFont = fDocument.FontIndexForName(times);

  // The document type line first: programs that tell a page from plain
  // text by its first bytes (AbiWord) look for it or for a lower-case
  // "<html", and the markup below is HTML 4.01 Transitional's.
  Raw(kDocumentType);
  NewLine();
  Raw("<HTML>");
  NewLine();
  Raw("<HEAD>");
  NewLine();
  Raw("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1252\">");
  NewLine();
  Raw("<META NAME=\"Generator\" CONTENT=\"");
  Raw(kGenerator);
  Raw("\">");
  NewLine();
  Raw("<TITLE>");
  VStrInHandle title;
  fDocument.GetDocumentName(title);
  String(title);
  Raw("</TITLE>");
  NewLine();
  Raw("</HEAD>");
  NewLine();
  Raw("<BODY>");
  NewLine();

  if (auto* body = static_cast<xMorvaEngine*>(fDocument.GetPart(kPartBody))) {
    const uint32_t size = body->GetStreamSize();
    const uint8_t* stream = size != 0 ? body->LockStream() : nullptr;
    if (stream != nullptr) {
      WriteItems(stream, size, 0, size, false);
      body->UnlockStream();
    }
    if (size != 0) WriteEmptyItem();
  }
  FlushHigh();
  CloseStyles(0);
  if (fSpanOpen) WriteHTMLTag("SPAN", true);
  if (fFontOpen) WriteHTMLTag("FONT", true);
  if (fParagraphOpen && !fItemOpen) WriteHTMLTag("P", true);
  CloseLists(0);
  SetDirDepth(0);
  NewLine();
  Raw("</BODY>");
  NewLine();
  Raw("</HTML>");
  NewLine();
  Flush();
  return fStream.GetStatus() == 0;
}

}  // namespace

bool xMorvaExportHTML::ExportHTMLDocument(xMorvaDocument& document, VStream& stream, const std::string& outputPath) {
  HtmlWriter writer(document, stream, outputPath);
  return writer.Write();
}
