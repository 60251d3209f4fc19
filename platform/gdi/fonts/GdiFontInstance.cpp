// Realized fonts: sizes, metrics, whole-pixel advances and monochrome glyph
// masks on FreeType, with simulated bold and italic where the file lacks them.
#include "platform/gdi/fonts/GdiFontInstance.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include <hb-ft.h>
#include <hb.h>
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <list>

#include "platform/gdi/fonts/GdiFontLibrary.h"
#include "platform/gdi/fonts/GdiFontSymbols.h"
#include "platform/gdi/fonts/GdiTextShaper.h"

namespace GdiFonts {
namespace {

// Realized fonts kept after their last user let go, so that a font made
// again and again (a port rebuilds its font at every change) is made once.
constexpr size_t kKeptFonts = 64;
// Glyph masks a font keeps before it starts its cache afresh.
constexpr size_t kMaxGlyphCacheBytes = 16u << 20;
// Clusters whose fallback font a font remembers.
constexpr size_t kKeptClusterFallbacks = 4096;
// The largest mask side; with the size bound above only a glyph turned and
// emboldened comes near it.
constexpr int kMaxMaskSide = 4 * kMaxPixelSize;
// Simulated italic's shear in 16.16.
constexpr FT_Fixed kItalicShear = static_cast<FT_Fixed>(kSyntheticSlant * 65536.0);

// Code page 1252 at 0x80 to 0x9F; the five codes it leaves undefined stand for
// themselves, as the system's conversion gives them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

long RoundToLong(double v) { return static_cast<long>(std::floor(v + 0.5)); }

// The vertical extent of a face in font units: the Windows ascent and descent
// of the OS/2 table, which are what GDI measures cells by.
void CellOf(FT_Face face, double* ascent, double* descent) {
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  double a = 0, d = 0;
  if (os2 && os2->version != 0xFFFF) {
    a = os2->usWinAscent;
    d = os2->usWinDescent;
  }
  if (a + d <= 0) {
    a = face->ascender;
    d = -face->descender;
  }
  if (a + d <= 0) {
    a = face->units_per_EM * 0.8;
    d = face->units_per_EM * 0.2;
  }
  *ascent = a;
  *descent = d;
}

BYTE FamilyBitsOf(FT_Face face, bool symbol) {
  if (symbol) return FF_DECORATIVE;
  if (FT_IS_FIXED_WIDTH(face)) return FF_MODERN;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version != 0xFFFF) {
    // PANOSE: family kind 2 is Latin text; serif styles 11 to 13 are sans serif.
    if (os2->panose[0] == 2 && os2->panose[3] == 9) return FF_MODERN;
    if (os2->panose[0] == 2 && os2->panose[1] >= 11 && os2->panose[1] <= 13) return FF_SWISS;
    if (os2->panose[0] == 2) return FF_ROMAN;
    if (os2->panose[0] == 5) return FF_DECORATIVE;
  }
  return FF_SWISS;
}

struct Decorations {
  int underlineTop = 1;
  int underlineThickness = 1;
  int strikeTop = 0;
  int strikeThickness = 1;
};

// Text metrics of a face at ppemX x ppemY pixels per em (font units when the
// sizes are the em size itself). Every scaled value is rounded half up.
void ComputeMetrics(FT_Face face, int ppemX, int ppemY, bool symbol, bool bold, bool italic,
                    int boldPixels, TEXTMETRICA* tm, Decorations* lines) {
  const double upem = face->units_per_EM;
  const double sx = ppemX / upem;
  const double sy = ppemY / upem;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version == 0xFFFF) os2 = nullptr;
  auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST));

  double cellAscent = 0, cellDescent = 0;
  CellOf(face, &cellAscent, &cellDescent);
  *tm = TEXTMETRICA{};
  tm->tmAscent = RoundToLong(cellAscent * sy);
  tm->tmDescent = RoundToLong(cellDescent * sy);
  tm->tmHeight = tm->tmAscent + tm->tmDescent;
  tm->tmInternalLeading = std::max<LONG>(0, tm->tmHeight - ppemY);
  // The line gap that the typographic metrics add beyond the Windows cell.
  double lineGap = 0;
  if (hhea) {
    lineGap = hhea->Line_Gap - ((cellAscent + cellDescent) - (hhea->Ascender - hhea->Descender));
  }
  tm->tmExternalLeading = std::max<LONG>(0, RoundToLong(lineGap * sy));
  double average = (os2 && os2->xAvgCharWidth > 0) ? os2->xAvgCharWidth : upem / 2;
  tm->tmAveCharWidth = RoundToLong(average * sx);
  double widest = hhea ? hhea->advance_Width_Max : face->max_advance_width;
  tm->tmMaxCharWidth = RoundToLong(widest * sx) + boldPixels;
  if (bold && boldPixels > 0) {
    tm->tmWeight = FW_BOLD;
  } else {
    tm->tmWeight = (os2 && os2->usWeightClass > 0) ? os2->usWeightClass : FW_NORMAL;
  }
  tm->tmOverhang = 0;
  tm->tmDigitizedAspectX = 96;
  tm->tmDigitizedAspectY = 96;
  // The ANSI calls reach the printable part of the code page.
  tm->tmFirstChar = 0x20;
  tm->tmLastChar = 0xFF;
  tm->tmDefaultChar = 0x1F;
  tm->tmBreakChar = 0x20;
  tm->tmItalic = italic ? 0xFF : 0;
  BYTE pitch = TMPF_TRUETYPE | TMPF_VECTOR;
  if (!FT_IS_FIXED_WIDTH(face)) pitch |= TMPF_FIXED_PITCH;  // set means proportional
  tm->tmPitchAndFamily = pitch | FamilyBitsOf(face, symbol);
  tm->tmCharSet = symbol ? SYMBOL_CHARSET : ANSI_CHARSET;

  if (lines) {
    // The underline's top sits this far below the baseline, at least one
    // pixel down and, where the cell allows, inside it.
    double position = post ? -static_cast<double>(post->underlinePosition) : upem / 10;
    double thickness = post && post->underlineThickness > 0 ? post->underlineThickness : upem / 14;
    lines->underlineThickness = std::max(1L, RoundToLong(thickness * sy));
    long top = RoundToLong(position * sy);
    long room = tm->tmDescent - lines->underlineThickness;
    if (top > room) top = room;
    lines->underlineTop = static_cast<int>(std::max(1L, top));
    double strike = (os2 && os2->yStrikeoutPosition > 0) ? os2->yStrikeoutPosition : upem * 0.26;
    double strikeSize = (os2 && os2->yStrikeoutSize > 0) ? os2->yStrikeoutSize : thickness;
    lines->strikeThickness = std::max(1L, RoundToLong(strikeSize * sy));
    // Negative: above the baseline.
    lines->strikeTop = static_cast<int>(-RoundToLong(strike * sy));
  }
}

