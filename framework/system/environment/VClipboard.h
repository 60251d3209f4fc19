// VClipboard: the framework's access to the system clipboard (the Toolbox
// scrap), the flavours the running code is interested in, and the exchange
// of data, Macintosh text and PICT pictures with it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"

template <typename T>
class VChainListOf;
class VPictureData;
class VString;

constexpr uint32_t kFlavorTEXT = FourCC("TEXT");
constexpr uint32_t kFlavorPICT = FourCC("PICT");

// The picture operations the clipboard needs. Picture values belong to the
// graphics layer, which the clipboard cannot reach; whoever owns them
// installs these at start (VClipboardPictureService). Without them the
// clipboard puts and gets no pictures. The clipboard's 'PICT' is a PICT as
// every other program reads and writes one, big-endian throughout, where a
// PICT value holds its header in this machine's order: these operations
// turn one into the other.
struct VClipboardPictureOps {
  // The picture kind of a picture value (1 for PICT).
  int32_t (*pictureKind)(const VPictureData& picture);
  // The bytes of a PICT picture value as a PICT leaves memory (its header
  // big-endian); none when it holds no picture.
  std::vector<uint8_t> (*pictBytes)(const VPictureData& picture);
  // A new PICT picture value from the bytes of a PICT (its header
  // big-endian), owned by the caller; null when it cannot be made.
  VPictureData* (*newPict)(const void* bytes, uint32_t size);
  // A new PICT picture value converted from a picture of another kind,
  // owned by the caller; null when it cannot be converted.
  VPictureData* (*newPictFrom)(const VPictureData& picture);
  // Deletes a picture value that newPict or newPictFrom made.
  void (*deletePicture)(VPictureData* picture);
};

using VClipboardPictureService = VService<const VClipboardPictureOps>;

// A flavour the running code is interested in, with the number of
// registrations that keep it listed and whether the last refresh found it
// on the clipboard.
struct VClipboardFlavor {
  uint32_t type = 0;
  uint16_t useCount = 0;
  uint8_t available = 0;
};

class VClipboard : public VObject {
 public:
  // Lists 'TEXT' and 'PICT'.
  VClipboard();
  // Frees every flavour record and the list.
  ~VClipboard() override;
  VClipboard(const VClipboard&) = delete;
  VClipboard& operator=(const VClipboard&) = delete;

  // A registered type gains one use; a new one is appended with one use.
  virtual void AddFlavor(uint32_t type);
  // The type loses one use and leaves the list at 0; an unknown type is
  // ignored.
  virtual void RemoveFlavor(uint32_t type);
  // Marks, in list order, which flavours the clipboard holds now; answers
  // how many it holds.
  virtual int32_t Refresh();
  // The type of the n-th (from 1) flavour that the last refresh found, or 0.
  virtual uint32_t GetAvailableType(int32_t n);
  // Whether the clipboard holds data of the type (a length above 0).
  virtual bool HasData(uint32_t type);

  // The length of the data of the type, or the scrap's negative error.
  int32_t GetSize(uint32_t type);
  // A new memory-manager handle with a copy of the data of the type, owned
  // by the caller; 0 when there is none (no handle is made then).
  VMemHandle GetData(uint32_t type);
  // Puts `length` bytes as the type; true when the scrap took them.
  bool PutData(uint32_t type, const void* address, int32_t length);
  // Empties the clipboard.
  void Clear();
  // A number that every change of the clipboard raises, whoever made it:
  // this module, the host's own Copy or another program. A caller that
  // keeps the number it saw knows when what the clipboard holds may have
  // changed behind its back.
  uint32_t GetChangeCount() const;

  // Puts the picture as 'PICT', big-endian as other programs read it: a
  // PICT picture directly, any other kind through a temporary PICT
  // conversion. False when there is nothing to put or the scrap refuses.
  bool PutPicture(const VPictureData& picture);
  // A new PICT picture value from the clipboard's 'PICT' (big-endian, as
  // other programs put it), owned by the caller; null when there is none.
  VPictureData* GetPicture();
  // A new Macintosh string in a handle holding the 'TEXT' data, owned by the
  // caller; null when there is none.
  VString* GetText();
  // Replaces the string's text by the 'TEXT' data read as Macintosh text;
  // false, the string unchanged, when there is none.
  bool GetTextInto(VString& text);
  // Puts the string's text, in Macintosh encoding, as 'TEXT'.
  bool PutText(const VString& text);

  // The registered flavours, in list order.
  int32_t CountFlavors() const;
  // The n-th (from 1) flavour record, or null.
  const VClipboardFlavor* GetFlavor(int32_t n) const;

 private:
  VClipboardFlavor* Find(uint32_t type) const;

  std::unique_ptr<VChainListOf<VClipboardFlavor*>> fFlavors;
};

// The clipboard, made at start after the cursor and deleted at stop.
extern VClipboard* gClipboard;
