// File dialog descriptions: 'FGET' and 'FPUT' read through a resource file
// with the byte-order procedure (flags, placement, titles and names, string
// references, the chosen filter, types the map does not know), resources
// cut short or claiming too much, the dialogs made from lists with their
// made-up types, the choice of a filter for a type, and the exchanges.
#include "framework/system/files/VFileDialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "FilesTestSupport.h"
#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/resources/VMacResourceFile.h"
#include "boundary/ModuleExports.h"
#include "platform/toolbox/TbxResources.h"

namespace {

using files_test::ScopedTypeMap;
using files_test::ScratchFolder;
using files_test::Str;
using files_test::Text;

// Big-endian resource bytes.
struct Bytes {
  std::vector<uint8_t> b;
  Bytes& U8(uint8_t v) {
    b.push_back(v);
    return *this;
  }
  Bytes& U16(int v) {
    b.push_back(uint8_t(v >> 8));
    b.push_back(uint8_t(v));
    return *this;
  }
  Bytes& Type(const char (&c)[5]) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(c[i]));
    return *this;
  }
  Bytes& U32(uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
    return *this;
  }
  // A 32-byte text field; the length byte as given, which may claim more
  // than the field holds.
  Bytes& Field(const std::string& text, int lengthByte = -1) {
    b.push_back(uint8_t(lengthByte >= 0 ? lengthByte : int(text.size())));
    for (size_t i = 0; i < 31; ++i) b.push_back(i < text.size() ? uint8_t(text[i]) : 0);
    return *this;
  }
  // The head of both resources up to the filter count.
  Bytes& Head(uint8_t bits, int first, int second, const std::string& title, int chosen, int count) {
    return U8(bits).U8(0xEE).U16(first).U16(second).Field(title).U16(chosen).U16(count);
  }
};

// A resource file of the test's own with the module's byte-order procedure,
// and a file type map that knows TEXT, RTF, HTML and HTM.
class FileDialog : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    map_.Row("TEXT", "TXT ", "TEXT").Row("RTF ", "RTF ", "RTF ").Row("HTML", "HTML", "HTML")
        .Row("HTM ", "HTM ", "HTML");
    path_ = P("dialogs.rsrc");
    pascal_[0] = uint8_t(path_.size());
    std::memcpy(pascal_ + 1, path_.data(), path_.size());
    previous_ = Tbx::CurResFile();
    Tbx::CreateResFile(pascal_);
    // The list of texts that references name.
    Bytes list;
    list.U16(2);
    for (const char* text : {"Documents", "Open which?"}) {
      list.U8(uint8_t(std::strlen(text)));
      for (const char* c = text; *c; ++c) list.U8(uint8_t(*c));
    }
    Add(FourCC("STR#"), 300, list, "");
  }
  void TearDown() override {
    delete file_;
    if (ref_ >= 0) Tbx::CloseResFile(ref_);
    if (previous_ >= 0) Tbx::UseResFile(previous_);
    ScratchFolder::TearDown();
  }
  // Adds a resource of stored bytes to the file.
  void Add(uint32_t type, int16_t id, const Bytes& bytes, const std::string& name) {
    const int16_t ref = Tbx::OpenResFile(pascal_);
    ASSERT_GE(ref, 0);
    const Tbx::Handle h = Tbx::NewHandle(int32_t(bytes.b.size()));
    if (!bytes.b.empty()) std::memcpy(Tbx::HLock(h), bytes.b.data(), bytes.b.size());
    Tbx::HUnlock(h);
    uint8_t pname[256];
    pname[0] = uint8_t(name.size());
    std::memcpy(pname + 1, name.data(), name.size());
    Tbx::AddResource(h, type, id, name.empty() ? nullptr : pname);
    ASSERT_EQ(Tbx::ResError(), 0);
    Tbx::UpdateResFile(ref);
    Tbx::CloseResFile(ref);
  }
  // The file opened for reading, as the host opens the module's.
  VResourceFile* File() {
    if (file_ == nullptr) {
      ref_ = Tbx::OpenResFile(pascal_);
      EXPECT_GE(ref_, 0);
      Tbx::SetResFileSwapProc(ref_, &SwapRsrcProc);
      file_ = new VMacResourceFile(ref_);
    }
    return file_;
  }

  ScopedTypeMap map_;
  std::string path_;
  uint8_t pascal_[256] = {};
  int16_t previous_ = -1;
  int16_t ref_ = -1;
  VMacResourceFile* file_ = nullptr;
};

