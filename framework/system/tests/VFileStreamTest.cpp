// The file stream: stored bytes in both byte orders, the buffer's read-ahead
// and write-behind, short reads, sizes and positions, searches, a second
// stream on a file being written, the codes of wrong use, short memory,
// files and writes beyond 32 bits, and a stream deleted unclosed.
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "framework/core/tests/FailingMemoryMgr.h"
#include "framework/system/files/VFileStream.h"
#include "framework/system/tests/FilesTestSupport.h"

namespace {

using namespace files_test;

// Refuses every memory block larger than a limit.
class BlockLimitMgr : public FailingMemoryMgr {
 public:
  BlockLimitMgr(VMemoryMgr* real, uint32_t limit) : FailingMemoryMgr(real), fLimit(limit) {}
  void* NewBlock(uint32_t size) override {
    ++asks;
    return size > fLimit ? nullptr : FailingMemoryMgr::NewBlock(size);
  }
  int asks = 0;

 private:
  uint32_t fLimit;
};

class ScopedBlockLimit {
 public:
  explicit ScopedBlockLimit(uint32_t limit) : fSaved(gMemoryMgr), fMgr(gMemoryMgr, limit) {
    gMemoryMgr = &fMgr;
  }
  ~ScopedBlockLimit() { gMemoryMgr = fSaved; }
  BlockLimitMgr& Mgr() { return fMgr; }

