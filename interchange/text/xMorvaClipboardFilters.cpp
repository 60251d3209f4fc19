// Plain text of a document for the clipboard's 'TEXT' flavour.
#include "interchange/text/xMorvaClipboardFilters.h"

#include "document/xMorvaDocument.h"
#include "engine/xMorvaEngine.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VStream.h"
#include "framework/core/strings/VUniString.h"

namespace {
// The string's bytes in the Macintosh character set.
constexpr int32_t kMacTextForm = 0;
}  // namespace

bool xMorvaClipboardFilters::ExportStyledText(xMorvaDocument& document, VStream& text, VStream& styles,
                                              bool selectionOnly) {
  (void)styles;
  auto* engine = static_cast<xMorvaEngine*>(document.GetCurrentPart());
  if (engine == nullptr) return false;
  VStrInHandle plain;
  engine->WritePlainText(plain, selectionOnly, false);
  const VMemHandle bytes = plain.NewHandleOfText(kMacTextForm, false);
  if (bytes == 0) return false;
  const uint32_t size = gMemoryMgr->GetHandleSize(bytes);
  const void* data = size != 0 ? gMemoryMgr->LockHandle(bytes) : nullptr;
  if (data != nullptr) {
    text.PutData(data, size);
    gMemoryMgr->UnlockHandle(bytes);
  }
  gMemoryMgr->DisposeHandle(bytes);
  return text.GetStatus() == 0;
}
