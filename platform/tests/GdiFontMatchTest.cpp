// Font records, face matching under the project's font configuration, and
// font enumeration.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/GdiFont.h"
#include "platform/gdi/fonts/GdiFontLibrary.h"
#include "platform/gdi/WinGdi.h"

namespace {

LOGFONTA Record(const char* face, LONG height = -16, LONG weight = FW_NORMAL, BYTE italic = 0,
                BYTE pitchAndFamily = 0) {
  LOGFONTA lf{};
  lf.lfHeight = height;
  lf.lfWeight = weight;
  lf.lfItalic = italic;
  lf.lfPitchAndFamily = pitchAndFamily;
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return lf;
}

// A memory DC with a font selected; face, metrics and widths read back.
class FontDc {
 public:
  FontDc() : dc_(CreateCompatibleDC(nullptr)) {}
  ~FontDc() {
    if (previous_) DeleteObject(SelectObject(dc_, previous_));
    DeleteDC(dc_);
  }
  void Use(const LOGFONTA& lf) {
    HGDIOBJ old = SelectObject(dc_, CreateFontIndirectA(&lf));
    if (previous_) {
      DeleteObject(old);
    } else {
      previous_ = old;
    }
  }
  std::string Face() {
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc_, LF_FACESIZE, face);
    return face;
  }
  TEXTMETRICA Metrics() {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc_, &tm);
    return tm;
  }
  std::vector<int> Widths(const char* text) {
    std::vector<int> widths;
    for (const char* p = text; *p; ++p) {
      SIZE size{};
      GetTextExtentPoint32A(dc_, p, 1, &size);
      widths.push_back(size.cx);
    }
    return widths;
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_ = nullptr;
};

constexpr const char* kSample = "The quick brown fox, 0123456789!";

}  // namespace

TEST(GdiFontRecords, LayoutsKeepTheWidthsOf32BitWindows) {
  EXPECT_EQ(sizeof(LOGFONTA), 60u);
  EXPECT_EQ(offsetof(LOGFONTA, lfEscapement), 8u);
  EXPECT_EQ(offsetof(LOGFONTA, lfWeight), 16u);
  EXPECT_EQ(offsetof(LOGFONTA, lfItalic), 20u);
  EXPECT_EQ(offsetof(LOGFONTA, lfCharSet), 23u);
  EXPECT_EQ(offsetof(LOGFONTA, lfFaceName), 28u);
  EXPECT_EQ(sizeof(TEXTMETRICA), 56u);
  EXPECT_EQ(offsetof(TEXTMETRICA, tmFirstChar), 44u);
  EXPECT_EQ(offsetof(TEXTMETRICA, tmCharSet), 52u);
  EXPECT_EQ(sizeof(NEWTEXTMETRICA), 72u);
  EXPECT_EQ(offsetof(NEWTEXTMETRICA, ntmFlags), 56u);
  EXPECT_EQ(sizeof(ENUMLOGFONTA), 156u);
  EXPECT_EQ(offsetof(ENUMLOGFONTA, elfFullName), 60u);
  EXPECT_EQ(offsetof(ENUMLOGFONTA, elfStyle), 124u);
  EXPECT_EQ(sizeof(ENUMLOGFONTEXA), 188u);
}

TEST(GdiFontRecords, GetObjectGivesBackTheRecordTheFontWasMadeFrom) {
  LOGFONTA lf = Record("Times New Roman", -21, FW_BOLD, 1);
  lf.lfEscapement = 450;
  lf.lfUnderline = 1;
  HFONT font = CreateFontIndirectA(&lf);
  ASSERT_NE(font, nullptr);
  LOGFONTA back{};
  EXPECT_EQ(GetObjectA(font, sizeof(back), &back), static_cast<int>(sizeof(LOGFONTA)));
  EXPECT_EQ(std::memcmp(&back, &lf, sizeof(LOGFONTA)), 0);
  DeleteObject(font);
}

