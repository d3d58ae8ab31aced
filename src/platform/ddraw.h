// The DirectDraw subset the game draws with: a 16-bit display mode, a
// primary surface with one back buffer, off-screen surfaces in memory,
// colour keys, locking and keyed copies.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"

struct GUID;
struct IUnknown;

inline constexpr HRESULT DD_OK = 0;
inline constexpr HRESULT DDERR_GENERIC = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT DDERR_INVALIDPARAMS = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT DDERR_INVALIDRECT = static_cast<HRESULT>(0x88760096);
inline constexpr HRESULT DDERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
inline constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001);
inline constexpr HRESULT DDERR_NOTFOUND = static_cast<HRESULT>(0x887600FF);
inline constexpr HRESULT DDERR_SURFACELOST = static_cast<HRESULT>(0x887601C2);

// Cooperative levels.
inline constexpr DWORD DDSCL_FULLSCREEN = 0x00000001;
inline constexpr DWORD DDSCL_EXCLUSIVE = 0x00000010;
inline constexpr DWORD DDSCL_NORMAL = 0x00000008;

// Surface description flags.
inline constexpr DWORD DDSD_CAPS = 0x00000001;
inline constexpr DWORD DDSD_HEIGHT = 0x00000002;
inline constexpr DWORD DDSD_WIDTH = 0x00000004;
inline constexpr DWORD DDSD_PITCH = 0x00000008;
inline constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x00000020;
inline constexpr DWORD DDSD_LPSURFACE = 0x00000800;
inline constexpr DWORD DDSD_PIXELFORMAT = 0x00001000;

// Surface capabilities.
inline constexpr DWORD DDSCAPS_BACKBUFFER = 0x00000004;
inline constexpr DWORD DDSCAPS_COMPLEX = 0x00000008;
inline constexpr DWORD DDSCAPS_FLIP = 0x00000010;
inline constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x00000040;
inline constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x00000200;
inline constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x00000800;

// Colour keys.
inline constexpr DWORD DDCKEY_SRCBLT = 0x00000008;

// Blt flags and effects.
inline constexpr DWORD DDBLT_COLORFILL = 0x00000400;
inline constexpr DWORD DDBLT_DDFX = 0x00000800;
inline constexpr DWORD DDBLT_KEYSRC = 0x00008000;
inline constexpr DWORD DDBLT_WAIT = 0x01000000;
inline constexpr DWORD DDBLTFX_MIRRORLEFTRIGHT = 0x00000002;
inline constexpr DWORD DDBLTFX_MIRRORUPDOWN = 0x00000004;

// BltFast flags.
inline constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x00000000;
inline constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x00000001;
inline constexpr DWORD DDBLTFAST_WAIT = 0x00000010;

// Pixel format flags.
inline constexpr DWORD DDPF_RGB = 0x00000040;

// Lock and Flip flags.
inline constexpr DWORD DDLOCK_WAIT = 0x00000001;
inline constexpr DWORD DDFLIP_WAIT = 0x00000001;

struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwFourCC;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;
  DWORD dwGBitMask;
  DWORD dwBBitMask;
  DWORD dwRGBAlphaBitMask;
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;
  DWORD dwColorSpaceHighValue;
};

struct DDSCAPS {
  DWORD dwCaps;
};

struct DDSURFACEDESC {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;
  DWORD dwBackBufferCount;
  DWORD dwRefreshRate;
  DWORD dwAlphaBitDepth;
  DWORD dwReserved;
  void* lpSurface;
  DDCOLORKEY ddckCKDestOverlay;
  DDCOLORKEY ddckCKDestBlt;
  DDCOLORKEY ddckCKSrcOverlay;
  DDCOLORKEY ddckCKSrcBlt;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS ddsCaps;
};

struct DDBLTFX {
  DWORD dwSize;
  DWORD dwDDFX;
  DWORD dwROP;
  DWORD dwDDROP;
  DWORD dwRotationAngle;
  DWORD dwZBufferOpCode;
  DWORD dwZBufferLow;
  DWORD dwZBufferHigh;
  DWORD dwZBufferBaseDest;
  DWORD dwZDestConstBitDepth;
  DWORD dwZDestConst;
  DWORD dwZSrcConstBitDepth;
  DWORD dwZSrcConst;
  DWORD dwAlphaEdgeBlendBitDepth;
  DWORD dwAlphaEdgeBlend;
  DWORD dwReserved;
  DWORD dwAlphaDestConstBitDepth;
  DWORD dwAlphaDestConst;
  DWORD dwAlphaSrcConstBitDepth;
  DWORD dwAlphaSrcConst;
  DWORD dwFillColor;
  DDCOLORKEY ddckDestColorkey;
  DDCOLORKEY ddckSrcColorkey;
};

