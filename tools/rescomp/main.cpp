// qvrescomp: compiles resource scripts into one resource file.
//   qvrescomp -o OUTPUT [SCRIPT...]            a resource file
//   qvrescomp --library -o OUTPUT [SCRIPT...]  the C++ source of a library's resource table
// Exits non-zero, with file:line on standard error, at the first fault.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/rescomp/LibrarySource.h"
#include "tools/rescomp/ResourceScript.h"
#include "tools/rescomp/ResourceWriter.h"

int main(int argc, char** argv) {
  std::string output;
  std::vector<std::string> inputs;
  bool library = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-o" && i + 1 < argc) {
      output = argv[++i];
    } else if (arg == "--library") {
      library = true;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "qvrescomp: unknown option %s\n", arg.c_str());
      return 2;
    } else {
      inputs.push_back(arg);
    }
  }
  if (output.empty()) {
    std::fprintf(stderr, "usage: qvrescomp [--library] -o OUTPUT [SCRIPT...]\n");
    return 2;
  }

  std::vector<CompiledResource> resources;
  for (const std::string& input : inputs) {
    std::ifstream in(input, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: can not be read\n", input.c_str());
      return 1;
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string error;
    if (!ParseResourceScript(text, input, &resources, &error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
  }
  std::string error;
  const bool written = library ? WriteLibrarySource(output, resources, &error)
                               : WriteResourceFile(output, resources, &error);
  if (!written) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  return 0;
}
