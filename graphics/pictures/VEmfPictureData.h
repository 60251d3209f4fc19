// VEmfPictureData: the picture value that holds an enhanced metafile.
#pragma once

#include "graphics/pictures/VHandlePictureData.h"

struct HENHMETAFILE__;
using HENHMETAFILE = HENHMETAFILE__*;

// Stored data: a 32-bit byte count N of the metafile's bits, then the bits.
class VEmfPictureData : public VHandlePictureData {
 public:
  VEmfPictureData() = default;
  VEmfPictureData(HENHMETAFILE metafile, bool owns);
  VEmfPictureData(const void* bytes, uint32_t size);
  // A conversion of another picture value (SetFromPicture).
  explicit VEmfPictureData(const VPictureData& source);
  ~VEmfPictureData() override;

  // A copy of the metafile, owned; an empty value without one.
  VValue* Clone() const override;

  int32_t GetPictureKind() const override;
  // Screen pixels from the header's frame (hundredths of a millimetre) and
  // the screen's resolution; 0 without a metafile.
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  // A metafile made from its bits, owned; bytes that are no whole metafile
  // leave the value empty with the error 600.
  void SetFromData(const void* bytes, uint32_t size) override;
  // EMF: a copy; PICT: the metafile the PICT draws. Other kinds leave the
  // value empty.
  void SetFromPicture(const VPictureData& source) override;
  // The bits as upper-case hexadecimal digits.
  void WriteHex(VStream& stream) const override;
  // The size of the bits.
  uint32_t DataSize() const override;

  // Lets the metafile go and makes an owned one from Windows-metafile bits
  // played in MM_ANISOTROPIC with the given extents (hundredths of a
  // millimetre).
  void SetFromWmfBits(const void* bits, uint32_t size, int32_t width, int32_t height);

  // The metafile of the handle word, and SetHandle with a metafile.
  HENHMETAFILE GetMetafile() const;
  void SetMetafile(HENHMETAFILE metafile, bool owns);

 protected:
  int32_t WriteData(VStream& stream) override;
  // A count beyond what remains stops with the stream's error and leaves the
  // value as it was.
  int32_t ReadData(VStream& stream) override;
  void DisposeHeld(uint32_t handle) override;
};

// The 32-bit word that stands for a metafile handle in picture values, and
// back.
uint32_t MetafileWord(const void* handle);
HENHMETAFILE EnhMetafileOfWord(uint32_t word);
