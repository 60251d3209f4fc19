// The stand-in host's answers to the module's host calls, asked directly
// through its callback: fields over SQLite, the folder, time texts, events,
// display routines and the selectors it does not serve.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "boundary/FourCC.h"
#include "boundary/HostDisplayRoutines.h"
#include "boundary/HostFieldTypes.h"
#include "boundary/HostSelectors.h"
#include "platform/toolbox/TbxHandles.h"
#include "platform/win32/WinFileDialogs.h"
#include "interchange/rtf/xMorvaExportRTF.h"
#include "qvhost/HostDateStyles.h"
#include "qvhost/QvHost.h"

namespace {

class HostAnswers : public testing::Test {
 protected:
  void SetUp() override {
    QvHostConfig config;
    config.look = 3;
    config.pivotYear = 30;
    config.century = 1900;
    host = std::make_unique<QvHost>(config);
    HostDatabase& db = host->Database();
    ASSERT_TRUE(db.DefineTable(1, "Letters"));
    ASSERT_TRUE(db.DefineField(1, 1, "Body", 30));
    ASSERT_TRUE(db.DefineField(1, 2, "Title", 0));
    ASSERT_TRUE(db.DefineField(1, 3, "Count", 9));
    ASSERT_TRUE(db.DefineField(1, 4, "Price", 1));
  }
  HostParamBlock Ask(int32_t selector, uint16_t table = 1, uint16_t field = 1) {
    HostParamBlock block{};
    block.table = table;
    block.field = field;
    QvHost::Callback(selector, &block);
    return block;
  }
  std::unique_ptr<QvHost> host;
};

TEST_F(HostAnswers, FieldInfoGivesTypeAndName) {
  HostParamBlock b = Ask(kHostSelFieldInfo, 1, 2);
  EXPECT_EQ(b.error, 0);
  EXPECT_EQ(HostWordOf(b.param1), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b.text + 1), b.text[0]), "Title");
  EXPECT_EQ(Ask(kHostSelFieldInfo, 1, 9).error, -1);
  EXPECT_EQ(Ask(kHostSelFieldInfo, 2, 1).error, -1);
}

TEST_F(HostAnswers, ABlobGoesInAsAHandleAndComesBackAsACopy) {
  Tbx::Handle h = Tbx::NewHandle(3);
  std::memcpy(Tbx::HLock(h), "\x01\x02\x03", 3);
  Tbx::HUnlock(h);
  HostParamBlock set{};
  set.table = 1;
  set.field = 1;
  set.valueHandle = h;
  set.textLength = 3;
  QvHost::Callback(kHostSelSetField, &set);
  EXPECT_EQ(set.error, 0);
  // The host took the handle.
  Tbx::GetHandleSize(h);
  EXPECT_NE(Tbx::MemError(), Tbx::noErr);

  HostParamBlock get = Ask(kHostSelGetField);
  EXPECT_EQ(get.error, 0);
  EXPECT_EQ(HostWordOf(get.param1), 30);
  EXPECT_EQ(get.textLength, 3);
  ASSERT_NE(get.valueHandle, 0u);
  EXPECT_EQ(Tbx::GetHandleSize(get.valueHandle), 3);
  EXPECT_EQ(std::memcmp(Tbx::HLock(get.valueHandle), "\x01\x02\x03", 3), 0);
  Tbx::HUnlock(get.valueHandle);
  Tbx::DisposeHandle(get.valueHandle);
}

TEST_F(HostAnswers, ABlobWhoseLengthDisagreesWithItsHandleIsRefused) {
  Tbx::Handle h = Tbx::NewHandle(10);
  HostParamBlock set{};
  set.table = 1;
  set.field = 1;
  set.valueHandle = h;
  set.textLength = 4;
  QvHost::Callback(kHostSelSetField, &set);
  EXPECT_EQ(set.error, -1);
  // Refused: still the caller's.
  EXPECT_EQ(Tbx::GetHandleSize(h), 10);
  Tbx::DisposeHandle(h);
  set.valueHandle = 0;
  set.textLength = 0;
  QvHost::Callback(kHostSelSetField, &set);
  EXPECT_EQ(set.error, -1);
}

TEST_F(HostAnswers, AnEmptyFieldAnswersAnEmptyHandle) {
  HostParamBlock get = Ask(kHostSelGetField);
  EXPECT_EQ(get.error, 0);
  EXPECT_EQ(get.textLength, 0);
  Tbx::DisposeHandle(get.valueHandle);
}

