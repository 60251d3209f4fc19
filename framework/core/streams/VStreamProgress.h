// VStreamProgress: the progress object a stream asks before each transfer.
// The document layer, which sits above the streams, supplies the real one.
#pragma once

#include <cstdint>

class VStreamProgress {
 public:
  virtual ~VStreamProgress() = default;

  // Called with the number of bytes about to be transferred; answers true
  // to cancel the transfer (the stream then stops with status 218).
  virtual bool Progress(uint32_t bytes) = 0;
};
