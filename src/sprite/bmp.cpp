// Reading 24-bit uncompressed BMP files into a Sprite. Files that this
// narrow reader could not show correctly are refused whole rather than shown
// garbled or read past their end.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "platform/win32.h"
#include "sprite/sprite.h"

namespace {

constexpr WORD kBmpSignature = 0x4D42;  // "BM"
constexpr DWORD kHeadersSize = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader);
constexpr LONG kMaxSide = 4096;
constexpr WORD kBitsPerPixel = 24;
constexpr DWORD kUncompressed = 0;

class FileCloser {
 public:
  explicit FileCloser(HFILE file) : file_(file) {}
  ~FileCloser() { Close(); }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;
  void Close() {
    if (file_ != HFILE_ERROR) {
      _lclose(file_);
      file_ = HFILE_ERROR;
    }
  }

 private:
  HFILE file_;
};

// Bytes per file row: 3 per pixel, padded to a multiple of 4.
std::uint32_t Stride(LONG width) { return (static_cast<std::uint32_t>(width) * 3 + 3) & ~3u; }

bool HeadersAcceptable(const BitmapFileHeader& file, const BitmapInfoHeader& info) {
  return file.bfSize >= kHeadersSize && info.biWidth > 0 && info.biHeight > 0 && info.biWidth <= kMaxSide &&
         info.biHeight <= kMaxSide && info.biBitCount == kBitsPerPixel && info.biCompression == kUncompressed;
}

// Where the pixel rows start inside the data that follow the two headers:
// longer info headers (108 or 124 bytes) push them further in.
std::uint32_t PixelStart(const BitmapFileHeader& file) {
  if (file.bfOffBits >= kHeadersSize && file.bfOffBits < file.bfSize) {
    return file.bfOffBits - kHeadersSize;
  }
  return 0;
}

// Reads and drops count bytes; false when the file ends first.
bool Skip(HFILE handle, std::uint32_t count) {
  std::uint8_t scratch[4096];
  while (count > 0) {
    const UINT chunk = std::min<std::uint32_t>(count, sizeof(scratch));
    if (_lread(handle, scratch, chunk) != chunk) {
      return false;
    }
    count -= chunk;
  }
  return true;
}

}  // namespace

bool Sprite::LoadBmp(IDirectDraw* directDraw, const char* path) {
  Release();
  if (path == nullptr) {
    return false;
  }
  const HFILE handle = _lopen(path, OF_READ);
  if (handle == HFILE_ERROR) {
    return false;
  }
  FileCloser file(handle);

  std::memset(&fileHeader, 0, sizeof(fileHeader));
  std::memset(&infoHeader, 0, sizeof(infoHeader));
  if (_lread(handle, &fileHeader, sizeof(fileHeader)) != sizeof(fileHeader) ||
      fileHeader.bfType != kBmpSignature) {
    return false;
  }
  if (_lread(handle, &infoHeader, sizeof(infoHeader)) != sizeof(infoHeader) ||
      !HeadersAcceptable(fileHeader, infoHeader)) {
    return false;
  }

  const std::uint32_t dataSize = fileHeader.bfSize - kHeadersSize;
  const std::uint32_t w = static_cast<std::uint32_t>(infoHeader.biWidth);
  const std::uint32_t h = static_cast<std::uint32_t>(infoHeader.biHeight);
  const std::uint32_t stride = Stride(infoHeader.biWidth);
  const std::uint32_t start = PixelStart(fileHeader);
  // At most 4096 x 12288 bytes: no overflow in 32 bits.
  if (dataSize - start < stride * h) {
    return false;
  }

  // Only the pixel rows are kept; the bytes the header claims before and
  // after them are read through a small scratch buffer, so a file that ends
  // early is refused without a buffer of the claimed size.
  const std::uint32_t pixelBytes = stride * h;
  if (!Skip(handle, start)) {
    return false;
  }
  std::unique_ptr<std::uint8_t[]> data(new (std::nothrow) std::uint8_t[pixelBytes]);
  if (!data || _lread(handle, data.get(), pixelBytes) != pixelBytes ||
      !Skip(handle, dataSize - start - pixelBytes)) {
    return false;
  }
  file.Close();

  // Top row first, padding dropped.
  const std::uint32_t rowBytes = 3 * w;
  rgbPixels = new (std::nothrow) std::uint8_t[rowBytes * h];
  if (rgbPixels == nullptr) {
    return false;
  }
  for (std::uint32_t row = 0; row < h; ++row) {
    std::memcpy(rgbPixels + row * rowBytes, data.get() + (h - 1 - row) * stride, rowBytes);
  }
  data.reset();

  const bool created = Create(directDraw, infoHeader.biWidth, infoHeader.biHeight);
  if (created) {
    auto* pixels = static_cast<std::uint8_t*>(Lock());
    if (pixels != nullptr) {
      const bool is555 = pixelFormat == 555;
      const std::uint32_t rows = std::min<std::uint32_t>(h, surfaceDesc.dwHeight);
      const std::uint32_t columns = std::min<std::uint32_t>(w, surfaceDesc.dwWidth);
      for (std::uint32_t row = 0; row < rows; ++row) {
        const std::uint8_t* in = rgbPixels + row * rowBytes;
        auto* out =
            reinterpret_cast<std::uint16_t*>(pixels + static_cast<std::size_t>(row) * surfaceDesc.lPitch);
        for (std::uint32_t column = 0; column < columns; ++column, in += 3) {
          // Low bits are dropped exactly as ColorToPixel drops them, so the
          // key colour of the file becomes the key value of the surface.
          const unsigned blue = in[0];
          const unsigned green = in[1];
          const unsigned red = in[2];
          unsigned value;
          if (is555) {
            value =
                (((red >> 3) << 10) & redMask) | (((green >> 3) << 5) & greenMask) | ((blue >> 3) & blueMask);
          } else {
            value =
                (((red >> 3) << 11) & redMask) | (((green >> 2) << 5) & greenMask) | ((blue >> 3) & blueMask);
          }
          out[column] = static_cast<std::uint16_t>(value);
        }
      }
      Unlock();
    }
  }
  delete[] rgbPixels;
  rgbPixels = nullptr;
  return created;
}

void Sprite::LoadNumbered(IDirectDraw* directDraw, std::span<Sprite> pictures, const char* pattern) {
  char name[64];
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    wsprintfA(name, pattern, static_cast<int>(i + 1));
    pictures[i].LoadBmp(directDraw, name);
  }
}
