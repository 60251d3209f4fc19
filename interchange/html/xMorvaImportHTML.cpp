// The HTML reader: bytes are read once; tags are recognised and dispatched,
// character references decoded, whitespace collapsed, and text typed into
// the body through the engine's insert operations.
#include "interchange/html/xMorvaImportHTML.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "area/view/xMorvaHyperlink.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaListNumber.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/pictures/VPictPictureData.h"
#include "interchange/html/HTMLEntities.h"

xMorvaImportHTML::~xMorvaImportHTML() = default;

namespace {

// Text modes: where characters go.
enum TextMode : int32_t { kModeBody = 0, kModeTitle = 1, kModeHead = 2, kModeLink = 3 };
// Paragraph break kinds.
enum BreakKind : int32_t {
  kBreakNone = 0,
  kBreakTyped = 1,
  kBreakOpenBlock = 2,
  kBreakCloseBlock = 3,
  kBreakOpenParagraph = 4,
  kBreakCloseParagraph = 5,
  kBreakLine = 6,
};
// List kinds.
enum ListKind : int32_t { kListDisc = 1, kListSquare = 2, kListCircle = 3, kListDecimal = 4, kListLetters = 5, kListRoman = 8 };

// Longest tag name; a longer one ends the tag without action.
constexpr size_t kMaxTagName = 63;
// Longest character reference name between "&" and ";".
constexpr size_t kMaxReference = 10;
// Longest image path; a longer one is not read.
constexpr size_t kMaxImagePath = 255;
// Longest font name taken from a "face" attribute.
constexpr size_t kMaxFaceName = 63;
// Inputs longer than this show the progress of the read.
constexpr uint32_t kProgressThreshold = 5000;
constexpr uint32_t kProgressStep = 1 << 16;
// The bytes of a page read from a stream at a time.
constexpr size_t kReadWindow = 64 * 1024;
// The spacing paragraph between blocks.
constexpr int32_t kSpacingPoints = 10;
// The rule under a horizontal rule's empty paragraph.
constexpr int32_t kRulePoints = 3;
constexpr int32_t kRuleColour = 0x999999;
constexpr int32_t kRuleStyle = 6;
// Bullet characters of the list kinds disc, square and circle.
constexpr int32_t kBulletDisc = 108;
constexpr int32_t kBulletSquare = 111;
constexpr int32_t kBulletCircle = 109;
// Tab stop positions are 16-bit, below the "no stop" position.
constexpr int32_t kMaxTabPosition = 31999;
constexpr char16_t kReplacement = 0xFFFD;
// Runs of text shorter than this are typed unit by unit: an insertion of a
// run costs the engine two walks to the caret, which typing a few units
// does not.
constexpr uint32_t kShortestRun = 16;
// The most line spacing a page can ask for, in tenths of a line: ten
// lines, as the interline dialog allows.
constexpr int32_t kMostStyleInterline = 100;

char Lower(uint8_t c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : char(c); }

std::string Lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Lower(uint8_t(c));
  return out;
}

// A decimal number at the start of the text (after spaces), bounded so that
// a long digit run cannot overflow; 0 without digits.
int32_t LeadingNumber(std::string_view text, size_t at = 0) {
  while (at < text.size() && text[at] == ' ') ++at;
  int64_t n = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) n = std::min<int64_t>(n * 10 + (text[at] - '0'), 1 << 24);
  return int32_t(n);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(uint8_t(c));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The character a reference's name (between "&" and ";") stands for: "#"
// and decimal digits, "#x" and hexadecimal digits, or a name of the entity
// table compared exactly. 0 when the name stands for none.
char32_t DecodeHTMLEntity(const std::string& name) {
  if (name[0] == '#') {
    const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
    const size_t first = hex ? 2 : 1;
    int64_t value = 0;
    bool digits = first < name.size();
    for (size_t i = first; i < name.size() && digits; ++i) {
      const int d = hex ? HexDigit(name[i]) : (name[i] >= '0' && name[i] <= '9' ? name[i] - '0' : -1);
      if (d < 0) digits = false;
      else value = std::min<int64_t>(value * (hex ? 16 : 10) + d, 0x110000);
    }
    if (!digits) return 0;
    // No character, a lone half of a surrogate pair and values past the
    // last code point stand for the replacement character.
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = kReplacement;
    return char32_t(value);
  }
  for (int32_t i = 0; i < kHTMLEntityCount; ++i)
    if (name == HTMLEntityTable[i].name) return HTMLEntityTable[i].code;
  return 0;
}

// A character reference after "&": a name of letters and digits (or "#"
// and digits) and ";". `peek(i)` gives the i-th byte after the "&" (-1 past
// the input's end). `length` is the bytes the reference takes after the
// "&" ("name;"); `code` is its character, 0 when it stands for none.
// Without a whole reference, `length` is that of the name bytes read,
// which are text as they stand, as is the "&".
struct HTMLReference {
  std::string name;
  size_t length = 0;
  bool whole = false;
  char32_t code = 0;
};

template <class Peek>
HTMLReference ScanHTMLReference(Peek peek) {
  HTMLReference reference;
  for (;;) {
    const int c = peek(reference.name.size());
    if (c == ';' && !reference.name.empty()) {
      reference.length = reference.name.size() + 1;
      reference.whole = true;
      reference.code = DecodeHTMLEntity(reference.name);
      return reference;
    }
    const bool nameByte = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c == '#' && reference.name.empty());
    if (!nameByte || reference.name.size() == kMaxReference) {
      reference.length = reference.name.size();
      return reference;
    }
    reference.name += char(c);
  }
}

// The character a byte above 127 starts: a UTF-8 sequence when `utf8` and
// the bytes after it (`peek(i)`, -1 past the end) complete one, `extra`
// then the bytes it takes after the first; else the byte as Windows text,
// so that nothing of a page that lies about its encoding is lost.
template <class Peek>
char32_t CharacterAbove127(uint8_t first, bool utf8, Peek peek, size_t& extra) {
  extra = 0;
  if (utf8) {
    const int more = first >= 0xF0 && first <= 0xF4 ? 3 : first >= 0xE0 ? (first <= 0xEF ? 2 : 0) : first >= 0xC2 ? 1 : 0;
    char32_t code = more == 3 ? first & 0x07 : more == 2 ? first & 0x0F : first & 0x1F;
    bool whole = more > 0;
    for (int i = 0; whole && i < more; ++i) {
      const int next = peek(size_t(i));
      if (next < 0x80 || next > 0xBF) whole = false;
      else code = (code << 6) | char32_t(next & 0x3F);
    }
    const char32_t least = more == 1 ? 0x80 : more == 2 ? 0x800 : 0x10000;
    if (whole && code >= least && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF)) {
      extra = size_t(more);
      return code;
    }
  }
  return gIntlMgr != nullptr ? gIntlMgr->WinCharToUni(first) : char16_t(first);
}

void AppendUnits(std::u16string& text, char32_t code) {
  if (code > 0xFFFF) {
    code -= 0x10000;
    text.push_back(char16_t(0xD800 + (code >> 10)));
    text.push_back(char16_t(0xDC00 + (code & 0x3FF)));
  } else {
    text.push_back(char16_t(code));
  }
}

