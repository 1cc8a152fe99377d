// Shared set-up for tests that drive the built plug-in through plugMain.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hostkit/GLContext.h"
#include "hostkit/PluginLibrary.h"

// The plug-in module, loaded once per test process like a host loads it.
hostkit::PluginLibrary& Plugin();

// A current GL context for the whole test process (instantiation needs one).
hostkit::GLContext& SharedContext();

// Runs the plug-in's one-time GL loader initialisation (its first
// instantiation) so that GL calls can be counted through the loader's
// pointers afterwards without being reset by it.
void EnsurePluginLoaderRan();

// A live instance made through code 18 for each test and destroyed after it.
class InstanceTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  FFInstanceID instance_ = nullptr;
  static constexpr FFGLViewportStruct kViewport{0, 0, 640, 360};
};

// The answer's bits as a float.
float AsFloat(FFMixed answer);
bool IsFailure(FFMixed answer);
