// The frame of the signal stand-in plug-in (signal_plugin.cpp), shared with
// the tests that read its files back: vertical bands of flat 10-bit codes,
// band k from x = k * width / kBandCount.
#pragma once

struct BandCodes {
  int r, g, b;
};

inline constexpr int kBandCount = 12;
inline constexpr BandCodes kBands[kBandCount] = {
    {4, 4, 4},          // below black (BT.2111's -7 %)
    {64, 64, 64},       // narrow black
    {502, 502, 502},    // a mid grey
    {940, 940, 940},    // narrow white
    {1019, 1019, 1019}, // super-white (109 %): PQ signal above 1, 10,000 nits
    {940, 64, 64},      // narrow red
    {64, 940, 64},      // narrow green
    {64, 64, 940},      // narrow blue
    {569, 572, 381},    // BT.2111 PQ narrow's yellow of the BT.709 bars
    {318, 236, 563},    // and its blue
    {0, 0, 0},          // full black
    {1023, 1023, 1023}, // full white
};

inline constexpr int BandLeft(int band, int width) { return band * width / kBandCount; }
