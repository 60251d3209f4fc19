// xMorvaUndo: the undo and redo history of a document, recorded as byte
// changes of the element streams inside step records.
#include "document/xMorvaUndo.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>
#include <vector>

#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocumentInterface.h"
#include "document/xMorvaUndoEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VShape.h"

namespace {

// The buffer grows in whole granules, so that recording one small record
// after another does not move the whole history each time.
constexpr uint16_t kBufferGranule = 4096;
// The tail of a byte record: n, offset, kind.
constexpr int32_t kByteTail = 10;
constexpr int32_t kByteHead = 10;

bool IsByteKind(uint16_t kind) { return kind == kUndoInsertion || kind == kUndoDeletion; }
bool IsGroupKind(uint16_t kind) { return kind >= kUndoGroupReplaceAll && kind <= kUndoGroupStyleSheet; }
// The records in the form of a sheet record: a state before and after.
bool IsStateKind(uint16_t kind) { return kind == kUndoStyleSheet || kind == kUndoPagePicture; }
// The records a step holds between its begin and end records.
bool IsRecordKind(uint16_t kind) {
  return IsByteKind(kind) || kind == kUndoPagePictureBox || IsStateKind(kind);
}
// The head (and, mirrored, the tail) of a sheet record: kind, id and the
// two state lengths.
constexpr int32_t kSheetHead = 12;
// A sheet state's bytes: none for a sheet that did not exist (-1).
int32_t SheetBytes(int32_t n) { return n > 0 ? n : 0; }

// Field writers and readers over unaligned bytes.
template <typename T>
uint8_t* Put(uint8_t* at, T value) {
  std::memcpy(at, &value, sizeof value);
  return at + sizeof value;
}
template <typename T>
const uint8_t* Get(const uint8_t* at, T& value) {
  std::memcpy(&value, at, sizeof value);
  return at + sizeof value;
}

}  // namespace

xMorvaUndo::xMorvaUndo(xMorvaDocumentInterface& document) : fDocument(document) {
  fBuffer = gMemoryMgr->NewHandle(kInitialBufferSize, kBufferGranule);
}

xMorvaUndo::~xMorvaUndo() {
  if (fBuffer != 0) gMemoryMgr->DisposeHandle(fBuffer);
}

// ---- The buffer

bool xMorvaUndo::Reserve(uint32_t bytes) {
  const uint64_t needed = uint64_t(uint32_t(fEnd)) + bytes;
  bool grown = needed <= uint64_t(INT32_MAX);
  if (grown) {
    if (fBuffer == 0) {
      fBuffer = gMemoryMgr->NewHandle(uint32_t(needed), kBufferGranule);
      grown = fBuffer != 0;
    } else if (gMemoryMgr->GetHandleSize(fBuffer) < needed) {
      grown = gMemoryMgr->SetHandleSize(fBuffer, uint32_t(needed));
    }
  }
  if (!grown) Clear(true);
  return grown;
}

void xMorvaUndo::WriteAt(int32_t at, const void* data, uint32_t size) {
  if (size == 0) return;
  auto* buffer = static_cast<uint8_t*>(gMemoryMgr->LockHandle(fBuffer));
  if (buffer != nullptr) std::memcpy(buffer + at, data, size);
  gMemoryMgr->UnlockHandle(fBuffer);
}

bool xMorvaUndo::ReadAt(int32_t at, void* data, uint32_t size) const {
  if (at < 0 || uint64_t(uint32_t(at)) + size > uint64_t(uint32_t(fEnd)) || fBuffer == 0) {
    return false;
  }
  if (size == 0) return true;
  const auto* buffer = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(fBuffer));
  if (buffer != nullptr) std::memcpy(data, buffer + at, size);
  gMemoryMgr->UnlockHandle(fBuffer);
  return buffer != nullptr;
}

bool xMorvaUndo::KindBefore(int32_t at, uint16_t& kind) const {
  return at >= 2 && ReadAt(at - 2, &kind, sizeof kind);
}

bool xMorvaUndo::KindAt(int32_t at, uint16_t& kind) const { return ReadAt(at, &kind, sizeof kind); }

void xMorvaUndo::WriteStepRecord(const StepRecord& step, StepSide side) {
  uint8_t record[kStepRecordSize];
  uint8_t* at = Put(record, step.kind);
  if (side == kStepBegin) {
    at = Put(at, step.value);
    at = Put(at, step.engine);
  }
  at = Put(at, step.length);
  at = Put(at, step.selStart);
  at = Put(at, step.selEnd);
  if (side == kStepEnd) {
    at = Put(at, step.engine);
    at = Put(at, step.value);
  }
  Put(at, step.kind);
  WriteAt(fEnd, record, kStepRecordSize);
  fEnd += int32_t(kStepRecordSize);
  fPosition = fEnd;
}

bool xMorvaUndo::ReadStepRecord(int32_t at, StepRecord& step, StepSide side) const {
  uint8_t record[kStepRecordSize];
  if (!ReadAt(at, record, kStepRecordSize)) return false;
  uint16_t tail = 0;
  const uint8_t* p = Get(record, step.kind);
  if (side == kStepBegin) {
    p = Get(p, step.value);
    p = Get(p, step.engine);
  }
  p = Get(p, step.length);
  p = Get(p, step.selStart);
  p = Get(p, step.selEnd);
  if (side == kStepEnd) {
    p = Get(p, step.engine);
    p = Get(p, step.value);
  }
  Get(p, tail);
  return tail == step.kind && step.kind < kUndoInsertion && step.engine != nullptr;
}

// ---- Recording

void xMorvaUndo::StartWriting() {
  // Whatever could have been redone is dropped by a new change.
  fEnd = fPosition;
  if (fGroupDepth > 0 && fGroupMarkerWritten == 0) WriteGroupMarker();
}

