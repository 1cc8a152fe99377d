// A GL-context suite for tests that drive the plug-in linked into the test
// program and reach into its instances (the specialised programs, the
// general one, their fall-back).
#pragma once

#include "host/EntryPoint.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "free/OVNVeltrimaFree.h"
#include "tests/GLContextSuite.h"

class LinkedPluginSuite : public GLContextSuite {
 protected:
  static void SetUpTestSuite() {
    GLContextSuite::SetUpTestSuite();
    // The plug-in's first instance runs its GL loader, which sets GLEW's
    // function pointers again: done here, before any test counts calls.
    hostkit::PluginLibrary plugin(&plugMain, &SetLogCallback, "linked plug-in");
    hostkit::HostInstance warmUp(plugin, 4, 4);
  }

  // The plug-in object behind a host's instance.
  static OVNVeltrimaFree& Instance(const hostkit::HostInstance& host) {
    return *static_cast<OVNVeltrimaFree*>(static_cast<CFFGLPlugin*>(host.Id()));
  }
};
