// watch: runs the connection monitor and prints connection changes and the keyboard's own
// notifications until interrupted (or for a given time).
#include <CLI/CLI.hpp>

#include <atomic>
#include <chrono>
#include <csignal>
#include <ctime>
#include <mutex>
#include <thread>

#include "cli/cli_commands.h"
#include "cli/cli_context.h"
#include "device/connection_monitor.h"

namespace vorlin {
namespace {

std::atomic<int> gInterrupted{0};

extern "C" void OnInterrupt(int) {
    gInterrupted.store(1);
}

struct WatchOptions {
    double seconds = 0;  // 0: until interrupted
};

int RunWatch(CliSession& s, const WatchOptions& o) {
    // The monitor sends commands at each connection, so it too must have the keyboard alone.
    if (int code = s.LockRealKeyboard(); code != kExitOk) return code;
    // Guards s.out: the monitor and listener threads both print.
    std::mutex printLock;
    auto print = [&](const std::string& line) {
        std::lock_guard<std::mutex> guard(printLock);
        s.out << line << std::endl;
    };
    DeviceLink& link = *s.link;
    s.sink.onReload = [&] {
        char model[16];
        std::snprintf(model, sizeof model, "%04x:%04x", link.device.attributes().vendorId,
                      link.device.attributes().productId);
        print(std::string("connected: ") + model + " on " + link.device.path() + ", " +
              std::to_string(link.keyCount.load()) + " keys");
    };
    s.sink.onLost = [&] { print("disconnected"); };
    s.sink.onLightingReload = [&] {
        print("notification 0x0401: the keyboard changed its lighting");
    };
    s.sink.onUserColourReset = [&] {
        print("notification 0x0402: the keyboard switched profile and reset its user colours");
    };
    // The indicator shows over the connection state; 0x1810 brings that state back.
    std::atomic<TrayState> lastTray{TrayState::NotConnected};
    s.sink.onTrayState = [&](TrayState tray) {
        const TrayState before = lastTray.exchange(tray);
        if (tray == TrayState::Indicator)
            print("notification 0x1811: indicator on");
        else if (before == TrayState::Indicator)
            print("notification 0x1810: indicator off");
    };

    gInterrupted.store(0);
    auto oldInt = std::signal(SIGINT, OnInterrupt);
    auto oldTerm = std::signal(SIGTERM, OnInterrupt);
    print(o.seconds > 0 ? "watching for " + std::to_string(o.seconds) + " s"
                        : std::string("watching; Ctrl+C ends"));
    {
        ConnectionMonitor monitor(link, s.state, s.sink, s.prompter);
        monitor.Start();
        const auto end = std::chrono::steady_clock::now() +
                         std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                             std::chrono::duration<double>(o.seconds));
        while (!gInterrupted.load() && (o.seconds <= 0 || std::chrono::steady_clock::now() < end))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        monitor.Stop();
    }
    std::signal(SIGINT, oldInt);
    std::signal(SIGTERM, oldTerm);
    print("stopped");
    return kExitOk;
}

}  // namespace

void AddWatchCommand(CLI::App& app, CliSession& s, CommandAction& action) {
    auto o = std::make_shared<WatchOptions>();
    CLI::App* sub = app.add_subcommand(
        "watch", "Print connection changes and keyboard notifications until interrupted");
    sub->add_option("--for", o->seconds, "Stop after this many seconds")
        ->check(CLI::PositiveNumber)
        ->type_name("SECONDS");
    sub->callback([&s, &action, o] { action = [&s, o] { return RunWatch(s, *o); }; });
}

}  // namespace vorlin
