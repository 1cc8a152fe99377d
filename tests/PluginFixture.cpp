#include "PluginFixture.h"

hostkit::PluginLibrary& Plugin() {
  static hostkit::PluginLibrary plugin(VELTRIMA_FREE_PLUGIN_PATH);
  return plugin;
}

hostkit::GLContext& SharedContext() {
  static hostkit::GLContext context(hostkit::OptionsFromEnvironment());
  return context;
}

void EnsurePluginLoaderRan() {
  SharedContext().MakeCurrent();
  static const bool ran = [] {
    FFInstanceID instance = Plugin().Instantiate({0, 0, 1, 1});
    if (instance) Plugin().Deinstantiate(instance);
    return instance != nullptr;
  }();
  ASSERT_TRUE(ran);
}

void InstanceTest::SetUp() {
  SharedContext().MakeCurrent();
  instance_ = Plugin().Instantiate(kViewport);
  ASSERT_NE(instance_, nullptr) << "instantiation failed";
}

void InstanceTest::TearDown() {
  if (instance_) {
    EXPECT_EQ(Plugin().Deinstantiate(instance_), FF_SUCCESS);
  }
}

float AsFloat(FFMixed answer) { return hostkit::FloatFromBits(answer.UIntValue); }

bool IsFailure(FFMixed answer) {
  return reinterpret_cast<std::uintptr_t>(answer.PointerValue) == FF_FAIL;
}
