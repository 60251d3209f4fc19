// The resource compiler: every construct of the script form, errors with
// file:line, Mac Roman text, and compiled files read back through the
// Toolbox resource manager (the module's own resource file included).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "platform/toolbox/TbxResources.h"
#include "tools/rescomp/ResourceScript.h"
#include "tools/rescomp/ResourceWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kTEST = 0x54455354;  // 'TEST'
constexpr uint32_t kSTRS = 0x53545223;  // 'STR#'

std::vector<CompiledResource> Parse(const std::string& text) {
  std::vector<CompiledResource> out;
  std::string error;
  EXPECT_TRUE(ParseResourceScript(text, "t.r", &out, &error)) << error;
  return out;
}

std::string ParseError(const std::string& text) {
  std::vector<CompiledResource> out;
  std::string error;
  EXPECT_FALSE(ParseResourceScript(text, "bad.r", &out, &error)) << text;
  return error;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct PStr {
  uint8_t b[256];
  explicit PStr(const std::string& s) {
    b[0] = static_cast<uint8_t>(s.size());
    std::memcpy(b + 1, s.data(), s.size());
  }
  operator const uint8_t*() const { return b; }
};

Bytes HandleBytes(Tbx::Handle h) {
  Bytes out(static_cast<size_t>(Tbx::GetHandleSize(h)));
  if (!out.empty()) {
    std::memcpy(out.data(), Tbx::HLock(h), out.size());
    Tbx::HUnlock(h);
  }
  return out;
}

// Checks that the open current file holds exactly `expected`, byte for byte.
void ExpectFileHolds(const std::vector<CompiledResource>& expected) {
  int total = 0;
  for (int16_t t = 1; t <= Tbx::Count1Types(); ++t) {
    uint32_t type = 0;
    Tbx::Get1IndType(&type, t);
    total += Tbx::Count1Resources(type);
  }
  EXPECT_EQ(total, static_cast<int>(expected.size()));
  for (const CompiledResource& r : expected) {
    SCOPED_TRACE(r.where);
    Tbx::Handle h = Tbx::Get1Resource(r.type, r.id);
    ASSERT_NE(h, 0u);
    EXPECT_EQ(HandleBytes(h), r.data);
    uint8_t name[256];
    Tbx::GetResInfo(h, nullptr, nullptr, name);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), r.name);
    EXPECT_EQ(Tbx::GetResAttrs(h), r.attrs);
    Tbx::ReleaseResource(h);
  }
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/qvrescompXXXXXX";
    path_ = mkdtemp(tmpl) ? tmpl : "";
  }
  ~TempDir() {
    const std::string cmd = "rm -rf '" + path_ + "'";
    (void)std::system(cmd.c_str());
  }
  std::string Path(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& text) const {
    std::ofstream(Path(name), std::ios::binary) << text;
  }

 private:
  std::string path_;
};

// Runs the tool; answers its exit status and what it printed on standard error.
int RunTool(const std::string& args, std::string* err) {
  TempDir dir;
  const std::string cmd = std::string("'") + QV_RESCOMP_PATH + "' " + args + " 2>'" + dir.Path("err") + "'";
  const int status = std::system(cmd.c_str());
  *err = ReadText(dir.Path("err"));
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ResourceScript, ValuesAreWrittenBigEndian) {
  auto r = Parse("resource 'TEST' 1 { u8 1 255 -1 0x7F u16 0x1234 -2 65535 u32 0x01020304 -1 4294967295 }");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].type, kTEST);
  EXPECT_EQ(r[0].id, 1);
  EXPECT_EQ(r[0].data, (Bytes{1, 255, 255, 0x7F, 0x12, 0x34, 0xFF, 0xFE, 0xFF, 0xFF, 1, 2, 3, 4,
                              0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(r[0].name, "");
  EXPECT_EQ(r[0].attrs, 0);
}

TEST(ResourceScript, HexPstrAndBytes) {
  auto r = Parse("resource 'TEST' -7 {\n hex \"00 0a\n FF10\"\n pstr \"Caf\xC3\xA9\"\n bytes \"\xE2\x82\xAC!\"\n"
                 " pstr \"\"\n}");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].id, -7);
  EXPECT_EQ(r[0].data, (Bytes{0x00, 0x0A, 0xFF, 0x10, 4, 'C', 'a', 'f', 0x8E, 0xDB, '!', 0}));
}

