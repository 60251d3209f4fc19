// The stand-in host's formula editor (-248, then -82): the user's edited
// text comes from a queue, is compiled as an expression and handed back
// with its text; with nothing queued the user cancels.
#include <cstring>
#include <string>
#include <vector>

#include "boundary/HostServiceSelectors.h"
#include "platform/toolbox/TbxHandles.h"
#include "qvhost/HostBytes.h"
#include "qvhost/HostExpression.h"
#include "qvhost/QvHost.h"

bool QvHost::AnswerFormulaEditor(int32_t selector, HostParamBlock& block) {
  // The editor's text was compiled when the user left it: the compile
  // request that follows (-82) has nothing more to make.
  if (selector == kHostSelCompileExpression && fFormulaEditPending) {
    fFormulaEditPending = false;
    fLog.push_back({selector, "formula editor done"});
    return true;
  }
  if (selector != -248) return false;
  // The handle the module sent stays the module's.
  if (formulaEdits.empty()) {
    block.param1 = 0;
    fLog.push_back({selector, "formula editor cancelled"});
    return true;
  }
  const std::string text = formulaEdits.front();
  formulaEdits.pop_front();
  const std::vector<uint8_t> compiled = CompileExpression(text);
  const uint32_t expression = compiled.empty() ? 0 : NewHandleWith(compiled.data(), compiled.size());
  block.param1 = expression;
  block.handle = expression != 0 ? NewHandleWith(text.data(), text.size()) : 0;
  fFormulaEditPending = expression != 0;
  fLog.push_back({selector, expression != 0 ? "formula edited: " + text : "formula refused: " + text});
  return true;
}
