// The command protocol against the simulated keyboard: frames, chunking, result codes,
// retries and time-outs, and replies that always belong to their request.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "device/frame_trace.h"
#include "link_fixture.h"
#include "support/transport_param.h"

namespace vorlin {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

uint16_t Offset(const Frame& f) {
    return static_cast<uint16_t>(f[5] | f[6] << 8);
}
uint16_t Checksum(const Frame& f) {
    return static_cast<uint16_t>(f[1] | f[2] << 8);
}

class Protocol : public ::testing::Test {
  protected:
    void SetUp() override { Use(SimModel::k320F_5000); }
    void Use(SimModel model) {
        sim = std::make_unique<SimLink>(model);
        ASSERT_TRUE(sim->ConnectAndLearn());
        sim->keyboard->RecordRequests(true);
    }
    std::unique_ptr<SimLink> sim;
    DeviceLink& link() { return sim->link; }
};

TEST_F(Protocol, SingleFramesCarryCommandLengthOffsetPayloadAndChecksum) {
    const uint8_t state[44] = {};
    const uint8_t colour[3] = {0x11, 0x22, 0x33};
    const uint8_t one = 0x9C;
    uint8_t buffer[56];
    uint16_t value = 0;
    struct Case {
        const char* name;
        std::function<int()> call;
        uint8_t command, length;
        uint16_t offset;
        std::vector<uint8_t> payload;
    };
    const Case cases[] = {
        {"begin", [&] { return ConfigBegin(link()); }, 1, 0, 0, {}},
        {"end", [&] { return ConfigEnd(link()); }, 2, 0, 0, {}},
        {"read state", [&] { return ReadState(link(), buffer); }, 3, 44, 0, {}},
        {"write state", [&] { return WriteState(link(), state); }, 4, 44, 0,
         std::vector<uint8_t>(44, 0)},
        {"read lighting", [&] { return ReadLighting(link(), buffer, 56, 84); }, 5, 56, 84, {}},
        {"write lighting, profile 1 first byte",
         [&] { return WriteLighting(link(), &one, 1, 42); },
         6,
         1,
         42,
         {0x9C}},
        {"command 11", [&] { return Command11(link()); }, 11, 0, 0, {}},
        {"command 12", [&] { return Command12(link()); }, 12, 0, 0, {}},
        {"test", [&] { return SendTest(link()); }, 13, 0, 0, {}},
        {"command 14", [&] { return Command14(link()); }, 14, 0, 0, {}},
        {"read key colours",
         [&] { return ReadKeyColours(link(), buffer, 54, 126, 1); },
         16,
         54,
         512 + 378,
         {}},
        {"write key colour, profile 2 position 110",
         [&] { return WriteKeyColours(link(), colour, 3, 110, 2); },
         17,
         3,
         1024 + 330,
         {0x11, 0x22, 0x33}},
        {"short read", [&] { return ReadShortValue(link(), &value); }, 5, 2, 0, {}},
        {"short write", [&] { return WriteShortValue(link(), 0x0304); }, 6, 2, 0, {0x04, 0x03}},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.call(), kDone) << c.name;
        std::vector<Frame> sent = sim->Requests();
        ASSERT_EQ(sent.size(), 1u) << c.name;
        const Frame& f = sent[0];
        EXPECT_EQ(f[0], 4) << c.name;
        EXPECT_EQ(f[3], c.command) << c.name;
        EXPECT_EQ(f[4], c.length) << c.name;
        EXPECT_EQ(Offset(f), c.offset) << c.name;
        EXPECT_EQ(f[7], 0) << c.name;
        std::vector<uint8_t> expected(56, 0);
        std::copy(c.payload.begin(), c.payload.end(), expected.begin());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), f.begin() + 8)) << c.name;
        EXPECT_EQ(Checksum(f), FrameChecksum(f.data())) << c.name;
    }

    // The worked examples, byte for byte.
    ConfigBegin(link());
    Frame begin{};
    begin[0] = 4, begin[1] = 1, begin[3] = 1;
    EXPECT_EQ(sim->Requests().at(0), begin);
    ReadState(link(), buffer);
    EXPECT_EQ(Checksum(sim->Requests().at(0)), 0x002F);
    WriteKeyColours(link(), colour, 3, 110, 2);
    EXPECT_EQ(sim->Requests().at(0)[6], 330 / 256 + 2 * 2);

    // The boot request: no checksum, 0xEE twice, no reply read.
    EXPECT_EQ(EnterBootMode(link()), kDone);
    Frame boot{};
    boot[0] = 4, boot[3] = 0xEE, boot[4] = 0xEE;
    EXPECT_EQ(sim->Requests().at(0), boot);
    EXPECT_TRUE(sim->keyboard->InBootMode());
}

