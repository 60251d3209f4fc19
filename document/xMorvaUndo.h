// xMorvaUndo: the undo and redo history of a document, shared by all its
// parts. Every edit of an element stream is kept as the bytes inserted or
// deleted, bracketed by step records; undo and redo replay them backwards or
// forwards. Insertions coalesce, typing at one caret continues one step, and
// steps can be grouped so that one undo takes back a whole replace-all.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VObject.h"

class VRect;
class xMorvaDocumentInterface;
class xMorvaUndoEngine;

// Step kinds (the step's value in brackets).
enum : uint16_t {
  kUndoProperty = 0,        // property change (property id)
  kUndoParagraphFormat = 1,  // style sheet applied, borders set
  kUndoTabs = 2,
  kUndoSpecialElement = 3,  // special element inserted (element code)
  kUndoTyping = 4,
  kUndoPaste = 5,
  kUndoDelete = 6,
  kUndoNoWording = 7,
  kUndoCaseChange = 8,
  kUndoFreezeComputed = 9,
  kUndoFindReplace = 10,
  kUndoPictureSize = 11,  // (0 resized, kUndoValuePictureMoved moved)
  // Byte records.
  kUndoInsertion = 12,
  kUndoDeletion = 13,
  // Groups: 14 to 16.
  kUndoGroupReplaceAll = 14,
  kUndoGroupAllParts = 15,
  kUndoGroupStyleSheet = 16,
  // A picture placed on a page got another box.
  kUndoPagePictureBox = 17,
  // A style sheet as it was before and after a change.
  kUndoStyleSheet = 18,
  // A picture placed on a page as it was before and after a change
  // (present or not), in the form of a sheet record.
  kUndoPagePicture = 19,
};

// The value of a picture step whose picture was moved, not resized.
constexpr uint16_t kUndoValuePictureMoved = 1;

// The buffer, a sequence of records in this machine's order. Each record
// carries its kind at both ends, so the buffer can be walked both ways: the
// u16 before the cursor (backwards) or at it (forwards) is a kind: 0 to 11
// a step record, 12 or 13 a byte record, 14 to 16 a group marker, 17 a box
// record, 18 a style sheet record, 19 a page picture record (a sheet record
// whose id is the picture's data id).
//
//   step begin  kind u16, value u16, engine (pointer), length before i32,
//               selection start and end before i32 i32, kind u16
//   byte record kind u16, byte offset i32, n i32, the n bytes, n i32,
//               byte offset i32, kind u16 (20 + n bytes; while an insertion
//               is open its last 10 bytes are not yet written)
//   step end    kind u16, length after i32, selection start and end after
//               i32 i32, engine (pointer), value u16, kind u16
//   box record  kind u16, picture i32 (the data id of a picture placed on
//               a page), box before and after (left, top, width, height:
//               8 x i32), kind u16 (40 bytes)
//   sheet       kind u16, id i16, n before i32, n after i32, the state
//               before and the state after (as the document gives them;
//               n -1: no sheet of that id, no bytes), n before i32, n after
//               i32, id i16, kind u16 (24 + the bytes)
//   group       kind u16, page i32, engine (pointer), kind u16, once before
//               the group's first step and once after its last; a group
//               without steps writes neither. The engine and page are the
//               part current when the group was opened, which undo and
//               redo of the group make current again at their end: a group
//               that walked the parts leaves the user where the user was.
//
// Between position and end lies what can be redone; before position what
// can be undone.
class xMorvaUndo : public VObject {
 public:
  // Bytes of a step begin or end record: 18 and the engine pointer.
  static constexpr uint32_t kStepRecordSize = 18 + sizeof(void*);
  static constexpr uint32_t kByteRecordOverhead = 20;
  static constexpr uint32_t kBoxRecordSize = 40;
  static constexpr uint32_t kGroupMarkerSize = 8 + sizeof(void*);
  static constexpr uint32_t kSheetRecordOverhead = 24;
  static constexpr uint32_t kInitialBufferSize = 16000;
  // Alert items of the package's alert list.
  static constexpr int16_t kAlertStepCancelled = 1;
  static constexpr int16_t kAlertHistoryDropped = 2;

