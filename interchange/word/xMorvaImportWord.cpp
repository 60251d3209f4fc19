// The Word import: the compound file's streams, the file information block
// with every offset and length checked against its stream, the piece table
// or the single text stretch, and the main story put into the body.
#include "interchange/word/xMorvaImportWord.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocParams.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaStyleSheet.h"
#include "document/xMorvaTabs.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "document/xMorvaText.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"
#include "interchange/ole/xMorvaOleFile.h"
#include "interchange/text/xMorvaPlainText.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr uint16_t kWord6Ident = 0xA5DC;
constexpr uint16_t kWord97Ident = 0xA5EC;
constexpr uint16_t kComplex = 0x0004;
constexpr uint16_t kEncrypted = 0x0100;
constexpr uint16_t kWhichTable = 0x0200;
constexpr uint16_t kExtChar = 0x1000;
// Pass codes that end the import.
constexpr int32_t kPassAbsent = 2;
constexpr int32_t kPassMemory = 6;
constexpr int32_t kPassBadClx = 12;

int32_t CodeOfPass(int32_t pass) {
  return pass == 0 ? 0 : pass == kPassMemory ? kWordNoMemory : kWordUnreadable;
}

// A whole stream of the container as bytes, read from the file straight
// into `out`.
int32_t ReadWholeStream(xMorvaOleFile& ole, std::u16string_view name, std::vector<uint8_t>& out) {
  const int32_t result = ole.ReadStreamBytes(name, out);
  if (result == kOleNotFound) return kWordUnreadable;
  if (result == kOleDamaged) return kWordUnreadable;
  if (result != kOleNoError) return kWordNoMemory;
  return 0;
}

// The main stream opened to be read by range: the codes of ReadWholeStream.
int32_t OpenMainRange(xMorvaOleFile& ole, xMorvaOleStreamRange& range) {
  const int32_t result = ole.OpenStreamRange(u"WordDocument", range);
  if (result == kOleNotFound || result == kOleDamaged) return kWordUnreadable;
  if (result != kOleNoError) return kWordNoMemory;
  return 0;
}

// The most of the main stream's head the file information block reads:
// its fixed part, the largest arrays its counts can give and the pairs.
constexpr size_t kFibMostBytes = 34 + 0xFFFF * 2 + 2 + 0xFFFF * 4 + 2 + 186 * 4;

// Text is decoded from the stream a slice at a time (an even count, so
// that a slice of two-byte characters holds whole ones).
constexpr size_t kTextSlice = 64 * 1024;

// True when [offset, offset + length) lies inside a stream of `size` bytes.
bool Inside(uint64_t offset, uint64_t length, size_t size) { return offset + length <= size; }

// 8-bit text of a piece or of the single stretch as UTF-16, one character
// a byte, so that character positions stay where the file puts them: the
// bytes below 0x80 stand for themselves (line ends included), the others
// go through the character set one by one, and a byte the set leaves
// without a character keeps its own value. With a script code, the
// Windows bytes are of that script's code page where the text tables
// hold it.
std::u16string EightBit(const uint8_t* bytes, size_t count, bool mac, int32_t script = -1) {
  std::array<char16_t, 128> upper{};
  if (!mac && script >= 0 && gIntlMgr != nullptr) {
    std::array<uint8_t, 128> high;
    for (size_t i = 0; i < high.size(); ++i) high[i] = uint8_t(0x80 + i);
    if (gIntlMgr->ScriptWinToUni(script, high.data(), high.size(), upper.data()))
      for (size_t i = 0; i < upper.size(); ++i)
        if (upper[i] == 0) upper[i] = char16_t(0x80 + i);
  }
  std::u16string text(count, u' ');
  for (size_t i = 0; i < count; ++i) {
    const uint8_t byte = bytes[i];
    if (byte < 0x80) {
      text[i] = byte;
      continue;
    }
    char16_t& unit = upper[byte - 0x80];
    if (unit == 0) {
      const std::u16string one = DecodePlainText(&byte, 1, mac ? kTextEncodingMac : kTextEncodingWindows);
      unit = one.size() == 1 ? one[0] : char16_t(byte);
    }
    text[i] = unit;
  }
  return text;
}

// The sprm a piece's one-sprm property names by its short number; 0 for a
// number that names none this import acts on.
uint16_t SprmOfShortNumber(uint8_t isprm) {
  switch (isprm) {
    case 0x05: return 0x2403;  // justification
    case 0x18: return 0x2416;  // in a table
    case 0x19: return 0x2417;  // a row's end
    case 0x41: return 0x0800;  // deleted revision
    case 0x4D: return 0x2A0C;  // highlight
    case 0x53: return 0x2A33;  // plain
    case 0x5E: return 0x2A3E;  // underline
    case 0x62: return 0x2A42;  // colour
    case 0x68: return 0x2A48;  // super- and subscript
    default:
      // Bold, italic, strike-out, outline, shadow, small capitals,
      // capitals, hidden.
      if (isprm >= 0x55 && isprm <= 0x5C) return uint16_t(0x0835 + (isprm - 0x55));
      return 0;
  }
}

// A placeholder's symbol: a code in the symbol fonts' private range
// (0xF000 to 0xF0FF) stands for its low byte; a byte is the character of
// the file's character set.
char16_t SymbolCharacter(char16_t code, bool mac) {
  if (code >= 0xF000 && code <= 0xF0FF) code = char16_t(code & 0xFF);
  if (code >= 0x100) return code;
  const uint8_t byte = uint8_t(code);
  const std::u16string text = DecodePlainText(&byte, 1, mac ? kTextEncodingMac : kTextEncodingWindows);
  return text.empty() ? code : text[0];
}

// Characters a deleted revision leaves: the body drops them.
constexpr char16_t kDeletedMark = 0xFFFF;

