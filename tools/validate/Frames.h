// Instances and frames as the checks use them: instantiation that ends the
// check with a clear reason when refused, frames that must answer success
// and leave finite pixels, and exact comparisons of frames.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hostkit/HostInstance.h"

namespace validate {

// An instance drawing into its own RGBA32F target of width x height; FAIL
// when the plug-in refuses it.
std::unique_ptr<hostkit::HostInstance> MakeInstance(const hostkit::PluginLibrary& plugin, int width,
                                                    int height);
std::unique_ptr<hostkit::HostInstance> MakeInstance(const hostkit::PluginLibrary& plugin, int targetWidth,
                                                    int targetHeight, hostkit::Viewport viewport);

// Binds the target and its viewport, calls code 17 once; FAIL when it does
// not answer success or leaves a non-finite value in the output. Answers
// the output pixels (RGBA floats, top row first).
std::vector<float> RenderFrame(hostkit::HostInstance& host, const std::string& what);

// "" when every value is finite; else where the first one is not.
std::string FirstNonFinite(const std::vector<float>& pixels, int width);

// Where two frames of the same size first differ; "" when bit-identical.
std::string FirstDifference(const std::vector<float>& a, const std::vector<float>& b, int width);

std::uint64_t HashPixels(const std::vector<float>& pixels);

// Resident memory of this process in bytes, from /proc/self/statm.
std::size_t ResidentBytes();

}  // namespace validate
