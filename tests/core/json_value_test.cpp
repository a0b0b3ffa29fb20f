#include "core/json_value.h"

#include <gtest/gtest.h>
#include <json/reader.h>

namespace qx {
namespace {

Json::Value Parse(const std::string& text) {
    Json::Value value;
    Json::Reader reader;
    EXPECT_TRUE(reader.parse(text, value)) << text;
    return value;
}

TEST(JsonValue, ConversionsReadWrongTypesAsMissing) {
    const struct {
        const char* text;
        int asInt;
        bool asBool;
    } cases[] = {
        {"[5]", 5, true},
        {"[-7]", -7, true},
        {"[70000]", 70000, true},
        {"[2147483647]", 2147483647, true},
        {"[4294967296]", 0, true},
        {"[99999999999999999999]", 0, true},
        {"[2.9]", 2, true},
        {"[-2.9]", -2, true},
        {"[1e300]", 0, true},
        {"[true]", 1, true},
        {"[false]", 0, false},
        {"[null]", 0, false},
        {"[\"12\"]", 0, false},
        {"[[1]]", 0, false},
        {"[{\"a\" : 1}]", 0, false},
    };
    for (const auto& c : cases) {
        const Json::Value value = Parse(c.text)[0];
        EXPECT_EQ(json::ToInt(value), c.asInt) << c.text;
        EXPECT_EQ(json::ToBool(value), c.asBool) << c.text;
    }
    EXPECT_EQ(json::ToString(Json::Value(5)), "");
    EXPECT_EQ(json::ToString(Json::Value("x")), "x");
}

TEST(JsonValue, LookupsNeverCreateOrThrow) {
    const Json::Value text("text");
    EXPECT_TRUE(json::Get(text, "a").isNull());
    EXPECT_TRUE(json::At(text, 3).isNull());
    Json::Value array = Parse("[1, 2]");
    EXPECT_TRUE(json::At(array, 9).isNull());
    EXPECT_EQ(array.size(), 2u);
}

TEST(JsonValue, TouchCreatesOnlyWhereMemberAccessWould) {
    Json::Value object(Json::objectValue);
    ASSERT_NE(json::Touch(object, "a"), nullptr);
    EXPECT_TRUE(object.isMember("a"));

    Json::Value null;
    ASSERT_NE(json::Touch(null, "a"), nullptr);
    EXPECT_TRUE(null.isObject());

    Json::Value number(3);
    EXPECT_EQ(json::Touch(number, "a"), nullptr);
    EXPECT_EQ(json::TouchAt(number, 0), nullptr);
    EXPECT_EQ(number, Json::Value(3));

    json::Slot(number, "a") = 1;  // a write replaces the wrong type
    EXPECT_EQ(number["a"], 1);
    Json::Value notArray("x");
    json::SlotAt(notArray, 2) = 1;
    EXPECT_EQ(notArray.size(), 3u);
}

}  // namespace
}  // namespace qx
