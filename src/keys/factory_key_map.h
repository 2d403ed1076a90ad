// The factory key map the application assumes until the keyboard tells its own.
#pragma once

#include <array>
#include <cstdint>

namespace vorlin {

constexpr int kBuiltInFactoryKeys = 126;

// 126 three-byte records, bytes 378..511 zero.
const std::array<uint8_t, 512>& BuiltInFactoryKeyMap();

}  // namespace vorlin
