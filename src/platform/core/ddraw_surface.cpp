// Memory surfaces: keyed and mirrored copies, fills, locking and the flip
// that hands the back buffer to the back end.
#include <algorithm>
#include <cstring>
#include <new>

#include "formats/pixel_format.h"
#include "platform/backend.h"
#include "platform/ddraw.h"

namespace {

// A rectangle in 64 bits, so that no caller's values can overflow the tests.
struct Span {
  long long left, top, right, bottom;
  long long Width() const { return right - left; }
  long long Height() const { return bottom - top; }
};

Span SpanOf(const RECT* rect, int width, int height) {
  if (rect == nullptr) return {0, 0, width, height};
  return {rect->left, rect->top, rect->right, rect->bottom};
}

// Not empty, not inverted, and wholly on a width x height surface.
bool LiesWithin(const Span& span, int width, int height) {
  return span.left >= 0 && span.top >= 0 && span.left < span.right && span.top < span.bottom &&
         span.right <= width && span.bottom <= height;
}

struct CopyPlan {
  int destX, destY;
  int sourceX, sourceY;
  int width, height;
  bool keyed;
  std::uint16_t key;
  bool mirrorLeftRight;
  bool mirrorUpDown;
};

// A copy of the rectangle from, in the source, to the same size at to.
CopyPlan PlanCopy(const Span& to, const Span& from, bool keyed, std::uint16_t key,
                  bool mirrorLeftRight = false, bool mirrorUpDown = false) {
  return {static_cast<int>(to.left),
          static_cast<int>(to.top),
          static_cast<int>(from.left),
          static_cast<int>(from.top),
          static_cast<int>(from.Width()),
          static_cast<int>(from.Height()),
          keyed,
          key,
          mirrorLeftRight,
          mirrorUpDown};
}

}  // namespace

IDirectDrawSurface::IDirectDrawSurface(int width, int height, int pitchBytes, bool is565, bool primary)
    : width_(width), height_(height), pitchBytes_(pitchBytes), is565_(is565), primary_(primary) {
  try {
    pixels_.assign(static_cast<std::size_t>(pitchBytes / 2) * height, 0);
    if (primary_) {
      backBuffer_ = new IDirectDrawSurface(width, height, pitchBytes, is565, false);
      backBuffer_->attached_ = true;
      backBuffer_->Describe();
      if (!backBuffer_->HasPixels()) pixels_.clear();
    }
  } catch (const std::bad_alloc&) {
    pixels_.clear();
  }
  Describe();
}

IDirectDrawSurface::~IDirectDrawSurface() { delete backBuffer_; }

std::uint16_t* IDirectDrawSurface::RowPtr(int y) {
  return pixels_.data() + static_cast<std::size_t>(y) * (pitchBytes_ / 2);
}

const std::uint16_t* IDirectDrawSurface::Row(int y) const {
  return pixels_.data() + static_cast<std::size_t>(y) * (pitchBytes_ / 2);
}

std::uint16_t IDirectDrawSurface::PixelAt(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
  return Row(y)[x];
}

