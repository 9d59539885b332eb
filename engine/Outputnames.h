#pragma once

#include <cstdint>
#include <string>
#include <vector>

class IResource;

// The output names of one run, and the folders it made for them.
//
// A name is claimed by making it as an empty file, which of any number of runs and programs
// making that name at once only one can do: a name handed to a plug-in is this run's alone, so no
// find of anyone else is ever written over. After a failed attempt the run removes what lies at
// the name only while it is still the very file the run made (same device, same number), never a
// file that took the name meanwhile. While attempts leave nothing behind, the claim of a folder
// and kind stays for the next attempt there: millions of rejected candidates cost no new file and
// no memory. A claim is given back (its empty file removed, if it is still the run's) when the
// running number moves past it and at giveBack.
//
// The running number is that of the next find. It runs ahead of the finds written only where
// names were taken, by an earlier run or by one running alongside.
//
// The folders the run made are removed again at giveBack when they hold nothing, so that an
// attempt that wrote nothing leaves no empty folder; a folder that someone else made, or that was
// there before, is never removed.
class OutputNames {
public:
    // What a failed attempt left at its name.
    enum class Leftover {
        // Nothing was looked at (the plug-in promised to leave nothing), or the run's own empty
        // file is still there: the claim stands for the next attempt.
        none,
        // The run's file held what the attempt wrote; it is removed.
        removed,
        // Nothing is at the name any more: the attempt removed it, or its folder went.
        gone,
        // Another file took the name; it is left alone.
        foreign,
    };

    // Both entries belong to the run and are used only here.
    OutputNames(IResource* nameEntry, IResource* folderEntry);
    ~OutputNames();
    OutputNames(const OutputNames&) = delete;
    OutputNames& operator=(const OutputNames&) = delete;

    // The name for the next find of kind in folder, made as an empty file and this run's until
    // the find is written there or the claim is given back. Empty when nothing is at the name
    // and it cannot be made: the folder is missing or takes no new file.
    std::string claim(const std::string& folder, const std::string& kind);
    // The name that claim would make, for an attempt that runs without a claim (its folder cannot
    // take the file, so the plug-in cannot write it either and can only say why).
    std::string unclaimed(const std::string& folder, const std::string& kind) const;
    // The attempt at the last name returned wrote its find there: that number is used.
    void found();
    // The attempt at the last name returned wrote no find. trusted: the plug-in promised to leave
    // nothing and failed in no way that breaks the promise, so nothing is looked at.
    Leftover failed(bool trusted);
    // A folder this run has just made.
    void madeFolder(const std::string& path);
    // Gives every claim back and removes the folders made that are empty.
    void giveBack();

private:
    struct Claim {
        std::string folder;
        std::string kind;
        std::string name;
        std::uint32_t number;
        std::uint64_t device;
        std::uint64_t file;
    };

    std::string nameOf(const std::string& folder, const std::string& kind, std::uint32_t number) const;
    // Whether the name, looked up now, is still the claim's own file.
    bool stillOurs(const Claim& claim);
    void release(const Claim& claim);

    IResource* nameEntry;
    IResource* folderEntry;
    // At most one per folder and kind; only the current input's folders, as giveBack runs at the
    // end of every input.
    std::vector<Claim> claims;
    // Index in claims of the last name returned; none for an unclaimed one.
    static constexpr std::size_t none = static_cast<std::size_t>(-1);
    std::size_t current = none;
    std::uint32_t nextNumber = 0;
    std::vector<std::string> madeFolders;
};
