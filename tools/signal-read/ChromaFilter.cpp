#include "tools/signal-read/ChromaFilter.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kOvershoot = 0.03, kSameMix = 0.06;

bool Between(double t) { return t > 0.2 && t < 0.8; }

}  // namespace

std::string ChromaFilterOf(const std::vector<double>& profile) {
  if (std::none_of(profile.begin(), profile.end(), Between)) return "dropped";
  double overshoot = 0;
  for (const double t : profile) overshoot = std::max({overshoot, t - 1, -t});
  if (overshoot >= kOvershoot) return "bicubic";
  for (std::size_t i = 1; i < profile.size(); ++i)
    if (Between(profile[i - 1]) && Between(profile[i]) && profile[i] >= profile[i - 1] - kSameMix)
      return "averaged";
  return "bilinear";
}
