#include "sim/request_log.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>

namespace qx::sim {
namespace {

std::string Hex(const uint8_t* bytes, size_t length) {
    std::string text;
    text.reserve(length * 2);
    char pair[3];
    for (size_t i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", bytes[i]);
        text += pair;
    }
    return text;
}

}  // namespace

std::string_view CommandName(uint8_t command) {
    switch (command) {
        case cmd::kBeginConfig:
            return "BeginConfig";
        case cmd::kEndConfig:
            return "EndConfig";
        case cmd::kReadIdentity:
            return "ReadIdentity";
        case cmd::kReadConfig:
            return "ReadConfig";
        case cmd::kWriteConfig:
            return "WriteConfig";
        case cmd::kReadKeyTable:
            return "ReadKeyTable";
        case cmd::kWriteKeyTable:
            return "WriteKeyTable";
        case cmd::kWriteKeyMask:
            return "WriteKeyMask";
        case cmd::kStreamFrame:
            return "StreamFrame";
        case cmd::kWriteMacros:
            return "WriteMacros";
        case cmd::kWriteRecoil:
            return "WriteRecoil";
        case cmd::kReadStatus:
            return "ReadStatus";
        case cmd::kReadKeyBytes:
            return "ReadKeyBytes";
        case cmd::kLightingResume:
            return "LightingResume";
        case cmd::kPresence:
            return "PresenceQuery";
        default:
            return {};
    }
}

std::string RequestLogJson(std::string_view device, const RequestLog& log) {
    Json::Value root(Json::objectValue);
    root["device"] = std::string(device);
    root["plugged"] = log.plugged;
    root["dropped"] = Json::UInt64(log.dropped);
    Json::Value& requests = root["requests"] = Json::Value(Json::arrayValue);
    for (const LoggedRequest& entry : log.requests) {
        Json::Value item(Json::objectValue);
        item["index"] = Json::UInt64(entry.index);
        item["ms"] = Json::UInt64(entry.timeMs);
        item["interface"] = entry.link == Link::Receiver ? "receiver" : "cable";
        item["command"] = entry.Command();
        item["name"] = std::string(CommandName(entry.Command()));
        item["length"] = entry.Length();
        item["offset"] = entry.Offset();
        item["checksum_ok"] = entry.ChecksumValid();
        const size_t dataLength = std::min<size_t>(entry.Length(), kPacketMaxData);
        item["data"] = Hex(entry.request.data() + kPacketData, dataLength);
        item["answered"] = entry.reply.has_value();
        item["reply_command"] =
            entry.reply ? Json::Value((*entry.reply)[kPacketCommand]) : Json::Value();
        item["status"] = entry.reply ? Json::Value((*entry.reply)[kPacketStatus]) : Json::Value();
        item["stray_replies"] = Json::UInt64(entry.strayReplies);
        item["unplugged"] = entry.unplugged;
        requests.append(std::move(item));
    }
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, root);
}

}  // namespace qx::sim
