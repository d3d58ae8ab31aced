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

}  // namespace

bool HasGraphicsDevice(const std::string& devices) {
  if (::access((devices + "/nvidiactl").c_str(), F_OK) == 0) return true;
  DIR* folder = ::opendir((devices + "/dri").c_str());
  if (folder == nullptr) return false;
  bool found = false;
  while (const dirent* entry = ::readdir(folder)) {
    if (std::strncmp(entry->d_name, "renderD", 7) == 0) {
      found = true;
      break;
    }
  }
  ::closedir(folder);
  return found;
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
