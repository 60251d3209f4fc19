// Compound files exchanged with the programs people use: the Word files
// LibreOffice wrote from our fixtures (made by tools/make_word_peer_fixtures.py
// and committed with the streams python3-olefile lists in each) are read here
// without the programs; the files we write are read by olefile itself, under
// the ctest label "peers".
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileStream.h"
#include "interchange/tests/OleTestSupport.h"

using namespace oletest;
namespace fs = std::filesystem;

namespace {

fs::path WordFixtures() {
  fs::path source(__FILE__);
  if (source.is_relative()) source = fs::read_symlink("/proc/self/exe").parent_path() / source;
  return source.parent_path() / "fixtures" / "word";
}

Bytes FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Crc32(const Bytes& bytes) {
  uint32_t crc = 0xFFFFFFFFu;
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string Hex(uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

// Path -> "size\tcrc" of every stream of the file, as the listing gives it.
using Listing = std::map<std::string, std::string>;

Listing ParseListing(const std::string& text) {
  Listing listing;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t tab = line.find('\t');
    if (tab != std::string::npos) listing[line.substr(0, tab)] = line.substr(tab + 1);
  }
  return listing;
}

// The same listing made by our reader: every stream of the root and of its
// storages (one level, as Word files have).
Listing OurListing(const Bytes& file) {
  Listing listing;
  MemoryFile memory(file);
  xMorvaOleFile ole(memory.Stream());
  EXPECT_EQ(ole.OpenForReading(), 0);
  for (int32_t number = 1; number <= ole.GetEntryCount(); ++number) {
    const xMorvaOleFile::Entry* entry = ole.GetEntry(number);
    if (entry->type != kOleStream) continue;
    std::string path(entry->name.begin(), entry->name.end());
    for (int32_t owner = 1; owner <= ole.GetEntryCount(); ++owner) {
      const xMorvaOleFile::Entry* storage = ole.GetEntry(owner);
      if (storage->type != kOleStorage) continue;
      if (ole.EnterStorage(storage->name) != 0) continue;
      VStream* probe = nullptr;
      if (ole.OpenStream(entry->name, probe) == 0 && ole.GetEntry(owner)->child >= 0) {
        ole.CloseStream(probe);
        path = std::string(storage->name.begin(), storage->name.end()) + "/" + path;
      }
    }
    VStream* stream = nullptr;
    if (entry->size == 0) {
      // An empty stream has no data to open.
      listing[path] = "0\t" + Hex(Crc32({}));
      continue;
    }
    if (ole.OpenStreamAt(number, stream) != 0) {
      listing[path] = "unreadable";
      continue;
    }
    const Bytes bytes = ReadAll(*stream);
    ole.CloseStream(stream);
    listing[path] = std::to_string(bytes.size()) + "\t" + Hex(Crc32(bytes));
  }
  return listing;
}

std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) != 0) out.append(buffer, got);
  pclose(pipe);
  return out;
}

}  // namespace

TEST(OleFile, ReadsLibreOfficeWordFilesAsOlefileListsThem) {
  int files = 0;
  for (const auto& item : fs::directory_iterator(WordFixtures())) {
    if (item.path().extension() != ".doc") continue;
    SCOPED_TRACE(item.path().filename().string());
    ++files;
    fs::path listingPath = item.path();
    listingPath.replace_extension(".streams");
    std::ifstream in(listingPath);
    std::stringstream text;
    text << in.rdbuf();
    const Listing expected = ParseListing(text.str());
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(OurListing(FileBytes(item.path())), expected);
  }
  EXPECT_GE(files, 2);
}

class OlePeers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("QV_PEER_TESTS") == nullptr)
      GTEST_SKIP() << "peer checks run under the ctest label peers";
  }
};

TEST_F(OlePeers, OlefileReadsEveryStreamWeWrite) {
  const fs::path path =
      fs::temp_directory_path() / ("qv-ole-peer-" + std::to_string(getpid()) + ".doc");
  const std::vector<NamedBytes> streams = {{u"Small", Pattern(300, 1)},
                                           {u"Cutoff", Pattern(4096, 2)},
                                           {u"Large", Pattern(7400000, 3)},
                                           {u"Empty", {}},
                                           {u"Tiny", Pattern(3, 4)}};
  const std::vector<NamedBytes> inner = {{u"InnerSmall", Pattern(1000, 5)},
                                         {u"InnerRegular", Pattern(20000, 6)}};
  {
    VFile file(path.c_str());
    ASSERT_EQ(file.Create(true), 0);
    VFileStream stream(&file, false);
    ASSERT_EQ(WriteFile(stream, streams, inner), 0);
    file.Close(false);
  }
  Listing expected;
  for (const auto& item : streams)
    expected[std::string(item.name.begin(), item.name.end())] =
        std::to_string(item.bytes.size()) + "\t" + Hex(Crc32(item.bytes));
  for (const auto& item : inner)
    expected["Inner/" + std::string(item.name.begin(), item.name.end())] =
        std::to_string(item.bytes.size()) + "\t" + Hex(Crc32(item.bytes));
  const std::string script =
      "import sys, zlib, olefile\n"
      "ole = olefile.OleFileIO(sys.argv[1], raise_defects=olefile.DEFECT_INCORRECT)\n"
      "for e in sorted(ole.listdir(streams=True, storages=False)):\n"
      "    d = ole.openstream(e).read()\n"
      "    print('/'.join(e) + '\\t' + str(len(d)) + '\\t' + format(zlib.crc32(d), '08x'))\n";
  const fs::path scriptPath = path.string() + ".py";
  std::ofstream(scriptPath) << script;
  const std::string out =
      RunCommand(Python() + " " + scriptPath.string() + " " + path.string() + " 2>&1");
  EXPECT_EQ(ParseListing(out), expected) << out;
  // Our own reader agrees.
  EXPECT_EQ(OurListing(FileBytes(path)), expected);
  fs::remove(path);
  fs::remove(scriptPath);
}
