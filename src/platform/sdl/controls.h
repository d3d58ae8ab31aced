// The player's keyboard and gamepads, turned into the keys the game already
// understands. Keys go through the player's bindings; every gamepad SDL's
// controller database knows acts as the arrows (d-pad and left stick), Space
// (A and Start), Esc (Back) and the volume (shoulder buttons). Several keys
// and pads may hold the same key: the game sees it pressed when the first
// takes it and released when the last lets go.
#pragma once

#include <SDL_events.h>
#include <SDL_gamecontroller.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/sdl/key_map.h"

namespace platform {

// The left stick as one of the four arrows (VK_LEFT...) or none (-1): the
// dominant axis wins once it leaves the dead zone, a held direction lasts
// until its axis falls back well inside it, and the other axis takes over
// only when it clearly leads.
inline constexpr int kStickPress = 12000;    // out of 32767
inline constexpr int kStickRelease = 8000;   // hysteresis: a held direction lasts down to this
inline constexpr int kStickOvertake = 4000;  // the other axis must lead the held one by this much
int StickKey(int heldKey, int x, int y);

class Controls {
 public:
  // Carries out a back end's command; false when it declined (the key's own
  // virtual key then goes to the game).
  using CommandHandler = std::function<bool(Command)>;

  Controls(KeyBindings keys, CommandHandler commands);
  ~Controls();
  Controls(const Controls&) = delete;
  Controls& operator=(const Controls&) = delete;

  // Starts SDL's gamepad support: its built-in mappings, those in
  // SDL_GAMECONTROLLERCONFIG, then those in mappingsFile when it exists.
  // Pads present now and later announce themselves as events.
  void StartGamepads(const std::string& mappingsFile);
  // Before SDL shuts down.
  void CloseGamepads();
  std::size_t gamepadCount() const { return pads_.size(); }

  // A keyboard or gamepad event; returns the messages posted for the game.
  // Other events are left alone (0).
  int Handle(const SDL_Event& event);

  // The core has let go of every key (the focus went, or a pause began):
  // forget what held them, so the next press is a press again.
  void ReleaseAll();

 private:
  struct Held {
    std::uint64_t holder;
    int virtualKey;  // -1: taken by a command
  };
  struct Pad {
    SDL_GameController* controller;
    SDL_JoystickID id;
    int x = 0;
    int y = 0;
    int stickKey = -1;
  };

  int Press(std::uint64_t holder, KeyBinding binding);
  int Release(std::uint64_t holder);
  bool Holds(int virtualKey) const;
  int HandleButton(const SDL_ControllerButtonEvent& event, bool down);
  int HandleAxis(const SDL_ControllerAxisEvent& event);
  void OpenPad(int deviceIndex);
  int ClosePad(SDL_JoystickID id);
  Pad* FindPad(SDL_JoystickID id);

  KeyBindings keys_;
  CommandHandler commands_;
  std::vector<Held> held_;
  std::vector<Pad> pads_;
  bool gamepadsStarted_ = false;
};

}  // namespace platform
