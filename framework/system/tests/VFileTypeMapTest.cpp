// The file type map: normalised extensions, extensions of names, lookups in
// both directions, the second-code search, made-up rows, and rows loaded
// from 'FMAP' resources (truncated ones and the module's own).
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

#ifndef QV_RESOURCE_FILE
#error "the tests need the compiled resource file (QV_RESOURCE_FILE)"
#endif

namespace {

using namespace files_test;

uint32_t Normalized(uint32_t code) {
  VFileTypeMap::NormalizeExtension(code);
  return code;
}

uint32_t Bytes(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  return (uint32_t(a) << 24) | (uint32_t(b) << 16) | (uint32_t(c) << 8) | d;
}

TEST(FileTypeMap, NormalizingClearsTrailingSpacesOnly) {
  EXPECT_EQ(Normalized(Code("TXT ")), Bytes('T', 'X', 'T', 0));
  EXPECT_EQ(Normalized(Code(" TXT")), Code(" TXT"));  // the leading space stays
  EXPECT_EQ(Normalized(Code("A  B")), Code("A  B"));  // an inner space stays
  EXPECT_EQ(Normalized(Code("    ")), 0u);
}

TEST(FileTypeMap, NormalizingDropsALeadingDotAndUpperCases) {
  EXPECT_EQ(Normalized(Code(".txt")), Bytes('T', 'X', 'T', 0));
  EXPECT_EQ(Normalized(Code(".tx ")), Bytes('T', 'X', 0, 0));
  EXPECT_EQ(Normalized(Code("ab1 ")), Bytes('A', 'B', '1', 0));
  EXPECT_EQ(Normalized(Code("AB1 ")), Bytes('A', 'B', '1', 0));
  // A hyphen is neither a digit nor an upper-case letter: the code goes
  // through upper-casing and keeps its characters.
  EXPECT_EQ(Normalized(Code("A-1 ")), Bytes('A', '-', '1', 0));
  EXPECT_EQ(Normalized(Code("html")), Code("HTML"));
}

TEST(FileTypeMap, ExtensionsOfNamesComeFromTheFirstDotNearTheEnd) {
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("report.html")), Code("HTML"));
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("a.b.txt")), Code("B.TX"));
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("notes.txt")), Bytes('T', 'X', 'T', 0));
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("archive.backup")), 0u);  // too far
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("name.")), 0u);  // the last character
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("noext")), 0u);
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str(".c")), Bytes('C', 0, 0, 0));
  EXPECT_EQ(VFileTypeMap::ExtensionOfFileName(Str("")), 0u);
}

TEST(FileTypeMap, LookupsTakeTheFirstMatchingRow) {
  ScopedTypeMap scoped;
  scoped.Row("TEXT", "TXT ", "TEXT").Row("DOC8", "DOC ", "DOC8").Row("DOC6", "DOC ", "DOC6");
  VFileTypeMap& map = scoped.Map();
  EXPECT_EQ(map.CountRows(), 3);
  EXPECT_EQ(map.ExtensionForFileType(Code("TEXT")), Bytes('T', 'X', 'T', 0));
  EXPECT_EQ(map.FileTypeForExtension(Bytes('D', 'O', 'C', 0)), Code("DOC8"));
  EXPECT_EQ(map.SecondCodeForFileType(Code("DOC6")), Code("DOC6"));
  EXPECT_TRUE(map.IsKnownFileType(Code("DOC6")));
  EXPECT_FALSE(map.IsKnownFileType(Code("NONE")));
  EXPECT_EQ(map.ExtensionForFileType(Code("NONE")), 0u);
  EXPECT_EQ(map.FileTypeForExtension(0), 0u);  // a name without an extension
  EXPECT_FALSE(map.FileTypeFlag(Code("TEXT")));
  // Adding a type that has a row answers that row and adds nothing.
  EXPECT_EQ(map.AddFileTypeMapping(Code("DOC6"), Code("XYZ "), 0), 3);
  EXPECT_EQ(map.CountRows(), 3);
}

// An extension the user gave keeps its name when it is the type's own or
// one of a type of the same second code, and says under which type.
TEST(FileTypeMap, AnExtensionIsKeptForItsTypeAndTypesOfItsKind) {
  ScopedTypeMap scoped;
  scoped.Row("HTML", "HTML", "HTML")
      .Row("HTM ", "HTM ", "HTML")
      .Row("TEXT", "TXT ")
      .Row("QMV7", "QMV ")
      .Row("NOTE", "TXT2");
  VFileTypeMap& map = scoped.Map();
  struct Row {
    const char* extension;
    const char* type;
    uint32_t kept;
  };
  const Row rows[] = {
      {"HTML", "HTML", Code("HTML")},
      {"HTM ", "HTML", Code("HTM ")},
      {"HTML", "HTM ", Code("HTML")},
      {"TXT ", "TEXT", Code("TEXT")},
      {"TXT ", "HTML", 0},
      {"QMV ", "TEXT", 0},
      {"TXT2", "TEXT", 0},  // no second code: no kind
      {"NONE", "QMV7", 0},
      {"QMV ", "\0\0\0\0", 0},
  };
  auto code = [](const char* c) {
    return (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) |
           (uint32_t(uint8_t(c[2])) << 8) | uint32_t(uint8_t(c[3]));
  };
  for (const Row& row : rows) {
    uint32_t extension = code(row.extension);
    VFileTypeMap::NormalizeExtension(extension);
    EXPECT_EQ(map.TypeKeepingExtension(extension, code(row.type)), row.kept)
        << row.extension << row.type;
  }
}

