// The reference document: a deterministic generator of element streams.
#include "bench/ReferenceDocument.h"

#include <random>

#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"

namespace {

class Writer {
 public:
  explicit Writer(ReferenceDocument& document) : fDocument(document) {}
  void Unit(uint16_t unit) {
    fDocument.stream.push_back(uint8_t(unit));
    fDocument.stream.push_back(uint8_t(unit >> 8));
    ++fDocument.positions;
  }
  void Record(uint16_t id, uint32_t value) {
    const uint8_t bytes[8] = {0,
                              0,
                              uint8_t(id),
                              uint8_t(id >> 8),
                              uint8_t(value),
                              uint8_t(value >> 8),
                              uint8_t(value >> 16),
                              uint8_t(value >> 24)};
    fDocument.stream.insert(fDocument.stream.end(), bytes, bytes + 8);
    ++fDocument.records;
  }

 private:
  ReferenceDocument& fDocument;
};

}  // namespace

ReferenceDocument MakeReferenceDocument(int32_t pages, uint32_t seed) {
  ReferenceDocument document;
  const int32_t target = pages * ReferenceDocument::kUnitsPerPage;
  document.stream.reserve(size_t(target) * 2 + size_t(target) / 8);
  std::mt19937 random(seed);
  auto between = [&](int32_t low, int32_t high) {
    return std::uniform_int_distribution<int32_t>(low, high)(random);
  };
  Writer writer(document);
  bool tabsSet = false;
  while (document.positions < target) {
    // Paragraph records at the paragraph's start: now and then another
    // alignment, indents, or a tab list set or taken away.
    if (between(0, 3) == 0) writer.Record(kPropAlignment, uint32_t(between(0, 3)));
    if (between(0, 5) == 0) {
      writer.Record(kPropLeftIndent, uint32_t(between(0, 60)));
      writer.Record(kPropFirstLineIndent, uint32_t(uint16_t(int16_t(between(-20, 30)))));
    }
    if (between(0, 7) == 0) {
      const uint8_t kind = tabsSet ? kTabNone : kTabLeft;
      for (int16_t stop = 1; stop <= 4; ++stop) writer.Record(kPropTabs, MakeTabStop(int16_t(stop * 72), 0, kind));
      tabsSet = !tabsSet;
    }
    const int32_t length = between(40, 400);
    int32_t written = 0;
    while (written < length - 1) {
      // A word, now and then in a run of another look.
      const bool styled = between(0, 9) == 0;
      uint16_t id = 0;
      if (styled) {
        id = uint16_t(between(0, 3) == 0 ? kPropSize : between(kPropBold, kPropUnderline));
        writer.Record(id, id == kPropSize ? uint32_t(between(9, 18)) : 1u);
      }
      const int32_t word = between(2, 10);
      for (int32_t i = 0; i < word && written < length - 1; ++i, ++written) {
        writer.Unit(uint16_t('a' + between(0, 25)));
      }
      if (styled) writer.Record(id, id == kPropSize ? 12u : 0u);
      if (written < length - 1) {
        writer.Unit(' ');
        ++written;
      }
    }
    writer.Unit(13);
    ++document.paragraphs;
  }
  document.lines = document.positions / ReferenceDocument::kUnitsPerLine;
  return document;
}