// ---- 'FGET'

TEST_F(FileDialog, AnOpenDescriptionIsReadWhole) {
  Bytes r;
  r.Head(0x03, 10, 20, "Open", 2, 2);
  r.Field("Text files").Type("TEXT").U16(1).Type("RTF ");
  r.Field("Web").Type("HTML").U16(2).Type("HTM ").Type("GIFf");
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  EXPECT_EQ(Text(dialog.GetTitle()), "Open");
  int16_t first = 0, second = 0;
  dialog.GetPlacement(first, second);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(second, 20);
  EXPECT_EQ(dialog.GetTypeIndex(), 2);
  ASSERT_EQ(dialog.CountFilters(), 2);
  const VFileFilter* text = dialog.GetFilter(1);
  EXPECT_EQ(Text(text->GetName()), "Text files");
  EXPECT_EQ(text->GetDefaultType(), FourCC("TEXT"));
  ASSERT_EQ(text->CountTypes(), 2);
  EXPECT_EQ(text->GetType(1), FourCC("TEXT"));
  EXPECT_EQ(text->GetType(2), FourCC("RTF "));
  EXPECT_EQ(text->GetPairedCode(1), 0u);
  // A type the map does not know ('GIFf') is dropped.
  const VFileFilter* web = dialog.GetFilter(2);
  ASSERT_EQ(web->CountTypes(), 2);
  EXPECT_EQ(web->GetType(2), FourCC("HTM "));
  EXPECT_EQ(dialog.GetChosenType(), FourCC("HTML"));
  EXPECT_EQ(dialog.GetChosenFirstType(), FourCC("HTML"));
}

TEST_F(FileDialog, OpenOptionBitsFillFlags14235678) {
  const int expected[8] = {1, 4, 2, 3, 5, 6, 7, 8};
  for (int bit = 0; bit < 8; ++bit) {
    Bytes r;
    r.Head(uint8_t(1 << bit), 0, 0, "", 1, 0);
    Add(kResTypeFGET, int16_t(200 + bit), r, "");
  }
  for (int bit = 0; bit < 8; ++bit) {
    VGetFileDialog dialog(File(), int16_t(200 + bit));
    for (int flag = 1; flag <= 9; ++flag)
      EXPECT_EQ(dialog.GetFlag(flag), flag == expected[bit] ? 1 : 0) << bit << " " << flag;
  }
}

TEST_F(FileDialog, AnUnknownDefaultTypeStaysTheDefaultButIsNotListed) {
  Bytes r;
  r.Head(0, 0, 0, "", 1, 1).Field("Pictures").Type("GIFf").U16(1).Type("TEXT");
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  ASSERT_EQ(dialog.CountFilters(), 1);
  EXPECT_EQ(dialog.GetFilter(1)->GetDefaultType(), FourCC("GIFf"));
  ASSERT_EQ(dialog.GetFilter(1)->CountTypes(), 1);
  EXPECT_EQ(dialog.GetFilter(1)->GetType(1), FourCC("TEXT"));
  EXPECT_EQ(dialog.GetChosenType(), FourCC("GIFf"));
  EXPECT_EQ(dialog.GetChosenFirstType(), FourCC("TEXT"));
}

TEST_F(FileDialog, AChosenIndexOutsideTheFiltersStartsOnTheFirstAnd0IsKept) {
  const int chosen[] = {-1, 3, 0, 2, -32768};
  const int expected[] = {1, 1, 0, 2, 1};
  for (int i = 0; i < 5; ++i) {
    Bytes r;
    r.Head(0, 0, 0, "", chosen[i], 2);
    r.Field("a").Type("TEXT").U16(0).Field("b").Type("RTF ").U16(0);
    Add(kResTypeFGET, int16_t(300 + i), r, "");
  }
  for (int i = 0; i < 5; ++i) {
    VGetFileDialog dialog(File(), int16_t(300 + i));
    EXPECT_EQ(dialog.GetTypeIndex(), expected[i]) << chosen[i];
  }
}

