// The older format's reader: the whole form is walked and checked first
// (every chunk inside its form, every count inside its chunk), and only a
// form that reads whole replaces the document.
//
// Layout (numbers in the order the "FORM" tag gives: the bytes "FORM" mean
// big-endian, the bytes reversed little-endian; lengths in points):
//   Optional leading bytes whose first word gives the offset of the form,
//   "FORM" u32 length 'QMVT', then chunks: u32 tag, u32 length, data, a pad
//   byte after odd lengths. 'DOCU' settings; 'HIDR' and 'FUTR' a nested
//   form each, at the chunk's start or behind leading bytes as the file's
//   (u16 height in points at offset 6 of the chunk); 'HOTL' a length-prefixed
//   string; 'PRNT' 8 bytes, then page and paper rectangles (i16 top, left,
//   bottom, right); nested FORMs 'PARA' (inner 'PARA' record, 'TEXT',
//   'STYL' runs of 10 bytes, 'PICT'), 'STLS', 'FNTS' and 'MARK'.
#include "interchange/older/xMorvaV2import.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "area/xMorvaMain.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaFontTable.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VHandleLocker.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "host/context/VHostRef.h"
#include "host/package/VPackage.h"
#include "platform/bytes/ByteSpanReader.h"
#include "platform/toolbox/TbxHandles.h"

xMorvaV2import::~xMorvaV2import() = default;

namespace {

constexpr uint32_t kTagForm = FourCC("FORM");
constexpr uint32_t kTagDocument = FourCC("QMVT");
constexpr uint32_t kTagSettings = FourCC("DOCU");
constexpr uint32_t kTagHeader = FourCC("HIDR");
constexpr uint32_t kTagFooter = FourCC("FUTR");
constexpr uint32_t kTagHotLink = FourCC("HOTL");
constexpr uint32_t kTagPrint = FourCC("PRNT");
constexpr uint32_t kTagParagraph = FourCC("PARA");
constexpr uint32_t kTagText = FourCC("TEXT");
constexpr uint32_t kTagRuns = FourCC("STYL");
constexpr uint32_t kTagPicture = FourCC("PICT");
constexpr uint32_t kTagStyles = FourCC("STLS");
constexpr uint32_t kTagFonts = FourCC("FNTS");
constexpr uint32_t kTagMarks = FourCC("MARK");

// The FORM is looked for again this far on from the offset the file's
// first word gives.
constexpr size_t kFormSearchStep = 65536;
// A character format: u16 font, u8 size, u8 face, u8, u8 red, green, blue,
// u16 offset.
constexpr size_t kRunSize = 10;
// The settings extension (display unit ...) follows from this length on.
constexpr uint32_t kSettingsWithExtension = 30;
constexpr uint32_t kPageBreakFlag = 0xFFFFFFFF;
constexpr int32_t kDefaultPoints = 12;
// The item of the document's words that names the page number in a mark's
// expression (up to its "(").
constexpr int16_t kPageKeywordItem = 27;

// A style sheet record: u16 font, u8, u8 red, green, blue, u8 size, face,
// u8, then a name of up to 32 bytes after its length byte.
struct StyleRecord {
  uint16_t font = 0;
  uint8_t red = 0, green = 0, blue = 0, size = 0, face = 0;
  std::string name;
};

struct Rect {
  int16_t top = 0, left = 0, bottom = 0, right = 0;
};

// A character format as a run or a mark stores it.
struct CharFormat {
  uint16_t font = 0;
  uint8_t size = 0, face = 0, red = 0, green = 0, blue = 0;
};

// Macintosh bytes to UTF-16, one unit a byte (0 for a byte that makes
// none), so that the places of the bytes are those of the units; the bytes
// themselves without the text tables.
std::u16string MacUnits(const uint8_t* bytes, size_t count) {
  std::u16string units(bytes, bytes + count);
  if (gIntlMgr != nullptr) gIntlMgr->MacCharsToUni(bytes, count, units.data());
  return units;
}

}  // namespace

struct xMorvaV2import::Span {
  const uint8_t* data = nullptr;
  uint32_t size = 0;
  bool Present() const { return data != nullptr; }
};

struct xMorvaV2import::Paragraph {
  Span record, text, runs, picture;
};

// A host field mark: u16 paragraph (from 0), i16 start, u16, i16 end, the
// expression text (a length byte and 128 bytes), the name (a length byte
// and 64 bytes), u16 table, u16 field, u32 skip flag, u32, a character
// format; the rest of the record is the expression in the host's own form.
struct xMorvaV2import::Mark {
  uint16_t paragraph = 0;
  int16_t start = 0, end = 0;
  std::string expression;
  std::string name;
  // The byte after an empty name's length byte.
  uint8_t formatCode = 0;
  uint16_t table = 0, field = 0;
  uint32_t skip = 0;
  CharFormat format;
  Span stored;
  // False for a mark whose texts are longer than their fields: it names
  // nothing, and its paragraph keeps its text.
  bool usable = true;
};

// What one form holds, as spans into the bytes read.
struct xMorvaV2import::Form {
  std::vector<Paragraph> paragraphs;
  std::map<uint16_t, std::string> fonts;
  std::vector<StyleRecord> styles;
  bool hasSettings = false;
  uint8_t displayUnit = 1;
  uint8_t headerMode = 0;
  bool hasPrint = false;
  Rect page, paper;
  Span header, footer;
  uint16_t headerHeight = 0, footerHeight = 0;
  std::vector<Mark> marks;
};

