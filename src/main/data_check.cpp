#include "main/data_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "data_file_names.h"
#include "display/display.h"
#include "platform/backend.h"
#include "platform/file_places.h"
#include "platform/headless/headless_backend.h"
#include "sound/sound_device.h"
#include "sprite/sprite.h"
#include "text/font_set.h"

namespace entry {
namespace {

bool EndsWith(const std::string& name, const char* ending) { return name.ends_with(ending); }

std::string WhyUnreadable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? "missing" : std::strerror(errno);
  struct stat status {};
  const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
  char byte = 0;
  const bool readable = regular && (status.st_size == 0 || ::read(fd, &byte, 1) == 1);
  const int error = errno;
  ::close(fd);
  if (!regular) return "not a regular file";
  return readable ? "" : std::strerror(error);
}

off_t FileSize(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 ? status.st_size : -1;
}

// The stage files hold a count and then whole records; the game reads ten.
std::string StageFileProblem(const std::string& path, off_t recordBytes) {
  const off_t size = FileSize(path);
  if (size < 4 || (size - 4) % recordBytes != 0) return "not a whole number of stage records";
  if ((size - 4) / recordBytes < 10) return "fewer than the ten stages the game plays";
  return "";
}

}  // namespace

const std::vector<std::string>& DataFileNames() {
  static const std::vector<std::string> names(std::begin(kDataFileNames), std::end(kDataFileNames));
  return names;
}

std::vector<std::string> MissingDataFiles(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::string> missing;
  for (const std::string& name : names) {
    const std::string why = WhyUnreadable(platform::InFolder(folder, name.c_str()));
    if (!why.empty()) missing.push_back(name + " (" + why + ")");
  }
  return missing;
}

std::vector<std::string> UnloadableDataFiles(const std::string& folder,
                                             const std::vector<std::string>& names) {
  platform::HeadlessBackend backend;
  platform::ResetCore();
  platform::SetBackend(&backend);
  const std::string previousFolder = platform::DataFolder();
  platform::SetDataFolder(folder);

  std::vector<std::string> unloadable;
  {
    // Objects of their own: the game's long-lived ones are not touched.
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = "ChompoDataCheck";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "ChompoDataCheck", "", WS_OVERLAPPEDWINDOW, 0, 0, 320, 240, nullptr,
                                  nullptr, nullptr, nullptr);
    Display display;
    display.InitFullScreen(window, 320, 240, 16);
    SoundDevice sound;
    sound.Open(window);
    for (const std::string& name : names) {
      std::string problem;
      if (EndsWith(name, ".bmp")) {
        Sprite picture;
        if (!picture.LoadBmp(display.GetDirectDraw(), name.c_str()))
          problem = "not a picture the game can show";
      } else if (EndsWith(name, ".wav")) {
        SoundEffect effect = sound.LoadWave(name.c_str());
        if (!effect.Loaded()) problem = "not a sound the game can play";
        effect.Release();
      } else if (EndsWith(name, ".eng")) {
        FontSet font;
        if (!font.LoadLatinFont(name.c_str()) || FileSize(platform::InFolder(folder, name.c_str())) != 4096) {
          problem = "not a 4096-byte font: letters will be missing";
        }
      } else if (name == "StageData.map") {
        problem = StageFileProblem(platform::InFolder(folder, name.c_str()), 4 + 2 * 18 * 20 * 4);
      } else if (name == "StageData.scp") {
        problem = StageFileProblem(platform::InFolder(folder, name.c_str()), 65);
      }
      if (!problem.empty()) unloadable.push_back(name + ": " + problem);
    }
    sound.Close();
    display.Release();
    DestroyWindow(window);
  }

  platform::SetDataFolder(previousFolder);
  platform::SetBackend(nullptr);
  platform::ResetCore();
  return unloadable;
}

}  // namespace entry
