// Which SDL renderer draws the picture. OpenGL is the right choice on a real
// graphics card; when the only OpenGL is a software rasterizer (a virtual
// machine, a bare X server) SDL's own software renderer costs a fraction of
// its processor time.
#pragma once

#include <string>

struct SDL_Renderer;

namespace platform {

// True when devices (normally /dev) holds a device OpenGL can draw with: a
// DRI render node or NVIDIA's own driver. Without one, OpenGL is only ever
// a software rasterizer, not worth loading.
bool HasGraphicsDevice(const std::string& devices = "/dev");

// True for the GL_RENDERER strings of Mesa's software rasterizers.
bool IsSoftwareRasterizer(const char* glRendererName);

// True when renderer draws through OpenGL emulated on the processor.
bool DrawsWithSoftwareGl(SDL_Renderer* renderer);

}  // namespace platform
