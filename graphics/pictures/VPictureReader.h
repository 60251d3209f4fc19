// Picture file readers and their factory, and the walk over the opcodes of
// a version 2 PICT that finds an opcode without drawing the picture.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VPictureData;
class VStream;

// A reader of one picture kind over a stream it does not own.
class VPictureReader : public VObject {
 public:
  VPictureReader(VStream* stream, bool hasFileHeader)
      : fStream(stream), fHasFileHeader(hasFileHeader ? 1 : 0) {}
  ~VPictureReader() override = default;

  // No reader makes pictures of files: they are read through the picture
  // import. Both answer null.
  virtual VPictureData* ReadAsPict();
  virtual VPictureData* ReadAsMetafile();
  // Prepares the stream: 0 or an error; -2 for the kinds that read nothing.
  virtual int32_t Open();
  virtual void Close();

 protected:
  VStream* fStream;
  uint8_t fHasFileHeader;
};

// The PICT reader: opens its stream big-endian and walks its opcodes.
class VPictFileReader : public VPictureReader {
 public:
  using VPictureReader::VPictureReader;
  ~VPictFileReader() override;

  // The stream's status; 202 when already open.
  int32_t Open() override;
  void Close() override;
  bool IsOpen() const { return fStreamSize >= 0; }

  // The stream position of the next occurrence of the opcode (of the first
  // when the walk starts at position 0), or -1: the end of the picture, an
  // opcode that cannot be stepped over, data running past the stream, or a
  // closed reader. A find leaves the stream after the opcode word: the
  // caller reads or skips its data before walking on.
  int32_t FindOpcode(uint16_t opcode);
  // Whether any of the opcodes occurs, walking from the start; false for an
  // empty list or a closed reader.
  bool HasAnyOpcode(const uint16_t* opcodes, int32_t count);
  // Whether a long comment of kind 100 starting with 'Qv05' marks the
  // picture.
  bool IsMarkedPicture();

 private:
  int32_t Walk(const uint16_t* opcodes, int32_t count);

  int32_t fStreamSize = -1;
};

// The data bytes that follow an opcode of a version 2 PICT once this
// returns (it reads some length fields itself), or -1 for an opcode that
// cannot be stepped over or data that cannot be read.
int32_t OpcodeDataLength(VStream& stream, uint16_t opcode);

// The reader of a picture kind, owned by the caller: PICT for 1 and 105,
// a reader that reads nothing for the other kinds of 2 to 106; null
// outside.
VPictureReader* NewPictureReader(int32_t kind, VStream* stream, bool hasFileHeader);

// FindOpcode over a buffer of PICT bytes (with the 512-byte file header
// when asked): an entry point for reading foreign bytes directly.
int32_t FindPictOpcodeInBytes(const uint8_t* bytes, uint32_t size, bool hasFileHeader,
                              uint16_t opcode);
