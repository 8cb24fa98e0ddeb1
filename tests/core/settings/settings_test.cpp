// SPDX-License-Identifier: MIT
#include "core/settings/print_settings.h"
#include "core/settings/reestr.h"
#include "support/fifo.h"
#include "support/temporary_root.h"
#include "support/time_limit.h"

#include <chrono>
#include <gtest/gtest.h>

namespace nirdal {
namespace {

using test_support::ReadFile;
using test_support::WriteFile;

constexpr const char* kKey = "\\SOFTWARE\\tarn5\\INF";

RegistryValue Double(double x)
{
    RegistryValue value{kRegBinary, {}};
    const auto bits = std::bit_cast<std::uint64_t>(x);
    for (int i = 0; i < 8; ++i)
        value.Data.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
    return value;
}

RegistryValue Dword(std::uint32_t x)
{
    return {kRegDword,
            {static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(x >> 8),
             static_cast<std::uint8_t>(x >> 16), static_cast<std::uint8_t>(x >> 24)}};
}

class SettingsTest : public ::testing::Test
{
protected:
    // What another program would find in the settings key now.
    std::optional<RegistryValue> Stored(const char* name) const
    {
        const auto connection = registry->Connect();
        if (!connection->OpenKey(kKey, false))
            return std::nullopt;
        return connection->ReadValue(name);
    }

    void Store(const char* name, const RegistryValue& value) const
    {
        const auto connection = registry->Connect();
        ASSERT_TRUE(connection->OpenKey(kKey, true));
        ASSERT_TRUE(connection->WriteValue(name, value));
    }

    test_support::TemporaryRoot root;
    std::shared_ptr<FileRegistry> registry = std::make_shared<FileRegistry>(root.Path());
    PrintChoice choice;
};

TEST_F(SettingsTest, EmptyRegistryGetsTheDefaults)
{
    EXPECT_EQ(GetPrintGain(choice), 0);
    EXPECT_EQ(GetPrintMethod(choice), 0);
    InitialiseSettings(choice, registry);
    EXPECT_EQ(GetPrintGain(choice), 1.0L);
    EXPECT_EQ(GetPrintMethod(choice), 2);
    EXPECT_EQ(Stored("pecats"), Double(1.0));
    EXPECT_EQ(Stored("zadan"), Dword(2));
    EXPECT_NE(ReadFile(registry->FilePath())
                  .find("[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n"
                        "\"pecats\"=hex:00,00,00,00,00,00,f0,3f\n"
                        "\"zadan\"=dword:00000002\n"),
              std::string::npos);
}

TEST_F(SettingsTest, StoredValuesAreNeverReplacedByDefaults)
{
    Store("pecats", Double(3.0));
    InitialiseSettings(choice, registry);
    EXPECT_EQ(GetPrintGain(choice), 3.0L);
    EXPECT_EQ(GetPrintMethod(choice), 2);
    EXPECT_EQ(Stored("pecats"), Double(3.0));
    EXPECT_EQ(Stored("zadan"), Dword(2));
}

TEST_F(SettingsTest, ValueOfAnotherTypeOrSizeLeavesTheSettingAtZero)
{
    Store("pecats", RegistryValue{kRegBinary, {0, 0, 0x80, 0x3f}}); // a 4-byte float
    Store("zadan", RegistryValue{kRegBinary, {1, 0, 0, 0}});
    InitialiseSettings(choice, registry);
    EXPECT_EQ(GetPrintGain(choice), 0);
    EXPECT_EQ(GetPrintMethod(choice), 0);
    EXPECT_EQ(Stored("zadan"), (RegistryValue{kRegBinary, {1, 0, 0, 0}}));
}

TEST_F(SettingsTest, NoAccessLeavesBothAtZeroAndWritesNothing)
{
    WriteFile(root.Path() / "registry", "locked");
    InitialiseSettings(choice, registry);
    EXPECT_EQ(GetPrintGain(choice), 0);
    EXPECT_EQ(GetPrintMethod(choice), 0);
    SetPrintMethod(choice, 1);
    FinaliseSettings(choice);
    EXPECT_EQ(ReadFile(root.Path() / "registry"), "locked");
    EXPECT_EQ(
        std::vector<std::filesystem::path>(std::filesystem::directory_iterator(root.Path()), {}),
        std::vector<std::filesystem::path>{root.Path() / "registry"});
}

TEST_F(SettingsTest, ChangesAreStoredAtOnceAndAgainAtTermination)
{
    InitialiseSettings(choice, registry);
    SetPrintMethod(choice, 1);
    EXPECT_EQ(Stored("zadan"), Dword(1));
    SetPrintGain(choice, 3.0L);
    EXPECT_EQ(Stored("pecats"), Double(3.0));

    // Another program changes both; termination writes the program's values over them.
    Store("zadan", Dword(7));
    Store("pecats", Double(5.0));
    FinaliseSettings(choice);
    EXPECT_EQ(Stored("zadan"), Dword(1));
    EXPECT_EQ(Stored("pecats"), Double(3.0));
}

TEST_F(SettingsTest, GainGoesThroughADouble)
{
    for (const Extended gain : {1.0L, 3.0L, 0.1L, -2.5L}) {
        choice = {};
        InitialiseSettings(choice, registry);
        SetPrintGain(choice, gain);
        choice = {};
        InitialiseSettings(choice, registry);
        EXPECT_EQ(GetPrintGain(choice), static_cast<Extended>(static_cast<double>(gain))) << gain;
    }
}

TEST_F(SettingsTest, MethodIsHandedOutAsSixteenBits)
{
    Store("zadan", Dword(0x00010003));
    InitialiseSettings(choice, registry);
    EXPECT_EQ(choice.Method, 0x00010003);
    EXPECT_EQ(GetPrintMethod(choice), 3);
    SetPrintMethod(choice, 0xFFFF);
    EXPECT_EQ(Stored("zadan"), Dword(0xFFFF));
}

TEST_F(SettingsTest, NothingIsTouchedBeforeStartUp)
{
    SetPrintGain(choice, 2.0L);
    SetPrintMethod(choice, 1);
    FinaliseSettings(choice);
    EXPECT_EQ(GetPrintGain(choice), 2.0L);
    EXPECT_FALSE(std::filesystem::exists(root.Path() / "registry"));
}

TEST(Treestr, KeyPathIsRootPathThenSubKey)
{
    test_support::TemporaryRoot root;
    const Treestr_integer value("\\SOFTWARE\\tarn5\\", "INF", "zadan",
                                std::make_shared<FileRegistry>(root.Path()));
    EXPECT_EQ(value.KeyPath, "\\SOFTWARE\\tarn5\\INF");
    std::int32_t method = 42;
    value.Read(method); // nothing stored: unchanged
    EXPECT_EQ(method, 42);
    value.WriteDefault(5);
    value.WriteDefault(6);
    value.Read(method);
    EXPECT_EQ(method, 5);
    value.Write(-1);
    value.Read(method);
    EXPECT_EQ(method, -1);
}

} // namespace
} // namespace nirdal

