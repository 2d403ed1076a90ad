// A keyboard for the device-link fuzz targets whose replies come from the fuzzer's input. Each
// request written takes one control byte from the input (once the input is used up, the
// simulated keyboard answers):
//   bits 0..1: 0 the simulated keyboard's own reply, 1 a 64-byte reply from the input,
//              2 no reply (the read times out at once), 3 the write fails;
//   bit 2:     a reply from the input repeats the request's bytes 3..6;
//   bit 3:     a reply from the input comes first, as a late reply to an earlier request;
//   bit 4:     the reply is cut to a length taken from the input.
// Reads never wait: an empty queue is a time-out at once, so retries cost nothing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "device/connect_once.h"
#include "device/connection_monitor.h"
#include "device/connection_state.h"
#include "device/device_link.h"
#include "device/hid/hid_backend.h"
#include "device/hid/interface_path.h"
#include "sim/keyboard_descriptors.h"
#include "sim/sim_firmware.h"
#include "sim/sim_memory.h"
#include "support/recording_sink.h"
#include "support/scripted_prompter.h"
#include "support/temp_folder.h"

namespace vorlin::fuzz {

class Script {
  public:
    Script(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Empty() const { return pos_ >= size_; }
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    void Bytes(uint8_t* out, size_t n) {
        for (size_t i = 0; i < n; ++i) out[i] = Byte();
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class ScriptedTransport final : public HidTransport {
  public:
    ScriptedTransport(Script& script, SimMemory& memory) : script_(script), memory_(memory) {}

    bool Read(uint8_t* buf, size_t len, size_t* transferred, int, int) override {
        *transferred = 0;
        if (queue_.empty()) return false;
        std::vector<uint8_t> r = std::move(queue_.front());
        queue_.pop_front();
        if (r.size() > len) return false;
        std::memcpy(buf, r.data(), r.size());
        *transferred = r.size();
        return true;
    }

    bool Write(const uint8_t* buf, size_t len, size_t* transferred, int, int) override {
        *transferred = 0;
        if (!buf || len == 0) return false;
        const uint8_t c = script_.Empty() ? 0 : script_.Byte();
        if ((c & 3) == 3) return false;
        *transferred = len;
        if (c & 8) queue_.push_back(FromInput(buf, len, c));
        if ((c & 3) == 0) {
            uint8_t reply[kSimReportSize];
            if (HandleSimFrame(memory_, buf, len, reply).replied)
                queue_.push_back(Cut({reply, reply + sizeof reply}, c));
        } else if ((c & 3) == 1) {
            queue_.push_back(FromInput(buf, len, c));
        }
        return true;
    }

  private:
    std::vector<uint8_t> FromInput(const uint8_t* request, size_t len, uint8_t c) {
        std::vector<uint8_t> r(kSimReportSize);
        script_.Bytes(r.data(), r.size());
        r[0] = kVendorReportId;
        if ((c & 4) && len >= 7) std::memcpy(r.data() + 3, request + 3, 4);
        return Cut(std::move(r), c);
    }
    std::vector<uint8_t> Cut(std::vector<uint8_t> r, uint8_t c) {
        if (c & 16) r.resize(script_.Byte() % (r.size() + 1));
        return r;
    }

    Script& script_;
    SimMemory& memory_;
    std::deque<std::vector<uint8_t>> queue_;
};

// One vendor collection of the model the first input byte chooses.
class ScriptedBackend final : public HidBackend {
  public:
    ScriptedBackend(Script& script)
        : script_(script),
          memory_(FactoryMemory(script.Byte() & 1 ? SimModel::k320F_5000 : SimModel::k0C45_5004)) {
        const SimModelInfo& info = memory_.info();
        path_ = InterfacePath{"fuzz:0", info.vendorId, info.productId, 2, 0}.Format();
    }
    bool Enumerate(std::vector<std::string>& paths) override {
        paths = {path_};
        return true;
    }
    std::unique_ptr<HidTransport> Open(const std::string& path, const HidOpenMode&,
                                       HidInterfaceInfo& info) override {
        if (path != path_) return nullptr;
        auto d = VendorCollectionDescriptor();
        info.attributes = {memory_.info().vendorId, memory_.info().productId, 0x0100};
        info.reportDescriptor.assign(d.begin(), d.end());
        info.collectionIndex = 1;
        return std::make_unique<ScriptedTransport>(script_, memory_);
    }
    bool Exists(const std::string& path) override { return path == path_; }
    const SimMemory& memory() const { return memory_; }

  private:
    Script& script_;
    SimMemory memory_;
    std::string path_;
};

// A private folder for the files a target writes, made once per process and removed at exit.
inline const std::filesystem::path& ScratchFolder() {
    static const test::TempFolder folder("vorlin-fuzz");
    return folder.path();
}

// Everything one input runs against: the scripted keyboard, the link and what a connection
// leaves in the connection state.
struct Session {
    Session(const uint8_t* data, size_t size) : script(data, size), backend(script), link(backend) {
        state.macroCapacity = kSentinelCapacity;
    }
    // The connection as the front ends make it; false when the keyboard was not found.
    bool Connect() {
        MonitorContext ctx(link, state, sink, prompter);
        return ConnectOnce(ctx).found;
    }

    static constexpr unsigned kSentinelCapacity = 7 * 128;
    Script script;
    ScriptedBackend backend;
    DeviceLink link;
    ConnectionState state;
    test::RecordingSink sink;
    test::ScriptedPrompter prompter;
};

inline bool IsResultCode(int r) {
    return r == 1 || r == 0 || r == -1 || r == -102 || r == -103;
}

}  // namespace vorlin::fuzz
