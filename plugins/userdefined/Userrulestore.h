#pragma once

#include "plugins/userdefined/Userrule.h"

#include <functional>
#include <string>
#include <vector>

// The rules as the plug-in keeps them: all in its one property "rules", a line per rule in the
// order they are tried, the fields separated by tabs:
//
//     kind  hex|text  header  hex|text  footer  largest-size  first|last  with|without  case|nocase
//
// (the footer may be empty; "with" keeps the footer in the find, "nocase" lets ASCII letters match
// either case). In a field, "\\", "\t", "\n", "\r" and "\xHH" stand for a backslash, a tab, a line
// break, a carriage return and any other control character, which the settings file could not
// hold as they are. One property, rather than one per field, keeps the settings' look-ups few
// however many rules there are.
class UserRuleStore {
public:
    using Reader = std::function<std::string(const std::string& key)>;
    using Writer = std::function<void(const std::string& key, const std::string& value)>;

    static constexpr const char* rulesKey = "rules";
    // More would make the dialog unusable long before the run slowed down.
    static constexpr std::size_t largestCount = 1000;

    // The stored rules that can be used, in order; for each one that cannot, a line saying which
    // and why (the settings file may have been edited by hand).
    static std::vector<UserRule> load(const Reader& read, std::vector<std::string>& problems);
    static void save(const Writer& write, const std::vector<UserRule>& rules);

    // The property's text for rules, and the rules of a text.
    static std::string format(const std::vector<UserRule>& rules);
    static std::vector<UserRule> parse(const std::string& text, std::vector<std::string>& problems);
};
