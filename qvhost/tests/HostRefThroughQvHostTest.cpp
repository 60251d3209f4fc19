// Host references and routine calls answered in-process by the stand-in
// host: expressions compiled, stored, reloaded in the other byte order and
// evaluated on its database, fields shown under their formats, routines run
// by name.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <algorithm>

#include "area/xMorvaDocumentAreaServices.h"
#include "boundary/HostServiceSelectors.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/VService.h"
#include "framework/core/host/VHostBridge.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/strings/VDisplayFormats.h"
#include "framework/core/strings/VUniString.h"
#include "framework/core/values/VLong.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostCallbackBridge.h"
#include "host/context/VHostRef.h"
#include "host/context/VHostRoutineCall.h"
#include "host/values/VHostValues.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/HostExpression.h"
#include "qvhost/QvHost.h"
#include "host/tests/HostTestSupport.h"

namespace {

using hosttest::Str;
using hosttest::Text;

// The stand-in host answering the module's host layer, with the host
// bridge of the framework served over it, and a table of clients.
class ReferenceHost {
 public:
  ReferenceHost() : host(QvHostConfig{}) {
    previous = GetHostCallback();
    SetHostCallback(&QvHost::Callback);
    previousBridge = VHostBridgeService::Install(&bridge);
    ResetDisplayRoutines();
    HostDatabase& db = host.Database();
    db.DefineTable(1, "Clients");
    db.DefineField(1, 1, "Amount", 1);
    db.DefineField(1, 2, "Paid", 6);
    db.DefineField(1, 3, "Since", 4);
    db.DefineField(1, 4, "Call", 11);
    db.DefineField(1, 5, "Name", 24);
    db.SetRecordCount(1, 1);
    HostDatabase::Value v;
    v.number = 21.25;
    db.Set(1, 1, v);
    v = {};
    v.integer = 1;
    db.Set(1, 2, v);
    v = {};
    v.date[0] = 7;
    v.date[1] = 12;
    v.date[2] = 2026;
    db.Set(1, 3, v);
    v = {};
    v.integer = 3723;
    db.Set(1, 4, v);
    v = {};
    v.text = "Ann";
    db.Set(1, 5, v);
  }
  ~ReferenceHost() {
    ResetDisplayRoutines();
    VHostBridgeService::Install(previousBridge);
    SetHostCallback(previous);
  }
  QvHost host;
  VHostCallbackBridge bridge;
  VHostBridge* previousBridge = nullptr;
  HostCallback previous = nullptr;
};

std::string Shown(const VHostRef& ref) {
  std::unique_ptr<VValue> value(ref.Evaluate());
  if (!value) return "<none>";
  if (value->GetKind() != kValueString) {
    VStr<255> text;
    value->FormatTo(text, nullptr, kWholeValue);
    return "#" + Str(text);
  }
  return Str(static_cast<VString&>(*value));
}

// The record of a reference written in big-endian order, with its host data
// as a big-endian host would have compiled it: what another machine stored.
std::vector<uint8_t> StoredBigEndian(VHostRef& ref) {
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  EXPECT_EQ(stream.OpenWrite(), kStreamNoError);
  stream.SetByteOrders(kByteOrderMacintosh, kByteOrderKeep);
  ref.Write(stream, kHostRefTag);
  stream.CloseWrite(1);
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  std::vector<uint8_t> bytes(size);
  std::memcpy(bytes.data(), gMemoryMgr->LockHandle(handle), size);
  gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
  const int32_t dataSize = Tbx::GetHandleSize(ref.GetReferenceData());
  if (dataSize >= 4) std::reverse(bytes.end() - dataSize, bytes.end() - dataSize + 4);
  return bytes;
}

}  // namespace

TEST(HostRefThroughQvHost,
     AnExpressionStoredInTheOtherByteOrderEvaluatesToTheFieldsFormattedValue) {
  ReferenceHost h;
  VHostRef ref(Text("[Clients]Amount * 2"));
  ASSERT_NE(ref.GetReferenceData(), 0u);
  VStr<255> display;
  ref.GetDisplayText(display);
  EXPECT_EQ(Str(display), "[Clients]Amount * 2");
  const std::vector<uint8_t> bytes = StoredBigEndian(ref);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "5OBJ");

  // Reloaded by a little-endian reader: the tag arrives reversed.
  VHostRef back(bytes.data(), static_cast<uint32_t>(bytes.size()));
  ASSERT_TRUE(back.WasRead());
  EXPECT_EQ(h.host.CountCalls(kHostSelSwapExpression), 1);
  back.GetDisplayText(display);
  EXPECT_EQ(Str(display), "[Clients]Amount * 2");
  EXPECT_EQ(Shown(back), "#42.5");
  // Every entry the host filled went back to it.
  EXPECT_EQ(h.host.releasedEntries, 1);
}

