#include "plugins/userdefined/Userdefinedparser.h"

#include "plugins/common/Bytecursor.h"

#include <algorithm>
#include <string>

namespace {

// The first block of a footer search is small, as most finds are, and each further one larger.
const std::size_t firstSearchBlock = 4096;
const std::size_t largestSearchBlock = 1024 * 1024;

}  // namespace

void UserDefinedParser::setRules(std::vector<CompiledRule> rules)
{
    compiled = std::move(rules);
    headers.clear();
    window = 1;
    for (const CompiledRule& rule : compiled) {
        headers.add(0, rule.header.patternBytes(), rule.header.patternMask());
        window = std::max(window, static_cast<unsigned>(rule.header.size()));
    }
}

int UserDefinedParser::detect(const unsigned char* data) const
{
    for (std::size_t i = 0; i < compiled.size(); ++i) {
        if (compiled[i].header.matchesAt(data)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int UserDefinedParser::detect(ByteCursor& input) const
{
    std::vector<unsigned char> start(std::min<std::uint64_t>(window, input.limit()));
    if (!input.seek(0) || !input.read(start.data(), start.size())) {
        return -1;
    }
    input.seek(0);
    for (std::size_t i = 0; i < compiled.size(); ++i) {
        const BytePattern& header = compiled[i].header;
        if (header.size() <= start.size() && header.matchesAt(start.data())) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::uint64_t UserDefinedParser::measure(ByteCursor& input, std::size_t ruleIndex) const
{
    if (ruleIndex >= compiled.size()) {
        return 0;
    }
    const CompiledRule& rule = compiled[ruleIndex];
    const std::size_t headerLength = rule.header.size();
    std::vector<unsigned char> block(headerLength);
    // The window detect saw may have reached past the end of the input, where it reads zeros.
    if (!input.seek(0) || !input.read(block.data(), headerLength) || !rule.header.matchesAt(block.data())) {
        return 0;
    }
    const std::uint64_t end = std::min(rule.largestSize, input.limit());
    if (rule.footer.empty()) {
        return end;
    }
    const std::size_t footerLength = rule.footer.size();
    std::uint64_t start = headerLength;
    std::uint64_t found = 0;
    bool any = false;
    std::size_t blockSize = std::max(firstSearchBlock, 2 * footerLength);
    while (end - start >= footerLength) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(end - start, blockSize));
        block.resize(count);
        if (!input.seek(start) || !input.read(block.data(), count)) {
            return 0;
        }
        for (std::size_t at = rule.footer.find(block.data(), count, 0); at != std::string::npos;
             at = rule.footer.find(block.data(), count, at + 1)) {
            found = start + at;
            any = true;
            if (!rule.endsAtLastFooter) {
                break;
            }
        }
        if (any && !rule.endsAtLastFooter) {
            break;
        }
        // The next block begins where a footer could still begin that this one cut short.
        start += count - (footerLength - 1);
        blockSize = std::min(blockSize * 2, largestSearchBlock);
    }
    if (!any) {
        return 0;
    }
    return rule.footerIncluded ? found + footerLength : found;
}
