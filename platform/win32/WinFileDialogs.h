// The open, save and folder choosers of the headless stand-in. No dialog is
// shown: the user's answer (a chosen path and filter, cancel, or the extra
// button of a template) comes from a provider that the stand-in host or a
// test sets; without one every chooser is cancelled. Hook procedures are
// called as the dialog would call them, for its start and for the extra
// button.
#pragma once

#include <cstdint>

#include "platform/gdi/WinGdiTypes.h"
#include "platform/win32/WinLibrary.h"
#include "platform/win32/WinModuleResources.h"  // MAKEINTRESOURCEA, a template's numeric name
#include "platform/win32/WinTypes.h"

using LPARAM = intptr_t;
using WPARAM = uintptr_t;
using UINT_PTR = uintptr_t;
using LRESULT = intptr_t;

struct ITEMIDLIST;

constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_NOTIFY = 0x004E;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT BN_CLICKED = 0;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr int IDCANCEL = 2;

// ---- Open and save.
constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// The hook of a chooser: (dialog, message, word parameter, long parameter)
// -> handled.
using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// Pointers are native; numbers keep their 32-bit widths. lStructSize is the
// whole record, or OPENFILENAME_SIZE_VERSION_400A for the record without
// its last three fields, as the older systems know it.
struct OPENFILENAMEA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  const char* lpstrFilter;  // pairs of zero-terminated texts, ended by an empty one
  char* lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // from 1
  char* lpstrFile;     // in: the initial name; out: the chosen path
  DWORD nMaxFile;
  char* lpstrFileTitle;  // out: the name part, when given
  DWORD nMaxFileTitle;
  const char* lpstrInitialDir;
  const char* lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;     // out: where the name part starts in lpstrFile
  WORD nFileExtension;  // out: where the extension starts (at the end without one)
  const char* lpstrDefExt;
  LPARAM lCustData;
  LPOFNHOOKPROC lpfnHook;
  const char* lpTemplateName;
  void* pvReserved;
  DWORD dwReserved;
  DWORD FlagsEx;
};
constexpr DWORD OPENFILENAME_SIZE_VERSION_400A = offsetof(OPENFILENAMEA, pvReserved);


// True with lpstrFile holding the chosen path; false when cancelled (error
// 0) or failed (CommDlgExtendedError tells why).
QV_PLATFORM_API BOOL GetOpenFileNameA(OPENFILENAMEA* dialog);
QV_PLATFORM_API BOOL GetSaveFileNameA(OPENFILENAMEA* dialog);

// Why the last chooser failed; 0 after a success or a cancel.
QV_PLATFORM_API DWORD CommDlgExtendedError();
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// The notifications of a hooked explorer chooser (WM_NOTIFY): its start
// is done, the file type was changed, and, asked for each item the list
// would show, whether to include it (non-zero includes it).
constexpr UINT CDN_INITDONE = UINT(-601);
constexpr UINT CDN_TYPECHANGE = UINT(-607);
constexpr UINT CDN_INCLUDEITEM = UINT(-608);
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
struct OFNOTIFYA {
  NMHDR hdr;
  OPENFILENAMEA* lpOFN;
  char* pszFile;
};

// The items of the running chooser's dialog: the Cancel button (IDCANCEL),
// the file-name field (kFileNameItem), the file-type list (kFileTypeItem)
// and the controls of a template. Only the dialog of the chooser that is
// running has items.
constexpr int kFileTypeItem = 0x0470;
constexpr int kFileNameItem = 0x0480;
// Item texts: a hook sets the titles of its template's controls and reads
// and rewrites the file name.
QV_PLATFORM_API BOOL SetDlgItemTextA(HWND dialog, int item, const char* text);
QV_PLATFORM_API UINT GetDlgItemTextA(HWND dialog, int item, char* text, int size);
// Where an item is, in the dialog's client coordinates, and moving it.
QV_PLATFORM_API BOOL GetDlgItemPlace(HWND dialog, int item, RECT* place);
QV_PLATFORM_API BOOL SetDlgItemPlace(HWND dialog, int item, const RECT* place);
// An item's messages: CB_GETCURSEL of the file-type list answers the
// selected filter (from 0); WM_SETFONT gives an item a font (0: the
// system font). Others answer 0.
QV_PLATFORM_API LRESULT SendDlgItemMessageA(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Folders.
using BFFCALLBACK = int (*)(HWND, UINT, LPARAM, LPARAM);

struct BROWSEINFOA {
  HWND hwndOwner;
  const ITEMIDLIST* pidlRoot;
  char* pszDisplayName;  // out: the chosen folder's name; MAX_PATH bytes
  const char* lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};

// The chosen folder as an item list from the shell's allocator (the
// caller frees it there), or null when cancelled.
QV_PLATFORM_API ITEMIDLIST* SHBrowseForFolderA(BROWSEINFOA* browse);
// The path of an item list into `path` (MAX_PATH bytes); false for no list
// or a path that does not fit.
QV_PLATFORM_API BOOL SHGetPathFromIDListA(const ITEMIDLIST* list, char* path);

// ---- The provider, for tests and the stand-in host.

// Which chooser asks.
constexpr int32_t kHeadlessOpenChooser = 0;
constexpr int32_t kHeadlessSaveChooser = 1;
constexpr int32_t kHeadlessFolderChooser = 2;

// What the user does.
constexpr int32_t kHeadlessCancel = 0;
constexpr int32_t kHeadlessAccept = 1;
// Presses the extra button (control 6702) of a hooked template; the dialog
// then ends as cancelled. Without a hook and a template it is a cancel.
constexpr int32_t kHeadlessPressExtra = 2;

// The control of a template that the extra button is.
constexpr int kExtraButtonItem = 6702;

// What the user chose: a path (UTF-8) and, for open and save, a filter
// (from 1; 0 keeps the one the dialog started on). In a hooked dialog a
// changed filter is a type change: the path is typed into the file-name
// field first, the hook hears CDN_TYPECHANGE, and the chosen path is what
// the field then holds.
struct HeadlessChooserAnswer {
  int32_t action = kHeadlessCancel;
  char path[4096] = {};
  DWORD filterIndex = 0;
};

// The provider sees the record the module filled (an OPENFILENAMEA for
// open and save, a BROWSEINFOA for folders) after the dialog started, so
// the items the hook set can be read; it answers as the user would.
using HeadlessChooserProvider = void (*)(int32_t chooser, const void* record,
                                         HeadlessChooserAnswer* answer, void* context);
// Null removes the provider: every chooser is then cancelled.
QV_PLATFORM_API void SetHeadlessChooserProvider(HeadlessChooserProvider provider, void* context);
// The text of an item of the last chooser's dialog; empty when none was set.
QV_PLATFORM_API UINT GetHeadlessDialogItemText(int item, char* text, int size);
// Where an item of the last chooser's dialog was left, and whether it was
// given a font (and which: 0 the system font).
QV_PLATFORM_API BOOL GetHeadlessDialogItemPlace(int item, RECT* place);
QV_PLATFORM_API BOOL GetHeadlessDialogItemFont(int item, uintptr_t* font);
