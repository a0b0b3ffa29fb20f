#include "ui/custom_message.h"

#include <QApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

#include <gtest/gtest.h>

namespace qx::ui {
namespace {

class Handler : public QObject, public CustomMessageHandler {
  public:
    qintptr HandleCustomMessage(unsigned message, qintptr wParam, qintptr lParam) override {
        lastMessage = message;
        handledOn = QThread::currentThread();
        ++handled;
        return wParam * 1000 + lParam;
    }
    unsigned lastMessage = 0;
    QThread* handledOn = nullptr;
    std::atomic<int> handled{0};
};

TEST(CustomMessage, SendOnTheHandlersThreadIsADirectCall) {
    Handler handler;
    EXPECT_EQ(SendMessage(&handler, 3090, 4, 2), 4002);
    EXPECT_EQ(handler.handled, 1);
    EXPECT_EQ(handler.lastMessage, 3090u);
    EXPECT_EQ(SendMessage(nullptr, 3090, 4, 2), 0);
    QObject notAHandler;
    EXPECT_EQ(SendMessage(&notAHandler, 3090, 4, 2), 0);
}

TEST(CustomMessage, SendFromAWorkerWaitsUntilTheUiThreadHandledIt) {
    Handler handler;
    QEventLoop loop;
    qintptr result = 0;
    int handledWhenReturned = -1;
    std::thread worker([&] {
        result = SendMessage(&handler, 3091, 7, 1);
        handledWhenReturned = handler.handled;
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);  // a hang fails instead of blocking
    loop.exec();
    worker.join();
    EXPECT_EQ(result, 7001);
    EXPECT_EQ(handledWhenReturned, 1);
    EXPECT_EQ(handler.handledOn, QThread::currentThread());
}

TEST(CustomMessage, PostIsHandledLaterOnTheUiThreadAndNotAfterTheHandlerIsGone) {
    auto* handler = new Handler;
    PostMessage(handler, 3331, 1, 1);
    EXPECT_EQ(handler->handled, 0);
    QApplication::processEvents();
    EXPECT_EQ(handler->handled, 1);

    PostMessage(handler, 3331, 1, 0);
    delete handler;
    QApplication::processEvents();  // nothing to deliver to, and no crash
    SUCCEED();
}

}  // namespace
}  // namespace qx::ui
