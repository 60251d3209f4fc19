// The font library of the GDI stand-in: FreeType with a fixed interpreter, our
// own fontconfig configuration, face matching and the enumerated families.
#include "platform/gdi/fonts/GdiFontLibrary.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_DRIVER_H
#include FT_MODULE_H
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>

#include <unistd.h>

#include "platform/gdi/GdiFont.h"

#ifndef QV_FONT_CONFIG
#error "QV_FONT_CONFIG must name the font configuration file"
#endif

namespace GdiFonts {
namespace {

// FreeType's memory hooks. The library is made with FT_New_Library rather
// than FT_Init_FreeType so that the FREETYPE_PROPERTIES environment variable
// is never read: the hinting must be the same on every machine.
void* FtAlloc(FT_Memory, long size) { return std::malloc(static_cast<size_t>(size)); }
void FtFree(FT_Memory, void* block) { std::free(block); }
void* FtRealloc(FT_Memory, long, long newSize, void* block) {
  return std::realloc(block, static_cast<size_t>(newSize));
}
FT_MemoryRec_ gFtMemory = {nullptr, FtAlloc, FtFree, FtRealloc};

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string FaceNameOf(const LOGFONTA& logFont) {
  return std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
}

int SlotOf(bool bold, bool italic) { return (bold ? 2 : 0) + (italic ? 1 : 0); }

bool AsksFixedPitch(const LOGFONTA& logFont) {
  return (logFont.lfPitchAndFamily & 0x03) == FIXED_PITCH || (logFont.lfPitchAndFamily & 0xF0) == FF_MODERN;
}

// The pattern a LOGFONTA is matched by, substituted by the configuration.
FcPattern* MatchPattern(FcConfig* config, const LOGFONTA& logFont) {
  const std::string requested = FaceNameOf(logFont);
  const bool wantItalic = logFont.lfItalic != 0;
  const int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(logFont.lfWeight, 1000);
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return nullptr;
  if (!requested.empty()) {
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(requested.c_str()));
  }
  FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(pattern, FC_SLANT, wantItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  // A fixed pitch asked for chooses a fixed-pitch fallback for unknown faces.
  if (AsksFixedPitch(logFont)) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
  // Fixed languages, so that the user's locale cannot change which font wins.
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("en"));
  FcPatternAddString(pattern, FC_NAMELANG, reinterpret_cast<const FcChar8*>("en"));
  FcConfigSubstitute(config, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  return pattern;
}

// What decides the order in which the fonts sort for a LOGFONTA: the face
// name in any case, the weight, the slant and whether a fixed pitch is asked.
std::string SortKey(const LOGFONTA& logFont) {
  std::string key = FaceNameOf(logFont);
  for (char& c : key) c = LowerAscii(c);
  return key + '/' + std::to_string(logFont.lfWeight) + '/' + (logFont.lfItalic ? "i" : "") +
         (AsksFixedPitch(logFont) ? "m" : "");
}

// The family a LOGFONTA can name a font by: its first name that fits one.
std::string NameableFamily(FcPattern* font) {
  FcChar8* family = nullptr;
  for (int j = 0; FcPatternGetString(font, FC_FAMILY, j, &family) == FcResultMatch; ++j) {
    const std::string name = reinterpret_cast<const char*>(family);
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return uint8_t(c) < 0x80; });
    if (!name.empty() && ascii && name.size() < LF_FACESIZE) return name;
  }
  return std::string();
}

}  // namespace

// The folder that keeps fontconfig's caches of our configuration's folders
// between starts: $XDG_CACHE_HOME (else ~/.cache) /qvmorva/fonts-V-H, V
// fontconfig's version and H a hash of the bytes of the configuration file. The
// folders of other versions and configurations are removed when a new one is
// made, so one set of caches is kept. Empty when there is no home, the
// configuration cannot be read or the folder cannot be written.
std::string KeptFontCacheFolder(const char* configuration) {
  if (configuration == nullptr) return {};
  std::filesystem::path base;
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
    base = cache;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    base = std::filesystem::path(home) / ".cache";
  } else {
    return {};
  }
  std::ifstream file(configuration, std::ios::binary);
  if (!file) return {};
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (file.bad()) return {};
  uint64_t hash = 1469598103934665603ull;
  for (char c : text) hash = (hash ^ uint8_t(c)) * 1099511628211ull;
  char name[64];
  std::snprintf(name, sizeof name, "fonts-%d-%016llx", FcGetVersion(), static_cast<unsigned long long>(hash));
  const std::filesystem::path parent = base / "qvmorva";
  const std::filesystem::path folder = parent / name;
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    if (!std::filesystem::create_directories(folder, error) && !std::filesystem::is_directory(folder, error))
      return {};
    for (const auto& entry : std::filesystem::directory_iterator(parent, error)) {
      const std::string other = entry.path().filename().string();
      if (other != name && other.rfind("fonts-", 0) == 0) std::filesystem::remove_all(entry.path(), error);
    }
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) return {};
  return folder.string();
}

