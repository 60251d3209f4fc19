// VFileStream: the byte stream over a file, with one buffer of up to 64 KB
// between the stream and the file that reads ahead and writes behind, and a
// logical size that counts the bytes still in the buffer.
#pragma once

#include <cstdint>

#include "framework/core/streams/VStream.h"
#include "framework/system/files/VFile.h"

// Status codes of the file stream beyond those of the streams and files.
constexpr int16_t kFileStreamTooLarge = 203;  // a file or a write past 4 GB - 1

// Positions and sizes are 32-bit: a file of 4 GB or more is refused when
// opened (211), and a write that would pass 4 GB - 1 fails with 203.
//
// While a stream writes a file it is that file's attached stream: reads
// through the file and through other streams flush it first, and the
// file's size is the stream's size. A stream deleted without CloseWrite
// drops its buffered bytes and detaches itself from the file.
class VFileStream : public VStream, public VFileStreamLink {
 public:
  // The file is not owned; `shared` is passed on to VFile::Open.
  VFileStream(VFile* file, bool shared);
  ~VFileStream() override;

  // 202 when open already; 208 without a file; 211 when the file cannot be
  // opened (or is too large). A file that is not open is opened for reading
  // and closed again by CloseRead; an open file is used as it is.
  int16_t OpenRead() override;
  // 202 when open already or when another stream writes the file; 211
  // without a file or when it cannot be opened; 213 when the file is open
  // for reading only.
  int16_t OpenWrite() override;
  // The file's close result when the stream opened the file, else the
  // status the stream had; 206 for a writing stream.
  int16_t CloseRead() override;
  // Flushes, detaches from the file and, with `truncate`, cuts the file to
  // the stream's size. Answers the stream's error when a transfer or the
  // last flush failed, else the file's close result (when the stream
  // opened the file) or the status; 207 for a reading stream.
  int16_t CloseWrite(uint8_t truncate) override;
  int16_t WriteBytes(const void* data, uint32_t length) override;
  int16_t ReadBytes(void* data, uint32_t& length) override;
  uint32_t GetSize() override;
  uint32_t GetPosition() override;
  int16_t SetSize(uint32_t size) override;
  int16_t SetPosition(uint32_t position) override;
  int16_t Skip(int32_t offset) override;

  // Writes the buffered bytes of a writing stream to the file; the buffer is
  // empty afterwards in every case.
  int16_t Flush();
  // Flushes, then makes the buffer anew with this capacity (0: none, and
  // the next open takes 64 KB).
  void SetBufferSize(uint32_t capacity);
  uint32_t GetBufferSize() const { return fCapacity; }

  // The file's link to its writing stream.
  int32_t FlushToFile() override;
  int64_t GetStreamSize() override;

 private:
  void MakeBuffer(bool shrink);
  void FreeBuffer();
  // Reads straight from the file at the position.
  void ReadFromFile(void* data, uint32_t& length);
  uint32_t Find(const void* value, uint32_t width) override;
  // The file's size for the stream, or false when it is none or too large.
  bool FileSize(uint32_t& size);

  uint8_t fOpenedByMe = 0;
  uint8_t fOpen = 0;
  uint8_t fWriting = 0;
  uint8_t fShared = 0;
  VFile* fFile;
  uint32_t fPosition = 0;
  uint32_t fSize = 0;
  uint32_t fBufferStart = 0;
  uint32_t fBuffered = 0;
  uint32_t fCapacity = 0;
  uint8_t* fBuffer = nullptr;
};
