// How the values a calibration program sends become the signal's 10-bit
// codes: the "Patch Levels" option. Programs differ in what they send (a
// generator set to video levels sends 16-235, one set to full range sends
// 0-255 whatever the signal), so the technician says which the wall gets.
#pragma once

#include <cstdint>
#include <string>

#include "calibration/PatchScene.h"
#include "signal/Signal.h"

namespace calibration {

// In the order of the plug-in's "Patch Levels" elements.
enum class PatchLevels { CodesAsSent = 0, FullScaleToRange };
constexpr int kPatchLevelsCount = 2;
inline constexpr const char* kPatchLevelsNames[kPatchLevelsCount] = {"Codes As Sent",
                                                                     "Full Scale To Range"};

// One value of `bits` bits (8 or 10, the value under 2^bits) as a 10-bit
// code of `range`:
//   Codes As Sent: the value is the signal's code, an 8-bit one taken to 10
//     bits by the range's own rule (x4 narrow, x1023/255 full), so 8-bit 235
//     is 940 in a narrow signal and 1023 of 10 bits stays 1023.
//   Full Scale To Range: 0 to 2^bits - 1 spread over the range's black to
//     white, so 0 is 64 and 255 (or 1023) is 940 in a narrow signal.
// In full range the two agree.
int SignalCode(uint32_t value, int bits, veltrima::signal::Range range, PatchLevels levels);

struct SignalCodes {
  int red = 0, green = 0, blue = 0;
};
SignalCodes SignalCodesOf(const SentCodes& sent, veltrima::signal::Range range, PatchLevels levels);

// What the status screen says is in force: "LEVELS: CODES AS SENT, NARROW"
// or "LEVELS: FULL SCALE TO 64-940" (0-1023 in full range).
std::string PatchLevelsLine(PatchLevels levels, veltrima::signal::Range range);

}  // namespace calibration
