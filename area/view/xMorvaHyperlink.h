// xMorvaHyperlink: the link a hyperlink element carries: a host method, a
// URL or a document file, with the title shown in the text. Stored as a
// 'wHLK' record in the stream's data order (the writer leaves the order as
// it finds it; the reader takes either):
//   tag 'wHLK' u32, version "0100" u32, kind u8, style flag u8,
//   file type u32, value u32, title and then target in the string stream
//   form (u32 length, u32 character kind, length + 1 characters).
// The title comes before the target although the object holds the target
// first.
#pragma once

#include <cstdint>

#include "engine/xMorvaEngineLink.h"
#include "framework/core/VObject.h"
#include "framework/core/VService.h"
#include "framework/core/strings/VUniString.h"

class xMorvaPlugIn;

constexpr uint32_t kTagHyperlink = FourCC("wHLK");
constexpr uint32_t kHyperlinkVersion = FourCC("0100");
// What Read answers for a record that is no link of this version, or whose
// strings do not fit in it.
constexpr int32_t kErrorNotALink = -1;
// The type with which a document target is opened unless the dialog sets
// another.
constexpr uint32_t kHyperlinkDocumentType = FourCC("QMV7");

class xMorvaHyperlink;

// The hyperlink dialog (form "mvHyperLink"), which the dialogs above the
// area install: it edits `values` (a copy of the link) and answers whether
// the user chose OK.
class xMorvaHyperlinkEditor {
 public:
  virtual ~xMorvaHyperlinkEditor() = default;
  virtual bool RunHyperlinkDialog(xMorvaPlugIn& area, xMorvaHyperlink& values) = 0;
};
using xMorvaHyperlinkEditorSlot = VService<xMorvaHyperlinkEditor>;

class xMorvaHyperlink : public VObject, public xMorvaEngineLink {
 public:
  enum Kind : uint8_t { kMethod = 0, kURL = 1, kDocument = 2, kNotSet = 255 };

  xMorvaHyperlink() = default;
  xMorvaHyperlink(uint8_t kind, bool styleFlag, const VString& target, const VString& title, uint32_t value = 0);
  xMorvaHyperlink(const xMorvaHyperlink& other) { *this = other; }
  xMorvaHyperlink& operator=(const xMorvaHyperlink& other);

  uint8_t GetKind() const { return fKind; }
  void SetKind(uint8_t kind) { fKind = kind; }
  bool GetStyleFlag() const { return fStyleFlag != 0; }
  void SetStyleFlag(bool on) { fStyleFlag = on ? 1 : 0; }
  const VString& GetTarget() const { return fTarget; }
  void SetTarget(const VString& target);
  const VString& GetTitle() const { return fTitle; }
  void SetTitle(const VString& title);
  uint32_t GetFileType() const { return fFileType; }
  void SetDialogValue(uint32_t fileType) { fFileType = fileType; }
  uint32_t GetValue() const { return fValue; }
  void SetValue(uint32_t value) { fValue = value; }

  // 0, or the stream's status.
  int32_t Write(VStream& stream) override;
  // 0, the stream's status, or -1 for another tag or version or a string
  // longer than what remains of the record; on any failure the link is
  // left as it was.
  int32_t Read(VStream& stream) override;
  // Reads the link a hyperlink element (`size` bytes at `element`, its
  // head included) carries, and where in the element the text it shows as
  // its title lies: false when the element's lengths do not fit or its
  // record does not read.
  bool ReadElement(const uint8_t* element, uint32_t size, uint32_t& titleFrom, uint32_t& titleBytes);
  int32_t WriteToStream(VStream& stream, uint32_t tag) override { return Write(stream); }
  int32_t ReadFromStream(VStream& stream, uint32_t tag) override { return Read(stream); }

  // The title between the records of the link look (1, or 4 without the
  // style flag) and of no look. Without a title, over a selection, the
  // selected text with its properties, which becomes the title too.
  VMemHandle InsertTitle(xMorvaEngine& engine) override;
  // The kind's label, ":" and the target, as a source text between marks.
  VMemHandle Describe(xMorvaEngine& engine) override;

  // Follows the link from the area's current text: a styled link's text is
  // marked visited (the answer is then true), the caret goes to the
  // selection's start, then the method is called, the URL handed to the
  // host, or the document opened.
  bool Follow(xMorvaPlugIn& area);

  // Lets the user edit the link in the hyperlink dialog: on OK the
  // dialog's values become the link's and the answer is true; on cancel,
  // or while no dialog is installed, the link stays as it was (false).
  bool EditInDialog(xMorvaPlugIn& area);

  // Hands an address to the host to open (a text handle of at most 32000
  // bytes); the handle the host answers is freed.
  static void OpenURL(const VString& target);

  // Opening a linked document: the area's document is replaced only when
  // the file exists and the area lets its document go (a modified document
  // asks first, as the open command does). Answers the opener's code; 1095
  // when the file is missing or no opener is installed; -1 when the user
  // kept the document.
  using DocumentOpener = int32_t (*)(xMorvaPlugIn& area, const VString& path, uint32_t type);
  static int32_t OpenDocumentTarget(xMorvaPlugIn& area, const VString& path, uint32_t type,
                                    DocumentOpener opener);
  // The opener the module installs at start (the area's open); without
  // one a document link does nothing.
  static void SetDocumentOpener(DocumentOpener opener) { sOpener = opener; }
  static DocumentOpener GetDocumentOpener() { return sOpener; }

 private:
  uint8_t fKind = kNotSet;
  uint8_t fStyleFlag = 1;
  VStrInHandle fTarget;
  VStrInHandle fTitle;
  uint32_t fFileType = kHyperlinkDocumentType;
  uint32_t fValue = 0;

  static DocumentOpener sOpener;
};
