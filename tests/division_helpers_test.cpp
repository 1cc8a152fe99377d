// The fragment shader's integer division helpers (pdiv, pmod, tdiv), run on
// the GL renderer itself. They divide through float arithmetic, so their
// exactness depends on the driver's float division; this test takes their
// text out of the shipped shader and checks them, over their whole domain
// (divisor b >= 1, numerator |a| < 2^21), at every numerator where a float
// quotient could land on the wrong side of an integer.
//
// For every divisor 1..1024 and the large ones below, the numerators are
// q*b - 1, q*b and q*b + 1 for every q (both signs), and the domain's edges
// +-(2^21 - 1): about 84 million numerators, each put to all three helpers.
// Written as a = q*b + r with 0 <= r < b, a numerator's floored quotient and
// remainder are q and r by construction, so the reference needs no division.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include "gl/ScreenQuad.h"
#include "gl/ShaderProgram.h"
#include "gl/ScopedBindings.h"
#include "hostkit/GLScoped.h"
#include "hostkit/RenderTarget.h"
#include "free/shaders/ShaderSources.h"
#include "tests/GLContextSuite.h"

namespace {

constexpr int kLargest = (1 << 21) - 1;  // the largest |a| the helpers promise
constexpr int kSide = 256;               // the target is kSide x kSide pixels
constexpr int kGroupsPerPixel = 64;      // values of q one pixel checks

// The shipped helpers: from the line that opens the ARITHMETIC HELPERS
// section up to the next section's banner. Empty when either is missing.
std::string ArithmeticHelpers() {
  const std::string text = kFragmentShaderSource;
  const std::string open = "\n// ===== ARITHMETIC HELPERS";
  const std::size_t start = text.find(open);
  if (start == std::string::npos) return {};
  const std::size_t end = text.find("\n// =====", start + open.size());
  if (end == std::string::npos) return {};
  return text.substr(start + 1, end - start);
}

const char kVertex[] =
    "#version 410 core\nlayout(location = 0) in vec4 vPosition;\n"
    "void main() { gl_Position = vPosition; }\n";

// Each pixel checks kGroupsPerPixel consecutive values of q, the first pixel
// also the domain's edges, and writes: numerators checked, numerators on
// which some helper failed, the first such numerator, and which helpers
// failed (bits 1 pdiv, 2 pmod, 4 tdiv).
const char kChecks[] = R"glsl(
uniform int B;          // this draw's divisor
uniform int FirstQ;     // the quotients this draw covers
uniform int LastQ;
uniform int GroupsPerPixel;
uniform int Width;      // pixels per row
out vec4 result;

const int LARGEST = (1 << 21) - 1;
int checked = 0, mismatched = 0, firstFailure = 0, failing = 0;

// a = q*B + r with 0 <= r < B; truncation rounds a negative non-multiple up.
void check(int q, int r)
{
    int a = q * B + r;
    if (abs(a) > LARGEST)
        return;
    int truncated = (a < 0 && r != 0) ? q + 1 : q;
    int failed = ((pdiv(a, B) != q) ? 1 : 0) | ((pmod(a, B) != r) ? 2 : 0)
               | ((tdiv(a, B) != truncated) ? 4 : 0);
    checked += 1;
    if (failed != 0 && mismatched == 0)
        firstFailure = a;
    mismatched += (failed != 0) ? 1 : 0;
    failing |= failed;
}

void main()
{
    int pixel = int(gl_FragCoord.y) * Width + int(gl_FragCoord.x);
    if (pixel == 0) {
        // +-LARGEST, split with / and % on non-negative operands only.
        int q = LARGEST / B, r = LARGEST % B;
        check(q, r);
        check((r == 0) ? -q : -q - 1, (r == 0) ? 0 : B - r);
    }
    for (int k = 0; k < GroupsPerPixel; ++k) {
        int q = FirstQ + pixel * GroupsPerPixel + k;
        if (q > LastQ)
            break;
        check(q, 0);           // q*B
        if (B > 1)
            check(q, 1);       // q*B + 1
        if (B > 2)
            check(q, B - 1);   // (q+1)*B - 1
    }
    result = vec4(float(checked), float(mismatched), float(firstFailure), float(failing));
}
)glsl";

long long FloorDiv(long long a, long long b) { return a / b - ((a % b != 0 && a < 0) ? 1 : 0); }

// The numerators one divisor's draw must check, counted per residue rather
// than enumerated the way the shader does.
long long ExpectedChecks(int b) {
  std::vector<int> residues{0};
  if (b > 1) residues.push_back(1);
  if (b > 2) residues.push_back(b - 1);
  long long count = 2;  // the two edges, checked whatever their residue
  for (int r : residues) count += FloorDiv(kLargest - r, b) - FloorDiv(-kLargest - 1 - r, b);
  return count;
}

struct Tally {
  long long checked = 0, expected = 0, mismatched = 0;
  int failing = 0;  // bits 1 pdiv, 2 pmod, 4 tdiv
  int firstA = 0, firstB = 0;

  std::string Failure() const {
    std::string helpers;
    for (auto [bit, name] : {std::pair{1, " pdiv"}, std::pair{2, " pmod"}, std::pair{4, " tdiv"}})
      if (failing & bit) helpers += name;
    return std::to_string(mismatched) + " of " + std::to_string(checked) +
           " numerators wrong, first a = " + std::to_string(firstA) + ", b = " + std::to_string(firstB) +
           "; failing:" + helpers;
  }
};

