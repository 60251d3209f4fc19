// The Word import's body: the main text with the properties of its runs,
// its table cells' shading, its paragraphs' spacing and its page numbers,
// dates, times and pictures, written as element bytes in one pass over the
// text and given to the body at once, so that the import takes time in
// proportion to the file. The header and footer stories are written the
// same way into their parts.
#include <algorithm>
#include <array>
#include <cmath>
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
  size_t index = 0;  // into the layer's source
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
    xMorvaEngine scratch(nullptr, xMorvaEngine::kPartGranule);
    if (!scratch.IsValid()) return nullptr;
    scratch.SetFieldDisplayMode(fDisplayMode);
    const int32_t code = kind == xMorvaWordSpecial::kPageNumber
                             ? scratch.InsertPageNumberField(format, false)
                             : scratch.InsertDateTimeField(fToday, fSeconds, uint16_t(format), false);
    if (code != 0) return nullptr;
    // The scratch text holds the element behind any records of its typing
    // properties.
    std::vector<uint8_t> element;
    const uint8_t* stream = scratch.LockStream();
    const uint32_t size = scratch.GetStreamSize();
    for (uint32_t at = 0; stream != nullptr && at < size;) {
      const StreamItem item = ReadStreamItem(stream + at, size - at);
      if (item.kind == StreamItem::kElement) {
        if (item.size >= kElementHeadSize) element.assign(stream + at, stream + at + item.size);
        break;
      }
      at += item.size;
    }
    if (stream != nullptr) scratch.UnlockStream();
    if (element.empty()) return nullptr;
    return &fMade.emplace(key, std::move(element)).first->second;
  }

 private:
  uint8_t fDisplayMode;
  VDateRec fToday{};
  int32_t fSeconds = 0;
  std::map<std::pair<int, uint32_t>, std::vector<uint8_t>> fMade;
};

// A picture's element, at the picture's own size, appended to `out`;
// false when it could not be made.
bool PutPicture(std::vector<uint8_t>& out, VPictureData& picture) {
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  if (element == 0) return false;
  bool made = MakePictureElement(picture, element, -1, -1, -1, 0);
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

}  // namespace

