// The pictures placed on a document's pages: list, selection, drawing, the
// mouse's moves and resizes, and the stored form 'wPIX'.
//
// 'wPIX', resource id 0 of the document's store, written little-endian;
// the reader takes the order from the tag:
//   0  u32  tag 'wPIX' (reversed: every later number is in the other order)
//   4  u32  version "B101" (written), "B100" (read too)
//   8  u32  count of entries; at most (size - 12) / entry size
//  12       the entries, 35 bytes each in "B101", 34 in "B100":
//           6 x i32  left, top, natural width, natural height, shown width,
//                    shown height, in twips
//           i32      page
//           u8       behind text
//           u8       not on first page
//           u16      display mode
//           u16      resource id of the data
//           u8       is reference ("B101" only)
// Whether an entry keeps its size is not stored: an entry read from "B101"
// keeps it when its stored shown size differs from its natural size, so
// that a resized picture stays as it was resized.
#include "area/view/xMorvaPicturesInPage.h"

#include <algorithm>
#include <cstring>

#include "document/DocumentUnits.h"
#include "document/xMorvaDocument.h"
#include "framework/core/containers/ValueReader.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "framework/core/streams/VMemoryStream.h"
#include "framework/core/values/VValue.h"
#include "framework/system/resources/VMemoryResourceFile.h"
#include "graphics/VPort.h"
#include "graphics/pictures/VPictureData.h"
#include "graphics/pictures/VPictureShape.h"
#include "host/context/VHostRef.h"
#include "platform/bytes/ByteOrder.h"
#include "platform/bytes/ByteSpanReader.h"

namespace {

constexpr uint32_t kVersionB100 = FourCC("B100");
constexpr uint32_t kVersionB101 = FourCC("B101");
constexpr uint32_t kHeaderSize = 12;
constexpr uint32_t kEntrySizeB100 = 34;
constexpr uint32_t kEntrySizeB101 = 35;
// The display mode of entries from "B100", which did not store one.
constexpr uint16_t kOldDisplayMode = 4;
// The first byte of a 'PICT' data resource: the byte order of the value
// behind it, as the framework's streams number them.
constexpr uint8_t kOrderMacintosh = 1;
constexpr uint8_t kOrderLittle = 2;
// The document's view option that shows pictures.
constexpr int32_t kOptionPictures = 6;
constexpr int32_t kPlaceholderColourIndex = 10;
constexpr int32_t kPlaceholderPattern = 5;
constexpr int32_t kHandleSize = 5;

// The bytes of a resource, copied; empty when the store lacks it.
std::vector<uint8_t> ResourceBytes(VResourceFile& store, uint32_t type, int16_t id, bool& found) {
  std::vector<uint8_t> bytes;
  uint8_t owned = 0;
  VResourceRef ref = store.GetResource(type, id, &owned);
  found = ref != 0;
  if (ref == 0) return bytes;
  const uint32_t size = store.GetResourceSize(ref);
  if (const auto* data = static_cast<const uint8_t*>(store.LockResource(ref))) {
    bytes.assign(data, data + size);
    store.UnlockResource(ref);
  } else {
    found = size == 0;
  }
  if (owned) store.ReleaseResource(ref);
  return bytes;
}

// The bytes a stream wrote into a fresh handle; empty on failure.
template <typename Write>
std::vector<uint8_t> WrittenBytes(Write&& write, bool& written) {
  std::vector<uint8_t> bytes;
  VMemHandle handle = 0;
  VHandleStream stream(handle);
  written = stream.OpenWrite() == 0;
  if (written) {
    stream.SetByteOrders(kByteOrderLittle, kByteOrderKeep);
    written = write(stream) && stream.GetStatus() == 0;
    stream.CloseWrite(1);
  }
  if (written && handle != 0) {
    const uint32_t size = gMemoryMgr->GetHandleSize(handle);
    if (const auto* data = static_cast<const uint8_t*>(gMemoryMgr->LockHandle(handle))) {
      bytes.assign(data, data + size);
      gMemoryMgr->UnlockHandle(handle);
    } else {
      written = size == 0;
    }
  }
  if (handle != 0) gMemoryMgr->DisposeHandle(handle);
  return bytes;
}

// A picture value of the entry's reference: the host's current value when
// it is a picture, else none.
VPictureData* ReferenceValue(VResourceFile& store, int16_t id) {
  bool found = false;
  const std::vector<uint8_t> bytes = ResourceBytes(store, kTypeHostReference, id, found);
  if (!found || bytes.empty()) return nullptr;
  VHostRef reference(bytes.data(), uint32_t(bytes.size()));
  VValue* value = reference.Evaluate();
  if (value == nullptr) return nullptr;
  if (value->GetKind() != kValuePicture) {
    delete value;
    return nullptr;
  }
  return static_cast<VPictureData*>(value);
}

}  // namespace