TEST_F(Protocol, ChunksKeyMapsAtTheirProfileOffsets) {
    struct Case {
        SimModel model;
        int profile;
        bool write;
        std::vector<uint16_t> offsets;
        uint8_t lastLength;
    };
    const Case cases[] = {
        {SimModel::k0C45_5004, 2, false, {756, 812, 868, 924, 980, 1036, 1092}, 42},
        {SimModel::k0C45_5004, 0, true, {0, 56, 112, 168, 224, 280, 336}, 42},
        {SimModel::k320F_5000, 1, true, {512, 568, 624, 680, 736, 792, 848, 904, 960, 1016}, 8},
        {SimModel::k320F_5000,
         2,
         false,
         {1024, 1080, 1136, 1192, 1248, 1304, 1360, 1416, 1472, 1528},
         8},
    };
    for (const Case& c : cases) {
        Use(c.model);
        std::vector<uint8_t> image(512);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 13 + 5);
        int result = c.write ? WriteKeyMap(link(), image.data(), c.profile)
                             : ReadKeyMap(link(), image.data(), c.profile);
        ASSERT_EQ(result, kDone);
        std::vector<Frame> sent = sim->Requests();
        ASSERT_EQ(sent.size(), c.offsets.size());
        for (size_t i = 0; i < sent.size(); ++i) {
            EXPECT_EQ(sent[i][3], c.write ? 8 : 7);
            EXPECT_EQ(Offset(sent[i]), c.offsets[i]) << i;
            EXPECT_EQ(sent[i][4], i + 1 < sent.size() ? 56 : c.lastLength) << i;
            EXPECT_EQ(Checksum(sent[i]), FrameChecksum(sent[i].data())) << i;
        }
        if (c.write) {
            // The last frame still carries the previous chunk's bytes past its own length.
            const Frame& last = sent.back();
            const Frame& before = sent[sent.size() - 2];
            EXPECT_TRUE(std::equal(last.begin() + 8 + c.lastLength, last.end(),
                                   before.begin() + 8 + c.lastLength));
            EXPECT_NE(last[8 + c.lastLength], 0);
        }
    }
}

TEST_F(Protocol, WhatIsWrittenReadsBackForBothModels) {
    for (SimModel model : {SimModel::k0C45_5004, SimModel::k320F_5000}) {
        Use(model);
        const unsigned size = link().keyMapSize;
        std::vector<uint8_t> maps[3], back(512, 0xEE);
        for (int p = 0; p < 3; ++p) {
            maps[p].resize(512);
            for (unsigned i = 0; i < size; ++i) maps[p][i] = static_cast<uint8_t>(p * 31 + i * 7);
            ASSERT_EQ(WriteKeyMap(link(), maps[p].data(), p), kDone);
        }
        for (int p = 0; p < 3; ++p) {
            ASSERT_EQ(ReadKeyMap(link(), back.data(), p), kDone);
            EXPECT_TRUE(std::equal(back.begin(), back.begin() + size, maps[p].begin())) << p;
            if (size < 512) {
                EXPECT_EQ(back[size], 0xEE) << "read past the map";
            }
        }
        std::vector<uint8_t> macros(1000), macrosBack(1000);
        for (size_t i = 0; i < macros.size(); ++i) macros[i] = static_cast<uint8_t>(i ^ 0x5A);
        ASSERT_EQ(WriteMacroArea(link(), macros.data(), 1000), kDone);
        ASSERT_EQ(ReadMacroArea(link(), macrosBack.data(), 1000), kDone);
        EXPECT_EQ(macros, macrosBack);

        std::vector<uint8_t> factory(512, 0);
        ASSERT_EQ(ReadDefaultKeyMap(link(), factory.data()), kDone);
        EXPECT_TRUE(std::equal(factory.begin(), factory.begin() + size,
                               sim->keyboard->Memory().factoryMap.begin()));

        uint8_t block[44];
        ASSERT_EQ(ReadState(link(), block), kDone);
        block[10] = 2;
        ASSERT_EQ(WriteState(link(), block), kDone);
        EXPECT_EQ(sim->keyboard->Memory().state[10], 2);

        uint16_t value = 0;
        ASSERT_EQ(WriteShortValue(link(), 0xBEEF), kDone);
        ASSERT_EQ(ReadShortValue(link(), &value), kDone);
        EXPECT_EQ(value, 0xBEEF);
    }
}

