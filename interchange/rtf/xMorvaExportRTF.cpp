// The RTF writer: the tables and settings first, then each part's element
// stream walked once, a control word written wherever a property record
// changes a property and the paragraph's settings at each paragraph whose
// settings changed. Output is gathered in memory and handed to the stream
// in large pieces.
#include "interchange/rtf/xMorvaExportRTF.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "area/view/xMorvaHyperlink.h"
#include "document/DocumentUnits.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaStyleSheet.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/containers/ValueReader.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VDate.h"
#include "framework/core/values/VHour.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/printing/VPrintSettings.h"
#include "interchange/fields/xMorvaPageNumberForm.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "platform/bytes/ByteOrder.h"

namespace {

// The colours that always open the colour table (indexes 1 to 18), as
// 0xBBGGRR values: the colours of the colour menus.
constexpr int32_t Rgb(int r, int g, int b) { return r | g << 8 | b << 16; }
constexpr int32_t kFixedColours[] = {
    Rgb(0, 0, 0),       Rgb(51, 153, 255),  Rgb(0, 0, 255),     Rgb(255, 230, 0),   Rgb(0, 204, 25),
    Rgb(255, 153, 0),   Rgb(255, 0, 0),     Rgb(204, 0, 255),   Rgb(255, 255, 255), Rgb(179, 230, 255),
    Rgb(255, 255, 204), Rgb(179, 255, 179), Rgb(255, 217, 166), Rgb(255, 179, 179), Rgb(255, 192, 255),
    Rgb(204, 204, 204), Rgb(153, 153, 153), Rgb(102, 102, 102)};
constexpr int32_t kFixedColourCount = int32_t(sizeof kFixedColours / sizeof kFixedColours[0]);
constexpr int32_t kFixedWhite = Rgb(255, 255, 255);

// The property ids whose values are colours of the colour table.
bool IsColourProperty(uint16_t id) {
  return id == kPropTextColour || id == kPropBackColour || id == kPropStrikeOutColour ||
         id == kPropUnderlineColour || id == kPropShadowColour || id == kPropParagraphBackColour ||
         id == kPropBorderColour;
}

// Border styles: the control word and its width in twips.
struct BorderStyle {
  const char* word;
  int32_t width;
};
constexpr BorderStyle kBorderStyles[] = {{"brdrs", 10},      {"brdrs", 30},        {"brdrs", 60},
                                         {"brdrdot", 10},    {"brdrdot", 30},      {"brdrdot", 60},
                                         {"brdrdb", 30},     {"brdrthtnsg", 30},   {"brdrtnthtnsg", 30},
                                         {"brdrtnthsg", 30}, {"brdrdb", 30}};

// Parts written for a whole document, in order, with their group words for
// documents without and with facing pages, and the other pages' part that
// a reader shows in place of a first-page or left-page part it does not
// find (-1 for the other pages' own).
struct PartGroup {
  int16_t part;
  const char* word;
  const char* facingWord;
  int16_t standIn;
};
constexpr PartGroup kPartGroups[] = {{kPartFirstHeader, "headerf", "headerf", kPartHeader},
                                     {kPartFirstFooter, "footerf", "footerf", kPartFooter},
                                     {kPartHeader, "header", "headerr", -1},
                                     {kPartFooter, "footer", "footerr", -1},
                                     {kPartLeftHeader, "headerl", "headerl", kPartHeader},
                                     {kPartLeftFooter, "footerl", "footerl", kPartFooter}};

// The order in which the parts' colours enter the table.
constexpr int16_t kColourPartOrder[] = {kPartBody,       kPartFirstHeader, kPartFirstFooter, kPartLeftHeader,
                                        kPartLeftFooter, kPartHeader,      kPartFooter};

// The page-number formats by number style (0 to 4; the named lists have
// none).
constexpr const char* kPageNumberWords[] = {"pgndec", "pgnlcltr", "pgnucltr", "pgnlcrm", "pgnucrm"};
constexpr int32_t kPageNumberWordCount = int32_t(sizeof kPageNumberWords / sizeof kPageNumberWords[0]);

constexpr size_t kFlushSize = 1 << 16;
// Exports of more than this many counted bytes show their progress.
constexpr uint64_t kWriteProgressThreshold = 4000;

// No background is how RTF text starts: a part's text and a style leave it
// unsaid. White's index, which stands for none, is written only where a
// background ends, since LibreOffice reads it as a white highlight.
bool IsRtfDefault(uint16_t id, int32_t value) { return id == kPropBackColour && value == kColourNone; }

xMorvaEngine* EngineOf(xMorvaDocument& document, int16_t part) {
  return static_cast<xMorvaEngine*>(document.GetPart(part));
}

}  // namespace

xMorvaExportRTF::xMorvaExportRTF() = default;
xMorvaExportRTF::~xMorvaExportRTF() = default;