// The current tag's attributes, names lowercased, values as written, in
// the order they came; cleared at every tag.
class HTMLparams {
 public:
  void Clear() { fPairs.clear(); }
  void Add(const std::string& name, const std::string& value) { fPairs.emplace_back(name, value); }
  // The value of the first attribute of that name, or null when the tag
  // has none.
  const std::string* GetValue(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, std::string>> fPairs;
};

class HtmlReader {
 public:
  // Reads `size` bytes: those at `bytes`, or, when `stream` is given, the
  // stream's from its position, a window at a time.
  HtmlReader(xMorvaDocument& document, xMorvaEngine& body, const uint8_t* bytes, size_t size, VStream* stream,
             std::string folder)
      : fDocument(document),
        fBody(body),
        fPart(&body),
        fWindow(bytes),
        fWindowEnd(stream == nullptr ? size : 0),
        fSize(size),
        fStream(stream),
        fFolder(std::move(folder)) {}
  ~HtmlReader() {
    if (fRun != 0) gMemoryMgr->DisposeHandle(fRun);
  }
  HtmlReader(const HtmlReader&) = delete;
  HtmlReader& operator=(const HtmlReader&) = delete;

  void ParseHTMLText(VStreamProgress* progress);

 private:
  // ---- Input.
  // The byte at `at` of the input, -1 past its end. The window holds the
  // bytes from just before the reading place on: a byte read can be read
  // again after Back, and a few ahead can be looked at.
  int ByteAt(size_t at) {
    if (at < fWindowEnd) return fWindow[at - fWindowStart];
    return at < fSize ? ByteAfterWindow(at) : -1;
  }
  int ByteAfterWindow(size_t at);
  int Next() {
    const int c = ByteAt(fAt);
    if (c >= 0) ++fAt;
    return c;
  }
  int Peek(size_t ahead = 0) { return ByteAt(fAt + ahead); }
  void Back() { --fAt; }
  // Skips past the first `end` (compared without case); to the end of the
  // input when there is none.
  void SkipPast(std::string_view end);

  // ---- Text.
  void InsertHTMLChar(char32_t code);
  void TypePlainRun();
  void InsertUnit(char16_t unit);
  void InsertLiteral(std::string_view text);
  void ReadHTMLEntity();
  void ReadByteAbove127(uint8_t first);
  // An attribute's value as text, read as the page's text is: bytes above
  // 127 in the page's encoding, character references decoded. The second
  // form takes the current tag's attribute of that name (empty without).
  std::u16string ValueText(const std::string& value) const;
  std::u16string AttributeText(std::string_view name) const;

  // ---- Tags.
  void ReadHTMLTag();
  void ParseHTMLTag(const std::string& name, bool opening);

  // The text read goes into the document: the page's text, or a link's in
  // it.
  bool TypesText() const { return fMode == kModeBody || (fMode == kModeLink && fLinkStart >= 0); }

  // ---- Properties.
  // Sets a property at the caret as the engine does.
  int32_t Set(uint16_t id, int32_t value);
  void SetProperty(uint16_t id, int32_t value);
  void PushHTMLProperty(uint16_t id, std::vector<int32_t>& stack, int32_t& current, int32_t value, bool opening);
  void PushMode(int32_t mode, bool opening);
  void PushHTMLIndent(uint16_t id, std::vector<double>& stack, double& current, double value, bool opening);
  int32_t Points(int32_t index) const { return kHTMLSizePoints[std::clamp(index, 1, 7) - 1]; }
  int32_t FontIndex(std::u16string_view name);

  // ---- Structure.
  void BreakHTMLParagraph(int32_t kind);
  void InsertHTMLBreak(int32_t kind);
  void NewParagraphEnd();
  void ApplyHTMLAlign(bool opening);
  void ApplyHTMLLineSpacing(bool opening);
  void FontAttributes(bool opening);
  void SetHTMLMode(int32_t mode, bool opening);
  void StartHTMLList(bool ordered, bool opening);
  void ReadHTMLListType();
  void StartHTMLListItem();
  void InsertHTMLRule();
  void TableCharacters(bool opening);
  void InsertHTMLImage();
  void CaretToEnd() { Body().SetSelection(Body().GetSelEnd(), Body().GetSelEnd()); }
  // The body, once the text waiting to be typed is in it: every use of the
  // body goes through here, so that the text keeps its place among the
  // other changes.
  xMorvaEngine& Body() {
    if (!fTyped.empty()) TypeWaitingText();
    return *fPart;
  }
  // A block that LibreOffice writes for the page's header or footer
  // (<div title="header">) goes into that part of the document, not the
  // body; the answer says whether the block was one.
  bool EnterHeaderOrFooter();
  void LeaveHeaderOrFooter();
  // Types the text collected since the body was last used, in one
  // insertion: one engine call per run of text rather than per character.
  void TypeWaitingText();

  xMorvaDocument& fDocument;
  xMorvaEngine& fBody;
  // The part the text goes into: the body, or a header or footer.
  xMorvaEngine* fPart;
  // For each open div, whether it holds a header or footer.
  std::vector<bool> fDivs;
  // The body's break state while a header or footer is read.
  int32_t fBodyLastBreak = kBreakNone;
  bool fBodyLastWasSpace = true;
  // The position after the last text typed before a paragraph break: the
  // breaks after it are left out at the end of a header or footer.
  int32_t fTextEnd = 0;
  // The input: the bytes [fWindowStart, fWindowEnd) are at fWindow; fSize
  // bytes in all, the whole of them at once when there is no stream.
  const uint8_t* fWindow;
  size_t fWindowStart = 0;
  size_t fWindowEnd;
  size_t fSize;
  size_t fAt = 0;
  VStream* fStream;
  std::vector<uint8_t> fBuffer;
  std::string fFolder;
  bool fUtf8 = false;

  // The property stacks and the values that go with them.
  std::vector<int32_t> fModeStack, fBoldStack, fItalicStack, fUnderlineStack, fStrikeStack, fPositionStack,
      fSizeStack, fFontStack, fAlignStack, fColourStack, fBackStack, fListKindStack, fListNumberStack;
  std::vector<double> fLeftStack, fRightStack;
  int32_t fMode = kModeBody;
  int32_t fBold = 0, fItalic = 0, fUnderline = 0, fStrike = 0, fPosition = 0;
  int32_t fSizeIndex = 3;
  int32_t fFont = 0;
  int32_t fAlign = 0;
  int32_t fColour = 0;
  int32_t fBack = -1;
  double fLeftLevel = 0;
  double fRightLevel = 0;
  int32_t fListKind = kListDisc;
  int32_t fListNumber = 1;
  // The line spacing in force (tenths of a line), those it replaced, and
  // whether a paragraph's own is among them: a paragraph opened in another
  // ends that one first, as HTML has it.
  std::vector<int32_t> fInterlineStack;
  int32_t fInterline = kHTMLSingleInterline;
  bool fParagraphSpaced = false;

  HTMLparams fParams;

