// A memory manager for tests that passes every call to the real one but can be
// told to refuse new handles or resizes, as an exhausted memory would (error 100).
#pragma once

#include "framework/core/memory/VMemoryMgr.h"

class FailingMemoryMgr : public VMemoryMgr {
 public:
  explicit FailingMemoryMgr(VMemoryMgr* real) : fReal(real) {}

  bool failNew = false;
  bool failResize = false;
  int resizes = 0;  // successful and refused resizes alike
  int locks = 0;    // locks that yielded an address
  int unlocks = 0;
  int disposes = 0;

  VMemHandle NewHandle(uint32_t size, uint16_t granule) override {
    if (failNew) return Refuse<VMemHandle>(0);
    return fReal->NewHandle(size, granule);
  }
  VMemHandle DuplicateHandle(VMemHandle h) override { return fReal->DuplicateHandle(h); }
  VMemHandle NewHandleFromData(const void* data, uint32_t size) override {
    if (failNew) return Refuse<VMemHandle>(0);
    return fReal->NewHandleFromData(data, size);
  }
  VMemHandle NewHandleClear(uint32_t size, uint16_t granule) override {
    if (failNew) return Refuse<VMemHandle>(0);
    return fReal->NewHandleClear(size, granule);
  }
  void DisposeHandle(VMemHandle h) override {
    ++disposes;
    fReal->DisposeHandle(h);
  }
  void* LockHandle(VMemHandle h) override {
    void* p = fReal->LockHandle(h);
    if (p != nullptr) ++locks;
    return p;
  }
  void UnlockHandle(VMemHandle h) override {
    ++unlocks;
    fReal->UnlockHandle(h);
  }
  uint32_t GetHandleSize(VMemHandle h) override { return fReal->GetHandleSize(h); }
  bool SetHandleSize(VMemHandle h, uint32_t size) override {
    ++resizes;
    if (failResize) return Refuse(false);
    return fReal->SetHandleSize(h, size);
  }
  bool SetHandleSizeClear(VMemHandle h, uint32_t size) override {
    ++resizes;
    if (failResize) return Refuse(false);
    return fReal->SetHandleSizeClear(h, size);
  }
  bool IsLocked(VMemHandle h) override { return fReal->IsLocked(h); }
  uint32_t ToMacHandle(VMemHandle h, bool copy) override { return fReal->ToMacHandle(h, copy); }
  VMemHandle FromMacHandle(uint32_t h, bool copy) override { return fReal->FromMacHandle(h, copy); }
  void* NewBlock(uint32_t size) override { return fReal->NewBlock(size); }
  void* CopyToBlock(VMemHandle h) override { return fReal->CopyToBlock(h); }
  void* NewBlockClear(uint32_t size) override { return fReal->NewBlockClear(size); }
  void DisposeBlock(void* block) override { fReal->DisposeBlock(block); }
  uint32_t GetFreeMemory() override { return fReal->GetFreeMemory(); }

 private:
  template <typename R>
  R Refuse(R answer) {
    fError = kMemNoMemory;
    return answer;
  }
  VMemoryMgr* fReal;
};

// Puts a FailingMemoryMgr in place of the global one for the life of a scope.
class ScopedFailingMemoryMgr {
 public:
  ScopedFailingMemoryMgr() : fSaved(gMemoryMgr), fFake(gMemoryMgr) { gMemoryMgr = &fFake; }
  ~ScopedFailingMemoryMgr() { gMemoryMgr = fSaved; }
  FailingMemoryMgr* operator->() { return &fFake; }

 private:
  VMemoryMgr* fSaved;
  FailingMemoryMgr fFake;
};