TEST_F(Protocol, ShortCutsSendNothing) {
    uint8_t buffer[512];
    const uint8_t data[56] = {};
    EXPECT_EQ(ReadKeyMap(link(), buffer, 3), kBadProfile);
    EXPECT_EQ(WriteKeyMap(link(), buffer, 3), kBadProfile);
    EXPECT_EQ(ReadKeyMap(link(), buffer, -1), kBadProfile);
    EXPECT_EQ(ReadMacroArea(link(), buffer, 0), kDone);
    EXPECT_EQ(WriteMacroArea(link(), buffer, 0), kDone);
    // Arguments that would overrun the 56-byte payload or wrap the 16-bit offset.
    EXPECT_EQ(WriteLighting(link(), data, 57, 0), kFailed);
    EXPECT_EQ(WriteLighting(link(), data, 0, 0), kFailed);
    EXPECT_EQ(WriteLighting(link(), data, 1, 0x10000), kFailed);
    EXPECT_EQ(ReadLighting(link(), buffer, 57, 0), kFailed);
    EXPECT_EQ(WriteKeyColours(link(), data, 3, 0, 3), kBadProfile);
    EXPECT_EQ(WriteKeyColours(link(), data, 3, -1, 0), kFailed);
    EXPECT_EQ(ReadMacroArea(link(), buffer, 0x10001), kFailed);
    EXPECT_EQ(WriteKeyMap(link(), nullptr, 0), kFailed);
    EXPECT_EQ(WriteLighting(link(), nullptr, 4, 0), kFailed);
    EXPECT_EQ(ReadState(link(), nullptr), kFailed);
    EXPECT_TRUE(sim->Requests().empty());
}

TEST_F(Protocol, MapsStatusBytes) {
    uint8_t buffer[512];
    struct Case {
        uint8_t status;
        int result;
    };
    for (Case c : {Case{255, kRefused255}, Case{254, kRefused254}, Case{253, kDone}, Case{1, kDone},
                   Case{0x80, kDone}}) {
        for (uint8_t command : {CMD_CONFIG_BEGIN, CMD_READ_STATE, CMD_WRITE_KEYMAP}) {
            sim->keyboard->RefuseCommand(command, c.status);
            int result = command == CMD_CONFIG_BEGIN ? ConfigBegin(link())
                         : command == CMD_READ_STATE ? ReadState(link(), buffer)
                                                     : WriteKeyMap(link(), buffer, 0);
            EXPECT_EQ(result, c.result) << int(c.status) << " for " << int(command);
            // A refused chunk ends the transfer; an accepted status lets it run on.
            size_t frames = sim->Requests().size();
            if (command == CMD_WRITE_KEYMAP) {
                EXPECT_EQ(frames, c.result == kDone ? 10u : 1u);
            }
            sim->keyboard->ClearRefusals();
        }
    }
    // The keyboard's own refusal of a bad address comes back as -103.
    uint8_t colours[56] = {};
    EXPECT_EQ(WriteKeyColours(link(), colours, 56, 160, 0), kRefused254);
}

