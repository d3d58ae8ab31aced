// The input as a recording file: its header read, then its items one by
// one. Items that read must write back to the same items, a damaged or cut
// body must say so rather than read as a whole one, and nothing may crash
// or run away however the bytes lie.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/replay/recording_format.h"

namespace {

// Runs of equal readings can stand for billions of items; a replay takes
// them one call at a time, so the fuzzer stops counting here. Long coded
// items still reach past the reader's first inflated chunk within it.
constexpr std::uint64_t kMostItems = 20000;

using platform::replay::BodyReader;
using platform::replay::Item;

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "chompo fuzz: %s\n", what.c_str());
  std::abort();
}

void CheckDamageSaid(const BodyReader& reader) {
  if (reader.state() == BodyReader::State::Damaged && reader.damage().empty()) {
    Fail("damage without a reason");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  platform::replay::Header header;
  std::size_t bodyOffset = 0;
  std::string error;
  if (!platform::replay::DecodeHeader(bytes, header, bodyOffset, error)) {
    if (error.empty()) Fail("a refused header without a reason");
    return 0;
  }
  if (bodyOffset > size) Fail("the items start past the end of the file");
  const std::uint8_t* body = data + bodyOffset;
  const std::size_t bodySize = size - bodyOffset;

  platform::replay::BodyWriter writer(header.startClock);
  BodyReader first(body, bodySize, header.startClock);
  for (const Item* item; first.taken() < kMostItems && (item = first.Peek()) != nullptr; first.Take()) {
    writer.Add(*item);
  }
  CheckDamageSaid(first);
  writer.Finish();

  // The body and its rewriting, read side by side: the same items, and the
  // rewriting ends where the body's items ended.
  const std::vector<std::uint8_t>& rewritten = writer.output();
  BodyReader original(body, bodySize, header.startClock);
  BodyReader again(rewritten.data(), rewritten.size(), header.startClock);
  while (original.taken() < first.taken()) {
    const Item* expected = original.Peek();
    const Item* got = again.Peek();
    if (expected == nullptr) Fail("the body reads differently a second time");
    if (got == nullptr || !(*got == *expected)) Fail("the items read do not write back to themselves");
    original.Take();
    again.Take();
  }
  CheckDamageSaid(again);
  if (first.taken() < kMostItems &&
      (again.Peek() != nullptr || again.state() != BodyReader::State::Finished)) {
    Fail("a rewritten body does not end");
  }
  return 0;
}
