#include "platform/os/DirectorySearch.h"

#include "tests/framework/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

TEST(DirectorySearchTest, ListsEveryNameWithDotAndDotDot) {
    TemporaryFolder folder;
    folder.file("a.txt", "");
    folder.file(".hidden", "");
    folder.folder("sub");
    os::DirectorySearch search;
    ASSERT_TRUE(search.open(folder.path()));
    std::set<std::string> names;
    std::string name;
    while (search.next(name)) names.insert(name);
    EXPECT_EQ(names, (std::set<std::string>{".", "..", "a.txt", ".hidden", "sub"}));
    EXPECT_FALSE(search.next(name));
}

TEST(DirectorySearchTest, FolderThatCannotBeReadDoesNotOpen) {
    TemporaryFolder folder;
    os::DirectorySearch search;
    EXPECT_FALSE(search.open(folder.path("missing")));
    EXPECT_FALSE(search.open(folder.file("file.txt", "x")));
    EXPECT_FALSE(search.open(""));
    std::string name;
    EXPECT_FALSE(search.next(name));
}
