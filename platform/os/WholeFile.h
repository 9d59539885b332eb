#pragma once

#include <cstddef>
#include <string>

// Whole-file reads and writes for callers that load and save a file in one piece. Paths are
// passed to the system as they are, byte for byte.
namespace os {

// The file's whole contents; false when it cannot be opened or read, or is no regular file.
bool readWholeFile(const std::string& path, std::string& contents);

enum class ReadResult { Read, Unreadable, TooLarge };

// As above, but a file of more than limit bytes is not read at all (TooLarge), so that an
// oversized file never costs its size in memory; contents is then left as it was.
ReadResult readWholeFile(const std::string& path, std::string& contents, std::size_t limit);

enum class ReplaceResult { Replaced, Failed, ReadOnly };

// Replaces the file at path by contents without ever leaving it half-written: the bytes go to a
// new file in the same folder, which is flushed to disk and only then renamed over the file. On
// any failure (folder missing, disk full, no permission) the file keeps its old contents, the
// temporary file is removed and the result is Failed.
//
// What the file is stays as it was: a symbolic link keeps pointing where it pointed (its target
// is replaced, not the link), and the file keeps its permission bits and its owner. When the
// owner cannot be given to a new file (another user's file that we may write to), the file is
// rewritten in place instead, which keeps the owner but not the guarantee above. A file that is
// read-only (no write bit at all, or not writable by us) is not touched: ReadOnly.
ReplaceResult replaceWholeFile(const std::string& path, const char* data, std::size_t size);

}  // namespace os
