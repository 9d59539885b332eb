#include "tests/plugins/Carvingfixture.h"

#include "tests/plugins/Samplefiles.h"

#include <algorithm>

void CarvingFixture::load(std::initializer_list<const char*> folders)
{
    for (const char* name : folders) {
        loaded.push_back(std::make_unique<LoadedPlugin>(name));
        (*loaded.back())->setConfig(&config);
        plugins.push_back(loaded.back()->get());
    }
}

void CarvingFixture::place(const Bytes& file, const std::string& kind)
{
    expected.push_back({corpus.size(), kind, file});
    corpus.insert(corpus.end(), file.begin(), file.end());
}

void CarvingFixture::placeCut(const Bytes& file, std::size_t keep)
{
    corpus.insert(corpus.end(), file.begin(), file.begin() + static_cast<long>(keep));
}

void CarvingFixture::fill(std::size_t size)
{
    Bytes noise = SampleFiles::random(size, static_cast<std::uint32_t>(corpus.size() + 17));
    corpus.insert(corpus.end(), noise.begin(), noise.end());
}

void CarvingFixture::expectInside(std::size_t outerStart, std::size_t offset, const Bytes& file,
                                  const std::string& kind)
{
    expected.push_back({outerStart + offset, kind, file});
}

std::vector<CorpusScanner::Find> CarvingFixture::scan()
{
    return CorpusScanner(plugins, output).scan(folder.write("corpus.bin", corpus), corpus);
}

std::vector<CorpusScanner::Find> CarvingFixture::scanAlone(const Bytes& file, std::size_t prefix)
{
    corpus.clear();
    expected.clear();
    fill(prefix);
    place(file, "");
    fill(97);
    return scan();
}

std::vector<CorpusScanner::Find> CarvingFixture::sortedExpected() const
{
    std::vector<CorpusScanner::Find> sorted = expected;
    std::stable_sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
    return sorted;
}
