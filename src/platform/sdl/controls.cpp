#include "platform/sdl/controls.h"

#include <SDL.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "platform/backend.h"
#include "platform/win32.h"

namespace platform {
namespace {

constexpr std::uint64_t kPadTag = std::uint64_t{1} << 63;
constexpr int kStickSlot = 0xFF;

std::uint64_t KeyHolder(SDL_Keycode key) { return static_cast<std::uint32_t>(key); }

std::uint64_t PadHolder(SDL_JoystickID id, int slot) {
  return kPadTag | std::uint64_t{static_cast<std::uint32_t>(id)} << 8 | static_cast<std::uint8_t>(slot);
}

bool HeldByPad(std::uint64_t holder, SDL_JoystickID id) {
  return (holder & kPadTag) != 0 && static_cast<std::uint32_t>(holder >> 8) == static_cast<std::uint32_t>(id);
}

KeyBinding PadButton(int button) {
  switch (button) {
    case SDL_CONTROLLER_BUTTON_A:
      return {VK_SPACE};
    // Outside play the pause is declined and Start is Space.
    case SDL_CONTROLLER_BUTTON_START:
      return {VK_SPACE, Command::Pause};
    case SDL_CONTROLLER_BUTTON_BACK:
      return {VK_ESCAPE};
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER:
      return {-1, Command::VolumeDown};
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER:
      return {-1, Command::VolumeUp};
    case SDL_CONTROLLER_BUTTON_DPAD_UP:
      return {VK_UP};
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
      return {VK_DOWN};
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
      return {VK_LEFT};
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
      return {VK_RIGHT};
    default:
      return {};
  }
}

}  // namespace

int StickKey(int heldKey, int x, int y) {
  const int across = std::min(std::abs(x), 32767);
  const int down = std::min(std::abs(y), 32767);
  const bool horizontal = heldKey == VK_LEFT || heldKey == VK_RIGHT;
  if (horizontal || heldKey == VK_UP || heldKey == VK_DOWN) {
    const int along = heldKey == VK_LEFT ? -x : heldKey == VK_RIGHT ? x : heldKey == VK_UP ? -y : y;
    const int other = horizontal ? down : across;
    if (along >= kStickRelease) {
      if (other < kStickPress || other <= along + kStickOvertake) return heldKey;
      if (horizontal) return y < 0 ? VK_UP : VK_DOWN;
      return x < 0 ? VK_LEFT : VK_RIGHT;
    }
  }
  if (std::max(across, down) < kStickPress) return -1;
  if (across > down) return x < 0 ? VK_LEFT : VK_RIGHT;
  return y < 0 ? VK_UP : VK_DOWN;
}

Controls::Controls(KeyBindings keys, CommandHandler commands)
    : keys_(std::move(keys)), commands_(std::move(commands)) {}

Controls::~Controls() { CloseGamepads(); }

void Controls::StartGamepads(const std::string& mappingsFile) {
  if (gamepadsStarted_ || SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  // Before the controller part starts, so pads present now are known by
  // these mappings too when they announce themselves.
  if (!mappingsFile.empty() && ::access(mappingsFile.c_str(), F_OK) == 0 &&
      SDL_GameControllerAddMappingsFromFile(mappingsFile.c_str()) < 0) {
    std::fprintf(stderr, "chompo: warning: %s: %s\n", mappingsFile.c_str(), SDL_GetError());
  }
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    return;
  }
  gamepadsStarted_ = true;
}

void Controls::CloseGamepads() {
  for (const Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
  pads_.clear();
  if (!gamepadsStarted_) return;
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  gamepadsStarted_ = false;
}

int Controls::Handle(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN: {
      // Auto-repeats are dropped: the game acts on the first press only and
      // polls held keys, so repeats would just pile up in the queue while a
      // screen blocks.
      if (event.key.repeat != 0) return 0;
      const SDL_Keysym& keysym = event.key.keysym;
      const KeyBinding binding =
          IsFullScreenToggle(keysym) ? KeyBinding{-1, Command::FullScreen} : keys_.Lookup(keysym.sym);
      return Press(KeyHolder(keysym.sym), binding);
    }
    case SDL_KEYUP:
      return Release(KeyHolder(event.key.keysym.sym));
    case SDL_CONTROLLERDEVICEADDED:
      OpenPad(event.cdevice.which);
      return 0;
    case SDL_CONTROLLERDEVICEREMOVED:
      return ClosePad(event.cdevice.which);
    case SDL_CONTROLLERBUTTONDOWN:
      return HandleButton(event.cbutton, true);
    case SDL_CONTROLLERBUTTONUP:
      return HandleButton(event.cbutton, false);
    case SDL_CONTROLLERAXISMOTION:
      return HandleAxis(event.caxis);
    default:
      return 0;
  }
}

void Controls::ReleaseAll() {
  held_.clear();
  for (Pad& pad : pads_) pad.stickKey = -1;
}

int Controls::Press(std::uint64_t holder, KeyBinding binding) {
  if (std::any_of(held_.begin(), held_.end(), [holder](const Held& h) { return h.holder == holder; }))
    return 0;
  // The command may let every key go (a pause begins); what took this one is
  // remembered after that, so its release is taken too.
  if (binding.command != Command::None && commands_(binding.command)) {
    held_.push_back({holder, -1});
    return 0;
  }
  if (binding.virtualKey < 0) return 0;
  const bool first = !Holds(binding.virtualKey);
  held_.push_back({holder, binding.virtualKey});
  if (!first) return 0;
  PostKeyDown(binding.virtualKey);
  return 1;
}

int Controls::Release(std::uint64_t holder) {
  const auto it =
      std::find_if(held_.begin(), held_.end(), [holder](const Held& h) { return h.holder == holder; });
  if (it == held_.end()) return 0;
  const int virtualKey = it->virtualKey;
  held_.erase(it);
  if (virtualKey < 0 || Holds(virtualKey)) return 0;
  PostKeyUp(virtualKey);
  return 1;
}

bool Controls::Holds(int virtualKey) const {
  return std::any_of(held_.begin(), held_.end(),
                     [virtualKey](const Held& h) { return h.virtualKey == virtualKey; });
}

int Controls::HandleButton(const SDL_ControllerButtonEvent& event, bool down) {
  if (FindPad(event.which) == nullptr) return 0;
  const std::uint64_t holder = PadHolder(event.which, event.button);
  return down ? Press(holder, PadButton(event.button)) : Release(holder);
}

int Controls::HandleAxis(const SDL_ControllerAxisEvent& event) {
  Pad* pad = FindPad(event.which);
  if (pad == nullptr) return 0;
  if (event.axis == SDL_CONTROLLER_AXIS_LEFTX) {
    pad->x = event.value;
  } else if (event.axis == SDL_CONTROLLER_AXIS_LEFTY) {
    pad->y = event.value;
  } else {
    return 0;
  }
  const int key = StickKey(pad->stickKey, pad->x, pad->y);
  if (key == pad->stickKey) return 0;
  pad->stickKey = key;
  const std::uint64_t holder = PadHolder(event.which, kStickSlot);
  int posted = Release(holder);
  if (key >= 0) posted += Press(holder, KeyBinding{key});
  return posted;
}

void Controls::OpenPad(int deviceIndex) {
  SDL_GameController* controller = SDL_GameControllerOpen(deviceIndex);
  if (controller == nullptr) return;
  const SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
  // A pad announced twice (at start and by its own arrival) is opened once.
  if (FindPad(id) != nullptr) {
    SDL_GameControllerClose(controller);
    return;
  }
  pads_.push_back(Pad{controller, id});
}

int Controls::ClosePad(SDL_JoystickID id) {
  const auto pad = std::find_if(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.id == id; });
  if (pad == pads_.end()) return 0;
  SDL_GameControllerClose(pad->controller);
  pads_.erase(pad);
  // Whatever it held is let go, as if each button and the stick came back.
  int posted = 0;
  std::vector<std::uint64_t> holders;
  for (const Held& held : held_) {
    if (HeldByPad(held.holder, id)) holders.push_back(held.holder);
  }
  for (const std::uint64_t holder : holders) posted += Release(holder);
  return posted;
}

Controls::Pad* Controls::FindPad(SDL_JoystickID id) {
  const auto pad = std::find_if(pads_.begin(), pads_.end(), [id](const Pad& p) { return p.id == id; });
  return pad == pads_.end() ? nullptr : &*pad;
}

}  // namespace platform
