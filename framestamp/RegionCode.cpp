#include "framestamp/RegionCode.h"

#include <algorithm>
#include <vector>

#include "framestamp/Crc16.h"
#include "framestamp/Crc8.h"

namespace {

constexpr int N = kRegionCodeDataSide;

constexpr int CountInMap(char kind) {
  int count = 0;
  for (const char* row : kRegionCodeMap)
    for (int c = 0; c < N; ++c) count += row[c] == kind;
  return count;
}
static_assert(CountInMap('I') == kRegionIdentityBits, "one map cell per identity bit");
static_assert(CountInMap('G') == kRegionCounterBits, "one map cell per counter bit");
static_assert(CountInMap('C') == kRegionCrcBits, "one map cell per CRC bit");
static_assert(CountInMap('W') == 3 && CountInMap('K') == 1, "one black corner sets the orientation");

enum class Role : std::uint8_t { White, Black, Stripe, Identity, Counter, Crc };
struct Cell {
  Role role = Role::Black;
  int bit = 0;  // which bit of its word, for identity, counter and CRC cells
};

// The map as roles, bits numbered most significant first in reading order.
std::array<Cell, kRegionCodeDataCells> BuildRoles() {
  std::array<Cell, kRegionCodeDataCells> roles{};
  int identity = kRegionIdentityBits, counter = kRegionCounterBits, crc = kRegionCrcBits;
  for (int r = 0; r < N; ++r)
    for (int c = 0; c < N; ++c) {
      Cell& cell = roles[static_cast<std::size_t>(r * N + c)];
      switch (kRegionCodeMap[r][c]) {
        case 'W': cell.role = Role::White; break;
        case 'T': cell.role = Role::Stripe; break;
        case 'I': cell = {Role::Identity, --identity}; break;
        case 'G': cell = {Role::Counter, --counter}; break;
        case 'C': cell = {Role::Crc, --crc}; break;
        default: cell.role = Role::Black; break;
      }
    }
  return roles;
}

const std::array<Cell, kRegionCodeDataCells>& Roles() {
  static const std::array<Cell, kRegionCodeDataCells> roles = BuildRoles();
  return roles;
}

std::uint16_t GrayOf(std::uint16_t n) { return static_cast<std::uint16_t>(n ^ (n >> 1)); }
std::uint16_t BinaryOfGray(std::uint16_t g) {
  std::uint16_t n = g;
  for (int shift = 1; shift < 16; shift <<= 1) n = static_cast<std::uint16_t>(n ^ (n >> shift));
  return n;
}

std::uint16_t DynamicCrc(const RegionIdentity& id, std::uint16_t counter) {
  const std::uint8_t bytes[5] = {static_cast<std::uint8_t>(id.output),
                                 static_cast<std::uint8_t>(id.region >> 8),
                                 static_cast<std::uint8_t>(id.region & 0xFF),
                                 static_cast<std::uint8_t>(counter >> 8),
                                 static_cast<std::uint8_t>(counter & 0xFF)};
  return Crc16(bytes, sizeof bytes);
}

// The dynamic cells' words at one counter, worked out once per code.
struct Dynamic {
  std::uint16_t counter, gray, crc;
  Dynamic(const RegionIdentity& id, std::uint16_t n)
      : counter(n), gray(GrayOf(n)), crc(DynamicCrc(id, n)) {}
  bool Bit(const Cell& cell) const {
    switch (cell.role) {
      case Role::Stripe: return counter & 1;
      case Role::Counter: return (gray >> cell.bit) & 1;
      case Role::Crc: return (crc >> cell.bit) & 1;
      default: return false;
    }
  }
};

// Where upright cell (r, c) lies after `turns` clockwise quarter turns.
int TurnedIndex(int r, int c, int turns) {
  for (int i = 0; i < (turns & 3); ++i) {
    const int nr = c, nc = N - 1 - r;
    r = nr;
    c = nc;
  }
  return r * N + c;
}

enum class Seen : std::uint8_t { Black, White, Unsure };
Seen Classify(float level) {
  if (!(level == level)) return Seen::Unsure;  // not a number
  if (level < 0.5f - kRegionUnsureBand) return Seen::Black;
  if (level > 0.5f + kRegionUnsureBand) return Seen::White;
  return Seen::Unsure;
}
bool WhiteAtHalf(float level) { return level > 0.5f; }  // false for NaN

// Whether every dynamic cell agrees with counter a or counter b: a sure cell
// shows one of the two, an unsure one lies where the two differ.
bool Fits(const std::array<Seen, kRegionCodeDataCells>& seen, const RegionIdentity& id,
          std::uint16_t a, std::uint16_t b) {
  const auto& roles = Roles();
  const Dynamic da(id, a), db(id, b);
  for (std::size_t i = 0; i < roles.size(); ++i) {
    const Role role = roles[i].role;
    if (role != Role::Stripe && role != Role::Counter && role != Role::Crc) continue;
    const bool ea = da.Bit(roles[i]), eb = db.Bit(roles[i]);
    if (seen[i] == Seen::Unsure) {
      if (ea == eb) return false;
    } else if ((seen[i] == Seen::White) != ea && (seen[i] == Seen::White) != eb) {
      return false;
    }
  }
  return true;
}

std::optional<RegionIdentity> ReadIdentity(const RegionCodeLevels& upright) {
  const auto& roles = Roles();
  std::uint32_t word = 0;
  for (std::size_t i = 0; i < roles.size(); ++i)
    if (roles[i].role == Role::Identity && WhiteAtHalf(upright[i])) word |= 1u << roles[i].bit;
  RegionIdentity id;
  id.output = word >> 20;
  id.region = (word >> 8) & kRegionMaxIndex;
  if (RegionIdentityWord(id) != word) return std::nullopt;
  return id;
}

std::optional<RegionCodeReading> DecodeUpright(const RegionCodeLevels& upright) {
  const auto& roles = Roles();
  for (std::size_t i = 0; i < roles.size(); ++i) {
    if (roles[i].role == Role::White && !WhiteAtHalf(upright[i])) return std::nullopt;
    if (roles[i].role == Role::Black && !(upright[i] < 0.5f)) return std::nullopt;
  }
  const auto id = ReadIdentity(upright);
  if (!id) return std::nullopt;

  std::array<Seen, kRegionCodeDataCells> seen{};
  std::uint16_t gray = 0;
  std::vector<int> unsureBits;
  for (std::size_t i = 0; i < roles.size(); ++i) {
    seen[i] = Classify(upright[i]);
    if (roles[i].role != Role::Counter) continue;
    if (seen[i] == Seen::White) gray = static_cast<std::uint16_t>(gray | (1u << roles[i].bit));
    if (seen[i] == Seen::Unsure) unsureBits.push_back(roles[i].bit);
  }
  // Neighbouring counters differ in one Gray cell: a second unsure one is
  // noise, not a frame change.
  if (unsureBits.size() > 1) return std::nullopt;

  // A change is read only where the stripe saw one (its cells not all one
  // sure colour). Reading two neighbours loosens the CRC to the bits they
  // share, too little to stand alone against one wrong cell.
  bool sawBlack = false, sawWhite = false, sawUnsure = false;
  for (std::size_t i = 0; i < roles.size(); ++i)
    if (roles[i].role == Role::Stripe) {
      sawBlack |= seen[i] == Seen::Black;
      sawWhite |= seen[i] == Seen::White;
      sawUnsure |= seen[i] == Seen::Unsure;
    }
  const bool stripeChanged = sawUnsure || (sawBlack && sawWhite);

  // Every reading the cells allow: one frame, or a change from a to a + 1.
  std::vector<std::uint16_t> singles, changes;
  const int variants = unsureBits.empty() ? 1 : 2;
  for (int v = 0; v < variants; ++v) {
    const std::uint16_t g =
        v == 0 ? gray : static_cast<std::uint16_t>(gray | (1u << unsureBits.front()));
    const std::uint16_t n = BinaryOfGray(g);
    if (Fits(seen, *id, n, n)) singles.push_back(n);
    if (!stripeChanged) continue;
    for (const std::uint16_t a : {static_cast<std::uint16_t>(n - 1), n})
      if (Fits(seen, *id, a, static_cast<std::uint16_t>(a + 1))) changes.push_back(a);
  }

  RegionCodeReading reading;
  reading.identity = *id;
  if (!singles.empty()) {
    reading.firstFrame = reading.lastFrame = singles.front();
    return reading;
  }
  if (changes.empty()) return std::nullopt;
  // The changes allowed must overlap: a..a+1, or a-1..a+1 when two do.
  const std::uint16_t base = changes.front();
  int low = 0, high = 1;
  for (const std::uint16_t a : changes) {
    const int delta = static_cast<std::int16_t>(static_cast<std::uint16_t>(a - base));
    if (delta < -1 || delta > 1) return std::nullopt;
    low = std::min(low, delta);
    high = std::max(high, delta + 1);
  }
  if (high - low > 2) return std::nullopt;
  reading.firstFrame = static_cast<std::uint16_t>(base + low);
  reading.lastFrame = static_cast<std::uint16_t>(base + high);
  reading.changeCaught = true;
  return reading;
}

}  // namespace

