// xMorvaPicturesInPage: the pictures a document places at fixed positions on
// its pages, in front of or behind the text, on one page or repeated on
// every page, every left or every right page: the list, the selected one,
// their drawing, hit testing, moving and resizing, deletion and the stored
// form 'wPIX'. The picture data lives in the document's store, one
// resource per picture: 'PICT' for a picture value, 'WExp' for a host
// reference whose value is a picture.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "document/xMorvaPagePicturesInterface.h"
#include "framework/core/VObject.h"

class VHostRef;
class VPictureData;
class VPictureShape;
class VRect;

// Pages of an entry other than a page index.
constexpr int32_t kPageEvery = -1;
constexpr int32_t kPageEveryLeft = -2;
constexpr int32_t kPageEveryRight = -3;
// The smallest shown width and height a resize leaves.
constexpr int32_t kPagePictureMinimumSize = 8;
// The gap between pages stacked in the view.
constexpr int32_t kPagePictureGap = 4;
constexpr uint32_t kTypePagePictures = FourCC("wPIX");
constexpr uint32_t kTypePictureValue = FourCC("PICT");
constexpr uint32_t kTypeHostReference = FourCC("WExp");
constexpr int32_t kErrorPagePictureMemory = 1041;

struct xMorvaPagePicture {
  // Screen pixels from the page's top-left corner.
  int32_t left = 0;
  int32_t top = 0;
  int32_t naturalWidth = 0;
  int32_t naturalHeight = 0;
  int32_t shownWidth = 0;
  int32_t shownHeight = 0;
  // 0-based page index, or kPageEvery, kPageEveryLeft, kPageEveryRight.
  int32_t page = 0;
  // With a repeated page: left out on page 0.
  uint8_t notOnFirstPage = 0;
  uint8_t behindText = 0;
  uint16_t displayMode = 4;
  // Clear: the shown size follows the picture's own size whenever the
  // picture object is made again.
  uint8_t keepsSize = 0;
  // The shape drawn, made from the data on first use; none until then, and
  // none when the data holds no picture.
  std::shared_ptr<VPictureShape> picture;
  int16_t resourceId = -1;
  uint8_t isReference = 0;
};

class xMorvaPicturesInPage : public VObject, public xMorvaPagePicturesInterface {
 public:
  xMorvaPicturesInPage();
  ~xMorvaPicturesInPage() override;
  xMorvaPicturesInPage(const xMorvaPicturesInPage&) = delete;
  xMorvaPicturesInPage& operator=(const xMorvaPicturesInPage&) = delete;

  // ---- xMorvaPagePicturesInterface.
  void Clear() override;
  int32_t GetCount() const override { return int32_t(fEntries.size()); }
  bool HasSelection() const override { return fSelected >= 0; }
  VPictureData* CopySelected(VResourceFile& store) const override { return GetSelectedPicture(store); }
  bool ReadPagePictures(VResourceFile& store) override;
  bool WritePagePictures(VResourceFile& store) override;
  void DrawPictures(xMorvaDocument& document, VPort& port, int32_t x, int32_t y, int32_t page,
                    bool behindText, bool noSelectionMarks) override;

  const xMorvaPagePicture& GetEntry(int32_t index) const { return fEntries[size_t(index)]; }
  xMorvaPagePicture& Entry(int32_t index) { return fEntries[size_t(index)]; }

  // ---- Selection: an index, -1 for none.
  void Deselect() { fSelected = -1; }
  int32_t GetSelection() const { return fSelected; }
  void SetSelection(int32_t index) { fSelected = index >= 0 && index < GetCount() ? index : -1; }

  // ---- Adding and deleting.
  // Stores the value (not taken) as a 'PICT' resource, makes the shape,
  // takes the natural and shown size from it and appends the template with
  // them: 0 or 1041, nothing added.
  int32_t AddPicture(VResourceFile& store, const VPictureData& picture, const xMorvaPagePicture& entry);
  // The reference's record as a 'WExp' resource, the shape made from the
  // current value (not taken): 0, or 1041 (also for no reference).
  int32_t AddReferencePicture(VResourceFile& store, const VPictureData* picture, VHostRef* reference,
                              const xMorvaPagePicture& entry);
  // Appends a copy of the entry, whose data is already in the store: 0, or
  // 1041 with the data resource removed (an entry without data is refused).
  int32_t Append(VResourceFile& store, const xMorvaPagePicture& entry);
  // Deletes entry `index` (-1: the selected one) and its data resource.
  void DeleteSelected(VResourceFile& store, int32_t index) override;

