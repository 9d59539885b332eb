#pragma once

#include "plugins/userdefined/Userrule.h"

#include <cstddef>
#include <string>
#include <vector>

// The rules files of the command-line carvers, one rule a line:
//
//     extension  y|n  largest-size  header  [footer]  [FORWARD|REVERSE|NEXT]
//
// y: the header and footer are case sensitive. Header and footer are written as text in which
// "\xHH" (and "\ooo" in octal), "\s" (space), "\t", "\n", "\r", "\\" and "\?" stand for single
// bytes and "?" for any byte. FORWARD (the default) ends a find at the first footer, REVERSE at
// the last within the largest size, NEXT at the first footer without the footer itself. Fields
// are separated by spaces or tabs; blank lines and lines beginning with "#" are passed over.
class RulesFile {
public:
    struct Problem {
        // 1-based.
        std::size_t line;
        std::string text;
        std::string reason;
    };

    // Reads every line; the rules it can take in file order, every other rule line with its reason.
    static void parse(const std::string& content, std::vector<UserRule>& rules, std::vector<Problem>& problems);

    enum LineKind { blankLine, ruleLine, refusedLine };
    // One line without its line break.
    static LineKind parseLine(const std::string& line, UserRule& rule, std::string& reason);
};
