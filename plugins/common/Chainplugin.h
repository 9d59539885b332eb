#pragma once

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Chainmemory.h"
#include "plugins/common/Formatplugin.h"

#include <cstdint>
#include <memory>
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
//
// Checked side by side, a call leaves what its walk proved in its note, and settle takes it into
// the memory in the order of the scan; a call whose position the memory holds already skips its
// walk, and settle has it made again should the memory, settled further, not bear that out.
template <class Parser>
class ChainPlugin : public FormatPlugin<Parser> {
    using Attempt = typename PluginBase::Attempt;
    using CallNote = typename PluginBase::CallNote;
    using Settled = typename PluginBase::Settled;

public:
    using FormatPlugin<Parser>::FormatPlugin;

    static constexpr bool callsConcurrently = true;

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
            takeRefusals(parser, refusals, 0);
        }
        return length;
    }

    std::uint64_t measureCall(ByteCursor& input, Attempt& attempt) override
    {
        auto note = std::make_unique<Note>();
        note->skipped = memory.holds(attempt.inputPath, attempt.offset);
        std::uint64_t length = 0;
        if (!note->skipped) {
            Parser parser;
            length = parser.measure(input);
            note->members = parser.members();
            if (length == 0 && input.limit() == input.inputLength()) {
                takeRefusals(parser, note->refusals, 0);
            }
        }
        attempt.note = std::move(note);
        return length;
    }

    Settled settle(const ExtractCall& call, unsigned result, CallNote* callNote) override
    {
        const auto* note = static_cast<const Note*>(callNote);
        if (note == nullptr) {
            return Settled::stands;
        }
        try {
            const std::string input = call.inputPath != nullptr ? call.inputPath : "";
            if (memory.knows(input, call.offset)) {
                // The one-thread run would not have walked here, and would have found nothing.
                return note->skipped ? Settled::stands : Settled::withdrawn;
            }
            if (note->skipped) {
                return Settled::again;
            }
            memory.remember(input, call.offset, note->members);
            if (result == 0 && call.failure == EXTRACT_NOTHING_FOUND) {
                memory.remember(input, call.offset, note->refusals);
            }
        } catch (...) {
            memory.clear();
        }
        return Settled::stands;
    }

private:
    struct Note : CallNote {
        bool skipped = false;
        std::vector<std::uint64_t> members;
        std::vector<std::uint64_t> refusals;
    };

    template <class P>
    static auto takeRefusals(const P& parser, std::vector<std::uint64_t>& into, int)
        -> decltype(parser.refused(), void())
    {
        into = parser.refused();
    }
    template <class P>
    static void takeRefusals(const P&, std::vector<std::uint64_t>&, long)
    {
    }

    ChainMemory memory;
    // The call now running one after another: its input, its origin, whether the memory knows
    // it, and what its walk proved refused.
    std::string path;
    std::uint64_t origin = 0;
    bool known = false;
    std::vector<std::uint64_t> refusals;
};
