// The input as the player's settings file: read as the game reads it, then
// written as the game writes it and read back. Every warning must be one
// line naming the file; what was written must read back the same settings,
// without a warning, and leave no temporary file behind.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string>

#include "fuzz_support.h"
#include "platform/settings_file.h"

namespace {

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "chompo fuzz: %s\n", what.c_str());
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fuzzsupport::InWorkFolder here;
  fuzzsupport::WriteInput("chompo.ini", data, size);
  const platform::SettingsRead read = platform::ReadSettingsFile("chompo.ini");
  for (const std::string& warning : read.warnings) {
    if (warning.rfind("chompo.ini:", 0) != 0) Fail("a warning that does not name the file: " + warning);
    for (const char c : warning) {
      if (static_cast<unsigned char>(c) < 0x20) Fail("a warning of more than one plain line: " + warning);
    }
  }
  std::string reason;
  if (!platform::WriteSettingsFile("written.ini", read.settings, reason)) Fail("not written: " + reason);
  const platform::SettingsRead back = platform::ReadSettingsFile("written.ini");
  if (!back.warnings.empty()) Fail("the written file warns: " + back.warnings.front());
  if (platform::FormatSettings(back.settings) != platform::FormatSettings(read.settings)) {
    Fail("the written file reads back differently");
  }
  const auto files =
      std::distance(std::filesystem::directory_iterator("."), std::filesystem::directory_iterator());
  if (files != 2) Fail(std::to_string(files) + " files in the folder instead of 2");
  std::filesystem::remove("written.ini");
  return 0;
}
