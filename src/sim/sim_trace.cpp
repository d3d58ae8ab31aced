#include "sim/sim_trace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace sim {

namespace {

// Appends with printf formatting; the lines are short and bounded.
template <typename... Args>
void Append(std::string& out, const char* format, Args... args) {
  char buffer[160];
  const int length = std::snprintf(buffer, sizeof buffer, format, args...);
  if (length > 0) {
    out.append(buffer, static_cast<std::size_t>(length) < sizeof buffer ? static_cast<std::size_t>(length)
                                                                        : sizeof buffer - 1);
  }
}

void AppendActor(std::string& out, const ActorRecord& actor, bool withModeTimer) {
  Append(out, "{\"x\":%" PRId32 ",\"y\":%" PRId32 ",\"direction\":%" PRId32 ",\"state\":%" PRId32, actor.x,
         actor.y, actor.direction, actor.state);
  if (withModeTimer) {
    Append(out, ",\"modeStart\":%" PRIu32 ",\"modeDuration\":%" PRIu32, actor.modeStart, actor.modeDuration);
  }
  out += '}';
}

}  // namespace

std::string StateLine(std::uint32_t time, std::int32_t from, std::int32_t to) {
  std::string line;
  Append(line, "{\"t\":%" PRIu32 ",\"event\":\"state\",\"from\":%" PRId32 ",\"to\":%" PRId32 "}", time, from,
         to);
  return line;
}

std::string FrameLine(const FrameRecord& frame) {
  std::string line;
  line.reserve(640);
  Append(line,
         "{\"t\":%" PRIu32 ",\"event\":\"frame\",\"state\":%" PRId32 ",\"stage\":%" PRId32
         ",\"score\":%" PRId32 ",\"highScore\":%" PRId32,
         frame.time, frame.state, frame.stage, frame.score, frame.highScore);
  Append(line,
         ",\"lives\":%" PRId32 ",\"extraLifeBase\":%" PRId32 ",\"dotCount\":%" PRId32 ",\"combo\":%" PRIu32
         ",\"rng\":%" PRIu32,
         frame.lives, frame.extraLifeBase, frame.dotCount, frame.combo, frame.rng);
  if (frame.keysRead) {
    Append(line, ",\"keys\":{\"left\":%d,\"right\":%d,\"up\":%d,\"down\":%d,\"escape\":%d}",
           frame.left ? 1 : 0, frame.right ? 1 : 0, frame.up ? 1 : 0, frame.down ? 1 : 0,
           frame.escape ? 1 : 0);
  } else {
    line += ",\"keys\":null";
  }
  line += ",\"player\":";
  AppendActor(line, frame.player, false);
  line += ",\"ghosts\":[";
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      line += ',';
    }
    AppendActor(line, frame.ghosts[i], true);
  }
  line += "]}";
  return line;
}

std::string ExitLine(std::uint32_t time, int code) {
  std::string line;
  Append(line, "{\"t\":%" PRIu32 ",\"event\":\"exit\",\"code\":%d}", time, code);
  return line;
}

TraceWriter::~TraceWriter() { Close(); }

bool TraceWriter::Open(const std::string& path) {
  Close();
  error_.clear();
  do {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) error_ = std::strerror(errno);
  return fd_ >= 0;
}

bool TraceWriter::Write(const std::string& line) {
  if (fd_ < 0) {
    return true;
  }
  const std::string text = line + '\n';
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t written = ::write(fd_, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      error_ = written == 0 ? "nothing written" : std::strerror(errno);
      ::close(fd_);
      fd_ = -1;
      return false;
    }
    done += static_cast<std::size_t>(written);
  }
  return true;
}

bool TraceWriter::Close() {
  if (fd_ < 0) {
    return true;
  }
  const bool closed = ::close(fd_) == 0;
  if (!closed) {
    error_ = std::strerror(errno);
  }
  fd_ = -1;
  return closed;
}

}  // namespace sim
