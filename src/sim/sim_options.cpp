#include "sim/sim_options.h"

#include <charconv>
#include <cstddef>

#ifndef CHOMPO_DEFAULT_DATA_DIR
#define CHOMPO_DEFAULT_DATA_DIR "data"
#endif

namespace sim {

namespace {

bool ParseTimeList(const std::string& text, std::vector<std::uint32_t>& out) {
  std::size_t begin = 0;
  while (true) {
    const std::size_t comma = text.find(',', begin);
    const std::string item =
        text.substr(begin, comma == std::string::npos ? std::string::npos : comma - begin);
    std::uint32_t value = 0;
    if (!ParseUnsigned32(item, value)) {
      return false;
    }
    out.push_back(value);
    if (comma == std::string::npos) {
      return true;
    }
    begin = comma + 1;
  }
}

// A replay takes its input and its clock from the recording.
bool CheckDemo(const SimOptions& options, bool clockStartGiven, std::string& error) {
  if (options.demoPath.empty()) {
    return true;
  }
  const char* other = !options.scriptPath.empty()   ? "--script"
                      : clockStartGiven             ? "--clock-start"
                      : !options.recordPath.empty() ? "--record"
                                                    : nullptr;
  if (other != nullptr) {
    error =
        std::string("--demo takes its input and clock from the recording: ") + other + " does not go with it";
    return false;
  }
  return true;
}

}  // namespace

bool ParseUnsigned32(const std::string& text, std::uint32_t& value) {
  const char* first = text.data();
  const char* const last = first + text.size();
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    first += 2;
  }
  // Digits only, to the end: from_chars takes no sign for an unsigned value
  // and no spaces, and refuses anything above 32 bits.
  std::uint32_t parsed = 0;
  const auto [end, error] = std::from_chars(first, last, parsed, base);
  if (error != std::errc() || end != last) {
    return false;
  }
  value = parsed;
  return true;
}

OptionsResult ParseOptions(const std::vector<std::string>& args) {
  OptionsResult result;
  SimOptions& options = result.options;
  bool frameCapture = false;
  bool clockStartGiven = false;

  entry::ArgumentReader reader(args);
  for (std::string name; reader.Next(name);) {
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    const bool known = name == "--data" || name == "--script" || name == "--until" ||
                       name == "--clock-start" || name == "--trace" || name == "--frames" ||
                       name == "--frame-at" || name == "--frame-every" || name == "--record" ||
                       name == "--demo";
    if (!known) {
      result.error = entry::ArgumentReader::Unknown(name);
      return result;
    }
    std::string value;
    if (!reader.TakeValue(name, value, result.error)) {
      return result;
    }

    if (name == "--data" || name == "--script" || name == "--trace" || name == "--frames" ||
        name == "--record" || name == "--demo") {
      if (value.empty()) {
        result.error = name + " needs a non-empty path";
        return result;
      }
      if (name == "--data") {
        options.dataDir = value;
      } else if (name == "--script") {
        options.scriptPath = value;
      } else if (name == "--trace") {
        options.tracePath = value;
      } else if (name == "--frames") {
        options.framesDir = value;
      } else if (name == "--record") {
        options.recordPath = value;
      } else {
        options.demoPath = value;
      }
    } else if (name == "--until") {
      if (!ParseUnsigned32(value, options.untilMs)) {
        result.error = "--until needs milliseconds from 0 to 4294967295, not '" + ShownToken(value) + "'";
        return result;
      }
      options.hasUntil = true;
    } else if (name == "--clock-start") {
      if (!ParseUnsigned32(value, options.clockStart)) {
        result.error = "--clock-start needs a value from 0 to 0xFFFFFFFF, not '" + ShownToken(value) + "'";
        return result;
      }
      clockStartGiven = true;
    } else if (name == "--frame-at") {
      if (!ParseTimeList(value, options.frameAt)) {
        result.error = "--frame-at needs milliseconds separated by commas, not '" + ShownToken(value) + "'";
        return result;
      }
      frameCapture = true;
    } else {
      if (!ParseUnsigned32(value, options.frameEvery) || options.frameEvery == 0) {
        result.error =
            "--frame-every needs a number of milliseconds above 0, not '" + ShownToken(value) + "'";
        return result;
      }
      frameCapture = true;
    }
  }

  if (options.help) {
    result.ok = true;
    return result;
  }
  if (frameCapture && options.framesDir.empty()) {
    result.error = "--frame-at and --frame-every need --frames DIR";
    return result;
  }
  if (!frameCapture && !options.framesDir.empty()) {
    result.error = "--frames needs --frame-at or --frame-every";
    return result;
  }
  if (!CheckDemo(options, clockStartGiven, result.error)) {
    return result;
  }
  result.ok = true;
  return result;
}

std::string UsageText() {
  return "Usage: chompo-sim [options]\n"
         "Runs the whole game on a virtual clock with scripted input, without a window.\n"
         "\n"
         "  --data DIR            the folder with the data files (default: $CHOMPO_DATA, else a\n"
         "                        \"data\" folder beside the program, else the installed one)\n"
         "                        The best score is read and written as the game does, in\n"
         "                        $XDG_DATA_HOME/chompo (default ~/.local/share/chompo)\n"
         "  --script FILE         input events, one a line: TIME ACTION [KEY]; '#' starts a comment\n"
         "                        TIME: virtual ms since the run began\n"
         "                        ACTION: press release activate deactivate close\n"
         "                        KEY: LEFT RIGHT UP DOWN SPACE ESCAPE F1-F12 RETURN A-Z 0-9\n"
         "  --until MS            end the run after MS virtual ms (exit status 2)\n"
         "  --clock-start N       first reading of the virtual clock (default 0x10000)\n"
         "  --trace FILE          JSON Lines: state changes, play frames, the exit\n"
         "  --frames DIR          write the picture on screen as PNG files named by virtual ms,\n"
         "  --frame-at MS[,MS..]    at these virtual times\n"
         "  --frame-every N         and/or every N virtual ms\n"
         "  --record FILE         record the run: everything that reached the game, in order\n"
         "  --demo FILE           replay a recording (of chompo or chompo-sim) instead of a script;\n"
         "                        with --trace, --frames and --until as for a script\n"
         "  --help                this text\n"
         "\n"
         "Exit status: the game's own (0), 2 when --until ended the run, 64 when the\n"
         "command line, the script or a file was refused and nothing ran; with --demo,\n"
         "3 when the recording stops before the game did, 65 when the game left it;\n"
         "73 when the trace or a picture could not be written (the run was ended), 74\n"
         "when the best score could not be saved. SIGINT, SIGTERM and SIGHUP end the\n"
         "run as closing the window does.\n";
}

}  // namespace sim
