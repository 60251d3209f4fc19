// The Word import's body: the main text with the properties of its runs,
// its table cells' shading, its paragraphs' spacing and its page numbers,
// dates, times and pictures, written as element bytes in one pass over the
// text and given to the body piece by piece as they are made, so that the
// import takes time in proportion to the file and holds no second copy of
// the body's bytes. The header and footer stories are written the same
// way into their parts.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <map>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocInfos.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaProperties.h"
#include "document/xMorvaTabs.h"
#include "engine/xMorvaElementStream.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaFont.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "graphics/pictures/VPictureData.h"
#include "interchange/word/xMorvaImportWord.h"

namespace {

constexpr uint32_t kTabElementSize = 14;
constexpr size_t kParagraphIds = kLastParagraphProperty - kFirstParagraphProperty + 1;

// A paragraph's settings: its paragraph property values and tab stops.
struct ParagraphSettings {
  std::array<int32_t, kParagraphIds> values{};
  std::vector<uint32_t> tabs;  // sorted by position
};

// A stretch of body positions [first, limit) that a layer of properties covers.
struct Stretch {
  uint32_t first = 0;
  uint32_t limit = 0;
  uint32_t index = 0;  // into the layer's source
};

void PutRecord(std::vector<uint8_t>& out, uint16_t id, uint32_t value) {
  const size_t at = out.size();
  out.resize(at + kRecordSize);
  PutPropertyRecord(out.data() + at, id, value);
}

void PutUnit(std::vector<uint8_t>& out, char16_t unit) {
  const size_t at = out.size();
  out.resize(at + 2);
  PutStreamUnit(out.data() + at, unit);
}

void PutElementHead(std::vector<uint8_t>& out, uint16_t code, uint32_t a, uint32_t b) {
  const size_t at = out.size();
  out.resize(at + kElementHeadSize);
  PutStreamUnit(out.data() + at, 0);
  PutStreamUnit(out.data() + at + 2, code);
  PutStreamLong(out.data() + at + 4, a);
  PutStreamLong(out.data() + at + 8, b);
}

// One character of the body as the text engine stores it, as its
// conversion of strings does: a tab and a soft hyphen are elements, in a
// symbol font a private code stands for its byte and the byte-order mark
// for a space, and any control left over is a space so that every
// character keeps one position. Outside a symbol font every other
// character stays as it is.
void PutCharacter(std::vector<uint8_t>& out, char16_t unit, bool symbolFont) {
  if (symbolFont && (unit & 0xFF00) == 0xF000) unit &= 0x00FF;
  if (unit == u'\t') {
    PutElementHead(out, xMorvaElementCode::Tab, kTabElementSize, kTabElementSize);
    out.resize(out.size() + kTabElementSize, 0);
  } else if (unit == 0x00AD) {
    PutElementHead(out, xMorvaElementCode::SoftHyphen, 2, 0);
    PutUnit(out, unit);
  } else if ((unit < 32 && unit != kUnitParagraphEnd) || (symbolFont && unit == 0xFEFF)) {
    PutUnit(out, u' ');
  } else {
    PutUnit(out, unit);
  }
}

// A tab stop added to a paragraph's sorted stops, replacing one at its position.
void AddTab(std::vector<uint32_t>& tabs, uint32_t stop) {
  const int16_t position = TabStopPosition(stop);
  std::erase_if(tabs, [position](uint32_t t) { return TabStopPosition(t) == position; });
  tabs.insert(std::upper_bound(tabs.begin(), tabs.end(), stop,
                               [](uint32_t a, uint32_t b) { return TabStopPosition(a) < TabStopPosition(b); }),
              stop);
}

// The bytes of the page-number and date-time elements of one import: each
// kind and format made once by the engine's own inserter in a scratch text
// (so the element is laid out as one typed in), then copied wherever the
// text has one. Every date and time shows the moment of the import.
class ComputedElements {
 public:
  explicit ComputedElements(uint8_t displayMode) : fDisplayMode(displayMode) {
    xMorvaDocInfos::Now(fToday, fSeconds);
  }

  // The element's bytes, or null when the scratch text could not make it.
  const std::vector<uint8_t>* Get(xMorvaWordSpecial::Kind kind, uint32_t format) {
    const auto key = std::make_pair(int(kind), format);
    if (auto found = fMade.find(key); found != fMade.end()) return &found->second;
    std::vector<uint8_t> element = xMorvaEngine::MakeComputedElement(
        fDisplayMode, kind != xMorvaWordSpecial::kPageNumber, format, fToday, fSeconds);
    if (element.empty()) return nullptr;
    return &fMade.emplace(key, std::move(element)).first->second;
  }