TEST(FileTypeMap, AnyTypeIsAnsweredWithoutLookingAtTheRows) {
  ScopedTypeMap scoped;
  scoped.Row("????", "ANY ", "ANY ");
  VFileTypeMap& map = scoped.Map();
  EXPECT_EQ(map.ExtensionForFileType(kAnyFileType), kAnyFileType);
  EXPECT_EQ(map.FileTypeForExtension(kAnyFileType), kAnyFileType);
  EXPECT_EQ(map.SecondCodeForFileType(kAnyFileType), kAnyFileType);
  EXPECT_FALSE(map.FileTypeFlag(kAnyFileType));
  EXPECT_EQ(map.FileTypeForCode(kAnyFileType, false, nullptr), kAnyFileType);
}

// Rows with flags, as only a loaded resource can give them.
class FlaggedMap : public ScratchFolder {
 protected:
  struct Row {
    const char* type;
    const char* second;
    const char* extension;
    uint8_t flags;
  };
  // An 'FMAP' resource in native order, as the byte-order procedure leaves it.
  static std::vector<uint8_t> Resource(const std::vector<Row>& rows, int16_t count) {
    std::vector<uint8_t> data(2 + 14 * rows.size(), 0);
    std::memcpy(data.data(), &count, 2);
    for (size_t i = 0; i < rows.size(); ++i) {
      uint8_t* e = data.data() + 2 + 14 * i;
      auto put = [](uint8_t* p, const char* c) {
        const uint32_t v = (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) |
                           (uint32_t(uint8_t(c[2])) << 8) | uint8_t(c[3]);
        std::memcpy(p, &v, 4);
      };
      put(e, rows[i].type);
      put(e + 4, rows[i].second);
      put(e + 8, rows[i].extension);
      e[12] = rows[i].flags;
    }
    return data;
  }
  // A resource file holding the given 'FMAP' resources.
  void Load(VFileTypeMap& map, const std::vector<std::vector<uint8_t>>& resources) {
    Str path(P("map"));
    VMacResourceFile file(&path, 1);
    ASSERT_TRUE(file.IsOpen());
    int16_t id = 128;
    for (const auto& r : resources) {
      ASSERT_EQ(file.AddResource(Code("FMAP"), id, nullptr, r.data(), uint32_t(r.size())), id);
      ++id;
    }
    map.LoadFileTypeMap(file);
  }
};

TEST_F(FlaggedMap, TextFilesTakeTheTypeOfTheirExtensionOnlyUnderTheSameFlag) {
  VFileTypeMap map;
  Load(map, {Resource({{"RTF ", "RTFC", "rtf ", 0}}, 1)});
  Str name("letter.rtf");
  EXPECT_EQ(map.FileTypeForCode(Code("TEXT"), false, &name), Code("RTF "));
  EXPECT_EQ(map.FileTypeForCode(Code("TEXT"), true, &name), Code("TEXT"));
  Str other("letter.doc");
  EXPECT_EQ(map.FileTypeForCode(Code("TEXT"), false, &other), Code("TEXT"));
  VFileTypeMap flagged;
  Load(flagged, {Resource({{"RTF ", "RTFC", "RTF ", 0x80}}, 1)});
  EXPECT_EQ(flagged.FileTypeForCode(Code("TEXT"), false, &name), Code("TEXT"));
  EXPECT_TRUE(flagged.FileTypeFlag(Code("RTF ")));
}

TEST_F(FlaggedMap, ASecondCodeUnderTheOtherFlagTakesTheNextRowOfThatCode) {
  VFileTypeMap map;
  Load(map, {Resource({{"AAAA", "CODE", "AAA ", 0x80},
                       {"BBBB", "CODE", "BBB ", 0x80},
                       {"CCCC", "SOLO", "CCC ", 0x80}},
                      3)});
  EXPECT_EQ(map.FileTypeForCode(Code("CODE"), true, nullptr), Code("AAAA"));
  // The first row's flag differs: the next row of the code, whatever its flag.
  EXPECT_EQ(map.FileTypeForCode(Code("CODE"), false, nullptr), Code("BBBB"));
  EXPECT_EQ(map.FileTypeForCode(Code("SOLO"), false, nullptr), 0u);
  EXPECT_EQ(map.FileTypeForCode(Code("NONE"), false, nullptr), 0u);
  // The flags byte's other bits are not the flag.
  VFileTypeMap low;
  Load(low, {Resource({{"DDDD", "CODE", "DDD ", 0x7F}}, 1)});
  EXPECT_FALSE(low.FileTypeFlag(Code("DDDD")));
}

