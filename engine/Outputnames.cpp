#include "engine/Outputnames.h"

#include "framework/IResource.h"

#include <cstdio>

OutputNames::OutputNames(IResource* nameEntry, IResource* folderEntry)
    : nameEntry(nameEntry), folderEntry(folderEntry) {}

OutputNames::~OutputNames() = default;

std::string OutputNames::nameOf(const std::string& folder, const std::string& kind,
                                std::uint32_t number) const {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%05u", static_cast<unsigned>(number));
    return folder + "/" + kind + digits + "." + kind;
}

std::string OutputNames::unclaimed(const std::string& folder, const std::string& kind) const {
    return nameOf(folder, kind, nextNumber);
}

std::string OutputNames::claim(const std::string& folder, const std::string& kind) {
    current = none;
    for (std::size_t i = 0; i < claims.size(); ++i) {
        if (claims[i].folder != folder || claims[i].kind != kind) continue;
        if (claims[i].number == nextNumber) {
            current = i;
            return claims[i].name;
        }
        // A find of another kind took that number since: the claim moves on to the new one, in
        // one step that never replaces a file made there meanwhile.
        Claim& moving = claims[i];
        if (stillOurs(moving)) {
            for (;;) {
                std::string name = nameOf(folder, kind, nextNumber);
                if (nameEntry->moveTo(name)) {
                    moving.name = std::move(name);
                    moving.number = nextNumber;
                    current = i;
                    return moving.name;
                }
                folderEntry->setPath(name);
                if (!folderEntry->exists()) break;
                ++nextNumber;
            }
        }
        release(moving);
        claims.erase(claims.begin() + static_cast<std::ptrdiff_t>(i));
        break;
    }
    for (;;) {
        std::string name = nameOf(folder, kind, nextNumber);
        nameEntry->setPath(name);
        if (!nameEntry->exists()) {
            if (nameEntry->createFile()) {
                claims.push_back(Claim{folder, kind, name, nextNumber, nameEntry->getDeviceId(),
                                       nameEntry->getFileId()});
                current = claims.size() - 1;
                return name;
            }
            nameEntry->setPath(name);
            if (!nameEntry->exists()) return std::string();
            // Made by someone else between the look and the claim.
        }
        ++nextNumber;
    }
}

void OutputNames::found() {
    if (current != none) claims.erase(claims.begin() + static_cast<std::ptrdiff_t>(current));
    current = none;
    ++nextNumber;
}

OutputNames::Leftover OutputNames::failed(bool trusted) {
    // An attempt without a claim had a name that is not the run's: nothing there is touched.
    if (current == none) return Leftover::foreign;
    if (trusted) return Leftover::none;
    const Claim& claim = claims[current];
    Leftover left;
    if (stillOurs(claim)) {
        std::uint32_t high = 0;
        std::uint32_t low = 0;
        nameEntry->getSize(&high, &low);
        // Untouched, or emptied again: as good as new for the next attempt. What cannot be
        // removed stays claimed, for the next attempt to write over and giveBack to try again.
        if ((high == 0 && low == 0) || !nameEntry->remove()) return Leftover::none;
        left = Leftover::removed;
    } else {
        left = nameEntry->exists() ? Leftover::foreign : Leftover::gone;
    }
    claims.erase(claims.begin() + static_cast<std::ptrdiff_t>(current));
    current = none;
    return left;
}

bool OutputNames::stillOurs(const Claim& claim) {
    nameEntry->setPath(claim.name);
    return nameEntry->isFile() && nameEntry->getDeviceId() == claim.device &&
           nameEntry->getFileId() == claim.file && claim.file != 0;
}

void OutputNames::release(const Claim& claim) {
    if (stillOurs(claim)) nameEntry->remove();
}

void OutputNames::madeFolder(const std::string& path) { madeFolders.push_back(path); }

void OutputNames::giveBack() {
    for (const Claim& claim : claims) release(claim);
    claims.clear();
    current = none;
    // The innermost first: a per-kind folder lies in the per-file folder made before it.
    for (auto made = madeFolders.rbegin(); made != madeFolders.rend(); ++made) {
        folderEntry->setPath(*made);
        // Only an empty folder can be removed, so whatever someone put there keeps it.
        if (folderEntry->isDirectory()) folderEntry->remove();
    }
    madeFolders.clear();
}
