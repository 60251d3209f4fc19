// The picture values of the kinds that are only held and passed on: a
// Windows metafile, a QuickTime picture (a PICT in a Toolbox handle, header
// big-endian) and the inert placeholder.
#pragma once

#include "graphics/pictures/VHandlePictureData.h"

struct HMETAFILE__;
using HMETAFILE = HMETAFILE__*;

// A Windows metafile. Stored data: a 32-bit count N and the metafile's
// N bytes; the bytes read back become the metafile again.
class VWmfPictureData : public VHandlePictureData {
 public:
  VWmfPictureData() = default;
  // PICT: the host's conversion; WMF: a copy. Others leave it empty.
  explicit VWmfPictureData(const VPictureData& source);
  ~VWmfPictureData() override;

  // A copy of the metafile, owned.
  VValue* Clone() const override;
  int32_t GetPictureKind() const override;
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  // Does nothing: the value only holds a metafile it made itself.
  void SetHandle(uint32_t handle, bool owns) override;
  // A metafile from its bits; bytes that are no metafile leave it empty
  // with the error 600.
  void SetFromData(const void* bytes, uint32_t size) override;
  void SetFromPicture(const VPictureData& source) override;
  void WriteHex(VStream& stream) const override;
  uint32_t DataSize() const override;

  HMETAFILE GetMetafile() const;

 protected:
  int32_t WriteData(VStream& stream) override;
  void DisposeHeld(uint32_t handle) override;

 private:
  void Adopt(HMETAFILE metafile);
};

// A QuickTime picture. Stored data: a 32-bit count N and the N bytes of the
// handle; read back the same way.
class VQTPictureData : public VHandlePictureData {
 public:
  VQTPictureData() = default;
  VQTPictureData(const void* bytes, uint32_t size);
  ~VQTPictureData() override;

  VValue* Clone() const override;
  int32_t GetPictureKind() const override;
  // The frame of the big-endian header; 0 without one.
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  void SetFromData(const void* bytes, uint32_t size) override;
  // PICT: a copy of its bytes; EMF: the metafile drawn into a PICT;
  // QuickTime: a copy of the handle.
  void SetFromPicture(const VPictureData& source) override;
  void WriteHex(VStream& stream) const override;
  uint32_t DataSize() const override;

 protected:
  int32_t WriteData(VStream& stream) override;
  int32_t ReadData(VStream& stream) override;
  void DisposeHeld(uint32_t handle) override;

 private:
  int16_t HeaderField(int index) const;
};

// The inert placeholder: no picture, no size. Stored form: the two kind
// words alone (10 and 106); nothing is read.
class VPlaceholderPictureData : public VHandlePictureData {
 public:
  VPlaceholderPictureData() = default;

  VValue* Clone() const override;
  int32_t GetPictureKind() const override;
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  // Adopts the word without letting the old one go: it is opaque.
  void SetHandle(uint32_t handle, bool owns) override;
  void SetFromData(const void* bytes, uint32_t size) override;

 protected:
  int32_t WriteData(VStream& stream) override;
  int32_t ReadData(VStream& stream) override;
  // Nothing: the word is opaque and never disposed.
  void DisposeHeld(uint32_t handle) override;
};
