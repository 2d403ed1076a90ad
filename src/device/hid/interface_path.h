// The path of one HID interface as the backends spell it: the device ("/dev/hidraw3", "sim:0"),
// then "&vid_320f&pid_5000", "&mi_01" for a USB interface, and "&col02" when the node has several
// top-level collections (numbered from 1).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vorlin {

struct InterfacePath {
    std::string device;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    int interfaceNumber = -1;  // -1: not a USB interface (no &mi_ part)
    int collection = 0;        // 0: the node's only collection (no &col part)

    std::string Format() const;
    // The device part runs to the first '&'; after it only the four fields may follow (keys in
    // any case, hexadecimal values up to 0xFFFF), and vendor and product must be there.
    static std::optional<InterfacePath> Parse(std::string_view path);
    bool operator==(const InterfacePath&) const = default;
};

// The hexadecimal number after the first occurrence of key, found without regard to case, read
// from at most maxDigits digits (wrapping beyond 32 bits); 0 when the key is absent or no digit
// follows. Paths of other systems carry the same fields in other places
// ("\\?\hid#VID_0C45&PID_5004&MI_01#..."), so the path filter and an open device's numbers look
// for the field alone instead of parsing the whole path.
uint32_t HexFieldAfter(std::string_view path, std::string_view key, size_t maxDigits = SIZE_MAX);

}  // namespace vorlin
