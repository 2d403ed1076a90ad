// vorlinctl's macro commands against the simulated keyboard: what lands in its macro area and key
// maps and in the backing file, the delete question, the capacity refusal, the macro file.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

#include "cli/cli_fixture.h"
#include "cli/macro_words.h"
#include "keys/key_table.h"
#include "platform/utf.h"
#include "store/macro_area.h"

namespace vorlin::test {
namespace {

namespace fs = std::filesystem;

class CliMacro : public CliFixture {
  protected:
    // The macros of the keyboard's macro area, in area order.
    static std::vector<MacroRecord> AreaMacros(const SimMemory& m) {
        std::vector<MacroRecord> records;
        if ((m.macros[0] | m.macros[1] << 8) != kMacroAreaMagic) return records;
        const size_t size = m.macros[2] | m.macros[3] << 8;
        DecodeMacroArea(std::span(m.macros.data(), std::min(size, m.macros.size())), records,
                        u"Macro ");
        return records;
    }
    static std::vector<std::string> Names(const std::vector<MacroRecord>& records) {
        std::vector<std::string> names;
        for (const MacroRecord& r : records) names.push_back(Utf16ToUtf8(r.Name()));
        return names;
    }
    // Each action as {delay, key, release}.
    using Steps = std::vector<std::array<int, 3>>;
    static Steps Actions(const MacroRecord& r) {
        Steps steps;
        for (int i = 0; i < r.actionCount; ++i)
            steps.push_back({r.actions[i].delayMs, r.actions[i].keyCode, r.actions[i].release});
        return steps;
    }
    // The macros of profile 0's backing file.
    std::vector<MacroRecord> FileMacros() {
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(ReadImageFile(UserFolder() / "$Profile0", bytes).ok());
        ConfigStore store;
        std::lock_guard<std::recursive_mutex> guard(store.lock);
        EXPECT_EQ(LoadImageBytes(store, bytes), 1);
        return store.macros;
    }
    void Must(const std::vector<std::string>& args) {
        CliRun r = Run(args);
        ASSERT_EQ(r.code, kExitOk) << args[1] << ": " << r.err;
    }
    static std::string Slurp(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
};

TEST_F(CliMacro, AddedMacroReachesTheAreaAndTheFileAndPlaysFromG1) {
    CliRun add = Run({"macro", "add", "Fire", "--repeat", "3", "A:down@125", "a:UP",
                      "mouse:left:down@40000", "Left Button:up"});
    ASSERT_EQ(add.code, kExitOk) << add.err;
    EXPECT_EQ(add.out, "Macro \"Fire\" (id 1): 4 actions, repeat 3.\n");
    const Steps want = {{120, 0x1E, 0}, {0, 0x1E, 1}, {40000, 0x171, 0}, {0, 0x171, 1}};
    for (const auto& list : {AreaMacros(Keyboard()), FileMacros()}) {
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(Utf16ToUtf8(list[0].Name()), "Fire");
        EXPECT_EQ(list[0].repeatCount, 3);
        EXPECT_EQ(Actions(list[0]), want);
    }

    Must({"assign", "G1", "macro:Fire"});
    Must({"macro", "add", "Blast", "Space:down"});
    SimMemory m = Keyboard();
    EXPECT_EQ(RecordAt(m, 0, PositionOf(m, 0x200)), (DeviceKeyRecord{5, 1, 0}));
    EXPECT_EQ(Names(AreaMacros(m)), (std::vector<std::string>{"Fire", "Blast"}));

    CliRun list = Run({"macro", "list", "--json"});
    ASSERT_EQ(list.code, kExitOk) << list.err;
    nlohmann::json j = nlohmann::json::parse(list.out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["keys"], nlohmann::json::parse(R"([{"profile":0,"key":"G1"}])"));
    EXPECT_EQ(j[1]["actions"], 1);
}

TEST_F(CliMacro, ExportThenImportGivesTheSameMacro) {
    Must({"macro", "add", "Combo", "--repeat", "7", "Left Ctrl:down@30", "Num 1:down@2000",
          "Num 1:up", "F12:down@10", "F12:up@40000", "Left Ctrl:up", "mouse:wheel-down:down"});
    const fs::path one = dir / "combo.txt", two = dir / "copy.txt";
    ASSERT_EQ(Run({"macro", "export", "Combo", one.string()}).code, kExitOk);
    CliRun import = Run({"macro", "import", "Copy", one.string()});
    ASSERT_EQ(import.code, kExitOk) << import.err;
    ASSERT_EQ(Run({"macro", "export", "Copy", two.string()}).code, kExitOk);

    const std::vector<MacroRecord> area = AreaMacros(Keyboard());
    ASSERT_EQ(area.size(), 2u);
    EXPECT_EQ(Actions(area[1]), Actions(area[0]));
    EXPECT_EQ(area[1].repeatCount, 7);
    // Only the comment naming the macro differs.
    std::string a = Slurp(one), b = Slurp(two);
    EXPECT_EQ(a.substr(a.find('\n')), b.substr(b.find('\n')));

    // A file written by hand: comments, blank lines, CRLF, spaces around the repeat count.
    std::ofstream(dir / "hand.txt") << "# mine\r\n\r\nrepeat = 4\r\n  B:down@15 \r\nB:up\r\n";
    ASSERT_EQ(Run({"macro", "import", "Hand", (dir / "hand.txt").string()}).code, kExitOk);
    const MacroRecord hand = AreaMacros(Keyboard())[2];
    EXPECT_EQ(hand.repeatCount, 4);
    EXPECT_EQ(Actions(hand), (Steps{{10, 0x30, 0}, {0, 0x30, 1}}));

    // Export asks before it replaces a file.
    CliRun again = Run({"macro", "export", "Combo", one.string()});
    EXPECT_EQ(again.code, kExitFailed);
    EXPECT_NE(again.err.find("exists. Replace it?"), std::string::npos) << again.err;
}

TEST_F(CliMacro, BadInputIsOneSentenceAndChangesNothing) {
    Must({"macro", "add", "Fire", "A:down"});
    Must({"macro", "add", "Blast", "B:down"});
    std::ofstream(dir / "bad.txt") << "repeat=2\nA:down\nbogus key:down\n";
    std::ofstream(dir / "twice.txt") << "repeat=2\nrepeat=3\n";
    WriteSampleProfile(dir / "binary.fwc");
    const SimMemory before = Keyboard();
    const std::string name250(250, 'n');
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    };
    const Case cases[] = {
        {{"macro", "add", "X", "Escc:down"},
         kExitUsage,
         "unknown key \"Escc\"; the nearest name is Esc."},
        {{"assign", "Capslok", "A"}, kExitUsage, "the nearest name is Caps Lock"},
        {{"macro", "add", "X", "A:down@40010"}, kExitUsage, "longer than 40000 ms"},
        {{"macro", "add", "X", "A:sideways"}, kExitUsage, "is not KEY:down or KEY:up"},
        {{"macro", "add", "X", "A:down@soon"}, kExitUsage, "bad delay \"soon\""},
        {{"macro", "add", "X", "G2:down"}, kExitUsage, "cannot press the macro key"},
        {{"macro", "add", "FIRE", "A:down"}, kExitUsage, "a macro named \"Fire\" exists already"},
        {{"macro", "rename", "Blast", "fire"}, kExitUsage, "\"Fire\" exists already"},
        {{"macro", "add", name250}, kExitUsage, "at most 249 characters, not 250"},
        {{"macro", "add", " lead"}, kExitUsage, "cannot begin with a space"},
        {{"macro", "add", "X", "--repeat", "0"}, kExitUsage, "--repeat"},
        {{"macro", "show", "Nope"},
         kExitUsage,
         "no macro named \"Nope\"; the macros are: Fire, Blast"},
        {{"macro", "delete", "Nope"}, kExitUsage, "no macro named \"Nope\""},
        {{"macro", "import", "X", (dir / "bad.txt").string()},
         kExitBadFile,
         "is not a macro file (line 3: unknown key \"bogus key\")"},
        {{"macro", "import", "X", (dir / "twice.txt").string()},
         kExitBadFile,
         "line 2: the repeat count is given twice"},
        {{"macro", "import", "X", (dir / "binary.fwc").string()},
         kExitBadFile,
         "(line 1: this is not text)"},
        {{"macro", "import", "X", dir.path().string()}, kExitBadFile, "is a folder"},
        {{"colours", "Fx=#000000"}, kExitUsage, "unknown key \"Fx\"; the nearest names are"},
        {{"colours", "Esc=red"}, kExitUsage, "bad colour \"red\" for Esc"},
        {{"colours", "Esc"}, kExitUsage, "is not KEY=#RRGGBB or KEY=base"},
        {{"colours", "--base", "#12"}, kExitUsage, "bad base colour"},
        {{"colours", "show", "--all", "#123456"}, kExitUsage, "takes no keys, --base or --all"},
        {{"user-mode", "select", "10"}, kExitUsage, "not in range"},
    };
    for (const Case& c : cases) {
        CliRun r = Run(c.args);
        EXPECT_EQ(r.code, c.code) << c.message << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        // Our own refusals are one sentence; the argument parser's add a pointer to --help.
        if (r.err.rfind("vorlinctl: ", 0) == 0) {
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
        EXPECT_TRUE(Keyboard() == before) << c.message;
    }
}

TEST_F(CliMacro, TheHundredAndFirstMacroIsRefused) {
    ConfigStore store;
    for (int i = 0; i < kMaxMacros; ++i) {
        MacroRecord& r = store.macros.emplace_back();
        r.SetName(Utf8ToUtf16("M" + std::to_string(i + 1)));
        r.macroId = static_cast<uint16_t>(i + 1);
        r.repeatCount = 1;
    }
    const uint32_t size = MacroAreaSize(store).full;
    EditKeyboard([&](SimMemory& m) { EncodeMacroArea(store, {m.macros.data(), size}, true); });
    const SimMemory before = Keyboard();
    ASSERT_EQ(AreaMacros(before).size(), 100u);
    CliRun r = Run({"macro", "add", "One more", "A:down"});
    EXPECT_EQ(r.code, kExitUsage);
    EXPECT_NE(r.err.find("No more macros can be added: the limit is 100."), std::string::npos)
        << r.err;
    EXPECT_TRUE(Keyboard() == before);
}

TEST_F(CliMacro, AMacroAreaTooBigForTheKeyboardIsRefusedBeforeAnythingIsWritten) {
    EditKeyboard([](SimMemory& m) { m.state[kStateMacroUnits] = 1; });  // 128 bytes
    const SimMemory before = Keyboard();
    std::vector<std::string> args = {"macro", "add", "Long"};
    for (int i = 0; i < 40; ++i) args.push_back(i % 2 ? "A:up" : "A:down");  // 182 bytes
    CliRun r = Run(args);
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("would take 182 bytes of the keyboard's memory, which holds 128"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(Keyboard() == before);
    EXPECT_TRUE(FileMacros().empty()) << "the backing file keeps what the keyboard holds";
}

TEST_F(CliMacro, DeletingAMacroThatKeysPlayAsksAndRewritesEveryProfile) {
    Must({"macro", "add", "Fire", "A:down"});
    Must({"macro", "add", "Blast", "B:down"});
    Must({"assign", "--profile", "1", "A", "macro:Blast"});
    SimMemory m = Keyboard();
    const int a = PositionOf(m, 0x1E);
    ASSERT_EQ(RecordAt(m, 1, a), (DeviceKeyRecord{5, 1, 1}));

    CliRun no = Run({"macro", "delete", "Blast"});
    EXPECT_EQ(no.code, kExitFailed);
    EXPECT_NE(no.err.find("Keys are assigned to this macro. Delete it anyway?"), std::string::npos)
        << no.err;
    EXPECT_NE(no.err.find("\"Blast\" was kept"), std::string::npos);
    EXPECT_TRUE(Keyboard() == m);

    CliRun yes = Run({"--yes", "macro", "delete", "Blast"});
    ASSERT_EQ(yes.code, kExitOk) << yes.err;
    m = Keyboard();
    EXPECT_EQ(Names(AreaMacros(m)), std::vector<std::string>{"Fire"});
    // Profile 0 is active; profile 1's key map was written too, its key back to factory.
    EXPECT_EQ(RecordAt(m, 1, a), (DeviceKeyRecord{m.factoryMap[3 * a], m.factoryMap[3 * a + 1],
                                                  m.factoryMap[3 * a + 2]}));
}

TEST_F(CliMacro, KeysOfOtherProfilesFollowAMacroThatMovesUp) {
    Must({"macro", "add", "Fire", "A:down"});
    Must({"macro", "add", "Blast", "B:down"});
    Must({"assign", "--profile", "2", "B", "macro:Blast"});
    const int b = PositionOf(Keyboard(), 0x30);
    ASSERT_EQ(RecordAt(Keyboard(), 2, b), (DeviceKeyRecord{5, 1, 1}));
    // No key plays Fire, so nothing is asked; Blast moves to the first place of the area.
    CliRun r = Run({"macro", "delete", "Fire"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.err, "");
    SimMemory m = Keyboard();
    EXPECT_EQ(Names(AreaMacros(m)), std::vector<std::string>{"Blast"});
    EXPECT_EQ(RecordAt(m, 2, b), (DeviceKeyRecord{5, 1, 0}));
}

TEST_F(CliMacro, RenameKeepsTheActionsAndTheKeys) {
    Must({"macro", "add", "Fire", "A:down@50", "A:up"});
    Must({"assign", "Esc", "macro:Fire"});
    CliRun r = Run({"macro", "rename", "fire", "Inferno"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(r.out, "Macro \"Fire\" is now \"Inferno\".\n");
    SimMemory m = Keyboard();
    const auto area = AreaMacros(m);
    ASSERT_EQ(Names(area), std::vector<std::string>{"Inferno"});
    EXPECT_EQ(Actions(area[0]), (Steps{{50, 0x1E, 0}, {0, 0x1E, 1}}));
    EXPECT_EQ(RecordAt(m, 0, PositionOf(m, 0x01)), (DeviceKeyRecord{5, 1, 0}));
    CliRun show = Run({"macro", "show", "Inferno"});
    EXPECT_EQ(show.out,
              "Macro \"Inferno\" (id 1, repeat 1, 2 actions)\n  press   A, 50 ms\n"
              "  release A, 0 ms\n");
}

TEST(MacroWords, EveryKeyAMacroCanPlayIsWrittenSoThatItReadsBackInBothLanguages) {
    const AppPaths paths = MakeAppPaths(VORLIN_ASSETS_DIR);
    const LanguageCache texts(paths);
    int keys = 0;
    for (int language = 0; language < 2; ++language) {
        for (int index = 1; index < kKeyTableRows; ++index) {
            const KeyCode code = KeyCodeOf(static_cast<KeyIndex>(index));
            if (code == 0 || MacroKeyRecord(code) == DeviceKeyRecord{}) continue;
            ++keys;
            for (uint16_t release : {0, 1}) {
                const MacroAction a{1230, code, release};
                const std::string word = MacroActionWord(texts, language, a);
                const ParsedMacroAction back = ParseMacroAction(texts, language, word);
                EXPECT_EQ(back.error, "") << word;
                EXPECT_EQ(back.action.keyCode, code) << word << " in language " << language;
                EXPECT_EQ(back.action.release, release) << word;
                EXPECT_EQ(back.action.delayMs, 1230) << word;
            }
        }
    }
    EXPECT_GT(keys, 200);
}

}  // namespace
}  // namespace vorlin::test
