#include "sync/Parameters.h"

#include <iterator>

#include "framestamp/StampCode.h"
#include "framestamp/Timecode.h"
#include "host/HostTimeConvention.h"

namespace {

const char* const kClockNames[] = {kSystemClockElementName, kHostTimeElementName};
const char* const kZoneNames[] = {"Local", "UTC"};
const char* const kFlashAreaNames[] = {"Box", "Whole Output"};
// The rate names come from the timecode table, in its order.
const char* const kRateNames[] = {
    RateInfo(TimecodeRate::Fps23_976).name,         RateInfo(TimecodeRate::Fps24).name,
    RateInfo(TimecodeRate::Fps25).name,             RateInfo(TimecodeRate::Fps29_97DropFrame).name,
    RateInfo(TimecodeRate::Fps30).name,             RateInfo(TimecodeRate::Fps50).name,
    RateInfo(TimecodeRate::Fps59_94DropFrame).name, RateInfo(TimecodeRate::Fps60).name,
};
static_assert(std::size(kRateNames) == kTimecodeRateCount, "one element per timecode rate");
static_assert(std::size(kClockNames) == kClockHostTime + 1, "one name per clock source");
static_assert(std::size(kFlashAreaNames) == kFlashWholeOutput + 1, "one name per flash area");

template <std::size_t N>
SyncParamDefinition Option(const char* name, const char* const (&elements)[N], int defaultIndex) {
  return {name, FF_TYPE_OPTION, static_cast<float>(defaultIndex), 0.0f, 1.0f, elements,
          static_cast<unsigned>(N), nullptr};
}
SyncParamDefinition Integer(const char* name, int defaultValue, int minimum, int maximum) {
  return {name, FF_TYPE_INTEGER, static_cast<float>(defaultValue), static_cast<float>(minimum),
          static_cast<float>(maximum), nullptr, 0, nullptr};
}
SyncParamDefinition Fraction(const char* name, float defaultValue) {
  return {name, FF_TYPE_STANDARD, defaultValue, 0.0f, 1.0f, nullptr, 0, nullptr};
}
SyncParamDefinition Flag(const char* name) {
  return {name, FF_TYPE_BOOLEAN, 1.0f, 0.0f, 1.0f, nullptr, 0, nullptr};
}
// A switch for what older projects never drew: off unless turned on.
SyncParamDefinition Switch(const char* name) {
  return {name, FF_TYPE_BOOLEAN, 0.0f, 0.0f, 1.0f, nullptr, 0, nullptr};
}
SyncParamDefinition Text(const char* name, const char* defaultText) {
  return {name, FF_TYPE_TEXT, 0.0f, 0.0f, 1.0f, nullptr, 0, defaultText};
}

const std::array<SyncParamDefinition, kSyncParamCount> kDefinitions = {{
    Text("Label", "OUTPUT 1"),
    Integer("Output Number", 0, 0, static_cast<int>(kStampMaxOutput)),
    Option(kClockSourceParameterName, kClockNames, kClockSystem),
    Text(kStartTimeParameterName, "00:00:00.000"),
    Option("Time Zone", kZoneNames, 0),
    Option("Timecode Rate", kRateNames, static_cast<int>(TimecodeRate::Fps25)),
    Integer("Cell Size px", kStripDefaultCellSize, kStripMinCellSize, kStripMaxCellSize),
    Integer("QR Module px", 4, 1, 32),
    Integer("Flash Every s", 1, 1, 60),
    Option("Flash Area", kFlashAreaNames, kFlashBox),
    Fraction("Brightness", 1.0f),
    Flag("Frame Number"),
    Flag("Time of Day"),
    Flag("Timecode"),
    Flag("Code Strip"),
    Flag("QR Code"),
    Flag("Frame Markers"),
    Flag("Sync Flash"),
    Flag("Millisecond Ruler"),
    Flag("Motion Tracks"),
    Flag("Output Label"),
    Switch("Region Codes"),
    Integer("Region Columns", kDefaultRegionColumns, 1, kMaxRegionGridSide),
    Integer("Region Rows", kDefaultRegionRows, 1, kMaxRegionGridSide),
    Integer("Region Cell px", kDefaultRegionCellSize, kMinRegionCellSize, kMaxRegionCellSize),
}};

}  // namespace

const std::array<SyncParamDefinition, kSyncParamCount>& SyncParameterDefinitions() {
  return kDefinitions;
}
