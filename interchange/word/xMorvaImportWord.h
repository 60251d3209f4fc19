// xMorvaImportWord: reads a Word 6, 95 or 97 document out of its compound
// file into the body of a document: the file information block, the
// streams, and the text of the main story.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "framework/core/VObject.h"

class ByteSpanReader;
class xMorvaOleFile;
struct xMorvaOleStreamRange;
class VPictureData;
class VStream;
class xMorvaDocument;
class xMorvaEngine;

// Command error codes of the import.
constexpr int32_t kWordMissingArgument = 1001;
constexpr int32_t kWordNotWord = 1032;
constexpr int32_t kWordNoMemory = 1041;
constexpr int32_t kWordUnreadable = 1095;
constexpr int32_t kWordFastSaved = 1096;

// The built-in style number (sti) of Word's default paragraph font.
constexpr uint16_t kWordStiDefaultParagraphFont = 65;

// The fields of the file information block the import uses. A Word 97 block
// is mapped into the Word 6/95 fields.
struct xMorvaWordFib {
  uint16_t wIdent = 0;
  uint16_t nFib = 0;
  uint16_t flags = 0;  // fComplex 0x0004, fEncrypted 0x0100, fWhichTblStm 0x0200, fExtChar 0x1000
  uint16_t chs = 0;
  uint16_t chsTables = 0;
  uint32_t fcMin = 0;
  uint32_t fcMac = 0;
  // ccpText, ccpFtn, ccpHdd, ccpMcr, ccpAtn, ccpEdn, ccpTxbx, ccpHdrTxbx.
  uint32_t ccp[8] = {};
  uint32_t fcPlcfSed = 0;
  uint32_t lcbPlcfSed = 0;
  uint32_t fcPlcfBteChpx = 0;
  uint32_t lcbPlcfBteChpx = 0;
  uint32_t fcPlcfBtePapx = 0;
  uint32_t lcbPlcfBtePapx = 0;
  uint32_t fcStshf = 0;
  uint32_t lcbStshf = 0;
  uint32_t fcDop = 0;
  uint32_t lcbDop = 0;
  uint32_t fcSttbfAssoc = 0;
  uint32_t lcbSttbfAssoc = 0;
  uint32_t fcSttbfFfn = 0;
  uint32_t lcbSttbfFfn = 0;
  // The Word 6/95 bin tables' first pages and counts.
  uint16_t pnChpFirst = 0;
  uint16_t pnPapFirst = 0;
  uint16_t cpnBteChp = 0;
  uint16_t cpnBtePap = 0;
  uint32_t fcClx = 0;
  uint32_t lcbClx = 0;
  // The header and footer stories, and the fields of the main and header
  // stories.
  uint32_t fcPlcfHdd = 0;
  uint32_t lcbPlcfHdd = 0;
  uint32_t fcPlcfFldMom = 0;
  uint32_t lcbPlcfFldMom = 0;
  uint32_t fcPlcfFldHdr = 0;
  uint32_t lcbPlcfFldHdr = 0;
  // Word 97: the main text's drawn shapes and the drawing records.
  uint32_t fcPlcSpaMom = 0;
  uint32_t lcbPlcSpaMom = 0;
  uint32_t fcDggInfo = 0;
  uint32_t lcbDggInfo = 0;
  bool word97 = false;
};

