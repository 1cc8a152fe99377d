// The region code as the plug-ins draw it and a reader decodes it: round
// trips at every quarter turn, frame changes caught in the photo (torn codes
// and cells caught mid-change), and damaged or random cells never read as a
// wrong frame.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "framestamp/Crc16.h"
#include "framestamp/RegionCode.h"

namespace {

constexpr int N = kRegionCodeDataSide;

std::string Describe(const std::optional<RegionCodeReading>& r) {
  if (!r) return "nothing";
  return "output " + std::to_string(r->identity.output) + " region " +
         std::to_string(r->identity.region) + " frames " + std::to_string(r->firstFrame) + ".." +
         std::to_string(r->lastFrame) + (r->changeCaught ? " (change caught)" : "") + " turns " +
         std::to_string(r->quarterTurns);
}

// Which cells of a torn code come from the later frame.
struct Tear {
  const char* name;
  bool (*later)(int row, int column);
};
const Tear kTears[] = {
    {"bottom half later", [](int r, int) { return r >= N / 2; }},
    {"top half later", [](int r, int) { return r < N / 2; }},
    {"right half later", [](int, int c) { return c > N / 2; }},
    {"left half later", [](int, int c) { return c <= N / 2; }},
    {"diagonal", [](int r, int c) { return r + c < N; }},
    {"checkerboard", [](int r, int c) { return (r + c) % 2 == 0; }},
    {"every third cell", [](int r, int c) { return (r * N + c) % 3 == 0; }},
};

const RegionIdentity kIdentities[] = {{0, 0}, {31, 4095}, {7, 1234}, {16, 2048}, {1, 1}};
// Frames across the counter's wrap and across changes of its highest bits.
const std::uint64_t kFrames[] = {0,     1,     2,     255,    256,   32767,
                                 32768, 65534, 65535, 65536,  99999, 1u << 24};

}  // namespace

TEST(Crc16, CheckValueOfTheStandardString) {
  const char* text = "123456789";
  EXPECT_EQ(Crc16(reinterpret_cast<const std::uint8_t*>(text), std::strlen(text)), 0x29B1);
}

TEST(RegionCode, RoundTripsAtEveryQuarterTurn) {
  for (const RegionIdentity& id : kIdentities)
    for (const std::uint64_t frame : kFrames)
      for (int turns = 0; turns < 4; ++turns) {
        const auto r = DecodeRegionCode(RegionCodeLevelsTurned(EncodeRegionCode(id, frame), turns));
        const auto counter = static_cast<std::uint16_t>(frame % kRegionCounterModulus);
        ASSERT_TRUE(r) << "output " << id.output << " region " << id.region << " frame " << frame
                       << " turns " << turns;
        EXPECT_TRUE(r->identity == id) << Describe(r);
        EXPECT_EQ(r->firstFrame, counter) << Describe(r);
        EXPECT_EQ(r->lastFrame, counter) << Describe(r);
        EXPECT_FALSE(r->changeCaught) << Describe(r);
        EXPECT_EQ(r->quarterTurns, turns) << Describe(r);
      }
}

TEST(RegionCode, StaticCellsNeverChangeAndTheStripeFlipsEveryFrame) {
  // Every cell that changes between two frames is a dynamic one: the rings,
  // corners and identity stay; every stripe cell flips.
  const RegionIdentity id{5, 321};
  for (const std::uint64_t frame : kFrames) {
    const RegionCodeData a = EncodeRegionCode(id, frame), b = EncodeRegionCode(id, frame + 1);
    int changedCounterCells = 0;
    for (int r = 0; r < N; ++r)
      for (int c = 0; c < N; ++c) {
        const char kind = kRegionCodeMap[r][c];
        const bool changed = a[static_cast<std::size_t>(r * N + c)] != b[static_cast<std::size_t>(r * N + c)];
        if (kind == 'T') {
          EXPECT_TRUE(changed) << "stripe cell " << r << "," << c << " frame " << frame;
        } else if (kind != 'G' && kind != 'C') {
          EXPECT_FALSE(changed) << "static cell " << r << "," << c << " frame " << frame;
        }
        changedCounterCells += kind == 'G' && changed;
      }
    EXPECT_EQ(changedCounterCells, 1) << "Gray counter from frame " << frame;
  }
  for (int row = 0; row < kRegionCodeSide; ++row)
    for (int column = 0; column < kRegionCodeSide; ++column) {
      const int ring = std::min(std::min(row, column),
                                std::min(kRegionCodeSide - 1 - row, kRegionCodeSide - 1 - column));
      if (ring < kRegionCodeRings) {
        EXPECT_EQ(RegionCodeCellIsWhite(EncodeRegionCode(id, 3), row, column), ring == 0)
            << row << "," << column;
      }
    }
}