const char* xMorvaExportRTF::DateFormat(uint8_t style) {
  switch (style) {
    case 1:
    case 4: return "dd/MM/yy";
    case 2: return "ddd d MMMM yyyy";
    case 3: return "dddd d MMMM yyyy";
    case 5: return "d MMMM, yyyy";
    case 6: return "d MMM, yyyy";
    case 7: return "dd/MM/yyyy";
    default: return "";
  }
}

// Minutes are "mm": "MM" is the month in a field picture.
const char* xMorvaExportRTF::TimeFormat(uint8_t style) {
  switch (style) {
    case 1:
    case 3: return "HH:mm:ss";
    case 2:
    case 4: return "HH:mm";
    case 5: return "h:mm";
    default: return "";
  }
}

// ---- Primitives

void xMorvaExportRTF::Flush() {
  if (fOut.empty()) return;
  // Through the stream's transfer, which advances a progress hung on it.
  if (fStream->PutData(fOut.data(), uint32_t(fOut.size())) != 0) fFailed = true;
  fOut.clear();
}

void xMorvaExportRTF::Open() {
  fOut.push_back('{');
  fPending = false;
}

void xMorvaExportRTF::Close() {
  fOut.push_back('}');
  fPending = false;
  if (fOut.size() >= kFlushSize) Flush();
}

void xMorvaExportRTF::Word(const char* word) {
  fOut.push_back('\\');
  fOut.append(word);
  fPending = true;
}

void xMorvaExportRTF::Word(const char* word, int32_t number) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", number);
  fOut.push_back('\\');
  fOut.append(word);
  fOut.append(digits);
  fPending = true;
}

void xMorvaExportRTF::Raw(const char* text) {
  fOut.append(text);
}

namespace {

// A character RTF takes as it stands.
bool IsPlainRtfUnit(uint16_t unit) { return unit >= 32 && unit < 128 && unit != '{' && unit != '}' && unit != '\\'; }

}  // namespace

void xMorvaExportRTF::WriteRtfText(char16_t unit) {
  if (fPending) {
    fOut.push_back(' ');
    fPending = false;
  }
  if (unit == 13) {
    fOut.append("\r\n");
    Word("par");
    if (fOut.size() >= kFlushSize) Flush();
    return;
  }
  if (unit == '{' || unit == '}' || unit == '\\') {
    fOut.push_back('\\');
    fOut.push_back(char(unit));
    return;
  }
  if (unit < 128) {
    fOut.push_back(char(unit));
    return;
  }
  if (unit == 160) {
    fOut.append("\\~");
    return;
  }
  // \u takes a signed 16-bit number: units above 32767 are written
  // negative, as readers expect.
  const int32_t number = unit > 32767 ? int32_t(unit) - 65536 : int32_t(unit);
  uint8_t fallback = gIntlMgr != nullptr ? gIntlMgr->UniCharToWin(unit) : 0;
  if (fallback == 0) fallback = unit < 256 ? uint8_t(unit) : uint8_t('?');
  char text[24];
  std::snprintf(text, sizeof text, "\\u%d\\'%02x", number, fallback);
  fOut.append(text);
}

void xMorvaExportRTF::WriteRtfText(const VString& text) {
  for (int32_t i = 1; i <= text.GetLength(); ++i) WriteRtfText(text.GetCharAt(i));
}

// ---- Tables and settings

void xMorvaExportRTF::AddColour(int32_t colour) {
  if (colour == kColourNone) return;
  colour &= 0xFFFFFF;
  if (fColourIndexes.count(colour) != 0) return;
  fColours.push_back(colour);
  fColourIndexes.emplace(colour, int32_t(fColours.size()));
}

int32_t xMorvaExportRTF::ColourIndex(int32_t colour) const {
  auto found = fColourIndexes.find(colour & 0xFFFFFF);
  return found != fColourIndexes.end() ? found->second : 0;
}

void xMorvaExportRTF::CollectColours(int16_t part, xMorvaEngine& engine) {
  const uint32_t size = engine.GetStreamSize();
  if (size == 0) return;
  const uint8_t* stream = engine.LockStream();
  if (stream == nullptr) return;
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(stream + at, size - at);
    if (item.kind == StreamItem::kRecord && IsColourProperty(item.unit)) {
      xMorvaProperties p;
      p.SetProperty(item.unit, int32_t(item.value));
      AddColour(p.GetProperty(item.unit));
    } else if (item.kind == StreamItem::kElement) {
      fPageNumbers.NoteElement(part, stream + at, item.size);
    }
    at += item.size;
  }
  engine.UnlockStream();
  fPageNumbers.MarkWalked(part);
}

