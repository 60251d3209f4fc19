// The reference document: a deterministic generator of element streams.
#include "bench/ReferenceDocument.h"

#include <random>
#include <string>

#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"

namespace {

class Writer {
 public:
  explicit Writer(ReferenceDocument& document) : fDocument(document) {
    const xMorvaProperties defaults;
    for (uint16_t id = 0; id < kPropTabs; ++id) fRunning[id] = uint32_t(defaults.GetProperty(id));
  }
  void Unit(uint16_t unit) {
    fDocument.stream.push_back(uint8_t(unit));
    fDocument.stream.push_back(uint8_t(unit >> 8));
    ++fDocument.positions;
  }
  void Text(const std::u16string& text) {
    for (char16_t unit : text) Unit(uint16_t(unit));
  }
  void Bytes(const std::vector<uint8_t>& bytes) {
    fDocument.stream.insert(fDocument.stream.end(), bytes.begin(), bytes.end());
    ++fDocument.positions;
  }
  // A record of a property other than the tab list, left out when the
  // value is already in force: the engine's commands never write one that
  // changes nothing, and a file that held one would read as repaired.
  void Setting(uint16_t id, uint32_t value) {
    if (fRunning[id] == value) return;
    fRunning[id] = value;
    Record(id, value);
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
  // The value of every property as the records so far set it.
  uint32_t fRunning[kPropTabs] = {};
};

void PutUnit(std::vector<uint8_t>& out, uint16_t unit) {
  out.push_back(uint8_t(unit));
  out.push_back(uint8_t(unit >> 8));
}

void PutLong(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, const std::u16string& text) {
  for (char16_t unit : text) PutUnit(out, uint16_t(unit));
}

// A computed element showing its result: head (0, code, a, b), then the
// object's length, the two texts' lengths, the shown-text flag 0 and a
// spare byte, the object, the source and the result, which is shown.
std::vector<uint8_t> ComputedElement(uint16_t code, const std::vector<uint8_t>& object,
                                     const std::u16string& source, const std::u16string& result) {
  std::vector<uint8_t> payload;
  PutLong(payload, uint32_t(object.size()));
  PutLong(payload, uint32_t(result.size() * 2));
  PutLong(payload, uint32_t(source.size() * 2));
  payload.push_back(0);
  payload.push_back(0);
  payload.insert(payload.end(), object.begin(), object.end());
  PutText(payload, source);
  const uint32_t shown = uint32_t(payload.size());
  PutText(payload, result);
  std::vector<uint8_t> element;
  PutUnit(element, 0);
  PutUnit(element, code);
  PutLong(element, uint32_t(payload.size()));
  PutLong(element, shown);
  element.insert(element.end(), payload.begin(), payload.end());
  return element;
}

// A page number of the format (bit 0: the page count), its result field
// 15 units long as layout fills it.
std::vector<uint8_t> PageNumber(uint32_t format) {
  std::vector<uint8_t> object;
  PutLong(object, format);
  return ComputedElement(xMorvaElementCode::PageNumber, object,
                         (format & 1) != 0 ? u"<Pages>" : u"<Page>", std::u16string(15, u'x'));
}

// A host expression: a reference the host evaluates, and its last result.
std::vector<uint8_t> HostExpression(int32_t n) {
  const std::vector<uint8_t> reference = {'C', 'l', 'i', 'e', 'n', 't',
                                          's', '.', 'N', 'a', 'm', 'e'};
  return ComputedElement(xMorvaElementCode::ExprQv, reference, u"<Clients Name>",
                         u"Client " + std::u16string(1, char16_t(u'A' + n % 26)));
}

// A picture element of 120 x 80 pixels: a red rectangle in a metafile.
std::vector<uint8_t> Picture() {
  VMetafilePort recorder(nullptr, 0, 0, 120, 80);
  recorder.SetFillColorRGB(255, 0, 0);
  recorder.PaintRect(1, 1, 118, 78);
  VEmfPictureData picture(recorder.EndRecording(), true);
  std::vector<uint8_t> bytes;
  VMemHandle handle = gMemoryMgr->NewHandle(0, 0);
  if (handle == 0) return bytes;
  if (MakePictureElement(picture, handle, -1, -1, -1, -1)) {
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle));
    if (data != nullptr) bytes.assign(data, data + gMemoryMgr->GetHandleSize(handle));
    gMemoryMgr->UnlockHandle(handle);
  }
  gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// "Reference", a right tab at the text's end, "Page <n> of <count>".
void MakeFooter(ReferenceDocument& document) {
  std::vector<uint8_t>& out = document.footer;
  auto record = [&](uint16_t id, uint32_t value) {
    PutUnit(out, 0);
    PutUnit(out, id);
    PutLong(out, value);
  };
  record(kPropTabs, MakeTabStop(int16_t(590), 0, kTabRight));
  PutText(out, u"Reference");
  PutUnit(out, 0);
  PutUnit(out, xMorvaElementCode::Tab);
  PutLong(out, 14);
  PutLong(out, 14);
  out.insert(out.end(), 14, 0);
  PutText(out, u"Page ");
  const std::vector<uint8_t> number = PageNumber(0);
  out.insert(out.end(), number.begin(), number.end());
  PutText(out, u" of ");
  const std::vector<uint8_t> count = PageNumber(1);
  out.insert(out.end(), count.begin(), count.end());
  // Nine units, a tab and two page numbers.
  document.footerPositions = 9 + 1 + 5 + 1 + 4 + 1;
}

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
  const std::vector<uint8_t> picture = Picture();
  bool tabsSet = false;
  int32_t nextPage = 0;
  while (document.positions < target) {
    // Paragraph records at the paragraph's start, ahead of anything else in
    // it: now and then another alignment, indents, or a tab list set or
    // taken away (only once set).
    if (between(0, 3) == 0) writer.Setting(kPropAlignment, uint32_t(between(0, 3)));
    if (between(0, 5) == 0) {
      writer.Setting(kPropLeftIndent, uint32_t(between(0, 60)));
      writer.Setting(kPropFirstLineIndent, uint32_t(between(-20, 30)));
    }
    if (between(0, 7) == 0) {
      const uint8_t kind = tabsSet ? kTabNone : kTabLeft;
      for (int16_t stop = 1; stop <= 4; ++stop) writer.Record(kPropTabs, MakeTabStop(int16_t(stop * 72), 0, kind));
      tabsSet = !tabsSet;
    }
    // The first paragraph of a page opens with a host expression; that of
    // every 20th page with a picture too.
    if (document.positions >= nextPage * ReferenceDocument::kUnitsPerPage) {
      if (nextPage % 20 == 0 && !picture.empty()) {
        writer.Bytes(picture);
        ++document.pictures;
      }
      writer.Bytes(HostExpression(nextPage));
      writer.Text(u" ");
      ++document.expressions;
      ++nextPage;
    }
    const int32_t length = between(40, 400);
    int32_t written = 0;
    while (written < length - 1) {
      // A word, now and then in a run of another look.
      const bool styled = between(0, 9) == 0;
      uint16_t id = 0;
      if (styled) {
        id = uint16_t(between(0, 3) == 0 ? kPropSize : between(kPropBold, kPropUnderline));
        writer.Setting(id, id == kPropSize ? uint32_t(between(9, 18)) : 1u);
      }
      const int32_t word = between(2, 10);
      for (int32_t i = 0; i < word && written < length - 1; ++i, ++written) {
        writer.Unit(uint16_t('a' + between(0, 25)));
      }
      if (styled) writer.Setting(id, id == kPropSize ? 12u : 0u);
      if (written < length - 1) {
        writer.Unit(' ');
        ++written;
      }
    }
    writer.Unit(13);
    ++document.paragraphs;
  }
  document.lines = document.positions / ReferenceDocument::kUnitsPerLine;
  MakeFooter(document);
  return document;
}

