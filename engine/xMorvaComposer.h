// xMorvaComposer: one composition of a range of a flow's element stream
// into the line records of its xMorvaLines. The walk's running state (the
// pen, the line being built, the last break opportunity, a pending tab or
// soft hyphen, the metrics of the line) lives in members, and each step of
// the walk is a member function: start a line, take an item, lay out a
// tab, break at an opportunity, store a line, meet the old lines again
// after a change.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "document/xMorvaProperties.h"
#include "engine/xMorvaLineRecord.h"
#include "engine/xMorvaLines.h"

class xMorvaFont;
class xMorvaTabs;
struct StreamItem;

class xMorvaComposer {
 public:
  // Composes with `font` from the running `state` and `tabs`, both in
  // effect at the range's first byte and left as they stand at its end.
  // With `resume` the records after the insertion index are those of
  // before a change, and composition stops where the new lines meet them.
  xMorvaComposer(xMorvaLines& lines, xMorvaFont& font, xMorvaProperties& state, xMorvaTabs& tabs,
                 xMorvaLines::Resume* resume);
  xMorvaComposer(const xMorvaComposer&) = delete;
  xMorvaComposer& operator=(const xMorvaComposer&) = delete;

  // Composes from `start` to `end`, inserting records from `line` on; the
  // index after the last record stored. A composer runs once.
  int32_t Run(int32_t line, uint32_t start, uint32_t end);

 private:
  // Greatest ascent, descent and font height of a stretch of a line.
  struct Metrics {
    int32_t ascent = 0;
    int32_t descent = 0;
    int32_t fontHeight = 0;
    void Raise(const Metrics& other);
  };
  // A centre, right or decimal tab whose room the following units use up.
  struct PendingTab {
    bool pending = false;
    uint8_t* element = nullptr;
    uint32_t size = 0;
    int32_t kind = 0;
    double remaining = 0;
    uint16_t leader = 0;
    double leaderWidth = 0;
  };
  // A place on the line where it may be broken, and the line as it stood
  // there.
  struct Opportunity {
    bool open = false;
    uint16_t kind = 0;
    // The state there is the running state as long as no record has
    // changed it since: it is copied only when a record is about to.
    bool stateLive = false;
    xMorvaProperties state;
    uint32_t byteAfter = 0;
    double widthTo = 0;
    double xAfter = 0;
    int32_t height = 0;
    int32_t ascent = 0;
    int32_t positions = 0;
    int32_t spaces = 0;
    int32_t pageNumbers = 0;
    uint32_t elementEnd = 0;
    // The code point the place follows: its break character's, or the
    // last one of the character that break character begins (0 after a
    // tab).
    char32_t unit = 0;
    // The units after the break character go on with it (a mark, a
    // selector, a joiner): the place moves on over them as they are
    // placed, and opens after the character they make.
    bool growing = false;
    // The tab pending there: a break lays it out with the room it had.
    PendingTab tab;
  };
  // The unit under test: a character, a surrogate pair or a picture.
  struct Unit {
    bool picture = false;
    uint16_t unit = 0;
    bool pair = false;
    uint32_t step = 2;   // bytes it covers
    int32_t placed = 1;  // positions it takes
    double width = 0;
    int32_t pictureHeight = 0;
    // A picture's shown size, which `width` and `pictureHeight` fit to the
    // line it is tested on.
    int32_t shownWidth = 0;
    int32_t shownHeight = 0;
  };
  // Where the tab at the cursor goes.
  struct TabStopFound {
    uint32_t stop = 0;
    bool isDefault = true;
    int32_t kind = 0;
    double remaining = 0;
  };

  // Locks the stream and begins the first line; false when the stream
  // cannot be read.
  bool Begin(int32_t line, uint32_t start, uint32_t end);
  void End();

  // Lines and their records.
  void BeginRecord(const xMorvaProperties& lineState, uint16_t flags);
  void StartNextLine(const xMorvaProperties& lineState, uint16_t flags, const Metrics& m);
  void CloseLine(const Metrics& m);
  int32_t Height(const Metrics& m, uint16_t flags) const;
  Metrics FontMetrics() const;
  std::shared_ptr<const xMorvaTabs> CurrentStops();

  // The walk: each answers true when the new lines have met the old ones.
  bool TakeItem();
  void TakePropertyRecord(const StreamItem& item);
  bool TakeTab(const StreamItem& item);
  TabStopFound FindTabStop();
  bool BreakBeforeTab();
  void LayOutTab(const StreamItem& item, const TabStopFound& found);
  void EnterElement(const StreamItem& item);
  bool TakeUnit(Unit& u);
  void MeasureUnit(Unit& u);
  bool EndParagraph();
  bool TakeBreakCharacter(const Unit& u);
  void OpenOpportunity(uint16_t kind, uint32_t byteAfter, double widthTo);
  void KeepOpportunity();
  void GrowOpportunity(const Unit& u);
  Metrics StretchNow() const { return fStretchFresh ? FontMetrics() : fStretchM; }
  void FitPicture(Unit& u) const;
  void RaiseToPicture(const Unit& u);

