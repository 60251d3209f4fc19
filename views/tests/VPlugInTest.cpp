// The plug-in base classes register with their package, store themselves in
// the area's object cell, and leave their list when deleted.
#include "views/VPlugIn.h"

#include <gtest/gtest.h>

#include "boundary/HostRecords.h"
#include "host/package/VPackage.h"

namespace {

class EmptyPackage : public VPackage {
 public:
  EmptyPackage() : VPackage(nullptr) {}
  void ExecuteCommand(int32_t, void*, void*) override {}
};

struct Cell {
  void* object = nullptr;
  void* params[kAreaEventParamCount] = {nullptr, nullptr, nullptr, &object};
};

TEST(PlugIn, EachKindJoinsItsListAndItsCell) {
  EmptyPackage package;
  Cell form, design, output, printing;
  auto* a = new VPlugIn(&package, 1, form.params);
  auto* b = new VPlugIn(&package, 1);
  auto* c = new VDesignPlugIn(&package, design.params);
  auto* d = new VOutputPlugIn(&package, output.params);
  auto* e = new VPrintingPlugIn(&package, printing.params);
  EXPECT_EQ(form.object, static_cast<void*>(static_cast<VPlugInObject*>(a)));
  EXPECT_EQ(package.KindOfPlugIn(a), kPlugInForm);
  EXPECT_EQ(package.KindOfPlugIn(b), kPlugInOffscreen);
  EXPECT_TRUE(b->IsOffscreen());
  EXPECT_EQ(package.KindOfPlugIn(c), kPlugInDesign);
  EXPECT_EQ(package.KindOfPlugIn(d), kPlugInOutput);
  EXPECT_EQ(package.KindOfPlugIn(e), kPlugInPrinting);
  EXPECT_EQ(printing.object, static_cast<void*>(static_cast<VPlugInObject*>(e)));
  const VPlugInObject* objects[] = {a, b, c, d, e};
  delete a;
  delete b;
  delete static_cast<VPlugInObject*>(c);
  delete d;
  delete e;
  for (const VPlugInObject* o : objects) EXPECT_EQ(package.KindOfPlugIn(o), kPlugInNone);
}

TEST(PlugIn, WithoutParametersOrCellNothingIsStored) {
  EmptyPackage package;
  void* params[kAreaEventParamCount] = {};
  VPlugIn a(&package, 1, params);
  EXPECT_EQ(package.CountPlugIns(kPlugInForm), 1);
  EXPECT_FALSE(a.IsClosed());
  EXPECT_EQ(a.GetSharedResourceFile(), nullptr);
}

TEST(PlugIn, AnAreaOfNoPackageRegistersNowhere) {
  VPlugIn orphan(nullptr, 1);
  EXPECT_EQ(orphan.GetPackage(), nullptr);
}

}  // namespace
