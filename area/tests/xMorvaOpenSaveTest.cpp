// Opening, saving and exporting through files: the format told by type and
// by content, the kept file, and writes that fail at any point leaving the
// previous file whole and nothing else behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <set>

#include "area/files/xMorvaFileFormats.h"
#include "area/files/xMorvaOpenSave.h"
#include "area/tests/AreaTestSupport.h"
#include "area/tests/DocumentFileSupport.h"
#include "area/xMorvaDocMgr.h"
#include "area/xMorvaDocumentAreaServices.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "engine/xMorvaDocumentLayout.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaLines.h"
#include "framework/core/intl/VIntlMgr.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/files/VWinFile.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/win32/WinFiles.h"

namespace {

using namespace areatest;
using documentfile::Bytes;
using documentfile::Engine;
using documentfile::StreamOf;
namespace fs = std::filesystem;

std::string S(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
Bytes B(const std::string& text) { return Bytes(text.begin(), text.end()); }
// A literal with its NULs.
template <size_t N>
std::string L(const char (&text)[N]) {
  return std::string(text, N - 1);
}

TEST(SniffFileType, TellsTheFormatsByTheirFirstBytes) {
  struct Row {
    const char* name;
    std::string head;
    uint32_t type;
  };
  const Row rows[] = {
      {"own signature", L("\0\0\x8E\x8F"), kTypeOwnDocument},
      {"own signature reversed", L("\0\0\x8F\x8E"), kTypeOwnDocument},
      {"own signature cut", L("\0\0\x8E"), 0},
      {"older format", L("FORM\0\0\0\0QMVTDOCU"), kTypeOlderDocument},
      {"older format reversed", L("MROF\0\0\0\0TVMQUCOD"), kTypeOlderDocument},
      {"older format of another kind", L("FORM\0\0\0\0QMVTPICT"), 0},
      {"RTF", "{\\rtf1\\ansi", kTypeRtfFile},
      {"RTF cut", "{\\rt", 0},
      {"HTML", "<HTML><BODY>", kTypeHtmlFile},
      {"html in lower case", "<html><body>", kTypeHtmlFile},
      {"html in mixed case with attributes", "<Html lang=\"en\">", kTypeHtmlFile},
      {"html tag on its own line", "<html>\r\n<head>", kTypeHtmlFile},
      {"document type", "<!DOCTYPE html>\n<html>", kTypeHtmlFile},
      {"document type in lower case", "<!doctype html>", kTypeHtmlFile},
      {"older document type", "<!DOCTYPE HTML PUBLIC \"-//W3C", kTypeHtmlFile},
      {"document type of another language", "<!DOCTYPE svg>", 0},
      {"document type of a longer name", "<!DOCTYPE htmlx>", 0},
      {"a longer tag name", "<htmlish>", 0},
      {"tag cut before its end", "<html", 0},
      {"tag after a blank", " <html>", 0},
      {"UTF-16 little-endian mark",
       "\xFF\xFE"
       "a",
       kTypeTextUnicode},
      {"UTF-16 big-endian mark", "\xFE\xFF", kTypeTextUnicode},
      {"compound file", L("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0"), FourCC("DOC8")},
      {"compound file signature cut", L("\xD0\xCF\x11\xE0\xA1\xB1\x1A"), 0},
      {"plain text", "Hello", 0},
      {"nothing", "", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SniffFileType(reinterpret_cast<const uint8_t*>(row.head.data()), row.head.size()),
              row.type);
  }
}

// A fake RTF reader and writer for the table of formats: it reads by
// typing "rtf:" and the file's bytes, and writes "{\rtf1 " and the body.
int sRtfReads = 0;
int32_t ReadFakeRtf(xMorvaDocument& document, VStream& stream, uint32_t, bool, VString*) {
  ++sRtfReads;
  char head[5] = {};
  uint32_t got = 5;
  stream.GetData(head, got);
  if (got != 5 || std::memcmp(head, "{\\rtf", 5) != 0) return kErrorNotThisFormat;
  document.Reset(false);
  documentfile::Type(Engine(document, kPartBody), "rtf");
  return 0;
}
bool WriteFakeRtf(xMorvaDocument&, VStream& stream, uint32_t, bool) {
  return stream.PutData("{\\rtf1 }", 8) == 0;
}
constexpr xMorvaFileFormat kFakeRtf[] = {{kTypeRtfFile, &ReadFakeRtf, &WriteFakeRtf}};

class OpenSave : public AreaTest {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qvopensaveXXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    xMorvaFileFormats::Register(kFakeRtf, 1);
    sRtfReads = 0;
    area = NewOffscreenArea();
    doc = area->GetDocument();
    documentfile::Type(Engine(*doc, kPartBody), "kept text");
  }
  void TearDown() override {
    xMorvaFileFormats::Unregister(kFakeRtf);
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  std::string P(const std::string& name) const { return dir + "/" + name; }
  std::unique_ptr<VFile> File(const std::string& name, uint32_t type = 0, uint32_t creator = 0) {
    return std::make_unique<VFile>(P(name).c_str(), type, creator);
  }
  // The names in the folder.
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir))
      names.insert(entry.path().filename().string());
    return names;
  }
  static void SetType(const std::string& path, const char (&type)[5]) {
    bool written = false;
    ASSERT_EQ(WriteMacFileInfo(path.c_str(), FourCC(type), FourCC("ttxt"), written), 0);
  }
  std::string OwnBytes() {
    xMorvaPlugIn* source = NewOffscreenArea();
    documentfile::Type(Engine(*source->GetDocument(), kPartBody), "own document");
    return S(documentfile::Write(*source->GetDocument()));
  }
  int32_t Open(const std::string& name, uint32_t& type) {
    return OpenDocumentFile(*doc, area->GetKeptFile(), File(name), type, nullptr);
  }

  std::string dir;
  xMorvaPlugIn* area = nullptr;
  xMorvaDocument* doc = nullptr;
};

// Layouts that count how often a body of some length is composed: a
// composition of everything, or an update that finds the body's lines
// waiting for a change.
struct CompositionCounts {
  int whole = 0;
  int updates = 0;
};

class CountingLayout : public xMorvaDocumentLayout {
 public:
  CountingLayout(xMorvaDocumentInterface& document, xMorvaEngine* const engines[kPartCount], VPort* port,
                 CompositionCounts& counts)
      : xMorvaDocumentLayout(document, engines, port), fBody(*engines[kBody]), fCounts(counts) {}
  int32_t ComposeAll() override {
    if (Long()) ++fCounts.whole;
    return xMorvaDocumentLayout::ComposeAll();
  }
  int32_t Update() override {
    if (Long() && GetLines(kBody)->HasPendingChange()) ++fCounts.updates;
    return xMorvaDocumentLayout::Update();
  }

