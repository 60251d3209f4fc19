// xMorvaExportWord: writes a whole document as a Word 97 file inside a
// compound file: the text of the body and of the headers and footers, the
// character and paragraph runs, the style sheets, the font table, the page
// setup, the document options and the document informations.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "framework/core/VObject.h"
#include "interchange/fields/xMorvaPageNumberForm.h"

class VStream;
class VString;
class xMorvaDocument;
class xMorvaEngine;
class xMorvaProperties;
class xMorvaPropertiesStates;
class xMorvaTabs;
struct VDateRec;

// Result codes of the export.
constexpr int32_t kWordExportMissing = 1001;
constexpr int32_t kWordExportFailed = 1012;
constexpr int32_t kWordExportStreamError = 1041;

// The FIB's fc/lcb pairs the writer fills, by their place in the list of 93.
enum : uint16_t {
  kFibStshfOrig = 0,
  kFibStshf = 1,
  kFibPlcfSed = 6,
  kFibPlcfHdd = 11,
  kFibPlcfBteChpx = 12,
  kFibPlcfBtePapx = 13,
  kFibSttbfFfn = 15,
  kFibPlcfFldMom = 16,
  kFibPlcfFldHdr = 17,
  kFibCmds = 24,
  kFibDop = 31,
  kFibSttbfAssoc = 32,
  kFibClx = 33,
  kFibPgdMotherOldOld = 63,
  kFibBkdMotherOldOld = 64,
  kFibSttbSavedBy = 71,
  kFibPlcfBteLvc = 86,
  kFibModified = 87,
  kFibPairCount = 93,
};

// The sizes the file's layout fixes.
constexpr uint32_t kWordFcMin = 1024;
constexpr uint32_t kWordPage = 512;
constexpr uint32_t kWordDopSize = 500;
// A stop list operand keeps its length in one byte: at most 64 stops.
constexpr int32_t kWordMaxTabs = 64;
// An istd holds 12 bits and 0xFFF means none.
constexpr int32_t kWordMaxIstd = 4094;
// Font names longer than a face name are cut.
constexpr int32_t kWordMaxFontName = 31;

class xMorvaExportWord : public VObject {
 public:
  xMorvaExportWord();
  ~xMorvaExportWord() override;

  // 0; 1001 without a document or a file stream; 1041 when the container
  // or one of its streams cannot be made or written; 1012 for another
  // failure. The document, its selection and its undo history are left as
  // they were.
  int32_t ExportWordDocument(xMorvaDocument* document, VStream* file);

  // ---- The property encoders: each appends sprms and answers how many.
  // Paragraph properties against `base` (a style sheet's) or, without one,
  // against the defaults. `topBorder` carries whether the paragraph before
  // had its top border written. `baseTabs`, with a base, are the stops the
  // base's style gives: those the paragraph has none at are deleted.
  static int32_t EncodeParagraphSprms(std::vector<uint8_t>& out, const xMorvaProperties& values,
                                      const xMorvaTabs& tabs, const xMorvaProperties* base,
                                      uint8_t& topBorder, const xMorvaTabs* baseTabs = nullptr);
  // Character properties; `standardFtc` is the style sheet header's font,
  // `basedOnNothing` asks for the language of a style without a base. The
  // properties `stated` sets go out even where they equal the base's.
  static int32_t EncodeCharacterSprms(std::vector<uint8_t>& out, const xMorvaProperties& values,
                                      const xMorvaProperties* base, uint16_t standardFtc,
                                      bool basedOnNothing, const xMorvaPropertiesStates* stated = nullptr);
  // The document's page setup; the page numbers of the parts `notes` says
  // were walked are taken from it.
  static int32_t EncodeSectionSprms(std::vector<uint8_t>& out, xMorvaDocument& document,
                                    const xMorvaPageNumberNotes* notes = nullptr);

  static uint8_t ColorToIco(int32_t colour);
  // The palette colour nearest to a text or highlight colour: its exact
  // entry when it has one, else the entry of 1 to 16 closest in red, green
  // and blue; 0 (automatic) for no colour.
  static uint8_t NearestIco(int32_t colour);
  // The two words of a border: low word first.
  static uint32_t MakeBrc(int32_t style, int32_t colour, int32_t spacing);
  static uint16_t MakeShd(int32_t colour);
  // Low word: minutes, hours, day; high word: month, years since 1900.
  static uint32_t MakeDttm(const VDateRec& date, int32_t seconds);
  static uint32_t FcFromCp(uint32_t cp) { return kWordFcMin + 2 * cp; }

 private:
  struct Run {
    uint32_t cp = 0;
    uint32_t grpprl = 0;  // offset in fRunBytes
    uint8_t size = 0;
  };
  struct Paragraph {
    uint32_t cp = 0;  // start; the end is the next one's start
    uint16_t istd = 0;
    uint32_t grpprl = 0;  // offset in fParagraphBytes
    uint16_t size = 0;
  };