TEST_F(FileDialog, ACountPastTheResourceReadsOnlyTheWholeFilters) {
  Bytes r;
  r.Head(0, 0, 0, "", 3, 5);
  r.Field("one").Type("TEXT").U16(0);
  r.Field("two").Type("RTF ").U16(3).Type("HTML");  // its types run past the end
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  ASSERT_EQ(dialog.CountFilters(), 1);
  EXPECT_EQ(Text(dialog.GetFilter(1)->GetName()), "one");
  // Index 3 of the five claimed lies past the one read.
  EXPECT_EQ(dialog.GetTypeIndex(), 1);
}

// The byte-order conversion reads a type count as unsigned and converts
// everything behind a negative one as types, so nothing after it is read.
TEST_F(FileDialog, ANegativeTypeCountListsNoTypeAndEndsTheFilters) {
  Bytes r;
  r.Head(0, 0, 0, "", 1, 2);
  r.Field("one").Type("TEXT").U16(-4);
  r.Field("two").Type("RTF ").U16(0);
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  ASSERT_EQ(dialog.CountFilters(), 1);
  EXPECT_EQ(Text(dialog.GetFilter(1)->GetName()), "one");
  EXPECT_EQ(dialog.GetFilter(1)->CountTypes(), 1);
}

TEST_F(FileDialog, ANegativeFilterCountReadsNone) {
  Bytes r;
  r.Head(0, 0, 0, "T", 1, -1).Field("one").Type("TEXT").U16(0);
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  EXPECT_EQ(dialog.CountFilters(), 0);
  EXPECT_EQ(Text(dialog.GetTitle()), "T");
}

TEST_F(FileDialog, AHeadCutShortKeepsWhatCameBeforeTheCut) {
  Bytes whole;
  whole.Head(0x01, 7, 8, "Cut", 1, 1).Field("one").Type("TEXT").U16(0);
  for (int size : {0, 1, 5, 6, 20, 38, 39, 41, 42, 60}) {
    Bytes cut;
    cut.b.assign(whole.b.begin(), whole.b.begin() + size);
    Add(kResTypeFGET, int16_t(400 + size), cut, "");
  }
  for (int size : {0, 1, 5, 6, 20, 38, 39, 41, 42, 60}) {
    VGetFileDialog dialog(File(), int16_t(400 + size));
    int16_t first = 0, second = 0;
    dialog.GetPlacement(first, second);
    EXPECT_EQ(dialog.GetFlag(1), size >= 1 ? 1 : 0) << size;
    EXPECT_EQ(first, size >= 6 ? 7 : -1) << size;
    EXPECT_EQ(Text(dialog.GetTitle()), size >= 38 ? "Cut" : "") << size;
    EXPECT_EQ(dialog.CountFilters(), 0) << size;
    EXPECT_EQ(dialog.GetTypeIndex(), 1) << size;
  }
}

TEST_F(FileDialog, ALengthBytePastItsFieldIsCutTo31) {
  Bytes r;
  const std::string name(31, 'n');
  r.Head(0, 0, 0, std::string(31, 't'), 1, 1);
  r.b[6] = 200;  // the title's length byte
  r.Field(name, 255).Type("TEXT").U16(0);
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  EXPECT_EQ(Text(dialog.GetTitle()), std::string(31, 't'));
  ASSERT_EQ(dialog.CountFilters(), 1);
  EXPECT_EQ(Text(dialog.GetFilter(1)->GetName()), name);
}

TEST_F(FileDialog, TitlesAndNamesMayReferToAStringList) {
  Bytes r;
  r.Head(0, 0, 0, ":300,2", 1, 1).Field(":300,1").Type("TEXT").U16(0);
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 128);
  EXPECT_EQ(Text(dialog.GetTitle()), "Open which?");
  EXPECT_EQ(Text(dialog.GetFilter(1)->GetName()), "Documents");
}

