#pragma once

#include "plugins/common/Formatplugin.h"

#include <cstdint>
#include <set>
#include <string>

// A plug-in for archives whose later members are starting points of their own: a tar file's
// second header begins a valid tar file of the entries that follow, a gzip file's second member a
// valid gzip file, a ZIP file's second local header a chain that leads to the same central
// directory. Once a find is made, where its members begin is remembered, so that the rest of the
// same archive is neither walked again at each member (which costs the square of its length) nor
// extracted as a find of its own. Data inside a member (a ZIP file stored in a ZIP file) is not a
// member: it is offered as before.
//
// Parser adds to FormatPlugin's needs members(): after a measure that found a file, the positions
// of its members after the first, relative to its start.
template <class Parser>
class ChainPlugin : public FormatPlugin<Parser> {
public:
    using FormatPlugin<Parser>::FormatPlugin;

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override
    {
        origin = std::uint64_t{offsetHigh} << 32 | offsetLow;
        known = false;
        // Every try must leave the plug-in consistent, whatever it meets: a failure here only costs
        // a walk that the memory would have saved.
        try {
            if (inputPath == nullptr || memoryPath != inputPath) {
                members.clear();
                memoryPath = inputPath != nullptr ? inputPath : "";
            }
            // The scan only moves forward in an input, so members behind it are no longer needed.
            members.erase(members.begin(), members.lower_bound(origin));
            known = members.count(origin) > 0;
        } catch (...) {
            members.clear();
        }
        return PluginBase::extract(inputPath, offsetHigh, offsetLow, outputPath);
    }

protected:
    std::uint64_t measure(ByteCursor& input) override
    {
        if (known) {
            return 0;
        }
        Parser parser;
        std::uint64_t length = parser.measure(input);
        if (length > 0) {
            for (std::uint64_t member : parser.members()) {
                members.insert(origin + member);
            }
        }
        return length;
    }

private:
    std::string memoryPath;
    std::set<std::uint64_t> members;
    std::uint64_t origin = 0;
    bool known = false;
};
