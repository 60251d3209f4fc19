// A dialog's calls as the host sees them: the blocks of its form selectors,
// its answers when the host reports errors, and its window settings.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/values/VLong.h"
#include "host/context/HostPictures.h"
#include "host/context/VHostContext.h"
#include "host/dialog/VDialQv.h"
#include "host/package/VPlugInObject.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxPorts.h"

namespace {

using hosttest::RecordingHost;

class MenuDialog : public VDialQv {
 public:
  MenuDialog() : VDialQv(nullptr, "mvMenu") {}
  void EditUndo() override { calls += "undo "; }
  void EditCut() override { calls += "cut "; }
  void EditCopy() override { calls += "copy "; }
  void EditPaste() override { calls += "paste "; }
  void EditClear() override { calls += "clear "; }
  void EditSelectAll() override { calls += "all "; }
  std::string calls;
};

TEST(VDialQv, GettersAnswerNothingWhenTheHostReportsAnError) {
  RecordingHost host;
  // A host that fails every object call but writes into the answer fields.
  host.answer = [](int32_t selector, HostParamBlock& b) {
    if (selector == kFormSelNew) {
      b.param1 = 9;
      return;
    }
    b.error = -1;
    b.longValue = 1234;
    b.realValue = 5.5;
    b.param2 = 77;
    b.param3 = 88;
    b.text[0] = 3;
    std::memcpy(b.text + 1, "bad", 3);
    b.table = 4;
    b.field = 5;
    b.handle = 6;
  };
  VDialQv dialog(nullptr, "mvX");
  EXPECT_EQ(dialog.GetFormRef(), 9u);
  VStr<255> text;
  text.SetAnsiCText("old");
  EXPECT_EQ(dialog.HostFormGetLong("a"), 0);
  EXPECT_EQ(dialog.HostFormGetReal("a"), 0);
  dialog.HostFormGetText("a", text);
  EXPECT_EQ(text.GetLength(), 0);
  dialog.HostFormGetListText("a", 1, text);
  EXPECT_EQ(text.GetLength(), 0);
  EXPECT_EQ(dialog.HostFormGetListLong("a", 1), 0);
  EXPECT_EQ(dialog.HostFormGetListSelection("a"), 0);
  EXPECT_EQ(dialog.HostFormGetPage(), 0);
  int16_t table = -1, field = -1;
  uint32_t data = 1;
  dialog.HostFormGetFieldRef("a", table, field, data, false);
  EXPECT_EQ(table, 0);
  EXPECT_EQ(field, 0);
  EXPECT_EQ(data, 0u);
  EXPECT_EQ(dialog.HostFormCall205("a"), nullptr);
}

TEST(VDialQv, GettersSendAClearedBlockWithTheNameZeroTerminated) {
  RecordingHost host;
  VDialQv dialog(nullptr, "mvX");
  const std::string longName(100, 'n');
  dialog.HostFormGetLong(longName.c_str());
  const HostParamBlock& b = host.calls.back().block;
  EXPECT_EQ(host.calls.back().selector, kFormSelGetLong);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(b.text2)), std::string(80, 'n'));
  EXPECT_EQ(b.longValue, 0u);
  EXPECT_EQ(b.handle, 0u);
  EXPECT_EQ(b.error, 0);
}

TEST(VDialQv, ListRangeSendsFirstAndLast) {
  RecordingHost host;
  VDialQv dialog(nullptr, "mvX");
  dialog.HostFormSetListRange("lst", 3, 7);
  const HostParamBlock& b = host.calls.back().block;
  EXPECT_EQ(host.calls.back().selector, kFormSelSetListRange);
  EXPECT_EQ(HostWordOf(b.param2), 3);
  EXPECT_EQ(HostWordOf(b.param3), 7);
}

TEST(VDialQv, WindowKindsByKindAndOptions) {
  struct Case {
    int32_t kind;
    bool a, b;
    int16_t expected;
  };
  const Case cases[] = {{1, false, false, 1},  {2, false, false, 5},  {3, false, false, 2},  {4, false, false, 3},
                        {5, true, true, 8},    {5, false, true, 12},  {5, true, false, 0},   {5, false, false, 4},
                        {6, false, false, 722}, {7, true, false, 726}, {6, true, true, 734}, {9, true, true, -1}};
  RecordingHost host;
  for (const Case& c : cases) {
    VDialQv dialog(nullptr, "mvX");
    dialog.SetWindowKind(c.kind, c.a, c.b, 0);
    EXPECT_EQ(dialog.GetWindowKind(), c.expected) << c.kind << c.a << c.b;
    EXPECT_EQ(dialog.GetWindowFlag(), 0);
  }
}

TEST(VDialQv, BoundsBeforeOpeningAreOnlyStored) {
  RecordingHost host;
  VDialQv dialog(nullptr, "mvX");
  dialog.SetBounds(5, 6, 70, 80);
  int32_t l, t, w, h;
  dialog.GetBounds(l, t, w, h);
  EXPECT_EQ(l, 5);
  EXPECT_EQ(t, 6);
  EXPECT_EQ(w, 70);
  EXPECT_EQ(h, 80);
  EXPECT_EQ(dialog.GetWindow(), nullptr);
}

