#pragma once

#include "engine/ExtractPlugin.h"
#include "tests/plugins/Corpusscanner.h"
#include "tests/plugins/Fakeextractconfig.h"
#include "tests/plugins/Loadedplugin.h"
#include "tests/plugins/Temporaryfolder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

// A corpus of files hidden among random bytes, scanned through the plug-ins of the folders given,
// in that order, as a run meets them; finds are compared whole with what was placed.
class CarvingFixture : public ::testing::Test {
protected:
    void load(std::initializer_list<const char*> folders);

    // Appends file to the corpus and to the finds expected of it.
    void place(const Bytes& file, const std::string& kind);
    // Appends the first keep bytes of file, which must yield nothing.
    void placeCut(const Bytes& file, std::size_t keep);
    void fill(std::size_t size);
    // A find expected offset bytes into the file placed at outerStart.
    void expectInside(std::size_t outerStart, std::size_t offset, const Bytes& file, const std::string& kind);

    std::vector<CorpusScanner::Find> scan();
    // The finds of file alone, placed prefix bytes into random data.
    std::vector<CorpusScanner::Find> scanAlone(const Bytes& file, std::size_t prefix = 1001);
    std::vector<CorpusScanner::Find> sortedExpected() const;

    TemporaryFolder folder;
    TemporaryFolder output;
    FakeExtractConfig config;
    std::vector<std::unique_ptr<LoadedPlugin>> loaded;
    std::vector<IExtractPlugin*> plugins;
    Bytes corpus;
    std::vector<CorpusScanner::Find> expected;
};
