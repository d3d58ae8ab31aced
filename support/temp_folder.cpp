#include "support/temp_folder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace support {

namespace fs = std::filesystem;

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

TempFolder::TempFolder(std::string_view prefix, Place place) {
  std::error_code error;
  TempFolder made(prefix, place, error);
  if (error)
    throw fs::filesystem_error("cannot make a temporary folder", fs::path(std::string(prefix)), error);
  path_.swap(made.path_);
}

TempFolder::TempFolder(std::string_view prefix, Place place, std::error_code& error) {
  error.clear();
  std::error_code noShm;
  const bool memory = place == Place::Memory && fs::is_directory("/dev/shm", noShm);
  const fs::path base = memory ? fs::path("/dev/shm") : fs::temp_directory_path(error);
  if (error) return;
  std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    error = LastError();
    return;
  }
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  if (!path_.empty()) fs::remove_all(path_, ignored);
}

InFolder::InFolder(const std::string& path) {
  std::error_code error;
  InFolder entered(path, error);
  if (error) throw fs::filesystem_error("cannot enter the folder", path, error);
  std::swap(left_, entered.left_);
}

InFolder::InFolder(const std::string& path, std::error_code& error) {
  error.clear();
  const int left = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (left < 0 || ::chdir(path.c_str()) != 0) {
    error = LastError();
    if (left >= 0) ::close(left);
    return;
  }
  left_ = left;
}

InFolder::~InFolder() {
  if (left_ < 0) return;
  if (::fchdir(left_) != 0) {
    std::perror("chompo: cannot go back to the folder left");
    std::abort();
  }
  ::close(left_);
}

}  // namespace support
