// Type-safe access to JSON values read from files. jsoncpp throws (or asserts) when a value has
// an unexpected type; settings files are user data, so here a value of the wrong type reads as
// if it were missing, and only writes may replace it.
#pragma once

#include <json/value.h>

#include <cstdint>
#include <string>

namespace qx::json {

// Integer conversion as jsoncpp does it (numbers truncated towards zero, booleans 0 or 1, null
// 0), except that strings, arrays, objects and numbers outside the 32-bit range read as 0.
int ToInt(const Json::Value& value);

// Boolean conversion as jsoncpp does it (any non-zero number is true), other types false.
bool ToBool(const Json::Value& value);

// The text of a string value; any other type reads as "".
std::string ToString(const Json::Value& value);

// Read-only lookups: a null value when the parent is not an object (or array) or lacks the member.
const Json::Value& Get(const Json::Value& parent, const char* key);
const Json::Value& At(const Json::Value& parent, Json::ArrayIndex index);

// jsoncpp's creating access for the getters that rely on it: a null or object parent gets the
// member (null when new) and a pointer to it is returned; a parent of another type is left alone
// and the result is nullptr.
Json::Value* Touch(Json::Value& parent, const char* key);
Json::Value* TouchAt(Json::Value& parent, Json::ArrayIndex index);

// Access for writing: a parent that is not an object (or array) becomes an empty one first.
Json::Value& Slot(Json::Value& parent, const char* key);
Json::Value& SlotAt(Json::Value& parent, Json::ArrayIndex index);

// The array size of a value, 0 for any other type.
Json::ArrayIndex ArraySize(const Json::Value& value);

}  // namespace qx::json
