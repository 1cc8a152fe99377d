// How a plug-in of ours offers to draw from the host's time (function code
// 20) alone rather than from a clock of its own: an option parameter of this
// name with an element of this name. Tools that must render the same frames
// every time (the render tool, the validator's determinism checks) look the
// parameter up by these names and choose the element, and give the time of
// day that host time 0 stands for as a text parameter of the third name, in
// the form "HH:MM:SS.mmm".
#pragma once

constexpr const char kClockSourceParameterName[] = "Clock Source";
constexpr const char kSystemClockElementName[] = "System Clock";
constexpr const char kHostTimeElementName[] = "Host Time";
constexpr const char kStartTimeParameterName[] = "Start Time";
