// A realized font: one LOGFONTA made concrete on a matched face at whole pixel
// sizes. It gives the text metrics, whole-pixel advance widths and 1-bit glyph
// masks (rotated by the escapement), all cached.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiFont.h"

typedef struct FT_SizeRec_* FT_Size;
struct FT_Outline_;
struct hb_font_t;

namespace GdiFonts {

class FaceFile;
struct ShapeCache;

// A 1-bit coverage mask: rows of `pitch` bytes, the most significant bit the
// leftmost pixel, 1 = covered. `left` and `top` place its first pixel relative
// to the origin it was made for (x to the right, y down).
struct Mask {
  int left = 0;
  int top = 0;
  int width = 0;
  int rows = 0;
  int pitch = 0;
  std::vector<uint8_t> bits;

  bool Covers(int x, int y) const {
    return x >= 0 && y >= 0 && x < width && y < rows &&
           (bits[static_cast<size_t>(y) * pitch + (x >> 3)] & (0x80 >> (x & 7))) != 0;
  }
};

// Glyph sizes are bounded so that a LOGFONTA of absurd height cannot make a
// glyph mask of gigabytes: 4096 pixels is more than a 600 dpi printer needs
// for a 400-point character.
constexpr int kMaxPixelSize = 4096;
// The character height used when a LOGFONTA leaves the height at 0.
constexpr int kDefaultPixelSize = 16;

// Every operation is made under the font library's lock, so a font may be
// used from any thread.
class FontInstance {
 public:
  // The realized font for a LOGFONTA: shared with every other equal LOGFONTA
  // while it lives. Never null: without a font file it measures as empty.
  static std::shared_ptr<FontInstance> Realize(const LOGFONTA& logFont);

  ~FontInstance();
  FontInstance(const FontInstance&) = delete;
  FontInstance& operator=(const FontInstance&) = delete;

  const LOGFONTA& LogFont() const { return logFont_; }
  const TEXTMETRICA& Metrics() const { return metrics_; }
  const std::string& FaceName() const { return faceName_; }
  bool IsSymbol() const { return symbolCodes_; }
  // The face file and the size this font is drawn with, for the writers of
  // vector output (printed pages), which draw its outlines themselves.
  const std::shared_ptr<FaceFile>& File() const { return file_; }
  FT_Size SizeHandle() const { return size_; }
  // A style the face's file lacks, drawn from its outlines: bold widened by
  // a stroke, italic slanted by kSyntheticSlant. Printed pages draw the same.
  bool SynthesisedBold() const { return synthBold_; }
  bool SynthesisedItalic() const { return synthItalic_; }

  // Text ANSI bytes as the font's character set reads them: code page 1252,
  // or for a symbol font each byte as its own code.
  std::u16string UnitsFromAnsi(const char* bytes, int count) const;

  // The advance of one character in whole pixels (the hinted advance,
  // rounded), so that a run's width is exactly the sum of its characters'
  // widths. A character the face lacks is measured in the font that draws
  // it (DrawnBy). A character that shows nothing (a joiner, a selector)
  // takes no room, nor does a mark that a font draws over its letter.
  int Advance(char32_t code);
  // The advances of a run's units, as Advance gives each character (a
  // surrogate pair's high half takes none), but for a character joining a
  // cluster (a mark after its letter), which takes what it adds to the
  // cluster's shaped width (ClusterAdvances); under one taking of the lock.
  void Advances(const char16_t* units, size_t count, int32_t* out);

  // The glyph of a character, rendered monochrome at its origin on the
  // baseline and turned by the escapement, from the fallback font when the
  // face lacks it. Shared with the font's cache, which may let it go at any
  // later call.
  std::shared_ptr<const Mask> Glyph(char32_t code);