// The main story as the body takes it: paragraph, section and page ends
// and line breaks end a paragraph; a field keeps its result and loses its
// instructions; pictures, drawn objects and note references, whose passes
// are not run, go; the last paragraph end is the body's own.
// `text` is turned into the story in place: no character becomes more
// than one, so the story's n-th character is written where the n-th or a
// later character of the text was read. `positions` receives, for each
// character of the text and its end, the body position it lands at. A
// table row is one paragraph: its cells are separated by tabs and its
// row-end mark (at the sorted `rowEnds`) ends the paragraph; the last
// cell's end, right before it, separates nothing, nor do the cell ends at
// the sorted `joined` (cells merged into the next).
// A header or footer story (`closed`) ends with a paragraph end of its
// own behind its last paragraph's end, as Word and LibreOffice write
// them: both go.
void MainStory(std::u16string& text, const std::vector<uint32_t>& rowEnds,
               const std::vector<uint32_t>& joined, xMorvaWordPositions& positions,
               std::vector<xMorvaWordBreak>* breaks = nullptr, bool closed = false) {
  if (breaks != nullptr) breaks->clear();
  positions.Clear();
  positions.Reserve(text.size());
  size_t out = 0;
  auto put = [&](char16_t unit) { text[out++] = unit; };
  int depth = 0;
  std::vector<bool> inCode;
  auto rowEnd = [&](size_t at) { return std::binary_search(rowEnds.begin(), rowEnds.end(), at); };
  // The character read before, as the text held it (its place may have
  // been written over since).
  char16_t previous = 0;
  // Whether a field's instructions are being read: their characters go.
  bool inInstructions = false;
  for (size_t at = 0; at < text.size(); ++at) {
    const char16_t c = text[at];
    if (c >= 0x20 && c != kDeletedMark && !inInstructions) {
      // A character that stands as it is, the most of any text.
      put(c);
      previous = c;
      positions.Push(true);
      continue;
    }
    const size_t before = out;
    switch (c) {
      case 0x13:
        inCode.push_back(true);
        ++depth;
        inInstructions = true;
        break;
      case 0x14:
        if (!inCode.empty()) inCode.back() = false;
        inInstructions = std::find(inCode.begin(), inCode.end(), true) != inCode.end();
        break;
      case 0x15:
        if (!inCode.empty()) inCode.pop_back();
        depth = depth > 0 ? depth - 1 : 0;
        inInstructions = std::find(inCode.begin(), inCode.end(), true) != inCode.end();
        break;
      default:
        if (inInstructions) break;
        switch (c) {
          // Page and column breaks end their paragraphs as breaks; a line
          // break ends its paragraph.
          case 0x0C:
          case 0x0E:
            if (breaks != nullptr) breaks->push_back({uint32_t(out), c == 0x0C});
            put(u'\r');
            break;
          case 0x0B: put(u'\r'); break;
          case 0x07:
            // A table cell's end: tables come as tabbed lines.
            if (rowEnd(at))
              put(u'\r');
            else if (!rowEnd(at + 1) && !std::binary_search(joined.begin(), joined.end(), at))
              put(u'\t');
            break;
          case kDeletedMark: break;
          // A line feed ends a paragraph, unless it follows a paragraph end.
          case 0x0A:
            if (at == 0 || previous != 0x0D) put(u'\r');
            break;
          case 0x1E: put(u'-'); break;
          case 0x1F: put(0x00AD); break;
          case 0x01:
          case 0x02:
          case 0x03:
          case 0x04:
          case 0x05:
          case 0x08: break;
          default: put(c);
        }
    }
    previous = c;
    positions.Push(out != before);
  }
  text.resize(out);
  // The last paragraph end is the body's own; a break there stays.
  const bool lastIsBreak = breaks != nullptr && !breaks->empty() && !text.empty() &&
                           breaks->back().at == text.size() - 1;
  if (!text.empty() && text.back() == u'\r' && !lastIsBreak) text.pop_back();
  if (closed && !text.empty() && text.back() == u'\r') text.pop_back();
  positions.Finish(uint32_t(text.size()));
}

// The first section's page setup in the document's parameters, in pixels,
// with the DOP's mirrored margins.
void ApplyPageSetup(xMorvaDocument& document, const xMorvaWordSection& section, bool mirrored) {
  xMorvaDocParams& params = document.Params();
  params.SetPageSize(std::max(TwipsToPixels(section.pageWidth), 1),
                     std::max(TwipsToPixels(section.pageHeight), 1));
  params.SetLeftMargin(TwipsToPixels(section.left));
  params.SetRightMargin(TwipsToPixels(section.right));
  xMorvaPageBands& bands = params.GetBands(false);
  const int32_t top = TwipsToPixels(section.top);
  const int32_t bottom = TwipsToPixels(section.bottom);
  const int32_t header = TwipsToPixels(section.headerDistance);
  bands.topMargin = top;
  // The header's upper edge stands at the file's one distance, for the
  // pages whose header has lines and those whose header has none alike, so
  // the distance a writer takes from either comes back the same; no lower
  // than the top margin. Its lower edge stands one pixel above the margin,
  // or at the margin with a distance there.
  bands.headerTop = std::min(header, std::max(top, 0));
  bands.headerBottom = std::max({top - 1, 0, bands.headerTop});
  // The footer's upper edge stands one pixel inside the bottom margin,
  // where the text above it ends, and its lower edge at the footer's
  // distance: the footer's lines, once read, reach up from there.
  bands.bottomMargin = bottom;
  bands.footerTop = std::max(bottom - 1, 0);
  bands.footerBottom = std::clamp(TwipsToPixels(section.footerDistance), 0, bands.footerTop);
  // The first section's setup holds for the first page too, when it has
  // a header or footer of its own.
  params.GetBands(true) = bands;
  params.SetColumns(int8_t(section.columns));
  params.SetColumnSpacing(TwipsToPixels(section.columnSpacing));
  params.SetColumnLines(section.lineBetween ? 1 : 0);
  params.SetFirstPageNumber(section.FirstPageNumber());
  // The binding is where the file puts it. Mirrored, it is on the inner
  // side of every page: on the left of the first page, a right-hand page,
  // unless the section starts on an even page, which makes the first page
  // a left-hand page. Otherwise it is on the left of every page, or on the
  // right when the section says so.
  params.SetBinding(TwipsToPixels(section.gutter));
  params.SetAlternateBinding(mirrored ? 1 : 0);
  const bool bindingOnRight = mirrored ? section.evenPageStart : section.gutterOnRight;
  params.SetBindingLeft(bindingOnRight ? 0 : 1);
  // The page becomes the document's paper.
  document.TakePaperFromPage(section.landscape);
}

// The style sheets in the document's store, each under its style's number
// plus one (the Normal style replaces the reset document's sheet 1), with
// every property it defines; a sheet 1 in Times New Roman 12 when the file
// has no Normal style. Styles other than paragraph and character styles
// are not taken.
int32_t SaveStyleSheets(xMorvaDocument& document, const std::vector<xMorvaWordStyle>& styles,
                        const std::vector<std::u16string>& fonts) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr) return styles.empty() ? 0 : kWordNoMemory;
  auto save = [&](xMorvaStyleSheet& sheet, const VString& name, int16_t id) {
    if (document.HasStyleSheet(id)) return sheet.Save(document, *store, id, &name);
    int16_t used = 0;
    return sheet.SaveNew(document, *store, name, used, id) && used == id;
  };
  auto fontIndex = [&](int16_t font) {
    if (font < 0 || size_t(font) >= fonts.size()) return int32_t(0);
    VStr<255> name;
    name.SetUniCText(fonts[size_t(font)].substr(0, 63).c_str());
    return int32_t(document.FontIndexForName(name));
  };
  bool normal = false;
  for (size_t istd = 0; istd < styles.size() && istd < 32766; ++istd) {
    const xMorvaWordStyle& style = styles[istd];
    if (!style.exists || (style.sgc != 1 && style.sgc != 2)) continue;
    xMorvaStyleSheet sheet;
    sheet.Init();
    sheet.paragraphSheet = style.sgc == 1 ? 1 : 0;
    auto set = [&](uint16_t id, int32_t value) {
      sheet.properties.SetProperty(id, value);
      sheet.states.SetState(id, 1);
    };
    const xMorvaWordChp& chp = style.chp;
    set(kPropBold, chp.bold);
    set(kPropItalic, chp.italic);
    set(kPropStrikeOut, chp.strike);
    set(kPropShadow, chp.shadow);
    set(kPropLetterCase, chp.caps);
    set(kPropUnderline, chp.underline);
    set(kPropVerticalPosition, chp.iss);
    set(kPropSize, PointSizeInRange(chp.halfPoints / 2));
    if (chp.color != -1) set(kPropTextColour, chp.color);
    if (const int32_t font = fontIndex(chp.font); font > 0) set(kPropFont, font);
    if (style.sgc == 1) {
      const xMorvaWordPap& pap = style.pap;
      set(kPropAlignment, pap.jc);
      set(kPropLeftIndent, std::max(TwipsToPixels(pap.left), 0));
      set(kPropFirstLineIndent, TwipsToPixels(pap.firstLine));
      set(kPropRightIndent, std::max(TwipsToPixels(pap.right), 0));
      set(kPropInterline, pap.lineTenths);
      for (const xMorvaWordTab& tab : pap.tabs) {
        const int32_t at = std::clamp(TwipsToPixels(tab.position), 1, 32767);
        sheet.tabs.AddStop(MakeTabStop(int16_t(at), uint8_t(tab.leader), uint8_t(tab.kind)));
      }
      if (!pap.tabs.empty()) sheet.states.SetState(kPropTabs, 1);
    }
    VStr<255> name;
    name.SetUniCText(style.name.substr(0, 255).c_str());
    if (style.name.empty()) document.NewStyleSheetName(name);
    if (style.sheet <= 0 || !save(sheet, name, style.sheet)) return kWordNoMemory;
    normal = normal || style.sheet == kDefaultStyleSheetId;
  }
  if (!normal && !styles.empty()) {
    xMorvaStyleSheet sheet;
    sheet.Init();
    VStr<255> font;
    font.SetUniCText(u"Times New Roman");
    sheet.properties.SetProperty(kPropFont, document.FontIndexForName(font));
    sheet.states.SetState(kPropFont, 1);
    sheet.properties.SetProperty(kPropSize, 12);
    sheet.states.SetState(kPropSize, 1);
    VStr<255> name;
    document.GetStyleSheetName(kDefaultStyleSheetId, name);
    if (!save(sheet, name, kDefaultStyleSheetId)) return kWordNoMemory;
  }
  document.UpdateStyleSheetMenu();
  return 0;
}

