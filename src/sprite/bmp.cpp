// Reading 24-bit uncompressed BMP files into a Sprite. Files that this
// narrow reader could not show correctly are refused whole rather than shown
// garbled or read past their end.
#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "formats/bmp_file.h"
#include "formats/pixel_format.h"
#include "platform/win32.h"
#include "sprite/sprite.h"

namespace {

using formats::kBmpHeadersBytes;
constexpr LONG kMaxSide = 4096;

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

bool HeadersAcceptable(const BitmapFileHeader& file, const BitmapInfoHeader& info) {
  return file.bfSize >= kBmpHeadersBytes && info.biWidth > 0 && info.biHeight > 0 &&
         info.biWidth <= kMaxSide && info.biHeight <= kMaxSide &&
         info.biBitCount == formats::kBmpBitsPerPixel && info.biCompression == formats::kBmpUncompressed;
}

// Where the pixel rows start inside the data that follow the two headers:
// longer info headers (108 or 124 bytes) push them further in.
std::uint32_t PixelStart(const BitmapFileHeader& file) {
  if (file.bfOffBits >= kBmpHeadersBytes && file.bfOffBits < file.bfSize) {
    return file.bfOffBits - kBmpHeadersBytes;
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
      fileHeader.bfType != formats::kBmpSignature) {
    return false;
  }
  if (_lread(handle, &infoHeader, sizeof(infoHeader)) != sizeof(infoHeader) ||
      !HeadersAcceptable(fileHeader, infoHeader)) {
    return false;
  }

  const std::uint32_t dataSize = fileHeader.bfSize - kBmpHeadersBytes;
  const std::uint32_t w = static_cast<std::uint32_t>(infoHeader.biWidth);
  const std::uint32_t h = static_cast<std::uint32_t>(infoHeader.biHeight);
  const std::uint32_t stride = formats::BmpStride(w);
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
      const formats::PixelFormat& format =
          pixelFormat == formats::kRgb555.number ? formats::kRgb555 : formats::kRgb565;
      const std::uint32_t rows = std::min<std::uint32_t>(h, surfaceDesc.dwHeight);
      const std::uint32_t columns = std::min<std::uint32_t>(w, surfaceDesc.dwWidth);
      for (std::uint32_t row = 0; row < rows; ++row) {
        const std::uint8_t* in = rgbPixels + row * rowBytes;
        auto* out =
            reinterpret_cast<std::uint16_t*>(pixels + static_cast<std::size_t>(row) * surfaceDesc.lPitch);
        for (std::uint32_t column = 0; column < columns; ++column, in += 3) {
          // The fields ColorToPixel packs, low bits dropped alike, so the key
          // colour of the file becomes the key value of the surface.
          const std::uint32_t value = (formats::RedField(format, in[2]) & redMask) |
                                      (formats::GreenField(format, in[1]) & greenMask) |
                                      (formats::BlueField(in[0]) & blueMask);
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
