#include "platform/replay/replayer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <thread>

namespace platform::replay {
namespace {

// A longer recording than this is no session of ours.
constexpr std::size_t kLargestRecording = std::size_t{1} << 30;
// How often a paced replay lets the window handle its own events.
constexpr auto kPumpEvery = std::chrono::milliseconds(4);

// Every back end's EndProcess ends the program; the compiler cannot see
// that through the virtual call.
[[noreturn]] void EndThrough(Backend& backend, int code) {
  backend.EndProcess(code);
  __builtin_unreachable();
}

std::string Hex(std::uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "%016" PRIx64, value);
  return text;
}

}  // namespace

bool LoadRecording(const std::string& path, Recording& recording, std::string& error) {
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    error = "cannot read the recording " + path + ": " + std::strerror(errno);
    return false;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<std::uint64_t>(status.st_size) > kLargestRecording) {
    ::close(fd);
    error = "cannot read the recording " + path + ": not a regular file of at most 1 GB";
    return false;
  }
  recording.bytes.resize(static_cast<std::size_t>(status.st_size));
  std::size_t got = 0;
  while (got < recording.bytes.size()) {
    const ssize_t n = ::read(fd, recording.bytes.data() + got, recording.bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  recording.bytes.resize(got);
  if (!DecodeHeader(recording.bytes, recording.header, recording.bodyOffset, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::string DataSetRefusal(const Header& header, std::uint64_t dataChecksum) {
  if (header.dataChecksum == dataChecksum) return "";
  return "the recording was made with other data files (data set " + Hex(header.dataChecksum) +
         ", this data folder's is " + Hex(dataChecksum) + ")";
}

class ReplayBackend::Session {
 public:
  Session(Backend& output, Recording recording, ReplayOptions options)
      : output_(output),
        recording_(std::move(recording)),
        options_(std::move(options)),
        reader_(recording_.bytes.data() + recording_.bodyOffset,
                recording_.bytes.size() - recording_.bodyOffset, recording_.header.startClock),
        now_(recording_.header.startClock) {}

  bool active() const { return active_; }
  std::uint32_t now() const { return now_; }

  // Every call the game makes: numbered as the recorder numbered it, and the
  // input recorded inside it posted first.
  void Enter(Call call) {
    if (!active_) return;
    open_.push_back(++calls_);
    PostDue(call);
  }
  void Leave() {
    if (!open_.empty()) open_.pop_back();
  }

  std::uint32_t Clock(Item::Kind kind) {
    const Item item = Need(kind, Call::Between);
    SetNow(item.clock);
    return item.clock;
  }

  // The clock moved inside the call that is ending, if the recording says so.
  void ClockAfter() {
    if (!active_) return;
    const Item* item = reader_.Peek();
    if (item == nullptr || item->kind != Item::Kind::ClockAfter || Target(*item) != open_.back()) return;
    const std::uint32_t clock = item->clock;
    lastTarget_ = open_.back();
    reader_.Take();
    SetNow(clock);
  }

  std::int32_t Answer(Call call) { return Need(Item::Kind::Result, call).value; }
  std::int32_t Score() { return Need(Item::Kind::Score, Call::Between).value; }

  [[noreturn]] void EndProcess(int exitCode) {
    if (active_) {
      const Item* item = reader_.Peek();
      if (item == nullptr) End(RanOut());
      if (item->kind != Item::Kind::Exit || item->ending != Item::Ending::EndProcess ||
          item->value != exitCode) {
        End(Mismatch("the game ended the program with status " + std::to_string(exitCode), *item));
      }
      SetNow(item->clock);
      reader_.Take();
      active_ = false;
    }
    EndThrough(output_, exitCode);
  }

  int Finish(int exitCode) {
    if (!active_) return exitCode;
    const Item* item = reader_.Peek();
    if (item == nullptr) return Stop(RanOut());
    if (item->kind != Item::Kind::Exit || item->ending != Item::Ending::Returned || item->value != exitCode) {
      return Stop(Mismatch("the game ended with status " + std::to_string(exitCode), *item));
    }
    reader_.Take();
    return Stop(exitCode);
  }

  bool Posting(const PostedInput& input) {
    if (posting_ > 0 || !active_) return true;
    if (input.kind == PostedInput::Kind::Close) closeRequested_ = true;
    return false;
  }

  bool audioOpen = false;

 private:
  void PostDue(Call call) {
    for (;;) {
      const Item* item = reader_.Peek();
      if (item == nullptr) return;
      if (item->kind == Item::Kind::Exit && item->ending == Item::Ending::Outside) EndAsRecorded(*item);
      if (item->kind != Item::Kind::Post) return;
      const std::uint64_t target = Target(*item);
      if (target != open_.back()) {
        const bool later = target > open_.back();
        const bool outer = std::find(open_.begin(), open_.end(), target) != open_.end();
        if (later || outer) return;
        End(Mismatch(std::string("the game is in ") + CallName(call) + ", past the call the input came in",
                     *item));
      }
      if (item->call != Call::Between && item->call != call) {
        End(Mismatch(std::string("the game is in ") + CallName(call), *item));
      }
      const PostedInput input = item->input;
      reader_.Take();
      lastTarget_ = target;
      ++posting_;
      switch (input.kind) {
        case PostedInput::Kind::KeyDown:
          PostKeyDown(input.value);
          break;
        case PostedInput::Kind::KeyUp:
          PostKeyUp(input.value);
          break;
        case PostedInput::Kind::Activate:
          PostActivate(input.value != 0);
          break;
        case PostedInput::Kind::Close:
          PostClose();
          break;
      }
      --posting_;
    }
  }

  // The call a post or clock move came in.
  std::uint64_t Target(const Item& item) const {
    return lastTarget_ + static_cast<std::uint64_t>(std::int64_t{item.callGap});
  }

  Item Need(Item::Kind kind, Call call) {
    const Item* item = reader_.Peek();
    if (item == nullptr) End(RanOut());
    if (item->kind == Item::Kind::Exit && item->ending == Item::Ending::Outside) EndAsRecorded(*item);
    if (item->kind != kind || (kind == Item::Kind::Result && item->call != call)) {
      static constexpr const char* kWanted[] = {"read the clock",     "read the clock quietly", "", "", "",
                                                "read the best score"};
      const std::string wanted = kind == Item::Kind::Result
                                     ? std::string("asked for an answer to ") + CallName(call)
                                     : kWanted[static_cast<int>(kind)];
      End(Mismatch("the game " + wanted, *item));
    }
    const Item taken = *item;
    reader_.Take();
    return taken;
  }

  void SetNow(std::uint32_t clock) {
    now_ = clock;
    if (options_.onClock) options_.onClock(clock);
    if (options_.paced) Pace(clock);
  }

  // Waits until the reading is due in real time, the window kept alive.
  void Pace(std::uint32_t clock) {
    using Steady = std::chrono::steady_clock;
    const Steady::time_point realNow = Steady::now();
    if (!paceStarted_) {
      paceStarted_ = true;
      paceStart_ = realNow;
      paceBase_ = clock;
      lastPump_ = realNow - kPumpEvery;
    }
    const auto ahead = static_cast<std::int32_t>(clock - paceBase_);
    const Steady::time_point due = paceStart_ + std::chrono::milliseconds(ahead > 0 ? ahead : 0);
    for (Steady::time_point real = realNow;; real = Steady::now()) {
      if (real - lastPump_ >= kPumpEvery) {
        lastPump_ = real;
        output_.PumpEvents();
        if (closeRequested_) {
          std::fprintf(stderr, "%s: the replay was stopped at %s\n", options_.programName.c_str(),
                       Position().c_str());
          active_ = false;
          EndThrough(output_, 0);
        }
      }
      if (real >= due) return;
      std::this_thread::sleep_for(std::min<Steady::duration>(due - real, std::chrono::milliseconds(2)));
    }
  }

  std::string Position() const {
    return "item " + std::to_string(reader_.taken() + 1) + " (clock " + std::to_string(now_) + ", " +
           std::to_string(now_ - recording_.header.startClock) + " ms into the recording)";
  }

  int Mismatch(const std::string& game, const Item& recorded) {
    std::fprintf(stderr, "%s: the replay left the recording at %s: %s, the recording has %s\n",
                 options_.programName.c_str(), Position().c_str(), game.c_str(), Describe(recorded).c_str());
    return kExitReplayMismatch;
  }

  int RanOut() {
    const char* program = options_.programName.c_str();
    if (reader_.state() == BodyReader::State::Damaged) {
      std::fprintf(stderr, "%s: the recording is damaged at %s: %s\n", program, Position().c_str(),
                   reader_.damage().c_str());
      return kExitReplayMismatch;
    }
    std::fprintf(stderr,
                 "%s: the recording ends at %s, before the game did: its session was cut short "
                 "(a crash, a kill or a full disk)\n",
                 program, Position().c_str());
    return kExitReplayEnded;
  }

  // The session was ended from outside the game here (the runner's --until).
  [[noreturn]] void EndAsRecorded(const Item& item) {
    const int code = item.value;
    SetNow(item.clock);
    reader_.Take();
    std::fprintf(stderr, "%s: the recorded session ended here, with status %d\n",
                 options_.programName.c_str(), code);
    End(code);
  }

 public:
  // The output cannot show the replay: the game goes on without it.
  void Detach(const char* why) {
    std::fprintf(stderr, "%s: the replay stops at %s: %s\n", options_.programName.c_str(), Position().c_str(),
                 why);
    active_ = false;
  }

 private:
  int Stop(int code) {
    active_ = false;
    return code;
  }

  [[noreturn]] void End(int code) {
    active_ = false;
    EndThrough(output_, code);
  }

  Backend& output_;
  Recording recording_;
  ReplayOptions options_;
  BodyReader reader_;
  std::uint32_t now_;
  bool active_ = true;
  std::uint64_t calls_ = 0;
  std::uint64_t lastTarget_ = 0;     // the call of the last post or clock move
  std::vector<std::uint64_t> open_;  // the calls under way, innermost last
  int posting_ = 0;
  bool closeRequested_ = false;
  bool paceStarted_ = false;
  std::chrono::steady_clock::time_point paceStart_;
  std::chrono::steady_clock::time_point lastPump_;
  std::uint32_t paceBase_ = 0;
};

// Every call of the game's, for as long as it lasts.
class ReplayBackend::CallScope {
 public:
  CallScope(Session& session, Call call) : session_(session) { session_.Enter(call); }
  ~CallScope() { session_.Leave(); }
  CallScope(const CallScope&) = delete;
  CallScope& operator=(const CallScope&) = delete;

 private:
  Session& session_;
};

ReplayBackend::ReplayBackend(Backend& output, Recording recording, ReplayOptions options)
    : output_(output), session_(std::make_unique<Session>(output, std::move(recording), std::move(options))) {
  SetNoteEveryCall(true);
}

void ReplayBackend::Start() { SetInputTap(this); }

int ReplayBackend::Finish(int exitCode) { return session_->Finish(exitCode); }

bool ReplayBackend::over() const { return !session_->active(); }

std::uint32_t ReplayBackend::now() const { return session_->now(); }

bool ReplayBackend::Posting(const PostedInput& input) { return session_->Posting(input); }

std::int32_t ReplayBackend::ScoreRead(std::int32_t stored) {
  return session_->active() ? session_->Score() : stored;
}

void ReplayBackend::NoteCall() { ForwardNoteCall(output_); }

std::uint32_t ReplayBackend::ReadClockForGame() {
  if (!session_->active()) return output_.ReadClockForGame();
  const CallScope scope(*session_, Call::ReadClockForGame);
  const std::uint32_t clock = session_->Clock(Item::Kind::GameClock);
  session_->ClockAfter();
  return clock;
}

std::uint32_t ReplayBackend::ReadClockQuietly() {
  if (!session_->active()) return output_.ReadClockQuietly();
  const CallScope scope(*session_, Call::ReadClockQuietly);
  return session_->Clock(Item::Kind::QuietClock);
}

template <class Pass>
void ReplayBackend::Waited(Call call, Pass live) {
  if (!session_->active()) return live();
  const CallScope scope(*session_, call);
  session_->ClockAfter();
}

void ReplayBackend::Sleep(std::uint32_t milliseconds) {
  Waited(Call::Sleep, [&] { output_.Sleep(milliseconds); });
}

void ReplayBackend::PumpEvents() {
  Waited(Call::PumpEvents, [&] { output_.PumpEvents(); });
}

void ReplayBackend::WaitForEvents() {
  Waited(Call::WaitForEvents, [&] { output_.WaitForEvents(); });
}

void ReplayBackend::Idle() {
  Waited(Call::Idle, [&] { output_.Idle(); });
}

bool ReplayBackend::CreateGameWindow(const char* title, int width, int height) {
  if (!session_->active()) return output_.CreateGameWindow(title, width, height);
  const CallScope scope(*session_, Call::CreateGameWindow);
  if (session_->Answer(Call::CreateGameWindow) == 0) return false;
  if (output_.CreateGameWindow(title, width, height)) return true;
  session_->Detach("the window did not open");
  return false;
}

void ReplayBackend::ShowGameWindow() {
  const CallScope scope(*session_, Call::ShowGameWindow);
  output_.ShowGameWindow();
}

void ReplayBackend::DestroyGameWindow() {
  const CallScope scope(*session_, Call::DestroyGameWindow);
  output_.DestroyGameWindow();
}

void ReplayBackend::SetCursorHidden(bool hidden) {
  const CallScope scope(*session_, Call::SetCursorHidden);
  output_.SetCursorHidden(hidden);
}

bool ReplayBackend::SetDisplayMode(int width, int height, int bitsPerPixel) {
  if (!session_->active()) return output_.SetDisplayMode(width, height, bitsPerPixel);
  const CallScope scope(*session_, Call::SetDisplayMode);
  if (session_->Answer(Call::SetDisplayMode) == 0) return false;
  output_.SetDisplayMode(width, height, bitsPerPixel);
  return true;
}

bool ReplayBackend::Use555() const {
  if (!session_->active()) return output_.Use555();
  const CallScope scope(*session_, Call::Use555);
  return session_->Answer(Call::Use555) != 0;
}

int ReplayBackend::PitchPaddingBytes() const {
  if (!session_->active()) return output_.PitchPaddingBytes();
  const CallScope scope(*session_, Call::PitchPaddingBytes);
  return session_->Answer(Call::PitchPaddingBytes);
}

void ReplayBackend::Present(const FrameView& frame) {
  const CallScope scope(*session_, Call::Present);
  output_.Present(frame);
}

bool ReplayBackend::OpenAudio(Mixer& mixer) {
  if (!session_->active()) return output_.OpenAudio(mixer);
  const CallScope scope(*session_, Call::OpenAudio);
  if (session_->Answer(Call::OpenAudio) == 0) return false;
  // Sound is heard where the output has a device; the game gets the
  // recorded answer either way.
  session_->audioOpen = output_.OpenAudio(mixer);
  return true;
}

void ReplayBackend::CloseAudio() {
  const CallScope scope(*session_, Call::CloseAudio);
  if (session_->audioOpen || !session_->active()) output_.CloseAudio();
  session_->audioOpen = false;
}

void ReplayBackend::LockAudio() {
  const CallScope scope(*session_, Call::LockAudio);
  output_.LockAudio();
}

void ReplayBackend::UnlockAudio() {
  const CallScope scope(*session_, Call::UnlockAudio);
  output_.UnlockAudio();
}

void ReplayBackend::RecordSoundCall(const SoundCall& call) {
  const CallScope scope(*session_, Call::RecordSoundCall);
  output_.RecordSoundCall(call);
}

// Not numbered: whether the best score reaches a file depends on the
// machine, not on the game (a replay keeps none).
void ReplayBackend::StateWritten() { output_.StateWritten(); }

void ReplayBackend::EndProcess(int exitCode) {
  session_->Enter(Call::EndProcess);
  session_->EndProcess(exitCode);
}

}  // namespace platform::replay