TEST(ResourceScript, NameAttrsCommentsAndSeveralResources) {
  auto r = Parse("# leading comment\n"
                 "resource 'STR#' 32767 \"Menu \xE2\x84\xA2\" attrs 0x28 { # comment\n"
                 "  u16 2 # count\n"
                 "}\n"
                 "resource 'TEST' -32768 {}\n");
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].type, kSTRS);
  EXPECT_EQ(r[0].id, 32767);
  EXPECT_EQ(r[0].name, "Menu \xAA");
  EXPECT_EQ(r[0].attrs, 0x28);
  EXPECT_EQ(r[0].data, (Bytes{0, 2}));
  EXPECT_EQ(r[0].where, "t.r:2");
  EXPECT_EQ(r[1].id, -32768);
  EXPECT_TRUE(r[1].data.empty());
  EXPECT_EQ(r[1].where, "t.r:5");
}

TEST(ResourceScript, EscapesInTexts) {
  auto r = Parse("resource 'a\\'b\\\\' 1 { bytes \"\\\"\\\\\\t\\n\\r\\0\\x80\\xfF\" }");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].type, (uint32_t('a') << 24) | (uint32_t('\'') << 16) | (uint32_t('b') << 8) | '\\');
  EXPECT_EQ(r[0].data, (Bytes{'"', '\\', 9, 10, 13, 0, 0x80, 0xFF}));
}

TEST(ResourceScript, TypeWithAMacRomanCharacter) {
  auto r = Parse("resource 'ab\xC3\xA9#' 1 {}");
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].type, 0x61628E23u);
}

TEST(ResourceScript, ErrorsNameTheFileAndLine) {
  struct Case {
    const char* script;
    const char* where;
  };
  const Case cases[] = {
      {"resource 'TEST' 1 {\n  u9 1\n}", "bad.r:2: unknown statement"},
      {"resource 'TEST' 1 {\n\n  u8 256\n}", "bad.r:3: value 256 does not fit u8"},
      {"resource 'TEST' 1 {\n  u8 -129\n}", "bad.r:2:"},
      {"resource 'TEST' 1 {\n  u16 65536\n}", "bad.r:2:"},
      {"resource 'TEST' 1 {\n  u32 4294967296\n}", "bad.r:2:"},
      {"resource 'TEST' 1 {\n  u32 -2147483649\n}", "bad.r:2:"},
      {"resource 'TEST' 1 {\n  u8\n}", "bad.r:2: u8 needs at least one value"},
      {"resource 'TEST' 1 {\n  u8 12z\n}", "bad.r:2: bad number"},
      {"resource 'TEST' 1 {\n  hex \"0A B\"\n}", "bad.r:2: hex needs an even number"},
      {"resource 'TEST' 1 {\n  hex \"0G\"\n}", "bad.r:2: hex holds a non-hex"},
      {"resource 'TEST' 1 {\n  pstr 5\n}", "bad.r:2: pstr needs a text"},
      {"resource 'TEST' 1 {\n  bytes \"\xC5\x91\"\n}", "bad.r:2: character U+0151 has no Mac Roman form"},
      {"resource 'TEST' 1 {\n  bytes \"\xE4\xB8\xAD\"\n}", "bad.r:2: character U+4E2D"},
      {"resource 'TEST' 1 {\n  bytes \"\xC0\xAF\"\n}", "bad.r:2: text is not valid UTF-8"},
      {"resource 'TEST' 1 {\n  bytes \"\xED\xA0\x80\"\n}", "bad.r:2: text is not valid UTF-8"},
      {"resource 'TEST' 1 {\n  bytes \"\xC3\"\n}", "bad.r:2: text is not valid UTF-8"},
      {"resource 'TEST' 1 {\n  bytes \"\\xC3\xA9\"\n}", "bad.r:2: text is not valid UTF-8"},
      {"resource 'TEST' 1 {\n  bytes \"\xC3\\xA9\"\n}", "bad.r:2: text is not valid UTF-8"},
      {"resource 'TEST' 1 {\n  bytes \"abc\n}\n", "bad.r:2: unterminated text"},
      {"resource 'TEST' 1 {\n  bytes \"\\q\"\n}", "bad.r:2: unknown escape"},
      {"resource 'TEST' 1 {\n  bytes \"\\x4\"\n}", "bad.r:2: \\x needs two hex digits"},
      {"\n\nresource 'TES' 1 {}", "bad.r:3: a type has four characters"},
      {"resource TEST 1 {}", "bad.r:1: expected a type"},
      {"resource 'TEST' 32768 {}", "bad.r:1: id out of range"},
      {"resource 'TEST' -32769 {}", "bad.r:1: id out of range"},
      {"resource 'TEST' {}", "bad.r:1: expected the resource id"},
      {"resource 'TEST' 1 attrs 256 {}", "bad.r:1: attrs needs a value"},
      {"resource 'TEST' 1 attrs 2 {}", "bad.r:1: attribute 2 (changed)"},
      {"resource 'TEST' 1 \"a\" u8 {}", "bad.r:1: expected '{'"},
      {"resource 'TEST' 1 {\n u8 1\n", "bad.r:3: missing '}' of the resource at line 1"},
      {"resource 'TEST' 1 {}\nresourc 'TEST' 2 {}", "bad.r:2: expected 'resource'"},
      {"resource 'TEST' 1 {}\n@", "bad.r:2: unexpected character"},
      {"resource 'TEST' 1 {\n u8 1\n}\n\nresource 'TEST' 1 {}", "bad.r:5: resource 'TEST' 1 already defined at bad.r:1"},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseError(c.script).rfind(c.where, 0), 0u) << c.script;

  const std::string longName = "resource 'TEST' 1 \"" + std::string(256, 'n') + "\" {}";
  EXPECT_EQ(ParseError(longName).rfind("bad.r:1: name longer than 255", 0), 0u);
  const std::string longPstr = "resource 'TEST' 1 {\n pstr \"" + std::string(256, 'p') + "\" }";
  EXPECT_EQ(ParseError(longPstr).rfind("bad.r:2: pstr longer than 255", 0), 0u);
  const std::string fullPstr = "resource 'TEST' 1 { pstr \"" + std::string(255, 'p') + "\" }";
  EXPECT_EQ(Parse(fullPstr)[0].data.size(), 256u);
}

