#include "app/qt/gui_bridge.h"
#include "support/qt_app.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QThread>
#include <atomic>
#include <thread>

namespace vorlin {
namespace {

TEST(GuiBridgeTest, SendWaitsForTheGuiThreadAndPostDoesNot) {
    test::App();
    GuiBridge bridge;
    std::atomic<int> ran{0};
    std::atomic<bool> sent{false};
    std::thread device([&] {
        bridge.Post([&] { ran += 1; });
        sent = bridge.Send([&] { ran += 10; });
    });
    // Nothing runs until the GUI thread turns its event loop.
    QThread::msleep(50);
    EXPECT_EQ(ran.load(), 0);
    EXPECT_FALSE(sent.load());
    while (!sent.load()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    device.join();
    EXPECT_EQ(ran.load(), 11);
}

TEST(GuiBridgeTest, ASendInFlightReturnsOnceShutdownBegins) {
    test::App();
    GuiBridge bridge;
    std::atomic<int> result{-1};
    std::thread device(
        [&] { result = bridge.Send([] { FAIL() << "ran after shutdown"; }) ? 1 : 0; });
    QThread::msleep(50);
    EXPECT_EQ(result.load(), -1) << "the sender waits for the window";
    // The window is going away without turning its loop: the sender must not hang.
    bridge.BeginShutdown();
    device.join();
    EXPECT_EQ(result.load(), 0);
    QCoreApplication::processEvents();  // the queued call finds shutdown begun and does nothing
    EXPECT_FALSE(bridge.Send([] {}));
}

}  // namespace
}  // namespace vorlin