  int32_t fFixedFont = 0;
  int32_t fProportionalFont = 0;
  bool fPreformatted = false;
  uint32_t fListTab = 0;
  bool fTabRemovalPending = false;
  bool fItemPending = false;
  // The pending item has an alignment, a line spacing of its own.
  bool fItemAligned = false;
  bool fItemSpaced = false;
  // The pending item is a bulleted one that nothing has gone into yet. An
  // empty item is still an item: what ends it gives it a paragraph of its
  // own, so that its bullet never passes to the text after it.
  bool fItemEmpty = false;
  // The pending item draws no bullet ("list-style-type: none"): it is
  // there only to hold a deeper list, and is no paragraph of its own.
  bool fItemUnmarked = false;
  bool fLastWasSpace = true;
  bool fFirstCell = false;
  // Where the text of the link open in the page's text starts (-1 when
  // none is open), and its target.
  int32_t fLinkStart = -1;
  xMorvaEngine* fLinkPart = nullptr;
  std::u16string fLinkTarget;
  int32_t fLastBreak = kBreakNone;
  // The position just after the last numbered item's label, -1 when there
  // is none: the item's text goes on in the label's paragraph.
  int32_t fLabelEnd = -1;
  // Units for the body not typed yet, and the block they are typed from.
  std::u16string fTyped;
  VMemHandle fRun = 0;
};

void HtmlReader::SkipPast(std::string_view end) {
  while (fAt < fSize) {
    size_t i = 0;
    while (i < end.size() && fAt + i < fSize && Lower(uint8_t(ByteAt(fAt + i))) == end[i]) ++i;
    if (i == end.size()) {
      fAt += i;
      return;
    }
    ++fAt;
  }
}

int HtmlReader::ByteAfterWindow(size_t at) {
  if (fStream == nullptr) return -1;
  // What the window keeps: from the byte before the reading place (or the
  // byte asked for, were it behind) to the window's end.
  size_t keep = std::min(fAt, at);
  keep = std::max(keep > 0 ? keep - 1 : 0, fWindowStart);
  while (at >= fWindowEnd && fWindowEnd < fSize) {
    const size_t kept = fWindowEnd - std::min(keep, fWindowEnd);
    const size_t room = std::max<size_t>(kReadWindow, kept + kReadWindow / 2);
    if (fBuffer.size() < room) {
      std::vector<uint8_t> grown(room);
      if (kept != 0) std::memcpy(grown.data(), fWindow + (fWindowEnd - kept - fWindowStart), kept);
      fBuffer.swap(grown);
    } else if (kept != 0) {
      std::memmove(fBuffer.data(), fWindow + (fWindowEnd - kept - fWindowStart), kept);
    }
    fWindow = fBuffer.data();
    fWindowStart = fWindowEnd - kept;
    keep = fWindowStart;
    uint32_t length = uint32_t(std::min<size_t>(fBuffer.size() - kept, fSize - fWindowEnd));
    fStream->GetData(fBuffer.data() + kept, length);
    // A stream that ends early ends the input where it ended.
    if (length == 0) fSize = fWindowEnd;
    fWindowEnd += length;
  }
  return at < fWindowEnd ? fWindow[at - fWindowStart] : -1;
}

void HtmlReader::ParseHTMLText(VStreamProgress* progress) {
  VStr<63> times;
  times.SetCText("Times New Roman", kCharSetAnsi);
  VStr<63> courier;
  courier.SetCText("Courier New", kCharSetAnsi);
  fProportionalFont = fDocument.FontIndexForName(times);
  fFixedFont = fDocument.FontIndexForName(courier);
  fFont = fProportionalFont;
  Set(kPropFont, fFont);
  Set(kPropSize, Points(fSizeIndex));

  // A UTF-8 mark says how bytes above 127 are to be read.
  if (fSize >= 3 && ByteAt(0) == 0xEF && ByteAt(1) == 0xBB && ByteAt(2) == 0xBF) {
    fUtf8 = true;
    fAt = 3;
  }
  size_t reported = 0;
  for (int c; (c = Next()) >= 0;) {
    if (progress != nullptr && fAt - reported >= kProgressStep) {
      progress->Progress(uint32_t(fAt - reported));
      reported = fAt;
    }
    if (c == '&') {
      ReadHTMLEntity();
    } else if (c == '<') {
      ReadHTMLTag();
    } else if (c >= 33 && c <= 127) {
      InsertHTMLChar(char32_t(c));
      fLastWasSpace = false;
      if (TypesText() && !fPreformatted) TypePlainRun();
    } else if (c >= 128) {
      ReadByteAbove127(uint8_t(c));
      fLastWasSpace = false;
    } else if (c == 9 || c == 10 || c == 13 || c == 32) {
      if (fPreformatted) {
        if (c == 10)
          BreakHTMLParagraph(kBreakLine);
        else
          InsertHTMLChar(U' ');
      } else if (!fLastWasSpace) {
        InsertHTMLChar(U' ');
        fLastWasSpace = true;
      }
    }
  }
  // The text after the last tag.
  Body();
}

// Types the plain text that follows in the window (printable ASCII other
// than "&" and "<", and whitespace, which collapses) at once, as the loop
// above would byte by byte.
void HtmlReader::TypePlainRun() {
  bool typed = false;
  while (fAt < fWindowEnd) {
    const uint8_t b = fWindow[fAt - fWindowStart];
    if (b >= 33 && b <= 127 && b != '&' && b != '<') {
      fTyped.push_back(char16_t(b));
      fLastWasSpace = false;
      typed = true;
    } else if (b == 9 || b == 10 || b == 13 || b == 32) {
      if (!fLastWasSpace) fTyped.push_back(u' ');
      fLastWasSpace = true;
    } else {
      break;
    }
    ++fAt;
  }
  if (typed) fLastBreak = kBreakTyped;
}

void HtmlReader::ReadByteAbove127(uint8_t first) {
  size_t extra = 0;
  const char32_t code = CharacterAbove127(first, fUtf8, [&](size_t i) { return Peek(i); }, extra);
  fAt += extra;
  InsertHTMLChar(code);
}

std::u16string HtmlReader::ValueText(const std::string& value) const {
  std::u16string text;
  auto byteAt = [&](size_t at) { return at < value.size() ? int(uint8_t(value[at])) : -1; };
  for (size_t at = 0; at < value.size();) {
    const uint8_t b = uint8_t(value[at++]);
    if (b == '&') {
      const HTMLReference reference = ScanHTMLReference([&](size_t i) { return byteAt(at + i); });
      at += reference.length;
      if (reference.whole && reference.code != 0) {
        AppendUnits(text, reference.code);
      } else {
        text.push_back(u'&');
        for (char c : reference.name) text.push_back(char16_t(uint8_t(c)));
        if (reference.whole) text.push_back(u';');
      }
    } else if (b >= 128) {
      size_t extra = 0;
      AppendUnits(text, CharacterAbove127(b, fUtf8, [&](size_t i) { return byteAt(at + i); }, extra));
      at += extra;
    } else {
      text.push_back(char16_t(b));
    }
  }
  return text;
}

std::u16string HtmlReader::AttributeText(std::string_view name) const {
  const std::string* value = fParams.GetValue(name);
  return value != nullptr ? ValueText(*value) : std::u16string();
}

void HtmlReader::TypeWaitingText() {
  const uint32_t count = uint32_t(fTyped.size());
  bool typed = false;
  if (count >= kShortestRun && count < (1u << 30)) {
    if (fRun == 0) fRun = gMemoryMgr->NewHandle(0, 0);
    if (fRun != 0 && gMemoryMgr->SetHandleSize(fRun, 2 * count)) {
      if (auto* bytes = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fRun))) {
        for (uint32_t i = 0; i < count; ++i) PutStreamUnit(bytes + 2 * i, fTyped[i]);
        gMemoryMgr->UnlockHandle(fRun);
        if (fPart->InsertHandle(fRun, int32_t(count)) == 0) fPart->SetSelection(fPart->GetSelEnd(), fPart->GetSelEnd());
        typed = true;
      }
    }
  }
  // A short run, or one that found no block, is typed unit by unit.
  if (!typed)
    for (const char16_t unit : fTyped) fPart->TypeCharacter(unit);
  fTyped.clear();
}