 private:
  bool Long() const { return fBody.GetStreamSize() > 1000; }
  xMorvaEngine& fBody;
  CompositionCounts& fCounts;
};

class CountingEngineServices : public xMorvaDocumentEngineServices {
 public:
  xMorvaLayoutInterface* NewLayout(xMorvaDocumentInterface& document, xMorvaTextInterface* const parts[7],
                                   VPort* port) override {
    xMorvaEngine* engines[xMorvaDocumentLayout::kPartCount] = {};
    for (int part = 0; part < xMorvaDocumentLayout::kPartCount; ++part) {
      engines[part] = dynamic_cast<xMorvaEngine*>(parts[part]);
      if (engines[part] == nullptr) return nullptr;
    }
    return new CountingLayout(document, engines, port, counts);
  }
  CompositionCounts counts;
};

// A reader that fills the whole document as the Word and text readers do:
// reset, then its paragraphs inside one change of the document, then the
// file's page becomes the paper, as the Word and RTF readers end.
int32_t ReadFakeWord(xMorvaDocument& document, VStream&, uint32_t, bool, VString*) {
  document.Reset(false);
  document.BeginChange();
  std::string text;
  for (int paragraph = 0; paragraph < 40; ++paragraph)
    text += "Paragraph " + std::to_string(paragraph) + " of words that fill a line or two of the page.\n";
  documentfile::Type(Engine(document, kPartBody), text);
  document.EndChange();
  document.TakePaperFromPage(false);
  return 0;
}
constexpr xMorvaFileFormat kFakeWord[] = {{FourCC("DOC8"), &ReadFakeWord, nullptr}};

// Opening a file composes the document it read once, after the reader,
// whatever changes the reader made; the lines are those a composition of
// the whole gives.
TEST_F(OpenSave, OpeningAFileComposesTheDocumentOnce) {
  CountingEngineServices services;
  VInstalledService<xMorvaEngineServices> installed(&services);
  xMorvaFileFormats::Register(kFakeWord, 1);
  xMorvaPlugIn* counted = NewOffscreenArea();
  xMorvaDocument* document = counted->GetDocument();
  {
    std::ofstream(P("letter.doc"), std::ios::binary) << "anything";
  }
  services.counts = {};
  uint32_t type = FourCC("DOC8");
  EXPECT_EQ(OpenDocumentFile(*document, counted->GetKeptFile(), File("letter.doc"), type, nullptr), 0);
  EXPECT_EQ(services.counts.whole + services.counts.updates, 1)
      << services.counts.whole << " whole, " << services.counts.updates << " updates";
  xMorvaLayoutInterface* layout = document->GetLayout();
  ASSERT_NE(layout, nullptr);
  const int32_t lines = layout->GetLineCount(kPartBody);
  const int32_t pages = layout->GetPageCount();
  EXPECT_GT(lines, 40);
  layout->ComposeAll();
  EXPECT_EQ(layout->GetLineCount(kPartBody), lines);
  EXPECT_EQ(layout->GetPageCount(), pages);
  xMorvaFileFormats::Unregister(kFakeWord);
}

TEST_F(OpenSave, AnOwnDocumentIsKnownByItsContentWhateverItsType) {
  files_test::WriteAll(P("letter.txt"), OwnBytes());
  SetType(P("letter.txt"), "TEXT");
  uint32_t type = StoredFileType(*File("letter.txt"));
  EXPECT_EQ(type, kTypeMacText);
  doc->SetModified();
  EXPECT_EQ(Open("letter.txt", type), 0);
  EXPECT_EQ(type, kTypeOwnDocument);
  EXPECT_EQ(S(StreamOf(*doc, kPartBody)).find("o\0w\0n", 0) != std::string::npos, true);
  EXPECT_TRUE(area->GetKeptFile().IsOwn());
  EXPECT_FALSE(doc->IsModified());
}

TEST_F(OpenSave, BadFilesLeaveTheDocumentAsTheirCodeSays) {
  const std::string own = OwnBytes();
  std::string damaged = own;
  damaged[4] = 7;  // a header length of 7
  damaged[5] = damaged[6] = damaged[7] = 0;
  files_test::WriteAll(P("empty"), "");
  files_test::WriteAll(P("damaged"), damaged);
  files_test::WriteAll(P("rtf.doc"), "{\\rtf1 hello}");
  files_test::WriteAll(P("any"), "{\\rtf1 hello}");
  SetType(P("any"), "WANY");
  files_test::WriteAll(P("notrtf"), "plain words");
  files_test::WriteAll(
      P("compound"), L("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1") + "{\\rtf1 x}" + std::string(600, '\0'));
  fs::create_directory(P("folder"));
  struct Row {
    const char* name;
    const char* file;
    uint32_t type;
    int32_t code;
    uint32_t typeAfter;
    const char* body;  // the body afterwards, or null: unchanged
  };
  const Row rows[] = {
      {"missing", "missing", kTypeOwnDocument, 1095, kTypeOwnDocument, nullptr},
      {"a folder", "folder", 0, 1095, 0, nullptr},
      {"0 bytes as the own format", "empty", kTypeOwnDocument, 1032, kTypeOwnDocument, nullptr},
      {"damaged own format", "damaged", kTypeOwnDocument, 1015, kTypeOwnDocument, nullptr},
      {"a compound file by content", "compound", 0, 1095, FourCC("DOC8"), nullptr},
      {"a compound file as Word", "compound", FourCC("DOC8"), 1095, FourCC("DOC8"), nullptr},
      {"a compound file as text", "compound", kTypeTextWindows, 1095, FourCC("DOC8"), nullptr},
      {"RTF in a Word file", "rtf.doc", FourCC("DOC8"), 0, kTypeRtfFile, "rtf"},
      {"WANY whose own type is WANY", "any", kTypeAnyFile, 0, kTypeRtfFile, "rtf"},
      // Read as text, whose reader this test has not.
      {"no RTF in an RTF file", "notrtf", kTypeRtfFile, 1032, kTypeTextWindows, nullptr},
      {"a type with no reader", "notrtf", kTypeOlderDocument, 1032, kTypeOlderDocument, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    documentfile::Type(Engine(*doc, kPartBody), "+");
    const Bytes before = StreamOf(*doc, kPartBody);
    uint32_t type = row.type;
    EXPECT_EQ(Open(row.file, type), row.code);
    EXPECT_EQ(type, row.typeAfter);
    if (row.body == nullptr) {
      EXPECT_EQ(StreamOf(*doc, kPartBody), before);
    } else {
      VStrInHandle text;
      Engine(*doc, kPartBody).WritePlainText(text, false, false);
      EXPECT_EQ(files_test::Text(text), row.body);
    }
  }
  EXPECT_EQ(Names(), (std::set<std::string>{"any", "compound", "damaged", "empty", "folder",
                                            "notrtf", "rtf.doc"}));
}

// A file that does not open costs nothing: the document keeps its text, its
// unsaved changes and the own file it is saved into.
TEST_F(OpenSave, AFailedOpenKeepsTheDocumentItsChangesAndItsKeptFile) {
  std::string damaged = OwnBytes();
  damaged[4] = 7;  // a header length of 7
  damaged[5] = damaged[6] = damaged[7] = 0;
  files_test::WriteAll(P("damaged.qmv"), damaged);
  files_test::WriteAll(P("binary"), std::string(64, '\x01'));
  ASSERT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), File("kept.qmv", kTypeOwnDocument),
                               kTypeOwnDocument),
            0);
  documentfile::Type(Engine(*doc, kPartBody), " and more");
  doc->SetModified();
  const Bytes before = StreamOf(*doc, kPartBody);
  const char* files[] = {"damaged.qmv", "binary", "missing"};
  for (const char* name : files) {
    SCOPED_TRACE(name);
    uint32_t type = std::string(name) == "damaged.qmv" ? kTypeOwnDocument : 0;
    EXPECT_NE(Open(name, type), 0);
    EXPECT_EQ(StreamOf(*doc, kPartBody), before);
    EXPECT_TRUE(doc->IsModified());
    ASSERT_NE(area->GetKeptFile().Get(), nullptr);
    VStrInHandle path;
    area->GetKeptFile().Get()->GetFullPath(path);
    EXPECT_EQ(files_test::Text(path), P("kept.qmv"));
    EXPECT_TRUE(area->GetKeptFile().IsOwn());
  }
  // The kept file still takes the save.
  EXPECT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), 0);
  EXPECT_FALSE(doc->IsModified());
  EXPECT_NE(files_test::ReadAll(P("kept.qmv")).find(L("a\0n\0d\0 \0m\0o\0r\0e")),
            std::string::npos);
}