bool HasMissingGlyphMark(FT_Face face) {
  // Unscaled: only the outline's contours are asked for.
  return face != nullptr && FT_Load_Glyph(face, 0, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) == 0 &&
         face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && face->glyph->outline.n_contours > 0;
}

bool SameFaceName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

struct FontLibrary::Candidate {
  std::string family;
  FcCharSet* charset = nullptr;  // a reference of our own
};

struct FontLibrary::FcConfigHolder {
  FcConfig* config = nullptr;
  ~FcConfigHolder() {
    if (config) FcConfigDestroy(config);
  }
};

FaceFile::FaceFile(std::shared_ptr<FontLibrary> library, FT_Face face)
    : library_(std::move(library)), face_(face) {}

FaceFile::~FaceFile() {
  std::lock_guard<std::recursive_mutex> lock(library_->Mutex());
  if (shaping_) hb_face_destroy(shaping_);
  FT_Done_Face(face_);
}

hb_face_t* FaceFile::ShapingFace() {
  // HarfBuzz holds its own reference to the FreeType face, which the
  // realized fonts' shaping fonts may keep past this file.
  if (!shaping_ && face_) shaping_ = hb_ft_face_create_referenced(face_);
  return shaping_;
}

std::shared_ptr<FontLibrary> FontLibrary::Get() {
  static std::shared_ptr<FontLibrary> library = [] {
    std::shared_ptr<FontLibrary> made(new FontLibrary());
    made->LoadConfiguration();
    return made;
  }();
  return library;
}

FontLibrary::FontLibrary() : config_(std::make_unique<FcConfigHolder>()) {
  if (FT_New_Library(&gFtMemory, &freetype_) != 0) {
    freetype_ = nullptr;
    return;
  }
  FT_Add_Default_Modules(freetype_);
  // The TrueType interpreter of FreeType 2.7 and later; for monochrome
  // targets it hints fully in both directions, as the fonts' own instructions say.
  FT_UInt interpreter = TT_INTERPRETER_VERSION_40;
  FT_Property_Set(freetype_, "truetype", "interpreter-version", &interpreter);
}

FontLibrary::~FontLibrary() {
  for (auto& [key, list] : candidates_) {
    for (Candidate& candidate : list) FcCharSetDestroy(candidate.charset);
  }
  config_.reset();
  if (freetype_) FT_Done_Library(freetype_);
}

void FontLibrary::LoadConfiguration() {
  if (!freetype_) return;
  FcConfig* config = FcConfigCreate();
  if (!config) return;
  config_->config = config;
  if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(QV_FONT_CONFIG), FcTrue)) {
    return;
  }
  // fontconfig writes a cache for every folder it scans, and reads it at
  // the next start instead of scanning again while the folder's time is
  // the one the cache was made at. The caches go to a folder of our own in
  // the user's cache folder, named after this configuration and fontconfig's
  // version: the configuration renames families as it scans, so a cache made
  // under any other (the system's) is never read. Without such a folder a
  // private one takes the caches for this one scan and is removed at once
  // (fontconfig complains when it has nowhere to write).
  std::error_code error;
  std::string cacheDir = KeptFontCacheFolder(QV_FONT_CONFIG);
  std::string scratch;
  if (cacheDir.empty()) {
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    std::string pattern = (error ? std::string("/tmp") : base.string()) + "/qvfonts-XXXXXX";
    std::vector<char> scratchPath(pattern.begin(), pattern.end());
    scratchPath.push_back('\0');
    if (mkdtemp(scratchPath.data()) != nullptr) scratch = cacheDir = scratchPath.data();
  }
  if (!cacheDir.empty()) {
    std::string snippet = "<fontconfig><cachedir>" + cacheDir + "</cachedir></fontconfig>";
    FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(snippet.c_str()), FcTrue);
  }
  FcConfigBuildFonts(config);
  if (!scratch.empty()) std::filesystem::remove_all(scratch, error);
  CollectFamilies();
}

bool FontLibrary::AddFontFile(const std::string& path) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!config_->config) return false;
  if (!FcConfigAppFontAddFile(config_->config, reinterpret_cast<const FcChar8*>(path.c_str()))) {
    return false;
  }
  families_.clear();
  CollectFamilies();
  matches_.clear();
  missingGlyphFamilies_.clear();
  for (auto& [key, list] : candidates_) {
    for (Candidate& candidate : list) FcCharSetDestroy(candidate.charset);
  }
  candidates_.clear();
  return true;
}

bool AddPrivateFontFile(const char* path) {
  return path != nullptr && FontLibrary::Get()->AddFontFile(path);
}

