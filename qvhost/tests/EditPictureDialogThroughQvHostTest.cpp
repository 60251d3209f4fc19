// The edit dialog of a picture in the text through the module, for a
// picture of its own and for the picture a host expression shows: each
// script's parts run, and the document saved after a cancelled dialog is
// the document saved before it, while OK changes it and the undo key takes
// the change back. A second double click on the same picture opens the
// dialog again.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "area/tests/HostPictureSupport.h"
#include "qvhost/tests/ScriptTestSupport.h"

namespace {

class EditPictureDialog : public ScriptTest {
 protected:

  // The set-up of the script `name`, then its part from the line `from` up
  // to the line `to` (or its end), run in the test's folder with the
  // picture there.
  void RunPart(const std::string& from, const std::string& to,
               const std::string& name = "dialogs-edit-picture.qvs") {
    std::ifstream in(std::string(QVHOST_SCRIPTS_FOLDER) + "/" + name, std::ios::binary);
    const std::string script(std::istreambuf_iterator<char>(in), {});
    const size_t first = script.find("# -- ");
    const size_t begin = script.find(from);
    const size_t end = to.empty() ? script.size() : script.find(to);
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(begin, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    {
      const tablecommands::Bytes picture = tablecommands::HostPictureBytes(40, 30);
      std::ofstream file(folder + "pic.pict", std::ios::binary);
      file.write(reinterpret_cast<const char*>(picture.data()), std::streamsize(picture.size()));
    }
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    const ScriptRunner::Outcome outcome = Run(script.substr(0, first) + script.substr(begin, end - begin));
    std::filesystem::current_path(previous);
    EXPECT_EQ(outcome.error, "") << out.str();
    EXPECT_EQ(outcome.failures, 0) << out.str();
  }
};

TEST_F(EditPictureDialog, CancelLeavesTheDocumentsBytes) {
  RunPart("# -- Cancel", "# -- OK");
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(SavedDocument("cancelled.qmv"), before);
}

TEST_F(EditPictureDialog, OkChangesThePictureInOneUndoStep) {
  RunPart("# -- OK", "# -- Again");
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_NE(SavedDocument("accepted.qmv"), before);
  EXPECT_EQ(SavedDocument("undone.qmv"), before);
}

TEST_F(EditPictureDialog, ASecondDoubleClickOpensItAgainAndOkApplies) {
  RunPart("# -- Again", "");
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_NE(SavedDocument("again.qmv"), before);
  EXPECT_EQ(SavedDocument("again-undone.qmv"), before);
}

constexpr char kExpressionScript[] = "dialogs-edit-expression-picture.qvs";

TEST_F(EditPictureDialog, APictureOfAnExpressionCancelledLeavesTheDocumentsBytes) {
  RunPart("# -- Cancel", "# -- OK", kExpressionScript);
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_EQ(SavedDocument("cancelled.qmv"), before);
}

TEST_F(EditPictureDialog, APictureOfAnExpressionIsChangedInOneUndoStep) {
  RunPart("# -- OK", "# -- Expression", kExpressionScript);
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  EXPECT_NE(SavedDocument("accepted.qmv"), before);
  EXPECT_EQ(SavedDocument("undone.qmv"), before);
}

TEST_F(EditPictureDialog, ANewExpressionReplacesThePictureInOneUndoStep) {
  RunPart("# -- Expression", "", kExpressionScript);
  const std::string before = SavedDocument("before.qmv");
  ASSERT_FALSE(before.empty());
  const std::string edited = SavedDocument("edited.qmv");
  EXPECT_NE(edited, before);
  EXPECT_EQ(SavedDocument("edited-undone.qmv"), before);
}

}  // namespace