std::uint32_t RegionIdentityWord(const RegionIdentity& identity) {
  const std::uint32_t output = identity.output % (kRegionMaxOutput + 1);
  const std::uint32_t region = identity.region % (kRegionMaxIndex + 1);
  const std::uint32_t upper = output << 12 | region;
  const std::uint8_t bytes[3] = {static_cast<std::uint8_t>(upper >> 16),
                                 static_cast<std::uint8_t>(upper >> 8),
                                 static_cast<std::uint8_t>(upper)};
  return upper << 8 | Crc8(bytes, sizeof bytes);
}

RegionCodeData EncodeRegionCode(const RegionIdentity& identity, std::uint64_t frame) {
  const RegionIdentity id{identity.output % (kRegionMaxOutput + 1),
                          identity.region % (kRegionMaxIndex + 1)};
  const std::uint32_t word = RegionIdentityWord(id);
  const Dynamic dynamic(id, static_cast<std::uint16_t>(frame % kRegionCounterModulus));
  const auto& roles = Roles();
  RegionCodeData data{};
  for (std::size_t i = 0; i < roles.size(); ++i) {
    switch (roles[i].role) {
      case Role::White: data[i] = true; break;
      case Role::Black: data[i] = false; break;
      case Role::Identity: data[i] = (word >> roles[i].bit) & 1; break;
      default: data[i] = dynamic.Bit(roles[i]); break;
    }
  }
  return data;
}

