// The platform's standard open, save and folder dialogs run for a framework
// file dialog description: its file types become extension filters and the
// user's choice comes back as a framework file or folder reference.
#pragma once

#include <cstdint>
#include <string>

class VFile;
class VFileDialog;
class VFolder;
class VGetFileDialog;
class VPutFileDialog;
class VString;

// The dialog template of the host application that carries the extra
// button, and the button's control (a second text goes on the next control).
constexpr uint16_t kExtraButtonTemplate = 6701;
constexpr int kExtraButtonControl = 6702;
constexpr int kExtraTextControl = 6703;

// The filter text of a description: for each filter its name, " (", its
// patterns, ")", a zero byte, the patterns and a zero byte; one more zero
// byte after the last. A pattern is "*." and the lower-cased extension the
// file type map gives a type, or "*.*". Saving shows one pattern per filter,
// of its first type ("*.*" without one). Opening shows all of a filter's
// types joined by ';', leaving out types without an extension; '????' gives
// "*.*" when it is the filter's only type and is left out otherwise; a
// filter without types gives "*.*".
std::string BuildFilterText(const VFileDialog& dialog, bool forSave);
// The pattern of one type: "*.ext" in lower case, or empty when the map
// gives the type no extension ('????' has none).
std::string PatternOfType(uint32_t type);

// Runs the open dialog on the description. The filter the user left
// selected becomes the description's type index; the chosen file comes
// back as a new reference named exactly as on disk, whose type is the one
// the map gives an extension of at most four characters (a made-up type
// when the map has none; none for a longer extension). Null when cancelled,
// when the extra button ended the dialog (the description's extra choice is
// then 1) or when the dialog failed.
VFile* ShowOpenFileDialog(VGetFileDialog& dialog);
// Runs the save dialog, starting from the suggested file's folder and name
// (none: "*.*"). The chosen name comes back as a new reference with the
// first type of the chosen filter and creator 0: as typed when its extension
// is one of that type (or of a type of the same kind, which the reference
// then takes), else with the type's extension added; null as for opening.
VFile* ShowSaveFileDialog(const VFile* suggested, VPutFileDialog& dialog);
// Runs the folder chooser; the chosen item list goes to the system
// environment as the last folder chosen. A new folder reference, or null.
VFolder* ShowFolderDialog(const VString& title);
