#include "plugins/userdefined/Userrulestore.h"

namespace {

const std::size_t fieldCount = 9;

std::string escaped(const std::string& field)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            text += "\\\\";
        } else if (c == '\t') {
            text += "\\t";
        } else if (c == '\n') {
            text += "\\n";
        } else if (c == '\r') {
            text += "\\r";
        } else if (byte < 0x20 || byte == 0x7F) {
            text += "\\x";
            text += digits[byte >> 4];
            text += digits[byte & 0x0F];
        } else {
            text += c;
        }
    }
    return text;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// The fields of one stored line; false when an escape is broken.
bool split(const std::string& line, std::vector<std::string>& fields)
{
    fields.assign(1, std::string());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            fields.emplace_back();
            continue;
        }
        if (c != '\\') {
            fields.back() += c;
            continue;
        }
        if (++i >= line.size()) {
            return false;
        }
        switch (line[i]) {
        case '\\':
            fields.back() += '\\';
            break;
        case 't':
            fields.back() += '\t';
            break;
        case 'n':
            fields.back() += '\n';
            break;
        case 'r':
            fields.back() += '\r';
            break;
        case 'x': {
            const int high = i + 1 < line.size() ? hexDigit(line[i + 1]) : -1;
            const int low = i + 2 < line.size() ? hexDigit(line[i + 2]) : -1;
            if (high < 0 || low < 0) {
                return false;
            }
            fields.back() += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

// One of the two words a field may hold; false for anything else.
bool choice(const std::string& field, const char* no, const char* yes, bool& value)
{
    if (field == yes) {
        value = true;
        return true;
    }
    if (field == no) {
        value = false;
        return true;
    }
    return false;
}

}  // namespace

std::string UserRuleStore::format(const std::vector<UserRule>& rules)
{
    std::string text;
    for (const UserRule& rule : rules) {
        const std::string fields[fieldCount] = {
            escaped(rule.kind),
            rule.headerIsText ? "text" : "hex",
            escaped(rule.header),
            rule.footerIsText ? "text" : "hex",
            escaped(rule.footer),
            std::to_string(rule.largestSize),
            rule.endsAtLastFooter ? "last" : "first",
            rule.footerIncluded ? "with" : "without",
            rule.caseSensitive ? "case" : "nocase",
        };
        for (std::size_t i = 0; i < fieldCount; ++i) {
            text += fields[i];
            text += i + 1 < fieldCount ? '\t' : '\n';
        }
    }
    return text;
}

std::vector<UserRule> UserRuleStore::parse(const std::string& text, std::vector<std::string>& problems)
{
    std::vector<UserRule> rules;
    std::size_t start = 0;
    std::size_t number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (line.empty()) {
            continue;
        }
        ++number;
        if (rules.size() >= largestCount) {
            problems.push_back("規則は " + std::to_string(largestCount) + " 個までのため、規則 " +
                               std::to_string(number) + " からあとは読み込みませんでした。");
            break;
        }
        std::vector<std::string> fields;
        UserRule rule;
        std::string reason;
        if (!split(line, fields)) {
            reason = "「\\」の後が読めません。";
        } else if (fields.size() != fieldCount) {
            reason = "項目が " + std::to_string(fieldCount) + " 個ではありません（" + std::to_string(fields.size()) +
                     " 個）。";
        } else {
            rule.kind = fields[0];
            rule.header = fields[2];
            rule.footer = fields[4];
            if (!choice(fields[1], "hex", "text", rule.headerIsText) ||
                !choice(fields[3], "hex", "text", rule.footerIsText) ||
                !choice(fields[6], "first", "last", rule.endsAtLastFooter) ||
                !choice(fields[7], "without", "with", rule.footerIncluded) ||
                !choice(fields[8], "nocase", "case", rule.caseSensitive)) {
                reason = "hex/text、first/last、with/without、case/nocase の項目が読めません。";
            } else {
                reason = parseLargestSize(fields[5], rule.largestSize);
            }
            if (reason.empty()) {
                CompiledRule compiled;
                reason = CompiledRule::compile(rule, compiled);
            }
        }
        if (!reason.empty()) {
            problems.push_back("規則 " + std::to_string(number) + (rule.kind.empty() ? "" : "（" + rule.kind + "）") +
                               "：" + reason);
            continue;
        }
        rules.push_back(std::move(rule));
    }
    return rules;
}

std::vector<UserRule> UserRuleStore::load(const Reader& read, std::vector<std::string>& problems)
{
    return parse(read(rulesKey), problems);
}

void UserRuleStore::save(const Writer& write, const std::vector<UserRule>& rules)
{
    write(rulesKey, format(rules));
}
