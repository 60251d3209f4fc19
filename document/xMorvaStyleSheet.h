// xMorvaStyleSheet: a named, reusable set of properties (a property record,
// the states saying which of its properties the sheet defines, a tab list
// and a shortcut key), kept as a 'wSTL' resource of the document's resource
// store. The resource id is the sheet id that character property 15 holds;
// the resource name is the sheet's name. Nothing else lists the sheets.
//
// The 'wSTL' record, version "0100", in the stream's data byte order:
//   0    tag 'wSTL'             u32
//   4    version "0100"         4 characters
//   8    reserved flag          u8
//   9    paragraph sheet flag   u8 (1: whole paragraphs, paragraph ids and
//                               tabs; 0: a character sheet)
//   10   shortcut               u16 character code, 0 none
//   12   properties             'wPRP' record, 134 bytes
//   146  states                 'wSTT' record, 77 bytes
//   223  tabs                   'wTAB' record, 12 + 6 x n bytes
//   ...  font name              string stream form: the name of the font of
//                               property 7, so the font survives a move to a
//                               document whose font table differs
// A byte-reversed tag makes the rest read big-endian.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "document/xMorvaProperties.h"
#include "document/xMorvaPropertiesStates.h"
#include "document/xMorvaTabs.h"
#include "framework/core/VObject.h"
#include "framework/core/strings/VUniString.h"

class VResourceFile;
class VStream;
class VString;
class VStringArray;
class xMorvaDocumentInterface;

constexpr uint32_t kStyleSheetResourceType = FourCC("wSTL");
// The sheet every text starts with: property 15 defaults to it.
constexpr int16_t kDefaultStyleSheetId = 1;
// A sheet id that names no sheet of the document.
constexpr int32_t kErrorNoStyleSheet = 1038;
// The whole name of a sheet whose resource name (at most 31 characters of
// the Macintosh set) cannot carry it, beside the sheet under the same id.
// The record, version "0100", in the stream's data byte order:
//   0    tag 'wSTN'             u32
//   4    version "0100"         4 characters
//   8    the whole name         string stream form, 1 to 255 characters
// It counts only while the sheet's resource name is the Macintosh form of
// it, so a program that renames or replaces the sheet without knowing of it
// leaves the resource name in force. A store without it reads as before.
constexpr uint32_t kStyleSheetNameResourceType = FourCC("wSTN");
// The longest whole name a sheet keeps.
constexpr int32_t kStyleSheetWholeNameLength = 255;

class xMorvaStyleSheet : public VObject {
 public:
  static constexpr uint32_t kVersion = FourCC("0100");
  static constexpr int32_t kFontNameLength = 63;

  // As Init leaves it.
  xMorvaStyleSheet();
  xMorvaStyleSheet(const xMorvaStyleSheet&) = delete;
  xMorvaStyleSheet& operator=(const xMorvaStyleSheet&) = delete;
  ~xMorvaStyleSheet() override;

  // Reserved 0, a paragraph sheet, no shortcut, default properties, no
  // state set, no tabs, no font name.
  void Init();
  // Every field, the font name too.
  void Assign(const xMorvaStyleSheet& other);

  // The 'wSTL' record. False when the stream fails.
  bool WriteBody(VStream& stream) const;
  // False, the sheet unchanged, for a wrong tag or version or a record that
  // is not whole (a part that does not read, or the stream running out).
  bool ReadBody(VStream& stream);