// The first section's page setup in twips; what its properties do not set
// keeps the format's defaults (Letter paper, 1.25" left and right, 1" top
// and bottom, headers and footers 0.5" from the edge).
struct xMorvaWordSection {
  int32_t pageWidth = 12240;
  int32_t pageHeight = 15840;
  int32_t left = 1800;
  int32_t right = 1800;
  int32_t top = 1440;
  int32_t bottom = 1440;
  int32_t headerDistance = 720;
  // Where the footer's last line ends above the page's lower edge
  // (sprmSDyaHdrBottom).
  int32_t footerDistance = 720;
  // The page is used across (sprmSBOrientation 2).
  bool landscape = false;
  // The columns: their count (sprmSCcolumns + 1), the space between them
  // in twips and whether a line runs between them.
  int32_t columns = 1;
  int32_t columnSpacing = 720;
  bool lineBetween = false;
  // The page numbers' list-number style from sprmSNfcPgn's nfc: 1 gives
  // 4, 2 gives 3, 3 gives 2, 4 gives 1, any other 0.
  uint8_t pageNumberStyle = 0;
  // Which header and footer stories the section has (sprmSGprfIhdt): 0x01
  // even header, 0x02 odd header, 0x04 even footer, 0x08 odd footer, 0x10
  // first-page header, 0x20 first-page footer.
  uint8_t headerFlags = 0;
  // The number the section's pages start from (sprmSPgnStart), which
  // counts only when the section restarts its numbering
  // (sprmSFPgnRestart); else the pages go on from 1.
  int32_t pageNumberStart = 1;
  bool restartNumbering = false;
  int32_t FirstPageNumber() const { return restartNumbering ? pageNumberStart : 1; }
  // The first page has headers, footers and margins of its own
  // (sprmSFTitlePage).
  bool titlePage = false;
  // The section starts on an even page (sprmSBkc 3): the first page is a
  // left-hand page.
  bool evenPageStart = false;
  // The binding's width (sprmSDzaGutter), and its side when the margins
  // are not mirrored: on the right of the page (sprmSFRTLGutter), else on
  // the left.
  int32_t gutter = 0;
  bool gutterOnRight = false;
};

// Character properties of a run as the file gives them: Booleans 0 or 1,
// the font as an index into the font-name list (-1 the default), the size
// in half-points, colours as 0xBBGGRR (-1 none).
struct xMorvaWordChp {
  int8_t bold = 0;
  int8_t italic = 0;
  int8_t strike = 0;
  int8_t shadow = 0;
  int8_t caps = 0;       // 0 none, 1 capitals, 2 small capitals
  int8_t underline = 0;  // 0 none, 1 single, 2 words, 3 double, 4 dotted
  int8_t iss = 0;        // 0 normal, 1 superscript, 2 subscript
  int8_t hidden = 0;
  int16_t font = -1;
  // The fonts of the East Asian characters and of the other characters
  // past ASCII (sprmCRgFtc1, sprmCRgFtc2), -1 the run's font.
  int16_t eastAsianFont = -1;
  int16_t otherFont = -1;
  int16_t halfPoints = 20;
  int32_t color = -1;
  int32_t background = -1;
  int16_t style = 0;  // the character style's sheet number, 0 none
  int8_t deleted = 0;   // text a revision deleted
  char16_t symbol = 0;  // a symbol's character code in its font, 0 none
  int16_t chs = -1;     // the run's own character set (0 Windows, 256 Macintosh), -1 the file's
  uint16_t language = 0;  // the run's language (a Word 6/95 sprmCLid), 0 none given
  // Where a picture character's PICF lies in the data stream; -1 none.
  int64_t picLocation = -1;
  bool operator==(const xMorvaWordChp&) const = default;
};

// One tab stop: position in twips, kind 1 left, 2 centre, 3 right,
// 4 decimal, 5 bar; leader 0 none or the leader character.
struct xMorvaWordTab {
  int32_t position = 0;
  int8_t kind = 1;
  char16_t leader = 0;
  bool operator==(const xMorvaWordTab&) const = default;
};

// A table row's definition, carried by its row end; lengths in twips from
// the left margin. Cell flags: 1 first of merged cells, 2 merged into the
// cell before. Border sides: 1 left, 2 right, 4 top, 8 bottom.
struct xMorvaWordRow {
  std::vector<int16_t> bounds;  // one more than the cells
  std::vector<uint16_t> cellFlags;
  std::vector<uint8_t> cellSides;
  std::vector<int32_t> cellShading;  // -1 none
  int8_t jc = 0;                     // the row on the page: 0 left, 1 centre, 2 right
  int16_t height = 0;                // 0 free, else at least or exactly |height|
  uint8_t tableSides = 0;            // from the table's borders, inner ones as top and bottom
  int8_t borderStyle = -1;
  bool operator==(const xMorvaWordRow&) const = default;
};

