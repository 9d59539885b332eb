// The user-defined plug-in's cost per rule: a whole run over one corpus of random bytes with the
// plug-in installed alone, with 0, 1, 10, 100 and 1000 rules, each a random header of four to
// eight bytes, half of them with a footer, a tenth of them with a wildcard byte. The corpus holds
// one find of each of the first ten rules, which every run must write.
//
// Run by hand (bench/README.md). It writes config.xml beside itself, where a "plugins" folder
// holds only the user-defined plug-in.

#include "app/Glintfetchfactory.h"
#include "engine/IConfigModel.h"
#include "engine/IExtractModel.h"
#include "engine/IPluginModel.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

struct Rule {
    std::string kind;
    std::vector<unsigned char> header;
    bool wildcard;
    std::string footer;
};

std::string hex(const Rule& rule)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    for (std::size_t i = 0; i < rule.header.size(); ++i) {
        if (i > 0) text += ' ';
        if (rule.wildcard && i == 1) {
            text += "??";
        } else {
            text += digits[rule.header[i] >> 4];
            text += digits[rule.header[i] & 0x0F];
        }
    }
    return text;
}

std::vector<Rule> makeRules(std::size_t count, std::mt19937_64& random)
{
    std::vector<Rule> rules;
    for (std::size_t i = 0; i < count; ++i) {
        Rule rule;
        rule.kind = "k" + std::to_string(i);
        rule.header.resize(4 + random() % 5);
        for (unsigned char& byte : rule.header) byte = static_cast<unsigned char>(random());
        rule.wildcard = i % 10 == 9;
        if (i % 2 == 0) rule.footer = "END" + std::to_string(i);
        rules.push_back(rule);
    }
    return rules;
}

std::string property(const std::vector<Rule>& rules)
{
    std::string text;
    for (const Rule& rule : rules) {
        text += rule.kind + "\thex\t" + hex(rule) + "\ttext\t" + rule.footer + "\t4096\tfirst\twith\tcase\n";
    }
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::uint64_t mebibytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    std::mt19937_64 random(20261211);
    const std::vector<Rule> all = makeRules(1000, random);

    const fs::path scratch = fs::temp_directory_path() / ("glintfetch-userdefined-bench-" + std::to_string(random()));
    fs::create_directories(scratch);
    const fs::path input = scratch / "corpus.bin";
    {
        std::vector<unsigned char> corpus(static_cast<std::size_t>(mebibytes << 20));
        for (std::size_t i = 0; i + 8 <= corpus.size(); i += 8) {
            const std::uint64_t value = random();
            for (int k = 0; k < 8; ++k) corpus[i + static_cast<std::size_t>(k)] = static_cast<unsigned char>(value >> (8 * k));
        }
        for (std::size_t i = 0; i < 10; ++i) {
            const std::size_t at = (i + 1) * (corpus.size() / 12);
            std::copy(all[i].header.begin(), all[i].header.end(), corpus.begin() + static_cast<long>(at));
            std::copy(all[i].footer.begin(), all[i].footer.end(), corpus.begin() + static_cast<long>(at + 100));
        }
        std::ofstream(input, std::ios::binary)
            .write(reinterpret_cast<const char*>(corpus.data()), static_cast<std::streamsize>(corpus.size()));
    }

    std::printf("corpus of %llu MiB of random bytes, the user-defined plug-in alone\n",
                static_cast<unsigned long long>(mebibytes));
    std::printf("%8s %10s %12s %8s\n", "rules", "MB/s", "finds", "checked");
    bool failed = false;
    for (std::size_t count : {0, 1, 10, 100, 1000}) {
        double best = 1e300;
        unsigned finds = 0;
        for (int round = 0; round < 3; ++round) {
            std::unique_ptr<IGlintfetchFactory> factory = createGlintfetchFactory();
            IConfigModel* config = factory->createConfigModel();
            IExtractModel* model = factory->createExtractModel(config, factory->createPluginModel());
            config->buildDefaultDocument();
            config->setCreateDirPerFile(false);
            config->setCreateDirPerData(false);
            config->setLimitFromText("");
            const std::vector<Rule> rules(all.begin(), all.begin() + static_cast<long>(count));
            config->setProperty("rules", property(rules).c_str(), "glintfetch.userdefined");
            config->save();
            const fs::path output = scratch / ("out" + std::to_string(count) + "-" + std::to_string(round));
            fs::create_directories(output);
            model->setOutputDirectory(output.string());
            model->clearInputFiles();
            model->addInputFile(input.string());
            model->prepare();
            const Clock::time_point begin = Clock::now();
            model->run();
            best = std::min(best, std::chrono::duration<double>(Clock::now() - begin).count());
            finds = model->getExtractedCount();
            fs::remove_all(output);
        }
        // Random bytes may hold a short header by chance; the planted ones must all be there.
        const unsigned planted = static_cast<unsigned>(std::min<std::size_t>(count, 10));
        const bool ok = finds >= planted;
        failed = failed || !ok;
        std::printf("%8zu %10.1f %12u %8s\n", count, static_cast<double>(mebibytes << 20) / 1e6 / best, finds,
                    ok ? "ok" : "MISSING");
    }
    fs::remove_all(scratch);
    fs::remove(fs::canonical("/proc/self/exe").parent_path() / "config.xml");
    return failed ? 1 : 0;
}
