// VFileDialog and its two kinds, VGetFileDialog and VPutFileDialog: the
// description of an open or save dialog (title, filters, the chosen filter,
// accepted types), made from an 'FGET' or 'FPUT' resource or from lists of
// names and codes; and the exchanges that show one and answer the file.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"
#include "framework/core/VService.h"
#include "framework/core/strings/VUniString.h"

template <typename T>
class VChainListOf;
class VFile;
class VFileFilter;
class VFolder;
class VLongArray;
class VResourceFile;
class VStringArray;

constexpr uint32_t kResTypeFGET = FourCC("FGET");
constexpr uint32_t kResTypeFPUT = FourCC("FPUT");

// Option flags, numbered 1 to 9. 'FGET' bits 0 to 7 set flags 1, 4, 2, 3, 5,
// 6, 7 and 8; 'FPUT' bits 0, 1 and 2 set flags 1, 4 and 9. Only flag 4 has a
// meaning here: every type is accepted.
constexpr int32_t kFileDialogFlagCount = 9;
constexpr int32_t kFlagAllTypes = 4;

// Ways the list constructors read their codes.
constexpr int32_t kCodesArePairedCodes = 0;
constexpr int32_t kCodesAreExtensions = 1;
constexpr int32_t kCodesAreFileTypes = 2;

// The stored forms (big-endian; the resource byte-order procedure turns
// them into native order on reading):
//
//   'FGET'                           'FPUT'
//   0   u8   option bits 0-7         0   u8   option bits 0-2
//   1   u8   not read                1   u8   not read
//   2   i16  first placement value   2   i16  first placement value
//   4   i16  second placement value  4   i16  second placement value
//   6   32   title                   6   32   title
//   38  i16  chosen filter (from 1)  38  i16  chosen filter (from 1)
//   40  i16  number of filters n     40  i16  number of filters n
//   42  n filters:                   42  n filters of 44 bytes:
//       32  name                         32  name
//       u32 default type                 u32 default type (0: none)
//       i16 number of types m            u32 file type
//       m x u32 file types               u32 paired code
//
// Titles and names are length-prefixed texts in 32-byte fields (at most 31
// characters; a longer length byte is cut to 31), either plain Macintosh
// text or a reference to a string list item (":list,index"). Only whole
// filters are read: a count that runs past the resource stops at the last
// filter that fits, and a negative count reads none. A negative number of
// types lists none and ends the filters: the byte-order conversion reads
// counts as unsigned, so what follows it was converted as types.
class VFileDialog : public VObject {
 public:
  // Deletes the filters and the extra texts, and takes the made-up types
  // back out of the file type map.
  ~VFileDialog() override;
  VFileDialog(const VFileDialog&) = delete;
  VFileDialog& operator=(const VFileDialog&) = delete;

  // The chosen filter, from 1; 0 for none.
  int16_t GetTypeIndex() const { return fChosen; }
  void SetTypeIndex(int16_t index) { fChosen = index; }
  // The chosen filter's default type, first type and first paired code; 0
  // without such a filter (or type).
  uint32_t GetChosenType() const;
  uint32_t GetChosenFirstType() const;
  uint32_t GetChosenFirstPairedCode() const;
  // The type and paired-code arrays of a filter (from 1); null when there is
  // no such filter or it has no types. Kept by the filter.
  VLongArray* GetFilterTypes(int32_t index) const;
  VLongArray* GetFilterPairedCodes(int32_t index) const;
  // Makes the filter that best shows the type the chosen one: the chosen
  // filter when it holds the type; else the first filter whose only type it
  // is; else the first whose first type it is and that has a paired code;
  // else the first that holds it anywhere; else none (0).
  void SelectFilterForType(uint32_t type);
  // Appends a filter, which the dialog then owns.
  void AddFilter(VFileFilter* filter);
  int32_t CountFilters() const;
  // The filter of an index (from 1), or null.
  VFileFilter* GetFilter(int32_t index) const;