// Paragraph properties of a run; lengths in twips.
struct xMorvaWordPap {
  uint16_t istd = 0;
  int8_t jc = 0;  // 0 left, 1 centre, 2 right, 3 justify
  int32_t left = 0;
  int32_t right = 0;
  int32_t firstLine = 0;
  int32_t lineTenths = 10;  // interline in tenths of a line
  int32_t before = 0;
  int32_t after = 0;
  bool inTable = false;
  bool rowEnd = false;
  bool pageBreakBefore = false;  // the paragraph starts a page
  int16_t gapHalf = 0;  // half the space between a table's cells, twips
  int32_t shading = -1;
  int8_t borderStyle = 0;
  bool borderStyleGiven = false;  // the style is set without a side of its own
  uint8_t borderSides = 0;  // 1 left, 2 right, 4 top, 8 bottom
  int32_t borderColor = -1;    // -1 none
  int32_t borderSpacing = -1;  // points between the border and the text, -1 none
  std::vector<xMorvaWordTab> tabs;
  xMorvaWordRow row;  // on a row end that defines its row
};

// A run of the main text in character positions [first, limit).
struct xMorvaWordCharacterRun {
  uint32_t first = 0;
  uint32_t limit = 0;
  xMorvaWordChp chp;
};
struct xMorvaWordParagraphRun {
  uint32_t first = 0;
  uint32_t limit = 0;
  xMorvaWordPap pap;
};

// The character that holds a special element's place in a story's text.
constexpr char16_t kWordElementPlace = 0xFFFC;

// What a placeholder character of a story becomes once the story is in
// its text: a page number, a date or time, or a picture. `at` is the
// character position while the story is read and the text position once
// it has been converted.
struct xMorvaWordSpecial {
  enum Kind : uint8_t { kPageNumber, kDateTime, kPicture };
  uint32_t at = 0;
  Kind kind = kPageNumber;
  uint32_t format = 0;  // the page-number or date-time format word
  std::shared_ptr<VPictureData> picture;
  // The size a picture is shown at, pixels; -1 its own size.
  int32_t shownWidth = -1;
  int32_t shownHeight = -1;
};

// Where each character of a story's characters, and their end, lands in
// the text the story becomes. A character is either kept (it takes the
// next text position) or left out (it takes none), so the place of
// character `cp` is the count of those kept before it, capped at the
// text's length (the story's last paragraph end is left out after the
// fact). It is kept as one bit a character and a running count every 64
// characters: a twentieth of a position a character, for a long body.
class xMorvaWordPositions {
 public:
  void Clear();
  void Reserve(size_t characters);
  // The next character, kept or left out (inline: every character of a
  // story passes here).
  void Push(bool kept) {
    const uint32_t bit = fCount % 64;
    if (bit == 0) fKept.push_back(0);
    if (kept) {
      fKept.back() |= uint64_t(1) << bit;
      ++fKeptCount;
    }
    ++fCount;
  }
  // Closes the map: no place is beyond `length`.
  void Finish(uint32_t length);
  // The characters and their end: 0 when none was pushed and the map was
  // not finished.
  size_t Size() const { return fFinished ? size_t(fCount) + 1 : 0; }
  bool Empty() const { return Size() == 0; }
  // The text position of character `cp`; `cp` below Size().
  uint32_t At(uint32_t cp) const;
  uint32_t Back() const { return At(fCount); }
  // Every place, one a character and one for the end.
  std::vector<uint32_t> ToVector() const;

 private:
  std::vector<uint64_t> fKept;   // bit i of word w: character 64w + i is kept
  std::vector<uint32_t> fBefore;  // kept characters before word w
  uint32_t fCount = 0;
  uint32_t fKeptCount = 0;
  uint32_t fLength = 0;
  bool fFinished = false;
};

// One header or footer story, converted.
struct xMorvaWordStory {
  bool present = false;
  uint32_t first = 0;  // character position of its start
  uint32_t limit = 0;
  std::u16string text;
  xMorvaWordPositions positions;  // text position of each character from `first`
  std::vector<xMorvaWordSpecial> specials;
};

