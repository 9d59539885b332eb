#include "plugins/pdf/Pdfparser.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Bytes.h"
#include "plugins/common/Signatureset.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t keywordLength = 9;  // "startxref"
constexpr std::size_t longestToken = 127;
constexpr int deepestNesting = 32;
// More sections than any writer chains; a longer chain is a loop or garbage.
constexpr std::size_t longestChain = 100000;

bool isSpace(unsigned char c)
{
    return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

bool isDelimiter(unsigned char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

bool isDigit(unsigned char c)
{
    return c >= '0' && c <= '9';
}

// The tokens of PDF's object syntax, read from the cursor and never at or beyond stop.
class Lexer {
public:
    enum class Kind { Integer, Real, Name, String, ArrayOpen, ArrayClose, DictionaryOpen, DictionaryClose, Keyword };

    struct Token {
        Kind kind = Kind::Keyword;
        std::string text;
        std::uint64_t value = 0;
    };

    // What the dictionaries of a cross-reference section tell: the keys with direct values.
    struct Dictionary {
        bool hasPrevious = false;
        std::uint64_t previous = 0;
        bool hasStream = false;
        std::uint64_t stream = 0;
        std::string type;
    };

    Lexer(ByteCursor& input, std::uint64_t stop) : input(input), stop(stop) {}

    bool next(Token& token);
    bool isKeyword(const Token& token, const char* text) const
    {
        return token.kind == Kind::Keyword && token.text == text;
    }
    // Reads the rest of a dictionary whose "<<" has been read.
    bool dictionary(Dictionary& result, int depth);

private:
    bool get(unsigned char& c)
    {
        return input.position() < stop && input.readByte(c);
    }
    bool look(unsigned char& c)
    {
        if (!get(c)) {
            return false;
        }
        input.seek(input.position() - 1);
        return true;
    }
    bool skipSpace();
    bool regular(Token& token, unsigned char first);
    bool literalString();
    bool hexString();
    // Reads the rest of the value that begins with token.
    bool skipValue(const Token& token, int depth);

    ByteCursor& input;
    std::uint64_t stop;
};

bool Lexer::skipSpace()
{
    unsigned char c = 0;
    for (;;) {
        if (!look(c)) {
            return false;
        }
        if (isSpace(c)) {
            get(c);
        } else if (c == '%') {
            do {
                if (!get(c)) {
                    return false;
                }
            } while (c != '\n' && c != '\r');
        } else {
            return true;
        }
    }
}

bool Lexer::regular(Token& token, unsigned char first)
{
    token.text.assign(1, static_cast<char>(first));
    unsigned char c = 0;
    while (look(c) && !isSpace(c) && !isDelimiter(c)) {
        if (token.text.size() >= longestToken) {
            return false;
        }
        get(c);
        token.text.push_back(static_cast<char>(c));
    }
    return true;
}

bool Lexer::literalString()
{
    int depth = 1;
    unsigned char c = 0;
    while (depth > 0) {
        if (!get(c)) {
            return false;
        }
        if (c == '\\') {
            if (!get(c)) {
                return false;
            }
        } else if (c == '(') {
            ++depth;
        } else if (c == ')') {
            --depth;
        }
    }
    return true;
}

bool Lexer::hexString()
{
    unsigned char c = 0;
    for (;;) {
        if (!get(c)) {
            return false;
        }
        if (c == '>') {
            return true;
        }
        if (!isSpace(c) && !std::isxdigit(c)) {
            return false;
        }
    }
}

bool Lexer::next(Token& token)
{
    unsigned char c = 0;
    if (!skipSpace() || !get(c)) {
        return false;
    }
    switch (c) {
    case '/':
        token.kind = Kind::Name;
        token.text.clear();
        while (look(c) && !isSpace(c) && !isDelimiter(c)) {
            if (token.text.size() >= longestToken) {
                return false;
            }
            get(c);
            token.text.push_back(static_cast<char>(c));
        }
        return true;
    case '(':
        token.kind = Kind::String;
        return literalString();
    case '<':
        if (look(c) && c == '<') {
            get(c);
            token.kind = Kind::DictionaryOpen;
            return true;
        }
        token.kind = Kind::String;
        return hexString();
    case '>':
        token.kind = Kind::DictionaryClose;
        return get(c) && c == '>';
    case '[':
        token.kind = Kind::ArrayOpen;
        return true;
    case ']':
        token.kind = Kind::ArrayClose;
        return true;
    default:
        break;
    }
    if (isDelimiter(c) || !regular(token, c)) {
        return false;
    }
    const char first = token.text[0];
    if (!isDigit(static_cast<unsigned char>(first)) && first != '+' && first != '-' && first != '.') {
        token.kind = Kind::Keyword;
        return true;
    }
    const bool integer = token.text.size() <= 19 &&
                         std::all_of(token.text.begin(), token.text.end(), [](char d) { return isDigit(static_cast<unsigned char>(d)); });
    if (integer) {
        token.kind = Kind::Integer;
        token.value = std::stoull(token.text);
        return true;
    }
    token.kind = Kind::Real;
    return std::all_of(token.text.begin(), token.text.end(), [](char d) {
        return isDigit(static_cast<unsigned char>(d)) || d == '+' || d == '-' || d == '.';
    });
}

bool Lexer::skipValue(const Token& token, int depth)
{
    if (depth > deepestNesting) {
        return false;
    }
    switch (token.kind) {
    case Kind::ArrayOpen: {
        Token item;
        for (;;) {
            if (!next(item)) {
                return false;
            }
            if (item.kind == Kind::ArrayClose) {
                return true;
            }
            if (!skipValue(item, depth + 1)) {
                return false;
            }
        }
    }
    case Kind::DictionaryOpen: {
        Dictionary ignored;
        return dictionary(ignored, depth + 1);
    }
    case Kind::ArrayClose:
    case Kind::DictionaryClose:
        return false;
    default:
        return true;
    }
}

bool Lexer::dictionary(Dictionary& result, int depth)
{
    if (depth > deepestNesting) {
        return false;
    }
    Token key;
    Token value;
    for (;;) {
        if (!next(key)) {
            return false;
        }
        if (key.kind == Kind::DictionaryClose) {
            return true;
        }
        if (key.kind != Kind::Name || !next(value)) {
            return false;
        }
        bool direct = value.kind == Kind::Integer;
        if (direct) {
            // "n g R" is a reference, not the number n.
            const std::uint64_t after = input.position();
            Token generation;
            Token marker;
            if (next(generation) && generation.kind == Kind::Integer && next(marker) && isKeyword(marker, "R")) {
                direct = false;
            } else {
                input.seek(after);
            }
        } else if (!skipValue(value, depth)) {
            return false;
        }
        if (depth != 0) {
            continue;
        }
        if (key.text == "Prev") {
            result.hasPrevious = direct;
            result.previous = value.value;
        } else if (key.text == "XRefStm") {
            result.hasStream = direct;
            result.stream = value.value;
        } else if (key.text == "Type" && value.kind == Kind::Name) {
            result.type = value.text;
        }
    }
}

}

const SignatureSet& PdfParser::signatures()
{
    static const SignatureSet set = SignatureSet().add(0, "%PDF-");
    return set;
}

bool PdfParser::detect(const unsigned char* data)
{
    if (loadWord32(data) != magic32('%', 'P', 'D', 'F') || data[4] != '-') {
        return false;
    }
    return isDigit(data[5]) && data[6] == '.' && isDigit(data[7]) &&
           (data[8] == '\r' || data[8] == '\n' || data[8] == ' ' || data[8] == '\t');
}

bool PdfParser::readClosing(ByteCursor& input, std::uint64_t& offset, std::uint64_t& end)
{
    unsigned char c = 0;
    if (!input.readByte(c) || !isSpace(c)) {
        return false;
    }
    while (isSpace(c)) {
        if (!input.readByte(c)) {
            return false;
        }
    }
    offset = 0;
    for (int digits = 0; isDigit(c); ++digits) {
        if (digits == 19) {
            return false;
        }
        offset = offset * 10 + (c - '0');
        if (!input.readByte(c)) {
            return false;
        }
    }
    if (!isSpace(c)) {
        return false;
    }
    while (isSpace(c)) {
        if (!input.readByte(c)) {
            return false;
        }
    }
    unsigned char rest[4];
    if (c != '%' || !input.read(rest, sizeof rest) || std::memcmp(rest, "%EOF", sizeof rest) != 0) {
        return false;
    }
    // The end of line after "%%EOF" belongs to the file, if it has one.
    end = input.position();
    unsigned char after[2] = {0, 0};
    const std::uint64_t available = input.inputLength() - end;
    if (available > 0 && input.peek(end, after, available >= 2 ? 2 : 1)) {
        if (after[0] == '\r') {
            end += after[1] == '\n' ? 2 : 1;
        } else if (after[0] == '\n') {
            end += 1;
        }
    }
    return true;
}

bool PdfParser::readSection(ByteCursor& input, std::uint64_t offset, std::uint64_t stop, Section& section)
{
    if (!input.seek(offset)) {
        return false;
    }
    Lexer lexer(input, stop);
    Lexer::Token token;
    Lexer::Dictionary dictionary;
    if (!lexer.next(token)) {
        return false;
    }
    if (lexer.isKeyword(token, "xref")) {
        // Subsections of "first count" and count entries of offset, generation and "n" or "f".
        for (;;) {
            Lexer::Token count;
            if (!lexer.next(token)) {
                return false;
            }
            if (lexer.isKeyword(token, "trailer")) {
                break;
            }
            if (token.kind != Lexer::Kind::Integer || !lexer.next(count) || count.kind != Lexer::Kind::Integer ||
                count.value > (stop - input.position()) / 18) {
                return false;
            }
            for (std::uint64_t i = 0; i < count.value; ++i) {
                Lexer::Token place;
                Lexer::Token generation;
                Lexer::Token use;
                if (!lexer.next(place) || place.kind != Lexer::Kind::Integer || place.text.size() != 10 ||
                    !lexer.next(generation) || generation.kind != Lexer::Kind::Integer ||
                    generation.text.size() != 5 || !lexer.next(use) ||
                    !(lexer.isKeyword(use, "n") || lexer.isKeyword(use, "f"))) {
                    return false;
                }
            }
        }
        if (!lexer.next(token) || token.kind != Lexer::Kind::DictionaryOpen || !lexer.dictionary(dictionary, 0)) {
            return false;
        }
    } else {
        // A cross-reference stream: "n g obj" and a dictionary of /Type /XRef.
        Lexer::Token generation;
        Lexer::Token marker;
        if (token.kind != Lexer::Kind::Integer || !lexer.next(generation) ||
            generation.kind != Lexer::Kind::Integer || !lexer.next(marker) || !lexer.isKeyword(marker, "obj") ||
            !lexer.next(token) || token.kind != Lexer::Kind::DictionaryOpen || !lexer.dictionary(dictionary, 0) ||
            dictionary.type != "XRef") {
            return false;
        }
    }
    section.hasPrevious = dictionary.hasPrevious;
    section.previous = dictionary.previous;
    section.hasStream = dictionary.hasStream;
    section.stream = dictionary.stream;
    return true;
}

bool PdfParser::checkChain(ByteCursor& input, std::uint64_t offset, std::uint64_t stop, bool hasMustReach,
                           std::uint64_t mustReach)
{
    std::set<std::uint64_t> visited;
    for (std::uint64_t at = offset;;) {
        if (at >= stop || visited.size() >= longestChain || !visited.insert(at).second) {
            return false;
        }
        // The chain behind the section before was checked when that section closed.
        if (hasMustReach && at == mustReach) {
            return true;
        }
        Section section;
        if (!readSection(input, at, stop, section)) {
            return false;
        }
        // A hybrid file's trailer also names a cross-reference stream.
        Section stream;
        if (section.hasStream && (section.stream >= stop || !readSection(input, section.stream, stop, stream))) {
            return false;
        }
        if (!section.hasPrevious) {
            return !hasMustReach;
        }
        at = section.previous;
    }
}

bool PdfParser::updateFollows(ByteCursor& input, std::uint64_t end)
{
    unsigned char next[64];
    const std::uint64_t available = std::min<std::uint64_t>(sizeof next, input.inputLength() - end);
    if (available == 0 || !input.peek(end, next, static_cast<std::size_t>(available))) {
        return false;
    }
    std::size_t i = 0;
    auto skip = [&](bool (*test)(unsigned char)) {
        const std::size_t from = i;
        while (i < available && test(next[i])) {
            ++i;
        }
        return i > from;
    };
    skip(isSpace);
    if (available - i >= 4 && std::memcmp(next + i, "xref", 4) == 0) {
        return true;
    }
    return skip(isDigit) && skip(isSpace) && skip(isDigit) && skip(isSpace) && available - i >= 3 &&
           std::memcmp(next + i, "obj", 3) == 0;
}

std::uint64_t PdfParser::measure(ByteCursor& input)
{
    unsigned char header[windowSize];
    if (!input.read(header, sizeof header) || !detect(header)) {
        return 0;
    }
    bool inUpdate = false;
    std::uint64_t sectionBefore = 0;
    for (;;) {
        unsigned char keyword[keywordLength - 1];
        if (!input.skipPast('s')) {
            return 0;
        }
        const std::uint64_t keywordAt = input.position() - 1;
        if (!input.read(keyword, sizeof keyword)) {
            return 0;
        }
        if (std::memcmp(keyword, "tartxref", sizeof keyword) != 0) {
            input.seek(keywordAt + 1);
            continue;
        }
        std::uint64_t offset = 0;
        std::uint64_t end = 0;
        if (!readClosing(input, offset, end) || !checkChain(input, offset, keywordAt, inUpdate, sectionBefore)) {
            if (!input.seek(keywordAt + keywordLength)) {
                return 0;
            }
            continue;
        }
        if (!input.hasBytes(end)) {
            return 0;
        }
        if (!updateFollows(input, end)) {
            return end;
        }
        inUpdate = true;
        sectionBefore = offset;
        input.seek(end);
    }
}