namespace {

constexpr size_t kMarkFixedSize = 2 + 2 + 2 + 2 + 129 + 65 + 2 + 2 + 4 + 4 + kRunSize;
constexpr uint8_t kMarkExpressionMax = 128;
constexpr uint8_t kMarkNameMax = 64;

using Span = xMorvaV2import::Span;
using Paragraph = xMorvaV2import::Paragraph;
using Mark = xMorvaV2import::Mark;
using Form = xMorvaV2import::Form;
using Order = ByteSpanReader::Order;

// The order the tag at `at` says, or false when it is no "FORM".
bool FormOrderAt(const uint8_t* bytes, size_t size, size_t at, Order& order) {
  if (at > size || size - at < 4) return false;
  ByteSpanReader r(bytes + at, 4, Order::kLittle);
  const uint32_t tag = r.U32();
  if (tag == kTagForm) {
    order = Order::kLittle;
    return true;
  }
  if (__builtin_bswap32(tag) == kTagForm) {
    order = Order::kBig;
    return true;
  }
  return false;
}

// Finds the "FORM" of a stream: at its start, else at the offset its first
// word gives (read in `leading` order) and every 64 KB after it. The top
// level and the header and footer forms are found alike. False when there
// is none.
bool FindForm(const uint8_t* bytes, size_t size, Order leading, size_t& at, Order& order) {
  at = 0;
  if (FormOrderAt(bytes, size, 0, order)) return true;
  if (size < 2) return false;
  ByteSpanReader r(bytes, 2, leading);
  for (at = r.U16(); at < size; at += kFormSearchStep)
    if (FormOrderAt(bytes, size, at, order)) return true;
  return false;
}

class FormReader {
 public:
  FormReader(const uint8_t* bytes, size_t size, Order order) : fBytes(bytes), fSize(size), fOrder(order) {}
  // Reads the form whose "FORM" tag is at `at`; `top` reads the settings
  // and the header and footer forms, which nested forms do not have.
  int32_t ReadV2Chunks(size_t at, bool top, Form& form);

 private:
  int32_t ReadParagraph(ByteSpanReader& r, size_t end, Form& form);
  int32_t ReadInner(ByteSpanReader& r, size_t end, uint32_t type, Form& form);

