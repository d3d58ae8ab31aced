// The programs' options read in order, "--name VALUE", "--name=VALUE" and
// flags alike, with the refusals every option shares; each program says
// only what its options mean.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace entry {

// A word of the player's as a message repeats it: at most 80 characters,
// then "...".
inline std::string ShownToken(std::string_view token) {
  constexpr std::size_t kShown = 80;
  return token.size() <= kShown ? std::string(token) : std::string(token.substr(0, kShown)) + "...";
}

// What reading a program's options gave: the options, or why not.
template <class Options>
struct ParsedOptions {
  bool ok = false;
  Options options;
  std::string error;  // one line, without the program name
};

class ArgumentReader {
 public:
  explicit ArgumentReader(const std::vector<std::string>& args) : args_(args) {}

  // The next option's name ("--until" of "--until=5"); false at the end.
  bool Next(std::string& name) {
    if (next_ >= args_.size()) return false;
    name = args_[next_++];
    const std::size_t equals = name.find('=');
    inlineValue_ = name.starts_with("--") && equals != std::string::npos;
    if (inlineValue_) {
      value_ = name.substr(equals + 1);
      name.resize(equals);
    }
    return true;
  }

  // Whether the option came with "=VALUE".
  bool HasInlineValue() const { return inlineValue_; }

  // The option's value: after "=", else the next argument. False, with the
  // reason, when there is none.
  bool TakeValue(const std::string& name, std::string& value, std::string& error) {
    if (inlineValue_) {
      value = value_;
      return true;
    }
    if (next_ >= args_.size()) {
      error = name + " needs a value";
      return false;
    }
    value = args_[next_++];
    return true;
  }

  // The refusal of a name no option has.
  static std::string Unknown(const std::string& name) {
    return (name.starts_with("-") ? "unknown option " : "unexpected argument ") + ShownToken(name);
  }

 private:
  const std::vector<std::string>& args_;
  std::size_t next_ = 0;
  bool inlineValue_ = false;
  std::string value_;
};

}  // namespace entry