TEST_F(Protocol, SilentKeyboardGetsFourAttemptsThenZero) {
    sim->keyboard->DropReplies(4);
    auto start = Clock::now();
    EXPECT_EQ(ConfigBegin(link()), kFailed);
    auto elapsed = Clock::now() - start;
    std::vector<Frame> sent = sim->Requests();
    ASSERT_EQ(sent.size(), 4u);
    for (const Frame& f : sent) EXPECT_EQ(f, sent[0]);
    EXPECT_GE(elapsed, 4 * 300ms);

    sim->keyboard->DropReplies(3);  // the last attempt is answered
    uint8_t block[44];
    EXPECT_EQ(ReadState(link(), block), kDone);
    EXPECT_EQ(sim->Requests().size(), 4u);
    EXPECT_EQ(block[11], 64);
}

TEST_F(Protocol, FailedWriteEndsTheExchangeAtOnce) {
    const uint64_t before = sim->keyboard->RequestsReceived();
    sim->keyboard->Vanish();  // ready is still 1: the monitor has not noticed yet
    EXPECT_EQ(ConfigBegin(link()), kWriteFailed);
    EXPECT_EQ(sim->keyboard->RequestsReceived(), before);

    // Unplugged in the middle of a chunked write: the failing chunk ends it.
    Use(SimModel::k320F_5000);
    const uint64_t connected = sim->keyboard->RequestsReceived();
    uint8_t image[512] = {};
    sim->keyboard->VanishAtExchange(4);
    int result = WriteKeyMap(link(), image, 0);
    EXPECT_TRUE(result == kWriteFailed || result == kFailed) << result;
    EXPECT_EQ(sim->keyboard->RequestsReceived() - connected, 4u);
}

TEST_F(Protocol, NotReadyMeansZeroAndNoIo) {
    const uint64_t before = sim->keyboard->RequestsReceived();
    link().ready = 0;
    uint8_t buffer[512] = {};
    uint16_t value;
    const std::function<int()> calls[] = {
        [&] { return ConfigBegin(link()); },
        [&] { return ConfigEnd(link()); },
        [&] { return ReadState(link(), buffer); },
        [&] { return WriteLighting(link(), buffer, 1, 0); },
        [&] { return ReadKeyMap(link(), buffer, 0); },
        [&] { return WriteMacroArea(link(), buffer, 100); },
        [&] { return ReadDefaultKeyMap(link(), buffer); },
        [&] { return WriteKeyColours(link(), buffer, 3, 0, 0); },
        [&] { return ReadShortValue(link(), &value); },
        [&] { return EnterBootMode(link()); },
    };
    for (const auto& call : calls) EXPECT_EQ(call(), kFailed);
    EXPECT_EQ(sim->keyboard->RequestsReceived(), before);
}

TEST_F(Protocol, LateReplyIsNotTakenForTheNextRequest) {
    // Answered after 350 ms: the first read gives up, the retry's reply arrives late too.
    sim->keyboard->SetReplyDelay(350ms);
    uint8_t block[44];
    ASSERT_EQ(ReadState(link(), block), kDone);
    EXPECT_EQ(sim->Requests().size(), 2u);
    sim->keyboard->SetReplyDelay(0ms);
    std::this_thread::sleep_for(400ms);  // the second reply is now waiting

    uint8_t lighting[56];
    ASSERT_EQ(ReadLighting(link(), lighting, 42, 0), kDone);
    const SimMemory m = sim->keyboard->Memory();
    EXPECT_TRUE(std::equal(lighting, lighting + 42, m.lighting.begin()));
}

// Late replies, in process and over the socketpair: each command gets its own reply or none.
class LateReplies : public ::testing::TestWithParam<SimBackend::Transport> {
  protected:
    void Connect(SimModel model, bool echoes = true) {
        sim = std::make_unique<SimLink>(model, GetParam());
        sim->keyboard->SetEchoesRequests(echoes);
        // Content that tells every block and every byte apart.
        sim->keyboard->EditMemory([](SimMemory& m) {
            for (size_t i = 0; i < m.keyMaps.size(); ++i)
                m.keyMaps[i] = static_cast<uint8_t>(i * 7 + i / 256);
            for (size_t i = 0; i < m.lighting.size(); ++i)
                m.lighting[i] = static_cast<uint8_t>(0xA0 + i);
        });
        ASSERT_TRUE(sim->ConnectAndLearn());
    }
    std::unique_ptr<SimLink> sim;
};

