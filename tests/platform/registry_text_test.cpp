// SPDX-License-Identifier: MIT
#include "platform/registry_text.h"
#include "support/time_limit.h"

#include <chrono>
#include <gtest/gtest.h>

namespace nirdal {
namespace {

// What the program itself leaves behind, plus what an administrator may have added.
constexpr std::string_view kCanonical =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5]\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n"
    "\"pecats\"=hex:00,00,00,00,00,00,08,40\n"
    "\"zadan\"=dword:fffffffe\n"
    "\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Другое \"имя\"]\n"
    "@=\"C:\\\\Program Files\\\\\\\"x\\\"\"\n"
    "\"empty\"=hex:\n"
    "\"multi\"=hex(7):61,00,00,00\n"
    "\"long\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\n"
    "  16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,2b,2c,2d,2e,\\\n"
    "  2f,30,31,32\n"
    "\n";

TEST(RegistryText, ReadsTypesAndSizesExactly)
{
    const auto content = ParseRegistryText(kCanonical);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->size(), 4u);
    EXPECT_EQ((*content)[2].Path, "SOFTWARE\\tarn5\\INF");
    const auto& values = (*content)[2].Values;
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0], (RegistryEntry{"pecats", {kRegBinary, {0, 0, 0, 0, 0, 0, 0x08, 0x40}}}));
    EXPECT_EQ(values[1], (RegistryEntry{"zadan", {kRegDword, {0xfe, 0xff, 0xff, 0xff}}}));

    const auto& other = (*content)[3];
    EXPECT_EQ(other.Path, "SOFTWARE\\Другое \"имя\"");
    ASSERT_EQ(other.Values.size(), 4u);
    const std::string text = "C:\\Program Files\\\"x\"";
    EXPECT_EQ(other.Values[0], (RegistryEntry{"", {kRegSz, {text.begin(), text.end()}}}));
    EXPECT_EQ(other.Values[1].Value, (RegistryValue{kRegBinary, {}}));
    EXPECT_EQ(other.Values[2].Value.Type, 7u);
    ASSERT_EQ(other.Values[3].Value.Data.size(), 51u);
    EXPECT_EQ(other.Values[3].Value.Data[50], 0x32);
}

TEST(RegistryText, WritesBackBitForBit)
{
    const auto content = ParseRegistryText(kCanonical);
    ASSERT_TRUE(content);
    EXPECT_EQ(FormatRegistryText(*content), kCanonical);
    EXPECT_EQ(FormatRegistryText({}), "Windows Registry Editor Version 5.00\n\n");
}

TEST(RegistryText, AcceptsWhatEditorsAndWindowsProduce)
{
    const auto content =
        ParseRegistryText("\xEF\xBB\xBF"
                          "REGEDIT4\r\n\r\n"
                          "; set by the lab administrator\r\n"
                          "[hkey_local_machine\\SOFTWARE\\tarn5\\INF]\r\n"
                          "\"pecats\" = hex:00,00,00,00,\\\r\n"
                          "    00,00,F0,3F\r\n"
                          "\"zadan\"=dword:2\r\n"
                          "\"ZADAN\"=dword:00000001\r\n" // a name given twice: the last one counts
                          "[HKEY_LOCAL_MACHINE\\software\\tarn5\\inf]\r\n"
                          "\"x\"=hex:01\r\n");
    ASSERT_TRUE(content);
    ASSERT_EQ(content->size(), 1u);
    const auto& values = content->front().Values;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[0].Value.Data, (std::vector<std::uint8_t>{0, 0, 0, 0, 0, 0, 0xf0, 0x3f}));
    EXPECT_EQ(values[1].Value.Data, (std::vector<std::uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(values[2].Name, "x");
    EXPECT_TRUE(ParseRegistryText(""));
}

TEST(RegistryText, RejectsAnythingOutsideTheFormat)
{
    const std::string header = "Windows Registry Editor Version 5.00\n";
    const std::string key = header + "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n";
    const std::string cases[] = {
        "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n",           // no header
        header + "\"a\"=dword:1\n",                   // value outside a key
        header + "[HKEY_CURRENT_USER\\SOFTWARE]\n",   // another root
        header + "[HKEY_LOCAL_MACHINE]\n",            // the root itself
        header + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n",    // empty key name
        header + "[-HKEY_LOCAL_MACHINE\\SOFTWARE]\n", // deletion
        key + "\"a\"=-\n",                            // deletion
        key + "\"a\"=dword:123456789\n",              // nine digits
        key + "\"a\"=dword:12g4\n",
        key + "\"a\"=hex:00,\n", // dangling comma
        key + "\"a\"=hex:100\n",
        key + "\"a\"=hex(x):00\n",
        key + "\"a\"=\"open\n",
        key + "\"a\"\n",
        key + "a=dword:1\n",
        "garbage\x01\x02",
        std::string("\xFF\xFEW\0i\0n\0", 8), // a UTF-16 export
    };
    for (const std::string& text : cases)
        EXPECT_FALSE(ParseRegistryText(text)) << text;
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

// Parsing time grows with the text, not with its square: 40,000 keys, 40,000 values in one
// key, and both listed twice, each well inside a limit a sanitizer build still meets.
TEST(RegistryText, ManyKeysAndValuesParseInLinearTime)
{
    constexpr int kCount = 40000;
    std::string keys = "REGEDIT4\n";
    std::string values = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n";
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < kCount; ++i) {
            const std::string n = std::to_string(i);
            // The second round spells every name in capitals: the same keys and values again.
            const std::string key = round == 0 ? "k" : "K";
            const std::string value = round == 0 ? "v" : "V";
            keys += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\" + key + n + "]\n\"" + value +
                    "\"=dword:" + (round == 0 ? "1" : "2") + "\n";
            values += "\"" + value + n + "\"=dword:" + (round == 0 ? "1" : "2") + "\n";
        }
    }
    const RegistryValue two{kRegDword, {2, 0, 0, 0}};

    auto start = std::chrono::steady_clock::now();
    const auto manyKeys = ParseRegistryText(keys);
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              test_support::TimeLimit(std::chrono::seconds(2)));
    ASSERT_TRUE(manyKeys);
    ASSERT_EQ(manyKeys->size(), std::size_t{kCount});
    for (int i : {0, 1, 12345, kCount - 1}) {
        const RegistrySection& section = (*manyKeys)[static_cast<std::size_t>(i)];
        EXPECT_EQ(section.Path, "SOFTWARE\\k" + std::to_string(i)); // first spelling kept
        EXPECT_EQ(section.Values, (std::vector<RegistryEntry>{{"v", two}})) << i;
    }

    start = std::chrono::steady_clock::now();
    const auto manyValues = ParseRegistryText(values);
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              test_support::TimeLimit(std::chrono::seconds(2)));
    ASSERT_TRUE(manyValues);
    ASSERT_EQ(manyValues->size(), 1u);
    const auto& entries = manyValues->front().Values;
    ASSERT_EQ(entries.size(), std::size_t{kCount});
    for (int i : {0, 1, 12345, kCount - 1})
        EXPECT_EQ(entries[static_cast<std::size_t>(i)],
                  (RegistryEntry{"v" + std::to_string(i), two}));
}

} // namespace
} // namespace nirdal