// The DOP's settings in the document's parameters and its dates and the
// associated strings in its informations. A date the file leaves empty
// keeps the one the reset document was given.
void ApplyDocumentSettings(xMorvaDocument& document, const xMorvaWordDop& dop,
                           const xMorvaWordInfos& infos) {
  xMorvaDocParams& params = document.Params();
  params.SetWidowControl(dop.widowControl ? 1 : 0);
  params.SetViewMode(dop.pageView ? 0 : 1);
  params.SetDefaultTabTwips(dop.defaultTab);
  xMorvaDocInfos& info = document.Infos();
  auto date = [](const xMorvaWordDate& from) {
    VDateRec to;
    to.day = int16_t(from.day);
    to.month = int16_t(from.month);
    to.year = int16_t(1900 + from.year);
    return to;
  };
  if (dop.created.month != 0) {
    info.SetCreationDate(date(dop.created));
    info.SetCreationTime(dop.created.seconds);
  }
  if (dop.revised.month != 0) {
    info.SetModificationDate(date(dop.revised));
    info.SetModificationTime(dop.revised.seconds);
  }
  auto text = [](VString& to, const std::u16string& from, size_t capacity) {
    if (!from.empty()) to.SetUniChars(from.data(), 0, int32_t(std::min(from.size(), capacity)));
  };
  const size_t capacity = size_t(xMorvaDocInfos::kTextCapacity);
  text(info.Title(), infos.title, capacity);
  text(info.Subject(), infos.subject, capacity);
  text(info.Author(), infos.author, capacity);
  text(info.Notes(), infos.notes, infos.notes.size());
}

}  // namespace

void xMorvaImportWord::StoryText(std::u16string& text, xMorvaWordPositions& positions) {
  MainStory(text, {}, {}, positions, nullptr, true);
}

void xMorvaWordPositions::Clear() {
  fKept.clear();
  fBefore.clear();
  fCount = 0;
  fKeptCount = 0;
  fLength = 0;
  fFinished = false;
}

void xMorvaWordPositions::Reserve(size_t characters) { fKept.reserve(characters / 64 + 1); }

void xMorvaWordPositions::Finish(uint32_t length) {
  // A word for the end's own place, when the characters fill their words.
  if (fCount % 64 == 0) fKept.push_back(0);
  fBefore.resize(fKept.size());
  uint32_t kept = 0;
  for (size_t w = 0; w < fKept.size(); ++w) {
    fBefore[w] = kept;
    kept += uint32_t(std::popcount(fKept[w]));
  }
  fLength = std::min(length, fKeptCount);
  fFinished = true;
}

uint32_t xMorvaWordPositions::At(uint32_t cp) const {
  if (!fFinished) return 0;
  cp = std::min(cp, fCount);
  const uint64_t below = (uint64_t(1) << (cp % 64)) - 1;
  const uint32_t kept = fBefore[cp / 64] + uint32_t(std::popcount(fKept[cp / 64] & below));
  return std::min(kept, fLength);
}

std::vector<uint32_t> xMorvaWordPositions::ToVector() const {
  std::vector<uint32_t> places(Size());
  for (size_t cp = 0; cp < places.size(); ++cp) places[cp] = At(uint32_t(cp));
  return places;
}

void xMorvaImportWord::ApplyRunCharacters(const xMorvaWordMainStream& main,
                                          std::u16string& text) const {
  const bool fileMac = !fFib.word97 && fFib.chs == 256;
  // The script whose Windows code page the text was read in.
  const int32_t ownScript = gIntlMgr != nullptr ? VIntlMgr::ScriptOfLanguage(gIntlMgr->GetLanguage()) : 0;
  std::vector<uint8_t> scratch;
  for (const xMorvaWordCharacterRun& run : fCharacterRuns) {
    const uint32_t limit = std::min<uint32_t>(run.limit, uint32_t(text.size()));
    if (run.first >= limit) continue;
    if (run.chp.deleted != 0) {
      std::fill(text.begin() + run.first, text.begin() + limit, kDeletedMark);
      continue;
    }
    if (run.chp.symbol != 0) text[run.first] = SymbolCharacter(run.chp.symbol, fileMac);
    // 8-bit text of the other character set is read again from its bytes,
    // and so is a Word 6/95 run of a Windows code page other than the one
    // the text was read in.
    bool mac = false;
    int32_t script = -1;
    if (run.chp.chs >= 0 && (run.chp.chs == 256) != fileMac) {
      mac = run.chp.chs == 256;
    } else if (!fFib.word97 && !fileMac) {
      script = ScriptOfRun(run.chp);
      if (script < 0 || script == ownScript) continue;
    } else {
      continue;
    }
    for (const Piece& piece : fPieces) {
      if (piece.wide) continue;
      const uint32_t a = std::max(run.first, piece.cp);
      const uint32_t b = std::min<uint64_t>(limit, uint64_t(piece.cp) + piece.bytes);
      if (a >= b) continue;
      const uint8_t* bytes = main.Bytes(uint64_t(piece.fc) + (a - piece.cp), b - a, scratch);
      if (bytes == nullptr) continue;
      const std::u16string again = EightBit(bytes, b - a, mac, script);
      for (uint32_t cp = a; cp < b && cp - a < again.size(); ++cp)
        if (run.chp.symbol == 0 || cp != run.first) text[cp] = again[cp - a];
    }
  }
}

int32_t xMorvaImportWord::ScriptOfRun(const xMorvaWordChp& chp) const {
  // Symbol fonts keep their codes as they are.
  const int16_t font = chp.font >= 0 ? chp.font : fDefaultFont;
  int32_t ofFont = -1;
  if (font >= 0 && size_t(font) < fFontCharSets.size()) {
    if (fSymbolFonts[size_t(font)]) return -1;
    ofFont = VIntlMgr::ScriptOfWindowsCharSet(fFontCharSets[size_t(font)]);
  }
  // A font of a set of its own names its code page. The Western set (0)
  // is what Word 6 gives most fonts whatever their text: there, as with
  // the default set, the run's language names it (the code page Windows
  // writes that language in), and Western only where the language names
  // none.
  if (ofFont > 0) return ofFont;
  const int32_t ofLanguage = chp.language != 0 ? VIntlMgr::WindowsScriptOfLanguage(chp.language) : -1;
  return ofLanguage >= 0 ? ofLanguage : ofFont;
}

xMorvaWordMainStream::xMorvaWordMainStream(xMorvaOleFile& ole, const xMorvaOleStreamRange& range)
    : fOle(&ole), fRange(&range), fSize(range.size) {}

const uint8_t* xMorvaWordMainStream::Bytes(uint64_t offset, size_t count, std::vector<uint8_t>& scratch) const {
  if (!Inside(offset, count, fSize)) return nullptr;
  if (fWhole != nullptr) return fWhole->data() + offset;
  scratch.resize(count);
  if (fOle->ReadRange(*fRange, uint32_t(offset), uint32_t(count), scratch.data()) != kOleNoError) return nullptr;
  return scratch.data();
}