TEST_P(LateReplies, AReplyToAnotherRequestIsPassedOver) {
    Connect(SimModel::k320F_5000);
    EXPECT_EQ(sim->link.replyEcho, kEchoCommand | kEchoPosition);
    std::vector<std::string> lines;
    FrameTrace trace(
        [&](const FrameEvent& event) { lines.push_back(FrameTrace::FormatLine(event)); });
    sim->link.trace = &trace;
    // 350 ms: past the first read's time-out, so each exchange leaves a second reply on its
    // way while the next request is already waiting for its own.
    sim->keyboard->SetReplyDelay(350ms);
    const SimMemory m = sim->keyboard->Memory();
    uint8_t block[44];
    ASSERT_EQ(ReadState(sim->link, block), kDone);
    EXPECT_TRUE(std::equal(block, block + 44, m.state.begin()));
    uint8_t lighting[56];
    ASSERT_EQ(ReadLighting(sim->link, lighting, 56, 42), kDone);
    EXPECT_TRUE(std::equal(lighting, lighting + 56, m.lighting.begin() + 42));

    std::vector<uint8_t> map(512, 0);
    ASSERT_EQ(ReadKeyMap(sim->link, map.data(), 1), kDone);
    for (size_t i = 0; i < map.size(); ++i) ASSERT_EQ(map[i], m.keyMaps[512 + i]) << "byte " << i;
    sim->link.trace = nullptr;
    // The state block's second reply came while the lighting read waited: passed over, traced.
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find(" R-STALE 04 ") != std::string::npos &&
               l.find(" 03 2C 00 00") != std::string::npos;
    }));

    // 1500 ms: no exchange is answered in time (its own replies come after its last read),
    // and none takes the reply of the one before.
    sim->keyboard->SetReplyDelay(1500ms);
    EXPECT_EQ(ReadState(sim->link, block), kFailed);
    std::fill(std::begin(lighting), std::end(lighting), 0);
    EXPECT_EQ(ReadLighting(sim->link, lighting, 56, 0), kFailed);
    EXPECT_TRUE(
        std::all_of(std::begin(lighting), std::end(lighting), [](uint8_t b) { return b == 0; }));
    std::fill(map.begin(), map.end(), 0);
    EXPECT_EQ(ReadKeyMap(sim->link, map.data(), 0), kFailed);
    EXPECT_TRUE(std::all_of(map.begin(), map.end(), [](uint8_t b) { return b == 0; }));
}

TEST_P(LateReplies, AKeyboardThatDoesNotRepeatItsRequestsIsAnsweredAsBefore) {
    Connect(SimModel::k0C45_5004, false);
    EXPECT_EQ(sim->link.replyEcho, 0);
    const SimMemory m = sim->keyboard->Memory();
    std::vector<uint8_t> map(512, 0), back(512, 0);
    for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<uint8_t>(i ^ 0x3C);
    ASSERT_EQ(WriteKeyMap(sim->link, map.data(), 2), kDone);
    ASSERT_EQ(ReadKeyMap(sim->link, back.data(), 2), kDone);
    EXPECT_TRUE(std::equal(back.begin(), back.begin() + 378, map.begin()));
    uint8_t block[44], lighting[56];
    ASSERT_EQ(ReadState(sim->link, block), kDone);
    EXPECT_TRUE(std::equal(block, block + 44, m.state.begin()));
    // Late but within the retries: the first reply to come is taken.
    sim->keyboard->SetReplyDelay(120ms);
    ASSERT_EQ(ReadLighting(sim->link, lighting, 56, 0), kDone);
    EXPECT_TRUE(std::equal(lighting, lighting + 56, m.lighting.begin()));
    sim->keyboard->RefuseCommand(CMD_CONFIG_BEGIN, 254);
    EXPECT_EQ(ConfigBegin(sim->link), kRefused254);
}

INSTANTIATE_TEST_SUITE_P(Transports, LateReplies,
                         ::testing::Values(SimBackend::Transport::InProcess,
                                           SimBackend::Transport::Socketpair),
                         test::TransportParamName());

