// The Windows-metafile recorder: turns the calls a recording DC passes on
// into WMF records (16-bit coordinates, objects in a table of their own),
// and the Windows-metafile form of an enhanced metafile made with it.
// Internal to the metafile code.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/gdi/GdiInternal.h"
#include "platform/gdi/emf/GdiMetaBytes.h"
#include "platform/gdi/emf/GdiMetaRecording.h"

class GdiWmfRecorder final : public GdiRecorder {
 public:
  GdiWmfRecorder();
  void Record(GdiDC& dc, const GdiCall& call) override;
  // A record of the caller's own (the window records that head the form).
  void Write(uint16_t function, std::initializer_list<int32_t> words);
  // Adds META_EOF and fills in the header; false when recording failed.
  bool Finish(std::vector<uint8_t>* bytes);

 private:
  void RecordCall(GdiDC& dc, const GdiCall& call);
  size_t BeginRecord(uint16_t function);
  void EndRecord(size_t start);
  void Put(int64_t coordinate);

  uint32_t Reference(GdiObject* object);
  uint32_t Entry(uint16_t function, const std::vector<uint8_t>& body);
  // A region object made for one record and deleted after it.
  uint32_t TemporaryRegion(const GdiRegion& logical);
  void DeleteEntry(uint32_t index);
  void Evict();

  void RecordClip(GdiDC& dc, const GdiCall& call);
  void RecordBlit(GdiDC& dc, const GdiCall& call);
  void RecordDib(GdiDC& dc, const GdiCall& call);
  void RecordText(GdiDC& dc, const GdiCall& call);

  GdiByteWriter out_;
  uint32_t maxRecordWords_ = 0;
  GdiMetaObjectTable objects_{0};
  uint32_t selected_[4] = {UINT32_MAX, UINT32_MAX, UINT32_MAX, UINT32_MAX};
  std::vector<std::array<uint32_t, 4>> saved_;
  bool failed_ = false;
};

// The Windows-metafile form of an enhanced metafile: its window is the frame
// in pixels of the reference device (the metafile's own when null); with
// `windowRecords` the form starts with META_SETWINDOWORG and
// META_SETWINDOWEXT, for playing in MM_ANISOTROPIC.
bool GdiEmfToWmf(const uint8_t* emf, size_t size, HDC reference, bool windowRecords,
                 std::vector<uint8_t>* wmf);
