// The records the small dialogs read: the language codes of an 'LGCD'
// record and the short version string of a 'vers' record, whole, short
// and inconsistent.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/xMorvaSmallDialogs.h"

namespace {

using Bytes = std::vector<uint8_t>;

// An 'LGCD' record as the package hands it over: native 16-bit words.
Bytes Codes(std::vector<int16_t> words) {
  Bytes bytes(words.size() * 2);
  if (!words.empty()) std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

TEST(xMorvaLanguageRecord, ItemsAndCodesMatchOnlyWithinTheRecord) {
  struct Row {
    const char* what;
    Bytes record;
    int32_t item;
    bool found;
    int16_t code;
    int16_t search;
    int32_t itemOfSearch;
  };
  const std::vector<Row> rows = {
      {"whole", Codes({3, 0x0409, 0x040C, 0x0407}), 2, true, 0x040C, 0x0407, 3},
      {"first item", Codes({3, 0x0409, 0x040C, 0x0407}), 1, true, 0x0409, 0x0409, 1},
      {"item 0 has no code", Codes({3, 0x0409, 0x040C, 0x0407}), 0, false, 0, 0x0410, 0},
      {"item past the count", Codes({2, 0x0409, 0x040C, 0x0407}), 3, false, 0, 0x0407, 0},
      {"count past the end", Codes({5, 0x0409, 0x040C}), 3, false, 0, 0x040C, 2},
      {"negative count", Codes({-1, 0x0409}), 1, false, 0, 0x0409, 0},
      {"empty", Bytes{}, 1, false, 0, 0, 0},
      {"half a count", Bytes{1}, 1, false, 0, 0, 0},
      {"half a code", Bytes{Codes({2, 0x0409})[0], 0, 9, 4, 7}, 2, false, 0, 0x0409, 1},
  };
  for (const Row& r : rows) {
    int16_t code = -7;
    EXPECT_EQ(LanguageCodeOfItem(r.record.data(), r.record.size(), r.item, code), r.found) << r.what;
    EXPECT_EQ(code, r.found ? r.code : int16_t(-7)) << r.what;
    EXPECT_EQ(LanguageItemOfCode(r.record.data(), r.record.size(), r.search), r.itemOfSearch) << r.what;
  }
}

TEST(xMorvaVersionRecord, TheShortStringIsReadOnlyWhenWhole) {
  const Bytes head = {1, 2, 0x80, 0, 0, 0};
  auto record = [&](const std::string& tail) {
    Bytes bytes = head;
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
  };
  struct Row {
    const char* what;
    Bytes record;
    bool found;
    std::string version;
  };
  const std::vector<Row> rows = {
      {"whole", record(std::string("\x03" "1.2" "\x05" "1.2 b", 10)), true, "1.2"},
      {"empty string", record(std::string("\x00", 1)), true, ""},
      {"string to the end", record("\x04" "10.1"), true, "10.1"},
      {"six bytes", head, false, ""},
      {"length past the end", record("\x09" "1.2"), false, ""},
      {"shorter than the head", Bytes{1, 2, 3}, false, ""},
  };
  for (const Row& r : rows) {
    std::string version = "kept";
    EXPECT_EQ(ShortVersionOf(r.record.data(), r.record.size(), version), r.found) << r.what;
    EXPECT_EQ(version, r.found ? r.version : "kept") << r.what;
  }
}

}  // namespace
