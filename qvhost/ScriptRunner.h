// ScriptRunner: runs a script of calls against the stand-in host, one call a
// line, and prints what each call answered and which host calls the module
// made meanwhile. The script form (README.md has it whole):
//
//   # a comment                       set version 0x66F
//   start [-1|-200]                   stop [-2|-220]
//   package SELECTOR [VALUE]          package -205 A B C
//   area NAME create form|output|printing [routine N]
//   area NAME CODE [message M] [modifiers X] [when W] [routine N]
//   command N [long V] [real V] [text "..."] [area NAME] ...
//   table N "name"   field T F "name" TYPE   value T F text|number|hex ...
//   queue WHAT [message M] [modifiers X]      slot other|zero|restore
//   form NAME X Y W H (a form window)   form NAME set|select|... (a dialog run)
//   area NAME create KIND at FORM X Y W H   mouse down|up|move X Y
//   click X Y [count N]   drag X Y to X Y [steps N]   key NAME|"c" [modifiers X]
//   type "text"   idle [N]   update [FORM]   activate|deactivate NAME
//   lock caps|num on|off
//   snapshot FORM|screen "f.png"   queue none
//   expect slot set|zero   expect message "text"   expect calls SELECTOR N ...
//   expect png FORM|screen "ref.png"   print AREA "file.pdf"
//   printer output "file.pdf"   printer pages FROM TO   printer accept|cancel
//   page setup [paper NAME|W H] [upright|across] [margins L T R B]|cancel
//   expect pdf "file.pdf" pages N   expect pdf "file.pdf" page N "text"
//   expect pdf "file.pdf" paper W H
//   choose accept "path" [filter N]|cancel|extra   confirm yes|no
//   menu choose "text"|N   menu hover X Y   menu cancel   list choose "text"
//   expect menu item N checked|mixed|disabled|text "text"
//   form NAME click OBJECT ["X Y"] [count N]   form NAME snapshot "f.png"
//   form NAME expect OBJECT value|real|text|items|enabled|visible|format|picture "V"
//   choose color 0xRRGGBB|cancel   expect beeps N
//
// A line it cannot read (an unknown word, a word too many, a number that
// does not fit its field) stops the run with an error naming the line, as
// do answers to choosers and confirmations still queued at the end.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

class QvHost;

class ScriptRunner {
 public:
  struct Outcome {
    int32_t lines = 0;     // lines run
    int32_t failures = 0;  // expectations that did not hold
    std::string error;     // "line N: ..." when the script is malformed, "end: ..." when it leaves answers
    bool ok() const { return error.empty() && failures == 0; }
  };

  ScriptRunner(QvHost& host, std::ostream& out) : fHost(host), fOut(out) {}

  // Runs every line of `text` in order; a malformed line stops the run.
  // Queued answers nothing asked for are reported, and left queued.
  Outcome Run(const std::string& text);

 private:
  QvHost& fHost;
  std::ostream& fOut;
};
