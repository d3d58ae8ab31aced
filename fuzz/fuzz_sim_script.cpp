// The input as the text of a chompo-sim input script. A script that parses
// is written back out, one canonical line per event, and that text must
// parse to the very same events.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "platform/headless/headless_backend.h"
#include "sim/sim_script.h"

namespace {

using Kind = platform::ScriptEvent::Kind;

// Every key name the script format documents, by the code it stands for.
const std::map<int, std::string>& KeyNames() {
  static const std::map<int, std::string> names = [] {
    std::map<int, std::string> byCode;
    const auto add = [&byCode](const std::string& name) {
      byCode.emplace(platform::VirtualKeyFromName(name), name);
    };
    for (const char* name : {"LEFT", "RIGHT", "UP", "DOWN", "SPACE", "ESCAPE", "RETURN"}) add(name);
    for (int n = 1; n <= 12; ++n) add("F" + std::to_string(n));
    for (char c = 'A'; c <= 'Z'; ++c) add(std::string(1, c));
    for (char c = '0'; c <= '9'; ++c) add(std::string(1, c));
    return byCode;
  }();
  return names;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "chompo fuzz: %s\n", what.c_str());
  std::abort();
}

std::string ActionName(Kind kind) {
  switch (kind) {
    case Kind::Press:
      return "press";
    case Kind::Release:
      return "release";
    case Kind::Activate:
      return "activate";
    case Kind::Deactivate:
      return "deactivate";
    case Kind::Close:
      return "close";
  }
  Fail("an event of no known kind");
}

std::string Canonical(const std::vector<platform::ScriptEvent>& events) {
  std::string text;
  for (const platform::ScriptEvent& event : events) {
    text += std::to_string(event.time) + " " + ActionName(event.kind);
    if (event.kind == Kind::Press || event.kind == Kind::Release) {
      const auto name = KeyNames().find(event.virtualKey);
      if (name == KeyNames().end())
        Fail("a key with no documented name: " + std::to_string(event.virtualKey));
      text += " " + name->second;
    }
    text += "\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const sim::ScriptResult first = sim::ParseScript(text);
  if (!first.ok) {
    if (first.error.empty() || first.errorLine < 1 || !first.events.empty())
      Fail("a refusal without its line");
    return 0;
  }
  const std::string written = Canonical(first.events);
  const sim::ScriptResult second = sim::ParseScript(written);
  if (!second.ok) Fail("the written script is refused: " + second.error);
  if (second.events.size() != first.events.size()) Fail("the written script has another number of events");
  for (std::size_t i = 0; i < first.events.size(); ++i) {
    const platform::ScriptEvent& a = first.events[i];
    const platform::ScriptEvent& b = second.events[i];
    if (a.time != b.time || a.kind != b.kind || a.virtualKey != b.virtualKey) {
      Fail("event " + std::to_string(i) + " reads back differently");
    }
  }
  return 0;
}
