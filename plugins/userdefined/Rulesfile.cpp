#include "plugins/userdefined/Rulesfile.h"

#include "plugins/userdefined/Bytepattern.h"

#include <utility>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::vector<std::string> fields(const std::string& line)
{
    std::vector<std::string> found;
    std::size_t at = 0;
    while (at < line.size()) {
        if (isBlank(line[at])) {
            ++at;
            continue;
        }
        std::size_t end = at;
        while (end < line.size() && !isBlank(line[end])) {
            ++end;
        }
        found.push_back(line.substr(at, end - at));
        at = end;
    }
    return found;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The bytes and mask a field of the file stands for; false with reason when an escape is broken.
bool decode(const std::string& field, const char* name, std::vector<unsigned char>& bytes,
            std::vector<unsigned char>& mask, std::string& reason)
{
    for (std::size_t i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '?') {
            bytes.push_back(0);
            mask.push_back(0);
            continue;
        }
        if (c != '\\') {
            bytes.push_back(static_cast<unsigned char>(c));
            mask.push_back(0xFF);
            continue;
        }
        if (i + 1 >= field.size()) {
            reason = std::string(name) + "が「\\」で終わっています。";
            return false;
        }
        const char e = field[++i];
        unsigned char value = 0;
        if (e == 'x' || e == 'X') {
            const int high = i + 1 < field.size() ? hexDigit(field[i + 1]) : -1;
            const int low = i + 2 < field.size() ? hexDigit(field[i + 2]) : -1;
            if (high < 0 || low < 0) {
                reason = std::string(name) + "の「\\x」の後に 2 桁の 16 進数がありません。";
                return false;
            }
            value = static_cast<unsigned char>(high * 16 + low);
            i += 2;
        } else if (e >= '0' && e <= '3' && i + 2 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '7' &&
                   field[i + 2] >= '0' && field[i + 2] <= '7') {
            value = static_cast<unsigned char>((e - '0') * 64 + (field[i + 1] - '0') * 8 + (field[i + 2] - '0'));
            i += 2;
        } else if (e == 's') {
            value = ' ';
        } else if (e == 't') {
            value = '\t';
        } else if (e == 'n') {
            value = '\n';
        } else if (e == 'r') {
            value = '\r';
        } else {
            // "\\", "\?" and any other escaped character stand for that character.
            value = static_cast<unsigned char>(e);
        }
        bytes.push_back(value);
        mask.push_back(0xFF);
    }
    return true;
}

// Plain text where it can be read as such, hexadecimal otherwise.
void store(const std::vector<unsigned char>& bytes, const std::vector<unsigned char>& mask, std::string& text,
           bool& isText)
{
    bool printable = !bytes.empty() && bytes.front() != ' ' && bytes.back() != ' ';
    for (std::size_t i = 0; i < bytes.size() && printable; ++i) {
        printable = mask[i] == 0xFF && bytes[i] >= 0x20 && bytes[i] < 0x7F;
    }
    isText = printable;
    text = printable ? std::string(bytes.begin(), bytes.end()) : BytePattern::of(bytes, mask).toHex();
}

bool isKeyword(const std::string& field)
{
    return field == "FORWARD" || field == "REVERSE" || field == "NEXT" || field == "ASCII";
}

}  // namespace

void RulesFile::parse(const std::string& content, std::vector<UserRule>& rules, std::vector<Problem>& problems)
{
    std::size_t start = 0;
    // A byte-order mark that some editors write.
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        start = 3;
    }
    std::size_t number = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) {
            end = content.size();
        }
        std::string line = content.substr(start, end - start);
        start = end + 1;
        ++number;
        UserRule rule;
        std::string reason;
        switch (parseLine(line, rule, reason)) {
        case blankLine:
            break;
        case ruleLine:
            rules.push_back(std::move(rule));
            break;
        case refusedLine:
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            problems.push_back(Problem{number, std::move(line), std::move(reason)});
            break;
        }
    }
}

RulesFile::LineKind RulesFile::parseLine(const std::string& line, UserRule& rule, std::string& reason)
{
    const std::vector<std::string> parts = fields(line);
    if (parts.empty() || parts.front()[0] == '#') {
        return blankLine;
    }
    if (parts.size() < 4) {
        reason = "項目が足りません（拡張子、大文字小文字の区別 y/n、最大サイズ、ヘッダーが必要です）。";
        return refusedLine;
    }
    if (parts.size() > 6) {
        reason = "項目が多すぎます。空白を含むヘッダーやフッターは \\s か \\x20 で書いてください。";
        return refusedLine;
    }
    UserRule made;
    if (parts[0] == "NONE") {
        reason = "拡張子 NONE には対応していません。出力ファイルの名前になる種類を指定してください。";
        return refusedLine;
    }
    made.kind = parts[0];
    reason = UserRule::kindRefusal(made.kind);
    if (!reason.empty()) {
        return refusedLine;
    }
    if (parts[1] == "y" || parts[1] == "Y") {
        made.caseSensitive = true;
    } else if (parts[1] == "n" || parts[1] == "N") {
        made.caseSensitive = false;
    } else {
        reason = "大文字小文字の区別は y か n で指定してください（「" + parts[1] + "」）。";
        return refusedLine;
    }
    reason = parseLargestSize(parts[2], made.largestSize);
    if (!reason.empty()) {
        return refusedLine;
    }
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> mask;
    if (!decode(parts[3], "ヘッダー", bytes, mask, reason)) {
        return refusedLine;
    }
    store(bytes, mask, made.header, made.headerIsText);
    std::string keyword;
    if (parts.size() >= 5) {
        if (parts.size() == 5 && isKeyword(parts[4])) {
            reason = "フッターがないのに " + parts[4] + " が指定されています。";
            return refusedLine;
        }
        bytes.clear();
        mask.clear();
        if (!decode(parts[4], "フッター", bytes, mask, reason)) {
            return refusedLine;
        }
        store(bytes, mask, made.footer, made.footerIsText);
        if (parts.size() == 6) {
            keyword = parts[5];
        }
    }
    if (keyword == "REVERSE") {
        made.endsAtLastFooter = true;
    } else if (keyword == "NEXT") {
        made.footerIncluded = false;
    } else if (keyword == "ASCII") {
        reason = "ASCII 指定（テキストだけのデータ）には対応していません。";
        return refusedLine;
    } else if (!keyword.empty() && keyword != "FORWARD") {
        reason = "「" + keyword + "」は指定できません。FORWARD、REVERSE、NEXT のどれかにしてください。";
        return refusedLine;
    }
    CompiledRule compiled;
    reason = CompiledRule::compile(made, compiled);
    if (!reason.empty()) {
        return refusedLine;
    }
    rule = std::move(made);
    return ruleLine;
}
