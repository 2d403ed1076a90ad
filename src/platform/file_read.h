// Reading small files whose size nobody vouches for (sysfs attributes, descriptors, rule files).
#pragma once

#include <cstddef>
#include <string>

namespace vorlin {

// The whole file into out; false when it cannot be read or is longer than limit bytes.
bool ReadFileLimited(const std::string& file, std::string& out, size_t limit);

}  // namespace vorlin