void xMorvaExportRTF::WriteFontTable() {
  Open();
  Word("fonttbl");
  const int32_t count = fDocument->GetFontCount();
  for (int32_t i = 1; i <= count; ++i) {
    VStr<255> name;
    bool known = false;
    fDocument->FontNameForIndex(i, name, known);
    Open();
    Word("f", i - 1);
    // The name as RTF encodes it: letters outside ASCII
    // as \u with their Windows byte, a ";" of its own escaped, since a bare
    // one ends the entry, and a no-break space as its byte, since \~ is a
    // space of the text that a name collects nothing of.
    for (int32_t k = 1; k <= name.GetLength(); ++k) {
      const char16_t unit = name.GetCharAt(k);
      if (unit == u';' || unit == 0x00A0) {
        if (fPending) fOut.push_back(' ');
        Raw(unit == u';' ? "\\'3b" : "\\'a0");
        fPending = false;
      } else {
        WriteRtfText(unit);
      }
    }
    WriteRtfText(u';');
    Close();
    if (fWingdings < 0 && name.CompareCText("Wingdings", 1, false) == 0) fWingdings = i - 1;
  }
  if (fWingdings < 0) {
    fWingdings = count;
    Open();
    Word("f", count);
    Raw(" Wingdings;");
    Close();
  }
  Close();
}

void xMorvaExportRTF::WriteInfo() {
  xMorvaDocInfos& infos = fDocument->Infos();
  Open();
  Word("info");
  const struct {
    const char* word;
    const VString& text;
  } fields[] = {{"title", infos.Title()},
                {"subject", infos.Subject()},
                {"author", infos.Author()},
                {"*\\company", infos.Company()},
                {"doccomm", infos.Notes()}};
  for (const auto& field : fields) {
    Open();
    Word(field.word);
    WriteRtfText(field.text);
    Close();
  }
  Close();
}

void xMorvaExportRTF::WriteSettings() {
  const xMorvaDocParams& params = fDocument->GetParams();
  const xMorvaPageBands& bands = params.GetBands(false);
  Word("deflang", params.GetLanguage());
  Word("pgnstart", params.GetFirstPageNumber());
  Word("margl", PixelsToTwips(params.GetLeftMargin()));
  Word("margr", PixelsToTwips(params.GetRightMargin()));
  // One \margt and one \margb for a title page and the others, which the
  // reader widens for a page's header and footer lines as it reads them.
  Word("margt", PixelsToTwips(SectionTopMarginOf(*fDocument)));
  Word("margb", PixelsToTwips(SectionBottomMarginOf(*fDocument)));
  Word("headery", PixelsToTwips(bands.headerTop));
  // Where the footer's last line ends, as RTF means \footery; without
  // footer text, where lines typed into it would end.
  Word("footery", PixelsToTwips(FooterDistanceOf(*fDocument)));
  Word("gutter", PixelsToTwips(params.GetBinding()));
  Word("deftab", params.GetDefaultTabTwips());
  if (params.GetAlternateBinding()) Word("margmirror");
  if (params.GetDifferentLeftRight()) Word("facingp");
  if (params.GetDifferentFirstPage()) Word("titlepg");
  if (params.GetWidowControl()) Word("widowctrl");
  Word("nocolbal");
  // Numbering that does not start at 1 restarts in the section: readers
  // number a section that continues from 1 whatever \pgnstart says.
  if (params.GetFirstPageNumber() != 1) {
    Word("pgnrestart");
    Word("pgnstarts", params.GetFirstPageNumber());
  } else {
    Word("pgncont");
  }
  // The page numbers' format is the section's: readers take it there, not
  // from the words before each page number.
  const int32_t style = PageNumberStyleOf(*fDocument, &fPageNumbers);
  if (style >= 0 && style < kPageNumberWordCount) Word(kPageNumberWords[style]);
  if (params.GetViewMode() == 0) Word("viewkind", 1);
  if (params.GetViewMode() == 1) Word("viewkind", 4);
  Word("cols", params.GetColumns());
  Word("colsx", PixelsToTwips(params.GetColumnSpacing()));
  if (params.GetColumnLines()) Word("linebetcol");
  // A named paper's exact size, as other programs know it.
  int32_t width = 0;
  int32_t height = 0;
  fDocument->GetPageTwips(width, height);
  Word("paperw", width);
  Word("paperh", height);
}

void xMorvaExportRTF::WriteColourTable() {
  Open();
  Word("colortbl");
  Raw(";");
  fPending = false;
  for (int32_t colour : fColours) {
    Word("red", colour & 0xFF);
    Word("green", (colour >> 8) & 0xFF);
    Word("blue", (colour >> 16) & 0xFF);
    Raw(";");
    fPending = false;
  }
  Close();
}

void xMorvaExportRTF::WriteStyleSheets() {
  Open();
  Word("stylesheet");
  const int32_t count = fDocument->StyleSheetCount();
  for (int32_t i = 1; i <= count; ++i) {
    int16_t id = 0;
    if (!fDocument->StyleSheetIdAt(i, id)) continue;
    VStr<255> name;
    fDocument->GetStyleSheetName(id, name, false);
    xMorvaStyleSheet sheet;
    VMemoryResourceFile* store = fDocument->GetStyleSheetStore();
    const bool read = store != nullptr && ReadStyleSheetResource(*store, id, sheet);
    Open();
    if (read && sheet.paragraphSheet == 0) {
      fCharacterSheets.insert(id);
      Word("*\\cs", id);
    } else {
      Word("s", id);
    }
    if (read) {
      fCurrent.Assign(sheet.properties);
      for (uint16_t property = 0; property < kPropTabs; ++property) {
        // A bullet is text, which in a style sheet would become part of
        // its name: the paragraphs that use it carry it.
        if (property == kPropBullet || sheet.states.GetState(property) != 1) continue;
        if (IsRtfDefault(property, fCurrent.GetProperty(property))) continue;
        WriteRtfProperty(property, fCurrent.GetProperty(property));
      }
      if (sheet.states.GetState(kPropTabs) == 1) {
        for (int32_t t = 0; t < sheet.tabs.Count(); ++t) WriteTab(sheet.tabs.StopAt(t));
      }
    }
    WriteRtfText(name);
    WriteRtfText(u';');
    Close();
  }
  Close();
}

