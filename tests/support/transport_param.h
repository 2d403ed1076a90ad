// Readable names for tests run over both simulated-keyboard transports: the test name ends in
// /InProcess or /Socketpair, and gtest prints the parameter by that name too.
#pragma once

#include <ostream>
#include <string>

#include "sim/sim_backend.h"

namespace vorlin {

inline const char* TransportName(SimBackend::Transport t) {
    return t == SimBackend::Transport::InProcess ? "InProcess" : "Socketpair";
}

// Found by gtest through argument-dependent lookup.
inline void PrintTo(SimBackend::Transport t, std::ostream* os) {
    *os << TransportName(t);
}

namespace test {

struct TransportParamName {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& info) const {
        return TransportName(info.param);
    }
};

}  // namespace test
}  // namespace vorlin
