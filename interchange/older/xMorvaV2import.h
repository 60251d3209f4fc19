// xMorvaV2import: reads documents of the word processor's older generation,
// an IFF "FORM" of type 'QMVT', into a document, replacing it. The form
// holds settings, print rectangles, style sheets, fonts, paragraphs with
// their text and character runs, host field marks, and a header and a
// footer that are forms of the same kind.
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VStream;
class xMorvaDocument;

constexpr int32_t kErrorV2NotFound = 1032;
constexpr int32_t kErrorV2Damaged = 1015;
constexpr int32_t kErrorV2NoMemory = 1041;

class xMorvaV2import : public VObject {
 public:
  xMorvaV2import() = default;
  ~xMorvaV2import() override;

  // Reads the stream from its start. 0; 1032 when no 'QMVT' form is found
  // (the document untouched); 1015 for a damaged form (the document
  // untouched) or a failed conversion (the document keeps what was
  // converted); 1041 when memory runs out.
  int32_t ImportV2Document(xMorvaDocument& document, VStream& stream, bool option);
  // The same over bytes in memory.
  int32_t ImportV2Bytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, bool option);
};
