// The Word 97 writer: the parts' element streams are walked once each into
// the combined text (the body, then the header stories) with its runs and
// paragraphs, the two main streams are built in memory table by table, and
// the compound file gets them with the property sets and the class stream.
// The document is only read: its text, selection and undo history stay as
// they were.
#include "interchange/word/xMorvaExportWord.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "interchange/ole/xMorvaOleFile.h"
#include "platform/bytes/ByteAppend.h"
#include "platform/bytes/ByteOrder.h"

namespace {

// The product name written into the files.
constexpr char16_t kProductName[] = u"Qv Morva";
constexpr char kProductAnsi[] = "Qv Morva";
// A file of this size or less would land in the container's mini stream.
constexpr uint32_t kSmallStream = 4096;
// Exports of more bytes than this show their progress.
constexpr uint64_t kProgressThreshold = 64 * 1024;
// Paragraph boundaries a page holds.
constexpr size_t kBoundariesPerPage = 101;
// The text goes to its stream in pieces of this many bytes.
constexpr size_t kTextPiece = size_t(1) << 17;
// The most room the text's stream is given beforehand for the pages after
// the text; past it, the stream grows as they are written.
constexpr uint64_t kPagesRoom = uint64_t(64) << 20;

// The pairs whose fc stays 0 when they hold nothing.
constexpr uint16_t kZeroFcPairs[] = {7, 34, 35, 38, 39, 49, 50, 73, 74, 75, 77, 78, 79, 80, 81, 82, 83, 92};

void PutLE16(std::vector<uint8_t>& out, size_t at, uint16_t value) { StoreLE16(out.data() + at, value); }
void PutLE32(std::vector<uint8_t>& out, size_t at, uint32_t value) { StoreLE32(out.data() + at, value); }

void PadTo(std::vector<uint8_t>& out, size_t multiple) {
  if (out.size() % multiple != 0) out.resize(out.size() + multiple - out.size() % multiple, 0);
}

std::u16string Units(const VString& text) {
  std::u16string units(size_t(text.GetLength()), u'\0');
  if (!units.empty()) units.resize(size_t(text.GetUniChars(units.data(), 0, int32_t(units.size()))));
  return units;
}

// The code pages of the property sets' texts: the host's Mac OS Roman,
// and UTF-16 for texts with a letter Mac OS Roman lacks, which would
// otherwise be lost.
constexpr uint16_t kCodePageMacRoman = 10000;
constexpr uint16_t kCodePageUnicode = 1200;
// A text of the property sets keeps at most this many bytes (Mac OS Roman)
// or characters (UTF-16).
constexpr int32_t kPropertyTextMax = 255;

// The text in Mac OS Roman, at most 255 bytes.
std::string MacRoman(const VString& text) {
  char bytes[kPropertyTextMax + 1] = {};
  const int32_t n = text.ConvertInto(bytes, kPropertyTextMax, kCharSetMac);
  return std::string(bytes, size_t(std::max(n, 0)));
}

// Whether Mac OS Roman carries every character of the text: its bytes,
// read back, give the text again (a character it lacks comes back as what
// stood for it, or not at all).
bool MacRomanCarries(const VString& text) {
  const std::string bytes = MacRoman(text);
  VStrInHandle back;
  back.AppendChars(bytes.data(), int32_t(bytes.size()), kCharSetMac);
  return Units(back) == Units(text).substr(0, kPropertyTextMax);
}

// A length-prefixed string of an STTB: a count of units, then the units.
void AppendSttbString(std::vector<uint8_t>& out, const std::u16string& text) {
  AppendLE16(out, uint16_t(text.size()));
  for (char16_t unit : text) AppendLE16(out, unit);
}

// The 100-nanosecond intervals since 1601 of a local date and time of day.
uint64_t FileTime(const VDateRec& date, int32_t seconds) {
  if (date.month < 1 || date.month > 12 || date.day < 1) return 0;
  // Days from 1 March of year 0 (civil calendar), moved to 1601.
  int64_t y = date.year - (date.month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t m = date.month;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days1970 = era * 146097 + doe - 719468;
  const int64_t days1601 = days1970 + 134774;
  if (days1601 < 0) return 0;
  return uint64_t(days1601 * 86400 + std::clamp(seconds, 0, 86399)) * 10000000u;
}

// ---- Property sets: a section is built in a buffer of its own, its
// offsets counted from its start.
// Its texts are in its code page (property 1): Mac OS Roman bytes, or
// UTF-16 units, whose strings count their bytes with the two-byte zero.
class Section {
 public:
  Section(size_t count, uint16_t codePage) : fCount(count), fCodePage(codePage) {
    fBytes.resize(8 + 8 * count, 0);
    PutLE32(fBytes, 4, uint32_t(count));
  }
  void CodePage() { I2(1, fCodePage); }
  void Begin(uint32_t id) {
    PutLE32(fBytes, 8 + 8 * fNext, id);
    PutLE32(fBytes, 12 + 8 * fNext, uint32_t(fBytes.size()));
    ++fNext;
  }
  void I2(uint32_t id, uint16_t value) {
    Begin(id);
    AppendLE32(fBytes, 2);
    AppendLE16(fBytes, value);
    AppendLE16(fBytes, 0);
  }
  void I4(uint32_t id, uint32_t value, uint32_t type = 3) {
    Begin(id);
    AppendLE32(fBytes, type);
    AppendLE32(fBytes, value);
  }
  void FileTime(uint32_t id, uint64_t value) {
    Begin(id);
    AppendLE32(fBytes, 0x40);
    AppendLE32(fBytes, uint32_t(value));
    AppendLE32(fBytes, uint32_t(value >> 32));
  }
  void Text(uint32_t id, const VString& text) {
    Begin(id);
    AppendLE32(fBytes, 0x1E);
    Lpstr(Encoded(text));
  }
  void Text(uint32_t id, const char* text) {
    VStr<255> string;
    string.SetAnsiCText(text);
    Text(id, string);
  }
  // A length that counts the bytes with their zero, the bytes, the zero,
  // padded to 4.
  void Lpstr(const std::string& text) {
    const size_t zero = fCodePage == kCodePageUnicode ? 2 : 1;
    AppendLE32(fBytes, uint32_t(text.size() + zero));
    fBytes.insert(fBytes.end(), text.begin(), text.end());
    fBytes.resize(fBytes.size() + zero, 0);
    PadTo(fBytes, 4);
  }
  // The type of a string in a vector of the document parts or heading
  // pairs, and the string: Mac OS Roman bytes behind a length that counts
  // them with their zero, unpadded, one behind the other ([MS-OSHARED]
  // UnalignedLpstr); UTF-16 as a Unicode string (VT_LPWSTR), whose length
  // counts characters with the zero, padded to 4.
  uint32_t VectorStringType() const { return fCodePage == kCodePageUnicode ? 0x1F : 0x1E; }
  void VectorString(const VString& text) {
    const std::string bytes = Encoded(text);
    const bool wide = fCodePage == kCodePageUnicode;
    AppendLE32(fBytes, uint32_t((wide ? bytes.size() / 2 : bytes.size()) + 1));
    fBytes.insert(fBytes.end(), bytes.begin(), bytes.end());
    fBytes.resize(fBytes.size() + (wide ? 2 : 1), 0);
    if (wide) PadTo(fBytes, 4);
  }
  // The end of a value made of parts: padded to 4.
  void EndValue() { PadTo(fBytes, 4); }
  std::vector<uint8_t>& Bytes() { return fBytes; }
  std::vector<uint8_t> Finish() {
    PadTo(fBytes, 4);
    PutLE32(fBytes, 0, uint32_t(fBytes.size()));
    return fBytes;
  }

 private:
  // The text's bytes in the section's code page, without the zero; at most
  // 255 bytes or characters, a character beyond the BMP kept whole or not
  // at all.
  std::string Encoded(const VString& text) const {
    if (fCodePage != kCodePageUnicode) return MacRoman(text);
    std::u16string units = Units(text).substr(0, kPropertyTextMax);
    if (!units.empty() && units.back() >= 0xD800 && units.back() <= 0xDBFF) units.pop_back();
    std::string bytes;
    for (char16_t unit : units) bytes += {char(unit & 0xFF), char(unit >> 8)};
    return bytes;
  }

  std::vector<uint8_t> fBytes;
  size_t fCount;
  uint16_t fCodePage;
  size_t fNext = 0;
};

void AppendGuid(std::vector<uint8_t>& out, uint32_t a, uint16_t b, uint16_t c, const uint8_t (&d)[8]) {
  AppendLE32(out, a);
  AppendLE16(out, b);
  AppendLE16(out, c);
  out.insert(out.end(), d, d + 8);
}

// The header of both property-set streams, with `sections` sections.
void PropertySetHeader(std::vector<uint8_t>& out, uint32_t sections) {
  AppendLE16(out, 0xFFFE);
  AppendLE16(out, 0);
  for (uint8_t b : {0x03, 0x0A, 0x01, 0x00}) out.push_back(b);
  out.resize(out.size() + 16, 0);
  AppendLE32(out, sections);
}

constexpr uint8_t kOleTail[8] = {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9};
constexpr uint8_t kDocTail[8] = {0x93, 0x97, 0x08, 0x00, 0x2B, 0x2C, 0xF9, 0xAE};

// The container answers "no memory" too when the file refuses a sector:
// both are the stream's failure.
int32_t CodeOfOle(int32_t code) {
  return code == kOleWriteError || code == kOleNoMemory ? kWordExportStreamError : kWordExportFailed;
}

}  // namespace

xMorvaExportWord::xMorvaExportWord() = default;
xMorvaExportWord::~xMorvaExportWord() = default;

// ---- The text walk

void xMorvaExportWord::StartParagraph() {
  int16_t sheet = int16_t(fCurrent->GetProperty(kPropStyleSheet));
  uint16_t istd = StyleIndexForSheet(sheet);
  if (istd == 0) sheet = kDefaultStyleSheetId;
  Paragraph paragraph;
  paragraph.cp = fCp;
  paragraph.istd = istd;
  paragraph.grpprl = uint32_t(fParagraphBytes.size());
  std::vector<uint8_t> grpprl;
  EncodeParagraphSprms(grpprl, *fCurrent, *fTabs, BaseOfSheet(sheet), fTopBorder, BaseTabsOfSheet(sheet));
  paragraph.size = uint16_t(grpprl.size());
  fParagraphBytes.insert(fParagraphBytes.end(), grpprl.begin(), grpprl.end());
  fParagraphs.push_back(paragraph);
  fParagraphSheet = sheet;
  fParagraphOpen = true;
  fRunDirty = true;
}

void xMorvaExportWord::StartRun() {
  std::vector<uint8_t> grpprl;
  EncodeCharacterSprms(grpprl, *fCurrent, BaseOfSheet(fParagraphSheet), fStandardFtc, false);
  fRunDirty = false;
  // A run that carries what the one before carries, over the same style,
  // continues it: readers apply a run at a time.
  if (!fRuns.empty() && fRunSheet == fParagraphSheet && fRuns.back().size == grpprl.size() &&
      std::equal(grpprl.begin(), grpprl.end(), fRunBytes.begin() + fRuns.back().grpprl))
    return;
  fRunSheet = fParagraphSheet;
  Run run;
  run.cp = fCp;
  run.grpprl = uint32_t(fRunBytes.size());
  run.size = uint8_t(std::min<size_t>(grpprl.size(), 255));
  fRunBytes.insert(fRunBytes.end(), grpprl.begin(), grpprl.begin() + run.size);
  fRuns.push_back(run);
}

void xMorvaExportWord::AppendUnit(char16_t unit) {
  if (!fParagraphOpen) StartParagraph();
  if (fRunDirty) StartRun();
  fTextPiece.push_back(uint8_t(unit));
  fTextPiece.push_back(uint8_t(unit >> 8));
  ++fCp;
  fLastUnit = unit;
  if (fTextPiece.size() >= kTextPiece) WriteCharacters();
  // A break ends its paragraph, as in the document.
  if (unit == 13 || unit == 12 || unit == 14) fParagraphOpen = false;
}

void xMorvaExportWord::ResetWalk() {
  if (!fCurrent) fCurrent = std::make_unique<xMorvaProperties>();
  if (!fTabs) fTabs = std::make_unique<xMorvaTabs>();
  fCurrent->SetDefaults();
  fTabs->Clear();
  fParagraphOpen = false;
  fRunDirty = true;
}

void xMorvaExportWord::AppendPart(int16_t part, xMorvaEngine& engine) {
  ResetWalk();
  xMorvaProperties& current = *fCurrent;
  xMorvaTabs& tabs = *fTabs;
  const uint32_t size = engine.GetStreamSize();
  const uint8_t* stream = size != 0 ? engine.LockStream() : nullptr;
  for (uint32_t at = 0; stream != nullptr && at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kUnit) {
      // Other control units (markers among them) would be Word's own marks
      // there: cell ends, field bounds, note references.
      if (item.unit >= 32 || item.unit == 9 || item.unit == 13) AppendUnit(item.unit);
    } else if (item.kind == StreamItem::kRecord) {
      if (item.unit == kPropTabs) {
        tabs.AddStop(item.value);
      } else if (item.unit < kFirstElementCode) {
        current.SetProperty(item.unit, int32_t(item.value));
        if (item.unit <= kLastCharacterProperty) fRunDirty = true;
      }
    } else {
      switch (item.unit) {
        case xMorvaElementCode::Tab: AppendUnit(9); break;
        case xMorvaElementCode::PageBreak: AppendUnit(12); break;
        case xMorvaElementCode::ColBreak: AppendUnit(14); break;
        // Word's optional hyphen, shown only where the line breaks.
        case xMorvaElementCode::SoftHyphen: AppendUnit(31); break;
        // The picture's place; its data is not written.
        case xMorvaElementCode::Pict: AppendUnit(1); break;
        // Page numbers, dates, host references and hyperlinks are written
        // as the text they show, which follows their fixed part.
        case xMorvaElementCode::PageNumber:
          fPageNumbers.NoteElement(part, stream + at, item.size);
          [[fallthrough]];
        case xMorvaElementCode::DateTime:
        case xMorvaElementCode::ExprQv:
        case xMorvaElementCode::Hyperlink: at += std::max<uint32_t>(item.skipSize, 1); continue;
        default: break;
      }
    }
    at += std::max<uint32_t>(item.size, 1);
  }
  if (stream != nullptr) engine.UnlockStream();
  if (stream != nullptr || size == 0) fPageNumbers.MarkWalked(part);
}