  // ---- The mouse. Pages stand one under the other, kPagePictureGap apart.
  // True when (x, y) is on a picture, the topmost first; with `select` the
  // selection is cleared first and the picture hit becomes selected.
  bool HitTest(xMorvaDocument& document, int32_t x, int32_t y, bool select);
  // The selected picture moved, or resized, and kept within `bounds`.
  void MoveSelected(const VRect& bounds, int32_t dx, int32_t dy);
  void ResizeSelected(const VRect& bounds, int32_t dw, int32_t dh);
  // Moved by (dx, dy) to the size (dw, dh), per axis kept within `bounds`.
  void ResizeSelectedFromHandle(const VRect& bounds, int32_t dx, int32_t dy, int32_t dw, int32_t dh);
  bool GetSelectedNaturalSize(int32_t& width, int32_t& height) const;
  // The host expression the selected picture shows (the caller owns it);
  // null for a plain picture, no selection or an unreadable record.
  VHostRef* NewSelectedReference(VResourceFile& store) const;
  // The selected entry takes the edited one's placing, sizes and flags;
  // with `reference` its expression record is written anew and its picture
  // made again from it. False, nothing changed, without a selection or
  // when the record cannot be written.
  bool ReplaceSelected(VResourceFile& store, const xMorvaPagePicture& edited, VHostRef* reference);
  // The edit dialog as the area runs it, on a copy of the selected entry
  // and, for a picture that shows a host expression, that expression,
  // which the dialog may change (`expressionChanged`): true for OK.
  using EditDialog = std::function<bool(xMorvaPagePicture& entry, VHostRef* expression, bool& expressionChanged)>;
  // Edits the selected picture in the dialog; the host learns the outcome.
  // On OK the copy goes back and a changed expression is stored and shown
  // anew (ReplaceSelected): true when it was.
  bool EditSelected(xMorvaDocument& document, const EditDialog& edit);
  // A new picture value of the selected entry (the caller owns it), or null.
  VPictureData* GetSelectedPicture(VResourceFile& store) const;
  // Each reference picture made again from its value; those that do not
  // keep their size take the new picture's.
  void RebuildPictures(VResourceFile& store) override;
  bool GetSelectedBox(int32_t& id, VRect& box) const override;
  bool SetBox(int32_t id, const VRect& box) override;
  // The selected picture, else every one, that shows a reference becomes a
  // plain picture of the reference's current value; one whose reference
  // gives no picture stays as it is.
  void FreezeReferences(VResourceFile& store) override;
  bool GetState(VResourceFile& store, int32_t index, int32_t& id, std::vector<uint8_t>& state) const override;
  bool PutState(VResourceFile& store, int32_t id, const std::vector<uint8_t>* state) override;

  // Whether the entry stands on the page whose binding side is given.
  static bool IsOnPage(const xMorvaPagePicture& entry, int32_t page, bool bindingOnLeft);
  // The picture value stored in a 'PICT' resource's bytes; null when they
  // hold none. The caller owns it.
  static VPictureData* ReadPictureResource(const void* bytes, uint32_t size);
  // The entries of a 'wPIX' resource: false, `entries` empty, when the
  // bytes are no such resource.
  static bool ParsePagePictures(const void* bytes, uint32_t size, std::vector<xMorvaPagePicture>& entries);
  static std::vector<uint8_t> FormatPagePictures(const std::vector<xMorvaPagePicture>& entries);

 private:
  // Makes the entry's shape from its data when it has none; with `follow`
  // and the size not kept, natural and shown size become the picture's.
  void MakePicture(VResourceFile* store, xMorvaPagePicture& entry, bool follow);
  static void RemoveData(VResourceFile& store, const xMorvaPagePicture& entry);

  std::vector<xMorvaPagePicture> fEntries;
  int32_t fSelected = -1;
};

// The maker the module installs, so that every document gets its list.
class xMorvaPicturesInPageMaker : public xMorvaPagePicturesMaker {
 public:
  xMorvaPagePicturesInterface* NewPagePictures() override { return new xMorvaPicturesInPage(); }
};
