// The GL loader is initialised once per process at the first instantiation.
// Each case runs in a process of its own (see CMakeLists.txt).
#include <gtest/gtest.h>

#include "hostkit/GLContext.h"
#include "hostkit/PluginLibrary.h"

namespace {

constexpr FFGLViewportStruct kViewport{0, 0, 64, 32};

void ExpectInstantiationWorks(hostkit::GLBackend backend, int expectedGlewAnswer) {
  hostkit::GLContextOptions options;
  options.backend = backend;
  hostkit::GLContext context(options);
  EXPECT_EQ(context.GlewInitResult(), expectedGlewAnswer);
  hostkit::PluginLibrary plugin(VELTRIMA_FREE_PLUGIN_PATH);
  for (int i = 0; i < 2; ++i) {
    FFInstanceID instance = plugin.Instantiate(kViewport);
    ASSERT_NE(instance, nullptr) << "instantiation " << i;
    EXPECT_EQ(plugin.Deinstantiate(instance), FF_SUCCESS);
  }
}

// Under EGL the loader answers "no GLX display" after loading every entry
// point; the plug-in calls no GLX function, so that counts as loaded.
TEST(GlLoader, EglContext) { ExpectInstantiationWorks(hostkit::GLBackend::Egl, 4); }

TEST(GlLoader, GlxContext) { ExpectInstantiationWorks(hostkit::GLBackend::Glx, 0); }

// With no context current the loader fails, and that failure is permanent:
// a later instantiation with a working context still fails.
TEST(GlLoader, NoContextFailsForGood) {
  hostkit::PluginLibrary plugin(VELTRIMA_FREE_PLUGIN_PATH);
  EXPECT_EQ(plugin.Instantiate(kViewport), nullptr);
  hostkit::GLContext context;
  EXPECT_EQ(plugin.Instantiate(kViewport), nullptr);
  EXPECT_EQ(plugin.GetNumParameters(), 16u) << "queries still answer";
}

}  // namespace