  explicit xMorvaUndo(xMorvaDocumentInterface& document);
  xMorvaUndo(const xMorvaUndo&) = delete;
  xMorvaUndo& operator=(const xMorvaUndo&) = delete;
  ~xMorvaUndo() override;

  // Opens a step: the document is marked modified (also when suspended);
  // typing at the caret where a pending typing step ended continues it;
  // otherwise the pending step is committed, the redo part dropped and a
  // begin record written. A step opened while one is open joins it.
  void BeginStep(xMorvaUndoEngine& engine, uint16_t kind, uint16_t value);
  // Prepares the end record of the open step; typing stays pending so that
  // the next typing at the caret joins it, any other kind is committed.
  void EndStep();
  // Gives up the open step: its byte changes are undone on the engine, its
  // length and selection restored, its records dropped, and the user told.
  void CancelStep();
  // A change of the element stream: 12 n bytes inserted at the offset, 13 n
  // bytes deleted there, `bytes` being what was inserted or deleted. Kept
  // only while recording with a step open.
  void RecordStreamChange(uint16_t kind, int32_t offset, const uint8_t* bytes, int32_t n);
  // A picture placed on a page, known by its data id, went from one box
  // on its page to another. Kept only while recording with a step open.
  void RecordPagePictureBox(int32_t picture, const VRect& before, const VRect& after);
  // Style sheets are stored beside the text, not in it, so a change to one
  // is kept apart until the text is formatted with it again. NoteStyleSheet
  // is told before sheet `id` is rewritten or deleted, and keeps the sheet
  // as it was then, the first time only: the sheet its text still carries.
  // RecordStyleSheet, told when that text is formatted again, writes the
  // sheet as kept and as it is now into a step of its own on `engine` (the
  // part current then), inside the caller's group, so that one undo gives
  // back the sheet with its text and one redo both. Nothing is kept while
  // suspended; clearing the history drops what was kept. `asNow` keeps the
  // sheet as it is now whatever was kept before: a sheet about to be
  // deleted comes back from undo as the user left it, with the changes
  // that had no undo step of their own.
  void NoteStyleSheet(int16_t id, bool asNow = false);
  void RecordStyleSheet(xMorvaUndoEngine& engine, int16_t id);
  // The ids of the style sheets the history holds: kept before a change,
  // or in a step that undo or redo can still replay. A new sheet takes none
  // of them, so that each replay puts its sheet back under its own id, the
  // id its runs carry, and over no sheet made since.
  std::vector<int16_t> HeldStyleSheetIds() const;
  // A picture placed on a page, known by its data id, as it was and as it
  // is now (bytes that only the document reads; null: no such picture), as
  // a step of its own of kind `kind` on `engine`; undo and redo put back
  // the one or the other through the document. Nothing while suspended.
  void RecordPagePicture(xMorvaUndoEngine& engine, uint16_t kind, int16_t id,
                         const std::vector<uint8_t>* before, const std::vector<uint8_t>* after);
  // Closes an open insertion and writes the pending end record.
  void Commit();
  // One undo takes back every step between BeginGroup and EndGroup. A group
  // opened inside a group joins it.
  void BeginGroup(uint16_t kind);
  void EndGroup();

  // Nothing when suspended, inside an open group, or with nothing to undo
  // (redo). A step that changed nothing because nothing of it could be put
  // back is passed over, and the one before (after) it taken instead.
  void Undo();
  void Redo();
  bool CanUndo() const { return fPosition != 0; }
  bool CanRedo() const { return fPosition != fEnd; }
  // The wording of the step that would be undone or redone: a list (1 to 4)
  // and an item in it; list 0 for a step without wording.
  void GetUndoItemText(bool& enabled, int16_t& list, int16_t& item) const;
  void GetRedoItemText(bool& enabled, int16_t& list, int16_t& item) const;

