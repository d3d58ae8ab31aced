#include "platform/replay/recording_format.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace platform::replay {
namespace {

// Item codes. Below 0x80 a clock reading fits one byte: its kind in the top
// bit, the clock's step since the last reading (0-7) in the next three, and
// how many equal readings of the same kind follow (0-7). From 0x80 to 0xBF a
// clock move: its step (0-7), then its call gap (0-7).
constexpr std::uint8_t kShortMove = 0x80;
constexpr std::uint8_t kFirstLong = 0xC0;  // | kind: step, then repeats or call gap, as varints
constexpr std::uint8_t kPost = 0xC4;
constexpr std::uint8_t kResult = 0xC5;
constexpr std::uint8_t kScore = 0xC6;
constexpr std::uint8_t kExit = 0xC7;

constexpr std::size_t kDeflateAt = 16 * 1024;  // coded bytes gathered before they are compressed
constexpr std::size_t kInflateChunk = 64 * 1024;

// Readings, which come in runs of equal ones.
bool IsReading(Item::Kind kind) { return kind <= Item::Kind::QuietClock; }

std::uint32_t ZigZag(std::int32_t value) {
  return (static_cast<std::uint32_t>(value) << 1) ^ static_cast<std::uint32_t>(value >> 31);
}

std::int32_t UnZigZag(std::uint32_t value) {
  return static_cast<std::int32_t>((value >> 1) ^ (~(value & 1) + 1));
}

void PutLittle(std::vector<std::uint8_t>& bytes, std::uint64_t value, int count) {
  for (int i = 0; i < count; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t GetLittle(const std::uint8_t* bytes, int count) {
  std::uint64_t value = 0;
  for (int i = 0; i < count; ++i) value |= std::uint64_t{bytes[i]} << (8 * i);
  return value;
}

bool ValidPost(std::uint8_t kind, std::uint32_t value) {
  switch (static_cast<PostedInput::Kind>(kind)) {
    case PostedInput::Kind::KeyDown:
    case PostedInput::Kind::KeyUp:
      return value > 0 && value < 256;
    case PostedInput::Kind::Activate:
      return value <= 1;
    case PostedInput::Kind::Close:
      return value == 0;
  }
  return false;
}

bool Answers(Call call) {
  return call == Call::CreateGameWindow || call == Call::SetDisplayMode || call == Call::Use555 ||
         call == Call::PitchPaddingBytes || call == Call::OpenAudio;
}

}  // namespace

const char* ThisGameVersion() { return CHOMPO_VERSION; }

std::vector<std::uint8_t> EncodeHeader(const Header& header) {
  std::vector<std::uint8_t> bytes(kMagic.begin(), kMagic.end());
  PutLittle(bytes, header.formatVersion, 2);
  bytes.push_back(static_cast<std::uint8_t>(header.source));
  const std::size_t length = std::min(header.gameVersion.size(), kLongestGameVersion);
  bytes.push_back(static_cast<std::uint8_t>(length));
  bytes.insert(bytes.end(), header.gameVersion.begin(),
               header.gameVersion.begin() + static_cast<std::ptrdiff_t>(length));
  PutLittle(bytes, header.dataChecksum, 8);
  PutLittle(bytes, header.startClock, 4);
  return bytes;
}

bool DecodeHeader(const std::vector<std::uint8_t>& bytes, Header& header, std::size_t& bodyOffset,
                  std::string& error) {
  constexpr std::size_t kFixedStart = 8 + 2 + 1 + 1;
  if (bytes.size() < kMagic.size() || std::memcmp(bytes.data(), kMagic.data(), kMagic.size()) != 0) {
    error = "not a recording (it does not start with CHOMPREC)";
    return false;
  }
  if (bytes.size() < kFixedStart) {
    error = "the recording's header is cut short";
    return false;
  }
  header.formatVersion = static_cast<std::uint16_t>(GetLittle(&bytes[8], 2));
  if (header.formatVersion != kFormatVersion) {
    error = "the recording has format version " + std::to_string(header.formatVersion) +
            "; this program reads version " + std::to_string(kFormatVersion);
    return false;
  }
  const std::uint8_t source = bytes[10];
  if (source != static_cast<std::uint8_t>(Source::Window) &&
      source != static_cast<std::uint8_t>(Source::Runner)) {
    error = "the recording's header is damaged (source " + std::to_string(source) + ")";
    return false;
  }
  header.source = static_cast<Source>(source);
  const std::size_t length = bytes[11];
  if (length > kLongestGameVersion) {
    error = "the recording's header is damaged (a game version of " + std::to_string(length) + " bytes)";
    return false;
  }
  if (bytes.size() < kFixedStart + length + 12) {
    error = "the recording's header is cut short";
    return false;
  }
  header.gameVersion.assign(bytes.begin() + kFixedStart,
                            bytes.begin() + static_cast<std::ptrdiff_t>(kFixedStart + length));
  header.dataChecksum = GetLittle(&bytes[kFixedStart + length], 8);
  header.startClock = static_cast<std::uint32_t>(GetLittle(&bytes[kFixedStart + length + 8], 4));
  bodyOffset = kFixedStart + length + 12;
  return true;
}

const char* CallName(Call call) {
  static constexpr const char* kNames[kCallCount] = {
      "ReadClockForGame",  "ReadClockQuietly", "Sleep",
      "PumpEvents",        "WaitForEvents",    "Idle",
      "CreateGameWindow",  "ShowGameWindow",   "DestroyGameWindow",
      "SetCursorHidden",   "SetDisplayMode",   "Use555",
      "PitchPaddingBytes", "Present",          "OpenAudio",
      "CloseAudio",        "LockAudio",        "UnlockAudio",
      "RecordSoundCall",   "StateWritten",     "EndProcess",
      "between calls"};
  const auto index = static_cast<std::uint8_t>(call);
  return index < kCallCount ? kNames[index] : "an unknown call";
}

std::string Describe(const Item& item) {
  const std::string clock = std::to_string(item.clock);
  switch (item.kind) {
    case Item::Kind::GameClock:
      return "a clock reading by the game (" + clock + ")";
    case Item::Kind::QuietClock:
      return "a clock reading by the platform (" + clock + ")";
    case Item::Kind::ClockAfter:
      return "the clock moving to " + clock;
    case Item::Kind::Post: {
      static constexpr const char* kWhat[] = {"a press of key ", "a release of key ", "activation ",
                                              "a close"};
      std::string text = kWhat[static_cast<int>(item.input.kind)];
      if (item.input.kind != PostedInput::Kind::Close) text += std::to_string(item.input.value);
      return text + " posted in " + CallName(item.call);
    }
    case Item::Kind::Result:
      return std::string("the answer ") + std::to_string(item.value) + " to " + CallName(item.call);
    case Item::Kind::Score:
      return "a best score of " + std::to_string(item.value) + " read";
    case Item::Kind::Exit: {
      static constexpr const char* kHow[] = {"ended from outside", "the game returned",
                                             "the platform ended it"};
      const auto how = static_cast<std::size_t>(item.ending);
      return "the end of the session (status " + std::to_string(item.value) + ", " +
             (how < std::size(kHow) ? kHow[how] : "") + ")";
    }
  }
  return "an unknown item";
}

BodyWriter::BodyWriter(std::uint32_t startClock) : lastClock_(startClock) {
  raw_.reserve(kDeflateAt + 64);
  deflateInit2(&stream_, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
}

BodyWriter::~BodyWriter() { deflateEnd(&stream_); }

void BodyWriter::PutVarint(std::uint32_t value) {
  while (value >= 0x80) {
    Put(static_cast<std::uint8_t>(value | 0x80));
    value >>= 7;
  }
  Put(static_cast<std::uint8_t>(value));
}

void BodyWriter::EmitPendingRun() {
  if (!runPending_) return;
  runPending_ = false;
  const auto kind = static_cast<std::uint8_t>(runKind_);
  if (runDelta_ < 8 && runRepeats_ < 8) {
    Put(static_cast<std::uint8_t>(kind << 6 | runDelta_ << 3 | runRepeats_));
    return;
  }
  Put(static_cast<std::uint8_t>(kFirstLong | kind));
  PutVarint(runDelta_);
  PutVarint(runRepeats_);
}

void BodyWriter::Add(const Item& item) {
  if (finished_) return;
  if (IsReading(item.kind)) {
    if (runPending_ && runKind_ == item.kind && item.clock == lastClock_ && runRepeats_ < 0xFFFFFFFFu) {
      ++runRepeats_;
      return;
    }
    EmitPendingRun();
    runPending_ = true;
    runKind_ = item.kind;
    runDelta_ = item.clock - lastClock_;
    runRepeats_ = 0;
    lastClock_ = item.clock;
  } else {
    EmitPendingRun();
    switch (item.kind) {
      case Item::Kind::ClockAfter: {
        const std::uint32_t delta = item.clock - lastClock_;
        if (delta < 8 && item.callGap >= 0 && item.callGap < 8) {
          Put(static_cast<std::uint8_t>(kShortMove | delta << 3 | static_cast<std::uint32_t>(item.callGap)));
        } else {
          Put(static_cast<std::uint8_t>(kFirstLong | 2));
          PutVarint(delta);
          PutVarint(ZigZag(item.callGap));
        }
        lastClock_ = item.clock;
        break;
      }
      case Item::Kind::Post:
        Put(kPost);
        Put(static_cast<std::uint8_t>(item.input.kind));
        Put(static_cast<std::uint8_t>(item.call));
        PutVarint(ZigZag(item.callGap));
        PutVarint(static_cast<std::uint32_t>(item.input.value));
        break;
      case Item::Kind::Result:
        Put(kResult);
        Put(static_cast<std::uint8_t>(item.call));
        PutVarint(ZigZag(item.value));
        break;
      case Item::Kind::Score:
        Put(kScore);
        PutVarint(ZigZag(item.value));
        break;
      default:  // Exit
        Put(kExit);
        Put(static_cast<std::uint8_t>(item.ending));
        PutVarint(ZigZag(item.value));
        PutVarint(item.clock - lastClock_);
        lastClock_ = item.clock;
        break;
    }
  }
  if (raw_.size() >= kDeflateAt) Deflate(Z_NO_FLUSH);
  // A crash handler may still code the pending run here without allocating.
  if (raw_.capacity() - raw_.size() < 32) raw_.reserve(raw_.size() * 2 + 64);
}

void BodyWriter::Deflate(int mode) {
  stream_.next_in = raw_.data();
  stream_.avail_in = static_cast<uInt>(raw_.size());
  std::uint8_t chunk[16 * 1024];
  do {
    stream_.next_out = chunk;
    stream_.avail_out = sizeof chunk;
    deflate(&stream_, mode);
    out_.insert(out_.end(), chunk, chunk + (sizeof chunk - stream_.avail_out));
  } while (stream_.avail_out == 0);
  raw_.clear();
}

void BodyWriter::Flush() {
  if (finished_) return;
  EmitPendingRun();
  Deflate(Z_SYNC_FLUSH);
}

void BodyWriter::Finish() {
  if (finished_) return;
  EmitPendingRun();
  Deflate(Z_FINISH);
  finished_ = true;
}

void BodyWriter::EmergencyFlush(int fd) {
  if (finished_) return;
  EmitPendingRun();
  stream_.next_in = raw_.data();
  stream_.avail_in = static_cast<uInt>(raw_.size());
  do {
    stream_.next_out = emergency_.data();
    stream_.avail_out = static_cast<uInt>(emergency_.size());
    deflate(&stream_, Z_SYNC_FLUSH);
    const std::size_t size = emergency_.size() - stream_.avail_out;
    for (std::size_t done = 0; done < size;) {
      const ssize_t written = ::write(fd, emergency_.data() + done, size - done);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return;
      done += static_cast<std::size_t>(written);
    }
  } while (stream_.avail_out == 0);
  raw_.clear();
}

BodyReader::BodyReader(const std::uint8_t* body, std::size_t size, std::uint32_t startClock)
    : body_(body), size_(size), lastClock_(startClock) {
  inflateInit2(&stream_, -15);
  stream_.next_in = const_cast<Bytef*>(body_);
  stream_.avail_in = static_cast<uInt>(size_);
}

BodyReader::~BodyReader() { inflateEnd(&stream_); }

void BodyReader::Damage(const std::string& what) {
  if (state_ == State::Damaged) return;
  state_ = State::Damaged;
  damage_ = what;
}

bool BodyReader::Need(std::size_t bytes) {
  while (raw_.size() - rawPos_ < bytes) {
    // What inflated before damage is still read.
    if (!inflateError_.empty()) Damage(inflateError_);
    if (streamEnded_ || state_ == State::Damaged) return false;
    raw_.erase(raw_.begin(), raw_.begin() + static_cast<std::ptrdiff_t>(rawPos_));
    rawPos_ = 0;
    const std::size_t had = raw_.size();
    const uInt inputBefore = stream_.avail_in;
    raw_.resize(had + kInflateChunk);
    stream_.next_out = raw_.data() + had;
    stream_.avail_out = static_cast<uInt>(kInflateChunk);
    const int status = inflate(&stream_, Z_NO_FLUSH);
    raw_.resize(had + (kInflateChunk - stream_.avail_out));
    if (status == Z_STREAM_END) {
      streamEnded_ = true;
    } else if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR) {
      inflateError_ = std::string("the compressed items are damaged (") +
                      (stream_.msg != nullptr ? stream_.msg : "") + ")";
    } else if (raw_.size() == had && stream_.avail_in == inputBefore) {
      return false;  // no more input: the bytes stop here
    }
  }
  return true;
}

bool BodyReader::GetByte(std::uint8_t& byte) {
  if (!Need(1)) return false;
  byte = raw_[rawPos_++];
  return true;
}

bool BodyReader::GetVarint(std::uint32_t& value) {
  value = 0;
  for (int shift = 0; shift < 35; shift += 7) {
    std::uint8_t byte = 0;
    if (!GetByte(byte)) return false;
    if (shift == 28 && (byte & 0x70) != 0) {
      Damage("a number longer than 32 bits");
      return false;
    }
    value |= static_cast<std::uint32_t>(byte & 0x7F) << shift;
    if ((byte & 0x80) == 0) return true;
  }
  Damage("a number longer than 32 bits");
  return false;
}

bool BodyReader::Decode() {
  std::uint8_t code = 0;
  if (!Need(1)) {
    if (state_ != State::Damaged) state_ = streamEnded_ ? State::Finished : State::Truncated;
    return false;
  }
  GetByte(code);
  Item item;
  std::uint32_t repeats = 0;
  bool ok = true;
  if (code <= (kFirstLong | 2)) {
    std::uint32_t delta = 0;
    std::uint32_t gap = 0;
    if (code < kShortMove) {
      item.kind = static_cast<Item::Kind>(code >> 6);
      delta = (code >> 3) & 7u;
      repeats = code & 7u;
    } else if (code < kFirstLong) {
      item.kind = Item::Kind::ClockAfter;
      delta = (code >> 3) & 7u;
      gap = ZigZag(static_cast<std::int32_t>(code & 7u));
    } else if (code != (kFirstLong | 2)) {
      item.kind = static_cast<Item::Kind>(code & 3u);
      ok = GetVarint(delta) && GetVarint(repeats);
    } else {
      item.kind = Item::Kind::ClockAfter;
      ok = GetVarint(delta) && GetVarint(gap);
    }
    item.callGap = UnZigZag(gap);
    lastClock_ += delta;
    item.clock = lastClock_;
  } else if (code == kPost) {
    std::uint8_t kind = 0;
    std::uint8_t call = 0;
    std::uint32_t gap = 0;
    std::uint32_t value = 0;
    ok = GetByte(kind) && GetByte(call) && GetVarint(gap) && GetVarint(value);
    if (ok && (kind > 3 || call >= kCallCount || !ValidPost(kind, value))) {
      Damage("a posted input that no back end posts");
      ok = false;
    }
    item.kind = Item::Kind::Post;
    item.input = PostedInput{static_cast<PostedInput::Kind>(kind), static_cast<int>(value)};
    item.call = static_cast<Call>(call);
    item.callGap = UnZigZag(gap);
  } else if (code == kResult) {
    std::uint8_t call = 0;
    std::uint32_t value = 0;
    ok = GetByte(call) && GetVarint(value);
    if (ok && (call >= kCallCount || !Answers(static_cast<Call>(call)))) {
      Damage("an answer to a call that gives none");
      ok = false;
    }
    item.kind = Item::Kind::Result;
    item.call = static_cast<Call>(call);
    item.value = UnZigZag(value);
  } else if (code == kScore) {
    std::uint32_t value = 0;
    ok = GetVarint(value);
    item.kind = Item::Kind::Score;
    item.value = UnZigZag(value);
  } else if (code == kExit) {
    std::uint8_t ending = 0;
    std::uint32_t value = 0;
    std::uint32_t delta = 0;
    ok = GetByte(ending) && GetVarint(value) && GetVarint(delta);
    if (ok && ending > static_cast<std::uint8_t>(Item::Ending::EndProcess)) {
      Damage("an unknown way for a session to end");
      ok = false;
    }
    item.ending = static_cast<Item::Ending>(ending);
    item.kind = Item::Kind::Exit;
    item.value = UnZigZag(value);
    lastClock_ += delta;
    item.clock = lastClock_;
  } else {
    Damage("an unknown item code " + std::to_string(code));
    ok = false;
  }
  if (!ok) {
    if (state_ != State::Damaged) state_ = State::Truncated;
    return false;
  }
  item_ = item;
  repeatsLeft_ = repeats;
  hasItem_ = true;
  return true;
}

const Item* BodyReader::Peek() {
  if (!hasItem_ && (state_ != State::Reading || !Decode())) return nullptr;
  return &item_;
}

void BodyReader::Take() {
  if (Peek() == nullptr) return;
  ++taken_;
  if (repeatsLeft_ > 0) {
    --repeatsLeft_;
    return;
  }
  hasItem_ = false;
}

}  // namespace platform::replay