// ---- Properties

void xMorvaExportRTF::WriteTab(uint32_t stop) {
  switch (TabStopKind(stop)) {
    case kTabCentre: Word("tqc"); break;
    case kTabRight: Word("tqr"); break;
    case kTabDecimal: Word("tqdec"); break;
    default: break;
  }
  switch (TabStopLeader(stop)) {
    case '-': Word("tlhyph"); break;
    case '.': Word("tldot"); break;
    case '_': Word("tlul"); break;
    default: break;
  }
  Word("tx", int16_t(PixelsToTwips(TabStopPosition(stop))));
}

void xMorvaExportRTF::WriteRtfProperty(uint16_t id, int32_t value) {
  static const char* const kUnderlines[] = {"ulnone", "ul", "ulw", "uldb", "uld"};
  static const char* const kAlignments[] = {"ql", "qc", "qr", "qj"};
  switch (id) {
    case kPropBold: value ? Word("b") : Word("b", 0); break;
    case kPropItalic: value ? Word("i") : Word("i", 0); break;
    case kPropShadow: value ? Word("shad") : Word("shad", 0); break;
    case kPropStrikeOut: value ? Word("strike") : Word("strike", 0); break;
    case kPropUnderline:
      if (value >= 0 && value <= 4) Word(kUnderlines[value]);
      break;
    case kPropVerticalPosition:
      Word(value == 1 ? "super" : value == 2 ? "sub" : "nosupersub");
      break;
    case kPropLetterCase:
      if (value == 1) {
        Word("caps");
      } else if (value == 2) {
        Word("scaps");
      } else {
        Word("caps", 0);
        Word("scaps", 0);
      }
      break;
    case kPropFont: Word("f", value - 1); break;
    case kPropSize: Word("fs", value * 2); break;
    case kPropTextColour: Word("cf", ColourIndex(value)); break;
    // No background is written as white's index: readers paint index 0,
    // the automatic colour, as black. A white background of the text's
    // own is given once more as the character's shading, which a white
    // highlight is not read as.
    case kPropBackColour:
      Word("highlight", ColourIndex(value == kColourNone ? kFixedWhite : value));
      if (value != kColourNone && (value & kFixedWhite) == kFixedWhite) Word("chcbpat", ColourIndex(kFixedWhite));
      break;
    case kPropUnderlineColour:
      for (int32_t i = 0; i < kFixedColourCount; ++i) {
        if (value != kColourNone && kFixedColours[i] == value) Word("ulc", i + 1);
      }
      break;
    // A character sheet is \cs in the text as in the style sheet: readers
    // take \s for a paragraph's style.
    case kPropStyleSheet: Word(fCharacterSheets.count(value) != 0 ? "cs" : "s", value); break;
    case kPropAlignment:
      if (value >= 0 && value <= 3) Word(kAlignments[value]);
      break;
    case kPropInterline:
      Word("sl", value * 24);
      Word("slmult", 1);
      break;
    case kPropBullet:
      if (value != 0) {
        // The bullet hangs before the first line where the text engine
        // draws it, its width and its gap before the text: the tab after
        // it then reaches the left indent in every reader, however wide
        // it measures the bullet.
        Word("fi", PixelsToTwips(fCurrent.GetProperty(kPropFirstLineIndent) - BulletAdvance(uint16_t(value))));
        if (value == 108) {
          WriteRtfText(char16_t(0x2022));
        } else {
          Word("f", fWingdings);
          WriteRtfText(char16_t(value));
          WriteRtfProperty(kPropFont, fCurrent.GetProperty(kPropFont));
        }
        Word("tab");
      }
      break;
    case kPropLeftIndent:
      if (value != 0) Word("li", PixelsToTwips(value));
      break;
    case kPropFirstLineIndent:
      if (value != 0) Word("fi", PixelsToTwips(value));
      break;
    case kPropRightIndent:
      if (value != 0) Word("ri", PixelsToTwips(value));
      break;
    case kPropParagraphBackColour:
      if (value != kColourNone) Word("cbpat", ColourIndex(value));
      break;
    case kPropBorderColour: Word("brdrcf", ColourIndex(value)); break;
    case kPropLeftBorder:
    case kPropRightBorder:
    case kPropTopBorder:
    case kPropBottomBorder: {
      if (value == 0) break;
      static const char* const kSides[] = {"brdrl", "brdrr", "brdrt", "brdrb"};
      Word(kSides[id - kPropLeftBorder]);
      const int32_t style = fCurrent.GetProperty(kPropBorderStyle);
      const BorderStyle& border = kBorderStyles[style >= 0 && style <= 10 ? style : 0];
      Word(border.word);
      Word("brdrw", border.width);
      Word("brsp", PixelsToTwips(fCurrent.GetProperty(kPropBorderSpacing)));
      break;
    }
    default: break;
  }
}