using files_test::WithFullDisk;

TEST_F(OpenSave, AFailedExportKeepsThePreviousFileAndLeavesNothingBehind) {
  files_test::WriteAll(P("target.rtf"), "previous contents");
  fs::create_directory(P("folder"));
  std::string longText(200000, 'x');
  documentfile::Type(Engine(*doc, kPartBody), longText);
  struct Row {
    const char* name;
    std::string path;
    uint32_t type;
    rlim_t room;  // the bytes a file may have before the disk is full
    fs::perms mode;  // of target.rtf, kept
  };
  const fs::perms ordinary = fs::status(P("target.rtf")).permissions();
  const Row rows[] = {
      {"no writer", "target.rtf", FourCC("DOC6"), RLIM_INFINITY, ordinary},
      {"full disk", "target.rtf", kTypeOwnDocument, 4096, ordinary},
      {"full disk, a private file", "target.rtf", kTypeRtfFile, 4, fs::perms(0600)},
      {"a read-only file", "target.rtf", kTypeOwnDocument, RLIM_INFINITY, fs::perms(0444)},
      {"a read-only file, RTF", "target.rtf", kTypeRtfFile, RLIM_INFINITY, fs::perms(0444)},
      {"a folder in the way", "folder", kTypeOwnDocument, RLIM_INFINITY, ordinary},
      {"a missing folder", "missing/target.rtf", kTypeOwnDocument, RLIM_INFINITY, ordinary},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::permissions(P("target.rtf"), row.mode);
    int32_t code = -1;
    auto run = [&] {
      code = ExportDocumentFile(*doc, area->GetKeptFile(), File(row.path), row.type);
    };
    if (row.room != RLIM_INFINITY)
      WithFullDisk(row.room, run);
    else
      run();
    EXPECT_EQ(code, kErrorExportFailed);
    EXPECT_EQ(files_test::ReadAll(P("target.rtf")), "previous contents");
    EXPECT_EQ(fs::status(P("target.rtf")).permissions(), row.mode);
    EXPECT_TRUE(fs::is_directory(P("folder")));
    EXPECT_EQ(Names(), (std::set<std::string>{"folder", "target.rtf"}));
    EXPECT_EQ(area->GetKeptFile().Get(), nullptr);
  }
}

TEST_F(OpenSave, AnExportReplacesTheFileWholeAndKeepsIt) {
  files_test::WriteAll(P("target.rtf"), "previous contents");
  EXPECT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(),
                               File("target.rtf", kTypeRtfFile, kOwnCreator), kTypeRtfFile),
            0);
  EXPECT_EQ(files_test::ReadAll(P("target.rtf")), "{\\rtf1 }");
  EXPECT_EQ(StoredFileType(*File("target.rtf")), kTypeRtfFile);
  EXPECT_EQ(Names(), (std::set<std::string>{"target.rtf"}));
  // A foreign file is kept, but the save command does not write it.
  ASSERT_NE(area->GetKeptFile().Get(), nullptr);
  EXPECT_FALSE(area->GetKeptFile().IsOwn());
  EXPECT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), kErrorExportFailed);

  doc->SetModified();
  EXPECT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), File("own.qmv"), kTypeOwnDocument), 0);
  EXPECT_TRUE(area->GetKeptFile().IsOwn());
  EXPECT_FALSE(doc->IsModified());
  xMorvaPlugIn* reader = NewOffscreenArea();
  EXPECT_EQ(documentfile::Read(*reader->GetDocument(), B(files_test::ReadAll(P("own.qmv")))), 0);
  EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
}

