// VFileTypeMap: the map between Macintosh file types and the extensions of
// file names, read at start-up from the module's 'FMAP' resources.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/core/VObject.h"

class VBooleanArray;
class VLongArray;
class VResourceFile;
class VString;

// The type that stands for any type; it is never looked up.
constexpr uint32_t kAnyFileType = FourCC("????");

// The stored form of an 'FMAP' resource (big-endian; the resource byte-order
// procedure turns the count and the three codes of each entry into native
// order, leaving the last two bytes of each entry as they are):
//   count n          i16
//   n entries of 14 bytes:
//     file type      u32
//     second code    u32
//     extension      u32  up to four characters, the first in the highest
//                         byte, padded with spaces or NUL
//     flags          u8   bit 7 is the row's flag
//     unused         u8
// A count larger than the entries the resource holds reads only the whole
// entries that are there.
//
// In memory the map is four parallel arrays, one row per entry in load order,
// rows numbered from 1; duplicate types are allowed and every lookup takes
// the first matching row. Extensions are kept normalised: upper case, no
// dot, the characters from the highest byte down with NUL after the last.
class VFileTypeMap : public VObject {
 public:
  VFileTypeMap();
  ~VFileTypeMap() override;
  VFileTypeMap(const VFileTypeMap&) = delete;
  VFileTypeMap& operator=(const VFileTypeMap&) = delete;

  // Appends the rows of every 'FMAP' resource of the module's resource file,
  // in the order of the file's list of ids.
  void LoadFileTypeMap(VResourceFile& moduleFile);

  // Trailing spaces become NUL, a leading dot is dropped, and a code holding
  // anything but digits and upper-case letters is upper-cased as UTF-16.
  static void NormalizeExtension(uint32_t& code);
  // The normalised extension of a file name: up to four characters after the
  // first dot that lies within the last five characters before the final
  // one; 0 when there is none.
  static uint32_t ExtensionOfFileName(const VString& name);
  // The normalised extension a name is written with: the one to four
  // characters after the last dot of its last part, whatever dots stand
  // before it ("Report v1.2.rtf" has RTF); 0 when there is none or a longer
  // one. This is the extension a file reference splits off its path.
  static uint32_t LastExtensionOfFileName(const VString& name);

  // The answers for a type or extension without a row are 0 (false for the
  // flag); '????' answers '????' (true for IsKnownFileType, false for the
  // flag) without looking at the rows. Extension 0 (a name without one)
  // finds no row.
  uint32_t ExtensionForFileType(uint32_t type) const;
  uint32_t FileTypeForExtension(uint32_t extension) const;
  uint32_t SecondCodeForFileType(uint32_t type) const;
  // The type a file of `type` that the user named with `extension` is kept
  // under, its name unchanged: `type` when the extension is one of its own,
  // the extension's type when that is of the same kind (the same second
  // code, not 0: ".htm" for a web page); 0 when the extension is neither.
  uint32_t TypeKeepingExtension(uint32_t extension, uint32_t type) const;
  bool FileTypeFlag(uint32_t type) const;
  bool IsKnownFileType(uint32_t type) const;

  // The type for a second code: with a file name and the code 'TEXT', the
  // type of the row of the name's extension when its flag is `flag`, else
  // 'TEXT'; otherwise the first row of the code, or, when its flag is not
  // `flag`, the next row of the code whatever its flag; 0 when none.
  uint32_t FileTypeForCode(uint32_t code, bool flag, const VString* fileName) const;

  // The row of the type when it has one; otherwise appends (type, second,
  // normalised extension, false) and answers the new row. 0 when the row
  // cannot be stored.
  int32_t AddFileTypeMapping(uint32_t type, uint32_t extension, uint32_t second);
  // Rows for a code or an extension that has none, under a made-up type:
  // the byte 8 followed by the decimal digits of the new row's number, the
  // first four characters packed from the highest byte. Answer the type, or
  // 0 when the row cannot be stored.
  uint32_t AddMadeUpTypeForCode(uint32_t code);
  uint32_t AddMadeUpTypeForExtension(uint32_t extension);
  // Deletes the first row of the type.
  void RemoveFileTypeMapping(uint32_t type);

  int32_t CountRows() const;

 private:
  // 1-based row of the first match, 0 when none.
  int32_t RowOfType(uint32_t type) const;
  int32_t RowOfExtension(uint32_t extension) const;
  int32_t RowOfSecondCode(uint32_t code, int32_t from) const;
  // Appends one row to all four arrays, or to none.
  bool AppendRow(uint32_t type, uint32_t second, uint32_t extension, bool flag);
  uint32_t MadeUpType() const;

  std::unique_ptr<VLongArray> fTypes;
  std::unique_ptr<VLongArray> fSecondCodes;
  std::unique_ptr<VLongArray> fExtensions;
  std::unique_ptr<VBooleanArray> fFlags;
};

// The map of the system environment; null until the environment is made.
extern VFileTypeMap* gFileTypeMap;