void xMorvaUndo::WriteGroupMarker() {
  if (!Reserve(kGroupMarkerSize)) return;
  const uint16_t kind = IsGroupKind(fGroupKind) ? fGroupKind : uint16_t(kUndoGroupReplaceAll);
  uint8_t marker[kGroupMarkerSize];
  Put(Put(Put(Put(marker, kind), fGroupPage), fGroupEngine), kind);
  WriteAt(fEnd, marker, kGroupMarkerSize);
  fGroupMarkerAt = fEnd;
  fEnd += int32_t(kGroupMarkerSize);
  fPosition = fEnd;
  fGroupMarkerWritten = 1;
}

void xMorvaUndo::RestoreGroupPart(int32_t at) {
  uint8_t marker[kGroupMarkerSize];
  if (!ReadAt(at, marker, kGroupMarkerSize)) return;
  uint16_t kind = 0;
  uint16_t tail = 0;
  int32_t page = 0;
  xMorvaUndoEngine* engine = nullptr;
  Get(Get(Get(Get(marker, kind), page), engine), tail);
  if (kind == tail && IsGroupKind(kind) && engine != nullptr)
    fDocument.RestoreEditedPart(*engine, page);
}

void xMorvaUndo::BeginStep(xMorvaUndoEngine& engine, uint16_t kind, uint16_t value) {
  fDocument.SetModified();
  if (fSuspended != 0) return;
  // An edit made of edits: the inner steps belong to the outer one.
  if (fStepOpen != 0) {
    ++fStepDepth;
    return;
  }
  int32_t selStart = 0;
  int32_t selEnd = 0;
  engine.GetSelection(selStart, selEnd);
  if (fStepPending != 0) {
    // Typing on at the caret where the pending typing ended continues it.
    if (kind == kUndoTyping && fPending.engine == &engine && selStart == selEnd &&
        selStart == fPending.selEnd) {
      fStepPending = 0;
      fStepOpen = 1;
      fStepDepth = 0;
      fContinued = 1;
      fContinuedAt = fEnd;
      fContinuedInsert = -1;
      fContinuedInsertN = 0;
      if (fInsertOpen != 0 && ReadAt(fInsertRecord + 6, &fContinuedInsertN, sizeof fContinuedInsertN))
        fContinuedInsert = fInsertRecord;
      return;
    }
    Commit();
  }
  fContinued = 0;
  StartWriting();
  if (fGroupDepth > 0 && fGroupMarkerWritten == 0) return;  // the history was dropped
  if (!Reserve(kStepRecordSize)) return;
  fStep = StepRecord{kind, value, &engine, engine.GetLength(), selStart, selEnd};
  fStepStart = fEnd;
  WriteStepRecord(fStep, kStepBegin);
  fStepOpen = 1;
  fStepDepth = 0;
}

void xMorvaUndo::EndStep() {
  if (fStepOpen == 0) return;
  if (fStepDepth > 0) {
    --fStepDepth;
    return;
  }
  fContinued = 0;
  fPending = fStep;
  fPending.length = fStep.engine->GetLength();
  fStep.engine->GetSelection(fPending.selStart, fPending.selEnd);
  fStepOpen = 0;
  fStepPending = 1;
  if (fPending.kind != kUndoTyping) Commit();
}

void xMorvaUndo::CloseInsertion() {
  if (fInsertOpen == 0) return;
  fInsertOpen = 0;
  uint8_t head[kByteHead];
  if (!ReadAt(fInsertRecord, head, kByteHead)) return;
  uint16_t kind = 0;
  int32_t offset = 0;
  int32_t n = 0;
  Get(Get(Get(head, kind), offset), n);
  if (!Reserve(kByteTail)) return;
  uint8_t tail[kByteTail];
  Put(Put(Put(tail, n), offset), kind);
  WriteAt(fEnd, tail, kByteTail);
  fEnd += kByteTail;
  fPosition = fEnd;
}

void xMorvaUndo::RecordStreamChange(uint16_t kind, int32_t offset, const uint8_t* bytes, int32_t n) {
  if (fRecording == 0 || fSuspended != 0 || fStepOpen == 0) return;
  if (!IsByteKind(kind) || n <= 0 || bytes == nullptr) return;
  if (fInsertOpen != 0 && (kind != kUndoInsertion || offset != fInsertEndOffset)) {
    CloseInsertion();
    if (fStepOpen == 0) return;  // the history was dropped
  }
  if (fInsertOpen != 0) {
    // Coalescing: the bytes join the open insertion.
    if (!Reserve(uint32_t(n))) return;
    WriteAt(fEnd, bytes, uint32_t(n));
    int32_t length = 0;
    ReadAt(fInsertRecord + 6, &length, sizeof length);
    length += n;
    WriteAt(fInsertRecord + 6, &length, sizeof length);
    fEnd += n;
    fPosition = fEnd;
    fInsertEndOffset += n;
    return;
  }
  const uint32_t size = uint32_t(n) + (kind == kUndoInsertion ? kByteHead : kByteRecordOverhead);
  if (!Reserve(size)) return;
  uint8_t head[kByteHead];
  Put(Put(Put(head, kind), offset), n);
  WriteAt(fEnd, head, kByteHead);
  WriteAt(fEnd + kByteHead, bytes, uint32_t(n));
  if (kind == kUndoInsertion) {
    fInsertOpen = 1;
    fInsertRecord = fEnd;
    fInsertEndOffset = offset + n;
  } else {
    uint8_t tail[kByteTail];
    Put(Put(Put(tail, n), offset), kind);
    WriteAt(fEnd + kByteHead + n, tail, kByteTail);
  }
  fEnd += int32_t(size);
  fPosition = fEnd;
}

void xMorvaUndo::RecordPagePictureBox(int32_t picture, const VRect& before, const VRect& after) {
  if (fRecording == 0 || fSuspended != 0 || fStepOpen == 0) return;
  CloseInsertion();
  if (fStepOpen == 0 || !Reserve(kBoxRecordSize)) return;  // the history was dropped
  uint8_t record[kBoxRecordSize];
  const uint16_t kind = kUndoPagePictureBox;
  uint8_t* at = Put(Put(record, kind), picture);
  for (const VRect* box : {&before, &after}) {
    at = Put(at, box->GetLeft());
    at = Put(at, box->GetTop());
    at = Put(at, box->GetWidth());
    at = Put(at, box->GetHeight());
  }
  Put(at, kind);
  WriteAt(fEnd, record, kBoxRecordSize);
  fEnd += int32_t(kBoxRecordSize);
  fPosition = fEnd;
}