// Renders an outline as a 1-bit mask, only where it meets the window
// [windowLeft, windowRight) x [windowTop, windowBottom) (pixels, y down).
Mask Rasterize(FT_Library library, FT_Outline* outline, int windowLeft, int windowTop,
               int windowRight, int windowBottom) {
  Mask mask;
  if (outline->n_points <= 0 || outline->n_contours <= 0) return mask;
  FT_BBox box;
  FT_Outline_Get_CBox(outline, &box);
  long xMin = box.xMin >> 6;
  long xMax = (box.xMax + 63) >> 6;
  long yMin = box.yMin >> 6;
  long yMax = (box.yMax + 63) >> 6;
  // In device terms the window's rows are y down; the outline's are y up.
  xMin = std::max<long>(xMin, windowLeft);
  xMax = std::min<long>(xMax, windowRight);
  yMax = std::min<long>(yMax, -static_cast<long>(windowTop));
  yMin = std::max<long>(yMin, -static_cast<long>(windowBottom));
  if (xMax <= xMin || yMax <= yMin) return mask;
  if (xMax - xMin > kMaxMaskSide || yMax - yMin > kMaxMaskSide) return mask;
  mask.left = static_cast<int>(xMin);
  mask.top = static_cast<int>(-yMax);
  mask.width = static_cast<int>(xMax - xMin);
  mask.rows = static_cast<int>(yMax - yMin);
  mask.pitch = (mask.width + 7) / 8;
  mask.bits.assign(static_cast<size_t>(mask.pitch) * mask.rows, 0);
  FT_Bitmap bitmap{};
  bitmap.rows = static_cast<unsigned>(mask.rows);
  bitmap.width = static_cast<unsigned>(mask.width);
  bitmap.pitch = mask.pitch;
  bitmap.buffer = mask.bits.data();
  bitmap.num_grays = 2;
  bitmap.pixel_mode = FT_PIXEL_MODE_MONO;
  FT_Outline_Translate(outline, -xMin * 64, -yMin * 64);
  FT_Outline_Get_Bitmap(library, outline, &bitmap);
  FT_Outline_Translate(outline, xMin * 64, yMin * 64);
  return mask;
}

