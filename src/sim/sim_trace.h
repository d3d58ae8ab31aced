// The trace: JSON Lines, one object a line, each handed to the system as it
// is written so that a run that crashes keeps everything up to the crash.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct ActorRecord {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t direction = 0;
  std::int32_t state = 0;
  std::uint32_t modeStart = 0;
  std::uint32_t modeDuration = 0;
};

// What one play frame left behind.
struct FrameRecord {
  std::uint32_t time = 0;  // the reading the frame gate took
  std::int32_t state = 0;
  std::int32_t stage = 0;
  std::int32_t score = 0;
  std::int32_t highScore = 0;
  std::int32_t lives = 0;
  std::int32_t extraLifeBase = 0;
  std::int32_t dotCount = 0;
  std::uint32_t combo = 0;
  std::uint32_t rng = 0;
  bool keysRead = false;  // false: the frame ended before reading input
  bool left = false;
  bool right = false;
  bool up = false;
  bool down = false;
  bool escape = false;
  ActorRecord player;  // modeStart and modeDuration are not written for it
  ActorRecord ghosts[4];
};

std::string StateLine(std::uint32_t time, std::int32_t from, std::int32_t to);
std::string FrameLine(const FrameRecord& frame);
std::string ExitLine(std::uint32_t time, int code);

class TraceWriter {
 public:
  TraceWriter() = default;
  ~TraceWriter();
  TraceWriter(const TraceWriter&) = delete;
  TraceWriter& operator=(const TraceWriter&) = delete;

  // Creates or empties the file.
  bool Open(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // Writes the line and a newline at once. Does nothing when closed. False
  // when the line did not reach the file whole: the file is then closed and
  // error() says why.
  bool Write(const std::string& line);
  // False, with the reason in error(), when the system reports a failure on
  // closing.
  bool Close();
  const std::string& error() const { return error_; }

 private:
  int fd_ = -1;
  std::string error_;
};

}  // namespace sim