void xMorvaUndo::Commit() {
  if (fInsertOpen != 0) CloseInsertion();
  if (fStepPending == 0) return;
  if (!Reserve(kStepRecordSize)) return;
  fStepPending = 0;
  WriteStepRecord(fPending, kStepEnd);
}

void xMorvaUndo::BeginGroup(uint16_t kind) {
  if (fGroupDepth++ > 0) return;  // a group inside a group joins it
  if (fSuspended == 0) Commit();
  fGroupKind = kind;
  fGroupEngine = fDocument.GetEditedPart(fGroupPage);
  // The opening marker waits for the group's first step: a group without
  // steps leaves nothing in the history.
  fGroupMarkerWritten = 0;
}

void xMorvaUndo::EndGroup() {
  if (fGroupDepth == 0 || --fGroupDepth > 0) return;
  if (fSuspended != 0 || fGroupMarkerWritten == 0) return;
  Commit();
  if (fGroupMarkerWritten != 0) {  // still there after the commit
    fEnd = fPosition;
    WriteGroupMarker();
  }
  fGroupMarkerWritten = 0;
}

void xMorvaUndo::CancelStep() {
  if (fStepOpen == 0) return;
  // Typing that went on from a pending step gives back only its own
  // keystrokes: the ones before it stay typed and undoable.
  if (fContinued != 0) {
    CancelContinuation();
    return;
  }
  // The open insertion's bytes are in the stream too: it is closed so that
  // it is taken back with the others.
  CloseInsertion();
  if (fStepOpen == 0) return;  // the history was dropped
  fRecording = 0;
  xMorvaUndoEngine& engine = *fStep.engine;
  int32_t at = fEnd;
  int32_t first = INT32_MAX;
  int32_t last = INT32_MIN;
  const int32_t firstRecord = fStepStart + int32_t(kStepRecordSize);
  bool replayed = true;
  bool passedOver = false;
  while (replayed && at > firstRecord) replayed = UndoRecord(engine, at, first, last, passedOver);
  if (!CloseCancelledStep(engine, fStep, replayed)) return;
  fEnd = fPosition = fStepStart;
  // A group whose first step this was holds nothing now: its opening marker
  // goes too, so that no group without steps is left behind.
  if (fGroupMarkerWritten != 0 && fGroupMarkerAt + int32_t(kGroupMarkerSize) == fStepStart) {
    fEnd = fPosition = fGroupMarkerAt;
    fGroupMarkerWritten = 0;
  }
  if (fBuffer != 0) gMemoryMgr->SetHandleSize(fBuffer, uint32_t(fEnd));
  ShowDocumentAlert(kAlertListOffset, kAlertStepCancelled);
}

bool xMorvaUndo::CloseCancelledStep(xMorvaUndoEngine& engine, const StepRecord& state,
                                    bool replayed) {
  engine.SetLength(state.length);
  RestoreSelection(engine, state);
  fRecording = 1;
  fStepOpen = 0;
  fStepDepth = 0;
  // Records that could not be replayed leave a history that no longer
  // matches the text: it is dropped.
  if (!replayed) Clear(true);
  return replayed;
}

void xMorvaUndo::RestoreSelection(xMorvaUndoEngine& engine, const StepRecord& state) {
  if (state.kind == kUndoTyping)
    engine.SetSelectionAsTyped(state.selStart, state.selEnd);
  else
    engine.SetSelection(state.selStart, state.selEnd);
}

void xMorvaUndo::CancelContinuation() {
  fContinued = 0;
  fRecording = 0;
  xMorvaUndoEngine& engine = *fStep.engine;
  int32_t first = INT32_MAX;
  int32_t last = INT32_MIN;
  bool replayed = true;
  // Records written since are taken back whole. The insertion open at the
  // time may have grown since: it loses only the bytes added to it, and is
  // open again as it was.
  if (fInsertOpen != 0 && fInsertRecord == fContinuedInsert) {
    int32_t offset = 0;
    int32_t n = 0;
    replayed = ReadAt(fInsertRecord + 2, &offset, sizeof offset) &&
               ReadAt(fInsertRecord + 6, &n, sizeof n) && n >= fContinuedInsertN;
    if (replayed && n > fContinuedInsertN) {
      engine.DeleteBytes(offset + fContinuedInsertN, n - fContinuedInsertN);
      WriteAt(fInsertRecord + 6, &fContinuedInsertN, sizeof fContinuedInsertN);
    }
    if (replayed) fInsertEndOffset = offset + fContinuedInsertN;
  } else {
    CloseInsertion();
    if (fStepOpen == 0) return;  // the history was dropped
    int32_t at = fEnd;
    while (replayed && at > fContinuedAt) {
      if (fContinuedInsert >= 0 && at > fContinuedInsert + int32_t(kByteRecordOverhead)) {
        // The insertion open at the time, closed since: its own bytes are
        // undone down to the length it had, and it is open again.
        int32_t n = 0;
        ReadAt(at - int32_t(kByteTail), &n, sizeof n);
        if (at - int32_t(kByteRecordOverhead) - n == fContinuedInsert) {
          int32_t offset = 0;
          replayed = ReadAt(fContinuedInsert + 2, &offset, sizeof offset) && n >= fContinuedInsertN;
          if (!replayed) break;
          if (n > fContinuedInsertN) engine.DeleteBytes(offset + fContinuedInsertN, n - fContinuedInsertN);
          WriteAt(fContinuedInsert + 6, &fContinuedInsertN, sizeof fContinuedInsertN);
          fInsertOpen = 1;
          fInsertRecord = fContinuedInsert;
          fInsertEndOffset = offset + fContinuedInsertN;
          break;
        }
      }
      bool passedOver = false;
      replayed = UndoRecord(engine, at, first, last, passedOver);
    }
  }
  if (!CloseCancelledStep(engine, fPending, replayed)) return;
  fEnd = fPosition = fContinuedAt;
  fStepPending = 1;
  if (fBuffer != 0) gMemoryMgr->SetHandleSize(fBuffer, uint32_t(fEnd));
  ShowDocumentAlert(kAlertListOffset, kAlertStepCancelled);
}