  // The font that draws a character the face lacks, as the platform's font
  // linking does: the same size and style in the first configured family
  // that has it. Null when the face has the character itself, or no font
  // has it (the face then shows its missing-glyph mark); a symbol font has
  // none.
  std::shared_ptr<FontInstance> Fallback(char32_t code);
  // The font that draws a cluster (a letter with its marks) whole when this
  // face lacks some of its characters: the same size and style in the
  // first configured family that has every one of them, so that its marks
  // are placed on its letter by one font. Null when the face has them all,
  // or no font has.
  std::shared_ptr<FontInstance> ClusterFallback(const std::u32string& codes);

  // The font whose glyph shows a character in this font's stead: the
  // fallback that has it, or, for a character that no font has when this
  // face's missing-glyph mark is blank, the font whose mark (its glyph 0)
  // stands in, at the same size and style. Null when this font shows it.
  std::shared_ptr<FontInstance> DrawnBy(char32_t code);

  // The glyph of this face by its index, rendered as Glyph renders a
  // character's: the glyphs a shaped run draws.
  std::shared_ptr<const Mask> IndexedGlyph(uint32_t index);
  // The advance of a glyph of this face in whole pixels, as Advance gives
  // the character it shows.
  int32_t GlyphAdvance(uint32_t index);
  // This font for HarfBuzz: the face's tables at its pixel size, the
  // glyphs advancing as GlyphAdvance says. Null without a font file; the
  // caller holds the library's lock.
  hb_font_t* ShapingFont();
  // The shapes of the pieces of runs this font shaped last.
  ShapeCache& Shapes();

  // The glyph of this face that shows a character: 0, the missing-glyph
  // mark, when the face lacks it; a symbol font takes Wingdings codes. The
  // glyphs the face has are remembered.
  uint32_t GlyphIndex(char32_t code);
  // The same, for a caller that holds the library's lock (a run shaped
  // asks it of each character).
  uint32_t GlyphIndexUnderLock(char32_t code);

  // The character that the glyph of a code shows, as text that stands for
  // it (printed pages carry it as their text): the code itself, or in a
  // symbol font the Unicode character its Wingdings code is drawn as, and
  // U+FFFD for a code that has none (it shows the missing-glyph mark).
  char32_t ShownCharacter(char32_t code) const;

  // The glyphs that show a run's units, under one taking of the lock: for
  // each character the font it comes from, DrawnBy, and that font's
  // GlyphIndex. `fonts[i]` is kThisFont, an index into `others` (which gets
  // each other font once), or kNoGlyph for a surrogate pair's high half,
  // which shows nothing. The glyphs the face has are remembered, so that the
  // characters of printed runs are looked up in the face once.
  static constexpr int kThisFont = -1;
  static constexpr int kNoGlyph = -2;
  void ShownGlyphs(const char16_t* units, size_t count, uint32_t* indices, int* fonts,
                   std::vector<std::shared_ptr<FontInstance>>* others);

  // The escapement as a unit vector along the baseline, in device
  // coordinates (y down); exact for multiples of 90 degrees.
  double DirectionX() const { return cos_; }
  double DirectionY() const { return -sin_; }
  bool IsRotated() const { return escapement_ != 0; }

  // Decoration lines, in pixels relative to the baseline (positive = below).
  int UnderlineTop() const { return underlineTop_; }
  int UnderlineThickness() const { return underlineThickness_; }
  int StrikeTop() const { return strikeTop_; }
  int StrikeThickness() const { return strikeThickness_; }

  // The mask of a box given in baseline coordinates (along the baseline from
  // the origin, and across it downward), turned by the escapement: opaque
  // backgrounds and decoration lines of rotated text.
  Mask BoxMask(double along0, double along1, double across0, double across1) const;

  // Metrics of a font file at its design size (one pixel per font unit), as
  // enumeration reports them.
  static bool DesignMetrics(const FaceFile& file, bool symbol, NEWTEXTMETRICA* out);