void FontLibrary::CollectFamilies() {
  // Lower-cased name -> family; the first spelling met is kept.
  std::map<std::string, FamilyInfo> byName;
  std::map<std::string, std::array<bool, 4>> filled;
  // The configured folders, then the files added while running.
  for (FcSetName which : {FcSetSystem, FcSetApplication}) {
    FcFontSet* set = FcConfigGetFonts(config_->config, which);
    if (!set) continue;
    for (int i = 0; i < set->nfont; ++i) {
      FcPattern* font = set->fonts[i];
      FcChar8* file = nullptr;
      if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
      int index = 0;
      FcPatternGetInteger(font, FC_INDEX, 0, &index);
      int weight = FC_WEIGHT_REGULAR;
      FcPatternGetInteger(font, FC_WEIGHT, 0, &weight);
      int slant = FC_SLANT_ROMAN;
      FcPatternGetInteger(font, FC_SLANT, 0, &slant);
      FamilyStyle style{reinterpret_cast<const char*>(file), index, weight >= FC_WEIGHT_DEMIBOLD,
                        slant != FC_SLANT_ROMAN};
      FcChar8* family = nullptr;
      for (int j = 0; FcPatternGetString(font, FC_FAMILY, j, &family) == FcResultMatch; ++j) {
        std::string name = reinterpret_cast<const char*>(family);
        // Longer names cannot travel in a LOGFONTA, nor can names in other
        // scripts (fontconfig gives them in UTF-8, a LOGFONTA holds ANSI).
        if (name.empty() || name.size() >= LF_FACESIZE) continue;
        if (std::any_of(name.begin(), name.end(), [](char c) { return uint8_t(c) >= 0x80; })) continue;
        std::string key;
        for (char c : name) key.push_back(LowerAscii(c));
        FamilyInfo& info = byName[key];
        if (info.name.empty()) {
          info.name = name;
          info.symbol = IsSymbolFaceName(name);
          info.styles.resize(4);
          filled[key] = {false, false, false, false};
        }
        int slot = SlotOf(style.bold, style.italic);
        // Two files of one style: the one whose path sorts first, so that the
        // order in which the folders were read does not matter.
        if (!filled[key][slot] || style.file < info.styles[slot].file) {
          info.styles[slot] = style;
          filled[key][slot] = true;
        }
      }
    }
  }
  for (auto& [key, info] : byName) {
    std::vector<FamilyStyle> present;
    for (int slot = 0; slot < 4; ++slot) {
      if (filled[key][slot]) present.push_back(info.styles[slot]);
    }
    info.styles = std::move(present);
    families_.push_back(std::move(info));
  }
}

bool FontLibrary::IsSymbolFaceName(const std::string& name) {
  return SameFaceName(name, "Wingdings");
}

std::shared_ptr<FaceFile> FontLibrary::OpenFace(const std::string& path, int index) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!freetype_) return nullptr;
  for (OpenFile& open : open_) {
    if (open.path == path && open.index == index) {
      if (auto face = open.face.lock()) return face;
    }
  }
  FT_Face face = nullptr;
  if (FT_New_Face(freetype_, path.c_str(), index, &face) != 0) return nullptr;
  FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  auto file = std::make_shared<FaceFile>(shared_from_this(), face);
  open_.erase(std::remove_if(open_.begin(), open_.end(),
                             [](const OpenFile& open) { return open.face.expired(); }),
              open_.end());
  open_.push_back({path, index, file});
  return file;
}

FaceMatch FontLibrary::Match(const LOGFONTA& logFont) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!config_->config || families_.empty()) return FaceMatch();
  // What decides the match: the face name as asked, the weight, the slant
  // and whether a fixed pitch is asked for. Each is matched once: every DC
  // that selects a font realizes it again, and the configuration's match
  // of a pattern costs as much as a line of text.
  const int weight = logFont.lfWeight <= 0 ? FW_NORMAL : std::min<LONG>(logFont.lfWeight, 1000);
  const std::string key = FaceNameOf(logFont) + '/' + std::to_string(weight) + '/' +
                          (logFont.lfItalic ? "i" : "") + (AsksFixedPitch(logFont) ? "m" : "");
  auto known = matches_.find(key);
  if (known == matches_.end()) {
    KnownMatch made;
    made.match = MatchAnew(logFont, made.path, made.index);
    made.match.file.reset();
    known = matches_.emplace(key, std::move(made)).first;
  }
  FaceMatch result = known->second.match;
  if (known->second.path.empty()) return result;
  result.file = OpenFace(known->second.path, known->second.index);
  if (!result.file) return FaceMatch();
  return result;
}