xMorvaPicturesInPage::xMorvaPicturesInPage() { fEntries.reserve(4); }

xMorvaPicturesInPage::~xMorvaPicturesInPage() = default;

void xMorvaPicturesInPage::Clear() {
  fEntries.clear();
  fSelected = -1;
}

// ---- Picture data.

VPictureData* xMorvaPicturesInPage::ReadPictureResource(const void* bytes, uint32_t size) {
  if (bytes == nullptr || size < 1) return nullptr;
  const uint8_t order = *static_cast<const uint8_t*>(bytes);
  if (order != kOrderMacintosh && order != kOrderLittle) return nullptr;
  VMemoryStream stream(static_cast<const uint8_t*>(bytes) + 1, size - 1);
  if (stream.OpenRead() != 0) return nullptr;
  stream.SetByteOrders(order == kOrderLittle ? kByteOrderLittle : kByteOrderMacintosh, kByteOrderKeep);
  VValue* value = ReadValue(stream);
  const bool whole = stream.GetStatus() <= 0;
  stream.CloseRead();
  if (value != nullptr && (!whole || value->GetKind() != kValuePicture)) {
    delete value;
    value = nullptr;
  }
  return static_cast<VPictureData*>(value);
}

void xMorvaPicturesInPage::MakePicture(VResourceFile* store, xMorvaPagePicture& entry, bool follow) {
  if (entry.picture || store == nullptr) return;
  VPictureData* picture = nullptr;
  if (entry.isReference != 0) {
    picture = ReferenceValue(*store, entry.resourceId);
  } else {
    bool found = false;
    const std::vector<uint8_t> bytes = ResourceBytes(*store, kTypePictureValue, entry.resourceId, found);
    if (found) picture = ReadPictureResource(bytes.data(), uint32_t(bytes.size()));
  }
  // Missing data or data that holds no picture: drawn as nothing.
  if (picture == nullptr) return;
  entry.picture = std::make_shared<VPictureShape>(picture);
  if (follow && entry.keepsSize == 0) {
    picture->GetSize(entry.naturalWidth, entry.naturalHeight);
    entry.shownWidth = entry.naturalWidth;
    entry.shownHeight = entry.naturalHeight;
  }
}

void xMorvaPicturesInPage::RemoveData(VResourceFile& store, const xMorvaPagePicture& entry) {
  if (entry.resourceId == -1) return;
  store.RemoveResource(entry.isReference != 0 ? kTypeHostReference : kTypePictureValue, entry.resourceId);
}

// ---- Editing the selected picture.

VHostRef* xMorvaPicturesInPage::NewSelectedReference(VResourceFile& store) const {
  if (fSelected < 0) return nullptr;
  const xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  if (entry.isReference == 0) return nullptr;
  bool found = false;
  const std::vector<uint8_t> bytes = ResourceBytes(store, kTypeHostReference, entry.resourceId, found);
  if (!found || bytes.empty()) return nullptr;
  return new VHostRef(bytes.data(), uint32_t(bytes.size()));
}

bool xMorvaPicturesInPage::EditSelected(xMorvaDocument& document, const EditDialog& edit) {
  VMemoryResourceFile* store = document.GetStyleSheetStore();
  if (store == nullptr || !HasSelection()) return false;
  xMorvaPagePicture entry = GetEntry(GetSelection());
  const std::unique_ptr<VHostRef> reference(NewSelectedReference(*store));
  bool expressionChanged = false;
  const bool accepted = edit(entry, reference.get(), expressionChanged);
  document.SetHostOutcome(accepted);
  if (!accepted) return false;
  return ReplaceSelected(*store, entry, expressionChanged ? reference.get() : nullptr);
}