 private:
  uint8_t fDisplayMode;
  VDateRec fToday{};
  int32_t fSeconds = 0;
  std::map<std::pair<int, uint32_t>, std::vector<uint8_t>> fMade;
};

// A picture's element, shown at width x height (its own size where -1),
// appended to `out`; false when it could not be made.
bool PutPicture(std::vector<uint8_t>& out, VPictureData& picture, int32_t width, int32_t height) {
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  if (element == 0) return false;
  bool made = MakePictureElement(picture, element, width, height, -1, 0);
  if (made) {
    const uint32_t size = gMemoryMgr->GetHandleSize(element);
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(element));
    made = bytes != nullptr && size >= kElementHeadSize;
    if (made) out.insert(out.end(), bytes, bytes + size);
    if (bytes != nullptr) gMemoryMgr->UnlockHandle(element);
  }
  gMemoryMgr->DisposeHandle(element);
  return made;
}

// Every character property's value.
using CharacterValues = std::array<int32_t, kLastCharacterProperty + 1>;

// A stretch of the body that no edge of a layer or a paragraph cuts, and
// its characters' values, by their index in the builder's list of the
// different values met (a long body uses a few dozen over tens of
// thousands of stretches).
struct CharacterSpan {
  uint32_t first;
  uint32_t limit;
  uint32_t values;
  bool symbolFont;
};

// The highest-numbered stretch of a layer that covers `position`; the
// cursor only moves forward, as the positions asked do. The stretches come
// from `source` one at a time, in order of their starts (and of their
// numbers where the starts are the same); false when there are no more.
struct LayerCursor {
  using Source = std::function<bool(Stretch&)>;
  explicit LayerCursor(Source from) : source(std::move(from)) { pending = source(coming); }
  // Over a layer already in order.
  static LayerCursor Over(const std::vector<Stretch>& layer) {
    return LayerCursor([&layer, i = size_t(0)](Stretch& stretch) mutable {
      if (i == layer.size()) return false;
      stretch = layer[i++];
      return true;
    });
  }
  Source source;
  Stretch coming;
  bool pending = false;
  std::vector<Stretch> open;  // covering the last position
  const Stretch* At(uint32_t position) {
    while (pending && coming.first <= position) {
      open.push_back(coming);
      pending = source(coming);
    }
    std::erase_if(open, [&](const Stretch& s) { return s.limit <= position; });
    const Stretch* best = nullptr;
    for (const Stretch& s : open)
      if (best == nullptr || s.index > best->index) best = &s;
    return best;
  }
  // After At(position): the nearest edge of the layer past it, the start
  // of the next stretch or the end of one covering it (a stretch that
  // starts later ends later still); `edge` when none is nearer.
  uint32_t NextEdge(uint32_t edge) const {
    if (pending) edge = std::min(edge, coming.first);
    for (const Stretch& s : open) edge = std::min(edge, s.limit);
    return edge;
  }
};

// The stops of `from` that `to` lacks leave, as records that clear them;
// the stops of `to` that `from` lacks come.
void PutTabChanges(std::vector<uint8_t>& out, const std::vector<uint32_t>& from, const std::vector<uint32_t>& to) {
  for (uint32_t stop : from)
    if (std::none_of(to.begin(), to.end(), [stop](uint32_t t) { return TabStopPosition(t) == TabStopPosition(stop); }))
      PutRecord(out, kPropTabs, stop & 0x0000FFFFu);
  for (uint32_t stop : to)
    if (std::find(from.begin(), from.end(), stop) == from.end()) PutRecord(out, kPropTabs, stop);
}

}  // namespace

// One story's element bytes, built in steps: the paragraphs and their
// settings, the layers of character properties, the spans between their
// edges, the spacing that widens interlines, then the bytes in one pass.
class xMorvaImportWord::BodyBuilder {
 public:
  BodyBuilder(xMorvaImportWord& reader, xMorvaDocument& document, xMorvaEngine& engine, const std::u16string& body,
              const xMorvaWordPositions& positions, uint32_t firstCp,
              const std::vector<xMorvaWordSpecial>& specials, const std::vector<xMorvaWordSpacing>& spacing,
              const std::vector<xMorvaWordBreak>& breaks)
      : fReader(reader),
        fDocument(document),
        fEngine(engine),
        fBody(body),
        fPositions(positions),
        fSpecials(specials),
        fSpacing(spacing),
        fBreaks(breaks),
        fLength(uint32_t(body.size())),
        fFirstCp(firstCp),
        fLastCp(positions.Empty() ? 0 : uint32_t(positions.Size() - 1)),
        fFonts(reader.fFontNames.size(), -1),
        fComputed(engine.GetFieldDisplayMode()) {}