  const VString& GetTitle() const { return fTitle; }
  void SetTitle(const VString& title);
  void GetPlacement(int16_t& first, int16_t& second) const;
  void SetPlacement(int16_t first, int16_t second);
  // Replaces both extra texts (at most 80 characters each); a null or empty
  // string leaves that text absent.
  void SetExtraTexts(const VString* first, const VString* second);
  // Copies extra text 1 or 2 into `out`; false when it is absent.
  bool GetExtraText(int32_t which, VString& out) const;
  bool HasExtraText(int32_t which) const;
  int16_t GetExtraChoice() const { return fExtraChoice; }
  void SetExtraChoice(int16_t choice) { fExtraChoice = choice; }

  void AddAcceptedType(uint32_t type);
  // True with the all-types flag or when the type is accepted.
  bool AcceptsType(uint32_t type) const;
  // True with the all-types flag or when any type is accepted.
  bool HasAcceptedTypes() const;

  // Option flag 1 to 9; 0 outside.
  uint8_t GetFlag(int32_t number) const;
  void SetFlag(int32_t number, uint8_t value);

 protected:
  VFileDialog();

  // Fills the description from the 'FGET' (put false) or 'FPUT' (put true)
  // resource of the id; without the resource the dialog stays empty.
  void ReadResource(VResourceFile* file, int16_t id, bool put);
  // Filters of names and codes read as `mode` says; made-up types are
  // remembered. `pairedCode`, when not null, is the paired code of all.
  void AddFiltersOfCodes(const VStringArray* names, const VLongArray* codes, int32_t mode,
                         const uint32_t* pairedCode);

 private:
  std::unique_ptr<VChainListOf<VFileFilter*>> fFilters;
  std::unique_ptr<VLongArray> fAcceptedTypes;
  std::unique_ptr<VLongArray> fMadeUpTypes;
  std::unique_ptr<VStrInHandle> fExtraTexts[2];
  VStr<255> fTitle;
  int16_t fPlacement[2] = {-1, -1};
  int16_t fChosen = 1;
  int16_t fExtraChoice = 0;
  uint8_t fFlags[kFileDialogFlagCount] = {};
};

class VGetFileDialog : public VFileDialog {
 public:
  // From the 'FGET' resource of the id (none: an empty dialog).
  VGetFileDialog(VResourceFile* file, int16_t id);
  // One filter per name with the type of its code (see the modes); a code
  // that the map cannot give a type for gets a made-up type, removed from
  // the map again when the dialog is deleted. In mode 0 each code is also
  // its filter's paired code.
  VGetFileDialog(const VStringArray* names, const VLongArray* codes, int32_t mode);
};

class VPutFileDialog : public VFileDialog {
 public:
  // From the 'FPUT' resource of the id (none: an empty dialog).
  VPutFileDialog(VResourceFile* file, int16_t id);
  // As the open dialog's list constructor; every filter takes `pairedCode`.
  VPutFileDialog(const VStringArray* names, const VLongArray* codes, int32_t mode,
                 uint32_t pairedCode);
};

// The dialogs themselves belong to the interface controls, which install
// their runners at start. Each answers a new file or folder reference owned
// by the caller, or null when the user cancels; without runners every
// exchange is cancelled.
struct VFileDialogRunners {
  VFile* (*showOpen)(VGetFileDialog& dialog);
  VFile* (*showSave)(const VFile* suggested, VPutFileDialog& dialog);
  VFolder* (*showFolder)(const VString& title);
};

using VFileDialogService = VService<const VFileDialogRunners>;

// Asks for a file to open with the dialog of 'FGET' id of the file: the
// chosen file, or null; the chosen filter's default type goes to `type`
// when it is given.
VFile* AskOpenFile(VResourceFile* file, int16_t id, uint32_t* type);
// Asks for a file to save under with the dialog of 'FPUT' id, starting from
// the suggested file (may be null).
VFile* AskSaveFile(const VFile* suggested, VResourceFile* file, int16_t id, uint32_t* type);
// The same with the resource found by name.
VFile* AskOpenFileNamed(VResourceFile* file, const VString& name, uint32_t* type);
VFile* AskSaveFileNamed(VResourceFile* file, const VString& name, uint32_t* type);
// Asks for a folder.
VFolder* AskFolder(const VString& title);
