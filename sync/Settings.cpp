#include "sync/Settings.h"

#include "framestamp/TimeOfDay.h"
#include "host/ValueConversion.h"

namespace {

int WholeNumber(const std::array<float, kSyncParamCount>& values, SyncParam index) {
  return WholeNumberOf(values[index], SyncParameterDefinitions()[index]);
}

}  // namespace

SyncSettings ConvertSyncSettings(const std::array<float, kSyncParamCount>& v,
                                 const std::string& label, const std::string& startTime) {
  SyncSettings s;
  s.label = label;
  s.output = static_cast<std::uint32_t>(WholeNumber(v, kSyncOutputNumber));
  s.clock = static_cast<ClockSource>(WholeNumber(v, kSyncClockSource));
  const auto start = ParseTimeOfDay(startTime);
  s.startTimeValid = start.has_value();
  s.startMillisecond = start.value_or(0);
  s.zone = WholeNumber(v, kSyncTimeZone) == 1 ? TimeZone::Utc : TimeZone::Local;
  s.rate = RateFromIndex(WholeNumber(v, kSyncTimecodeRate));
  s.cellSize = WholeNumber(v, kSyncCellSize);
  s.qrModule = WholeNumber(v, kSyncQrModule);
  s.flashEverySeconds = WholeNumber(v, kSyncFlashEvery);
  s.flashArea = static_cast<FlashArea>(WholeNumber(v, kSyncFlashArea));
  s.brightness = Fraction(v[kSyncBrightness]);
  ShownElements& e = s.shown;
  e.frameNumber = Flag(v[kSyncShowFrameNumber]);
  e.timeOfDay = Flag(v[kSyncShowTime]);
  e.timecode = Flag(v[kSyncShowTimecode]);
  e.strip = Flag(v[kSyncShowStrip]);
  e.qr = Flag(v[kSyncShowQr]);
  e.markers = Flag(v[kSyncShowMarkers]);
  e.flash = Flag(v[kSyncShowFlash]);
  e.ruler = Flag(v[kSyncShowRuler]);
  e.tracks = Flag(v[kSyncShowTracks]);
  e.label = Flag(v[kSyncShowLabel]);
  RegionCodeSettings& r = s.regions;
  r.on = Flag(v[kSyncRegionCodes]);
  r.columns = WholeNumber(v, kSyncRegionColumns);
  r.rows = WholeNumber(v, kSyncRegionRows);
  r.cellSize = WholeNumber(v, kSyncRegionCellSize);
  return s;
}