void xMorvaExportWord::CloseStoryWithParagraphEnd(uint32_t start, bool closed) {
  // Each of Word's stories ends its last paragraph with a paragraph end,
  // which readers take for the story's own: a story whose last paragraph
  // is empty (the part ends with a paragraph end) gets one more, so that
  // its empty paragraph comes back. A break that ends the body ends its
  // last paragraph. A header or footer story (`closed`) ends its last
  // paragraph always, and then closes with a paragraph end of its own, as
  // Word and LibreOffice write them.
  if (closed || fCp == start || fParagraphOpen || fLastUnit == 13) AppendUnit(13);
  if (closed) AppendUnit(13);
}

void xMorvaExportWord::AppendHeaderFooterStories() {
  const xMorvaDocParams& params = fDocument->GetParams();
  const bool facing = params.GetDifferentLeftRight() != 0;
  const bool first = params.GetDifferentFirstPage() != 0;
  struct Span {
    uint32_t start, end;
  };
  auto hasText = [&](int16_t part) {
    auto* engine = static_cast<xMorvaEngine*>(fDocument->GetPart(part));
    return engine != nullptr && engine->GetLength() > 0;
  };
  // `blank`: a part without text is written as a story of one empty
  // paragraph, not as an empty range, which readers take for no story
  // and fill with the other pages' part.
  auto copy = [&](int16_t part, bool blank = false) {
    Span span{fCp - fCcpText, 0};
    const uint32_t before = fCp;
    if (hasText(part)) {
      AppendPart(part, *static_cast<xMorvaEngine*>(fDocument->GetPart(part)));
    } else if (blank) {
      ResetWalk();  // its paragraph in the default look
    }
    if (fCp > before || blank) CloseStoryWithParagraphEnd(before, true);
    span.end = fCp - fCcpText;
    return span;
  };
  std::fill(std::begin(fHdd), std::end(fHdd), 0);
  // A blank left part keeps the other pages' header or footer off the
  // left pages where those have one.
  if (facing) copy(kPartLeftHeader, hasText(kPartHeader));
  Span header = copy(kPartHeader);
  fHdd[7] = header.start;
  fHdd[8] = header.end;
  if (facing) copy(kPartLeftFooter, hasText(kPartFooter));
  Span footer = copy(kPartFooter);
  fHdd[9] = footer.start;
  fHdd[10] = footer.end;
  fHdd[11] = fHdd[10];
  if (first) fHdd[11] = copy(kPartFirstHeader).end;
  fHdd[12] = fHdd[11];
  if (first) fHdd[12] = copy(kPartFirstFooter).end;
  fHdd[13] = fHdd[12];
  fCcpHdd = 0;
  if (fHdd[12] == 0) return;
  // The guard paragraphs: the header document ends with one, the text
  // with another.
  ResetWalk();
  AppendUnit(13);
  AppendUnit(13);
  fHdd[13] = fHdd[12] + 2;
  fCcpHdd = fHdd[12] + 1;
}