TEST_F(FileDialog, AMissingResourceGivesAnEmptyDialog) {
  VGetFileDialog dialog(File(), 999);
  EXPECT_EQ(dialog.GetTitle().GetLength(), 0);
  EXPECT_EQ(dialog.CountFilters(), 0);
  EXPECT_EQ(dialog.GetTypeIndex(), 1);
  EXPECT_EQ(dialog.GetChosenType(), 0u);
  EXPECT_EQ(dialog.GetChosenFirstType(), 0u);
  EXPECT_EQ(dialog.GetFilterTypes(1), nullptr);
  int16_t first = 0, second = 0;
  dialog.GetPlacement(first, second);
  EXPECT_EQ(first, -1);
  EXPECT_EQ(second, -1);
  VGetFileDialog noFile(nullptr, 128);
  EXPECT_EQ(noFile.CountFilters(), 0);
}

// ---- 'FPUT'

TEST_F(FileDialog, ASaveDescriptionIsReadWhole) {
  Bytes r;
  r.Head(0x07, 1, 2, "Save", 2, 3);
  r.Field("Text").U32(0).Type("TEXT").Type("ttxt");
  r.Field("Rich").Type("HTML").Type("RTF ").Type("MSWD");
  r.Field("Odd").U32(0).Type("GIFf").Type("gc  ");
  Add(kResTypeFPUT, 128, r, "");
  VPutFileDialog dialog(File(), 128);
  EXPECT_EQ(Text(dialog.GetTitle()), "Save");
  EXPECT_EQ(dialog.GetFlag(1), 1);
  EXPECT_EQ(dialog.GetFlag(4), 1);
  EXPECT_EQ(dialog.GetFlag(9), 1);
  EXPECT_EQ(dialog.GetFlag(2), 0);
  ASSERT_EQ(dialog.CountFilters(), 3);
  EXPECT_EQ(dialog.GetFilter(1)->GetDefaultType(), FourCC("TEXT"));
  EXPECT_EQ(dialog.GetFilter(1)->GetPairedCode(1), FourCC("ttxt"));
  // A default type field other than 0 overrides.
  EXPECT_EQ(dialog.GetTypeIndex(), 2);
  EXPECT_EQ(dialog.GetChosenType(), FourCC("HTML"));
  EXPECT_EQ(dialog.GetChosenFirstType(), FourCC("RTF "));
  EXPECT_EQ(dialog.GetChosenFirstPairedCode(), FourCC("MSWD"));
  // An unknown file type is not listed but stays the default.
  EXPECT_EQ(dialog.GetFilter(3)->CountTypes(), 0);
  EXPECT_EQ(dialog.GetFilter(3)->GetDefaultType(), FourCC("GIFf"));
  EXPECT_EQ(dialog.GetFilterTypes(3), nullptr);
  EXPECT_EQ(dialog.GetFilterPairedCodes(3), nullptr);
}

TEST_F(FileDialog, SaveOptionBitsAboveTheThirdAreNotRead) {
  Bytes r;
  r.Head(0xF8, 0, 0, "", 1, 0);
  Add(kResTypeFPUT, 128, r, "");
  VPutFileDialog dialog(File(), 128);
  for (int flag = 1; flag <= 9; ++flag) EXPECT_EQ(dialog.GetFlag(flag), 0) << flag;
}

TEST_F(FileDialog, ASaveFilterCutShortIsNotRead) {
  Bytes r;
  r.Head(0, 0, 0, "", 1, 2);
  r.Field("Text").U32(0).Type("TEXT").Type("ttxt");
  r.Field("Rich").U32(0).Type("RTF ");  // no paired code
  Add(kResTypeFPUT, 128, r, "");
  VPutFileDialog dialog(File(), 128);
  EXPECT_EQ(dialog.CountFilters(), 1);
}

// ---- Filters and the choice of one