  int32_t Build();

 private:
  // Characters before the story's first land at its start, those after
  // its end at its end.
  uint32_t At(uint32_t cp) const {
    if (fPositions.Empty() || cp < fFirstCp) return 0;
    return fPositions.At(std::min(cp - fFirstCp, fLastCp));
  }
  const CharacterValues& ValuesOf(const CharacterSpan& span) const { return fValues[span.values]; }
  uint32_t ValuesIndex(const CharacterValues& values);
  size_t ParagraphOf(uint32_t position) const {
    return size_t(std::upper_bound(fStarts.begin(), fStarts.end(), position) - fStarts.begin()) - 1;
  }
  // A property's value as the engine keeps it.
  int32_t Kept(uint16_t id, int32_t value) {
    fScratch.SetProperty(id, value);
    return fScratch.GetProperty(id);
  }
  void SetParagraph(ParagraphSettings& p, uint16_t id, int32_t value) {
    p.values[id - kFirstParagraphProperty] = Kept(id, value);
  }
  int16_t FontIndex(int16_t font);
  void FindParagraphs();
  void ApplyParagraphRuns();
  void ApplyParagraphRun(const xMorvaWordParagraphRun& run);
  void GatherLayers();
  void CutSpans();
  void ApplyCharacterRun(const xMorvaWordCharacterRun& run, xMorvaProperties& want, bool& symbolFont);
  void WidenForSpacing();
  int64_t LinesOf(xMorvaFont& font, size_t k, uint32_t end) const;
  bool PutSpecial(std::vector<uint8_t>& out, uint32_t position);
  void PutParagraphRecords(std::vector<uint8_t>& out, const ParagraphSettings& p);
  void PutSpan(std::vector<uint8_t>& out, const CharacterSpan& span);
  uint32_t PutPlainUnits(std::vector<uint8_t>& out, const CharacterSpan& span, uint32_t position);
  // The bytes made so far go to the engine behind those given before them.
  bool Flush(std::vector<uint8_t>& out);
  int32_t WriteBytes();

  xMorvaImportWord& fReader;
  xMorvaDocument& fDocument;
  xMorvaEngine& fEngine;
  const std::u16string& fBody;
  const xMorvaWordPositions& fPositions;
  const std::vector<xMorvaWordSpecial>& fSpecials;
  const std::vector<xMorvaWordSpacing>& fSpacing;
  const std::vector<xMorvaWordBreak>& fBreaks;
  const uint32_t fLength;
  const uint32_t fFirstCp;
  const uint32_t fLastCp;

  // The paragraphs, by their first positions, and their settings.
  std::vector<uint32_t> fStarts{0};
  xMorvaProperties fScratch;
  xMorvaProperties fDefaults;
  ParagraphSettings fInitial;
  std::vector<ParagraphSettings> fParagraphs;
  // The layers: paragraph styles' marks (with their sheets), character
  // runs and shaded cells, by body position.
  std::vector<Stretch> fMarks;
  std::vector<int16_t> fMarkSheets;
  std::vector<Stretch> fRuns, fShades;
  bool fRunsInOrder = false;  // the runs are not gathered in fRuns
  std::vector<int16_t> fFonts;  // the document's index of each font, -1 not asked yet
  std::vector<CharacterSpan> fSpans;
  // The different values met, and a table of their indices by hash (open
  // addressing, at most half full, kNoValues in an empty slot): a few bytes
  // a value even where every span's values differ.
  static constexpr uint32_t kNoValues = UINT32_MAX;
  std::vector<CharacterValues> fValues;
  std::vector<uint32_t> fValueSlots;
  // The specials' elements, and the next special to place.
  ComputedElements fComputed;
  size_t fNextSpecial = 0;
  // What the bytes written so far set: paragraph values, character values,
  // tab stops; and the next paragraph start and break to meet.
  std::array<int32_t, kParagraphIds> fStreamParagraph{};
  std::array<int32_t, kLastCharacterProperty + 1> fStreamCharacters{};
  std::vector<uint32_t> fStreamTabs;
  size_t fNextParagraph = 0;
  size_t fNextBreak = 0;
  // The bytes given to the engine so far.
  uint64_t fGiven = 0;
};