 private:
  FontInstance() = default;
  void Setup(const LOGFONTA& logFont);
  bool LoadOutline(char32_t code);
  bool LoadGlyph(uint32_t index);
  Mask RenderLoaded();
  // The glyph that shows a character and the font it comes from (`*by`,
  // null for this font); the caller holds the lock.
  uint32_t ShownGlyph(char32_t code, std::shared_ptr<FontInstance>* by);
  // This font's size and style in another family; null when it has no file.
  std::shared_ptr<FontInstance> Alike(const std::string& family) const;
  // The slot of a fallback family (-1 for none, or the face's own), and
  // the font of a slot; the caller holds the lock.
  int SlotOf(const std::string& family);
  std::shared_ptr<FontInstance> FontOfSlot(int slot);

  LOGFONTA logFont_{};
  TEXTMETRICA metrics_{};
  std::string faceName_;
  std::shared_ptr<FaceFile> file_;
  FT_Size size_ = nullptr;
  bool symbolCodes_ = false;
  bool synthBold_ = false;
  bool synthItalic_ = false;
  int boldPixels_ = 0;
  int escapement_ = 0;  // tenths of a degree, 0 to 3599
  double cos_ = 1.0;
  double sin_ = 0.0;
  int underlineTop_ = 1;
  int underlineThickness_ = 1;
  int strikeTop_ = 0;
  int strikeThickness_ = 1;
  // Advances in 256 pages of 256 units, each made when first needed; -1 = not measured.
  std::array<std::unique_ptr<std::array<int32_t, 256>>, 256> advances_;
  // Advances of the characters beyond the Basic Multilingual Plane.
  std::unordered_map<char32_t, int32_t> wideAdvances_;
  // The glyph indices of the characters of the Basic Multilingual Plane
  // the face has, in pages as the advances; 0 = not known, or missing.
  std::array<std::unique_ptr<std::array<uint32_t, 256>>, 256> ownGlyphs_;
  std::unordered_map<char32_t, std::shared_ptr<const Mask>> glyphs_;
  std::unordered_map<uint32_t, std::shared_ptr<const Mask>> indexedGlyphs_;
  std::unordered_map<uint32_t, int32_t> glyphAdvances_;
  hb_font_t* shaping_ = nullptr;
  std::unique_ptr<ShapeCache> shapes_;
  size_t glyphBytes_ = 0;
  // The pixel sizes the face is set to; a fallback font is made at the same.
  int ppemX_ = kDefaultPixelSize;
  int ppemY_ = kDefaultPixelSize;
  // The fallback fonts met, by family, held weakly (a fallback may fall
  // back to this font in turn); and each character's slot among them, and
  // each cluster's drawn whole, -1 for the face itself.
  struct FallbackSlot {
    std::string family;
    std::weak_ptr<FontInstance> font;
  };
  std::vector<FallbackSlot> fallbackSlots_;
  std::unordered_map<char32_t, int> fallbackOf_;
  std::unordered_map<std::u32string, int> clusterFallbackOf_;
  // Whether the face's own missing-glyph mark is blank (-1: not yet
  // looked at), and the font whose mark is drawn instead, held weakly.
  int blankMissingGlyph_ = -1;
  std::weak_ptr<FontInstance> missingGlyphFont_;
};

// The slant of synthesised italic: the outline is sheared by tan(12 degrees).
constexpr double kSyntheticSlant = 0x0366A / 65536.0;

// The character a run's unit at `i` shows: a surrogate pair is one
// character, shown by its low half; a high half gives 0 (it takes no room
// and shows nothing: the character is measured and drawn with the low half
// after it, and a high half alone shows nothing either); a low half alone
// is itself, shown as the face's missing-glyph mark.
// Inline, as every walk over a run's units asks it of each.
inline char32_t RunCharacterAt(const char16_t* units, size_t count, size_t i) {
  const char16_t unit = units[i];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF) return 0;
  if (i > 0 && i <= count && units[i - 1] >= 0xD800 && units[i - 1] <= 0xDBFF)
    return 0x10000 + ((char32_t(units[i - 1]) - 0xD800) << 10) + (char32_t(unit) - 0xDC00);
  return unit;
}

}  // namespace GdiFonts