  // Drops the whole history and any open step; with `alert` the user is
  // told that the undo memory was exhausted.
  void Clear(bool alert);
  // Clear without alert, then record nothing until Resume.
  void Suspend();
  void Resume() { fSuspended = 0; }
  bool IsRecording() const { return fSuspended == 0; }

  // Bytes in use, and the undo cursor.
  int32_t GetEnd() const { return fEnd; }
  int32_t GetPosition() const { return fPosition; }
  bool IsStepOpen() const { return fStepOpen != 0; }
  bool IsStepPending() const { return fStepPending != 0; }

 private:
  struct StepRecord {
    uint16_t kind = 0;
    uint16_t value = 0;
    xMorvaUndoEngine* engine = nullptr;
    int32_t length = 0;
    int32_t selStart = 0;
    int32_t selEnd = 0;
  };
  struct ByteRecord {
    uint16_t kind = 0;
    int32_t offset = 0;
    int32_t n = 0;
  };

  // Makes room for `bytes` behind end; false, with the history dropped and
  // the user told, when the buffer cannot grow.
  bool Reserve(uint32_t bytes);
  void WriteAt(int32_t at, const void* data, uint32_t size);
  bool ReadAt(int32_t at, void* data, uint32_t size) const;
  // The u16 kind just before `at` / at `at`; false when the buffer has none.
  bool KindBefore(int32_t at, uint16_t& kind) const;
  bool KindAt(int32_t at, uint16_t& kind) const;
  // A step's begin and end records hold the same fields in two orders (see
  // above); one writer and one reader take the side.
  enum StepSide : uint8_t { kStepBegin, kStepEnd };
  void WriteStepRecord(const StepRecord& step, StepSide side);
  // False when the record is cut short or its two kinds, kind or engine do
  // not make a step.
  bool ReadStepRecord(int32_t at, StepRecord& step, StepSide side) const;
  // Writes the tail of the open insertion record.
  void CloseInsertion();
  void WriteGroupMarker();
  // Drops the redo part and writes the opening marker of the open group
  // before its first step.
  void StartWriting();
  // Replays the byte record whose tail ends at `at` (undo) or whose head
  // starts there (redo) on the engine; false when it could not.
  void CancelContinuation();
  // Puts back the length and selection of `state` after a cancel, and closes
  // the step; false (the history dropped) when `replayed` is false.
  bool CloseCancelledStep(xMorvaUndoEngine& engine, const StepRecord& state, bool replayed);
  // Sets the selection a step began or ended with (`state`): a typing
  // step's caret where the typing had it, any other selection at the
  // character edges.
  static void RestoreSelection(xMorvaUndoEngine& engine, const StepRecord& state);
  bool UndoByteRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last);
  bool RedoByteRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last);
  // A long run of deletions (as setting a property over a long text makes,
  // one record after another) replayed in one pass of the text instead of
  // one move of the text per record; with a shorter run, or one whose
  // offsets do not run the one way, the record at `at` alone. The same
  // answers and the same text as replaying them one by one.
  static constexpr size_t kDeletionRun = 16;
  bool UndoDeletionRun(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last);
  bool RedoDeletionRun(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last);
  // The byte record that ends at (starts at) `at`, checked as the replays
  // check it; `head` its first byte.
  bool ReadByteRecordBefore(int32_t at, ByteRecord& record, int32_t& head) const;
  bool ReadByteRecordAt(int32_t at, ByteRecord& record) const;
  // A box record ending at `at` (undo) or starting there (redo) put back
  // on the document; false when the record is damaged. A picture that is
  // gone cannot take its box: the record is passed over (`passedOver`).
  bool UndoBoxRecord(int32_t& at, bool& passedOver);
  bool RedoBoxRecord(int32_t& at, bool& passedOver);
  // A sheet record ending at `at` (undo: the state before) or starting
  // there (redo: the state after) put back on the document; one that the
  // document cannot put back (a picture on a page that is gone, a store
  // that refuses) is passed over.
  bool UndoSheetRecord(int32_t& at, bool& passedOver);
  bool RedoSheetRecord(int32_t& at, bool& passedOver);
  bool PutSheetState(int32_t head, bool after, bool& passedOver);
  // A box record (a sheet-form record of `size` bytes) whose picture placed
  // on a page is gone, marked so: its data id becomes -1, which no picture
  // has, so that every later replay passes it over too. A redo must not
  // bring back a picture that undo found gone, nor an undo take away
  // another picture that has its id since.
  void ForgetBoxPicture(int32_t head);
  void ForgetStatePicture(int32_t head, int32_t size);
  // Writes a record of the sheet record's form (a style sheet or a page
  // picture) into the open step.
  void WriteStateRecord(uint16_t kind, int16_t id, const std::vector<uint8_t>* before,
                        const std::vector<uint8_t>* after);
  // The part current when the group whose marker lies at `at` was opened
  // made current again.
  void RestoreGroupPart(int32_t at);
  // The record ending at `at` undone, or the one starting there redone.
  // Records beside the text (boxes, sheets, pictures on pages) that the
  // document cannot put back are passed over: the text does not depend on
  // them, so the steps around them stay whole. A byte record that cannot
  // be replayed leaves a text the history no longer matches: false.
  bool UndoRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last, bool& passedOver);
  bool RedoRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last, bool& passedOver);
  // One step replayed; `changed` is false when it held records and every
  // one of them was passed over, so that the step changed nothing.
  bool UndoOneStep(bool& changed);
  bool RedoOneStep(bool& changed);
  // One step, or one whole group; `changed` set when any of it changed.
  bool UndoOneUnit(bool& changed);
  bool RedoOneUnit(bool& changed);
  // The history does not match the text any more: drop it.
  void Abandon();
  static void Wording(uint16_t kind, uint16_t value, int16_t& list, int16_t& item);

  xMorvaDocumentInterface& fDocument;
  VMemHandle fBuffer = 0;
  int32_t fEnd = 0;
  int32_t fPosition = 0;
  int32_t fStepStart = 0;
  uint8_t fRecording = 1;
  uint8_t fSuspended = 0;
  // The open step: its begin record, and steps opened inside it.
  uint8_t fStepOpen = 0;
  int32_t fStepDepth = 0;
  StepRecord fStep;
  // The end record prepared by EndStep and not yet written.
  uint8_t fStepPending = 0;
  StepRecord fPending;
  // Typing that continues the pending step: where the history ended when it
  // went on, and the insertion then open (its head, -1 for none, and its
  // length), so that cancelling takes back only what came after.
  uint8_t fContinued = 0;
  int32_t fContinuedAt = 0;
  int32_t fContinuedInsert = -1;
  int32_t fContinuedInsertN = 0;
  // The last byte record is an insertion that may still grow: where its
  // head starts in the buffer and the stream offset just behind its bytes.
  uint8_t fInsertOpen = 0;
  int32_t fInsertRecord = 0;
  int32_t fInsertEndOffset = 0;
  // The open group: its kind, how deep groups are opened inside it, and
  // whether its opening marker is written yet.
  uint16_t fGroupKind = 0;
  int32_t fGroupDepth = 0;
  uint8_t fGroupMarkerWritten = 0;
  int32_t fGroupMarkerAt = 0;
  xMorvaUndoEngine* fGroupEngine = nullptr;
  int32_t fGroupPage = 0;
  // Sheets changed since their text was last formatted with them, as they
  // were before the first change (present 0: the sheet did not exist).
  struct SheetNote {
    int16_t id = 0;
    uint8_t present = 0;
    std::vector<uint8_t> state;
  };
  std::vector<SheetNote> fSheetNotes;
};