TEST_F(FileDialog, AFilterNamesItsDefaultTypeEvenWhenTheMapLacksIt) {
  VFileFilter filter("Odd", FourCC("GIFf"), 5);
  EXPECT_EQ(filter.GetDefaultType(), FourCC("GIFf"));
  EXPECT_EQ(filter.CountTypes(), 0);
  filter.AddType(FourCC("TEXT"), 7);
  EXPECT_EQ(filter.GetDefaultType(), FourCC("GIFf"));
  VFileFilter empty("None", 0, 0);
  EXPECT_EQ(empty.GetDefaultType(), 0u);
  empty.AddType(FourCC("RTF "), 9);
  EXPECT_EQ(empty.GetDefaultType(), FourCC("RTF "));
  EXPECT_EQ(empty.GetPairedCode(1), 9u);
  EXPECT_EQ(empty.GetType(0), 0u);
  EXPECT_EQ(empty.GetType(2), 0u);
}

TEST_F(FileDialog, FilterNamesAreKeptTo63Characters) {
  const std::string longName(100, 'x');
  VFileFilter filter(longName.c_str(), 0, 0);
  EXPECT_EQ(filter.GetName().GetLength(), 63);
  const uint8_t mac[] = {3, 'c', 'a', 'f'};
  VFileFilter fromMac(mac, 0, 0);
  EXPECT_EQ(Text(fromMac.GetName()), "caf");
}

// Four filters: [TEXT, RTF], [HTML], [RTF], [HTML, HTM].
class FilterChoice : public FileDialog {
 protected:
  void SetUp() override {
    FileDialog::SetUp();
    Bytes r;
    r.Head(0, 0, 0, "", 1, 4);
    r.Field("a").Type("TEXT").U16(1).Type("RTF ");
    r.Field("b").Type("HTML").U16(0);
    r.Field("c").Type("RTF ").U16(0);
    r.Field("d").Type("HTML").U16(1).Type("HTM ");
    Add(kResTypeFGET, 128, r, "");
    dialog_ = new VGetFileDialog(File(), 128);
  }
  void TearDown() override {
    delete dialog_;
    FileDialog::TearDown();
  }
  VGetFileDialog* dialog_ = nullptr;
};

TEST_F(FilterChoice, TheChosenFilterStaysWhenItHoldsTheType) {
  dialog_->SelectFilterForType(FourCC("RTF "));
  EXPECT_EQ(dialog_->GetTypeIndex(), 1);
}

TEST_F(FilterChoice, AFilterOfThatTypeAloneComesFirst) {
  dialog_->SetTypeIndex(2);
  dialog_->SelectFilterForType(FourCC("RTF "));
  EXPECT_EQ(dialog_->GetTypeIndex(), 3);
}

TEST_F(FilterChoice, ThenAFilterWhoseFirstTypeItIs) {
  dialog_->SetTypeIndex(3);
  dialog_->SelectFilterForType(FourCC("TEXT"));
  EXPECT_EQ(dialog_->GetTypeIndex(), 1);
}

TEST_F(FilterChoice, AFilterOfThatTypeAloneComesBeforeOneWhereItIsFirst) {
  dialog_->SetTypeIndex(1);
  dialog_->SelectFilterForType(FourCC("HTML"));
  EXPECT_EQ(dialog_->GetTypeIndex(), 2);
}

TEST_F(FilterChoice, ThenAFilterHoldingItAnywhere) {
  dialog_->SetTypeIndex(1);
  dialog_->SelectFilterForType(FourCC("HTM "));
  EXPECT_EQ(dialog_->GetTypeIndex(), 4);
}

TEST_F(FilterChoice, NoChosenFilterSearchesFromTheFirst) {
  dialog_->SetTypeIndex(0);
  dialog_->SelectFilterForType(FourCC("RTF "));
  EXPECT_EQ(dialog_->GetTypeIndex(), 3);
}

TEST_F(FilterChoice, ATypeNoFilterHoldsChoosesNone) {
  dialog_->SelectFilterForType(FourCC("PICT"));
  EXPECT_EQ(dialog_->GetTypeIndex(), 0);
  EXPECT_EQ(dialog_->GetChosenType(), 0u);
}

// ---- Dialogs from lists