// ---- Style sheets

uint16_t xMorvaExportWord::StyleIndexForSheet(int16_t sheet) const {
  const auto found = fIstds.find(sheet);
  return found != fIstds.end() ? found->second : 0;
}

const xMorvaProperties* xMorvaExportWord::BaseOfSheet(int16_t sheet) {
  const auto found = fBases.find(sheet);
  if (found != fBases.end()) return found->second.get();
  const auto normal = fBases.find(kDefaultStyleSheetId);
  return normal != fBases.end() ? normal->second.get() : nullptr;
}

const xMorvaTabs* xMorvaExportWord::BaseTabsOfSheet(int16_t sheet) {
  const auto found = fBaseTabs.find(sheet);
  if (found != fBaseTabs.end()) return found->second.get();
  const auto normal = fBaseTabs.find(kDefaultStyleSheetId);
  return normal != fBaseTabs.end() ? normal->second.get() : nullptr;
}

void xMorvaExportWord::WriteStd(uint16_t istd, uint16_t sti, bool paragraph, uint16_t istdBase,
                                const VString& name, const xMorvaProperties& properties, const xMorvaTabs& tabs,
                                const xMorvaProperties* base, const xMorvaPropertiesStates* stated) {
  std::vector<uint8_t> record;
  const bool dpf = istd == 10;
  AppendLE16(record, uint16_t((sti & 0xFFF) | (dpf ? 0 : 1u << 13) | 1u << 14));
  AppendLE16(record, uint16_t((paragraph ? 1 : 2) | istdBase << 4));
  AppendLE16(record, uint16_t((paragraph ? 2 : 1) | istd << 4));
  AppendLE16(record, 0);  // bchUpe, set below
  AppendLE16(record, 0);
  const std::u16string units = Units(name);
  AppendLE16(record, uint16_t(units.size()));
  for (char16_t unit : units) AppendLE16(record, unit);
  AppendLE16(record, 0);
  const bool basedOnNothing = istdBase == 0xFFF;
  if (paragraph) {
    std::vector<uint8_t> grpprl;
    uint8_t top = 0;
    EncodeParagraphSprms(grpprl, properties, tabs, base, top);
    AppendLE16(record, uint16_t(grpprl.size() + 2));
    AppendLE16(record, istd);
    record.insert(record.end(), grpprl.begin(), grpprl.end());
    if (grpprl.size() % 2 != 0) record.push_back(0);
  }
  // The default paragraph font is Word's own character style, as Word
  // writes it: it defines nothing, a run in it has its paragraph's look.
  std::vector<uint8_t> grpprl;
  if (!dpf) EncodeCharacterSprms(grpprl, properties, base, fStandardFtc, basedOnNothing, stated);
  AppendLE16(record, uint16_t(grpprl.size()));
  record.insert(record.end(), grpprl.begin(), grpprl.end());
  if (grpprl.size() % 2 != 0) record.push_back(0);
  PutLE16(record, 6, uint16_t(record.size()));
  AppendLE16(fTable, uint16_t(record.size()));
  fTable.insert(fTable.end(), record.begin(), record.end());
}