TEST(VDialQv, EditMenuItemsOfMenu262Only) {
  RecordingHost host;
  HostStartupRecord record{};
  record.callback = &RecordingHost::Entry;
  auto* context = new VHostContext(&record);
  gHostContext = context;
  {
    MenuDialog dialog;
    host.answer = [&dialog](int32_t selector, HostParamBlock& b) {
      if (selector == kFormSelGetOwner) b.param2 = HostAddress(&dialog);
    };
    struct Case {
      uint32_t menu, item;
      const char* calls;
    };
    const Case cases[] = {{262, 1, "undo "}, {262, 2, ""},      {262, 3, "cut "},   {262, 4, "copy "},
                          {262, 5, "paste "}, {262, 6, "clear "}, {262, 7, "all "}, {262, 8, ""},
                          {263, 3, ""},       {0, 0, ""}};
    for (const Case& c : cases) {
      dialog.calls.clear();
      HostEventRecord event{};
      event.message = (c.menu << 16) | c.item;
      VDialQv::EventCallback(dialog.GetFormRef(), &event, nullptr, kFormEventMenu, 0);
      EXPECT_EQ(dialog.calls, c.calls) << c.menu << " " << c.item;
    }
    // A dialog that has left the list is not reached.
    host.answer = [](int32_t selector, HostParamBlock& b) {
      if (selector == kFormSelGetOwner) b.param2 = 0x1234;
    };
    dialog.calls.clear();
    HostEventRecord event{};
    event.message = (262u << 16) | 1;
    VDialQv::EventCallback(dialog.GetFormRef(), &event, nullptr, kFormEventMenu, 0);
    EXPECT_EQ(dialog.calls, "");
  }
  gHostContext = nullptr;
  delete context;
}

TEST(VDialQv, PictureHandlesGainSixZeroBytes) {
  RecordingHost host;
  std::vector<uint8_t> seen;
  host.answer = [&seen](int32_t selector, HostParamBlock& b) {
    if (selector != kFormSelSetPicture || b.handle == 0) return;
    const auto h = static_cast<Tbx::Handle>(b.handle);
    seen.resize(static_cast<size_t>(Tbx::GetHandleSize(h)));
    std::memcpy(seen.data(), Tbx::HLock(h), seen.size());
    Tbx::HUnlock(h);
    Tbx::DisposeHandle(h);
  };
  VDialQv dialog(nullptr, "mvX");
  const Tbx::Handle h = Tbx::NewHandle(4);
  std::memset(Tbx::HLock(h), 0xAB, 4);
  Tbx::HUnlock(h);
  dialog.SetItemPictureFromHandle("pic", h);
  ASSERT_EQ(seen.size(), 10u);
  EXPECT_EQ(seen[3], 0xAB);
  for (size_t i = 4; i < 10; ++i) EXPECT_EQ(seen[i], 0) << i;
  Tbx::DisposeHandle(h);  // the caller's handle stays the caller's
  dialog.ClearItemPicture("pic");
  EXPECT_EQ(host.calls.back().block.handle, 0u);
}

// Picture values reach the form as the Macintosh picture that the picture
// forms give, grown by the host's 6 bytes; values that give none send
// nothing.
TEST(VDialQv, PictureValuesGoAsTheirMacintoshPicture) {
  static const HostPictureForms forms = {
      nullptr, nullptr, [](const VValue& value) -> uint32_t {
        if (value.GetLong(kWholeValue) == 0) return 0;
        const Tbx::Handle h = Tbx::NewHandle(12);
        std::memset(Tbx::HLock(h), 0xCD, 12);
        Tbx::HUnlock(h);
        return h;
      }};
  VInstalledService<const HostPictureForms> installed(&forms);
  RecordingHost host;
  std::vector<uint8_t> seen;
  int sent = 0;
  host.answer = [&](int32_t selector, HostParamBlock& b) {
    if (selector != kFormSelSetPicture) return;
    ++sent;
    const auto h = static_cast<Tbx::Handle>(b.handle);
    seen.resize(static_cast<size_t>(Tbx::GetHandleSize(h)));
    std::memcpy(seen.data(), Tbx::HLock(h), seen.size());
    Tbx::HUnlock(h);
    Tbx::DisposeHandle(h);
  };
  VDialQv dialog(nullptr, "mvX");
  dialog.SetItemPicture("pic", nullptr);
  dialog.SetItemPicture("pic", std::make_unique<VLong>(0).get());
  EXPECT_EQ(sent, 0);
  dialog.SetItemPicture("pic", std::make_unique<VLong>(1).get());
  ASSERT_EQ(sent, 1);
  ASSERT_EQ(seen.size(), 18u);
  EXPECT_EQ(seen[11], 0xCD);
  for (size_t i = 12; i < 18; ++i) EXPECT_EQ(seen[i], 0) << i;
}

}  // namespace