namespace nirdal {
namespace {

using namespace std::chrono_literals;

// What stands at the settings path, or how much of it, must neither stop nor slow start-up.
class SettingsInputTest : public SettingsTest
{
protected:
    SettingsInputTest()
    {
        registry->SetReport([this](const std::string& message) { reported.push_back(message); });
    }

    std::vector<std::string> reported;
};

TEST_F(SettingsInputTest, AFifoAtTheSettingsPathIsASettingsStoreThatCannotBeOpened)
{
    test_support::MakeFifo(registry->FilePath());
    EXPECT_TRUE(test_support::EndsWithin(3s, {registry->FilePath()}, [&] {
        InitialiseSettings(choice, registry);
        FinaliseSettings(choice);
    }));
    EXPECT_EQ(GetPrintGain(choice), 0);
    EXPECT_EQ(GetPrintMethod(choice), 0);
    EXPECT_TRUE(std::filesystem::is_fifo(registry->FilePath()));
    EXPECT_EQ(reported, std::vector<std::string>{});
}

TEST_F(SettingsInputTest, ASettingsFileOfFortyThousandValuesLoadsQuickly)
{
    // 40,000 values of another program in the settings key, ours after them: about 720 KB.
    std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\"
                       "tarn5\\INF]\n";
    for (int i = 0; i < 40000; ++i)
        text += "\"v" + std::to_string(i) + "\"=dword:1\n";
    text += "\"pecats\"=hex:00,00,00,00,00,00,08,40\n\"ZADAN\"=dword:00000001\n";
    ASSERT_LT(text.size(), FileRegistry::kMaxFileBytes);
    WriteFile(registry->FilePath(), text);

    const auto start = std::chrono::steady_clock::now();
    InitialiseSettings(choice, registry);
    EXPECT_LT(std::chrono::steady_clock::now() - start, test_support::TimeLimit(2s));
    EXPECT_EQ(GetPrintGain(choice), 3.0L);
    EXPECT_EQ(GetPrintMethod(choice), 1);
    EXPECT_EQ(ReadFile(registry->FilePath()), text); // both were stored: nothing written
}

TEST_F(SettingsInputTest, ASettingsFileOverOneMegabyteIsRefusedWithAMessage)
{
    std::string text = "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\tarn5\\INF]\n\"zadan\"=dword:1\n";
    text += ";" + std::string(1 << 20, '-') + "\n";
    WriteFile(registry->FilePath(), text);
    InitialiseSettings(choice, registry);
    SetPrintMethod(choice, 2);
    FinaliseSettings(choice);
    EXPECT_EQ(GetPrintGain(choice), 0);
    EXPECT_EQ(GetPrintMethod(choice), 2);
    EXPECT_EQ(ReadFile(registry->FilePath()), text);
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_NE(reported[0].find(registry->FilePath().string() + ": larger than 1048576 bytes"),
              std::string::npos)
        << reported[0];
}

} // namespace
} // namespace nirdal