void xMorvaExportRTF::WriteCharacterChange(uint16_t id, int32_t from, int32_t to) {
  if (id == kPropVerticalPosition) {
    // A raised or lowered run ends with its group, which every reader
    // reads (AbiWord and pandoc ignore \nosupersub): the group is opened
    // before the run's first item. Where the reader's setting is not known
    // it is said.
    if (fRunPosition != 0 && to != fRunPosition) CloseRaisedRun();
    if (from < 0) Word("nosupersub");
    return;
  }
  // Capitals and small capitals are two settings in RTF: going from one to
  // the other ends the one before, which would stay on.
  if (id == kPropLetterCase && from == 1 && to == 2) Word("caps", 0);
  if (id == kPropLetterCase && from == 2 && to == 1) Word("scaps", 0);
  WriteRtfProperty(id, to);
  if (fRunPosition != 0 && id < kFirstParagraphProperty) fSaidInRun |= uint32_t(1) << id;
}

void xMorvaExportRTF::OpenRaisedRun() {
  const int32_t position = fCurrent.GetProperty(kPropVerticalPosition);
  if (position == fRunPosition) return;
  CloseRaisedRun();
  if (position != 1 && position != 2) return;
  fOutsideRun.Assign(fCurrent);
  fSaidInRun = 0;
  Open();
  Word(position == 1 ? "super" : "sub");
  fRunPosition = position;
}

void xMorvaExportRTF::CloseRaisedRun() {
  if (fRunPosition == 0) return;
  fRunPosition = 0;
  Close();
  // The group's end takes back every setting said inside it: those that
  // differ from the settings outside it are said again after it.
  for (uint16_t id = 0; id < kFirstParagraphProperty; ++id) {
    const int32_t outside = fOutsideRun.GetProperty(id), now = fCurrent.GetProperty(id);
    if ((fSaidInRun >> id & 1) != 0 && now != outside) WriteCharacterChange(id, outside, now);
  }
}

int32_t xMorvaExportRTF::BulletAdvance(uint16_t bullet) {
  if (!fMeasure) fMeasure = std::make_unique<xMorvaFont>(fDocument->GetMeasuringPort(), fDocument);
  return fMeasure->MeasureBullet(fCurrent, bullet);
}

void xMorvaExportRTF::WriteParagraphProperties() {
  // The bullet goes last, its text after every setting, and its hanging
  // first-line indent stands alone: the plain one written after it would
  // undo the hang.
  const int32_t bullet = fCurrent.GetProperty(kPropBullet);
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id) {
    if (id == kPropBullet || (id == kPropFirstLineIndent && bullet != 0)) continue;
    WriteRtfProperty(id, fCurrent.GetProperty(id));
  }
  for (int32_t i = 0; i < fTabs.Count(); ++i) WriteTab(fTabs.StopAt(i));
  WriteRtfProperty(kPropBullet, bullet);
}

// ---- Elements