// The reference text's characters alone, as a text pasted from elsewhere:
// its records left out and each element a letter, so that it has as many
// positions and paragraphs.
void MakePlain(ReferenceDocument& reference) {
  std::vector<uint8_t> plain;
  plain.reserve(reference.stream.size());
  const uint8_t* s = reference.stream.data();
  const uint32_t size = uint32_t(reference.stream.size());
  for (uint32_t at = 0; at < size;) {
    const StreamItem item = ReadStreamItem(s + at, size - at);
    at += item.size;
    if (item.kind == StreamItem::kRecord) continue;
    uint8_t unit[2];
    PutStreamUnit(unit, item.kind == StreamItem::kUnit ? item.unit : uint16_t('x'));
    plain.insert(plain.end(), unit, unit + 2);
  }
  reference.stream = std::move(plain);
  reference.records = 0;
}

namespace {

// One sentence of Vietnamese, precomposed and decomposed.
const std::u16string kVietnamesePrecomposed =
    u"Ti\u1EBFng Vi\u1EC7t l\u00E0 ng\u00F4n ng\u1EEF c\u1EE7a ng\u01B0\u1EDDi Vi\u1EC7t, ch\u1EEF "
    u"vi\u1EBFt c\u00F3 d\u1EA5u thanh tr\u00EAn t\u1EEBng \u00E2m ti\u1EBFt. ";
const std::u16string kVietnameseDecomposed =
    u"Tie\u0302\u0301ng Vie\u0323\u0302t la\u0300 ngo\u0302n ngu\u031B\u0303 cu\u0309a ngu\u031Bo\u031B\u0300i "
    u"Vie\u0323\u0302t, chu\u031B\u0303 vie\u0302\u0301t co\u0301 da\u0302\u0301u thanh tre\u0302n "
    u"tu\u031B\u0300ng a\u0302m tie\u0302\u0301t. ";
const std::u16string kEmojiLine =
    u"\u0645\u06CC\u200C\u062E\u0648\u0627\u0647\u0645 \U0001F468\u200D\U0001F469\u200D\U0001F467 "
    u"\U0001F3F3\uFE0F\u200D\U0001F308 \U0001F44D\U0001F3FD No\u0323\u0302i";

// Each paragraph of the plain text written over with the sentence from its
// start, as often as it fits: a paragraph's end cuts the sentence short.
void WriteOverParagraphs(ReferenceDocument& reference, const std::u16string& sentence) {
  std::vector<uint8_t>& s = reference.stream;
  size_t next = 0;
  for (size_t at = 0; at + 2 <= s.size(); at += 2) {
    if (StreamUnit(&s[at]) < 0x20) {
      next = 0;
      continue;
    }
    PutStreamUnit(&s[at], sentence[next]);
    next = (next + 1) % sentence.size();
  }
}

// The line written over a stretch of every line of the plain text that
// holds no paragraph end, a quarter of a line from its start.
void WriteOverLines(ReferenceDocument& reference, const std::u16string& line) {
  std::vector<uint8_t>& s = reference.stream;
  const size_t step = 2 * size_t(ReferenceDocument::kUnitsPerLine);
  for (size_t at = 2 * size_t(ReferenceDocument::kUnitsPerLine / 4); at + 2 * line.size() <= s.size(); at += step) {
    bool plain = true;
    for (size_t i = 0; i < line.size(); ++i) plain = plain && StreamUnit(&s[at + 2 * i]) >= 0x20;
    if (!plain) continue;
    for (size_t i = 0; i < line.size(); ++i) PutStreamUnit(&s[at + 2 * i], line[i]);
  }
}

}  // namespace

ReferenceDocument MakeBenchText(int32_t pages, BenchText text) {
  ReferenceDocument reference = MakeReferenceDocument(pages);
  if (text == BenchText::kReference) return reference;
  MakePlain(reference);
  if (text == BenchText::kEmoji) WriteOverLines(reference, kEmojiLine);
  if (text == BenchText::kDecomposed) WriteOverParagraphs(reference, kVietnameseDecomposed);
  if (text == BenchText::kPrecomposed) WriteOverParagraphs(reference, kVietnamesePrecomposed);
  return reference;
}
