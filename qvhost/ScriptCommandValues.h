// The arguments of a script's `command N …` line in the value forms of the
// host language's commands, the outputs and result printed after the call,
// and the host methods a script defines for the module's user methods.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class QvHost;

// Runs command `number` with the arguments `words` (the line's words after
// the number, quotes removed): each argument is a form and a value, read
// into its own cell:
//   long V, word V (uword V: the same, printed unsigned), bool V (one byte), real V, text "…" (a length-byte
//   string), hosttext "…" (a host text record: 16-bit length and a handle),
//   blob "FILE" (a handle holding the file's bytes; "" for no handle),
//   array W,W,… (a host array of words), area NAME (its 32-bit reference),
//   ref V (a reference as a raw value);
// then, optionally, `result long|word|uword|real|text|hosttext|blob ["FILE"]` or
// `result area NAME` (a long result kept as the reference of NAME). After
// the call every argument and the result are printed and kept for `expect
// out`. Empty on success, else what is wrong with the line (nothing called).
std::string RunScriptCommand(QvHost& host, std::ostream& out, int32_t number, const std::vector<std::string>& words,
                             uint32_t& result, std::vector<std::unique_ptr<uint8_t[]>>& storage);

// `expect out pN|result VALUE`: whether the last command's output holds the
// value (as printed); `what` describes the check.
bool CheckCommandOutput(QvHost& host, const std::string& name, const std::string& value, std::string& what);

// `method NAME [answer N]`: a host method the module may call as a user
// method; each call is written to the transcript with its arguments and a
// function answers N (0 by default). `methods N`: the host's answer to the
// method question (-255). Empty on success.
std::string RunMethodLine(QvHost& host, const std::vector<std::string>& words);
