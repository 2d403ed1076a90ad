// A machine in a folder for the diagnostics: sysfs hidraw entries, /dev nodes, a process list,
// udev rule folders and the user's base folders, plus a way to run code as an unprivileged
// user (the suite may run as root, for whom every permission check passes).
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "sim/keyboard_descriptors.h"
#include "support/temp_folder.h"

namespace vorlin::testing {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// A node mode that keeps the user of RunUnprivileged out: root's tests run as nobody, whom
// 0600 shuts out; anyone else owns the file and needs 0000.
inline mode_t NoAccessMode() {
    return ::geteuid() == 0 ? 0600 : 0000;
}
// Likewise, a mode that lets that user read but not write.
inline mode_t ReadOnlyMode() {
    return ::geteuid() == 0 ? 0644 : 0444;
}

// Bytes of a descriptor written as commented hex ('#' to the end of a line).
inline std::vector<uint8_t> LoadHexFixture(const std::string& name) {
    std::ifstream in(fs::path(VORLIN_SOURCE_DIR) / "tests/fixtures/descriptors" / name);
    EXPECT_TRUE(in) << name;
    std::vector<uint8_t> bytes;
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line.substr(0, line.find('#')));
        for (std::string w; words >> w;)
            bytes.push_back(static_cast<uint8_t>(std::stoul(w, nullptr, 16)));
    }
    return bytes;
}

inline std::vector<uint8_t> KeyboardInterfaceDescriptor(uint16_t vid, uint16_t pid, int index) {
    return KeyboardModelInterfaces(vid, pid).at(static_cast<size_t>(index)).reportDescriptor;
}

class MachineTree {
  public:
    MachineTree() {
        // Others (the unprivileged user of some tests) must reach everything inside.
        fs::permissions(root_, fs::perms::all & ~fs::perms::others_write & ~fs::perms::group_write);
        for (fs::path p : {sys(), dev(), proc(), udev(), home()}) fs::create_directories(p);
        fs::permissions(home(), fs::perms::all);
    }
    MachineTree(const MachineTree&) = delete;
    MachineTree& operator=(const MachineTree&) = delete;

    fs::path sys() const { return root_ / "sys/class/hidraw"; }
    fs::path dev() const { return root_ / "dev"; }
    fs::path proc() const { return root_ / "proc"; }
    fs::path udev() const { return root_ / "udev/rules.d"; }
    fs::path home() const { return root_ / "home"; }
    std::string Node(int n) const { return (dev() / ("hidraw" + std::to_string(n))).string(); }

    // hidrawN with its uevent, report descriptor and a node file of the given mode.
    void AddNode(int n, const std::string& hidId, const std::string& phys,
                 const std::vector<uint8_t>& descriptor, mode_t mode = 0666,
                 const std::string& name = "Device") {
        const fs::path device = sys() / ("hidraw" + std::to_string(n)) / "device";
        fs::create_directories(device);
        std::ofstream(device / "uevent") << "DRIVER=hid-generic\nHID_ID=" << hidId
                                         << "\nHID_NAME=" << name << "\nHID_PHYS=" << phys << "\n";
        std::ofstream(device / "report_descriptor", std::ios::binary)
            .write(reinterpret_cast<const char*>(descriptor.data()),
                   static_cast<std::streamsize>(descriptor.size()));
        std::ofstream(Node(n)) << "";
        ::chmod(Node(n).c_str(), mode);
    }

    void AddKeyboard320f(int n, mode_t mode = 0666) {
        AddNode(n, "0003:0000320F:00005000", "usb-0000:00:14.0-3/input1",
                KeyboardInterfaceDescriptor(0x320F, 0x5000, 0), mode, "Vorlin Keyboard");
    }

    // A process with the given files open.
    void AddProcess(int pid, const std::string& comm, const std::vector<std::string>& open) {
        const fs::path p = proc() / std::to_string(pid);
        fs::create_directories(p / "fd");
        std::ofstream(p / "comm") << comm << "\n";
        int fd = 3;
        for (const std::string& target : open)
            fs::create_symlink(target, p / "fd" / std::to_string(fd++));
    }

    void Write(const fs::path& file, const std::string& text) const {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }

    const fs::path& root() const { return root_; }

  private:
    test::TempFolder folder_{"vorlin-diag"};
    const fs::path& root_ = folder_.path();
};

// Runs fn as the unprivileged user when this process is root (in a child), otherwise here;
// returns what fn returned. The child's failures show as an empty result with a message.
inline std::string RunUnprivileged(const std::function<std::string()>& fn) {
    if (::geteuid() != 0) return fn();
    int pipefd[2];
    if (::pipe(pipefd) != 0) return "pipe failed";
    pid_t child = ::fork();
    if (child == 0) {
        ::close(pipefd[0]);
        std::string result;
        if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            result = "could not become an unprivileged user";
        else
            result = fn();
        size_t done = 0;
        while (done < result.size()) {
            ssize_t n = ::write(pipefd[1], result.data() + done, result.size() - done);
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        ::close(pipefd[1]);
        ::_exit(0);
    }
    ::close(pipefd[1]);
    std::string result;
    char buf[4096];
    for (ssize_t n; (n = ::read(pipefd[0], buf, sizeof buf)) > 0;)
        result.append(buf, static_cast<size_t>(n));
    ::close(pipefd[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

}  // namespace vorlin::testing
