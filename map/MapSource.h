// MapSource: the layout file the "Map File" parameter names and what the
// frame shows of it: nothing loaded, the layout, or the last read's error —
// over the last good layout when there was one. Setting the path checks the
// file at once without waiting (a pipe, a device, a socket or a folder is
// refused there) and reads it on a thread of its own (map/LayoutLoader.h);
// until the read ends, everything stays as it was and Loading() says so.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "map/LayoutLoader.h"
#include "map/layout/Layout.h"

struct MapSourceFacts;

class MapSource {
 public:
  enum class State { NoFile, Loaded, Failed };

  MapSource();
  ~MapSource();
  MapSource(const MapSource&) = delete;
  MapSource& operator=(const MapSource&) = delete;

  // Starts on the file at `utf8Path`, dropping a read still under way. An
  // empty path unloads everything at once; a path that cannot be opened,
  // is too long or is not a regular file fails at once; otherwise the read
  // goes on off the caller's thread. Answers the message to log when the
  // path failed at once ("WALL.CSV: NOT A REGULAR FILE"), empty otherwise.
  std::string Load(std::string_view utf8Path);
  // Takes the outcome of a read that has ended: true when it did (the state
  // changed), with the message to log in `failure` when it failed.
  bool Poll(std::string& failure);
  // Waits at most `most` for a read under way to end (then Poll takes it).
  void WaitForRead(std::chrono::milliseconds most);
  bool Loading() const { return loader_ != nullptr; }
  // The name of the file being read while Loading().
  const std::string& LoadingFileName() const { return loadingName_; }

  State GetState() const { return state_; }
  // The last good layout, or null.
  const layout::Layout* GoodLayout() const { return good_.get(); }
  // The name (without folders) of the path last read, and of the file the
  // good layout came from.
  const std::string& FileName() const { return fileName_; }
  const std::string& GoodFileName() const { return goodFileName_; }
  // What went wrong with the last read; empty unless Failed.
  const std::string& Error() const { return error_; }
  // Counts changes of the state, so that a frame knows when to compose again.
  std::uint64_t Revision() const { return revision_; }
  // What the source shows now, as a copy that shares the layout: a
  // composition may go on with it on another thread while a new read
  // replaces the source's own.
  MapSourceFacts Facts() const;

 private:
  // The message to log for the failure now in error_.
  std::string Failure(std::string error);

  State state_ = State::NoFile;
  std::shared_ptr<const layout::Layout> good_;
  std::string fileName_, goodFileName_, error_, loadingName_;
  std::uint64_t revision_ = 0;
  std::unique_ptr<LayoutLoader> loader_;
};

// What a composition reads of a MapSource (its accessors' values).
struct MapSourceFacts {
  MapSource::State state = MapSource::State::NoFile;
  std::shared_ptr<const layout::Layout> good;
  std::string fileName, goodFileName, error;
  std::uint64_t revision = 0;

  const layout::Layout* GoodLayout() const { return good.get(); }
};

// The last part of a path, after its last '/' or backslash, with ASCII letters in
// capitals.
std::string FileNameOf(std::string_view path);
