// The plug-in kinds besides the editing area, as the package routes the
// host's events to them: the form editor's placeholder (VDesignPlugIn) with
// its design-mode properties (VPlugInProperties), an area that only
// displays (VOutputPlugIn) and an area the host prints (VPrintingPlugIn).
// Each joins its kind's list of the package when it is made, leaves it when
// it is deleted, and answers the host by writing into the event record.
#pragma once

#include <cstdint>

#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/strings/VUniString.h"
#include "views/VFrame.h"
#include "host/package/VPlugInObject.h"
#include "platform/gdi/WinGdiTypes.h"

class VPackage;
class VPlugInDocMgr;
class VPort;
class VResourceFile;
class VWindowView;
struct HostEventRecord;

// Answers of the kinds: a 32-bit answer in the record's message (the words
// at offsets 2 and 4 are its high and low halves) and a word in the
// modifiers.
constexpr uint32_t kKindAnswerEnabledQuery = 0x01000000;  // words 0x100 and 0
constexpr uint32_t kKindAnswerDrawn = 0x66;
constexpr uint32_t kKindAnswerPrinting = 104;
constexpr uint16_t kKindAnswerFormData = 0x600;
constexpr uint16_t kKindAnswerUnknown = 0x70;
// The string list of the binding states' texts.
constexpr int16_t kBindingStateList = 11000;

// The printed area's rectangle on the printer's device: each edge in
// points becomes c x 4 x s / 3 + offset. Kept in 32 bits: a large page at
// a high resolution (A0 at 1200 dpi is about 56,000 pixels) passes 16 bits.
struct VPrintDeviceRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};
VPrintDeviceRect ComputePrintDeviceRect(const int16_t rect[4], double sx, double sy,
                                        int16_t offsetX, int16_t offsetY);

// How many of the device's pixels make one of the screen's, across and
// down: lengths are screen pixels, and a printer's page has more dots to
// the inch. 1 for a device of the screen's resolution.
void ScreenToDeviceScale(HDC dc, double& sx, double& sy);

// What the three kinds share: the names, the document manager, the icon,
// the binding bytes and the host's rectangle. The frame sits at 0 with the
// host rectangle's corner as its origin.
class VKindPlugIn : public VFrame, public VPlugInObject {
 public:
  // `params`: the host's array (record, rectangle as top, left, bottom,
  // right, length-byte name, object cell). The icon's resource id is the
  // package's resource base + `iconOffset`.
  VKindPlugIn(VPackage* package, void* params, int16_t iconOffset);
  ~VKindPlugIn() override;

  // The frame's and the package's close are one.
  void Close() override { VFrame::Close(); }

  virtual VPlugInDocMgr* NewDocMgr();
  VPlugInDocMgr* GetDocMgr();
  const VString& GetLabel() const { return fLabel; }
  const VString& GetAreaName() const { return fAreaName; }
  int16_t GetIconId() const { return fIconId; }
  bool IsInterprocess() const { return fInterprocess != 0; }
  uint16_t GetTable() const { return fTable; }
  void GetHostOrigin(int32_t& x, int32_t& y) const {
    x = fHostX;
    y = fHostY;
  }
  VPackage* GetPackage() const { return fPackage; }

 protected:
  // Takes the frame's place and size from a host rectangle (top, left,
  // bottom, right).
  void TakeRect(const int16_t* rect);
  // The manager made and bound to the table's field named after the area.
  void BindDocMgr();
  // Draws the frame into a port on the current port's device context, the
  // origin pushed to the frame's corner and the look applied.
  void DrawIntoCurrentPort();
  // The accepted form data of a host area record: data and size, or none.
  bool TakeFormData(const HostEventRecord& record, const void*& data, uint32_t& size);
  void StoreAsResult(void** params);
  // The events the output and the printing kinds answer alike (creation,
  // creation from the host's record, the enabled query, saving): true when
  // the event was one of them. `setData` takes the kind's form data.
  bool HandleCommonEvent(void** params, HostEventRecord& record,
                         void (*setData)(VKindPlugIn&, const void*, uint32_t));

