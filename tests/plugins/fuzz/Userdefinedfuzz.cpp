// The user's rules from a rules file, and the finds they make. The input is a rules file, then a
// zero byte, then the data the rules are used on.

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Memorysource.h"
#include "plugins/userdefined/Bytepattern.h"
#include "plugins/userdefined/Rulesfile.h"
#include "plugins/userdefined/Userdefinedparser.h"
#include "plugins/userdefined/Userrulestore.h"
#include "tests/plugins/fuzz/Fuzzparser.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::uint64_t measureWith(const UserDefinedParser& parser, const std::vector<unsigned char>& data, std::uint64_t limit,
                          int& rule)
{
    MemorySource source(data.data(), data.size());
    ByteCursor cursor(source, 0, limit);
    rule = parser.detect(cursor);
    return rule < 0 ? 0 : parser.measure(cursor, static_cast<std::size_t>(rule));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t* split = static_cast<const std::uint8_t*>(std::memchr(data, 0, size));
    const std::size_t textLength = split != nullptr ? static_cast<std::size_t>(split - data) : size;
    const std::string text(reinterpret_cast<const char*>(data), textLength);

    // Whatever the hexadecimal field holds, what it reads writes back the same.
    BytePattern pattern;
    if (pattern.parseHex(text, "ヘッダー").empty()) {
        BytePattern again;
        if (!again.parseHex(pattern.toHex(), "ヘッダー").empty() || again.patternBytes() != pattern.patternBytes() ||
            again.patternMask() != pattern.patternMask()) {
            fuzzFailure("a pattern read back from its hexadecimal differs", pattern.size(), again.size());
        }
    }

    std::vector<UserRule> rules;
    std::vector<RulesFile::Problem> problems;
    RulesFile::parse(text, rules, problems);
    if (rules.size() > UserRuleStore::largestCount) {
        rules.resize(UserRuleStore::largestCount);
    }

    // Every rule taken from the file is one the settings keep and give back unchanged.
    std::vector<std::string> storeProblems;
    const std::vector<UserRule> stored = UserRuleStore::parse(UserRuleStore::format(rules), storeProblems);
    if (!storeProblems.empty() || stored != rules) {
        fuzzFailure("rules changed through the settings", rules.size(), stored.size());
    }
    // Whatever the settings hold, reading them never fails outright.
    std::vector<std::string> textProblems;
    UserRuleStore::parse(text, textProblems);

    std::vector<CompiledRule> compiled;
    for (const UserRule& rule : rules) {
        CompiledRule made;
        if (!CompiledRule::compile(rule, made).empty()) {
            fuzzFailure("the rules file took a rule that cannot be used", 0, 1);
        }
        compiled.push_back(std::move(made));
    }
    UserDefinedParser parser;
    parser.setRules(compiled);

    const std::vector<unsigned char> input(split != nullptr ? split + 1 : data + size, data + size);
    if (parser.signatures().span() > parser.windowSize()) {
        fuzzFailure("a signature reaches past the window", parser.windowSize(), parser.signatures().span());
    }
    if (input.size() >= parser.windowSize()) {
        const std::vector<unsigned char> window(input.begin(), input.begin() + parser.windowSize());
        if (parser.detect(window.data()) >= 0 && !parser.signatures().matches(window.data())) {
            fuzzFailure("detect accepted a window that no signature matches", 0, 1);
        }
    }

    int rule = -1;
    const std::uint64_t length = measureWith(parser, input, UINT64_MAX, rule);
    if (length > input.size()) {
        fuzzFailure("the find reaches past its input", input.size(), length);
    }
    if (length > 0) {
        const CompiledRule& used = compiled[static_cast<std::size_t>(rule)];
        if (length < used.header.size() || length > used.largestSize) {
            fuzzFailure("the find is outside its rule's sizes", used.largestSize, length);
        }
        if (used.footer.empty() && length != std::min<std::uint64_t>(used.largestSize, input.size())) {
            fuzzFailure("a find without footer is not the largest size cut at the end", used.largestSize, length);
        }
        if (!used.footer.empty() && used.footerIncluded &&
            !used.footer.matchesAt(input.data() + (length - used.footer.size()))) {
            fuzzFailure("a find that includes its footer does not end with it", 0, length);
        }
    }
    // The settings' upper bound ends every search there: a find no longer than it is unchanged
    // when the rule ends at the first footer or has none.
    const std::uint64_t limit = input.empty() ? 0 : input.back() * input.size() / 255;
    int limitedRule = -1;
    const std::uint64_t limited = measureWith(parser, input, limit, limitedRule);
    if (limited > limit) {
        fuzzFailure("a find reaches past the upper bound", limit, limited);
    }
    if (length > 0 && length <= limit && limitedRule == rule &&
        !compiled[static_cast<std::size_t>(rule)].endsAtLastFooter && limited != length) {
        fuzzFailure("an upper bound changed a find that fits it", length, limited);
    }
    return 0;
}