void xMorvaImportWord::BodyBuilder::FindParagraphs() {
  for (uint32_t i = 0; i < fLength; ++i)
    if (fBody[i] == u'\r') fStarts.push_back(i + 1);
  fScratch.SetDefaults();
  fDefaults.SetDefaults();
  for (size_t i = 0; i < kParagraphIds; ++i)
    fInitial.values[i] = fDefaults.GetProperty(uint16_t(kFirstParagraphProperty + i));
  fParagraphs.assign(fStarts.size(), fInitial);
}

// Each paragraph run's settings on the paragraphs it covers (short of its
// own end, so that the paragraph after is not touched), and its style on
// its characters.
void xMorvaImportWord::BodyBuilder::ApplyParagraphRuns() {
  for (const xMorvaWordParagraphRun& run : fReader.fParagraphRuns) ApplyParagraphRun(run);
}

void xMorvaImportWord::BodyBuilder::ApplyParagraphRun(const xMorvaWordParagraphRun& run) {
  const uint32_t from = At(run.first), to = At(run.limit);
  if (from >= to) return;
  const uint32_t end = std::max(from, to - 1);
  const size_t first = ParagraphOf(from), last = ParagraphOf(end > from ? end - 1 : from);
  const xMorvaWordPap& pap = run.pap;
  for (size_t k = first; k <= last && k < fParagraphs.size(); ++k) {
    ParagraphSettings& p = fParagraphs[k];
    SetParagraph(p, kPropAlignment, pap.jc);
    SetParagraph(p, kPropLeftIndent, std::max(TwipsToPixels(pap.left), 0));
    SetParagraph(p, kPropFirstLineIndent, TwipsToPixels(pap.firstLine));
    SetParagraph(p, kPropRightIndent, std::max(TwipsToPixels(pap.right), 0));
    SetParagraph(p, kPropInterline, pap.lineTenths);
    if (pap.shading != -1) SetParagraph(p, kPropParagraphBackColour, pap.shading);
    if (pap.borderSides != 0 || pap.borderStyleGiven) SetParagraph(p, kPropBorderStyle, pap.borderStyle);
    if (pap.borderSides != 0) {
      if (pap.borderColor != -1) SetParagraph(p, kPropBorderColour, pap.borderColor);
      if (pap.borderSpacing >= 0) SetParagraph(p, kPropBorderSpacing, PointsToPixels(pap.borderSpacing));
      SetParagraph(p, kPropLeftBorder, (pap.borderSides & 1) != 0);
      SetParagraph(p, kPropRightBorder, (pap.borderSides & 2) != 0);
      SetParagraph(p, kPropTopBorder, (pap.borderSides & 4) != 0);
      SetParagraph(p, kPropBottomBorder, (pap.borderSides & 8) != 0);
    }
    for (const xMorvaWordTab& tab : pap.tabs) {
      const int32_t position = std::clamp(TwipsToPixels(tab.position), 1, 32767);
      AddTab(p.tabs, MakeTabStop(int16_t(position), uint8_t(tab.leader), uint8_t(tab.kind)));
    }
  }
  // The style marks the paragraph's characters short of its own end. A
  // table cell's paragraph ends in a cell end, which stands as a tab
  // between cells and as nothing before the row's end: its characters, and
  // the tab, are the cell's to the last.
  const uint32_t marked = to > from && to <= fLength && fBody[to - 1] == u'\r' ? to - 1 : to;
  const int16_t sheet = fReader.SheetOf(pap.istd);
  if (marked > from && sheet > 0 && fDocument.HasStyleSheet(sheet)) {
    fMarks.push_back({from, marked, uint32_t(fMarkSheets.size())});
    fMarkSheets.push_back(sheet);
  }
}