TEST_F(HostAnswers, AlphaLongAndRealFieldsUseTheirOwnPlaces) {
  HostParamBlock set{};
  set.table = 1;
  set.field = 2;
  set.text2[0] = 3;
  std::memcpy(set.text2 + 1, "Abc", 3);
  QvHost::Callback(kHostSelSetField, &set);
  set.field = 3;
  set.longValue = static_cast<uint32_t>(-5);
  QvHost::Callback(kHostSelSetField, &set);
  set.field = 4;
  set.realValue = 2.5;
  QvHost::Callback(kHostSelSetField, &set);

  HostParamBlock alpha = Ask(kHostSelGetField, 1, 2);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(alpha.text2 + 1), alpha.text2[0]), "Abc");
  EXPECT_EQ(static_cast<int32_t>(Ask(kHostSelGetField, 1, 3).longValue), -5);
  EXPECT_EQ(Ask(kHostSelGetField, 1, 4).realValue, 2.5);
  EXPECT_EQ(Ask(kHostSelGetField, 1, 7).error, -1);
}

TEST_F(HostAnswers, EachRecordKeepsItsOwnValues) {
  HostDatabase& db = host->Database();
  HostDatabase::Value v;
  v.integer = 1;
  ASSERT_TRUE(db.Set(1, 3, v));
  ASSERT_TRUE(db.SetCurrentRecord(1, 4));
  EXPECT_FALSE(db.Get(1, 3));
  v.integer = 2;
  ASSERT_TRUE(db.Set(1, 3, v));
  ASSERT_TRUE(db.SetCurrentRecord(1, 0));
  EXPECT_EQ(db.Get(1, 3)->integer, 1);
  EXPECT_FALSE(db.SetCurrentRecord(9, 0));
  EXPECT_FALSE(db.DefineField(9, 1, "x", 2));
}

TEST_F(HostAnswers, TheFolderIsWrittenIntoTheModulesBuffer) {
  char buffer[kHostPathBufferSize] = {};
  HostParamBlock b{};
  b.param2 = FourCC("PATH");
  b.param3 = HostAddress(buffer);
  b.param4 = sizeof buffer;
  QvHost::Callback(kHostSelGetPath, &b);
  EXPECT_EQ(b.error, 0);
  EXPECT_EQ(std::string(buffer), host->Folder());
  EXPECT_TRUE(std::filesystem::is_directory(buffer));
  b.param4 = 3;  // too small a buffer
  QvHost::Callback(kHostSelGetPath, &b);
  EXPECT_EQ(b.error, -1);
  b.param2 = FourCC("NONE");
  b.param4 = sizeof buffer;
  QvHost::Callback(kHostSelGetPath, &b);
  EXPECT_EQ(b.error, -1);
}

TEST_F(HostAnswers, TimesAsTextAndBack) {
  HostParamBlock b{};
  b.param1 = kHostTypeTime;
  b.longValue = 3723;
  QvHost::Callback(kHostSelValueToText, &b);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b.text2 + 1), b.text2[0]), "01:02:03");
  HostParamBlock t{};
  t.param1 = kHostTypeTime;
  t.text2[0] = 5;
  std::memcpy(t.text2 + 1, "10:30", 5);
  QvHost::Callback(kHostSelTextToValue, &t);
  EXPECT_EQ(t.longValue, 37800u);
  std::memcpy(t.text2 + 1, "10:99", 5);
  QvHost::Callback(kHostSelTextToValue, &t);
  EXPECT_EQ(t.longValue, 0u);
}

TEST_F(HostAnswers, EventsComeFromTheQueueByMask) {
  HostEventRecord key{};
  key.what = 3;
  key.message = 'k';
  host->QueueEvent(key);
  HostEventRecord record{};
  HostParamBlock peek{};
  peek.param1 = 1 << 3;
  peek.handle = HostAddress(&record);
  QvHost::Callback(kHostSelPeekEvent, &peek);
  EXPECT_EQ(peek.flag, 1);
  EXPECT_EQ(record.message, uintptr_t{'k'});
  HostParamBlock other = peek;
  other.param1 = 1 << 1;
  QvHost::Callback(kHostSelTakeEvent, &other);
  EXPECT_EQ(other.param4, 0u);
  HostParamBlock take = peek;
  QvHost::Callback(kHostSelTakeEvent, &take);
  EXPECT_EQ(take.param4, 1u);
  QvHost::Callback(kHostSelPeekEvent, &peek);
  EXPECT_EQ(peek.flag, 0);
}

