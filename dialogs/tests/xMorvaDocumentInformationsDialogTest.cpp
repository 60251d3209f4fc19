// The document information dialog against a form kept in memory: a text
// the form cannot hold whole (notes beyond what a text handle carries)
// goes back untouched unless the user changed it, and the document counts
// as modified only once a value of the form changed.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <string>

#include "boundary/HostServiceSelectors.h"
#include "dialogs/tests/DialogTestSupport.h"
#include "dialogs/xMorvaDocumentInformationsDialog.h"
#include "document/tests/FakeDocument.h"
#include "document/xMorvaDocument.h"
#include "engine/xMorvaDocumentEngineServices.h"
#include "host/tests/HostTestSupport.h"
#include "platform/toolbox/TbxHandles.h"

namespace {

// Object texts by name, given and taken as plain texts or text handles.
class TextForm {
 public:
  TextForm() {
    host.answer = [this](int32_t selector, HostParamBlock& b) {
      const std::string name(reinterpret_cast<const char*>(b.text2));
      switch (selector) {
        case kFormSelNew: b.param1 = 7; break;
        case kFormSelSetText: texts[name].assign(reinterpret_cast<const char*>(b.text + 1), b.text[0]); break;
        case kFormSelGetText: {
          const std::string& text = texts[name];
          b.text[0] = static_cast<uint8_t>(text.size());
          std::memcpy(b.text + 1, text.data(), text.size());
          break;
        }
        case kFormSelSetTextHandle: {
          const auto h = static_cast<Tbx::Handle>(b.handle);
          texts[name].assign(static_cast<const char*>(Tbx::HLock(h)), size_t(Tbx::GetHandleSize(h)));
          Tbx::HUnlock(h);
          Tbx::DisposeHandle(h);
          break;
        }
        case kFormSelGetTextHandle: {
          const std::string& text = texts[name];
          const Tbx::Handle h = Tbx::NewHandle(int32_t(text.size()));
          if (!text.empty()) std::memcpy(Tbx::HLock(h), text.data(), text.size());
          Tbx::HUnlock(h);
          b.handle = h;
          b.error = 0;
          break;
        }
        default: break;
      }
    };
  }
  hosttest::RecordingHost host;
  std::map<std::string, std::string> texts;
};

class InformationsDialog : public testing::Test {
 protected:
  void SetUp() override {
    document = std::make_unique<xMorvaDocument>(nullptr);
    notes.assign(100000, u'n');
    for (size_t at = 99; at < notes.size(); at += 100) notes[at] = u'\r';
    document->Infos().Notes().AppendUniChars(notes.data(), int32_t(notes.size()));
    document->Infos().Title().SetAnsiCText("Report");
  }
  std::u16string Notes() const {
    const VString& kept = document->Infos().Notes();
    std::u16string units(static_cast<const char16_t*>(kept.GetBuffer()), size_t(kept.GetLength()));
    // The buffer locks the notes' block: a locked block could not shrink.
    kept.ReleaseBuffer();
    return units;
  }

  // The graphics started first: the document measures its text.
  DialogGraphics graphics;
  FakeAreaServices areaServices;
  xMorvaDocumentEngineServices engines;
  VInstalledService<xMorvaEngineServices> installed{&engines};
  TextForm form;
  std::unique_ptr<xMorvaDocument> document;
  std::u16string notes;
};

TEST_F(InformationsDialog, NotesLongerThanTheFormHoldsGoBackWholeUntilTheUserChangesThem) {
  xMorvaDocumentInformationsDialog dialog(nullptr, *document);
  ASSERT_TRUE(dialog.AfterOpen());
  // The form got as much of the notes as a text handle carries.
  EXPECT_GT(form.texts["vNotes"].size(), 0u);
  EXPECT_LT(form.texts["vNotes"].size(), notes.size());
  EXPECT_EQ(form.texts["vTitle"], "Report");
  ASSERT_TRUE(dialog.ReadValues());
  EXPECT_EQ(Notes(), notes);
  EXPECT_FALSE(document->IsModified());

  xMorvaDocumentInformationsDialog edited(nullptr, *document);
  ASSERT_TRUE(edited.AfterOpen());
  form.texts["vNotes"] = "Short";
  VStr<255> name;
  name.SetAnsiCText("vNotes");
  edited.ValueChanged(name, 1);
  ASSERT_TRUE(edited.ReadValues());
  EXPECT_EQ(Notes(), u"Short");
  EXPECT_TRUE(document->IsModified());
}

}  // namespace
