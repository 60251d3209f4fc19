// The Word import: the compound file's streams, the file information block
// with every offset and length checked against its stream, the piece table
// or the single text stretch, and the main story put into the body.
#include "interchange/word/xMorvaImportWord.h"

#include <algorithm>
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

// A whole stream of the container as bytes.
int32_t ReadWholeStream(xMorvaOleFile& ole, std::u16string_view name, std::vector<uint8_t>& out) {
  VStream* stream = nullptr;
  const int32_t result = ole.OpenStream(name, stream);
  if (result == kOleNotFound) return kWordUnreadable;
  if (result == kOleDamaged) return kWordUnreadable;
  if (result != kOleNoError) return kWordNoMemory;
  out.resize(stream->GetSize());
  uint32_t length = uint32_t(out.size());
  const bool whole =
      out.empty() || (stream->ReadBytes(out.data(), length) == 0 && length == out.size());
  ole.CloseStream(stream);
  return whole ? 0 : kWordUnreadable;
}

// True when [offset, offset + length) lies inside a stream of `size` bytes.
bool Inside(uint64_t offset, uint64_t length, size_t size) { return offset + length <= size; }

// 8-bit text of a piece or of the single stretch as UTF-16.
std::u16string EightBit(const uint8_t* bytes, size_t count, bool mac) {
  return DecodePlainText(bytes, count, mac ? kTextEncodingMac : kTextEncodingWindows);
}

// The main story as the body takes it: paragraph, section and page ends
// and line breaks end a paragraph; a field keeps its result and loses its
// instructions; pictures, drawn objects and note references, whose passes
// are not run, go; the last paragraph end is the body's own.
// `positions` receives, for each character of `text` and its end, the body
// position it lands at. A table row is one paragraph: its cells are
// separated by tabs and its row-end mark (at the sorted `rowEnds`) ends
// the paragraph; the last cell's end, right before it, separates nothing.
std::u16string MainStory(const std::u16string& text, const std::vector<uint32_t>& rowEnds,
                         std::vector<uint32_t>& positions) {
  std::u16string out;
  out.reserve(text.size());
  positions.clear();
  positions.reserve(text.size() + 1);
  int depth = 0;
  std::vector<bool> inCode;
  auto rowEnd = [&](size_t at) { return std::binary_search(rowEnds.begin(), rowEnds.end(), at); };
  for (size_t at = 0; at < text.size(); ++at) {
    const char16_t c = text[at];
    positions.push_back(uint32_t(out.size()));
    switch (c) {
      case 0x13:
        inCode.push_back(true);
        ++depth;
        continue;
      case 0x14:
        if (!inCode.empty()) inCode.back() = false;
        continue;
      case 0x15:
        if (!inCode.empty()) inCode.pop_back();
        depth = depth > 0 ? depth - 1 : 0;
        continue;
      default: break;
    }
    if (std::find(inCode.begin(), inCode.end(), true) != inCode.end()) continue;
    switch (c) {
      case 0x0B:
      case 0x0C:
      case 0x0E: out.push_back(u'\r'); break;
      case 0x07:
        // A table cell's end: tables come as tabbed lines.
        if (rowEnd(at))
          out.push_back(u'\r');
        else if (!rowEnd(at + 1))
          out.push_back(u'\t');
        break;
      case 0x1E: out.push_back(u'-'); break;
      case 0x1F: out.push_back(0x00AD); break;
      case 0x01:
      case 0x02:
      case 0x03:
      case 0x04:
      case 0x05:
      case 0x08: break;
      default: out.push_back(c);
    }
  }
  positions.push_back(uint32_t(out.size()));
  if (!out.empty() && out.back() == u'\r') out.pop_back();
  for (uint32_t& at : positions) at = std::min(at, uint32_t(out.size()));
  return out;
}

