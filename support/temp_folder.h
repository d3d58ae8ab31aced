// Folders the tests, benchmarks and fuzz targets work in: a fresh one of
// their own, and a change of working folder that lasts for a scope. Both
// throw std::filesystem::filesystem_error when they cannot do their job,
// unless given an error_code to fill instead.
#pragma once

#include <string>
#include <string_view>
#include <system_error>

namespace support {

class TempFolder {
 public:
  // Memory: in /dev/shm when there is one, so the files never reach a disk.
  enum class Place { Disk, Memory };

  explicit TempFolder(std::string_view prefix = "chompo", Place place = Place::Disk);
  // path() is empty when error is set.
  TempFolder(std::string_view prefix, Place place, std::error_code& error);
  // Removes the folder and all it holds.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// The game opens its files by plain names. Going back uses a handle on the
// folder left, so relative paths given before keep meaning what they meant.
class InFolder {
 public:
  explicit InFolder(const std::string& path);
  // Stays where it is when error is set.
  InFolder(const std::string& path, std::error_code& error);
  // Aborts when it cannot go back: nothing after it could be trusted.
  ~InFolder();
  InFolder(const InFolder&) = delete;
  InFolder& operator=(const InFolder&) = delete;

 private:
  int left_ = -1;
};

}  // namespace support
