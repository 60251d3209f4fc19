// VHostContext: the one host-interface object of the module. It keeps what
// the host said of itself at start (version, names, five flags) and the
// host's resource files, and it makes the module-wide module resource file
// and list of open host-run dialogs.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "framework/core/containers/VChainListOf.h"
#include "framework/core/strings/VUniString.h"

struct HostStartupRecord;
class VHostResourceFile;
class VMacResourceFile;

class VHostContext : public VObject {
 public:
  // Keeps the callback of the start-up record and asks the host about itself
  // (the start-up query). A null record leaves the module without a callback.
  explicit VHostContext(const HostStartupRecord* startParams);
  ~VHostContext() override;
  VHostContext(const VHostContext&) = delete;
  VHostContext& operator=(const VHostContext&) = delete;

  // The host application's own resource file (its string lists and the
  // module's compatibility record); check IsOpen before use.
  VMacResourceFile* GetHostMacResourceFile() const { return fHostAppFile.get(); }
  // The resource file that the host keeps for the module.
  VHostResourceFile* GetHostResourceFile() const { return fHostKeptFile.get(); }
  // The second host resource file, opened on demand; none until then.
  VMacResourceFile* GetSecondHostResourceFile() const { return fSecondHostFile.get(); }
  // Keeps (or, with null, deletes) the second host resource file.
  void SetSecondHostResourceFile(std::unique_ptr<VMacResourceFile> file);

  uint32_t GetHostVersion() const { return fHostVersion; }
  const VStr<255>& GetHostName() const { return fHostName; }
  const VStr<255>& GetSecondHostName() const { return fSecondHostName; }
  // The five flags of the start-up answer, 1 to 5. The third stops an
  // undefined variable entry from taking a type from a value; the fourth
  // chooses the host's document-folder text and allows the package data
  // selectors.
  bool GetStartupFlag(int32_t number) const;

  VChainListPtrOf<VObject*>* GetOpenDialogs() const { return fOpenDialogs.get(); }

 private:
  uint8_t fFlags[5] = {};
  uint32_t fHostVersion = 0;
  VStr<255> fHostName;
  VStr<255> fSecondHostName;
  std::unique_ptr<VMacResourceFile> fHostAppFile;
  std::unique_ptr<VMacResourceFile> fSecondHostFile;
  std::unique_ptr<VHostResourceFile> fHostKeptFile;
  std::unique_ptr<VChainListPtrOf<VObject*>> fOpenDialogs;
};

// The module's host context, from start to stop.
extern VHostContext* gHostContext;
// The module's own resource file: the one current when the host context was
// made (the host makes it current before the start).
extern VMacResourceFile* gModuleResFile;
