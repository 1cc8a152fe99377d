// Where the patch comes from, and the defaults the Server text and the settle
// count fall back to: the one home of these facts for the client, the
// plug-in's parameter table and the tests.
#pragma once

#include <string_view>

namespace calibration {

// In the order of the plug-in's "Patch Source" elements.
enum class PatchSource { Parameters = 0, Resolve, ArgyllWeb };
constexpr int kPatchSourceCount = 3;
inline constexpr const char* kPatchSourceNames[kPatchSourceCount] = {"Parameters", "Resolve",
                                                                     "ArgyllCMS Web"};

constexpr std::string_view kDefaultResolveServer = "127.0.0.1:20002";
constexpr std::string_view kDefaultArgyllServer = "127.0.0.1:8080";
constexpr int kMinSettleFrames = 1;
constexpr int kMaxSettleFrames = 60;
constexpr int kDefaultSettleFrames = 2;

}  // namespace calibration