void xMorvaExportWord::WriteStyleSheet() {
  const uint32_t start = uint32_t(fTable.size());
  const std::vector<int16_t> ids = fDocument->StyleSheetIds();
  VMemoryResourceFile* store = fDocument->GetStyleSheetStore();
  xMorvaStyleSheet normal;
  const bool loaded = store != nullptr && ReadStyleSheetResource(*store, kDefaultStyleSheetId, normal);
  AppendLE16(fTable, 18);
  AppendLE16(fTable, uint16_t(ids.size()));
  AppendLE16(fTable, 10);
  AppendLE16(fTable, 1);
  AppendLE16(fTable, 91);
  AppendLE16(fTable, 15);
  AppendLE16(fTable, 2);
  for (int i = 0; i < 3; ++i) AppendLE16(fTable, fStandardFtc);
  uint16_t next = 0;
  auto emptyUpTo = [&](uint16_t istd) {
    for (; next < istd; ++next) AppendLE16(fTable, 0);
    next = uint16_t(istd + 1);
  };
  if (loaded) {
    VStr<255> name;
    fDocument->GetStyleSheetName(kDefaultStyleSheetId, name, false);
    emptyUpTo(0);
    WriteStd(0, 0, true, 0xFFF, name, normal.properties, normal.tabs, nullptr);
    VStr<255> dpf;
    dpf.SetUniCText(u"Default Paragraph Font");
    emptyUpTo(10);
    WriteStd(10, 65, false, 0xFFF, dpf, normal.properties, normal.tabs, nullptr);
    const xMorvaProperties* base = BaseOfSheet(kDefaultStyleSheetId);
    for (size_t k = 0; k < ids.size(); ++k) {
      const uint32_t istd = 13 + uint32_t(k) + 1;
      // Sheets past the last istd stay in the text as Normal.
      if (istd > uint32_t(kWordMaxIstd)) break;
      if (ids[k] == kDefaultStyleSheetId) continue;
      xMorvaStyleSheet sheet;
      if (!ReadStyleSheetResource(*store, ids[k], sheet)) continue;
      VStr<255> name;
      fDocument->GetStyleSheetName(ids[k], name, false);
      const xMorvaProperties* merged = BaseOfSheet(ids[k]);
      const bool paragraph = sheet.paragraphSheet != 0;
      emptyUpTo(uint16_t(istd));
      // A character style is based on the default paragraph font, which
      // defines nothing: it states every property its sheet defines, even
      // one equal to Normal's, or a reader resolves it to Word's default.
      WriteStd(uint16_t(istd), uint16_t(std::min<uint32_t>(90 + uint32_t(k) + 1, 0xFFE)), paragraph,
               paragraph ? 0 : 10, name, merged != nullptr ? *merged : sheet.properties, sheet.tabs, base,
               paragraph ? nullptr : &sheet.states);
    }
  }
  PutLE16(fTable, start + 2, next);
  Record(kFibStshf, start);
  fFc[kFibStshfOrig] = fFc[kFibStshf];
  fLcb[kFibStshfOrig] = fLcb[kFibStshf];
  fHasContent[kFibStshfOrig] = true;
}

// ---- Tables

void xMorvaExportWord::Record(uint16_t pair, uint32_t fc) {
  fFc[pair] = fc;
  fLcb[pair] = uint32_t(fTable.size()) - fc;
  fHasContent[pair] = fLcb[pair] != 0;
}

void xMorvaExportWord::EmptyTable(uint16_t pair) {
  fFc[pair] = uint32_t(fTable.size());
  fLcb[pair] = 0;
  fHasContent[pair] = true;
}

void xMorvaExportWord::WriteSectionTable() {
  const uint32_t start = uint32_t(fTable.size());
  AppendLE32(fTable, 0);
  AppendLE32(fTable, fCcpText + fCcpHdd);
  fSedAt = uint32_t(fTable.size());
  AppendLE16(fTable, 4);
  AppendLE32(fTable, 0xFFFFFFFFu);
  AppendLE16(fTable, 0);
  AppendLE32(fTable, 0xFFFFFFFFu);
  Record(kFibPlcfSed, start);
}

void xMorvaExportWord::WriteHeaderStoryTable() {
  const uint32_t start = uint32_t(fTable.size());
  if (fCcpHdd != 0)
    for (uint32_t cp : fHdd) AppendLE32(fTable, cp);
  Record(kFibPlcfHdd, start);
}

void xMorvaExportWord::WriteBinTable(uint16_t pair, const std::vector<uint32_t>& fcs,
                                     const std::vector<uint32_t>& pages) {
  const uint32_t start = uint32_t(fTable.size());
  if (!pages.empty()) {
    for (uint32_t fc : fcs) AppendLE32(fTable, fc);
    for (uint32_t pn : pages) AppendLE32(fTable, pn & 0x3FFFFF);
  }
  Record(pair, start);
}

// Character runs: each page takes runs until its fcs, offsets and entries
// meet; a run without sprms takes no entry (offset 0).
void xMorvaExportWord::WriteCharacterRuns() {
  std::vector<uint32_t> fcs{FcFromCp(0)};
  std::vector<uint32_t> pages;
  for (size_t i = 0; i < fRuns.size();) BuildChpxPage(i, fcs, pages);
  WriteBinTable(kFibPlcfBteChpx, fcs, pages);
}

void xMorvaExportWord::BuildChpxPage(size_t& i, std::vector<uint32_t>& fcs, std::vector<uint32_t>& pages) {
  const uint32_t total = fCp;
  uint8_t page[kWordPage] = {};
  uint32_t lowest = kWordPage - 1;
  std::vector<uint8_t> offsets;
  const size_t first = i;
  while (i < fRuns.size()) {
    const Run& run = fRuns[i];
    const size_t n = offsets.size() + 1;
    uint32_t at = lowest;
    if (run.size != 0) {
      at = (lowest - 1u - run.size) & ~1u;
      if (at < 4 * (n + 1) + n) break;
    } else if (4 * (n + 1) + n > lowest) {
      break;
    }
    if (run.size != 0) {
      page[at] = run.size;
      std::memcpy(page + at + 1, fRunBytes.data() + run.grpprl, run.size);
      lowest = at;
    }
    offsets.push_back(run.size != 0 ? uint8_t(at / 2) : 0);
    ++i;
  }
  const size_t count = offsets.size();
  for (size_t k = 0; k < count; ++k) StoreLE32(page + 4 * k, FcFromCp(fRuns[first + k].cp));
  const uint32_t end = FcFromCp(i < fRuns.size() ? fRuns[i].cp : total);
  StoreLE32(page + 4 * count, end);
  if (count != 0) std::memcpy(page + 4 * (count + 1), offsets.data(), count);
  page[kWordPage - 1] = uint8_t(count);
  pages.push_back(MainEnd() / kWordPage);
  PutMain(page, kWordPage);
  fcs.push_back(end);
}

// Paragraph runs: every paragraph takes an entry holding its istd; the
// 13-byte BX is the entry's word offset and an empty PHE.
void xMorvaExportWord::WriteParagraphRuns() {
  std::vector<uint32_t> fcs{FcFromCp(0)};
  std::vector<uint32_t> pages;
  for (size_t i = 0; i < fParagraphs.size();) BuildPapxPage(i, fcs, pages);
  WriteBinTable(kFibPlcfBtePapx, fcs, pages);
}

