#pragma once

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Chainmemory.h"
#include "plugins/common/Formatplugin.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

// A plug-in for archives whose later members are starting points of their own: a tar file's
// second header begins a valid tar file of the entries that follow, a gzip file's second member a
// valid gzip file, a ZIP file's second local header a chain that leads to the same central
// directory. Once a find is made, where its members begin is remembered, so that the rest of the
// same archive is neither walked again at each member (which costs the square of its length) nor
// extracted as a find of its own. The same holds for a walk that failed: a cut or damaged archive
// is refused from each of its later members for the same reason, so those are remembered too. Data
// inside a member (a ZIP file stored in a ZIP file) is not a member: it is offered as before.
//
// Parser adds to FormatPlugin's needs members(): after a measure that found a file, the positions
// of its members after the first, relative to its start; after one that found none, the positions
// (if any) that it proved to be members of a file that begins before the cursor's first byte.
// A Parser may also offer refused(): after a measure that found none, the positions after the
// first from which a walk over the same bytes, ending where this one's cursor ended, is bound to
// fail as well.
template <class Parser>
class ChainPlugin : public FormatPlugin<Parser> {
public:
    using FormatPlugin<Parser>::FormatPlugin;

    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override
    {
        origin = std::uint64_t{offsetHigh} << 32 | offsetLow;
        known = false;
        refusals.clear();
        // Every try must leave the plug-in consistent, whatever it meets: a failure here only costs
        // a walk that the memory would have saved.
        try {
            path = inputPath != nullptr ? inputPath : "";
            known = memory.knows(path, origin);
        } catch (...) {
            memory.clear();
        }
        const unsigned result = PluginBase::extract(inputPath, offsetHigh, offsetLow, outputPath);
        // A walk that could not read the input, or was cancelled, proves nothing about the rest.
        if (result == 0 && this->failure() == EXTRACT_NOTHING_FOUND) {
            try {
                memory.remember(path, origin, refusals);
            } catch (...) {
                memory.clear();
            }
        }
        return result;
    }

protected:
    std::uint64_t measure(ByteCursor& input) override
    {
        if (known) {
            return 0;
        }
        Parser parser;
        std::uint64_t length = parser.measure(input);
        memory.remember(path, origin, parser.members());
        // A later origin reaches further when the size window, not the input's end, stopped this
        // walk; only a walk stopped by the input's end proves anything about the later members.
        if (length == 0 && input.limit() == input.inputLength()) {
            takeRefusals(parser, 0);
        }
        return length;
    }

private:
    template <class P>
    auto takeRefusals(const P& parser, int) -> decltype(parser.refused(), void())
    {
        refusals = parser.refused();
    }
    template <class P>
    void takeRefusals(const P&, long)
    {
    }

    ChainMemory memory;
    // The call now running: its input, its origin, whether the memory knows it, and what its walk
    // proved refused.
    std::string path;
    std::uint64_t origin = 0;
    bool known = false;
    std::vector<std::uint64_t> refusals;
};
