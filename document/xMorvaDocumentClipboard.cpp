// The document's clipboard: cut, copy and paste of the selection and of the
// ruler through the framework clipboard, in the document's own flavours
// (made by the text engine) and the foreign ones (made by the import and
// export filters), richest first.
#include <cstring>

#include "document/xMorvaAreaServices.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaDocumentArea.h"
#include "document/xMorvaInterchangeServices.h"
#include "document/xMorvaText.h"
#include "document/xMorvaTextTransfer.h"
#include "document/xMorvaUndo.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VClipboard.h"
#include "graphics/pictures/VPictureData.h"

namespace {

constexpr uint32_t kScrapStream = FourCC("xMo7");
constexpr uint32_t kScrapRuler = FourCC("xRul");
constexpr uint32_t kScrapRtf = FourCC("RTF ");
constexpr uint32_t kScrapEmf = FourCC("EMF ");
constexpr uint32_t kScrapText = FourCC("TEXT");
constexpr uint32_t kScrapStyles = FourCC("styl");
constexpr uint32_t kScrapPicture = FourCC("PICT");
// The flavours the document registers, in this order.
constexpr uint32_t kOwnScrapTypes[] = {kScrapStream, kScrapRuler, kScrapRtf, kScrapEmf};
// Plain text arrives as Macintosh bytes.
constexpr int32_t kMacTextForm = 0;

// Puts the handle's bytes as the flavour, then disposes the handle. A
// handle that could not be made (0) puts nothing.
void PutFlavor(uint32_t type, VMemHandle handle) {
  if (handle == 0) return;
  const uint32_t size = gMemoryMgr->GetHandleSize(handle);
  const void* bytes = size != 0 ? gMemoryMgr->LockHandle(handle) : nullptr;
  if ((bytes != nullptr || size == 0) && size <= INT32_MAX) gClipboard->PutData(type, bytes, int32_t(size));
  if (bytes != nullptr) gMemoryMgr->UnlockHandle(handle);
  gMemoryMgr->DisposeHandle(handle);
}

uint32_t HandleSize(VMemHandle handle) { return handle != 0 ? gMemoryMgr->GetHandleSize(handle) : 0; }

}  // namespace

void xMorvaDocument::RegisterScrapTypes() {
  if (gClipboard == nullptr) return;
  for (uint32_t type : kOwnScrapTypes) gClipboard->AddFlavor(type);
}

void xMorvaDocument::UnregisterScrapTypes() {
  if (gClipboard == nullptr) return;
  for (uint32_t type : kOwnScrapTypes) gClipboard->RemoveFlavor(type);
}

void xMorvaDocument::CopySelection() {
  if (gClipboard == nullptr || fCurrent == nullptr) return;
  xMorvaTextTransferServices* transfer = xMorvaTextTransferSlot::Get();

  // A selected picture goes alone. Both getters hand out copies of their
  // own, so deleting it here leaves the page and the text as they were.
  VPictureData* pagePicture = nullptr;
  if (fPagePictures && fPagePictures->HasSelection() && fStyleSheets) {
    pagePicture = fPagePictures->CopySelected(*fStyleSheets);
  }
  if (pagePicture != nullptr || fCurrent->IsPictureSelected()) {
    VPictureData* picture = pagePicture;
    if (picture == nullptr && transfer != nullptr) picture = transfer->CopySelectedPicture(*fCurrent);
    if (picture != nullptr) {
      gClipboard->Clear();
      gClipboard->PutPicture(*picture);
      delete picture;
    }
    return;
  }
  if (!fCurrent->HasSelection()) return;

  gClipboard->Clear();
  if (transfer != nullptr) {
    PutFlavor(kScrapStream, transfer->WriteStream(*this, *fCurrent));
    PutFlavor(kScrapRuler, transfer->CopyRuler(*fCurrent));
  }
  xMorvaInterchangeServices* filters = xMorvaInterchangeSlot::Get();
  if (filters == nullptr) return;

  VMemHandle text = gMemoryMgr->NewHandle(0, 0);
  VMemHandle styles = gMemoryMgr->NewHandle(0, 0);
  if (text != 0 && styles != 0) {
    VHandleStream textStream(text);
    VHandleStream styleStream(styles);
    const bool opened = textStream.OpenWrite() == 0 && styleStream.OpenWrite() == 0;
    const bool written = opened && filters->ExportStyledText(*this, textStream, styleStream, true);
    textStream.CloseWrite(1);
    styleStream.CloseWrite(1);
    if (written && HandleSize(text) != 0) {
      PutFlavor(kScrapText, text);
      text = 0;
      // 'styl' only from a writer of styles, and never empty.
      if (filters->WritesStyles() && HandleSize(styles) != 0) {
        PutFlavor(kScrapStyles, styles);
        styles = 0;
      }
    }
  }
  if (text != 0) gMemoryMgr->DisposeHandle(text);
  if (styles != 0) gMemoryMgr->DisposeHandle(styles);

  if (!filters->WritesRtf()) return;
  VMemHandle rtf = gMemoryMgr->NewHandle(0, 0);
  if (rtf == 0) return;
  VHandleStream rtfStream(rtf);
  bool written = rtfStream.OpenWrite() == 0 && filters->ExportRtf(*this, rtfStream, true);
  rtfStream.CloseWrite(1);
  if (written && HandleSize(rtf) != 0)
    PutFlavor(kScrapRtf, rtf);
  else
    gMemoryMgr->DisposeHandle(rtf);
}