void xMorvaExportWord::BuildPapxPage(size_t& i, std::vector<uint32_t>& fcs, std::vector<uint32_t>& pages) {
  const uint32_t total = fCp;
  uint8_t page[kWordPage] = {};
  uint32_t lowest = kWordPage - 1;
  std::vector<uint8_t> offsets;
  const size_t first = i;
  while (i < fParagraphs.size()) {
    const Paragraph& paragraph = fParagraphs[i];
    const uint32_t n = paragraph.size;
    const uint32_t bytes = (n % 2 != 0 ? 1 : 2) + 2 + n;
    const size_t entries = offsets.size() + 1;
    if (lowest < bytes) break;
    const uint32_t at = (lowest - bytes) & ~1u;
    if (at < 4 * (entries + 1) + 13 * entries) break;
    uint32_t w = at;
    if (n % 2 != 0) {
      page[w++] = uint8_t((n + 3) / 2);
    } else {
      page[w++] = 0;
      page[w++] = uint8_t((n + 2) / 2);
    }
    StoreLE16(page + w, paragraph.istd);
    if (n != 0) std::memcpy(page + w + 2, fParagraphBytes.data() + paragraph.grpprl, n);
    lowest = at;
    offsets.push_back(uint8_t(at / 2));
    ++i;
  }
  const size_t count = offsets.size();
  for (size_t k = 0; k < count; ++k) StoreLE32(page + 4 * k, FcFromCp(fParagraphs[first + k].cp));
  const uint32_t end = FcFromCp(i < fParagraphs.size() ? fParagraphs[i].cp : total);
  StoreLE32(page + 4 * count, end);
  for (size_t k = 0; k < count; ++k) page[4 * (count + 1) + 13 * k] = offsets[k];
  page[kWordPage - 1] = uint8_t(count);
  pages.push_back(MainEnd() / kWordPage);
  PutMain(page, kWordPage);
  fcs.push_back(end);
}

void xMorvaExportWord::WriteParagraphBoundaries() {
  std::vector<uint32_t> fcs{FcFromCp(0)};
  std::vector<uint32_t> pages;
  for (size_t i = 0; i < fParagraphs.size(); i += kBoundariesPerPage) BuildParagraphBoundaryPage(i, fcs, pages);
  WriteBinTable(kFibPlcfBteLvc, fcs, pages);
}

void xMorvaExportWord::BuildParagraphBoundaryPage(size_t i, std::vector<uint32_t>& fcs,
                                                  std::vector<uint32_t>& pages) {
  const uint32_t total = fCp;
  uint8_t page[kWordPage] = {};
  const size_t count = std::min(kBoundariesPerPage, fParagraphs.size() - i);
  StoreLE32(page, FcFromCp(fParagraphs[i].cp));
  uint32_t end = 0;
  for (size_t k = 0; k < count; ++k) {
    const size_t next = i + k + 1;
    end = FcFromCp(next < fParagraphs.size() ? fParagraphs[next].cp : total);
    StoreLE32(page + 4 * (k + 1), end);
  }
  page[kWordPage - 1] = uint8_t(count);
  pages.push_back(MainEnd() / kWordPage);
  PutMain(page, kWordPage);
  fcs.push_back(end);
}

void xMorvaExportWord::WriteSavedBy() {
  const uint32_t start = uint32_t(fTable.size());
  AppendLE16(fTable, 0xFFFF);
  AppendLE16(fTable, 2);
  AppendLE16(fTable, 0);
  AppendSttbString(fTable, kProductName);
  AppendSttbString(fTable, u"");
  Record(kFibSttbSavedBy, start);
}

// One piece holds the whole text, UTF-16 from fcMin.
void xMorvaExportWord::WriteClx() {
  const uint32_t start = uint32_t(fTable.size());
  fTable.push_back(2);
  AppendLE32(fTable, 16);
  AppendLE32(fTable, 0);
  AppendLE32(fTable, fCp);
  AppendLE16(fTable, 0x0040);
  AppendLE32(fTable, kWordFcMin);
  AppendLE16(fTable, 0);
  Record(kFibClx, start);
}

void xMorvaExportWord::WriteFontTable() {
  const uint32_t start = uint32_t(fTable.size());
  std::vector<std::u16string> names;
  for (int32_t i = 1; i <= fDocument->GetFontCount(); ++i) {
    VStr<255> name;
    bool known = false;
    fDocument->FontNameForIndex(i, name, known);
    names.push_back(Units(name).substr(0, size_t(kWordMaxFontName)));
  }
  // Every ftc the runs give names a font.
  if (names.empty()) names.push_back(u"Times New Roman");
  AppendLE16(fTable, uint16_t(std::min<size_t>(names.size(), 0xFFFF)));
  AppendLE16(fTable, 0);
  for (size_t i = 0; i < names.size() && i < 0xFFFF; ++i) {
    const std::u16string& name = names[i];
    fTable.push_back(uint8_t(2 * name.size() + 41));
    fTable.push_back(0x44);
    AppendLE16(fTable, 400);
    fTable.push_back(1);
    fTable.push_back(0);
    fTable.resize(fTable.size() + 34, 0);
    for (char16_t unit : name) AppendLE16(fTable, unit);
    AppendLE16(fTable, 0);
  }
  Record(kFibSttbfFfn, start);
}

void xMorvaExportWord::WriteDop() {
  const uint32_t start = uint32_t(fTable.size());
  std::vector<uint8_t> dop(kWordDopSize, 0);
  const xMorvaDocParams& params = fDocument->GetParams();
  const xMorvaDocInfos& infos = fDocument->Infos();
  const uint16_t locked = infos.GetLocked() != 0 ? 1 : 0;
  // fFacingPages makes readers show the left-page stories on left pages.
  PutLE16(dop, 0,
          uint16_t(0x0020 | (params.GetWidowControl() != 0 ? 0x0002 : 0) |
                   (params.GetDifferentLeftRight() != 0 ? 0x0001 : 0)));
  PutLE16(dop, 2, 1 << 2);
  PutLE16(dop, 4, 0x0841);
  PutLE16(dop, 6, uint16_t(0x008C | (params.GetAlternateBinding() != 0 ? 0x0020 : 0) | locked << 6 | locked << 9));
  PutLE16(dop, 10, uint16_t(params.GetDefaultTabTwips()));
  PutLE16(dop, 14, 360);
  PutLE32(dop, 20, MakeDttm(infos.GetCreationDate(), infos.GetCreationTime()));
  PutLE32(dop, 24, MakeDttm(infos.GetModificationDate(), infos.GetModificationTime()));
  PutLE16(dop, 32, 1);
  PutLE32(dop, 34, 1);
  PutLE16(dop, 46, 1);
  PutLE32(dop, 48, 1);
  PutLE16(dop, 52, 1 << 2);
  PutLE16(dop, 54, 0x1003);
  PutLE32(dop, 56, 1);
  PutLE16(dop, 68, 1);
  PutLE32(dop, 70, 1);
  PutLE32(dop, 74, 1);
  PutLE16(dop, 82, uint16_t((params.GetViewMode() == 1 ? 4 : 1) | 100 << 3));
  PutLE16(dop, 400, 1701);
  PutLE16(dop, 402, 1984);
  PutLE16(dop, 404, 180);
  PutLE16(dop, 406, 180);
  PutLE16(dop, 408, 0x0080);
  PutLE16(dop, 410, 0x3012);
  PutLE32(dop, 476, 1);
  PutLE16(dop, 494, 2);
  PutLE16(dop, 498, 582);
  fTable.insert(fTable.end(), dop.begin(), dop.end());
  Record(kFibDop, start);
}

