// The model table: the two keyboards, the udev rule that grants access to them, and the
// simulated keyboard's interfaces, all from the one table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "device/keyboard_models.h"
#include "sim/keyboard_descriptors.h"
#include "sim/sim_memory.h"

namespace vorlin {
namespace {

using Ids = std::pair<uint16_t, uint16_t>;

std::set<Ids> TableIds() {
    std::set<Ids> ids;
    for (const KeyboardModel& m : KeyboardModels()) ids.insert({m.vendorId, m.productId});
    return ids;
}

TEST(KeyboardModels, AreTheTwoKeyboardsWithTheirSizes) {
    struct Want {
        uint16_t vendorId, productId;
        unsigned keyMapSize, keyCount;
    };
    const Want want[] = {{0x0C45, 0x5004, 378, 126}, {0x320F, 0x5000, 512, 128}};
    ASSERT_EQ(KeyboardModels().size(), std::size(want));
    for (const Want& w : want) {
        const KeyboardModel* m = FindKeyboardModel(w.vendorId, w.productId);
        ASSERT_NE(m, nullptr) << std::hex << w.vendorId << ":" << w.productId;
        EXPECT_EQ(m->keyMapSize, w.keyMapSize);
        EXPECT_EQ(m->keyCount, w.keyCount);
    }
    EXPECT_EQ(FindKeyboardModel(0x0C45, 0x5000), nullptr);  // crossed pairs are no model
    EXPECT_EQ(FindKeyboardModel(0x320F, 0x5004), nullptr);
}

// The packaged rule must grant access to exactly the keyboards the program accepts: a model
// added to the table without a rule would be found by nobody but root.
TEST(KeyboardModels, PackagedUdevRuleNamesExactlyTheTablesIds) {
    std::ifstream in(std::filesystem::path(VORLIN_SOURCE_DIR) / "packaging" / "60-vorlin.rules");
    ASSERT_TRUE(in);
    const std::regex vendor(R"re(ATTRS\{idVendor\}=="([0-9a-fA-F]{4})")re");
    const std::regex product(R"re(ATTRS\{idProduct\}=="([0-9a-fA-F]{4})")re");
    std::set<Ids> named;
    int ruleLines = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        ++ruleLines;
        std::smatch v, p;
        ASSERT_TRUE(std::regex_search(line, v, vendor)) << line;
        ASSERT_TRUE(std::regex_search(line, p, product)) << line;
        // sysfs spells ids in lower case and udev compares exactly.
        for (const std::string& id : {v[1].str(), p[1].str()})
            EXPECT_EQ(id.find_first_of("ABCDEF"), std::string::npos) << line;
        named.insert({static_cast<uint16_t>(std::stoul(v[1].str(), nullptr, 16)),
                      static_cast<uint16_t>(std::stoul(p[1].str(), nullptr, 16))});
    }
    EXPECT_EQ(ruleLines, static_cast<int>(named.size())) << "a model is named twice";
    EXPECT_EQ(named, TableIds());
}

// Software centres offer the package for the devices its metainfo names; they must be the
// models the program accepts, spelled as the kernel's modalias spells them (upper-case hex).
TEST(KeyboardModels, MetainfoModaliasesNameExactlyTheTablesIds) {
    std::ifstream in(std::filesystem::path(VORLIN_SOURCE_DIR) / "packaging" /
                     "io.github.morvane_tesslar.vorlin.metainfo.xml");
    ASSERT_TRUE(in);
    const std::regex alias(R"re(<modalias>usb:v([0-9A-F]{4})p([0-9A-F]{4})d\*</modalias>)re");
    std::set<Ids> named;
    int aliases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find("<modalias>") == std::string::npos) continue;
        ++aliases;
        std::smatch m;
        ASSERT_TRUE(std::regex_search(line, m, alias)) << line;
        named.insert({static_cast<uint16_t>(std::stoul(m[1].str(), nullptr, 16)),
                      static_cast<uint16_t>(std::stoul(m[2].str(), nullptr, 16))});
    }
    EXPECT_EQ(aliases, static_cast<int>(named.size())) << "a model is named twice";
    EXPECT_EQ(named, TableIds());
}

TEST(KeyboardModels, SimulatedKeyboardsFollowTheTable) {
    for (SimModel sim : {SimModel::k0C45_5004, SimModel::k320F_5000}) {
        const KeyboardModel& m = ModelInfo(sim);
        EXPECT_EQ(ModelByIds(m.vendorId, m.productId), sim);
        std::set<int> interfaces;
        for (const KeyboardInterface& i : KeyboardModelInterfaces(m.vendorId, m.productId))
            interfaces.insert(i.interfaceNumber);
        EXPECT_EQ(interfaces, (std::set<int>{m.consumerInterface, m.vendorInterface}));
    }
    EXPECT_EQ(ParseModelName("0C45:5004"), SimModel::k0C45_5004);
    EXPECT_EQ(ParseModelName("5000"), SimModel::k320F_5000);
    EXPECT_EQ(ParseModelName("320f:5004"), std::nullopt);
    EXPECT_TRUE(KeyboardModelInterfaces(0x1234, 0x5678).empty());
}

}  // namespace
}  // namespace vorlin
