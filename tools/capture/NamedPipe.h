// Opening a capture stream that may be a named pipe (FIFO). Opening a FIFO
// for reading blocks until some process opens it for writing, which may
// never happen (a capture process that failed to start): a reader would
// hang with no word. Here a FIFO is opened without blocking and given a
// bounded wait for its writer's first bytes (or its close); after that the
// stream reads as any other, blocking while a live writer is between frames.
#pragma once

#include <cstdio>
#include <string>

// Whether path names a FIFO.
bool IsNamedPipe(const std::string& path);

// Opens path for binary reading ("rb"). A FIFO gets at most waitSeconds for a
// writer. Throws std::runtime_error with the reason in one line when the
// file cannot be opened or no writer comes in time.
std::FILE* OpenCaptureStream(const std::string& path, double waitSeconds);