TEST_F(OpenSave, SavingWritesTheKeptFileInPlaceOrLeavesItWhole) {
  files_test::WriteAll(P("doc.qmv"), OwnBytes());
  SetType(P("doc.qmv"), "QMV7");
  uint32_t type = kTypeOwnDocument;
  ASSERT_EQ(Open("doc.qmv", type), 0);
  ASSERT_TRUE(area->GetKeptFile().IsOwn());
  const std::string before = files_test::ReadAll(P("doc.qmv"));

  documentfile::Type(Engine(*doc, kPartBody), std::string(200000, 'y'));
  doc->SetModified();
  int32_t code = -1;
  WithFullDisk(4096, [&] { code = SaveKeptFile(*doc, area->GetKeptFile()); });
  EXPECT_EQ(code, kErrorExportFailed);
  EXPECT_EQ(files_test::ReadAll(P("doc.qmv")), before);
  EXPECT_EQ(Names(), (std::set<std::string>{"doc.qmv"}));
  EXPECT_TRUE(area->GetKeptFile().IsOwn());
  EXPECT_TRUE(doc->IsModified());

  EXPECT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), 0);
  EXPECT_FALSE(doc->IsModified());
  // The saved file keeps the type record of the one it replaced.
  EXPECT_EQ(StoredFileType(*File("doc.qmv")), kTypeOwnDocument);
  EXPECT_EQ(Names(), (std::set<std::string>{"doc.qmv"}));
  xMorvaPlugIn* reader = NewOffscreenArea();
  EXPECT_EQ(documentfile::Read(*reader->GetDocument(), B(files_test::ReadAll(P("doc.qmv")))), 0);
  EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
}

// Another process, forked from this one: `first` runs in it, and this one
// goes on once it has; `then` runs in it at Finish, whose answer is its exit
// status (a small number).
class OtherProcess {
 public:
  OtherProcess(const std::function<void()>& first, const std::function<int()>& then) {
    if (pipe(toParent_) != 0 || pipe(toChild_) != 0) return;
    pid_ = fork();
    char c = 1;
    if (pid_ == 0) {
      first();
      if (write(toParent_[1], &c, 1) != 1 || read(toChild_[0], &c, 1) != 1) _exit(98);
      _exit(then());
    }
    if (pid_ < 0 || read(toParent_[0], &c, 1) != 1) pid_ = -1;
  }
  ~OtherProcess() {
    for (int fd : {toParent_[0], toParent_[1], toChild_[0], toChild_[1]}) close(fd);
  }
  bool Started() const { return pid_ > 0; }
  int Finish() {
    char c = 1;
    int status = 0;
    if (pid_ <= 0 || write(toChild_[1], &c, 1) != 1 || waitpid(pid_, &status, 0) != pid_) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  int toParent_[2] = {-1, -1};
  int toChild_[2] = {-1, -1};
  pid_t pid_ = -1;
};

// The exit status that tells a save's answer across processes.
int StatusOf(int32_t code) { return code == 0 ? 0 : code == kErrorExportFailed ? 12 : 99; }

TEST_F(OpenSave, AFileAnotherProcessHoldsIsNeitherSavedOverNorHeldTwice) {
  const std::string bytes = OwnBytes();
  for (const char* name : {"doc.qmv", "mine.qmv", "theirs.qmv"}) files_test::WriteAll(P(name), bytes);
  documentfile::Type(Engine(*doc, kPartBody), "this process's text");
  {
    // The other process holds the file as a kept document is held.
    VFile held(P("doc.qmv").c_str());
    OtherProcess other([&] { held.Open(3); }, [&] { return held.Close(true) == 0 ? 0 : 1; });
    ASSERT_TRUE(other.Started());
    uint32_t type = kTypeOwnDocument;
    EXPECT_EQ(Open("doc.qmv", type), 0);  // read: others may
    EXPECT_FALSE(area->GetKeptFile().IsOwn());
    doc->SetModified();
    EXPECT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), kErrorExportFailed);
    EXPECT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), File("doc.qmv"), kTypeOwnDocument),
              kErrorExportFailed);
    EXPECT_EQ(files_test::ReadAll(P("doc.qmv")), bytes);
    EXPECT_EQ(Names(), (std::set<std::string>{"doc.qmv", "mine.qmv", "theirs.qmv"}));
    EXPECT_EQ(other.Finish(), 0);
  }
  // Released by the other process, the file is saved and held here.
  EXPECT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), File("doc.qmv"), kTypeOwnDocument), 0);
  EXPECT_TRUE(area->GetKeptFile().IsOwn());
  {
    // Both hold a file and each saves over the other's: both are told.
    xMorvaPlugIn* theirs = NewOffscreenArea();
    xMorvaDocument* theirDoc = theirs->GetDocument();
    OtherProcess other(
        [&] {
          uint32_t t = kTypeOwnDocument;
          OpenDocumentFile(*theirDoc, theirs->GetKeptFile(), File("theirs.qmv"), t, nullptr);
        },
        [&] {
          if (!theirs->GetKeptFile().IsOwn()) return 98;
          return StatusOf(ExportDocumentFile(*theirDoc, theirs->GetKeptFile(), File("mine.qmv"),
                                             kTypeOwnDocument));
        });
    ASSERT_TRUE(other.Started());
    // Held here after the fork: the other process knows nothing of it but
    // what the file system tells.
    uint32_t type = kTypeOwnDocument;
    ASSERT_EQ(Open("mine.qmv", type), 0);
    ASSERT_TRUE(area->GetKeptFile().IsOwn());
    xMorvaPlugIn* second = NewOffscreenArea();
    EXPECT_EQ(ExportDocumentFile(*second->GetDocument(), second->GetKeptFile(), File("theirs.qmv"),
                                 kTypeOwnDocument),
              kErrorExportFailed);
    EXPECT_EQ(other.Finish(), 12);
    // Each file is one whole document: the one it held.
    EXPECT_EQ(files_test::ReadAll(P("theirs.qmv")), bytes);
    EXPECT_EQ(files_test::ReadAll(P("mine.qmv")), bytes);
    EXPECT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), 0);
    xMorvaPlugIn* reader = NewOffscreenArea();
    EXPECT_EQ(documentfile::Read(*reader->GetDocument(), B(files_test::ReadAll(P("mine.qmv")))), 0);
    EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
  }
}