// The space a paragraph end is given: the space after its paragraph and
// before the next, in twips, at its body position.
// A table row's height, when it has one, is kept there too.
struct xMorvaWordSpacing {
  uint32_t end = 0;
  int32_t twips = 0;
  int32_t rowHeight = 0;
  bool operator==(const xMorvaWordSpacing&) const = default;
};

// A page or column break of the body at a paragraph end's place.
struct xMorvaWordBreak {
  uint32_t at = 0;
  bool page = true;  // else a column break
  bool operator==(const xMorvaWordBreak&) const = default;
};

// A table cell's shading on its characters [first, limit).
struct xMorvaWordShade {
  uint32_t first = 0;
  uint32_t limit = 0;
  int32_t color = -1;
  bool operator==(const xMorvaWordShade&) const = default;
};

// A date and time as the document properties keep them.
struct xMorvaWordDate {
  int32_t day = 0;
  int32_t month = 0;
  int32_t year = 0;     // years since 1900
  int32_t seconds = 0;  // of the day
  bool operator==(const xMorvaWordDate&) const = default;
};

// What the document properties block gives the document.
struct xMorvaWordDop {
  bool widowControl = false;
  bool mirrorMargins = false;
  bool pageView = false;
  int32_t defaultTab = 0;  // dxaTab, twips; 0 when the DOP does not hold it
  xMorvaWordDate created;
  xMorvaWordDate revised;
};

// The associated strings the document informations take.
struct xMorvaWordInfos {
  std::u16string title;
  std::u16string subject;
  std::u16string notes;
  std::u16string author;
};

// A paragraph (sgc 1) or character (sgc 2) style with its base's
// properties merged under its own.
struct xMorvaWordStyle {
  bool exists = false;
  uint8_t sgc = 0;
  uint16_t sti = 0;    // the built-in style it is, 0x0FFE a style of the user's
  int16_t sheet = 0;   // the document's style sheet number
  uint16_t base = 0xFFFF;  // none
  std::u16string name;
  xMorvaWordChp chp;
  xMorvaWordPap pap;
};

// The main stream as the reader takes its parts (the text, the property
// pages, the section properties): read by range from the container, so
// that the whole stream is not held beside the text made of it, or over
// bytes held whole (a Word 6/95 file keeps its tables in it too).
class xMorvaWordMainStream {
 public:
  explicit xMorvaWordMainStream(const std::vector<uint8_t>& whole) : fWhole(&whole), fSize(whole.size()) {}
  xMorvaWordMainStream(xMorvaOleFile& ole, const xMorvaOleStreamRange& range);
  size_t size() const { return fSize; }
  // Bytes [offset, offset + count): into the bytes held, or read into
  // `scratch`; null when they pass the end or cannot be read.
  const uint8_t* Bytes(uint64_t offset, size_t count, std::vector<uint8_t>& scratch) const;
  // The whole stream: the bytes held, or read into `scratch`; null when
  // it cannot be read.
  const std::vector<uint8_t>* Whole(std::vector<uint8_t>& scratch) const;

 private:
  const std::vector<uint8_t>* fWhole = nullptr;
  xMorvaOleFile* fOle = nullptr;
  const xMorvaOleStreamRange* fRange = nullptr;
  size_t fSize = 0;
};

class xMorvaImportWord : public VObject {
 public:
  ~xMorvaImportWord() override = default;

  // The whole import into `document`, which is reset and filled only when
  // the file was read whole: 0, or one of the codes above.
  int32_t ImportWordDocument(xMorvaDocument* document, VStream* file);

  // Reads the file into the main story's characters (paragraph ends as CR,
  // markers removed) without touching a document; the same codes.
  int32_t ReadWordText(VStream& file, std::u16string& body);