// ---- Replaying

bool xMorvaUndo::UndoByteRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first,
                                int32_t& last) {
  uint8_t tail[kByteTail];
  if (at < int32_t(kByteRecordOverhead) || !ReadAt(at - kByteTail, tail, kByteTail)) return false;
  uint16_t kind = 0;
  int32_t offset = 0;
  int32_t n = 0;
  Get(Get(Get(tail, n), offset), kind);
  if (!IsByteKind(kind) || n < 0 || n > at - int32_t(kByteRecordOverhead)) return false;
  const int32_t head = at - int32_t(kByteRecordOverhead) - n;
  uint8_t headBytes[kByteHead];
  uint16_t headKind = 0;
  int32_t headOffset = 0;
  int32_t headN = 0;
  if (!ReadAt(head, headBytes, kByteHead)) return false;
  Get(Get(Get(headBytes, headKind), headOffset), headN);
  if (headKind != kind || headOffset != offset || headN != n) return false;

  if (kind == kUndoInsertion) {
    engine.DeleteBytes(offset, n);
    if (offset < first) first = offset;
    if (offset > last) last = offset;
  } else {
    if (engine.InsertBytes(offset, n) != 0) return false;
    uint8_t* stream = engine.LockStream();
    const bool copied = stream != nullptr && ReadAt(head + kByteHead, stream + offset, uint32_t(n));
    engine.UnlockStream();
    if (!copied) return false;
    if (offset < first) first = offset;
    if (offset + n > last) last = offset + n;
  }
  at = head;
  return true;
}

bool xMorvaUndo::RedoByteRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first,
                                int32_t& last) {
  uint8_t head[kByteHead];
  if (!ReadAt(at, head, kByteHead)) return false;
  uint16_t kind = 0;
  int32_t offset = 0;
  int32_t n = 0;
  Get(Get(Get(head, kind), offset), n);
  if (!IsByteKind(kind) || n < 0 || n > fEnd - at - int32_t(kByteRecordOverhead)) return false;
  uint8_t tail[kByteTail];
  uint16_t tailKind = 0;
  int32_t tailOffset = 0;
  int32_t tailN = 0;
  if (!ReadAt(at + kByteHead + n, tail, kByteTail)) return false;
  Get(Get(Get(tail, tailN), tailOffset), tailKind);
  if (tailKind != kind || tailOffset != offset || tailN != n) return false;

  if (kind == kUndoInsertion) {
    if (engine.InsertBytes(offset, n) != 0) return false;
    uint8_t* stream = engine.LockStream();
    const bool copied = stream != nullptr && ReadAt(at + kByteHead, stream + offset, uint32_t(n));
    engine.UnlockStream();
    if (!copied) return false;
    if (offset < first) first = offset;
    if (offset + n > last) last = offset + n;
  } else {
    engine.DeleteBytes(offset, n);
    if (offset < first) first = offset;
    if (offset > last) last = offset;
  }
  at += int32_t(kByteRecordOverhead) + n;
  return true;
}

bool xMorvaUndo::ReadByteRecordBefore(int32_t at, ByteRecord& record, int32_t& head) const {
  uint8_t tail[kByteTail];
  if (at < int32_t(kByteRecordOverhead) || !ReadAt(at - kByteTail, tail, kByteTail)) return false;
  Get(Get(Get(tail, record.n), record.offset), record.kind);
  if (!IsByteKind(record.kind) || record.n < 0 || record.n > at - int32_t(kByteRecordOverhead)) return false;
  head = at - int32_t(kByteRecordOverhead) - record.n;
  uint8_t headBytes[kByteHead];
  ByteRecord check;
  if (!ReadAt(head, headBytes, kByteHead)) return false;
  Get(Get(Get(headBytes, check.kind), check.offset), check.n);
  return check.kind == record.kind && check.offset == record.offset && check.n == record.n;
}

bool xMorvaUndo::ReadByteRecordAt(int32_t at, ByteRecord& record) const {
  uint8_t head[kByteHead];
  if (!ReadAt(at, head, kByteHead)) return false;
  Get(Get(Get(head, record.kind), record.offset), record.n);
  if (!IsByteKind(record.kind) || record.n < 0 || record.n > fEnd - at - int32_t(kByteRecordOverhead)) return false;
  uint8_t tail[kByteTail];
  ByteRecord check;
  if (!ReadAt(at + kByteHead + record.n, tail, kByteTail)) return false;
  Get(Get(Get(tail, check.n), check.offset), check.kind);
  return check.kind == record.kind && check.offset == record.offset && check.n == record.n;
}

bool xMorvaUndo::UndoDeletionRun(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last) {
  // The deletions, last first, as undo takes them back: each goes in at an
  // offset at or before the one before it.
  struct Chunk {
    int32_t offset;
    int32_t n;
    int32_t bytesAt;
  };
  std::vector<Chunk> run;
  int32_t cursor = at;
  int64_t total = 0;
  for (;;) {
    uint16_t kind = 0;
    ByteRecord record;
    int32_t head = 0;
    if (!KindBefore(cursor, kind) || kind != kUndoDeletion || !ReadByteRecordBefore(cursor, record, head) ||
        record.offset < 0 || (!run.empty() && record.offset > run.back().offset) ||
        total + record.n > INT32_MAX / 2) {
      break;
    }
    run.push_back({record.offset, record.n, head + kByteHead});
    total += record.n;
    cursor = head;
  }
  // The highest offset must lie in the text, as the first insertion would
  // check; a text that refuses it is left to the one-by-one replay.
  if (run.size() < kDeletionRun || engine.InsertBytes(run.front().offset, 0) != 0)
    return UndoByteRecord(engine, at, first, last);
  // Room for all of them at the lowest offset; then, from there up, the
  // bytes of the text up to each chunk's offset move down and the chunk
  // goes in after them, the later chunks first at a shared offset.
  const int32_t low = run.back().offset;
  if (engine.InsertBytes(low, int32_t(total)) != 0) return false;
  uint8_t* stream = engine.LockStream();
  bool copied = stream != nullptr;
  int64_t write = low;
  int64_t read = low + total;
  int64_t kept = low;  // offset in the text before the run
  for (size_t i = run.size(); copied && i-- > 0;) {
    const Chunk& chunk = run[i];
    const int64_t between = chunk.offset - kept;
    if (between > 0) std::memmove(stream + write, stream + read, size_t(between));
    write += between;
    read += between;
    kept = chunk.offset;
    copied = ReadAt(chunk.bytesAt, stream + write, uint32_t(chunk.n));
    write += chunk.n;
  }
  engine.UnlockStream();
  if (!copied) return false;
  // What moved between the chunks is composed again with them.
  engine.RecomposeRange(low, int32_t(run.front().offset + total));
  for (const Chunk& chunk : run) {
    if (chunk.offset < first) first = chunk.offset;
    if (chunk.offset + chunk.n > last) last = chunk.offset + chunk.n;
  }
  at = cursor;
  return true;
}