void HtmlReader::InsertUnit(char16_t unit) {
  if (!TypesText()) return;
  if (unit == 0xAD)
    Body().InsertSoftHyphen();
  else if (unit != 0)
    fTyped.push_back(unit);
}

void HtmlReader::InsertHTMLChar(char32_t code) {
  if (code > 0xFFFF) {
    code -= 0x10000;
    InsertUnit(char16_t(0xD800 + (code >> 10)));
    InsertUnit(char16_t(0xDC00 + (code & 0x3FF)));
  } else {
    InsertUnit(char16_t(code));
  }
  // Only text that reaches the body or a link counts as typed: a title does
  // not open the page with empty paragraphs.
  if (code != U' ' && (fMode == kModeBody || fMode == kModeLink)) fLastBreak = kBreakTyped;
}

void HtmlReader::InsertLiteral(std::string_view text) {
  for (char c : text) InsertHTMLChar(char32_t(uint8_t(c)));
}

void HtmlReader::ReadHTMLEntity() {
  fLastWasSpace = false;
  // A reference is "&", a name of letters and digits (or "#" and digits),
  // and ";". Anything else is text as it stands, and the byte that ended it
  // is read again as ordinary input.
  const HTMLReference reference = ScanHTMLReference([&](size_t i) { return Peek(i); });
  fAt += reference.length;
  if (reference.whole && reference.code != 0) {
    InsertHTMLChar(reference.code);
    return;
  }
  InsertHTMLChar(U'&');
  InsertLiteral(reference.name);
  if (reference.whole) InsertHTMLChar(U';');
}

void HtmlReader::ReadHTMLTag() {
  fParams.Clear();
  int c = Next();
  if (c < 0) return;
  if (c == '!' && Peek() == '-' && Peek(1) == '-') {
    fAt += 2;
    SkipPast("-->");
    return;
  }
  bool opening = true;
  if (c == '/') {
    opening = false;
    c = Next();
  }
  std::string name;
  // A "<" followed by a space is text, not a tag.
  if (c >= 0 && c <= 32 && opening) {
    InsertHTMLChar(U'<');
    fLastWasSpace = false;
    Back();
    return;
  }
  while (c > 32 && c != '>') {
    if (name.size() == kMaxTagName) {
      // No known tag is this long: the tag is read through and ignored.
      SkipPast(">");
      return;
    }
    name += Lower(uint8_t(c));
    c = Next();
  }
  if (c < 0) return;
  std::string attribute;
  std::string value;
  bool inValue = false;
  // The quote that opened the value being read, or 0 outside quotes:
  // HTML quotes a value with double or single quotes alike.
  int quote = 0;
  bool nameEnded = false;
  auto addValue = [&] {
    fParams.Add(attribute, value);
    attribute.clear();
    value.clear();
    inValue = false;
    nameEnded = false;
  };
  // A quoted value ends only at its closing quote: a ">" inside it is part
  // of the value, wherever the input's window ends.
  while (quote != 0 || c != '>') {
    if (c < 0) return;
    if (inValue) {
      if (quote != 0) {
        if (c == quote) {
          addValue();
          quote = 0;
        } else if (c <= 32) {
          // A run of spaces inside quotes is kept as one space.
          if (value.empty() || value.back() != ' ') value += ' ';
        } else {
          value += char(c);
          // The rest of the run of such bytes the window holds goes in at
          // once: style values run long, and byte by byte they cost most of
          // the tag's reading.
          const size_t from = fAt;
          while (fAt < fWindowEnd) {
            const uint8_t b = fWindow[fAt - fWindowStart];
            if (b <= 32 || b == quote) break;
            ++fAt;
          }
          value.append(reinterpret_cast<const char*>(fWindow + (from - fWindowStart)), fAt - from);
        }
      } else if (c <= 32) {
        if (!value.empty()) addValue();
      } else if ((c == '"' || c == '\'') && value.empty()) {
        quote = c;
      } else {
        value += char(c);
      }
    } else if (c == '=') {
      inValue = true;
    } else if (c > 32) {
      // A name after a space starts a new attribute; the one before it had
      // no value and is dropped.
      if (nameEnded) attribute.clear(), nameEnded = false;
      attribute += Lower(uint8_t(c));
    } else if (!attribute.empty()) {
      nameEnded = true;
    }
    c = Next();
  }
  if (inValue && !value.empty()) addValue();
  ParseHTMLTag(name, opening);
}

const std::string* HTMLparams::GetValue(std::string_view name) const {
  for (const auto& [key, value] : fPairs)
    if (key == name) return &value;
  return nullptr;
}

int32_t HtmlReader::Set(uint16_t id, int32_t value) {
  if (id < kFirstParagraphProperty) return Body().SetPropertyValue(id, value);
  const uint32_t end = Body().GetStreamSize();
  const int32_t caret = Body().GetSelStart();
  if (Body().HasSelection() || caret != Body().GetLength() || Body().GetSelStartOffset() != end ||
      Body().GetParagraphStart() != caret) {
    return Body().SetPropertyValue(id, value);
  }
  // The caret stands at the text's end in a paragraph without units yet,
  // where the page's text goes on. The paragraph's records are written
  // there as the engine writes them, but without the engine forgetting how
  // far it has walked: the next caret move would walk the whole text again,
  // once for every paragraph of the page.
  uint32_t stored = uint32_t(value);
  bool record = false;
  if (id == kPropTabs) {
    uint32_t stop = 0;
    record = Body().GetWalkTabs().FindStop(TabStopPosition(stored), stop) ? stop != stored
                                                                         : TabStopKind(stored) != kTabNone;
  } else {
    xMorvaProperties normalised;
    normalised.SetProperty(id, value);
    value = normalised.GetProperty(id);
    stored = uint32_t(value);
    if (Body().GetCurrentProperties().GetProperty(id) == value && Body().GetPropertyState(id) == 1) return 0;
    record = Body().GetWalkProperties().GetProperty(id) != value;
  }
  const uint32_t start = Body().GetParagraphStartOffset();
  Body().RemovePropertyRecords(id, TabStopPosition(stored), start, end, false);
  if (record) {
    if (const int32_t error = Body().InsertPropertyRecord(start, id, stored)) return error;
  }
  // The caret is placed again over the new records; the character
  // properties waiting at it for the next text stay.
  xMorvaProperties waiting;
  waiting.Assign(Body().GetCurrentProperties());
  Body().SetSelection(caret, caret);
  for (uint16_t character = 0; character <= kLastCharacterProperty; ++character)
    Body().SetPropertyValue(character, waiting.GetProperty(character));
  return 0;
}

void HtmlReader::SetProperty(uint16_t id, int32_t value) {
  if (!TypesText()) return;
  Set(id, id == kPropSize ? Points(value) : value);
}

void HtmlReader::PushHTMLProperty(uint16_t id, std::vector<int32_t>& stack, int32_t& current, int32_t value,
                              bool opening) {
  if (opening) {
    stack.push_back(current);
    current = value;
  } else if (!stack.empty()) {
    current = stack.back();
    stack.pop_back();
  }
  // A closing tag without its opening one leaves the value as it is.
  SetProperty(id, current);
}

void HtmlReader::PushMode(int32_t mode, bool opening) {
  if (opening) {
    fModeStack.push_back(fMode);
    fMode = mode;
  } else if (!fModeStack.empty()) {
    fMode = fModeStack.back();
    fModeStack.pop_back();
  }
}

