// Which SDL renderer draws the picture. OpenGL is the right choice on a real
// graphics card; when the only OpenGL is a software rasterizer (a virtual
// machine, a bare X server) SDL's own software renderer costs a fraction of
// its processor time.
#pragma once

struct SDL_Renderer;

namespace platform {

// True for the GL_RENDERER strings of Mesa's software rasterizers.
bool IsSoftwareRasterizer(const char* glRendererName);

// True when renderer draws through OpenGL emulated on the processor.
bool DrawsWithSoftwareGl(SDL_Renderer* renderer);

}  // namespace platform