  const uint8_t* fBytes;
  size_t fSize;
  Order fOrder;
};

// Walks the chunks between the reader's position and `end`, calling
// `take(tag, data)` for each; every chunk must lie inside `end`.
template <typename Take>
int32_t WalkChunks(ByteSpanReader& r, size_t end, Take take) {
  while (r.Position() + 8 <= end) {
    const uint32_t tag = r.U32();
    const uint32_t length = r.U32();
    if (r.Failed() || length > end - r.Position()) return kErrorV2Damaged;
    const size_t start = r.Position();
    const Span data{r.Data() + start, length};
    if (const int32_t code = take(tag, data)) return code;
    // Past the data and its pad byte; a pad byte at the very end may be
    // missing.
    r.Seek(std::min(end, start + length + (length & 1)));
    if (r.Failed()) return kErrorV2Damaged;
  }
  return 0;
}

int32_t FormReader::ReadInner(ByteSpanReader& r, size_t end, uint32_t type, Form& form) {
  return WalkChunks(r, end, [&](uint32_t tag, Span data) -> int32_t {
    ByteSpanReader c(data.data, data.size, fOrder);
    if (type == kTagStyles && tag == kTagStyles) {
      StyleRecord style;
      style.font = c.U16();
      c.U8();
      style.red = c.U8();
      style.green = c.U8();
      style.blue = c.U8();
      style.size = c.U8();
      style.face = c.U8();
      c.U8();
      const uint8_t length = c.U8();
      const uint8_t* name = length <= 32 ? c.Span(length) : nullptr;
      if (name == nullptr) return kErrorV2Damaged;
      style.name.assign(reinterpret_cast<const char*>(name), length);
      form.styles.push_back(std::move(style));
    } else if (type == kTagFonts && tag == kTagFonts) {
      const uint16_t number = c.U16();
      const uint8_t length = c.U8();
      const uint8_t* name = c.Span(length);
      if (name == nullptr) return kErrorV2Damaged;
      form.fonts[number] = std::string(reinterpret_cast<const char*>(name), length);
    } else if (type == kTagMarks && tag == kTagMarks) {
      // A record cut short of its fixed part is a damaged form.
      if (data.size < kMarkFixedSize) return kErrorV2Damaged;
      Mark mark;
      mark.paragraph = c.U16();
      mark.start = c.I16();
      c.U16();
      mark.end = c.I16();
      const uint8_t* expression = c.Span(129);
      const uint8_t* name = c.Span(65);
      mark.table = c.U16();
      mark.field = c.U16();
      mark.skip = c.U32();
      c.U32();
      mark.format.font = c.U16();
      mark.format.size = c.U8();
      mark.format.face = c.U8();
      c.U8();
      mark.format.red = c.U8();
      mark.format.green = c.U8();
      mark.format.blue = c.U8();
      c.U16();
      if (c.Failed() || expression == nullptr || name == nullptr) return kErrorV2Damaged;
      mark.usable = expression[0] <= kMarkExpressionMax && name[0] <= kMarkNameMax;
      if (mark.usable) {
        mark.expression.assign(reinterpret_cast<const char*>(expression + 1), expression[0]);
        mark.name.assign(reinterpret_cast<const char*>(name + 1), name[0]);
      }
      mark.formatCode = name[1];
      mark.stored = Span{data.data + kMarkFixedSize, uint32_t(data.size - kMarkFixedSize)};
      form.marks.push_back(std::move(mark));
    }
    return 0;
  });
}

int32_t FormReader::ReadParagraph(ByteSpanReader& r, size_t end, Form& form) {
  Paragraph paragraph;
  const int32_t code = WalkChunks(r, end, [&](uint32_t tag, Span data) -> int32_t {
    if (tag == kTagParagraph) paragraph.record = data;
    else if (tag == kTagText) paragraph.text = data;
    else if (tag == kTagRuns) paragraph.runs = data;
    else if (tag == kTagPicture) paragraph.picture = data;
    return 0;
  });
  if (code != 0) return code;
  if (!paragraph.record.Present()) return kErrorV2Damaged;
  // The counts a record gives must lie inside their chunks, checked here so
  // that a damaged form is refused before the document changes.
  ByteSpanReader record(paragraph.record.data, paragraph.record.size, fOrder);
  record.Skip(3);
  const uint8_t kind = record.U8();
  if (kind == 0) {
    const uint16_t runs = record.U16();
    if (uint64_t(runs) * kRunSize > paragraph.runs.size) return kErrorV2Damaged;
  } else if (kind == 1) {
    record.Skip(5 * 2 + 2 + 4 + 4);
  } else if (kind == 2) {
    record.Skip(3 * 2 + 2);
    const uint8_t tabs = record.U8();
    record.Skip(1);
    if (size_t(tabs) * 2 > record.Remaining()) return kErrorV2Damaged;
  }
  if (record.Failed()) return kErrorV2Damaged;
  form.paragraphs.push_back(paragraph);
  return 0;
}

int32_t FormReader::ReadV2Chunks(size_t at, bool top, Form& form) {
  ByteSpanReader r(fBytes, fSize, fOrder);
  r.Seek(at + 4);
  const uint32_t length = r.U32();
  if (r.Failed() || length < 4 || length > r.Remaining()) return r.Failed() ? kErrorV2NotFound : kErrorV2Damaged;
  const size_t end = r.Position() + length;
  if (r.U32() != kTagDocument) return kErrorV2NotFound;
  return WalkChunks(r, end, [&](uint32_t tag, Span data) -> int32_t {
    ByteSpanReader c(data.data, data.size, fOrder);
    if (tag == kTagSettings && top) {
      form.hasSettings = true;
      if (data.size >= kSettingsWithExtension) {
        c.Skip(3 + 8 + 8 + kRunSize);
        form.displayUnit = c.U8();
        c.Skip(2);
        form.headerMode = c.U8();
      } else {
        form.displayUnit = 1;
        form.headerMode = 0;
      }
    } else if ((tag == kTagHeader || tag == kTagFooter) && top) {
      // A header or footer form is read one level deep: the one inside it
      // is checked as a form but never shown. Its height is the word at
      // offset 6 of the chunk, among the leading bytes that stand before
      // the form when there are any; a nested stream's first word is read
      // in the file's order, as the rest of it.
      size_t at = 0;
      Order inner;
      if (!FindForm(data.data, data.size, fOrder, at, inner)) return kErrorV2Damaged;
      c.Seek(6);
      const uint16_t height = c.U16();
      (tag == kTagHeader ? form.header : form.footer) = Span{data.data + at, uint32_t(data.size - at)};
      (tag == kTagHeader ? form.headerHeight : form.footerHeight) = c.Failed() ? 0 : height;
    } else if (tag == kTagHotLink) {
      const uint8_t count = c.U8();
      if (c.Span(count) == nullptr) return kErrorV2Damaged;
    } else if (tag == kTagPrint) {
      c.Skip(8);
      for (Rect* rect : {&form.page, &form.paper}) {
        rect->top = c.I16();
        rect->left = c.I16();
        rect->bottom = c.I16();
        rect->right = c.I16();
      }
      if (c.Failed()) return kErrorV2Damaged;
      form.hasPrint = true;
    } else if (tag == kTagForm) {
      const uint32_t type = c.U32();
      if (c.Failed()) return kErrorV2Damaged;
      ByteSpanReader inner(data.data, data.size, fOrder);
      inner.Seek(4);
      if (type == kTagParagraph) return ReadParagraph(inner, data.size, form);
      if (type == kTagStyles || type == kTagFonts || type == kTagMarks) return ReadInner(inner, data.size, type, form);
    }
    return 0;
  });
}

// A stored size; 0 stands for the default size.
int32_t PointsOf(uint8_t size) { return size == 0 ? kDefaultPoints : size; }

// Sets a character format's font, size, face and colour through `set`.
template <typename Set>
void SetCharacterFormat(Set set, int32_t fontIndex, uint8_t size, uint8_t face, uint8_t red, uint8_t green,
                        uint8_t blue) {
  if (fontIndex > 0) set(kPropFont, fontIndex);
  set(kPropSize, PointsOf(size));
  set(kPropBold, (face & 1) != 0);
  set(kPropItalic, (face & 2) != 0);
  set(kPropUnderline, (face & 4) != 0);
  set(kPropShadow, (face & 0x10) != 0);
  set(kPropVerticalPosition, (face & 0x20) != 0 ? 1 : (face & 0x40) != 0 ? 2 : 0);
  set(kPropTextColour, int32_t(blue) << 16 | int32_t(green) << 8 | red);
}

// The header and footer bands of both page kinds. The header mode says
// which kinds show them: 0 all pages, 1 all but the first, 2 the first
// only; each band only when the file has it. A band reaches from the
// printable area's edge by its stored height (50 pixels when none is
// given), and the text starts past the stored height.
void ConvertBands(xMorvaDocParams& params, const Form& form) {
  const bool onFirst = form.headerMode == 0 || form.headerMode == 2;
  const bool onOthers = form.headerMode == 0 || form.headerMode == 1;
  const int32_t resolution = GetScreenResolution();
  auto pixels = [&](int32_t points) { return int32_t(int64_t(points) * resolution / 72); };
  int32_t topOffset = 0, bottomOffset = 0, paperHeight = 0;
  if (form.hasPrint) {
    paperHeight = form.paper.bottom - form.paper.top;
    topOffset = std::max(0, -int32_t(form.paper.top));
    bottomOffset = std::max(0, paperHeight - (form.page.bottom - form.page.top) - topOffset);
  }
  int32_t headerHeight = form.header.Present() ? form.headerHeight : 0;
  int32_t footerHeight = form.footer.Present() ? form.footerHeight : 0;
  // Heights that would leave the paper no room for text are no heights.
  if (form.hasPrint && topOffset + headerHeight + bottomOffset + footerHeight >= paperHeight)
    headerHeight = footerHeight = 0;
  for (const bool first : {true, false}) {
    xMorvaPageBands& bands = params.GetBands(first);
    const bool shown = first ? onFirst : onOthers;
    bands.headerShown = shown && form.header.Present() ? 1 : 0;
    bands.footerShown = shown && form.footer.Present() ? 1 : 0;
    if (!form.hasPrint) continue;
    bands.headerTop = pixels(topOffset);
    bands.headerBottom = pixels(topOffset) + (headerHeight != 0 ? pixels(headerHeight) : 50);
    bands.topMargin = pixels(topOffset) + (bands.headerShown != 0 ? pixels(headerHeight) : 0);
    bands.footerBottom = pixels(bottomOffset);
    bands.footerTop = pixels(bottomOffset) + (footerHeight != 0 ? pixels(footerHeight) : 50);
    bands.bottomMargin = pixels(bottomOffset) + (bands.footerShown != 0 ? pixels(footerHeight) : 0);
  }
}

}  // namespace