struct CachedFont {
  std::string key;
  std::shared_ptr<FontInstance> font;
};

std::string KeyOf(const LOGFONTA& logFont) {
  std::string key(reinterpret_cast<const char*>(&logFont), offsetof(LOGFONTA, lfFaceName));
  for (int i = 0; i < LF_FACESIZE && logFont.lfFaceName[i]; ++i) {
    char c = logFont.lfFaceName[i];
    key.push_back((c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c);
  }
  return key;
}

}  // namespace

std::shared_ptr<FontInstance> FontInstance::Realize(const LOGFONTA& logFont) {
  static std::list<CachedFont> kept;
  auto library = FontLibrary::Get();
  std::lock_guard<std::recursive_mutex> lock(library->Mutex());
  std::string key = KeyOf(logFont);
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    if (it->key == key) {
      kept.splice(kept.begin(), kept, it);
      return it->font;
    }
  }
  std::shared_ptr<FontInstance> font(new FontInstance());
  font->Setup(logFont);
  kept.push_front({std::move(key), font});
  if (kept.size() > kKeptFonts) kept.pop_back();
  return font;
}

FontInstance::~FontInstance() {
  if (file_) {
    std::lock_guard<std::recursive_mutex> lock(file_->Library().Mutex());
    if (shaping_) hb_font_destroy(shaping_);
    if (size_) FT_Done_Size(size_);
  }
}