const std::vector<uint8_t>* xMorvaWordMainStream::Whole(std::vector<uint8_t>& scratch) const {
  if (fWhole != nullptr) return fWhole;
  return Bytes(0, fSize, scratch) != nullptr ? &scratch : nullptr;
}

namespace {

// Which of a run's fonts a character takes: 0 the run's own (ASCII), 1 the
// East Asian font, 2 the font of the other characters, -1 none (the two
// non-characters). The characters that either font may show (Latin
// letters shared with the East Asian sets, punctuation, symbols) take the
// other characters' font.
int ScriptSlot(char16_t c) {
  if (c < 0x80) return 0;
  if (c >= 0xFFFE) return -1;
  if ((c >= 0x3000 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE20 && c <= 0xFE6F) ||
      (c >= 0xFF00 && c <= 0xFFEF))
    return 1;
  return 2;
}

}  // namespace

void xMorvaImportWord::ApplyScriptFonts(const std::u16string& text) {
  auto fontOf = [](const xMorvaWordChp& chp, char16_t c) {
    const int slot = ScriptSlot(c);
    if (slot == 1 && chp.eastAsianFont >= 0) return chp.eastAsianFont;
    if (slot == 2 && chp.otherFont >= 0) return chp.otherFont;
    return chp.font;
  };
  auto ownFont = [](const xMorvaWordChp& chp) {
    return (chp.eastAsianFont < 0 || chp.eastAsianFont == chp.font) &&
           (chp.otherFont < 0 || chp.otherFont == chp.font);
  };
  // The pieces of a run, one a font; what the text does not hold keeps the
  // run's font.
  auto piecesOf = [&](const xMorvaWordCharacterRun& run, std::vector<xMorvaWordCharacterRun>* out) {
    const uint32_t limit = std::min<uint32_t>(run.limit, uint32_t(text.size()));
    if (ownFont(run.chp) || run.first >= limit) {
      if (out != nullptr) out->push_back(run);
      return size_t{1};
    }
    size_t count = 0;
    uint32_t from = run.first;
    int16_t font = fontOf(run.chp, text[from]);
    for (uint32_t cp = from + 1; cp <= limit; ++cp) {
      const int16_t next = cp < limit ? fontOf(run.chp, text[cp]) : int16_t(-2);
      if (next == font) continue;
      if (out != nullptr) {
        xMorvaWordChp chp = run.chp;
        chp.font = font;
        out->push_back({from, cp, chp});
      }
      ++count;
      from = cp;
      font = next;
    }
    if (limit < run.limit) {
      if (out != nullptr) out->push_back({limit, run.limit, run.chp});
      ++count;
    }
    return count;
  };
  // The runs are split where they stand: counted first, the list grown
  // once, and filled from its end, so that a large document's runs are
  // never held twice.
  size_t total = 0;
  for (const xMorvaWordCharacterRun& run : fCharacterRuns) total += piecesOf(run, nullptr);
  const size_t count = fCharacterRuns.size();
  fCharacterRuns.resize(total);
  std::vector<xMorvaWordCharacterRun> pieces;
  size_t end = total;
  for (size_t i = count; i-- > 0;) {
    pieces.clear();
    piecesOf(fCharacterRuns[i], &pieces);
    // The pieces land at or after place i: run i is read before any is written.
    end -= pieces.size();
    std::move(pieces.begin(), pieces.end(), fCharacterRuns.begin() + ptrdiff_t(end));
  }
}

void xMorvaImportWord::FindSpacing(const std::u16string& body) {
  fSpacing.clear();
  if (fBodyPositions.Empty()) return;
  const uint32_t last = uint32_t(fBodyPositions.Size() - 1);
  auto isEnd = [&](uint32_t at) { return at < body.size() && body[at] == u'\r'; };
  // Space after a paragraph lands on its own end, when text follows; space
  // before one on the end of the paragraph before it. A table row is one
  // paragraph: its first cell gives the space before, its row end (the
  // last run that ends there) the space after.
  // Each run's marks go in one list, sorted by place and then by the order
  // they were made in; at each place the last space after and row height
  // and the first space before hold.
  enum Kind : uint8_t { kAfter, kBefore, kHeight };
  struct Mark {
    uint32_t at;
    uint32_t order;
    Kind kind;
    int32_t twips;
  };
  std::vector<Mark> marks;
  marks.reserve(fParagraphRuns.size() * 2);
  for (const xMorvaWordParagraphRun& run : fParagraphRuns) {
    if (run.limit <= run.first) continue;
    const uint32_t end = fBodyPositions.At(std::min(run.limit - 1, last));
    if (isEnd(end)) marks.push_back({end, uint32_t(marks.size()), kAfter, run.pap.after});
    if (isEnd(end) && run.pap.rowEnd && run.pap.row.height != 0)
      marks.push_back({end, uint32_t(marks.size()), kHeight, std::abs(int32_t(run.pap.row.height))});
    const uint32_t start = fBodyPositions.At(std::min(run.first, last));
    if (start > 0 && isEnd(start - 1))
      marks.push_back({start - 1, uint32_t(marks.size()), kBefore, run.pap.before});
  }
  std::sort(marks.begin(), marks.end(),
            [](const Mark& a, const Mark& b) { return a.at < b.at || (a.at == b.at && a.order < b.order); });
  for (size_t i = 0; i < marks.size();) {
    const uint32_t at = marks[i].at;
    int32_t after = 0, before = 0, height = 0;
    bool hasBefore = false;
    for (; i < marks.size() && marks[i].at == at; ++i) {
      const Mark& mark = marks[i];
      if (mark.kind == kAfter) after = mark.twips;
      if (mark.kind == kHeight) height = mark.twips;
      if (mark.kind == kBefore && !hasBefore) {
        before = mark.twips;
        hasBefore = true;
      }
    }
    xMorvaWordSpacing gap;
    gap.end = at;
    gap.twips = after + before;
    gap.rowHeight = height;
    if (gap.twips > 0 || gap.rowHeight > 0) fSpacing.push_back(gap);
  }
}