void xMorvaExportRTF::WriteElement(uint16_t code, const uint8_t* payload, uint32_t size) {
  // A computed element's payload: u32 object length, u32 and u32 text
  // lengths, two flag bytes, then the object.
  auto object = [&](uint32_t& length) { return ComputedObjectOf(payload, size, length); };
  uint32_t length = 0;
  switch (code) {
    case xMorvaElementCode::Tab: Word("tab"); return;
    // A control symbol takes no delimiter: a space after it would be text.
    case xMorvaElementCode::SoftHyphen:
      Raw("\\-");
      fPending = false;
      return;
    case xMorvaElementCode::ColBreak: Word("column"); return;
    case xMorvaElementCode::PageBreak: Word("page"); return;
    case xMorvaElementCode::PageNumber: {
      const uint8_t* data = object(length);
      if (data == nullptr || length < 4) return;
      const uint32_t format = StreamLong(data);
      static const char16_t kSamples[] = {u'1', u'a', u'A', u'i', u'I'};
      const uint32_t style = format >> kPageNumberStyleShift;
      if (style < uint32_t(kPageNumberWordCount)) Word(kPageNumberWords[style]);
      Raw("{\\field{\\*\\fldinst {");
      Raw((format & kPageNumberCount) != 0 ? " NUMPAGES " : " PAGE ");
      Raw("}}{\\fldrslt{");
      fPending = false;
      if (style < uint32_t(kPageNumberWordCount)) WriteRtfText(kSamples[style]);
      Raw("}}}");
      fPending = false;
      return;
    }
    case xMorvaElementCode::DateTime: {
      const uint8_t* data = object(length);
      if (data == nullptr || length < 2) return;
      const uint8_t timeStyle = data[0];
      const uint8_t dateStyle = data[1];
      if (timeStyle == 0 && dateStyle == 0) return;
      std::string picture = "\"";
      picture += DateFormat(dateStyle);
      if (*DateFormat(dateStyle) != 0 && *TimeFormat(timeStyle) != 0) picture += ' ';
      picture += TimeFormat(timeStyle);
      picture += '"';
      VDate today;
      today.SetToday();
      VHour now;
      now.SetNow();
      VDateRec date;
      today.GetDate(date, kWholeValue);
      VStr<255> shown;
      xMorvaEngine::FormatDateTime(date, now.GetTime(kWholeValue), uint16_t(dateStyle << 8 | timeStyle), shown);
      char text[512];
      shown.GetCText(text, sizeof text, 1);
      Raw("{\\field{\\*\\fldinst{ TIME \\\\@ ");
      Raw(picture.c_str());
      Raw("}}{\\fldrslt{");
      Raw(text);
      Raw("}}}");
      fPending = false;
      return;
    }
    case xMorvaElementCode::HTMLExpression2: {
      const uint8_t* data = object(length);
      if (data == nullptr || length == 0) return;
      // The expression's text goes out as it stands: it is RTF of its own.
      VMemoryStream stream(data, length);
      if (stream.OpenRead() != 0) return;
      VStrInHandle expression;
      const bool read = xMorvaEngine::ReadHTMLExpression(stream, expression);
      stream.CloseRead();
      if (!read || expression.GetLength() == 0) return;
      std::string bytes(size_t(expression.GetLength()) * 2 + 1, '\0');
      const int32_t n = expression.ConvertInto(bytes.data(), int32_t(bytes.size()), 1);
      fOut.append(bytes.data(), size_t(n));
      fPending = false;
      return;
    }
    default: return;
  }
}

// A hyperlink element (`size` bytes at `element`, its head included): for
// a URL a HYPERLINK field whose result is the link's text, in the link's
// look when it has one. The text goes out as the document holds it, its
// characters with their settings and its pictures, in a group of its own,
// so that what it sets ends with it; the settings the text leaves changed
// are said again after the group. A link inside another's text (no
// stream of ours holds one) is its text alone.
void xMorvaExportRTF::WriteLink(const uint8_t* element, uint32_t size, bool inLink) {
  uint32_t from = 0, bytes = 0;
  xMorvaHyperlink link;
  if (!link.ReadElement(element, size, from, bytes)) return;
  const bool url = link.GetKind() == xMorvaHyperlink::kURL && !inLink;
  // A raised run's group and the link's nest: the run goes on inside the
  // link in a group of its own.
  CloseRaisedRun();
  if (url) {
    Raw("{\\field\\fldedit{\\*\\fldinst{HYPERLINK \"");
    fPending = false;
    WriteRtfText(link.GetTarget());
    // The result is no optional destination: a reader that knows no
    // fields shows it.
    Raw("\" }}{\\fldrslt");
    fPending = false;
  }
  xMorvaProperties before;
  before.Assign(fCurrent);
  Open();
  if (link.GetStyleFlag()) {
    Word("cf", ColourIndex(fDocument->GetParams().GetLinkColour()));
    Word("ul");
  }
  WriteRtfItems(element, size, from, from + bytes, true);
  CloseRaisedRun();
  Close();
  if (url) {
    Close();
    Close();
  }
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
    if (fCurrent.GetProperty(id) != before.GetProperty(id))
      WriteCharacterChange(id, before.GetProperty(id), fCurrent.GetProperty(id));
  }
}

void xMorvaExportRTF::WritePicture(const uint8_t* element, uint32_t size) {
  xMorvaPictureHeader header;
  if (!ReadPictureHeader(element, size, header)) return;
  const uint32_t skip = kElementHeadSize + kPictureHeaderSize;
  VMemoryStream data(element + skip, size - skip);
  data.SetByteOrders(header.order == kByteOrderMacintosh ? kByteOrderMacintosh : kByteOrderLittle, kByteOrderKeep);
  if (data.OpenRead() != 0) return;
  std::unique_ptr<VValue> value(ReadValue(data));
  const bool read = value != nullptr && value->GetKind() == kValuePicture && data.GetStatus() == 0;
  data.CloseRead();
  // A picture that does not read is left out.
  if (!read) return;
  const auto& picture = static_cast<const VPictureData&>(*value);
  const int32_t kind = picture.GetPictureKind();
  Open();
  Word("pict");
  Word("picscalex", 100);
  Word("picscaley", 100);
  Word("picw", PixelsToTwips(header.shownWidth));
  Word("pich", PixelsToTwips(header.shownHeight));
  Word("picwgoal", PixelsToTwips(header.shownWidth));
  Word("pichgoal", PixelsToTwips(header.shownHeight));
  if (kind == kPictureKindEMF || kind == kPictureKindPICT) {
    Word(kind == kPictureKindEMF ? "emfblip" : "macpict");
    fOut.push_back(' ');
    fPending = false;
    Flush();
    // The data as upper-case hexadecimal digits, straight to the stream.
    picture.WriteHex(*fStream);
    if (fStream->GetStatus() != 0) fFailed = true;
  }
  Close();
}

