// xMorvaUndoEngine: what the undo history asks of a text engine, whose edits
// it records and replays. The text engine (xMorvaEngine) implements it;
// tests implement it with a small engine of their own.
#pragma once

#include <cstdint>

class xMorvaUndoEngine {
 public:
  virtual ~xMorvaUndoEngine() = default;

  // The length of the text in positions, and its setting after a replay.
  virtual int32_t GetLength() const = 0;
  virtual void SetLength(int32_t length) = 0;
  // The selection as positions; setting it clamps it to the text and
  // recomputes what depends on it.
  virtual void GetSelection(int32_t& start, int32_t& end) const = 0;
  virtual void SetSelection(int32_t start, int32_t end) = 0;
  // The selection a typing step began or ended with: a caret stands where
  // the typing had it, even inside a character (after a virama or a
  // joiner typed before the text it joins); a selection as SetSelection.
  virtual void SetSelectionAsTyped(int32_t start, int32_t end) { SetSelection(start, end); }

  // Inserts n bytes (their content undefined) at a byte offset of the
  // element stream: 0, or 1041 when the stream cannot grow. While the undo
  // history records, the engine reports each edit to RecordStreamChange.
  virtual int32_t InsertBytes(int32_t offset, int32_t n) = 0;
  virtual void DeleteBytes(int32_t offset, int32_t n) = 0;
  // The element stream's bytes, locked until UnlockStream.
  virtual uint8_t* LockStream() = 0;
  virtual void UnlockStream() = 0;

  // After a replay: recomposes the lines of the paragraphs that hold the
  // byte offsets from `firstOffset` to `lastOffset` of the stream as it now
  // stands.
  virtual void RecomposeRange(int32_t firstOffset, int32_t lastOffset) = 0;
};
