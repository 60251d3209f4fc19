// xMorvaImportWord: reads a Word 6, 95 or 97 document out of its compound
// file into the body of a document: the file information block, the
// streams, and the text of the main story.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/core/VObject.h"

class ByteSpanReader;
class VStream;
class xMorvaDocument;

// Command error codes of the import.
constexpr int32_t kWordMissingArgument = 1001;
constexpr int32_t kWordNotWord = 1032;
constexpr int32_t kWordNoMemory = 1041;
constexpr int32_t kWordUnreadable = 1095;
constexpr int32_t kWordFastSaved = 1096;

// The fields of the file information block the import uses. A Word 97 block
// is mapped into the Word 6/95 fields.
struct xMorvaWordFib {
  uint16_t wIdent = 0;
  uint16_t nFib = 0;
  uint16_t flags = 0;  // fComplex 0x0004, fEncrypted 0x0100, fWhichTblStm 0x0200, fExtChar 0x1000
  uint16_t chs = 0;
  uint32_t fcMin = 0;
  uint32_t fcMac = 0;
  // ccpText, ccpFtn, ccpHdd, ccpMcr, ccpAtn, ccpEdn, ccpTxbx, ccpHdrTxbx.
  uint32_t ccp[8] = {};
  uint32_t fcPlcfSed = 0;
  uint32_t lcbPlcfSed = 0;
  uint32_t fcClx = 0;
  uint32_t lcbClx = 0;
  bool word97 = false;
};

// The first section's page setup in twips; what its properties do not set
// keeps the format's defaults (Letter paper, 1.25" left and right, 1" top
// and bottom, headers and footers 0.5" from the edge).
struct xMorvaWordSection {
  int32_t pageWidth = 12240;
  int32_t pageHeight = 15840;
  int32_t left = 1800;
  int32_t right = 1800;
  int32_t top = 1440;
  int32_t bottom = 1440;
  int32_t headerDistance = 720;
  int32_t footerDistance = 720;
};

class xMorvaImportWord : public VObject {
 public:
  ~xMorvaImportWord() override = default;

  // The whole import into `document`, which is reset and filled only when
  // the file was read whole: 0, or one of the codes above.
  int32_t ImportWordDocument(xMorvaDocument* document, VStream* file);

  // Reads the file into the main story's characters (paragraph ends as CR,
  // markers removed) without touching a document; the same codes.
  int32_t ReadWordText(VStream& file, std::u16string& body);

  const xMorvaWordFib& GetFib() const { return fFib; }
  const xMorvaWordSection& GetSection() const { return fSection; }

  // The FIB of a main stream: 0, or 1032 for a block it refuses (no Word
  // identifier, nFib outside 63 to 193, encrypted, or cut short).
  static int32_t ReadFib(const std::vector<uint8_t>& main, xMorvaWordFib& fib);

 private:
  int32_t ReadPieceTable(const std::vector<uint8_t>& main, const std::vector<uint8_t>& table,
                         std::u16string& text);
  int32_t ReadPlainText(const std::vector<uint8_t>& main, std::u16string& text);
  int32_t ReadFirstSection(const std::vector<uint8_t>& main, const std::vector<uint8_t>& table);
  // One section sprm at the reader's position; false when its operand
  // passes the end of its grpprl.
  bool ApplySectionSprm(ByteSpanReader& in, bool& stop);

  xMorvaWordFib fFib;
  xMorvaWordSection fSection;
};
