// The process-wide font machinery of the GDI stand-in: a FreeType library with
// fixed hinting, a fontconfig configuration of our own (fonts.conf beside this
// file) over the pinned fonts, face matching for a LOGFONTA, and the families
// that font enumeration reports.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/Export.h"

struct LOGFONTA;
typedef struct FT_FaceRec_* FT_Face;
typedef struct FT_LibraryRec_* FT_Library;
struct hb_face_t;

namespace GdiFonts {

class FontLibrary;

// One opened font file. The realized fonts hold it, and through it the library,
// alive, so that no order of teardown at exit frees a face still in use.
class FaceFile {
 public:
  FaceFile(std::shared_ptr<FontLibrary> library, FT_Face face);
  ~FaceFile();
  FaceFile(const FaceFile&) = delete;
  FaceFile& operator=(const FaceFile&) = delete;

  FT_Face Face() const { return face_; }
  FontLibrary& Library() const { return *library_; }
  // The face for HarfBuzz, made on first need, its tables read through
  // FreeType; the caller holds the library's lock.
  hb_face_t* ShapingFace();

 private:
  std::shared_ptr<FontLibrary> library_;
  FT_Face face_;
  hb_face_t* shaping_ = nullptr;
};

// What a LOGFONTA resolves to.
struct FaceMatch {
  std::shared_ptr<FaceFile> file;  // null only when no font at all could be opened
  std::string faceName;            // the name GetTextFace reports
  bool synthesizeBold = false;     // bold asked for, the file is not bold
  bool synthesizeItalic = false;   // italic asked for, the file is upright
  bool symbolCodes = false;        // characters are Wingdings codes, recoded to Unicode
};

// One style of an enumerated family.
struct FamilyStyle {
  std::string file;
  int index = 0;
  bool bold = false;
  bool italic = false;
};

struct FamilyInfo {
  std::string name;
  bool symbol = false;  // a Wingdings-coded family (symbol character set)
  std::vector<FamilyStyle> styles;  // regular, italic, bold, bold italic order
};

class FontLibrary : public std::enable_shared_from_this<FontLibrary> {
 public:
  // The one library, made on first use. Never null; without its configuration
  // or fonts it matches nothing and text measures and draws as empty.
  static std::shared_ptr<FontLibrary> Get();

  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  // Every FreeType call is made under this lock: faces and the library are
  // shared by all realized fonts.
  std::recursive_mutex& Mutex() { return mutex_; }
  FT_Library FreeType() const { return freetype_; }

  // The face a LOGFONTA resolves to, matched once for each face name,
  // weight, slant and pitch asked for.
  FaceMatch Match(const LOGFONTA& logFont);

  // The family that stands in for a LOGFONTA's face for a character the
  // face lacks, as the platform's font linking does: the first of the
  // configured fonts, in the order the face's own match sorts them (its
  // family, then the configured fallback families), that has the
  // character. Empty when none has it.
  std::string FallbackFamily(const LOGFONTA& logFont, char32_t code) { return FallbackFamily(logFont, &code, 1); }
  // The same for a cluster of characters drawn as one: the first of those
  // fonts that has every one of the `count` codes.
  std::string FallbackFamily(const LOGFONTA& logFont, const char32_t* codes, size_t count);

  // The family whose missing-glyph mark (glyph 0) a LOGFONTA's face shows
  // for a character that no configured font has: the first of the families
  // its match sorts (its own first) whose glyph 0 in the asked style draws
  // something, since some faces' (Liberation Serif's) is blank. Empty when
  // none draws one.
  std::string MissingGlyphFamily(const LOGFONTA& logFont);

  // The families in name order (case-insensitive), the Windows face names
  // that the configuration adds to its fonts among them.
  const std::vector<FamilyInfo>& Families() const { return families_; }

  // Whether a face name is coded in Wingdings character codes.
  static bool IsSymbolFaceName(const std::string& name);

  // Adds one font file to this process's configuration and lists its
  // families; the tests register their own synthetic face this way, so that
  // the product's configuration never names it. False when the file cannot
  // be read as a font.
  bool AddFontFile(const std::string& path);

  // Opens (once) the face of a file.
  std::shared_ptr<FaceFile> OpenFace(const std::string& path, int index);

 private:
  FontLibrary();
  void LoadConfiguration();
  void CollectFamilies();
  // The file and face index it opened go to path and faceIndex.
  FaceMatch MatchAnew(const LOGFONTA& logFont, std::string& path, int& faceIndex);

  std::recursive_mutex mutex_;
  FT_Library freetype_ = nullptr;
  struct FcConfigHolder;
  std::unique_ptr<FcConfigHolder> config_;
  std::vector<FamilyInfo> families_;
  // Opened faces, held weakly: the realized fonts own them, and a face whose
  // last font went is opened again when asked for.
  struct OpenFile {
    std::string path;
    int index;
    std::weak_ptr<FaceFile> face;
  };
  std::vector<OpenFile> open_;
  // The matches made, by what decides them (see Match): the match without
  // its face, and the face's file and index, opened again through open_
  // when asked for. A kept face would keep this library alive through its
  // own reference to it, and the library would never be freed.
  struct KnownMatch {
    FaceMatch match;
    std::string path;
    int index = 0;
  };
  std::map<std::string, KnownMatch> matches_;
  // The fonts a match sorts, by the match's key (face, weight, slant,
  // pitch): each font's family and its characters, made on first need.
  struct Candidate;
  std::vector<Candidate>& CandidatesOf(const LOGFONTA& logFont);
  std::map<std::string, std::vector<Candidate>> candidates_;
  // MissingGlyphFamily's answers, by the same key.
  std::map<std::string, std::string> missingGlyphFamilies_;
};

// Case-insensitive comparison of face names as fontconfig and GDI make it
// (ASCII letters only; spaces count).
bool SameFaceName(const std::string& a, const std::string& b);

// Whether a face's glyph 0, its missing-glyph mark, draws anything; the
// caller holds the library's lock.
bool HasMissingGlyphMark(FT_Face face);

// FontLibrary::AddFontFile on the one library, for the test programs, which
// see only the exported names of the platform library.
QV_PLATFORM_API bool AddPrivateFontFile(const char* path);

// The folder where fontconfig keeps its caches of the folders the
// configuration file `configuration` names, made if need be; empty when
// there is none to write.
QV_PLATFORM_API std::string KeptFontCacheFolder(const char* configuration);

}  // namespace GdiFonts
