// The RTF reader: one pass over the bytes, every control word looked up in
// one keyword table; character and paragraph settings live in a state that
// each brace saves and restores. The text of each part is built as element
// bytes (units, property records, special elements) and handed to the part's
// engine in one insertion, so a long file costs one copy, not one per
// character.
#include "interchange/rtf/xMorvaImportRTF.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "document/xMorvaUndo.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/streams/VStreamProgress.h"
#include "framework/core/strings/VUniString.h"
#include "interchange/fields/xMorvaDateTimeForm.h"
#include "interchange/pages/xMorvaHeaderFooterFit.h"
#include "interchange/rtf/RtfKeywords.h"

namespace {

constexpr int32_t kErrorDamaged = 1015;
constexpr int32_t kErrorNoMemory = 1041;

// Destinations: where the bytes of a group go.
enum RtfDestination : uint8_t {
  kDestBody = 0,
  kDestFontTable = 1,
  kDestColourTable = 2,
  kDestPart = 3,
  kDestSkip = 4,
  // The style sheet, and one style's definition inside it.
  kDestStyleSheet = 5,
  kDestStyle = 6,
  // A list item's label, kept aside until its group ends.
  kDestListText = 7,
  // A field's instruction, kept aside until its group ends.
  kDestFieldInstruction = 8,
};
// Input states.
enum InputState : uint8_t { kInputNormal = 0, kInputHex = 2 };

// Font numbers the font map holds; others leave the font as it was.
constexpr int32_t kMaxFontNumber = 65536;
// Colour table entries kept; further entries are read and dropped.
constexpr int32_t kMaxColours = 512;
constexpr int32_t kWhiteColour = 0xFFFFFF;
// A keyword or a number longer than this is read whole and cannot match.
constexpr int32_t kMaxWordLength = 31;
// Font names longer than this are cut.
constexpr int32_t kMaxFontName = 63;
// Inputs longer than this show the progress of the read, advanced every
// kReadProgressStep bytes.
constexpr uint32_t kReadProgressThreshold = 5000;
constexpr size_t kReadProgressStep = 1 << 16;
// A stream is read in windows of this many bytes.
constexpr size_t kReadWindow = 64 * 1024;
// A file's text goes to the engine in pieces of about this many bytes.
constexpr size_t kEngineFlushSize = 64 * 1024;
// The largest half-point size kept: twice the largest point size.
constexpr int32_t kMaxHalfPoints = 2 * kMaxPointSize;
// The bytes of a tab element's layout cache, and the unit a soft hyphen
// element shows.
constexpr uint32_t kTabCacheSize = 14;
constexpr char16_t kUnitSoftHyphen = 173;

struct CharacterBlock {
  uint8_t bold = 0;
  uint8_t underline = 0;
  uint8_t italic = 0;
  uint8_t position = 0;
  uint8_t caps = 0;
  int32_t font = 0;
  uint16_t halfPoints = 0;
  // Indexes into the colour table; 0 is the automatic colour.
  int32_t textColour = 0;
  int32_t backColour = 0;
  // The background came as a highlight: a white one is no background.
  bool backIsHighlight = false;
  uint8_t strike = 0;
  uint8_t shadow = 0;
  // The colour being defined in the colour table.
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const CharacterBlock&) const = default;
};

// The bit of RtfState::explicitSet for a setting: a highlight and a
// background are one setting.
uint64_t SettingBit(int32_t property) {
  return uint64_t(1) << (property == kRtfPropHighlight ? kRtfPropBackColour : property);
}

struct ParagraphBlock {
  int32_t left = 0;
  int32_t right = 0;
  int32_t first = 0;
  int32_t spacing = 0;
  // \slmult: the spacing is a multiple of single lines (240 a line)
  // rather than a height in twips.
  bool lineMultiple = false;
  // Space before and after the paragraph, twips.
  int32_t before = 0;
  int32_t after = 0;
  int32_t tabPosition = 0;
  uint8_t tabKind = 0;
  uint8_t tabLeader = 0;
  uint8_t alignment = 0;
  // \pagebb: the paragraph starts a page, until \pard.
  bool pageBreakBefore = false;
  // \pard was read: the block gives the paragraph's spacing even where it
  // names none. Before it a pasted paragraph that names none keeps the
  // spacing it has.
  bool reset = false;
};

struct RtfState {
  CharacterBlock c;
  ParagraphBlock p;
  uint8_t destination = kDestBody;
  int16_t part = kPartBody;
  // \ucN: the fallback characters that follow each \u, scoped by groups
  // as character settings are.
  int32_t unicodeSkip = 1;
  // The settings (one bit per property action) the text gave explicitly
  // since the last \plain (character settings) or \pard (paragraph
  // settings): a style named after them does not undo them.
  uint64_t explicitSet = 0;
  // Set in a field's group once its instruction made a live element: the
  // field's result, a copy of what the element shows, is not read.
  bool fieldMade = false;
  // Set by \fldlock in a field's group: the field keeps its result.
  bool fieldLocked = false;
};

// A style of the style sheet: the settings it gives, as the property
// actions and values read in its definition, and the style it is based on.
struct RtfStyle {
  int32_t number = 0;
  bool character = false;
  int32_t basedOn = -1;
  std::vector<std::pair<int32_t, int32_t>> settings;
};
static_assert(kRtfPropParagraphStyle < 64, "one bit of RtfState::explicitSet per setting");
// Styles based on styles: a chain longer than this is a loop.
constexpr int32_t kMaxStyleChain = 16;
// The settings a style keeps (real ones have a few dozen): a hostile file
// cannot make every paragraph that names it cost what the file holds.
constexpr size_t kMaxStyleSettings = 256;
// The fallback characters \uc may ask to skip are held to this many.
constexpr int32_t kMaxUnicodeSkip = 16;
// The interline a paragraph can hold, in tenths of a line.
constexpr int32_t kMinInterline = 10;
constexpr int32_t kMaxInterline = 100;
// A field's instruction is read up to this many characters: the ones we
// keep live are a few dozen long.
constexpr size_t kMaxFieldInstruction = 256;
// Paragraph settings a list item's label group gives, kept in case the
// group holds the item's whole paragraph; a hostile file cannot make it
// keep more.
constexpr size_t kMaxLabelSettings = 64;
// \sbkpage: a section that starts on a new page (the default).
constexpr int32_t kSectionBreakPage = 4;
constexpr int32_t kSectionBreakNone = 0;
constexpr int32_t kSectionBreakColumn = 1;
constexpr size_t kNoRecord = SIZE_MAX;

// One part's text as element bytes, with the properties in effect at their
// end (`stream`) and the values the next characters take (`current`).
// Paragraph records are written at the paragraph's start once the paragraph
// ends, since RTF gives a paragraph's settings anywhere before its end.
struct PartText {
  std::vector<uint8_t> bytes;
  int32_t positions = 0;
  xMorvaProperties stream;
  xMorvaTabs streamTabs;
  xMorvaProperties current;
  xMorvaTabs currentTabs;
  size_t paragraphStart = 0;
  // The units of the paragraph being read: how many lines it takes is
  // estimated from them, to spread its space before and after over them.
  int32_t paragraphUnits = 0;
  // The paragraph settings in effect at its last unit: those of a last
  // paragraph that no paragraph end closes.
  ParagraphBlock lastBlock;
  // A paste's first paragraph joins the paragraph at the insertion point.
  // The paragraph end that closes it brings its settings to that paragraph:
  // they are kept here (`firstClosed`) and written at that paragraph's
  // start once the text is in, and the bytes go on from them.
  bool joinsExisting = false;
  bool firstClosed = false;
  xMorvaProperties firstProperties;
  xMorvaTabs firstTabs;
  bool charactersDirty = true;
  // The last paragraph end: a file's final \par closes the last paragraph
  // rather than starting an empty one, so when nothing follows it the end
  // is taken back. A paste keeps it.
  bool endIsLast = false;
  size_t endAt = 0;
  // The paragraph closed last, which the space before the next one widens
  // (the gap shows above that one, and none above a part's first): where
  // its records start, where its interline record is (kNoRecord: it has
  // none, the interline went on from the paragraph before), the interline
  // it has, and its last font, units and indents, from which the lines it
  // takes are estimated.
  bool aboveValid = false;
  // The paragraph above is a paste's first one: its settings are
  // firstProperties.
  bool aboveJoined = false;
  size_t aboveStart = 0;
  size_t aboveRecord = kNoRecord;
  int32_t aboveInterline = kMinInterline;
  int32_t aboveFont = 1;
  int32_t aboveSize = 12;
  int32_t aboveUnits = 0;
  int32_t aboveIndents = 0;
  // A \sect closed the paragraph: its end, or the break the next section
  // starts with, goes in when more text follows. After a paragraph end the
  // \sect closes no paragraph of its own: that end becomes the break.
  bool sectionPending = false;
  bool sectionAfterEnd = false;
  // A paste's paragraph ends are its \par words. A \page or \column
  // closes the paragraph before it only when a \par follows: where none
  // does, the settings written since the last one go again
  // (ReopenBrokenParagraph). `breakClosed`: a break closed a paragraph
  // since the last \par; `pastedEnd`: a \par was read, after which the
  // text held `endPositions` positions.
  bool breakClosed = false;
  bool pastedEnd = false;
  int32_t endPositions = 0;
};

// A part's text as it stands before anything is read into it.
void ResetPartText(PartText& text) {
  text.bytes.clear();
  text.positions = 0;
  text.stream.SetDefaults();
  text.streamTabs.Clear();
  text.current.SetDefaults();
  text.currentTabs.Clear();
  text.paragraphStart = 0;
  text.paragraphUnits = 0;
  text.lastBlock = ParagraphBlock();
  text.joinsExisting = false;
  text.firstClosed = false;
  text.charactersDirty = true;
  text.endIsLast = false;
  text.endAt = 0;
  text.aboveValid = false;
  text.sectionPending = false;
  text.sectionAfterEnd = false;
  text.breakClosed = false;
  text.pastedEnd = false;
  text.endPositions = 0;
}

void PutRecord(std::vector<uint8_t>& out, size_t at, uint16_t id, uint32_t value) {
  uint8_t record[kRecordSize];
  PutPropertyRecord(record, id, value);
  out.insert(out.begin() + long(at), record, record + kRecordSize);
}

