// The recording file: a header that says what made it, then the session as
// a list of items in call order, coded small and compressed with deflate.
// docs/recording.md describes the bytes.
#pragma once

#include <zlib.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/input_tap.h"

namespace platform::replay {

inline constexpr std::array<char, 8> kMagic = {'C', 'H', 'O', 'M', 'P', 'R', 'E', 'C'};
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kLongestGameVersion = 64;

enum class Source : std::uint8_t { Window = 1, Runner = 2 };

// The version this program was built as, written into every recording.
const char* ThisGameVersion();

struct Header {
  std::uint16_t formatVersion = kFormatVersion;
  Source source = Source::Runner;
  std::string gameVersion = ThisGameVersion();
  std::uint64_t dataChecksum = 0;
  std::uint32_t startClock = 0;  // the back end's clock when recording began
};

std::vector<std::uint8_t> EncodeHeader(const Header& header);
// Reads the header at the start of bytes; on success bodyOffset is where
// the items begin. False with the reason when it is no recording of ours
// or one of a format version this program does not read.
bool DecodeHeader(const std::vector<std::uint8_t>& bytes, Header& header, std::size_t& bodyOffset,
                  std::string& error);

// The back end calls, by the numbers the file gives them.
enum class Call : std::uint8_t {
  ReadClockForGame,
  ReadClockQuietly,
  Sleep,
  PumpEvents,
  WaitForEvents,
  Idle,
  CreateGameWindow,
  ShowGameWindow,
  DestroyGameWindow,
  SetCursorHidden,
  SetDisplayMode,
  Use555,
  PitchPaddingBytes,
  Present,
  OpenAudio,
  CloseAudio,
  LockAudio,
  UnlockAudio,
  RecordSoundCall,
  StateWritten,
  EndProcess,
  Between,  // input posted outside any call: it belongs to the next one
};
inline constexpr std::uint8_t kCallCount = static_cast<std::uint8_t>(Call::Between) + 1;
const char* CallName(Call call);

struct Item {
  enum class Kind : std::uint8_t {
    GameClock,   // ReadClockForGame answered `clock`
    QuietClock,  // ReadClockQuietly answered `clock`
    ClockAfter,  // the clock moved to `clock` inside a call (see callGap)
    Post,        // `input` was posted inside `call`
    Result,      // `call` answered `value`
    Score,       // the best score read was `value`
    Exit,        // the session ended with status `value` at `clock`, as `ending` says
  };
  enum class Ending : std::uint8_t {
    Outside,     // the program ended it from outside the game (the runner's --until)
    Returned,    // the game returned from WinMain
    EndProcess,  // the platform ended the program (a close answered inside a screen)
  };
  Kind kind = Kind::GameClock;
  std::uint32_t clock = 0;
  std::int32_t value = 0;
  Call call = Call::Between;
  PostedInput input{PostedInput::Kind::KeyDown, 0};
  Ending ending = Ending::Outside;
  // Post and ClockAfter: how many calls after the previous such item's call
  // this one's came (every call the game made of the back end counts,
  // nested or not).
  std::int32_t callGap = 0;

  friend bool operator==(const Item& a, const Item& b) {
    return a.kind == b.kind && a.clock == b.clock && a.value == b.value && a.call == b.call &&
           a.input.kind == b.input.kind && a.input.value == b.input.value && a.ending == b.ending &&
           a.callGap == b.callGap;
  }
};

// "a key press of 37 in PumpEvents", "a game clock reading of 65536" ...
std::string Describe(const Item& item);

// Turns items into the compressed body. Output goes to `out` whenever
// deflate has some; Flush makes everything added so far decodable.
class BodyWriter {
 public:
  explicit BodyWriter(std::uint32_t startClock);
  ~BodyWriter();
  BodyWriter(const BodyWriter&) = delete;
  BodyWriter& operator=(const BodyWriter&) = delete;

  void Add(const Item& item);
  // Sync flush: what was added can be read back from the bytes so far.
  void Flush();
  // The end of the stream; nothing may be added afterwards.
  void Finish();

  // Compressed bytes not yet written to the file; the owner empties it.
  std::vector<std::uint8_t>& output() { return out_; }
  // Flushes what was added straight to the file, without allocating: for
  // a crash handler. Bytes in output() must have been written before.
  void EmergencyFlush(int fd);

 private:
  void EmitPendingRun();
  void Put(std::uint8_t byte) { raw_.push_back(byte); }
  void PutVarint(std::uint32_t value);
  void Deflate(int mode);

  std::uint32_t lastClock_;
  bool runPending_ = false;
  Item::Kind runKind_ = Item::Kind::GameClock;
  std::uint32_t runDelta_ = 0;
  std::uint32_t runRepeats_ = 0;
  std::vector<std::uint8_t> raw_;  // coded items not yet deflated
  std::vector<std::uint8_t> out_;  // deflated bytes not yet taken
  std::array<std::uint8_t, 4096> emergency_{};
  z_stream stream_{};
  bool finished_ = false;
};

// Reads the items back one at a time, inflating as it goes.
class BodyReader {
 public:
  enum class State {
    Reading,    // items remain
    Finished,   // the stream's proper end
    Truncated,  // the bytes stop before the stream's end
    Damaged,    // bytes that no recorder writes
  };

  BodyReader(const std::uint8_t* body, std::size_t size, std::uint32_t startClock);
  ~BodyReader();
  BodyReader(const BodyReader&) = delete;
  BodyReader& operator=(const BodyReader&) = delete;

  // The next item without taking it; nullptr once there is none (state()
  // then says why).
  const Item* Peek();
  void Take();
  State state() const { return state_; }
  const std::string& damage() const { return damage_; }
  std::uint64_t taken() const { return taken_; }

 private:
  bool Decode();
  bool Need(std::size_t bytes);
  bool GetByte(std::uint8_t& byte);
  bool GetVarint(std::uint32_t& value);
  void Damage(const std::string& what);

  const std::uint8_t* body_;
  std::size_t size_;
  z_stream stream_{};
  bool streamEnded_ = false;
  std::string inflateError_;  // inflate refused the bytes after those in raw_
  std::vector<std::uint8_t> raw_;
  std::size_t rawPos_ = 0;
  std::uint32_t lastClock_;
  bool hasItem_ = false;
  Item item_;
  std::uint32_t repeatsLeft_ = 0;  // further equal readings of item_'s kind
  State state_ = State::Reading;
  std::string damage_;
  std::uint64_t taken_ = 0;
};

// FNV-1a over the data files as the game reads them: each name, its bytes
// and its size, in the order given (a missing file counts as missing).
std::uint64_t DataSetChecksum(const std::string& folder, const std::vector<std::string>& names);

}  // namespace platform::replay