  VPackage* fPackage = nullptr;
  VStr<40> fLabel;
  VStr<40> fAreaName;
  VPlugInDocMgr* fDocMgr = nullptr;
  int16_t fIconId = 0;
  uint8_t fInterprocess = 0;
  uint8_t fPrinting = 0;
  uint16_t fTable = 0;
  int32_t fHostX = 0;
  int32_t fHostY = 0;
};

class VDesignPlugIn : public VKindPlugIn {
 public:
  // `resourceOffset` names the area: its label is that item of the
  // package's routine list.
  VDesignPlugIn(VPackage* package, void* params, int32_t resourceOffset = 1,
                int16_t iconOffset = 0);
  ~VDesignPlugIn() override;
  void DrawPicture(void** params) override;

  // 0 the manager uses no field; 1 bound to a field it can use; 2 to 4 a
  // field of the name whose type does not fit; 5 to 7 no field of the
  // name. Of each triple: both kinds usable, picture only, BLOB only.
  int16_t GetBindingState();
  virtual void BuildLabel(VString& out, VResourceFile* file, int16_t state);
  virtual void SetData(const void* data, uint32_t size);
  virtual void WillClose() {}
  virtual void ShowProperties(void* propertyRecord);
  virtual void UsePreviewData(const void*, uint32_t) {}

  void MoveTo(int32_t x, int32_t y, int16_t mode) override;
  void DrawContent(VPort& port) override;
  VWindowView* GetWindowView() override { return fDesignWindow; }

 private:
  void TakeDesignRecord(const HostEventRecord& record);
  VWindowView* fDesignWindow = nullptr;
};

// The design-mode properties of a placeholder: the host's property record
// (data and size, given back when the object goes), the manager's
// signature and version, and the data as a handle.
class VPlugInProperties : public VObject {
 public:
  VPlugInProperties(VDesignPlugIn* owner, void* propertyRecord);
  // Hands the data back to the host's record: a copy of the handle's bytes
  // as a block of the host's (its address, pointer-sized) and its size, or
  // 0 and 0 without data.
  ~VPlugInProperties() override;
  // The handle, made on first use from the record's data when it is the
  // manager's (at least 8 bytes, its signature, no newer version); 0
  // otherwise.
  VMemHandle GetData();
  void SetData(VMemHandle handle);
  VDesignPlugIn* GetOwner() const { return fOwner; }
  // Shows the text of the 'STR ' named "NoProperties" through the host.
  virtual void Edit();

 private:
  VDesignPlugIn* fOwner;
  void* fRecord;
  uint32_t fSignature = 0;
  uint32_t fVersion = 0;
  VMemHandle fData = 0;
  uint8_t fDataTaken = 0;
};

class VOutputPlugIn : public VKindPlugIn {
 public:
  VOutputPlugIn(VPackage* package, void* params, int16_t iconOffset = 0);
  // Leaves the package's list, whoever deletes the object.
  ~VOutputPlugIn() override;
  void DrawOutput(void** params) override;
  virtual void SetData(const void*, uint32_t) {}
  virtual void WillClose() {}
  // A test pattern: the rectangle erased and framed, then "x y" at every
  // 40 pixels across and 10 down.
  void DrawContent(VPort& port) override;
};

class VPrintingPlugIn : public VKindPlugIn {
 public:
  VPrintingPlugIn(VPackage* package, void* params, int16_t iconOffset = 0);
  ~VPrintingPlugIn() override;
  void PrintPage(void** params) override;
  virtual void SetData(const void*, uint32_t) {}
  virtual void WillClose() {}
  // The leaf's: whether printing may start, its end (with the printing
  // byte), and the drawing of `height` pixels of the area into the port.
  virtual bool StartPrinting() { return false; }
  virtual bool EndPrinting(bool) { return false; }
  virtual void PrintInPort(VPort&, int32_t) {}
  bool IsPrinting() const { return fPrinting != 0; }
  // Prints the area's rectangle (top, left, bottom, right in points) on a
  // printer's device context through a port scaled from the screen's
  // resolution to the device's; the context's settings are put back.
  void PrintInto(HDC dc, const int16_t* rect);

 private:
  void Print(const int16_t* rect);
};
