// How a plug-in of ours offers to draw from the host's time (function code
// 20) alone rather than from a clock of its own: an option parameter of this
// name with an element of this name. Tools that must render the same frames
// every time (the render tool, the validator's determinism checks) look the
// parameter up by these names and choose the element.
#pragma once

constexpr const char kClockSourceParameterName[] = "Clock Source";
constexpr const char kSystemClockElementName[] = "System Clock";
constexpr const char kHostTimeElementName[] = "Host Time";
