// What other programs send over the bus, taken by the program's Messages interface and handled
// by the main window on the simulated keyboard, mouse, pad and headset: posted and sent messages
// of every registered name (and names that are not registered) with any parameters, and CopyData
// blocks of any kind and content.
// Input: records of a kind byte (0 post, 1 send, 2 copy data, 3 a name of the input's own),
// then the message number byte and two 32-bit parameters, or a length byte and the bytes.
#include <QDBusConnection>
#include <QDBusMessage>
#include <memory>

#include "app/messages_adaptor.h"
#include "fuzz_support.h"
#include "fuzz_window.h"
#include "ui/messages.h"

using namespace qx;

namespace {

fuzz::FuzzWindow* program = nullptr;
std::unique_ptr<app::MessagesAdaptor> adaptor;

QByteArray Bytes(std::string_view bytes) { return {bytes.data(), qsizetype(bytes.size())}; }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    program = &fuzz::StartWindow(argc, argv, [] { adaptor.reset(); });
    adaptor = std::make_unique<app::MessagesAdaptor>(&program->exported, program->window.get(),
                                                     QDBusConnection(QStringLiteral("none")));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::InputReader in(data, size);
    const QDBusMessage call;
    for (int record = 0; record < 16 && !in.Empty(); ++record) {
        const uint8_t kind = in.Byte() % 4;
        if (kind == 2) {
            const auto copyKind = static_cast<uint>(in.Byte() % 4);
            adaptor->CopyData(QStringLiteral("fuzz"), copyKind, Bytes(in.Bytes()), call);
            continue;
        }
        QString name;
        if (kind == 3) {
            name = QString::fromUtf8(Bytes(in.Bytes()));
        } else {
            const size_t index = in.Byte() % msg::kRegisteredNames.size();
            const std::string_view registered = msg::kRegisteredNames[index];
            name = QString::fromUtf8(registered.data(), qsizetype(registered.size()));
        }
        const int wParam = in.Int();
        const int lParam = in.Int();
        if (kind == 1) {
            (void)adaptor->SendMessage(name, wParam, lParam, call);
        } else {
            adaptor->PostMessage(name, wParam, lParam, call);
        }
    }
    // The posted messages, and the device work they start.
    fuzz::Spin(3);
    return 0;
}
