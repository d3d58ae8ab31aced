#include "tool_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "formats/little_endian.h"

namespace tool {

void AppendU8(Bytes& out, std::uint8_t value) { out.push_back(value); }

void AppendU16(Bytes& out, std::uint16_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void AppendU32(Bytes& out, std::uint32_t value) {
  std::uint8_t bytes[4];
  formats::StoreLe32(value, bytes);
  out.insert(out.end(), bytes, bytes + 4);
}

void AppendI32(Bytes& out, std::int32_t value) { AppendU32(out, static_cast<std::uint32_t>(value)); }

void AppendText(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string& error) {
  const std::string temporary = path + ".part";
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    error = "cannot create " + temporary + ": " + std::strerror(errno);
    return false;
  }
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    error = "cannot write " + temporary;
    std::remove(temporary.c_str());
    return false;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    error = "cannot rename " + temporary + " to " + path + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  lines.clear();
  std::string line;
  bool pending = false;
  int c = 0;
  while ((c = std::fgetc(file)) != EOF) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
      pending = false;
    } else {
      line.push_back(static_cast<char>(c));
      pending = true;
    }
  }
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = "cannot read " + path;
    return false;
  }
  if (pending) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return true;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool ReadSourceLines(const char* toolName, const std::string& path, std::vector<std::string>& lines) {
  std::string error;
  if (ReadTextLines(path, lines, error)) return true;
  std::fprintf(stderr, "%s: %s\n", toolName, error.c_str());
  return false;
}

}  // namespace tool
