#include "framework/Dynamiclinker.h"

#include "framework/Exception.h"
#include "framework/Tarnwickfactory.h"
#include "tests/framework/support/Probes.h"
#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<std::string> unloaded;

void recordUnload(const char* tag) { unloaded.push_back(tag); }

using WatchUnload = void (*)(void (*)(const char*));
using Answer = int (*)();

class DynamicLinkerTest : public ::testing::Test {
protected:
    void SetUp() override { unloaded.clear(); }

    IDynamicLinker* loaded(const std::string& tag) {
        IDynamicLinker* linker = factory->createDynamicLinker();
        linker->load(linkerProbe(tag));
        reinterpret_cast<WatchUnload>(linker->link("probeWatchUnload"))(&recordUnload);
        return linker;
    }

    std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
};

template <typename Kind>
std::string messageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Kind& e) {
        return e.getMessage();
    } catch (const Exception&) {
        return "another kind";
    }
    return "no exception";
}

const std::string notLoaded = "リンク対象ファイルが読み込まれていません。";
const std::string cannotLoad = "指定されたリンク対象のファイルを読み込めません。";

}  // namespace

TEST_F(DynamicLinkerTest, LinkResolvesExportsByCharactersOrStringAlike) {
    IDynamicLinker* linker = loaded("a");
    void* byCharacters = linker->link("probeAnswer");
    EXPECT_EQ(linker->link(std::string("probeAnswer")), byCharacters);
    EXPECT_EQ(reinterpret_cast<Answer>(byCharacters)(), 42);
}

TEST_F(DynamicLinkerTest, MissingExportIsARuntimeExceptionAndTheLibraryStaysHeld) {
    IDynamicLinker* linker = loaded("a");
    EXPECT_EQ(messageOf<RuntimeException>([&] { linker->link("noSuchFunction"); }),
              "指定されたファンクション名が見つかりません。");
    EXPECT_EQ(messageOf<RuntimeException>([&] { linker->link(std::string()); }),
              "指定されたファンクション名が見つかりません。");
    EXPECT_NE(linker->link("probeAnswer"), nullptr);
    EXPECT_TRUE(unloaded.empty());
}

TEST_F(DynamicLinkerTest, LinkWithoutAHeldLibraryIsARuntimeException) {
    IDynamicLinker* fresh = factory->createDynamicLinker();
    EXPECT_EQ(messageOf<RuntimeException>([&] { fresh->link("probeAnswer"); }), notLoaded);

    IDynamicLinker* released = loaded("a");
    released->release();
    EXPECT_EQ(unloaded, std::vector<std::string>{"a"});
    EXPECT_EQ(messageOf<RuntimeException>([&] { released->link(std::string("probeAnswer")); }), notLoaded);
    // The plug-in model tells a missing export from a failed load by kind.
    EXPECT_EQ(messageOf<IOException>([&] { released->link("probeAnswer"); }), "another kind");
}

TEST_F(DynamicLinkerTest, ReleaseTwiceIsAnIllegalStatus) {
    IDynamicLinker* linker = loaded("a");
    linker->release();
    EXPECT_EQ(messageOf<IllegalStatusException>([&] { linker->release(); }), notLoaded);
}

TEST_F(DynamicLinkerTest, FailedLoadLeavesTheLinkerEmpty) {
    TemporaryFolder folder;
    const std::string notALibrary = folder.file("plugin.dll", "MZ this is no shared library");
    for (const std::string& name : {folder.path("missing.so"), notALibrary, folder.path(), std::string()}) {
        SCOPED_TRACE(name);
        IDynamicLinker* linker = factory->createDynamicLinker();
        EXPECT_EQ(messageOf<IOException>([&] { linker->load(name); }), cannotLoad);
        EXPECT_EQ(messageOf<RuntimeException>([&] { linker->link("probeAnswer"); }), notLoaded);
        EXPECT_EQ(messageOf<IllegalStatusException>([&] { linker->release(); }), notLoaded);
    }
}

// The exception says only that the load failed; the linker keeps the loader's reason until the
// next load.
TEST_F(DynamicLinkerTest, AFailedLoadKeepsTheLoadersReason) {
    TemporaryFolder folder;
    const std::string notALibrary = folder.file("plugin.so", std::string(100, 'x'));
    const struct {
        std::string name;
        std::string reason;
    } cases[] = {
        {folder.path("missing.so"), "ファイルまたはフォルダーが見つかりません"},
        {notALibrary, "ELF 形式のファイルではありません"},
        {folder.path(), "ファイルではなくフォルダーです"},
    };
    IDynamicLinker* linker = factory->createDynamicLinker();
    EXPECT_EQ(linker->getLoadError(), "");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_THROW(linker->load(c.name), IOException);
        EXPECT_EQ(linker->getLoadError(), c.reason);
    }
    linker->load(linkerProbe("a"));
    EXPECT_EQ(linker->getLoadError(), "");
}

TEST_F(DynamicLinkerTest, LoadingAgainFreesTheLibraryHeldBefore) {
    IDynamicLinker* linker = loaded("a");
    linker->load(linkerProbe("b"));
    EXPECT_EQ(unloaded, std::vector<std::string>{"a"});
    EXPECT_EQ(reinterpret_cast<const char* (*)()>(linker->link("probeTag"))(), std::string("b"));

    reinterpret_cast<WatchUnload>(linker->link("probeWatchUnload"))(&recordUnload);
    EXPECT_THROW(linker->load(linkerProbe("missing")), IOException);
    EXPECT_EQ(unloaded, (std::vector<std::string>{"a", "b"}));
}

TEST_F(DynamicLinkerTest, DestroyingTheFactoryUnloadsHeldLibrariesOnly) {
    loaded("a");
    loaded("b")->release();
    factory->createDynamicLinker();
    EXPECT_EQ(unloaded, std::vector<std::string>{"b"});
    factory.reset();
    EXPECT_EQ(unloaded, (std::vector<std::string>{"b", "a"}));
}
