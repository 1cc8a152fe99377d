#include "tools/render/Progress.h"

#include <unistd.h>

#include <cstdio>

Progress::Progress(long total, bool quiet)
    : total_(total), shown_(!quiet && total > 1 && isatty(STDERR_FILENO)) {}

Progress::~Progress() {
  if (shown_) std::fputc('\n', stderr);
}

void Progress::Update(long done) {
  if (!shown_) return;
  constexpr int kWidth = 40;
  const long filled = total_ > 0 ? done * kWidth / total_ : kWidth;
  std::fprintf(stderr, "\r[");
  for (int i = 0; i < kWidth; ++i) std::fputc(i < filled ? '#' : '.', stderr);
  std::fprintf(stderr, "] %ld/%ld frames", done, total_);
  std::fflush(stderr);
}

void Progress::Note(const char* line) {
  if (shown_) std::fputc('\n', stderr);
  std::fprintf(stderr, "%s\n", line ? line : "");
  std::fflush(stderr);
}