void HtmlReader::PushHTMLIndent(uint16_t id, std::vector<double>& stack, double& current, double value, bool opening) {
  if (opening) {
    stack.push_back(current);
    current = value;
  } else if (!stack.empty()) {
    current = stack.back();
    stack.pop_back();
  }
  if (fMode == kModeBody) Set(id, fDocument.GetParams().FromDisplayUnit(current));
}

int32_t HtmlReader::FontIndex(std::u16string_view name) {
  // A list of families names the first as the one wanted.
  name = name.substr(0, name.find(u','));
  while (!name.empty() && name.front() == u' ') name.remove_prefix(1);
  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  if (name.empty()) return fFont;
  VStr<255> text;
  name = name.substr(0, kMaxFaceName);
  text.SetUniChars(name.data(), 0, int32_t(name.size()));
  const int32_t index = fDocument.FontIndexForName(text);
  return index > 0 ? index : fFont;
}

void HtmlReader::NewParagraphEnd() {
  Body().InsertParagraphEnd();
  CaretToEnd();
}

bool HtmlReader::EnterHeaderOrFooter() {
  if (fPart != &fBody || fMode != kModeBody) return false;
  const std::u16string title = AttributeText("title");
  const int16_t id = title == u"header"   ? int16_t(kPartHeader)
                         : title == u"footer" ? int16_t(kPartFooter)
                                              : int16_t(-1);
  auto* part = id >= 0 ? static_cast<xMorvaEngine*>(fDocument.GetPart(id)) : nullptr;
  if (part == nullptr) return false;
  Body();  // the body's waiting text goes into the body
  fBodyLastBreak = fLastBreak;
  fBodyLastWasSpace = fLastWasSpace;
  fPart = part;
  part->SetSelection(part->GetLength(), part->GetLength());
  fLastBreak = kBreakNone;
  fLastWasSpace = true;
  fTextEnd = part->GetSelEnd();
  // The part types in the look in force, as the body does.
  Set(kPropFont, fFont);
  Set(kPropSize, Points(fSizeIndex));
  return true;
}

void HtmlReader::LeaveHeaderOrFooter() {
  xMorvaEngine& part = Body();
  // The paragraph breaks after the part's last text would be empty lines
  // at its end.
  if (fLastBreak != kBreakTyped && fTextEnd < part.GetLength()) {
    part.SetSelection(fTextEnd, part.GetLength());
    part.DeleteSelection();
  }
  fPart = &fBody;
  fLastBreak = fBodyLastBreak;
  fLastWasSpace = fBodyLastWasSpace;
}

void HtmlReader::BreakHTMLParagraph(int32_t kind) {
  InsertHTMLBreak(kind);
  // A block that opens ends the paragraph before it, which HTML does not
  // close for it, and so the paragraph's own line spacing.
  if (kind == kBreakOpenBlock && fParagraphSpaced) ApplyHTMLLineSpacing(false);
}

void HtmlReader::InsertHTMLBreak(int32_t kind) {
  // Pages wrap an item's text in a paragraph or block of its own
  // ("<li><p>text"): opened right after a numbered item's label, with nothing
  // typed since, it breaks nothing, so label and text stay one paragraph.
  if (!fPreformatted && fMode == kModeBody && (kind == kBreakOpenBlock || kind == kBreakOpenParagraph) &&
      fLabelEnd >= 0 && Body().GetSelEnd() == fLabelEnd)
    return;
  fLabelEnd = -1;
  // A block or paragraph that opens in an empty item is the item's text;
  // any other break ends the item, which keeps its paragraph.
  const bool emptyItemEnds = fItemEmpty && fLastBreak != kBreakTyped && kind != kBreakOpenBlock &&
                             kind != kBreakOpenParagraph;
  if (!fPreformatted && !emptyItemEnds) {
    const bool atStart = fLastBreak == kBreakNone && (kind == kBreakOpenBlock || kind == kBreakOpenParagraph);
    const bool afterBreak = fLastBreak >= kBreakOpenBlock && kind >= kBreakOpenBlock;
    if (atStart || afterBreak) {
      fLastBreak = kind;
      return;
    }
  }
  if (fMode == kModeBody) {
    if (fLastBreak == kBreakTyped) fTextEnd = Body().GetSelEnd();
    NewParagraphEnd();
    fLastWasSpace = true;
    if (fItemPending) {
      if (fTabRemovalPending) {
        Set(kPropTabs, int32_t(MakeTabStop(TabStopPosition(fListTab), 0, kTabNone)));
        fTabRemovalPending = false;
      }
      Set(kPropFirstLineIndent, 0);
      Set(kPropBullet, 0);
      if (fItemAligned) Set(kPropAlignment, fAlign);
      if (fItemSpaced) Set(kPropInterline, fInterline);
      fItemAligned = fItemSpaced = false;
      fItemPending = false;
      fItemEmpty = fItemUnmarked = false;
    }
    if (kind >= kBreakOpenBlock && kind <= kBreakCloseParagraph) {
      // The spacing paragraph stands for a margin, which a paragraph's
      // line spacing does not widen.
      Set(kPropSize, kSpacingPoints);
      Set(kPropInterline, kHTMLSingleInterline);
      NewParagraphEnd();
      Set(kPropSize, Points(fSizeIndex));
      Set(kPropInterline, fInterline);
    }
  }
  fLastBreak = kind;
}

void HtmlReader::ApplyHTMLAlign(bool opening) {
  int32_t align = fAlign;
  if (opening) {
    if (const std::string* value = fParams.GetValue("align")) {
      const std::string v = Lowered(*value);
      align = v == "center" ? 1 : v == "right" ? 2 : v == "justify" ? 3 : fAlign;
    }
  }
  PushHTMLProperty(kPropAlignment, fAlignStack, fAlign, align, opening);
}

void HtmlReader::FontAttributes(bool opening) {
  int32_t size = fSizeIndex;
  int32_t font = fFont;
  int32_t colour = fColour;
  if (opening) {
    if (const std::string* value = fParams.GetValue("size")) {
      if (!value->empty() && (*value)[0] == '+')
        size = fSizeIndex + LeadingNumber(*value, 1);
      else if (!value->empty() && (*value)[0] == '-')
        size = fSizeIndex - LeadingNumber(*value, 1);
      else
        size = LeadingNumber(*value);
      size = std::clamp(size, 1, 7);
    }
    if (fParams.GetValue("face") != nullptr) font = FontIndex(AttributeText("face"));
    if (const std::string* value = fParams.GetValue("color")) colour = ParseHTMLColor(*value);
  }
  PushHTMLProperty(kPropSize, fSizeStack, fSizeIndex, size, opening);
  PushHTMLProperty(kPropFont, fFontStack, fFont, font, opening);
  PushHTMLProperty(kPropTextColour, fColourStack, fColour, colour, opening);
}

