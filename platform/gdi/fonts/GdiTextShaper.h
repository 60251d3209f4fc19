// Text as a reader sees it: a run's characters shaped by HarfBuzz in the font
// that draws each cluster, so that a combining mark sits on its letter and a
// joiner, a selector or a direction mark draws nothing. The glyphs of a
// cluster stand where the run's advances put its first unit, so a shaped run
// is drawn where it was measured, unit by unit.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace GdiFonts {

class FontInstance;

// Characters that show nothing and take no room wherever they stand: the
// joiners, the variation selectors, the direction marks and the other
// default-ignorable code points. The soft hyphen is not among them: the text
// engine shows it as the hyphen at a line's end.
bool IsDefaultIgnorable(char32_t code);

// A mark drawn over or under the character before it, taking no room of
// its own (general categories Mn and Me).
bool IsNonspacingMark(char32_t code);

// Whether a character belongs to the cluster of the character before it,
// as far as shaping goes: a mark, a joiner, a selector, a skin tone, a tag,
// an emoji joined to the one before. Each of these a reader sees with the
// character before it too.
bool JoinsCluster(char32_t before, char32_t code);

// A cluster longer than this many units is shaped in pieces of it.
constexpr size_t kMostClusterUnits = 32;

// Whether a run draws otherwise shaped than one character at a time: it
// holds a mark or a character that shows nothing. A symbol font's codes
// are never shaped.
bool RunNeedsShaping(const FontInstance& font, const char16_t* units, size_t count);

// One glyph of a shaped run: the font it comes from (FontInstance::kThisFont
// or an index into the run's other fonts), its glyph index there, the first
// unit of the cluster it belongs to, and its origin along the baseline from
// the run's origin and below the baseline, in pixels.
struct PlacedGlyph {
  uint32_t index = 0;
  int font = -1;
  uint32_t unit = 0;
  double x = 0;
  double y = 0;
};

// The advances of a run's units that shaping gives, where the run needs
// shaping: a cluster's first character keeps its own advance, and each
// character joining it takes what it adds to the cluster's shaped width
// (nothing for a mark over its letter, or a joiner). Each unit's advance
// depends on the units before it alone, so that text measured a unit at a
// time measures as it is drawn. The caller holds the library's lock.
void ClusterAdvances(FontInstance& font, const char16_t* units, size_t count, int32_t* advances);

// A piece of a run as shaping gave it, before it is placed: each glyph's
// index, the unit its cluster starts at (from the piece's start), and its
// advance and offsets in 64ths of a pixel (the offset upward).
struct ShapedGlyph {
  uint32_t index = 0;
  uint32_t cluster = 0;
  int32_t advance = 0;
  int32_t dx = 0;
  int32_t dy = 0;
};

// A run cut into clusters: each unit's font (FontInstance::kThisFont, an
// index into `others`, or FontInstance::kNoGlyph for a high surrogate's
// own, which goes with its pair) and whether a cluster starts there; and,
// once the run is measured, each joining unit's cluster's shaped width
// through that unit, in pixels. The other fonts are held weakly: a
// fallback may fall back to this font in turn.
struct SegmentedRun {
  std::vector<int> fonts;
  std::vector<uint8_t> starts;
  std::vector<std::weak_ptr<FontInstance>> others;
  std::vector<int32_t> widths;
};

// The hash of a piece's or a run's units, looked up without a copy of
// them: their count and their first and last eight units tell most runs
// apart, and the units compared whole decide. The map computes it again
// for the keys it walks past, so it stays short whatever the run's length.
struct PieceHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view units) const {
    size_t hash = 2166136261u ^ units.size();
    const size_t head = std::min<size_t>(units.size(), 8);
    for (size_t i = 0; i < head; ++i) hash = (hash ^ units[i]) * 16777619u;
    for (size_t i = std::max(head, units.size() - std::min<size_t>(units.size(), 8)); i < units.size(); ++i)
      hash = (hash ^ units[i]) * 16777619u;
    return hash;
  }
};
// Whether two pieces' or runs' units are the same, compared as bytes.
struct PieceEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(char16_t)) == 0;
  }
};

// The pieces a font shaped last, and the runs it segmented last, by their
// units: a run measured and then drawn, a page drawn again, or printed,
// is neither segmented nor shaped anew.
struct ShapeCache {
  std::unordered_map<std::u16string, std::vector<ShapedGlyph>, PieceHash, PieceEqual> pieces;
  std::unordered_map<std::u16string, SegmentedRun, PieceHash, PieceEqual> runs;
};

// The glyphs of a run in `font`, each cluster in the font that draws its
// first character (a character of it that font lacks in its own), or,
// where that font lacks one of its marks, whole in the first font that has
// all its characters; clusters never cross an edge between the characters
// a reader sees (ICU's). The glyphs are placed
// from the run's `advances` (one per unit): a cluster starts at the sum of
// the advances before its first unit, and its glyphs stand within it as
// the font's shaping places them. `others` receives each other font once.
void ShapeRun(FontInstance& font, const char16_t* units, size_t count, const int32_t* advances,
              std::vector<PlacedGlyph>* glyphs, std::vector<std::shared_ptr<FontInstance>>* others);

}  // namespace GdiFonts