void xMorvaExportRTF::WriteRtfEngineText(xMorvaEngine& engine, bool selection) {
  fTabs.Clear();
  fCurrent.SetDefaults();
  uint32_t start = 0;
  uint32_t end = engine.GetStreamSize();
  if (selection) {
    start = std::min(engine.GetSelStartOffset(), end);
    end = std::min(engine.GetSelEndOffset(), end);
    // The settings at the selection start are those every record before
    // it gives: the character settings there, and the settings and tab
    // stops of the paragraph it lies in, whose records stand at that
    // paragraph's start (the engine's walk keeps the paragraph before's).
    const uint8_t* stream = engine.LockStream();
    const uint32_t size = engine.GetStreamSize();
    for (uint32_t at = 0; stream != nullptr && at < start;) {
      const StreamItem item = ReadStreamItem(stream + at, size - at);
      if (item.size == 0) break;
      if (item.kind == StreamItem::kRecord) {
        if (item.unit == kPropTabs) {
          fTabs.AddStop(item.value);
        } else if (item.unit < kFirstElementCode) {
          fCurrent.SetProperty(item.unit, int32_t(item.value));
        }
      }
      // A host expression's shown text is walked as text, as below.
      at += item.kind == StreamItem::kElement && item.unit == xMorvaElementCode::ExprQv ? item.skipSize : item.size;
    }
    if (stream != nullptr) engine.UnlockStream();
  }
  fRunPosition = 0;
  for (uint16_t id = 0; id <= kLastCharacterProperty + 1; ++id) {
    if (!IsRtfDefault(id, fCurrent.GetProperty(id))) WriteCharacterChange(id, -1, fCurrent.GetProperty(id));
  }
  if (VPrintSettings* printer = fDocument->GetPrinter(); printer != nullptr && printer->IsLandscape()) {
    Word("lndscpsxn");
  }
  const uint8_t* stream = engine.LockStream();
  // A selection (the clipboard's) is read into a paragraph that has
  // settings of its own: \pard makes its first paragraph's settings whole,
  // the default ones too, which are not written. A file's reader starts
  // from the defaults.
  if (selection) Word("pard");
  fParagraphPending = true;
  fAfterParagraphEnd = false;
  if (stream != nullptr) WriteRtfItems(stream, engine.GetStreamSize(), start, end, false);
  if (stream != nullptr) engine.UnlockStream();
  CloseRaisedRun();
  // A part's last paragraph has no end of its own: \par closes it, and a
  // reader opening the file takes that one back. A selection (the
  // clipboard's) holds its own paragraph ends only: a paste keeps every
  // \par it reads.
  if (!selection) Word("par");
}

// Writes the items of [start, end) of a stream of `size` bytes. The text of
// a link (`inLink`) stays in one line, as the link shows it: a paragraph
// end in it is a space, paragraph settings are its paragraph's, not its
// own, and the settings the link's look keeps go unsaid inside it.
void xMorvaExportRTF::WriteRtfItems(const uint8_t* stream, uint32_t size, uint32_t start, uint32_t end, bool inLink) {
  const uint32_t limit = inLink ? end : size;
  auto beforeContent = [&]() {
    if (inLink) return;
    if (fAfterParagraphEnd && fCurrent.GetProperty(kPropBullet) != 0) {
      Word("pard");
      fParagraphPending = true;
    }
    if (fParagraphPending) {
      fParagraphPending = false;
      WriteParagraphProperties();
    }
  };
  for (uint32_t at = start; at < end;) {
    const StreamItem item = ReadStreamItem(stream + at, limit - at);
    if (item.size == 0) break;
    if (item.kind == StreamItem::kUnit) {
      beforeContent();
      OpenRaisedRun();
      const bool paragraphEnd = item.unit == kUnitParagraphEnd;
      if (!inLink) fAfterParagraphEnd = paragraphEnd;
      WriteRtfText(paragraphEnd && inLink ? u' ' : char16_t(item.unit));
      // The next paragraph's settings go outside the run's group, which
      // would take them back.
      if (paragraphEnd && !inLink) CloseRaisedRun();
      if (IsPlainRtfUnit(item.unit)) {
        // The plain characters that follow go out as they stand, at once:
        // nothing is pending after a character, nor is a paragraph.
        uint32_t next = at + item.size;
        while (next < end && next + 2 <= limit && IsPlainRtfUnit(StreamUnit(stream + next))) {
          fOut.push_back(char(stream[next]));
          next += 2;
        }
        at = next;
        continue;
      }
    } else if (item.kind == StreamItem::kRecord) {
      if (inLink && item.unit >= kFirstParagraphProperty) {
        at += item.size;
        continue;
      }
      const bool held = inLink && IsHeldByLinkLook(item.unit) && fCurrent.GetProperty(kPropLinkLook) != 0;
      const int32_t previous = item.unit < kFirstParagraphProperty ? fCurrent.GetProperty(item.unit) : 0;
      if (item.unit == kPropTabs) {
        fTabs.AddStop(item.value);
      } else if (item.unit < kFirstElementCode) {
        fCurrent.SetProperty(item.unit, int32_t(item.value));
      }
      if (item.unit < kFirstParagraphProperty) {
        if (!held) WriteCharacterChange(item.unit, previous, fCurrent.GetProperty(item.unit));
      } else if (fAfterParagraphEnd) {
        Word("pard");
        fParagraphPending = true;
        fAfterParagraphEnd = false;
      }
    } else {
      beforeContent();
      // A link's text opens the run's group inside the link's own.
      if (item.unit != xMorvaElementCode::Hyperlink) OpenRaisedRun();
      if (!inLink) fAfterParagraphEnd = false;
      if (item.unit == xMorvaElementCode::Pict) {
        WritePicture(stream + at, item.size);
      } else if (item.unit == xMorvaElementCode::Hyperlink) {
        WriteLink(stream + at, item.size, inLink);
      } else if (item.size >= kElementHeadSize) {
        WriteElement(item.unit, stream + at + kElementHeadSize, item.size - kElementHeadSize);
      }
      // A break ends its paragraph: the next one's settings follow it.
      if (IsBreakCode(item.unit) && !inLink) {
        fAfterParagraphEnd = true;
        CloseRaisedRun();
      }
      // A host expression's shown text follows its fixed part and is
      // written as text.
      if (item.unit == xMorvaElementCode::ExprQv) {
        at += item.skipSize;
        continue;
      }
    }
    at += item.size;
  }
}

