// What a platform back end provides to the platform core, and what the core
// offers back ends in return. Game code never includes this file.
#pragma once

#include <cstdint>

namespace platform {

class Mixer;

// The back buffer handed to Present: 16-bit pixels, rows pitchBytes apart.
struct FrameView {
  const std::uint16_t* pixels;
  int width;
  int height;
  int pitchBytes;
  bool is565;
};

// A sound call as the game made it, for back ends that record them.
struct SoundCall {
  enum class Op { Create, Play, Rewind, Release };
  Op op;
  int bufferId;
  std::uint32_t bytes;  // Create: the buffer's size; Rewind: the new position in bytes
};

class Backend {
 public:
  virtual ~Backend() = default;

  // The clock behind timeGetTime and Sleep, read by the game: a read counts
  // as the game polling the clock (the headless clock moves on after many
  // reads with nothing else between them; a window may redraw).
  virtual std::uint32_t ReadClockForGame() = 0;
  // The same clock for the platform's own bookkeeping: never counts as the
  // game polling.
  virtual std::uint32_t ReadClockQuietly() { return ReadClockForGame(); }
  virtual void Sleep(std::uint32_t milliseconds) = 0;

  // Moves pending input into the core (the Post* calls below). Called by
  // PeekMessageA, GetMessageA, WaitMessage and GetAsyncKeyState.
  virtual void PumpEvents() = 0;
  // Blocks until at least one input event has been posted to the core.
  virtual void WaitForEvents() = 0;
  // The game polled and found nothing to do (PeekMessageA with an empty
  // queue, Flip): a real back end may yield the processor for up to 1 ms.
  virtual void Idle() = 0;
  virtual bool CreateGameWindow(const char* title, int width, int height) = 0;
  virtual void ShowGameWindow() = 0;
  virtual void DestroyGameWindow() = 0;
  virtual void SetCursorHidden(bool hidden) = 0;

  // The display mode and the surfaces' format.
  virtual bool SetDisplayMode(int width, int height, int bitsPerPixel) = 0;
  virtual bool Use555() const { return false; }
  // Extra bytes at the end of every surface row (tests use a padded pitch).
  virtual int PitchPaddingBytes() const { return 0; }
  virtual void Present(const FrameView& frame) = 0;

  // Opens the output device, tells the mixer its rate (SetOutputRate) and
  // starts pulling samples from it; false when there is no device.
  virtual bool OpenAudio(Mixer& mixer) = 0;
  virtual void CloseAudio() = 0;
  // Guard the mixer's state against the back end's audio thread.
  virtual void LockAudio() {}
  virtual void UnlockAudio() {}
  virtual void RecordSoundCall(const SoundCall& /*call*/) {}

  // A file in the state folder (platform/file_places.h) was replaced: a
  // back end whose files live in memory makes the change last here.
  virtual void StateWritten() {}

  // Ends the program with exitCode after a close that the game answered
  // from inside a screen that would otherwise have kept it waiting; with
  // kScoreNotSavedExitCode instead of 0 when a save of the best score failed
  // (platform/score_file.h).
  [[noreturn]] virtual void EndProcess(int exitCode);

 protected:
  // For back ends that wrap another: they hear every call (the wrapped one
  // may have asked to) and pass it on.
  static void ForwardNoteCall(Backend& inner) { inner.NoteCall(); }
  // Whether NoteCall runs at every call; while it does not, a call costs
  // the platform one test. Text alone makes thousands of calls a frame.
  void SetNoteEveryCall(bool on) { noteEveryCall_ = on; }

 private:
  // The game made a platform call other than a clock read. Reached only
  // through EnterCall, which every call of the platform core starts with.
  virtual void NoteCall() {}
  bool noteEveryCall_ = false;
  friend Backend& EnterCall();
};

// The platform core's own: the back end the calls go to and how many calls
// the game has made. Read them through CurrentBackend, EnterCall and
// CallCount, which are here so that they compile inline into every call.
extern Backend* activeBackend;
extern std::uint64_t callCount;

// The first thing every platform call the game makes does, clock reads
// aside: counts the call, tells the back end if it asked, and hands it over.
inline Backend& EnterCall() {
  ++callCount;
  Backend& backend = *activeBackend;
  if (backend.noteEveryCall_) backend.NoteCall();
  return backend;
}

// Platform calls made so far, clock reads aside: a back end compares two
// readings to know whether the game did anything else in between.
inline std::uint64_t CallCount() { return callCount; }

// The calls every back end makes its own (the pure virtual ones above),
// declared at once by a class that implements them.
#define CHOMPO_BACKEND_CALLS                                                \
  std::uint32_t ReadClockForGame() override;                                \
  void Sleep(std::uint32_t milliseconds) override;                          \
  void PumpEvents() override;                                               \
  void WaitForEvents() override;                                            \
  void Idle() override;                                                     \
  bool CreateGameWindow(const char* title, int width, int height) override; \
  void ShowGameWindow() override;                                           \
  void DestroyGameWindow() override;                                        \
  void SetCursorHidden(bool hidden) override;                               \
  bool SetDisplayMode(int width, int height, int bitsPerPixel) override;    \
  void Present(const FrameView& frame) override;                            \
  bool OpenAudio(Mixer& mixer) override;                                    \
  void CloseAudio() override

// And the ones with a default, for a back end that stands between the game
// and another back end and so takes every call.
#define CHOMPO_BACKEND_DEFAULTED_CALLS                  \
  std::uint32_t ReadClockQuietly() override;            \
  bool Use555() const override;                         \
  int PitchPaddingBytes() const override;               \
  void LockAudio() override;                            \
  void UnlockAudio() override;                          \
  void RecordSoundCall(const SoundCall& call) override; \
  void StateWritten() override;                         \
  [[noreturn]] void EndProcess(int exitCode) override

// The back end every platform call goes to. Set it before the first call;
// until then, and after SetBackend(nullptr), calls reach a back end with no
// window, display or sound device and the real time clock.
void SetBackend(Backend* backend);
inline Backend& CurrentBackend() { return *activeBackend; }

// Input from a back end. A key press holds the key (GetAsyncKeyState) and
// queues WM_KEYDOWN; a release lets it go and queues WM_KEYUP. Losing focus
// queues WM_ACTIVATE 0 and lets every key go, so none stays stuck.
void PostKeyDown(int virtualKey);
void PostKeyUp(int virtualKey);
void PostActivate(bool active);
// The window's close button (and SIGINT, SIGTERM): queues WM_CLOSE, which
// the window procedure's default handling turns into the destroy path.
// When the game has not read its queue for kUnreadQueueMs (a screen that
// waits for keys or time only, such as the title's half minute), the close
// is handed to the window procedure at once instead; once that has
// destroyed the window and posted WM_QUIT, the back end's EndProcess ends
// the program with the quit's exit code.
inline constexpr std::uint32_t kUnreadQueueMs = 500;
void PostClose();

// Forgets the window, the queue, the key table and the best score's failed
// saves (tests and tools that run the program more than once in one
// process). A sound device opened before
// is taken to belong to the back end of then: releasing it later no longer
// closes the audio of the back end installed since.
void ResetCore();

}  // namespace platform