TEST(RegionCode, ATornCodeReadsAsTheTwoNeighbouringFrames) {
  for (const RegionIdentity& id : kIdentities)
    for (const std::uint64_t frame : kFrames)
      for (const Tear& tear : kTears)
        for (int turns = 0; turns < 4; ++turns) {
          const RegionCodeData before = EncodeRegionCode(id, frame), after = EncodeRegionCode(id, frame + 1);
          RegionCodeData torn{};
          for (int r = 0; r < N; ++r)
            for (int c = 0; c < N; ++c) {
              const auto i = static_cast<std::size_t>(r * N + c);
              torn[i] = tear.later(r, c) ? after[i] : before[i];
            }
          const auto read = DecodeRegionCode(RegionCodeLevelsTurned(torn, turns));
          const auto n = static_cast<std::uint16_t>(frame % kRegionCounterModulus);
          const auto next = static_cast<std::uint16_t>(n + 1);
          ASSERT_TRUE(read) << tear.name << " frame " << frame << " turns " << turns;
          EXPECT_TRUE(read->identity == id) << Describe(read);
          EXPECT_TRUE(read->changeCaught) << tear.name << " frame " << frame << ": " << Describe(read);
          // The two frames shown lie inside the range read, which is at most
          // one frame wider.
          const auto fromFirst = [&](std::uint16_t f) {
            return static_cast<std::uint16_t>(f - read->firstFrame);
          };
          const auto span = fromFirst(read->lastFrame);
          EXPECT_LE(span, 2) << tear.name << " frame " << frame << ": " << Describe(read);
          EXPECT_LE(fromFirst(n), span) << tear.name << " frame " << frame << ": " << Describe(read);
          EXPECT_LE(fromFirst(next), span) << tear.name << " frame " << frame << ": " << Describe(read);
        }
}

TEST(RegionCode, CellsCaughtMidChangeReadAsTheTwoNeighbouringFrames) {
  // Grey wherever the two frames differ, each grey at a level around half.
  for (const std::uint64_t frame : kFrames)
    for (const float grey : {0.4f, 0.5f, 0.6f}) {
      const RegionIdentity id{9, 900};
      const RegionCodeData a = EncodeRegionCode(id, frame), b = EncodeRegionCode(id, frame + 1);
      RegionCodeLevels levels = RegionCodeLevelsTurned(a, 0);
      for (std::size_t i = 0; i < levels.size(); ++i)
        if (a[i] != b[i]) levels[i] = grey;
      const auto read = DecodeRegionCode(levels);
      ASSERT_TRUE(read) << "frame " << frame << " grey " << grey;
      EXPECT_TRUE(read->changeCaught) << Describe(read);
      EXPECT_EQ(read->firstFrame, static_cast<std::uint16_t>(frame)) << Describe(read);
      EXPECT_EQ(read->lastFrame, static_cast<std::uint16_t>(frame + 1)) << Describe(read);
    }
}

TEST(RegionCode, ADamagedCellReadsTheTrueFrameOrNothing) {
  // One cell wrong or grey: the code is not read, or read with its identity
  // and a range that holds its frame; never another frame or region.
  const RegionIdentity id{3, 77};
  for (const std::uint64_t frame : kFrames)
    for (std::size_t cell = 0; cell < static_cast<std::size_t>(kRegionCodeDataCells); ++cell)
      for (const float damage : {-1.0f, 0.5f}) {
        RegionCodeLevels levels = RegionCodeLevelsTurned(EncodeRegionCode(id, frame), 0);
        levels[cell] = damage < 0 ? 1.0f - levels[cell] : damage;
        const auto read = DecodeRegionCode(levels);
        if (!read) continue;
        const auto n = static_cast<std::uint16_t>(frame % kRegionCounterModulus);
        EXPECT_TRUE(read->identity == id) << "cell " << cell << ": " << Describe(read);
        EXPECT_LE(static_cast<std::uint16_t>(n - read->firstFrame),
                  static_cast<std::uint16_t>(read->lastFrame - read->firstFrame))
            << "frame " << frame << " cell " << cell << ": " << Describe(read);
      }
}

TEST(RegionCode, RandomCellsAreNotRead) {
  std::mt19937 random(20261210);
  std::uniform_int_distribution<int> level(0, 2);
  int read = 0;
  for (int trial = 0; trial < 200000; ++trial) {
    RegionCodeLevels levels{};
    for (float& l : levels) l = 0.5f * static_cast<float>(level(random));
    read += DecodeRegionCode(levels).has_value();
  }
  EXPECT_EQ(read, 0);
}