bool RegionCodeDataCellIsDynamic(int row, int column) {
  if (row < 0 || column < 0 || row >= N || column >= N) return false;
  const char kind = kRegionCodeMap[row][column];
  return kind == 'T' || kind == 'G' || kind == 'C';
}

bool RegionCodeCellIsWhite(const RegionCodeData& data, int row, int column) {
  if (row < 0 || column < 0 || row >= kRegionCodeSide || column >= kRegionCodeSide) return false;
  const int ring = std::min(std::min(row, column),
                            std::min(kRegionCodeSide - 1 - row, kRegionCodeSide - 1 - column));
  if (ring == 0) return true;    // quiet ring
  if (ring == 1) return false;   // border ring
  return data[static_cast<std::size_t>((row - kRegionCodeRings) * N + column - kRegionCodeRings)];
}

RegionCodeLevels RegionCodeLevelsTurned(const RegionCodeData& data, int quarterTurns) {
  RegionCodeLevels levels{};
  for (int r = 0; r < N; ++r)
    for (int c = 0; c < N; ++c)
      levels[static_cast<std::size_t>(TurnedIndex(r, c, quarterTurns))] =
          data[static_cast<std::size_t>(r * N + c)] ? 1.0f : 0.0f;
  return levels;
}

std::optional<RegionCodeReading> DecodeRegionCode(const RegionCodeLevels& levels) {
  // The one black corner allows one quarter turn at most.
  for (int turns = 0; turns < 4; ++turns) {
    RegionCodeLevels upright{};
    for (int r = 0; r < N; ++r)
      for (int c = 0; c < N; ++c)
        upright[static_cast<std::size_t>(r * N + c)] =
            levels[static_cast<std::size_t>(TurnedIndex(r, c, turns))];
    if (auto reading = DecodeUpright(upright)) {
      reading->quarterTurns = turns;
      return reading;
    }
  }
  return std::nullopt;
}