class RtfReader {
 public:
  // A reader that only `checks` reads the data through and touches
  // nothing of the document.
  RtfReader(xMorvaDocument& document, bool paste, bool checks = false)
      : fDocument(document), fPaste(paste || checks), fChecks(checks) {}

  // Prepares the parts: a file import starts each from the defaults, a
  // paste the current part from the properties at its caret.
  // The font map: false when there is no memory for it.
  bool Allocate();
  void Begin(xMorvaEngine* pasteTarget);
  // Parses the bytes, then those of the stream when one is given; a
  // progress (may be null) is advanced as they are read, and answering
  // "stop" ends the input there.
  int32_t ParseRtf(const uint8_t* bytes, size_t size, VStream* stream, VStreamProgress* progress);
  // Closes the last paragraph of each part (a paste restores the settings
  // of the text after it).
  void Finish(xMorvaEngine* pasteTarget);
  // Takes out the paragraph records that breaks after a paste's last \par
  // wrote: the text from that \par on is one paragraph, which joins the
  // text after the paste (`target`, at whose caret the paste starts).
  static void ReopenBrokenParagraph(PartText& text, const xMorvaEngine& target);
  PartText& Part(int16_t part) { return fParts[part]; }
  // Appends the part's bytes before `upTo` to its engine's text and drops
  // them here (file imports only).
  void Flush(int16_t part, size_t upTo);
  int32_t GetFlushError() const { return fFlushError; }
  // Whether the file gave its page (size, orientation or margins), and
  // whether it uses it across.
  bool PageGiven() const { return fPageGiven; }
  // The first section's \footery, pixels; RTF's 720 twips without one.
  int32_t FooterDistance() const { return fFooterY >= 0 ? fFooterY : TwipsToPixels(720); }
  bool Landscape() const { return fLandscape; }
  bool PartUsed(int16_t part) const { return fUsed[part]; }

 private:
  int32_t ParseRtfKeyword();
  void ApplyFormatMargins();
  int32_t TranslateRtfKeyword(std::string_view word, bool hasParameter, int32_t parameter);
  // `escaped`: the byte came as \' and two digits, so it is never a
  // delimiter of the table it stands in.
  int32_t ParseRtfChar(uint32_t code, bool converted, bool escaped = false);
  // Steps over the fallback of a \u: `count` characters, a \' escape or a
  // control word counting as one; a brace ends it.
  void SkipUnicodeFallback(int32_t count);
  void ApplyStyle(int32_t number, bool character, int32_t depth);
  // The interline of the paragraph that ends now: its line spacing, and
  // its space before and after spread over the lines it is estimated to
  // take, measured in the font and size in effect at its end.
  int32_t ParagraphInterline(const PartText& text, const ParagraphBlock& p);
  // The height of a paragraph's last font (`font`, `size`), pixels, and
  // the lines its `units` are estimated to take between its `indents`.
  void MeasureParagraph(int32_t font, int32_t size, int32_t units, int32_t indents, int16_t part,
                        int64_t& height, int64_t& lines);
  // Puts a list item's label (tabs as tab elements) and empties it.
  void PutLabel(std::u16string& label);
  // Twips of space as tenths of a line of `height` pixels, spread over
  // `lines` lines, rounded.
  static int64_t SpaceTenths(int64_t twips, int64_t height, int64_t lines);
  // Closes the paragraph at a paragraph end or a break, with the interline
  // its spacing gives; the setting carried on is left as it was.
  void CloseSpacedParagraph(PartText& text, const ParagraphBlock& p);
  // The space before the paragraph that ends now widens the interline of
  // the paragraph above it, as a Word file's does.
  void PlaceSpaceBefore(PartText& text, const ParagraphBlock& p);
  // Puts the paragraph end a \sect left pending, or the break element the
  // section that follows starts with.
  void ResolveSection(PartText& text);
  void PutSoftHyphen();
  void BreakBeforeParagraph(PartText& text);
  // A paragraph end inside a list item's label group: the group holds the
  // item's paragraph, not just its label.
  void EndLabelParagraph();
  // The live element a field's instruction names, put where the field
  // stands; false for a field that is kept as its result text.
  bool PutLiveField(std::u16string_view instruction);
  // The bytes of a page-number (`dateTime` false) or date-time element of
  // the format, made once by the engine's own inserter; null when it
  // cannot be made.
  const std::vector<uint8_t>* ComputedElement(bool dateTime, uint32_t format);
  void PutElementBytes(const std::vector<uint8_t>& element);
  void PushRtfState();
  int32_t PopRtfState();
  void ChangeRtfDestination(int32_t action);
  void ApplyRtfProperty(int32_t property, int32_t value);
  void ApplyRtfSpecial(int32_t action, int32_t parameter);
  void ApplyDocument(int32_t property, int32_t value);
  void ApplyRtfCharProperties();
  void ApplyParagraph(uint16_t id, int32_t value);
  void ResetParagraph();

  bool InText() const { return fState.destination == kDestBody || fState.destination == kDestPart; }
  PartText& Current() { return fParts[fState.part]; }
  void PutUnit(char16_t unit);
  void PutElement(uint16_t code, const uint8_t* payload, uint32_t a, uint32_t b);
  void SyncCharacters(PartText& text);
  // Writes the paragraph's records at its start; the place of its
  // interline record in the bytes, or kNoRecord.
  size_t CloseParagraph(PartText& text);

  xMorvaDocument& fDocument;
  const bool fPaste;
  const bool fChecks;
  // The input: a window of bytes at fBytes, fSize long, read up to fAt;
  // refilled from fStream, when there is one, through fWindow. fBase counts
  // the bytes the window has moved past.
  bool Fill(size_t count);
  int Peek(size_t ahead) { return Fill(ahead + 1) ? fBytes[fAt + ahead] : -1; }
  void Skip(size_t count);
  const uint8_t* fBytes = nullptr;
  size_t fSize = 0;
  size_t fAt = 0;
  uint64_t fBase = 0;
  VStream* fStream = nullptr;
  bool fEnded = false;
  std::vector<uint8_t> fWindow;
  uint8_t fInput = kInputNormal;
  int32_t fHexDigits = 0;
  uint32_t fHexValue = 0;
  bool fSkipUnknown = false;
  RtfState fState;
  std::vector<RtfState> fSaved;
  int32_t fCharSet = 0;  // 0 Windows, 1 Macintosh
  // The document's font index of each RTF font number defined; 0: none.
  // Zeroed pages the system hands out: only the entries written cost
  // memory.
  struct Free {
    void operator()(int16_t* p) const { std::free(p); }
  };
  std::unique_ptr<int16_t[], Free> fFontMap;
  int32_t fFontBeingDefined = 0;
  VStr<kMaxFontName> fFontName;
  int32_t fColourCount = 0;
  int32_t fColours[kMaxColours] = {};
  PartText fParts[kPartCount];
  bool fUsed[kPartCount] = {};
  int32_t fFlushError = 0;
  // The last \headery and \footery read, pixels: a file opened starts
  // with RTF's 720 twips; -1 for none (a paste).
  int32_t fHeaderY = -1;
  int32_t fFooterY = -1;
  // \deff: the font of text that names none.
  int32_t fDefaultFont = 0;
  std::vector<RtfStyle> fStyles;
  static int64_t StyleKey(int32_t number, bool character) { return int64_t(number) * 2 + (character ? 1 : 0); }
  std::unordered_map<int64_t, size_t> fStyleIndex;
  bool fStyleIndexStale = false;
  // Set while a style's settings are applied: they are not the text's own.
  bool fApplyingStyle = false;
  std::u16string fListText;
  std::unique_ptr<xMorvaFont> fMeasure;
  bool fPageGiven = false;
  bool fLandscape = false;
  // How the next section starts (\sbk...), and the sections ended so far:
  // the document holds one set of page settings, the first section's.
  int32_t fSectionBreak = kSectionBreakPage;
  int32_t fSectionsEnded = 0;
  int32_t fPageNumberStyle = 0;
  std::u16string fFieldInstruction;
  // A date or time field whose picture no form fits: the form shown when
  // the field's group (at this depth of saved states) ends with no result
  // read since the text held this many positions.
  uint16_t fDateFallback = 0;
  size_t fDateFallbackDepth = 0;
  int32_t fDateFallbackPositions = 0;
  CharacterBlock fDateFallbackLook;
  // The character settings at the first word of the field instruction
  // being read.
  CharacterBlock fFieldLook;
  std::vector<std::pair<int32_t, int32_t>> fLabelSettings;
  std::map<std::pair<bool, uint32_t>, std::vector<uint8_t>> fComputed;
  VDateRec fToday{};
  int32_t fSeconds = -1;
};

bool RtfReader::Allocate() {
  fFontMap.reset(static_cast<int16_t*>(std::calloc(size_t(kMaxFontNumber) + 1, sizeof(int16_t))));
  if (!fFontMap) return false;
  fFontMap[0] = 1;
  return true;
}

void RtfReader::Begin(xMorvaEngine* pasteTarget) {
  if (pasteTarget != nullptr) {
    PartText& text = fParts[kPartBody];
    text.stream.Assign(pasteTarget->GetCurrentProperties());
    text.current.Assign(pasteTarget->GetCurrentProperties());
    text.streamTabs.Assign(pasteTarget->GetCurrentTabs());
    text.currentTabs.Assign(pasteTarget->GetCurrentTabs());
    text.joinsExisting = true;
  }
  fUsed[kPartBody] = true;
  if (!fPaste) ApplyFormatMargins();
}

void RtfReader::ApplyFormatMargins() {
  // A file opened starts from RTF's own margins and distances (left and
  // right 1800 twips, top and bottom 1440, header and footer 720), which
  // other readers take where the file gives none, not from those the
  // document had; each word present then sets its own.
  xMorvaDocParams& params = fDocument.Params();
  xMorvaPageBands& bands = params.GetBands(false);
  params.SetLeftMargin(TwipsToPixels(1800));
  params.SetRightMargin(TwipsToPixels(1800));
  // The distances hold also where only a margin is given.
  fHeaderY = fFooterY = TwipsToPixels(720);
  bands.topMargin = bands.headerBottom = TwipsToPixels(1440);
  bands.headerTop = fHeaderY;
  bands.bottomMargin = TwipsToPixels(1440);
  bands.footerTop = fFooterY;
  bands.footerBottom = 0;
}