void xMorvaExportWord::WriteAssociatedStrings() {
  const uint32_t start = uint32_t(fTable.size());
  const xMorvaDocInfos& infos = fDocument->Infos();
  AppendLE16(fTable, 0xFFFF);
  AppendLE16(fTable, 18);
  AppendLE16(fTable, 0);
  for (int i = 0; i < 18; ++i) {
    std::u16string text;
    if (i == 2) text = Units(infos.Title());
    if (i == 3) text = Units(infos.Subject());
    if (i == 5) text = Units(infos.Notes()).substr(0, 0xFFFF);
    if (i == 6) text = Units(infos.Author());
    AppendSttbString(fTable, text);
  }
  Record(kFibSttbfAssoc, start);
}

void xMorvaExportWord::WriteSectionProperties() {
  std::vector<uint8_t> grpprl;
  EncodeSectionSprms(grpprl, *fDocument, &fPageNumbers);
  if (grpprl.empty()) return;
  const uint32_t at = MainEnd();
  uint8_t size[2];
  StoreLE16(size, uint16_t(grpprl.size()));
  PutMain(size, 2);
  PutMain(grpprl.data(), grpprl.size());
  PutLE32(fTable, fSedAt + 2, at);
}

void xMorvaExportWord::WriteFib() {
  std::vector<uint8_t>& m = fFib;
  m.assign(kWordFcMin, 0);
  const uint16_t readOnly = fDocument->Infos().GetLocked() != 0 ? 0x0400 : 0;
  PutLE16(m, 0, 0xA5EC);
  PutLE16(m, 2, 0x00C1);
  PutLE16(m, 4, 0x0047);
  PutLE16(m, 6, 0x040C);
  PutLE16(m, 8, 0);
  PutLE16(m, 10, uint16_t(0x1000 | readOnly));
  PutLE16(m, 12, 0x00BF);
  PutLE32(m, 24, kWordFcMin);
  PutLE32(m, 28, fFcMac);
  PutLE16(m, 32, 14);
  const uint16_t words[14] = {0x6A62, 0x6A62, 0xD98E, 0xD98E, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x040C};
  for (size_t i = 0; i < 14; ++i) PutLE16(m, 34 + 2 * i, words[i]);
  PutLE16(m, 62, 22);
  uint32_t longs[22] = {};
  longs[0] = MainEnd();
  longs[1] = longs[2] = 0x0001B3EC;
  longs[3] = fCcpText;
  longs[5] = fCcpHdd;
  longs[11] = longs[14] = longs[17] = 0x000FFFFF;
  for (size_t i = 0; i < 22; ++i) PutLE32(m, 64 + 4 * i, longs[i]);
  PutLE16(m, 152, kFibPairCount);
  uint32_t high = 0, low = 0;
  VSystemServices::GetSystemFileTime(high, low);
  uint32_t lastEnd = 0;
  for (uint16_t pair = 0; pair < kFibPairCount; ++pair) {
    uint32_t fc = fFc[pair], lcb = fLcb[pair];
    if (pair == kFibModified) {
      fc = low;
      lcb = high;
    } else if (fHasContent[pair]) {
      lastEnd = fc + lcb;
    } else {
      // Nothing there: readers ignore the fc of an empty table.
      const bool zero = std::find(std::begin(kZeroFcPairs), std::end(kZeroFcPairs), pair) != std::end(kZeroFcPairs);
      fc = zero ? 0 : lastEnd;
      lcb = 0;
    }
    PutLE32(m, 154 + 8 * pair, fc);
    PutLE32(m, 158 + 8 * pair, lcb);
  }
}

// ---- The streams beside the document

uint16_t xMorvaExportWord::PropertyCodePage() {
  const xMorvaDocInfos& infos = fDocument->Infos();
  VStr<255> normal;
  fDocument->GetStyleSheetName(kDefaultStyleSheetId, normal, false);
  for (const VString* text : {&infos.Title(), &infos.Subject(), &infos.Author(), &infos.Notes(),
                              &infos.Company(), static_cast<const VString*>(&normal)}) {
    if (!MacRomanCarries(*text)) return kCodePageUnicode;
  }
  return kCodePageMacRoman;
}

void xMorvaExportWord::WriteSummaryInformation(std::vector<uint8_t>& out) {
  const xMorvaDocInfos& infos = fDocument->Infos();
  Section section(17, PropertyCodePage());
  section.CodePage();
  section.Text(2, infos.Title());
  section.Text(3, infos.Subject());
  section.Text(4, infos.Author());
  section.Text(5, "");
  section.Text(6, infos.Notes());
  VStr<255> normal;
  fDocument->GetStyleSheetName(kDefaultStyleSheetId, normal, false);
  section.Text(7, normal);
  section.Text(8, infos.Author());
  section.Text(9, "1");
  section.Text(0x12, kProductAnsi);
  section.FileTime(0x0A, 0);
  section.FileTime(0x0C, FileTime(infos.GetCreationDate(), infos.GetCreationTime()));
  section.FileTime(0x0D, fSaveTime);
  section.I4(0x0E, 1);
  section.I4(0x0F, 0);
  section.I4(0x10, 0);
  section.I4(0x13, 0);
  PropertySetHeader(out, 1);
  AppendGuid(out, 0xF29F85E0, 0x4FF9, 0x1068, kOleTail);
  AppendLE32(out, 48);
  const std::vector<uint8_t> bytes = section.Finish();
  out.insert(out.end(), bytes.begin(), bytes.end());
  if (out.size() < kSmallStream) out.resize(kSmallStream, 0);
}