  const xMorvaWordFib& GetFib() const { return fFib; }
  // The folder of the file being read, where linked pictures are looked
  // for (by their file name alone); empty: linked pictures are not read.
  void SetFolder(std::string folder) { fFolder = std::move(folder); }
  // What the import had to leave out: pictures that could not be made and
  // fields past the nesting limit or without their begin.
  int32_t DroppedPictures() const { return fDroppedPictures; }
  int32_t DroppedFields() const { return fDroppedFields; }
  // The header and footer stories: even header, odd header, even footer,
  // odd footer, first-page header, first-page footer.
  const xMorvaWordStory& GetStory(size_t index) const { return fStories[index]; }
  const std::vector<xMorvaWordSpecial>& GetBodySpecials() const { return fBodySpecials; }
  const xMorvaWordSection& GetSection() const { return fSection; }
  // The runs as ReadWordText reads them; after ImportWordDocument only
  // those that reach past the main text (the body frees its own once it
  // is made).
  const std::vector<xMorvaWordCharacterRun>& GetCharacterRuns() const { return fCharacterRuns; }
  const std::vector<xMorvaWordParagraphRun>& GetParagraphRuns() const { return fParagraphRuns; }
  const std::vector<std::u16string>& GetFontNames() const { return fFontNames; }
  const xMorvaWordDop& GetDop() const { return fDop; }
  const xMorvaWordInfos& GetInfos() const { return fInfos; }
  // The DTTM bits: minutes, hours, day, month, years since 1900.
  static xMorvaWordDate DateOfDttm(uint32_t dttm);
  // Ascending by body position: the paragraph ends that get space.
  const std::vector<xMorvaWordSpacing>& GetSpacing() const { return fSpacing; }
  const std::vector<xMorvaWordShade>& GetCellShading() const { return fCellShading; }
  // Ascending by body position: the paragraph ends that are page or
  // column breaks.
  const std::vector<xMorvaWordBreak>& GetBodyBreaks() const { return fBodyBreaks; }
  // For each character of the main text and its end, where it lands in
  // the body text.
  std::vector<uint32_t> GetBodyPositions() const { return fBodyPositions.ToVector(); }
  // By istd; slots without a style do not exist.
  const std::vector<xMorvaWordStyle>& GetStyles() const { return fStyles; }

  // The operand size of the sprm at the reader (positioned behind its
  // opcode), reading any length it carries; false when it cannot be known
  // (a Word 6/95 opcode outside the known ranges) or passes the grpprl.
  static bool OperandSize(uint16_t opcode, bool word97, ByteSpanReader& in, size_t& size);

  // One character or paragraph sprm at the reader's position applied to
  // `chp` or `pap`: 0, 9 for an opcode without a known size, or 2 when its
  // operand passes the end of its grpprl. Other sprms are skipped.
  int32_t ApplyCharacterSprm(ByteSpanReader& in, xMorvaWordChp& chp) const;
  int32_t ApplyParagraphSprm(ByteSpanReader& in, xMorvaWordPap& pap) const;

  // The character style `istd`'s own properties, its bases' first, over
  // `chp`.
  void ApplyCharacterStyle(uint16_t istd, xMorvaWordChp& chp) const;
  // The document's style sheet number of a style, 0 when it has none.
  int16_t SheetOf(uint16_t istd) const;

  // The FIB of a main stream: 0, or 1032 for a block it refuses (no Word
  // identifier, nFib outside 63 to 193, encrypted, or cut short).
  static int32_t ReadFib(const std::vector<uint8_t>& main, xMorvaWordFib& fib);

