// The headless open, save and folder choosers: the provider answers as the
// user; the record is checked and filled as the real dialogs fill it.
#include "platform/win32/WinFileDialogs.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/win32/WinFiles.h"
#include "platform/win32/WinShell.h"

namespace {

// An item of the dialog: its text, its place, and the font a hook gave it.
struct DialogItem {
  std::string text;
  RECT place{0, 0, 0, 0};
  bool hasFont = false;
  uintptr_t font = 0;
};

struct ChooserState {
  HeadlessChooserProvider provider = nullptr;
  void* context = nullptr;
  DWORD lastError = 0;
  // The dialog that is running (its handle is the address of `running`),
  // and its items, kept until the next chooser starts.
  bool running = false;
  std::map<int, DialogItem> items;
  DWORD typeSelection = 0;  // the file-type list's selection, from 0
};

// Where the dialog's own items stand when it starts: the Cancel button at
// the right of the file-name field, the extra button where a template puts
// it, at the bottom left.
constexpr RECT kCancelPlace{380, 260, 455, 283};
constexpr RECT kExtraPlace{10, 300, 85, 323};
constexpr RECT kFileNamePlace{90, 230, 370, 251};

ChooserState& State() {
  static ChooserState state;
  return state;
}

HWND RunningDialog() { return reinterpret_cast<HWND>(&State().running); }

// Fills a text buffer of `size` bytes; the answer is the characters copied.
UINT CopyText(const std::string& text, char* out, int size) {
  if (out == nullptr || size <= 0) return 0;
  const size_t n = text.size() < size_t(size - 1) ? text.size() : size_t(size - 1);
  std::memcpy(out, text.data(), n);
  out[n] = '\0';
  return UINT(n);
}

// The number of filters of a filter text: pairs of texts up to an empty one.
DWORD CountFilters(const char* filter) {
  if (filter == nullptr) return 0;
  DWORD count = 0;
  while (*filter != '\0') {
    filter += std::strlen(filter) + 1;  // the name
    filter += std::strlen(filter) + 1;  // the patterns
    ++count;
  }
  return count;
}

// Sends the hook a WM_NOTIFY of `code` and answers its result.
UINT_PTR Notify(OPENFILENAMEA* dialog, UINT code) {
  OFNOTIFYA notice{{RunningDialog(), 0, code}, dialog, dialog->lpstrFile};
  return dialog->lpfnHook(RunningDialog(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

BOOL RunChooser(int32_t chooser, OPENFILENAMEA* dialog) {
  ChooserState& state = State();
  state.lastError = 0;
  if (dialog == nullptr ||
      (dialog->lStructSize != sizeof(OPENFILENAMEA) &&
       dialog->lStructSize != OPENFILENAME_SIZE_VERSION_400A)) {
    state.lastError = CDERR_STRUCTSIZE;
    return FALSE_;
  }
  if (dialog->lpstrFile == nullptr || dialog->nMaxFile == 0) {
    state.lastError = CDERR_INITIALIZATION;
    return FALSE_;
  }
  const bool hooked = (dialog->Flags & OFN_ENABLEHOOK) != 0 && dialog->lpfnHook != nullptr;
  const bool templated = hooked && (dialog->Flags & OFN_ENABLETEMPLATE) != 0;

  state.items.clear();
  state.items[IDCANCEL].place = kCancelPlace;
  state.items[kFileNameItem].place = kFileNamePlace;
  state.items[kFileNameItem].text = strnlen(dialog->lpstrFile, dialog->nMaxFile) < dialog->nMaxFile ? dialog->lpstrFile : "";
  if (templated) state.items[kExtraButtonItem].place = kExtraPlace;
  const DWORD filters = CountFilters(dialog->lpstrFilter);
  state.typeSelection = dialog->nFilterIndex >= 1 && dialog->nFilterIndex <= filters ? dialog->nFilterIndex - 1 : 0;
  state.running = true;
  if (hooked) {
    dialog->lpfnHook(RunningDialog(), WM_INITDIALOG, 0, reinterpret_cast<LPARAM>(dialog));
    Notify(dialog, CDN_INITDONE);
  }

  HeadlessChooserAnswer answer;
  if (state.provider != nullptr) state.provider(chooser, dialog, &answer, state.context);
  answer.path[sizeof answer.path - 1] = '\0';
  // A hooked dialog whose type the user changed: the name is typed, the
  // type chosen, and the hook may rewrite the name.
  if (hooked && answer.action == kHeadlessAccept && answer.filterIndex >= 1 && answer.filterIndex <= filters &&
      answer.filterIndex - 1 != state.typeSelection) {
    state.items[kFileNameItem].text = answer.path;
    state.typeSelection = answer.filterIndex - 1;
    Notify(dialog, CDN_TYPECHANGE);
    std::snprintf(answer.path, sizeof answer.path, "%s", state.items[kFileNameItem].text.c_str());
  }

  BOOL result = FALSE_;
  if (answer.action == kHeadlessPressExtra && templated) {
    dialog->lpfnHook(RunningDialog(), WM_COMMAND,
                     (WPARAM(BN_CLICKED) << 16) | WPARAM(kExtraButtonItem), 0);
  } else if (answer.action == kHeadlessAccept) {
    const std::string path = answer.path;
    if (path.size() + 1 > dialog->nMaxFile) {
      // As the real dialog does: the size needed in the first two bytes.
      if (dialog->nMaxFile >= 2) {
        const uint16_t needed = uint16_t(path.size() + 1 > 0xFFFF ? 0xFFFF : path.size() + 1);
        std::memcpy(dialog->lpstrFile, &needed, sizeof needed);
      }
      state.lastError = FNERR_BUFFERTOOSMALL;
    } else {
      std::memcpy(dialog->lpstrFile, path.c_str(), path.size() + 1);
      const size_t slash = path.rfind('/');
      const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
      const size_t dot = path.rfind('.');
      dialog->nFileOffset = WORD(nameStart);
      dialog->nFileExtension =
          WORD(dot != std::string::npos && dot >= nameStart ? dot + 1 : path.size());
      if (dialog->lpstrFileTitle != nullptr && dialog->nMaxFileTitle > 0)
        CopyText(path.substr(nameStart), dialog->lpstrFileTitle, int(dialog->nMaxFileTitle));
      if (answer.filterIndex >= 1 && answer.filterIndex <= CountFilters(dialog->lpstrFilter))
        dialog->nFilterIndex = answer.filterIndex;
      result = TRUE_;
    }
  }
  state.running = false;
  return result;
}

// An item list of one item holding the path and its terminator, then the
// empty item that ends every list: (16-bit size, bytes)..., 16-bit 0.
ITEMIDLIST* NewItemList(const std::string& path) {
  IMalloc* allocator = nullptr;
  if (SHGetMalloc(&allocator) != S_OK || allocator == nullptr) return nullptr;
  const size_t itemSize = 2 + path.size() + 1;
  ITEMIDLIST* list = nullptr;
  if (itemSize <= 0xFFFF) {
    auto* bytes = static_cast<uint8_t*>(allocator->Alloc(itemSize + 2));
    if (bytes != nullptr) {
      const uint16_t size = uint16_t(itemSize);
      const uint16_t end = 0;
      std::memcpy(bytes, &size, 2);
      std::memcpy(bytes + 2, path.c_str(), path.size() + 1);
      std::memcpy(bytes + itemSize, &end, 2);
      list = reinterpret_cast<ITEMIDLIST*>(bytes);
    }
  }
  allocator->Release();
  return list;
}

}  // namespace

BOOL GetOpenFileNameA(OPENFILENAMEA* dialog) { return RunChooser(kHeadlessOpenChooser, dialog); }
BOOL GetSaveFileNameA(OPENFILENAMEA* dialog) { return RunChooser(kHeadlessSaveChooser, dialog); }

DWORD CommDlgExtendedError() { return State().lastError; }

BOOL SetDlgItemTextA(HWND dialog, int item, const char* text) {
  ChooserState& state = State();
  if (!state.running || dialog != RunningDialog()) return FALSE_;
  state.items[item].text = text != nullptr ? text : "";
  return TRUE_;
}

UINT GetDlgItemTextA(HWND dialog, int item, char* text, int size) {
  ChooserState& state = State();
  if (!state.running || dialog != RunningDialog()) return CopyText(std::string(), text, size);
  const auto found = state.items.find(item);
  return CopyText(found != state.items.end() ? found->second.text : std::string(), text, size);
}

BOOL GetDlgItemPlace(HWND dialog, int item, RECT* place) {
  ChooserState& state = State();
  const auto found = state.items.find(item);
  if (!state.running || dialog != RunningDialog() || found == state.items.end() || place == nullptr) return FALSE_;
  *place = found->second.place;
  return TRUE_;
}

BOOL SetDlgItemPlace(HWND dialog, int item, const RECT* place) {
  ChooserState& state = State();
  const auto found = state.items.find(item);
  if (!state.running || dialog != RunningDialog() || found == state.items.end() || place == nullptr) return FALSE_;
  found->second.place = *place;
  return TRUE_;
}

LRESULT SendDlgItemMessageA(HWND dialog, int item, UINT message, WPARAM wParam, LPARAM) {
  ChooserState& state = State();
  if (!state.running || dialog != RunningDialog()) return 0;
  if (item == kFileTypeItem && message == CB_GETCURSEL) return LRESULT(state.typeSelection);
  const auto found = state.items.find(item);
  if (message == WM_SETFONT && found != state.items.end()) {
    found->second.hasFont = true;
    found->second.font = uintptr_t(wParam);
  }
  return 0;
}

ITEMIDLIST* SHBrowseForFolderA(BROWSEINFOA* browse) {
  ChooserState& state = State();
  if (browse == nullptr) return nullptr;
  HeadlessChooserAnswer answer;
  if (state.provider != nullptr) state.provider(kHeadlessFolderChooser, browse, &answer, state.context);
  ITEMIDLIST* list = nullptr;
  if (answer.action == kHeadlessAccept) {
    answer.path[sizeof answer.path - 1] = '\0';
    std::string path = answer.path;
    // The folder's path without a final separator (the root keeps its own).
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    list = NewItemList(path);
    if (list != nullptr && browse->pszDisplayName != nullptr) {
      const size_t slash = path.rfind('/');
      const std::string name =
          slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
      CopyText(name, browse->pszDisplayName, int(MAX_PATH));
    }
  }
  return list;
}

BOOL SHGetPathFromIDListA(const ITEMIDLIST* list, char* path) {
  if (list == nullptr || path == nullptr) return FALSE_;
  const auto* bytes = reinterpret_cast<const uint8_t*>(list);
  uint16_t size;
  std::memcpy(&size, bytes, 2);
  if (size < 3) return FALSE_;
  const char* text = reinterpret_cast<const char*>(bytes + 2);
  const size_t length = strnlen(text, size - 2);
  if (length == size - 2u || length + 1 > MAX_PATH) return FALSE_;
  std::memcpy(path, text, length + 1);
  return TRUE_;
}

void SetHeadlessChooserProvider(HeadlessChooserProvider provider, void* context) {
  State().provider = provider;
  State().context = context;
}

UINT GetHeadlessDialogItemText(int item, char* text, int size) {
  const auto& items = State().items;
  const auto found = items.find(item);
  return CopyText(found != items.end() ? found->second.text : std::string(), text, size);
}

BOOL GetHeadlessDialogItemPlace(int item, RECT* place) {
  const auto& items = State().items;
  const auto found = items.find(item);
  if (found == items.end() || place == nullptr) return FALSE_;
  *place = found->second.place;
  return TRUE_;
}

BOOL GetHeadlessDialogItemFont(int item, uintptr_t* font) {
  const auto& items = State().items;
  const auto found = items.find(item);
  if (found == items.end() || !found->second.hasFont) return FALSE_;
  if (font != nullptr) *font = found->second.font;
  return TRUE_;
}
