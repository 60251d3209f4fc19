// The picture values of the kinds that are only held and passed on: a
// Windows metafile, a QuickTime picture (a PICT in a Toolbox handle, header
// big-endian) and the inert placeholder.
#pragma once

#include "graphics/pictures/VPictureData.h"

struct HMETAFILE__;
using HMETAFILE = HMETAFILE__*;

// A Windows metafile. Stored data: a 32-bit count N and the metafile's
// N bytes; the bytes read back become the metafile again.
class VWmfPictureData : public VPictureData {
 public:
  VWmfPictureData() = default;
  // PICT: the host's conversion; WMF: a copy. Others leave it empty.
  explicit VWmfPictureData(const VPictureData& source);
  ~VWmfPictureData() override;

  // A copy of the metafile, owned.
  VValue* Clone() const override;
  int32_t GetPictureKind() const override;
  bool HasData() const override;
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  uint32_t GetHandle() const override;
  uint32_t DetachHandle() override;
  void SetHandle(uint32_t handle, bool owns) override;
  // A metafile from its bits; bytes that are no metafile leave it empty
  // with the error 600.
  void SetFromData(const void* bytes, uint32_t size) override;
  void SetFromPicture(const VPictureData& source) override;
  void WriteHex(VStream& stream) const override;
  uint32_t DataSize() const override;

  HMETAFILE GetMetafile() const { return fMetafile; }

 protected:
  int32_t WriteData(VStream& stream) override;

 private:
  void LetGo();
  void Adopt(HMETAFILE metafile);

  HMETAFILE fMetafile = nullptr;
};

// A QuickTime picture. Stored data: a 32-bit count N and the N bytes of the
// handle; read back the same way.
class VQTPictureData : public VPictureData {
 public:
  VQTPictureData() = default;
  VQTPictureData(const void* bytes, uint32_t size);
  ~VQTPictureData() override;

  VValue* Clone() const override;
  int32_t GetPictureKind() const override;
  bool HasData() const override;
  // The frame of the big-endian header; 0 without one.
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  uint32_t GetHandle() const override;
  uint32_t DetachHandle() override;
  void SetHandle(uint32_t handle, bool owns) override;
  void SetFromData(const void* bytes, uint32_t size) override;
  // PICT: a copy of its bytes; EMF: the metafile drawn into a PICT;
  // QuickTime: a copy of the handle.
  void SetFromPicture(const VPictureData& source) override;
  void WriteHex(VStream& stream) const override;
  uint32_t DataSize() const override;

 protected:
  int32_t WriteData(VStream& stream) override;
  int32_t ReadData(VStream& stream) override;

 private:
  void LetGo();
  int16_t HeaderField(int index) const;

  uint32_t fHandle = 0;
  uint8_t fOwns = 0;
};

// The inert placeholder: no picture, no size. Stored form: the two kind
// words alone (10 and 106); nothing is read.
class VPlaceholderPictureData : public VPictureData {
 public:
  VPlaceholderPictureData() = default;

  VValue* Clone() const override;
  int32_t GetPictureKind() const override;
  bool HasData() const override;
  int32_t GetWidth() const override;
  int32_t GetHeight() const override;
  void GetSize(int32_t& width, int32_t& height) const override;
  uint32_t GetHandle() const override;
  uint32_t DetachHandle() override;
  // Adopts the word without letting the old one go: it is opaque.
  void SetHandle(uint32_t handle, bool owns) override;
  void SetFromData(const void* bytes, uint32_t size) override;

 protected:
  int32_t WriteData(VStream& stream) override;
  int32_t ReadData(VStream& stream) override;

 private:
  uint32_t fHandle = 0;
  uint8_t fOwns = 0;
};
