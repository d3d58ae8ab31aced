#include "platform/replay/recorder.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "platform/core/file_writing.h"

namespace platform::replay {
namespace {

// A session's clock second: how long what was recorded may wait for the file.
constexpr std::uint32_t kFlushEveryMs = 1000;

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction savedActions[std::size(kCrashSignals)];
RecordingBackend* crashRecorder = nullptr;
volatile std::sig_atomic_t crashing = 0;
// A crash signal sent from outside while an item was being written: taken
// once the write is done.
volatile std::sig_atomic_t deferredSignal = 0;

}  // namespace

struct RecordingBackend::Session {
  explicit Session(std::uint32_t startClock)
      : writer(startClock), lastClock(startClock), lastFlush(startClock) {}

  BodyWriter writer;
  std::uint32_t lastClock;
  std::uint32_t lastFlush;
  std::uint64_t calls = 0;          // calls entered so far
  std::uint64_t lastTarget = 0;     // the call of the last post or clock move
  std::vector<std::uint64_t> open;  // the calls under way, innermost last
  std::vector<Call> openKinds;
  volatile bool writing = false;  // inside the writer: a crash there waits for it
};

// Numbers each call, so posted input can say which call it came in.
class RecordingBackend::CallScope {
 public:
  CallScope(const RecordingBackend& recorder, Call call) : session_(*recorder.session_) {
    session_.open.push_back(++session_.calls);
    session_.openKinds.push_back(call);
  }
  ~CallScope() {
    session_.open.pop_back();
    session_.openKinds.pop_back();
  }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  Session& session_;
};

namespace {}  // namespace

RecordingBackend::RecordingBackend(Backend& inner, const std::string& path, Header header) : inner_(inner) {
  SetNoteEveryCall(true);
  header.startClock = inner_.ReadClockQuietly();
  session_ = std::make_unique<Session>(header.startClock);
  do {
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  } while (fd_ < 0 && errno == EINTR);
  if (fd_ < 0) {
    error_ = "cannot write the recording " + path + ": " + std::strerror(errno);
    return;
  }
  const std::vector<std::uint8_t> bytes = EncodeHeader(header);
  if (!WriteAll(fd_, bytes.data(), bytes.size())) {
    error_ = "cannot write the recording " + path + ": " + std::strerror(errno);
    ::close(fd_);
    fd_ = -1;
  }
}

RecordingBackend::~RecordingBackend() {
  if (crashRecorder == this) crashRecorder = nullptr;
  if (fd_ >= 0) ::close(fd_);
}

void RecordingBackend::Start() {
  if (fd_ < 0) return;
  SetInputTap(this);
  crashRecorder = this;
  struct sigaction action {};
  action.sa_handler = &RecordingBackend::OnCrash;
  sigemptyset(&action.sa_mask);
  for (std::size_t i = 0; i < std::size(kCrashSignals); ++i)
    sigaction(kCrashSignals[i], &action, &savedActions[i]);
}

// Whatever was recorded goes to the file, then the signal does what it did
// before: a crashed session replays up to its crash.
void RecordingBackend::OnCrash(int signal) {
  RecordingBackend* recorder = crashRecorder;
  if (recorder != nullptr && crashing == 0 && recorder->fd_ >= 0) {
    if (recorder->session_->writing) {
      // Sent from outside, it waits for the write to end (AfterWrite); a
      // fault of the writer's own comes straight back and ends it unwritten.
      if (deferredSignal == 0) {
        deferredSignal = signal;
        return;
      }
    } else {
      crashing = 1;
      std::vector<std::uint8_t>& pending = recorder->session_->writer.output();
      WriteAll(recorder->fd_, pending.data(), pending.size());
      recorder->session_->writer.EmergencyFlush(recorder->fd_);
    }
  }
  for (std::size_t i = 0; i < std::size(kCrashSignals); ++i) {
    if (kCrashSignals[i] == signal) sigaction(signal, &savedActions[i], nullptr);
  }
  std::raise(signal);
}

void RecordingBackend::AfterWrite() const {
  session_->writing = false;
  if (deferredSignal != 0) OnCrash(deferredSignal);
}

void RecordingBackend::Finish(int exitCode, Item::Ending ending) {
  if (finished_) return;
  if (fd_ >= 0) {
    Item item;
    item.kind = Item::Kind::Exit;
    item.ending = ending;
    item.value = exitCode;
    item.clock = inner_.ReadClockQuietly();
    Session& session = *session_;
    session.writing = true;
    session.writer.Add(item);
    session.writer.Finish();
    std::vector<std::uint8_t>& out = session.writer.output();
    if (!WriteAll(fd_, out.data(), out.size())) {
      std::fprintf(stderr, "chompo: the recording's end could not be written: %s\n", std::strerror(errno));
    }
    out.clear();
    ::close(fd_);
    fd_ = -1;
    AfterWrite();
  }
  finished_ = true;
  if (crashRecorder == this) crashRecorder = nullptr;
  SetInputTap(nullptr);
}

// Items go to the writer; its output goes to the file as deflate gives it,
// and at least once a clock second.
void RecordingBackend::Add(const Item& item) const {
  if (fd_ < 0) return;
  Session& session = *session_;
  session.writing = true;
  session.writer.Add(item);
  if (item.kind <= Item::Kind::ClockAfter) {
    session.lastClock = item.clock;
    if (item.clock - session.lastFlush >= kFlushEveryMs) {
      session.writer.Flush();
      session.lastFlush = item.clock;
    }
  }
  std::vector<std::uint8_t>& out = session.writer.output();
  if (!out.empty() && !WriteAll(fd_, out.data(), out.size())) {
    std::fprintf(stderr, "chompo: the recording stopped: %s\n", std::strerror(errno));
    ::close(fd_);
    fd_ = -1;
  }
  out.clear();
  AfterWrite();
}

void RecordingBackend::AddClock(Item::Kind kind, std::uint32_t clock) const {
  Item item;
  item.kind = kind;
  item.clock = clock;
  Add(item);
}

void RecordingBackend::AddResult(Call call, std::int32_t value) const {
  Item item;
  item.kind = Item::Kind::Result;
  item.call = call;
  item.value = value;
  Add(item);
}

// The clock's reading after a call that may have moved it, when it did: the
// runner's pictures and trace are stamped with it.
void RecordingBackend::NoteClockAfter() {
  if (fd_ < 0) return;
  Session& session = *session_;
  const std::uint32_t now = inner_.ReadClockQuietly();
  if (now == session.lastClock) return;
  Item item;
  item.kind = Item::Kind::ClockAfter;
  item.clock = now;
  item.callGap = static_cast<std::int32_t>(session.open.back() - session.lastTarget);
  session.lastTarget = session.open.back();
  Add(item);
}

bool RecordingBackend::Posting(const PostedInput& input) {
  Session& session = *session_;
  Item item;
  item.kind = Item::Kind::Post;
  item.input = input;
  const bool inCall = !session.open.empty();
  const std::uint64_t target = inCall ? session.open.back() : session.calls + 1;
  item.call = inCall ? session.openKinds.back() : Call::Between;
  item.callGap = static_cast<std::int32_t>(target - session.lastTarget);
  session.lastTarget = target;
  Add(item);
  return true;
}

std::int32_t RecordingBackend::ScoreRead(std::int32_t stored) {
  Item item;
  item.kind = Item::Kind::Score;
  item.value = stored;
  Add(item);
  return stored;
}

template <class Pass>
void RecordingBackend::Passed(Call call, Pass pass) const {
  const CallScope scope(*this, call);
  pass();
}

template <class Pass>
auto RecordingBackend::Answered(Call call, Pass pass) const {
  const CallScope scope(*this, call);
  const auto answer = pass();
  AddResult(call, static_cast<std::int32_t>(answer));
  return answer;
}

template <class Pass>
void RecordingBackend::Waited(Call call, Pass pass) {
  const CallScope scope(*this, call);
  pass();
  NoteClockAfter();
}

void RecordingBackend::NoteCall() { ForwardNoteCall(inner_); }

std::uint32_t RecordingBackend::ReadClockForGame() {
  const CallScope scope(*this, Call::ReadClockForGame);
  const std::uint32_t value = inner_.ReadClockForGame();
  AddClock(Item::Kind::GameClock, value);
  NoteClockAfter();
  return value;
}

std::uint32_t RecordingBackend::ReadClockQuietly() {
  const CallScope scope(*this, Call::ReadClockQuietly);
  const std::uint32_t value = inner_.ReadClockQuietly();
  AddClock(Item::Kind::QuietClock, value);
  return value;
}

void RecordingBackend::Sleep(std::uint32_t milliseconds) {
  Waited(Call::Sleep, [&] { inner_.Sleep(milliseconds); });
}

void RecordingBackend::PumpEvents() {
  Waited(Call::PumpEvents, [&] { inner_.PumpEvents(); });
}

void RecordingBackend::WaitForEvents() {
  Waited(Call::WaitForEvents, [&] { inner_.WaitForEvents(); });
}

void RecordingBackend::Idle() {
  Waited(Call::Idle, [&] { inner_.Idle(); });
}

bool RecordingBackend::CreateGameWindow(const char* title, int width, int height) {
  return Answered(Call::CreateGameWindow, [&] { return inner_.CreateGameWindow(title, width, height); });
}

void RecordingBackend::ShowGameWindow() {
  Passed(Call::ShowGameWindow, [&] { inner_.ShowGameWindow(); });
}

void RecordingBackend::DestroyGameWindow() {
  Passed(Call::DestroyGameWindow, [&] { inner_.DestroyGameWindow(); });
}

void RecordingBackend::SetCursorHidden(bool hidden) {
  Passed(Call::SetCursorHidden, [&] { inner_.SetCursorHidden(hidden); });
}

bool RecordingBackend::SetDisplayMode(int width, int height, int bitsPerPixel) {
  return Answered(Call::SetDisplayMode, [&] { return inner_.SetDisplayMode(width, height, bitsPerPixel); });
}

bool RecordingBackend::Use555() const {
  return Answered(Call::Use555, [&] { return inner_.Use555(); });
}

int RecordingBackend::PitchPaddingBytes() const {
  return Answered(Call::PitchPaddingBytes, [&] { return inner_.PitchPaddingBytes(); });
}

void RecordingBackend::Present(const FrameView& frame) {
  Passed(Call::Present, [&] { inner_.Present(frame); });
}

bool RecordingBackend::OpenAudio(Mixer& mixer) {
  return Answered(Call::OpenAudio, [&] { return inner_.OpenAudio(mixer); });
}

void RecordingBackend::CloseAudio() {
  Passed(Call::CloseAudio, [&] { inner_.CloseAudio(); });
}

void RecordingBackend::LockAudio() {
  Passed(Call::LockAudio, [&] { inner_.LockAudio(); });
}

void RecordingBackend::UnlockAudio() {
  Passed(Call::UnlockAudio, [&] { inner_.UnlockAudio(); });
}

void RecordingBackend::RecordSoundCall(const SoundCall& call) {
  Passed(Call::RecordSoundCall, [&] { inner_.RecordSoundCall(call); });
}

// Not numbered: whether the best score reaches a file depends on the
// machine, not on the game (a replay keeps none).
void RecordingBackend::StateWritten() { inner_.StateWritten(); }

void RecordingBackend::EndProcess(int exitCode) {
  {
    const CallScope scope(*this, Call::EndProcess);
    Finish(exitCode, Item::Ending::EndProcess);
  }
  inner_.EndProcess(exitCode);
  __builtin_unreachable();  // every back end's EndProcess ends the program
}

}  // namespace platform::replay
