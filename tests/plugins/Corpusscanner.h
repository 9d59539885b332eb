#pragma once

#include "engine/ExtractPlugin.h"
#include "tests/plugins/Temporaryfolder.h"

#include <cstdint>
#include <string>
#include <vector>

// Offers every byte position of an input to plug-ins in turn, as an extraction run does, and
// collects what they extract. The input's bytes sit in one buffer followed by enough spare bytes
// for the largest window, so detect never reads outside it.
class CorpusScanner {
public:
    struct Find {
        std::uint64_t offset;
        std::string kind;
        Bytes bytes;

        bool operator==(const Find& other) const;
    };

    CorpusScanner(std::vector<IExtractPlugin*> plugins, const TemporaryFolder& outputFolder);

    std::vector<Find> scan(const std::string& inputPath, const Bytes& content);

private:
    std::vector<IExtractPlugin*> plugins;
    const TemporaryFolder& outputFolder;
};

// For a readable failure message.
void PrintTo(const CorpusScanner::Find& find, std::ostream* out);
