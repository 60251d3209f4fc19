// The text fields at their size, in a headless window: a key typed at the
// end of a 32,000-character TextEdit field (the whole text laid out again,
// the undo state kept and the view drawn), and the own styled-text record
// of a 32,000-character rich-edit field written (three to four of the
// control's messages a character).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/BenchMain.h"
#include "controls/fields/TextFieldLayer.h"
#include "controls/fields/VMacTextField.h"
#include "controls/fields/VRichEditField.h"
#include "framework/core/memory/VMemoryMgr.h"
#include "framework/core/streams/VHandleStream.h"
#include "graphics/VGraphicsStart.h"
#include "platform/win32/WinWindows.h"
#include "views/VEvent.h"
#include "views/VFrameServices.h"
#include "views/VWindowView.h"

namespace {

void KeystrokeAtTheEndOf32000(benchmark::State& state) {
  VFrameAreaService::Install(&kFrameAreaProc);
  VFrameWindowService::Install(&kFrameWindowProc);
  HWND window = CreateHeadlessWindow(400, 300);
  auto* root = new VWindowView(window);
  root->ResizeTo(400, 300, 0);
  VMacTextField* field = NewMacTextField(root, true, false);
  field->ResizeTo(380, 280, 0);
  std::string text;
  while (text.size() < 32000) text += "The quick brown fox jumps over the lazy dog. ";
  text.resize(32000);
  field->SetText(text.data(), int32_t(text.size()), true);
  field->GetView()->RequestFocus();
  for (auto _ : state) {
    field->SetSelection(32000, 32000);
    VEvent key(0, 0, 0, false, false, false, false, false, 0, uint16_t('x'));
    key.SetCharacter(u'x');
    field->GetView()->HandleKey(key);
    field->Invalidate(2);
    state.PauseTiming();
    field->SetSelection(32000, 32001);
    field->Clear(false);
    state.ResumeTiming();
  }
  delete root;
  DestroyWindow(window);
  StopMacTextFields();
  VFrameWindowService::Remove(&kFrameWindowProc);
  VFrameAreaService::Remove(&kFrameAreaProc);
}

void RichEditRecordOf32000(benchmark::State& state) {
  VFrameAreaService::Install(&kFrameAreaProc);
  VFrameWindowService::Install(&kFrameWindowProc);
  LoadRichEditLibrary();
  HWND window = CreateHeadlessWindow(400, 300);
  auto* root = new VWindowView(window);
  root->ResizeTo(400, 300, 0);
  auto* field = new VRichEditField(root, true, false);
  field->ResizeTo(380, 280, 0);
  std::string text;
  while (text.size() < 32000) text += "The quick brown fox jumps over the lazy dog. ";
  text.resize(32000);
  field->SetText(text.data(), int32_t(text.size()), true);
  // Every tenth word bold.
  for (int32_t at = 0; at + 5 < 32000; at += 450) {
    field->SetSelection(at, at + 5);
    field->SetBold(true);
  }
  for (auto _ : state) {
    VMemHandle handle = 0;
    {
      VHandleStream stream(handle);
      field->WriteStyledText(stream, 0, false);
    }
    gMemoryMgr->DisposeHandle(handle);
  }
  delete root;
  DestroyWindow(window);
  UnloadRichEditLibrary();
  VFrameWindowService::Remove(&kFrameWindowProc);
  VFrameAreaService::Remove(&kFrameAreaProc);
}

}  // namespace

BENCHMARK(KeystrokeAtTheEndOf32000)->Unit(benchmark::kMillisecond);
BENCHMARK(RichEditRecordOf32000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return RunBenchmarksWithCoreServices(argc, argv, &InitGraphics, &ExitGraphics);
}