void HtmlReader::SetHTMLMode(int32_t mode, bool opening) {
  if (mode == kModeLink) {
    if (opening) {
      // A link in the page's text: its text is typed as any other, in its
      // looks and with its pictures, and becomes the link's where it ends.
      if (fMode == kModeBody) {
        fLinkStart = Body().GetSelEnd();
        fLinkPart = fPart;
        fLinkTarget = AttributeText("href");
      }
      PushMode(mode, true);
      return;
    }
    if (fMode != kModeLink) return;
    PushMode(mode, false);
    if (fMode != kModeBody || fLinkStart < 0) return;
    const int32_t start = fLinkStart;
    fLinkStart = -1;
    // An anchor without a target is no link: its text stays text; so is a
    // link whose text a header's or footer's end left behind.
    if (fLinkTarget.empty() || fLinkPart != fPart || start > Body().GetSelEnd()) return;
    VStrInHandle target;
    target.SetUniChars(fLinkTarget.data(), 0, int32_t(fLinkTarget.size()));
    // Without a title the link takes the text typed since it opened as
    // its own, as a link made on selected text does: a link without text
    // (pandoc puts one before each line of a code block, as an anchor to
    // it) shows nothing, as in a browser. The looks waiting at the link's
    // end go on after it.
    xMorvaEngine& part = Body();
    xMorvaProperties waiting;
    waiting.Assign(part.GetCurrentProperties());
    part.SetSelection(start, part.GetSelEnd());
    xMorvaHyperlink link(xMorvaHyperlink::kURL, true, target, VStrInHandle());
    part.InsertHyperlink(link, false);
    CaretToEnd();
    for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) part.SetPropertyValue(id, waiting.GetProperty(id));
    fLastBreak = kBreakTyped;
    return;
  }
  int32_t font = fFont;
  int32_t colour = fColour;
  if (opening) {
    if (fParams.GetValue("basefont") != nullptr) font = FontIndex(AttributeText("basefont"));
    if (const std::string* value = fParams.GetValue("text")) colour = ParseHTMLColor(*value);
  }
  if (opening) PushMode(mode, true);
  PushHTMLProperty(kPropFont, fFontStack, fFont, font, opening);
  PushHTMLProperty(kPropTextColour, fColourStack, fColour, colour, opening);
  if (!opening) PushMode(mode, false);
}

// The list kind a "type" attribute names, or `kind` when it names none.
int32_t ListKindOfType(const std::string* type, int32_t kind) {
  if (type == nullptr) return kind;
  const std::string v = Lowered(*type);
  if (v == "disc") return kListDisc;
  if (v == "square") return kListSquare;
  if (v == "circle") return kListCircle;
  if (v == "1") return kListDecimal;
  if (v == "a") return kListLetters;
  if (v == "i") return kListRoman;
  return kind;
}

// The value an inline style gives the property `name` (lowered, the
// blanks around it left out), or empty when it gives none. A style is a
// list of declarations "name: value" split by ";".
std::string StyleValue(const std::string* style, std::string_view name) {
  if (style == nullptr) return {};
  const std::string text = Lowered(*style);
  auto trimmed = [](std::string_view part) {
    while (!part.empty() && uint8_t(part.front()) <= ' ') part.remove_prefix(1);
    while (!part.empty() && uint8_t(part.back()) <= ' ') part.remove_suffix(1);
    return part;
  };
  for (size_t start = 0; start <= text.size();) {
    size_t end = text.find(';', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view declaration = std::string_view(text).substr(start, end - start);
    const size_t colon = declaration.find(':');
    if (colon != std::string_view::npos && trimmed(declaration.substr(0, colon)) == name)
      return std::string(trimmed(declaration.substr(colon + 1)));
    start = end + 1;
  }
  return {};
}

// The alignment an inline style's "text-align" gives (1 centre, 2 right,
// 3 justify, 0 left), or -1 when it gives none.
int32_t StyleAlignment(const std::string* style) {
  const std::string value = StyleValue(style, "text-align");
  const std::string_view word = std::string_view(value).substr(0, value.find(' '));
  if (word == "center") return 1;
  if (word == "right") return 2;
  if (word == "justify") return 3;
  if (word == "left") return 0;
  return -1;
}

// The line spacing, in tenths of a line, that an inline style's
// "line-height" gives: a number is a factor of the font size ("1.5"), a
// percentage the same in hundredths ("150%"), "normal" the single line;
// 0 when it gives none of these. A length ("0.21in") would be an exact
// line height, which a paragraph of ours does not have.
int32_t StyleInterline(const std::string* style) {
  const std::string value = StyleValue(style, "line-height");
  if (value == "normal") return kHTMLSingleInterline;
  double number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || !(number > 0)) return 0;
  const std::string_view unit = std::string_view(end, size_t(value.data() + value.size() - end));
  if (unit == "%")
    number /= 100;
  else if (!unit.empty())
    return 0;
  return int32_t(
      std::lround(std::clamp(number * kHTMLSingleInterline, 1.0, double(kMostStyleInterline))));
}

void HtmlReader::ApplyHTMLLineSpacing(bool opening) {
  if (fParagraphSpaced) PushHTMLProperty(kPropInterline, fInterlineStack, fInterline, 0, false);
  fParagraphSpaced = opening;
  if (!opening) return;
  const int32_t own = StyleInterline(fParams.GetValue("style"));
  PushHTMLProperty(kPropInterline, fInterlineStack, fInterline, own > 0 ? own : fInterline, true);
}

void HtmlReader::ReadHTMLListType() {
  fListKind = ListKindOfType(fParams.GetValue("type"), fListKind);
  if (const std::string* value = fParams.GetValue("value")) fListNumber = LeadingNumber(*value);
}

void HtmlReader::StartHTMLList(bool ordered, bool opening) {
  // A list inside a list (in one of its items) starts and ends on a line
  // of its own, without the empty paragraph that stands for the margin
  // around a list.
  const bool nested = fListKindStack.size() > (opening ? 0u : 1u);
  // A list that opens in an empty item without a bullet takes the item's
  // paragraph for its first item; an empty item with a bullet keeps its
  // own paragraph, before the list.
  if (nested && opening && fItemUnmarked) fItemEmpty = false;
  BreakHTMLParagraph(nested ? kBreakLine : opening ? kBreakOpenBlock : kBreakCloseBlock);
  if (opening) {
    fListKindStack.push_back(fListKind);
    fListNumberStack.push_back(fListNumber);
    fListNumber = 1;
    fListKind = ordered ? kListDecimal : kListDisc;
    ReadHTMLListType();
  } else {
    if (!fListKindStack.empty()) fListKind = fListKindStack.back(), fListKindStack.pop_back();
    if (!fListNumberStack.empty()) fListNumber = fListNumberStack.back(), fListNumberStack.pop_back();
  }
  PushHTMLIndent(kPropLeftIndent, fLeftStack, fLeftLevel, double(int64_t(fLeftLevel + 1.5)), opening);
}

void HtmlReader::StartHTMLListItem() {
  BreakHTMLParagraph(kBreakLine);
  fItemPending = true;
  // An item's type is its own: the next item takes the list's again.
  const int32_t kind = ListKindOfType(fParams.GetValue("type"), fListKind);
  if (const std::string* value = fParams.GetValue("value")) fListNumber = LeadingNumber(*value);
  if (fMode == kModeBody) {
    // An item's alignment and line spacing, which HTML gives it in its
    // style, hold for the item alone.
    const int32_t align = StyleAlignment(fParams.GetValue("style"));
    if (align >= 0 && align != fAlign) {
      Set(kPropAlignment, align);
      fItemAligned = true;
    }
    const int32_t interline = StyleInterline(fParams.GetValue("style"));
    if (interline > 0 && interline != fInterline) {
      Set(kPropInterline, interline);
      fItemSpaced = true;
    }
    const xMorvaDocParams& params = fDocument.GetParams();
    if (kind == kListDecimal || kind == kListLetters || kind == kListRoman) {
      Set(kPropFirstLineIndent, params.FromDisplayUnit(-1.5));
      const int32_t position = std::clamp(params.FromDisplayUnit(fLeftLevel - 0.5), 0, kMaxTabPosition);
      fListTab = MakeTabStop(int16_t(position), 0, kTabRight);
      fTabRemovalPending = true;
      Set(kPropTabs, int32_t(fListTab));
      char16_t number[kListNumberUnits + 1] = {};
      const int32_t units = FormatListNumber(fListNumber, kind - kListDecimal, &number[kListNumberUnits - 1]);
      Body().InsertTab();
      for (int32_t i = kListNumberUnits - units; i < kListNumberUnits; ++i) Body().TypeCharacter(number[i]);
      Body().TypeCharacter(u'.');
      Body().InsertTab();
      CaretToEnd();
      fLastBreak = kBreakTyped;
      fLabelEnd = Body().GetSelEnd();
    } else {
      Set(kPropBullet, kind == kListSquare ? kBulletSquare : kind == kListCircle ? kBulletCircle : kBulletDisc);
      fItemEmpty = true;
      fItemUnmarked = StyleValue(fParams.GetValue("style"), "list-style-type") == "none";
    }
  }
  if (fListNumber < (1 << 24)) ++fListNumber;
}