void FontInstance::Setup(const LOGFONTA& logFont) {
  logFont_ = logFont;
  size_t nameLength = strnlen(logFont.lfFaceName, LF_FACESIZE);
  if (nameLength == LF_FACESIZE) nameLength = LF_FACESIZE - 1;
  std::memset(logFont_.lfFaceName + nameLength, 0, LF_FACESIZE - nameLength);

  int escapement = logFont.lfEscapement % 3600;
  if (escapement < 0) escapement += 3600;
  escapement_ = escapement;
  switch (escapement) {
    case 0: cos_ = 1; sin_ = 0; break;
    case 900: cos_ = 0; sin_ = 1; break;
    case 1800: cos_ = -1; sin_ = 0; break;
    case 2700: cos_ = 0; sin_ = -1; break;
    default: {
      double radians = escapement * M_PI / 1800.0;
      cos_ = std::cos(radians);
      sin_ = std::sin(radians);
    }
  }

  FaceMatch match = FontLibrary::Get()->Match(logFont_);
  faceName_ = match.file ? match.faceName : std::string(logFont_.lfFaceName);
  symbolCodes_ = match.symbolCodes;
  file_ = match.file;

  // The pixel size: a negative height is the character (em) height, a
  // positive one the cell height; both become a whole number of pixels.
  long long height = logFont.lfHeight;
  int ppemY = kDefaultPixelSize;
  FT_Face face = file_ ? file_->Face() : nullptr;
  if (face && face->units_per_EM == 0) face = nullptr;
  double cellAscent = 0.8, cellDescent = 0.2;
  double upem = 1;
  if (face) {
    CellOf(face, &cellAscent, &cellDescent);
    upem = face->units_per_EM;
  }
  if (height < 0) {
    ppemY = static_cast<int>(std::min<long long>(-height, kMaxPixelSize));
  } else if (height > 0) {
    double em = static_cast<double>(height) * upem / (cellAscent + cellDescent);
    ppemY = static_cast<int>(std::clamp<double>(std::floor(em + 0.5), 1, kMaxPixelSize));
  }
  int ppemX = ppemY;
  long long width = logFont.lfWidth < 0 ? -static_cast<long long>(logFont.lfWidth) : logFont.lfWidth;
  if (width > 0) {
    auto* os2 = face ? static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)) : nullptr;
    double average = (os2 && os2->version != 0xFFFF && os2->xAvgCharWidth > 0)
                         ? os2->xAvgCharWidth / upem
                         : 0.5;
    double em = static_cast<double>(width) / average;
    ppemX = static_cast<int>(std::clamp<double>(std::floor(em + 0.5), 1, kMaxPixelSize));
  }

  ppemX_ = ppemX;
  ppemY_ = ppemY;
  synthBold_ = match.synthesizeBold;
  synthItalic_ = match.synthesizeItalic;
  // Simulated bold widens every stroke and advance by a whole number of pixels.
  boldPixels_ = synthBold_ ? std::max(1, static_cast<int>(std::floor(ppemY / 24.0 + 0.5))) : 0;

  if (!face) {
    // No font at all: an empty font of the asked height.
    metrics_ = TEXTMETRICA{};
    metrics_.tmAscent = (ppemY * 4 + 2) / 5;
    metrics_.tmDescent = ppemY - metrics_.tmAscent;
    metrics_.tmHeight = ppemY;
    metrics_.tmWeight = logFont.lfWeight > 0 ? logFont.lfWeight : FW_NORMAL;
    metrics_.tmDigitizedAspectX = metrics_.tmDigitizedAspectY = 96;
    metrics_.tmFirstChar = 0x20;
    metrics_.tmLastChar = 0xFF;
    metrics_.tmDefaultChar = 0x1F;
    metrics_.tmBreakChar = 0x20;
    metrics_.tmItalic = logFont.lfItalic ? 0xFF : 0;
  } else {
    std::lock_guard<std::recursive_mutex> lock(file_->Library().Mutex());
    if (FT_New_Size(face, &size_) == 0) {
      FT_Activate_Size(size_);
      FT_Set_Pixel_Sizes(face, static_cast<FT_UInt>(ppemX), static_cast<FT_UInt>(ppemY));
    } else {
      size_ = nullptr;
    }
    Decorations lines;
    ComputeMetrics(face, ppemX, ppemY, symbolCodes_, synthBold_, logFont.lfItalic != 0,
                   boldPixels_, &metrics_, &lines);
    if (!synthBold_ && logFont.lfWeight >= FW_SEMIBOLD && metrics_.tmWeight < FW_SEMIBOLD) {
      metrics_.tmWeight = FW_BOLD;
    }
    underlineTop_ = lines.underlineTop;
    underlineThickness_ = lines.underlineThickness;
    strikeTop_ = lines.strikeTop;
    strikeThickness_ = lines.strikeThickness;
  }
  metrics_.tmUnderlined = logFont.lfUnderline ? 0xFF : 0;
  metrics_.tmStruckOut = logFont.lfStrikeOut ? 0xFF : 0;
}

std::u16string FontInstance::UnitsFromAnsi(const char* bytes, int count) const {
  std::u16string units;
  if (!bytes || count <= 0) return units;
  units.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    auto b = static_cast<uint8_t>(bytes[i]);
    if (symbolCodes_) {
      // A symbol font takes each byte as its own code, in the private use
      // area where symbol fonts keep them.
      units.push_back(static_cast<char16_t>(0xF000 | b));
    } else if (b >= 0x80 && b < 0xA0) {
      units.push_back(kCp1252High[b - 0x80]);
    } else {
      units.push_back(b);
    }
  }
  return units;
}

// Loads the glyph of a unit into the face's slot; the caller holds the lock.
bool FontInstance::LoadOutline(char32_t unit) {
  if (!file_ || !size_) return false;
  FT_Face face = file_->Face();
  FT_Activate_Size(size_);
  FT_Set_Transform(face, nullptr, nullptr);
  const FT_UInt glyph = GlyphIndex(unit);
  // Hinted for a monochrome target, never from embedded bitmaps, so that the
  // outlines and advances depend on nothing but the font file and FreeType.
  return FT_Load_Glyph(face, glyph, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) == 0;
}