// The character runs and the shaded cells, by body position; a later one
// over an earlier one wins, as it would set its values after it. Runs in
// the order of their characters (as the pages give them in all but a
// damaged file) are taken one at a time as the spans are cut; others are
// gathered here and sorted.
void xMorvaImportWord::BodyBuilder::GatherLayers() {
  const std::vector<xMorvaWordCharacterRun>& runs = fReader.fCharacterRuns;
  fRunsInOrder = std::is_sorted(runs.begin(), runs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  if (!fRunsInOrder) {
    fRuns.reserve(runs.size());
    for (size_t i = 0; i < runs.size(); ++i) {
      const uint32_t a = At(runs[i].first), b = At(runs[i].limit);
      if (a < b) fRuns.push_back({a, b, uint32_t(i)});
    }
  }
  for (size_t i = 0; i < fReader.fCellShading.size(); ++i) {
    const uint32_t a = At(fReader.fCellShading[i].first), b = At(fReader.fCellShading[i].limit);
    if (a < b) fShades.push_back({a, b, uint32_t(i)});
  }
  // Most layers come in order already; a sort that is not needed would
  // cost a copy of the layer.
  auto byStart = [](const Stretch& x, const Stretch& y) { return x.first < y.first || (x.first == y.first && x.index < y.index); };
  for (std::vector<Stretch>* layer : {&fMarks, &fRuns, &fShades})
    if (!std::is_sorted(layer->begin(), layer->end(), byStart)) std::stable_sort(layer->begin(), layer->end(), byStart);
}

int16_t xMorvaImportWord::BodyBuilder::FontIndex(int16_t font) {
  if (font < 0 || size_t(font) >= fFonts.size()) return 0;
  if (fFonts[size_t(font)] < 0) {
    VStr<255> name;
    name.SetUniCText(fReader.fFontNames[size_t(font)].substr(0, 63).c_str());
    fFonts[size_t(font)] = fDocument.FontIndexForName(name);
  }
  return fFonts[size_t(font)];
}

void xMorvaImportWord::BodyBuilder::ApplyCharacterRun(const xMorvaWordCharacterRun& run, xMorvaProperties& want,
                                                      bool& symbolFont) {
  const xMorvaWordChp& chp = run.chp;
  want.SetProperty(kPropBold, chp.bold);
  want.SetProperty(kPropItalic, chp.italic);
  want.SetProperty(kPropStrikeOut, chp.strike);
  want.SetProperty(kPropShadow, chp.shadow);
  want.SetProperty(kPropLetterCase, chp.caps);
  want.SetProperty(kPropUnderline, chp.underline);
  want.SetProperty(kPropVerticalPosition, chp.iss);
  want.SetProperty(kPropSize, PointSizeInRange(chp.halfPoints / 2));
  if (chp.color != -1) want.SetProperty(kPropTextColour, chp.color);
  if (chp.background != -1) want.SetProperty(kPropBackColour, chp.background);
  if (chp.style > 0 && fDocument.HasStyleSheet(chp.style)) want.SetProperty(kPropStyleSheet, chp.style);
  if (const int16_t font = FontIndex(chp.font); font > 0) want.SetProperty(kPropFont, font);
  symbolFont = chp.font >= 0 && size_t(chp.font) < fReader.fSymbolFonts.size() && fReader.fSymbolFonts[size_t(chp.font)];
}

// The characters' values over the stretches between every edge of the
// layers and the paragraphs: the defaults, the paragraph style's mark, the
// run's values, the cell's shading. The edges are met in order as the
// layers' cursors move, each span ending at the nearest one past its
// start, so that no list of them all is made.
void xMorvaImportWord::BodyBuilder::CutSpans() {
  // The runs in order, each placed in the body as it is reached (places
  // only grow with the characters); those that take no place are passed.
  auto runsInOrder = [this, i = size_t(0)](Stretch& stretch) mutable {
    const std::vector<xMorvaWordCharacterRun>& runs = fReader.fCharacterRuns;
    for (; i < runs.size(); ++i) {
      const uint32_t a = At(runs[i].first), b = At(runs[i].limit);
      if (a >= b) continue;
      stretch = {a, b, uint32_t(i++)};
      return true;
    }
    return false;
  };
  LayerCursor markAt = LayerCursor::Over(fMarks), shadeAt = LayerCursor::Over(fShades);
  LayerCursor runAt = fRunsInOrder ? LayerCursor(runsInOrder) : LayerCursor::Over(fRuns);
  xMorvaProperties want;
  // Room for as many spans as there can be edges; what is not used is
  // never touched.
  const size_t runCount = fRunsInOrder ? fReader.fCharacterRuns.size() : fRuns.size();
  fSpans.reserve(fStarts.size() + 2 * (fMarks.size() + runCount + fShades.size()));
  size_t nextStart = 0;
  for (uint32_t p = 0, q = 0; p < fLength; p = q) {
    want.SetDefaults();
    bool symbolFont = false;
    if (const Stretch* mark = markAt.At(p)) want.SetProperty(kPropStyleSheet, fMarkSheets[mark->index]);
    if (const Stretch* run = runAt.At(p)) ApplyCharacterRun(fReader.fCharacterRuns[run->index], want, symbolFont);
    if (const Stretch* shade = shadeAt.At(p)) want.SetProperty(kPropBackColour, fReader.fCellShading[shade->index].color);
    while (nextStart < fStarts.size() && fStarts[nextStart] <= p) ++nextStart;
    q = nextStart < fStarts.size() ? std::min(fStarts[nextStart], fLength) : fLength;
    q = shadeAt.NextEdge(runAt.NextEdge(markAt.NextEdge(q)));
    CharacterValues values;
    for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) values[id] = want.GetProperty(id);
    fSpans.push_back({p, q, ValuesIndex(values), symbolFont});
  }
  // The layers are in the spans now.
  for (std::vector<Stretch>* layer : {&fMarks, &fRuns, &fShades}) std::vector<Stretch>().swap(*layer);
  std::vector<int16_t>().swap(fMarkSheets);
}