void xMorvaImportWord::ResolveRows(const std::u16string& text, std::vector<uint32_t>& joined) {
  fCellShading.clear();
  joined.clear();
  const int32_t width = fSection.pageWidth - fSection.left - fSection.right;
  size_t rowFirst = fParagraphRuns.size();  // none
  std::vector<uint32_t> marks;
  std::vector<int8_t> alignment;
  for (size_t i = 0; i < fParagraphRuns.size(); ++i) {
    xMorvaWordParagraphRun& end = fParagraphRuns[i];
    if (!end.pap.inTable) {
      rowFirst = fParagraphRuns.size();
      continue;
    }
    if (rowFirst == fParagraphRuns.size()) rowFirst = i;
    if (!end.pap.rowEnd) continue;
    // The row's cells end at its cell marks, before its row-end mark.
    const uint32_t start = fParagraphRuns[rowFirst].first;
    const uint32_t rowMark = std::min<uint32_t>(end.limit - 1, uint32_t(text.size()));
    marks.clear();
    for (uint32_t at = start; at < rowMark; ++at)
      if (text[at] == 0x07) marks.push_back(at);
    // A cell's text is aligned by its last paragraph's alignment, through
    // its tab stop; the row itself stays left-aligned.
    alignment.assign(marks.size() + 1, 0);
    for (size_t k = rowFirst; k <= i; ++k) {
      xMorvaWordPap& pap = fParagraphRuns[k].pap;
      const size_t cell = size_t(std::lower_bound(marks.begin(), marks.end(),
                                                  fParagraphRuns[k].first) - marks.begin());
      if (k < i) alignment[cell] = pap.jc;
      pap.jc = 0;
    }
    rowFirst = fParagraphRuns.size();
    xMorvaWordPap& pap = end.pap;
    const xMorvaWordRow& row = pap.row;
    if (row.bounds.size() < 2) continue;
    const size_t cells = row.bounds.size() - 1;
    auto flags = [&](size_t cell) { return cell < row.cellFlags.size() ? row.cellFlags[cell] : 0; };
    // A centred or right-aligned row moves as a whole.
    const int32_t used = row.bounds.back() - row.bounds.front();
    int32_t shift = 0;
    if (row.jc == 1) shift = (width - used) / 2 - row.bounds.front();
    if (row.jc == 2) shift = width - row.bounds.back();
    // Every cell but the first, which the row starts with, is reached by a
    // tab and gets its stop; cells merged into the one before have neither.
    pap.tabs.clear();
    for (size_t cell = 1; cell < cells; ++cell) {
      if ((flags(cell) & 2) != 0) {
        if (cell - 1 < marks.size()) joined.push_back(marks[cell - 1]);
        continue;
      }
      size_t next = cell + 1;
      while (next < cells && (flags(next) & 2) != 0) ++next;
      const int32_t a = row.bounds[cell] + shift, b = row.bounds[next] + shift;
      const int8_t jc = cell < alignment.size() ? alignment[cell] : 0;
      xMorvaWordTab tab{a + pap.gapHalf, 1, 0};
      if (jc == 1) tab = {(a + b) / 2, 2, 0};
      if (jc == 2) tab = {b - pap.gapHalf, 3, 0};
      tab.position = std::max(tab.position, 1);
      pap.tabs.push_back(tab);
    }
    std::sort(pap.tabs.begin(), pap.tabs.end(),
              [](const xMorvaWordTab& x, const xMorvaWordTab& y) { return x.position < y.position; });
    pap.left = std::max<int32_t>(row.bounds.front() + shift, 0);
    pap.right = std::max<int32_t>(width - row.bounds.back() - shift, 0);
    // The row's box: the table's sides, the first cell's left, the last
    // cell's right, and any cell's top and bottom.
    uint8_t sides = row.tableSides;
    for (size_t cell = 0; cell < row.cellSides.size() && cell < cells; ++cell) {
      sides |= row.cellSides[cell] & 12;
      if (cell == 0) sides |= row.cellSides[cell] & 1;
      if (cell + 1 == cells) sides |= row.cellSides[cell] & 2;
    }
    if (sides != 0) {
      pap.borderSides = sides;
      pap.borderStyle = std::max<int8_t>(row.borderStyle, 0);
    }
    // A shaded cell's characters take its colour as their background.
    for (size_t cell = 0; cell < row.cellShading.size() && cell < marks.size(); ++cell) {
      if (row.cellShading[cell] == -1) continue;
      const uint32_t first = cell == 0 ? start : marks[cell - 1] + 1;
      if (first < marks[cell]) fCellShading.push_back({first, marks[cell], row.cellShading[cell]});
    }
  }
  std::sort(joined.begin(), joined.end());
}

int32_t xMorvaImportWord::ReadFib(const std::vector<uint8_t>& main, xMorvaWordFib& fib) {
  fib = xMorvaWordFib();
  ByteSpanReader in(main.data(), main.size(), ByteSpanReader::Order::kLittle);
  fib.wIdent = in.U16();
  fib.nFib = in.U16();
  in.Skip(6);
  fib.flags = in.U16();
  in.Seek(20);
  fib.chs = in.U16();
  fib.chsTables = in.U16();
  fib.fcMin = in.U32();
  fib.fcMac = in.U32();
  if (in.Failed()) return kWordNotWord;
  if (fib.wIdent != kWord6Ident && fib.wIdent != kWord97Ident) return kWordNotWord;
  // Versions 63 to 193; a Word 97 block may also carry the number of the
  // later program that saved it in the same format (2000, 2002, 2003, 2007),
  // as LibreOffice's files do.
  const bool laterSaver = fib.wIdent == kWord97Ident && (fib.nFib == 0x00D9 || fib.nFib == 0x0101 ||
                                                         fib.nFib == 0x010C || fib.nFib == 0x0112);
  if ((fib.nFib < 63 || fib.nFib > 193) && !laterSaver) return kWordNotWord;
  if ((fib.flags & kEncrypted) != 0) return kWordNotWord;
  fib.word97 = fib.wIdent == kWord97Ident;
  if (!fib.word97) {
    // Word 6/95: cbMac and four spare longs, then the eight counts; the
    // CLX pair does not concern a file that is never complex here.
    in.Seek(52);
    for (uint32_t& count : fib.ccp) count = in.U32();
    in.Seek(0x88);
    fib.fcPlcfSed = in.U32();
    fib.lcbPlcfSed = in.U32();
    in.Seek(0x60);
    fib.fcStshf = in.U32();
    fib.lcbStshf = in.U32();
    in.Seek(0xB8);
    fib.fcPlcfBteChpx = in.U32();
    fib.lcbPlcfBteChpx = in.U32();
    fib.fcPlcfBtePapx = in.U32();
    fib.lcbPlcfBtePapx = in.U32();
    in.Skip(8);
    fib.fcSttbfFfn = in.U32();
    fib.lcbSttbfFfn = in.U32();
    in.Seek(0xB0);
    fib.fcPlcfHdd = in.U32();
    fib.lcbPlcfHdd = in.U32();
    in.Seek(0xD8);
    fib.fcPlcfFldMom = in.U32();
    fib.lcbPlcfFldMom = in.U32();
    fib.fcPlcfFldHdr = in.U32();
    fib.lcbPlcfFldHdr = in.U32();
    in.Seek(0x150);
    fib.fcDop = in.U32();
    fib.lcbDop = in.U32();
    fib.fcSttbfAssoc = in.U32();
    fib.lcbSttbfAssoc = in.U32();
    in.Seek(394);
    fib.pnChpFirst = in.U16();
    fib.pnPapFirst = in.U16();
    fib.cpnBteChp = in.U16();
    fib.cpnBtePap = in.U16();
    fib.flags &= uint16_t(~0xE000u);
    return in.Failed() ? kWordNotWord : 0;
  }
  // Word 97: three arrays, each behind its count.
  const uint16_t csw = in.U16();
  in.Skip(size_t(csw) * 2);
  const uint16_t cslw = in.U16();
  std::vector<uint32_t> longs(std::min<uint16_t>(cslw, 22), 0);
  for (uint32_t& value : longs) value = in.U32();
  in.Skip(size_t(cslw - longs.size()) * 4);
  const uint16_t cbRgFcLcb = in.U16();
  std::vector<uint32_t> pairs(std::min<size_t>(size_t(cbRgFcLcb) * 2, 186), 0);
  for (uint32_t& value : pairs) value = in.U32();
  if (in.Failed()) return kWordNotWord;
  for (size_t i = 0; i < 8; ++i) fib.ccp[i] = i + 3 < longs.size() ? longs[i + 3] : 0;
  auto longAt = [&](size_t i) { return i < longs.size() ? longs[i] : 0u; };
  fib.pnChpFirst = uint16_t(longAt(12));
  fib.cpnBteChp = uint16_t(longAt(13));
  fib.pnPapFirst = uint16_t(longAt(15));
  fib.cpnBtePap = uint16_t(longAt(16));
  auto pairAt = [&](size_t pair, uint32_t& fc, uint32_t& lcb) {
    if (pairs.size() <= pair * 2 + 1) return;
    fc = pairs[pair * 2];
    lcb = pairs[pair * 2 + 1];
  };
  pairAt(1, fib.fcStshf, fib.lcbStshf);
  pairAt(12, fib.fcPlcfBteChpx, fib.lcbPlcfBteChpx);
  pairAt(13, fib.fcPlcfBtePapx, fib.lcbPlcfBtePapx);
  pairAt(15, fib.fcSttbfFfn, fib.lcbSttbfFfn);
  pairAt(11, fib.fcPlcfHdd, fib.lcbPlcfHdd);
  pairAt(16, fib.fcPlcfFldMom, fib.lcbPlcfFldMom);
  pairAt(17, fib.fcPlcfFldHdr, fib.lcbPlcfFldHdr);
  pairAt(40, fib.fcPlcSpaMom, fib.lcbPlcSpaMom);
  pairAt(50, fib.fcDggInfo, fib.lcbDggInfo);
  pairAt(31, fib.fcDop, fib.lcbDop);
  pairAt(32, fib.fcSttbfAssoc, fib.lcbSttbfAssoc);
  if (pairs.size() > 13) {
    fib.fcPlcfSed = pairs[12];
    fib.lcbPlcfSed = pairs[13];
  }
  if (pairs.size() > 67) {
    fib.fcClx = pairs[66];
    fib.lcbClx = pairs[67];
  }
  return 0;
}

