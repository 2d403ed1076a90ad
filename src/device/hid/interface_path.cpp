// Spelling and reading interface paths.
#include "device/hid/interface_path.h"

#include <cstdio>

namespace vorlin {
namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithNoCase(std::string_view s, std::string_view lowerPrefix) {
    if (s.size() < lowerPrefix.size()) return false;
    for (size_t i = 0; i < lowerPrefix.size(); ++i)
        if (Lower(s[i]) != lowerPrefix[i]) return false;
    return true;
}

// A whole field value: 1..4 significant digits' worth, nothing else.
bool ParseField(std::string_view digits, int& out) {
    if (digits.empty() || digits.size() > 16) return false;
    uint64_t v = 0;
    for (char c : digits) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        v = v * 16 + static_cast<unsigned>(d);
    }
    if (v > 0xFFFF) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

std::string InterfacePath::Format() const {
    char buf[64];
    std::string p = device;
    std::snprintf(buf, sizeof buf, "&vid_%04x&pid_%04x", vendorId, productId);
    p += buf;
    if (interfaceNumber >= 0) {
        std::snprintf(buf, sizeof buf, "&mi_%02x", interfaceNumber);
        p += buf;
    }
    if (collection > 0) {
        std::snprintf(buf, sizeof buf, "&col%02x", collection);
        p += buf;
    }
    return p;
}

std::optional<InterfacePath> InterfacePath::Parse(std::string_view path) {
    InterfacePath parsed;
    size_t amp = path.find('&');
    parsed.device = std::string(path.substr(0, amp));
    int vendor = -1, product = -1;
    while (amp != std::string_view::npos) {
        const size_t next = path.find('&', amp + 1);
        const std::string_view part =
            path.substr(amp + 1, next == std::string_view::npos ? next : next - amp - 1);
        auto field = [&](std::string_view key, int& dst) {
            return StartsWithNoCase(part, key) && ParseField(part.substr(key.size()), dst);
        };
        if (!field("vid_", vendor) && !field("pid_", product) &&
            !field("mi_", parsed.interfaceNumber) && !field("col", parsed.collection))
            return std::nullopt;
        amp = next;
    }
    if (vendor < 0 || product < 0) return std::nullopt;
    parsed.vendorId = static_cast<uint16_t>(vendor);
    parsed.productId = static_cast<uint16_t>(product);
    return parsed;
}

uint32_t HexFieldAfter(std::string_view path, std::string_view key, size_t maxDigits) {
    if (key.empty() || path.size() < key.size()) return 0;
    for (size_t at = 0; at + key.size() <= path.size(); ++at) {
        bool match = true;
        for (size_t k = 0; k < key.size() && match; ++k)
            match = Lower(path[at + k]) == Lower(key[k]);
        if (!match) continue;
        uint32_t value = 0;
        size_t digits = 0;
        for (size_t i = at + key.size(); i < path.size() && digits < maxDigits; ++i, ++digits) {
            const int d = HexDigit(path[i]);
            if (d < 0) break;
            value = value * 16 + static_cast<unsigned>(d);
        }
        return value;
    }
    return 0;
}

}  // namespace vorlin
