// COM start counting and the shell's allocator of the headless stand-in.
#include "platform/win32/WinShell.h"

#include <atomic>
#include <cstdlib>

namespace {

thread_local int tComDepth = 0;
std::atomic<int> gShellBlocks{0};

class ShellAllocator final : public IMalloc {
 public:
  void* Alloc(SIZE_T size) override {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (block != nullptr) ++gShellBlocks;
    return block;
  }
  void Free(void* block) override {
    if (block == nullptr) return;
    std::free(block);
    --gShellBlocks;
  }
  ULONG Release() override { return 1; }
};

ShellAllocator gAllocator;

}  // namespace

HRESULT CoInitialize(void*) { return tComDepth++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (tComDepth > 0) --tComDepth;
}

HRESULT SHGetMalloc(IMalloc** allocator) {
  if (allocator == nullptr) return E_INVALIDARG;
  *allocator = &gAllocator;
  return S_OK;
}

int GetHeadlessComDepth() { return tComDepth; }
int CountHeadlessShellBlocks() { return gShellBlocks.load(); }
