#pragma once

#include <cstdint>
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

    // Which folder is open, however its path reached it (through links, "." or ".."): two
    // searches with equal identities read the same folder.
    struct Identity {
        std::uint64_t device = 0;
        std::uint64_t node = 0;
        bool operator<(const Identity& other) const {
            return device != other.device ? device < other.device : node < other.node;
        }
    };

    // False when the folder cannot be read (missing, not a folder, no permission).
    bool open(const std::string& folder);
    // The open folder's identity; false when none is open or the system cannot tell.
    bool identity(Identity& identity) const;
    // The next name; false after the last.
    bool next(std::string& name);
    void close();

private:
    void* stream = nullptr;  // the system's directory stream
};

}  // namespace os
