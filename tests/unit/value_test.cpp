#include "project/value.h"

#include <gtest/gtest.h>

using ondrel::Value;

TEST(Value, TextAndNumberOfTheSameValueCompareEqualAndConversionsRefuseNonNumbers) {
    EXPECT_EQ(Value("9600"), Value(9600));
    EXPECT_EQ(Value(" 3"), Value(3));
    EXPECT_FALSE(Value("96OO") == Value(9600));
    EXPECT_FALSE(Value() == Value(""));
    EXPECT_TRUE(Value().isEmpty() && Value("").isEmpty());
    EXPECT_EQ(Value("12").toInteger(), 12);
    EXPECT_FALSE(Value("1.5").toInteger());
    EXPECT_EQ(Value("1.5").toReal(), 1.5);
    for (const char* text : {"1e3", "inf", ""})
        EXPECT_FALSE(Value(text).toReal()) << text;
    EXPECT_EQ(Value(300).toText(), "300");
    EXPECT_EQ(Value().toText(), "");
}