bool RtfReader::Fill(size_t count) {
  while (fSize - fAt < count) {
    if (fStream == nullptr || fEnded) return false;
    // The unread bytes move to the front and the stream fills the rest.
    const size_t unread = fSize - fAt;
    if (fWindow.size() < unread + kReadWindow) fWindow.resize(unread + kReadWindow);
    if (unread != 0) std::memmove(fWindow.data(), fWindow.data() + fAt, unread);
    fBase += fAt;
    fAt = 0;
    uint32_t length = uint32_t(fWindow.size() - unread);
    const int16_t status = fStream->ReadBytes(fWindow.data() + unread, length);
    if (length == 0 || status != 0) fEnded = true;
    fSize = unread + length;
    fBytes = fWindow.data();
  }
  return true;
}

void RtfReader::Skip(size_t count) {
  while (count > 0 && Fill(1)) {
    const size_t step = std::min(count, fSize - fAt);
    fAt += step;
    count -= step;
  }
}

int32_t RtfReader::ParseRtf(const uint8_t* bytes, size_t size, VStream* stream, VStreamProgress* progress) {
  fBytes = bytes;
  fSize = size;
  fAt = 0;
  fBase = 0;
  fStream = stream;
  int32_t depth = 0;
  uint64_t reported = 0;
  while (Fill(1)) {
    if (progress != nullptr && fBase + fAt - reported >= kReadProgressStep) {
      if (progress->Progress(uint32_t(fBase + fAt - reported))) break;
      reported = fBase + fAt;
    }
    const uint8_t byte = fBytes[fAt++];
    // A zero byte inside the groups is skipped, as other readers skip it
    // (LibreOffice writes some into colour tables); after the last group
    // it ends the data, as it ends the clipboard's.
    if (byte == 0) {
      if (depth > 0) continue;
      break;
    }
    if (byte == '\\') {
      if (const int32_t code = ParseRtfKeyword()) return code;
      continue;
    }
    if (byte == '{') {
      if (depth >= kRtfMaxDepth) return kRtfTooDeep;
      PushRtfState();
      ++depth;
      continue;
    }
    if (byte == '}') {
      if (depth == 0) return kRtfUnbalancedClose;
      if (const int32_t code = PopRtfState()) return code;
      --depth;
      continue;
    }
    if (byte == 10 || byte == 13) continue;
    if (fInput == kInputHex) {
      uint32_t digit;
      if (byte >= '0' && byte <= '9') {
        digit = byte - '0';
      } else if (byte >= 'a' && byte <= 'f') {
        digit = byte - 'a' + 10;
      } else if (byte >= 'A' && byte <= 'F') {
        digit = byte - 'A' + 10;
      } else {
        return kRtfBadHex;
      }
      fHexValue = fHexValue * 16 + digit;
      if (++fHexDigits == 2) {
        fInput = kInputNormal;
        if (const int32_t code = ParseRtfChar(fHexValue, false, true)) return code;
      }
      continue;
    }
    if (const int32_t code = ParseRtfChar(byte, false)) return code;
  }
  if (fInput == kInputHex) return kRtfBadHex;
  return depth > 0 ? kRtfOpenGroup : kRtfOk;
}

int32_t RtfReader::ParseRtfKeyword() {
  if (!Fill(1)) return kRtfEndInControl;
  const uint8_t first = fBytes[fAt];
  auto isLetter = [](int b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); };
  auto isDigit = [](int b) { return b >= '0' && b <= '9'; };
  if (!isLetter(first)) {
    ++fAt;
    // Backslash and a line end is a paragraph end.
    char symbol[1] = {char(first == 10 || first == 13 ? '\n' : first)};
    return TranslateRtfKeyword(std::string_view(symbol, 1), false, 0);
  }
  // A word longer than any the table holds cannot match: it is read whole
  // and ignored, never cut into a shorter word that might.
  char word[kMaxWordLength + 1];
  size_t wordLength = 0;
  bool tooLong = false;
  while (isLetter(Peek(0))) {
    if (wordLength < sizeof word)
      word[wordLength++] = char(fBytes[fAt]);
    else
      tooLong = true;
    ++fAt;
  }
  tooLong = tooLong || wordLength > size_t(kMaxWordLength);
  bool hasParameter = false;
  const bool negative = Peek(0) == '-' && isDigit(Peek(1));  // a lone "-" is text
  if (negative) ++fAt;
  int64_t value = 0;
  while (isDigit(Peek(0))) {
    hasParameter = true;
    // Held to the 32-bit range however many digits follow.
    if (value <= INT32_MAX) value = value * 10 + (fBytes[fAt] - '0');
    ++fAt;
  }
  if (Peek(0) == ' ') ++fAt;
  if (negative) value = -value;
  const int32_t parameter = int32_t(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
  if (tooLong) {
    fSkipUnknown = false;
    return kRtfOk;
  }
  return TranslateRtfKeyword(std::string_view(word, wordLength), hasParameter, parameter);
}

int32_t RtfReader::TranslateRtfKeyword(std::string_view word, bool hasParameter, int32_t parameter) {
  if (word == "uc") {
    // The count is scoped by the group, as RTF defines it.
    fState.unicodeSkip = hasParameter ? std::clamp(parameter, 0, kMaxUnicodeSkip) : 1;
    fSkipUnknown = false;
    return kRtfOk;
  }
  if (word == "u") {
    fSkipUnknown = false;
    if (hasParameter && fState.destination != kDestSkip) {
      // Escaped as much as a \' byte: never a table's delimiter.
      if (const int32_t code = ParseRtfChar(uint16_t(parameter), true, true)) return code;
    }
    // The fallback for readers that lack Unicode follows: as many
    // characters as the \uc in effect says (1 without one).
    SkipUnicodeFallback(fState.unicodeSkip);
    return kRtfOk;
  }
  const RtfKeyword* row = FindRtfKeyword(word);
  if (row == nullptr) {
    if (fSkipUnknown) fState.destination = kDestSkip;
    fSkipUnknown = false;
    return kRtfOk;
  }
  fSkipUnknown = false;
  const int32_t value = row->useDefault || !hasParameter ? row->defaultValue : parameter;
  switch (row->kind) {
    case kRtfKindCharacter:
      return ParseRtfChar(uint32_t(row->index), true);
    case kRtfKindDestination:
      ChangeRtfDestination(row->index);
      return kRtfOk;
    case kRtfKindProperty:
      switch (fState.destination) {
        case kDestSkip:
        case kDestStyleSheet:
          return kRtfOk;
        // The instruction's character settings are the look the field
        // shows in.
        case kDestFieldInstruction:
          if (row->index < kRtfPropCharSet && row->index != kRtfPropRed && row->index != kRtfPropGreen &&
              row->index != kRtfPropBlue)
            ApplyRtfProperty(row->index, value);
          return kRtfOk;
        // A label takes the settings of the text around it; its paragraph
        // settings are kept in case the group turns out to hold the item's
        // whole paragraph.
        case kDestListText:
          if (row->index >= kRtfPropParagraphReset && row->index <= kRtfPropSpaceAfter &&
              fLabelSettings.size() < kMaxLabelSettings)
            fLabelSettings.emplace_back(row->index, value);
          return kRtfOk;
        case kDestStyle: {
          RtfStyle& style = fStyles.back();
          if (row->index == kRtfPropParagraphStyle || row->index == kRtfPropCharacterStyle) {
            style.number = value;
            style.character = row->index == kRtfPropCharacterStyle;
            fStyleIndexStale = true;
          } else if (row->index == kRtfPropBasedOn) {
            style.basedOn = value;
          } else if (row->index < kRtfPropParagraphStyle && row->index != kRtfPropCharSet &&
                     row->index != kRtfPropRed && row->index != kRtfPropGreen && row->index != kRtfPropBlue &&
                     style.settings.size() < kMaxStyleSettings) {
            // Character and paragraph settings only: a style sets nothing
            // of the document.
            style.settings.emplace_back(row->index, value);
          }
          return kRtfOk;
        }
        default:
          ApplyRtfProperty(row->index, value);
          return kRtfOk;
      }
    case kRtfKindSpecial:
      ApplyRtfSpecial(row->index, hasParameter ? parameter : 0);
      return kRtfOk;
    default:
      return kRtfOk;
  }
}

void RtfReader::SkipUnicodeFallback(int32_t count) {
  auto isLetter = [](int b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); };
  auto isDigit = [](int b) { return b >= '0' && b <= '9'; };
  for (int32_t skipped = 0; skipped < count;) {
    const int next = Peek(0);
    // Line ends are no characters of the fallback; a brace ends it.
    if (next == 10 || next == 13) {
      ++fAt;
      continue;
    }
    if (next < 0 || next == '{' || next == '}') return;
    ++skipped;
    if (next != '\\') {
      ++fAt;
      continue;
    }
    const int after = Peek(1);
    if (after == '\'') {
      Skip(4);
    } else if (isLetter(after)) {
      // A control word counts as one character: its letters, its number
      // and the space that delimits it.
      fAt += 2;
      while (isLetter(Peek(0))) ++fAt;
      if (Peek(0) == '-' && isDigit(Peek(1))) ++fAt;
      while (isDigit(Peek(0))) ++fAt;
      if (Peek(0) == ' ') ++fAt;
    } else {
      Skip(after < 0 ? 1 : 2);
    }
  }
}