int32_t xMorvaImportWord::ReadPlainText(const xMorvaWordMainStream& main, std::u16string& text) {
  if (fFib.fcMac < fFib.fcMin || !Inside(fFib.fcMin, fFib.fcMac - fFib.fcMin, main.size()))
    return kPassAbsent;
  std::vector<uint8_t> scratch;
  const size_t bytes = fFib.fcMac - fFib.fcMin;
  const uint8_t* at = main.Bytes(fFib.fcMin, bytes, scratch);
  if (at == nullptr) return kPassAbsent;
  fPieces.push_back({fFib.fcMin, uint32_t(bytes), 0, (fFib.flags & kExtChar) != 0});
  if ((fFib.flags & kExtChar) != 0) {
    text.resize(bytes / 2);
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(at[2 * i] | (at[2 * i + 1] << 8));
  } else {
    text = EightBit(at, bytes, fFib.chs == 256);
  }
  return 0;
}

int32_t xMorvaImportWord::ReadPieceTable(const xMorvaWordMainStream& main,
                                         const std::vector<uint8_t>& table, std::u16string& text) {
  if (fFib.lcbClx == 0) return 0;
  if (!Inside(fFib.fcClx, fFib.lcbClx, table.size())) return kPassAbsent;
  ByteSpanReader in(table.data() + fFib.fcClx, fFib.lcbClx, ByteSpanReader::Order::kLittle);
  // The property groups (Prc) before the piece table, in order.
  std::vector<std::pair<size_t, uint16_t>> groups;
  while (in.Remaining() != 0) {
    const uint8_t type = in.U8();
    if (type == 1) {
      const uint16_t cb = in.U16();
      groups.emplace_back(in.Position(), cb);
      if (!in.Skip(cb)) return kPassAbsent;
      continue;
    }
    if (type != 2) return kPassBadClx;
    const uint32_t lcb = in.U32();
    // The character positions (one more than the pieces) and 8-byte PCDs.
    if (lcb < 4 || (lcb - 4) % 12 != 0 || lcb > in.Remaining()) return kPassAbsent;
    const uint32_t n = (lcb - 4) / 12;
    std::vector<uint32_t> cps(size_t(n) + 1);
    for (uint32_t& cp : cps) cp = in.U32();
    if (cps[0] != 0) return kPassAbsent;
    for (uint32_t i = 0; i < n; ++i)
      if (cps[i + 1] < cps[i]) return kPassAbsent;
    // Every character comes from at least one byte of the main stream, so
    // a count beyond it is refused before anything of its size is made.
    if (cps[n] > main.size()) return kPassAbsent;
    text.assign(cps[n], u' ');
    std::vector<uint8_t> scratch;
    for (uint32_t i = 0; i < n; ++i) {
      in.Skip(2);
      const uint32_t fc = in.U32();
      const uint16_t prm = in.U16();
      const uint32_t count = cps[i + 1] - cps[i];
      // The piece's properties: a property group by its index, or one
      // sprm by its short number with a one-byte operand.
      std::vector<uint8_t> grpprl;
      if ((prm & 1) != 0) {
        const size_t index = prm >> 1;
        if (index < groups.size())
          grpprl.assign(in.Data() + groups[index].first,
                        in.Data() + groups[index].first + groups[index].second);
      } else if (const uint16_t opcode = SprmOfShortNumber((prm >> 1) & 0x7F); opcode != 0) {
        grpprl = {uint8_t(opcode), uint8_t(opcode >> 8), uint8_t(prm >> 8)};
      }
      if (!grpprl.empty() && count != 0)
        fPieceProperties.push_back({cps[i], cps[i + 1], std::move(grpprl)});
      const bool compressed = (fc & 0x40000000u) != 0;
      const uint64_t position = compressed ? (fc & ~0x40000000u) / 2 : fc;
      const uint64_t bytes = compressed ? count : uint64_t(count) * 2;
      if (!Inside(position, bytes, main.size())) return kPassAbsent;
      fPieces.push_back({uint32_t(position), uint32_t(bytes), cps[i], !compressed});
      // The piece's bytes a slice at a time, straight into its characters.
      for (uint64_t done = 0; done < bytes;) {
        const size_t slice = size_t(std::min<uint64_t>(bytes - done, kTextSlice));
        const uint8_t* at = main.Bytes(position + done, slice, scratch);
        if (at == nullptr) return kPassAbsent;
        char16_t* into = text.data() + cps[i] + (compressed ? done : done / 2);
        if (compressed) {
          const std::u16string piece = EightBit(at, slice, false);
          std::copy(piece.begin(), piece.end(), into);
        } else {
          for (size_t k = 0; k < slice / 2; ++k) into[k] = char16_t(at[2 * k] | (at[2 * k + 1] << 8));
        }
        done += slice;
      }
    }
    return in.Failed() ? kPassAbsent : 0;
  }
  return kPassAbsent;
}