bool xMorvaUndo::RedoDeletionRun(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last) {
  // The deletions in their order: each at or after the offset of the one
  // before it, which is where the first moved the bytes behind it to.
  struct Chunk {
    int32_t offset;
    int32_t n;
  };
  std::vector<Chunk> run;
  int32_t cursor = at;
  int64_t total = 0;
  for (;;) {
    uint16_t kind = 0;
    ByteRecord record;
    if (!KindAt(cursor, kind) || kind != kUndoDeletion || !ReadByteRecordAt(cursor, record) ||
        record.offset < 0 || (!run.empty() && record.offset < run.back().offset) ||
        total + record.n > INT32_MAX / 2) {
      break;
    }
    run.push_back({record.offset, record.n});
    total += record.n;
    cursor += int32_t(kByteRecordOverhead) + record.n;
  }
  // In the text before the run the last chunk ends here; it must lie in
  // the text, or the run is left to the one-by-one replay, which cuts a
  // deletion to the text.
  const int64_t end = run.empty() ? 0 : int64_t(run.back().offset) + total;
  if (run.size() < kDeletionRun || end > INT32_MAX || engine.InsertBytes(int32_t(end), 0) != 0)
    return RedoByteRecord(engine, at, first, last);
  uint8_t* stream = engine.LockStream();
  if (stream == nullptr) return RedoByteRecord(engine, at, first, last);
  // From the last chunk down, the kept bytes between two chunks move up
  // against what follows; the deleted bytes gather at the first chunk's
  // offset and go in one deletion.
  std::vector<int64_t> starts(run.size());
  int64_t before = 0;
  for (size_t i = 0; i < run.size(); ++i) {
    starts[i] = run[i].offset + before;
    before += run[i].n;
  }
  int64_t write = end;
  for (size_t i = run.size() - 1; i-- > 0;) {
    const int64_t from = starts[i] + run[i].n;
    const int64_t length = starts[i + 1] - from;
    if (length > 0) std::memmove(stream + write - length, stream + from, size_t(length));
    write -= length;
  }
  engine.UnlockStream();
  const int32_t low = run.front().offset;
  engine.DeleteBytes(low, int32_t(total));
  engine.RecomposeRange(low, int32_t(end - total));
  for (const Chunk& chunk : run) {
    if (chunk.offset < first) first = chunk.offset;
    if (chunk.offset > last) last = chunk.offset;
  }
  at = cursor;
  return true;
}

bool xMorvaUndo::UndoBoxRecord(int32_t& at, bool& passedOver) {
  const int32_t head = at - int32_t(kBoxRecordSize);
  uint8_t record[kBoxRecordSize];
  if (head < 0 || !ReadAt(head, record, kBoxRecordSize)) return false;
  uint16_t kind = 0;
  uint16_t tail = 0;
  int32_t picture = 0;
  int32_t box[4] = {};
  Get(Get(Get(Get(Get(Get(record, kind), picture), box[0]), box[1]), box[2]), box[3]);
  Get(record + kBoxRecordSize - 2, tail);
  if (kind != kUndoPagePictureBox || tail != kind) return false;
  passedOver = !fDocument.SetPagePictureBox(picture, VRect(box[0], box[1], box[2], box[3]));
  if (passedOver) ForgetBoxPicture(head);
  at = head;
  return true;
}

bool xMorvaUndo::RedoBoxRecord(int32_t& at, bool& passedOver) {
  uint8_t record[kBoxRecordSize];
  if (!ReadAt(at, record, kBoxRecordSize)) return false;
  uint16_t kind = 0;
  uint16_t tail = 0;
  int32_t picture = 0;
  int32_t box[4] = {};
  // The box after the change follows the one before it.
  Get(Get(record, kind), picture);
  const uint8_t* after = record + 2 + 4 + 16;
  Get(Get(Get(Get(after, box[0]), box[1]), box[2]), box[3]);
  Get(record + kBoxRecordSize - 2, tail);
  if (kind != kUndoPagePictureBox || tail != kind) return false;
  passedOver = !fDocument.SetPagePictureBox(picture, VRect(box[0], box[1], box[2], box[3]));
  if (passedOver) ForgetBoxPicture(at);
  at += int32_t(kBoxRecordSize);
  return true;
}

// ---- Style sheets

void xMorvaUndo::NoteStyleSheet(int16_t id, bool asNow) {
  if (fSuspended != 0 || fRecording == 0) return;
  auto it = std::find_if(fSheetNotes.begin(), fSheetNotes.end(),
                         [id](const SheetNote& n) { return n.id == id; });
  if (it != fSheetNotes.end() && !asNow) return;  // the first change keeps what the text carries
  if (it == fSheetNotes.end()) it = fSheetNotes.insert(fSheetNotes.end(), SheetNote{id, 0, {}});
  it->present = fDocument.GetStyleSheetState(id, it->state) ? 1 : 0;
}

