// Which SDL renderer draws the picture, and whether sound is worth looking
// for. OpenGL is the right choice on a real graphics card; when the only
// OpenGL is a software rasterizer (a virtual machine, a bare X server) SDL's
// own software renderer costs a fraction of its processor time.
#pragma once

#include <string>

struct SDL_Renderer;

namespace platform {

// True when devices (normally /dev) holds a device OpenGL can draw with: a
// DRI render node or NVIDIA's own driver. Without one, OpenGL is only ever
// a software rasterizer, not worth loading.
bool HasGraphicsDevice(const std::string& devices = "/dev");

// Where sound could come out: a server's socket or a device node.
struct SoundPlaces {
  std::string devices = "/dev";
  std::string run = "/run";  // a system-wide sound server's folder
  std::string runtime;       // XDG_RUNTIME_DIR: the user's sound server
  std::string server;        // PULSE_SERVER: a server named outright
};

// False only when none of SoundPlaces leads to anything that could play:
// then starting SDL's sound (which reads its libraries' configuration and
// probes every driver, tens of milliseconds before the first picture) is
// bound to find no device.
bool MayHaveSoundOutput(const SoundPlaces& places);

// True for the GL_RENDERER strings of Mesa's software rasterizers.
bool IsSoftwareRasterizer(const char* glRendererName);

// True when renderer draws through OpenGL emulated on the processor.
bool DrawsWithSoftwareGl(SDL_Renderer* renderer);

}  // namespace platform