bool xMorvaImportWord::ApplySectionSprm(ByteSpanReader& in, bool& stop) {
  const uint16_t opcode = fFib.word97 ? in.U16() : in.U8();
  int32_t* target = nullptr;
  switch (opcode) {
    case 0xB01F:
    case 164: target = &fSection.pageWidth; break;
    case 0xB020:
    case 165: target = &fSection.pageHeight; break;
    case 0xB021:
    case 166: target = &fSection.left; break;
    case 0xB022:
    case 167: target = &fSection.right; break;
    case 0x9023:
    case 168: target = &fSection.top; break;
    case 0x9024:
    case 169: target = &fSection.bottom; break;
    case 0xB017:
    case 156: target = &fSection.headerDistance; break;
    case 0xB018:
    case 157: target = &fSection.footerDistance; break;
    default: break;
  }
  if (opcode == 0x300E || opcode == 147) {
    // The page numbers' style: nfc 1 upper roman, 2 lower roman, 3 upper
    // letters, 4 lower letters; any other arabic.
    if (in.Remaining() < 1) return false;
    static constexpr uint8_t kStyles[] = {0, 4, 3, 2, 1};
    const uint8_t nfc = in.U8();
    fSection.pageNumberStyle = nfc < 5 ? kStyles[nfc] : 0;
    return true;
  }
  if (opcode == 0x500B || opcode == 144 || opcode == 0x900C || opcode == 145) {
    // The column count less one, and the space between columns.
    if (in.Remaining() < 2) return false;
    const uint16_t value = in.U16();
    if (opcode == 0x500B || opcode == 144)
      fSection.columns = std::clamp<int32_t>(value + 1, 1, 127);
    else
      fSection.columnSpacing = value;
    return true;
  }
  if (opcode == 0x3019 || opcode == 158) {
    if (in.Remaining() < 1) return false;
    fSection.lineBetween = in.U8() != 0;
    return true;
  }
  if (opcode == 0x301D || opcode == 162) {
    // The orientation: 1 upright, 2 across.
    if (in.Remaining() < 1) return false;
    fSection.landscape = in.U8() == 2;
    return true;
  }
  if (opcode == 0x3014 || opcode == 153) {
    if (in.Remaining() < 1) return false;
    fSection.headerFlags = in.U8();
    return true;
  }
  if (opcode == 0x3009 || opcode == 142) {
    // How the section starts: 3 on an even page (0 on the same page, 1 in
    // a new column, 2 on a new page, 4 on an odd page).
    if (in.Remaining() < 1) return false;
    fSection.evenPageStart = in.U8() == 3;
    return true;
  }
  if (opcode == 0x300A || opcode == 143) {
    if (in.Remaining() < 1) return false;
    fSection.titlePage = in.U8() != 0;
    return true;
  }
  if (opcode == 0x501C || opcode == 161) {
    // The first page's number, a signed word as the document keeps it.
    if (in.Remaining() < 2) return false;
    fSection.pageNumberStart = in.I16();
    return true;
  }
  if (opcode == 0x3011 || opcode == 150) {
    if (in.Remaining() < 1) return false;
    fSection.restartNumbering = in.U8() != 0;
    return true;
  }
  if (opcode == 0x322A && fFib.word97) {
    // The binding on the right of the page (sprmSFRTLGutter).
    if (in.Remaining() < 1) return false;
    fSection.gutterOnRight = in.U8() != 0;
    return true;
  }
  if (opcode == 0xB025 || opcode == 170) {
    if (in.Remaining() < 2) return false;
    fSection.gutter = in.U16();
    return true;
  }
  if (target != nullptr) {
    if (in.Remaining() < 2) return false;
    const uint16_t raw = in.U16();
    // Top and bottom margins are signed (a negative one is fixed); page
    // sizes, side margins and distances are not.
    const bool isSigned = opcode == 0x9023 || opcode == 0x9024 || opcode == 168 || opcode == 169;
    *target = isSigned ? std::abs(int32_t(int16_t(raw))) : int32_t(raw);
    return true;
  }
  size_t size = 0;
  if (!OperandSize(opcode, fFib.word97, in, size)) {
    // A Word 6/95 opcode without a known size ends the grpprl; an operand
    // past its end is damage.
    if (in.Failed()) return false;
    stop = true;
    return true;
  }
  return in.Skip(size);
}

std::vector<std::pair<uint32_t, uint8_t>> xMorvaImportWord::SectionEnds(const xMorvaWordMainStream& main,
                                                                      const std::vector<uint8_t>& table) const {
  // Each section but the last ends with character 12 just before the next
  // one's first character; how the next one starts (sprmSBkc: 0 on the
  // same page, 1 in a new column, 2 to 4 on a new page, the default 2)
  // says what that character is.
  std::vector<std::pair<uint32_t, uint8_t>> ends;
  std::vector<uint8_t> scratch;
  if (fFib.lcbPlcfSed < 4 || !Inside(fFib.fcPlcfSed, fFib.lcbPlcfSed, table.size())) return ends;
  const uint32_t n = (fFib.lcbPlcfSed - 4) / 16;
  ByteSpanReader plc(table.data() + fFib.fcPlcfSed, fFib.lcbPlcfSed, ByteSpanReader::Order::kLittle);
  for (uint32_t i = 1; i < n; ++i) {
    plc.Seek(size_t(i) * 4);
    const uint32_t cp = plc.U32();
    plc.Seek(size_t(n + 1) * 4 + size_t(i) * 12 + 2);
    const uint32_t fcSepx = plc.U32();
    if (plc.Failed()) break;
    uint8_t bkc = 2;
    const uint8_t* count = fcSepx != 0xFFFFFFFFu ? main.Bytes(fcSepx, 2, scratch) : nullptr;
    if (count != nullptr) {
      const uint16_t cb = uint16_t(count[0] | (count[1] << 8));
      if (const uint8_t* sepx = main.Bytes(uint64_t(fcSepx) + 2, cb, scratch)) {
        ByteSpanReader in(sepx, cb, ByteSpanReader::Order::kLittle);
        while (in.Remaining() != 0) {
          const uint16_t opcode = fFib.word97 ? in.U16() : in.U8();
          size_t size = 0;
          if (in.Failed() || !OperandSize(opcode, fFib.word97, in, size)) break;
          if ((opcode == 0x3009 || opcode == 142) && size >= 1) bkc = in.Data()[in.Position()];
          in.Skip(size);
        }
      }
    }
    if (cp > 0) ends.emplace_back(cp - 1, bkc);
  }
  return ends;
}

int32_t xMorvaImportWord::ReadFirstSection(const xMorvaWordMainStream& main,
                                           const std::vector<uint8_t>& table) {
  fSection = xMorvaWordSection();
  if (fFib.lcbPlcfSed == 0) return 0;
  if (!Inside(fFib.fcPlcfSed, fFib.lcbPlcfSed, table.size()) || fFib.lcbPlcfSed < 4)
    return kPassAbsent;
  const uint32_t n = (fFib.lcbPlcfSed - 4) / 16;
  if (n == 0) return 0;
  ByteSpanReader sed(table.data() + fFib.fcPlcfSed, fFib.lcbPlcfSed,
                     ByteSpanReader::Order::kLittle);
  sed.Seek(size_t(n + 1) * 4);
  sed.Skip(2);
  const uint32_t fcSepx = sed.U32();
  if (sed.Failed()) return kPassAbsent;
  if (fcSepx == 0xFFFFFFFFu) return 0;
  std::vector<uint8_t> scratch;
  const uint8_t* count = main.Bytes(fcSepx, 2, scratch);
  if (count == nullptr) return kPassAbsent;
  const uint16_t cb = uint16_t(count[0] | (count[1] << 8));
  const uint8_t* sepx = main.Bytes(uint64_t(fcSepx) + 2, cb, scratch);
  if (sepx == nullptr) return kPassAbsent;
  ByteSpanReader in(sepx, cb, ByteSpanReader::Order::kLittle);
  bool stop = false;
  // The margins are the ones the section gives, whatever the header's
  // distance from the page's edge.
  while (in.Remaining() != 0 && !stop)
    if (!ApplySectionSprm(in, stop)) return kPassAbsent;
  return 0;
}