 private:
  int32_t ReadPieceTable(const xMorvaWordMainStream& main, const std::vector<uint8_t>& table,
                         std::u16string& text);
  int32_t ReadPlainText(const xMorvaWordMainStream& main, std::u16string& text);
  // The file position of a character through the pieces read; false when
  // no piece holds it.
  bool CharacterAt(uint32_t fc, uint32_t& cp) const;
  int32_t ReadDop(const std::vector<uint8_t>& table);
  int32_t ReadAssociatedStrings(const std::vector<uint8_t>& table);
  int32_t ReadFontTable(const std::vector<uint8_t>& table);
  int32_t ReadStyleSheet(const std::vector<uint8_t>& table);
  // Merges each style's base under it; 2 for a base that is missing's
  // chain that comes back to itself.
  int32_t ResolveStyleBases();
  int32_t ResolveStyle(uint16_t istd, std::vector<uint8_t>& state);
  // The piece properties over the runs of their pieces: character sprms
  // on the characters, paragraph sprms on the paragraphs whose ends the
  // piece holds.
  void ApplyPieceProperties();
  // Deleted revisions, symbols and runs in another character set, in the
  // main text's characters.
  void ApplyRunCharacters(const xMorvaWordMainStream& main, std::u16string& text) const;
  // The script code of the Windows code page a Word 6/95 run's 8-bit text
  // is in: its font's character set names it, else its language; -1 when
  // neither names one (the file's own Windows characters).
  int32_t ScriptOfRun(const xMorvaWordChp& chp) const;
  // The runs that give East Asian or other characters a font of their own
  // cut where the characters' class changes, each piece in its font.
  void ApplyScriptFonts(const std::u16string& text);
  // Each table row of the main text as a tabbed line: its tab stops,
  // indents, borders and cells' shading from its definition and its cells'
  // alignments; the cell ends that merged cells do without go to `joined`.
  void ResolveRows(const std::u16string& text, std::vector<uint32_t>& joined);
  // The paragraph ends of `body` that take space from the runs.
  void FindSpacing(const std::u16string& body);
  // A story's element bytes from its text and the runs, written in one
  // pass and given to `engine` piece by piece as they are made: 0, or 1041
  // with the engine's text left empty. `positions` gives each character
  // position's place in `body` from character `first` on (those before it
  // land at its start); the specials (sorted by
  // place) are written as their elements where their placeholders stand;
  // `spacing` widens the interlines of the paragraphs it names.
  int32_t BuildBody(xMorvaDocument& document, xMorvaEngine& engine, const std::u16string& body,
                    const xMorvaWordPositions& positions, uint32_t first,
                    const std::vector<xMorvaWordSpecial>& specials,
                    const std::vector<xMorvaWordSpacing>& spacing,
                    const std::vector<xMorvaWordBreak>& breaks);
  // The steps of BuildBody, with the state they share.
  class BodyBuilder;
  // Free the paragraph or character runs that lie wholly in the main
  // text, once the body has taken them: the header and footer stories,
  // which are built after it, place nothing from them.
  void DropMainTextParagraphRuns();
  void DropMainTextCharacterRuns();
  // The character properties of the style of the paragraph holding `cp`.
  xMorvaWordChp ParagraphStyleChp(uint32_t cp) const;
  // Where the paragraph run holding `cp` ends (or, outside every run, where
  // the next one starts).
  uint32_t ParagraphLimit(uint32_t cp) const;
  int32_t ReadCharacterRuns(const xMorvaWordMainStream& main, const std::vector<uint8_t>& table);
  int32_t ReadParagraphRuns(const xMorvaWordMainStream& main, const std::vector<uint8_t>& table);
  // The FKP pages of a bin table, in order.
  int32_t BinTablePages(const std::vector<uint8_t>& table, uint32_t fc, uint32_t lcb,
                        uint16_t pnFirst, uint16_t cpn, std::vector<uint32_t>& pages) const;
  int32_t ReadFirstSection(const xMorvaWordMainStream& main, const std::vector<uint8_t>& table);
  // Where each section but the last ends (the character position of its
  // closing character 12) and how the next one starts (its bkc).
  std::vector<std::pair<uint32_t, uint8_t>> SectionEnds(const xMorvaWordMainStream& main,
                                                        const std::vector<uint8_t>& table) const;
  // One section sprm at the reader's position; false when its operand
  // passes the end of its grpprl.
  bool ApplySectionSprm(ByteSpanReader& in, bool& stop);

