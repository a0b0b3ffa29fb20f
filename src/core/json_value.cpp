#include "core/json_value.h"

#include <cmath>
#include <limits>

namespace qx::json {
namespace {

const Json::Value& Null() {
    static const Json::Value null;
    return null;
}

}  // namespace

int ToInt(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
        case Json::uintValue:
            return value.isInt() ? value.asInt() : 0;
        case Json::realValue: {
            const double d = value.asDouble();
            if (!std::isfinite(d) || d <= double(std::numeric_limits<int>::min()) - 1.0 ||
                d >= double(std::numeric_limits<int>::max()) + 1.0) {
                return 0;
            }
            return static_cast<int>(d);
        }
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        default:
            return 0;
    }
}

bool ToBool(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue:
            return value.asInt64() != 0;
        case Json::uintValue:
            return value.asUInt64() != 0;
        case Json::realValue:
            return value.asDouble() != 0.0;
        case Json::booleanValue:
            return value.asBool();
        default:
            return false;
    }
}

std::string ToString(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

const Json::Value& Get(const Json::Value& parent, const char* key) {
    if (!parent.isObject()) return Null();
    const Json::Value* member = parent.find(key, key + std::char_traits<char>::length(key));
    return member != nullptr ? *member : Null();
}

const Json::Value& At(const Json::Value& parent, Json::ArrayIndex index) {
    if (!parent.isArray() || index >= parent.size()) return Null();
    return parent[index];
}

Json::Value* Touch(Json::Value& parent, const char* key) {
    if (!parent.isNull() && !parent.isObject()) return nullptr;
    return &parent[key];
}

Json::Value* TouchAt(Json::Value& parent, Json::ArrayIndex index) {
    if (!parent.isNull() && !parent.isArray()) return nullptr;
    return &parent[index];
}

Json::Value& Slot(Json::Value& parent, const char* key) {
    if (!parent.isObject()) parent = Json::Value(Json::objectValue);
    return parent[key];
}

Json::Value& SlotAt(Json::Value& parent, Json::ArrayIndex index) {
    if (!parent.isArray()) parent = Json::Value(Json::arrayValue);
    return parent[index];
}

Json::ArrayIndex ArraySize(const Json::Value& value) { return value.isArray() ? value.size() : 0; }

}  // namespace qx::json
