// Objects that own what their fields point at give every heap block back: a
// part replaced is freed at once and the rest with the object, so that the
// framework heap's used bytes come back to where they were.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "framework/core/containers/VNumericArrays.h"
#include "framework/core/containers/VStringArray.h"
#include "framework/core/memory/VHeap.h"
#include "framework/system/environment/VLibrary.h"
#include "framework/system/files/VFile.h"
#include "framework/system/files/VFileDialog.h"
#include "framework/system/files/VFileFilter.h"
#include "framework/system/files/VFolder.h"
#include "framework/system/files/VFolderIterator.h"
#include "framework/system/tests/FilesTestSupport.h"

namespace {

using namespace files_test;

class OwnedFields : public ScratchFolder {};

TEST_F(OwnedFields, GiveEveryHeapBlockBack) {
  ScopedTypeMap map;
  map.Row("TEXT", "TXT ");
  WriteAll(P("plain.txt"), "x");
  WriteAll(P("odd.qqq"), "y");
  const std::string folderPath = dir_;
  const std::string textPath = P("plain.txt");
  const std::string oddPath = P("odd.qqq");
  struct Case {
    const char* name;
    std::function<void()> run;
  };
  const Case cases[] = {
      {"file filter and its type lists",
       [] {
         VFileFilter filter("Text", FourCC("TEXT"), FourCC("ttxt"));
         filter.AddType(FourCC("TEXT"), 0);
       }},
      {"folder iterator with its filter replaced",
       [&] {
         VFolder folder(folderPath.c_str());
         VWinFolderIterator it(folder, kIterateFiles, FourCC("TEXT"));
         it.SetFilter(new VFileFilter("Other", 0, 0));
         it.SetFilter(nullptr);
         it.SetFilter(new VFileFilter("Again", FourCC("TEXT"), 0));
       }},
      {"file whose extension the map does not know",
       [&] {
         VFile file(oddPath.c_str());
         Str path;
         file.GetFullPath(path);
       }},
      {"folder whose saved current folder is replaced",
       [&] {
         VFolder folder(folderPath.c_str());
         folder.MakeCurrent();
         folder.MakeCurrent();
         folder.RestoreCurrent();
       }},
      {"dialog with filters and extra texts replaced",
       [] {
         VStringArray names;
         names.AppendString(Str("Text"), false);
         VLongArray codes;
         codes.AppendLong(int32_t(FourCC("TEXT")), false);
         VGetFileDialog dialog(&names, &codes, kCodesAreFileTypes);
         Str first("first");
         Str second("second");
         dialog.SetExtraTexts(&first, &second);
         dialog.SetExtraTexts(&second, nullptr);
         dialog.AddAcceptedType(FourCC("TEXT"));
       }},
      {"library loaded twice from a file that is no library",
       [&] {
         VLibrary library;
         library.Load(VFile(textPath.c_str()));
         library.Load(VFile(oddPath.c_str()));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // The first run makes whatever is made once and kept; the second must
    // leave the heap as it found it.
    c.run();
    const uint64_t before = gHeap->GetUsedBytes();
    c.run();
    EXPECT_EQ(gHeap->GetUsedBytes(), before);
  }
}

}  // namespace