uint32_t xMorvaImportWord::BodyBuilder::ValuesIndex(const CharacterValues& values) {
  auto hash = [](const CharacterValues& v) {
    uint64_t h = 1469598103934665603ull;
    for (int32_t x : v) h = (h ^ uint32_t(x)) * 1099511628211ull;
    return size_t(h ^ (h >> 29));
  };
  if ((fValues.size() + 1) * 2 > fValueSlots.size()) {
    // Twice the slots, every value placed again.
    fValueSlots.assign(std::max<size_t>(64, fValueSlots.size() * 2), kNoValues);
    for (uint32_t i = 0; i < fValues.size(); ++i) {
      size_t slot = hash(fValues[i]) & (fValueSlots.size() - 1);
      while (fValueSlots[slot] != kNoValues) slot = (slot + 1) & (fValueSlots.size() - 1);
      fValueSlots[slot] = i;
    }
  }
  size_t slot = hash(values) & (fValueSlots.size() - 1);
  for (; fValueSlots[slot] != kNoValues; slot = (slot + 1) & (fValueSlots.size() - 1))
    if (fValues[fValueSlots[slot]] == values) return fValueSlots[slot];
  fValueSlots[slot] = uint32_t(fValues.size());
  fValues.push_back(values);
  return fValueSlots[slot];
}

// The lines paragraph `k` will take up to `end`: its text's width over the
// room between its indents.
int64_t xMorvaImportWord::BodyBuilder::LinesOf(xMorvaFont& font, size_t k, uint32_t end) const {
  const int32_t room = TwipsToPixels(fReader.fSection.pageWidth - fReader.fSection.left - fReader.fSection.right);
  const ParagraphSettings& p = fParagraphs[k];
  const int32_t available = room - p.values[kPropLeftIndent - kFirstParagraphProperty] -
                            p.values[kPropRightIndent - kFirstParagraphProperty];
  if (available <= 0) return 1;
  double width = 0;
  auto span = std::upper_bound(fSpans.begin(), fSpans.end(), fStarts[k],
                               [](uint32_t v, const CharacterSpan& s) { return v < s.first; });
  if (span != fSpans.begin()) --span;
  for (; span != fSpans.end() && span->first < end; ++span) {
    for (uint16_t id : {kPropFont, kPropSize, kPropBold, kPropItalic, kPropLetterCase})
      font.ApplyProperty(id, ValuesOf(*span)[id], false);
    for (uint32_t at = std::max(span->first, fStarts[k]); at < std::min(span->limit, end); ++at) {
      const auto unit = uint16_t(fBody[at] == u'\t' ? u' ' : fBody[at]);
      width += font.MeasureCharWidth(&unit, &unit + 1);
    }
  }
  return std::max<int64_t>(1, int64_t(std::ceil(width / available)));
}