bool xMorvaPicturesInPage::ReplaceSelected(VResourceFile& store, const xMorvaPagePicture& edited,
                                           VHostRef* reference) {
  if (fSelected < 0) return false;
  xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  if (reference != nullptr && entry.isReference != 0) {
    bool written = false;
    std::vector<uint8_t> bytes = WrittenBytes(
        [&](VStream& stream) { return reference->WriteToStream(stream, kHostRefTag) <= 0; }, written);
    if (!written || !store.ReplaceResource(kTypeHostReference, entry.resourceId, bytes.data(), uint32_t(bytes.size())))
      return false;
  }
  // The data and the shape stay the entry's own; the rest is the edit.
  const std::shared_ptr<VPictureShape> shape = entry.picture;
  const int16_t id = entry.resourceId;
  const uint8_t isReference = entry.isReference;
  entry = edited;
  entry.picture = shape;
  entry.resourceId = id;
  entry.isReference = isReference;
  if (reference != nullptr && isReference != 0) {
    entry.picture.reset();
    if (VPictureData* value = ReferenceValue(store, id)) {
      entry.picture = std::make_shared<VPictureShape>(value);
      if (entry.keepsSize == 0) {
        value->GetSize(entry.naturalWidth, entry.naturalHeight);
        entry.shownWidth = entry.naturalWidth;
        entry.shownHeight = entry.naturalHeight;
      }
    }
  }
  return true;
}

// ---- Adding and deleting.

int32_t xMorvaPicturesInPage::Append(VResourceFile& store, const xMorvaPagePicture& entry) {
  if (entry.resourceId == -1) return kErrorPagePictureMemory;
  if (fEntries.size() >= size_t(INT32_MAX)) {
    RemoveData(store, entry);
    return kErrorPagePictureMemory;
  }
  fEntries.push_back(entry);
  return 0;
}

int32_t xMorvaPicturesInPage::AddPicture(VResourceFile& store, const VPictureData& picture,
                                         const xMorvaPagePicture& entry) {
  bool written = false;
  std::vector<uint8_t> bytes = WrittenBytes(
      [&](VStream& stream) {
        stream.PutByte(kOrderLittle);
        return const_cast<VPictureData&>(picture).WriteToStream(stream, kTagVVAL) <= 0;
      },
      written);
  if (!written) return kErrorPagePictureMemory;
  const int16_t id = store.UniqueResourceId(kTypePictureValue);
  if (!store.ReplaceResource(kTypePictureValue, id, bytes.data(), uint32_t(bytes.size()))) {
    return kErrorPagePictureMemory;
  }
  xMorvaPagePicture added = entry;
  added.resourceId = id;
  added.isReference = 0;
  added.picture.reset();
  added.keepsSize = 0;
  MakePicture(&store, added, true);
  return Append(store, added);
}

int32_t xMorvaPicturesInPage::AddReferencePicture(VResourceFile& store, const VPictureData* picture,
                                                  VHostRef* reference, const xMorvaPagePicture& entry) {
  if (reference == nullptr) return kErrorPagePictureMemory;
  bool written = false;
  std::vector<uint8_t> bytes = WrittenBytes(
      [&](VStream& stream) { return reference->WriteToStream(stream, kHostRefTag) <= 0; }, written);
  if (!written) return kErrorPagePictureMemory;
  const int16_t id = store.UniqueResourceId(kTypeHostReference);
  if (!store.ReplaceResource(kTypeHostReference, id, bytes.data(), uint32_t(bytes.size()))) {
    return kErrorPagePictureMemory;
  }
  xMorvaPagePicture added = entry;
  added.resourceId = id;
  added.isReference = 1;
  added.picture.reset();
  if (picture != nullptr) {
    VPictureData* copy = NewPictureData(picture->GetPictureKind());
    if (copy != nullptr) {
      copy->SetFromPicture(*picture);
      added.picture = std::make_shared<VPictureShape>(copy);
      if (added.keepsSize == 0) {
        picture->GetSize(added.naturalWidth, added.naturalHeight);
        added.shownWidth = added.naturalWidth;
        added.shownHeight = added.naturalHeight;
      }
    }
  }
  return Append(store, added);
}

void xMorvaPicturesInPage::DeleteSelected(VResourceFile& store, int32_t index) {
  if (index == -1) index = fSelected;
  if (index < 0 || index >= GetCount()) return;
  RemoveData(store, fEntries[size_t(index)]);
  fEntries.erase(fEntries.begin() + index);
  if (fSelected == index) {
    fSelected = -1;
  } else if (fSelected > index) {
    --fSelected;
  }
}