 private:
  VMemoryMgr* fSaved;
  BlockLimitMgr fMgr;
};

std::string Bytes(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(i * 7 + 3);
  return s;
}

class FileStream : public ScratchFolder {
 protected:
  std::string Existing(const std::string& name, const std::string& bytes) {
    const std::string path = P(name);
    WriteAll(path, bytes);
    return path;
  }
};

TEST_F(FileStream, BigEndianValuesAreStoredInTheirLayout) {
  const std::string path = Existing("values", "");
  VFile file(path.c_str());
  {
    VFileStream stream(&file, false);
    ASSERT_EQ(stream.OpenWrite(), 0);
    stream.SetByteOrders(kByteOrderMacintosh, kByteOrderSetThisMachine);
    stream.PutLong(0x01020304);
    stream.PutWord(0x0506);
    stream.PutByte(0x07);
    stream.PutBytes("xyz", 3);
    EXPECT_EQ(stream.GetSize(), 10u);
    EXPECT_EQ(stream.CloseWrite(1), 0);
  }
  EXPECT_EQ(ReadAll(path), std::string("\x01\x02\x03\x04\x05\x06\x07xyz", 10));
  EXPECT_EQ(file.GetState(), kItemPresent);

  VFileStream in(&file, false);
  ASSERT_EQ(in.OpenRead(), 0);
  in.SetByteOrders(kByteOrderMacintosh, kByteOrderSetThisMachine);
  EXPECT_EQ(in.GetLong(), 0x01020304);
  EXPECT_EQ(in.GetWord(), 0x0506);
  EXPECT_EQ(in.GetByte(), 0x07);
  char rest[3];
  uint32_t n = 3;
  EXPECT_EQ(in.GetData(rest, n), 0);
  EXPECT_EQ(std::string(rest, 3), "xyz");
  EXPECT_EQ(in.GetByte(), 0);
  EXPECT_EQ(in.GetStatus(), kStreamEndOfData);
  EXPECT_EQ(in.CloseRead(), 0);
  EXPECT_EQ(file.GetState(), kItemPresent);
}

TEST_F(FileStream, LittleEndianOrderWritesTheMachinesBytes) {
  VFile file(Existing("little", "").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  stream.SetByteOrders(kByteOrderLittle, kByteOrderLittle);
  stream.PutLong(0x01020304);
  EXPECT_EQ(stream.CloseWrite(1), 0);
  EXPECT_EQ(ReadAll(P("little")), std::string("\x04\x03\x02\x01", 4));
}

TEST_F(FileStream, AShortReadAtTheEndGivesWhatIsThereAndStatus200) {
  VFile file(Existing("hundred", Bytes(100)).c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenRead(), 0);
  // The buffer shrinks to the file.
  EXPECT_EQ(stream.GetBufferSize(), 100u);
  ASSERT_EQ(stream.SetPosition(95), 0);
  char out[10];
  uint32_t n = 10;
  EXPECT_EQ(stream.ReadBytes(out, n), kStreamEndOfData);
  EXPECT_EQ(n, 5u);
  EXPECT_EQ(std::string(out, 5), Bytes(100).substr(95));
  EXPECT_EQ(stream.GetPosition(), 100u);
  // Further transfers are stopped by the status.
  n = 1;
  EXPECT_EQ(stream.ReadBytes(out, n), kStreamEndOfData);
  EXPECT_EQ(n, 0u);
}

TEST_F(FileStream, ReadsComeFromTheBufferOnceFilled) {
  const std::string data = Bytes(300);
  VFile file(Existing("buffered", data).c_str());
  VFileStream stream(&file, false);
  stream.SetBufferSize(64);
  ASSERT_EQ(stream.OpenRead(), 0);
  char a[10];
  uint32_t n = 10;
  ASSERT_EQ(stream.ReadBytes(a, n), 0);
  // The file changes on disk; the buffer still answers for its 64 bytes.
  WriteAll(P("buffered"), std::string(300, 'Z'));
  n = 10;
  ASSERT_EQ(stream.ReadBytes(a, n), 0);
  EXPECT_EQ(std::string(a, 10), data.substr(10, 10));
  // Past the buffer, a new fill reads the file.
  ASSERT_EQ(stream.SetPosition(100), 0);
  n = 10;
  ASSERT_EQ(stream.ReadBytes(a, n), 0);
  EXPECT_EQ(std::string(a, 10), std::string(10, 'Z'));
}

TEST_F(FileStream, AReadLargerThanTheBufferGoesStraightToTheFile) {
  const std::string data = Bytes(500);
  VFile file(Existing("large", data).c_str());
  VFileStream stream(&file, false);
  stream.SetBufferSize(32);
  ASSERT_EQ(stream.OpenRead(), 0);
  std::string out(200, '\0');
  uint32_t n = 200;
  ASSERT_EQ(stream.ReadBytes(out.data(), n), 0);
  EXPECT_EQ(out, data.substr(0, 200));
  EXPECT_EQ(stream.GetPosition(), 200u);
  // A direct read that comes up short reports 200 and keeps the position.
  ASSERT_EQ(stream.SetPosition(450), 0);
  n = 100;
  EXPECT_EQ(stream.ReadBytes(out.data(), n), kStreamEndOfData);
  EXPECT_EQ(n, 50u);
  EXPECT_EQ(out.substr(0, 50), data.substr(450));
  EXPECT_EQ(stream.GetPosition(), 450u);
}

TEST_F(FileStream, AWriteLargerThanTheBufferGoesStraightToTheFile) {
  VFile file(Existing("direct", "").c_str());
  VFileStream stream(&file, false);
  stream.SetBufferSize(16);
  ASSERT_EQ(stream.OpenWrite(), 0);
  const std::string data = Bytes(100);
  ASSERT_EQ(stream.WriteBytes(data.data(), 100), 0);
  // Already on disk: nothing of it waits in the buffer.
  EXPECT_EQ(ReadAll(P("direct")), data);
  ASSERT_EQ(stream.WriteBytes("abc", 3), 0);
  EXPECT_EQ(ReadAll(P("direct")).size(), 100u);
  EXPECT_EQ(stream.GetSize(), 103u);
  EXPECT_EQ(stream.CloseWrite(0), 0);
  EXPECT_EQ(ReadAll(P("direct")), data + "abc");
}

TEST_F(FileStream, SmallWritesWaitInTheBufferUntilFlushed) {
  VFile file(Existing("behind", "").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  ASSERT_EQ(stream.WriteBytes("hello", 5), 0);
  EXPECT_EQ(ReadAll(P("behind")), "");
  // The file answers the stream's size.
  EXPECT_EQ(file.GetSize(), 5);
  EXPECT_EQ(stream.Flush(), 0);
  EXPECT_EQ(ReadAll(P("behind")), "hello");
  EXPECT_EQ(stream.CloseWrite(1), 0);
}

TEST_F(FileStream, RewritingInsideTheBufferChangesOnlyThoseBytes) {
  VFile file(Existing("rewrite", "").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  stream.WriteBytes("abcdefgh", 8);
  ASSERT_EQ(stream.SetPosition(2), 0);
  stream.WriteBytes("XY", 2);
  EXPECT_EQ(stream.GetSize(), 8u);
  EXPECT_EQ(stream.GetPosition(), 4u);
  EXPECT_EQ(stream.CloseWrite(1), 0);
  EXPECT_EQ(ReadAll(P("rewrite")), "abXYefgh");
}

TEST_F(FileStream, WritingIntoAnExistingFileKeepsItsTailUnlessTruncated) {
  VFile file(Existing("tail", "0123456789").c_str());
  {
    VFileStream stream(&file, false);
    ASSERT_EQ(stream.OpenWrite(), 0);
    EXPECT_EQ(stream.GetSize(), 10u);
    stream.WriteBytes("ab", 2);
    EXPECT_EQ(stream.CloseWrite(1), 0);
  }
  EXPECT_EQ(ReadAll(P("tail")), "ab23456789");
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  ASSERT_EQ(stream.SetSize(4), 0);
  EXPECT_EQ(stream.CloseWrite(1), 0);
  EXPECT_EQ(ReadAll(P("tail")), "ab23");
}

TEST_F(FileStream, SetSizeCutsTheBufferedBytesPastTheEnd) {
  VFile file(Existing("cut", "").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  stream.WriteBytes("abcdefgh", 8);
  ASSERT_EQ(stream.SetSize(3), 0);
  EXPECT_EQ(stream.CloseWrite(0), 0);
  EXPECT_EQ(ReadAll(P("cut")), "abc");
}

TEST_F(FileStream, PositionPastTheEndExtendsTheFileToTheStreamsSize) {
  VFile file(Existing("extend", "").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  stream.WriteBytes("ab", 2);
  ASSERT_EQ(stream.SetPosition(40), 0);
  EXPECT_EQ(stream.GetSize(), 40u);
  EXPECT_EQ(stream.CloseWrite(1), 0);
  const std::string back = ReadAll(P("extend"));
  ASSERT_EQ(back.size(), 40u);
  EXPECT_EQ(back.substr(0, 2), "ab");
  EXPECT_EQ(back.substr(2), std::string(38, '\0'));
}

TEST_F(FileStream, ReadingPastTheSizeSetsTheEndAndComingBackClearsIt) {
  VFile file(Existing("ten", Bytes(10)).c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenRead(), 0);
  EXPECT_EQ(stream.SetPosition(11), kStreamEndOfData);
  EXPECT_EQ(stream.GetPosition(), 11u);
  EXPECT_EQ(stream.SetPosition(10), 0);
  EXPECT_EQ(stream.Skip(-4), 0);
  EXPECT_EQ(stream.GetPosition(), 6u);
  EXPECT_EQ(stream.Skip(-7), kStreamEndOfData);
}

TEST_F(FileStream, AnEmptyFileIsReadWithoutABufferOrError) {
  VFile file(Existing("empty", "").c_str());
  VFileStream stream(&file, false);
  EXPECT_EQ(stream.OpenRead(), 0);
  EXPECT_EQ(stream.GetBufferSize(), 0u);
  EXPECT_EQ(stream.GetStatus(), 0);
  char c;
  uint32_t n = 1;
  EXPECT_EQ(stream.ReadBytes(&c, n), kStreamEndOfData);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(stream.CloseRead(), 0);
  // The next open takes the default buffer again.
  VFile other(Existing("other", Bytes(70000)).c_str());
  VFileStream big(&other, false);
  ASSERT_EQ(big.OpenRead(), 0);
  EXPECT_EQ(big.GetBufferSize(), 0x10000u);
}

TEST_F(FileStream, FindLooksFromThePositionInTheFilesOwnByteOrder) {
  std::string data = Bytes(3000);
  data[0] = 'Q';
  data[2500] = 'Q';
  data[2501] = 'R';
  data[2600] = 0x11;
  data[2601] = 0x22;
  data[2602] = 0x33;
  data[2603] = 0x44;
  for (size_t i = 0; i < data.size(); ++i) {
    if ((i != 0 && i != 2500 && data[i] == 'Q') || (i > 2603 && data[i] == 0x11)) data[i] = 'a';
  }
  VFile file(Existing("find", data).c_str());
  VFileStream stream(&file, false);
  stream.SetBufferSize(64);
  ASSERT_EQ(stream.OpenRead(), 0);
  // The byte at the position itself.
  EXPECT_EQ(stream.FindByte('Q'), 1u);
  ASSERT_EQ(stream.SetPosition(1), 0);
  EXPECT_EQ(stream.FindByte('Q'), 2501u);
  uint16_t word;
  std::memcpy(&word, "QR", 2);
  EXPECT_EQ(stream.FindWord(word), 2501u);
  uint32_t lng;
  std::memcpy(&lng, "\x11\x22\x33\x44", 4);
  EXPECT_EQ(stream.FindLong(lng), 2601u);
  EXPECT_EQ(stream.FindLong(0xFEFEFEFEu), 0u);
  // The position does not move.
  EXPECT_EQ(stream.GetPosition(), 1u);
  char c;
  uint32_t n = 1;
  ASSERT_EQ(stream.ReadBytes(&c, n), 0);
  EXPECT_EQ(c, data[1]);
}

TEST_F(FileStream, FindSeesTheLastBytesAndNothingPastTheSize) {
  VFile file(Existing("last", "abcdefgh").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenRead(), 0);
  uint16_t gh;
  std::memcpy(&gh, "gh", 2);
  EXPECT_EQ(stream.FindWord(gh), 7u);
  uint32_t tail;
  std::memcpy(&tail, "fgh", 3);
  reinterpret_cast<char*>(&tail)[3] = 0;
  EXPECT_EQ(stream.FindLong(tail), 0u);
}

TEST_F(FileStream, FindAnswersNothingOnAWritingStream) {
  VFile file(Existing("wfind", "aaaa").c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  EXPECT_EQ(stream.FindByte('a'), 0u);
}

TEST_F(FileStream, AReaderSeesTheWritersBytesBeforeTheyAreFlushed) {
  VFile file(Existing("shared", "").c_str());
  ASSERT_EQ(file.Open(3), 0);
  VFileStream writer(&file, false);
  ASSERT_EQ(writer.OpenWrite(), 0);
  VFileStream reader(&file, false);
  ASSERT_EQ(reader.OpenRead(), 0);
  ASSERT_EQ(writer.WriteBytes("fresh", 5), 0);
  char out[5];
  uint32_t n = 5;
  ASSERT_EQ(reader.ReadBytes(out, n), 0);
  EXPECT_EQ(std::string(out, 5), "fresh");
  EXPECT_EQ(reader.GetSize(), 5u);
  EXPECT_EQ(writer.CloseWrite(1), 0);
  EXPECT_EQ(reader.CloseRead(), 0);
  // The streams did not open the file: it stays open.
  EXPECT_EQ(file.GetState(), 6);
  EXPECT_EQ(file.Close(), 0);
}

TEST_F(FileStream, OnlyOneStreamWritesAFile) {
  VFile file(Existing("one", "").c_str());
  VFileStream first(&file, false);
  ASSERT_EQ(first.OpenWrite(), 0);
  VFileStream second(&file, false);
  EXPECT_EQ(second.OpenWrite(), kStreamAlreadyOpen);
  EXPECT_EQ(first.OpenWrite(), kStreamAlreadyOpen);
  EXPECT_EQ(first.OpenRead(), kStreamAlreadyOpen);
  EXPECT_EQ(first.CloseWrite(1), 0);
  EXPECT_EQ(second.OpenWrite(), 0);
  EXPECT_EQ(second.CloseWrite(1), 0);
}

TEST_F(FileStream, WrongUseGivesItsCode) {
  VFileStream none(nullptr, false);
  EXPECT_EQ(none.OpenRead(), kStreamNoHandle);
  EXPECT_EQ(none.OpenWrite(), kFileNotOpened);

  VFile missing(P("missing").c_str());
  VFileStream absent(&missing, false);
  EXPECT_EQ(absent.OpenRead(), kFileNotOpened);
  EXPECT_EQ(absent.OpenWrite(), kFileNotOpened);

  VFile file(Existing("use", "abc").c_str());
  ASSERT_EQ(file.Open(1), 0);
  VFileStream readOnly(&file, false);
  EXPECT_EQ(readOnly.OpenWrite(), kFileNotWritable);
  ASSERT_EQ(readOnly.OpenRead(), 0);
  EXPECT_EQ(readOnly.WriteBytes("x", 1), kStreamNotOpenForWriting);
  EXPECT_EQ(readOnly.SetSize(1), kStreamNotOpenForWriting);
  EXPECT_EQ(readOnly.CloseWrite(1), kStreamNotOpenForWriting);
  EXPECT_EQ(readOnly.CloseRead(), 0);
  EXPECT_EQ(file.Close(), 0);

  VFileStream writing(&file, false);
  ASSERT_EQ(writing.OpenWrite(), 0);
  char c;
  uint32_t n = 1;
  EXPECT_EQ(writing.ReadBytes(&c, n), kStreamOpenForWriting);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(writing.CloseRead(), kStreamOpenForWriting);
  EXPECT_EQ(writing.CloseWrite(1), 0);
  // Closed: no position, and closing again answers the status.
  EXPECT_EQ(writing.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(writing.CloseWrite(1), kStreamNotOpen);
  EXPECT_EQ(writing.SetPosition(0), kStreamNotOpen);
}

TEST_F(FileStream, AStreamDeletedUnclosedDropsItsBytesAndLetsGoOfTheFile) {
  VFile file(Existing("dropped", "old").c_str());
  {
    auto* stream = new VFileStream(&file, false);
    ASSERT_EQ(stream->OpenWrite(), 0);
    stream->WriteBytes("new bytes", 9);
    EXPECT_NE(file.GetAttachedStream(), nullptr);
    delete stream;
  }
  EXPECT_EQ(file.GetAttachedStream(), nullptr);
  EXPECT_EQ(file.GetState(), kItemPresent);
  EXPECT_EQ(file.GetSize(), 3);
  EXPECT_EQ(ReadAll(P("dropped")), "old");
  VFileStream next(&file, false);
  EXPECT_EQ(next.OpenWrite(), 0);
  EXPECT_EQ(next.CloseWrite(1), 0);
}

TEST_F(FileStream, ShortMemoryHalvesTheBuffer) {
  VFile file(Existing("memory", Bytes(1000)).c_str());
  ScopedBlockLimit limit(300);
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenRead(), 0);
  // 1000 refused, then 500, then 250 taken.
  EXPECT_EQ(stream.GetBufferSize(), 250u);
  std::string out(1000, '\0');
  uint32_t n = 1000;
  ASSERT_EQ(stream.ReadBytes(out.data(), n), 0);
  EXPECT_EQ(out, Bytes(1000));
}

TEST_F(FileStream, NoMemoryAtAllForAFileWithBytesIsError100) {
  VFile file(Existing("nomemory", Bytes(10)).c_str());
  ScopedBlockLimit limit(0);
  VFileStream stream(&file, false);
  EXPECT_EQ(stream.OpenRead(), kStreamNoMemory);
  char c;
  uint32_t n = 1;
  EXPECT_EQ(stream.ReadBytes(&c, n), kStreamNoMemory);
  EXPECT_EQ(stream.GetPosition(), kStreamNoPosition);
  EXPECT_EQ(stream.CloseRead(), 0);
}

TEST_F(FileStream, AFailedWriteIsReportedByCloseWrite) {
  // A file that cannot be written any more: the stream's buffered bytes
  // cannot reach it, and closing must say so.
  const std::string path = Existing("full", "");
  VFile file(path.c_str());
  VFileStream stream(&file, false);
  ASSERT_EQ(stream.OpenWrite(), 0);
  stream.WriteBytes("abc", 3);
  // Past 4 GB - 1 nothing can be written.
  ASSERT_EQ(stream.SetPosition(0xFFFFFFF0u), 0);
  EXPECT_EQ(stream.WriteBytes(Bytes(32).data(), 32), kFileStreamTooLarge);
  EXPECT_EQ(stream.GetStatus(), kFileStreamTooLarge);
  EXPECT_EQ(stream.CloseWrite(0), kFileStreamTooLarge);
  std::ifstream in(path, std::ios::binary);
  char head[3] = {};
  in.read(head, 3);
  EXPECT_EQ(std::string(head, 3), "abc");
  EXPECT_EQ(file.GetAttachedStream(), nullptr);
}

TEST_F(FileStream, ADiskThatFillsUnderTheLastFlushFailsCloseWrite) {
  const int result = RunOnScratchVolume("tmpfs", "size=16k", [](const std::string& root) {
    const std::string path = root + "/doc";
    WriteAll(path, "");
    VFile file(path.c_str());
    VFileStream stream(&file, false);
    QV_CHILD_CHECK(stream.OpenWrite() == 0);
    const std::string data = Bytes(40000);
    // Held in the buffer: no error yet.
    QV_CHILD_CHECK(stream.WriteBytes(data.data(), 40000) == 0);
    QV_CHILD_CHECK(stream.CloseWrite(1) == kFileDiskFull);
    QV_CHILD_CHECK(file.GetAttachedStream() == nullptr);
    QV_CHILD_CHECK(file.GetState() == kItemPresent);
    return true;
  });
  if (result < 0) GTEST_SKIP() << "no scratch volume can be mounted here";
  EXPECT_EQ(result, 1);
}

TEST_F(FileStream, AFileOf4GigabytesOrMoreIsRefused) {
  const std::string path = Existing("huge", "");
  ASSERT_EQ(truncate(path.c_str(), 0x100000000LL), 0);
  VFile file(path.c_str());
  VFileStream stream(&file, false);
  EXPECT_EQ(stream.OpenRead(), kFileNotOpened);
  EXPECT_EQ(stream.OpenWrite(), kFileNotOpened);
  EXPECT_EQ(file.GetState(), kItemPresent);
  EXPECT_EQ(file.GetAttachedStream(), nullptr);
}

}  // namespace