std::shared_ptr<FontInstance> FontInstance::Fallback(char32_t code) {
  if (!file_ || symbolCodes_ || code == 0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
    return nullptr;
  auto library = FontLibrary::Get();
  std::lock_guard<std::recursive_mutex> lock(library->Mutex());
  auto known = fallbackOf_.find(code);
  if (known == fallbackOf_.end()) {
    const bool lacks = FT_Get_Char_Index(file_->Face(), code) == 0;
    known = fallbackOf_.emplace(code, lacks ? SlotOf(library->FallbackFamily(logFont_, code)) : -1).first;
  }
  return FontOfSlot(known->second);
}

std::shared_ptr<FontInstance> FontInstance::ClusterFallback(const std::u32string& codes) {
  if (!file_ || symbolCodes_ || codes.empty()) return nullptr;
  auto library = FontLibrary::Get();
  std::lock_guard<std::recursive_mutex> lock(library->Mutex());
  auto known = clusterFallbackOf_.find(codes);
  if (known == clusterFallbackOf_.end()) {
    bool lacks = false;
    for (char32_t code : codes) lacks = lacks || GlyphIndex(code) == 0;
    const int slot = lacks ? SlotOf(library->FallbackFamily(logFont_, codes.data(), codes.size())) : -1;
    // A text of many odd clusters starts the answers afresh rather than
    // keep them all.
    if (clusterFallbackOf_.size() >= kKeptClusterFallbacks) clusterFallbackOf_.clear();
    known = clusterFallbackOf_.emplace(codes, slot).first;
  }
  return FontOfSlot(known->second);
}

int FontInstance::SlotOf(const std::string& family) {
  if (family.empty() || SameFaceName(family, faceName_)) return -1;
  for (size_t i = 0; i < fallbackSlots_.size(); ++i) {
    if (fallbackSlots_[i].family == family) return static_cast<int>(i);
  }
  fallbackSlots_.push_back({family, {}});
  return static_cast<int>(fallbackSlots_.size()) - 1;
}

std::shared_ptr<FontInstance> FontInstance::FontOfSlot(int slot) {
  if (slot < 0) return nullptr;
  FallbackSlot& fallback = fallbackSlots_[static_cast<size_t>(slot)];
  std::shared_ptr<FontInstance> font = fallback.font.lock();
  if (!font) {
    font = Alike(fallback.family);
    if (!font) return nullptr;
    fallback.font = font;
  }
  return font;
}

std::shared_ptr<FontInstance> FontInstance::Alike(const std::string& family) const {
  // The same em size and style, so that the other font's characters sit
  // among the face's own as the same text.
  LOGFONTA other = logFont_;
  other.lfHeight = -ppemY_;
  other.lfWidth = 0;
  std::memset(other.lfFaceName, 0, LF_FACESIZE);
  std::memcpy(other.lfFaceName, family.data(), std::min<size_t>(family.size(), LF_FACESIZE - 1));
  std::shared_ptr<FontInstance> font = Realize(other);
  return font->file_ ? font : nullptr;
}

uint32_t FontInstance::GlyphIndex(char32_t unit) {
  if (!file_) return 0;
  std::lock_guard<std::recursive_mutex> lock(file_->Library().Mutex());
  return GlyphIndexUnderLock(unit);
}

uint32_t FontInstance::GlyphIndexUnderLock(char32_t unit) {
  if (!file_) return 0;
  std::array<uint32_t, 256>* page = unit <= 0xFFFF ? ownGlyphs_[unit >> 8].get() : nullptr;
  if (page != nullptr && (*page)[unit & 0xFF] != 0) return (*page)[unit & 0xFF];
  const char32_t code = symbolCodes_ ? WingdingsToUnicode(char16_t(unit)) : unit;
  const uint32_t index = code ? FT_Get_Char_Index(file_->Face(), code) : 0;
  // A glyph of the face's own is its glyph for good; a missing one is
  // looked up again.
  if (unit <= 0xFFFF && index != 0) {
    auto& made = ownGlyphs_[unit >> 8];
    if (!made) made = std::make_unique<std::array<uint32_t, 256>>();  // zeroed: none known
    (*made)[unit & 0xFF] = index;
  }
  return index;
}

char32_t FontInstance::ShownCharacter(char32_t code) const {
  if (!symbolCodes_ || code > 0xFFFF) return code;
  const char32_t shown = WingdingsToUnicode(char16_t(code));
  return shown != 0 ? shown : 0xFFFD;
}

std::shared_ptr<FontInstance> FontInstance::DrawnBy(char32_t code) {
  if (std::shared_ptr<FontInstance> fallback = Fallback(code)) return fallback;
  // Code 0 is no character (a terminator counted into a run): it shows
  // the face's own mark.
  if (!file_ || symbolCodes_ || code == 0 || GlyphIndex(code) != 0) return nullptr;
  auto library = FontLibrary::Get();
  std::lock_guard<std::recursive_mutex> lock(library->Mutex());
  if (blankMissingGlyph_ < 0) blankMissingGlyph_ = HasMissingGlyphMark(file_->Face()) ? 0 : 1;
  if (blankMissingGlyph_ == 0) return nullptr;
  std::shared_ptr<FontInstance> font = missingGlyphFont_.lock();
  if (!font) {
    const std::string family = library->MissingGlyphFamily(logFont_);
    if (family.empty() || SameFaceName(family, faceName_)) return nullptr;
    font = Alike(family);
    if (!font) return nullptr;
    missingGlyphFont_ = font;
  }
  return font;
}

uint32_t FontInstance::ShownGlyph(char32_t code, std::shared_ptr<FontInstance>* by) {
  by->reset();
  if (!file_) return 0;
  std::array<uint32_t, 256>* page = code <= 0xFFFF ? ownGlyphs_[code >> 8].get() : nullptr;
  if (page != nullptr && (*page)[code & 0xFF] != 0) return (*page)[code & 0xFF];
  // A missing glyph may be drawn by a font added later.
  *by = DrawnBy(code);
  if (*by) return (*by)->GlyphIndex(code);
  return GlyphIndex(code);
}

void FontInstance::ShownGlyphs(const char16_t* units, size_t count, uint32_t* indices, int* fonts,
                               std::vector<std::shared_ptr<FontInstance>>* others) {
  others->clear();
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  std::shared_ptr<FontInstance> by;
  for (size_t i = 0; i < count; ++i) {
    const char32_t code = RunCharacterAt(units, count, i);
    if (code == 0 && units[i] != 0) {
      indices[i] = 0;
      fonts[i] = kNoGlyph;
      continue;
    }
    indices[i] = ShownGlyph(code, &by);
    fonts[i] = kThisFont;
    if (!by) continue;
    const auto known = std::find(others->begin(), others->end(), by);
    fonts[i] = int(known - others->begin());
    if (known == others->end()) others->push_back(std::move(by));
  }
}

int FontInstance::Advance(char32_t code) {
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  int32_t* slot = nullptr;
  if (code <= 0xFFFF) {
    auto& page = advances_[code >> 8];
    if (!page) {
      page = std::make_unique<std::array<int32_t, 256>>();
      page->fill(-1);
    }
    slot = &(*page)[code & 0xFF];
  } else {
    slot = &wideAdvances_.emplace(code, -1).first->second;
  }
  if (*slot < 0) {
    *slot = 0;
    // A character that shows nothing takes no room, nor does a mark that
    // some font draws over its letter; a mark that no font has shows the
    // missing-glyph box, which takes its room.
    if (!symbolCodes_ && (IsDefaultIgnorable(code) || IsNonspacingMark(code))) {
      std::shared_ptr<FontInstance> by;
      if (IsDefaultIgnorable(code) || ShownGlyph(code, &by) != 0) return 0;
    }
    if (std::shared_ptr<FontInstance> other = DrawnBy(code)) {
      *slot = other->Advance(code);
    } else if (LoadOutline(code)) {
      FT_Pos advance = file_->Face()->glyph->advance.x;
      *slot = static_cast<int32_t>((advance + 32) >> 6) + boldPixels_;
    }
  }
  return *slot;
}

void FontInstance::Advances(const char16_t* units, size_t count, int32_t* out) {
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  for (size_t i = 0; i < count; ++i) {
    const char32_t code = RunCharacterAt(units, count, i);
    if (code == 0 && units[i] != 0) {
      out[i] = 0;
      continue;
    }
    const std::array<int32_t, 256>* page = code <= 0xFFFF ? advances_[code >> 8].get() : nullptr;
    const int32_t known = page != nullptr ? (*page)[code & 0xFF] : -1;
    out[i] = known >= 0 ? known : Advance(code);
  }
  // A character joining a cluster takes what it adds to the cluster's
  // shaped width.
  if (RunNeedsShaping(*this, units, count)) ClusterAdvances(*this, units, count, out);
}

std::shared_ptr<const Mask> FontInstance::Glyph(char32_t unit) {
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  auto found = glyphs_.find(unit);
  if (found != glyphs_.end()) return found->second;
  if (std::shared_ptr<FontInstance> other = DrawnBy(unit)) return other->Glyph(unit);

  if (glyphBytes_ > kMaxGlyphCacheBytes) {
    glyphs_.clear();
    indexedGlyphs_.clear();
    glyphBytes_ = 0;
  }
  auto mask = std::make_shared<Mask>(LoadOutline(unit) ? RenderLoaded() : Mask());
  glyphBytes_ += mask->bits.size();
  glyphs_.emplace(unit, mask);
  return mask;
}

std::shared_ptr<const Mask> FontInstance::IndexedGlyph(uint32_t index) {
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  auto found = indexedGlyphs_.find(index);
  if (found != indexedGlyphs_.end()) return found->second;
  if (glyphBytes_ > kMaxGlyphCacheBytes) {
    glyphs_.clear();
    indexedGlyphs_.clear();
    glyphBytes_ = 0;
  }
  auto mask = std::make_shared<Mask>(LoadGlyph(index) ? RenderLoaded() : Mask());
  glyphBytes_ += mask->bits.size();
  indexedGlyphs_.emplace(index, mask);
  return mask;
}

bool FontInstance::LoadGlyph(uint32_t index) {
  if (!file_ || !size_) return false;
  FT_Face face = file_->Face();
  FT_Activate_Size(size_);
  FT_Set_Transform(face, nullptr, nullptr);
  return FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP) == 0;
}