TEST_F(Protocol, ConcurrentThreadsGetTheirOwnReplies) {
    sim->keyboard->RecordRequests(false);
    sim->keyboard->SetLinkDelay(50us);
    const SimMemory m = sim->keyboard->Memory();
    std::atomic<int> mismatches{0}, failures{0};
    auto stateReader = [&] {
        for (int i = 0; i < 200; ++i) {
            uint8_t block[44];
            if (ReadState(link(), block) != kDone)
                ++failures;
            else if (!std::equal(block, block + 44, m.state.begin()))
                ++mismatches;
        }
    };
    auto mapReader = [&] {
        for (int i = 0; i < 20; ++i) {
            uint8_t map[512];
            if (ReadDefaultKeyMap(link(), map) != kDone)
                ++failures;
            else if (!std::equal(map, map + 512, m.factoryMap.begin()))
                ++mismatches;
        }
    };
    std::thread a(stateReader), b(mapReader), c(stateReader);
    a.join(), b.join(), c.join();
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(mismatches, 0);
}

TEST_F(Protocol, KeyMapTransferStopsWhenTheModelChangesUnderIt) {
    sim->keyboard->SetReplyDelay(20ms);
    std::vector<uint8_t> buffer(512, 0);
    int result = -5;
    std::thread reader([&] { result = ReadKeyMap(link(), buffer.data(), 0); });
    std::this_thread::sleep_for(50ms);
    link().keyMapSize = 378;
    reader.join();
    EXPECT_EQ(result, kFailed);
    EXPECT_LT(sim->Requests().size(), 10u);
}

TEST_F(Protocol, TraceLogsEveryFrameInHex) {
    std::vector<std::string> lines;
    FrameTrace trace(
        [&](const FrameEvent& event) { lines.push_back(FrameTrace::FormatLine(event)); });
    ConfigBegin(link());
    EXPECT_TRUE(lines.empty());  // off until installed

    link().trace = &trace;
    ConfigBegin(link());
    sim->keyboard->DropReplies(4);
    ConfigEnd(link());
    link().trace = nullptr;

    ASSERT_EQ(lines.size(), 2u + 2 * 4);
    EXPECT_NE(lines[0].find(" W 04 01 00 01 00 00 00 00 00"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].size(), lines[0].find(" W ") + 3 + 64 * 3 - 1);
    EXPECT_NE(lines[1].find(" R 04 "), std::string::npos) << lines[1];
    EXPECT_NE(lines[3].find(" R-TIMEOUT"), std::string::npos) << lines[3];
    const uint8_t bytes[] = {0x04, 0xAB};
    EXPECT_EQ(FrameTrace::FormatLine({FrameEvent::Kind::Write, 1.5, bytes}), "  1.500000 W 04 AB");
}

TEST_F(Protocol, EachFailureIsRecordedOnTheLink) {
    using Kind = LinkFailure::Kind;
    uint8_t buffer[512] = {};
    struct Case {
        const char* name;
        std::function<void(SimKeyboard&, DeviceLink&)> fault;
        std::function<int()> call;
        int result;
        LinkFailure failure;
    };
    const Case cases[] = {
        {"not ready",
         [](SimKeyboard&, DeviceLink& l) { l.ready = 0; },
         [&] { return ReadState(link(), buffer); },
         kFailed,
         {Kind::NotReady}},
        {"not ready, send only",
         [](SimKeyboard&, DeviceLink& l) { l.ready = 0; },
         [&] { return EnterBootMode(link()); },
         kFailed,
         {Kind::NotReady}},
        {"write failed",
         [](SimKeyboard& k, DeviceLink&) { k.Vanish(); },
         [&] { return ReadState(link(), buffer); },
         kWriteFailed,
         {Kind::WriteFailed, 3}},
        {"write failed, send only",
         [](SimKeyboard& k, DeviceLink&) { k.Vanish(); },
         [&] { return EnterBootMode(link()); },
         kFailed,
         {Kind::WriteFailed, 0xEE}},
        {"no reply",
         [](SimKeyboard& k, DeviceLink&) { k.DropReplies(4); },
         [&] { return ReadLighting(link(), buffer, 56, 0); },
         kFailed,
         {Kind::NoReply, 5, 4}},
        {"no reply in a chunk",
         [](SimKeyboard& k, DeviceLink&) { k.DropReplies(100); },
         [&] { return ReadKeyMap(link(), buffer, 1); },
         kFailed,
         {Kind::NoReply, 7, 4}},
        {"refused 255",
         [](SimKeyboard& k, DeviceLink&) { k.RefuseCommand(CMD_WRITE_STATE, 255); },
         [&] { return WriteState(link(), buffer); },
         kRefused255,
         {Kind::Refused, 4, 0, 255}},
        {"refused 254 in a chunk",
         [](SimKeyboard& k, DeviceLink&) { k.RefuseCommand(CMD_WRITE_MACROS, 254); },
         [&] { return WriteMacroArea(link(), buffer, 200); },
         kRefused254,
         {Kind::Refused, 10, 0, 254}},
    };
    for (const Case& c : cases) {
        Use(SimModel::k320F_5000);
        EXPECT_EQ(link().Failure(), LinkFailure{}) << c.name << ": a connection leaves none";
        c.fault(*sim->keyboard, link());
        EXPECT_EQ(c.call(), c.result) << c.name;
        const LinkFailure f = link().TakeFailure();
        EXPECT_EQ(f.kind, c.failure.kind) << c.name;
        EXPECT_EQ(f.command, c.failure.command) << c.name;
        EXPECT_EQ(f.attempts, c.failure.attempts) << c.name;
        EXPECT_EQ(f.status, c.failure.status) << c.name;
        EXPECT_EQ(link().Failure(), LinkFailure{}) << c.name << ": taken";
    }
}

