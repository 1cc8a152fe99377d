// Parameter events over a thousand frames of random automation: a value that
// the plug-in changed by itself must be announced, once, and never lost; the
// pending set must stay bounded.
#include <cstdio>
#include <set>

#include "Check.h"
#include "Frames.h"
#include "ParamTable.h"
#include "Session.h"

namespace validate {
namespace {

constexpr int kFrames = 1000;
constexpr int kMaxSetsPerFrame = 10;

class EventWatch {
 public:
  EventWatch(const hostkit::PluginLibrary& plugin, FFInstanceID instance, const std::vector<ParameterInfo>& table)
      : plugin_(plugin), instance_(instance), table_(table), known_(table.size()),
        owed_(table.size(), false) {
    for (std::size_t id = 0; id < table.size(); ++id) known_[id] = Read(id);
  }

  // Sets one parameter, then looks for others that changed on their own.
  void Set(FFUInt32 id, float value) {
    const FFUInt32 answer = plugin_.SetParameter(instance_, id, value);
    Require(answer == FF_SUCCESS, "code 8 answered " + std::to_string(answer) + " for parameter " +
                                      std::to_string(id) + " at frame " + std::to_string(frame_));
    known_[id] = Read(id);
    Rescan(id);
  }

  // Values that changed without the host setting them are owed an event.
  void Rescan(FFUInt32 except = FF_FAIL) {
    for (std::size_t id = 0; id < table_.size(); ++id) {
      if (table_[id].isText) continue;
      const FFUInt32 now = Read(id);
      if (now == known_[id]) continue;
      known_[id] = now;
      if (id == except) continue;
      owed_[id] = true;
      ++unprompted_;
    }
  }

  // Count only (null item pointer): nothing is cleared.
  void CountOnly() {
    GetParamEventsStruct list{0, nullptr};
    Require(plugin_.GetParameterEvents(instance_, list) == FF_SUCCESS,
            "code 46 with a null item pointer answered failure" + At());
    Require(list.numEvents <= table_.size(), "code 46 reports " + std::to_string(list.numEvents) +
                                                 " pending events for " + std::to_string(table_.size()) +
                                                 " parameters" + At());
    Require(list.numEvents >= Owed(), "code 46 counts " + std::to_string(list.numEvents) +
                                          " pending events while " + std::to_string(Owed()) +
                                          " parameters changed value on their own" + At() + OwedText());
  }

  // Collects with `capacity` items; answers how many came back.
  std::size_t Collect(FFUInt32 capacity, std::set<FFUInt32>* seen) {
    std::vector<ParamEventStruct> items(capacity + 2, ParamEventStruct{0xDEADBEEF, 0});
    GetParamEventsStruct list{capacity, items.data()};
    Require(plugin_.GetParameterEvents(instance_, list) == FF_SUCCESS, "code 46 answered failure" + At());
    Require(list.numEvents <= capacity, "code 46 reported " + std::to_string(list.numEvents) +
                                            " events into room for " + std::to_string(capacity) + At());
    Require(items[capacity].ID == 0xDEADBEEF && items[capacity + 1].ID == 0xDEADBEEF,
            "code 46 wrote past the " + std::to_string(capacity) + " items it was given" + At());
    std::set<FFUInt32> here;
    for (FFUInt32 i = 0; i < list.numEvents; ++i) {
      const auto& item = items[i];
      Require(item.ID < table_.size(), "code 46 reported an event for parameter ID " + std::to_string(item.ID) +
                                           ", which does not exist" + At());
      Require(here.insert(item.ID).second, "code 46 reported parameter " + std::to_string(item.ID) +
                                               " twice in one answer" + At());
      if (seen)
        Require(seen->insert(item.ID).second, "parameter " + std::to_string(item.ID) +
                                                  " was reported again by the next call of the same drain: "
                                                  "its event was not cleared" + At());
      if (item.eventFlags & FF_EVENT_FLAG_VALUE) owed_[item.ID] = false;
      ++collected_;
    }
    if (list.numEvents < capacity)
      Require(Owed() == 0, "code 46 reported " + std::to_string(list.numEvents) + " of room for " +
                               std::to_string(capacity) + " while value events are still owed" + At() +
                               OwedText());
    return list.numEvents;
  }

  void Drain() {
    std::set<FFUInt32> seen;
    for (int round = 0; round <= static_cast<int>(table_.size()); ++round)
      if (Collect(static_cast<FFUInt32>(table_.size()) + 1, &seen) == 0) {
        CountOnlyIsZero();
        return;
      }
    throw CheckFailed("code 46 kept reporting events" + At());
  }