// ---- Drawing.

bool xMorvaPicturesInPage::IsOnPage(const xMorvaPagePicture& entry, int32_t page, bool bindingOnLeft) {
  const bool repeated = entry.page == kPageEvery || (entry.page == kPageEveryLeft && bindingOnLeft) ||
                        (entry.page == kPageEveryRight && !bindingOnLeft);
  if (repeated) return !(page == 0 && entry.notOnFirstPage != 0);
  return entry.page == page;
}

void xMorvaPicturesInPage::DrawPictures(xMorvaDocument& document, VPort& port, int32_t x, int32_t y,
                                        int32_t page, bool behindText, bool noSelectionMarks) {
  const bool showPictures = document.GetParams().GetViewFlag(kOptionPictures) != 0;
  const bool bindingOnLeft = document.GetParams().BindingOnLeft(page);
  VResourceFile* store = document.GetStyleSheetStore();
  for (size_t i = 0; i < fEntries.size(); ++i) {
    xMorvaPagePicture& entry = fEntries[i];
    if ((entry.behindText != 0) != behindText || !IsOnPage(entry, page, bindingOnLeft)) continue;
    const VRect shown(x + entry.left, y + entry.top, entry.shownWidth, entry.shownHeight);
    if (!showPictures) {
      // A placeholder: the frame and its two diagonals.
      port.SetPenWidth(1);
      port.SetPenPatternIndex(kPlaceholderPattern);
      port.SetPenColorIndex(kPlaceholderColourIndex);
      port.SetPenMode(0);
      port.FrameVRect(shown);
      const int32_t right = shown.GetLeft() + entry.shownWidth - 1;
      const int32_t bottom = shown.GetTop() + entry.shownHeight - 1;
      port.DrawLine(shown.GetLeft(), shown.GetTop(), right, bottom);
      port.DrawLine(shown.GetLeft(), bottom, right, shown.GetTop());
    } else {
      MakePicture(store, entry, true);
      if (entry.picture) {
        entry.picture->SetPosition(shown.GetLeft(), shown.GetTop());
        entry.picture->SetSize(entry.shownWidth, entry.shownHeight);
        entry.picture->SetPlacement(int16_t(entry.displayMode));
        port.DrawPictureShape(*entry.picture);
      }
    }
    if (int32_t(i) == fSelected && !noSelectionMarks) {
      // The marks of a selected picture: its frame and a handle at each
      // corner.
      port.SetPenWidth(1);
      port.SetPenPatternIndex(0);
      port.SetPenMode(0);
      port.FrameVRect(shown);
      const int32_t right = shown.GetLeft() + entry.shownWidth - kHandleSize;
      const int32_t bottom = shown.GetTop() + entry.shownHeight - kHandleSize;
      for (const auto& [hx, hy] : {std::pair{shown.GetLeft(), shown.GetTop()}, std::pair{right, shown.GetTop()},
                                   std::pair{shown.GetLeft(), bottom}, std::pair{right, bottom}}) {
        port.PaintVRect(VRect(hx, hy, kHandleSize, kHandleSize));
      }
    }
  }
}

// ---- The mouse.

bool xMorvaPicturesInPage::HitTest(xMorvaDocument& document, int32_t x, int32_t y, bool select) {
  if (select) fSelected = -1;
  const int64_t step = int64_t(document.GetParams().GetPageHeight()) + kPagePictureGap;
  if (step <= 0 || y < kPagePictureGap) return false;
  const int64_t page = (int64_t(y) - kPagePictureGap) / step;
  const int64_t yOnPage = int64_t(y) - kPagePictureGap - page * step;
  const bool bindingOnLeft = document.GetParams().BindingOnLeft(int32_t(page));
  for (int32_t i = GetCount() - 1; i >= 0; --i) {
    const xMorvaPagePicture& entry = fEntries[size_t(i)];
    if (!IsOnPage(entry, int32_t(page), bindingOnLeft)) continue;
    if (x >= entry.left && x <= int64_t(entry.left) + entry.shownWidth && yOnPage >= entry.top &&
        yOnPage <= int64_t(entry.top) + entry.shownHeight) {
      if (select) fSelected = i;
      return true;
    }
  }
  return false;
}

