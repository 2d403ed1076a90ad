// Report descriptor bytes of the keyboard models.
#include "sim/keyboard_descriptors.h"

#include <algorithm>
#include <iterator>

#include "device/keyboard_models.h"

namespace vorlin {
namespace {

constexpr uint8_t kVendor[] = {
    0x06, 0x1C, 0xFF,  // Usage Page (0xFF1C)
    0x09, 0x92,        // Usage (0x92)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x04,        //   Report ID (4)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x01,        //   Usage (1)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x95, 0x3F,        //   Report Count (63)
    0x09, 0x02,        //   Usage (2)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

constexpr uint8_t kConsumer[] = {
    0x05, 0x0C,        // Usage Page (Consumer)
    0x09, 0x01,        // Usage (Consumer Control)
    0xA1, 0x01,        // Collection (Application)
    0x85, 0x03,        //   Report ID (3)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x1F,  //   Logical Maximum (0x1FFF)
    0x19, 0x00,        //   Usage Minimum (0)
    0x2A, 0xFF, 0x1F,  //   Usage Maximum (0x1FFF)
    0x75, 0x10,        //   Report Size (16)
    0x95, 0x01,        //   Report Count (1)
    0x81, 0x00,        //   Input (Data, Array, Absolute)
    0xC0,              // End Collection
};

std::vector<uint8_t> Join(std::span<const uint8_t> a, std::span<const uint8_t> b) {
    std::vector<uint8_t> v(a.size() + b.size());
    std::copy(a.begin(), a.end(), v.begin());
    std::copy(b.begin(), b.end(), v.begin() + static_cast<std::ptrdiff_t>(a.size()));
    return v;
}

}  // namespace

std::span<const uint8_t> VendorCollectionDescriptor() {
    return kVendor;
}
std::span<const uint8_t> ConsumerCollectionDescriptor() {
    return kConsumer;
}

std::vector<KeyboardInterface> KeyboardModelInterfaces(uint16_t vendorId, uint16_t productId) {
    const KeyboardModel* model = FindKeyboardModel(vendorId, productId);
    if (!model) return {};
    if (model->consumerInterface == model->vendorInterface)
        return {{model->consumerInterface, Join(kConsumer, kVendor)}};
    KeyboardInterface consumer{model->consumerInterface,
                               {std::begin(kConsumer), std::end(kConsumer)}};
    KeyboardInterface vendor{model->vendorInterface, {std::begin(kVendor), std::end(kVendor)}};
    if (vendor.interfaceNumber < consumer.interfaceNumber) return {vendor, consumer};
    return {consumer, vendor};
}

}  // namespace vorlin
