// The standard file dialogs: filter texts from the file type map, the
// records handed to the platform's choosers (flags, sizes, titles, starting
// names), the files and folders made from the user's answers, the extra
// button, and cancelling.
#include "controls/files/StandardFileDialogs.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/core/strings/VUniString.h"
#include "framework/system/environment/VSystemServices.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFileTypeMap.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/tests/FilesTestSupport.h"
#include "framework/system/tests/SystemEnvironmentSupport.h"
#include "platform/win32/WinFileDialogs.h"
#include "platform/win32/WinLocale.h"
#include "platform/win32/WinShell.h"

namespace {

using files_test::ScopedTypeMap;
using files_test::Str;
using files_test::Text;

// What the user does, and what the chooser was given.
struct User {
  int32_t action = kHeadlessCancel;
  std::string path;
  DWORD filter = 0;
  int32_t chooser = -1;
  OPENFILENAMEA seen{};
  std::string filterText;
  std::string title;
  std::string initialName;
  std::string initialDir;
  std::string buttonTitle;
  std::string secondText;
  std::string prompt;
};

uint32_t Code(const char* c) {
  return (uint32_t(uint8_t(c[0])) << 24) | (uint32_t(uint8_t(c[1])) << 16) |
         (uint32_t(uint8_t(c[2])) << 8) | uint32_t(uint8_t(c[3]));
}

std::string TextsUpToDoubleZero(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  while (*text != '\0') {
    const size_t n = std::strlen(text);
    out.append(text, n + 1);
    text += n + 1;
  }
  out.push_back('\0');
  return out;
}

void Answer(int32_t chooser, const void* record, HeadlessChooserAnswer* answer, void* context) {
  auto* user = static_cast<User*>(context);
  user->chooser = chooser;
  if (chooser == kHeadlessFolderChooser) {
    const auto* browse = static_cast<const BROWSEINFOA*>(record);
    user->prompt = browse->lpszTitle != nullptr ? browse->lpszTitle : "";
  } else {
    const auto* dialog = static_cast<const OPENFILENAMEA*>(record);
    user->seen = *dialog;
    user->filterText = TextsUpToDoubleZero(dialog->lpstrFilter);
    user->title = dialog->lpstrTitle != nullptr ? dialog->lpstrTitle : "";
    user->initialName = dialog->lpstrFile;
    user->initialDir = dialog->lpstrInitialDir != nullptr ? dialog->lpstrInitialDir : "";
    char text[128];
    GetHeadlessDialogItemText(kExtraButtonControl, text, sizeof text);
    user->buttonTitle = text;
    GetHeadlessDialogItemText(kExtraTextControl, text, sizeof text);
    user->secondText = text;
  }
  answer->action = user->action;
  std::snprintf(answer->path, sizeof answer->path, "%s", user->path.c_str());
  answer->filterIndex = user->filter;
}

// A file type map of a few rows and the user's answers for each test.
class FileDialogs : public testing::Test {
 protected:
  void SetUp() override {
    map_.Row("TEXT", "TXT ").Row("HTML", "HTML").Row("HTM ", "HTM ").Row("RTF ", "RTF ")
        .Row("NOEX", "\0\0\0\0");
    SetHeadlessChooserProvider(&Answer, &user_);
  }
  void TearDown() override { SetHeadlessChooserProvider(nullptr, nullptr); }

  // An open description with the filters given as (name, types).
  static void AddFilter(VFileDialog& dialog, const char* name,
                        std::initializer_list<const char*> types) {
    auto* filter = new VFileFilter(name, 0, 0);
    for (const char* type : types) filter->AddType(Code(type), 0);
    dialog.AddFilter(filter);
  }

