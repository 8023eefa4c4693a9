// What a JACK output sends again after a cycle that may have been lost.
#include "midi/ports/sent_endings.h"

#include <gtest/gtest.h>

#include <vector>

namespace tonvel {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<Bytes> repeated(SentEndings& endings, uint64_t now) {
    std::vector<Bytes> out;
    endings.repeat(
        now, [&](const uint8_t* bytes, size_t size) { out.emplace_back(bytes, bytes + size); });
    return out;
}

TEST(SentEndings, EachCaseRepeatsWhatEndedASoundAndNothingElse) {
    const struct {
        std::vector<Bytes> sent;  // one a millisecond from 1 s on
        std::vector<Bytes> again;
    } cases[] = {
        {{{0x90, 60, 100}, {0x80, 60, 64}}, {{0x80, 60, 0}}},
        {{{0x93, 61, 100}, {0x93, 61, 0}}, {{0x83, 61, 0}}},  // a note-on at velocity 0 ends too
        {{{0x80, 60, 0}, {0x90, 60, 100}}, {}},               // started again since: left alone
        {{{0x90, 60, 100}}, {}},
        {{{0xB1, 64, 127}, {0xB1, 64, 0}}, {{0xB1, 64, 0}}},
        {{{0xB1, 66, 0}, {0xB1, 66, 100}}, {}},
        {{{0xB0, 69, 10}}, {{0xB0, 69, 0}}},
        {{{0xB0, 7, 0}, {0xC0, 5}, {0xE0, 0, 64}}, {}},
    };
    for (const auto& c : cases) {
        SentEndings endings;
        uint64_t now = 1'000'000;
        for (const Bytes& bytes : c.sent) endings.sent(bytes.data(), bytes.size(), now += 1000);
        EXPECT_EQ(repeated(endings, now + 1000), c.again) << c.sent.size() << " sent";
    }
}

TEST(SentEndings, AnEndingIsRepeatedTwiceAtMostAndOnlyWhileRecent) {
    SentEndings endings;
    const Bytes off = {0x80, 60, 0};
    endings.sent(off.data(), off.size(), 1'000'000);
    EXPECT_EQ(repeated(endings, 1'001'000).size(), 1u);
    EXPECT_EQ(repeated(endings, 1'002'000).size(), 1u);
    EXPECT_TRUE(repeated(endings, 1'003'000).empty());
    endings.sent(off.data(), off.size(), 2'000'000);
    EXPECT_TRUE(repeated(endings, 2'000'000 + SentEndings::kWindowMicroseconds + 1).empty());
}

}  // namespace
}  // namespace tonvel