void xMorvaV2import::CaretToEnd(xMorvaEngine& engine) { engine.SetSelection(engine.GetSelEnd(), engine.GetSelEnd()); }

int32_t xMorvaV2import::ConvertStyleSheets() {
  fSheetIds.clear();
  VMemoryResourceFile* store = fDocument->GetStyleSheetStore();
  if (store == nullptr) return fTop->styles.empty() ? 0 : kErrorV2NoMemory;
  for (const StyleRecord& style : fTop->styles) {
    xMorvaStyleSheet sheet;
    sheet.Init();
    sheet.states.SetAll();
    SetCharacterFormat([&](uint16_t id, int32_t value) { sheet.properties.SetProperty(id, value); },
                       FontIndex(*fTop, style.font), style.size, style.face, style.red, style.green, style.blue);
    VStr<255> name;
    name.SetCText(style.name.substr(0, 31).c_str(), kCharSetMac);
    int16_t id = 0;
    if (!sheet.SaveNew(*fDocument, *store, name, id)) return kErrorV2NoMemory;
    fSheetIds.push_back(id);
  }
  if (!fDocument->StyleSheetIdAt(1, fFirstSheet)) fFirstSheet = 0;
  fDocument->UpdateStyleSheetMenu();
  return 0;
}

// A font number names the font the form's table gives it when the system
// has that font; otherwise, in or out of the table, the font the system
// numbers so. A number the system has no font for takes the document's
// first font. Each number is looked up once for each table.
int32_t xMorvaV2import::FontIndex(const Form& form, uint16_t number) {
  const std::map<uint16_t, std::string>& fonts = form.fonts.count(number) != 0 ? form.fonts : fTop->fonts;
  const auto known = fFontIndexes.find({&fonts, number});
  if (known != fFontIndexes.end()) return known->second;
  VStr<255> name;
  const auto found = fonts.find(number);
  if (found != fonts.end()) name.SetCText(found->second.c_str(), kCharSetMac);
  if (name.GetLength() == 0 || !xMorvaFontTable::SystemHasFont(name, false))
    VSystemServices::GetFontName(int16_t(number), name);
  const int32_t index = name.GetLength() == 0 ? 1 : fDocument->FontIndexForName(name);
  fFontIndexes[{&fonts, number}] = index;
  return index;
}

std::vector<xMorvaV2import::PlacedMark> xMorvaV2import::PlaceMarks(const Form& form, size_t index, uint32_t length,
                                                     bool picture) const {
  std::vector<PlacedMark> placed;
  const auto found = index <= UINT16_MAX ? fMarks.find(uint16_t(index)) : fMarks.end();
  if (found == fMarks.end()) return placed;
  for (const Mark* mark : found->second) {
    // A mark the file asks to skip, one whose texts overrun their fields,
    // and one that names no field (a table without a field, or a table
    // number no host has) leave their places as text.
    if (mark->skip != 0 || !mark->usable) continue;
    if (mark->table != 0 && (mark->field == 0 || mark->table > INT16_MAX || mark->field > INT16_MAX)) continue;
    const bool stored = fStoredExpressions && mark->stored.size != 0;
    if (mark->table == 0 && mark->expression.empty() && !stored) continue;
    // A mark outside its paragraph, or one that ends before it starts,
    // is dropped; a picture paragraph has one unit.
    if (mark->start < 0 || (picture ? mark->start != 0 : mark->end < mark->start || uint32_t(mark->end) > length))
      continue;
    const uint32_t start = uint32_t(mark->start);
    const uint32_t end = picture ? 1 : uint32_t(mark->end);
    // A mark that reaches into the units an earlier mark replaces is
    // dropped: the file places each unit under one mark at most.
    const bool overlaps = std::any_of(placed.begin(), placed.end(), [&](const PlacedMark& other) {
      return std::max(start, other.start) < std::min(end, other.end) ||
             (start == end && other.start < start && start < other.end) ||
             (other.start == other.end && start < other.start && other.start < end);
    });
    if (!overlaps) placed.push_back({mark, start, end});
  }
  std::stable_sort(placed.begin(), placed.end(), [](const PlacedMark& a, const PlacedMark& b) { return a.start < b.start; });
  return placed;
}

bool xMorvaV2import::IsPageNumberKeyword(const std::string& expression) const {
  const std::string keyword = fPageKeyword.substr(0, fPageKeyword.find('('));
  return !keyword.empty() && expression == keyword;
}