int32_t xMorvaImportWord::ReadWordText(VStream& file, std::u16string& body) {
  body.clear();
  fPieces.clear();
  fDroppedPictures = 0;
  fDroppedFields = 0;
  fFontNames.clear();
  fSymbolFonts.clear();
  fFontCharSets.clear();
  fBodyBreaks.clear();
  fDop = xMorvaWordDop();
  fInfos = xMorvaWordInfos();
  fStyles.clear();
  fStylePapx.clear();
  fStyleChpx.clear();
  fDefaultFont = -1;
  fCharacterRuns.clear();
  fParagraphRuns.clear();
  fSpacing.clear();
  fCellShading.clear();
  fPieceProperties.clear();
  xMorvaOleFile ole(file);
  const int32_t opened = ole.OpenForReading();
  if (opened == kOleNotCompound) return kWordNotWord;
  if (opened == kOleDamaged) return kWordUnreadable;
  if (opened != kOleNoError) return kWordNoMemory;
  // The main stream is read by range; only a Word 6/95 file, whose tables
  // and pictures live in it, has it held whole.
  xMorvaOleStreamRange mainRange;
  if (int32_t code = OpenMainRange(ole, mainRange); code != 0) return code;
  {
    std::vector<uint8_t> head(std::min<size_t>(mainRange.size, kFibMostBytes));
    if (ole.ReadRange(mainRange, 0, uint32_t(head.size()), head.data()) != kOleNoError) return kWordUnreadable;
    if (ReadFib(head, fFib) != 0) return kWordNotWord;
  }
  if ((fFib.flags & kComplex) != 0) return kWordFastSaved;
  std::vector<uint8_t> whole;
  if (!fFib.word97) {
    if (int32_t code = ReadWholeStream(ole, u"WordDocument", whole); code != 0) return code;
  }
  const xMorvaWordMainStream main =
      fFib.word97 ? xMorvaWordMainStream(ole, mainRange) : xMorvaWordMainStream(whole);
  std::vector<uint8_t> table;
  const std::vector<uint8_t>* tableStream = &whole;
  if (fFib.word97) {
    const std::u16string_view name = (fFib.flags & kWhichTable) != 0 ? u"1Table" : u"0Table";
    if (int32_t code = ReadWholeStream(ole, name, table); code != 0) return code;
    tableStream = &table;
  }
  // The pictures' stream ("Data", or the main stream in Word 6/95); a
  // Word 97 file without one has no pictures.
  std::vector<uint8_t> dataStream;
  if (fFib.word97 && ReadWholeStream(ole, u"Data", dataStream) != 0) dataStream.clear();
  const std::vector<uint8_t>& data = fFib.word97 ? dataStream : whole;
  // The counts of all stories, summed wide, against the main stream: each
  // character takes at least one of its bytes.
  uint64_t total = 0;
  for (uint32_t count : fFib.ccp) total += count;
  if (total > main.size()) return kWordUnreadable;
  std::u16string text;
  const int32_t pass =
      fFib.word97 ? ReadPieceTable(main, *tableStream, text) : ReadPlainText(main, text);
  if (pass != 0) return CodeOfPass(pass);
  if (text.size() < total) return CodeOfPass(kPassAbsent);
  std::sort(fPieces.begin(), fPieces.end(),
            [](const Piece& a, const Piece& b) { return a.fc < b.fc; });
  if (const int32_t dop = ReadDop(*tableStream); dop != 0) return CodeOfPass(dop);
  if (const int32_t fonts = ReadFontTable(*tableStream); fonts != 0) return CodeOfPass(fonts);
  if (const int32_t infos = ReadAssociatedStrings(*tableStream); infos != 0)
    return CodeOfPass(infos);
  if (const int32_t styles = ReadStyleSheet(*tableStream); styles != 0) return CodeOfPass(styles);
  if (const int32_t bases = ResolveStyleBases(); bases != 0) return CodeOfPass(bases);
  if (const int32_t section = ReadFirstSection(main, *tableStream); section != 0)
    return CodeOfPass(section);
  if (const int32_t paragraphs = ReadParagraphRuns(main, *tableStream); paragraphs != 0)
    return CodeOfPass(paragraphs);
  if (const int32_t characters = ReadCharacterRuns(main, *tableStream); characters != 0)
    return CodeOfPass(characters);
  ApplyPieceProperties();
  // Deleted revisions, symbols and runs of the other character set are
  // settled in the whole text, so the header stories have them too.
  ApplyRunCharacters(main, text);
  ApplyScriptFonts(text);
  // The header and footer stories are read out of the whole text; the
  // other stories are not the body's.
  ReadHeaderStories(text, *tableStream, data);
  fBodySpecials.clear();
  ConvertFields(text, 0, fFib.ccp[0], *tableStream, fFib.fcPlcfFldMom, fFib.lcbPlcfFldMom, 0,
                fBodySpecials);
  ConvertRuns(text, 0, fFib.ccp[0], 0, data, fBodySpecials);
  if (fFib.word97) ConvertDrawnObjects(text, 0, fFib.ccp[0], *tableStream, main, fBodySpecials);
  text.resize(fFib.ccp[0]);
  // The section ends that stand on a page break character, before the
  // text is turned into the body in its place.
  std::vector<std::pair<uint32_t, uint8_t>> sectionBreaks = SectionEnds(main, *tableStream);
  std::erase_if(sectionBreaks, [&](const std::pair<uint32_t, uint8_t>& end) {
    return end.first >= text.size() || text[end.first] != 0x0C;
  });
  // The streams are read: their memory goes before the body is made.
  std::vector<uint8_t>().swap(whole);
  std::vector<uint8_t>().swap(table);
  std::vector<uint8_t>().swap(dataStream);
  std::vector<uint32_t> rowEnds;
  for (const xMorvaWordParagraphRun& run : fParagraphRuns)
    if (run.pap.rowEnd && run.limit > run.first && run.limit <= text.size() &&
        text[run.limit - 1] == 0x07)
      rowEnds.push_back(run.limit - 1);
  std::sort(rowEnds.begin(), rowEnds.end());
  std::vector<uint32_t> joined;
  ResolveRows(text, joined);
  MainStory(text, rowEnds, joined, fBodyPositions, &fBodyBreaks);
  body.swap(text);
  // A section's end is a break by how the next section starts: none when
  // it goes on on the same page.
  for (const auto& [cp, bkc] : sectionBreaks) {
    const uint32_t at = fBodyPositions.At(cp);
    auto found = std::find_if(fBodyBreaks.begin(), fBodyBreaks.end(), [at](const xMorvaWordBreak& b) { return b.at == at; });
    if (found == fBodyBreaks.end()) continue;
    if (bkc == 0) fBodyBreaks.erase(found);
    else found->page = bkc != 1;
  }
  // A paragraph that starts a page: the paragraph end before it becomes a
  // page break, as the body keeps one.
  if (!fBodyPositions.Empty()) {
    const uint32_t last = uint32_t(fBodyPositions.Size() - 1);
    for (const xMorvaWordParagraphRun& run : fParagraphRuns) {
      if (!run.pap.pageBreakBefore || run.pap.inTable || run.first >= run.limit) continue;
      const uint32_t start = fBodyPositions.At(std::min(run.first, last));
      if (start == 0 || start > body.size() || body[start - 1] != u'\r') continue;
      auto at = std::lower_bound(fBodyBreaks.begin(), fBodyBreaks.end(), start - 1,
                                 [](const xMorvaWordBreak& b, uint32_t v) { return b.at < v; });
      if (at != fBodyBreaks.end() && at->at == start - 1) at->page = true;
      else fBodyBreaks.insert(at, {start - 1, true});
    }
  }
  FindSpacing(body);
  PlaceSpecials(fBodySpecials, fBodyPositions);
  return 0;
}

int32_t xMorvaImportWord::ImportWordDocument(xMorvaDocument* document, VStream* file) {
  if (document == nullptr || file == nullptr) return kWordMissingArgument;
  std::u16string body;
  if (int32_t code = ReadWordText(*file, body); code != 0) return code;
  if (document->GetPart(kPartBody) == nullptr) return kWordNoMemory;
  // Read whole: only now is the document replaced.
  document->Reset(false);
  ApplyPageSetup(*document, fSection, fDop.mirrorMargins);
  ApplyDocumentSettings(*document, fDop, fInfos);
  int32_t sheets = SaveStyleSheets(*document, fStyles, fFontNames);
  auto* text = static_cast<xMorvaEngine*>(document->GetPart(kPartBody));
  xMorvaUndo* undo = document->GetUndo();
  if (undo != nullptr) undo->Suspend();
  document->BeginChange();
  int32_t code = sheets;
  if (text != nullptr && code == 0)
    code = BuildBody(*document, *text, body, fBodyPositions, 0, fBodySpecials, fSpacing, fBodyBreaks);
  if (code == 0) code = InsertStories(*document);
  if (text != nullptr) text->SetSelection(0, 0);
  document->EndChange();
  if (undo != nullptr) undo->Resume();
  return code;
}
