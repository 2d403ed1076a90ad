// The simulated keyboard's state file: a round trip, and files that must be refused whole.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <vector>

#include "sim/sim_memory.h"
#include "sim/sim_state_file.h"
#include "support/temp_folder.h"

namespace vorlin {
namespace {

namespace fs = std::filesystem;

class SimStateFile : public ::testing::Test {
  protected:
    std::vector<uint8_t> Bytes(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void Put(const fs::path& p, const std::vector<uint8_t>& bytes) {
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }
    test::TempFolder folder{"vorlin-sim-state"};
    const fs::path& dir = folder.path();
};

TEST_F(SimStateFile, RoundTripsEveryBlock) {
    SimMemory m = FactoryMemory(SimModel::k0C45_5004);
    m.state[10] = 2;
    m.lighting[100] = 9;
    m.keyColours[1535] = 1;
    m.keyMaps[3 * 378 - 1] = 0x42;
    m.factoryMap[7] = 3;
    m.macros[0] = 0xAA;
    m.macros[4095] = 0x55;
    const fs::path file = dir / "kb.vsim";
    std::string error;
    ASSERT_TRUE(SaveSimMemory(m, file.string(), &error)) << error;
    EXPECT_LT(fs::file_size(file), 10000u);  // trailing zeros of the macro memory left out

    SimMemory back = FactoryMemory(SimModel::k320F_5000);
    ASSERT_TRUE(LoadSimMemory(file.string(), back, &error)) << error;
    EXPECT_TRUE(back == m);
}

TEST_F(SimStateFile, RefusesDamagedFilesAndKeepsTheMemory) {
    const fs::path good = dir / "good.vsim";
    ASSERT_TRUE(SaveSimMemory(FactoryMemory(SimModel::k320F_5000), good.string(), nullptr));
    const std::vector<uint8_t> bytes = Bytes(good);
    ASSERT_GT(bytes.size(), 100u);

    auto with = [&](size_t at, uint8_t value) {
        std::vector<uint8_t> b = bytes;
        b[at] = value;
        return b;
    };
    auto cut = [&](size_t length) {
        return std::vector<uint8_t>(bytes.begin(), bytes.begin() + length);
    };
    std::vector<uint8_t> longer = bytes;
    longer.push_back(0);
    // No macros: the file ends with the macro block's length, 0. Claim more than there is room.
    std::vector<uint8_t> hugeMacroBlock = with(bytes.size() - 3, 0xFF);
    const size_t stateProfile = 12 + 4 + 10;

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"wrong magic", with(0, 'X')},
        {"newer version", with(4, 2)},
        {"unknown model", with(6, 0x34)},
        {"state block length", with(12, 43)},
        {"cut in a block", cut(100)},
        {"cut in a header", cut(13)},
        {"trailing byte", longer},
        {"macro block too long", hugeMacroBlock},
        {"active profile 3", with(stateProfile, 3)},
    };
    for (const Case& c : cases) {
        const fs::path file = dir / "bad.vsim";
        Put(file, c.bytes);
        SimMemory m = FactoryMemory(SimModel::k0C45_5004);
        const SimMemory before = m;
        std::string error;
        EXPECT_FALSE(LoadSimMemory(file.string(), m, &error)) << c.name;
        EXPECT_FALSE(error.empty()) << c.name;
        EXPECT_TRUE(m == before) << c.name;
    }
    SimMemory m;
    std::string error;
    EXPECT_FALSE(LoadSimMemory((dir / "missing").string(), m, &error));
}

// What is no regular file is refused without reading it: a FIFO must not block, a device must
// not be read without end.
TEST_F(SimStateFile, RefusesWhatIsNoRegularFileWithoutReadingIt) {
    fs::create_directory(dir / "folder");
    const fs::path fifo = dir / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const fs::path good = dir / "good.vsim";
    ASSERT_TRUE(SaveSimMemory(FactoryMemory(SimModel::k320F_5000), good.string(), nullptr));
    std::vector<uint8_t> big = Bytes(good);
    big.resize(kSimStateFileLargest + 1);
    Put(dir / "big", big);
    struct Case {
        std::string path, why;
    };
    const Case cases[] = {
        {(dir / "folder").string(), "it is a folder"},
        {fifo.string(), "it is not a regular file"},
        {"/dev/zero", "it is not a regular file"},
        {(dir / "big").string(), "it is larger than any simulated keyboard state file"},
        {(dir / "missing").string(), "No such file or directory"},
    };
    for (const Case& c : cases) {
        auto load = std::async(std::launch::async, [&] {
            SimMemory m = FactoryMemory(SimModel::k0C45_5004);
            std::string why;
            const bool loaded = LoadSimMemory(c.path, m, &why);
            return std::make_pair(loaded && m == FactoryMemory(SimModel::k0C45_5004), why);
        });
        if (load.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << c.path << " blocked the loader";
            // Free a reader stuck on the FIFO so the test can end.
            const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) ::close(fd);
        }
        const auto [loaded, why] = load.get();
        EXPECT_FALSE(loaded) << c.path;
        EXPECT_EQ(why, c.why) << c.path;
    }
}

}  // namespace
}  // namespace vorlin
