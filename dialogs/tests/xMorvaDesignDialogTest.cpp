// The design properties of an area: the stored block read from the host's
// property record in either byte order, and the dialog whose
// "butInterface" runs the toolbar design dialog in its place.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "area/tests/AreaTestSupport.h"
#include "controls/bars/VToolBarsDesignDialog.h"
#include "controls/tests/PagedFormSupport.h"
#include "dialogs/xMorvaDesignDialog.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "views/VPlugInDocMgr.h"

namespace {

using formtest::PagedForm;

// The block as a machine of the given order writes it: the kind and its
// version, the four settings and the toolbar configuration, cut to `size`
// bytes when that is smaller.
std::vector<uint8_t> Block(bool big, uint32_t tag, size_t size) {
  std::vector<uint8_t> b;
  auto put = [&](uint32_t v, int width) {
    for (int i = 0; i < width; ++i) b.push_back(uint8_t(v >> (big ? 8 * (width - 1 - i) : 8 * i)));
  };
  put(tag, 4);
  put(0, 4);
  put(uint16_t(-12), 2);
  put(340, 2);
  put(1, 1);
  put(200, 1);
  put(3, 4);
  for (uint8_t c : {7, 8, 9}) b.push_back(c);
  if (size < b.size()) b.resize(size);
  return b;
}

using DesignProperties = areatest::AreaTest;

TEST_F(DesignProperties, TheStoredBlockIsReadInEitherOrderAndAForeignOrCutOneKeepsNoConfiguration) {
  auto* design = NewKind<xMorvaDesignPlugIn>(&xMorvaMain::NewDesignPlugIn);
  const uint32_t kind = design->GetDocMgr()->GetSignature();
  struct Row {
    const char* name;
    std::vector<uint8_t> bytes;
    int16_t first, second;
    uint8_t third, fourth;
    std::vector<uint8_t> configuration;
  };
  // The reader's cases are its own test's; here the host's record reaches
  // it with the placeholder's kind.
  const Row rows[] = {
      {"little", Block(false, kind, 99), -12, 340, 1, 200, {7, 8, 9}},
      {"foreign kind", Block(true, FourCC("ABCD"), 99), 0, 0, 0, 0, {}},
      {"cut in the configuration", Block(true, kind, 20), -12, 340, 1, 200, {}},
  };
  for (const Row& r : rows) {
    std::vector<uint8_t> bytes = r.bytes;
    HostPropertyRecord record{HostAddress(bytes.data()), static_cast<uint32_t>(bytes.size())};
    {
      xMorvaPlugInProperties properties(design, &record);
      const VDesignProperties& s = properties.GetSettings();
      EXPECT_EQ(s.first, r.first) << r.name;
      EXPECT_EQ(s.second, r.second) << r.name;
      EXPECT_EQ(s.third, r.third) << r.name;
      EXPECT_EQ(s.fourth, r.fourth) << r.name;
      EXPECT_EQ(s.hasConfiguration, !r.configuration.empty()) << r.name;
      EXPECT_EQ(s.configuration, r.configuration) << r.name;
    }
    // The block goes back to the host as it came.
    if (record.data != 0) gMemoryMgr->DisposeBlock(HostPointer<void>(record.data));
  }
  // No record at all: nothing read.
  xMorvaPlugInProperties none(design, nullptr);
  EXPECT_FALSE(none.GetSettings().hasConfiguration);
}

TEST_F(DesignProperties, TheInterfaceButtonRunsTheToolbarDesignDialogInTheFormsPlace) {
  auto* design = NewKind<xMorvaDesignPlugIn>(&xMorvaMain::NewDesignPlugIn);
  std::vector<uint8_t> bytes = Block(true, design->GetDocMgr()->GetSignature(), 99);
  HostPropertyRecord record{HostAddress(bytes.data()), static_cast<uint32_t>(bytes.size())};
  {
    xMorvaPlugInProperties properties(design, &record);
    PagedForm form;
    std::vector<uint8_t> seen;
    form.onStep = [&] {
      if (auto* toolbars = dynamic_cast<VToolBarsDesignDialog*>(form.dialog))
        if (toolbars->GetConfiguration() != nullptr) seen = *toolbars->GetConfiguration();
    };
    // Another object does nothing; the button opens the design dialog,
    // which its OK ends; the properties' own OK ends them.
    form.steps = {"butOther", "butInterface", "accept", "accept"};
    xMorvaDesignDialog dialog(properties);
    EXPECT_TRUE(dialog.Run());
    EXPECT_TRUE(form.steps.empty());
    EXPECT_EQ(seen, (std::vector<uint8_t>{7, 8, 9}));
    std::vector<std::string> opened;
    for (const auto& call : form.host.calls) {
      if (call.selector != kFormSelOpen) continue;
      opened.push_back(reinterpret_cast<const char*>(call.block.text) + std::string(" \"") +
                       std::string(reinterpret_cast<const char*>(call.block.text2 + 1), call.block.text2[0]) + "\"");
    }
    EXPECT_EQ(opened, (std::vector<std::string>{"mvDesignProperties \"\"", "xp_ToolBarsDesign \"Qv Morva\""}));
  }
  if (record.data != 0) gMemoryMgr->DisposeBlock(HostPointer<void>(record.data));
}

}  // namespace