int32_t RtfReader::ParseRtfChar(uint32_t code, bool converted, bool escaped) {
  switch (fState.destination) {
    case kDestBody:
    case kDestPart: {
      if (code == 0) return kRtfOk;
      if (code == 9) {
        PutElement(xMorvaElementCode::Tab, nullptr, kTabCacheSize, kTabCacheSize);
        return kRtfOk;
      }
      if (code == 13) {
        PartText& text = Current();
        if (text.sectionPending) ResolveSection(text);
        BreakBeforeParagraph(text);
        PlaceSpaceBefore(text, fState.p);
        CloseSpacedParagraph(text, fState.p);
        PutUnit(kUnitParagraphEnd);
        text.endAt = text.bytes.size() - 2;
        text.endIsLast = true;
        text.paragraphStart = text.bytes.size();
        text.joinsExisting = false;
        text.breakClosed = false;
        text.pastedEnd = true;
        text.endPositions = text.positions;
        // A file's finished paragraphs go to the engine as they pile up, so
        // a long file is never held twice; the last paragraph stays here
        // until the next one's space before is known, and its end until it
        // is known not to be the final one.
        if (!fPaste && text.aboveValid && text.aboveStart >= kEngineFlushSize) Flush(fState.part, text.aboveStart);
        return kRtfOk;
      }
      char16_t unit = char16_t(code);
      if (!converted && code >= 128) {
        const uint8_t byte = uint8_t(code);
        unit = 0;
        if (gIntlMgr != nullptr) unit = fCharSet == 1 ? gIntlMgr->MacCharToUni(byte) : gIntlMgr->WinCharToUni(byte);
        if (unit == 0) unit = byte;
      }
      // Other control characters have no place in the text.
      if (unit < 32) return kRtfOk;
      // A soft hyphen given as a character (\'ad, \u173) is the same
      // invisible hyphen as \-.
      if (unit == kUnitSoftHyphen) {
        PutSoftHyphen();
        return kRtfOk;
      }
      PutUnit(unit);
      return kRtfOk;
    }
    case kDestFontTable:
      // A name's own ";" comes escaped; a bare one ends the entry.
      if (code == ';' && !escaped) {
        if (fFontBeingDefined >= 0 && fFontBeingDefined <= kMaxFontNumber) {
          fFontName.TrimChar(u' ');
          if (fFontName.GetLength() > 0 && !fChecks)
            fFontMap[size_t(fFontBeingDefined)] = fDocument.FontIndexForName(fFontName);
        }
        fFontName.SetEmpty(false);
      } else if (code >= 32) {
        char16_t unit = char16_t(code);
        if (!converted && code >= 128 && gIntlMgr != nullptr) {
          const char16_t mapped = fCharSet == 1 ? gIntlMgr->MacCharToUni(uint8_t(code)) : gIntlMgr->WinCharToUni(uint8_t(code));
          if (mapped != 0) unit = mapped;
        }
        fFontName.AppendUniChar(unit);
      }
      return kRtfOk;
    case kDestColourTable:
      // An entry ends at its ";": what its components said is recorded
      // there, and the next entry starts from black, so an entry that names
      // only some components cannot shift the table or take the last one's.
      if (code == ';') {
        if (fColourCount < kMaxColours) {
          fColours[fColourCount++] = int32_t(fState.c.blue) << 16 | int32_t(fState.c.green) << 8 | fState.c.red;
        }
        fState.c.red = fState.c.green = fState.c.blue = 0;
      }
      return kRtfOk;
    case kDestListText: {
      if (code == 13) {
        EndLabelParagraph();
        return ParseRtfChar(code, converted, escaped);
      }
      if (code == 0) return kRtfOk;
      char16_t unit = char16_t(code);
      if (!converted && code >= 128 && gIntlMgr != nullptr) {
        const char16_t mapped = fCharSet == 1 ? gIntlMgr->MacCharToUni(uint8_t(code)) : gIntlMgr->WinCharToUni(uint8_t(code));
        if (mapped != 0) unit = mapped;
      }
      if (unit >= 32 || unit == 9) fListText.push_back(unit);
      return kRtfOk;
    }
    case kDestFieldInstruction:
      // The field shows in the look of its instruction's first word, which
      // AbiWord gives inside the instruction alone.
      if (code > 32 && code < 128 && fFieldInstruction.find_first_not_of(u' ') == std::u16string::npos)
        fFieldLook = fState.c;
      if (code >= 32 && code < 128 && fFieldInstruction.size() < kMaxFieldInstruction)
        fFieldInstruction.push_back(char16_t(code));
      return kRtfOk;
    default:
      return kRtfOk;
  }
}

void RtfReader::PushRtfState() {
  fSaved.push_back(fState);
  fInput = kInputNormal;
  // Each group of the style sheet defines one style.
  if (fState.destination == kDestStyleSheet) {
    fState.destination = kDestStyle;
    fStyles.emplace_back();
    fStyleIndexStale = true;
  }
}

int32_t RtfReader::PopRtfState() {
  if (fSaved.empty()) return kRtfUnbalancedClose;
  if (fDateFallback != 0 && fSaved.size() == fDateFallbackDepth) {
    // A date field ends that showed nothing: it never stays empty.
    if (InText() && Current().positions == fDateFallbackPositions) {
      if (const std::vector<uint8_t>* element = ComputedElement(true, fDateFallback)) {
        const CharacterBlock around = fState.c;
        fState.c = fDateFallbackLook;
        ApplyRtfCharProperties();
        PutElementBytes(*element);
        fState.c = around;
        ApplyRtfCharProperties();
      }
    }
    fDateFallback = 0;
  }
  const RtfState saved = fSaved.back();
  fSaved.pop_back();
  const bool charactersDiffer = !(saved.c == fState.c);
  const ParagraphBlock before = fState.p;
  const bool leftPart = saved.part != fState.part;
  const bool leftListText = fState.destination == kDestListText && saved.destination != kDestListText;
  const bool leftInstruction =
      fState.destination == kDestFieldInstruction && saved.destination != kDestFieldInstruction;
  fState = saved;
  fInput = kInputNormal;
  if (leftInstruction) {
    std::u16string instruction;
    instruction.swap(fFieldInstruction);
    // The field's group: its result is left out once the element stands
    // for it.
    if (InText()) {
      const CharacterBlock around = fState.c;
      fState.c = fFieldLook;
      ApplyRtfCharProperties();
      if (PutLiveField(instruction)) fState.fieldMade = true;
      fState.c = around;
      ApplyRtfCharProperties();
    }
  }
  if (leftListText) {
    // A label of tabs and spaces alone (a heading's empty number) is no
    // text; a label that shows something stays before its item's text.
    std::u16string label;
    label.swap(fListText);
    const bool shows = std::any_of(label.begin(), label.end(), [](char16_t u) { return u != 9 && u != 32; });
    if (shows && InText()) PutLabel(label);
  }
  if (!InText()) return kRtfOk;
  // The document's own group closes: no text follows, and its last
  // paragraph, which no \par closed, keeps the settings it was given.
  if (fSaved.empty()) return kRtfOk;
  if (charactersDiffer || leftPart) ApplyRtfCharProperties();
  if (before.left != fState.p.left) ApplyParagraph(kPropLeftIndent, TwipsToPixels(fState.p.left));
  if (before.first != fState.p.first) ApplyParagraph(kPropFirstLineIndent, TwipsToPixels(fState.p.first));
  if (before.right != fState.p.right) ApplyParagraph(kPropRightIndent, TwipsToPixels(fState.p.right));
  if (before.alignment != fState.p.alignment) ApplyParagraph(kPropAlignment, fState.p.alignment);
  return kRtfOk;
}

void RtfReader::ChangeRtfDestination(int32_t action) {
  if (fState.destination == kDestSkip) return;
  switch (action) {
    case kRtfDestFontTable:
      fState.destination = kDestFontTable;
      fFontName.SetEmpty(false);
      return;
    case kRtfDestStyleSheet:
      fState.destination = kDestStyleSheet;
      return;
    case kRtfDestFieldResult:
      // The result's text is read where the field stands, unless a live
      // element already stands for it.
      if (fState.fieldMade) fState.destination = kDestSkip;
      return;
    case kRtfDestFieldInstruction:
      if (InText()) {
        fState.destination = kDestFieldInstruction;
        fFieldInstruction.clear();
        fFieldLook = fState.c;
      } else {
        fState.destination = kDestSkip;
      }
      return;
    case kRtfDestListText:
      if (InText()) {
        fState.destination = kDestListText;
        fListText.clear();
        fLabelSettings.clear();
      } else {
        fState.destination = kDestSkip;
      }
      return;
    case kRtfDestColourTable:
      fState.destination = kDestColourTable;
      fColourCount = 0;
      fState.c.red = fState.c.green = fState.c.blue = 0;
      return;
    case kRtfDestHeader:
    case kRtfDestFooter:
    case kRtfDestLeftHeader:
    case kRtfDestLeftFooter:
    case kRtfDestFirstHeader:
    case kRtfDestFirstFooter: {
      if (fPaste) {
        fState.destination = kDestSkip;
        return;
      }
      static constexpr int16_t kParts[] = {kPartHeader, kPartFooter, kPartLeftHeader,
                                           kPartLeftFooter, kPartFirstHeader, kPartFirstFooter};
      // The document has one set of headers and footers: a later section's
      // would add its text to the part an earlier one gave (AbiWord writes
      // them again in each section). A part no section gave yet takes it.
      const int16_t part = kParts[action - kRtfDestHeader];
      if (fUsed[part] && fState.part != part) {
        if (fSectionsEnded > 0) {
          fState.destination = kDestSkip;
          return;
        }
        // A second group for the part in the same section replaces the
        // first (AbiWord gives the first section's footer twice).
        ResetPartText(fParts[part]);
        if (auto* engine = static_cast<xMorvaEngine*>(fDocument.GetPart(part))) {
          if (engine->GetStreamSize() != 0) engine->Clear();
        }
      }
      fState.part = part;
      fState.destination = kDestPart;
      fUsed[fState.part] = true;
      // The part's text starts with the settings the group has so far.
      ApplyRtfCharProperties();
      return;
    }
    default:
      fState.destination = kDestSkip;
      return;
  }
}

void RtfReader::ApplyRtfCharProperties() {
  PartText& text = Current();
  const CharacterBlock& c = fState.c;
  xMorvaProperties& p = text.current;
  p.SetProperty(kPropBold, c.bold);
  p.SetProperty(kPropItalic, c.italic);
  p.SetProperty(kPropUnderline, c.underline);
  p.SetProperty(kPropLetterCase, c.caps);
  p.SetProperty(kPropVerticalPosition, c.position);
  // Indexes outside the colours defined are the automatic colour.
  auto colour = [&](int32_t index, int32_t none) {
    return index > 0 && index < fColourCount ? fColours[index] : none;
  };
  int32_t back = colour(c.backColour, kColourNone);
  // A white highlight marks nothing on the page: it is how no background
  // is written (index 0 reads as black in some readers).
  if (c.backIsHighlight && back == kWhiteColour) back = kColourNone;
  int32_t foreground = colour(c.textColour, 0);
  if (foreground == 0 && !(c.textColour > 0 && c.textColour < fColourCount) && back == 0) foreground = kWhiteColour;
  p.SetProperty(kPropTextColour, foreground);
  p.SetProperty(kPropBackColour, back);
  p.SetProperty(kPropSize, c.halfPoints == 0 ? 12 : PointSizeInRange(c.halfPoints / 2));
  int32_t font = 1;
  if (c.font >= 0 && c.font <= kMaxFontNumber && fFontMap[size_t(c.font)] != 0) font = fFontMap[size_t(c.font)];
  p.SetProperty(kPropFont, font);
  p.SetProperty(kPropShadow, c.shadow);
  p.SetProperty(kPropStrikeOut, c.strike);
  text.charactersDirty = true;
}