TEST_F(OpenSave, ASaveThroughALinkWritesTheFileItLeadsToAndKeepsTheLink) {
  struct Row {
    const char* name;
    std::vector<std::pair<std::string, std::string>> links;  // name, what it leads to
    std::string target;
    bool exists;
    int32_t code = 0;  // of the export
  };
  const Row rows[] = {
      {"a link", {{"link.qmv", "real.qmv"}}, "real.qmv", true},
      {"a link to a link", {{"link.qmv", "mid.qmv"}, {"mid.qmv", "sub/real.qmv"}}, "sub/real.qmv", true},
      {"a link to a missing file", {{"link.qmv", P("sub/new.qmv")}}, "sub/new.qmv", false},
      // The target's name is no name the user typed: it stays as it is.
      {"a link to a file without extension", {{"link.qmv", "sub/target"}}, "sub/target", true},
      {"a link to an RTF file", {{"link.qmv", "sub/t.rtf"}}, "sub/t.rtf", true},
      {"a link to a folder", {{"link.qmv", "sub"}}, "sub", false, kErrorExportFailed},
  };
  // The module's file type map: an own document named by its type is
  // stored as ".QMV".
  files_test::ScopedTypeMap map;
  map.Row("QMV7", "QMV ");
  const mode_t mask = umask(022);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    area->GetKeptFile().Keep(nullptr, false);
    for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
    fs::create_directory(P("sub"));
    if (row.exists) {
      files_test::WriteAll(P(row.target), "previous");
      chmod(P(row.target).c_str(), 0640);
    }
    for (const auto& [name, to] : row.links) fs::create_symlink(to, P(name));
    doc->SetModified();
    ASSERT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), File("link.qmv"), kTypeOwnDocument), row.code);
    if (row.code != 0) {
      EXPECT_EQ(Names(), (std::set<std::string>{"link.qmv", "sub"}));
      continue;
    }
    documentfile::Type(Engine(*doc, kPartBody), " and more");
    doc->SetModified();
    ASSERT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), 0);
    for (const auto& link : row.links) EXPECT_TRUE(fs::is_symlink(P(link.first))) << link.first;
    xMorvaPlugIn* reader = NewOffscreenArea();
    EXPECT_EQ(documentfile::Read(*reader->GetDocument(), B(files_test::ReadAll(P(row.target)))), 0);
    EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
    struct stat st {};
    EXPECT_EQ(stat(P(row.target).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, row.exists ? 0640u : 0644u);
    // Nothing left beside the file.
    size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(P("sub"))) ++entries;
    EXPECT_EQ(entries, row.target.rfind("sub/", 0) == 0 ? 1u : 0u);
  }
  umask(mask);
}

TEST_F(OpenSave, CopiesLeftByKilledSavesNeitherBlockASaveNorStay) {
  for (const int left : {100, 1000}) {
    SCOPED_TRACE(left);
    area->GetKeptFile().Keep(nullptr, false);
    for (const auto& entry : fs::directory_iterator(dir)) fs::remove_all(entry.path());
    files_test::WriteAll(P("doc.qmv"), "previous");
    // As counted names and as unique ones, and another document's.
    for (int i = 1; i <= left; ++i) files_test::WriteAll(P(".doc.qmv.~qvnew" + std::to_string(i)), "x");
    files_test::WriteAll(P(".doc.qmv.~qvnewAb3xZ9"), "x");
    files_test::WriteAll(P(".other.qmv.~qvnew1"), "x");
    doc->SetModified();
    EXPECT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), File("doc.qmv"), kTypeOwnDocument), 0);
    EXPECT_EQ(Names(), (std::set<std::string>{"doc.qmv", ".other.qmv.~qvnew1"}));
    for (int i = 1; i <= left; ++i) files_test::WriteAll(P(".doc.qmv.~qvnew" + std::to_string(i)), "x");
    EXPECT_EQ(SaveKeptFile(*doc, area->GetKeptFile()), 0);
    EXPECT_EQ(Names(), (std::set<std::string>{"doc.qmv", ".other.qmv.~qvnew1"}));
  }
}

// Another process's save first removes the copies that no process holds:
// it never takes the copy of a save in progress, from the moment it is made
// to the moment it is in place.
TEST_F(OpenSave, AnotherProcesssSaveNeverRemovesTheCopyOfASaveInProgress) {
  files_test::WriteAll(P("doc.qmv"), OwnBytes());
  int stop[2];
  ASSERT_EQ(pipe(stop), 0);
  const pid_t remover = fork();
  ASSERT_GE(remover, 0);
  if (remover == 0) {
    close(stop[1]);
    fcntl(stop[0], F_SETFL, O_NONBLOCK);
    char c;
    while (read(stop[0], &c, 1) < 0) DeleteUnheldFilesA(dir.c_str(), ".doc.qmv.~qvnew");
    _exit(0);
  }
  close(stop[0]);
  // Held after the fork: the other process knows nothing of it.
  uint32_t type = kTypeOwnDocument;
  ASSERT_EQ(Open("doc.qmv", type), 0);
  int failed = 0;
  for (int save = 0; save < 100; ++save) {
    documentfile::Type(Engine(*doc, kPartBody), "x");
    doc->SetModified();
    if (SaveKeptFile(*doc, area->GetKeptFile()) != 0) ++failed;
  }
  close(stop[1]);
  waitpid(remover, nullptr, 0);
  EXPECT_EQ(failed, 0);
  xMorvaPlugIn* reader = NewOffscreenArea();
  EXPECT_EQ(documentfile::Read(*reader->GetDocument(), B(files_test::ReadAll(P("doc.qmv")))), 0);
  EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
}

// The save over a 0640 file that the next test traces in a process of its own.
TEST_F(OpenSave, TracedSaveOverAGroupFile) {
  const char* folder = std::getenv("QV_TRACED_SAVE_FOLDER");
  if (folder == nullptr) GTEST_SKIP() << "run by TheCopyTakesItsProtectionBeforeItsFlush";
  const std::string path = std::string(folder) + "/doc.qmv";
  files_test::WriteAll(path, "previous");
  chmod(path.c_str(), 0640);
  EXPECT_EQ(ExportDocumentFile(*doc, area->GetKeptFile(), std::make_unique<VFile>(path.c_str()),
                               kTypeOwnDocument),
            0);
}