// Space before and after, and table rows' heights, widen the interline of
// the paragraph above the gap, measured in the font and size its end is
// in, over its own interline. The interline widens every line of the
// paragraph, so the space is shared among the lines the paragraph will
// take, keeping the paragraph's height near the writer's.
void xMorvaImportWord::BodyBuilder::WidenForSpacing() {
  if (fSpacing.empty()) return;
  xMorvaFont font(fDocument.GetMeasuringPort(), &fDocument);
  for (const xMorvaWordSpacing& gap : fSpacing) {
    if (gap.end >= fLength) continue;
    auto span = std::upper_bound(fSpans.begin(), fSpans.end(), gap.end,
                                 [](uint32_t v, const CharacterSpan& s) { return v < s.first; });
    if (span == fSpans.begin()) continue;
    --span;
    const size_t k = ParagraphOf(gap.end);
    const int64_t lines = gap.twips > 0 && gap.rowHeight == 0 ? LinesOf(font, k, gap.end) : 1;
    for (uint16_t id : {kPropFont, kPropSize, kPropBold, kPropItalic, kPropLetterCase})
      font.ApplyProperty(id, ValuesOf(*span)[id], false);
    const int64_t height = std::max(font.GetAscent() + font.GetDescent(), 1);
    const int64_t resolution = GetScreenResolution();
    const int64_t extra = int64_t(gap.twips) * 10 * resolution / (1440 * height * lines);
    const int64_t row = int64_t(gap.rowHeight) * 10 * resolution / (1440 * height);
    ParagraphSettings& p = fParagraphs[k];
    int32_t& interline = p.values[kPropInterline - kFirstParagraphProperty];
    const int64_t own = std::max(interline, 1);
    const int64_t widened = std::min<int64_t>(std::max(own, row) + extra, 127);
    if (widened != own) interline = Kept(kPropInterline, int32_t(widened));
  }
}

// A special's element where its placeholder stands; the page numbers in
// the first section's page-number style. A picture that cannot be made
// leaves its placeholder (counted).
bool xMorvaImportWord::BodyBuilder::PutSpecial(std::vector<uint8_t>& out, uint32_t position) {
  while (fNextSpecial < fSpecials.size() && fSpecials[fNextSpecial].at < position) ++fNextSpecial;
  if (fNextSpecial >= fSpecials.size() || fSpecials[fNextSpecial].at != position ||
      fBody[position] != kWordElementPlace)
    return false;
  const xMorvaWordSpecial& special = fSpecials[fNextSpecial++];
  if (special.kind == xMorvaWordSpecial::kPicture) {
    if (special.picture != nullptr && PutPicture(out, *special.picture, special.shownWidth, special.shownHeight))
      return true;
    ++fReader.fDroppedPictures;
    return false;
  }
  uint32_t format = special.format;
  if (special.kind == xMorvaWordSpecial::kPageNumber)
    format |= uint32_t(fReader.fSection.pageNumberStyle) << kPageNumberStyleShift;
  const std::vector<uint8_t>* element = fComputed.Get(special.kind, format);
  if (element == nullptr) return false;
  out.insert(out.end(), element->begin(), element->end());
  return true;
}

// A paragraph's records at its start: the values that differ from those
// the bytes set so far, the stops of the paragraph before that it lacks
// and its own that are new.
void xMorvaImportWord::BodyBuilder::PutParagraphRecords(std::vector<uint8_t>& out, const ParagraphSettings& p) {
  for (size_t i = 0; i < kParagraphIds; ++i) {
    if (p.values[i] == fStreamParagraph[i]) continue;
    PutRecord(out, uint16_t(kFirstParagraphProperty + i), uint32_t(p.values[i]));
    fStreamParagraph[i] = p.values[i];
  }
  PutTabChanges(out, fStreamTabs, p.tabs);
  fStreamTabs = p.tabs;
}

// A span's characters, with the records of the paragraphs starting in it
// and of its own character values where they change.
void xMorvaImportWord::BodyBuilder::PutSpan(std::vector<uint8_t>& out, const CharacterSpan& span) {
  for (uint32_t position = span.first; position < span.limit; ++position) {
    if (fNextParagraph < fStarts.size() && fStarts[fNextParagraph] == position)
      PutParagraphRecords(out, fParagraphs[fNextParagraph++]);
    if (position == span.first) {
      const CharacterValues& values = ValuesOf(span);
      for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
        if (values[id] == fStreamCharacters[id]) continue;
        PutRecord(out, id, uint32_t(values[id]));
        fStreamCharacters[id] = values[id];
      }
    }
    while (fNextBreak < fBreaks.size() && fBreaks[fNextBreak].at < position) ++fNextBreak;
    if (fNextBreak < fBreaks.size() && fBreaks[fNextBreak].at == position && fBody[position] == u'\r') {
      // The break element holds the paragraph end it stands for.
      PutElementHead(out, fBreaks[fNextBreak].page ? xMorvaElementCode::PageBreak : xMorvaElementCode::ColBreak, 2,
                     0);
      PutUnit(out, kUnitParagraphEnd);
    } else if (!PutSpecial(out, position)) {
      PutCharacter(out, fBody[position], span.symbolFont);
      position = PutPlainUnits(out, span, position + 1) - 1;
    }
  }
}

