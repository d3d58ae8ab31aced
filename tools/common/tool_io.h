// File helpers for the data tools.
#pragma once

#include <cstdint>
#include <cstdio>
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

// A text source read as lines; on failure one line on stderr, "TOOL: REASON".
bool ReadSourceLines(const char* toolName, const std::string& path, std::vector<std::string>& lines);

// Says each fault a source's parser found (anything with `line` and
// `message`) as "TOOL: FILE line N: MESSAGE".
template <class Fault>
void ReportLineFaults(const char* toolName, const std::string& path, const std::vector<Fault>& faults) {
  for (const Fault& fault : faults) {
    std::fprintf(stderr, "%s: %s line %d: %s\n", toolName, BaseName(path).c_str(), fault.line,
                 fault.message.c_str());
  }
}

}  // namespace tool