bool xMorvaPicturesInPage::GetSelectedBox(int32_t& id, VRect& box) const {
  if (!HasSelection()) return false;
  const xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  id = entry.resourceId;
  box = VRect(entry.left, entry.top, entry.shownWidth, entry.shownHeight);
  return true;
}

bool xMorvaPicturesInPage::SetBox(int32_t id, const VRect& box) {
  // The data id names a picture for as long as it lives; a picture deleted
  // since has none, and no other picture takes its box.
  for (size_t i = 0; i < fEntries.size(); ++i) {
    xMorvaPagePicture& entry = fEntries[i];
    if (entry.resourceId != id || id < 0) continue;
    entry.left = box.GetLeft();
    entry.top = box.GetTop();
    entry.shownWidth = std::max(box.GetWidth(), kPagePictureMinimumSize);
    entry.shownHeight = std::max(box.GetHeight(), kPagePictureMinimumSize);
    fSelected = int32_t(i);
    return true;
  }
  return false;
}

void xMorvaPicturesInPage::MoveSelected(const VRect& bounds, int32_t dx, int32_t dy) {
  if (!HasSelection()) return;
  xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  int64_t left = int64_t(entry.left) + dx;
  int64_t top = int64_t(entry.top) + dy;
  left = std::min<int64_t>(left, bounds.GetRight() - entry.shownWidth);
  top = std::min<int64_t>(top, bounds.GetBottom() - entry.shownHeight);
  left = std::max<int64_t>(left, bounds.GetLeft());
  top = std::max<int64_t>(top, bounds.GetTop());
  entry.left = int32_t(left);
  entry.top = int32_t(top);
}

void xMorvaPicturesInPage::ResizeSelected(const VRect& bounds, int32_t dw, int32_t dh) {
  if (!HasSelection()) return;
  xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  int64_t width = std::max<int64_t>(int64_t(entry.shownWidth) + dw, kPagePictureMinimumSize);
  int64_t height = std::max<int64_t>(int64_t(entry.shownHeight) + dh, kPagePictureMinimumSize);
  width = std::min<int64_t>(width, bounds.GetRight() - entry.left);
  height = std::min<int64_t>(height, bounds.GetBottom() - entry.top);
  entry.shownWidth = int32_t(std::max<int64_t>(width, 0));
  entry.shownHeight = int32_t(std::max<int64_t>(height, 0));
  entry.keepsSize = 1;
}

namespace {

// One axis of a resize from a handle: the origin and length kept within
// [low, high].
void ResizeAxis(int32_t& origin, int32_t& length, int32_t delta, int32_t newLength, int64_t low, int64_t high) {
  const int64_t moved = int64_t(origin) + delta;
  if (moved < low) {
    length = int32_t(std::clamp<int64_t>(int64_t(newLength) + (low - moved), 0, high - low));
    origin = int32_t(low);
  } else if (moved + newLength > high) {
    length = int32_t(std::max<int64_t>(high - origin, 0));
  } else {
    origin = int32_t(moved);
    length = newLength;
  }
}

}  // namespace

void xMorvaPicturesInPage::ResizeSelectedFromHandle(const VRect& bounds, int32_t dx, int32_t dy, int32_t dw,
                                                    int32_t dh) {
  if (!HasSelection()) return;
  xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  ResizeAxis(entry.left, entry.shownWidth, dx, dw, bounds.GetLeft(), bounds.GetRight());
  ResizeAxis(entry.top, entry.shownHeight, dy, dh, bounds.GetTop(), bounds.GetBottom());
  entry.keepsSize = 1;
}

bool xMorvaPicturesInPage::GetSelectedNaturalSize(int32_t& width, int32_t& height) const {
  width = height = 0;
  if (!HasSelection()) return false;
  width = fEntries[size_t(fSelected)].naturalWidth;
  height = fEntries[size_t(fSelected)].naturalHeight;
  return true;
}

VPictureData* xMorvaPicturesInPage::GetSelectedPicture(VResourceFile& store) const {
  if (!HasSelection()) return nullptr;
  const xMorvaPagePicture& entry = fEntries[size_t(fSelected)];
  if (entry.isReference != 0) return ReferenceValue(store, entry.resourceId);
  bool found = false;
  const std::vector<uint8_t> bytes = ResourceBytes(store, kTypePictureValue, entry.resourceId, found);
  return found ? ReadPictureResource(bytes.data(), uint32_t(bytes.size())) : nullptr;
}

