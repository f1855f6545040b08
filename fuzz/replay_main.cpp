// A main for the fuzz targets where libFuzzer is absent: runs the target once on every file of
// the folders (or files) named on the command line, so that seeds and the inputs of crashes
// fixed before are checked by every build.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void RunFile(const std::filesystem::path& path, int& count) {
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  ++count;
}

}  // namespace

int main(int argc, char** argv) {
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    const std::filesystem::path path(argv[i]);
    if (!std::filesystem::exists(path)) continue;  // a target with no fixed crash has no folder
    if (!std::filesystem::is_directory(path)) {
      RunFile(path, count);
      continue;
    }
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(path))
      if (entry.is_regular_file()) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const auto& file : files) RunFile(file, count);
  }
  std::printf("%d inputs replayed\n", count);
  // A folder of seeds that went missing must not pass unnoticed.
  return count > 0 ? 0 : 1;
}