int32_t FontInstance::GlyphAdvance(uint32_t index) {
  std::lock_guard<std::recursive_mutex> lock(FontLibrary::Get()->Mutex());
  auto found = glyphAdvances_.find(index);
  if (found != glyphAdvances_.end()) return found->second;
  int32_t advance = 0;
  if (LoadGlyph(index)) advance = static_cast<int32_t>((file_->Face()->glyph->advance.x + 32) >> 6) + boldPixels_;
  glyphAdvances_.emplace(index, advance);
  return advance;
}

namespace {
hb_position_t ShapingAdvance(hb_font_t*, void* font, hb_codepoint_t glyph, void*) {
  return static_cast<FontInstance*>(font)->GlyphAdvance(glyph) * 64;
}
}  // namespace

hb_font_t* FontInstance::ShapingFont() {
  if (shaping_ || !file_ || !size_) return shaping_;
  hb_face_t* face = file_->ShapingFace();
  if (!face) return nullptr;
  // The face's own tables place marks and choose glyphs, at this size in
  // 64ths of a pixel; the glyphs advance by the whole pixels the rest of
  // the text measures with.
  static hb_font_funcs_t* funcs = [] {
    hb_font_funcs_t* made = hb_font_funcs_create();
    hb_font_funcs_set_glyph_h_advance_func(made, ShapingAdvance, nullptr, nullptr);
    hb_font_funcs_make_immutable(made);
    return made;
  }();
  hb_font_t* parent = hb_font_create(face);
  hb_font_set_scale(parent, ppemX_ * 64, ppemY_ * 64);
  hb_font_set_ppem(parent, unsigned(ppemX_), unsigned(ppemY_));
  shaping_ = hb_font_create_sub_font(parent);
  hb_font_destroy(parent);
  hb_font_set_funcs(shaping_, funcs, this, nullptr);
  return shaping_;
}