bool xMorvaDocument::PastesScrapType(uint32_t type) {
  return type == kScrapStream || type == kScrapRuler || type == kScrapRtf || type == kScrapText ||
         type == kScrapPicture;
}

void xMorvaDocument::PasteClipboard() {
  if (gClipboard == nullptr || fCurrent == nullptr) return;
  xMorvaInterchangeServices* filters = xMorvaInterchangeSlot::Get();

  if (gClipboard->HasData(kScrapStream)) {
    const VMemHandle stream = gClipboard->GetData(kScrapStream);
    if (stream == 0) return;
    PasteStreamHandle(stream, true);
    gMemoryMgr->DisposeHandle(stream);
    Refresh(true, false);
    return;
  }
  if (gClipboard->HasData(kScrapRuler)) {
    PasteRuler();
    return;
  }
  if (filters != nullptr && filters->ReadsRtf() && gClipboard->HasData(kScrapRtf)) {
    VMemHandle rtf = gClipboard->GetData(kScrapRtf);
    if (rtf == 0) return;
    VHandleStream stream(rtf);
    if (stream.OpenRead() == 0) {
      BeginChange();
      filters->ImportRtf(*this, stream, true);
      EndChange();
      Refresh(true, false);
      stream.CloseRead();
      const int32_t end = fCurrent->GetSelEnd();
      fCurrent->SetSelection(end, end);
    }
    gMemoryMgr->DisposeHandle(rtf);
    return;
  }
  if (gClipboard->HasData(kScrapText)) {
    VMemHandle text = gClipboard->GetData(kScrapText);
    if (text == 0) return;
    VMemHandle styles = 0;
    if (filters != nullptr && filters->ReadsStyles() && gClipboard->HasData(kScrapStyles))
      styles = gClipboard->GetData(kScrapStyles);
    if (styles == 0) {
      PastePlainText(text);
    } else {
      VHandleStream textStream(text);
      VHandleStream styleStream(styles);
      if (textStream.OpenRead() == 0 && styleStream.OpenRead() == 0) {
        BeginChange();
        filters->ImportStyledText(*this, textStream, styleStream, true);
        EndChange();
      }
      textStream.CloseRead();
      styleStream.CloseRead();
      gMemoryMgr->DisposeHandle(styles);
      const int32_t end = fCurrent->GetSelEnd();
      fCurrent->SetSelection(end, end);
    }
    gMemoryMgr->DisposeHandle(text);
    Refresh(true, false);
    return;
  }
  if (gClipboard->HasData(kScrapPicture)) PastePicture();
}

