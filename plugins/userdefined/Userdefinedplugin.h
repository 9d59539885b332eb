#pragma once

#include "plugins/common/Pluginbase.h"
#include "plugins/userdefined/Userdefinedparser.h"
#include "plugins/userdefined/Userrule.h"

#include <string>
#include <vector>

// The plug-in of the kinds the user defines: each rule of its property dialog is a kind of its
// own, and the plug-in names, at every detection, the kind of the rule that matched. The rules
// live in the plug-in's properties (UserRuleStore) and are read again at every load.
//
// Its extract follows the rule that the detect before it saw, so its calls come one after another.
class UserDefinedPlugin final : public PluginBase {
public:
    UserDefinedPlugin();

    const char* getKind() override;
    unsigned getWindowSize() override;
    bool detect(const unsigned char* data) override;
    unsigned extract(const char* inputPath, unsigned offsetHigh, unsigned offsetLow,
                     const char* outputPath) override;
    bool hasProperty() override;
    void showProperty(void* parent) override;
    void setConfig(IExtractConfig* config) override;

protected:
    std::uint64_t measure(ByteCursor& input) override;
    const SignatureSet* signatures() override;
    std::vector<const char*> kinds() override;

private:
    std::vector<UserRule> loadRules(std::vector<std::string>& problems) const;
    void useRules(const std::vector<UserRule>& rules);

    UserDefinedParser parser;
    // The rule of the last detect that returned true, until the extract that follows it; -1: none.
    int detected = -1;
    // The rule of the last find, so that getKind still answers for it.
    int lastRule = -1;
};
