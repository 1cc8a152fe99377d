// A one-line progress bar on standard error, shown only when that is a
// terminal and the user did not ask for quiet.
#pragma once

class Progress {
 public:
  Progress(long total, bool quiet);
  ~Progress();
  void Update(long done);
  // One line on standard error, on a line of its own below the bar.
  void Note(const char* line);

 private:
  long total_;
  bool shown_;
};