// The first section's page setup in the document's parameters, in pixels.
void ApplyPageSetup(xMorvaDocument& document, const xMorvaWordSection& section) {
  xMorvaDocParams& params = document.Params();
  params.SetPageSize(std::max(TwipsToPixels(section.pageWidth), 1),
                     std::max(TwipsToPixels(section.pageHeight), 1));
  params.SetLeftMargin(TwipsToPixels(section.left));
  params.SetRightMargin(TwipsToPixels(section.right));
  xMorvaPageBands& bands = params.GetBands(false);
  const int32_t top = TwipsToPixels(section.top);
  const int32_t bottom = TwipsToPixels(section.bottom);
  const int32_t header = TwipsToPixels(section.headerDistance);
  const int32_t footer = TwipsToPixels(section.footerDistance);
  bands.topMargin = top;
  bands.headerBottom = top;
  bands.headerTop = header < top ? header : std::max(top, 0);
  bands.bottomMargin = bottom;
  bands.footerTop = footer <= bottom ? footer : bottom;
  bands.footerBottom = 0;
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
    if (document.StyleSheetIndex(id) > 0) return sheet.Save(document, *store, id, &name);
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
    set(kPropSize, std::max(chp.halfPoints / 2, 1));
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
    if (!save(sheet, name, int16_t(istd + 1))) return kWordNoMemory;
    normal = normal || istd == 0;
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

std::u16string xMorvaImportWord::StoryText(const std::u16string& text,
                                         std::vector<uint32_t>& positions) {
  return MainStory(text, {}, positions);
}

int32_t xMorvaImportWord::ApplyRuns(xMorvaDocument& document, xMorvaTextInterface& text) {
  auto range = [&](uint32_t first, uint32_t limit) {
    const uint32_t end = uint32_t(fBodyPositions.size() - 1);
    const uint32_t a = fBodyPositions[std::min(first, end)];
    const uint32_t b = fBodyPositions[std::min(limit, end)];
    text.SetSelection(int32_t(a), int32_t(b));
    return a < b;
  };
  int32_t code = 0;
  auto set = [&](uint16_t id, int32_t value) {
    if (code == 0) code = text.SetPropertyValue(id, value);
  };
  for (const xMorvaWordParagraphRun& run : fParagraphRuns) {
    if (!range(run.first, run.limit)) continue;
    // Short of its paragraph end, so that the paragraph after is not
    // touched: a tab stop set here is not undone by the next run.
    const uint32_t end = uint32_t(fBodyPositions.size() - 1);
    const int32_t from = int32_t(fBodyPositions[std::min(run.first, end)]);
    const int32_t to = int32_t(fBodyPositions[std::min(run.limit, end)]);
    text.SetSelection(from, std::max(from, to - 1));
    const xMorvaWordPap& pap = run.pap;
    set(kPropAlignment, pap.jc);
    set(kPropLeftIndent, std::max(TwipsToPixels(pap.left), 0));
    set(kPropFirstLineIndent, TwipsToPixels(pap.firstLine));
    set(kPropRightIndent, std::max(TwipsToPixels(pap.right), 0));
    set(kPropInterline, pap.lineTenths);
    // The paragraph's style marks its characters; a character style of a
    // run marks it in turn below.
    if (pap.istd < 32766 && document.StyleSheetIndex(int16_t(pap.istd + 1)) > 0)
      set(kPropStyleSheet, pap.istd + 1);
    if (pap.shading != -1) set(kPropParagraphBackColour, pap.shading);
    if (pap.borderSides != 0) {
      set(kPropBorderStyle, pap.borderStyle);
      set(kPropLeftBorder, (pap.borderSides & 1) != 0);
      set(kPropRightBorder, (pap.borderSides & 2) != 0);
      set(kPropTopBorder, (pap.borderSides & 4) != 0);
      set(kPropBottomBorder, (pap.borderSides & 8) != 0);
    }
    for (const xMorvaWordTab& tab : pap.tabs) {
      const int32_t at = std::clamp(TwipsToPixels(tab.position), 1, 32767);
      set(kPropTabs, int32_t(MakeTabStop(int16_t(at), uint8_t(tab.leader), uint8_t(tab.kind))));
    }
  }
  std::vector<int16_t> fonts(fFontNames.size(), -1);
  for (const xMorvaWordCharacterRun& run : fCharacterRuns) {
    if (!range(run.first, run.limit)) continue;
    const xMorvaWordChp& chp = run.chp;
    set(kPropBold, chp.bold);
    set(kPropItalic, chp.italic);
    set(kPropStrikeOut, chp.strike);
    set(kPropShadow, chp.shadow);
    set(kPropLetterCase, chp.caps);
    set(kPropUnderline, chp.underline);
    set(kPropVerticalPosition, chp.iss);
    set(kPropSize, std::max(chp.halfPoints / 2, 1));
    if (chp.color != -1) set(kPropTextColour, chp.color);
    if (chp.background != -1) set(kPropBackColour, chp.background);
    if (chp.style > 0 && document.StyleSheetIndex(chp.style) > 0) set(kPropStyleSheet, chp.style);
    if (chp.font >= 0 && size_t(chp.font) < fonts.size()) {
      if (fonts[size_t(chp.font)] < 0) {
        VStr<255> name;
        name.SetUniCText(fFontNames[size_t(chp.font)].substr(0, 63).c_str());
        fonts[size_t(chp.font)] = document.FontIndexForName(name);
      }
      if (fonts[size_t(chp.font)] > 0) set(kPropFont, fonts[size_t(chp.font)]);
    }
  }
  return code;
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

int32_t xMorvaImportWord::ReadPlainText(const std::vector<uint8_t>& main, std::u16string& text) {
  if (fFib.fcMac < fFib.fcMin || !Inside(fFib.fcMin, fFib.fcMac - fFib.fcMin, main.size()))
    return kPassAbsent;
  const uint8_t* at = main.data() + fFib.fcMin;
  const size_t bytes = fFib.fcMac - fFib.fcMin;
  fPieces.push_back({fFib.fcMin, uint32_t(bytes), 0, (fFib.flags & kExtChar) != 0});
  if ((fFib.flags & kExtChar) != 0) {
    text.resize(bytes / 2);
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(at[2 * i] | (at[2 * i + 1] << 8));
  } else {
    text = EightBit(at, bytes, fFib.chs == 256);
  }
  return 0;
}

int32_t xMorvaImportWord::ReadPieceTable(const std::vector<uint8_t>& main,
                                         const std::vector<uint8_t>& table, std::u16string& text) {
  if (fFib.lcbClx == 0) return 0;
  if (!Inside(fFib.fcClx, fFib.lcbClx, table.size())) return kPassAbsent;
  ByteSpanReader in(table.data() + fFib.fcClx, fFib.lcbClx, ByteSpanReader::Order::kLittle);
  while (in.Remaining() != 0) {
    const uint8_t type = in.U8();
    if (type == 1) {
      // Piece properties: their passes come with the property layer.
      const uint16_t cb = in.U16();
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
    for (uint32_t i = 0; i < n; ++i) {
      in.Skip(2);
      const uint32_t fc = in.U32();
      in.Skip(2);
      const uint32_t count = cps[i + 1] - cps[i];
      const bool compressed = (fc & 0x40000000u) != 0;
      const uint64_t position = compressed ? (fc & ~0x40000000u) / 2 : fc;
      const uint64_t bytes = compressed ? count : uint64_t(count) * 2;
      if (!Inside(position, bytes, main.size())) return kPassAbsent;
      const uint8_t* at = main.data() + position;
      fPieces.push_back({uint32_t(position), uint32_t(bytes), cps[i], !compressed});
      if (compressed) {
        std::u16string piece = EightBit(at, count, false);
        piece.resize(count, u' ');
        text.replace(cps[i], count, piece);
      } else {
        for (uint32_t k = 0; k < count; ++k)
          text[cps[i] + k] = char16_t(at[2 * k] | (at[2 * k + 1] << 8));
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
    // The footer's distance from the page's lower edge, in both versions.
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
  if (opcode == 0x3014 || opcode == 153) {
    if (in.Remaining() < 1) return false;
    fSection.headerFlags = in.U8();
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

int32_t xMorvaImportWord::ReadFirstSection(const std::vector<uint8_t>& main,
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
  if (!Inside(fcSepx, 2, main.size())) return kPassAbsent;
  const uint16_t cb = uint16_t(main[fcSepx] | (main[fcSepx + 1] << 8));
  if (!Inside(uint64_t(fcSepx) + 2, cb, main.size())) return kPassAbsent;
  ByteSpanReader in(main.data() + fcSepx + 2, cb, ByteSpanReader::Order::kLittle);
  bool stop = false;
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
  fDop = xMorvaWordDop();
  fInfos = xMorvaWordInfos();
  fStyles.clear();
  fStylePapx.clear();
  fStyleChpx.clear();
  fDefaultFont = -1;
  fCharacterRuns.clear();
  fParagraphRuns.clear();
  xMorvaOleFile ole(file);
  const int32_t opened = ole.OpenForReading();
  if (opened == kOleNotCompound) return kWordNotWord;
  if (opened == kOleDamaged) return kWordUnreadable;
  if (opened != kOleNoError) return kWordNoMemory;
  std::vector<uint8_t> main;
  if (int32_t code = ReadWholeStream(ole, u"WordDocument", main); code != 0) return code;
  if (ReadFib(main, fFib) != 0) return kWordNotWord;
  if ((fFib.flags & kComplex) != 0) return kWordFastSaved;
  std::vector<uint8_t> table;
  const std::vector<uint8_t>* tableStream = &main;
  if (fFib.word97) {
    const std::u16string_view name = (fFib.flags & kWhichTable) != 0 ? u"1Table" : u"0Table";
    if (int32_t code = ReadWholeStream(ole, name, table); code != 0) return code;
    tableStream = &table;
  }
  // The pictures' stream ("Data", or the main stream in Word 6/95); a
  // Word 97 file without one has no pictures.
  std::vector<uint8_t> dataStream;
  if (fFib.word97 && ReadWholeStream(ole, u"Data", dataStream) != 0) dataStream.clear();
  const std::vector<uint8_t>& data = fFib.word97 ? dataStream : main;
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
  // The header and footer stories are read out of the whole text; the
  // other stories are not the body's.
  ReadHeaderStories(text, *tableStream, data);
  fBodySpecials.clear();
  ConvertFields(text, 0, fFib.ccp[0], *tableStream, fFib.fcPlcfFldMom, fFib.lcbPlcfFldMom, 0,
                fBodySpecials);
  ConvertRuns(text, 0, fFib.ccp[0], 0, data, fBodySpecials);
  if (fFib.word97) ConvertDrawnObjects(text, 0, fFib.ccp[0], *tableStream, main, fBodySpecials);
  text.resize(fFib.ccp[0]);
  std::vector<uint32_t> rowEnds;
  for (const xMorvaWordParagraphRun& run : fParagraphRuns)
    if (run.pap.rowEnd && run.limit > run.first && run.limit <= text.size() &&
        text[run.limit - 1] == 0x07)
      rowEnds.push_back(run.limit - 1);
  std::sort(rowEnds.begin(), rowEnds.end());
  body = MainStory(text, rowEnds, fBodyPositions);
  PlaceSpecials(fBodySpecials, fBodyPositions);
  return 0;
}

int32_t xMorvaImportWord::ImportWordDocument(xMorvaDocument* document, VStream* file) {
  if (document == nullptr || file == nullptr) return kWordMissingArgument;
  std::u16string body;
  if (int32_t code = ReadWordText(*file, body); code != 0) return code;
  xMorvaTextInterface* target = document->GetPart(kPartBody);
  if (target == nullptr) return kWordNoMemory;
  VMemHandle units = gMemoryMgr->NewHandle(0, 0);
  if (units == 0) return kWordNoMemory;
  uint32_t positions = 0;
  if (!TextToUnits(*target, body, units, positions)) {
    gMemoryMgr->DisposeHandle(units);
    return kWordNoMemory;
  }
  // Read whole: only now is the document replaced.
  document->Reset(false);
  ApplyPageSetup(*document, fSection);
  ApplyDocumentSettings(*document, fDop, fInfos);
  int32_t sheets = SaveStyleSheets(*document, fStyles, fFontNames);
  xMorvaTextInterface* text = document->GetPart(kPartBody);
  xMorvaUndo* undo = document->GetUndo();
  if (undo != nullptr) undo->Suspend();
  document->BeginChange();
  int32_t code = sheets;
  if (code == 0 && text != nullptr && positions != 0 && text->InsertHandle(units, int32_t(positions)) != 0)
    code = kWordNoMemory;
  if (text != nullptr && code == 0) code = ApplyRuns(*document, *text);
  if (text != nullptr && code == 0) code = InsertSpecials(*document, *text, fBodySpecials);
  if (code == 0) code = InsertStories(*document);
  if (text != nullptr) text->SetSelection(0, 0);
  document->EndChange();
  if (undo != nullptr) undo->Resume();
  gMemoryMgr->DisposeHandle(units);
  return code;
}
