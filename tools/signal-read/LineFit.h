// A least-squares straight line y = gain · x + offset gathered point by
// point: the grey ladder's levels, the transfer walk along them and the
// ramp's crossings each fit one.
#pragma once

#include <cstddef>

class LineFit {
 public:
  void Add(double x, double y) {
    n_ += 1;
    sx_ += x;
    sy_ += y;
    sxx_ += x * x;
    sxy_ += x * y;
  }
  // False with fewer than `least` points, or with every x the same.
  bool Solve(double& gain, double& offset, std::size_t least) const {
    const double d = n_ * sxx_ - sx_ * sx_;
    if (n_ < static_cast<double>(least) || d <= 0) return false;
    gain = (n_ * sxy_ - sx_ * sy_) / d;
    offset = (sy_ - gain * sx_) / n_;
    return true;
  }

 private:
  double n_ = 0, sx_ = 0, sy_ = 0, sxx_ = 0, sxy_ = 0;
};