namespace {

TEST(VDialQv, PerElementCallsWalkFromOneUpward) {
  RecordingHost host;
  VDialQv dialog(nullptr, "mvX");
  const size_t start = host.calls.size();
  const int32_t longs[3] = {10, 20, 30};
  dialog.HostFormListCall239("lst", longs, 3);
  const double reals[2] = {1.5, 2.5};
  dialog.HostFormListExchange("lst", reals, 2);
  dialog.HostFormShowObjectPair("obj", true);
  std::vector<int32_t> selectors;
  for (size_t i = start; i < host.calls.size(); ++i) selectors.push_back(host.calls[i].selector);
  EXPECT_EQ(selectors, (std::vector<int32_t>{-239, -240, -240, -240, -327, -328, -328, -232, -337}));
  for (int i = 1; i <= 3; ++i) {
    const HostParamBlock& b = host.calls[start + static_cast<size_t>(i)].block;
    EXPECT_EQ(HostWordOf(b.param2), i);
    EXPECT_EQ(HostWordOf(b.param3), longs[i - 1]);
  }
  EXPECT_EQ(host.calls[start + 5].block.realValue, 1.5);
  EXPECT_EQ(host.calls[start + 5].block.param2, 0u);  // no index
  EXPECT_EQ(host.calls[start + 6].block.realValue, 2.5);
  EXPECT_EQ(host.calls[start + 7].block.param2, 1u);
  EXPECT_EQ(host.calls[start + 8].block.param2, 1u);
}

TEST(VDialQv, DataGoesToTheHostInANewHandle) {
  RecordingHost host;
  std::vector<uint8_t> seen;
  host.answer = [&seen](int32_t selector, HostParamBlock& b) {
    if (selector != kFormSelSetData246) return;
    const auto h = static_cast<Tbx::Handle>(b.handle);
    seen.resize(static_cast<size_t>(Tbx::GetHandleSize(h)));
    std::memcpy(seen.data(), Tbx::HLock(h), seen.size());
    Tbx::HUnlock(h);
    Tbx::DisposeHandle(h);
  };
  VDialQv dialog(nullptr, "mvX");
  const uint8_t data[3] = {7, 8, 9};
  dialog.HostFormSetData246("obj", 4, data, 3);
  EXPECT_EQ(seen, (std::vector<uint8_t>{7, 8, 9}));
  EXPECT_EQ(host.calls.back().block.param2, 4u);
  dialog.HostFormSetData246("obj", 4, nullptr, 3);  // no data: nothing sent
  EXPECT_EQ(host.Count(kFormSelSetData246), 1);
}

}  // namespace

namespace {

TEST(VDialQv, AUserAreaGetsTheDialogsOwnRoutineUnlessOneIsGiven) {
  RecordingHost host;
  VDialQv dialog(nullptr, "mvTestForm");
  dialog.HostFormSetDrawCallback("usrChar", 0, false);
  dialog.HostFormSetDrawCallback("usrOther", 0x1234, true);
  std::vector<uintptr_t> routines;
  std::vector<uintptr_t> flags;
  for (const auto& call : host.calls) {
    if (call.selector != kFormSelDrawCallback) continue;
    routines.push_back(call.block.param3);
    flags.push_back(call.block.param2);
  }
  EXPECT_EQ(routines, (std::vector<uintptr_t>{reinterpret_cast<uintptr_t>(&VDialQv::UserAreaCallback), 0x1234}));
  EXPECT_EQ(flags, (std::vector<uintptr_t>{0, kFormDrawCallbackFlag}));
}

// An area object that counts its events and its deletion.
struct AreaCounts {
  int32_t events = 0;
  int32_t deleted = 0;
};
class CountingArea : public VObject, public VPlugInObject {
 public:
  explicit CountingArea(AreaCounts& counts) : fCounts(counts) {}
  ~CountingArea() override { ++fCounts.deleted; }
  void HandleEvent(void**) override { ++fCounts.events; }

 private:
  AreaCounts& fCounts;
};

TEST(VDialQv, TheUserAreaRoutineServesTheObjectInTheSlotAndDeletesItOnClose) {
  RecordingHost host;
  Tbx::SetPort(nullptr);
  AreaCounts counts;
  void* slot = static_cast<VPlugInObject*>(new CountingArea(counts));
  const uint8_t name[] = {3, 'u', 's', 'r'};
  int16_t rect[4] = {0, 0, 10, 10};
  struct Row {
    uint16_t what;
    int32_t events;
    int32_t deleted;
  };
  // With no form window current, a creation finds no dialog and makes
  // nothing; the object in the slot hears the rest, and the close deletes
  // it and empties the slot.
  const Row rows[] = {{16, 0, 0}, {1, 1, 0}, {6, 2, 0}, {17, 3, 1}, {6, 3, 1}};
  for (const Row& r : rows) {
    HostEventRecord event{};
    event.what = r.what;
    VDialQv::UserAreaCallback(&slot, name, rect, &event);
    EXPECT_EQ(counts.events, r.events) << r.what;
    EXPECT_EQ(counts.deleted, r.deleted) << r.what;
  }
  EXPECT_EQ(slot, nullptr);
  // No event record: nothing at all.
  VDialQv::UserAreaCallback(&slot, name, rect, nullptr);
}

}  // namespace