  void CountOnlyIsZero() {
    GetParamEventsStruct list{0, nullptr};
    plugin_.GetParameterEvents(instance_, list);
    Require(list.numEvents == 0, "code 46 counts " + std::to_string(list.numEvents) +
                                     " pending events right after everything was collected" + At());
  }

  void SetFrame(int frame) { frame_ = frame; }
  int Unprompted() const { return unprompted_; }
  int Collected() const { return collected_; }

 private:
  FFUInt32 Read(std::size_t id) const {
    return table_[id].isText ? 0 : plugin_.GetParameter(instance_, static_cast<FFUInt32>(id)).UIntValue;
  }
  std::size_t Owed() const {
    std::size_t count = 0;
    for (bool o : owed_) count += o;
    return count;
  }
  std::string OwedText() const {
    std::string text;
    for (std::size_t id = 0; id < owed_.size(); ++id)
      if (owed_[id]) text += (text.empty() ? " (owed: " : ", ") + std::to_string(id);
    return text.empty() ? text : text + ")";
  }
  std::string At() const { return " (frame " + std::to_string(frame_) + ")"; }

  const hostkit::PluginLibrary& plugin_;
  FFInstanceID instance_;
  const std::vector<ParameterInfo>& table_;
  std::vector<FFUInt32> known_;
  std::vector<bool> owed_;
  int frame_ = 0, unprompted_ = 0, collected_ = 0;
};

Outcome RandomFrames(Session& session) {
  const auto& plugin = session.Plugin();
  const auto table = ReadParamTable(plugin);
  std::vector<FFUInt32> numeric;
  for (const auto& p : table)
    if (!p.isText) numeric.push_back(p.id);
  session.Context();
  auto host = MakeInstance(plugin, 16, 16);
  auto& random = session.Random();
  EventWatch watch(plugin, host->Id(), table);
  watch.Drain();  // whatever instantiation left pending
  int sets = 0, collections = 0;
  std::uint64_t digest = 0xcbf29ce484222325ull;
  std::string firstChoices;
  for (int frame = 0; frame < kFrames; ++frame) {
    watch.SetFrame(frame);
    if (frame % 100 == 0) session.Step("frame " + std::to_string(frame));
    const int count = numeric.empty() ? 0 : static_cast<int>(random() % (kMaxSetsPerFrame + 1));
    for (int s = 0; s < count; ++s) {
      const FFUInt32 id = numeric[random() % numeric.size()];
      const float value = *RandomValue(table[id], random);
      watch.Set(id, value);
      ++sets;
      digest = (digest ^ (static_cast<std::uint64_t>(id) << 32 | hostkit::BitsOfFloat(value))) * 0x100000001b3ull;
      if (sets <= 5) {
        char text[48];
        std::snprintf(text, sizeof text, "%s%u=%.9g", firstChoices.empty() ? "" : " ", id,
                      static_cast<double>(value));
        firstChoices += text;
      }
    }
    const FFUInt32 answer = host->RunFrames(1);
    Require(answer == FF_SUCCESS, "code 17 answered " + std::to_string(answer) + " at frame " + std::to_string(frame));
    watch.Rescan();
    switch (random() % 8) {
      case 0: watch.CountOnly(); ++collections; break;
      case 1: watch.Collect(static_cast<FFUInt32>(random() % 4), nullptr); ++collections; break;
      case 2: watch.Drain(); ++collections; break;
      default: break;
    }
  }
  watch.Drain();
  const auto pixels = host->Target().ReadOutput();
  Require(FirstNonFinite(pixels, 16).empty(), "non-finite output after the last frame: " + FirstNonFinite(pixels, 16));
  char digestText[32];
  std::snprintf(digestText, sizeof digestText, "%016llx", static_cast<unsigned long long>(digest));
  session.Detail("first values set: " + firstChoices);
  session.Detail("choices digest " + std::string(digestText));
  return Passed(std::to_string(kFrames) + " frames, " + std::to_string(sets) + " values set, " +
                std::to_string(collections) + " collections, " + std::to_string(watch.Unprompted()) +
                " changes by the plug-in, " + std::to_string(watch.Collected()) + " events");
}

}  // namespace

std::vector<Check> EventChecks() { return {{"events.random-frames", 2, -1, RandomFrames}}; }

}  // namespace validate
