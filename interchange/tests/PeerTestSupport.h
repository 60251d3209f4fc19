// What the checks against the peer programs share: reading a file whole,
// asking whether a program is installed and running a shell command for
// its standard output.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace peertest {

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

inline bool HasProgram(const char* name) {
  const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// Runs a shell command: its standard output, empty when it failed.
inline std::string Output(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  if (pclose(pipe) != 0) out.clear();
  return out;
}

// LibreOffice's Word file of our stories fixture (fixtures/word/stories/
// stories.doc: a title page, headers 720 twips from the page's upper edge
// and a top margin of 1134) with the top margin set to `twips`: the
// section's header distance and top margin (sprmSDyaHdrTop, sprmSDyaTop)
// stand side by side in one sector of the file. Empty when they are not
// found.
inline std::string WithTopMargin(std::string file, uint16_t twips) {
  const std::string sprms("\x17\xB0\xD0\x02\x23\x90\x6E\x04", 8);
  const size_t at = file.find(sprms);
  if (at == std::string::npos || file.find(sprms, at + 1) != std::string::npos) return {};
  file[at + 6] = char(twips & 0xFF);
  file[at + 7] = char(twips >> 8);
  return file;
}

}  // namespace peertest