FaceMatch FontLibrary::MatchAnew(const LOGFONTA& logFont, std::string& path, int& faceIndex) {
  FaceMatch result;
  std::string requested = FaceNameOf(logFont);
  bool wantBold = logFont.lfWeight >= FW_SEMIBOLD;
  bool wantItalic = logFont.lfItalic != 0;

  FcPattern* pattern = MatchPattern(config_->config, logFont);
  if (!pattern) return result;
  FcResult outcome = FcResultNoMatch;
  FcPattern* match = FcFontMatch(config_->config, pattern, &outcome);
  FcPatternDestroy(pattern);
  if (!match) return result;

  FcChar8* file = nullptr;
  int index = 0;
  int fileWeight = FC_WEIGHT_REGULAR;
  int fileSlant = FC_SLANT_ROMAN;
  if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetInteger(match, FC_WEIGHT, 0, &fileWeight);
    FcPatternGetInteger(match, FC_SLANT, 0, &fileSlant);
    std::string firstFamily;
    FcChar8* family = nullptr;
    for (int j = 0; FcPatternGetString(match, FC_FAMILY, j, &family) == FcResultMatch; ++j) {
      std::string name = reinterpret_cast<const char*>(family);
      if (j == 0) firstFamily = name;
      if (!requested.empty() && SameFaceName(name, requested)) result.faceName = name;
    }
    if (result.faceName.empty()) result.faceName = firstFamily;
    result.file = OpenFace(reinterpret_cast<const char*>(file), index);
    if (result.file) {
      path = reinterpret_cast<const char*>(file);
      faceIndex = index;
    }
  }
  FcPatternDestroy(match);
  if (!result.file) return FaceMatch();

  result.synthesizeBold = wantBold && fileWeight < FC_WEIGHT_DEMIBOLD;
  result.synthesizeItalic = wantItalic && fileSlant == FC_SLANT_ROMAN;
  result.symbolCodes = IsSymbolFaceName(result.faceName);
  return result;
}

std::vector<FontLibrary::Candidate>& FontLibrary::CandidatesOf(const LOGFONTA& logFont) {
  const std::string key = SortKey(logFont);
  auto found = candidates_.find(key);
  if (found != candidates_.end()) return found->second;
  std::vector<Candidate> list;
  if (FcPattern* pattern = MatchPattern(config_->config, logFont)) {
    FcResult outcome = FcResultNoMatch;
    // Untrimmed: a font that adds no characters to those before it may
    // still be the best of its style for the character at hand.
    if (FcFontSet* sorted = FcFontSort(config_->config, pattern, FcFalse, nullptr, &outcome)) {
      for (int i = 0; i < sorted->nfont; ++i) {
        FcCharSet* charset = nullptr;
        if (FcPatternGetCharSet(sorted->fonts[i], FC_CHARSET, 0, &charset) != FcResultMatch) continue;
        std::string family = NameableFamily(sorted->fonts[i]);
        if (family.empty()) continue;
        list.push_back({std::move(family), FcCharSetCopy(charset)});
      }
      FcFontSetDestroy(sorted);
    }
    FcPatternDestroy(pattern);
  }
  return candidates_.emplace(key, std::move(list)).first->second;
}

std::string FontLibrary::FallbackFamily(const LOGFONTA& logFont, const char32_t* codes, size_t count) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!config_->config || families_.empty()) return std::string();
  for (const Candidate& candidate : CandidatesOf(logFont)) {
    size_t had = 0;
    while (had < count && FcCharSetHasChar(candidate.charset, codes[had])) ++had;
    if (had == count) return candidate.family;
  }
  return std::string();
}

std::string FontLibrary::MissingGlyphFamily(const LOGFONTA& logFont) {
  std::lock_guard<std::recursive_mutex> lock(mutex_);
  if (!config_->config || families_.empty()) return std::string();
  const std::string key = SortKey(logFont);
  auto known = missingGlyphFamilies_.find(key);
  if (known != missingGlyphFamilies_.end()) return known->second;
  // Each family as it would draw in the asked style: the file that style
  // resolves to is the one whose mark would show.
  std::string family;
  std::vector<std::string> tried;
  for (const Candidate& candidate : CandidatesOf(logFont)) {
    if (std::find(tried.begin(), tried.end(), candidate.family) != tried.end()) continue;
    tried.push_back(candidate.family);
    LOGFONTA other = logFont;
    std::memset(other.lfFaceName, 0, LF_FACESIZE);
    std::memcpy(other.lfFaceName, candidate.family.data(), std::min<size_t>(candidate.family.size(), LF_FACESIZE - 1));
    const FaceMatch match = Match(other);
    if (match.file && !match.symbolCodes && HasMissingGlyphMark(match.file->Face())) {
      family = candidate.family;
      break;
    }
  }
  missingGlyphFamilies_.emplace(key, family);
  return family;
}

}  // namespace GdiFonts
