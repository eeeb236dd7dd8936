#pragma once

#include <cstdio>
#include <functional>
#include <string>

// Writes what `write` puts into the open stream as the file at `path`, so
// that `path` is left either complete or as it was. A symbolic link (a chain
// of them, or one that names a file not yet there) is followed to the file it
// names, which is written and the links kept; an existing target that is not
// a regular file (a directory, device, FIFO or socket) is refused, touching
// nothing. The bytes go to a new temporary file beside the target (one file
// system, so the rename is atomic), are flushed to the disk and renamed over
// the target, which keeps its permission bits; the temporary file is removed
// on any failure. `write` reports its own failure by throwing
// std::exception with the reason; a write error on the stream is found here.
// Throws std::runtime_error("<path>: <reason>"), path as given.
void writeFileSafely(const std::string& path, const std::function<void(std::FILE*)>& write);