TEST_F(HostAnswers, DisplayRoutinesAreFilledAndDrawTexts) {
  VDisplayRoutines routines{};
  HostParamBlock b{};
  b.param1 = HostAddress(&routines);
  QvHost::Callback(kHostSelDisplayRoutines, &b);
  ASSERT_NE(routines.filled, nullptr);
  uint8_t text[256];
  VDateRec date;
  date.day = 7;
  date.month = 12;
  date.year = 2023;
  routines.dateText(&date, text, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "07/12/2023");
  routines.timeText(60, text, 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(text + 1), text[0]), "00:01:00");
}

// Each date and time style shows the picture the RTF writer gives a date
// field of that style (the writer's field result and the host's text of a
// document's date field then agree), on two moments: a Tuesday afternoon
// and a leap day just after midnight (12 on the 12-hour clock).
TEST_F(HostAnswers, DateAndTimeStylesShowTheWritersPictures) {
  VDisplayRoutines routines{};
  HostParamBlock b{};
  b.param1 = HostAddress(&routines);
  QvHost::Callback(kHostSelDisplayRoutines, &b);
  ASSERT_NE(routines.dateText, nullptr);
  ASSERT_NE(routines.timeText, nullptr);
  const auto shown = [](const uint8_t* text) { return std::string(reinterpret_cast<const char*>(text + 1), text[0]); };
  const VDateRec tuesday{8, 12, 2026}, leapDay{29, 2, 2000};
  const int32_t afternoon = 14 * 3600 + 30 * 60 + 5, midnight = 5 * 60 + 9;
  struct Case {
    bool date;
    uint8_t style;
    const char* picture;
    const char* first;
    const char* second;
  } const cases[] = {
      {true, 1, "dd/MM/yy", "08/12/26", "29/02/00"},
      {true, 2, "ddd d MMMM yyyy", "Tue 8 December 2026", "Tue 29 February 2000"},
      {true, 3, "dddd d MMMM yyyy", "Tuesday 8 December 2026", "Tuesday 29 February 2000"},
      {true, 4, "dd/MM/yy", "08/12/26", "29/02/00"},
      {true, 5, "d MMMM, yyyy", "8 December, 2026", "29 February, 2000"},
      {true, 6, "d MMM, yyyy", "8 Dec, 2026", "29 Feb, 2000"},
      {true, 7, "dd/MM/yyyy", "08/12/2026", "29/02/2000"},
      {false, 1, "HH:mm:ss", "14:30:05", "00:05:09"},
      {false, 2, "HH:mm", "14:30", "00:05"},
      {false, 3, "HH:mm:ss", "14:30:05", "00:05:09"},
      {false, 4, "HH:mm", "14:30", "00:05"},
      {false, 5, "h:mm", "2:30", "12:05"},
  };
  uint8_t text[256];
  for (const Case& c : cases) {
    const std::string row = std::string(c.date ? "date " : "time ") + std::to_string(c.style);
    EXPECT_STREQ(c.date ? xMorvaExportRTF::DateFormat(c.style) : xMorvaExportRTF::TimeFormat(c.style), c.picture)
        << row;
    EXPECT_STREQ(c.date ? HostDatePicture(c.style) : HostTimePicture(c.style), c.picture) << row;
    for (const bool first : {true, false}) {
      if (c.date) {
        routines.dateText(first ? &tuesday : &leapDay, text, c.style);
      } else {
        routines.timeText(first ? afternoon : midnight, text, c.style);
      }
      EXPECT_EQ(shown(text), first ? c.first : c.second) << row;
      if (c.date) continue;
      // A field reference's time goes through the host's value-to-text
      // request with the same style.
      HostParamBlock request{};
      request.param1 = kHostTypeTime;
      request.param2 = c.style;
      request.longValue = static_cast<uint32_t>(first ? afternoon : midnight);
      QvHost::Callback(kHostSelValueToText, &request);
      EXPECT_EQ(shown(request.text2), first ? c.first : c.second) << row;
    }
  }
  // No style (0) and a number that is none is the host's plain form; the
  // empty date shows nothing in a style.
  for (const uint16_t plain : {0, 8, 0xFFFF}) {
    routines.dateText(&tuesday, text, plain);
    EXPECT_EQ(shown(text), "08/12/2026") << plain;
    routines.timeText(afternoon, text, plain);
    EXPECT_EQ(shown(text), "14:30:05") << plain;
  }
  const VDateRec empty{};
  routines.dateText(&empty, text, 5);
  EXPECT_EQ(shown(text), "");
  routines.dateText(&empty, text, 0);
  EXPECT_EQ(shown(text), "00/00/0000");
}

