// xMorvaFontTable: the document's table of font names. Character property 7
// holds a 1-based index into it, so a document can name fonts this machine
// lacks and text keeps small font numbers. For each name the table knows
// whether the running system has that font. Entries are only appended: an
// index, once given, names the same font for the life of the document.
//
// Stored as resource 'wFNT' id 0, in the writer's byte order:
//   0  tag 'wFNT'        u32 in the stream's data order
//   4  version "0100"    u32 in the stream's data order (tables written
//                        before it was a number hold its 4 characters;
//                        both are read)
//   8  names             the string array's stream form, in index order
// The system-known flags are not stored; reading recomputes them.
#pragma once

#include <cstdint>

#include "framework/core/containers/VBooleanArray.h"
#include "framework/core/containers/VStringArray.h"

class VResourceFile;
class VStream;
class VString;

constexpr uint32_t kFontTableResourceType = 0x77464E54;  // 'wFNT'

class xMorvaFontTable {
 public:
  // A table of one name, "Arial", flagged as the system knows it.
  xMorvaFontTable();
  xMorvaFontTable(const xMorvaFontTable&) = delete;
  xMorvaFontTable& operator=(const xMorvaFontTable&) = delete;

  // One entry: the default font, known.
  void Reset(const VString& defaultName);
  int32_t Count() const { return fNames.Count(); }
  // The index of the name. A name the table lacks is appended, written as
  // the system's font list writes it when the system has it (the name is
  // then changed in place), with its known flag.
  int16_t IndexForName(VString& name);
  // Entry `index` of both lists; false (name emptied, not known) for an
  // index outside 1..count.
  bool NameForIndex(int32_t index, VString& name, bool& known) const;
  // Appends a name as it stands (no system spelling), when missing; its index.
  int16_t AddNameAsWritten(const VString& name);

  // The record on a stream: false when the stream fails.
  bool Write(VStream& stream) const;
  // The record from a stream, in either byte order. Only a whole record of
  // at least one name replaces the table; anything else answers false and
  // leaves the table as it was.
  bool Read(VStream& stream);

  // 'wFNT' id 0 of a resource file: replaced when present, added otherwise.
  bool WriteToFile(VResourceFile& file) const;
  // False, the table unchanged, when the file has no 'wFNT' id 0 or it is
  // not a whole table.
  bool ReadFromFile(VResourceFile& file);

  // Whether the system's font list holds the name (the names the platform
  // maps to a font of its own among them); with `spelling` the name takes
  // the list's spelling.
  static bool SystemHasFont(VString& name, bool spelling);

 private:
  // Appends the name with its known flag; its index.
  int16_t Append(const VString& name, bool known);

  VStringArray fNames;
  VBooleanArray fKnown;
};
