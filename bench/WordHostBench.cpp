#include "bench/WordHostBench.h"

#include <fstream>

namespace fs = std::filesystem;

fs::path QvHostProgram() {
  const fs::path host = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "qvhost" / "qvhost";
  return fs::exists(host) ? host : fs::path();
}

fs::path WordHostScript(const fs::path& folder, const fs::path& in, const fs::path& out) {
  const fs::path script = folder / (in.stem().string() + ".qvs");
  std::ofstream(script) << "set name \"Qvbase\"\nset version 0x670\nstart -1\n"
                        << "command 47 result area memo\n"
                        << "command 48 area memo hosttext \"" << in.string() << "\" text \"DOC8\"\n"
                        << "command 28 area memo result long\nexpect result 0\n"
                        << "command 50 area memo hosttext \"" << out.string() << "\" text \"\"\n"
                        << "command 28 area memo result long\nexpect result 0\n";
  return script;
}