TEST_F(FileDialog, ExtensionsTheMapLacksGetMadeUpTypesThatLeaveWithTheDialog) {
  VStringArray names;
  names.AppendString(Str("Text"), false);
  names.AppendString(Str("Pictures"), false);
  VLongArray codes;
  codes.AppendLong(int32_t(FourCC(".txt")), false);
  codes.AppendLong(int32_t(FourCC("png ")), false);
  const int32_t rows = map_.Map().CountRows();
  uint32_t madeUp = 0;
  {
    VGetFileDialog dialog(&names, &codes, kCodesAreExtensions);
    ASSERT_EQ(dialog.CountFilters(), 2);
    EXPECT_EQ(dialog.GetFilter(1)->GetDefaultType(), FourCC("TEXT"));
    madeUp = dialog.GetFilter(2)->GetDefaultType();
    EXPECT_EQ(madeUp >> 24, 8u);  // made-up types begin with the byte 8
    EXPECT_EQ(dialog.GetFilter(2)->GetType(1), madeUp);
    EXPECT_EQ(map_.Map().CountRows(), rows + 1);
    EXPECT_EQ(map_.Map().FileTypeForExtension(FourCC("PNG\0")), madeUp);
  }
  EXPECT_EQ(map_.Map().CountRows(), rows);
  EXPECT_FALSE(map_.Map().IsKnownFileType(madeUp));
}

TEST_F(FileDialog, PairedCodesFindTheirTypesOrMakeOne) {
  VStringArray names;
  names.AppendString(Str("Web"), false);
  names.AppendString(Str("Other"), false);
  VLongArray codes;
  codes.AppendLong(int32_t(FourCC("HTML")), false);
  codes.AppendLong(int32_t(FourCC("ZZZZ")), false);
  const int32_t rows = map_.Map().CountRows();
  {
    VGetFileDialog dialog(&names, &codes, kCodesArePairedCodes);
    EXPECT_EQ(dialog.GetFilter(1)->GetDefaultType(), FourCC("HTML"));
    EXPECT_EQ(dialog.GetFilter(1)->GetPairedCode(1), FourCC("HTML"));
    EXPECT_EQ(map_.Map().CountRows(), rows + 1);
    EXPECT_EQ(dialog.GetFilter(2)->GetPairedCode(1), FourCC("ZZZZ"));
  }
  EXPECT_EQ(map_.Map().CountRows(), rows);
}

TEST_F(FileDialog, FileTypesAndAnyTypeNeedNoMadeUpType) {
  VStringArray names;
  names.AppendString(Str("Text"), false);
  names.AppendString(Str("All"), false);
  names.AppendString(Str("no code"), false);
  VLongArray codes;
  codes.AppendLong(int32_t(FourCC("TEXT")), false);
  codes.AppendLong(int32_t(kAnyFileType), false);
  const int32_t rows = map_.Map().CountRows();
  VPutFileDialog dialog(&names, &codes, kCodesAreFileTypes, FourCC("pair"));
  EXPECT_EQ(map_.Map().CountRows(), rows);
  // One filter per name that has a code.
  ASSERT_EQ(dialog.CountFilters(), 2);
  EXPECT_EQ(dialog.GetFilter(1)->GetPairedCode(1), FourCC("pair"));
  EXPECT_EQ(dialog.GetFilter(2)->GetDefaultType(), kAnyFileType);
  EXPECT_EQ(dialog.GetFilter(2)->GetType(1), kAnyFileType);
}

TEST_F(FileDialog, AnyTypeGivesAnyTypeInEveryMode) {
  VStringArray names;
  names.AppendString(Str("All"), false);
  VLongArray codes;
  codes.AppendLong(int32_t(kAnyFileType), false);
  const int32_t rows = map_.Map().CountRows();
  for (int32_t mode : {kCodesArePairedCodes, kCodesAreExtensions}) {
    VGetFileDialog dialog(&names, &codes, mode);
    EXPECT_EQ(dialog.GetFilter(1)->GetDefaultType(), kAnyFileType) << mode;
    EXPECT_EQ(map_.Map().CountRows(), rows) << mode;
  }
}

// ---- Extra texts and accepted types