// The characters from `position` on that are stored as they stand, up to
// the span's end, the next paragraph's start, break or special, or the
// first character that is stored otherwise; where they stop.
uint32_t xMorvaImportWord::BodyBuilder::PutPlainUnits(std::vector<uint8_t>& out, const CharacterSpan& span,
                                                      uint32_t position) {
  uint32_t end = span.limit;
  if (fNextParagraph < fStarts.size()) end = std::min(end, fStarts[fNextParagraph]);
  if (fNextBreak < fBreaks.size()) end = std::min(end, fBreaks[fNextBreak].at);
  if (fNextSpecial < fSpecials.size()) end = std::min(end, fSpecials[fNextSpecial].at);
  if (end <= position) return position;
  const size_t at = out.size();
  out.resize(at + 2 * size_t(end - position));
  uint8_t* bytes = out.data() + at;
  uint32_t p = position;
  for (; p < end; ++p, bytes += 2) {
    const char16_t unit = fBody[p];
    if ((unit < 32 && unit != kUnitParagraphEnd) || unit == 0x00AD || unit == kWordElementPlace) break;
    if (span.symbolFont && ((unit & 0xFF00) == 0xF000 || unit == 0xFEFF)) break;
    PutStreamUnit(bytes, unit);
  }
  out.resize(at + 2 * size_t(p - position));
  return p;
}

bool xMorvaImportWord::BodyBuilder::Flush(std::vector<uint8_t>& out) {
  if (out.empty()) return true;
  if (fGiven + out.size() > UINT32_MAX / 2) return false;
  if (fEngine.InsertBytes(uint32_t(fGiven), out.data(), uint32_t(out.size())) != 0) return false;
  fGiven += out.size();
  out.clear();
  return true;
}

// The bytes: each paragraph's records at its start, the characters'
// records where their values change, and the characters; made in pieces
// of about kPiece bytes, each given to the engine once made, into room
// the engine keeps ahead for the whole, so that its block is not copied
// as it grows. 0, or 1041 with what was given taken back.
int32_t xMorvaImportWord::BodyBuilder::WriteBytes() {
  constexpr size_t kPiece = 64 * 1024;
  std::vector<uint8_t> out;
  out.reserve(kPiece + kPiece / 2);
  fEngine.ReserveCapacity(uint32_t(std::min<uint64_t>(uint64_t(fLength) * 2 + fSpans.size() * kRecordSize * 2,
                                                       UINT32_MAX / 2)));
  fStreamParagraph = fInitial.values;
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) fStreamCharacters[id] = fDefaults.GetProperty(id);
  bool given = true;
  for (const CharacterSpan& span : fSpans) {
    PutSpan(out, span);
    if (out.size() >= kPiece && !(given = Flush(out))) break;
  }
  // An empty last paragraph (after a final paragraph end) has its
  // settings too.
  if (given && fNextParagraph < fStarts.size() && fStarts[fNextParagraph] == fLength)
    PutParagraphRecords(out, fParagraphs[fNextParagraph]);
  if (given) given = Flush(out);
  if (!given && fGiven != 0) fEngine.DeleteBytes(0, int32_t(fGiven));
  fEngine.ReleaseCapacity();
  return given ? 0 : kWordNoMemory;
}

int32_t xMorvaImportWord::BodyBuilder::Build() {
  FindParagraphs();
  ApplyParagraphRuns();
  // The main text is built first, and no story after it needs its runs:
  // each kind goes once it is in the paragraphs' settings or in the spans,
  // before the spans and the engine's bytes take their room.
  if (fFirstCp == 0) fReader.DropMainTextParagraphRuns();
  GatherLayers();
  CutSpans();
  if (fFirstCp == 0) fReader.DropMainTextCharacterRuns();
  WidenForSpacing();
  if (const int32_t code = WriteBytes(); code != 0) return code;
  if (fGiven != 0) fEngine.SetLength(int32_t(fLength));
  return 0;
}

int32_t xMorvaImportWord::BuildBody(xMorvaDocument& document, xMorvaEngine& engine, const std::u16string& body,
                                    const xMorvaWordPositions& positions, uint32_t first,
                                    const std::vector<xMorvaWordSpecial>& specials,
                                    const std::vector<xMorvaWordSpacing>& spacing,
                                    const std::vector<xMorvaWordBreak>& breaks) {
  return BodyBuilder(*this, document, engine, body, positions, first, specials, spacing, breaks).Build();
}
