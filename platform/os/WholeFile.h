#pragma once

#include <cstddef>
#include <string>

// Whole-file reads and writes for callers that load and save a file in one piece. Paths are
// passed to the system as they are, byte for byte.
namespace os {

// The file's whole contents; false when it cannot be opened or read, or is no regular file.
bool readWholeFile(const std::string& path, std::string& contents);

// Replaces the file at path by contents without ever leaving it half-written: the bytes go to a
// new file in the same folder, which is flushed to disk and only then renamed over path. On any
// failure (folder missing, disk full, no permission) path keeps its old contents, the temporary
// file is removed and the result is false. An existing file's permission bits are kept.
bool replaceWholeFile(const std::string& path, const char* data, std::size_t size);

}  // namespace os
