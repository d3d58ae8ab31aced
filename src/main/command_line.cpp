#include "main/command_line.h"

#include <charconv>

#include "main/argument_reader.h"

namespace entry {
namespace {

constexpr int kLargestScale = 16;

bool TakeSessionFile(const std::string& name, const std::string& value, CommandLine& line,
                     std::string& error) {
  if (value.empty()) {
    error = name + " needs a file";
    return false;
  }
  (name == "--record" ? line.recordPath : line.playPath) = value;
  if (!line.recordPath.empty() && !line.playPath.empty()) {
    error = "--record and --play exclude each other";
    return false;
  }
  return true;
}

}  // namespace

CommandLineResult ParseCommandLine(const std::vector<std::string>& args) {
  CommandLineResult result;
  CommandLine& line = result.options;
  ArgumentReader reader(args);
  for (std::string name; reader.Next(name);) {
    const bool takesValue = name == "--data" || name == "--scale" || name == "--record" || name == "--play";
    if (name == "--help" || name == "-h" || name == "--version" || name == "--windowed" ||
        name == "--fullscreen") {
      if (reader.HasInlineValue()) {
        result.error = name + " takes no value";
        return result;
      }
      if (name == "--version") {
        line.version = true;
      } else if (name == "--windowed" || name == "--fullscreen") {
        const bool fullScreen = name == "--fullscreen";
        if (line.fullScreen && *line.fullScreen != fullScreen) {
          result.error = "--windowed and --fullscreen exclude each other";
          return result;
        }
        line.fullScreen = fullScreen;
      } else {
        line.help = true;
      }
      continue;
    }
    if (!takesValue) {
      result.error = ArgumentReader::Unknown(name);
      return result;
    }
    std::string value;
    if (!reader.TakeValue(name, value, result.error)) return result;
    if (name == "--data") {
      if (value.empty()) {
        result.error = "--data needs a folder";
        return result;
      }
      line.dataDir = value;
    } else if (name == "--record" || name == "--play") {
      if (!TakeSessionFile(name, value, line, result.error)) return result;
    } else {
      int scale = -1;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), scale);
      if (error != std::errc() || end != value.data() + value.size() || scale < 0 || scale > kLargestScale) {
        result.error = "--scale needs a whole number from 0 to 16, not '" + ShownToken(value) + "'";
        return result;
      }
      line.scale = scale;
    }
  }
  result.ok = true;
  return result;
}

std::string UsageText() {
  return "Usage: chompo [--data DIR] [--windowed | --fullscreen] [--scale N]\n"
         "              [--record FILE | --play FILE] [--help] [--version]\n"
         "A maze-chase arcade game. Arrows steer, Space starts, Esc or F12 quits,\n"
         "P or Pause pauses during play, M mutes, - and = set the volume,\n"
         "Alt+Enter switches between full screen and a window. Gamepads work too.\n"
         "\n"
         "  --data DIR     the folder with the game's data files (default: $CHOMPO_DATA,\n"
         "                 else a \"data\" folder beside the program, else the installed one)\n"
         "  --windowed     play in a window (also CHOMPO_WINDOWED=1)\n"
         "  --fullscreen   play full screen\n"
         "  --scale N      draw the 320x240 picture N times as large in a window\n"
         "                 (0: the largest whole number that fits)\n"
         "  --record FILE  record the session into FILE, to replay it later\n"
         "  --play FILE    replay a recorded session; keys are ignored, closing the\n"
         "                 window ends it\n"
         "  --help         this text\n"
         "  --version      the program's version\n"
         "\n"
         "The display, volume and keys are kept in $XDG_CONFIG_HOME/chompo/chompo.ini\n"
         "(default ~/.config/chompo); --windowed, --fullscreen and --scale hold for one run.\n"
         "The best score is kept in $XDG_DATA_HOME/chompo (default ~/.local/share/chompo).\n"
         "Exit status: 0, 64 bad command line, 66 data missing, 69 no display,\n"
         "73 the recording cannot be written, 74 the best score could not be saved;\n"
         "with --play, 3 the recording stops before the game did, 65 the game left\n"
         "the recording or it was refused.\n";
}

}  // namespace entry