TEST_F(Protocol, TheFailureRecordKeepsTheFirstFailureUntilTaken) {
    uint8_t block[44] = {};
    ASSERT_EQ(ReadState(link(), block), kDone);
    EXPECT_EQ(link().Failure().kind, LinkFailure::Kind::None);
    // A refused write, then an end that is answered, then one that is not: the refusal is what
    // ended the operation, and what succeeds or fails after it does not replace it.
    sim->keyboard->RefuseCommand(CMD_WRITE_KEYMAP, 254);
    std::vector<uint8_t> map(512, 0);
    EXPECT_EQ(WriteKeyMap(link(), map.data(), 0), kRefused254);
    EXPECT_EQ(ConfigEnd(link()), kDone);
    sim->keyboard->DropReplies(4);
    EXPECT_EQ(ConfigEnd(link()), kFailed);
    const LinkFailure first = link().TakeFailure();
    EXPECT_EQ(first.kind, LinkFailure::Kind::Refused);
    EXPECT_EQ(first.command, CMD_WRITE_KEYMAP);
    EXPECT_EQ(first.status, 254);
    // Taken: the next failure is recorded afresh.
    sim->keyboard->DropReplies(4);
    EXPECT_EQ(ConfigBegin(link()), kFailed);
    EXPECT_EQ(link().Failure().kind, LinkFailure::Kind::NoReply);
    EXPECT_EQ(link().Failure().command, CMD_CONFIG_BEGIN);
}

TEST(LinkFailureOnConnect, AKeyboardThatNeverAnswersIsRecordedWhileLearningItsReplies) {
    SimLink sim(SimModel::k0C45_5004);
    sim.keyboard->DropReplies(4);
    ASSERT_TRUE(sim.ConnectAndLearn());
    const LinkFailure f = sim.link.Failure();
    EXPECT_EQ(f.kind, LinkFailure::Kind::NoReply);
    EXPECT_EQ(f.command, CMD_READ_LIGHTING);
    EXPECT_EQ(f.attempts, 4);
}

TEST(ProtocolOverSocket, RoundTripAndUnplugThroughTheFdTransport) {
    SimLink sim(SimModel::k320F_5000, SimBackend::Transport::Socketpair);
    ASSERT_TRUE(sim.Connect());
    std::vector<uint8_t> image(512), back(512);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 3);
    ASSERT_EQ(WriteKeyMap(sim.link, image.data(), 2), kDone);
    ASSERT_EQ(ReadKeyMap(sim.link, back.data(), 2), kDone);
    EXPECT_EQ(image, back);

    sim.keyboard->Vanish();
    int result = ConfigBegin(sim.link);
    EXPECT_TRUE(result == kWriteFailed || result == kFailed) << result;
}

}  // namespace
}  // namespace vorlin
