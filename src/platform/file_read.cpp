// Bounded whole-file reads.
#include "platform/file_read.h"

#include <fstream>

namespace vorlin {

bool ReadFileLimited(const std::string& file, std::string& out, size_t limit) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    out.clear();
    char buf[4096];
    while (in && out.size() <= limit) {
        in.read(buf, sizeof buf);
        out.append(buf, static_cast<size_t>(in.gcount()));
    }
    return out.size() <= limit;
}

}  // namespace vorlin