TEST(ResourceScript, RepeatedIdAcrossScriptsNamesBothPlaces) {
  std::vector<CompiledResource> out;
  std::string error;
  ASSERT_TRUE(ParseResourceScript("resource 'TEST' 4 {}", "a.r", &out, &error));
  EXPECT_FALSE(ParseResourceScript("\nresource 'TEST' 4 {}", "b.r", &out, &error));
  EXPECT_EQ(error, "b.r:2: resource 'TEST' 4 already defined at a.r:1");
  EXPECT_TRUE(ParseResourceScript("resource 'TEST' 5 {}", "c.r", &out, &error));
}

TEST(ResourceScript, MacRomanOfKnownCharacters) {
  std::string out, error;
  ASSERT_TRUE(Utf8ToMacRoman("A\xC3\x84\xC3\xA9\xE2\x82\xAC\xE2\x84\xA2\xC3\xBF\xCB\x87\xEF\xA3\xBF\xC2\xA0", &out, &error));
  EXPECT_EQ(out, "A\x80\x8E\xDB\xAA\xD8\xFF\xF0\xCA");
  EXPECT_FALSE(Utf8ToMacRoman("\xF0\x9F\x98\x80", &out, &error));  // an emoji
  EXPECT_EQ(error, "character U+1F600 has no Mac Roman form");
  EXPECT_FALSE(Utf8ToMacRoman("\x80", &out, &error));
  EXPECT_FALSE(Utf8ToMacRoman("\xF4\x90\x80\x80", &out, &error));  // beyond U+10FFFF
}

TEST(ResourceWriter, WritesAFileThatReadsBack) {
  TempDir dir;
  auto resources = Parse("resource 'TEST' 3 \"three\" attrs 32 { u16 3 }\nresource 'STR#' 9 { u16 0 }");
  std::string error;
  ASSERT_TRUE(WriteResourceFile(dir.Path("out.rsrc"), resources, &error)) << error;
  const int16_t before = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(PStr(dir.Path("out.rsrc")));
  ASSERT_NE(ref, -1);
  ExpectFileHolds(resources);
  Tbx::CloseResFile(ref);
  EXPECT_EQ(Tbx::CurResFile(), before);
  struct stat st;
  EXPECT_NE(stat(dir.Path("out.rsrc.new").c_str(), &st), 0);  // nothing left beside it
}

TEST(ResourceWriter, PathsLongerThanTheManagersLimitWork) {
  TempDir dir;
  std::string path = dir.Path("");
  for (int i = 0; i < 4; ++i) {
    path += std::string(80, char('a' + i)) + "/";
    ASSERT_EQ(mkdir(path.c_str(), 0755), 0);
  }
  path += "deep.rsrc";
  ASSERT_GT(path.size(), 255u);
  auto resources = Parse("resource 'TEST' 1 { u8 1 }");
  std::string error;
  ASSERT_TRUE(WriteResourceFile(path, resources, &error)) << error;
  struct stat st;
  EXPECT_EQ(stat(path.c_str(), &st), 0);
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd).find(std::string(80, 'a')), std::string::npos);  // back where it was
}

