// Fuzzes plugMain the way a careless host could call it: mostly known
// function codes, some raw ones; instance identifiers drawn from the live
// instances, null, or one already destroyed; every record freshly allocated
// at its exact size from the fuzz bytes (so an overread is caught), null now
// and then. Fuzz bytes never become addresses: every pointer inside a record
// is null or points at memory this harness owns. One GL context is made
// once; every instance is destroyed at the end of each input. A file
// parameter is mostly pointed at a layout file the harness writes from the
// input. The input is decoded by LLVM's FuzzedDataProvider: past its end
// every value reads as zero, so any input decodes to a finite sequence of
// calls.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "host/EntryPoint.h"
#include "hostkit/GLContext.h"
#include "hostkit/RenderTarget.h"

namespace {

constexpr FFUInt32 kKnownCodes[] = {0,  2,  4,  5,  6,  7,  8,  9,  10, 13, 15, 16, 17, 18,
                                    18, 18, 19, 20, 21, 22, 23, 31, 32, 33, 34, 35, 36, 37,
                                    38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51};
constexpr std::size_t kMaxCallsPerInput = 96;
constexpr std::size_t kMaxLiveInstances = 4;

// A folder of this process's own for the layout files a file parameter is
// pointed at, removed when the process ends.
class LayoutFolder {
 public:
  LayoutFolder() {
    char pattern[] = "/tmp/veltrima-fuzz-XXXXXX";
    if (mkdtemp(pattern)) path_ = pattern;
  }
  ~LayoutFolder() {
    for (const char* name : kNames) std::remove((path_ + "/" + name).c_str());
    if (!path_.empty()) rmdir(path_.c_str());
  }
  // Writes `bytes` into the folder's file for one of the layout formats (or
  // one without an extension, which the reader sniffs) and answers its path.
  std::string Write(const std::string& bytes, std::uint32_t format) {
    if (path_.empty()) return std::string();
    const std::string file = path_ + "/" + kNames[format % std::size(kNames)];
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
    return file;
  }

 private:
  static constexpr const char* kNames[] = {"layout.csv", "layout.json", "layout.xml", "layout"};
  std::string path_;
};

LayoutFolder& Layouts() {
  static LayoutFolder folder;
  return folder;
}

// The GL side a host provides: a context and a small framebuffer, bound.
struct Host {
  Host() : context(), target(16, 16, hostkit::PixelFormat::RGBA32F) { target.Bind(); }
  hostkit::GLContext context;
  hostkit::RenderTarget target;
};

// A record of exactly `size` bytes, filled from the input (zero past its end).
std::unique_ptr<std::uint8_t[]> Record(FuzzedDataProvider& in, std::size_t size) {
  auto record = std::make_unique<std::uint8_t[]>(size);
  in.ConsumeData(record.get(), size);
  return record;
}

// A number in [0, bound), bound > 0.
std::uint32_t Below(FuzzedDataProvider& in, std::uint32_t bound) {
  return in.ConsumeIntegralInRange<std::uint32_t>(0, bound - 1);
}

template <typename Field>
void Put(std::uint8_t* record, std::size_t offset, Field value) {
  std::memcpy(record + offset, &value, sizeof value);
}

class Session {
 public:
  explicit Session(FuzzedDataProvider& in) : in_(in) {}
  ~Session() {
    for (FFInstanceID id : live_) plugMain(FF_DEINSTANTIATE_GL, FFNumber(0), id);
  }

  void Run() {
    for (std::size_t call = 0; call < kMaxCallsPerInput && in_.remaining_bytes() > 0; ++call) OneCall();
  }

 private:
  // A harness-owned text of fuzz content, or null. Mostly short; now and
  // then long enough to pass the plug-ins' length limits (the QR label's and
  // the text parameters' caps cut UTF-8 at those places).
  const char* Text() {
    if (Below(in_, 4) == 0) return nullptr;
    const std::size_t longest = Below(in_, 8) == 0 ? 2048 : 24;
    return texts_.emplace_back(in_.ConsumeRandomLengthString(longest)).c_str();
  }

  // For a file parameter: mostly a layout file whose bytes come from the
  // input, sometimes a fuzz text as the path itself.
  const char* FileText() {
    if (Below(in_, 4) == 0) return Text();
    const std::uint32_t format = Below(in_, 4);
    return texts_.emplace_back(Layouts().Write(in_.ConsumeRandomLengthString(4096), format)).c_str();
  }

  FFInstanceID Instance() {
    switch (Below(in_, 8)) {
      case 0: return nullptr;
      case 1: return destroyed_;
      default: return live_.empty() ? nullptr : live_[Below(in_, static_cast<std::uint32_t>(live_.size()))];
    }
  }

