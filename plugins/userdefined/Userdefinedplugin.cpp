#include "plugins/userdefined/Userdefinedplugin.h"

#include "plugins/common/Bytecursor.h"
#include "plugins/common/Pluginexports.h"
#include "plugins/userdefined/Userrulesdialog.h"
#include "plugins/userdefined/Userrulestore.h"

#include <algorithm>

namespace {

// The kind while no rule has matched yet.
const char* const noKind = "bin";

}  // namespace

UserDefinedPlugin::UserDefinedPlugin()
    : PluginBase(Identity{"glintfetch.userdefined", "ユーザー定義", noKind, 1})
{
}

const char* UserDefinedPlugin::getKind()
{
    const int rule = detected >= 0 ? detected : lastRule;
    if (rule >= 0 && static_cast<std::size_t>(rule) < parser.rules().size()) {
        return parser.rules()[static_cast<std::size_t>(rule)].kind.c_str();
    }
    return noKind;
}

std::vector<const char*> UserDefinedPlugin::kinds()
{
    std::vector<const char*> names;
    for (const auto& rule : parser.rules()) {
        const bool named = std::any_of(names.begin(), names.end(), [&](const char* name) { return rule.kind == name; });
        if (!named) {
            names.push_back(rule.kind.c_str());
        }
    }
    return names;
}

unsigned UserDefinedPlugin::getWindowSize()
{
    return parser.windowSize();
}

bool UserDefinedPlugin::detect(const unsigned char* data)
{
    detected = parser.detect(data);
    if (detected >= 0) {
        lastRule = detected;
    }
    return detected >= 0;
}

unsigned UserDefinedPlugin::extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                                    const char* outputPath)
{
    const unsigned result = PluginBase::extract(inputPath, offsetHigh, offsetLow, outputPath);
    detected = -1;
    return result;
}

std::uint64_t UserDefinedPlugin::measure(ByteCursor& input)
{
    // The run has named the output after the kind of the rule its detect saw, so that rule is the
    // one to follow; an extract without a detect before it takes the first rule that matches.
    int rule = detected;
    if (rule < 0) {
        rule = parser.detect(input);
    }
    if (rule < 0) {
        return 0;
    }
    lastRule = rule;
    return parser.measure(input, static_cast<std::size_t>(rule));
}

const SignatureSet* UserDefinedPlugin::signatures()
{
    return &parser.signatures();
}

bool UserDefinedPlugin::hasProperty()
{
    return true;
}

void UserDefinedPlugin::showProperty(void* parent)
{
    try {
        std::vector<std::string> problems;
        std::vector<UserRule> rules = loadRules(problems);
        if (UserRulesDialog::Execute(parent, rules, problems)) {
            UserRuleStore::save(
                [this](const std::string& key, const std::string& value) { writeProperty(key.c_str(), value); }, rules);
            useRules(rules);
        }
    } catch (...) {
    }
}

void UserDefinedPlugin::setConfig(IExtractConfig* config)
{
    PluginBase::setConfig(config);
    std::vector<std::string> problems;
    useRules(loadRules(problems));
}

std::vector<UserRule> UserDefinedPlugin::loadRules(std::vector<std::string>& problems) const
{
    return UserRuleStore::load([this](const std::string& key) { return readProperty(key.c_str()); }, problems);
}

void UserDefinedPlugin::useRules(const std::vector<UserRule>& rules)
{
    std::vector<CompiledRule> compiled;
    for (const UserRule& rule : rules) {
        CompiledRule made;
        if (CompiledRule::compile(rule, made).empty()) {
            compiled.push_back(std::move(made));
        }
    }
    parser.setRules(std::move(compiled));
    detected = -1;
    lastRule = -1;
}

GLINTFETCH_EXPORT_PLUGIN(UserDefinedPlugin)
