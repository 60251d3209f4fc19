// xMorvaPagePicturesInterface: the pictures a document places at fixed
// positions on its pages, as the document model and the drawing of pages
// reach them. The editing area keeps them (it sits above the document
// model) and installs the maker at start; without a maker a document has
// no pictures on its pages.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/core/VService.h"

class VPictureData;
class VPort;
class VRect;
class VResourceFile;
class xMorvaDocument;

class xMorvaPagePicturesInterface {
 public:
  virtual ~xMorvaPagePicturesInterface() = default;

  // No pictures, nothing selected.
  virtual void Clear() = 0;
  virtual int32_t GetCount() const = 0;
  // Whether one of them is selected; a copy of its picture (the caller owns
  // it, null when its data holds none); the deletion of picture `index`
  // (-1: the selected one) with its data.
  virtual bool HasSelection() const = 0;
  virtual VPictureData* CopySelected(VResourceFile& store) const = 0;
  virtual void DeleteSelected(VResourceFile& store, int32_t index) = 0;
  // The selected picture's data id and box (left, top, width, height on
  // its page): false when none is selected. The box of the picture with
  // that data id set, and that picture selected: false when none has it.
  virtual bool GetSelectedBox(int32_t& id, VRect& box) const = 0;
  virtual bool SetBox(int32_t id, const VRect& box) = 0;
  // The pictures that show a host reference's value: made again from the
  // current value; or turned into plain pictures holding that value (the
  // selected one when there is one, else all of them).
  virtual void RebuildPictures(VResourceFile& store) = 0;
  virtual void FreezeReferences(VResourceFile& store) = 0;
  // Picture `index` (-1: the selected one) as undo keeps it: its data id
  // and bytes that only the list reads (its place in the list, its entry
  // and its data); false when there is no such picture or its data is
  // missing. PutState puts back, at its place and selected, the picture
  // such bytes describe, or, for none (null), deletes the picture with
  // data id `id` and its data: false when it could not.
  virtual bool GetState(VResourceFile& store, int32_t index, int32_t& id, std::vector<uint8_t>& state) const = 0;
  virtual bool PutState(VResourceFile& store, int32_t id, const std::vector<uint8_t>* state) = 0;
  // The stored form 'wPIX' (id 0 of the document's store) read into the
  // list, or the list written into the store: false when it could not be.
  virtual bool ReadPagePictures(VResourceFile& store) = 0;
  virtual bool WritePagePictures(VResourceFile& store) = 0;
  // Draws the pictures of one layer (behind the text, or in front of it)
  // that stand on page `page` (0-based) whose top-left corner is at (x, y).
  virtual void DrawPictures(xMorvaDocument& document, VPort& port, int32_t x, int32_t y,
                            int32_t page, bool behindText, bool noSelectionMarks) = 0;
};

class xMorvaPagePicturesMaker {
 public:
  virtual ~xMorvaPagePicturesMaker() = default;
  // A new empty list, owned by the caller; null when memory runs out.
  virtual xMorvaPagePicturesInterface* NewPagePictures() = 0;
};

using xMorvaPagePicturesSlot = VService<xMorvaPagePicturesMaker>;
