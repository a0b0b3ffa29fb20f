#include "devices/base/user_message.h"

#include <utility>

#include "core/diagnostics.h"

namespace qx::devices {
namespace {

UserMessageSink& Sink() {
    static UserMessageSink sink;
    return sink;
}

}  // namespace

void SetUserMessageSink(UserMessageSink sink) { Sink() = std::move(sink); }

void ShowUserMessage(const QString& text) {
    DebugLine("message: " + text.toStdString());
    if (Sink()) Sink()(text);
}

}  // namespace qx::devices