void RtfReader::ApplyParagraph(uint16_t id, int32_t value) {
  if (id == kPropTabs) {
    Current().currentTabs.AddStop(uint32_t(value));
  } else {
    Current().current.SetProperty(id, value);
  }
}

void RtfReader::ResetParagraph() {
  fState.p = ParagraphBlock();
  fState.p.reset = true;
  PartText& text = Current();
  // Every paragraph setting takes its default, those that no word read
  // here sets too (bullet, background, borders): a paste starts from the
  // settings at the caret, and after \pard none of them is the text's.
  const xMorvaProperties defaults;
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id)
    text.current.SetProperty(id, defaults.GetProperty(id));
  text.currentTabs.Clear();
}

void RtfReader::ApplyRtfProperty(int32_t property, int32_t value) {
  CharacterBlock& c = fState.c;
  ParagraphBlock& p = fState.p;
  if (property == kRtfPropPlain) {
    fState.explicitSet &= ~((uint64_t(1) << kRtfPropParagraphReset) - 1);
  } else if (property == kRtfPropParagraphReset) {
    fState.explicitSet &= ~(((uint64_t(1) << kRtfPropParagraphStyle) - 1) ^ ((uint64_t(1) << kRtfPropParagraphReset) - 1));
  } else if (!fApplyingStyle && property < kRtfPropParagraphStyle) {
    fState.explicitSet |= SettingBit(property);
  }
  auto byte = [](int32_t v) { return uint8_t(std::clamp(v, 0, 255)); };
  switch (property) {
    // Character block.
    case kRtfPropBold: c.bold = value != 0; break;
    case kRtfPropUnderline: c.underline = byte(value); break;
    case kRtfPropStrike: c.strike = value != 0; break;
    case kRtfPropShadow: c.shadow = value != 0; break;
    case kRtfPropItalic: c.italic = value != 0; break;
    case kRtfPropPosition: c.position = byte(value); break;
    case kRtfPropRaise: c.position = value != 0 ? 1 : 0; break;
    case kRtfPropLower: c.position = value != 0 ? 2 : 0; break;
    case kRtfPropCaps: c.caps = byte(value); break;
    case kRtfPropPlain: {
      const CharacterBlock cleared;
      c = cleared;
      c.font = fDefaultFont;
      break;
    }
    case kRtfPropTextColour: c.textColour = value; break;
    case kRtfPropBackColour:
    case kRtfPropHighlight:
      c.backColour = value;
      c.backIsHighlight = property == kRtfPropHighlight;
      break;
    case kRtfPropRed: c.red = byte(value); break;
    case kRtfPropGreen: c.green = byte(value); break;
    case kRtfPropBlue: c.blue = byte(value); break;
    case kRtfPropFont:
      if (fState.destination == kDestFontTable) {
        fFontBeingDefined = value;
        return;
      }
      // A number outside the map leaves the font as it was.
      if (value < 0 || value > kMaxFontNumber) return;
      c.font = value;
      break;
    case kRtfPropHalfPoints: c.halfPoints = uint16_t(std::clamp(value, 0, kMaxHalfPoints)); break;
    case kRtfPropCharSet: fCharSet = value; return;
    // Paragraph block.
    case kRtfPropParagraphReset:
      ResetParagraph();
      return;
    case kRtfPropLeftIndent:
      p.left = value;
      ApplyParagraph(kPropLeftIndent, TwipsToPixels(value));
      return;
    case kRtfPropRightIndent:
      p.right = value;
      ApplyParagraph(kPropRightIndent, TwipsToPixels(value));
      return;
    case kRtfPropFirstIndent:
      p.first = value;
      ApplyParagraph(kPropFirstLineIndent, TwipsToPixels(value));
      return;
    case kRtfPropTabPosition: {
      p.tabPosition = value;
      const int32_t pixels = std::clamp(TwipsToPixels(value), int32_t(INT16_MIN), int32_t(INT16_MAX));
      const uint8_t kind = p.tabKind != 0 ? p.tabKind : uint8_t(kTabLeft);
      ApplyParagraph(kPropTabs, int32_t(MakeTabStop(int16_t(pixels), p.tabLeader, kind)));
      // A kind and a leader describe the one stop whose \tx follows them,
      // as RTF defines it: the next stop is a plain left stop
      // unless it names its own (our writer names only the kinds other than
      // left and the leaders other than none).
      p.tabKind = 0;
      p.tabLeader = 0;
      return;
    }
    case kRtfPropTabKind: p.tabKind = byte(value); return;
    case kRtfPropTabLeader: p.tabLeader = byte(value); return;
    case kRtfPropAlignment:
      p.alignment = byte(value);
      ApplyParagraph(kPropAlignment, p.alignment);
      return;
    // Line spacing and the space around the paragraph become its interline
    // when it ends.
    case kRtfPropSpacing: p.spacing = value; return;
    case kRtfPropLineMultiple: p.lineMultiple = value != 0; return;
    case kRtfPropSpaceBefore: p.before = value; return;
    case kRtfPropSpaceAfter: p.after = value; return;
    case kRtfPropPageBreakBefore: p.pageBreakBefore = value != 0; return;
    case kRtfPropParagraphStyle: ApplyStyle(value, false, 0); return;
    case kRtfPropCharacterStyle: ApplyStyle(value, true, 0); return;
    case kRtfPropBasedOn: return;
    case kRtfPropDefaultFont:
      if (value < 0 || value > kMaxFontNumber) return;
      fDefaultFont = value;
      // Text before any font is named is in the default font.
      if (fState.c.font == 0) {
        fState.c.font = value;
        if (InText()) ApplyRtfCharProperties();
      }
      return;
    case kRtfPropIgnored: return;
    case kRtfPropSectionBreak: fSectionBreak = value; return;
    case kRtfPropPageNumberStyle:
      // Every section's style counts here: our own files give it just
      // before each page number.
      fPageNumberStyle = value;
      return;
    case kRtfPropSectionReset:
      fSectionBreak = kSectionBreakPage;
      ApplyDocument(property, value);
      return;
    default:
      ApplyDocument(property, value);
      return;
  }
  // A character setting: the colour table's components define colours, the
  // text takes the rest.
  if (fState.destination == kDestColourTable || fState.destination == kDestFontTable) return;
  ApplyRtfCharProperties();
}

void RtfReader::ApplyDocument(int32_t property, int32_t value) {
  // The document holds one set of page settings: the first section's, as
  // a Word file's. A later section's margins, distances and columns would
  // replace them for the whole text.
  if (fPaste || fSectionsEnded > 0) return;
  xMorvaDocParams& params = fDocument.Params();
  xMorvaPageBands& bands = params.GetBands(false);
  const int32_t pixels = TwipsToPixels(value);
  switch (property) {
    case kRtfPropPaperWidth:
    case kRtfPropPaperHeight:
    case kRtfPropMarginLeft:
    case kRtfPropMarginRight:
    case kRtfPropMarginTop:
    case kRtfPropMarginBottom:
    case kRtfPropLandscape: fPageGiven = true; break;
    default: break;
  }
  switch (property) {
    case kRtfPropLandscape: fLandscape = value != 0; break;
    case kRtfPropPaperWidth: params.SetPageSize(std::max(pixels, 1), params.GetPageHeight()); break;
    case kRtfPropPaperHeight: params.SetPageSize(params.GetPageWidth(), std::max(pixels, 1)); break;
    case kRtfPropMarginLeft: params.SetLeftMargin(pixels); break;
    case kRtfPropMarginRight: params.SetRightMargin(pixels); break;
    case kRtfPropMarginTop:
      bands.topMargin = pixels;
      bands.headerBottom = pixels;
      if (bands.headerTop > pixels) bands.headerTop = std::max(pixels, 0);
      // A header distance given before the margin (AbiWord writes the
      // section's \headery before its \margtsxn) is measured against it.
      if (fHeaderY >= 0 && fHeaderY < pixels) bands.headerTop = fHeaderY;
      break;
    case kRtfPropMarginBottom:
      bands.bottomMargin = pixels;
      bands.footerTop = pixels;
      bands.footerBottom = 0;
      if (fFooterY >= 0 && fFooterY <= pixels) bands.footerTop = fFooterY;
      break;
    case kRtfPropHeaderY:
      fHeaderY = pixels;
      if (pixels < bands.topMargin) bands.headerTop = pixels;
      break;
    case kRtfPropFooterY:
      fFooterY = pixels;
      if (pixels <= bands.bottomMargin) bands.footerTop = pixels;
      bands.footerBottom = 0;
      break;
    // A section starts with one column until its \cols says more.
    case kRtfPropSectionReset: params.SetColumns(1); break;
    case kRtfPropGutter: params.SetBinding(pixels); break;
    case kRtfPropFacing: params.SetDifferentLeftRight(value != 0); break;
    case kRtfPropColumns: params.SetColumns(int8_t(value)); break;
    case kRtfPropColumnSpacing: params.SetColumnSpacing(pixels); break;
    case kRtfPropLineBetween: params.SetColumnLines(value != 0); break;
    case kRtfPropDefaultTab: params.SetDefaultTabTwips(value); break;
    case kRtfPropFirstPage: params.SetFirstPageNumber(value); break;
    case kRtfPropLanguage: params.SetLanguage(int16_t(value)); break;
    case kRtfPropMirrored: params.SetAlternateBinding(value != 0); break;
    case kRtfPropTitlePage: params.SetDifferentFirstPage(value != 0); break;
    case kRtfPropWidowControl: params.SetWidowControl(value != 0); break;
    case kRtfPropViewKind:
      if (value == 4) params.SetViewMode(1);
      if (value == 1) params.SetViewMode(0);
      break;
    default: break;
  }
}