namespace {

// Keyed copies leave the destination where the source holds the key. Every
// frame's canvas goes through here, so pixels are compared a group at a time
// (the compilers' portable vector types): sixteen where rows are long,
// eight for the 13-pixel pictures of the maze.
using Lanes = std::uint16_t __attribute__((vector_size(16)));
using WideLanes = std::uint16_t __attribute__((vector_size(32)));

// Groups go by reference only: passed by value, 32-byte ones would depend
// on the processor's calling convention.
template <typename Group>
[[gnu::always_inline]] inline void LoadGroup(Group& group, const std::uint16_t* from) {
  std::memcpy(&group, from, sizeof group);
}

// dest takes the source's pixels wherever they are not the key.
template <typename Group>
[[gnu::always_inline]] inline void MergeKeyed(Group& dest, const Group& source, std::uint16_t key) {
  const Group keep = reinterpret_cast<Group>(source == key);
  dest = (source & ~keep) | (dest & keep);
}

// The last pixels go as one more group that overlaps the one before:
// copying a source pixel twice gives the same result, so no row takes a
// pixel-by-pixel path. That group is read before anything is written,
// because reading back half of a store just made stalls the processor for
// many cycles.
template <typename Group>
[[gnu::always_inline]] inline void KeyedGroupsCopy(std::uint16_t* to, const std::uint16_t* from, int width,
                                                   std::uint16_t key) {
  constexpr int kGroup = sizeof(Group) / 2;
  const int tail = width - kGroup;
  Group source;
  Group last;
  LoadGroup(source, from + tail);
  LoadGroup(last, to + tail);
  MergeKeyed(last, source, key);
  for (int column = 0; column + kGroup <= width; column += kGroup) {
    Group merged;
    LoadGroup(source, from + column);
    LoadGroup(merged, to + column);
    MergeKeyed(merged, source, key);
    std::memcpy(to + column, &merged, sizeof merged);
  }
  std::memcpy(to + tail, &last, sizeof last);
}

// Where the processor has wider registers the loader picks a copy of this
// built for them, once per program.
#if defined(__x86_64__) && defined(__linux__)
#define CHOMPO_WIDE_VERSIONS __attribute__((target_clones("avx2", "default")))
#else
#define CHOMPO_WIDE_VERSIONS
#endif

CHOMPO_WIDE_VERSIONS
void KeyedRowsCopy(std::uint16_t* to, std::ptrdiff_t toStride, const std::uint16_t* from,
                   std::ptrdiff_t fromStride, int width, int height, std::uint16_t key) {
  for (int row = 0; row < height; ++row) {
    std::uint16_t* rowTo = to + row * toStride;
    const std::uint16_t* rowFrom = from + row * fromStride;
    if (width >= 16) {
      KeyedGroupsCopy<WideLanes>(rowTo, rowFrom, width, key);
    } else if (width >= 8) {
      KeyedGroupsCopy<Lanes>(rowTo, rowFrom, width, key);
    } else {
      for (int column = 0; column < width; ++column) {
        if (rowFrom[column] != key) rowTo[column] = rowFrom[column];
      }
    }
  }
}

// Fills go a group at a time too, the last pixels as one more group that
// overlaps the one before. Rows that follow one another without padding
// are filled as one long row.
template <typename Group>
[[gnu::always_inline]] inline void FillGroups(std::uint16_t* to, std::size_t count, std::uint16_t value) {
  constexpr std::size_t kGroup = sizeof(Group) / 2;
  const Group group = Group{} + value;
  for (std::size_t at = 0; at + kGroup <= count; at += kGroup) std::memcpy(to + at, &group, sizeof group);
  std::memcpy(to + count - kGroup, &group, sizeof group);
}

CHOMPO_WIDE_VERSIONS
void FillRows(std::uint16_t* to, std::ptrdiff_t stride, std::size_t width, int height, std::uint16_t value) {
  if (stride == static_cast<std::ptrdiff_t>(width)) {
    width *= static_cast<std::size_t>(height);
    height = 1;
  }
  for (int row = 0; row < height; ++row) {
    std::uint16_t* rowTo = to + row * stride;
    if (width >= 16) {
      FillGroups<WideLanes>(rowTo, width, value);
    } else if (width >= 8) {
      FillGroups<Lanes>(rowTo, width, value);
    } else {
      std::fill_n(rowTo, width, value);
    }
  }
}

void MirroredRowCopy(std::uint16_t* to, const std::uint16_t* from, int width, bool keyed, std::uint16_t key) {
  for (int column = 0; column < width; ++column) {
    const std::uint16_t value = from[width - 1 - column];
    if (!keyed || value != key) to[column] = value;
  }
}

// Does the copy the plan describes from source rows to destination rows.
// The kind of row copy is chosen once, outside the row loop: most copies
// are a maze cell's 13 rows, where per-row choices cost as much as the
// pixels.
void RunCopy(const CopyPlan& plan, const std::uint16_t* sourceBase, int sourcePitch, std::uint16_t* destBase,
             int destPitch) {
  const std::ptrdiff_t destStride = destPitch / 2;
  std::ptrdiff_t sourceStride = sourcePitch / 2;
  const std::uint16_t* firstFrom = sourceBase + plan.sourceY * sourceStride + plan.sourceX;
  if (plan.mirrorUpDown) {
    firstFrom += (plan.height - 1) * sourceStride;
    sourceStride = -sourceStride;
  }
  std::uint16_t* firstTo = destBase + plan.destY * destStride + plan.destX;
  const auto from = [&](int row) { return firstFrom + row * sourceStride; };
  const auto to = [&](int row) { return firstTo + row * destStride; };
  const int width = plan.width;
  const std::uint16_t key = plan.key;
  if (plan.mirrorLeftRight) {
    for (int row = 0; row < plan.height; ++row) MirroredRowCopy(to(row), from(row), width, plan.keyed, key);
  } else if (!plan.keyed) {
    const auto rowBytes = static_cast<std::size_t>(width) * 2;
    for (int row = 0; row < plan.height; ++row) std::memcpy(to(row), from(row), rowBytes);
  } else {
    KeyedRowsCopy(firstTo, destStride, firstFrom, sourceStride, width, plan.height, key);
  }
}

// Runs the plan between two surfaces' pixels. Source rows are read through
// a private copy when both are one surface, so overlapping rectangles still
// copy what was there before.
void CopyPixels(const CopyPlan& plan, const std::vector<std::uint16_t>& source, int sourcePitch,
                std::vector<std::uint16_t>& dest, int destPitch) {
  if (&source == &dest) {
    // NOLINTNEXTLINE(performance-unnecessary-copy-initialization): source is dest, which the copy changes.
    const std::vector<std::uint16_t> before = source;
    RunCopy(plan, before.data(), sourcePitch, dest.data(), destPitch);
  } else {
    RunCopy(plan, source.data(), sourcePitch, dest.data(), destPitch);
  }
}

}  // namespace

