// Connection state starts with the built-in factory key map.
#include "device/connection_state.h"

#include "keys/factory_key_map.h"

namespace vorlin {

ConnectionState::ConnectionState() : defaultKeyMap(BuiltInFactoryKeyMap()) {}

}  // namespace vorlin