  // Reads 'wSTL' `id` (or the store's n-th, 1-based) of the store; on
  // success property 7 becomes the index of the stored font name in the
  // document's font table, the name appended when the table lacks it.
  bool Load(xMorvaDocumentInterface& document, VResourceFile& store, int16_t id);
  bool LoadAt(xMorvaDocumentInterface& document, VResourceFile& store, int32_t n);
  // Adds the sheet to the store under `name`, with wantedId -1 under the id
  // NewStyleSheetId gives. `id` gets the id the store used. False, nothing
  // added, when the body cannot be written or the store refuses.
  bool SaveNew(xMorvaDocumentInterface& document, VResourceFile& store, const VString& name, int16_t& id,
               int32_t wantedId = -1);
  // Overwrites 'wSTL' `id`; a new name, when given, renames it. False when
  // the store has no such sheet or refuses; the old sheet then stays.
  bool Save(xMorvaDocumentInterface& document, VResourceFile& store, int16_t id, const VString* newName);
  // The id of the store's sheet of that name (compared without regard to
  // case), else the sheet added under it by SaveNew; 0 when it cannot be
  // added.
  int16_t FindOrAdd(xMorvaDocumentInterface& document, VResourceFile& store, const VString& name);

  // Appends the description of the properties it defines and, when it
  // defines tabs, of its tabs, a line end between the two.
  void Describe(xMorvaDocumentInterface& document, VString& text) const;

  uint8_t reserved = 0;
  uint8_t paragraphSheet = 1;
  xMorvaProperties properties;
  xMorvaPropertiesStates states;
  xMorvaTabs tabs;
  VStr<kFontNameLength> fontName;
  uint16_t shortcut = 0;

 private:
  // The font name from the document's font table for property 7.
  void RefreshFontName(xMorvaDocumentInterface& document);
  // Property 7 from the font name, appended to the table when missing.
  void ApplyFontName(xMorvaDocumentInterface& document);
};

// The id a new sheet of the store takes: one more than the highest id of
// the store's sheets and of those the document's undo history holds
// (-32767 for the first). Past 32767: -1, the store's choice, or, while the
// history holds ids, the lowest id the store would choose from that neither
// holds.
int16_t NewStyleSheetId(xMorvaDocumentInterface& document, VResourceFile& store);
// True when the store has 'wSTL' `id` and the sheet read it.
bool ReadStyleSheetResource(VResourceFile& store, int16_t id, xMorvaStyleSheet& sheet);
// The same over a record's bytes (a fuzzer reaches the reader this way).
bool ReadStyleSheetBytes(const uint8_t* data, uint32_t size, xMorvaStyleSheet& sheet);

// ---- Names. Every road that names a sheet or shows its name goes through
// these, so that the whole name and the form a host's form shows of it are
// decided in one place.

// Whether two sheet names are one: compared as written, unit by unit, case
// aside unless `caseMatters` (as the forms tell names apart), and never as a
// pattern: the framework's comparison takes a trailing "@" for the host's
// wildcard, and a sheet may be named so. Every road that decides whether two
// sheet names are one asks this.
bool SameStyleSheetName(const VString& a, const VString& b, bool caseMatters = false);
// Sheet `id`'s whole name: the one kept beside it when that reads and still
// belongs to its resource name, else the resource name; empty for no sheet.
void GetStyleSheetWholeName(VResourceFile& store, int16_t id, VString& name);
// Names sheet `id` `name` (cut to the longest whole name): its resource
// name becomes the Macintosh form, and the whole name is kept beside it when
// the resource name cannot carry it (and dropped when it can). False when
// the store has no such sheet or refuses the whole name.
bool SetStyleSheetWholeName(VResourceFile& store, int16_t id, const VString& name);
// Drops the whole name kept beside sheet `id`.
void RemoveStyleSheetWholeName(VResourceFile& store, int16_t id);
// The whole name a 'wSTN' record holds; false for a record that is not
// whole (a fuzzer reaches the reader this way).
bool ReadStyleSheetNameBytes(const uint8_t* data, uint32_t size, VString& name);
// The names the host's forms show of the sheets `ids`, in that order: each
// in the Macintosh set, a character it lacks shown as "?", and told apart
// from every other without regard to case (a name shown as it is keeps it;
// another takes " 2", " 3" ... behind it). In time linear in the sheets.
std::vector<std::u16string> StyleSheetFormNames(VResourceFile& store, const std::vector<int16_t>& ids);
// The same in a list.
void FillStyleSheetFormNames(VResourceFile& store, const std::vector<int16_t>& ids, VStringArray& list);