TEST_F(FileDialog, ExtraTextsAreKeptTo80CharactersAndEmptyOnesAreAbsent) {
  VGetFileDialog dialog(File(), 999);
  Str first(std::string(100, 'e'));
  Str empty;
  dialog.SetExtraTexts(&first, &empty);
  Str out("old");
  ASSERT_TRUE(dialog.GetExtraText(1, out));
  EXPECT_EQ(out.GetLength(), 80);
  EXPECT_FALSE(dialog.GetExtraText(2, out));
  EXPECT_FALSE(dialog.GetExtraText(0, out));
  EXPECT_FALSE(dialog.GetExtraText(3, out));
  dialog.SetExtraTexts(nullptr, &first);
  EXPECT_FALSE(dialog.HasExtraText(1));
  EXPECT_TRUE(dialog.HasExtraText(2));
  dialog.SetExtraChoice(2);
  EXPECT_EQ(dialog.GetExtraChoice(), 2);
}

TEST_F(FileDialog, AcceptedTypesAndTheAllTypesFlag) {
  Bytes r;
  r.Head(0x02, 0, 0, "", 1, 0);  // bit 1: flag 4
  Add(kResTypeFGET, 128, r, "");
  VGetFileDialog dialog(File(), 999);
  EXPECT_FALSE(dialog.HasAcceptedTypes());
  EXPECT_FALSE(dialog.AcceptsType(FourCC("TEXT")));
  dialog.AddAcceptedType(FourCC("TEXT"));
  EXPECT_TRUE(dialog.HasAcceptedTypes());
  EXPECT_TRUE(dialog.AcceptsType(FourCC("TEXT")));
  EXPECT_FALSE(dialog.AcceptsType(FourCC("RTF ")));

  VGetFileDialog all(File(), 128);
  EXPECT_TRUE(all.HasAcceptedTypes());
  EXPECT_TRUE(all.AcceptsType(FourCC("ANY?")));
}

// ---- The exchanges

VGetFileDialog* sSeenOpen = nullptr;
int16_t sOpenChoice = 0;
const VFile* sSuggested = nullptr;
std::string sFolderTitle;

const VFileDialogRunners kRunners = {
    [](VGetFileDialog& dialog) -> VFile* {
      sSeenOpen = &dialog;
      dialog.SetTypeIndex(sOpenChoice);
      return sOpenChoice != 0 ? new VFile("/tmp/chosen.txt") : nullptr;
    },
    [](const VFile* suggested, VPutFileDialog& dialog) -> VFile* {
      sSuggested = suggested;
      dialog.SetTypeIndex(2);
      return new VFile("/tmp/saved", dialog.GetChosenFirstType());
    },
    [](const VString& title) -> VFolder* {
      sFolderTitle = Text(title);
      return new VFolder("/tmp");
    },
};

class Exchanges : public FileDialog {
 protected:
  void SetUp() override {
    FileDialog::SetUp();
    previous_ = VFileDialogService::Install(&kRunners);
    Bytes get;
    get.Head(0, 0, 0, "Open", 1, 2);
    get.Field("Text").Type("TEXT").U16(0).Field("Rich").Type("RTF ").U16(0);
    Add(kResTypeFGET, 128, get, "Open document");
    Bytes put;
    put.Head(0, 0, 0, "Save", 1, 2);
    put.Field("Text").U32(0).Type("TEXT").Type("ttxt");
    put.Field("Web").U32(0).Type("HTML").Type("html");
    Add(kResTypeFPUT, 129, put, "Save document");
  }
  void TearDown() override {
    VFileDialogService::Install(previous_);
    FileDialog::TearDown();
  }
  const VFileDialogRunners* previous_ = nullptr;
};

TEST_F(Exchanges, AskOpenFileAnswersTheFileAndTheChosenType) {
  sOpenChoice = 2;
  uint32_t type = 0;
  VFile* file = AskOpenFile(File(), 128, &type);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(type, FourCC("RTF "));
  delete file;
}

TEST_F(Exchanges, ACancelledOpenAnswersNullAndStillTheType) {
  sOpenChoice = 0;
  uint32_t type = 1;
  EXPECT_EQ(AskOpenFile(File(), 128, &type), nullptr);
  EXPECT_EQ(type, 0u);
  EXPECT_EQ(AskOpenFile(File(), 128, nullptr), nullptr);
}