void xMorvaUndo::RecordStyleSheet(xMorvaUndoEngine& engine, int16_t id) {
  if (fSuspended != 0 || fRecording == 0) return;
  auto it = std::find_if(fSheetNotes.begin(), fSheetNotes.end(),
                         [id](const SheetNote& n) { return n.id == id; });
  if (it == fSheetNotes.end()) return;
  const SheetNote before = std::move(*it);
  fSheetNotes.erase(it);
  std::vector<uint8_t> now;
  const bool present = fDocument.GetStyleSheetState(id, now);
  if (present == (before.present != 0) && (!present || now == before.state))
    return;  // changed back
  BeginStep(engine, kUndoParagraphFormat, uint16_t(id));
  WriteStateRecord(kUndoStyleSheet, id, before.present != 0 ? &before.state : nullptr,
                   present ? &now : nullptr);
  EndStep();
}

std::vector<int16_t> xMorvaUndo::HeldStyleSheetIds() const {
  std::vector<int16_t> ids;
  for (const SheetNote& note : fSheetNotes) ids.push_back(note.id);
  // Forwards over every record, undo's part and redo's: each begins with
  // its kind, and its size follows from the kind and its head.
  uint16_t kind = 0;
  for (int32_t at = 0; KindAt(at, kind);) {
    int64_t size = 0;
    if (kind <= kUndoPictureSize) {
      size = kStepRecordSize;  // a step's begin or end record
    } else if (IsByteKind(kind)) {
      ByteRecord record;
      if (!ReadByteRecordAt(at, record)) break;  // an insertion still open ends the buffer
      size = int64_t(kByteRecordOverhead) + record.n;
    } else if (IsGroupKind(kind)) {
      size = kGroupMarkerSize;
    } else if (kind == kUndoPagePictureBox) {
      size = kBoxRecordSize;
    } else if (IsStateKind(kind)) {
      uint8_t head[kSheetHead];
      int16_t id = 0;
      int32_t nBefore = 0;
      int32_t nAfter = 0;
      if (!ReadAt(at, head, kSheetHead)) break;
      Get(Get(Get(head + 2, id), nBefore), nAfter);
      if (nBefore < -1 || nAfter < -1) break;
      size = int64_t(kSheetRecordOverhead) + SheetBytes(nBefore) + SheetBytes(nAfter);
      if (kind == kUndoStyleSheet) ids.push_back(id);
    } else {
      break;
    }
    if (size > int64_t(fEnd) - at) break;
    at += int32_t(size);
  }
  return ids;
}

void xMorvaUndo::RecordPagePicture(xMorvaUndoEngine& engine, uint16_t kind, int16_t id,
                                   const std::vector<uint8_t>* before, const std::vector<uint8_t>* after) {
  if (fSuspended != 0 || fRecording == 0) return;
  BeginStep(engine, kind, 0);
  WriteStateRecord(kUndoPagePicture, id, before, after);
  EndStep();
}

void xMorvaUndo::WriteStateRecord(uint16_t kind, int16_t id, const std::vector<uint8_t>* before,
                                  const std::vector<uint8_t>* after) {
  if (fStepOpen == 0) return;  // the history was dropped
  CloseInsertion();
  const int32_t nBefore = before != nullptr ? int32_t(before->size()) : -1;
  const int32_t nAfter = after != nullptr ? int32_t(after->size()) : -1;
  const uint32_t size =
      kSheetRecordOverhead + uint32_t(SheetBytes(nBefore)) + uint32_t(SheetBytes(nAfter));
  if (fStepOpen == 0 || !Reserve(size)) return;  // the history was dropped
  uint8_t head[kSheetHead];
  Put(Put(Put(Put(head, kind), id), nBefore), nAfter);
  uint8_t tail[kSheetHead];
  Put(Put(Put(Put(tail, nBefore), nAfter), id), kind);
  int32_t at = fEnd;
  WriteAt(at, head, kSheetHead);
  at += kSheetHead;
  if (before != nullptr) WriteAt(at, before->data(), uint32_t(SheetBytes(nBefore)));
  at += SheetBytes(nBefore);
  if (after != nullptr) WriteAt(at, after->data(), uint32_t(SheetBytes(nAfter)));
  at += SheetBytes(nAfter);
  WriteAt(at, tail, kSheetHead);
  fEnd += int32_t(size);
  fPosition = fEnd;
}

bool xMorvaUndo::PutSheetState(int32_t head, bool after, bool& passedOver) {
  uint8_t bytes[kSheetHead];
  if (!ReadAt(head, bytes, kSheetHead)) return false;
  uint16_t kind = 0;
  int16_t id = 0;
  int32_t nBefore = 0;
  int32_t nAfter = 0;
  Get(Get(Get(Get(bytes, kind), id), nBefore), nAfter);
  if (!IsStateKind(kind) || nBefore < -1 || nAfter < -1) return false;
  const int64_t size = int64_t(kSheetRecordOverhead) + SheetBytes(nBefore) + SheetBytes(nAfter);
  if (size > int64_t(fEnd) - head) return false;
  uint8_t check[kSheetHead];
  if (!ReadAt(head + int32_t(size) - kSheetHead, check, kSheetHead)) return false;
  uint16_t tailKind = 0;
  int16_t tailId = 0;
  int32_t tailBefore = 0;
  int32_t tailAfter = 0;
  Get(Get(Get(Get(check, tailBefore), tailAfter), tailId), tailKind);
  if (tailKind != kind || tailId != id || tailBefore != nBefore || tailAfter != nAfter)
    return false;
  const int32_t n = after ? nAfter : nBefore;
  std::vector<uint8_t> state(size_t(SheetBytes(n)));
  const int32_t from = head + kSheetHead + (after ? SheetBytes(nBefore) : 0);
  if (!ReadAt(from, state.data(), uint32_t(state.size()))) return false;
  if (kind == kUndoPagePicture) {
    passedOver = !fDocument.PutPagePictureState(id, n >= 0 ? &state : nullptr);
    if (passedOver) ForgetStatePicture(head, int32_t(size));
    return true;
  }
  // What was kept of the sheet since describes a state the replay leaves.
  fSheetNotes.erase(std::remove_if(fSheetNotes.begin(), fSheetNotes.end(),
                                   [id](const SheetNote& note) { return note.id == id; }),
                    fSheetNotes.end());
  passedOver = !fDocument.PutStyleSheetState(id, n >= 0 ? &state : nullptr);
  return true;
}