class IDirectDraw;

// A 16-bit surface in memory. Rows may be longer than width x 2 bytes.
// Refused calls return a negative result and change nothing.
class IDirectDrawSurface {
 public:
  // The back buffer of a primary surface; the primary owns it, so the
  // pointer handed out carries no reference of its own.
  HRESULT GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached);
  // Copies a source rectangle to a destination rectangle of the same size,
  // skipping the source's key colour with DDBLT_KEYSRC and mirrored as the
  // DDBLTFX asks with DDBLT_DDFX; refused when either rectangle leaves its
  // surface. DDBLT_COLORFILL fills the destination rectangle (all of the
  // surface when none is given) with dwFillColor.
  HRESULT Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags, DDBLTFX* fx);
  // Copies the source rectangle (all of the source when none is given) with
  // its top-left at (x, y); refused, drawing nothing, when it does not lie
  // wholly inside this surface.
  HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect, DWORD trans);
  // Presents the back buffer of a primary surface; never waits for a
  // display refresh. The back buffer keeps its pixels (no swap).
  HRESULT Flip(IDirectDrawSurface* target, DWORD flags);
  HRESULT Lock(RECT* rect, DDSURFACEDESC* desc, DWORD flags, void* event);
  HRESULT Unlock(void* rect);
  // DDCKEY_SRCBLT with a key sets the source key; with nullptr removes it.
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
  HRESULT GetSurfaceDesc(DDSURFACEDESC* desc);
  // The back buffer ignores both: it lives and dies with its primary.
  ULONG AddRef();
  ULONG Release();

  // For the platform and its tests: the pixels as they are.
  int Width() const { return width_; }
  int Height() const { return height_; }
  int PitchBytes() const { return pitchBytes_; }
  bool Is565() const { return is565_; }
  std::uint16_t PixelAt(int x, int y) const;
  const std::uint16_t* Row(int y) const;
  // False when the pixel memory could not be had.
  bool HasPixels() const { return !pixels_.empty(); }

  IDirectDrawSurface(int width, int height, int pitchBytes, bool is565, bool primary);
  ~IDirectDrawSurface();
  IDirectDrawSurface(const IDirectDrawSurface&) = delete;
  IDirectDrawSurface& operator=(const IDirectDrawSurface&) = delete;

 private:
  std::uint16_t* RowPtr(int y);
  void FillDesc(DDSURFACEDESC* desc) const;
  void Describe();

  int width_;
  int height_;
  int pitchBytes_;
  bool is565_;
  bool primary_;
  bool attached_ = false;  // the back buffer of a primary
  ULONG refs_ = 1;
  bool hasSourceKey_ = false;
  std::uint16_t sourceKey_ = 0;
  std::vector<std::uint16_t> pixels_;
  IDirectDrawSurface* backBuffer_ = nullptr;
  // What FillDesc hands out, kept ready: text locks once per pixel.
  DDSURFACEDESC described_{};
};

class IDirectDraw {
 public:
  HRESULT SetCooperativeLevel(HWND window, DWORD flags);
  // Only 16 bits per pixel is offered.
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel);
  // A primary surface with one back buffer (DDSCAPS_PRIMARYSURFACE with
  // DDSD_BACKBUFFERCOUNT 1), or a plain off-screen surface of the display's
  // pixel format (DDSD_WIDTH and DDSD_HEIGHT, 1 to 4096 each).
  HRESULT CreateSurface(DDSURFACEDESC* desc, IDirectDrawSurface** surface, IUnknown* outer);
  ULONG Release();

  IDirectDraw() = default;
  IDirectDraw(const IDirectDraw&) = delete;
  IDirectDraw& operator=(const IDirectDraw&) = delete;

 private:
  ULONG refs_ = 1;
  bool modeSet_ = false;
  int modeWidth_ = 0;
  int modeHeight_ = 0;
};

HRESULT DirectDrawCreate(GUID* driver, IDirectDraw** directDraw, IUnknown* outer);
