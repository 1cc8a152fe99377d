// Which renderer the host kit's contexts get when the machine offers more
// than Mesa's llvmpipe. CTest runs each case in a process of its own with a
// hostile environment: a second EGL vendor searched first, a hardware
// driver asked for, another GLX vendor named. The cases that select the
// software rasteriser must still get llvmpipe; the controls, which do not,
// show that the hostile environment really takes effect.
//
// This program does not link the suite's start-up selection: each case
// decides for itself, before its first EGL or GLX call.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "hostkit/GLContext.h"
#include "hostkit/SoftwareRasteriser.h"

namespace {

bool DummyVendorLoaded() { return std::getenv("VELTRIMA_DUMMY_EGL_VENDOR_LOADED") != nullptr; }

TEST(SoftwareRasteriser, EglGetsLlvmpipeWithAnotherVendorFirst) {
  hostkit::SelectSoftwareRasteriser();
  hostkit::GLContext context({hostkit::GLBackend::Egl});
  const hostkit::RendererInfo info = hostkit::CurrentRenderer();
  EXPECT_NE(info.renderer.find("llvmpipe"), std::string::npos) << hostkit::DescribeRenderer(info);
  EXPECT_NE(info.version.find("Mesa"), std::string::npos) << hostkit::DescribeRenderer(info);
  EXPECT_FALSE(DummyVendorLoaded()) << "glvnd loaded the other EGL vendor";
}

TEST(SoftwareRasteriser, ControlEglWithoutSelectionLoadsTheOtherVendorAndNoLlvmpipe) {
  // The environment names the dummy vendor's folder first and asks for
  // softpipe; without the selection both take effect, and softpipe, which
  // offers no OpenGL 4.1 core context, is refused or renders.
  std::string renderer;
  try {
    hostkit::GLContext context({hostkit::GLBackend::Egl});
    renderer = hostkit::CurrentRenderer().renderer;
  } catch (const hostkit::GLContextError& error) {
    renderer = std::string("(refused: ") + error.what() + ")";
  }
  EXPECT_TRUE(DummyVendorLoaded()) << "the vendor search never reached the dummy vendor";
  EXPECT_EQ(renderer.find("llvmpipe"), std::string::npos) << renderer;
}

TEST(SoftwareRasteriser, GlxGetsLlvmpipeWithAnotherVendorNamed) {
  hostkit::SelectSoftwareRasteriser();
  hostkit::GLContext context({hostkit::GLBackend::Glx});
  const hostkit::RendererInfo info = hostkit::CurrentRenderer();
  EXPECT_NE(info.renderer.find("llvmpipe"), std::string::npos) << hostkit::DescribeRenderer(info);
}

TEST(SoftwareRasteriser, ControlGlxWithoutSelectionFindsNoVendor) {
  // The environment names a GLX vendor that is not installed.
  EXPECT_THROW(hostkit::GLContext({hostkit::GLBackend::Glx}), hostkit::GLContextError);
}

TEST(SoftwareRasteriser, MesaVendorFileIsFound) {
  const std::string file = hostkit::MesaEglVendorFile();
  EXPECT_NE(file.find("50_mesa.json"), std::string::npos) << "found: \"" << file << "\"";
}

}  // namespace
