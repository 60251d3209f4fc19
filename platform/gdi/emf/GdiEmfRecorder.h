// The enhanced-metafile recorder: turns the calls a recording DC passes on
// into EMF records, and ends them with the EOF record and the header's totals.
// Internal to the metafile code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/emf/GdiMetaBytes.h"
#include "platform/gdi/emf/GdiMetaRecording.h"

class GdiEmfRecorder final : public GdiRecorder {
 public:
  // The frame in hundredths of a millimetre (none: worked out from what is
  // drawn), and the description as UTF-16 with its terminators.
  GdiEmfRecorder(const RECT* frame, std::u16string description);

  // Writes the header for the recording DC's device; called once the DC is made.
  void Begin(const GdiDeviceCaps& caps);
  void Record(GdiDC& dc, const GdiCall& call) override;
  // Adds the EOF record and fills in the header. False (and nothing given
  // out) when the recording failed, which only memory can make it do.
  bool Finish(std::vector<uint8_t>* bytes);

 private:
  enum Slot { kPen, kBrush, kFont, kPalette, kSlots };
  struct Selection {
    uint32_t entry[kSlots] = {};
  };

  void RecordCall(GdiDC& dc, const GdiCall& call);
  size_t BeginRecord(uint32_t type);
  void EndRecord(size_t start);
  void Simple(uint32_t type, std::initializer_list<int32_t> values);

  // The table entry (or stock reference) of an object, created on first use.
  uint32_t Reference(GdiObject* object);
  uint32_t Entry(uint32_t type, const std::vector<uint8_t>& body);
  void Select(GdiObject* object, Slot slot, uint32_t type);
  void Evict();

  void AddBounds(int64_t left, int64_t top, int64_t right, int64_t bottom);
  void AddDeviceBox(GdiDC& dc, POINT a, POINT b, int32_t grow);
  void AddShapeBox(GdiDC& dc, POINT a, POINT b);
  RECT PointBounds(GdiDC& dc, const POINT* points, int32_t count, int32_t grow);
  int32_t PenGrowth(const GdiDC& dc) const;
  // The device bounds of a logical region as FillRgn and the like paint it.
  RECT RegionBounds(GdiDC& dc, HRGN region, int32_t grow);
  bool RegionData(HRGN region, std::vector<uint8_t>* data);

  void RecordPoly(GdiDC& dc, const GdiCall& call, uint32_t type32, uint32_t type16);
  void RecordRegionCall(GdiDC& dc, const GdiCall& call);
  void RecordBlit(GdiDC& dc, const GdiCall& call);
  void RecordDib(GdiDC& dc, const GdiCall& call);
  void RecordText(GdiDC& dc, const GdiCall& call);

  RECT frame_{};
  bool hasFrame_ = false;
  std::u16string description_;
  GdiDeviceCaps caps_;
  GdiByteWriter out_;
  uint32_t records_ = 0;
  bool hasBounds_ = false;
  RECT bounds_{};
  GdiMetaObjectTable objects_{1};
  Selection selected_;
  std::vector<Selection> saved_;
  bool begun_ = false;
  bool failed_ = false;
};