int32_t xMorvaImportWord::BuildBody(xMorvaDocument& document, xMorvaEngine& engine,
                                    const std::u16string& body,
                                    const std::vector<uint32_t>& positions,
                                    const std::vector<xMorvaWordSpecial>& specials,
                                    const std::vector<xMorvaWordSpacing>& spacing,
                                    const std::vector<xMorvaWordBreak>& breaks) {
  const uint32_t length = uint32_t(body.size());
  const uint32_t lastCp = positions.empty() ? 0 : uint32_t(positions.size() - 1);
  auto at = [&](uint32_t cp) { return positions.empty() ? 0u : positions[std::min(cp, lastCp)]; };

  // The paragraphs, by their first positions.
  std::vector<uint32_t> starts{0};
  for (uint32_t i = 0; i < length; ++i)
    if (body[i] == u'\r') starts.push_back(i + 1);
  auto paragraphOf = [&](uint32_t position) {
    return size_t(std::upper_bound(starts.begin(), starts.end(), position) - starts.begin()) - 1;
  };

  // A property's value as the engine keeps it.
  xMorvaProperties scratch;
  scratch.SetDefaults();
  auto kept = [&](uint16_t id, int32_t value) {
    scratch.SetProperty(id, value);
    return scratch.GetProperty(id);
  };
  xMorvaProperties defaults;
  defaults.SetDefaults();
  ParagraphSettings initial;
  for (size_t i = 0; i < kParagraphIds; ++i)
    initial.values[i] = defaults.GetProperty(uint16_t(kFirstParagraphProperty + i));
  std::vector<ParagraphSettings> paragraphs(starts.size(), initial);
  auto setParagraph = [&](ParagraphSettings& p, uint16_t id, int32_t value) {
    p.values[id - kFirstParagraphProperty] = kept(id, value);
  };

  // Each paragraph run's settings on the paragraphs it covers (short of its
  // own end, so that the paragraph after is not touched), and its style on
  // its characters.
  std::vector<Stretch> marks;
  std::vector<int16_t> markSheets;
  for (const xMorvaWordParagraphRun& run : fParagraphRuns) {
    const uint32_t from = at(run.first), to = at(run.limit);
    if (from >= to) continue;
    const uint32_t end = std::max(from, to - 1);
    const size_t first = paragraphOf(from), last = paragraphOf(end > from ? end - 1 : from);
    const xMorvaWordPap& pap = run.pap;
    for (size_t k = first; k <= last && k < paragraphs.size(); ++k) {
      ParagraphSettings& p = paragraphs[k];
      setParagraph(p, kPropAlignment, pap.jc);
      setParagraph(p, kPropLeftIndent, std::max(TwipsToPixels(pap.left), 0));
      setParagraph(p, kPropFirstLineIndent, TwipsToPixels(pap.firstLine));
      setParagraph(p, kPropRightIndent, std::max(TwipsToPixels(pap.right), 0));
      setParagraph(p, kPropInterline, pap.lineTenths);
      if (pap.shading != -1) setParagraph(p, kPropParagraphBackColour, pap.shading);
      if (pap.borderSides != 0) {
        setParagraph(p, kPropBorderStyle, pap.borderStyle);
        setParagraph(p, kPropLeftBorder, (pap.borderSides & 1) != 0);
        setParagraph(p, kPropRightBorder, (pap.borderSides & 2) != 0);
        setParagraph(p, kPropTopBorder, (pap.borderSides & 4) != 0);
        setParagraph(p, kPropBottomBorder, (pap.borderSides & 8) != 0);
      }
      for (const xMorvaWordTab& tab : pap.tabs) {
        const int32_t position = std::clamp(TwipsToPixels(tab.position), 1, 32767);
        AddTab(p.tabs, MakeTabStop(int16_t(position), uint8_t(tab.leader), uint8_t(tab.kind)));
      }
    }
    const int16_t sheet = SheetOf(pap.istd);
    if (end > from && sheet > 0 && document.StyleSheetIndex(sheet) > 0) {
      marks.push_back({from, end, markSheets.size()});
      markSheets.push_back(sheet);
    }
  }

  // The character runs and the shaded cells, by body position; a later
  // one over an earlier one wins, as it would set its values after it.
  std::vector<Stretch> runs, shades;
  for (size_t i = 0; i < fCharacterRuns.size(); ++i) {
    const uint32_t a = at(fCharacterRuns[i].first), b = at(fCharacterRuns[i].limit);
    if (a < b) runs.push_back({a, b, i});
  }
  for (size_t i = 0; i < fCellShading.size(); ++i) {
    const uint32_t a = at(fCellShading[i].first), b = at(fCellShading[i].limit);
    if (a < b) shades.push_back({a, b, i});
  }
  auto byStart = [](const Stretch& x, const Stretch& y) { return x.first < y.first || (x.first == y.first && x.index < y.index); };
  std::stable_sort(marks.begin(), marks.end(), byStart);
  std::stable_sort(runs.begin(), runs.end(), byStart);
  std::stable_sort(shades.begin(), shades.end(), byStart);
  std::vector<int16_t> fonts(fFontNames.size(), -1);
  auto fontIndex = [&](int16_t font) -> int16_t {
    if (font < 0 || size_t(font) >= fonts.size()) return 0;
    if (fonts[size_t(font)] < 0) {
      VStr<255> name;
      name.SetUniCText(fFontNames[size_t(font)].substr(0, 63).c_str());
      fonts[size_t(font)] = document.FontIndexForName(name);
    }
    return fonts[size_t(font)];
  };

  // The characters' values over the stretches between every edge of the
  // layers and the paragraphs: the defaults, the paragraph style's mark,
  // the run's values, the cell's shading.
  std::vector<uint32_t> edges(starts);
  for (const std::vector<Stretch>* layer : {&marks, &runs, &shades})
    for (const Stretch& s : *layer) {
      edges.push_back(s.first);
      edges.push_back(s.limit);
    }
  edges.push_back(length);
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  while (!edges.empty() && edges.back() > length) edges.pop_back();

  // The highest-numbered stretch of a layer that covers `position`; the
  // cursor only moves forward, as the positions asked do.
  struct Cursor {
    const std::vector<Stretch>& layer;
    size_t next = 0;
    std::vector<size_t> open;  // indices into layer, covering the last position
    const Stretch* At(uint32_t position) {
      while (next < layer.size() && layer[next].first <= position) open.push_back(next++);
      std::erase_if(open, [&](size_t i) { return layer[i].limit <= position; });
      const Stretch* best = nullptr;
      for (size_t i : open)
        if (best == nullptr || layer[i].index > best->index) best = &layer[i];
      return best;
    }
  };
  Cursor markAt{marks}, runAt{runs}, shadeAt{shades};
  xMorvaProperties want;
  struct Span {
    uint32_t first;
    uint32_t limit;
    std::array<int32_t, kLastCharacterProperty + 1> values;
    bool symbolFont;
  };
  std::vector<Span> spans;
  spans.reserve(edges.size());
  for (size_t e = 0; e + 1 < edges.size(); ++e) {
    const uint32_t p = edges[e], q = edges[e + 1];
    if (p >= q) continue;
    want.SetDefaults();
    bool symbolFont = false;
    if (const Stretch* mark = markAt.At(p)) want.SetProperty(kPropStyleSheet, markSheets[mark->index]);
    if (const Stretch* run = runAt.At(p)) {
      const xMorvaWordChp& chp = fCharacterRuns[run->index].chp;
      want.SetProperty(kPropBold, chp.bold);
      want.SetProperty(kPropItalic, chp.italic);
      want.SetProperty(kPropStrikeOut, chp.strike);
      want.SetProperty(kPropShadow, chp.shadow);
      want.SetProperty(kPropLetterCase, chp.caps);
      want.SetProperty(kPropUnderline, chp.underline);
      want.SetProperty(kPropVerticalPosition, chp.iss);
      want.SetProperty(kPropSize, std::max(chp.halfPoints / 2, 1));
      if (chp.color != -1) want.SetProperty(kPropTextColour, chp.color);
      if (chp.background != -1) want.SetProperty(kPropBackColour, chp.background);
      if (chp.style > 0 && document.StyleSheetIndex(chp.style) > 0) want.SetProperty(kPropStyleSheet, chp.style);
      if (const int16_t font = fontIndex(chp.font); font > 0) want.SetProperty(kPropFont, font);
      symbolFont = chp.font >= 0 && size_t(chp.font) < fSymbolFonts.size() && fSymbolFonts[size_t(chp.font)];
    }
    if (const Stretch* shade = shadeAt.At(p)) want.SetProperty(kPropBackColour, fCellShading[shade->index].color);
    Span span{p, q, {}, symbolFont};
    for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) span.values[id] = want.GetProperty(id);
    spans.push_back(span);
  }

  // Space before and after, and table rows' heights, widen the interline
  // of the paragraph above the gap, measured in the font and size its end
  // is in, over its own interline. The interline widens every line of the
  // paragraph, so the space is shared among the lines the paragraph will
  // take (its text's width over the room between its indents), keeping
  // the paragraph's height near the writer's.
  if (!spacing.empty()) {
    xMorvaFont font(document.GetMeasuringPort(), &document);
    const int32_t room = TwipsToPixels(fSection.pageWidth - fSection.left - fSection.right);
    auto linesOf = [&](size_t k, uint32_t end) -> int64_t {
      const ParagraphSettings& p = paragraphs[k];
      const int32_t available = room - p.values[kPropLeftIndent - kFirstParagraphProperty] -
                                p.values[kPropRightIndent - kFirstParagraphProperty];
      if (available <= 0) return 1;
      double width = 0;
      auto span = std::upper_bound(spans.begin(), spans.end(), starts[k],
                                   [](uint32_t v, const Span& s) { return v < s.first; });
      if (span != spans.begin()) --span;
      for (; span != spans.end() && span->first < end; ++span) {
        for (uint16_t id : {kPropFont, kPropSize, kPropBold, kPropItalic, kPropLetterCase})
          font.ApplyProperty(id, span->values[id], false);
        for (uint32_t at = std::max(span->first, starts[k]); at < std::min(span->limit, end); ++at) {
          const auto unit = uint16_t(body[at] == u'\t' ? u' ' : body[at]);
          width += font.MeasureCharWidth(&unit, &unit + 1);
        }
      }
      return std::max<int64_t>(1, int64_t(std::ceil(width / available)));
    };
    for (const xMorvaWordSpacing& gap : spacing) {
      if (gap.end >= length) continue;
      auto span = std::upper_bound(spans.begin(), spans.end(), gap.end,
                                   [](uint32_t v, const Span& s) { return v < s.first; });
      if (span == spans.begin()) continue;
      --span;
      const size_t k = paragraphOf(gap.end);
      const int64_t lines = gap.twips > 0 && gap.rowHeight == 0 ? linesOf(k, gap.end) : 1;
      for (uint16_t id : {kPropFont, kPropSize, kPropBold, kPropItalic, kPropLetterCase})
        font.ApplyProperty(id, span->values[id], false);
      const int64_t height = std::max(font.GetAscent() + font.GetDescent(), 1);
      const int64_t resolution = GetScreenResolution();
      const int64_t extra = int64_t(gap.twips) * 10 * resolution / (1440 * height * lines);
      const int64_t row = int64_t(gap.rowHeight) * 10 * resolution / (1440 * height);
      ParagraphSettings& p = paragraphs[k];
      int32_t& interline = p.values[kPropInterline - kFirstParagraphProperty];
      const int64_t own = std::max(interline, 1);
      const int64_t widened = std::min<int64_t>(std::max(own, row) + extra, 127);
      if (widened != own) interline = kept(kPropInterline, int32_t(widened));
    }
  }

  // A special's element where its placeholder stands; the page numbers in
  // the first section's page-number style. A picture that cannot be made
  // leaves its placeholder (counted).
  ComputedElements computed(engine.GetFieldDisplayMode());
  size_t nextSpecial = 0;
  auto putSpecial = [&](std::vector<uint8_t>& out, uint32_t position) {
    while (nextSpecial < specials.size() && specials[nextSpecial].at < position) ++nextSpecial;
    if (nextSpecial >= specials.size() || specials[nextSpecial].at != position ||
        body[position] != kWordElementPlace)
      return false;
    const xMorvaWordSpecial& special = specials[nextSpecial++];
    if (special.kind == xMorvaWordSpecial::kPicture) {
      if (special.picture != nullptr && PutPicture(out, *special.picture)) return true;
      ++fDroppedPictures;
      return false;
    }
    uint32_t format = special.format;
    if (special.kind == xMorvaWordSpecial::kPageNumber)
      format |= uint32_t(fSection.pageNumberStyle) << kPageNumberStyleShift;
    const std::vector<uint8_t>* element = computed.Get(special.kind, format);
    if (element == nullptr) return false;
    out.insert(out.end(), element->begin(), element->end());
    return true;
  };

  // The bytes: each paragraph's records at its start (its tab stops as the
  // stops of the paragraph before that it lacks and its own that are new),
  // the characters' records where their values change, and the characters.
  std::vector<uint8_t> out;
  out.reserve(size_t(length) * 2 + spans.size() * kRecordSize * 2);
  std::array<int32_t, kParagraphIds> streamParagraph = initial.values;
  std::array<int32_t, kLastCharacterProperty + 1> streamCharacters{};
  for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) streamCharacters[id] = defaults.GetProperty(id);
  std::vector<uint32_t> streamTabs;
  size_t nextParagraph = 0;
  size_t nextBreak = 0;
  for (const Span& span : spans) {
    for (uint32_t position = span.first; position < span.limit; ++position) {
      if (nextParagraph < starts.size() && starts[nextParagraph] == position) {
        const ParagraphSettings& p = paragraphs[nextParagraph++];
        for (size_t i = 0; i < kParagraphIds; ++i) {
          if (p.values[i] == streamParagraph[i]) continue;
          PutRecord(out, uint16_t(kFirstParagraphProperty + i), uint32_t(p.values[i]));
          streamParagraph[i] = p.values[i];
        }
        for (uint32_t stop : streamTabs)
          if (std::none_of(p.tabs.begin(), p.tabs.end(),
                           [stop](uint32_t t) { return TabStopPosition(t) == TabStopPosition(stop); }))
            PutRecord(out, kPropTabs, stop & 0x0000FFFFu);
        for (uint32_t stop : p.tabs)
          if (std::find(streamTabs.begin(), streamTabs.end(), stop) == streamTabs.end())
            PutRecord(out, kPropTabs, stop);
        streamTabs = p.tabs;
      }
      if (position == span.first) {
        for (uint16_t id = 0; id <= kLastCharacterProperty; ++id) {
          if (span.values[id] == streamCharacters[id]) continue;
          PutRecord(out, id, uint32_t(span.values[id]));
          streamCharacters[id] = span.values[id];
        }
      }
      while (nextBreak < breaks.size() && breaks[nextBreak].at < position) ++nextBreak;
      if (nextBreak < breaks.size() && breaks[nextBreak].at == position && body[position] == u'\r') {
        // The break element holds the paragraph end it stands for.
        PutElementHead(out, breaks[nextBreak].page ? xMorvaElementCode::PageBreak : xMorvaElementCode::ColBreak,
                       2, 0);
        PutUnit(out, kUnitParagraphEnd);
      } else if (!putSpecial(out, position)) {
        PutCharacter(out, body[position], span.symbolFont);
      }
    }
  }
  // An empty last paragraph (after a final paragraph end) has its
  // settings too.
  if (nextParagraph < starts.size() && starts[nextParagraph] == length) {
    const ParagraphSettings& p = paragraphs[nextParagraph];
    for (size_t i = 0; i < kParagraphIds; ++i)
      if (p.values[i] != streamParagraph[i]) PutRecord(out, uint16_t(kFirstParagraphProperty + i), uint32_t(p.values[i]));
    for (uint32_t stop : streamTabs)
      if (std::none_of(p.tabs.begin(), p.tabs.end(),
                       [stop](uint32_t t) { return TabStopPosition(t) == TabStopPosition(stop); }))
        PutRecord(out, kPropTabs, stop & 0x0000FFFFu);
    for (uint32_t stop : p.tabs)
      if (std::find(streamTabs.begin(), streamTabs.end(), stop) == streamTabs.end()) PutRecord(out, kPropTabs, stop);
  }
  if (out.empty()) return 0;
  if (out.size() > UINT32_MAX / 2) return kWordNoMemory;
  if (engine.InsertBytes(0u, out.data(), uint32_t(out.size())) != 0) return kWordNoMemory;
  engine.SetLength(int32_t(length));
  return 0;
}