bool xMorvaExportRTF::ExportRtf(xMorvaDocument& document, VStream& stream, bool selection) {
  fDocument = &document;
  fStream = &stream;
  fOut.clear();
  fFailed = false;
  fPending = false;
  fColours.clear();
  fColourIndexes.clear();
  fWingdings = -1;
  fCharacterSheets.clear();
  fPageNumbers = {};
  fMeasure.reset();
  for (int32_t colour : kFixedColours) AddColour(colour);
  for (int16_t part : kColourPartOrder) {
    if (xMorvaEngine* engine = EngineOf(document, part)) CollectColours(part, *engine);
  }
  // The link colour that hyperlinks are written in has its entry too.
  AddColour(document.GetParams().GetLinkColour());

  // A long export shows its progress.
  xMorvaEngine* body = EngineOf(document, kPartBody);
  const uint64_t count = selection ? (document.GetCurrentPart() != nullptr
                                          ? uint64_t(document.GetCurrentPart()->GetSelEndOffset() -
                                                     document.GetCurrentPart()->GetSelStartOffset())
                                          : 0) + 1000
                                   : (body != nullptr ? body->GetStreamSize() / 2 : 0) + 1000;
  std::unique_ptr<VStreamProgress> progress;
  if (count > kWriteProgressThreshold)
    progress.reset(document.NewProgressStatus(kProgressWritingRTF,
                                              uint32_t(std::min<uint64_t>(count, UINT32_MAX))));
  VStreamProgress* previousHook = stream.GetHook();
  if (progress) stream.SetHook(progress.get());

  Open();
  Word("rtf", 1);
  Word("ansi");
  WriteFontTable();
  WriteInfo();
  WriteSettings();
  WriteColourTable();
  WriteStyleSheets();
  if (selection) {
    if (auto* engine = static_cast<xMorvaEngine*>(document.GetCurrentPart())) WriteRtfEngineText(*engine, true);
  } else {
    const xMorvaDocParams& params = document.GetParams();
    const bool facing = params.GetDifferentLeftRight() != 0;
    auto hasText = [&](int16_t part) {
      xMorvaEngine* engine = EngineOf(document, part);
      return engine != nullptr && engine->GetLength() > 0;
    };
    for (const PartGroup& group : kPartGroups) {
      xMorvaEngine* engine = EngineOf(document, group.part);
      if (engine == nullptr) continue;
      // A blank title page's or left page's part whose stand-in has text
      // goes out as a group of one empty paragraph: a reader that finds
      // none prints the other pages' part there.
      const bool shown = group.part == kPartFirstHeader || group.part == kPartFirstFooter
                             ? params.GetDifferentFirstPage() != 0
                             : facing;
      const bool blank = group.standIn >= 0 && shown && hasText(group.standIn);
      if (engine->GetLength() == 0 && !blank) continue;
      Open();
      Word(facing ? group.facingWord : group.word);
      Open();
      WriteRtfEngineText(*engine, false);
      Close();
      Close();
    }
    if (body != nullptr) WriteRtfEngineText(*body, false);
  }
  Close();
  Flush();
  if (progress) stream.SetHook(previousHook);
  const int16_t status = stream.GetStatus();
  return !fFailed && (status == 0 || status == 200);
}
