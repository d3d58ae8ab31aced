// File helpers for the data tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

using Bytes = std::vector<std::uint8_t>;

void AppendU8(Bytes& out, std::uint8_t value);
void AppendU16(Bytes& out, std::uint16_t value);
void AppendU32(Bytes& out, std::uint32_t value);
void AppendI32(Bytes& out, std::int32_t value);
void AppendText(Bytes& out, const std::string& text);

// Writes through a temporary file in the same folder and renames it over the
// target, so a failed run leaves the previous file (or none) in place.
bool WriteFileAtomically(const std::string& path, const Bytes& bytes, std::string& error);

// Reads a text file as lines without their line ends ("\n" or "\r\n").
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines, std::string& error);

// The file name without its folders, for messages and default names.
std::string BaseName(const std::string& path);

}  // namespace tool
