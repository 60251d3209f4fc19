// Runs shaped by HarfBuzz: clusters given the font of their first character,
// pieces of one font shaped (and kept) whole, their glyphs placed from the
// run's advances.
#include "platform/gdi/fonts/GdiTextShaper.h"

#include <hb.h>
#include <unicode/ubrk.h>
#include <unicode/uchar.h>

#include <algorithm>
#include <mutex>

#include "platform/gdi/fonts/GdiFontInstance.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"

namespace GdiFonts {
namespace {

// Pieces and runs a font keeps before it starts each cache afresh.
constexpr size_t kKeptPieces = 4096;
constexpr size_t kKeptRuns = 1024;

hb_unicode_general_category_t CategoryOf(char32_t code) {
  static hb_unicode_funcs_t* const unicode = hb_unicode_funcs_get_default();
  return hb_unicode_general_category(unicode, code);
}

bool IsMark(char32_t code) {
  const hb_unicode_general_category_t category = CategoryOf(code);
  return category == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
         category == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK ||
         category == HB_UNICODE_GENERAL_CATEGORY_SPACING_MARK;
}

// Shaping places marks and picks the glyphs of clusters; it neither kerns
// nor ligates across clusters, whose places the run's advances give, and
// it joins no Arabic letters: the text is drawn in the order it is stored,
// left to right, where joined forms would face the wrong way.
const hb_feature_t kFeatures[] = {
    {HB_TAG('k', 'e', 'r', 'n'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('l', 'i', 'g', 'a'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'l', 'i', 'g'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'a', 'l', 't'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('c', 'u', 'r', 's'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('r', 'l', 'i', 'g'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('i', 'n', 'i', 't'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('m', 'e', 'd', 'i'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('m', 'e', 'd', '2'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('f', 'i', 'n', 'a'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('f', 'i', 'n', '2'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('f', 'i', 'n', '3'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
    {HB_TAG('i', 's', 'o', 'l'), 0, HB_FEATURE_GLOBAL_START, HB_FEATURE_GLOBAL_END},
};

// Shapes one piece of units in a font; the caller holds the library's lock.
std::vector<ShapedGlyph> ShapeAnew(hb_font_t* font, const char16_t* units, size_t count) {
  static hb_buffer_t* const buffer = hb_buffer_create();
  static const hb_language_t language = hb_language_from_string("en", 2);
  hb_buffer_clear_contents(buffer);
  hb_buffer_add_utf16(buffer, reinterpret_cast<const uint16_t*>(units), int(count), 0, int(count));
  hb_buffer_set_direction(buffer, HB_DIRECTION_LTR);
  hb_buffer_set_language(buffer, language);
  hb_buffer_guess_segment_properties(buffer);
  hb_buffer_set_flags(buffer, hb_buffer_flags_t(HB_BUFFER_FLAG_REMOVE_DEFAULT_IGNORABLES |
                                                HB_BUFFER_FLAG_DO_NOT_INSERT_DOTTED_CIRCLE));
  hb_shape(font, buffer, kFeatures, sizeof kFeatures / sizeof kFeatures[0]);
  unsigned int n = 0;
  const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &n);
  const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, nullptr);
  std::vector<ShapedGlyph> glyphs(n);
  for (unsigned int i = 0; i < n; ++i) {
    glyphs[i] = ShapedGlyph{infos[i].codepoint, infos[i].cluster, positions[i].x_advance, positions[i].x_offset,
                            positions[i].y_offset};
  }
  return glyphs;
}

// The width of a piece shaped in a font, in whole pixels (the glyphs
// advance by whole pixels).
int64_t ShapedWidth(FontInstance& font, const char16_t* units, size_t count);

// Where a cluster starts: a unit after which Segment starts a cluster (at
// an edge between the characters a reader sees), and one after which it
// starts a piece in another font within a cluster, because the cluster's
// font lacks the unit's character.
constexpr uint8_t kClusterStart = 1;
constexpr uint8_t kOtherFontStart = 2;

// Whether a character edge lies before `at` of a run's units, as ICU's
// character break iterator puts them, whatever the text holds: a mark after
// a control such as the soft hyphen or the word joiner stands alone, and so
// does one after half a pair alone (ICU takes it with the half, which shows
// nothing). The iterator is made on first use and given each run in turn;
// the caller holds the library's lock.
class CharacterEdges {
 public:
  CharacterEdges(const char16_t* units, size_t count) : units_(units), count_(count) {}
  // Whether an edge lies before any unit from `from` to `to`: between a
  // character and the next one shown, across the units between them that
  // show nothing (a lone high half, which ICU takes with what follows it).
  // `before` ends at `from` and `code` starts at `to`. Side by side, a
  // character that extends the one before (a mark, a joiner, a selector,
  // a skin tone) goes on with any but a control, by ICU's rules and its
  // own properties, and the iterator is not asked.
  bool Between(size_t from, size_t to, char32_t before, char32_t code) {
    if (from == to && !(before >= 0xD800 && before <= 0xDFFF)) {
      const int32_t after = u_getIntPropertyValue(UChar32(code), UCHAR_GRAPHEME_CLUSTER_BREAK);
      const int32_t kind = u_getIntPropertyValue(UChar32(before), UCHAR_GRAPHEME_CLUSTER_BREAK);
      if ((after == U_GCB_EXTEND || after == U_GCB_ZWJ || after == U_GCB_SPACING_MARK) && kind != U_GCB_CONTROL &&
          kind != U_GCB_CR && kind != U_GCB_LF)
        return false;
    }
    for (size_t at = from; at <= to; ++at) {
      if (Before(at)) return true;
    }
    return false;
  }
  bool Before(size_t at) {
    if (!set_) {
      set_ = true;
      static UBreakIterator* const iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        UBreakIterator* made = ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status);
        return U_SUCCESS(status) ? made : nullptr;
      }();
      UErrorCode status = U_ZERO_ERROR;
      if (iterator != nullptr) ubrk_setText(iterator, reinterpret_cast<const UChar*>(units_), int32_t(count_), &status);
      iterator_ = U_SUCCESS(status) ? iterator : nullptr;
    }
    return iterator_ == nullptr || ubrk_isBoundary(iterator_, int32_t(at)) != 0;
  }

 private:
  const char16_t* units_;
  size_t count_;
  bool set_ = false;
  UBreakIterator* iterator_ = nullptr;
};

// A cluster that one font cannot draw (its letter's font lacks one of its
// marks) is drawn whole in the first font that has all its characters, so
// that the marks are placed on their letter; where no font has them all,
// its pieces keep the fonts that have each.
void DrawnWhole(FontInstance& font, const char16_t* units, size_t count, SegmentedRun* run,
                std::vector<std::shared_ptr<FontInstance>>* held) {
  for (size_t start = 0; start < count;) {
    size_t end = start + 1;
    bool pieces = false;
    for (; end < count && run->starts[end] != kClusterStart; ++end)
      pieces = pieces || run->starts[end] == kOtherFontStart;
    if (pieces) {
      std::u32string codes;
      for (size_t i = start; i < end; ++i) {
        const char32_t code = RunCharacterAt(units, count, i);
        if ((code != 0 || units[i] == 0) && !IsDefaultIgnorable(code)) codes.push_back(code);
      }
      if (std::shared_ptr<FontInstance> whole = font.ClusterFallback(codes)) {
        int index = FontInstance::kThisFont;
        if (whole.get() != &font) {
          index = int(std::find(held->begin(), held->end(), whole) - held->begin());
          if (size_t(index) == held->size()) held->push_back(std::move(whole));
        }
        for (size_t i = start; i < end; ++i) {
          if (run->fonts[i] != FontInstance::kNoGlyph) run->fonts[i] = index;
          if (i > start) run->starts[i] = 0;
        }
      }
    }
    start = end;
  }
}

// The font of each unit of a run and whether a cluster starts there: a
// cluster takes the font that draws its first character, and a character
// joins it when it joins the character before, no character edge lies
// between them and that font has it (or it shows nothing), up to
// kMostClusterUnits units; a cluster split by its font is then drawn whole.
// `held` receives each other font once, in the order of their indices.
void Segment(FontInstance& font, const char16_t* units, size_t count, SegmentedRun* run,
             std::vector<std::shared_ptr<FontInstance>>* held) {
  run->fonts.assign(count, FontInstance::kNoGlyph);
  run->starts.assign(count, 0);
  run->widths.clear();
  held->clear();
  CharacterEdges edges(units, count);
  FontInstance* clusterFont = nullptr;
  int clusterIndex = FontInstance::kThisFont;
  size_t clusterStart = 0;
  char32_t before = 0;
  size_t beforeEnd = 0;
  for (size_t i = 0; i < count; ++i) {
    const char32_t code = RunCharacterAt(units, count, i);
    if (code == 0 && units[i] != 0) continue;
    const size_t first = code > 0xFFFF ? i - 1 : i;
    const bool inside = clusterFont != nullptr && before != 0 && JoinsCluster(before, code) &&
                        i + 1 - clusterStart <= kMostClusterUnits && !edges.Between(beforeEnd, first, before, code);
    const bool joins = inside && (IsDefaultIgnorable(code) || clusterFont->GlyphIndexUnderLock(code) != 0);
    if (!joins) {
      std::shared_ptr<FontInstance> by = font.DrawnBy(code);
      clusterFont = by ? by.get() : &font;
      clusterIndex = FontInstance::kThisFont;
      if (by) {
        clusterIndex = int(std::find(held->begin(), held->end(), by) - held->begin());
        if (size_t(clusterIndex) == held->size()) held->push_back(std::move(by));
      }
      clusterStart = first;
      run->starts[first] = inside ? kOtherFontStart : kClusterStart;
    }
    run->fonts[first] = clusterIndex;
    run->fonts[i] = clusterIndex;
    before = code;
    beforeEnd = i + 1;
  }
  DrawnWhole(font, units, count, run, held);
  run->others.assign(held->begin(), held->end());
}

// A run's segmentation, from the font's cache or made now; `held` receives
// its other fonts, held for as long as the caller uses them. A run whose
// other font has gone is segmented anew. The reference lasts until the
// next call for this font.
SegmentedRun& SegmentedRunOf(FontInstance& font, const char16_t* units, size_t count,
                             std::vector<std::shared_ptr<FontInstance>>* held) {
  auto& runs = font.Shapes().runs;
  const std::u16string_view key(units, count);
  auto known = runs.find(key);
  if (known != runs.end()) {
    held->clear();
    for (const std::weak_ptr<FontInstance>& other : known->second.others) {
      if (std::shared_ptr<FontInstance> alive = other.lock()) held->push_back(std::move(alive));
    }
    if (held->size() == known->second.others.size()) return known->second;
  } else {
    if (runs.size() >= kKeptRuns) runs.clear();
    known = runs.emplace(std::u16string(key), SegmentedRun()).first;
  }
  Segment(font, units, count, &known->second, held);
  return known->second;
}

// A piece's glyphs, from the font's cache or shaped now.
const std::vector<ShapedGlyph>& ShapedPiece(FontInstance& font, hb_font_t* shaping, const char16_t* units,
                                            size_t count) {
  ShapeCache& cache = font.Shapes();
  const std::u16string_view key(units, count);
  auto known = cache.pieces.find(key);
  if (known == cache.pieces.end()) {
    if (cache.pieces.size() >= kKeptPieces) cache.pieces.clear();
    known = cache.pieces.emplace(std::u16string(key), ShapeAnew(shaping, units, count)).first;
  }
  return known->second;
}

int64_t ShapedWidth(FontInstance& font, const char16_t* units, size_t count) {
  hb_font_t* shaping = font.ShapingFont();
  if (shaping == nullptr) return 0;
  int64_t width = 0;
  for (const ShapedGlyph& g : ShapedPiece(font, shaping, units, count)) width += g.advance;
  return (width + 32) >> 6;
}

}  // namespace

bool JoinsCluster(char32_t before, char32_t code) {
  if (code < 0x0300) return false;
  if (IsMark(code)) return true;
  // The joiners, the grapheme joiner and the selectors; skin tones; tags.
  if (code == 0x200C || code == 0x200D || code == 0x034F || (code >= 0xFE00 && code <= 0xFE0F) ||
      (code >= 0xE0100 && code <= 0xE01EF) || (code >= 0xE0020 && code <= 0xE007F) || code == 0x17B4 ||
      code == 0x17B5 || (code >= 0x180B && code <= 0x180D) || code == 0x180F || (code >= 0x1F3FB && code <= 0x1F3FF))
    return true;
  // A pictograph after a joiner: the emoji of the plane's pictographs
  // (not the regional indicators) and the symbols joined sequences end in.
  if (before != 0x200D) return false;
  return (code >= 0x1F000 && code <= 0x1FAFF && !(code >= 0x1F1E6 && code <= 0x1F1FF)) || code == 0x2640 ||
         code == 0x2642 || code == 0x2695 || code == 0x2696 || code == 0x2708 || code == 0x2764;
}

bool IsDefaultIgnorable(char32_t c) {
  if (c < 0x034F) return false;
  return c == 0x034F || c == 0x061C || c == 0x115F || c == 0x1160 || c == 0x17B4 || c == 0x17B5 ||
         (c >= 0x180B && c <= 0x180F) || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x206F) || c == 0x3164 || (c >= 0xFE00 && c <= 0xFE0F) || c == 0xFEFF ||
         c == 0xFFA0 || (c >= 0xFFF0 && c <= 0xFFF8) || (c >= 0x1BCA0 && c <= 0x1BCA3) ||
         (c >= 0x1D173 && c <= 0x1D17A) || (c >= 0xE0000 && c <= 0xE0FFF);
}

bool IsNonspacingMark(char32_t code) {
  if (code < 0x0300) return false;
  const hb_unicode_general_category_t category = CategoryOf(code);
  return category == HB_UNICODE_GENERAL_CATEGORY_NON_SPACING_MARK ||
         category == HB_UNICODE_GENERAL_CATEGORY_ENCLOSING_MARK;
}

bool RunNeedsShaping(const FontInstance& font, const char16_t* units, size_t count) {
  if (font.IsSymbol()) return false;
  for (size_t i = 0; i < count; ++i) {
    // Below U+0300, among the precomposed Latin and Greek letters from
    // U+1E00 to U+1FFF, and among the CJK ideographs and Hangul syllables,
    // there are no marks and nothing that shows nothing.
    const char16_t unit = units[i];
    if (unit < 0x0300 || (unit >= 0x1E00 && unit <= 0x1FFF) || (unit >= 0x4E00 && unit <= 0x9FFF) ||
        (unit >= 0xAC00 && unit <= 0xD7A3))
      continue;
    const char32_t code = RunCharacterAt(units, count, i);
    if (code != 0 && (IsMark(code) || IsDefaultIgnorable(code))) return true;
  }
  return false;
}

void ClusterAdvances(FontInstance& font, const char16_t* units, size_t count, int32_t* advances) {
  std::vector<std::shared_ptr<FontInstance>> others;
  SegmentedRun& run = SegmentedRunOf(font, units, count, &others);
  // The shaped width of each joining unit's cluster through it, measured
  // once a run; a character that shows nothing adds nothing.
  if (run.widths.empty()) {
    run.widths.assign(count, 0);
    size_t clusterStart = 0;
    for (size_t i = 0; i < count; ++i) {
      const char32_t code = RunCharacterAt(units, count, i);
      if (code == 0 && units[i] != 0) continue;
      const size_t first = code > 0xFFFF ? i - 1 : i;
      if (run.starts[first]) {
        clusterStart = first;
      } else if (!IsDefaultIgnorable(code)) {
        FontInstance& by = run.fonts[i] == FontInstance::kThisFont ? font : *others[size_t(run.fonts[i])];
        run.widths[i] = int32_t(ShapedWidth(by, units + clusterStart, i + 1 - clusterStart));
      }
    }
  }
  // A cluster's first character keeps its own advance; any other adds
  // what the cluster's shaped width grows by with it.
  int64_t clusterWidth = 0;
  for (size_t i = 0; i < count; ++i) {
    const char32_t code = RunCharacterAt(units, count, i);
    if (code == 0 && units[i] != 0) continue;
    const size_t first = code > 0xFFFF ? i - 1 : i;
    if (run.starts[first]) {
      clusterWidth = advances[i];
    } else if (IsDefaultIgnorable(code)) {
      advances[i] = 0;
    } else {
      advances[i] = int32_t(run.widths[i] - clusterWidth);
      clusterWidth = run.widths[i];
    }
  }
}

void ShapeRun(FontInstance& font, const char16_t* units, size_t count, const int32_t* advances,
              std::vector<PlacedGlyph>* glyphs, std::vector<std::shared_ptr<FontInstance>>* others) {
  glyphs->clear();
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  const SegmentedRun& run = SegmentedRunOf(font, units, count, others);
  const std::vector<int>& fonts = run.fonts;
  const auto fontOf = [&](size_t i) -> FontInstance& {
    return fonts[i] == FontInstance::kThisFont ? font : *(*others)[size_t(fonts[i])];
  };
  std::vector<int64_t> offsets(count + 1, 0);
  for (size_t i = 0; i < count; ++i) offsets[i + 1] = offsets[i] + advances[i];

  for (size_t start = 0; start < count;) {
    if (fonts[start] == FontInstance::kNoGlyph) {
      ++start;
      continue;
    }
    // A piece: units of one font. Characters below U+0300 that are each a
    // cluster of their own show their glyphs unshaped, as shaping would
    // show them (there is nothing to place or to pick), and so does a soft
    // hyphen, which shaping would hide: a piece holds such units only, or
    // none.
    const auto alone = [&](size_t i) {
      return units[i] == 0x00AD || (units[i] < 0x0300 && run.starts[i] && (i + 1 == count || run.starts[i + 1]));
    };
    const bool unshaped = alone(start);
    size_t end = start + 1;
    while (end < count && fonts[end] == fonts[start] && alone(end) == unshaped) ++end;
    FontInstance& drawing = fontOf(start);
    hb_font_t* shaping = unshaped ? nullptr : drawing.ShapingFont();
    if (shaping == nullptr) {
      for (size_t i = start; i < end; ++i) {
        const char32_t code = RunCharacterAt(units, count, i);
        if (code == 0 && units[i] != 0) continue;
        glyphs->push_back(PlacedGlyph{drawing.GlyphIndexUnderLock(code), fonts[start], uint32_t(i), double(offsets[i]), 0});
      }
      start = end;
      continue;
    }
    const std::vector<ShapedGlyph>& shaped = ShapedPiece(drawing, shaping, units + start, end - start);
    // Each cluster starts where the advances before its first unit end;
    // its glyphs keep their places within it.
    int64_t pen = 0;
    int64_t clusterPen = 0;
    uint32_t cluster = UINT32_MAX;
    for (const ShapedGlyph& g : shaped) {
      if (g.cluster != cluster) {
        cluster = g.cluster;
        clusterPen = pen;
      }
      const size_t unit = std::min(start + cluster, end - 1);
      const double x = double(offsets[unit]) + double(pen - clusterPen + g.dx) / 64.0;
      glyphs->push_back(PlacedGlyph{g.index, fonts[start], uint32_t(unit), x, -double(g.dy) / 64.0});
      pen += g.advance;
    }
    start = end;
  }
}

}  // namespace GdiFonts