void HtmlReader::InsertHTMLRule() {
  BreakHTMLParagraph(kBreakLine);
  if (fMode != kModeBody) return;
  const int32_t left = Body().GetPropertyValue(kPropLeftIndent);
  const int32_t right = Body().GetPropertyValue(kPropRightIndent);
  const int32_t size = Body().GetPropertyValue(kPropSize);
  if (const std::string* width = fParams.GetValue("width")) {
    const int32_t available = std::max(0, fDocument.CurrentTextWidth(fPart) - left - right);
    int32_t rule = LeadingNumber(*width);
    if (!width->empty() && width->back() == '%') rule = int32_t(int64_t(available) * std::min(rule, 100) / 100);
    const int32_t unused = std::max(0, available - rule);
    const std::string align = fParams.GetValue("align") != nullptr ? Lowered(*fParams.GetValue("align")) : "left";
    if (align == "right") {
      Set(kPropLeftIndent, left + unused);
    } else if (align == "center") {
      Set(kPropLeftIndent, left + unused / 2);
      Set(kPropRightIndent, right + unused / 2);
    } else {
      Set(kPropRightIndent, right + unused);
    }
  }
  const std::string* colour = fParams.GetValue("color");
  int32_t style = kRuleStyle;
  if (const std::string* thickness = fParams.GetValue("size")) {
    const int32_t n = LeadingNumber(*thickness);
    style = n < 2 ? 0 : n == 2 ? 1 : 2;
  }
  Set(kPropBorderColour, colour != nullptr ? ParseHTMLColor(*colour) : kRuleColour);
  Set(kPropBorderStyle, style);
  Set(kPropSize, kRulePoints);
  Set(kPropBottomBorder, 1);
  fLastBreak = kBreakTyped;
  BreakHTMLParagraph(kBreakLine);
  Set(kPropBottomBorder, 0);
  Set(kPropBorderColour, 0);
  Set(kPropBorderStyle, 0);
  Set(kPropLeftIndent, left);
  Set(kPropRightIndent, right);
  fLastBreak = kBreakTyped;
  BreakHTMLParagraph(kBreakLine);
  Set(kPropSize, size);
}

void HtmlReader::TableCharacters(bool opening) {
  PushHTMLProperty(kPropBold, fBoldStack, fBold, 0, opening);
  PushHTMLProperty(kPropItalic, fItalicStack, fItalic, 0, opening);
  PushHTMLProperty(kPropUnderline, fUnderlineStack, fUnderline, 0, opening);
  PushHTMLProperty(kPropStrikeOut, fStrikeStack, fStrike, 0, opening);
  PushHTMLProperty(kPropVerticalPosition, fPositionStack, fPosition, 0, opening);
  PushHTMLProperty(kPropSize, fSizeStack, fSizeIndex, 3, opening);
  PushHTMLProperty(kPropFont, fFontStack, fFont, fProportionalFont, opening);
  const std::string* colour = opening ? fParams.GetValue("bgcolor") : nullptr;
  PushHTMLProperty(kPropBackColour, fBackStack, fBack, colour != nullptr ? ParseHTMLColor(*colour) : fBack, opening);
}

void HtmlReader::InsertHTMLImage() {
  if (!TypesText() || fFolder.empty()) return;
  const std::string* src = fParams.GetValue("src");
  if (src == nullptr || src->empty() || src->size() > kMaxImagePath) return;
  std::string path = *src;
  std::replace(path.begin(), path.end(), '\\', '/');
  // Only a path relative to the page names a file beside it: an absolute
  // path or a URL is not read.
  if (path[0] == '/' || path.find(':') != std::string::npos) return;
  std::string file = fFolder;
  while (!file.empty() && file.back() == '/') file.pop_back();
  size_t start = 0;
  for (;;) {
    const size_t slash = path.find('/', start);
    const std::string component = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (slash == std::string::npos) {
      if (component.empty() || component == "." || component == "..") return;
      file += "/" + component;
      break;
    }
    if (component == "..") {
      const size_t parent = file.rfind('/');
      if (parent == std::string::npos || parent == 0) return;
      file.erase(parent);
    } else if (!component.empty() && component[0] != '.') {
      file += "/" + component;
    }
    start = slash + 1;
  }
  VPictPictureData picture;
  picture.SetFromFile(file);
  if (picture.GetHandle() == 0) return;
  const std::string* width = fParams.GetValue("width");
  const std::string* height = fParams.GetValue("height");
  const int32_t w = width != nullptr && height != nullptr ? LeadingNumber(*width) : -1;
  const int32_t h = width != nullptr && height != nullptr ? LeadingNumber(*height) : -1;
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  if (element == 0) return;
  if (MakePictureElement(picture, element, w > 0 ? w : -1, h > 0 ? h : -1, -1, 0) &&
      Body().InsertHandle(element, 1) == 0) {
    CaretToEnd();
    fLastBreak = kBreakTyped;
    // A picture stands between words: a space after it is one.
    fLastWasSpace = false;
  }
  gMemoryMgr->DisposeHandle(element);
}

