// What other programs send over the bus, taken by the program's Messages interface and handled
// by the main window on the simulated keyboard, mouse, pad and headset: posted and sent messages
// of every registered name (and names that are not registered) with any parameters, and CopyData
// blocks of any kind and content.
// Input: records of a kind byte (0 post, 1 send, 2 copy data, 3 a name of the input's own),
// then the message number byte and two 32-bit parameters, or a length byte and the bytes.
#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <cstdlib>
#include <memory>

#include "app/main_wnd.h"
#include "app/messages_adaptor.h"
#include "controls/register_controls.h"
#include "devices/base/register_device_controls.h"
#include "fuzz_support.h"
#include "settings/language_settings.h"
#include "sim/sim_bus.h"
#include "sim/sim_setup.h"
#include "ui/messages.h"

using namespace qx;

namespace {

struct Program {
    std::unique_ptr<QApplication> application;
    sim::SimBus bus;
    std::unique_ptr<app::CMainWnd> window;
    QObject exported;
    std::unique_ptr<app::MessagesAdaptor> adaptor;
};

Program* program = nullptr;

void Spin(int ms) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
    } while (clock.elapsed() < ms);
}

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    int32_t Int() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= uint32_t(Byte()) << (8 * i);
        return static_cast<int32_t>(value);
    }
    QByteArray Bytes() {
        const size_t length = std::min<size_t>(Byte() * 4u, size_ - std::min(at_, size_));
        QByteArray bytes(reinterpret_cast<const char*>(data_ + at_), qsizetype(length));
        at_ += length;
        return bytes;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    (void)fuzz::ScratchFolder();  // the user's folders point into it
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    program = new Program;
    program->application = std::make_unique<QApplication>(*argc, *argv);
    controls::RegisterCustomControls();
    devices::RegisterDeviceControls();
    for (const char* device : {"keyboard", "mouse", "pad", "headset"}) program->bus.Plug(device);
    app::MainWndOptions options;
    options.backend = &program->bus;
    options.supportedRows = sim::WithSimulatorIdentities(kSupportedDevices);
    options.monitorSize = [] { return QSize(1920, 1080); };
    options.trayAvailable = [] { return true; };
    program->window = std::make_unique<app::CMainWnd>(options);
    if (!program->window->Create()) std::abort();
    QElapsedTimer clock;
    clock.start();
    while (!program->window->isVisible() && clock.elapsed() < 20000) Spin(20);
    Spin(1500);  // first contact with the devices
    program->adaptor = std::make_unique<app::MessagesAdaptor>(
        &program->exported, program->window.get(), QDBusConnection(QStringLiteral("none")));
    // The window's workers stop before the process ends, as when the program exits.
    std::atexit([] {
        program->adaptor.reset();
        program->window->Exit();
        program->window.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    const QDBusMessage call;
    for (int record = 0; record < 16 && !in.Empty(); ++record) {
        const uint8_t kind = in.Byte() % 4;
        if (kind == 2) {
            const auto copyKind = static_cast<uint>(in.Byte() % 4);
            program->adaptor->CopyData(QStringLiteral("fuzz"), copyKind, in.Bytes(), call);
            continue;
        }
        QString name;
        if (kind == 3) {
            name = QString::fromUtf8(in.Bytes());
        } else {
            const size_t index = in.Byte() % msg::kRegisteredNames.size();
            const std::string_view registered = msg::kRegisteredNames[index];
            name = QString::fromUtf8(registered.data(), qsizetype(registered.size()));
        }
        const int wParam = in.Int();
        const int lParam = in.Int();
        if (kind == 1) {
            (void)program->adaptor->SendMessage(name, wParam, lParam, call);
        } else {
            program->adaptor->PostMessage(name, wParam, lParam, call);
        }
    }
    // The posted messages, and the device work they start.
    Spin(3);
    return 0;
}
