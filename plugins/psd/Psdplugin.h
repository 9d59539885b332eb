#pragma once

#include "plugins/common/Formatplugin.h"
#include "plugins/psd/Psdparser.h"

#include <vector>

// Photoshop's large form (PSB) shares the format but not the extension, which Photoshop itself
// goes by: each find is named by the version its header gives.
class PsdPlugin final : public FormatPlugin<PsdParser> {
public:
    PsdPlugin();

    bool detect(const unsigned char* data) override;
    const char* getKind() override;

protected:
    std::vector<const char*> kinds() override;

private:
    bool large = false;
};
