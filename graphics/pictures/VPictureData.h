// VPictureData: the picture value (value kind 10), the base of the classes
// that hold one picture in one of the picture kinds, and the maker of
// picture values by kind.
#pragma once

#include <cstdint>

#include "framework/core/values/VValue.h"

// Picture kinds (GetPictureKind; the form word of a stored picture value).
constexpr int32_t kPictureKindNone = 0;
constexpr int32_t kPictureKindPICT = 1;
constexpr int32_t kPictureKindEMF = 2;
constexpr int32_t kPictureKindWMF = 3;
constexpr int32_t kPictureKindDXF = 4;
constexpr int32_t kPictureKindEPSF = 5;
constexpr int32_t kPictureKindBMP = 100;
constexpr int32_t kPictureKindGIF = 101;
constexpr int32_t kPictureKindPCX = 102;
constexpr int32_t kPictureKindJPEG = 103;
constexpr int32_t kPictureKindTIFF = 104;
constexpr int32_t kPictureKindQuickTime = 105;
constexpr int32_t kPictureKindPlaceholder = 106;

// The picture kind of a four-character picture type ('PICT', 'EMF ', ...,
// 'QTIM'); 0 for any other.
int32_t PictureKindFromType(uint32_t type);

// Every picture value answers the value kind 10, whatever its picture kind;
// pictures do not order against anything (Compare answers -1000).
//
// Stored form: with the tag 'VVAL' the value kind 10 and the picture kind
// come first, two 32-bit words; then the data of the kind. ReadFromStream
// reads the data only: whoever chose the class has read the two words.
class VPictureData : public VValueSingle {
 public:
  ~VPictureData() override;

  int32_t GetKind() const override;
  int32_t Compare(const VValue& other, int32_t arg1, int32_t arg2) const override;
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override;
  int32_t WriteToStream(VStream& stream, uint32_t tag) override;

  virtual int32_t GetPictureKind() const = 0;
  // Whether a handle is held.
  virtual bool HasData() const = 0;
  // Size in screen pixels.
  virtual int32_t GetWidth() const = 0;
  virtual int32_t GetHeight() const = 0;
  virtual void GetSize(int32_t& width, int32_t& height) const = 0;
  // The handle, kept by the value.
  virtual uint32_t GetHandle() const = 0;
  // Hands the handle over, not disposed, and forgets it; the caller owns it.
  virtual uint32_t DetachHandle() = 0;
  // Lets the current handle go (disposed only when owned), then adopts
  // `handle`; with `owns` the value disposes it when it lets it go.
  virtual void SetHandle(uint32_t handle, bool owns) = 0;
  // Replaces the picture with a copy of raw data.
  virtual void SetFromData(const void* bytes, uint32_t size) = 0;
  // Replaces the picture with a conversion of another picture value; kinds
  // that cannot be converted leave it empty. Nothing in the base.
  virtual void SetFromPicture(const VPictureData& source);
  // The picture's bytes as upper-case hexadecimal digits. Nothing in the
  // base.
  virtual void WriteHex(VStream& stream) const;
  // The size of what WriteHex writes for the metafile kinds and of a
  // QuickTime picture's handle; 0 in the base.
  virtual uint32_t DataSize() const;

  // Records an error: the first error keeps the first code that is not 0,
  // the last error the most recent one; 0 changes neither. The value never
  // clears them itself.
  virtual void SetError(int32_t code);
  int32_t GetFirstError() const { return fFirstError; }
  int32_t GetLastError() const { return fLastError; }

 protected:
  VPictureData() = default;
  VPictureData(const VPictureData&) = delete;
  VPictureData& operator=(const VPictureData&) = delete;

  // The data of the kind. The base form is a 32-bit byte count and the
  // bytes: written as a count of 0 (no handle), read through SetFromData.
  virtual int32_t WriteData(VStream& stream);
  virtual int32_t ReadData(VStream& stream);
  // Passes over `size` bytes of the stream, in steps that a signed skip
  // can take.
  static void SkipData(VStream& stream, uint32_t size);

  int32_t fFirstError = 0;
  int32_t fLastError = 0;
};

// A new, empty picture value of a picture kind, owned by the caller; null
// for a kind that has no class. 1 (PICT), 2 (EMF), 3 (WMF, so that a stored
// one reads back), 105 (QuickTime) and 106 (placeholder) are made.
VPictureData* NewPictureData(int32_t pictureKind);

// NewPictureData as the framework's maker of picture values
// (VPictureMakerService), so that stored picture values can be read back;
// installed at start.
struct VPictureMaker;
extern const VPictureMaker kPictureValueMaker;
