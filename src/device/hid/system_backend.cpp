// Routes HID paths to the backend that owns them.
#include "device/hid/system_backend.h"

#include <algorithm>

#include "device/hid/hidraw_backend.h"

namespace vorlin {

SystemHidBackend::SystemHidBackend(std::shared_ptr<HidBackend> primary)
    : primary_(std::move(primary)) {}

void SystemHidBackend::Register(const std::string& prefix, std::shared_ptr<HidBackend> backend) {
    std::lock_guard<std::mutex> lock(extrasLock_);
    auto it = std::find_if(extras_.begin(), extras_.end(),
                           [&](const auto& e) { return e.first == prefix; });
    if (it != extras_.end())
        it->second = std::move(backend);
    else
        extras_.emplace_back(prefix, std::move(backend));
}

void SystemHidBackend::Unregister(const std::string& prefix) {
    std::lock_guard<std::mutex> lock(extrasLock_);
    std::erase_if(extras_, [&](const auto& e) { return e.first == prefix; });
}

std::shared_ptr<HidBackend> SystemHidBackend::Route(const std::string& path) {
    std::lock_guard<std::mutex> lock(extrasLock_);
    const std::pair<std::string, std::shared_ptr<HidBackend>>* best = nullptr;
    for (const auto& e : extras_) {
        if (!e.second || path.compare(0, e.first.size(), e.first) != 0) continue;
        if (!best || e.first.size() > best->first.size()) best = &e;
    }
    return best ? best->second : primary_;
}

bool SystemHidBackend::Enumerate(std::vector<std::string>& paths) {
    paths.clear();
    std::vector<std::pair<std::string, std::shared_ptr<HidBackend>>> extras;
    {
        std::lock_guard<std::mutex> lock(extrasLock_);
        extras = extras_;
    }
    bool any = false;
    std::vector<std::string> part;
    auto collect = [&](HidBackend& b, const std::string* prefix) {
        part.clear();
        if (!b.Enumerate(part)) return;
        any = true;
        for (auto& p : part) {
            bool claimed = false;
            for (const auto& e : extras) {
                if (p.compare(0, e.first.size(), e.first) == 0) claimed = true;
            }
            // A backend's path counts only where Open would route it back to that backend.
            if (prefix ? p.compare(0, prefix->size(), *prefix) == 0 : !claimed)
                paths.push_back(std::move(p));
        }
    };
    if (primary_) collect(*primary_, nullptr);
    for (const auto& e : extras) {
        if (e.second) collect(*e.second, &e.first);
    }
    return any || (!primary_ && extras.empty());
}

std::unique_ptr<HidTransport> SystemHidBackend::Open(const std::string& path,
                                                     const HidOpenMode& mode,
                                                     HidInterfaceInfo& info) {
    std::shared_ptr<HidBackend> b = Route(path);
    return b ? b->Open(path, mode, info) : nullptr;
}

bool SystemHidBackend::Exists(const std::string& path) {
    std::shared_ptr<HidBackend> b = Route(path);
    return b && b->Exists(path);
}

std::unique_ptr<SystemHidBackend> MakeSystemHidBackend() {
    return std::make_unique<SystemHidBackend>(std::make_shared<HidrawBackend>());
}

}  // namespace vorlin