  // Walks the document, writing its text into `text` (the "WordDocument"
  // stream, from the FIB's end) as it goes, and gathers the rest.
  int32_t BuildStreams(VStream& text);
  void ReadStyleSheetBases();
  // Room for the stream, with the text's position after the FIB's; false
  // when the stream refuses it.
  bool ReserveFibSpace(VStream& text);
  void PadStreams();
  // The container with its streams and storage, written to the file.
  int32_t WriteContainer(VStream& file);
  // The text's pending units go to the stream.
  void WriteCharacters();
  // Writes to "WordDocument" at its position, up to `end`; its room grows
  // by half again when the bytes pass it.
  void WriteMain(const uint8_t* bytes, size_t length, uint64_t end);
  // Bytes of "WordDocument" after the text's last page, in order.
  void PutMain(const uint8_t* bytes, size_t length);
  // Appends the part's text, runs and paragraphs, noting its page numbers.
  void AppendPart(int16_t part, xMorvaEngine& engine);
  void AppendUnit(char16_t unit);
  void StartParagraph();
  void StartRun();
  void CloseStoryWithParagraphEnd(uint32_t start, bool closed);
  // The walk starts a part with the default properties and no stops.
  void ResetWalk();
  void AppendHeaderFooterStories();
  void WriteStyleSheet();
  void WriteStd(uint16_t istd, uint16_t sti, bool paragraph, uint16_t istdBase, const VString& name,
                const xMorvaProperties& properties, const xMorvaTabs& tabs, const xMorvaProperties* base,
                const xMorvaPropertiesStates* stated = nullptr);
  void WriteSectionTable();
  void WriteHeaderStoryTable();
  void WriteCharacterRuns();
  void WriteParagraphRuns();
  void WriteParagraphBoundaries();
  // One page of entries from entry `i` on, written after the pages before
  // it; `i` moves past the entries it took, and the page's number and its
  // last bound join `pages` and `fcs`.
  void BuildChpxPage(size_t& i, std::vector<uint32_t>& fcs, std::vector<uint32_t>& pages);
  void BuildPapxPage(size_t& i, std::vector<uint32_t>& fcs, std::vector<uint32_t>& pages);
  void BuildParagraphBoundaryPage(size_t i, std::vector<uint32_t>& fcs, std::vector<uint32_t>& pages);
  void WriteSavedBy();
  void WriteClx();
  void WriteFontTable();
  void WriteDop();
  void WriteAssociatedStrings();
  void WriteSectionProperties();
  void WriteFib();
  void EmptyTable(uint16_t pair);
  void Record(uint16_t pair, uint32_t fc);
  // Closes a page list of `pages` page numbers and `fcs` bounds.
  void WriteBinTable(uint16_t pair, const std::vector<uint32_t>& fcs, const std::vector<uint32_t>& pages);
  uint16_t StyleIndexForSheet(int16_t sheet) const;
  const xMorvaProperties* BaseOfSheet(int16_t sheet);
  const xMorvaTabs* BaseTabsOfSheet(int16_t sheet);
  // The code page of the property sets' texts: Mac OS Roman (10000) when
  // it carries every character of the informations and the template's
  // name, else UTF-16 (1200).
  uint16_t PropertyCodePage();
  void WriteSummaryInformation(std::vector<uint8_t>& out);
  void WriteDocumentSummaryInformation(std::vector<uint8_t>& out);
  static void WriteCompObj(std::vector<uint8_t>& out);

  xMorvaDocument* fDocument = nullptr;
  // "WordDocument": the FIB, the text, then from fMainBase, a page
  // boundary, the run pages and the section properties. All but the FIB go
  // to the stream as they are made, so that no part of it is held twice.
  std::vector<uint8_t> fFib;
  uint32_t fMainBase = 0;
  uint32_t fMainSize = 0;  // bytes from fMainBase
  uint32_t MainEnd() const { return fMainBase + fMainSize; }
  VStream* fMainStream = nullptr;
  uint64_t fMainRoom = 0;
  int32_t fMainCode = 0;
  std::vector<uint8_t> fTable;  // "0Table"
  uint32_t fFc[kFibPairCount] = {};
  uint32_t fLcb[kFibPairCount] = {};
  bool fHasContent[kFibPairCount] = {};
  // The combined text, the body then the header stories: it goes to the
  // stream a piece at a time during the walk. fCp counts its units.
  uint32_t fCp = 0;
  char16_t fLastUnit = 0;
  std::vector<uint8_t> fTextPiece;
  std::vector<Run> fRuns;
  std::vector<uint8_t> fRunBytes;
  std::vector<Paragraph> fParagraphs;
  std::vector<uint8_t> fParagraphBytes;
  uint32_t fCcpText = 0;
  uint32_t fCcpHdd = 0;
  uint32_t fHdd[14] = {};
  // The page numbers of the parts the text was written from.
  xMorvaPageNumberNotes fPageNumbers;
  uint32_t fFcMac = 0;
  uint32_t fSedAt = 0;
  uint16_t fStandardFtc = 0;
  uint8_t fTopBorder = 0;
  // The walk's state.
  std::unique_ptr<xMorvaProperties> fCurrent;
  std::unique_ptr<xMorvaTabs> fTabs;
  bool fParagraphOpen = false;
  bool fRunDirty = true;
  int16_t fParagraphSheet = 1;
  int16_t fRunSheet = 0;
  // Sheet id -> istd, and the sheets' properties read once.
  std::unordered_map<int16_t, uint16_t> fIstds;
  std::unordered_map<int16_t, std::unique_ptr<xMorvaProperties>> fBases;
  // Sheet id -> the stops its Word style has: Normal's, and for another
  // sheet Normal's with the sheet's own added.
  std::unordered_map<int16_t, std::unique_ptr<xMorvaTabs>> fBaseTabs;
  uint64_t fSaveTime = 0;
};
