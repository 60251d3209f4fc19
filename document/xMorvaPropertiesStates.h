// xMorvaPropertiesStates: one state byte per property id 0 to 64, saying
// which properties a record sets (a style sheet, a find pattern) or which are
// uniform over a selection; stored as the 'wSTT' record.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"
#include "document/xMorvaProperties.h"

class VStream;

class xMorvaPropertiesStates : public VObject {
 public:
  // States undefined until set: all 0 here, so none is read uninitialised.
  xMorvaPropertiesStates();
  // All 65 states 1 when `fill` is set, else 0.
  explicit xMorvaPropertiesStates(bool fill);
  xMorvaPropertiesStates(const xMorvaPropertiesStates& other);
  xMorvaPropertiesStates& operator=(const xMorvaPropertiesStates&) = delete;
  ~xMorvaPropertiesStates() override;

  void SetAll();
  void ClearAll();
  void Assign(const xMorvaPropertiesStates& other);
  // Copies the states from `other` when one is given.
  void CopyFrom(const xMorvaPropertiesStates* other);

  // 1 set (or uniform), 0 not; 0 for an id beyond 64.
  uint8_t GetState(uint16_t id) const { return id < kPropertyStateCount ? fStates[id] : 0; }
  // Ids beyond 64 are ignored.
  void SetState(uint16_t id, uint8_t state) {
    if (id < kPropertyStateCount) fStates[id] = state;
  }

  // The 'wSTT' record, 77 bytes. Write answers false when the stream fails.
  bool Write(VStream& stream) const;
  // False for a wrong tag or version, a negative count or a count the stream
  // cannot hold; the states are then unchanged. A count above 65 is read
  // whole and its first 65 bytes kept, so an enclosing record reads on at
  // the right place; a smaller count leaves the other states as they were.
  bool Read(VStream& stream);

  static constexpr uint32_t kVersion = FourCC("0101");

 private:
  uint8_t fStates[kPropertyStateCount] = {};
};