void xMorvaPicturesInPage::RebuildPictures(VResourceFile& store) {
  for (xMorvaPagePicture& entry : fEntries) {
    if (entry.isReference == 0) continue;
    entry.picture.reset();
    MakePicture(&store, entry, true);
  }
}

void xMorvaPicturesInPage::FreezeReferences(VResourceFile& store) {
  for (int32_t i = 0; i < GetCount(); ++i) {
    xMorvaPagePicture& entry = fEntries[size_t(i)];
    if ((HasSelection() && i != fSelected) || entry.isReference == 0) continue;
    std::unique_ptr<VPictureData> value(ReferenceValue(store, entry.resourceId));
    if (!value) continue;
    bool written = false;
    std::vector<uint8_t> bytes = WrittenBytes(
        [&](VStream& stream) {
          stream.PutByte(kOrderLittle);
          return value->WriteToStream(stream, kTagVVAL) <= 0;
        },
        written);
    const int16_t id = store.UniqueResourceId(kTypePictureValue);
    // The reference goes only once its value is stored.
    if (!written || !store.ReplaceResource(kTypePictureValue, id, bytes.data(), uint32_t(bytes.size()))) continue;
    store.RemoveResource(kTypeHostReference, entry.resourceId);
    entry.resourceId = id;
    entry.isReference = 0;
    entry.picture.reset();
  }
}

// ---- Undo's copy of one picture: its index in the list, its entry's
// fields as this machine holds them (the copy never leaves memory), then
// its data resource's bytes.

namespace {

// Each field of an entry that undo keeps, in the copy's order: the one list
// that both the copy and its reading walk.
template <typename Entry, typename Visit>
void EachStateField(Entry& entry, Visit visit) {
  for (auto* field : {&entry.left, &entry.top, &entry.naturalWidth, &entry.naturalHeight, &entry.shownWidth,
                      &entry.shownHeight, &entry.page})
    visit(*field);
  visit(entry.notOnFirstPage);
  visit(entry.behindText);
  visit(entry.displayMode);
  visit(entry.keepsSize);
  visit(entry.isReference);
  visit(entry.resourceId);
}

}  // namespace

bool xMorvaPicturesInPage::GetState(VResourceFile& store, int32_t index, int32_t& id,
                                    std::vector<uint8_t>& state) const {
  state.clear();
  if (index == -1) index = fSelected;
  if (index < 0 || index >= GetCount()) return false;
  const xMorvaPagePicture& entry = fEntries[size_t(index)];
  bool found = false;
  const std::vector<uint8_t> data = ResourceBytes(
      store, entry.isReference != 0 ? kTypeHostReference : kTypePictureValue, entry.resourceId, found);
  if (!found || entry.resourceId == -1) return false;
  id = entry.resourceId;
  auto put = [&state](const auto& value) {
    const auto* at = reinterpret_cast<const uint8_t*>(&value);
    state.insert(state.end(), at, at + sizeof value);
  };
  put(index);
  EachStateField(entry, put);
  state.insert(state.end(), data.begin(), data.end());
  return true;
}

bool xMorvaPicturesInPage::PutState(VResourceFile& store, int32_t id, const std::vector<uint8_t>* state) {
  const auto at = std::find_if(fEntries.begin(), fEntries.end(),
                               [id](const xMorvaPagePicture& entry) { return entry.resourceId == id; });
  if (state == nullptr) {
    if (at == fEntries.end() || id < 0) return false;
    DeleteSelected(store, int32_t(at - fEntries.begin()));
    return true;
  }
  // A picture that holds the id already is not made twice.
  if (at != fEntries.end()) return false;
  xMorvaPagePicture entry;
  int32_t index = 0;
  size_t read = 0;
  auto get = [&](auto& value) {
    if (read + sizeof value <= state->size()) std::memcpy(&value, state->data() + read, sizeof value);
    read += sizeof value;
  };
  get(index);
  EachStateField(entry, get);
  if (read > state->size() || entry.resourceId != id || id < 0) return false;
  const uint32_t type = entry.isReference != 0 ? kTypeHostReference : kTypePictureValue;
  if (!store.ReplaceResource(type, entry.resourceId, state->data() + read, uint32_t(state->size() - read)))
    return false;
  index = std::clamp(index, 0, GetCount());
  fEntries.insert(fEntries.begin() + index, entry);
  fSelected = index;
  return true;
}

