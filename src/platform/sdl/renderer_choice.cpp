#include "platform/sdl/renderer_choice.h"

#include <SDL.h>
#include <dirent.h>
#include <unistd.h>

#include <cstring>
#include <initializer_list>

namespace platform {
namespace {

constexpr unsigned int kGlRenderer = 0x1F01;  // GL_RENDERER
using GlGetString = const unsigned char* (*)(unsigned int);

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// True when folder holds an entry whose name starts with prefix.
bool HasEntry(const std::string& folder, const char* prefix) {
  DIR* opened = ::opendir(folder.c_str());
  if (opened == nullptr) return false;
  bool found = false;
  while (const dirent* entry = ::readdir(opened)) {
    if (std::strncmp(entry->d_name, prefix, std::strlen(prefix)) == 0) {
      found = true;
      break;
    }
  }
  ::closedir(opened);
  return found;
}

}  // namespace

bool HasGraphicsDevice(const std::string& devices) {
  return Exists(devices + "/nvidiactl") || HasEntry(devices + "/dri", "renderD");
}

bool MayHaveSoundOutput(const SoundPlaces& places) {
  if (!places.server.empty() || HasEntry(places.devices + "/snd", "pcm") || Exists(places.devices + "/dsp") ||
      Exists(places.run + "/pulse/native")) {
    return true;
  }
  return !places.runtime.empty() &&
         (Exists(places.runtime + "/pulse/native") || HasEntry(places.runtime, "pipewire-"));
}

bool IsSoftwareRasterizer(const char* glRendererName) {
  if (glRendererName == nullptr) return false;
  for (const char* known : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast"}) {
    if (std::strstr(glRendererName, known) != nullptr) return true;
  }
  return false;
}

bool DrawsWithSoftwareGl(SDL_Renderer* renderer) {
  SDL_RendererInfo info{};
  if (renderer == nullptr || SDL_GetRendererInfo(renderer, &info) != 0) return false;
  // "opengl", "opengles2", "opengles": their context is current once created.
  if (info.name == nullptr || std::strncmp(info.name, "opengl", 6) != 0) return false;
  if (SDL_GL_GetCurrentContext() == nullptr) return false;
  const auto getString = reinterpret_cast<GlGetString>(SDL_GL_GetProcAddress("glGetString"));
  if (getString == nullptr) return false;
  return IsSoftwareRasterizer(reinterpret_cast<const char*>(getString(kGlRenderer)));
}

}  // namespace platform
