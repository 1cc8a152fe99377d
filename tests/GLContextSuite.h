// A test suite that owns one headless GL context, made before its first test
// and current before each test. Making a context costs more than most tests
// it serves, so the suite shares one; each test program's suites take turns.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hostkit/GLContext.h"

class GLContextSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { context_ = std::make_unique<hostkit::GLContext>(); }
  static void TearDownTestSuite() { context_.reset(); }
  void SetUp() override { context_->MakeCurrent(); }

  inline static std::unique_ptr<hostkit::GLContext> context_;
};
