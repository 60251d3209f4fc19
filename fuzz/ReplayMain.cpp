// The main of a fuzz target in the ordinary test build: feeds every file of
// the folders (or the files) named on the command line to the target, in
// name order, and answers 0 when all of them went through.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool Replay(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = static_cast<size_t>(std::filesystem::file_size(path, error));
  std::ifstream in(path, std::ios::binary);
  if (error || !in) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  // A block exactly as long as the input, so that the address checker sees
  // any read past its end.
  std::unique_ptr<uint8_t[]> bytes(new uint8_t[size == 0 ? 1 : size]);
  if (!in.read(reinterpret_cast<char*>(bytes.get()), std::streamsize(size))) {
    std::fprintf(stderr, "cannot read %s\n", path.c_str());
    return false;
  }
  LLVMFuzzerTestOneInput(size == 0 ? nullptr : bytes.get(), size);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::filesystem::path> inputs;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) inputs.push_back(entry.path());
      }
    } else {
      inputs.push_back(path);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  if (inputs.empty()) {
    std::fprintf(stderr, "no inputs\n");
    return 1;
  }
  size_t done = 0;
  for (const auto& input : inputs) {
    if (!Replay(input)) return 1;
    ++done;
  }
  std::printf("%zu inputs replayed\n", done);
  return 0;
}
