// The mailing dialog against a recording host that keeps tables: the
// first table chosen with its record count, a query that changes the
// count, a sort that does not, and a database without tables, whose table
// 0 is never named to the host.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/xMorvaSmallDialogs.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::RecordingHost;
using hosttest::Text;

// The host's tables by number (from 1), their record counts, what a query
// leaves of each, and the form's list selection and record count.
struct Tables {
  std::vector<std::string> names;
  std::map<uint16_t, uint32_t> counts;
  std::map<uint16_t, uint32_t> afterQuery;
  int32_t selection = 0;
  int32_t shown = -1;
  std::vector<std::string> referencesNamed;
  std::vector<uint16_t> tablesCounted;

  void Answer(int32_t selector, HostParamBlock& b) {
    const std::string object = reinterpret_cast<const char*>(b.text2);
    if (selector == kFormSelSetLong && object == "ListTables") selection = static_cast<int32_t>(b.longValue);
    if (selector == kFormSelSetLong && object == "nbrecs") shown = static_cast<int32_t>(b.longValue);
    if (selector == kFormSelGetLong && object == "ListTables") b.longValue = selection;
    if (selector == kFormSelGetListText && object == "ListTables") {
      const int32_t item = HostWordOf(b.param2);
      if (item < 1 || item > int32_t(names.size())) {
        b.error = 1;
      } else {
        const std::string& name = names[size_t(item - 1)];
        b.text[0] = uint8_t(name.size());
        std::memcpy(b.text + 1, name.data(), name.size());
      }
    }
    if (selector == kHostSelFieldNumbers)
      referencesNamed.emplace_back(reinterpret_cast<const char*>(b.text + 1), b.text[0]);
    if (selector == kHostSelRecordCount) {
      tablesCounted.push_back(uint16_t(b.table));
      b.param1 = counts[uint16_t(b.table)];
    }
    if (selector == kHostSelQueryTable) counts[uint16_t(b.table)] = afterQuery[uint16_t(b.table)];
  }
};

TEST(xMorvaMailingDialog, TheChosenTableShowsItsCountAfterQueryAndSort) {
  Tables tables;
  tables.names = {"Clients", "Orders"};
  tables.counts = {{1, 12}, {2, 40}};
  tables.afterQuery = {{1, 3}, {2, 0}};
  RecordingHost host;
  host.answer = [&](int32_t selector, HostParamBlock& b) { tables.Answer(selector, b); };
  xMorvaMailingDialog dialog(nullptr);
  EXPECT_TRUE(dialog.BeforeOpen());
  EXPECT_EQ(host.Count(kFormSelFillTableList), 1);
  EXPECT_EQ(tables.shown, 0);
  EXPECT_TRUE(dialog.AfterOpen());
  EXPECT_EQ(dialog.GetTable(), 1);
  EXPECT_EQ(tables.shown, 12);
  EXPECT_EQ(tables.referencesNamed, std::vector<std::string>{"[Clients]"});
  // Another table, then a query that selects no record, then a sort.
  tables.selection = 2;
  dialog.ItemHit(Text("ListTables"), 1);
  EXPECT_EQ(dialog.GetTable(), 2);
  EXPECT_EQ(tables.shown, 40);
  dialog.ItemHit(Text("butFind"), 1);
  EXPECT_EQ(tables.shown, 0);
  tables.shown = -1;
  dialog.ItemHit(Text("butSort"), 1);
  EXPECT_EQ(tables.shown, -1);
  EXPECT_EQ(host.Count(kHostSelSortTable), 1);
  EXPECT_EQ(host.Count(kHostSelQueryTable), 1);
}

TEST(xMorvaMailingDialog, WithoutTablesNoTableIsNamedToTheHost) {
  Tables tables;
  RecordingHost host;
  host.answer = [&](int32_t selector, HostParamBlock& b) { tables.Answer(selector, b); };
  xMorvaMailingDialog dialog(nullptr);
  EXPECT_TRUE(dialog.BeforeOpen());
  EXPECT_TRUE(dialog.AfterOpen());
  dialog.ItemHit(Text("butFind"), 1);
  dialog.ItemHit(Text("butSort"), 1);
  dialog.ItemHit(Text("ListTables"), 1);
  EXPECT_EQ(dialog.GetTable(), 0);
  EXPECT_EQ(tables.shown, 0);
  for (int32_t selector : {kHostSelFieldNumbers, kHostSelCurrentField303, kHostSelRecordCount, kHostSelQueryTable,
                           kHostSelSortTable})
    EXPECT_EQ(host.Count(selector), 0) << selector;
}

}  // namespace
