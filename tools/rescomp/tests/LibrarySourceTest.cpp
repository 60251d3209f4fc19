// The library form of the resource compiler: how resources are filed (type
// names, numeric types, names and numbers), the order of the table, the
// resources a library cannot hold, and the source that the tool writes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/rescomp/LibrarySource.h"
#include "tools/rescomp/ResourceScript.h"

namespace {

std::vector<CompiledResource> Parse(const std::string& text) {
  std::vector<CompiledResource> out;
  std::string error;
  EXPECT_TRUE(ParseResourceScript(text, "lib.r", &out, &error)) << error;
  return out;
}

LibraryResourceKey Key(const std::string& script) {
  std::vector<CompiledResource> resources = Parse(script);
  LibraryResourceKey key;
  std::string error;
  EXPECT_EQ(resources.size(), 1u);
  if (!resources.empty()) {
    EXPECT_TRUE(LibraryKeyOf(resources[0], &key, &error)) << error;
  }
  return key;
}

std::string KeyError(const std::string& script) {
  std::vector<CompiledResource> resources = Parse(script);
  LibraryResourceKey key;
  std::string error;
  EXPECT_FALSE(resources.empty() || LibraryKeyOf(resources[0], &key, &error)) << script;
  return error;
}

// The "{type, typeId, name, id" starts of the table's rows, in order.
std::vector<std::string> Rows(const std::string& source) {
  std::vector<std::string> rows;
  const std::string begin = "const WinModuleResource kResources[] = {\n";
  size_t at = source.find(begin);
  if (at == std::string::npos) return rows;
  at += begin.size();
  for (;;) {
    const size_t end = source.find('\n', at);
    const std::string line = source.substr(at, end - at);
    if (line.rfind("    {", 0) != 0) break;
    size_t cut = line.find(", ", 5);
    for (int commas = 0; commas < 3 && cut != std::string::npos; ++commas) {
      cut = line.find(", ", cut + 2);
    }
    rows.push_back(line.substr(5, cut - 5));
    at = end + 1;
  }
  return rows;
}

TEST(LibrarySource, TypesAreFiledUnderTheirFourCharacters) {
  EXPECT_EQ(Key("resource 'XBAR' 1 {}").typeName, "XBAR");
  // Win32 would take a leading digit for a number.
  EXPECT_EQ(Key("resource '4SAM' 1 {}").typeName, "_4SAM");
  const LibraryResourceKey numeric = Key("resource 3 1 {}");
  EXPECT_EQ(numeric.typeName, "");
  EXPECT_EQ(numeric.typeId, 3);
}

TEST(LibrarySource, ResourcesAreFiledUnderTheirNameElseTheirNumber) {
  const LibraryResourceKey named = Key("resource 'XBAR' 1 \"Main\" {}");
  EXPECT_EQ(named.name, "Main");
  const LibraryResourceKey numbered = Key("resource 'XBAR' 128 {}");
  EXPECT_EQ(numbered.name, "");
  EXPECT_EQ(numbered.id, 128);
  EXPECT_EQ(Key("resource 'XBAR' -2 {}").id, 0xFFFE);
}

TEST(LibrarySource, ALibraryTakesOnlyPrintableAsciiTypesAndNames) {
  EXPECT_NE(KeyError("resource 'XB\\x01R' 1 {}").find("lib.r:1"), std::string::npos);
  EXPECT_NE(KeyError("resource 'XBAR' 1 \"Caf\u00E9\" {}").find("printable ASCII"), std::string::npos);
  // A name led by '#' would be read as a number.
  EXPECT_NE(KeyError("resource 'XBAR' 1 \"#12\" {}").find("'#'"), std::string::npos);
}

TEST(LibrarySource, NumericTypesOutsideSixteenBitsAreRefused) {
  for (const char* script : {"resource 0 1 {}", "resource 65536 1 {}", "resource -3 1 {}"}) {
    std::vector<CompiledResource> out;
    std::string error;
    EXPECT_FALSE(ParseResourceScript(script, "bad.r", &out, &error)) << script;
    EXPECT_NE(error.find("bad.r:1: a numeric type"), std::string::npos) << error;
  }
}

TEST(LibrarySource, TheTableKeepsNamedTypesFirstThenNumbersAndLikewiseNames) {
  std::string source, error;
  ASSERT_TRUE(MakeLibrarySource(Parse("resource 3 7 {}\n"
                                      "resource 'XBAR' 128 {}\n"
                                      "resource 'XBAR' 2 \"main\" {}\n"
                                      "resource 'XBAR' 5 {}\n"
                                      "resource 'ABCD' 1 \"Zed\" {}\n"
                                      "resource 'XBAR' 3 \"Alpha\" {}\n"),
                                &source, &error))
      << error;
  EXPECT_EQ(Rows(source), (std::vector<std::string>{
                              "\"ABCD\", 0, \"Zed\", 0",
                              "\"XBAR\", 0, \"Alpha\", 0",
                              "\"XBAR\", 0, \"main\", 0",
                              "\"XBAR\", 0, nullptr, 5",
                              "\"XBAR\", 0, nullptr, 128",
                              "nullptr, 3, nullptr, 7",
                          }));
  EXPECT_NE(source.find("QvModuleResourceTable = {kWinModuleResourceMagic, 6u, kResources}"),
            std::string::npos);
}

TEST(LibrarySource, TwoResourcesUnderOneNameAreRefusedWhateverTheirCase) {
  std::string source = "untouched", error;
  EXPECT_FALSE(MakeLibrarySource(Parse("resource 'XBAR' 1 \"Main\" {}\n"
                                       "resource 'XBAR' 2 \"MAIN\" {}\n"),
                                 &source, &error));
  EXPECT_NE(error.find("lib.r:"), std::string::npos) << error;
  EXPECT_EQ(source, "untouched");
  // The same name under two types is fine.
  EXPECT_TRUE(MakeLibrarySource(Parse("resource 'XBAR' 1 \"Main\" {}\n"
                                      "resource 'YBAR' 1 \"Main\" {}\n"),
                                &source, &error));
}

TEST(LibrarySource, DataAndTextsAreWrittenAsCxxThatKeepsEveryByte) {
  std::string source, error;
  ASSERT_TRUE(MakeLibrarySource(Parse("resource 'STR#' 1 \"a\\\"b\" { u16 0x1234 u8 255 }\n"
                                      "resource 'XBAR' 2 {}\n"),
                                &source, &error));
  EXPECT_NE(source.find("{\n    18, 52, 255,\n}"), std::string::npos) << source;
  // '#' stays; the quote is escaped as octal.
  EXPECT_NE(source.find("{\"STR#\", 0, \"a\\042b\", 0, 3, kData0}"), std::string::npos) << source;
  EXPECT_NE(source.find("{\"XBAR\", 0, nullptr, 2, 0, nullptr}"), std::string::npos) << source;
}

TEST(LibrarySource, AnEmptyScriptGivesAnEmptyTable) {
  std::string source, error;
  ASSERT_TRUE(MakeLibrarySource({}, &source, &error));
  EXPECT_NE(source.find("{kWinModuleResourceMagic, 0u, kResources}"), std::string::npos);
}

TEST(LibrarySource, TheToolWritesTheSourceAndLeavesItAloneOnAnError) {
  char folder[] = "/tmp/qvlibsrcXXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string dir = folder;
  {
    std::ofstream(dir + "/good.r") << "resource 'XBAR' 1 \"Main\" { u8 1 }\n";
    std::ofstream(dir + "/bad.r") << "resource 'XBAR' 1 \"Main\" {}\nresource 'XBAR' 2 \"main\" {}\n";
  }
  const std::string out = dir + "/table.cpp";
  const std::string tool = QV_RESCOMP_PATH;
  ASSERT_EQ(std::system((tool + " --library -o " + out + " " + dir + "/good.r").c_str()), 0);
  std::ifstream in(out);
  const std::string written((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(written.find("{\"XBAR\", 0, \"Main\", 0, 1, kData0}"), std::string::npos);
  const int status =
      std::system((tool + " --library -o " + out + " " + dir + "/bad.r 2>/dev/null").c_str());
  EXPECT_NE(WEXITSTATUS(status), 0);
  std::ifstream again(out);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), {}), written);
  std::remove((dir + "/good.r").c_str());
  std::remove((dir + "/bad.r").c_str());
  std::remove(out.c_str());
  rmdir(folder);
}

}  // namespace