bool xMorvaUndo::UndoSheetRecord(int32_t& at, bool& passedOver) {
  uint8_t tail[kSheetHead];
  if (at < int32_t(kSheetRecordOverhead) || !ReadAt(at - kSheetHead, tail, kSheetHead))
    return false;
  int32_t nBefore = 0;
  int32_t nAfter = 0;
  Get(Get(tail, nBefore), nAfter);
  if (nBefore < -1 || nAfter < -1) return false;
  const int64_t head =
      int64_t(at) - kSheetRecordOverhead - SheetBytes(nBefore) - SheetBytes(nAfter);
  if (head < 0 || !PutSheetState(int32_t(head), false, passedOver)) return false;
  at = int32_t(head);
  return true;
}

bool xMorvaUndo::RedoSheetRecord(int32_t& at, bool& passedOver) {
  uint8_t head[kSheetHead];
  if (!ReadAt(at, head, kSheetHead) || !PutSheetState(at, true, passedOver)) return false;
  int32_t nBefore = 0;
  int32_t nAfter = 0;
  Get(Get(head + 4, nBefore), nAfter);
  at += int32_t(kSheetRecordOverhead) + SheetBytes(nBefore) + SheetBytes(nAfter);
  return true;
}

void xMorvaUndo::ForgetBoxPicture(int32_t head) {
  const int32_t none = -1;
  WriteAt(head + 2, &none, sizeof none);
}

void xMorvaUndo::ForgetStatePicture(int32_t head, int32_t size) {
  // The id stands in the head after the kind, and in the tail after the
  // two lengths.
  const int16_t none = -1;
  WriteAt(head + 2, &none, sizeof none);
  WriteAt(head + size - kSheetHead + 8, &none, sizeof none);
}

bool xMorvaUndo::UndoRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last,
                            bool& passedOver) {
  passedOver = false;
  uint16_t kind = 0;
  if (KindBefore(at, kind) && kind == kUndoPagePictureBox) return UndoBoxRecord(at, passedOver);
  if (IsStateKind(kind)) return UndoSheetRecord(at, passedOver);
  return UndoByteRecord(engine, at, first, last);
}

bool xMorvaUndo::RedoRecord(xMorvaUndoEngine& engine, int32_t& at, int32_t& first, int32_t& last,
                            bool& passedOver) {
  passedOver = false;
  uint16_t kind = 0;
  if (KindAt(at, kind) && kind == kUndoPagePictureBox) return RedoBoxRecord(at, passedOver);
  if (IsStateKind(kind)) return RedoSheetRecord(at, passedOver);
  return RedoByteRecord(engine, at, first, last);
}

bool xMorvaUndo::UndoOneStep(bool& changed) {
  StepRecord stepEnd;
  if (!ReadStepRecord(fPosition - int32_t(kStepRecordSize), stepEnd, kStepEnd)) return false;
  int32_t at = fPosition - int32_t(kStepRecordSize);
  xMorvaUndoEngine& engine = *stepEnd.engine;
  fDocument.SetCurrentPart(engine);
  RestoreSelection(engine, stepEnd);
  fDocument.BeginChange();
  int32_t first = INT32_MAX;
  int32_t last = INT32_MIN;
  bool replayed = true;
  int32_t put = 0;
  int32_t passed = 0;
  uint16_t kind = 0;
  while (replayed && KindBefore(at, kind) && IsRecordKind(kind)) {
    bool passedOver = false;
    replayed = kind == kUndoDeletion ? UndoDeletionRun(engine, at, first, last)
                                     : UndoRecord(engine, at, first, last, passedOver);
    ++(passedOver ? passed : put);
  }
  StepRecord stepBegin;
  if (replayed && ReadStepRecord(at - int32_t(kStepRecordSize), stepBegin, kStepBegin) &&
      stepBegin.engine == stepEnd.engine && stepBegin.kind == stepEnd.kind) {
    at -= int32_t(kStepRecordSize);
    engine.SetLength(stepBegin.length);
    RestoreSelection(engine, stepBegin);
  } else {
    replayed = false;
  }
  if (first <= last) engine.RecomposeRange(first, last);
  fDocument.EndChange();
  if (replayed) fPosition = at;
  changed = put > 0 || passed == 0;
  return replayed;
}

bool xMorvaUndo::RedoOneStep(bool& changed) {
  StepRecord stepBegin;
  if (!ReadStepRecord(fPosition, stepBegin, kStepBegin)) return false;
  int32_t at = fPosition + int32_t(kStepRecordSize);
  xMorvaUndoEngine& engine = *stepBegin.engine;
  fDocument.SetCurrentPart(engine);
  RestoreSelection(engine, stepBegin);
  fDocument.BeginChange();
  int32_t first = INT32_MAX;
  int32_t last = INT32_MIN;
  bool replayed = true;
  int32_t put = 0;
  int32_t passed = 0;
  uint16_t kind = 0;
  while (replayed && KindAt(at, kind) && IsRecordKind(kind)) {
    bool passedOver = false;
    replayed = kind == kUndoDeletion ? RedoDeletionRun(engine, at, first, last)
                                     : RedoRecord(engine, at, first, last, passedOver);
    ++(passedOver ? passed : put);
  }
  StepRecord stepEnd;
  if (replayed && ReadStepRecord(at, stepEnd, kStepEnd) && stepEnd.engine == stepBegin.engine &&
      stepEnd.kind == stepBegin.kind) {
    at += int32_t(kStepRecordSize);
    engine.SetLength(stepEnd.length);
    RestoreSelection(engine, stepEnd);
  } else {
    replayed = false;
  }
  if (first <= last) engine.RecomposeRange(first, last);
  fDocument.EndChange();
  if (replayed) fPosition = at;
  changed = put > 0 || passed == 0;
  return replayed;
}

