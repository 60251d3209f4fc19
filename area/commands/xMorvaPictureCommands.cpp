// The host commands of pictures: inserted into the text or placed on a
// page (119), the pictures on the pages read, changed, deleted and selected
// (121 to 124), the selected picture element's size (125, 126), a page as
// a picture (136) and the selected picture handed to the host (165).
#include <memory>

#include "area/commands/xMorvaCommandValues.h"
#include "area/commands/xMorvaTableCommands.h"
#include "area/view/xMorvaPicturesInPage.h"
#include "area/xMorvaHostObject.h"
#include "area/xMorvaMain.h"
#include "document/xMorvaDocument.h"
#include "document/xMorvaLayoutInterface.h"
#include "engine/xMorvaEngine.h"
#include "engine/xMorvaPictureElement.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VMetafilePort.h"
#include "graphics/pictures/VEmfPictureData.h"
#include "graphics/pictures/VPictPictureData.h"
#include "graphics/pictures/VPictureHostForms.h"

// Named, not anonymous: the area's files are compiled in batches, and
// the command files share the names of their helpers.
namespace picture_commands {

using xMorvaCommandValues::At;
using xMorvaCommandValues::ClearString;
using xMorvaCommandValues::ClearText;
using xMorvaCommandValues::HandleAt;
using xMorvaCommandValues::LockedHandle;
using xMorvaCommandValues::LongAt;
using xMorvaCommandValues::PutHandle;
using xMorvaCommandValues::PutLong;
using xMorvaCommandValues::PutReal;
using xMorvaCommandValues::PutString;
using xMorvaCommandValues::PutText;
using xMorvaCommandValues::PutWord;
using xMorvaCommandValues::RealAt;
using xMorvaCommandValues::StringAt;
using xMorvaCommandValues::TextAt;
using xMorvaCommandValues::WordAt;

constexpr int32_t kErrorNoPicture = 1034;
constexpr int32_t kErrorPictureSize = 1035;
constexpr int32_t kErrorPicturePosition = 1036;
constexpr int32_t kErrorNoMemory = 1041;
constexpr int32_t kErrorNoPictureData = 1065;
constexpr int32_t kErrorPictureOnPage = 1082;
constexpr int32_t kErrorNoPagePicture = 1083;
constexpr int32_t kErrorPageNumber = 1086;
// A picture handed in by the host carries 6 bytes behind its data.
constexpr uint32_t kHostPictureTrailer = 6;
// The current page, as command 119 names it.
constexpr int32_t kCurrentPage = -4;
// A picture element may be at most this much lower than the page's text.
constexpr int32_t kPictureHeightMargin = 20;

xMorvaEngine* CurrentEngine(xMorvaDocument& document) {
  return static_cast<xMorvaEngine*>(document.GetCurrentPart());
}

xMorvaPicturesInPage* PagePictures(xMorvaDocument& document) {
  return static_cast<xMorvaPicturesInPage*>(document.GetPagePictures());
}

// The 0-based index of picture number n (1-based), or -1.
int32_t PictureIndex(xMorvaDocument& document, int32_t n) {
  xMorvaPicturesInPage* pictures = PagePictures(document);
  return pictures != nullptr && n >= 1 && n <= pictures->GetCount() ? n - 1 : -1;
}

// The page index of a display page number inside the document, or -1.
int32_t PageIndex(xMorvaDocument& document, int32_t displayPage) {
  const int64_t index = int64_t(displayPage) - document.GetParams().GetFirstPageNumber();
  return index >= 0 && index < document.GetBodyPageCount() ? int32_t(index) : -1;
}

bool InsidePage(xMorvaDocument& document, int64_t x, int64_t y) {
  const xMorvaDocParams& params = document.GetParams();
  return x >= 0 && y >= 0 && x < params.GetPageWidth() && y < params.GetPageHeight();
}

void Refreshed(xMorvaDocument& document) {
  document.SetModified();
  document.Refresh(false, true);
}

// A picture value of the host's handle: its bytes less the trailer, when
// they hold the picture's header; null otherwise.
std::unique_ptr<VPictureData> PictureOfHandle(uint32_t handle) {
  LockedHandle bytes(handle);
  const uint32_t size = bytes.Size() >= kHostPictureTrailer ? bytes.Size() - kHostPictureTrailer : bytes.Size();
  if (bytes.Data() == nullptr) return nullptr;
  return std::unique_ptr<VPictureData>(static_cast<VPictureData*>(NewPictValueFromMacPicture(bytes.Data(), size)));
}

int32_t InsertIntoText(xMorvaDocument& document, VPictureData& picture) {
  xMorvaEngine* engine = CurrentEngine(document);
  const VMemHandle element = gMemoryMgr->NewHandle(0, 0);
  if (engine == nullptr || element == 0) return kErrorNoMemory;
  int32_t code = kErrorNoMemory;
  if (MakePictureElement(picture, element, -1, -1, -1, 0)) code = document.InsertUnits(element, 1, true);
  gMemoryMgr->DisposeHandle(element);
  document.Refresh(true, false);
  return code;
}

int32_t AddPicture(xMorvaDocument& document, void** p) {
  std::unique_ptr<VPictureData> picture = PictureOfHandle(HandleAt(p, 1));
  if (!picture) return kErrorNoPictureData;
  const int32_t page = LongAt(p, 2);
  if (page == 0) return InsertIntoText(document, *picture);
  xMorvaPagePicture entry;
  if (page == kCurrentPage) {
    entry.page = document.GetCaretPage();
  } else if (page >= kPageEveryRight && page <= kPageEvery) {
    entry.page = page;
  } else {
    entry.page = PageIndex(document, page);
    if (entry.page < 0) return kErrorPictureOnPage;
  }
  const xMorvaDocParams& params = document.GetParams();
  entry.left = params.FromDisplayUnit(RealAt(p, 3));
  entry.top = params.FromDisplayUnit(RealAt(p, 4));
  if (!InsidePage(document, entry.left, entry.top)) return kErrorPicturePosition;
  entry.notOnFirstPage = WordAt(p, 5) != 0 ? 1 : 0;
  entry.behindText = WordAt(p, 6) != 0 ? 1 : 0;
  xMorvaPicturesInPage* pictures = PagePictures(document);
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (pictures == nullptr || store == nullptr) return kErrorNoMemory;
  const int32_t code = pictures->AddPicture(*store, *picture, entry);
  if (code == 0) Refreshed(document);
  return code;
}

int32_t ReadPagePicture(xMorvaDocument& document, void** p) {
  const int32_t index = PictureIndex(document, LongAt(p, 1));
  if (index < 0) return kErrorNoPagePicture;
  const xMorvaPagePicture& entry = PagePictures(document)->GetEntry(index);
  PutLong(At(p, 2), entry.page);
  PutWord(At(p, 3), entry.notOnFirstPage);
  PutWord(At(p, 4), entry.behindText);
  const xMorvaDocParams& params = document.GetParams();
  const int32_t lengths[] = {entry.left,         entry.top,        entry.naturalWidth,
                             entry.naturalHeight, entry.shownWidth, entry.shownHeight};
  for (int i = 0; i < 6; ++i) PutReal(At(p, 5 + i), params.ToDisplayUnit(lengths[i]));
  return 0;
}

int32_t ChangePagePicture(xMorvaDocument& document, void** p) {
  const int32_t index = PictureIndex(document, LongAt(p, 1));
  if (index < 0) return kErrorNoPagePicture;
  xMorvaPagePicture changed = PagePictures(document)->GetEntry(index);
  const int32_t page = LongAt(p, 2);
  if (page == 0) {
    changed.page = document.GetCaretPage();
  } else if (page >= kPageEveryRight && page <= kPageEvery) {
    changed.page = page;
  } else if (const int32_t found = PageIndex(document, page); found >= 0) {
    changed.page = found;
  }
  if (LongAt(p, 3) >= 0) changed.notOnFirstPage = LongAt(p, 3) != 0 ? 1 : 0;
  if (LongAt(p, 4) >= 0) changed.behindText = LongAt(p, 4) != 0 ? 1 : 0;
  const xMorvaDocParams& params = document.GetParams();
  changed.left = params.FromDisplayUnit(RealAt(p, 5));
  changed.top = params.FromDisplayUnit(RealAt(p, 6));
  if (RealAt(p, 7) >= 0) changed.shownWidth = params.FromDisplayUnit(RealAt(p, 7));
  if (RealAt(p, 8) >= 0) changed.shownHeight = params.FromDisplayUnit(RealAt(p, 8));
  if (!InsidePage(document, changed.left, changed.top)) return kErrorPicturePosition;
  if (int64_t(changed.left) + changed.shownWidth > params.GetPageWidth() ||
      int64_t(changed.top) + changed.shownHeight > params.GetPageHeight()) {
    return kErrorPictureSize;
  }
  // A changed size is the user's: it stays when the picture is made again.
  xMorvaPagePicture& entry = PagePictures(document)->Entry(index);
  if (changed.shownWidth != entry.shownWidth || changed.shownHeight != entry.shownHeight) changed.keepsSize = 1;
  entry.page = changed.page;
  entry.notOnFirstPage = changed.notOnFirstPage;
  entry.behindText = changed.behindText;
  entry.left = changed.left;
  entry.top = changed.top;
  entry.shownWidth = changed.shownWidth;
  entry.shownHeight = changed.shownHeight;
  entry.keepsSize = changed.keepsSize;
  Refreshed(document);
  return 0;
}

int32_t DeleteOrSelect(xMorvaDocument& document, int32_t selector, int32_t n) {
  const int32_t index = PictureIndex(document, n);
  if (index < 0) return kErrorNoPagePicture;
  xMorvaPicturesInPage* pictures = PagePictures(document);
  if (selector == 123) {
    if (!document.DeletePagePicture(index)) return kErrorNoMemory;
    Refreshed(document);
  } else {
    // Selecting changes what is shown, not the document.
    pictures->SetSelection(index);
    document.Refresh(false, true);
  }
  return 0;
}

bool IsOnePictureSelected(xMorvaEngine* engine) {
  return engine != nullptr && engine->IsPictureSelected() && engine->GetSelLength() == 1;
}

int32_t SetPictureSize(xMorvaDocument& document, void** p) {
  xMorvaEngine* engine = CurrentEngine(document);
  if (!IsOnePictureSelected(engine)) return kErrorNoPicture;
  const xMorvaDocParams& params = document.GetParams();
  const int32_t width = params.FromDisplayUnit(RealAt(p, 1));
  const int32_t height = params.FromDisplayUnit(RealAt(p, 2));
  const int32_t tallest = params.TextHeight(document.GetCaretPage()) - kPictureHeightMargin;
  if (width < 0 || width > document.CurrentTextWidth() || height < 0 || height > tallest) return kErrorPictureSize;
  document.BeginChange();
  const int32_t code = engine->SetSelectedPictureSize(width, height);
  document.EndChange();
  document.Refresh(true, false);
  return code;
}

int32_t ReadPictureSize(xMorvaDocument& document, void** p) {
  xMorvaEngine* engine = CurrentEngine(document);
  uint32_t words[6] = {};
  if (engine == nullptr || engine->GetSelectedPictureHeader(words) != 0) return kErrorNoPicture;
  const xMorvaDocParams& params = document.GetParams();
  PutReal(At(p, 1), params.ToDisplayUnit(int32_t(words[2])));
  PutReal(At(p, 2), params.ToDisplayUnit(int32_t(words[3])));
  PutReal(At(p, 3), params.ToDisplayUnit(int32_t(words[0])));
  PutReal(At(p, 4), params.ToDisplayUnit(int32_t(words[1])));
  return 0;
}

// The page drawn as it prints into a metafile of the page's size, handed
// over as a Macintosh picture.
int32_t PictureOfPage(xMorvaDocument& document, int32_t displayPage, void* result) {
  const int32_t index = PageIndex(document, displayPage);
  if (index < 0) return kErrorPageNumber;
  const int32_t width = document.GetParams().GetPageWidth();
  const int32_t height = document.GetParams().GetPageHeight();
  VMetafilePort port(nullptr, 0, 0, width, height);
  port.EraseRect(0, 0, width, height);
  if (xMorvaLayoutInterface* layout = document.GetLayout()) layout->Update();
  document.DrawPageForPrinting(port, index, 0, 0);
  std::unique_ptr<VEmfPictureData> metafile(port.EndAsPictureData());
  if (!metafile) return kErrorNoMemory;
  VPictPictureData pict;
  pict.SetFromPicture(*metafile);
  const uint32_t handle = MacPictureOfValue(pict);
  if (handle == 0) return kErrorNoMemory;
  PutHandle(result, handle);
  return 0;
}

int32_t HandOutSelected(xMorvaDocument& document, void** p, void* result) {
  std::unique_ptr<VPictureData> picture;
  int32_t number = -1;
  xMorvaPicturesInPage* pictures = PagePictures(document);
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  xMorvaEngine* engine = CurrentEngine(document);
  if (pictures != nullptr && store != nullptr && pictures->HasSelection()) {
    picture.reset(pictures->GetSelectedPicture(*store));
    number = pictures->GetSelection() + 1;
  } else if (IsOnePictureSelected(engine)) {
    picture.reset(engine->GetSelectedPicture());
    number = 0;
  }
  const uint32_t handle = picture ? MacPictureOfValue(*picture) : 0;
  if (handle == 0) return kErrorNoPicture;
  PutLong(At(p, 1), number);
  PutHandle(result, handle);
  return 0;
}

void Run(xMorvaMain& package, int32_t selector, void** p, void* result) {
  // Outputs cleared before the area is resolved.
  switch (selector) {
    case 121:
      PutLong(At(p, 2), 0);
      PutWord(At(p, 3), 0);
      PutWord(At(p, 4), 0);
      for (int i = 5; i <= 10; ++i) PutReal(At(p, i), 0);
      break;
    case 126:
      for (int i = 1; i <= 4; ++i) PutReal(At(p, i), 0);
      break;
    case 136: PutHandle(result, 0); break;
    case 165:
      PutLong(At(p, 1), -1);
      PutHandle(result, 0);
      break;
    default: break;
  }
  xMorvaDocument* document = nullptr;
  xMorvaHostObject* object = nullptr;
  if (!package.ResolveArea(p, document, object)) return;
  int32_t code = 0;
  switch (selector) {
    case 119: code = AddPicture(*document, p); break;
    case 121: code = ReadPagePicture(*document, p); break;
    case 122: code = ChangePagePicture(*document, p); break;
    case 123:
    case 124: code = DeleteOrSelect(*document, selector, LongAt(p, 1)); break;
    case 125: code = SetPictureSize(*document, p); break;
    case 126: code = ReadPictureSize(*document, p); break;
    case 136: code = PictureOfPage(*document, LongAt(p, 1), result); break;
    case 165: code = HandOutSelected(*document, p, result); break;
    default: break;
  }
  package.ReportCommandError(code);
}

}  // namespace picture_commands

void xMorvaTableCommands::RunPictureCommand(xMorvaMain& package, int32_t selector, void** p, void* result) {
  picture_commands::Run(package, selector, p, result);
}
