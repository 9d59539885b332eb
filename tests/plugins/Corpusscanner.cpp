#include "tests/plugins/Corpusscanner.h"

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <utility>

bool CorpusScanner::Find::operator==(const Find& other) const
{
    return offset == other.offset && kind == other.kind && bytes == other.bytes;
}

void PrintTo(const CorpusScanner::Find& find, std::ostream* out)
{
    *out << find.kind << " at " << find.offset << " (" << find.bytes.size() << " bytes)";
}

CorpusScanner::CorpusScanner(std::vector<IExtractPlugin*> plugins, const TemporaryFolder& outputFolder)
    : plugins(std::move(plugins)), outputFolder(outputFolder)
{
}

std::vector<CorpusScanner::Find> CorpusScanner::scan(const std::string& inputPath, const Bytes& content)
{
    unsigned window = 0;
    for (IExtractPlugin* plugin : plugins) {
        window = std::max(window, plugin->getWindowSize());
    }
    Bytes buffer(content);
    buffer.resize(content.size() + window);

    std::vector<Find> finds;
    for (std::uint64_t position = 0; position < content.size(); ++position) {
        for (IExtractPlugin* plugin : plugins) {
            if (!plugin->detect(buffer.data() + position)) {
                continue;
            }
            std::string kind = plugin->getKind();
            std::string output = outputFolder.file(kind + std::to_string(finds.size()) + "." + kind);
            unsigned result = plugin->extract(inputPath.c_str(), static_cast<unsigned>(position >> 32),
                                              static_cast<unsigned>(position), output.c_str());
            if (result > 0) {
                finds.push_back(Find{position, kind, TemporaryFolder::read(output)});
                break;
            }
            std::remove(output.c_str());
        }
    }
    return finds;
}
