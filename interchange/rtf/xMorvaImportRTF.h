// xMorvaImportRTF: reads Rich Text Format into a document, either replacing
// it (a file being opened) or at the current part's selection (the
// clipboard's 'RTF ' data, one undo step of the paste kind).
#pragma once

#include <cstdint>

#include "framework/core/VObject.h"

class VStream;
class xMorvaDocument;

// What a parse ended with. Above kRtfOk the import answers 1015.
enum RtfParseCode : int32_t {
  kRtfOk = 0,
  kRtfUnbalancedClose = 1,  // a closing brace without an open group
  kRtfTooDeep = 2,          // more nested groups than kRtfMaxDepth
  kRtfOpenGroup = 3,        // the input ended inside a group
  kRtfBadHex = 4,           // \' not followed by two hexadecimal digits
  kRtfEndInControl = 7,     // the input ended inside a control word
};

// Nesting is bounded so that a hostile file cannot make the reader keep a
// saved state for every one of millions of braces.
constexpr int32_t kRtfMaxDepth = 10000;

class xMorvaImportRTF : public VObject {
 public:
  xMorvaImportRTF() = default;
  ~xMorvaImportRTF() override;

  // Reads the stream from its position to its end. `paste` false replaces
  // the document (reset first, undo suspended meanwhile, the caret at 0 of
  // the body after); true inserts at the current part's selection in one
  // undo step and selects what it inserted, leaving headers, footers and
  // document settings alone. 0; 1015 for damaged data (a paste is then
  // undone, a file import keeps what it read); 1041 when memory runs out.
  int32_t ImportRtf(xMorvaDocument& document, VStream& stream, bool paste);
  // The same over bytes in memory.
  int32_t ImportRtfBytes(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, bool paste);

  // The parse code of the last import (kRtfOk ...).
  int32_t GetParseCode() const { return fParseCode; }

 private:
  // Reads `size` bytes at `bytes`, or, with a stream, the stream from its
  // position (`total` bytes) as the parse goes.
  int32_t Import(xMorvaDocument& document, const uint8_t* bytes, uint32_t size, VStream* stream, uint32_t total,
                 bool paste);

  int32_t fParseCode = kRtfOk;
};