TEST_F(Exchanges, TheNamedFormsFindTheResourceByName) {
  sOpenChoice = 1;
  sSeenOpen = nullptr;
  uint32_t type = 0;
  VFile* file = AskOpenFileNamed(File(), Str("Open document"), &type);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(type, FourCC("TEXT"));
  delete file;
  file = AskSaveFileNamed(File(), Str("Save document"), &type);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(type, FourCC("HTML"));
  EXPECT_EQ(sSuggested, nullptr);
  delete file;
}

TEST_F(Exchanges, AskSaveFileHandsOnTheSuggestedFile) {
  VFile suggested("/tmp/draft");
  uint32_t type = 0;
  VFile* file = AskSaveFile(&suggested, File(), 129, &type);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(sSuggested, &suggested);
  EXPECT_EQ(type, FourCC("HTML"));
  EXPECT_EQ(file->GetFileType(), FourCC("HTML"));
  delete file;
}

TEST_F(Exchanges, AskFolderRunsTheFolderChooser) {
  VFolder* folder = AskFolder(Str("Where?"));
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(sFolderTitle, "Where?");
  delete folder;
}

TEST_F(Exchanges, WithoutRunnersEveryExchangeIsCancelled) {
  VFileDialogService::Install(nullptr);
  uint32_t type = 9;
  EXPECT_EQ(AskOpenFile(File(), 128, &type), nullptr);
  EXPECT_EQ(type, FourCC("TEXT"));
  EXPECT_EQ(AskSaveFile(nullptr, File(), 129, &type), nullptr);
  EXPECT_EQ(AskFolder(Str("x")), nullptr);
}

// ---- The module's own descriptions

TEST(ModuleFileDialogs, TheOpenAndSaveDescriptionsReadThroughTheModulesMap) {
  const std::string path = QV_RESOURCE_FILE;
  uint8_t pascal[256];
  ASSERT_LT(path.size(), 256u);
  pascal[0] = uint8_t(path.size());
  std::memcpy(pascal + 1, path.data(), path.size());
  const int16_t previous = Tbx::CurResFile();
  const int16_t ref = Tbx::OpenResFile(pascal);
  ASSERT_GE(ref, 0);
  Tbx::SetResFileSwapProc(ref, &SwapRsrcProc);
  {
    VMacResourceFile file(ref);
    ScopedTypeMap map;
    map.Map().LoadFileTypeMap(file);
    const Str openName("Open document");
    VGetFileDialog open(&file, file.GetNamedResourceId(kResTypeFGET, &openName));
    EXPECT_EQ(Text(open.GetTitle()), "Open a document");
    ASSERT_EQ(open.CountFilters(), 6);
    EXPECT_EQ(Text(open.GetFilter(1)->GetName()), "Qv Morva documents");
    EXPECT_EQ(open.GetFilter(1)->CountTypes(), 3);
    EXPECT_EQ(open.GetFilter(3)->CountTypes(), 3);
    EXPECT_EQ(open.GetFilter(6)->GetType(1), kAnyFileType);
    EXPECT_EQ(open.GetChosenType(), FourCC("QMV7"));
    for (int32_t n = 1; n <= open.CountFilters(); ++n) {
      const VFileFilter* filter = open.GetFilter(n);
      EXPECT_GT(filter->CountTypes(), 0) << n;
      EXPECT_EQ(filter->GetType(1), filter->GetDefaultType()) << n;
    }
    VPutFileDialog save(&file, 128);
    EXPECT_EQ(Text(save.GetTitle()), "Save the document as");
    ASSERT_EQ(save.CountFilters(), 6);
    for (int32_t n = 1; n <= save.CountFilters(); ++n) {
      const VFileFilter* filter = save.GetFilter(n);
      ASSERT_EQ(filter->CountTypes(), 1) << n;
      EXPECT_NE(map.Map().ExtensionForFileType(filter->GetType(1)), 0u) << n;
    }
  }
  Tbx::CloseResFile(ref);
  if (previous >= 0) Tbx::UseResFile(previous);
}

}  // namespace
