#include "framework/Tarnwickfactoryex.h"

#include "framework/Exception.h"
#include "framework/IValueObject.h"
#include "framework/IXMLDocument.h"
#include "framework/IXMLElement.h"
#include "framework/Tarnwickfactory.h"

#include <gtest/gtest.h>
#include <xercesc/util/PlatformUtils.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

// The library drops its memory manager when the last initialisation is given back, that is
// when no XML document is left alive.
bool anyDocumentAlive() { return XERCES_CPP_NAMESPACE::XMLPlatformUtils::fgMemoryManager != nullptr; }

class TarnwickFactoryExTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("factoryex-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        ASSERT_FALSE(anyDocumentAlive());
    }
    void TearDown() override { fs::remove_all(folder); }

    std::string file(const std::string& name, const std::string& contents) {
        const std::string path = (folder / name).string();
        std::ofstream(path, std::ios::binary) << contents;
        return path;
    }

    fs::path folder;
};

}  // namespace

TEST_F(TarnwickFactoryExTest, DocumentsAreDistinctRegisteredAndDieWithTheFactory) {
    auto factory = std::make_unique<TarnwickFactoryEx>();
    TarnwickFactory other;
    factory->createValueObject();
    IXMLDocument* first = factory->createXMLDocument("first");
    IXMLDocument* second = factory->createXMLDocument("second");

    EXPECT_NE(first, second);
    EXPECT_TRUE(factory->isCreatedObject(first));
    EXPECT_TRUE(factory->isCreatedObject(second));
    EXPECT_FALSE(other.isCreatedObject(first));
    EXPECT_EQ(first->getDocumentElement()->getNodeName(), "first");
    EXPECT_EQ(second->getDocumentElement()->getNodeName(), "second");
    EXPECT_TRUE(anyDocumentAlive());

    factory.reset();
    EXPECT_FALSE(anyDocumentAlive());
}

TEST_F(TarnwickFactoryExTest, TheFactoryIsUsableThroughBothInterfaces) {
    std::unique_ptr<ITarnwickFactoryEx> factory = std::make_unique<TarnwickFactoryEx>();
    IXMLDocument* document = factory->createXMLDocument("glintfetch");
    IValueObject* value = factory->createValueObject();
    ITarnwickFactory* core = factory.get();
    EXPECT_NE(core->createValueObject(), value);
    auto* concrete = dynamic_cast<TarnwickFactoryEx*>(core);
    ASSERT_NE(concrete, nullptr);
    EXPECT_TRUE(concrete->isCreatedObject(document));
    EXPECT_TRUE(concrete->isCreatedObject(value));
}

TEST_F(TarnwickFactoryExTest, ADocumentFromAFileHoldsTheFilesTree) {
    const std::string path = file("config.xml", "<glintfetch><per_file>true</per_file></glintfetch>");
    {
        TarnwickFactoryEx factory;
        IXMLDocument* document = factory.createXMLDocumentFromResource(path);
        EXPECT_TRUE(factory.isCreatedObject(document));
        EXPECT_TRUE(document->getBooleanByTagName("per_file"));
        EXPECT_EQ(document->getDocumentElement()->getNodeName(), "glintfetch");
    }
    EXPECT_FALSE(anyDocumentAlive());
}

TEST_F(TarnwickFactoryExTest, AFailedCreationFromAFileLeavesNothingBehind) {
    const struct {
        const char* name;
        bool exists;
        const char* contents;
        const char* message;
    } cases[] = {
        {"missing", false, "", "指定された xml ファイルが読み込めません。"},
        {"empty", true, "", "指定されたファイルは xml 形式でないか、壊れています。"},
        {"truncated", true, "<glintfetch><per_file>tr", "指定されたファイルは xml 形式でないか、壊れています。"},
        {"not xml", true, "PNG\x89\r\n", "指定されたファイルは xml 形式でないか、壊れています。"},
    };
    for (const auto& c : cases) {
        const std::string path =
            c.exists ? file("config.xml", c.contents) : (folder / "missing.xml").string();
        TarnwickFactoryEx factory;
        std::string message;
        try {
            factory.createXMLDocumentFromResource(path);
            ADD_FAILURE() << c.name << ": nothing was raised";
        } catch (const FactoryException& raised) {
            message = raised.getMessage();
        }
        EXPECT_EQ(message, c.message) << c.name;
        // The half-made document is gone already, not kept until the factory dies.
        EXPECT_FALSE(anyDocumentAlive()) << c.name;

        // The factory goes on as before.
        IXMLDocument* document = factory.createXMLDocument("after");
        EXPECT_TRUE(factory.isCreatedObject(document));
    }
}

TEST_F(TarnwickFactoryExTest, ADocumentWithAnUnusableRootNameIsStillMadeAndListed) {
    TarnwickFactoryEx factory;
    IXMLDocument* document = factory.createXMLDocument("");
    EXPECT_TRUE(factory.isCreatedObject(document));
    const std::string path = file("config.xml", "<root><a>1</a></root>");
    document->parse(path);
    EXPECT_EQ(document->getValueByTagName("a"), "1");
}
