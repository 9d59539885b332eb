#include "framework/Process.h"

#include "framework/IProcess.h"
#include "framework/IResource.h"
#include "framework/Tarnwickfactory.h"
#include "tests/framework/support/Probes.h"
#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

TEST(ProcessTest, ModuleFileNameIsTheFullPathOfTheRunningExecutable) {
    const std::unique_ptr<ITarnwickFactory> factory = createTarnwickFactory();
    const std::string path = factory->createProcess()->getModuleFileName();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_EQ(path.substr(path.rfind('/') + 1), "framework_tests");
    IResource* entry = factory->createResource();
    entry->setPath(path);
    EXPECT_TRUE(entry->isFile());
    EXPECT_EQ(path, std::filesystem::canonical(path).string());
}

TEST(ProcessTest, ModuleFileNameIsNeverTruncated) {
    TemporaryFolder folder;
    // Far beyond the 260 characters that a fixed buffer would hold.
    std::filesystem::path deep = folder.path();
    while (deep.string().size() < 3000) deep /= std::string(120, 'd') + "フォルダ";
    std::filesystem::create_directories(deep);
    const std::filesystem::path copy = deep / "module_path_probe";
    std::filesystem::copy_file(besideTestBinary("module_path_probe"), copy);
    const std::string output = folder.path("output.txt");

    const std::string command = "cd '" + deep.string() + "' && ./module_path_probe > '" + output + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::ifstream printed(output, std::ios::binary);
    const std::string reported((std::istreambuf_iterator<char>(printed)), std::istreambuf_iterator<char>());
    EXPECT_EQ(reported, copy.string());
    EXPECT_GT(reported.size(), 3000u);
}