void RtfReader::ApplyRtfSpecial(int32_t action, int32_t parameter) {
  if (action == kRtfSpecialBinary) {
    // Binary data (pictures, objects) is skipped whole; a count beyond the
    // input ends it, and a count of 0 or less skips nothing.
    if (parameter > 0) Skip(size_t(parameter));
    return;
  }
  if (fState.destination == kDestSkip) return;
  switch (action) {
    case kRtfSpecialHex:
      fInput = kInputHex;
      fHexDigits = 0;
      fHexValue = 0;
      return;
    case kRtfSpecialSkipUnknown:
      fSkipUnknown = true;
      return;
    case kRtfSpecialPage:
    case kRtfSpecialColumn:
      if (InText()) {
        PartText& text = Current();
        if (text.sectionPending) ResolveSection(text);
        PlaceSpaceBefore(text, fState.p);
        CloseSpacedParagraph(text, fState.p);
        uint8_t unit[2];
        PutStreamUnit(unit, kUnitParagraphEnd);
        PutElement(action == kRtfSpecialPage ? xMorvaElementCode::PageBreak : xMorvaElementCode::ColBreak, unit, 2, 0);
        text.paragraphStart = text.bytes.size();
        text.joinsExisting = false;
        text.breakClosed = true;
      }
      return;
    case kRtfSpecialSoftHyphen:
      if (InText()) PutSoftHyphen();
      return;
    case kRtfSpecialSection:
      // A section ends its paragraph; only the body has sections.
      if (fState.destination == kDestBody) {
        PartText& text = Current();
        if (text.sectionPending) ResolveSection(text);
        // Right after a paragraph end (LibreOffice writes \par\sect) the
        // section ends with that paragraph: its end becomes the break.
        text.sectionAfterEnd = text.endIsLast;
        if (!text.sectionAfterEnd) {
          PlaceSpaceBefore(text, fState.p);
          CloseSpacedParagraph(text, fState.p);
        }
        text.sectionPending = true;
        ++fSectionsEnded;
      }
      return;
    case kRtfSpecialPageNumber:
      if (InText()) {
        if (const std::vector<uint8_t>* element =
                ComputedElement(false, uint32_t(fPageNumberStyle) << kPageNumberStyleShift))
          PutElementBytes(*element);
      }
      return;
    case kRtfSpecialNoBreakSpace:
      if (InText()) PutUnit(0x00A0);
      // A font's name keeps its no-break space, as the older writer wrote
      // it.
      if (fState.destination == kDestFontTable) fFontName.AppendUniChar(0x00A0);
      return;
    case kRtfSpecialField:
      // A field inside a locked one's result is locked only by its own word.
      fState.fieldLocked = false;
      return;
    case kRtfSpecialFieldLock:
      fState.fieldLocked = true;
      return;
    default:
      return;
  }
}

void RtfReader::Flush(int16_t part, size_t upTo) {
  auto* engine = static_cast<xMorvaEngine*>(fDocument.GetPart(part));
  PartText& text = fParts[part];
  if (engine == nullptr || upTo == 0 || fFlushError != 0) return;
  const int32_t error = engine->InsertBytes(engine->GetStreamSize(), text.bytes.data(), uint32_t(upTo));
  if (error != 0) {
    fFlushError = error;
    return;
  }
  text.bytes.erase(text.bytes.begin(), text.bytes.begin() + long(upTo));
  text.paragraphStart -= upTo;
  text.endAt -= upTo;
  if (text.aboveValid) {
    text.aboveStart -= upTo;
    if (text.aboveRecord != kNoRecord) text.aboveRecord -= upTo;
  }
}

void RtfReader::SyncCharacters(PartText& text) {
  if (!text.charactersDirty) return;
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
    const int32_t value = text.current.GetProperty(id);
    if (value == text.stream.GetProperty(id)) continue;
    PutRecord(text.bytes, text.bytes.size(), id, uint32_t(value));
    text.stream.SetProperty(id, value);
  }
  text.charactersDirty = false;
}

void RtfReader::PutUnit(char16_t unit) {
  PartText& text = Current();
  if (text.sectionPending) ResolveSection(text);
  BreakBeforeParagraph(text);
  text.endIsLast = false;
  SyncCharacters(text);
  const size_t at = text.bytes.size();
  text.bytes.resize(at + 2);
  PutStreamUnit(text.bytes.data() + at, unit);
  ++text.positions;
  if (unit != kUnitParagraphEnd) {
    ++text.paragraphUnits;
    text.lastBlock = fState.p;
  }
}

void RtfReader::PutElement(uint16_t code, const uint8_t* payload, uint32_t a, uint32_t b) {
  PartText& text = Current();
  if (text.sectionPending) ResolveSection(text);
  BreakBeforeParagraph(text);
  text.endIsLast = false;
  SyncCharacters(text);
  const size_t at = text.bytes.size();
  text.bytes.resize(at + kElementHeadSize + a, 0);
  uint8_t* head = text.bytes.data() + at;
  PutStreamUnit(head, 0);
  PutStreamUnit(head + 2, code);
  PutStreamLong(head + 4, a);
  PutStreamLong(head + 8, b);
  if (payload != nullptr && a != 0) std::memcpy(head + kElementHeadSize, payload, a);
  ++text.positions;
  ++text.paragraphUnits;
  text.lastBlock = fState.p;
}

void RtfReader::ApplyStyle(int32_t number, bool character, int32_t depth) {
  if (depth > kMaxStyleChain) return;
  // The last definition of a number counts; the index of the styles by
  // number is made again only after the style sheet changed.
  if (fStyleIndexStale) {
    fStyleIndex.clear();
    for (size_t i = 0; i < fStyles.size(); ++i) fStyleIndex[StyleKey(fStyles[i].number, fStyles[i].character)] = i;
    fStyleIndexStale = false;
  }
  const auto found = fStyleIndex.find(StyleKey(number, character));
  if (found == fStyleIndex.end()) return;
  const RtfStyle* style = &fStyles[found->second];
  if (style->basedOn >= 0 && style->basedOn != number) ApplyStyle(style->basedOn, character, depth + 1);
  const bool outer = !fApplyingStyle;
  fApplyingStyle = true;
  for (const auto& [property, value] : style->settings) {
    if ((fState.explicitSet & SettingBit(property)) == 0) ApplyRtfProperty(property, value);
  }
  if (outer) fApplyingStyle = false;
}

int64_t RtfReader::SpaceTenths(int64_t twips, int64_t height, int64_t lines) {
  const int64_t scale = 1440 * std::max<int64_t>(height, 1) * std::max<int64_t>(lines, 1);
  return (twips * 10 * GetScreenResolution() + scale / 2) / scale;
}

void RtfReader::MeasureParagraph(int32_t font, int32_t size, int32_t units, int32_t indents, int16_t part,
                                 int64_t& height, int64_t& lines) {
  if (!fMeasure) fMeasure = std::make_unique<xMorvaFont>(fDocument.GetMeasuringPort(), &fDocument);
  fMeasure->ApplyProperty(kPropFont, font, false);
  fMeasure->ApplyProperty(kPropSize, size, false);
  height = std::max(fMeasure->GetAscent() + fMeasure->GetDescent(), 1);
  // The lines the paragraph takes, estimated from a sample of the letters
  // of running text in its last font.
  static constexpr char16_t kSample[] = u"etaoin shrdlu cmfwyp";
  constexpr int32_t kSampleLength = int32_t(sizeof kSample / sizeof kSample[0]) - 1;
  const auto* sample = reinterpret_cast<const uint16_t*>(kSample);
  double sampleWidth = 0;
  for (int32_t i = 0; i < kSampleLength; ++i) sampleWidth += fMeasure->MeasureCharWidth(sample + i, sample + i + 1);
  const double width = double(units) * sampleWidth / kSampleLength;
  const int64_t available = int64_t(fDocument.GetTextWidth(part)) - indents;
  lines = 1;
  if (available > 0 && width > double(available)) lines = std::min<int64_t>(int64_t(width / double(available)) + 1, 1000);
}

int32_t RtfReader::ParagraphInterline(const PartText& text, const ParagraphBlock& p) {
  const int32_t after = std::max(p.after, 0);
  if (p.spacing == 0 && after == 0) return kMinInterline;
  if (p.lineMultiple && after == 0) {
    return int32_t(std::clamp<int64_t>(std::abs(int64_t(p.spacing)) / 24, kMinInterline, kMaxInterline));
  }
  int64_t height = 1, lines = 1;
  MeasureParagraph(text.current.GetProperty(kPropFont), text.current.GetProperty(kPropSize), text.paragraphUnits,
                   text.current.GetProperty(kPropLeftIndent) + text.current.GetProperty(kPropRightIndent),
                   fState.part, height, lines);
  int64_t interline = kMinInterline;
  if (p.spacing != 0) {
    if (p.lineMultiple) {
      interline = std::abs(int64_t(p.spacing)) / 24;
    } else {
      // A height in twips: exact when negative, at least when positive.
      interline = SpaceTenths(std::abs(int64_t(p.spacing)), height, 1);
      if (p.spacing > 0) interline = std::max<int64_t>(interline, kMinInterline);
    }
  }
  // The space after goes to every line of the paragraph: spread over the
  // lines it is estimated to take, it adds up to about its own height.
  if (after > 0) interline += SpaceTenths(after, height, lines);
  return int32_t(std::clamp<int64_t>(interline, kMinInterline, kMaxInterline));
}

void RtfReader::CloseSpacedParagraph(PartText& text, const ParagraphBlock& p) {
  const int32_t carried = text.current.GetProperty(kPropInterline);
  const bool joined = text.joinsExisting;
  const size_t start = text.paragraphStart;
  if (p.reset || p.spacing != 0 || p.after > 0) text.current.SetProperty(kPropInterline, ParagraphInterline(text, p));
  const int32_t interline = text.current.GetProperty(kPropInterline);
  const size_t record = CloseParagraph(text);
  // What the next paragraph's space before needs of this one.
  text.aboveValid = true;
  text.aboveJoined = joined;
  text.aboveStart = start;
  text.aboveRecord = record;
  text.aboveInterline = interline;
  text.aboveFont = text.current.GetProperty(kPropFont);
  text.aboveSize = text.current.GetProperty(kPropSize);
  text.aboveUnits = text.paragraphUnits;
  text.aboveIndents = text.current.GetProperty(kPropLeftIndent) + text.current.GetProperty(kPropRightIndent);
  text.current.SetProperty(kPropInterline, carried);
  text.paragraphUnits = 0;
}