TEST_F(FlaggedMap, RowsOfEveryResourceAreAppendedInOrderWithExtensionsNormalised) {
  VFileTypeMap map;
  Load(map, {Resource({{"ONE ", "1111", "one ", 0}}, 1),
             Resource({{"TWO ", "2222", ".tw ", 0}, {"ONE ", "9999", "uno ", 0}}, 2)});
  EXPECT_EQ(map.CountRows(), 3);
  EXPECT_EQ(map.ExtensionForFileType(Code("ONE ")), Bytes('O', 'N', 'E', 0));
  EXPECT_EQ(map.ExtensionForFileType(Code("TWO ")), Bytes('T', 'W', 0, 0));
  EXPECT_EQ(map.FileTypeForExtension(Bytes('U', 'N', 'O', 0)), Code("ONE "));
}

TEST_F(FlaggedMap, ACountPastTheResourceReadsOnlyTheWholeEntries) {
  VFileTypeMap map;
  std::vector<uint8_t> data = Resource({{"ONE ", "1111", "ONE ", 0}, {"TWO ", "2222", "TWO ", 0}},
                                       200);
  data.resize(data.size() - 3);  // the second entry is cut
  Load(map, {data, Resource({}, -5), std::vector<uint8_t>{1}});
  EXPECT_EQ(map.CountRows(), 1);
  EXPECT_TRUE(map.IsKnownFileType(Code("ONE ")));
  EXPECT_FALSE(map.IsKnownFileType(Code("TWO ")));
}

TEST(FileTypeMap, MadeUpTypesAreTheControlByteAndTheNewRowsNumber) {
  ScopedTypeMap scoped;
  scoped.Row("AAAA", "AAA ").Row("BBBB", "BBB ").Row("CCCC", "CCC ").Row("DDDD", "DDD ");
  VFileTypeMap& map = scoped.Map();
  const uint32_t type = map.AddMadeUpTypeForCode(Code("WXYZ"));
  EXPECT_EQ(type, Bytes(8, '5', 0, 0));
  EXPECT_EQ(map.SecondCodeForFileType(type), Code("WXYZ"));
  EXPECT_EQ(map.ExtensionForFileType(type), type);
  const uint32_t other = map.AddMadeUpTypeForExtension(Code("qq  "));
  EXPECT_EQ(other, Bytes(8, '6', 0, 0));
  EXPECT_EQ(map.FileTypeForExtension(Bytes('Q', 'Q', 0, 0)), other);
  EXPECT_EQ(map.SecondCodeForFileType(other), other);
  map.RemoveFileTypeMapping(type);
  EXPECT_FALSE(map.IsKnownFileType(type));
  EXPECT_EQ(map.CountRows(), 5);
  EXPECT_EQ(map.FileTypeForExtension(Bytes('Q', 'Q', 0, 0)), other);
}

TEST(FileTypeMap, MadeUpTypesKeepTheFirstFourCharactersOfLongNumbers) {
  ScopedTypeMap scoped;
  VFileTypeMap& map = scoped.Map();
  for (int i = 0; i < 122; ++i) map.AddMadeUpTypeForCode(Code("CODE"));
  EXPECT_EQ(map.CountRows(), 122);
  EXPECT_EQ(map.AddMadeUpTypeForCode(Code("LAST")), Bytes(8, '1', '2', '3'));
}

TEST(FileTypeMap, TheModulesMapIsReadFromItsResourceFile) {
  const std::string name = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  ASSERT_LT(name.size(), 256u);
  pascal[0] = uint8_t(name.size());
  std::memcpy(pascal + 1, name.data(), name.size());
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  ASSERT_NE(ref, -1);
  Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
  if (previous != -1) Tbx::UseResFile(previous);
  {
    VMacResourceFile file(ref);
    VFileTypeMap map;
    map.LoadFileTypeMap(file);
    EXPECT_GE(map.CountRows(), 12);
    EXPECT_EQ(map.ExtensionForFileType(Code("TEXT")), Bytes('T', 'X', 'T', 0));
    EXPECT_EQ(map.ExtensionForFileType(Code("QMV7")), Bytes('Q', 'M', 'V', 0));
    EXPECT_EQ(map.FileTypeForExtension(Bytes('D', 'O', 'C', 0)), Code("DOC8"));
    EXPECT_EQ(map.FileTypeForExtension(Code("HTML")), Code("HTML"));
    EXPECT_NE(map.SecondCodeForFileType(Code("QMV7")), 0u);
  }
  Tbx::CloseResFile(ref);
}

}  // namespace
