// Whole files read and written in one call, and numbers put into bytes the
// way the game's files hold them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace support {

using Bytes = std::vector<std::uint8_t>;

// Empty when the file cannot be read.
Bytes ReadBytes(const std::string& path);
std::string ReadText(const std::string& path);

// False when the file could not be written whole.
bool WriteBytes(const std::string& path, const void* data, std::size_t size);
inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
  return WriteBytes(path, bytes.data(), bytes.size());
}
inline bool WriteText(const std::string& path, std::string_view text) {
  return WriteBytes(path, text.data(), text.size());
}

// Appends the low `size` bytes of value, least significant first.
template <typename Out>
void PutLe(Out& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<typename Out::value_type>(value >> (8 * i)));
}

}  // namespace support