TEST(ResourceWriter, MissingFolderFailsWithoutAFile) {
  TempDir dir;
  std::string error;
  EXPECT_FALSE(WriteResourceFile(dir.Path("none/out.rsrc"), Parse("resource 'TEST' 1 {}"), &error));
  EXPECT_NE(error.find("none/out.rsrc"), std::string::npos);
}

TEST(Rescomp, ToolFailsWithFileAndLineAndKeepsTheOldOutput) {
  TempDir dir;
  dir.Write("good.r", "resource 'TEST' 1 { u8 1 }\n");
  dir.Write("bad.r", "resource 'TEST' 2 {\n  u8 300\n}\n");
  std::string err;
  ASSERT_EQ(RunTool("-o '" + dir.Path("out.rsrc") + "' '" + dir.Path("good.r") + "'", &err), 0) << err;
  const std::string before = ReadText(dir.Path("out.rsrc"));
  EXPECT_FALSE(before.empty());
  EXPECT_EQ(RunTool("-o '" + dir.Path("out.rsrc") + "' '" + dir.Path("good.r") + "' '" + dir.Path("bad.r") + "'",
                    &err),
            1);
  EXPECT_NE(err.find(dir.Path("bad.r") + ":2: value 300 does not fit u8"), std::string::npos) << err;
  EXPECT_EQ(ReadText(dir.Path("out.rsrc")), before);
  EXPECT_EQ(RunTool("-o '" + dir.Path("out.rsrc") + "' '" + dir.Path("missing.r") + "'", &err), 1);
  EXPECT_NE(err.find("missing.r: can not be read"), std::string::npos);
  EXPECT_EQ(RunTool("'" + dir.Path("good.r") + "'", &err), 2);  // no output named
  EXPECT_EQ(RunTool("-x", &err), 2);
}

TEST(Rescomp, CompiledSampleReadsBackThroughTheResourceManager) {
  const int16_t ref = Tbx::OpenResFile(PStr(QV_RESCOMP_SAMPLE));
  ASSERT_NE(ref, -1) << QV_RESCOMP_SAMPLE;
  Tbx::Handle h = Tbx::Get1Resource(kTEST, 128);
  ASSERT_NE(h, 0u);
  EXPECT_EQ(HandleBytes(h), (Bytes{0x01, 0xFF, 0xFF, 0x7F, 0x12, 0x34, 0xFF, 0xFE, 0x01, 0x02, 0x03, 0x04,
                                   0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x0A, 0xFF, 0x10, 0x04, 'C', 'a', 'f', 0x8E,
                                   'a', '"', 'b', '\\', 0x80}));
  uint8_t name[256];
  Tbx::GetResInfo(h, nullptr, nullptr, name);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "Sample");
  EXPECT_EQ(Tbx::GetResAttrs(h), 8);
  Tbx::Handle empty = Tbx::Get1Resource(kSTRS, -5);
  ASSERT_NE(empty, 0u);
  EXPECT_EQ(Tbx::GetHandleSize(empty), 0);
  EXPECT_EQ(HandleBytes(Tbx::Get1Resource(kTEST, 129)), (Bytes{0, 1, 0, 2, 0, 3}));
  EXPECT_EQ(Tbx::Count1Types(), 2);
  EXPECT_EQ(Tbx::Count1Resources(kTEST), 2);

  // The same as parsing the script here.
  std::vector<CompiledResource> expected;
  std::string error;
  ASSERT_TRUE(ParseResourceScript(ReadText(QV_RESCOMP_SAMPLE_SOURCE), "sample.r", &expected, &error)) << error;
  ExpectFileHolds(expected);
  Tbx::CloseResFile(ref);
}

#ifdef QV_RESOURCE_FILE
TEST(Rescomp, ModuleResourceFileHoldsEveryScriptedResource) {
  std::vector<CompiledResource> expected;
  std::stringstream scripts(QV_RESOURCE_SCRIPTS);
  std::string script;
  while (std::getline(scripts, script, '|')) {
    if (script.empty()) continue;
    std::string error;
    ASSERT_TRUE(ParseResourceScript(ReadText(script), script, &expected, &error)) << error;
  }
  const int16_t ref = Tbx::OpenResFile(PStr(QV_RESOURCE_FILE));
  ASSERT_NE(ref, -1) << QV_RESOURCE_FILE;
  ExpectFileHolds(expected);
  Tbx::CloseResFile(ref);
}
#endif

}  // namespace