std::vector<int> AllDivisors() {
  std::vector<int> divisors;
  for (int b = 1; b <= 1024; ++b) divisors.push_back(b);
  for (int b : {1079, 1080, 1919, 1920, 2159, 2160, 3839, 3840, 4095, 4096, 7680, 8192, 16383,
                16384, 32768, 65535, 1 << 20})
    divisors.push_back(b);
  return divisors;
}

class DivisionHelpers : public GLContextSuite {
 protected:
  // Builds the checks around `helpers` and runs them for each divisor, one
  // draw per divisor over as many pixels as its quotients need.
  static Tally Run(const std::string& helpers, const std::vector<int>& divisors) {
    Tally tally;
    const std::string fragment = "#version 410 core\n" + helpers + kChecks;
    ffglex::ShaderProgram program;
    ffglex::ScreenQuad quad;
    if (!program.Compile(kVertex, fragment.c_str()) || !quad.Create(false)) {
      ADD_FAILURE() << "the checks do not build";
      return tally;
    }
    hostkit::RenderTarget target(kSide, kSide, hostkit::PixelFormat::RGBA32F);
    hostkit::gl::ScopedFramebufferBinding framebufferBinding;
    ffglex::ScopedProgramUse use(program.ProgramId());
    glUniform1i(program.UniformLocation("GroupsPerPixel"), kGroupsPerPixel);
    glUniform1i(program.UniformLocation("Width"), kSide);
    for (int b : divisors) {
      const int firstQ = static_cast<int>(FloorDiv(-kLargest, b));
      const int lastQ = static_cast<int>(FloorDiv(kLargest, b));
      const int pixels = (lastQ - firstQ + kGroupsPerPixel) / kGroupsPerPixel;
      if (pixels > kSide * kSide) {
        ADD_FAILURE() << "b = " << b << " needs " << pixels << " pixels";
        break;
      }
      glUniform1i(program.UniformLocation("B"), b);
      glUniform1i(program.UniformLocation("FirstQ"), firstQ);
      glUniform1i(program.UniformLocation("LastQ"), lastQ);
      target.SetViewport({0, 0, std::min(pixels, kSide), (pixels + kSide - 1) / kSide});
      target.Bind();
      quad.Draw();
      const std::vector<float> out = target.ReadOutput();
      tally.expected += ExpectedChecks(b);
      for (std::size_t i = 0; i < out.size(); i += 4) {
        tally.checked += static_cast<long long>(out[i]);
        if (out[i + 1] > 0 && tally.mismatched == 0) {
          tally.firstA = static_cast<int>(out[i + 2]);
          tally.firstB = b;
        }
        tally.mismatched += static_cast<long long>(out[i + 1]);
        tally.failing |= static_cast<int>(out[i + 3]);
      }
    }
    use.End();
    quad.Release();
    program.Release();
    return tally;
  }
};

TEST_F(DivisionHelpers, ExactOnEveryRiskyNumeratorOfTheirDomain) {
  const std::string helpers = ArithmeticHelpers();
  ASSERT_FALSE(helpers.empty()) << "the shader has no ARITHMETIC HELPERS section followed by "
                                   "another '// =====' banner";
  const auto start = std::chrono::steady_clock::now();
  const Tally tally = Run(helpers, AllDivisors());
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  std::cout << "[ checks   ] " << tally.checked << " numerators, each through pdiv, pmod and tdiv, in "
            << took.count() << " s\n";
  EXPECT_EQ(tally.checked, tally.expected) << "numerators left unchecked (or checked twice)";
  EXPECT_EQ(tally.mismatched, 0) << tally.Failure();
}

// The same checks must see a helper go wrong. Each case renames one shipped
// helper out of the way (the others still call the shipped one) and puts a
// faulty one in its place.
TEST_F(DivisionHelpers, ChecksCatchAFaultyHelper) {
  struct Fault {
    const char* what;
    const char* helper;
    int bit;
    const char* replacement;
  };
  const Fault faults[] = {
      {"quotient through a rounded reciprocal, uncorrected", "pdiv", 1,
       "int pdiv(int a, int b) { return int(floor(float(a) * (1.0 / float(b)))); }\n"},
      {"remainder with the sign of a", "pmod", 2,
       "int pmod(int a, int b) { return a - tdiv(a, b) * b; }\n"},
      {"floored instead of truncated", "tdiv", 4, "int tdiv(int a, int b) { return pdiv(a, b); }\n"},
  };
  const std::string helpers = ArithmeticHelpers();
  ASSERT_FALSE(helpers.empty());
  std::vector<int> divisors;
  for (int b = 1; b <= 64; ++b) divisors.push_back(b);
  for (const Fault& fault : faults) {
    const std::string name = fault.helper;
    const std::string planted = "#define " + name + " " + name + "_shipped\n" + helpers + "#undef " +
                                name + "\n" + fault.replacement;
    const Tally tally = Run(planted, divisors);
    EXPECT_GT(tally.mismatched, 0) << fault.what;
    EXPECT_EQ(tally.failing, fault.bit) << fault.what << ": " << tally.Failure();
  }
}

}  // namespace
