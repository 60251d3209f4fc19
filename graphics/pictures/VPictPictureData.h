// VPictPictureData: the picture value that holds a Macintosh PICT picture
// in a memory-manager handle.
#pragma once

#include <string>
#include <vector>

#include "graphics/pictures/VHandlePictureData.h"

class VEmfPictureData;

// In memory the 10-byte PICT header (16-bit size, then the frame top, left,
// bottom, right, signed 16-bit) is held in this machine's order; everything
// after it stays in the big-endian order of the PICT format. A handle of
// fewer than 10 bytes has no header and is kept and stored as it is.
//
// Stored data: a 32-bit byte count N (0 without a handle), then the N bytes
// with the header in big-endian order.
class VPictPictureData : public VHandlePictureData {
 public:
  VPictPictureData() = default;
  // A copy of `size` bytes whose header is already in this machine's order.
  VPictPictureData(const void* bytes, uint32_t size);
  // Lets the handle go.
  ~VPictPictureData() override;

  // A new PICT value with its own copy of the handle, owned; an empty one
  // when this value holds none.
  VValue* Clone() const override;

  int32_t GetPictureKind() const override;
  // The frame's right minus left and bottom minus top, as 16-bit
  // differences; 0 without a header.
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  // The bytes of the picture held, with the metafile made for drawing it.
  uint32_t DataSize() const override;
  // The bytes are copied into a new handle, owned. When no handle can be
  // had the value is left empty and the error 100 is recorded.
  void SetFromData(const void* bytes, uint32_t size) override;

  // Data of a picture kind imported through the picture services. A kind
  // that cannot be imported records 600 and leaves the value empty; a failed
  // import records 100 (memory) or 600 and leaves it empty too.
  void SetFromImportedData(const void* bytes, uint32_t size, int32_t kind);
  // The picture of a file read through the picture services; a file that
  // cannot be read records 100 or 600 and leaves the value empty.
  void SetFromFile(const std::string& path);

  // PICT: a copy of the handle; EMF: the metafile drawn into a PICT. Other
  // kinds leave the value empty.
  void SetFromPicture(const VPictureData& source) override;
  // The whole picture as upper-case hexadecimal digits, header big-endian.
  void WriteHex(VStream& stream) const override;
  // The bytes as stored: the header big-endian, the rest as held.
  std::vector<uint8_t> StoredBytes() const;

  // The metafile made from this PICT for drawing, kept until the picture is
  // replaced. SetCachedMetafile adopts the value (deleting the one held).
  void SetCachedMetafile(VEmfPictureData* metafile);
  VEmfPictureData* GetCachedMetafile() const { return fCachedMetafile; }
  // The cached metafile, made on first use; null when the PICT cannot be
  // converted.
  VEmfPictureData* MetafileForDrawing();

 protected:
  int32_t WriteData(VStream& stream) override;
  // A count beyond what remains in the stream stops the read with 200 and
  // leaves the value as it was; when no handle can be had for the bytes they
  // are skipped and the value is left empty. A count of 0 leaves it empty.
  int32_t ReadData(VStream& stream) override;
  // Drops the cached metafile too: it was made from the handle let go.
  void LetGo() override;
  void DisposeHeld(uint32_t handle) override;

 private:
  // The frame field at a 16-bit index of the native header, or 0.
  int16_t HeaderField(int index) const;

  VEmfPictureData* fCachedMetafile = nullptr;
};
