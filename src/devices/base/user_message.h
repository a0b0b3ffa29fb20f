// Messages for the user from the device layer (a write the device did not take, a profile that
// could not be saved). The program installs the sink that shows them in its message window;
// without a sink they go to the diagnostic log. UI thread only.
#pragma once

#include <QString>
#include <functional>

namespace qx::devices {

// `text` is already in the user's language.
using UserMessageSink = std::function<void(const QString& text)>;

// Replaces the sink (an empty function removes it).
void SetUserMessageSink(UserMessageSink sink);
void ShowUserMessage(const QString& text);

}  // namespace qx::devices
