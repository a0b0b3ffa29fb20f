// Writes a JSON value for a command's --json output.
#pragma once

#include <json/json.h>

#include <ostream>

namespace qx::ctl {

inline void WriteJson(std::ostream& out, const Json::Value& value) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    out << Json::writeString(builder, value) << '\n';
}

}  // namespace qx::ctl