TEST(GdiFontRecords, CreateFontIndirectRefusesANullRecord) {
  SetLastError(0);
  EXPECT_EQ(CreateFontIndirectA(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The Windows faces, and the Macintosh ones that RTF files and pandoc name,
// measure as the metric-compatible Liberation face that stands for them,
// in every style, and not as the fallback for unknown names. A Windows face
// keeps its name; a Macintosh one is replaced by its stand-in's.
TEST(GdiFontMatch, WindowsAndMacintoshFacesMapToTheirLiberationStandIns) {
  struct Mapping {
    const char* asked;
    const char* liberation;
    bool listed;
  };
  const Mapping mappings[] = {
      {"Arial", "Liberation Sans", true},       {"MS Sans Serif", "Liberation Sans", true},
      {"Helvetica", "Liberation Sans", false},  {"Geneva", "Liberation Sans", false},
      {"Times New Roman", "Liberation Serif", true}, {"Times", "Liberation Serif", false},
      {"times roman", "Liberation Serif", false},    {"New York", "Liberation Serif", false},
      {"Courier New", "Liberation Mono", true}, {"Courier", "Liberation Mono", true},
      {"Monaco", "Liberation Mono", false},
  };
  FontDc unknown;
  unknown.Use(Record("No Such Face"));
  for (const auto& [asked, liberation, listed] : mappings) {
    for (const LONG weight : {FW_NORMAL, FW_BOLD}) {
      for (const BYTE italic : {0, 1}) {
        FontDc named, standIn;
        named.Use(Record(asked, -16, weight, italic));
        standIn.Use(Record(liberation, -16, weight, italic));
        EXPECT_EQ(named.Face(), listed ? asked : liberation);
        EXPECT_EQ(standIn.Face(), liberation);
        EXPECT_EQ(named.Widths(kSample), standIn.Widths(kSample)) << asked << weight << italic;
        EXPECT_EQ(named.Metrics().tmHeight, standIn.Metrics().tmHeight) << asked;
        EXPECT_EQ(named.Metrics().tmWeight, weight) << asked;
        EXPECT_EQ(named.Metrics().tmItalic != 0, italic != 0) << asked;
      }
    }
    FontDc named;
    named.Use(Record(asked));
    EXPECT_NE(named.Widths(kSample), unknown.Widths(kSample)) << asked;
  }
}

TEST(GdiFontMatch, FaceNamesMatchWhateverTheirCase) {
  FontDc dc;
  dc.Use(Record("aRIAL"));
  EXPECT_EQ(dc.Face(), "Arial");
}

TEST(GdiFontMatch, UnknownFaceFallsBackToDejaVuSans) {
  FontDc unknown, fallback, arial;
  unknown.Use(Record("No Such Face Anywhere"));
  fallback.Use(Record("DejaVu Sans"));
  arial.Use(Record("Arial"));
  EXPECT_EQ(unknown.Face(), "DejaVu Sans");
  EXPECT_EQ(unknown.Widths(kSample), fallback.Widths(kSample));
  EXPECT_NE(unknown.Widths(kSample), arial.Widths(kSample));
}

TEST(GdiFontMatch, UnknownFixedPitchFaceFallsBackToAFixedPitchFont) {
  FontDc dc;
  dc.Use(Record("Fixedsys", -16, FW_NORMAL, 0, FIXED_PITCH | FF_MODERN));
  EXPECT_EQ(dc.Face(), "DejaVu Sans Mono");
  std::vector<int> widths = dc.Widths("il WM");
  for (int w : widths) EXPECT_EQ(w, widths[0]);
  EXPECT_EQ(dc.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0);  // clear = fixed pitch
}

TEST(GdiFontMatch, CourierNewIsFixedPitchAndArialProportional) {
  FontDc courier, arial;
  courier.Use(Record("Courier New"));
  arial.Use(Record("Arial"));
  std::vector<int> mono = courier.Widths("iiWW");
  EXPECT_EQ(mono[0], mono[3]);
  std::vector<int> proportional = arial.Widths("iiWW");
  EXPECT_LT(proportional[0], proportional[3]);
  EXPECT_EQ(arial.Metrics().tmPitchAndFamily & 0xF0, FF_SWISS);
  EXPECT_NE(arial.Metrics().tmPitchAndFamily & TMPF_TRUETYPE, 0);
}

TEST(GdiFontMatch, BoldAndItalicChooseTheFilesThatHaveThem) {
  FontDc regular, bold;
  regular.Use(Record("Arial"));
  bold.Use(Record("Arial", -16, FW_BOLD));
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
  EXPECT_EQ(regular.Metrics().tmWeight, FW_NORMAL);
  EXPECT_NE(bold.Widths(kSample), regular.Widths(kSample));
  FontDc italic;
  italic.Use(Record("Arial", -16, FW_NORMAL, 1));
  EXPECT_NE(italic.Metrics().tmItalic, 0);
}

TEST(GdiFontMatch, BoldIsSimulatedWhereTheFamilyHasNoBoldFile) {
  // Symbola has one regular file only: bold widens every advance by a pixel.
  FontDc regular, bold;
  regular.Use(Record("Symbola"));
  bold.Use(Record("Symbola", -16, FW_BOLD));
  std::vector<int> plain = regular.Widths("abc");
  std::vector<int> heavy = bold.Widths("abc");
  for (size_t i = 0; i < plain.size(); ++i) EXPECT_EQ(heavy[i], plain[i] + 1);
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
}

TEST(GdiFontMatch, WingdingsIsASymbolFontOnSymbola) {
  FontDc dc;
  dc.Use(Record("Wingdings"));
  EXPECT_EQ(dc.Face(), "Wingdings");
  EXPECT_EQ(dc.Metrics().tmCharSet, SYMBOL_CHARSET);
  // The bullet codes and their private-use forms are the same characters.
  SIZE byCode{}, byPrivateUse{}, byLetter{};
  const char16_t code[] = {0x6E}, privateUse[] = {0xF06E};
  GetTextExtentPoint32W(dc.dc(), code, 1, &byCode);
  GetTextExtentPoint32W(dc.dc(), privateUse, 1, &byPrivateUse);
  GetTextExtentPoint32A(dc.dc(), "n", 1, &byLetter);
  EXPECT_GT(byCode.cx, 0);
  EXPECT_EQ(byCode.cx, byPrivateUse.cx);
  EXPECT_EQ(byCode.cx, byLetter.cx);
}

TEST(GdiFontMatch, GetTextFaceReportsTheSizeNeededAndCuts) {
  FontDc dc;
  dc.Use(Record("Times New Roman"));
  EXPECT_EQ(GetTextFaceA(dc.dc(), 0, nullptr), 16);
  char small[6] = {'x', 'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(GetTextFaceA(dc.dc(), sizeof(small), small), 6);
  EXPECT_STREQ(small, "Times");
  EXPECT_EQ(GetTextFaceA(dc.dc(), 0, small), 0);
  EXPECT_EQ(GetTextFaceA(nullptr, sizeof(small), small), 0);
}

namespace {

struct Seen {
  std::vector<ENUMLOGFONTEXA> fonts;
  std::vector<NEWTEXTMETRICA> metrics;
  std::vector<DWORD> types;
  int stopAfter = -1;
};

int Collect(const LOGFONTA* font, const TEXTMETRICA* metrics, DWORD type, LPARAM data) {
  auto* seen = reinterpret_cast<Seen*>(data);
  seen->fonts.push_back(*reinterpret_cast<const ENUMLOGFONTEXA*>(font));
  seen->metrics.push_back(*reinterpret_cast<const NEWTEXTMETRICA*>(metrics));
  seen->types.push_back(type);
  return static_cast<int>(seen->fonts.size()) == seen->stopAfter ? 0 : 1;
}

std::vector<std::string> Names(const Seen& seen) {
  std::vector<std::string> names;
  for (const auto& f : seen.fonts) names.push_back(f.elfLogFont.lfFaceName);
  return names;
}

}  // namespace

TEST(GdiFontEnum, EveryFamilyOnceInNameOrderWithTheWindowsFaces) {
  FontDc dc;
  Seen seen;
  EXPECT_EQ(EnumFontFamiliesA(dc.dc(), nullptr, Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  // The Macintosh faces that map to the Liberation faces are not listed.
  std::vector<std::string> expected = {
      "Arial",          "Courier",          "Courier New",     "DejaVu Sans",
      "DejaVu Sans Mono", "DejaVu Serif",   "Liberation Mono", "Liberation Sans",
      "Liberation Serif", "MS Sans Serif",  "Symbola",         "Times New Roman",
      "WenQuanYi Micro Hei", "WenQuanYi Micro Hei Mono", "Wingdings"};
  EXPECT_EQ(Names(seen), expected);
  for (size_t i = 0; i < seen.fonts.size(); ++i) {
    const ENUMLOGFONTEXA& f = seen.fonts[i];
    // Scalable: the system's font lists take precision 2 and above as such.
    EXPECT_GE(f.elfLogFont.lfOutPrecision, 2);
    EXPECT_EQ(seen.types[i], TRUETYPE_FONTTYPE);
    EXPECT_STREQ(reinterpret_cast<const char*>(f.elfStyle), "Regular");
    EXPECT_EQ(f.elfLogFont.lfCharSet,
              std::string(f.elfLogFont.lfFaceName) == "Wingdings" ? SYMBOL_CHARSET : ANSI_CHARSET);
    EXPECT_GT(seen.metrics[i].ntmSizeEM, 0u);
    EXPECT_EQ(seen.metrics[i].tmHeight, seen.metrics[i].tmAscent + seen.metrics[i].tmDescent);
  }
}

TEST(GdiFontEnum, ANamedFamilyGivesEachOfItsStyles) {
  FontDc dc;
  Seen seen;
  EnumFontFamiliesA(dc.dc(), "arial", Collect, reinterpret_cast<LPARAM>(&seen));
  ASSERT_EQ(seen.fonts.size(), 4u);
  const char* styles[] = {"Regular", "Italic", "Bold", "Bold Italic"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_STREQ(reinterpret_cast<const char*>(seen.fonts[i].elfStyle), styles[i]);
    EXPECT_STREQ(seen.fonts[i].elfLogFont.lfFaceName, "Arial");
  }
  EXPECT_STREQ(reinterpret_cast<const char*>(seen.fonts[3].elfFullName), "Arial Bold Italic");
  EXPECT_EQ(seen.fonts[2].elfLogFont.lfWeight, FW_BOLD);
  EXPECT_NE(seen.metrics[1].ntmFlags & NTM_ITALIC, 0u);
  EXPECT_NE(seen.metrics[0].ntmFlags & NTM_REGULAR, 0u);
}

TEST(GdiFontEnum, CallbackAnsweringZeroStopsTheEnumeration) {
  FontDc dc;
  Seen seen;
  seen.stopAfter = 2;
  EXPECT_EQ(EnumFontFamiliesA(dc.dc(), nullptr, Collect, reinterpret_cast<LPARAM>(&seen)), 0);
  EXPECT_EQ(seen.fonts.size(), 2u);
}

TEST(GdiFontEnum, UnknownFamilyCallsNothingAndBadArgumentsFail) {
  FontDc dc;
  Seen seen;
  EXPECT_EQ(EnumFontFamiliesA(dc.dc(), "No Such Face", Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  EXPECT_TRUE(seen.fonts.empty());
  EXPECT_EQ(EnumFontFamiliesA(dc.dc(), nullptr, nullptr, 0), 0);
  EXPECT_EQ(EnumFontFamiliesA(nullptr, nullptr, Collect, reinterpret_cast<LPARAM>(&seen)), 0);
  EXPECT_TRUE(seen.fonts.empty());
}

TEST(GdiFontEnum, ExFormFiltersByCharacterSet) {
  FontDc dc;
  LOGFONTA filter{};
  filter.lfCharSet = SYMBOL_CHARSET;
  Seen seen;
  EnumFontFamiliesExA(dc.dc(), &filter, Collect, reinterpret_cast<LPARAM>(&seen), 0);
  EXPECT_EQ(Names(seen), std::vector<std::string>{"Wingdings"});
  EXPECT_STREQ(reinterpret_cast<const char*>(seen.fonts[0].elfScript), "Symbol");
  EXPECT_EQ(EnumFontFamiliesExA(dc.dc(), nullptr, Collect, 0, 0), 0);
}

namespace {

// An environment variable set or unset for a scope, and put back after.
class EnvironmentValue {
 public:
  explicit EnvironmentValue(const char* name) : name_(name) {
    if (const char* value = std::getenv(name)) saved_ = value;
  }
  ~EnvironmentValue() { Set(saved_ ? saved_->c_str() : nullptr); }
  void Set(const char* value) {
    if (value != nullptr) {
      setenv(name_, value, 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> saved_;
};

}  // namespace

// fontconfig's caches are kept in the user's cache folder, in a folder
// named after the configuration, and nowhere when there is no such folder.
TEST(FontCacheFolder, FollowsTheEnvironmentAndTheConfiguration) {
  namespace fs = std::filesystem;
  const fs::path root = fs::temp_directory_path() / ("qv-font-cache-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "home");
  std::ofstream(root / "a.conf") << "<fontconfig><dir>/a</dir></fontconfig>";
  std::ofstream(root / "b.conf") << "<fontconfig><dir>/b</dir></fontconfig>";
  std::ofstream(root / "file") << "not a folder";
  EnvironmentValue xdg("XDG_CACHE_HOME");
  EnvironmentValue home("HOME");
  const std::string rootText = root.string();
  struct Case {
    const char* name;
    std::string xdg;   // empty: unset
    std::string home;  // empty: unset
    std::string configuration;
    std::string parent;  // of the folder; empty: no folder
  };
  const std::string a = rootText + "/a.conf";
  const Case cases[] = {
      {"cache home", rootText + "/xdg", rootText + "/home", a, rootText + "/xdg/qvmorva"},
      {"relative cache home", "xdg", rootText + "/home", a, rootText + "/home/.cache/qvmorva"},
      {"home only", "", rootText + "/home", a, rootText + "/home/.cache/qvmorva"},
      {"relative home", "", "home", a, ""},
      {"no home", "", "", a, ""},
      {"no configuration", rootText + "/xdg", "", rootText + "/none.conf", ""},
      {"cache home is a file", rootText + "/file", "", a, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    xdg.Set(c.xdg.empty() ? nullptr : c.xdg.c_str());
    home.Set(c.home.empty() ? nullptr : c.home.c_str());
    const std::string folder = GdiFonts::KeptFontCacheFolder(c.configuration.c_str());
    if (c.parent.empty()) {
      EXPECT_EQ("", folder);
      continue;
    }
    EXPECT_EQ(fs::path(c.parent), fs::path(folder).parent_path());
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_EQ(0u, fs::path(folder).filename().string().rfind("fonts-", 0));
  }
  EXPECT_EQ("", GdiFonts::KeptFontCacheFolder(nullptr));

  // One configuration keeps its folder and what fontconfig wrote in it;
  // another's folder replaces it; nothing else there is touched.
  xdg.Set((rootText + "/kept").c_str());
  const std::string first = GdiFonts::KeptFontCacheFolder(a.c_str());
  ASSERT_FALSE(first.empty());
  std::ofstream(fs::path(first) / "cache") << "x";
  fs::create_directories(root / "kept" / "qvmorva" / "other");
  EXPECT_EQ(first, GdiFonts::KeptFontCacheFolder(a.c_str()));
  EXPECT_TRUE(fs::exists(fs::path(first) / "cache"));
  const std::string second = GdiFonts::KeptFontCacheFolder((rootText + "/b.conf").c_str());
  ASSERT_FALSE(second.empty());
  EXPECT_NE(first, second);
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::is_directory(second));
  EXPECT_TRUE(fs::is_directory(root / "kept" / "qvmorva" / "other"));
  fs::remove_all(root);
}
