// A resource of a file held locked for reading, and given back (unlocked
// and released) when the holder goes, whatever path the reader leaves by.
#pragma once

#include <cstddef>
#include <cstdint>

#include "framework/system/resources/VResourceFile.h"

class LockedResource {
 public:
  LockedResource(VResourceFile* file, VResourceRef ref) : fFile(file), fRef(ref) {
    if (fFile == nullptr || fRef == 0) return;
    fData = static_cast<const uint8_t*>(fFile->LockResource(fRef));
    if (fData != nullptr) fSize = fFile->GetResourceSize(fRef);
  }
  ~LockedResource() {
    if (fFile == nullptr || fRef == 0) return;
    if (fData != nullptr) fFile->UnlockResource(fRef);
    fFile->ReleaseResource(fRef);
  }
  LockedResource(const LockedResource&) = delete;
  LockedResource& operator=(const LockedResource&) = delete;

  const uint8_t* Data() const { return fData; }
  size_t Size() const { return fSize; }
  VResourceRef Ref() const { return fRef; }

 private:
  VResourceFile* fFile;
  VResourceRef fRef;
  const uint8_t* fData = nullptr;
  size_t fSize = 0;
};