ShapeCache& FontInstance::Shapes() {
  if (!shapes_) shapes_ = std::make_unique<ShapeCache>();
  return *shapes_;
}

// The glyph in the face's slot as a mask, turned and styled as the font
// asks; the caller holds the lock.
Mask FontInstance::RenderLoaded() {
  if (file_->Face()->glyph->format != FT_GLYPH_FORMAT_OUTLINE) return Mask();
  FT_GlyphSlot slot = file_->Face()->glyph;
  FT_Outline* outline = &slot->outline;
  if (synthBold_) {
    // Widen to the right only, as the advance grows to the right.
    FT_Outline_EmboldenXY(outline, boldPixels_ * 64, 0);
    FT_Outline_Translate(outline, boldPixels_ * 32, 0);
  }
  if (synthItalic_) {
    FT_Matrix shear{0x10000, kItalicShear, 0, 0x10000};
    FT_Outline_Transform(outline, &shear);
  }
  if (escapement_ != 0) {
    auto c = static_cast<FT_Fixed>(std::lround(cos_ * 65536.0));
    auto s = static_cast<FT_Fixed>(std::lround(sin_ * 65536.0));
    FT_Matrix turn{c, -s, s, c};
    FT_Outline_Transform(outline, &turn);
  }
  return Rasterize(file_->Library().FreeType(), outline, -kMaxMaskSide, -kMaxMaskSide, kMaxMaskSide,
                   kMaxMaskSide);
}

