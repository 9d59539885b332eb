#include "framework/Exception.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(ExceptionTest, MessageSurvivesThrowCatchAndCopies) {
    try {
        try {
            throw IOException("ファイルが開けません。", "RandomAccessFile::setFile");
        } catch (Exception& e) {
            Exception copy = e;
            EXPECT_EQ(copy.getMessage(), "ファイルが開けません。");
            throw;
        }
    } catch (const Exception& caught) {
        const Exception byValue(caught);
        EXPECT_EQ(byValue.getMessage(), "ファイルが開けません。");
    }
    EXPECT_EQ(Exception("", "X::y").getMessage(), "");
}

TEST(ExceptionTest, HandlersTakeTheirSubclassesOnly) {
    bool runtimeTookIndex = false;
    try {
        throw IndexOutOfBoundsException("m", "ValueObject::getValue");
    } catch (RuntimeException&) {
        runtimeTookIndex = true;
    }
    EXPECT_TRUE(runtimeTookIndex);

    // An index failure is no I/O failure: the extraction run's per-file handler must not take it.
    bool ioTookIndex = false;
    try {
        try {
            throw IndexOutOfBoundsException("m", "ValueObject::getValue");
        } catch (IOException&) {
            ioTookIndex = true;
        }
    } catch (Exception&) {
    }
    EXPECT_FALSE(ioTookIndex);

    static_assert(!std::is_base_of_v<std::exception, Exception>);
    bool frameworkTookStd = false;
    try {
        try {
            throw std::runtime_error("x");
        } catch (Exception&) {
            frameworkTookStd = true;
        }
    } catch (std::exception&) {
    }
    EXPECT_FALSE(frameworkTookStd);
}