  // Turns the fields of [from, to) of `text` into what the story shows:
  // instructions and dropped results are left out, fields that make an
  // element leave a placeholder recorded in `specials`. A position of the
  // field PLCF plus `shift` is its index in `text`.
  void ConvertFields(std::u16string& text, uint32_t from, uint32_t to,
                     const std::vector<uint8_t>& table, uint32_t fcPlc, uint32_t lcbPlc,
                     int64_t shift, std::vector<xMorvaWordSpecial>& specials);
  // The same for the pictures of the character runs; `text`
  // starts at character position `base`. Sorts `specials` by position.
  void ConvertRuns(std::u16string& text, uint32_t from, uint32_t to, uint32_t base,
                   const std::vector<uint8_t>& data, std::vector<xMorvaWordSpecial>& specials);
  // The pictures of the drawn shapes anchored in [from, to) of the main
  // text, by the shapes' records in the table stream and their blips in
  // the main stream. Sorts `specials` by position.
  void ConvertDrawnObjects(std::u16string& text, uint32_t from, uint32_t to,
                           const std::vector<uint8_t>& table, const xMorvaWordMainStream& main,
                           std::vector<xMorvaWordSpecial>& specials);
  // The picture of the PICF at `fc` of the data stream, or null (counted),
  // and the size the PICF shows it at (-1 for its own size).
  std::shared_ptr<VPictureData> ReadPicture(const std::vector<uint8_t>& data, uint64_t fc,
                                            int32_t& shownWidth, int32_t& shownHeight);
  // The header and footer stories out of the whole text, converted.
  void ReadHeaderStories(const std::u16string& whole, const std::vector<uint8_t>& table,
                         const std::vector<uint8_t>& data);
  // A story's characters turned, in place, into what its text takes
  // (MainStory's rules, no table rows), with the text position of each.
  static void StoryText(std::u16string& text, xMorvaWordPositions& positions);
  // The specials' character positions turned into text positions.
  static void PlaceSpecials(std::vector<xMorvaWordSpecial>& specials,
                            const xMorvaWordPositions& positions);
  // The header and footer stories into the document's parts, with their
  // runs, and the different first page and odd and even pages set.
  int32_t InsertStories(xMorvaDocument& document);
  // The bands of the pages whose headers or footers hold more lines than
  // the file's margins leave room for made taller, with the margins.
  void FitHeadersAndFooters(xMorvaDocument& document, bool differentFirst);

  // One entry per stretch of text read: file position, byte count, first
  // character position, two bytes a character.
  struct Piece {
    uint32_t fc = 0;
    uint32_t bytes = 0;
    uint32_t cp = 0;
    bool wide = false;
  };

  xMorvaWordFib fFib;
  xMorvaWordSection fSection;
  std::vector<Piece> fPieces;  // sorted by file position
  std::vector<std::u16string> fFontNames;
  std::vector<bool> fSymbolFonts;  // by font number: whether it is a symbol font
  std::vector<uint8_t> fFontCharSets;  // by font number: the FFN's chs
  xMorvaWordPositions fBodyPositions;  // body position of each main-text character
  xMorvaWordDop fDop;
  xMorvaWordInfos fInfos;
  std::vector<xMorvaWordStyle> fStyles;
  // Each style's own property groups, applied when its base is resolved.
  std::vector<std::vector<uint8_t>> fStylePapx;
  std::vector<std::vector<uint8_t>> fStyleChpx;
  int16_t fDefaultFont = -1;
  std::vector<xMorvaWordCharacterRun> fCharacterRuns;
  std::vector<xMorvaWordParagraphRun> fParagraphRuns;
  std::string fFolder;
  std::vector<xMorvaWordSpecial> fBodySpecials;
  xMorvaWordStory fStories[6];
  int32_t fDroppedPictures = 0;
  int32_t fDroppedFields = 0;
  std::vector<xMorvaWordSpacing> fSpacing;
  std::vector<xMorvaWordBreak> fBodyBreaks;
  std::vector<xMorvaWordShade> fCellShading;
  // The pieces that carry properties, by character position, and their sprms.
  struct PieceProperties {
    uint32_t first = 0;
    uint32_t limit = 0;
    std::vector<uint8_t> grpprl;
  };
  std::vector<PieceProperties> fPieceProperties;
  mutable int fStyleDepth = 0;  // character styles being applied, nested
};