void xMorvaDocument::PastePlainText(VMemHandle text) {
  xMorvaTextTransferServices* transfer = xMorvaTextTransferSlot::Get();
  if (transfer == nullptr) return;
  // The text ends at its first zero byte, when it has one.
  const uint32_t size = HandleSize(text);
  if (size != 0) {
    const auto* bytes = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(text));
    const void* zero = bytes != nullptr ? std::memchr(bytes, 0, size) : nullptr;
    const uint32_t length = zero != nullptr ? uint32_t(static_cast<const uint8_t*>(zero) - bytes) : size;
    gMemoryMgr->UnlockHandle(text);
    if (length < size) gMemoryMgr->SetHandleSize(text, length);
  }
  VStrInHandle string;
  string.SetFromHandle(text, kMacTextForm);
  if (string.GetLength() == 0) return;
  VMemHandle units = gMemoryMgr->NewHandle(0, 0);
  if (units == 0) return;
  uint32_t positions = 0;
  if (transfer->StringToUnits(*fCurrent, string, units, positions) && positions != 0) {
    const uint32_t bytes = gMemoryMgr->GetHandleSize(units);
    const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(units));
    if (data != nullptr) InsertElements(data, bytes, int32_t(positions));
    gMemoryMgr->UnlockHandle(units);
  }
  gMemoryMgr->DisposeHandle(units);
}

void xMorvaDocument::PastePicture() {
  VPictureData* picture = gClipboard->GetPicture();
  if (picture == nullptr) return;
  const int16_t placement = fArea != nullptr ? fArea->AskPastePicturePlacement() : 1;
  if (fArea != nullptr) NotifyHostModal(placement >= 0);
  if (placement < 0) {
    delete picture;
    return;
  }
  if (placement == 0) {
    // The area takes the picture whether it could place it or not.
    PlacePagePicture(kUndoPaste, [&] { return fArea->AddPagePicture(picture); });
    return;
  }
  xMorvaTextTransferServices* transfer = xMorvaTextTransferSlot::Get();
  const VMemHandle element = transfer != nullptr ? transfer->MakePictureElement(*picture) : 0;
  delete picture;
  if (element == 0) return;
  const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(element));
  if (data != nullptr) InsertElements(data, gMemoryMgr->GetHandleSize(element), 1);
  gMemoryMgr->UnlockHandle(element);
  gMemoryMgr->DisposeHandle(element);
  Refresh(true, false);
}

void xMorvaDocument::CopyRuler() {
  xMorvaTextTransferServices* transfer = xMorvaTextTransferSlot::Get();
  if (gClipboard == nullptr || fCurrent == nullptr || transfer == nullptr) return;
  gClipboard->Clear();
  PutFlavor(kScrapRuler, transfer->CopyRuler(*fCurrent));
}

void xMorvaDocument::PasteRuler() {
  xMorvaTextTransferServices* transfer = xMorvaTextTransferSlot::Get();
  if (gClipboard == nullptr || fCurrent == nullptr || transfer == nullptr) return;
  if (!gClipboard->HasData(kScrapRuler)) return;
  const VMemHandle ruler = gClipboard->GetData(kScrapRuler);
  if (ruler == 0) return;
  BeginChange();
  transfer->PasteRuler(*fCurrent, ruler);
  gMemoryMgr->DisposeHandle(ruler);
  EndChange();
  Refresh(true, false);
}

int32_t xMorvaDocument::PasteStreamHandle(VMemHandle handle, bool refresh) {
  const uint32_t size = HandleSize(handle);
  const void* bytes = size != 0 ? gMemoryMgr->LockHandle(handle) : nullptr;
  const int32_t result = PasteStream(bytes, bytes != nullptr ? size : 0, refresh);
  if (bytes != nullptr) gMemoryMgr->UnlockHandle(handle);
  return result;
}

int32_t xMorvaDocument::PasteStreamFromMemory(const void* bytes, uint32_t size, bool refresh) {
  return PasteStream(bytes, bytes != nullptr ? size : 0, refresh);
}

int32_t xMorvaDocument::PasteStream(const void* bytes, uint32_t size, bool refresh) {
  xMorvaTextTransferServices* transfer = xMorvaTextTransferSlot::Get();
  if (fCurrent == nullptr || transfer == nullptr) return kErrorTextCannotGrow;
  BeginChange();
  const int32_t result = transfer->PasteStream(*this, *fCurrent, bytes, size);
  if (result == 0 && refresh)
    transfer->RefreshComputedElements(*fCurrent, fCurrent->GetSelStartOffset(), fCurrent->GetSelEndOffset());
  EndChange();
  const int32_t end = fCurrent->GetSelEnd();
  fCurrent->SetSelection(end, end);
  return result;
}