void xMorvaExportWord::WriteDocumentSummaryInformation(std::vector<uint8_t>& out) {
  const xMorvaDocInfos& infos = fDocument->Infos();
  Section first(12, PropertyCodePage());
  first.CodePage();
  first.Text(0x0F, infos.Company());
  first.I4(5, 1);
  first.I4(6, 1);
  first.I4(0x11, 0);
  first.I4(0x17, 0x00081405);
  for (uint32_t id : {0x0Bu, 0x10u, 0x13u, 0x16u}) first.I4(id, 0, 0x0B);
  // The document parts, a vector of unaligned strings, and the heading
  // pairs, a vector of variants whose string is unaligned too: readers
  // step from one element to the next by the lengths alone.
  first.Begin(0x0D);
  AppendLE32(first.Bytes(), 0x1000 | first.VectorStringType());
  AppendLE32(first.Bytes(), 1);
  first.VectorString(infos.Title());
  first.EndValue();
  first.Begin(0x0C);
  AppendLE32(first.Bytes(), 0x100C);
  AppendLE32(first.Bytes(), 2);
  AppendLE32(first.Bytes(), first.VectorStringType());
  first.VectorString(infos.Title());
  AppendLE32(first.Bytes(), 3);
  AppendLE32(first.Bytes(), 1);
  first.EndValue();
  // The user-defined properties hold no text of the user's: their names
  // are Mac OS Roman bytes always.
  Section second(3, kCodePageMacRoman);
  second.Begin(0);
  AppendLE32(second.Bytes(), 1);
  AppendLE32(second.Bytes(), 2);
  second.Lpstr("_PID_GUID");
  second.CodePage();
  second.Begin(2);
  AppendLE32(second.Bytes(), 0x41);
  AppendLE32(second.Bytes(), 78);
  const char16_t* guid = u"{00000000-0000-0000-0000-000000000000}";
  for (size_t i = 0; i < 39; ++i) AppendLE16(second.Bytes(), guid[i]);
  PropertySetHeader(out, 2);
  AppendGuid(out, 0xD5CDD502, 0x2E9C, 0x101B, kDocTail);
  AppendLE32(out, 68);
  AppendGuid(out, 0xD5CDD505, 0x2E9C, 0x101B, kDocTail);
  const size_t secondAt = out.size();
  AppendLE32(out, 0);
  const std::vector<uint8_t> a = first.Finish();
  out.insert(out.end(), a.begin(), a.end());
  PutLE32(out, secondAt, uint32_t(out.size()));
  const std::vector<uint8_t> b = second.Finish();
  out.insert(out.end(), b.begin(), b.end());
  if (out.size() < kSmallStream) out.resize(kSmallStream, 0);
}

void xMorvaExportWord::WriteCompObj(std::vector<uint8_t>& out) {
  for (uint16_t word : {0x0001, 0xFFFE, 0x0A03, 0x0000}) AppendLE16(out, word);
  for (uint32_t value : {0xFFFFFFFFu, 0x00020906u, 0u, 0x000000C0u, 0x46000000u}) AppendLE32(out, value);
  for (const char* text : {"Microsoft Word Document", "MSWordDoc", "Word.Document.8"}) {
    const size_t n = std::strlen(text);
    AppendLE32(out, uint32_t(n + 1));
    out.insert(out.end(), text, text + n + 1);
  }
  AppendLE32(out, 0x71B239F4);
  AppendLE32(out, 0);
  AppendLE16(out, 0);
}

// ---- The driver

void xMorvaExportWord::WriteCharacters() {
  WriteMain(fTextPiece.data(), fTextPiece.size(), FcFromCp(fCp));
  fTextPiece.clear();
}

void xMorvaExportWord::WriteMain(const uint8_t* bytes, size_t length, uint64_t end) {
  if (fMainStream == nullptr || fMainCode != 0 || length == 0) return;
  if (end > fMainRoom) {
    fMainRoom = std::min<uint64_t>(std::max(end, fMainRoom + fMainRoom / 2), UINT32_MAX);
    if (fMainStream->SetSize(uint32_t(fMainRoom)) != 0) {
      fMainCode = kWordExportStreamError;
      return;
    }
  }
  if (fMainStream->WriteBytes(bytes, uint32_t(length)) != 0 || fMainStream->GetStatus() != 0)
    fMainCode = kWordExportStreamError;
}

void xMorvaExportWord::PutMain(const uint8_t* bytes, size_t length) {
  fMainSize += uint32_t(length);
  WriteMain(bytes, length, MainEnd());
}

// The sheets: istd and the properties a run in them is measured against,
// and the style sheet header's standard font.
void xMorvaExportWord::ReadStyleSheetBases() {
  const std::vector<int16_t> ids = fDocument->StyleSheetIds();
  VMemoryResourceFile* store = fDocument->GetStyleSheetStore();
  xMorvaStyleSheet normal;
  if (store != nullptr && ReadStyleSheetResource(*store, kDefaultStyleSheetId, normal)) {
    auto base = std::make_unique<xMorvaProperties>();
    base->Assign(normal.properties);
    fBases.emplace(kDefaultStyleSheetId, std::move(base));
    fBaseTabs.emplace(kDefaultStyleSheetId, std::make_unique<xMorvaTabs>(normal.tabs));
    fIstds.emplace(kDefaultStyleSheetId, 0);
    for (size_t k = 0; k < ids.size(); ++k) {
      const uint32_t istd = 13 + uint32_t(k) + 1;
      if (istd > uint32_t(kWordMaxIstd)) break;
      xMorvaStyleSheet sheet;
      if (ids[k] == kDefaultStyleSheetId || !ReadStyleSheetResource(*store, ids[k], sheet)) continue;
      // What the sheet leaves undefined comes from Normal, its base.
      auto merged = std::make_unique<xMorvaProperties>();
      merged->Assign(normal.properties);
      for (uint16_t id = 0; id < kPropTabs; ++id)
        if (sheet.states.GetState(id) == 1) merged->SetProperty(id, sheet.properties.GetProperty(id));
      fBases.emplace(ids[k], std::move(merged));
      // Its style is based on Normal and adds its own stops.
      auto tabs = std::make_unique<xMorvaTabs>(normal.tabs);
      for (int32_t i = 0; i < sheet.tabs.Count(); ++i) tabs->AddStop(sheet.tabs.StopAt(i));
      fBaseTabs.emplace(ids[k], std::move(tabs));
      if (sheet.paragraphSheet != 0) fIstds.emplace(ids[k], uint16_t(istd));
    }
    // The standard font: Normal's, by its name when the table has it.
    fStandardFtc = uint16_t(std::max(normal.properties.GetProperty(kPropFont) - 1, 0));
    for (int32_t i = 1; i <= fDocument->GetFontCount(); ++i) {
      VStr<255> name;
      bool known = false;
      fDocument->FontNameForIndex(i, name, known);
      if (normal.fontName.GetLength() > 0 && Units(name) == Units(normal.fontName)) {
        fStandardFtc = uint16_t(i - 1);
        break;
      }
    }
  }
}

// The stream is given room for every part's units and about as much again
// for the pages that follow them, so that it is not moved, and held twice,
// when it grows past the text: room never written is never made resident.
// The text starts after the FIB's room.
bool xMorvaExportWord::ReserveFibSpace(VStream& text) {
  uint64_t estimate = 16;
  for (int16_t part = 0; part < kPartCount; ++part)
    if (auto* engine = static_cast<xMorvaEngine*>(fDocument->GetPart(part))) estimate += engine->GetStreamSize() / 2;
  fMainRoom = std::min<uint64_t>(kWordFcMin + 2 * estimate + std::min<uint64_t>(2 * estimate, kPagesRoom), UINT32_MAX);
  fTextPiece.reserve(kTextPiece + 2);
  return text.SetSize(uint32_t(fMainRoom)) == 0 && text.SetPosition(kWordFcMin) == 0;
}

// "WordDocument" and "0Table" are at least 4096 bytes, so that neither
// lands in the container's small streams.
void xMorvaExportWord::PadStreams() {
  if (MainEnd() < kSmallStream) {
    const std::vector<uint8_t> small(kSmallStream - MainEnd(), 0);
    PutMain(small.data(), small.size());
  }
  if (fTable.size() < kSmallStream) fTable.resize(kSmallStream, 0);
}

