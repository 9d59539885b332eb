#pragma once

#include <string>

namespace os {

// The names in one folder, in the order the file system returns them, "." and ".." included,
// hidden entries too. Names only: the caller looks each entry up itself.
class DirectorySearch {
public:
    DirectorySearch() = default;
    ~DirectorySearch();
    DirectorySearch(const DirectorySearch&) = delete;
    DirectorySearch& operator=(const DirectorySearch&) = delete;

    // False when the folder cannot be read (missing, not a folder, no permission).
    bool open(const std::string& folder);
    // The next name; false after the last.
    bool next(std::string& name);
    void close();

private:
    void* stream = nullptr;  // the system's directory stream
};

}  // namespace os
