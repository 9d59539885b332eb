#pragma once

#include "plugins/common/Signatureset.h"
#include "plugins/userdefined/Userrule.h"

#include <cstdint>
#include <vector>

class ByteCursor;

// Finds the data the user's rules describe. A position is a candidate for the first rule, in the
// rules' order, whose header matches there; the find then runs from the header to its footer (the
// first or the last within the largest size, with or without the footer's bytes), or, for a rule
// without a footer, over the largest size, cut at the end of the input. The settings' upper bound
// of sizes caps every rule's largest size, as the cursor ends there.
class UserDefinedParser {
public:
    void setRules(std::vector<CompiledRule> rules);
    const std::vector<CompiledRule>& rules() const { return compiled; }

    // The longest header, at least 1.
    unsigned windowSize() const { return window; }
    // Every rule's header, with its wildcards as masks.
    const SignatureSet& signatures() const { return headers; }

    // The first rule whose header matches data, which holds windowSize() bytes; -1 when none does.
    int detect(const unsigned char* data) const;
    // The same for the input at the cursor's origin; the cursor is left there.
    int detect(ByteCursor& input) const;
    // The length of the find of rule at the cursor's origin, 0 when there is none.
    std::uint64_t measure(ByteCursor& input, std::size_t rule) const;

private:
    std::vector<CompiledRule> compiled;
    SignatureSet headers;
    unsigned window = 1;
};