  ScopedTypeMap map_;
  User user_;
};

// An empty open or save description to fill in a test.
struct OpenDialog : VGetFileDialog {
  OpenDialog() : VGetFileDialog(nullptr, 0) {}
};
struct SaveDialog : VPutFileDialog {
  SaveDialog() : VPutFileDialog(nullptr, 0) {}
};

// ---- Filter texts

TEST_F(FileDialogs, OpenFiltersListEveryTypeWithAnExtension) {
  OpenDialog dialog;
  AddFilter(dialog, "Web", {"HTML", "HTM ", "NOEX"});
  AddFilter(dialog, "All", {"????"});
  AddFilter(dialog, "Mixed", {"????", "TEXT"});
  AddFilter(dialog, "None", {});
  const std::string expected = std::string("Web (*.html;*.htm)\0*.html;*.htm\0", 32) +
                               std::string("All (*.*)\0*.*\0", 14) +
                               std::string("Mixed (*.txt)\0*.txt\0", 20) +
                               std::string("None (*.*)\0*.*\0", 15) + std::string(1, '\0');
  EXPECT_EQ(BuildFilterText(dialog, false), expected);
}

TEST_F(FileDialogs, SaveFiltersShowTheirFirstTypeOnly) {
  SaveDialog dialog;
  AddFilter(dialog, "Web", {"HTML", "HTM "});
  AddFilter(dialog, "Odd", {"NOEX"});
  AddFilter(dialog, "None", {});
  const std::string expected = std::string("Web (*.html)\0*.html\0", 20) +
                               std::string("Odd (*.*)\0*.*\0", 14) +
                               std::string("None (*.*)\0*.*\0", 15) + std::string(1, '\0');
  EXPECT_EQ(BuildFilterText(dialog, true), expected);
}

TEST_F(FileDialogs, NoFiltersGiveAnEmptyFilterText) {
  OpenDialog dialog;
  EXPECT_EQ(BuildFilterText(dialog, false), std::string(1, '\0'));
}

TEST_F(FileDialogs, PatternsAreLowerCasedAndAnyTypeHasNone) {
  EXPECT_EQ(PatternOfType(FourCC("TEXT")), "*.txt");
  EXPECT_EQ(PatternOfType(kAnyFileType), "");
  EXPECT_EQ(PatternOfType(FourCC("GIFf")), "");
}

// ---- Opening

TEST_F(FileDialogs, OpeningGivesTheChosenFileWithTheTypeOfItsExtension) {
  OpenDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  AddFilter(dialog, "Web", {"HTML", "HTM "});
  user_.action = kHeadlessAccept;
  user_.path = "/home/u/notes.html";
  user_.filter = 2;
  VFile* file = ShowOpenFileDialog(dialog);
  ASSERT_NE(file, nullptr);
  Str name;
  file->GetName(name);
  EXPECT_EQ(Text(name), "notes");
  Str full;
  file->GetFullPath(full);
  EXPECT_EQ(Text(full), "/home/u/notes.html");
  EXPECT_EQ(file->GetFileType(), FourCC("HTML"));
  EXPECT_EQ(file->GetCreator(), 0u);
  EXPECT_EQ(dialog.GetTypeIndex(), 2);
  delete file;
}

TEST_F(FileDialogs, AnExtensionLongerThanFourCharactersGivesNoType) {
  OpenDialog dialog;
  user_.action = kHeadlessAccept;
  user_.path = "/home/u/archive.backup";
  const int32_t rows = map_.Map().CountRows();
  VFile* file = ShowOpenFileDialog(dialog);
  ASSERT_NE(file, nullptr);
  Str full;
  file->GetFullPath(full);
  EXPECT_EQ(Text(full), "/home/u/archive.backup");
  EXPECT_EQ(file->GetFileType(), 0u);
  EXPECT_EQ(map_.Map().CountRows(), rows);
  delete file;
}

TEST_F(FileDialogs, AnExtensionTheMapLacksGetsAMadeUpType) {
  // The extension is what follows the name's last dot, whatever dots stand
  // before it.
  const struct {
    const char* path;
    uint32_t extension;
  } rows[] = {{"/pictures/cat.png", FourCC("PNG\0")}, {"/pictures/cat v1.2.webp", FourCC("WEBP")}};
  for (const auto& row : rows) {
    OpenDialog dialog;
    user_.action = kHeadlessAccept;
    user_.path = row.path;
    const int32_t count = map_.Map().CountRows();
    VFile* file = ShowOpenFileDialog(dialog);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(map_.Map().CountRows(), count + 1) << row.path;
    EXPECT_EQ(file->GetFileType(), map_.Map().FileTypeForExtension(row.extension)) << row.path;
    EXPECT_EQ(file->GetFileType() >> 24, 8u) << row.path;
    Str full;
    file->GetFullPath(full);
    EXPECT_EQ(Text(full), row.path);
    delete file;
  }
}

TEST_F(FileDialogs, TheOpenRecordCarriesTheDescription) {
  OpenDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  dialog.SetTitle(Str("Pick one"));
  dialog.SetTypeIndex(1);
  EXPECT_EQ(ShowOpenFileDialog(dialog), nullptr);
  EXPECT_EQ(user_.chooser, kHeadlessOpenChooser);
  EXPECT_EQ(user_.seen.Flags, 0x201804u);
  EXPECT_EQ(user_.seen.lStructSize, sizeof(OPENFILENAMEA));
  EXPECT_EQ(user_.seen.nFilterIndex, 1u);
  EXPECT_EQ(user_.seen.nMaxFile, 2048u);
  EXPECT_EQ(user_.seen.lpfnHook, nullptr);
  EXPECT_EQ(user_.title, "Pick one");
  EXPECT_EQ(user_.initialName, "");
  EXPECT_EQ(user_.filterText, std::string("Text (*.txt)\0*.txt\0\0", 20));
}

TEST_F(FileDialogs, AnEmptyTitleLeavesTheDialogsOwn) {
  OpenDialog dialog;
  ShowOpenFileDialog(dialog);
  EXPECT_EQ(user_.seen.lpstrTitle, nullptr);
}

TEST_F(FileDialogs, CancellingAnswersNullAndKeepsTheChosenFilter) {
  OpenDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  AddFilter(dialog, "Web", {"HTML"});
  dialog.SetTypeIndex(2);
  user_.filter = 1;
  EXPECT_EQ(ShowOpenFileDialog(dialog), nullptr);
  EXPECT_EQ(dialog.GetTypeIndex(), 2);
  EXPECT_EQ(dialog.GetExtraChoice(), 0);
}

TEST_F(FileDialogs, TheExtraButtonEndsTheDialogAndIsRecorded) {
  OpenDialog dialog;
  const Str title("Import");
  dialog.SetExtraTexts(&title, nullptr);
  user_.action = kHeadlessPressExtra;
  EXPECT_EQ(ShowOpenFileDialog(dialog), nullptr);
  EXPECT_EQ(dialog.GetExtraChoice(), 1);
  EXPECT_EQ(user_.seen.Flags, 0x281864u);
  EXPECT_NE(user_.seen.lpfnHook, nullptr);
  EXPECT_EQ(user_.seen.lpTemplateName, MAKEINTRESOURCEA(6701));
  EXPECT_EQ(user_.buttonTitle, "Import");
  // The next run without the button clears the choice.
  user_.action = kHeadlessCancel;
  EXPECT_EQ(ShowOpenFileDialog(dialog), nullptr);
  EXPECT_EQ(dialog.GetExtraChoice(), 0);
}

TEST_F(FileDialogs, BothExtraTextsReachTheTemplate) {
  OpenDialog dialog;
  const Str first("More");
  const Str second("Shown below");
  dialog.SetExtraTexts(&first, &second);
  ShowOpenFileDialog(dialog);
  EXPECT_EQ(user_.buttonTitle, "More");
  EXPECT_EQ(user_.secondText, "Shown below");
}

// ---- Saving

TEST_F(FileDialogs, SavingGivesTheNameWithTheChosenFiltersFirstType) {
  SaveDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  AddFilter(dialog, "Web", {"HTML", "HTM "});
  user_.action = kHeadlessAccept;
  user_.path = "/home/u/report.doc";
  user_.filter = 2;
  VFile* file = ShowSaveFileDialog(nullptr, dialog);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(dialog.GetTypeIndex(), 2);
  EXPECT_EQ(file->GetFileType(), FourCC("HTML"));
  EXPECT_EQ(file->GetCreator(), 0u);
  Str full;
  file->GetFullPath(full);
  // The type change put the type's extension after the name, as typed.
  EXPECT_EQ(Text(full), "/home/u/report.html");
  delete file;
}

// The name the user typed is the name written: an extension of the chosen
// type, in any letter case, stays as it is; any other name gets the type's
// extension added after what was typed, nothing of it taken away.
TEST_F(FileDialogs, ATypedNameKeepsItsSpellingAndGetsAnExtensionOnlyWhenItLacksOne) {
  struct Case {
    const char* typed;
    const char* written;
  };
  const Case cases[] = {
      {"/home/u/notes.txt", "/home/u/notes.txt"},
      {"/home/u/notes.TXT", "/home/u/notes.TXT"},
      {"/home/u/notes.tXt", "/home/u/notes.tXt"},
      {"/home/u/notes", "/home/u/notes.TXT"},
      {"/home/u.v/notes", "/home/u.v/notes.TXT"},
      {"/home/u/notes.v2", "/home/u/notes.v2.TXT"},
      {"/home/u/notes.backup", "/home/u/notes.backup.TXT"},
      {"/home/u/notes.rtf", "/home/u/notes.rtf.TXT"},
      {"/home/u/x.u.txt", "/home/u/x.u.txt"},
      {"/home/u/Report v1.2.tXt", "/home/u/Report v1.2.tXt"},
      {"/home/u/minutes.2026-12-11.txt", "/home/u/minutes.2026-12-11.txt"},
  };
  for (const Case& c : cases) {
    SaveDialog dialog;
    AddFilter(dialog, "Text", {"TEXT"});
    user_.action = kHeadlessAccept;
    user_.path = c.typed;
    VFile* file = ShowSaveFileDialog(nullptr, dialog);
    ASSERT_NE(file, nullptr) << c.typed;
    Str full;
    file->GetFullPath(full);
    EXPECT_EQ(Text(full), c.written) << c.typed;
    EXPECT_EQ(file->GetFileType(), FourCC("TEXT")) << c.typed;
    delete file;
  }
}

// An extension of a type of the same kind (a page saved as ".htm" with the
// web filter) is kept too, and the file takes that type.
TEST_F(FileDialogs, AnExtensionOfTheSameKindKeepsTheNameAndGivesItsType) {
  ScopedTypeMap kinds;
  kinds.Row("HTML", "HTML", "HTML").Row("HTM ", "HTM ", "HTML").Row("TEXT", "TXT ", "TEXT");
  SaveDialog dialog;
  AddFilter(dialog, "Web", {"HTML"});
  user_.action = kHeadlessAccept;
  user_.path = "/home/u/page.htm";
  VFile* file = ShowSaveFileDialog(nullptr, dialog);
  ASSERT_NE(file, nullptr);
  Str full;
  file->GetFullPath(full);
  EXPECT_EQ(Text(full), "/home/u/page.htm");
  EXPECT_EQ(file->GetFileType(), FourCC("HTM "));
  delete file;
  SaveDialog other;
  AddFilter(other, "Web", {"HTML"});
  user_.path = "/home/u/page.txt";
  file = ShowSaveFileDialog(nullptr, other);
  ASSERT_NE(file, nullptr);
  file->GetFullPath(full);
  EXPECT_EQ(Text(full), "/home/u/page.txt.HTML");
  EXPECT_EQ(file->GetFileType(), FourCC("HTML"));
  delete file;
}

TEST_F(FileDialogs, ANameWithoutExtensionKeepsItsWholeText) {
  SaveDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  user_.action = kHeadlessAccept;
  user_.path = "/home/u.v/letter";
  VFile* file = ShowSaveFileDialog(nullptr, dialog);
  ASSERT_NE(file, nullptr);
  Str name;
  file->GetName(name);
  EXPECT_EQ(Text(name), "letter");
  delete file;
}

TEST_F(FileDialogs, TheSaveRecordStartsFromTheSuggestedFile) {
  SaveDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  VFile suggested("/home/u/draft", FourCC("TEXT"));
  ShowSaveFileDialog(&suggested, dialog);
  EXPECT_EQ(user_.chooser, kHeadlessSaveChooser);
  EXPECT_EQ(user_.initialName, "draft.TXT");
  EXPECT_EQ(user_.initialDir, "/home/u/");
  EXPECT_EQ(user_.seen.Flags, 0xA84806u);
}

TEST_F(FileDialogs, ASuggestedFileWithoutATypeExtensionStartsWithAStar) {
  SaveDialog dialog;
  VFile suggested("/home/u/draft", FourCC("GIFf"));
  ShowSaveFileDialog(&suggested, dialog);
  EXPECT_EQ(user_.initialName, "draft.*");
  ShowSaveFileDialog(nullptr, dialog);
  EXPECT_EQ(user_.initialName, "*.*");
  EXPECT_EQ(user_.seen.lpstrInitialDir, nullptr);
}

// UTF-8 cannot hold a lone surrogate: the name starts with U+FFFD in its
// place rather than with bytes that are no UTF-8.
TEST_F(FileDialogs, ALoneSurrogateInTheSuggestedNameStartsAsAReplacement) {
  SaveDialog dialog;
  VFile suggested(u"/home/u/dr\xD800_aft", FourCC("GIFf"));
  ShowSaveFileDialog(&suggested, dialog);
  EXPECT_EQ(user_.initialName, "dr\xEF\xBF\xBD_aft.*");
}

TEST_F(FileDialogs, ASingleFilterSavesWithoutAHook) {
  SaveDialog dialog;
  AddFilter(dialog, "Text", {"TEXT"});
  ShowSaveFileDialog(nullptr, dialog);
  EXPECT_EQ(user_.seen.lpfnHook, nullptr);
  EXPECT_EQ(user_.seen.Flags & OFN_ENABLEHOOK, 0u);
  AddFilter(dialog, "Web", {"HTML"});
  ShowSaveFileDialog(nullptr, dialog);
  EXPECT_NE(user_.seen.lpfnHook, nullptr);
  EXPECT_EQ(user_.seen.Flags, 0xA84806u | OFN_ENABLEHOOK);
}

TEST_F(FileDialogs, TheSaveDialogsExtraButtonUsesTheTemplate) {
  SaveDialog dialog;
  const Str first("Options");
  dialog.SetExtraTexts(&first, nullptr);
  user_.action = kHeadlessPressExtra;
  EXPECT_EQ(ShowSaveFileDialog(nullptr, dialog), nullptr);
  EXPECT_EQ(user_.seen.Flags, 0xA84866u);
  EXPECT_EQ(dialog.GetExtraChoice(), 1);
}

// A type chosen in the save dialog rewrites what follows the typed name's
// last '.'; one filter alone runs without the hook and rewrites nothing.
TEST_F(FileDialogs, ATypeChangeKeepsTheTypedNamesExtensionInStep) {
  struct Case {
    const char* typed;
    DWORD filter;
    int filters;
    const char* field;
    const char* file;
  };
  const Case cases[] = {
      {"/w/notes.txt", 2, 3, "/w/notes.html", "/w/notes"},
      {"/w/report", 2, 3, "/w/report.html", "/w/report"},
      {"/w/a.b.c", 2, 3, "/w/a.b.html", nullptr},  // the file reads its own name
      {".txt", 2, 3, "*.html", "*"},
      {"/w/x.txt", 3, 3, "/w/x.*", "/w/x"},
      {"/w/notes.txt", 1, 3, "/w/notes.txt", "/w/notes"},  // the type it started on
      {"/w/notes.txt", 1, 1, "/w/notes.txt", "/w/notes"},  // one filter: no hook
  };
  for (const Case& c : cases) {
    SaveDialog dialog;
    AddFilter(dialog, "Text", {"TEXT"});
    if (c.filters > 1) {
      AddFilter(dialog, "Web", {"HTML"});
      AddFilter(dialog, "Odd", {"NOEX"});
    }
    user_.action = kHeadlessAccept;
    user_.path = c.typed;
    user_.filter = c.filter;
    VFile* file = ShowSaveFileDialog(nullptr, dialog);
    ASSERT_NE(file, nullptr) << c.typed;
    char field[256];
    GetHeadlessDialogItemText(kFileNameItem, field, sizeof field);
    EXPECT_STREQ(field, c.filters > 1 && c.filter != 1 ? c.field : "*.*") << c.typed;
    if (c.file != nullptr) {
      EXPECT_EQ(Text(file->GetPath()), c.file) << c.typed;
    }
    EXPECT_EQ(dialog.GetTypeIndex(), int16_t(c.filter)) << c.typed;
    EXPECT_EQ((user_.seen.Flags & OFN_ENABLEHOOK) != 0, c.filters > 1) << c.typed;
    delete file;
  }
}

TEST_F(FileDialogs, TheExtraButtonSitsBelowCancelInTheSystemFontWhereTheLanguageAsks) {
  for (LANGID language : {LANGID(1041), LANGID(1033)}) {
    SetHeadlessSystemLanguage(language);
    SaveDialog dialog;
    AddFilter(dialog, "Text", {"TEXT"});
    const Str first("Options");
    dialog.SetExtraTexts(&first, nullptr);
    EXPECT_EQ(ShowSaveFileDialog(nullptr, dialog), nullptr);
    RECT cancel{}, extra{};
    ASSERT_TRUE(GetHeadlessDialogItemPlace(IDCANCEL, &cancel));
    ASSERT_TRUE(GetHeadlessDialogItemPlace(kExtraButtonControl, &extra));
    EXPECT_EQ(extra.left, cancel.left);
    EXPECT_EQ(extra.top, cancel.bottom + 10);
    EXPECT_EQ(extra.right - extra.left, cancel.right - cancel.left);
    EXPECT_EQ(extra.bottom - extra.top, cancel.bottom - cancel.top);
    uintptr_t font = 1;
    EXPECT_EQ(GetHeadlessDialogItemFont(kExtraButtonControl, &font) != FALSE_, language == 1041) << language;
    if (language == 1041) {
      EXPECT_EQ(font, 0u);
    }
  }
  SetHeadlessSystemLanguage(0);
}

TEST_F(FileDialogs, AChosenFilterThatDoesNotExistGivesNoFile) {
  SaveDialog dialog;
  user_.action = kHeadlessAccept;
  user_.path = "/x/y";
  EXPECT_EQ(ShowSaveFileDialog(nullptr, dialog), nullptr);
}

// ---- Folders

TEST_F(FileDialogs, TheChosenFolderComesBackAndItsListIsFreedWithoutAnEnvironment) {
  user_.action = kHeadlessAccept;
  user_.path = "/tmp";
  const int blocks = CountHeadlessShellBlocks();
  VFolder* folder = ShowFolderDialog(Str("Where?"));
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(user_.prompt, "Where?");
  EXPECT_EQ(Text(folder->GetPath()), "/tmp/");
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks);
  delete folder;
}

TEST_F(FileDialogs, ACancelledFolderChooserAnswersNull) {
  EXPECT_EQ(ShowFolderDialog(Str("Where?")), nullptr);
}

class FolderWithEnvironment : public EnvironmentTest {
 protected:
  void SetUp() override {
    EnvironmentTest::SetUp();
    SetHeadlessChooserProvider(&Answer, &user_);
  }
  void TearDown() override {
    SetHeadlessChooserProvider(nullptr, nullptr);
    EnvironmentTest::TearDown();
  }
  User user_;
};

TEST_F(FolderWithEnvironment, TheEnvironmentKeepsTheLastFolderChosen) {
  VSystemServices* saved = gSystemServices;
  gSystemServices = &Services();
  user_.action = kHeadlessAccept;
  user_.path = "/tmp";
  const int blocks = CountHeadlessShellBlocks();
  VFolder* first = ShowFolderDialog(Str("One"));
  EXPECT_NE(Services().GetLastFolderItem(), nullptr);
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks + 1);
  VFolder* second = ShowFolderDialog(Str("Two"));
  // The first list was given back when the second came.
  EXPECT_EQ(CountHeadlessShellBlocks(), blocks + 1);
  delete first;
  delete second;
  gSystemServices = saved;
}

}  // namespace
