// Writing the small files the platform keeps (the best score, the settings,
// a recording): whole writes, and a file replaced whole or not at all.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace platform {

// Temporary files are named after the file they replace and the process
// that made them, so leftovers of a killed save can be told apart.
inline constexpr char kTempInfix[] = ".tmp-";

// The folder a path names its file in ("." for a bare name).
std::string FolderOf(const std::string& path);

// open(2), tried again when a signal interrupts it.
int OpenRetrying(const char* path, int flags, mode_t mode = 0);

// Writes every byte; false with errno set when the file takes no more.
bool WriteAll(int fd, const void* bytes, std::size_t count);

// The mode a new ordinary file gets under the process's umask.
mode_t NewFileMode();

// Puts the bytes in place of target (in folder), whole or not at all: they
// go to a new file that takes target's name only once it is on the disk,
// then the new name itself is made to last. Where the system offers files
// without a name one is used, so a killed write leaves nothing behind;
// otherwise the file is made as target + kTempInfix + the process id. False
// with the reason (the system's words) when it could not.
bool ReplaceWhole(const std::string& folder, const std::string& target, const void* bytes, std::size_t count,
                  mode_t mode, std::string& reason);

}  // namespace platform
