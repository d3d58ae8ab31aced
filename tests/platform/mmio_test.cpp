#include "platform/mmio.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

#include "platform/win32.h"
#include "support/files.h"
#include "support/headless_env.h"
#include "support/temp_folder.h"

namespace {

using support::HeadlessEnv;

// A chunk as RIFF lays it out: id, size, body, and a pad byte after an odd
// body. declaredSize, when given, is written instead of the true size.
std::string Chunk(const std::string& id, const std::string& body, std::int64_t declaredSize = -1) {
  const auto size = static_cast<std::uint32_t>(declaredSize >= 0 ? declaredSize : std::ssize(body));
  std::string out = id;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(size >> (8 * i));
  return out + body + (body.size() % 2 == 1 ? std::string(1, '\0') : "");
}

std::string Riff(const std::string& chunks, std::int64_t declaredSize = -1) {
  return Chunk("RIFF", "WAVE" + chunks, declaredSize);
}

const std::string kFormat("\1\0\1\0\x22\x56\0\0\x44\xAC\0\0\2\0\x10\0", 16);

std::string Pattern(std::size_t size) {
  std::string body(size, '\0');
  for (std::size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i * 7 + i / 251);
  return body;
}

// A file holding the given bytes for as long as the object lives.
struct TempFile {
  support::TempFolder folder;
  const std::string path = folder.File("sound.wav");
  explicit TempFile(const std::string& bytes) { support::WriteText(path, bytes); }
};

// The walk a WAV loader makes: the RIFF form, "fmt " and its 16 bytes, back
// to the first sub-chunk, then "data" copied through the I/O buffer. On a
// failure, step says which part of the walk refused.
struct Loaded {
  int step = 0;
  std::string format;
  std::string data;
};

Loaded WalkWave(const char* path) {
  Loaded result;
  const auto fail = [&result](int step) {
    result.step = step;
    return result;
  };
  HMMIO file = mmioOpenA(path, nullptr, MMIO_READ | MMIO_ALLOCBUF);
  if (file == nullptr) return fail(1);
  struct Closer {
    HMMIO file;
    ~Closer() { mmioClose(file, 0); }
  } closer{file};
  MMCKINFO riff{};
  riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
  if (mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF) != MMSYSERR_NOERROR) return fail(2);
  MMCKINFO chunk{};
  chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
  if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return fail(3);
  result.format.resize(16);
  if (mmioRead(file, result.format.data(), 16) != 16) return fail(4);
  if (mmioAscend(file, &chunk, 0) != MMSYSERR_NOERROR) return fail(4);
  if (mmioSeek(file, static_cast<LONG>(riff.dwDataOffset + 4), SEEK_SET_MMIO) == -1) return fail(5);
  chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
  if (mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return fail(6);
  MMIOINFO info{};
  if (mmioGetInfo(file, &info, 0) != MMSYSERR_NOERROR) return fail(7);
  for (DWORD i = 0; i < chunk.cksize; ++i) {
    if (info.pchNext == info.pchEndRead &&
        (mmioAdvance(file, &info, MMIO_READ) != MMSYSERR_NOERROR || info.pchNext == info.pchEndRead)) {
      return fail(7);
    }
    result.data += *info.pchNext++;
  }
  if (mmioSetInfo(file, &info, 0) != MMSYSERR_NOERROR) return fail(8);
  return result;
}

TEST(MmioTest, SubChunksAreFoundInEitherOrderPastOddSizedOnes) {
  HeadlessEnv env;
  const std::string samples = Pattern(20001);  // odd, and longer than the I/O buffer twice over
  const std::string fmtFirst = Chunk("fmt ", kFormat) + Chunk("junk", Pattern(3)) + Chunk("data", samples);
  const std::string dataFirst = Chunk("LIST", Pattern(5)) + Chunk("data", samples) + Chunk("fmt ", kFormat);
  for (const std::string* chunks : {&fmtFirst, &dataFirst}) {
    const TempFile file(Riff(*chunks));
    const Loaded loaded = WalkWave(file.path.c_str());
    EXPECT_EQ(loaded.step, 0);
    EXPECT_EQ(loaded.format, kFormat);
    EXPECT_EQ(loaded.data, samples);
  }
}

TEST(MmioTest, TruncatedFilesAndOverlongChunksFailWithoutReadingOutsideThem) {
  HeadlessEnv env;
  const std::string good = Riff(Chunk("fmt ", kFormat) + Chunk("data", Pattern(100)));
  // The sub-chunk claims more than its parent holds, though the file goes on.
  const std::string pastParent =
      Riff(Chunk("fmt ", kFormat) + Chunk("data", Pattern(40), 400), 4 + 24 + 8 + 40) + Pattern(600);
  const std::pair<std::string, int> cases[] = {
      {good.substr(0, 6), 2},                 // the RIFF header cut short
      {good.substr(0, good.size() - 10), 2},  // the RIFF size past the end of the file
      {Riff("fmt \x10"), 3},                  // a sub-chunk header cut short
      {pastParent, 6},
  };
  for (const auto& [bytes, failingStep] : cases) {
    const TempFile file(bytes);
    EXPECT_EQ(WalkWave(file.path.c_str()).step, failingStep) << bytes.size() << " bytes";
  }
}

TEST(MmioTest, SeeksOutsideTheFileFailAndLeaveThePositionAlone) {
  HeadlessEnv env;
  const TempFile file(Pattern(50));
  HMMIO mm = mmioOpenA(file.path.c_str(), nullptr, MMIO_READ | MMIO_ALLOCBUF);
  ASSERT_NE(mm, nullptr);
  EXPECT_EQ(mmioSeek(mm, 20, SEEK_SET_MMIO), 20);
  for (const auto& [offset, origin] :
       {std::pair{51, SEEK_SET_MMIO}, {-21, SEEK_CUR_MMIO}, {1, SEEK_END_MMIO}, {0, 7}}) {
    EXPECT_EQ(mmioSeek(mm, offset, origin), -1) << offset << " from " << origin;
  }
  char byte = 0;
  ASSERT_EQ(mmioRead(mm, &byte, 1), 1);
  EXPECT_EQ(byte, Pattern(50)[20]);
  EXPECT_EQ(mmioSeek(mm, 0, SEEK_END_MMIO), 50);
  EXPECT_EQ(mmioRead(mm, &byte, 1), 0);

  // The I/O buffer at the end of the file holds nothing more, and a
  // description of it that no longer matches is refused.
  MMIOINFO info{};
  ASSERT_EQ(mmioGetInfo(mm, &info, 0), MMSYSERR_NOERROR);
  ASSERT_EQ(mmioAdvance(mm, &info, MMIO_READ), MMSYSERR_NOERROR);
  EXPECT_EQ(info.pchNext, info.pchEndRead);
  info.pchNext = info.pchBuffer + 100;
  EXPECT_NE(mmioAdvance(mm, &info, MMIO_READ), MMSYSERR_NOERROR);
  EXPECT_NE(mmioSetInfo(mm, &info, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(mmioClose(mm, 0), MMSYSERR_NOERROR);
}

}  // namespace