// The text engine's host expression element, with the editing area's
// answers installed as the module installs them, shows what the stand-in
// host evaluates, and follows the field when it is updated.
TEST(HostRefThroughQvHost, AHostExpressionElementShowsAndFollowsTheHostsValue) {
  ReferenceHost h;
  xMorvaEngineHostServices engineHost;
  VInstalledService<xMorvaEngineHost> installed(&engineHost);
  VHostRef ref(Text("[Clients]Amount * 2"));
  const VMemHandle stored = ref.ToHandle();
  ASSERT_NE(stored, 0u);
  std::vector<uint8_t> bytes(gMemoryMgr->GetHandleSize(stored));
  std::memcpy(bytes.data(), gMemoryMgr->LockHandle(stored), bytes.size());
  gMemoryMgr->UnlockHandle(stored);
  gMemoryMgr->DisposeHandle(stored);

  xMorvaEngine engine(nullptr, xMorvaEngine::kPartGranule);
  ASSERT_EQ(engine.InsertHostExpression(bytes.data(), uint32_t(bytes.size()), false, nullptr), 0);
  const auto shown = [&] {
    VStr<255> text;
    engine.WritePlainText(text, false, false);
    return Str(text);
  };
  EXPECT_EQ(shown(), "42.5");

  HostDatabase::Value amount;
  amount.number = 30;
  h.host.Database().Set(1, 1, amount);
  engine.SetSelection(0, 1);
  EXPECT_EQ(engine.UpdateComputedFields(), 0);
  EXPECT_EQ(shown(), "60");
}

TEST(HostRefThroughQvHost, FieldsShowUnderTheirFormats) {
  ReferenceHost h;
  struct Case {
    const char* expression;
    const char* formatText;
    int32_t dateFormat;
    int32_t timeFormat;
    std::string shown;
  } const cases[] = {
      {"[Clients]Paid", "Yes;No", 0, 0, "Yes"},
      {"[Clients]Paid = False", "Yes;No", 0, 0, "No"},
      {"[Clients]Paid", "Paid", 0, 0, "Paid"},
      {"[Clients]Since", "", 2, 0, "Mon 7 December 2026"},
      {"[Clients]Since", "", 0, 0, "07/12/2026"},
      {"[Clients]Call", "", 0, 2, "01:02"},
      {"[Clients]Call + [Clients]Call", "", 0, 0, "02:04:06"},
      {"[Clients]Name + \"!\"", "", 0, 0, "Ann!"},
      {"(1 + 2) * 3 - 4 / 2", "", 0, 0, "#7"},
      {"[Clients]Nothing", "", 0, 0, "<none>"},
      {"1 +", "", 0, 0, "<none>"},
  };
  for (const Case& c : cases) {
    VHostRef ref(Text(c.expression));
    ref.SetFormatText(Text(c.formatText));
    ref.SetOption(c.dateFormat);
    ref.SetFormat(c.timeFormat);
    EXPECT_EQ(Shown(ref), c.shown) << c.expression;
  }
  // A field reference reads the field itself, with its name as the display.
  VHostRef field(1, 3, false);
  field.SetOption(2);
  VStr<255> display;
  field.GetDisplayText(display);
  EXPECT_EQ(Str(display), "[Clients]Since");
  EXPECT_EQ(Shown(field), "Mon 7 December 2026");
}

TEST(HostRefThroughQvHost, RoutinesRunByNameWithValues) {
  ReferenceHost h;
  h.host.DefineRoutine("Square", [](HostVariableEntry* e, uint32_t count) {
    if (count < 1 || e[1].type != kHostLongInteger) return;
    e[0].type = kHostLongInteger;
    e[0].value.longInteger = e[1].value.longInteger * e[1].value.longInteger;
  });
  VHostRoutineCall call(Text("Square"));
  VLong seven(7);
  std::unique_ptr<VValue> result(call.CallFunction({&seven}));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->GetLong(kWholeValue), 49);
  EXPECT_EQ(h.host.releasedEntries, 2);
  VHostRoutineCall unknown(Text("Cube"));
  EXPECT_EQ(unknown.CallFunction({&seven}), nullptr);
  EXPECT_EQ(h.host.CountCalls(kHostSelRunRoutine), 1);

  h.host.records
      ["\xE2\x97\x8A"
       "Shared{2}"] = std::vector<uint8_t>(38, 0);
  h.host.records
      ["\xE2\x97\x8A"
       "Shared{2}"][0] = 1;
  VHostRecordValue record(Text("Shared"), 2, 2);
  EXPECT_EQ(record.Classify(), 1);
}

TEST(HostExpression, CompiledFormsAreReadOnlyWhenWhole) {
  const std::vector<uint8_t> good = CompileExpression("[T]F + 1");
  std::string source;
  ASSERT_TRUE(ReadCompiledExpression(good.data(), good.size(), source));
  EXPECT_EQ(source, "[T]F + 1");
  std::vector<uint8_t> swapped = good;
  std::reverse(swapped.begin(), swapped.begin() + 4);
  EXPECT_FALSE(ReadCompiledExpression(swapped.data(), swapped.size(), source));
  ASSERT_TRUE(SwapCompiledExpression(swapped.data(), swapped.size()));
  EXPECT_EQ(swapped, good);
  std::vector<uint8_t> badText = good;
  badText.push_back(0xC3);  // a UTF-8 sequence cut short
  EXPECT_FALSE(ReadCompiledExpression(badText.data(), badText.size(), source));
  EXPECT_FALSE(ReadCompiledExpression(good.data(), 3, source));
  std::vector<uint8_t> junk = {1, 2, 3, 4, 'x'};
  EXPECT_FALSE(SwapCompiledExpression(junk.data(), junk.size()));
  // Nesting beyond the limit is refused, not recursed into.
  ExprValue value;
  EXPECT_FALSE(
      EvaluateExpression(std::string(500, '(') + "1" + std::string(500, ')'), {}, value, nullptr));
  EXPECT_FALSE(EvaluateExpression(std::string(500, '-') + "1", {}, value, nullptr));
}