// The system calls of that save, in order: the copy's descriptor is given its
// mode (fchmod) before its data are flushed (fsync).
TEST_F(OpenSave, TheCopyTakesItsProtectionBeforeItsFlush) {
  if (system("strace -V > /dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  const std::string trace = P("trace.txt");
  // The leak checker cannot run under a tracer.
  const std::string command = "ASAN_OPTIONS=detect_leaks=0 QV_TRACED_SAVE_FOLDER=" + dir +
                              " strace -f -qq -e trace=openat,fchmod,fchown,fsync -o " + trace +
                              " /proc/" + std::to_string(getpid()) +
                              "/exe --gtest_filter=OpenSave.TracedSaveOverAGroupFile > /dev/null 2>&1";
  ASSERT_EQ(system(command.c_str()), 0);
  std::ifstream in(trace);
  std::string line, fd;
  std::vector<std::string> events;  // of the copy's descriptor
  while (std::getline(in, line)) {
    const size_t call = line.find_first_not_of("0123456789 ");
    if (call == std::string::npos) continue;
    line = line.substr(call);
    if (line.rfind("openat(", 0) == 0 && line.find(".doc.qmv.~qvnew") != std::string::npos &&
        line.find("O_CREAT") != std::string::npos) {
      fd = line.substr(line.rfind("= ") + 2);
    } else if (line.rfind("openat(", 0) == 0 && !fd.empty() &&
               line.substr(line.rfind("= ") + 2) == fd) {
      break;  // the number now names another file
    } else if (!fd.empty() && (line.rfind("fchmod(" + fd + ",", 0) == 0 ||
                               line.rfind("fchown(" + fd + ",", 0) == 0 ||
                               line.rfind("fsync(" + fd + ")", 0) == 0)) {
      events.push_back(line.substr(0, line.find(')') + 1));
    }
  }
  ASSERT_FALSE(fd.empty());
  EXPECT_EQ(events, (std::vector<std::string>{"fchmod(" + fd + ", 0640)", "fsync(" + fd + ")"}));
  struct stat st {};
  EXPECT_EQ(stat(P("doc.qmv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
}

using areatest::HostText;

TEST_F(OpenSave, CommandsOpenAndSaveByPathAndType) {
  HostText path(P("cmd.rtf"));
  PString type("RTF ");
  Run(50, area->GetReference(), {&path.record, type.bytes});
  EXPECT_EQ(LastError(area->GetReference()), 0);
  EXPECT_EQ(files_test::ReadAll(P("cmd.rtf")), "{\\rtf1 }");

  xMorvaPlugIn* reader = NewOffscreenArea();
  PString found;
  Run(48, reader->GetReference(), {&path.record, found.bytes});
  EXPECT_EQ(LastError(reader->GetReference()), 0);
  EXPECT_EQ(found.Text(), "RTF ");
  EXPECT_EQ(sRtfReads, 1);

  HostText missing(P("nothing.rtf"));
  PString none;
  Run(48, reader->GetReference(), {&missing.record, none.bytes});
  EXPECT_EQ(LastError(reader->GetReference()), kErrorNoSuchFile);
  PString unknown("DOC6");
  Run(50, reader->GetReference(), {&missing.record, unknown.bytes});
  EXPECT_EQ(LastError(reader->GetReference()), kErrorExportFailed);
  EXPECT_FALSE(fs::exists(P("nothing.rtf")));

  // The name given is the name written: an extension of the type (in any
  // letter case, or of a type of the same kind) stays; any other name gets
  // the type's extension added, and the host hears the path written.
  files_test::ScopedTypeMap map;
  map.Row("QMV7", "QMV ")
      .Row("RTF ", "RTF ", "RTF ")
      .Row("RTFX", "RTX ", "RTF ")
      .Row("TEXT", "TXT ");
  // A file saved over keeps its permission; a new one has the ordinary one.
  const mode_t mask = umask(0);
  umask(mask);
  const auto ordinary = fs::perms(0666 & ~mask);
  struct Row {
    const char* given;
    const char* type;
    const char* written;
    bool told;  // p1 comes back with the path written
    fs::perms before = fs::perms::unknown;  // of a file there before
  };
  const Row rows[] = {
      {"a.qmv", "", "a.qmv", false},     {"b.QMV", "QMV7", "b.QMV", false},
      {"c.Qmv", "", "c.Qmv", false},     {"d", "", "d.QMV", true},
      {"e.txt", "", "e.txt.QMV", true},  {"f.backup", "", "f.backup.QMV", true},
      {"g.rtf", "RTF ", "g.rtf", false}, {"h.2026", "RTF ", "h.2026.RTF", true},
      {"i.Rtf", "RTF ", "i.Rtf", false}, {"j.qmv", "RTF ", "j.qmv.RTF", true},
      {"k.rtx", "RTF ", "k.rtx", false}, {"l.qmv", "", "l.qmv", false, fs::perms(0600)},
      {"m.rtf", "RTF ", "m.rtf", false, fs::perms(0640)},
      // Dots before the extension change nothing of it.
      {"Report v1.2.rtf", "RTF ", "Report v1.2.rtf", false}, {"x.u.Rtf", "RTF ", "x.u.Rtf", false},
      {"w.v.qmv", "", "w.v.qmv", false}, {"minutes.2026-12-11.qmv", "", "minutes.2026-12-11.qmv", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.given);
    if (row.before != fs::perms::unknown) {
      files_test::WriteAll(P(row.written), "before");
      fs::permissions(P(row.written), row.before);
    }
    HostText given(P(row.given));
    PString asked(row.type);
    Run(50, reader->GetReference(), {&given.record, asked.bytes});
    EXPECT_EQ(LastError(reader->GetReference()), 0);
    EXPECT_TRUE(fs::exists(P(row.written)));
    EXPECT_NE(files_test::ReadAll(P(row.written)), "before");
    EXPECT_EQ(fs::status(P(row.written)).permissions(),
              row.before != fs::perms::unknown ? row.before : ordinary);
    EXPECT_EQ(given.Text(), row.told ? P(row.written) : P(row.given));
    if (std::string(row.given) != row.written) {
      EXPECT_FALSE(fs::exists(P(row.given)));
    }
  }

  // A folder that cannot be written into: the code, and no file anywhere.
  for (const char* kind : {"", "RTF ", "ASCU"}) {
    HostText nowhere(P("no-such-folder/out.qmv"));
    PString asked(kind);
    Run(50, reader->GetReference(), {&nowhere.record, asked.bytes});
    EXPECT_EQ(LastError(reader->GetReference()), kErrorExportFailed) << kind;
    EXPECT_FALSE(fs::exists(P("no-such-folder"))) << kind;
  }
}

}  // namespace

namespace {

TEST_F(OpenSave, TheAreaTemplateIsSavedBesideTheDatabaseAndLoadedIntoNewAreas) {
  const std::string database = P("base.4DB");
  auto previous = host.answer;
  host.answer = [previous, database](int32_t selector, HostParamBlock& block) {
    if (previous) previous(selector, block);
    if (selector == kHostSelDocumentText411) {
      block.text[0] = uint8_t(database.size());
      std::memcpy(block.text + 1, database.data(), database.size());
    }
  };
  xMorvaPlugIn* source = NewFormArea();
  documentfile::Type(Engine(*source->GetDocument(), kPartBody), "template text");
  EXPECT_TRUE(source->SaveTemplate());
  EXPECT_EQ(Names(), (std::set<std::string>{"_"}));
  // Saved again: the user is asked first, and a no keeps the template.
  const std::string first = files_test::ReadAll(P("_"));
  documentfile::Type(Engine(*source->GetDocument(), kPartBody), " kept");
  const size_t asked = host.calls.size();
  for (const bool yes : {false, true}) {
    confirm = yes;
    EXPECT_EQ(source->SaveTemplate(), yes);
    EXPECT_EQ(files_test::ReadAll(P("_")) == first, !yes);
  }
  const auto question = std::count_if(host.calls.begin() + long(asked), host.calls.end(),
                                      [](const auto& call) { return call.selector == kHostSelConfirm; });
  EXPECT_EQ(question, 2);
  EXPECT_EQ(Names(), (std::set<std::string>{"_"}));

  xMorvaPlugIn* target = NewFormArea();
  auto* manager = static_cast<xMorvaDocMgr*>(target->GetDocMgr());
  manager->LoadFromField(target);
  EXPECT_EQ(manager->GetLastLoadCode(), 0);
  EXPECT_EQ(StreamOf(*target->GetDocument(), kPartBody),
            StreamOf(*source->GetDocument(), kPartBody));
  EXPECT_FALSE(target->GetDocument()->IsModified());

  // A damaged template leaves the new area's document reset.
  files_test::WriteAll(P("_"), std::string("\0\0\x8E\x8F\x07\0\0\0", 8));
  xMorvaPlugIn* other = NewFormArea();
  auto* otherManager = static_cast<xMorvaDocMgr*>(other->GetDocMgr());
  otherManager->LoadFromField(other);
  EXPECT_EQ(otherManager->GetLastLoadCode(), 1015);
  EXPECT_EQ(other->GetDocument()->GetPart(kPartBody)->GetLength(), 0);
}

}  // namespace

namespace {

// The user's answers to the file dialogs: the path and, for the save
// dialog, the file type its chosen filter gives.
std::string sChosenPath;
uint32_t sChosenType = 0;
const VFileDialogRunners kChooser = {
    [](VGetFileDialog&) -> VFile* {
      return sChosenPath.empty() ? nullptr : new VFile(sChosenPath.c_str());
    },
    [](const VFile*, VPutFileDialog&) -> VFile* {
      return sChosenPath.empty() ? nullptr : new VFile(sChosenPath.c_str(), sChosenType, 0);
    },
    [](const VString&) -> VFolder* { return nullptr; },
};

TEST_F(OpenSave, TheAreasOpenSaveAndSaveAsCommandsGoThroughTheDialogs) {
  VInstalledService<const VFileDialogRunners> chooser(&kChooser);
  // Save as RTF: the file is kept but is no place to save to, so the save
  // command asks again.
  sChosenPath = P("first.rtf");
  sChosenType = kTypeRtfFile;
  area->RunCommand(104);
  EXPECT_EQ(files_test::ReadAll(P("first.rtf")), "{\\rtf1 }");
  sChosenPath = P("own.qmv");
  sChosenType = kTypeOwnDocument;
  area->RunCommand(103);
  ASSERT_TRUE(fs::exists(P("own.qmv")));
  EXPECT_TRUE(area->GetKeptFile().IsOwn());
  // Now the save command writes the kept file without asking.
  documentfile::Type(Engine(*doc, kPartBody), " more");
  sChosenPath.clear();
  // A BLOB the area refuses leaves its document, and each save writes the
  // document shown, the second after more typing as well.
  HostText noDocument("\x01\x02\x03"), typed(" more");
  uint32_t blob = noDocument.Handle();
  Run(49, area->GetReference(), {&blob});
  EXPECT_EQ(LastError(area->GetReference()), 1032);
  xMorvaPlugIn* reader = NewOffscreenArea();
  for (int save = 0; save < 2; ++save) {
    if (save == 1) Run(19, area->GetReference(), {&typed.record});
    EXPECT_EQ(area->SaveDocumentFile(), 0) << save;
    EXPECT_EQ(documentfile::Read(*reader->GetDocument(), B(files_test::ReadAll(P("own.qmv")))), 0);
    EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody)) << save;
  }
  // Open: the chosen file replaces the document.
  sChosenPath = P("first.rtf");
  reader->RunCommand(102);
  VStrInHandle text;
  Engine(*reader->GetDocument(), kPartBody).WritePlainText(text, false, false);
  EXPECT_EQ(files_test::Text(text), "rtf");
  EXPECT_FALSE(reader->GetKeptFile().IsOwn());
  EXPECT_EQ(Names(), (std::set<std::string>{"first.rtf", "own.qmv"}));

  // Plain text that cannot carry the document's characters asks first,
  // here through the host's confirmation: no saves nothing, yes saves
  // Unicode text.
  static constexpr xMorvaFileFormat kLosingText[] = {
      {kTypeTextWindows, nullptr, [](xMorvaDocument&, VStream& s, uint32_t, bool) { return s.PutData("w", 1) == 0; },
       [](xMorvaDocument&, uint32_t) { return false; }},
      {kTypeTextUnicode, nullptr, [](xMorvaDocument&, VStream& s, uint32_t, bool) { return s.PutData("u", 1) == 0; }}};
  xMorvaFileFormats::Register(kLosingText, 2);
  sChosenPath = P("letters.txt");
  sChosenType = kTypeMacText;
  for (const bool yes : {false, true}) {
    confirm = yes;
    EXPECT_EQ(area->SaveDocumentFileAs(), yes ? 0 : 1092);
    EXPECT_EQ(fs::exists(P("letters.txt")) ? files_test::ReadAll(P("letters.txt")) : "-", yes ? "u" : "-");
  }
  xMorvaFileFormats::Unregister(kLosingText);
}

// The module's text tables, which read the host's texts, while it lives.
struct TextTables {
  TextTables() : own(gIntlMgr == nullptr) {
    if (own) StartIntl();
  }
  ~TextTables() {
    if (!own) return;
    delete gIntlMgr;
    gIntlMgr = nullptr;
  }
  const bool own;
};

// A name with accents is the name on disk, in UTF-8, whichever road it came
// by: the chooser's path (UTF-8, as the platform gives it) or the host's
// text (the Macintosh set), saved over again and opened by the same name.
TEST_F(OpenSave, ANameWithAccentsIsWrittenAndOpenedAsTyped) {
  TextTables tables;
  ASSERT_NE(gIntlMgr, nullptr);
  const std::string onDisk = "Devis f\xC3\xBCr Zo\xC3\xAB n\xC2\xB0 7.qmv";
  const std::string fromHost = P("Devis f\x9Fr Zo\x91 n\xA1 7.qmv");
  VInstalledService<const VFileDialogRunners> chooser(&kChooser);
  sChosenPath = P(onDisk);
  sChosenType = kTypeOwnDocument;
  xMorvaPlugIn* reader = NewOffscreenArea();
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    documentfile::Type(Engine(*doc, kPartBody), " more");
    area->RunCommand(104);
    EXPECT_EQ(Names(), std::set<std::string>{onDisk});
    reader->RunCommand(102);
    EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
    // The save command writes the kept file again, in its place.
    documentfile::Type(Engine(*doc, kPartBody), " again");
    area->RunCommand(103);
    EXPECT_EQ(Names(), std::set<std::string>{onDisk});

    HostText path(fromHost);
    PString own("QMV7");
    Run(50, area->GetReference(), {&path.record, own.bytes});
    EXPECT_EQ(LastError(area->GetReference()), 0);
    EXPECT_EQ(Names(), std::set<std::string>{onDisk});
    PString found;
    Run(48, reader->GetReference(), {&path.record, found.bytes});
    EXPECT_EQ(LastError(reader->GetReference()), 0);
    EXPECT_EQ(found.Text(), "QMV7");
    EXPECT_EQ(StreamOf(*reader->GetDocument(), kPartBody), StreamOf(*doc, kPartBody));
  }
  sChosenPath.clear();
}

}  // namespace

namespace {

TEST_F(OpenSave, TheTemplateGoesToTheHostsNamedDataWhenTheDocumentSaysSo) {
  host.flagWord272 = 1u << 26;  // the host keeps the templates
  HostStartupRecord record{};
  record.callback = &hosttest::RecordingHost::Entry;
  VHostContext* saved = gHostContext;
  gHostContext = new VHostContext(&record);
  std::map<std::string, std::string> named;
  auto previous = host.answer;
  host.answer = [&named, previous](int32_t selector, HostParamBlock& block) {
    if (previous) previous(selector, block);
    const std::string name(reinterpret_cast<const char*>(block.text + 1), block.text[0]);
    if (selector == kHostSelWriteNamedData) {
      named[name] = std::string(HostPointer<const char>(block.handle), HostWordOf(block.param1));
      block.error = 0;
    } else if (selector == kHostSelNameExists) {
      block.param1 = HostWord(int32_t(named.count(name)));
    } else if (selector == kHostSelReadNamedData && named.count(name) != 0) {
      const std::string& bytes = named[name];
      const uint32_t handle = Tbx::NewHandle(int32_t(bytes.size()));
      std::memcpy(Tbx::HLock(handle), bytes.data(), bytes.size());
      Tbx::HUnlock(handle);
      block.handle = handle;
      block.error = 0;
    }
  };
  xMorvaPlugIn* source = NewFormArea();
  source->GetDocument()->SetAreaSetting(10, 1, nullptr);
  documentfile::Type(Engine(*source->GetDocument(), kPartBody), "kept by the host");
  EXPECT_TRUE(source->SaveTemplate());
  ASSERT_EQ(named.count("_"), 1u);
  EXPECT_EQ(documentfile::WithoutStamp(B(named["_"])),
            documentfile::WithoutStamp(documentfile::Write(*source->GetDocument())));

  xMorvaPlugIn* target = NewFormArea();
  target->GetDocument()->SetAreaSetting(11, 1, nullptr);
  auto* manager = static_cast<xMorvaDocMgr*>(target->GetDocMgr());
  manager->LoadFromField(target);
  EXPECT_EQ(manager->GetLastLoadCode(), 0);
  EXPECT_EQ(StreamOf(*target->GetDocument(), kPartBody),
            StreamOf(*source->GetDocument(), kPartBody));
  EXPECT_EQ(Names(), std::set<std::string>{});
  delete gHostContext;
  gHostContext = saved;
}

}  // namespace

namespace {

// A template with nowhere to go, or a folder that cannot be written, shows
// the alert a failed save shows and answers false; none is left behind.
TEST_F(OpenSave, ATemplateThatCannotBeWrittenSaysSoAsASaveDoes) {
  VInstalledService<const VFileDialogRunners> chooser(&kChooser);
  xMorvaDocumentAreaServices alerts(package.get());
  VInstalledService<xMorvaAreaServices> shown(&alerts);
  sChosenPath = P("no-such-folder/letter.qmv");
  sChosenType = kTypeOwnDocument;
  area->RunCommand(104);
  sChosenPath.clear();
  ASSERT_EQ(host.Messages().size(), 1u);
  const std::string saveAlert = host.Messages().back();

  struct Row {
    const char* why;
    std::string database;  // the host's document path (-411 and -427)
    bool hostKeepsTemplates;
    bool hostStores;       // the document asks the host to store it
    std::string alert;     // empty: the save's own alert
  };
  const Row rows[] = {
      {"the host gives no folder", "", false, false, ""},
      {"a folder that is not there", P("no-such-folder/base.4DB"), false, false, ""},
      {"the host keeps the templates but gives no folder", "", true, false, ""},
      {"the host refuses to store it", "", true, true, "Qvbase did not keep the template."},
  };
  auto previous = host.answer;
  VHostContext* saved = gHostContext;
  HostStartupRecord record{};
  record.callback = &hosttest::RecordingHost::Entry;
  std::unique_ptr<VHostContext> context;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.why);
    const std::string database = row.database;
    host.answer = [previous, database](int32_t selector, HostParamBlock& block) {
      if (previous) previous(selector, block);
      if (selector == kHostSelDocumentText411 || selector == -427) {
        block.text[0] = uint8_t(database.size());
        std::memcpy(block.text + 1, database.data(), database.size());
      }
      if (selector == kHostSelWriteNamedData) block.error = -1;
    };
    // The host's start-up answer, read once, says it keeps the templates
    // for the last rows.
    if (row.hostKeepsTemplates && !context) {
      host.flagWord272 = 1u << 26;
      context = std::make_unique<VHostContext>(&record);
      gHostContext = context.get();
    }
    xMorvaPlugIn* source = NewFormArea();
    source->GetDocument()->SetAreaSetting(10, row.hostStores ? 1 : 0, nullptr);
    documentfile::Type(Engine(*source->GetDocument(), kPartBody), "template text");
    const size_t before = host.Messages().size();
    EXPECT_FALSE(source->SaveTemplate());
    ASSERT_EQ(host.Messages().size(), before + 1);
    EXPECT_EQ(host.Messages().back(), row.alert.empty() ? saveAlert : row.alert);
    EXPECT_EQ(Names(), std::set<std::string>{});
  }
  gHostContext = saved;
  context.reset();
  host.answer = previous;
}

}  // namespace
