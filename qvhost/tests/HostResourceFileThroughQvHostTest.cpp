// The resource file the host keeps for the module, served by the stand-in
// host from its database: resources added, got, named, listed, written,
// released and removed through the resource-file interface.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "boundary/FourCC.h"
#include "boundary/HostServiceSelectors.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "host/callback/HostCallback.h"
#include "host/context/VHostResourceFile.h"
#include "qvhost/QvHost.h"
#include "host/tests/HostTestSupport.h"

namespace {

constexpr uint32_t kType = FourCC("DATA");

using hosttest::Str;
using hosttest::Text;

class KeptFile : public ::testing::Test {
 protected:
  KeptFile() : host(QvHostConfig{}) {
    previous = GetHostCallback();
    SetHostCallback(&QvHost::Callback);
    file = std::make_unique<VHostResourceFile>();
  }
  ~KeptFile() override {
    file.reset();
    SetHostCallback(previous);
  }
  // The selectors the file sent, in order, from the log.
  std::vector<int32_t> Sent() const {
    std::vector<int32_t> out;
    for (const QvHost::LoggedCall& c : host.Log()) out.push_back(c.selector);
    return out;
  }
  QvHost host;
  HostCallback previous = nullptr;
  std::unique_ptr<VHostResourceFile> file;
};

}  // namespace

TEST_F(KeptFile, AddedResourcesComeBackByIdNameAndIndex) {
  ASSERT_TRUE(file->IsOpen());
  const VStr<255> name = Text("Greeting");
  EXPECT_EQ(file->AddResource(kType, 200, &name, "hello", 5), 200);
  // Id -1: the host chooses, from 128 up.
  EXPECT_EQ(file->AddResource(kType, -1, nullptr, "ab", 2), 128);
  EXPECT_EQ(file->AddResource(kType, -1, nullptr, "cd", 2), 129);
  EXPECT_EQ(file->CountResources(kType), 3);
  EXPECT_EQ(file->UniqueResourceId(kType), 130);

  uint8_t found = 0;
  const VResourceRef byId = file->GetResource(kType, 200, &found);
  ASSERT_NE(byId, 0u);
  EXPECT_EQ(found, 1);
  EXPECT_EQ(file->GetResourceSize(byId), 5u);
  const auto* data = static_cast<const char*>(file->LockResource(byId));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(std::string(data, 5), "hello");
  file->UnlockResource(byId);
  EXPECT_EQ(file->GetResourceId(byId), 200);
  VStr<255> text;
  file->GetResourceNameOfHandle(&text, byId);
  EXPECT_EQ(Str(text), "Greeting");
  // The same resource got twice is the same handle, recorded once.
  EXPECT_EQ(file->GetNamedResource(kType, &name, &found), byId);
  EXPECT_EQ(file->CountObtained(), 1u);
  EXPECT_EQ(file->GetNamedResourceId(kType, &name), 200);
  EXPECT_EQ(file->GetResourceSizeById(kType, 200), 5u);
  EXPECT_EQ(file->GetIndResourceId(kType, 1), 128);
  EXPECT_EQ(file->GetIndResourceId(kType, 4), 0);

  std::unique_ptr<VWordArray> ids(file->GetResourceIds(kType));
  ASSERT_NE(ids, nullptr);
  ASSERT_EQ(ids->Count(), 3);
  EXPECT_EQ(ids->GetWord(3), 200);
  std::unique_ptr<VStringArray> names(file->GetResourceNames(kType));
  ASSERT_NE(names, nullptr);
  ASSERT_EQ(names->Count(), 3);
  std::unique_ptr<VLongArray> types(file->GetResourceTypes());
  ASSERT_NE(types, nullptr);
  ASSERT_EQ(types->Count(), 1);
  EXPECT_EQ(static_cast<uint32_t>(types->GetLong(1)), kType);

  // Releasing tells the host the module lets go (-439) before the release.
  host.ClearLog();
  const size_t handedOut = host.OutstandingResourceHandles();
  file->ReleaseResource(byId);
  EXPECT_EQ(Sent(), (std::vector<int32_t>{kResSelForget, kResSelRelease}));
  EXPECT_EQ(file->CountObtained(), 0u);
  EXPECT_EQ(host.OutstandingResourceHandles(), handedOut - 1);
}

TEST_F(KeptFile, ChangedDataIsWrittenAndDetachedDataIsTheModules) {
  ASSERT_EQ(file->AddResource(kType, 300, nullptr, "abc", 3), 300);
  uint8_t found = 0;
  const VResourceRef ref = file->GetResource(kType, 300, &found);
  ASSERT_TRUE(file->SetResourceSize(ref, 4));
  std::memcpy(file->LockResource(ref), "wxyz", 4);
  file->UnlockResource(ref);
  file->WriteResource(ref);
  file->ReleaseResourceById(kType, 300);
  EXPECT_EQ(file->CountObtained(), 0u);
  EXPECT_EQ(file->GetResourceSizeById(kType, 300), 4u);

  const VResourceRef again = file->GetResource(kType, 300, &found);
  const VMemHandle detached = file->DetachResource(again);
  ASSERT_NE(detached, 0u);
  EXPECT_EQ(std::memcmp(gMemoryMgr->LockHandle(detached), "wxyz", 4), 0);
  gMemoryMgr->UnlockHandle(detached);
  gMemoryMgr->DisposeHandle(detached);
  EXPECT_EQ(file->CountObtained(), 0u);
  EXPECT_TRUE(file->HasResource(kType, 300));
  EXPECT_FALSE(file->HasResource(kType, 301));
  EXPECT_EQ(file->UpdateFile(), 0);
}

TEST_F(KeptFile, RemovingAllOfATypeStopsAtTheFirstRefusal) {
  for (int16_t id : {130, 131, 132}) ASSERT_EQ(file->AddResource(kType, id, nullptr, "x", 1), id);
  host.protectedResources.push_back({kType, 131});
  EXPECT_FALSE(file->RemoveResources(kType));
  // 130 went, 131 was refused, 132 was not tried.
  EXPECT_FALSE(file->HasResource(kType, 130));
  EXPECT_TRUE(file->HasResource(kType, 131));
  EXPECT_TRUE(file->HasResource(kType, 132));
  host.protectedResources.clear();
  EXPECT_TRUE(file->RemoveResources(kType));
  EXPECT_EQ(file->CountResources(kType), 0);
  const VStr<255> none = Text("None");
  EXPECT_FALSE(file->RemoveNamedResource(kType, &none));
  EXPECT_FALSE(file->RemoveResource(kType, 999));
}

TEST_F(KeptFile, MakingCurrentStacksThePreviousFile) {
  host.currentResourceFile = 7;
  file->UseFile();
  EXPECT_EQ(host.currentResourceFile, QvHost::kKeptResourceFile);
  file->RestoreFile();
  EXPECT_EQ(host.currentResourceFile, 7);
  // A restore with nothing kept asks nothing.
  host.ClearLog();
  file->RestoreFile();
  EXPECT_TRUE(host.Log().empty());
}