// ---- The stored form.

bool xMorvaPicturesInPage::ParsePagePictures(const void* bytes, uint32_t size,
                                             std::vector<xMorvaPagePicture>& entries) {
  entries.clear();
  ByteSpanReader reader(bytes, size, ByteSpanReader::Order::kLittle);
  const uint32_t tag = reader.U32();
  if (reader.Failed()) return false;
  if (tag != kTypePagePictures) {
    if (ReverseBytes32(tag) != kTypePagePictures) return false;
    reader.SwapOrder();
  }
  const uint32_t version = reader.U32();
  const uint32_t count = reader.U32();
  if (reader.Failed() || (version != kVersionB100 && version != kVersionB101)) return false;
  const uint32_t entrySize = version == kVersionB101 ? kEntrySizeB101 : kEntrySizeB100;
  // The count must fit the bytes that follow: a damaged count must not size
  // the list.
  if (count > (size - kHeaderSize) / entrySize) return false;
  entries.resize(count);
  for (xMorvaPagePicture& entry : entries) {
    int32_t* lengths[] = {&entry.left, &entry.top, &entry.naturalWidth, &entry.naturalHeight,
                          &entry.shownWidth, &entry.shownHeight};
    for (int32_t* length : lengths) *length = TwipsToPixels(reader.I32());
    entry.page = reader.I32();
    entry.behindText = reader.U8();
    entry.notOnFirstPage = reader.U8();
    entry.displayMode = reader.U16();
    entry.resourceId = reader.I16();
    if (version == kVersionB101) {
      entry.isReference = reader.U8();
      // A shown size other than the natural one was chosen by a resize and
      // is kept.
      entry.keepsSize =
          entry.shownWidth != entry.naturalWidth || entry.shownHeight != entry.naturalHeight ? 1 : 0;
    } else {
      entry.displayMode = kOldDisplayMode;
      entry.isReference = 0;
      entry.keepsSize = 0;
    }
    if (entry.keepsSize == 0) {
      entry.shownWidth = entry.naturalWidth;
      entry.shownHeight = entry.naturalHeight;
    }
  }
  if (reader.Failed()) {
    entries.clear();
    return false;
  }
  return true;
}

std::vector<uint8_t> xMorvaPicturesInPage::FormatPagePictures(const std::vector<xMorvaPagePicture>& entries) {
  std::vector<uint8_t> bytes(kHeaderSize + entries.size() * kEntrySizeB101);
  uint8_t* at = bytes.data();
  StoreLE32(at, kTypePagePictures);
  StoreLE32(at + 4, kVersionB101);
  StoreLE32(at + 8, uint32_t(entries.size()));
  at += kHeaderSize;
  for (const xMorvaPagePicture& entry : entries) {
    for (int32_t length : {entry.left, entry.top, entry.naturalWidth, entry.naturalHeight, entry.shownWidth,
                           entry.shownHeight}) {
      StoreLE32(at, uint32_t(PixelsToTwips(length)));
      at += 4;
    }
    StoreLE32(at, uint32_t(entry.page));
    at[4] = entry.behindText;
    at[5] = entry.notOnFirstPage;
    StoreLE16(at + 6, entry.displayMode);
    StoreLE16(at + 8, uint16_t(entry.resourceId));
    at[10] = entry.isReference;
    at += 11;
  }
  return bytes;
}

bool xMorvaPicturesInPage::ReadPagePictures(VResourceFile& store) {
  Clear();
  bool found = false;
  const std::vector<uint8_t> bytes = ResourceBytes(store, kTypePagePictures, 0, found);
  // A store without the resource holds no pictures on its pages.
  if (!found) return true;
  std::vector<xMorvaPagePicture> entries;
  if (!ParsePagePictures(bytes.data(), uint32_t(bytes.size()), entries)) return false;
  fEntries = std::move(entries);
  return true;
}

bool xMorvaPicturesInPage::WritePagePictures(VResourceFile& store) {
  const std::vector<uint8_t> bytes = FormatPagePictures(fEntries);
  return store.ReplaceResource(kTypePagePictures, 0, bytes.data(), uint32_t(bytes.size()));
}
