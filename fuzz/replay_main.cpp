// Runs a fuzz target over saved inputs without the fuzzing engine, so the
// normal build and test run replay the data files and the regression inputs:
//   replay_NAME [--only=SUFFIX] PATH...
// A folder stands for every regular file in it, in name order; --only keeps
// the files of the folders named after it that end in SUFFIX. Finding no
// input at all is a failure: a replay of nothing proves nothing. As under
// the fuzzer, one allocation of more than 2 GB fails the replay.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr std::size_t kLargestAllocation = std::size_t{2048} << 20;  // the fuzzer's malloc limit

void* Allocate(std::size_t size) {
  if (size > kLargestAllocation) {
    std::fprintf(stderr, "replay: one allocation of %zu bytes, more than the fuzzer allows\n", size);
    std::abort();
  }
  return std::malloc(size == 0 ? 1 : size);
}

}  // namespace

// A loader that trusts a size from its file shows here whether or not the
// machine could have given the memory.
void* operator new(std::size_t size) {
  void* memory = Allocate(size);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Absolute paths: the targets change the working folder.
bool CollectInputs(const std::string& argument, const std::string& suffix, std::vector<std::string>& inputs) {
  std::error_code error;
  const std::filesystem::path path = std::filesystem::absolute(argument, error);
  if (std::filesystem::is_directory(path, error)) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(path, error)) {
      const std::string name = entry.path().string();
      if (entry.is_regular_file(error) && EndsWith(name, suffix)) found.push_back(name);
    }
    std::sort(found.begin(), found.end());
    inputs.insert(inputs.end(), found.begin(), found.end());
    return !error;
  }
  if (std::filesystem::is_regular_file(path, error)) {
    inputs.push_back(path.string());
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> inputs;
  std::string suffix;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--only=", 0) == 0) {
      suffix = argument.substr(7);
    } else if (!CollectInputs(argument, suffix, inputs)) {
      std::fprintf(stderr, "%s: no such file or folder: %s\n", argv[0], argument.c_str());
      return 1;
    }
  }
  if (inputs.empty()) {
    std::fprintf(stderr, "%s: no input to replay\n", argv[0]);
    return 1;
  }
  for (const std::string& name : inputs) {
    std::ifstream in(name, std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], name.c_str());
      return 1;
    }
    std::printf("replaying %s (%zu bytes)\n", name.c_str(), bytes.size());
    std::fflush(stdout);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("%zu inputs replayed\n", inputs.size());
  return 0;
}
