#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file_places.h"
#include "platform/replay/recording_format.h"

namespace platform::replay {
namespace {

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ull;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ull;

void Mix(std::uint64_t& hash, const std::uint8_t* bytes, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    hash ^= bytes[i];
    hash *= kFnvPrime;
  }
}

void MixNumber(std::uint64_t& hash, std::uint64_t value) {
  std::uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
  Mix(hash, bytes, sizeof bytes);
}

}  // namespace

std::uint64_t DataSetChecksum(const std::string& folder, const std::vector<std::string>& names) {
  std::uint64_t hash = kFnvOffset;
  for (const std::string& name : names) {
    Mix(hash, reinterpret_cast<const std::uint8_t*>(name.c_str()), name.size() + 1);
    int fd;
    do {
      fd = ::open(InFolder(folder, name.c_str()).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      MixNumber(hash, ~std::uint64_t{0});
      continue;
    }
    std::uint64_t size = 0;
    std::uint8_t buffer[64 * 1024];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      Mix(hash, buffer, static_cast<std::size_t>(got));
      size += static_cast<std::uint64_t>(got);
    }
    ::close(fd);
    MixNumber(hash, size);
  }
  return hash;
}

}  // namespace platform::replay
