// The one way the program reads a whole file: opened without blocking (a FIFO or a device never
// stalls it), refused unless it is a regular file, refused from its size when it is larger than
// the caller's bound, and read with that bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vorlin {

enum class FileReadStatus {
    Ok,
    Missing,     // nothing at that path (or a link to nothing)
    NotRegular,  // a folder, FIFO, socket or device
    TooLarge,    // larger than the bound
    Unreadable,  // open or read failed; error says why
    NoMemory,
};

struct FileReadResult {
    FileReadStatus status = FileReadStatus::Ok;
    int error = 0;      // errno of a failed open or read
    uint32_t kind = 0;  // st_mode & S_IFMT of what was found, for NotRegular
    uint64_t size = 0;  // the size the file claims (for TooLarge)
    size_t limit = 0;   // the bound it was read with

    bool ok() const { return status == FileReadStatus::Ok; }
};

// The whole file into out (replaced), at most limit bytes.
FileReadResult ReadFileBounded(const std::filesystem::path& file, size_t limit,
                               std::vector<uint8_t>& out);
FileReadResult ReadFileBounded(const std::filesystem::path& file, size_t limit, std::string& out);

// Why a file was refused, as the end of a sentence that starts with its name: "is a folder, not
// a file", "is larger than 65536 bytes", ... Empty for Ok.
std::string DescribeFileRead(const FileReadResult& result);

// The whole file into out; false when it cannot be read, is not a regular file or is longer
// than limit bytes.
bool ReadFileLimited(const std::string& file, std::string& out, size_t limit);

}  // namespace vorlin