void RtfReader::PlaceSpaceBefore(PartText& text, const ParagraphBlock& p) {
  if (!text.aboveValid) return;
  text.aboveValid = false;
  const int32_t before = std::max(p.before, 0);
  if (before == 0 || text.joinsExisting) return;
  int64_t height = 1, lines = 1;
  MeasureParagraph(text.aboveFont, text.aboveSize, text.aboveUnits, text.aboveIndents, fState.part, height, lines);
  const int32_t widened = int32_t(
      std::clamp<int64_t>(text.aboveInterline + SpaceTenths(before, height, lines), kMinInterline, kMaxInterline));
  if (widened == text.aboveInterline) return;
  if (text.aboveJoined) {
    text.firstProperties.SetProperty(kPropInterline, widened);
  } else if (text.aboveRecord != kNoRecord) {
    PutPropertyRecord(text.bytes.data() + text.aboveRecord, kPropInterline, uint32_t(widened));
  } else {
    // The paragraph above went on with the interline before it: it gets a
    // record of its own, and what follows it moves along.
    PutRecord(text.bytes, text.aboveStart, kPropInterline, uint32_t(widened));
    text.paragraphStart += kRecordSize;
    if (text.endAt >= text.aboveStart) text.endAt += kRecordSize;
  }
  // The paragraph above is the last one the bytes hold: its interline is
  // the one in effect at their end.
  text.stream.SetProperty(kPropInterline, widened);
}

void RtfReader::ResolveSection(PartText& text) {
  text.sectionPending = false;
  uint8_t unit[2];
  PutStreamUnit(unit, kUnitParagraphEnd);
  if (text.sectionAfterEnd) {
    // The paragraph end is there already: a break takes its place and
    // holds it, a continuous section leaves it as it is.
    text.sectionAfterEnd = false;
    if (fSectionBreak == kSectionBreakNone) return;
    uint8_t head[kElementHeadSize + 2];
    PutStreamUnit(head, 0);
    PutStreamUnit(head + 2,
                  fSectionBreak == kSectionBreakColumn ? xMorvaElementCode::ColBreak : xMorvaElementCode::PageBreak);
    PutStreamLong(head + 4, 2);
    PutStreamLong(head + 8, 0);
    std::memcpy(head + kElementHeadSize, unit, 2);
    text.bytes.erase(text.bytes.begin() + long(text.endAt), text.bytes.begin() + long(text.endAt) + 2);
    text.bytes.insert(text.bytes.begin() + long(text.endAt), head, head + sizeof head);
    text.paragraphStart += kElementHeadSize;
    // The end is inside the break now: a final one that is taken back.
    text.endIsLast = false;
    return;
  }
  if (fSectionBreak == kSectionBreakNone) {
    // A continuous section: its paragraph end alone.
    const size_t at = text.bytes.size();
    text.bytes.resize(at + 2);
    std::memcpy(text.bytes.data() + at, unit, 2);
    ++text.positions;
    text.endIsLast = false;
  } else {
    // A break element holds the paragraph end it stands for.
    PutElement(fSectionBreak == kSectionBreakColumn ? xMorvaElementCode::ColBreak : xMorvaElementCode::PageBreak,
               unit, 2, 0);
  }
  text.paragraphStart = text.bytes.size();
  text.paragraphUnits = 0;
  text.joinsExisting = false;
}

// A body paragraph that starts a page (\pagebb) and follows a paragraph
// end: that end becomes a page break holding it, as a Word paragraph
// that starts a page does. Called at the paragraph's first unit, element
// or end, before anything of the paragraph is written.
void RtfReader::BreakBeforeParagraph(PartText& text) {
  if (!text.endIsLast || !fState.p.pageBreakBefore || fState.destination != kDestBody) return;
  uint8_t head[kElementHeadSize + 2];
  PutStreamUnit(head, 0);
  PutStreamUnit(head + 2, xMorvaElementCode::PageBreak);
  PutStreamLong(head + 4, 2);
  PutStreamLong(head + 8, 0);
  PutStreamUnit(head + kElementHeadSize, kUnitParagraphEnd);
  text.bytes.erase(text.bytes.begin() + long(text.endAt), text.bytes.begin() + long(text.endAt) + 2);
  text.bytes.insert(text.bytes.begin() + long(text.endAt), head, head + sizeof head);
  text.paragraphStart += kElementHeadSize;
  // The end is inside the break now: it is no longer the last to take back.
  text.endIsLast = false;
}

void RtfReader::PutSoftHyphen() {
  uint8_t unit[2];
  PutStreamUnit(unit, kUnitSoftHyphen);
  PutElement(xMorvaElementCode::SoftHyphen, unit, 2, 2);
}

void RtfReader::PutLabel(std::u16string& label) {
  for (char16_t unit : label) {
    if (unit == 9) {
      PutElement(xMorvaElementCode::Tab, nullptr, kTabCacheSize, kTabCacheSize);
    } else if (unit == kUnitSoftHyphen) {
      PutSoftHyphen();
    } else {
      PutUnit(unit);
    }
  }
  label.clear();
}

void RtfReader::EndLabelParagraph() {
  // The group and the groups inside it so far write into the text that
  // holds the label from here on.
  uint8_t outer = kDestBody;
  for (auto saved = fSaved.rbegin(); saved != fSaved.rend(); ++saved) {
    if (saved->destination != kDestListText) {
      outer = saved->destination;
      break;
    }
  }
  for (auto saved = fSaved.rbegin(); saved != fSaved.rend() && saved->destination == kDestListText; ++saved)
    saved->destination = outer;
  fState.destination = outer;
  // The paragraph settings the group gave are the item's.
  std::vector<std::pair<int32_t, int32_t>> settings;
  settings.swap(fLabelSettings);
  for (const auto& [property, value] : settings) ApplyRtfProperty(property, value);
  std::u16string label;
  label.swap(fListText);
  PutLabel(label);
}

const std::vector<uint8_t>* RtfReader::ComputedElement(bool dateTime, uint32_t format) {
  if (fChecks) return nullptr;
  const auto key = std::make_pair(dateTime, format);
  if (auto found = fComputed.find(key); found != fComputed.end()) return &found->second;
  // Every date and time shows the moment of the import.
  if (fSeconds < 0) xMorvaDocInfos::Now(fToday, fSeconds);
  const xMorvaTextInterface* part = fDocument.GetPart(fState.part);
  std::vector<uint8_t> element = xMorvaEngine::MakeComputedElement(
      part != nullptr ? part->GetFieldDisplayMode() : uint8_t(0), dateTime, format, fToday, fSeconds);
  if (element.empty()) return nullptr;
  return &fComputed.emplace(key, std::move(element)).first->second;
}

bool RtfReader::PutLiveField(std::u16string_view instruction) {
  while (!instruction.empty() && instruction.front() == u' ') instruction.remove_prefix(1);
  size_t wordEnd = 0;
  while (wordEnd < instruction.size() && instruction[wordEnd] != u' ' && instruction[wordEnd] != u'\\') ++wordEnd;
  std::u16string word(instruction.substr(0, wordEnd));
  for (char16_t& c : word)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  instruction.remove_prefix(wordEnd);
  const std::vector<uint8_t>* element = nullptr;
  const uint32_t style = uint32_t(std::clamp(fPageNumberStyle, 0, 4)) << kPageNumberStyleShift;
  if (word == u"PAGE") {
    element = ComputedElement(false, style);
  } else if (word == u"NUMPAGES") {
    element = ComputedElement(false, style | kPageNumberCount);
  } else if (word == u"TIME" || word == u"DATE") {
    // A locked field keeps the date it showed when it was locked.
    if (fState.fieldLocked) return false;
    const xMorvaDateTimeForm form = DateTimeFormOfField(word == u"DATE", instruction);
    if (!form.fits) {
      // The field's result shows what no form does; with no result the
      // nearest form shows in its place when the field ends.
      fDateFallback = form.format;
      fDateFallbackLook = fFieldLook;
      fDateFallbackDepth = fSaved.size();
      fDateFallbackPositions = Current().positions;
      return false;
    }
    element = ComputedElement(true, form.format);
  }
  if (element == nullptr) return false;
  PutElementBytes(*element);
  return true;
}

void RtfReader::PutElementBytes(const std::vector<uint8_t>& element) {
  PartText& text = Current();
  if (text.sectionPending) ResolveSection(text);
  BreakBeforeParagraph(text);
  text.endIsLast = false;
  SyncCharacters(text);
  text.bytes.insert(text.bytes.end(), element.begin(), element.end());
  ++text.positions;
  ++text.paragraphUnits;
  text.lastBlock = fState.p;
}


size_t RtfReader::CloseParagraph(PartText& text) {
  if (text.joinsExisting) {
    text.firstClosed = true;
    text.firstProperties.Assign(text.current);
    text.firstTabs.Assign(text.currentTabs);
    text.stream.CopyParagraphProperties(text.current);
    text.streamTabs.Assign(text.currentTabs);
    return kNoRecord;
  }
  std::vector<uint8_t> records;
  size_t interline = kNoRecord;
  for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id) {
    const int32_t value = text.current.GetProperty(id);
    if (value == text.stream.GetProperty(id)) continue;
    if (id == kPropInterline) interline = text.paragraphStart + records.size();
    PutRecord(records, records.size(), id, uint32_t(value));
    text.stream.SetProperty(id, value);
  }
  // Tab stops add up along the text: stops of the paragraph before that
  // this one lacks are removed, its own are added.
  for (int32_t i = 0; i < text.streamTabs.Count(); ++i) {
    const uint32_t stop = text.streamTabs.StopAt(i);
    uint32_t mine = 0;
    if (!text.currentTabs.FindStop(TabStopPosition(stop), mine)) {
      PutRecord(records, records.size(), kPropTabs, stop & 0x0000FFFFu);
    }
  }
  for (int32_t i = 0; i < text.currentTabs.Count(); ++i) {
    const uint32_t stop = text.currentTabs.StopAt(i);
    if (!text.streamTabs.Contains(stop)) PutRecord(records, records.size(), kPropTabs, stop);
  }
  text.streamTabs.Assign(text.currentTabs);
  if (!records.empty()) {
    text.bytes.insert(text.bytes.begin() + long(text.paragraphStart), records.begin(), records.end());
  }
  return interline;
}

