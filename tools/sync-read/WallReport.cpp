#include "tools/sync-read/WallReport.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace {

// b - a on the 16-bit counter's circle, from -32768 to 32767.
int Circular(std::uint16_t a, std::uint16_t b) { return static_cast<std::int16_t>(static_cast<std::uint16_t>(b - a)); }

int OffsetFrom(const RegionCodeReading& code, std::uint16_t reference) {
  const int first = Circular(reference, code.firstFrame), last = Circular(reference, code.lastFrame);
  if (first <= 0 && last >= 0) return 0;
  return first > 0 ? first : last;
}

}  // namespace

WallVerdict JudgeWall(const WallReading& reading, std::optional<std::uint32_t> referenceOutput) {
  WallVerdict verdict;
  // The most common counter of regions that showed one frame (of all regions
  // when every one was caught in a change); ties to the earliest found.
  for (const bool steadyOnly : {true, false}) {
    std::map<std::uint16_t, int> votes;
    int best = 0;
    for (const WallRegion& r : reading.regions) {
      if ((steadyOnly && r.code.changeCaught) ||
          (referenceOutput && r.code.identity.output != *referenceOutput))
        continue;
      const int count = ++votes[r.code.firstFrame];
      if (count > best) {
        best = count;
        verdict.reference = r.code.firstFrame;
      }
    }
    if (verdict.reference) break;
  }
  for (const WallRegion& r : reading.regions) {
    RegionVerdict v;
    v.region = r;
    v.offsetFrames = verdict.reference ? OffsetFrom(r.code, *verdict.reference) : 0;
    verdict.transitionCaught |= r.code.changeCaught;
    v.off = v.offsetFrames != 0;
    verdict.anyOff |= v.off;
    verdict.regions.push_back(v);
  }
  std::sort(verdict.regions.begin(), verdict.regions.end(), [](const RegionVerdict& a, const RegionVerdict& b) {
    const RegionIdentity &x = a.region.code.identity, &y = b.region.code.identity;
    return x.output != y.output ? x.output < y.output : x.region < y.region;
  });
  return verdict;
}

std::string WallTable(const WallVerdict& verdict) {
  std::string out = std::string(verdict.onLayout ? "cabinet       port  " : "") +
                    "output  region  frame        offset  cell px\n";
  char line[200];
  for (const RegionVerdict& v : verdict.regions) {
    const RegionCodeReading& c = v.region.code;
    const std::string frames = c.changeCaught ? std::to_string(c.firstFrame) + "-" + std::to_string(c.lastFrame)
                                              : std::to_string(c.firstFrame);
    const std::string offset = v.offsetFrames == 0 ? "0" : (v.offsetFrames > 0 ? "+" : "") + std::to_string(v.offsetFrames);
    if (verdict.onLayout) {
      std::snprintf(line, sizeof line, "%-12s  %-4s  ", v.cabinet.empty() ? "?" : v.cabinet.c_str(),
                    v.port.empty() ? "-" : v.port.c_str());
      out += line;
    }
    std::snprintf(line, sizeof line, "%6u  %6u  %-11s  %6s  %7.1f%s%s\n", c.identity.output,
                  c.identity.region, frames.c_str(), offset.c_str(), v.region.cellPixels,
                  c.changeCaught ? "  frame change caught" : "",
                  !v.off ? "" : (v.timing ? v.timing->offsetMs : v.offsetFrames) < 0 ? "  LATE" : "  EARLY");
    out += line;
    if (v.timing) {
      std::snprintf(line, sizeof line, "                %+8.2f ms  drift %+.2f ms/s  dropped %d  repeated %d\n",
                    v.timing->offsetMs, v.timing->driftMsPerS, v.timing->dropped, v.timing->repeated);
      out += line;
    }
  }
  const auto off = std::count_if(verdict.regions.begin(), verdict.regions.end(),
                                 [](const RegionVerdict& v) { return v.off; });
  out += "\n" + std::to_string(verdict.regions.size()) + " regions read; reference frame " +
         (verdict.reference ? std::to_string(*verdict.reference) : std::string("-")) + "; " +
         std::to_string(off) + " late or early" +
         (verdict.transitionCaught ? "; a frame change was caught in the photo" : "") +
         (verdict.unplaced.empty() ? "" : "; " + std::to_string(verdict.unplaced.size()) + " not on the layout") +
         "\n";
  if (verdict.lineTimeUs) {
    std::snprintf(line, sizeof line, "camera line time %.2f us, read %s; frame time %.3f ms\n",
                  std::abs(*verdict.lineTimeUs), *verdict.lineTimeUs < 0 ? "bottom to top" : "top to bottom",
                  verdict.frameMs);
    out += line;
  }
  return out;
}

std::string WallJson(const WallVerdict& verdict) {
  nlohmann::json regions = nlohmann::json::array();
  for (const RegionVerdict& v : verdict.regions) {
    const RegionCodeReading& c = v.region.code;
    nlohmann::json box = nlohmann::json::array();
    for (const cv::Point2f& p : v.region.box) box.push_back({p.x, p.y});
    regions.push_back({{"output", c.identity.output},
                       {"region", c.identity.region},
                       {"cabinet", v.cabinet.empty() ? nlohmann::json() : nlohmann::json(v.cabinet)},
                       {"port", v.port.empty() ? nlohmann::json() : nlohmann::json(v.port)},
                       {"frame", c.firstFrame},
                       {"last_frame", c.lastFrame},
                       {"transition_caught", c.changeCaught},
                       {"offset_frames", v.offsetFrames},
                       {"offset_ms", v.timing ? nlohmann::json(v.timing->offsetMs) : nlohmann::json()},
                       {"drift_ms_per_s", v.timing ? nlohmann::json(v.timing->driftMsPerS) : nlohmann::json()},
                       {"dropped", v.timing ? nlohmann::json(v.timing->dropped) : nlohmann::json()},
                       {"repeated", v.timing ? nlohmann::json(v.timing->repeated) : nlohmann::json()},
                       {"box", box}});
  }
  nlohmann::json out = {{"regions", regions},
                        {"reference", verdict.reference ? nlohmann::json(*verdict.reference) : nlohmann::json()},
                        {"line_time_us", verdict.lineTimeUs ? nlohmann::json(*verdict.lineTimeUs) : nlohmann::json()},
                        {"scan", verdict.lineTimeUs ? nlohmann::json(*verdict.lineTimeUs < 0 ? "bottom to top" : "top to bottom")
                                                    : nlohmann::json()},
                        {"transition_caught", verdict.transitionCaught}};
  if (verdict.onLayout) {
    nlohmann::json unplaced = nlohmann::json::array();
    for (const UnplacedRegion& u : verdict.unplaced)
      unplaced.push_back({{"output", u.output}, {"region", u.region}, {"why", u.why}});
    out["unplaced"] = unplaced;
    out["unseen_cabinets"] = verdict.unseenCabinets;
  }
  return out.dump(2) + "\n";
}