  void OneCall() {
    // Mostly known codes; one call in sixteen a raw one.
    const FFUInt32 code = Below(in_, 16) == 0 ? in_.ConsumeIntegral<FFUInt32>()
                                               : in_.PickValueInArray(kKnownCodes);
    const FFInstanceID instance = Instance();
    const bool nullRecord = Below(in_, 16) == 0;
    std::unique_ptr<std::uint8_t[]> record;
    std::vector<std::uint8_t> buffer;   // memory a record points into
    std::vector<ParamEventStruct> events;
    ProcessOpenGLStruct frame{0, nullptr, 0};
    FFMixed input = FFNumber(in_.ConsumeIntegral<FFUInt32>());

    switch (code) {
      case FF_SET_PARAMETER: {
        record = Record(in_, sizeof(SetParameterStruct));
        FFUInt32 id;
        std::memcpy(&id, record.get(), sizeof id);
        const FFUInt32 type = plugMain(FF_GET_PARAMETER_TYPE, FFNumber(id), nullptr).UIntValue;
        if (type == FF_TYPE_FILE)
          Put(record.get(), 8, static_cast<const void*>(FileText()));
        else if (type == FF_TYPE_TEXT)
          Put(record.get(), 8, static_cast<const void*>(Text()));
        else
          Put(record.get(), 12, std::uint32_t{0});  // a float: the high half is unused
        break;
      }
      case FF_INSTANTIATE_GL:
      case FF_RESIZE:
        record = Record(in_, sizeof(FFGLViewportStruct));
        break;
      case FF_SET_TIME: record = Record(in_, sizeof(double)); break;
      case FF_GET_PARAM_ELEMENT_NAME:
      case FF_GET_PARAM_ELEMENT_DEFAULT:
      case FF_GET_FILE_PARAMETER_EXTENSION:
      case FF_GET_SEPARATOR_ELEMENT_INDEX:
        record = Record(in_, sizeof(GetParameterElementStruct));
        break;
      case FF_SET_PARAM_ELEMENT_VALUE:
        record = Record(in_, sizeof(SetParameterElementValueStruct));
        break;
      case FF_SET_BEAT_INFO: record = Record(in_, sizeof(SetBeatinfoStruct)); break;
      case FF_GET_RANGE: record = Record(in_, sizeof(GetRangeStruct)); break;
      case FF_SET_HOSTINFO:
        record = Record(in_, sizeof(SetHostinfoStruct));
        Put(record.get(), 0, static_cast<const void*>(Text()));
        Put(record.get(), 8, static_cast<const void*>(Text()));
        break;
      case FF_GET_THUMBNAIL: {
        record = Record(in_, sizeof(GetThumbnailStruct));
        buffer.resize(Below(in_, 64));
        Put(record.get(), 8, static_cast<void*>(buffer.empty() ? nullptr : buffer.data()));
        break;
      }
      case FF_GET_PARAMETER_EVENTS: {
        record = Record(in_, sizeof(GetParamEventsStruct));
        const std::uint32_t capacity = Below(in_, 24);
        Put(record.get(), 0, capacity);
        if (Below(in_, 4) != 0) {
          events.resize(capacity);
          Put(record.get(), 8, static_cast<void*>(events.empty() ? nullptr : events.data()));
        } else {
          Put(record.get(), 8, static_cast<void*>(nullptr));
        }
        break;
      }
      case FF_GET_PARAMETER_GROUP:
      case FF_GET_PARAMETER_DISPLAY_NAME: {
        record = Record(in_, sizeof(GetStringStruct));
        const std::uint32_t size = Below(in_, 40);
        buffer.resize(size);
        Put(record.get(), 8, static_cast<void*>(Below(in_, 5) == 0 || buffer.empty() ? nullptr : buffer.data()));
        Put(record.get(), 16, size);
        break;
      }
      case FF_PROCESS_OPENGL:
        input = FFPointer(&frame);
        break;
      default:
        break;
    }
    if (record) input = FFPointer(record.get());
    if (nullRecord && (record || code == FF_PROCESS_OPENGL)) input = FFPointer(nullptr);

    if (code == FF_INSTANTIATE_GL && live_.size() >= kMaxLiveInstances) return;
    const FFMixed answer = plugMain(code, input, instance);
    Track(code, instance, answer);
  }

  void Track(FFUInt32 code, FFInstanceID instance, FFMixed answer) {
    if (code == FF_INSTANTIATE_GL) {
      const auto value = reinterpret_cast<std::uintptr_t>(answer.PointerValue);
      if (value != 0 && value != FF_FAIL) live_.push_back(answer.PointerValue);
    } else if (code == FF_DEINSTANTIATE_GL && answer.UIntValue == FF_SUCCESS) {
      for (auto it = live_.begin(); it != live_.end(); ++it)
        if (*it == instance) {
          destroyed_ = instance;  // kept only as a value; never dereferenced here
          live_.erase(it);
          break;
        }
    }
  }

  FuzzedDataProvider& in_;
  std::vector<FFInstanceID> live_;
  FFInstanceID destroyed_ = nullptr;
  std::deque<std::string> texts_;  // stable addresses as texts are added
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Host host;
  host.context.MakeCurrent();
  host.target.Bind();
  FuzzedDataProvider in(data, size);
  Session(in).Run();
  return 0;
}