void RtfReader::Finish(xMorvaEngine* pasteTarget) {
  for (int16_t part = 0; part < kPartCount; ++part) {
    if (!fUsed[part]) continue;
    PartText& text = fParts[part];
    if (pasteTarget != nullptr && part == kPartBody) {
      // Every pasted paragraph end stays, the last one too. The text after
      // the insertion point keeps its own paragraph end and settings: the
      // paragraph after the last pasted end gets them back, a last pasted
      // paragraph without an end joins that text and takes them, and the
      // character settings go back to those at the caret.
      const xMorvaProperties& original = pasteTarget->GetCurrentProperties();
      // A \sect that nothing follows ended no paragraph of the paste.
      if (text.sectionPending && text.joinsExisting) text.firstClosed = false;
      if (text.breakClosed) ReopenBrokenParagraph(text, *pasteTarget);
      if (!text.joinsExisting) {
        for (uint16_t id = kFirstParagraphProperty; id <= kLastParagraphProperty; ++id)
          text.current.SetProperty(id, original.GetProperty(id));
        text.currentTabs.Assign(pasteTarget->GetCurrentTabs());
        CloseParagraph(text);
      }
      for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
        const int32_t value = original.GetProperty(id);
        if (value != text.stream.GetProperty(id)) PutRecord(text.bytes, text.bytes.size(), id, uint32_t(value));
      }
      continue;
    }
    if (text.endIsLast) {
      // The final paragraph end goes: the paragraph it closed is the last.
      text.bytes.erase(text.bytes.begin() + long(text.endAt), text.bytes.begin() + long(text.endAt) + 2);
      --text.positions;
      text.endIsLast = false;
      text.sectionPending = text.sectionAfterEnd = false;
      continue;
    }
    // A \sect that nothing follows closed the last paragraph: no end and
    // no break go after it.
    if (text.sectionPending) {
      text.sectionPending = false;
      continue;
    }
    PlaceSpaceBefore(text, text.lastBlock);
    CloseSpacedParagraph(text, text.lastBlock);
  }
}

void RtfReader::ReopenBrokenParagraph(PartText& text, const xMorvaEngine& target) {
  // The paragraph settings in effect where the last \par left them: the
  // records before it count from those of the paragraph joined at the
  // caret.
  xMorvaProperties state;
  state.Assign(text.firstClosed ? text.firstProperties : target.GetCurrentProperties());
  xMorvaTabs tabs;
  tabs.Assign(text.firstClosed ? text.firstTabs : target.GetCurrentTabs());
  std::vector<uint8_t> kept;
  kept.reserve(text.bytes.size());
  size_t start = kNoRecord;
  int32_t positions = 0;
  for (size_t at = 0; at < text.bytes.size();) {
    const StreamItem item = ReadStreamItem(text.bytes.data() + at, text.bytes.size() - at);
    if (item.size == 0) break;
    if (positions == text.endPositions && start == kNoRecord) start = kept.size();
    const bool paragraphRecord = item.kind == StreamItem::kRecord && item.unit >= kFirstParagraphProperty &&
                                 item.unit <= kPropTabs;
    if (!paragraphRecord || positions < text.endPositions) {
      if (paragraphRecord && item.unit == kPropTabs) tabs.AddStop(item.value);
      if (paragraphRecord && item.unit != kPropTabs) state.SetProperty(item.unit, int32_t(item.value));
      kept.insert(kept.end(), text.bytes.begin() + long(at), text.bytes.begin() + long(at + item.size));
    }
    if (item.kind != StreamItem::kRecord) ++positions;
    at += item.size;
  }
  text.bytes.swap(kept);
  text.paragraphStart = start == kNoRecord ? text.bytes.size() : start;
  text.stream.CopyParagraphProperties(state);
  text.streamTabs.Assign(tabs);
  text.breakClosed = false;
  // Without a \par the paste is one paragraph, joined at the caret.
  if (!text.pastedEnd) {
    text.joinsExisting = true;
    text.firstClosed = false;
  }
}

}  // namespace

xMorvaImportRTF::~xMorvaImportRTF() = default;

int32_t xMorvaImportRTF::ImportRtf(xMorvaDocument& document, VStream& stream, bool paste) {
  // The stream is read in windows as the parse goes, never held whole.
  const uint32_t size = stream.GetSize();
  const uint32_t position = stream.GetPosition();
  return Import(document, nullptr, 0, &stream, size > position ? size - position : 0, paste);
}

int32_t xMorvaImportRTF::ImportRtfBytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size,
                                        bool paste) {
  return Import(document, bytes, size, nullptr, size, paste);
}

int32_t xMorvaImportRTF::Import(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, VStream* stream,
                                uint32_t total, bool paste) {
  xMorvaUndo* undo = document.GetUndo();
  // A document that records no undo (one without an area) keeps it so.
  const bool recording = undo != nullptr && undo->IsRecording();
  xMorvaEngine* target = nullptr;
  int32_t start = 0;
  RtfReader reader(document, paste);
  if (!reader.Allocate()) return kErrorNoMemory;
  if (paste) {
    target = static_cast<xMorvaEngine*>(document.GetCurrentPart());
    if (target == nullptr) return kErrorNoMemory;
    // Damaged data is found before the selection goes: a document that
    // records no undo could not have it back.
    const uint32_t position = stream != nullptr ? stream->GetPosition() : 0;
    RtfReader check(document, true, true);
    if (!check.Allocate()) return kErrorNoMemory;
    check.Begin(nullptr);
    fParseCode = check.ParseRtf(bytes, size, stream, nullptr);
    if (fParseCode != kRtfOk) return kErrorDamaged;
    if (stream != nullptr && stream->SetPosition(position) != 0) return kErrorDamaged;
    start = target->GetSelStart();
    target->BeginUndoStep(kUndoPaste, 0);
    int32_t error = target->DeleteSelection();
    if (error == 0) error = target->WriteTypingProperties();
    if (error != 0) {
      target->EndUndoStep(error);
      return error;
    }
  } else {
    document.Reset(true);
    document.ResetFontTable();
    if (undo != nullptr) undo->Suspend();
    // A file's text is about twice its RTF in element bytes: the body gets
    // that room at once and keeps what it does not use untouched.
    if (auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody))) {
      body->ReserveCapacity(uint32_t(std::min<uint64_t>(uint64_t(total) * 2, INT32_MAX / 2)));
    }
  }

  reader.Begin(target);
  std::unique_ptr<VStreamProgress> progress;
  if (total > kReadProgressThreshold)
    progress.reset(document.NewProgressStatus(kProgressReadingRTF, total));
  fParseCode = reader.ParseRtf(bytes, size, stream, progress.get());
  progress.reset();
  reader.Finish(target);

  int32_t result = fParseCode == kRtfOk ? 0 : kErrorDamaged;
  if (paste) {
    PartText& text = reader.Part(kPartBody);
    if (result == 0 && !text.bytes.empty()) {
      // The settings in effect before the insertion paragraph's own.
      xMorvaProperties walk;
      walk.Assign(target->GetWalkProperties());
      xMorvaTabs walkTabs;
      walkTabs.Assign(target->GetWalkTabs());
      const uint32_t paragraphStart = target->GetParagraphStartOffset();
      result = target->InsertBytes(target->GetSelStartOffset(), text.bytes.data(), uint32_t(text.bytes.size()));
      if (result == 0 && text.firstClosed) {
        // The insertion paragraph, closed by the first pasted end, has
        // that paragraph's settings in place of its own.
        target->RemoveParagraphRecordsAt(paragraphStart);
        uint32_t written = 0;
        result = target->WriteParagraphTransition(paragraphStart, written, walk, text.firstProperties, walkTabs,
                                                  text.firstTabs);
      }
      if (result == 0) {
        target->SetLength(target->GetLength() + text.positions);
        target->SetSelection(start, start + text.positions);
      }
    }
    target->EndUndoStep(result);
    return result;
  }
  // A file import keeps what it read, also when the data ended badly.
  if (reader.GetFlushError() != 0) result = reader.GetFlushError();
  for (int16_t part = 0; part < kPartCount; ++part) {
    if (!reader.PartUsed(part)) continue;
    auto* engine = static_cast<xMorvaEngine*>(document.GetPart(part));
    if (engine == nullptr) continue;
    PartText& text = reader.Part(part);
    reader.Flush(part, text.bytes.size());
    if (reader.GetFlushError() != 0) {
      // The text holds whole items only: what did not fit goes whole.
      result = reader.GetFlushError();
      engine->Clear();
      continue;
    }
    engine->ReleaseCapacity();
    engine->SetLength(text.positions);
    engine->SetSelection(0, 0);
  }
  // The file's page becomes the document's paper.
  if (reader.PageGiven()) document.TakePaperFromPage(reader.Landscape());
  // The header's first line starts at \headery below the page's upper
  // edge and its lines reach down from there: the body starts below them.
  // The footer's last line ends at \footery above the page's lower edge
  // (no lower than a footer prints) and its lines reach up from there:
  // the body ends above them. A header at the top margin without text has
  // a band of no height there, where lines typed into it start; a footer
  // without text has one at \footery, where lines typed into it end. The
  // first section's margins and distances hold for a title page too,
  // whose own header and footer are fitted to them alike.
  xMorvaDocParams& params = document.Params();
  xMorvaPageBands& bands = params.GetBands(false);
  // The header's band ends a pixel above the top margin, as a Word
  // file's does and as the fitting leaves a band that holds its lines, or
  // at the margin with \headery there, a band of no height.
  bands.headerBottom = std::max({bands.topMargin - 1, bands.headerTop, 0});
  const xMorvaPageBands section = bands;
  FitHeaderFooterBands(params, bands, bands.headerTop, HeaderLinesHeight(document, false), reader.FooterDistance(),
                       FooterLinesHeight(document, false));
  xMorvaPageBands& first = params.GetBands(true);
  if (params.GetDifferentFirstPage() != 0) {
    first = section;
    FitHeaderFooterBands(params, first, first.headerTop, HeaderLinesHeight(document, true),
                         reader.FooterDistance(), FooterLinesHeight(document, true));
  } else {
    first = bands;
  }
  if (recording) undo->Resume();
  document.SelectBody();
  if (auto* body = static_cast<xMorvaEngine*>(document.GetPart(kPartBody))) body->SetSelection(0, 0);
  return result;
}