HRESULT IDirectDrawSurface::Blt(RECT* destRect, IDirectDrawSurface* source, RECT* sourceRect, DWORD flags,
                                DDBLTFX* fx) {
  platform::EnterCall();
  const Span dest = SpanOf(destRect, width_, height_);
  if (!LiesWithin(dest, width_, height_)) return DDERR_INVALIDRECT;

  if ((flags & DDBLT_COLORFILL) != 0) {
    if (fx == nullptr) return DDERR_INVALIDPARAMS;
    FillRows(RowPtr(static_cast<int>(dest.top)) + dest.left, pitchBytes_ / 2,
             static_cast<std::size_t>(dest.Width()), static_cast<int>(dest.Height()),
             static_cast<std::uint16_t>(fx->dwFillColor));
    return DD_OK;
  }

  if (source == nullptr) return DDERR_INVALIDPARAMS;
  if ((flags & DDBLT_DDFX) != 0 && fx == nullptr) return DDERR_INVALIDPARAMS;
  const Span from = SpanOf(sourceRect, source->width_, source->height_);
  if (!LiesWithin(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
  if (from.Width() != dest.Width() || from.Height() != dest.Height())
    return DDERR_UNSUPPORTED;  // no stretching

  const DWORD effects = (flags & DDBLT_DDFX) != 0 ? fx->dwDDFX : 0;
  const CopyPlan plan =
      PlanCopy(dest, from, (flags & DDBLT_KEYSRC) != 0 && source->hasSourceKey_, source->sourceKey_,
               (effects & DDBLTFX_MIRRORLEFTRIGHT) != 0, (effects & DDBLTFX_MIRRORUPDOWN) != 0);
  CopyPixels(plan, source->pixels_, source->pitchBytes_, pixels_, pitchBytes_);
  return DD_OK;
}

HRESULT IDirectDrawSurface::BltFast(DWORD x, DWORD y, IDirectDrawSurface* source, RECT* sourceRect,
                                    DWORD trans) {
  platform::EnterCall();
  if (source == nullptr) return DDERR_INVALIDPARAMS;
  const Span from = SpanOf(sourceRect, source->width_, source->height_);
  if (!LiesWithin(from, source->width_, source->height_)) return DDERR_INVALIDRECT;
  // No clipping: a picture that does not fit is not drawn at all.
  const Span dest{x, y, static_cast<long long>(x) + from.Width(), static_cast<long long>(y) + from.Height()};
  if (!LiesWithin(dest, width_, height_)) return DDERR_INVALIDRECT;

  const CopyPlan plan =
      PlanCopy(dest, from, (trans & DDBLTFAST_SRCCOLORKEY) != 0 && source->hasSourceKey_, source->sourceKey_);
  CopyPixels(plan, source->pixels_, source->pitchBytes_, pixels_, pitchBytes_);
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetAttachedSurface(DDSCAPS* caps, IDirectDrawSurface** attached) {
  platform::EnterCall();
  if (attached == nullptr) return DDERR_INVALIDPARAMS;
  *attached = nullptr;
  if (caps == nullptr || (caps->dwCaps & DDSCAPS_BACKBUFFER) == 0 || backBuffer_ == nullptr) {
    return DDERR_NOTFOUND;
  }
  *attached = backBuffer_;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Flip(IDirectDrawSurface* /*target*/, DWORD /*flags*/) {
  platform::Backend& backend = platform::EnterCall();
  if (!primary_ || backBuffer_ == nullptr) return DDERR_INVALIDPARAMS;
  const platform::FrameView frame{backBuffer_->pixels_.data(), width_, height_, pitchBytes_, is565_};
  backend.Present(frame);
  backend.Idle();
  return DD_OK;
}

void IDirectDrawSurface::Describe() {
  DDSURFACEDESC* desc = &described_;
  desc->dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PITCH | DDSD_PIXELFORMAT;
  desc->dwHeight = static_cast<DWORD>(height_);
  desc->dwWidth = static_cast<DWORD>(width_);
  desc->lPitch = pitchBytes_;
  desc->dwBackBufferCount = primary_ ? 1 : 0;
  desc->lpSurface = nullptr;
  desc->ddckCKSrcBlt = {sourceKey_, sourceKey_};
  DDPIXELFORMAT& format = desc->ddpfPixelFormat;
  format = {};
  format.dwSize = sizeof(DDPIXELFORMAT);
  format.dwFlags = DDPF_RGB;
  format.dwRGBBitCount = 16;
  const formats::PixelFormat& layout = is565_ ? formats::kRgb565 : formats::kRgb555;
  format.dwRBitMask = layout.redMask;
  format.dwGBitMask = layout.greenMask;
  format.dwBBitMask = layout.blueMask;
  if (primary_) {
    desc->ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  } else if (attached_) {
    desc->ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  } else {
    desc->ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
  }
}

// Every field but dwSize, which stays the caller's.
void IDirectDrawSurface::FillDesc(DDSURFACEDESC* desc) const {
  const DWORD size = desc->dwSize;
  *desc = described_;
  desc->dwSize = size;
}

HRESULT IDirectDrawSurface::Lock(RECT* rect, DDSURFACEDESC* desc, DWORD /*flags*/, void* /*event*/) {
  platform::EnterCall();
  if (desc == nullptr) return DDERR_INVALIDPARAMS;
  std::uint16_t* first = pixels_.data();
  if (rect != nullptr) {
    const Span area = SpanOf(rect, width_, height_);
    if (!LiesWithin(area, width_, height_)) return DDERR_INVALIDRECT;
    first = RowPtr(static_cast<int>(area.top)) + area.left;
  }
  FillDesc(desc);
  desc->dwFlags = described_.dwFlags | DDSD_LPSURFACE;
  desc->lpSurface = first;
  return DD_OK;
}

HRESULT IDirectDrawSurface::Unlock(void* /*rect*/) {
  platform::EnterCall();
  return DD_OK;
}

HRESULT IDirectDrawSurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  platform::EnterCall();
  if (flags != DDCKEY_SRCBLT) return DDERR_UNSUPPORTED;
  if (key == nullptr) {
    hasSourceKey_ = false;
    return DD_OK;
  }
  // One colour, not a range: the low value is the key.
  hasSourceKey_ = true;
  sourceKey_ = static_cast<std::uint16_t>(key->dwColorSpaceLowValue);
  Describe();
  return DD_OK;
}

HRESULT IDirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC* desc) {
  platform::EnterCall();
  if (desc == nullptr) return DDERR_INVALIDPARAMS;
  FillDesc(desc);
  return DD_OK;
}

ULONG IDirectDrawSurface::AddRef() {
  platform::EnterCall();
  if (attached_) return 1;
  return ++refs_;
}

ULONG IDirectDrawSurface::Release() {
  platform::EnterCall();
  if (attached_) return 1;
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}
