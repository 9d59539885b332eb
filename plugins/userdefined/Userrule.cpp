#include "plugins/userdefined/Userrule.h"

namespace {

const std::size_t longestKind = 16;

std::string compilePattern(const std::string& text, bool isText, bool caseSensitive, const std::string& field,
                           BytePattern& pattern)
{
    std::string refusal = isText ? pattern.parseText(text, field) : pattern.parseHex(text, field);
    if (!refusal.empty()) {
        return refusal;
    }
    if (pattern.size() > UserRule::largestPattern) {
        return field + "が長すぎます（" + std::to_string(pattern.size()) + " バイト）。" + field + "は " +
               std::to_string(UserRule::largestPattern) + " バイトまでにしてください。";
    }
    if (!caseSensitive) {
        pattern.ignoreLetterCase();
    }
    return std::string();
}

}  // namespace

std::string UserRule::kindRefusal(const std::string& kind)
{
    if (kind.empty()) {
        return "種類を入力してください（出力ファイルの名前と拡張子、種類ごとのフォルダーの名前になります）。";
    }
    bool usable = kind.size() <= longestKind;
    for (char c : kind) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        const bool digit = c >= '0' && c <= '9';
        usable = usable && (letter || digit || c == '_' || c == '-');
    }
    if (!usable) {
        return "種類「" + kind + "」はファイル名に使えません。半角の英字・数字・「_」・「-」で 1〜" +
               std::to_string(longestKind) + " 文字にしてください。";
    }
    return std::string();
}

bool UserRule::operator==(const UserRule& other) const
{
    return kind == other.kind && header == other.header && headerIsText == other.headerIsText &&
           footer == other.footer && footerIsText == other.footerIsText && largestSize == other.largestSize &&
           endsAtLastFooter == other.endsAtLastFooter && footerIncluded == other.footerIncluded &&
           caseSensitive == other.caseSensitive;
}

std::string CompiledRule::compile(const UserRule& rule, CompiledRule& compiled, Field* field)
{
    Field unused;
    Field& at = field != nullptr ? *field : unused;
    at = kindField;
    std::string refusal = UserRule::kindRefusal(rule.kind);
    if (!refusal.empty()) {
        return refusal;
    }
    at = headerField;
    CompiledRule made;
    made.kind = rule.kind;
    refusal = compilePattern(rule.header, rule.headerIsText, rule.caseSensitive, "ヘッダー", made.header);
    if (!refusal.empty()) {
        return refusal;
    }
    // It would match at every position of every input, and each one would be a find.
    if (made.header.allOpen()) {
        return "ヘッダーがすべて ? です。どの位置にも一致してしまうため、少なくとも 1 バイトは値で指定してください。";
    }
    at = footerField;
    if (!rule.footer.empty()) {
        refusal = compilePattern(rule.footer, rule.footerIsText, rule.caseSensitive, "フッター", made.footer);
        if (!refusal.empty()) {
            return refusal;
        }
    }
    at = sizeField;
    if (rule.largestSize == 0) {
        return "最大サイズに 0 は指定できません。1 以上のバイト数を入力してください。";
    }
    if (rule.largestSize > UserRule::largestLargestSize) {
        return "最大サイズが大きすぎます。" + std::to_string(UserRule::largestLargestSize) + " バイトまでにしてください。";
    }
    if (rule.largestSize < made.header.size()) {
        return "最大サイズ（" + std::to_string(rule.largestSize) + " バイト）がヘッダー（" +
               std::to_string(made.header.size()) + " バイト）より小さいため、何も抽出されません。";
    }
    made.largestSize = rule.largestSize;
    made.endsAtLastFooter = rule.endsAtLastFooter;
    made.footerIncluded = rule.footerIncluded;
    compiled = std::move(made);
    return std::string();
}

std::string parseLargestSize(const std::string& text, std::uint64_t& size)
{
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] == ' ') {
        ++begin;
    }
    while (end > begin && text[end - 1] == ' ') {
        --end;
    }
    if (begin == end) {
        return "最大サイズを入力してください（バイト単位の整数）。";
    }
    std::uint64_t value = 0;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return "最大サイズ「" + text + "」は数値として読めません。バイト単位の整数を入力してください。";
        }
        if (value > UserRule::largestLargestSize) {
            break;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    if (value > UserRule::largestLargestSize) {
        return "最大サイズ「" + text + "」は大きすぎます。" + std::to_string(UserRule::largestLargestSize) +
               " バイトまでにしてください。";
    }
    if (value == 0) {
        return "最大サイズに 0 は指定できません。1 以上のバイト数を入力してください。";
    }
    size = value;
    return std::string();
}
