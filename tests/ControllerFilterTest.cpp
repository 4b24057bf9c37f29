#include "app/ControllerFilter.h"

#include <gtest/gtest.h>

#include <random>

#ifndef _WIN32
#include <arpa/inet.h>
#endif

#ifndef _WIN32
// The C library's strict dotted-decimal reader refuses the same leading zeros and short forms,
// so random texts near the address syntax must get the same verdict and value from both.
TEST(ControllerFilter, ReadsAddressesAsTheSocketLibraryDoes) {
    std::mt19937 random(12001);
    const std::string alphabet = "0123456789..........";
    int accepted = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string text;
        const int length = std::uniform_int_distribution(0, 17)(random);
        for (int i = 0; i < length; ++i)
            text += alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() -
                                                                               1)(random)];
        in_addr reference{};
        const bool want = inet_pton(AF_INET, text.c_str(), &reference) == 1;
        std::uint32_t address = 0;
        ASSERT_EQ(ParseIPv4Address(text, address), want) << text;
        if (want) {
            ++accepted;
            ASSERT_EQ(address, ntohl(reference.s_addr)) << text;
            ASSERT_EQ(FormatIPv4Address(address), text);
        }
    }
    EXPECT_GT(accepted, 100);
}
#endif

TEST(ControllerFilter, NamesSeveralSendersAndTellsWhatItCannotUse) {
    TControllerFilter filter;
    EXPECT_TRUE(filter.Set(" ,\t, ").empty());
    EXPECT_FALSE(filter.Active());
    EXPECT_TRUE(filter.Allows(0x0A000001));

    EXPECT_EQ(filter.Set("10.0.0.1, 192.168.1.20\t10.0.0.1,,arena-pc 1.2.3.256"),
              (std::vector<std::string>{"arena-pc", "1.2.3.256"}));
    EXPECT_TRUE(filter.Active());
    EXPECT_TRUE(filter.Allows(0x0A000001));
    EXPECT_TRUE(filter.Allows(0xC0A80114));
    EXPECT_FALSE(filter.Allows(0x0A000002));

    // Nothing usable named: nobody is believed, rather than everybody.
    EXPECT_EQ(filter.Set("controller").size(), 1u);
    EXPECT_TRUE(filter.Active());
    EXPECT_FALSE(filter.Allows(0x0A000001));
}
