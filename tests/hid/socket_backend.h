// A backend for tests: each registered path opens as a SOCK_SEQPACKET socketpair whose far end
// the test drives, so transfers run through the real fd transport.
#pragma once

#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "device/hid/fd_io.h"
#include "device/hid/hid_backend.h"
#include "device/hid/report_descriptor.h"

namespace vorlin::test {

class SocketBackend : public HidBackend {
  public:
    struct Entry {
        std::vector<uint8_t> descriptor;
        int collectionIndex = 1;
        HidAttributes attributes;
    };

    ~SocketBackend() override {
        for (int fd : peers_) ::close(fd);
    }

    void Add(const std::string& path, Entry e) {
        std::lock_guard<std::mutex> lock(lock_);
        entries_[path] = std::move(e);
        order_.push_back(path);
    }
    void Add(const std::string& path, std::span<const uint8_t> descriptor, int collection = 1) {
        Add(path,
            Entry{{descriptor.begin(), descriptor.end()}, collection, {0x320F, 0x5000, 0x0107}});
    }

    bool failEnumerate = false;

    bool Enumerate(std::vector<std::string>& paths) override {
        std::lock_guard<std::mutex> lock(lock_);
        paths = order_;
        return !failEnumerate;
    }

    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode&,
                                       HidInterfaceInfo& info) override {
        std::lock_guard<std::mutex> lock(lock_);
        auto it = entries_.find(path);
        if (it == entries_.end()) return nullptr;
        HidDescriptorInfo parsed;
        if (!ParseReportDescriptor(it->second.descriptor.data(), it->second.descriptor.size(),
                                   parsed) ||
            it->second.collectionIndex > static_cast<int>(parsed.collections.size()))
            return nullptr;
        int sv[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, sv) != 0)
            return nullptr;
        peers_.push_back(sv[1]);
        lastPeer = sv[1];
        info.attributes = it->second.attributes;
        info.reportDescriptor = it->second.descriptor;
        info.collectionIndex = it->second.collectionIndex;
        const auto& pd = *parsed.collections[it->second.collectionIndex - 1];
        return MakeFdTransport(sv[0], pd.numbered, InputReportIds(pd));
    }

    bool Exists(const std::string& path) override {
        std::lock_guard<std::mutex> lock(lock_);
        return entries_.count(path) != 0;
    }

    // The far end of the most recent Open.
    int lastPeer = -1;

    void Send(const std::vector<uint8_t>& packet) const {
        ASSERT_EQ(::send(lastPeer, packet.data(), packet.size(), 0),
                  static_cast<ssize_t>(packet.size()));
    }
    std::vector<uint8_t> Receive() const {
        std::vector<uint8_t> buf(kMaxFdReportBytes);
        ssize_t n = ::recv(lastPeer, buf.data(), buf.size(), MSG_DONTWAIT);
        buf.resize(n > 0 ? n : 0);
        return buf;
    }
    void HangUp() {
        ::close(lastPeer);
        std::erase(peers_, lastPeer);
        lastPeer = -1;
    }

  private:
    std::mutex lock_;
    std::map<std::string, Entry> entries_;
    std::vector<std::string> order_;
    std::vector<int> peers_;
};

}  // namespace vorlin::test