void HtmlReader::ParseHTMLTag(const std::string& name, bool opening) {
  auto heading = [&](int32_t size) {
    BreakHTMLParagraph(opening ? kBreakOpenBlock : kBreakCloseBlock);
    ApplyHTMLAlign(opening);
    PushHTMLProperty(kPropBold, fBoldStack, fBold, 1, opening);
    PushHTMLProperty(kPropSize, fSizeStack, fSizeIndex, size, opening);
  };
  const std::string_view n = name;
  if (n == "p") {
    BreakHTMLParagraph(opening ? kBreakOpenParagraph : kBreakCloseParagraph);
    ApplyHTMLAlign(opening);
    ApplyHTMLLineSpacing(opening);
  } else if (n == "br") {
    BreakHTMLParagraph(kBreakLine);
  } else if (n == "pre") {
    fPreformatted = opening;
    PushHTMLProperty(kPropFont, fFontStack, fFont, fFixedFont, opening);
    PushHTMLProperty(kPropSize, fSizeStack, fSizeIndex, 2, opening);
  } else if (n == "a") {
    SetHTMLMode(kModeLink, opening);
  } else if (n == "blockquote") {
    BreakHTMLParagraph(opening ? kBreakOpenBlock : kBreakCloseBlock);
    PushHTMLIndent(kPropLeftIndent, fLeftStack, fLeftLevel, double(int64_t(fLeftLevel + 1)), opening);
    PushHTMLIndent(kPropRightIndent, fRightStack, fRightLevel, double(int64_t(fRightLevel + 1)), opening);
  } else if (n == "div") {
    if (opening) {
      const bool part = EnterHeaderOrFooter();
      fDivs.push_back(part);
      if (!part) BreakHTMLParagraph(kBreakOpenBlock);
      ApplyHTMLAlign(true);
    } else {
      const bool part = !fDivs.empty() && fDivs.back();
      if (!fDivs.empty()) fDivs.pop_back();
      if (!part) BreakHTMLParagraph(kBreakCloseBlock);
      ApplyHTMLAlign(false);
      if (part) LeaveHeaderOrFooter();
    }
  } else if (n == "font") {
    FontAttributes(opening);
  } else if (n == "b" || n == "strong") {
    PushHTMLProperty(kPropBold, fBoldStack, fBold, 1, opening);
  } else if (n == "i" || n == "em" || n == "cite") {
    PushHTMLProperty(kPropItalic, fItalicStack, fItalic, 1, opening);
  } else if (n == "u" || n == "ins") {
    PushHTMLProperty(kPropUnderline, fUnderlineStack, fUnderline, 1, opening);
  } else if (n == "s" || n == "strike" || n == "del") {
    PushHTMLProperty(kPropStrikeOut, fStrikeStack, fStrike, 1, opening);
  } else if (n == "sup") {
    PushHTMLProperty(kPropVerticalPosition, fPositionStack, fPosition, 1, opening);
  } else if (n == "sub") {
    PushHTMLProperty(kPropVerticalPosition, fPositionStack, fPosition, 2, opening);
  } else if (n == "small") {
    PushHTMLProperty(kPropSize, fSizeStack, fSizeIndex, 2, opening);
  } else if (n == "big") {
    PushHTMLProperty(kPropSize, fSizeStack, fSizeIndex, 4, opening);
  } else if (n == "tt" || n == "code" || n == "samp") {
    PushHTMLProperty(kPropFont, fFontStack, fFont, fFixedFont, opening);
  } else if (n.size() == 2 && n[0] == 'h' && n[1] >= '1' && n[1] <= '6') {
    heading(7 - (n[1] - '0'));
  } else if (n == "address") {
    BreakHTMLParagraph(opening ? kBreakOpenBlock : kBreakCloseBlock);
    PushHTMLProperty(kPropItalic, fItalicStack, fItalic, 1, opening);
  } else if (n == "ul" || n == "menu" || n == "dir") {
    StartHTMLList(false, opening);
  } else if (n == "ol") {
    StartHTMLList(true, opening);
  } else if (n == "li") {
    if (opening) StartHTMLListItem();
  } else if (n == "body") {
    SetHTMLMode(kModeBody, opening);
  } else if (n == "title") {
    SetHTMLMode(kModeTitle, opening);
  } else if (n == "head") {
    SetHTMLMode(kModeHead, opening);
  } else if (n == "script" || n == "applet" || n == "option" || n == "select") {
    // Their content is no text of the page. Only an opening tag starts the
    // skip: a stray closing tag must not take the rest of the page with it.
    if (opening) SkipPast("</" + name + ">");
  } else if (n == "dl") {
    BreakHTMLParagraph(opening ? kBreakOpenParagraph : kBreakCloseParagraph);
    PushHTMLIndent(kPropLeftIndent, fLeftStack, fLeftLevel, double(int64_t(fLeftLevel)), opening);
  } else if (n == "dt" || n == "dd") {
    if (opening) {
      BreakHTMLParagraph(kBreakLine);
      if (fMode == kModeBody)
        Set(kPropLeftIndent, fDocument.GetParams().FromDisplayUnit(fLeftLevel + (n == "dd" ? 1 : 0)));
    }
  } else if (n == "hr") {
    if (opening) InsertHTMLRule();
  } else if (n == "table") {
    BreakHTMLParagraph(opening ? kBreakOpenBlock : kBreakCloseBlock);
    TableCharacters(opening);
  } else if (n == "tr") {
    BreakHTMLParagraph(kBreakLine);
    if (opening) {
      const std::string* colour = fParams.GetValue("bgcolor");
      SetProperty(kPropBackColour, colour != nullptr ? ParseHTMLColor(*colour) : fBack);
      fFirstCell = true;
    }
  } else if (n == "td" || n == "th") {
    if (opening) {
      if (!fFirstCell && fMode == kModeBody) {
        Body().InsertTab();
        CaretToEnd();
        fLastBreak = kBreakTyped;
      }
      const std::string* colour = fParams.GetValue("bgcolor");
      SetProperty(kPropBackColour, colour != nullptr ? ParseHTMLColor(*colour) : fBack);
      fFirstCell = false;
    }
    PushHTMLProperty(kPropBold, fBoldStack, fBold, n == "th" ? 1 : 0, opening);
  } else if (n == "img") {
    InsertHTMLImage();
  } else if (n == "meta" && opening) {
    // A page that says it is UTF-8 is read as UTF-8.
    const std::string* charset = fParams.GetValue("charset");
    const std::string* content = fParams.GetValue("content");
    const std::string text = Lowered(charset != nullptr ? *charset : content != nullptr ? *content : "");
    if (text.find("utf-8") != std::string::npos || text.find("utf8") != std::string::npos) fUtf8 = true;
  }
}

}  // namespace

int32_t ParseHTMLColor(const std::string& value) {
  if (value.size() == 7 && value[0] == '#') {
    int32_t parts[3];
    for (int i = 0; i < 3; ++i) {
      const int high = HexDigit(value[size_t(1 + 2 * i)]);
      const int low = HexDigit(value[size_t(2 + 2 * i)]);
      parts[i] = (high < 0 ? 0 : high) * 16 + (low < 0 ? 0 : low);
    }
    return parts[2] << 16 | parts[1] << 8 | parts[0];
  }
  if (value.size() > 64) return 0;
  for (const HTMLColor& entry : HTMLColorTable)
    if (value == entry.name) return entry.blue << 16 | entry.green << 8 | entry.red;
  return 0;
}

int32_t xMorvaImportHTML::ImportHTMLDocument(xMorvaDocument& document, VStream& stream, const std::string& folder) {
  // The page is read in windows as the parse goes, never held whole.
  const uint32_t size = stream.GetSize();
  const uint32_t position = stream.GetPosition();
  return Import(document, nullptr, size > position ? size - position : 0, &stream, folder);
}

int32_t xMorvaImportHTML::ImportHTMLBytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size,
                                          const std::string& folder) {
  return Import(document, bytes, size, nullptr, folder);
}

int32_t xMorvaImportHTML::Import(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, VStream* stream,
                                 const std::string& folder) {
  document.Reset(true);
  document.ResetFontTable();
  xMorvaUndo* undo = document.GetUndo();
  const bool recording = undo != nullptr && undo->IsRecording();
  if (undo != nullptr) undo->Suspend();
  auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody));
  if (body != nullptr) {
    std::unique_ptr<VStreamProgress> progress;
    if (size > kProgressThreshold)
      progress.reset(document.NewProgressStatus(kProgressReadingHTML, size));
    HtmlReader reader(document, *body, bytes, size, stream, folder);
    reader.ParseHTMLText(progress.get());
  }
  if (recording) undo->Resume();
  document.SelectBody();
  if (body != nullptr) body->SetSelection(0, 0);
  return 0;
}
