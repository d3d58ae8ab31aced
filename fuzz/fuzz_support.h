// Shared by the fuzz targets: a private working folder for the process, the
// input written there under the name the game opens, and the headless back
// end installed for the length of a run.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/backend.h"

namespace fuzzsupport {

// The folder the process started in, held open to come back to.
inline int StartFolder() {
  static const int folder = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return folder;
}

// Made on the first call (in /dev/shm when there is one, so the files never
// reach a disk) and removed at exit.
inline const std::string& WorkFolder() {
  static const std::string folder = [] {
    StartFolder();
    std::error_code error;
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm", error)
                                           ? "/dev/shm"
                                           : std::filesystem::temp_directory_path();
    std::string made = (base / "chompo-fuzz-XXXXXX").string();
    if (mkdtemp(made.data()) == nullptr) {
      std::perror("chompo fuzz: cannot make a working folder");
      std::abort();
    }
    return made;
  }();
  static const bool removedAtExit = [] {
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(WorkFolder(), ignored);
    });
    return true;
  }();
  static_cast<void>(removedAtExit);
  return folder;
}

// The game opens its files by plain names, so a run works inside the folder
// and leaves it again: relative paths given to the fuzzer (corpus, crash
// files) keep meaning what they meant.
class InFolder {
 public:
  explicit InFolder(const std::string& path) : entered_(StartFolder() >= 0 && chdir(path.c_str()) == 0) {}
  ~InFolder() {
    if (entered_ && fchdir(StartFolder()) != 0) {
      std::perror("chompo fuzz: cannot go back to the starting folder");
      std::abort();
    }
  }
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;
  bool entered() const { return entered_; }

 private:
  bool entered_;
};

// A target that cannot work there stops at once: it would test nothing.
class InWorkFolder : public InFolder {
 public:
  InWorkFolder() : InFolder(WorkFolder()) {
    if (!entered()) {
      std::perror("chompo fuzz: cannot enter the working folder");
      std::abort();
    }
  }
};

inline void WriteInput(const char* name, const void* data, std::size_t size) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
    std::perror("chompo fuzz: cannot write the input");
    std::abort();
  }
}

inline void WriteInput(const char* name, std::string_view bytes) {
  WriteInput(name, bytes.data(), bytes.size());
}

// The platform calls go to the given back end until the scope ends; the
// core forgets its window, queue and keys on both sides, so no run sees
// what the one before it left.
class BackendScope {
 public:
  explicit BackendScope(platform::Backend& backend) {
    platform::ResetCore();
    platform::SetBackend(&backend);
  }
  ~BackendScope() {
    platform::ResetCore();
    platform::SetBackend(nullptr);
  }
  BackendScope(const BackendScope&) = delete;
  BackendScope& operator=(const BackendScope&) = delete;
};

}  // namespace fuzzsupport