bool xMorvaUndo::UndoOneUnit(bool& changed) {
  uint16_t kind = 0;
  const bool group =
      KindBefore(fPosition, kind) && IsGroupKind(kind) && fPosition >= int32_t(kGroupMarkerSize);
  if (group) fPosition -= int32_t(kGroupMarkerSize);  // the closing marker
  for (;;) {
    bool stepChanged = false;
    if (!UndoOneStep(stepChanged)) return false;
    changed = changed || stepChanged;
    if (!group) return true;
    if (KindBefore(fPosition, kind) && IsGroupKind(kind) &&
        fPosition >= int32_t(kGroupMarkerSize)) {
      fPosition -= int32_t(kGroupMarkerSize);  // the opening marker
      RestoreGroupPart(fPosition);
      return true;
    }
    if (fPosition == 0) return false;  // no opening marker: the history is damaged
  }
}

bool xMorvaUndo::RedoOneUnit(bool& changed) {
  uint16_t kind = 0;
  const bool group = KindAt(fPosition, kind) && IsGroupKind(kind);
  if (group) fPosition += int32_t(kGroupMarkerSize);  // the opening marker
  for (;;) {
    bool stepChanged = false;
    if (!RedoOneStep(stepChanged)) return false;
    changed = changed || stepChanged;
    if (!group) return true;
    if (KindAt(fPosition, kind) && IsGroupKind(kind)) {
      RestoreGroupPart(fPosition);
      fPosition += int32_t(kGroupMarkerSize);  // the closing marker
      return true;
    }
    if (fPosition == fEnd) return false;
  }
}

void xMorvaUndo::Abandon() {
  fRecording = 1;
  Clear(true);
}

void xMorvaUndo::Undo() {
  // An edit or a group still being made is not taken back half-way.
  if (fSuspended != 0 || fStepOpen != 0 || fGroupDepth > 0) return;
  Commit();
  fRecording = 0;
  // A step of which nothing could be put back (its pictures on pages are
  // gone) is passed over, and the undo goes on to the step before it: undo
  // never stops at a step it cannot replay.
  bool changed = false;
  while (!changed && fPosition != 0) {
    if (!UndoOneUnit(changed)) {
      Abandon();
      return;
    }
  }
  fRecording = 1;
}

void xMorvaUndo::Redo() {
  if (fSuspended != 0 || fStepOpen != 0 || fGroupDepth > 0) return;
  Commit();
  fRecording = 0;
  bool changed = false;
  while (!changed && fPosition != fEnd) {
    if (!RedoOneUnit(changed)) {
      Abandon();
      return;
    }
  }
  fRecording = 1;
}

// ---- Wording

void xMorvaUndo::Wording(uint16_t kind, uint16_t value, int16_t& list, int16_t& item) {
  list = 4;
  switch (kind) {
    case kUndoProperty: list = 1; item = int16_t(value + 1); return;
    case kUndoParagraphFormat: item = 8; return;
    case kUndoTabs: item = 10; return;
    case kUndoSpecialElement:
      if (value < 24000) {
        list = 2;
        item = int16_t(value - 15999);
      } else {
        list = 3;
        item = int16_t(value - 23999);
      }
      return;
    case kUndoTyping: item = 5; return;
    case kUndoPaste: item = 7; return;
    case kUndoDelete: item = 6; return;
    case kUndoCaseChange: item = 9; return;
    case kUndoFreezeComputed: item = 11; return;
    case kUndoFindReplace: item = 12; return;
    case kUndoPictureSize: item = value == kUndoValuePictureMoved ? 17 : 13; return;
    case kUndoGroupReplaceAll: item = 14; return;
    case kUndoGroupAllParts: item = 15; return;
    case kUndoGroupStyleSheet: item = 16; return;
    default:  // no wording of its own
      list = 0;
      item = 0;
      return;
  }
}

void xMorvaUndo::GetUndoItemText(bool& enabled, int16_t& list, int16_t& item) const {
  enabled = true;
  if (fStepOpen != 0) {
    Wording(fStep.kind, fStep.value, list, item);
    return;
  }
  if (fStepPending != 0) {
    Wording(fPending.kind, fPending.value, list, item);
    return;
  }
  uint16_t kind = 0;
  uint16_t value = 0;
  if (fPosition != 0 && KindBefore(fPosition, kind)) {
    if (!IsGroupKind(kind)) ReadAt(fPosition - 4, &value, sizeof value);
    Wording(kind, value, list, item);
    return;
  }
  enabled = false;
  list = 4;
  item = 3;
}

void xMorvaUndo::GetRedoItemText(bool& enabled, int16_t& list, int16_t& item) const {
  enabled = true;
  uint16_t kind = 0;
  uint16_t value = 0;
  if (fPosition != fEnd && KindAt(fPosition, kind)) {
    if (!IsGroupKind(kind)) ReadAt(fPosition + 2, &value, sizeof value);
    Wording(kind, value, list, item);
    return;
  }
  enabled = false;
  list = 4;
  item = 4;
}

// ---- Clearing

void xMorvaUndo::Clear(bool alert) {
  fEnd = 0;
  fPosition = 0;
  fStepStart = 0;
  fStepPending = 0;
  fInsertOpen = 0;
  fContinued = 0;
  // A step open over the dropped history is abandoned: what the engine does
  // until its end is not recorded.
  fStepOpen = 0;
  fStepDepth = 0;
  // An open group stays open for its caller, but its opening marker is gone:
  // a later step writes a new one, and no closing marker stands alone.
  fGroupMarkerWritten = 0;
  // Sheets kept for a history that is gone would give back states that no
  // step leads to.
  fSheetNotes.clear();
  if (fBuffer != 0) gMemoryMgr->SetHandleSize(fBuffer, 0);
  if (alert) ShowDocumentAlert(kAlertListOffset, kAlertHistoryDropped);
}

void xMorvaUndo::Suspend() {
  Clear(false);
  fSuspended = 1;
}
