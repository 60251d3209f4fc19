// xMorvaTabs: the tab stops of a paragraph, a style sheet or the format in
// effect: at most 256 packed stops kept sorted by position, edited, searched
// for the stop a tab jumps to, and stored as the 'wTAB' record.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VStream;
class VString;
class xMorvaDocumentInterface;

// A stop is one 32-bit value, the same that the element stream stores as
// the value of property 64:
//   bits  0-15  position, signed, pixels from the left edge of the text
//   bits 16-23  leader character: 0 none, '-', '.', '_'
//   bits 24-31  kind: 1 left, 2 centre, 3 right, 4 decimal; 0 is no stop and
//               only serves to remove one
enum : uint8_t {
  kTabNone = 0,
  kTabLeft = 1,
  kTabCentre = 2,
  kTabRight = 3,
  kTabDecimal = 4,
};

constexpr uint32_t MakeTabStop(int16_t position, uint8_t leader, uint8_t kind) {
  return uint32_t(uint16_t(position)) | (uint32_t(leader) << 16) | (uint32_t(kind) << 24);
}
constexpr int16_t TabStopPosition(uint32_t stop) { return int16_t(uint16_t(stop & 0xFFFFu)); }
constexpr uint8_t TabStopLeader(uint32_t stop) { return uint8_t(stop >> 16); }
constexpr uint8_t TabStopKind(uint32_t stop) { return uint8_t(stop >> 24); }

class xMorvaTabs : public VObject {
 public:
  static constexpr int32_t kCapacity = 256;
  // The position NextStop starts from: beyond any text.
  static constexpr int16_t kNoStopPosition = 32000;

  xMorvaTabs();
  xMorvaTabs(const xMorvaTabs& other);
  xMorvaTabs& operator=(const xMorvaTabs&) = delete;
  ~xMorvaTabs() override;

  // Count 0 and the kind of every slot 0.
  void Clear();
  // The count and all 256 slots.
  void Assign(const xMorvaTabs& other);
  // The count and the slots in use, when a list is given.
  void CopyFrom(const xMorvaTabs* other);

  int32_t Count() const { return fCount; }
  // No bounds check: callers stay below Count.
  uint32_t StopAt(int32_t index) const { return fStops[index]; }

  // At the position of a stop, a stop of kind 0 removes it and any other
  // replaces it; at a new position the stop is inserted in order (kind 0
  // too). A full list drops a stop at a new position without a word.
  void AddStop(uint32_t stop);
  // The stop at exactly that position.
  bool FindStop(int16_t position, uint32_t& stop) const;
  // The stops behind the index move down by one; an index outside the list
  // changes nothing.
  void RemoveStopAt(int32_t index);
  // The first stop at that position, if any.
  void RemoveStopAtPosition(int16_t position);
  // A stop in use with exactly this value: position, leader and kind.
  bool Contains(uint32_t stop) const;
  // The counts differ or a slot in use differs.
  bool IsDifferent(const xMorvaTabs& other) const;

  // The stop that a tab at x jumps to: the nearest list stop right of x and
  // within the text width of the part (a stop up to kTextWidthRounding
  // beyond it standing at it), else the hanging stop when it is nearer,
  // else the next multiple of the document's default interval.
  // `isDefault` is false only for a list stop.
  static constexpr int32_t kTextWidthRounding = 3;
  void NextStop(int16_t x, xMorvaDocumentInterface& document, int16_t part, int16_t hangingStop,
                uint32_t& stop, bool& isDefault) const;

  // Appends a readable list of the stops: a title, then per stop its
  // position in the document's display unit, its kind and its leader.
  // Nothing for an empty list.
  void Describe(xMorvaDocumentInterface& document, VString& text) const;

  // The 'wTAB' record "0102": positions in twips. False when the stream
  // fails.
  bool Write(VStream& stream) const;
  // Reads "0100" (pixels), "0101" (points) and "0102" (twips). False, with
  // the list unchanged, for a wrong tag or version, a count outside 0..256
  // (damaged) or a record the stream cannot hold whole. The stops read are
  // inserted in order, whatever order the record holds them in.
  bool Read(VStream& stream);

  static constexpr uint32_t kVersion = FourCC("0102");

 private:
  int32_t fCount = 0;
  uint32_t fStops[kCapacity] = {};
};
