// Collects the notifications of a window, for the tests to look at.
#pragma once

#include <QString>
#include <vector>

#include "ui/notify.h"

namespace qx::ui::test {

struct Seen {
    QString type;
    QString sender;
    qintptr wParam = 0;
    bool operator==(const Seen&) const = default;
};

class NotifyRecorder : public INotifyUI {
  public:
    void Notify(TNotifyUI& msg) override { seen.push_back({msg.type, msg.senderName, msg.wParam}); }
    bool Saw(const QString& type, const QString& sender) const {
        for (const Seen& s : seen)
            if (s.type == type && s.sender == sender) return true;
        return false;
    }
    std::vector<Seen> Of(const QString& type) const {
        std::vector<Seen> out;
        for (const Seen& s : seen)
            if (s.type == type) out.push_back(s);
        return out;
    }
    std::vector<Seen> seen;
};

}  // namespace qx::ui::test