void xMorvaV2import::TypeMacText(xMorvaEngine& engine, const std::string& text) {
  const std::u16string units = MacUnits(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  for (size_t i = 0; i < text.size(); ++i)
    if (uint8_t(text[i]) >= 32) engine.TypeCharacter(units[i]);
}

int32_t xMorvaV2import::MarkElement(xMorvaEngine& engine, const Form& form, const PlacedMark& placed) {
  const Mark& mark = *placed.mark;
  // A mark over no units shows its own character format; the text after
  // it goes on in its run's.
  static constexpr uint16_t kCharacterIds[] = {kPropFont,   kPropSize,   kPropBold,             kPropItalic,
                                               kPropUnderline, kPropShadow, kPropVerticalPosition, kPropTextColour};
  int32_t saved[std::size(kCharacterIds)] = {};
  const bool ownFormat = placed.start == placed.end;
  if (ownFormat) {
    for (size_t i = 0; i < std::size(kCharacterIds); ++i) saved[i] = engine.GetPropertyValue(kCharacterIds[i]);
    SetCharacterFormat([&](uint16_t id, int32_t value) { engine.SetPropertyValue(id, value); },
                       FontIndex(form, mark.format.font), mark.format.size, mark.format.face, mark.format.red,
                       mark.format.green, mark.format.blue);
  }
  int32_t code = 0;
  if (mark.table == 0 && !(fStoredExpressions && mark.stored.size != 0) && IsPageNumberKeyword(mark.expression)) {
    code = engine.InsertPageNumberField(0, false);
  } else {
    std::unique_ptr<VHostRef> reference;
    if (mark.table != 0) {
      reference = std::make_unique<VHostRef>(int16_t(mark.table), int16_t(mark.field), false);
    } else if (fStoredExpressions && mark.stored.size != 0) {
      // The expression in the host's own form, in the file's byte order,
      // which the host turns into this machine's.
      const Tbx::Handle data = Tbx::NewHandle(int32_t(mark.stored.size));
      if (data == 0) return kErrorV2NoMemory;
      std::memcpy(Tbx::HLock(data), mark.stored.data, mark.stored.size);
      Tbx::HUnlock(data);
      reference = std::make_unique<VHostRef>(data, fOrder != ByteSpanReader::kNative);
    } else {
      VStr<255> text;
      text.SetCText(mark.expression.c_str(), kCharSetMac);
      reference = std::make_unique<VHostRef>(text);
    }
    if (mark.table == 0 && reference->GetReferenceData() == 0) {
      // The host made nothing of the expression: its text stays in the
      // document rather than a reference that names nothing.
      TypeMacText(engine, mark.expression);
    } else {
      if (!mark.name.empty()) {
        VStr<255> name;
        name.SetCText(mark.name.c_str(), kCharSetMac);
        reference->SetFormatText(name);
      } else if ((mark.formatCode & 0x20) != 0) {
        reference->SetFormat(mark.formatCode & 0x0F);
      } else if (mark.formatCode <= INT8_MAX) {
        reference->SetOption(mark.formatCode);
      }
      const VMemHandle stored = reference->ToHandle();
      if (stored == 0) return kErrorV2NoMemory;
      {
        VHandleLocker lock(stored);
        const uint32_t size = gMemoryMgr->GetHandleSize(stored);
        code = lock ? engine.InsertHostExpression(lock.As<uint8_t>(), size, false, nullptr) : kErrorV2NoMemory;
        // Without a value from the host the reference still stands, with
        // an empty result until the host fills it in.
        if (code != 0 && lock) code = engine.InsertHostExpression(lock.As<uint8_t>(), size, false, new VStr<255>);
      }
      gMemoryMgr->DisposeHandle(stored);
    }
  }
  if (ownFormat) {
    for (size_t i = 0; i < std::size(kCharacterIds); ++i) engine.SetPropertyValue(kCharacterIds[i], saved[i]);
  }
  return code != 0 ? kErrorV2Damaged : 0;
}

int32_t xMorvaV2import::ConvertMarks(xMorvaEngine& engine, const Form& form, const std::vector<PlacedMark>& marks,
                                     uint32_t at, size_t& next, uint32_t& replacedTo) {
  int32_t code = 0;
  for (; code == 0 && next < marks.size() && marks[next].start == at; ++next) {
    code = MarkElement(engine, form, marks[next]);
    replacedTo = std::max(replacedTo, marks[next].end);
  }
  return code;
}

int32_t xMorvaV2import::TextParagraph(xMorvaEngine& engine, const Form& form, const Paragraph& paragraph,
                                      uint16_t runCount, const std::vector<PlacedMark>& marks) {
  const uint32_t length = paragraph.text.size;
  if (uint64_t(runCount) * kRunSize > paragraph.runs.size) return kErrorV2Damaged;
  bool underlined = false;
  int32_t code = 0;
  // The next mark to place, and the end of the units the marks placed so
  // far replace.
  size_t next = 0;
  uint32_t replacedTo = 0;
  auto place = [&](uint32_t at) {
    if (code == 0) code = ConvertMarks(engine, form, marks, at, next, replacedTo);
  };
  // The characters typed and not yet given to the engine: a run of them
  // goes in at once, as typing them one by one would put them. At the
  // text's end the caret is walked to only after the paragraph's end.
  std::u16string pending;
  const std::u16string units = MacUnits(paragraph.text.data, length);
  auto flush = [&]() {
    if (!pending.empty()) engine.AppendTyped(pending.data(), int32_t(pending.size()));
    pending.clear();
  };
  auto type = [&](uint32_t from, uint32_t to) {
    for (uint32_t at = from; at < to && code == 0; ++at) {
      if (next >= marks.size() && at >= replacedTo) {
        // No mark is left to place: the characters up to the next tab go
        // in as one stretch.
        const uint8_t* text = paragraph.text.data;
        while (at < to && text[at] != 9) {
          uint32_t end = at;
          while (end < to && text[end] >= 32) ++end;
          pending.append(units, at, end - at);
          // Control characters between stretches carry no text.
          for (at = end; at < to && text[at] < 32 && text[at] != 9;) ++at;
        }
        if (at == to) break;
      }
      if (next < marks.size()) flush();
      place(at);
      if (at < replacedTo) continue;
      const uint8_t c = paragraph.text.data[at];
      if (c == 9) {
        flush();
        // A tab inside an underlined run is shown without the underline:
        // the run keeps it for the text around the tab only.
        if (underlined) engine.SetPropertyValue(kPropUnderline, 0);
        engine.InsertTab();
        if (!engine.CaretAtTextEnd()) CaretToEnd(engine);
        if (underlined) engine.SetPropertyValue(kPropUnderline, 1);
      } else if (c >= 32) {
        pending.push_back(units[at]);
      }
      // Other control characters hold the places of host field marks; a
      // place that no mark takes carries no text.
    }
    flush();
  };
  ByteSpanReader runs(paragraph.runs.data, paragraph.runs.size, fOrder);
  uint32_t at = 0;
  for (uint16_t run = 0; run < runCount; ++run) {
    const uint16_t font = runs.U16();
    const uint8_t size = runs.U8();
    const uint8_t face = runs.U8();
    runs.U8();
    const uint8_t red = runs.U8(), green = runs.U8(), blue = runs.U8();
    // A run's start outside its paragraph, or before the run ahead of it,
    // is held to the text.
    const uint32_t start = std::clamp<uint32_t>(runs.U16(), at, length);
    type(at, start);
    at = start;
    SetCharacterFormat([&](uint16_t id, int32_t value) { engine.SetPropertyValue(id, value); },
                       FontIndex(form, font), size, face, red, green, blue);
    underlined = (face & 4) != 0;
    // The run carries the sheet whose record has its font, colour, size and
    // face, else the document's first sheet.
    int16_t sheet = fFirstSheet;
    for (size_t i = 0; i < fTop->styles.size() && i < fSheetIds.size(); ++i) {
      const StyleRecord& style = fTop->styles[i];
      if (style.font == font && style.red == red && style.green == green && style.blue == blue &&
          PointsOf(style.size) == PointsOf(size) && style.face == face) {
        sheet = fSheetIds[i];
        break;
      }
    }
    if (sheet != 0) engine.SetPropertyValue(kPropStyleSheet, sheet);
  }
  type(at, length);
  place(length);
  if (code != 0) return code;
  return runs.Failed() ? kErrorV2Damaged : 0;
}

int32_t xMorvaV2import::Format(xMorvaEngine& engine, ByteSpanReader& r) {
  const int16_t left = r.I16();
  const int16_t first = r.I16();
  const int16_t right = r.I16();
  const uint8_t alignment = r.U8();
  const uint8_t spacing = r.U8();
  const uint8_t count = r.U8();
  r.U8();
  if (r.Failed() || size_t(count) * 2 > r.Remaining()) return kErrorV2Damaged;
  static constexpr uint8_t kLeaders[4] = {0, '.', '-', '_'};
  static constexpr uint8_t kKinds[4] = {kTabLeft, kTabRight, kTabDecimal, kTabCentre};
  xMorvaTabs tabs;
  for (uint8_t i = 0; i < count; ++i) {
    const uint16_t word = r.U16();
    tabs.AddStop(MakeTabStop(int16_t(std::min(Pixels(word & 0x3FF), 31999)), kLeaders[(word >> 12) & 3],
                             kKinds[(word >> 14) & 3]));
  }
  const int32_t pageWidth = fTop->hasPrint ? Pixels(fTop->page.right - fTop->page.left) : 0;
  const ParagraphValue values[] = {{kPropLeftIndent, Pixels(left)},
                                   {kPropFirstLineIndent, Pixels(first - left)},
                                   {kPropRightIndent, std::max(0, pageWidth - Pixels(right))},
                                   {kPropAlignment, alignment},
                                   {kPropInterline, spacing * 5 + 10}};
  return SetParagraph(engine, &tabs, values, std::size(values));
}

int32_t xMorvaV2import::SetParagraph(xMorvaEngine& engine, const xMorvaTabs* tabs,
                                     const ParagraphValue* values, size_t count) {
  const uint32_t end = engine.GetStreamSize();
  if (!fEmptyLastParagraph || engine.GetSelStartOffset() != end) {
    if (tabs != nullptr) engine.SetTabs(*tabs);
    for (size_t i = 0; i < count; ++i) engine.SetPropertyValue(values[i].first, values[i].second);
    return 0;
  }
  // The caret stands in an empty paragraph at the text's end, which holds
  // no records yet: the records go straight to the end of the stream, as
  // setting them would write them, without the engine walking the whole
  // text again for each one.
  const xMorvaTabs& now = engine.GetCurrentTabs();
  xMorvaProperties normalised;
  std::vector<std::pair<uint16_t, uint32_t>> records;
  if (tabs != nullptr) {
    for (int32_t i = 0; i < now.Count(); ++i)
      if (!tabs->Contains(now.StopAt(i)))
        records.emplace_back(kPropTabs, now.StopAt(i) & 0x00FFFFFFu);
    for (int32_t i = 0; i < tabs->Count(); ++i)
      if (!now.Contains(tabs->StopAt(i))) records.emplace_back(kPropTabs, tabs->StopAt(i));
  }
  for (size_t i = 0; i < count; ++i) {
    const uint16_t id = values[i].first;
    normalised.SetProperty(id, values[i].second);
    const int32_t kept = normalised.GetProperty(id);
    if (kept != engine.GetCurrentProperties().GetProperty(id)) records.emplace_back(id, uint32_t(kept));
  }
  uint32_t at = end;
  for (const auto& [id, value] : records) {
    if (engine.InsertPropertyRecord(at, id, value) != 0) return kErrorV2NoMemory;
    at += kRecordSize;
  }
  const int32_t caret = engine.GetSelStart();
  engine.SetSelection(caret, caret);
  return 0;
}

// A picture paragraph's PICT, shown at its frame's size. Its header (size
// and frame, five 16-bit values) is held in this machine's order, so a
// big-endian file's is swapped first. A paragraph whose picture is missing
// (or too short to hold that header) shows its frame erased to the
// background, as a metafile of the frame's size.
int32_t xMorvaV2import::Picture(xMorvaEngine& engine, const Span& pict, int32_t width, int32_t height) {
  width = std::max(1, width);
  height = std::max(1, height);
  std::unique_ptr<VPictureData> picture;
  std::vector<uint8_t> bytes;
  if (pict.Present() && pict.size >= 10) {
    bytes.assign(pict.data, pict.data + pict.size);
    ByteSpanReader header(pict.data, 10, fOrder);
    for (size_t i = 0; i < 5; ++i) {
      const uint16_t word = header.U16();
      std::memcpy(bytes.data() + 2 * i, &word, 2);
    }
    picture = std::make_unique<VPictPictureData>(bytes.data(), uint32_t(bytes.size()));
  } else {
    VMetafilePort port(nullptr, 0, 0, width, height);
    if (!port.IsRecording()) return kErrorV2NoMemory;
    port.EraseRect(0, 0, width, height);
    picture.reset(port.EndAsPictureData());
  }
  if (picture == nullptr || picture->GetHandle() == 0) return kErrorV2NoMemory;
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  if (element == 0) return kErrorV2NoMemory;
  int32_t code = 0;
  if (MakePictureElement(*picture, element, width, height, -1, 0) && engine.InsertHandle(element, 1) == 0) {
    CaretToEnd(engine);
  } else {
    code = kErrorV2Damaged;
  }
  gMemoryMgr->DisposeHandle(element);
  return code;
}

int32_t xMorvaV2import::ConvertParagraphs(xMorvaEngine& engine, const Form& form) {
  const int32_t code = ConvertEachParagraph(engine, form);
  // The text typed at its end leaves the caret to a walk: the caret goes
  // to the start whether the form read whole or not.
  engine.SetSelection(0, 0);
  return code;
}

int32_t xMorvaV2import::ConvertEachParagraph(xMorvaEngine& engine, const Form& form) {
  engine.SetSelection(0, 0);
  fEmptyLastParagraph = engine.GetLength() == 0 && engine.GetStreamSize() == 0;
  fMarks.clear();
  for (const Mark& mark : form.marks) fMarks[mark.paragraph].push_back(&mark);
  bool endedWithBreak = false;
  for (size_t i = 0; i < form.paragraphs.size(); ++i) {
    const Paragraph& paragraph = form.paragraphs[i];
    ByteSpanReader r(paragraph.record.data, paragraph.record.size, fOrder);
    r.U16();
    r.U8();
    const uint8_t kind = r.U8();
    if (r.Failed()) return kErrorV2Damaged;
    const bool last = i + 1 == form.paragraphs.size();
    const bool emptyBefore = fEmptyLastParagraph;
    fEmptyLastParagraph = false;
    if (kind == 0) {
      const uint16_t runs = r.U16();
      if (r.Failed()) return kErrorV2Damaged;
      const std::vector<PlacedMark> marks = PlaceMarks(form, i, paragraph.text.size, false);
      if (const int32_t code = TextParagraph(engine, form, paragraph, runs, marks)) return code;
      endedWithBreak = !last;
      if (!last) {
        if (engine.InsertParagraphEnd() != 0) return kErrorV2Damaged;
        CaretToEnd(engine);
        fEmptyLastParagraph = true;
      }
    } else if (kind == 1) {
      r.Skip(5 * 2 + 2 + 4);
      const uint32_t flag = r.U32();
      if (r.Failed()) return kErrorV2Damaged;
      if (flag != kPageBreakFlag) {
        r.Seek(4);
        const int16_t top = r.I16(), left = r.I16(), bottom = r.I16(), right = r.I16();
        const int16_t indent = r.I16();
        // The picture stands at its record's indent, on a line of its own
        // at the left; the paragraph after it goes on as the text did.
        static constexpr uint16_t kPictureIds[] = {kPropLeftIndent, kPropFirstLineIndent,
                                                   kPropInterline, kPropAlignment};
        ParagraphValue before[std::size(kPictureIds)];
        for (size_t k = 0; k < std::size(kPictureIds); ++k)
          before[k] = {kPictureIds[k], engine.GetPropertyValue(kPictureIds[k])};
        const ParagraphValue own[] = {{kPropLeftIndent, Pixels(indent)},
                                      {kPropFirstLineIndent, 0},
                                      {kPropInterline, 10},
                                      {kPropAlignment, 0}};
        fEmptyLastParagraph = emptyBefore;
        const int32_t formatted = SetParagraph(engine, nullptr, own, std::size(own));
        fEmptyLastParagraph = false;
        if (formatted != 0) return formatted;
        // A mark on a picture paragraph stands in place of its picture.
        const std::vector<PlacedMark> marks = PlaceMarks(form, i, 1, true);
        if (!marks.empty()) {
          if (const int32_t code = MarkElement(engine, form, marks.front())) return code;
        } else if (const int32_t code =
                       Picture(engine, paragraph.picture, Pixels(right - left), Pixels(bottom - top))) {
          return code;
        }
        endedWithBreak = !last;
        if (!last) {
          if (engine.InsertParagraphEnd() != 0) return kErrorV2Damaged;
          CaretToEnd(engine);
          fEmptyLastParagraph = true;
          if (const int32_t code = SetParagraph(engine, nullptr, before, std::size(before)))
            return code;
        }
      } else {
        // The break ends the paragraph before it in place of its end.
        if (endedWithBreak) {
          const int32_t end = engine.GetSelEnd();
          engine.SetSelection(end - 1, end);
          engine.DeleteSelection();
        }
        if (engine.InsertBreak(xMorvaElementCode::PageBreak) != 0) return kErrorV2Damaged;
        const int32_t end = engine.GetSelEnd() + 1;
        engine.SetSelection(end, end);
        endedWithBreak = false;
        // The break ends its paragraph as a paragraph end does: the caret
        // stands in the empty paragraph after it, at the text's end, and a
        // format there takes the direct road instead of the engine walking
        // the whole text again for it.
        fEmptyLastParagraph = !last;
      }
    } else if (kind == 2) {
      fEmptyLastParagraph = emptyBefore;
      const int32_t code = Format(engine, r);
      fEmptyLastParagraph = false;
      if (code != 0) return code;
    } else {
      fEmptyLastParagraph = emptyBefore;
    }
  }
  return 0;
}

// The display unit, the side margins and the first page's own layout.
void xMorvaV2import::ConvertSettings(const Form& form) {
  xMorvaDocument& document = *fDocument;
  xMorvaDocParams& params = document.Params();
  if (form.hasSettings) {
    // The stored unit 0, 1, 2, 3 stands for inches, centimetres, points
    // and points.
    static constexpr int32_t kUnits[4] = {kUnitInches, kUnitCentimetres, kUnitPoints, kUnitPoints};
    if (form.displayUnit < 4) params.SetDisplayUnit(kUnits[form.displayUnit]);
    params.SetDifferentFirstPage(form.headerMode != 0 ? 1 : 0);
    params.SetDifferentLeftRight(0);
  }
  if (form.hasPrint) {
    const int32_t resolution = GetScreenResolution();
    auto pixels = [&](int32_t points) { return int32_t(int64_t(points) * resolution / 72); };
    const int32_t paperWidth = form.paper.right - form.paper.left;
    const int32_t pageWidth = form.page.right - form.page.left;
    const int32_t left = -form.paper.left;
    params.SetLeftMargin(pixels(std::max(0, left)));
    params.SetRightMargin(pixels(std::max(0, paperWidth - pageWidth - left)));
    const int32_t paperHeight = form.paper.bottom - form.paper.top;
    if (paperWidth > 0 && paperHeight > 0) params.SetPageSize(pixels(paperWidth), pixels(paperHeight));
  }
  ConvertBands(params, form);
  // The stored paper becomes the document's paper.
  if (form.hasPrint && params.GetPageWidth() > 0 && params.GetPageHeight() > 0)
    document.TakePaperFromPage(params.GetPageWidth() > params.GetPageHeight());
}

int32_t xMorvaV2import::ImportV2Bytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, bool option) {
  // The file's first word, when it does not start with the form, is read
  // little-endian: the byte order is known only once the form is found.
  Order order = Order::kLittle;
  size_t at = 0;
  if (!FindForm(bytes, size, Order::kLittle, at, order)) return kErrorV2NotFound;
  Form top;
  if (const int32_t code = FormReader(bytes, size, order).ReadV2Chunks(at, true, top)) return code;
  // The header and footer forms are checked before anything changes; each
  // span starts at its form's "FORM".
  Form header, footer;
  for (auto [span, form] : {std::pair{top.header, &header}, std::pair{top.footer, &footer}}) {
    if (!span.Present()) continue;
    Order inner = order;
    FormOrderAt(span.data, span.size, 0, inner);
    if (const int32_t code = FormReader(span.data, span.size, inner).ReadV2Chunks(0, false, *form))
      return code == kErrorV2NotFound ? kErrorV2Damaged : code;
  }

  document.Reset(option);
  xMorvaUndo* undo = document.GetUndo();
  const bool recording = undo != nullptr && undo->IsRecording();
  if (undo != nullptr) undo->Suspend();
  // Package option 12: marks without a table take the expression stored in
  // the host's own form.
  uint16_t storedExpressions = 0;
  if (auto* package = dynamic_cast<xMorvaMain*>(gCurrentPackage)) package->GetOption(12, storedExpressions, nullptr);
  VStr<255> keyword;
  GetDocumentListString(keyword, kDocumentTextsListOffset, kPageKeywordItem);
  char keywordText[256] = {};
  keyword.GetCText(keywordText, sizeof keywordText, kCharSetMac);
  fDocument = &document;
  fTop = &top;
  fOrder = order;
  fResolution = GetScreenResolution();
  fStoredExpressions = storedExpressions != 0;
  fPageKeyword = keywordText;
  ConvertSettings(top);
  int32_t result = ConvertStyleSheets();
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  if (result == 0 && body != nullptr) result = ConvertParagraphs(*body, top);
  if (result == 0 && top.header.Present()) {
    if (auto* engine = static_cast<xMorvaEngine*>(document.GetPart(top.headerMode == 2 ? kPartFirstHeader : kPartHeader)))
      result = ConvertParagraphs(*engine, header);
  }
  if (result == 0 && top.footer.Present()) {
    if (auto* engine = static_cast<xMorvaEngine*>(document.GetPart(top.headerMode == 2 ? kPartFirstFooter : kPartFooter)))
      result = ConvertParagraphs(*engine, footer);
  }
  // The forms read go with this call.
  fTop = nullptr;
  fMarks.clear();
  fFontIndexes.clear();
  if (recording) undo->Resume();
  document.SelectBody();
  return result == 0 ? 0 : kErrorV2Damaged;
}

int32_t xMorvaV2import::ImportV2Document(xMorvaDocument& document, VStream& stream, bool option) {
  if (stream.SetPosition(0) != 0) return kErrorV2Damaged;
  std::vector<uint8_t> bytes(stream.GetSize());
  uint32_t length = uint32_t(bytes.size());
  if (length != 0 && (stream.GetData(bytes.data(), length) != 0 || length != bytes.size())) return kErrorV2Damaged;
  return ImportV2Bytes(document, bytes.data(), uint32_t(bytes.size()), option);
}