  // Tabs and soft hyphens.
  void HideSoftHyphen();
  void FinishTab();
  void AdvanceUnderTab(double w, uint16_t unit);
  bool Fits(double w, uint16_t unit) const;
  void Place(double w, uint16_t unit, int32_t placed);

  // Line breaks.
  bool BreakWithoutOpportunity(Unit& u);
  // Whether the unit at byte `at` (past records) goes on with the one
  // before it on the line as one character (a mark, a selector, a skin
  // tone, a joined emoji, a flag's second half, a jamo of a syllable):
  // the line is never broken there.
  bool ContinuesCluster(uint32_t at) const;
  // Whether the break opportunity falls inside such a character (a jamo
  // before the rest of its syllable, a mark after a space).
  bool OpportunityInsideCluster(const Opportunity& opp) const;
  // The same, where `at` is the unit right after the place (0 past the
  // text or before records) and not below U+0300.
  bool OpportunityInsideClusterBefore(const Opportunity& opp, char16_t at) const;
  bool BreakAfterLoneUnit(const Unit& u);
  bool BreakBeforeUnit(Unit& u);
  bool BreakAtOpportunity(const Opportunity& opp, const Metrics& stretch);
  bool ResumeAfterTabBreak(uint32_t breakAt, const xMorvaProperties& breakState);
  bool CarryOverToNewLine(uint32_t breakAt, uint32_t breakElementEnd, double xAfter);
  void FinishRange();

  // Storing records, and the old records of before a change.
  void StoreLine(uint32_t bytesEnd);
  bool InsertRecord();
  void TakeOldPlace();
  void DropOldRecordsBefore(uint32_t at);
  void DropOldRecordsToEnd();
  bool MarkResumable(bool resumable);
  int64_t OldStartNow() const;
  int32_t LineCount() const;
  // The element at `element` had its layout written.
  void NoteWritten(const uint8_t* element) { fLastWritten = std::max<int64_t>(fLastWritten, element - fS); }
  // After meeting the old lines: how many of them hold an element whose
  // layout the walk wrote.
  int32_t OldLinesWritten();
  xMorvaLineRecord& OldAt(int32_t index);
  void Flush();

  xMorvaLines& fLines;
  xMorvaFont& fFont;
  // The running property state and tab list.
  xMorvaProperties& fState;
  xMorvaTabs& fTabs;
  xMorvaLines::Resume* fResume;
  const char16_t fDecimal;

  uint8_t* fLocked = nullptr;
  // An empty stream may have no block: it still composes to one line.
  uint8_t fNone[2] = {};
  uint8_t* fS = nullptr;
  uint32_t fSize = 0;
  uint32_t fStart = 0;
  uint32_t fEnd = 0;
  bool fTableWasEmpty = false;
  int32_t fFirstLine = 0;

  // The cursor and the index where the next record goes.
  uint32_t fAt = 0;
  int32_t fLine = 0;

  // The line being built, where it starts, and the pen.
  xMorvaLineRecord fRec;
  uint32_t fLineStart = 0;
  double fX = 0;
  PendingTab fTab;
  // The last opportunity (fOpp), and the last one before it at a
  // character's edge (fKept), which the line breaks at when fOpp falls
  // inside a character; the two trade places instead of being copied.
  // fKeptStretchM: the metrics of the text from fKept to fOpp.
  Opportunity fOpportunities[2];
  Opportunity* fOpp = &fOpportunities[0];
  Opportunity* fKept = &fOpportunities[1];
  Metrics fKeptStretchM;
  // The computed element whose visible text the cursor is in.
  uint32_t fElementStart = 0;
  uint32_t fElementEnd = 0;
  uint16_t fElementCode = 0;
  uint16_t fPendingBreak = 0;
  int32_t fPageNumbers = 0;
  // The offset of the last tab or page-number element whose layout the
  // walk wrote (-1: none): reading ahead for a place to break, it may lie
  // in the old lines the new ones meet.
  int64_t fLastWritten = -1;
  uint8_t* fSoftHyphen = nullptr;  // the pending one, shown
  double fSoftWidth = 0;
  bool fLastWasParagraphEnd = false;
  Metrics fLineM;
  Metrics fStretchM;
  Metrics fBeforeM;
  bool fStretchFresh = true;
  bool fTabRetried = false;

  // The stops as the tab list holds them, shared by the lines that begin
  // with them; made again after a tab record.
  std::shared_ptr<const xMorvaTabs> fStopsNow;
  // The new records wait here and go into the table together when the
  // walk ends, in one move of the records behind them, however many lines
  // or paragraphs break anew (a paste of many pages, a property over the
  // whole text), instead of one move per line. Meanwhile the table's
  // records from fBatchAt up to fOldNext are the old ones the new lines
  // took the place of or dropped, and the old record at index i (i >=
  // fLine) of the table as it will stand is the table's record
  // fOldNext + (i - fLine); fLine is fBatchAt plus the records waiting.
  std::vector<std::unique_ptr<xMorvaLineRecord>> fBatch;
  int32_t fBatchAt = 0;
  int32_t fOldNext = 0;
};