Mask FontInstance::BoxMask(double along0, double along1, double across0, double across1) const {
  if (!file_) return Mask();
  std::lock_guard<std::recursive_mutex> lock(file_->Library().Mutex());
  // Corners in device terms (y down), then in the outline's terms (y up), 26.6.
  const double dx = cos_, dy = -sin_;    // along the baseline
  const double nx = sin_, ny = cos_;     // across it, downward
  const double corners[4][2] = {{along0, across0}, {along1, across0}, {along1, across1},
                                {along0, across1}};
  FT_Vector points[4];
  char tags[4];
  short contour = 3;
  for (int i = 0; i < 4; ++i) {
    double x = corners[i][0] * dx + corners[i][1] * nx;
    double y = corners[i][0] * dy + corners[i][1] * ny;
    points[i].x = static_cast<FT_Pos>(std::lround(x * 64.0));
    points[i].y = static_cast<FT_Pos>(std::lround(-y * 64.0));
    tags[i] = FT_CURVE_TAG_ON;
  }
  FT_Outline outline{};
  outline.n_contours = 1;
  outline.n_points = 4;
  outline.points = points;
  outline.tags = tags;
  outline.contours = &contour;
  outline.flags = FT_OUTLINE_NONE;
  return Rasterize(file_->Library().FreeType(), &outline, -kMaxMaskSide, -kMaxMaskSide,
                   kMaxMaskSide, kMaxMaskSide);
}

bool FontInstance::DesignMetrics(const FaceFile& file, bool symbol, NEWTEXTMETRICA* out) {
  std::lock_guard<std::recursive_mutex> lock(file.Library().Mutex());
  FT_Face face = file.Face();
  if (!face || face->units_per_EM == 0) return false;
  TEXTMETRICA tm{};
  int em = face->units_per_EM;
  bool bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
  bool italic = (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0;
  ComputeMetrics(face, em, em, symbol, bold, italic, 0, &tm, nullptr);
  *out = NEWTEXTMETRICA{};
  std::memcpy(out, &tm, offsetof(TEXTMETRICA, tmCharSet) + 1);
  out->ntmFlags = (italic ? NTM_ITALIC : 0) | (bold ? NTM_BOLD : 0) |
                  (!italic && !bold ? NTM_REGULAR : 0);
  out->ntmSizeEM = static_cast<UINT>(em);
  double cellAscent = 0, cellDescent = 0;
  CellOf(face, &cellAscent, &cellDescent);
  out->ntmCellHeight = static_cast<UINT>(RoundToLong(cellAscent + cellDescent));
  out->ntmAvgWidth = static_cast<UINT>(tm.tmAveCharWidth);
  return true;
}


}  // namespace GdiFonts
