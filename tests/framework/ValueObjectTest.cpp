#include "framework/Valueobject.h"

#include "framework/Exception.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string indexMessage(ValueObject& values, const std::string& key, std::uint32_t index) {
    try {
        values.getValue(key, index);
    } catch (const IndexOutOfBoundsException& e) {
        return e.getMessage();
    }
    return "no exception";
}

}  // namespace

TEST(ValueObjectTest, UnwrittenKeyReadsEmptyAndItsIndexZeroIsOutOfBounds) {
    ValueObject values;
    EXPECT_EQ(values.getValue("outputDirectory"), "");
    EXPECT_EQ(values.getValueCount("outputDirectory"), 0u);
    EXPECT_EQ(indexMessage(values, "outputDirectory", 0),
              "outputDirectory has 0 values. But specified index is 0.");
    EXPECT_EQ(values.getValue(""), "");
}

TEST(ValueObjectTest, IndexMessageNamesKeyCountAndIndex) {
    ValueObject values;
    values.addValue("inputFiles", "/a");
    values.addValue("inputFiles", "/b");
    EXPECT_EQ(indexMessage(values, "inputFiles", 5), "inputFiles has 2 values. But specified index is 5.");
    EXPECT_EQ(indexMessage(values, "inputFiles", 4294967295u),
              "inputFiles has 2 values. But specified index is 4294967295.");
    // The failed lookup changed nothing.
    EXPECT_EQ(values.getValueCount("inputFiles"), 2u);
    EXPECT_EQ(values.getValue("inputFiles", 1), "/b");
}

TEST(ValueObjectTest, IndexExceptionIsARuntimeException) {
    ValueObject values;
    EXPECT_THROW(values.getValue("k", 0), RuntimeException);
}

TEST(ValueObjectTest, SetValueReplacesOnlyTheFirstOrBecomesTheOnlyValue) {
    ValueObject values;
    values.setValue("status", "START");
    EXPECT_EQ(values.getValueCount("status"), 1u);
    values.setValue("status", "PROCESSING");
    EXPECT_EQ(values.getValueCount("status"), 1u);
    EXPECT_EQ(values.getValue("status"), "PROCESSING");

    for (const char* v : {"a", "b", "c"}) values.addValue("list", v);
    values.setValue("list", "v");
    ASSERT_EQ(values.getValueCount("list"), 3u);
    EXPECT_EQ(values.getValue("list", 0), "v");
    EXPECT_EQ(values.getValue("list", 1), "b");
    EXPECT_EQ(values.getValue("list", 2), "c");
}

TEST(ValueObjectTest, AddValueKeepsOrderAndTheLastIndexIsCountMinusOne) {
    ValueObject values;
    for (const char* v : {"a", "b", "c"}) values.addValue("inputFiles", v);
    EXPECT_EQ(values.getValue("inputFiles"), "a");
    EXPECT_EQ(values.getValue("inputFiles", 2), "c");
    EXPECT_THROW(values.getValue("inputFiles", 3), IndexOutOfBoundsException);
}

TEST(ValueObjectTest, KeysMatchExactlyAndCaseSensitively) {
    ValueObject values;
    values.setValue("log", "lower");
    values.setValue("Log", "upper");
    values.setValue("", "empty key");
    values.setValue("ログ", "日本語");
    EXPECT_EQ(values.getValue("log"), "lower");
    EXPECT_EQ(values.getValue("Log"), "upper");
    EXPECT_EQ(values.getValue(""), "empty key");
    EXPECT_EQ(values.getValue("ログ"), "日本語");
    EXPECT_EQ(values.getValue("log "), "");
}