TEST_F(HostAnswers, LookAndPivotComeFromTheSettings) {
  EXPECT_EQ(HostWordOf(Ask(kHostSelLook).param1), 3);
  HostParamBlock pivot = Ask(kHostSelCenturyPivot);
  EXPECT_EQ(HostWordOf(pivot.param1), 30);
  EXPECT_EQ(HostWordOf(pivot.param2), 1900);
}

TEST_F(HostAnswers, OtherSelectorsAreLoggedAndAnsweredWithAnError) {
  HostParamBlock b = Ask(-999);
  EXPECT_EQ(b.error, -1);
  ASSERT_FALSE(host->Log().empty());
  EXPECT_EQ(host->Log().back().selector, -999);
  EXPECT_EQ(host->Log().back().text, "not served");
}

TEST_F(HostAnswers, ChoosersAnswerTheQueuedChoicesInOrderThenCancel) {
  host->QueueChoice({1, "/tmp/letters/letter one.qmv", 2});
  host->QueueChoice({0, "", 0});
  char path[260] = "untitled";
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.lpstrFilter = "Documents\0*.qmv\0Text\0*.txt\0\0";
  open.nFilterIndex = 1;
  open.lpstrFile = path;
  open.nMaxFile = sizeof path;
  ASSERT_TRUE(GetOpenFileNameA(&open));
  EXPECT_STREQ(path, "/tmp/letters/letter one.qmv");
  EXPECT_EQ(open.nFilterIndex, 2u);
  EXPECT_FALSE(GetOpenFileNameA(&open));  // the queued cancel
  EXPECT_FALSE(GetOpenFileNameA(&open));  // nothing waiting: cancelled
  EXPECT_EQ(host->PendingChoices(), 0u);
}

TEST(HostDatabaseFile, ValuesOutliveTheHostInAFile) {
  // A name of this process's own, so that test runs side by side never share the file.
  const std::string path =
      std::filesystem::temp_directory_path() / ("qvhost-db-test-" + std::to_string(getpid()) + ".sqlite");
  std::filesystem::remove(path);
  {
    HostDatabase db(path);
    ASSERT_TRUE(db.IsOpen());
    ASSERT_TRUE(db.DefineTable(1, "T"));
    ASSERT_TRUE(db.DefineField(1, 1, "F", 2));
    HostDatabase::Value v;
    v.bytes = {1, 2};
    ASSERT_TRUE(db.Set(1, 1, v));
  }
  {
    HostDatabase db(path);
    auto v = db.Get(1, 1);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->bytes, (std::vector<uint8_t>{1, 2}));
  }
  std::filesystem::remove(path);
  HostDatabase bad("/no/such/folder/db.sqlite");
  EXPECT_FALSE(bad.IsOpen());
  EXPECT_FALSE(bad.Error().empty());
}

// The database in memory is made when it is first asked, so that a run that
// never asks it (a conversion) does not run SQLite; until then it counts as
// open, and once asked it keeps what it is given.
TEST(HostDatabaseMemory, IsMadeWhenFirstAsked) {
  const sqlite3_int64 before = sqlite3_memory_used();
  HostDatabase db;
  EXPECT_TRUE(db.IsOpen());
  EXPECT_EQ(sqlite3_memory_used(), before);  // no connection, no tables yet
  EXPECT_EQ(db.CountTables(), 0);
  EXPECT_GT(sqlite3_memory_used(), before);
  EXPECT_TRUE(db.IsOpen());
  ASSERT_TRUE(db.DefineTable(1, "T"));
  EXPECT_EQ(db.TableName(1), std::optional<std::string>("T"));
  EXPECT_EQ(db.CountTables(), 1);
}

}  // namespace
