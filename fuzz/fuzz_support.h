// Shared by the fuzz targets: a private working folder for the process and
// the input written there under the name the game opens.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "support/files.h"
#include "support/temp_folder.h"

namespace fuzzsupport {

// Made on the first call, in memory where it can be, and removed at exit.
inline const std::string& WorkFolder() {
  static std::error_code error;
  static const support::TempFolder folder("chompo-fuzz", support::TempFolder::Place::Memory, error);
  if (error) {
    std::fprintf(stderr, "chompo fuzz: cannot make a working folder: %s\n", error.message().c_str());
    std::abort();
  }
  return folder.path();
}

// The game opens its files by plain names, so a run works inside the folder
// and leaves it again. A target that cannot work there stops at once: it
// would test nothing.
class InWorkFolder {
 public:
  InWorkFolder() : here_(WorkFolder(), error_) {
    if (error_) {
      std::fprintf(stderr, "chompo fuzz: cannot enter the working folder: %s\n", error_.message().c_str());
      std::abort();
    }
  }

 private:
  std::error_code error_;
  support::InFolder here_;
};

inline void WriteInput(const char* name, const void* data, std::size_t size) {
  if (!support::WriteBytes(name, data, size)) {
    std::perror("chompo fuzz: cannot write the input");
    std::abort();
  }
}

inline void WriteInput(const char* name, std::string_view bytes) {
  WriteInput(name, bytes.data(), bytes.size());
}

}  // namespace fuzzsupport