int32_t xMorvaExportWord::BuildStreams(VStream& text) {
  fMainSize = 0;
  fMainStream = &text;
  fMainRoom = 0;
  fMainCode = 0;
  fFib.clear();
  fTable.clear();
  std::fill(std::begin(fFc), std::end(fFc), 0);
  std::fill(std::begin(fLcb), std::end(fLcb), 0);
  std::fill(std::begin(fHasContent), std::end(fHasContent), false);
  fCp = 0;
  fLastUnit = 0;
  fTextPiece.clear();
  fRuns.clear();
  fRunSheet = 0;
  fRunBytes.clear();
  fParagraphs.clear();
  fParagraphBytes.clear();
  fTopBorder = 0;
  fIstds.clear();
  fBases.clear();
  ResetWalk();

  ReadStyleSheetBases();

  // The text: the body closed with a paragraph end, then the header stories,
  // written after the FIB's room.
  if (!ReserveFibSpace(text)) {
    fMainStream = nullptr;
    return kWordExportStreamError;
  }
  fPageNumbers = {};
  if (auto* body = static_cast<xMorvaEngine*>(fDocument->GetPart(kPartBody)))
    AppendPart(kPartBody, *body);
  CloseStoryWithParagraphEnd(0, false);
  fCcpText = fCp;
  AppendHeaderFooterStories();
  WriteCharacters();
  std::vector<uint8_t>().swap(fTextPiece);
  fFcMac = FcFromCp(fCp);
  // What follows the text starts on the next page, after zeros.
  fMainBase = (fFcMac + kWordPage - 1) / kWordPage * kWordPage;
  const std::vector<uint8_t> zeros(fMainBase - fFcMac, 0);
  WriteMain(zeros.data(), zeros.size(), fMainBase);

  WriteStyleSheet();
  WriteSectionTable();
  EmptyTable(kFibPgdMotherOldOld);
  EmptyTable(kFibBkdMotherOldOld);
  WriteHeaderStoryTable();
  WriteCharacterRuns();
  WriteParagraphRuns();
  WriteParagraphBoundaries();
  EmptyTable(kFibPlcfFldMom);
  EmptyTable(kFibPlcfFldHdr);
  WriteSavedBy();
  EmptyTable(kFibCmds);
  WriteClx();
  WriteFontTable();
  WriteDop();
  WriteAssociatedStrings();
  WriteSectionProperties();
  WriteFib();
  PadStreams();
  // The pages hold the runs and paragraphs now.
  std::vector<Run>().swap(fRuns);
  std::vector<uint8_t>().swap(fRunBytes);
  std::vector<Paragraph>().swap(fParagraphs);
  std::vector<uint8_t>().swap(fParagraphBytes);
  fMainStream = nullptr;
  return fMainCode;
}

int32_t xMorvaExportWord::ExportWordDocument(xMorvaDocument* document, VStream* file) {
  if (document == nullptr || file == nullptr) return kWordExportMissing;
  fDocument = document;
  {
    VDateRec today;
    int32_t seconds = 0;
    xMorvaDocInfos::Now(today, seconds);
    fSaveTime = FileTime(today, seconds);
  }
  return WriteContainer(*file);
}

int32_t xMorvaExportWord::WriteContainer(VStream& file) {
  xMorvaOleFile ole(file);
  if (ole.OpenForWriting() != kOleNoError) return kWordExportStreamError;
  int32_t code = 0;
  // A long export shows its progress as the file takes its bytes.
  std::unique_ptr<VStreamProgress> progress;
  VStreamProgress* previousHook = file.GetHook();
  struct HookGuard {
    VStream& file;
    VStreamProgress* previous;
    bool set = false;
    ~HookGuard() {
      if (set) file.SetHook(previous);
    }
  } guard{file, previousHook};
  auto put = [&](VStream* stream, const std::vector<uint8_t>& bytes) {
    if (code != 0) return;
    if (!bytes.empty() && stream->WriteBytes(bytes.data(), uint32_t(bytes.size())) != 0) code = kWordExportStreamError;
    if (stream->GetStatus() != 0) code = kWordExportStreamError;
  };
  VStream* table = nullptr;
  VStream* main = nullptr;
  VStream* summary = nullptr;
  VStream* documentSummary = nullptr;
  VStream* compObj = nullptr;
  int32_t pool = -1;
  if (ole.CreateStream(u"0Table", table) != kOleNoError || ole.CreateStream(u"WordDocument", main) != kOleNoError ||
      ole.CreateStream(u"\005SummaryInformation", summary) != kOleNoError) {
    code = kWordExportStreamError;
  }
  // The walk writes the text into its stream; the rest is gathered.
  if (code == 0) code = BuildStreams(*main);
  if (code == 0) {
    const uint64_t bytes = uint64_t(MainEnd()) + fTable.size() + 4 * kSmallStream;
    if (bytes > kProgressThreshold)
      progress.reset(fDocument->NewProgressStatus(kProgressWritingWord,
                                                  uint32_t(std::min<uint64_t>(bytes, UINT32_MAX))));
    if (progress) {
      file.SetHook(progress.get());
      guard.set = true;
    }
  }
  if (code == 0) {
    std::vector<uint8_t> bytes;
    WriteSummaryInformation(bytes);
    put(summary, bytes);
    ole.SetChild(summary, ole.GetRootIndex());
    ole.SetLeftSibling(summary, main);
  }
  if (code == 0 && ole.CreateStream(u"\005DocumentSummaryInformation", documentSummary) != kOleNoError)
    code = kWordExportStreamError;
  if (code == 0) {
    std::vector<uint8_t> bytes;
    WriteDocumentSummaryInformation(bytes);
    put(documentSummary, bytes);
    ole.SetRightSibling(summary, documentSummary);
    if (const int32_t closed = ole.CloseStream(documentSummary); closed != 0 && code == 0) code = CodeOfOle(closed);
    if (const int32_t closed = ole.CloseStream(summary); closed != 0 && code == 0) code = CodeOfOle(closed);
  }
  if (code == 0 && ole.CreateStream(u"\001CompObj", compObj) != kOleNoError) code = kWordExportStreamError;
  if (code == 0) {
    std::vector<uint8_t> bytes;
    WriteCompObj(bytes);
    put(compObj, bytes);
    ole.SetLeftSibling(main, compObj);
    ole.SetLeftSibling(compObj, table);
    if (ole.CreateStorage(u"ObjectPool", pool) != kOleNoError) code = kWordExportStreamError;
    if (code == 0) ole.SetRightSibling(compObj, pool);
    if (const int32_t closed = ole.CloseStream(compObj); closed != 0 && code == 0) code = CodeOfOle(closed);
  }
  // All but the FIB is in place after the FIB's room: cut to its end, the
  // stream takes the FIB before it.
  if (code == 0 && (main->SetSize(MainEnd()) != 0 || main->SetPosition(0) != 0)) code = kWordExportStreamError;
  put(main, fFib);
  put(table, fTable);
  // The container is finished on every way out, and its answer counts.
  const int32_t finished = ole.FinishWriting();
  if (code == 0 && finished != kOleNoError) code = CodeOfOle(finished);
  return code;
}
