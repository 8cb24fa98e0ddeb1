// SPDX-License-Identifier: MIT
// The option reader and the table writer every command is built on.
#include "cli/draw_files.h"
#include "cli/option_reader.h"
#include "cli/table_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace nirdal::cli {
namespace {

using Taken = std::vector<std::pair<std::string, std::string>>;

// Reads args against --tf, --format, the switch --ops and --from (a file name); returns the
// options taken and the message, if any.
std::pair<Taken, std::string> Read(std::vector<std::string_view> args, const char* refuse = "")
{
    Taken taken;
    const auto error = ReadOptions(
        args, {{"--tf"}, {"--format"}, {"--ops", false}, {"--from", true, "a file name"}},
        [&](std::string_view name, std::string_view value) -> std::optional<std::string> {
            if (value == refuse)
                return "refused " + std::string(value);
            taken.emplace_back(name, value);
            return std::nullopt;
        });
    return {taken, error.value_or("")};
}

TEST(OptionReader, TakesEachOptionInOrderOrSaysWhatIsWrong)
{
    const struct
    {
        std::vector<std::string_view> args;
        Taken taken;
        std::string error;
    } cases[] = {
        {{}, {}, ""},
        {{"--tf", "1:1,1", "--ops", "--format", "csv"},
         {{"--tf", "1:1,1"}, {"--ops", ""}, {"--format", "csv"}},
         ""},
        // Repeated: each one is taken; the command decides what a second one means.
        {{"--tf", "a", "--tf", "b"}, {{"--tf", "a"}, {"--tf", "b"}}, ""},
        // A value is the next argument whatever it looks like.
        {{"--tf", "--ops"}, {{"--tf", "--ops"}}, ""},
        {{"--tf", "a", "--x", "b"}, {{"--tf", "a"}}, "unknown argument '--x'"},
        {{"tf"}, {}, "unknown argument 'tf'"},
        {{"--ops", "--tf"}, {{"--ops", ""}}, "--tf needs a value"},
        {{"--from"}, {}, "--from needs a file name"},
        // Reading stops at the first option the command refuses.
        {{"--tf", "a", "--tf", "bad", "--tf", "c"}, {{"--tf", "a"}}, "refused bad"},
    };
    for (const auto& c : cases) {
        const auto [taken, error] = Read(c.args, "bad");
        EXPECT_EQ(taken, c.taken) << c.error;
        EXPECT_EQ(error, c.error);
    }
}

// batch and assign take a file besides their options: one, not starting with '-'.
TEST(OptionReader, TakesOneOperandWhereTheCommandHasOne)
{
    const struct
    {
        std::vector<std::string_view> args;
        Taken taken;
        std::string error;
    } cases[] = {
        {{"class.csv", "--format", "json"}, {{"", "class.csv"}, {"--format", "json"}}, ""},
        {{"--format", "json", "class.csv"}, {{"--format", "json"}, {"", "class.csv"}}, ""},
        {{"a.csv", "b.csv"}, {{"", "a.csv"}}, "unknown argument 'b.csv'"},
        {{"-"}, {}, "unknown argument '-'"},
    };
    for (const auto& c : cases) {
        Taken taken;
        const auto error = ReadOptions(c.args, {{""}, {"--format"}},
                                       [&](std::string_view name, std::string_view value) {
                                           taken.emplace_back(name, value);
                                           return std::optional<std::string>();
                                       });
        EXPECT_EQ(taken, c.taken) << c.error;
        EXPECT_EQ(error.value_or(""), c.error);
    }
    // Without an operand in the table a word is an unknown argument.
    EXPECT_EQ(Read({"class.csv"}).second, "unknown argument 'class.csv'");
}

TEST(OptionReader, ReadsValuesAsEveryCommandDoes)
{
    ReportFormat format = ReportFormat::Text;
    EXPECT_EQ(ReadFormatOption("json", format), std::nullopt);
    EXPECT_EQ(format, ReportFormat::Json);
    EXPECT_EQ(ReadFormatOption("xml", format), "--format takes text, csv or json, not 'xml'");
    EXPECT_EQ(format, ReportFormat::Json);

    TransferFunction variant;
    EXPECT_EQ(ReadVariantOption("1:1,x", variant),
              "--tf '1:1,x': denominator coefficient 'x' is not a number");
    EXPECT_EQ(ReadVariantOption("2:1,3:0.5", variant), std::nullopt);
    EXPECT_EQ(variant.Delay, 0.5L);
}

TEST(OptionReader, NumbersAreReadWholeAsTfReadsThem)
{
    const Extended none = -7;
    const struct
    {
        const char* text;
        bool read;
        Extended number;
    } reals[] = {
        {"2.5", true, 2.5L}, {"1e3", true, 1000}, {"0x1p-2", true, 0.25L}, {"-4", true, -4},
        {"5x", false, none}, {"", false, none},   {"1:2", false, none},    {"1,5", false, none},
    };
    for (const auto& c : reals) {
        Extended number = 0;
        EXPECT_EQ(ReadNumberText(c.text, number), c.read) << c.text;
        if (c.read) {
            EXPECT_EQ(number, c.number) << c.text;
        }
    }
    Extended infinite = 0;
    EXPECT_TRUE(ReadNumberText("inf", infinite) && std::isinf(infinite));

    const struct
    {
        const char* text;
        bool read;
    } wholes[] = {
        {"2", true},    {"10", true},   {"1", false},
        {"11", false},  {"5.0", false}, {"1e1", false},
        {"0x5", false}, {"", false},    {"99999999999999999999", false},
    };
    for (const auto& c : wholes) {
        long long number = 0;
        EXPECT_EQ(ReadWholeText(c.text, 2, 10, number), c.read) << c.text;
    }
}

// What a writer puts into a file, read back.
std::string Written(ReportFormat format, const char* heading, std::vector<std::string> records)
{
    std::FILE* file = std::tmpfile();
    TableWriter writer(file, format, heading);
    for (const std::string& record : records)
        writer.Add(record);
    writer.Finish();
    std::string text(static_cast<std::size_t>(std::ftell(file)), '\0');
    std::rewind(file);
    text.resize(std::fread(text.data(), 1, text.size(), file));
    std::fclose(file);
    return text;
}

TEST(TableWriter, FramesRecordsInEachFormat)
{
    const struct
    {
        ReportFormat format;
        std::vector<std::string> records;
        std::string written;
    } cases[] = {
        {ReportFormat::Text, {"a\n", "b\n  c\n"}, "a\n\nb\n  c\n"},
        {ReportFormat::Text, {}, ""},
        // The csv heading first; cells with a control character go to a file as they are.
        {ReportFormat::Csv,
         {"1,\"a,b\"\n2,x\n", "3,\x1b[2J\n"},
         "v,t\n1,\"a,b\"\n2,x\n3,\x1b[2J\n"},
        {ReportFormat::Json, {"{\"a\":1}", "{\"a\":2}"}, "[\n{\"a\":1},\n{\"a\":2}\n]\n"},
        {ReportFormat::Json, {}, "[\n]\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Written(c.format, "v,t\n", c.records), c.written);
}

TEST(TableWriter, CellsAndNumbersAreWrittenAsProgramsReadThem)
{
    const struct
    {
        std::string text;
        std::string json;
    } strings[] = {
        {"plain", "\"plain\""},
        {"say \"hi\"\\", "\"say \\\"hi\\\"\\\\\""},
        {"a\nb\tc\x7f", "\"a\\u000ab\\u0009c\\u007f\""},
        {"\xC2\x9B"
         "2J",
         "\"\\u009b2J\""},      // C1 control
        {"ω = 1", "\"ω = 1\""}, // other UTF-8 as it is
    };
    for (const auto& c : strings)
        EXPECT_EQ(JsonString(c.text), c.json) << c.json;

    EXPECT_EQ(FullNumber(1.0L / 3), "0.333333333333333");
    EXPECT_EQ(FullNumber(std::numeric_limits<Extended>::infinity()), "null");
    EXPECT_EQ(ShortNumber(1.0L / 3), "0.333333");
    EXPECT_EQ(ShortNumber(2e6L), "2e+06");
    EXPECT_EQ(JsonNumbers({1, 0.5L, std::numeric_limits<Extended>::quiet_NaN()}), "[1,0.5,null]");
    EXPECT_EQ(JsonNumbers({}), "[]");
}

} // namespace
} // namespace nirdal::cli

namespace nirdal::cli {

// Qt writes a new document number and the time into every PDF, and Qt 6.8 puts a blank
// after "/ID [": a draw written again must still give the same file, offsets unmoved.
TEST(DrawFiles, PdfsOfOneDrawAreTheSameFileWhateverTheirDatesAndNumbers)
{
    const DrawIdentity draw{0x1234, 7, 0xABCD};
    const auto stamped = [&](const std::string& id, const std::string& date) {
        std::string pdf = "%PDF-1.4\n/CreationDate (D:" + date + ")\n/ID " + id + "\n%%EOF\n";
        const std::size_t end = pdf.find("%%EOF");
        StampPdf(pdf, draw);
        EXPECT_EQ(pdf.find("%%EOF"), end); // no offset moved
        return pdf;
    };
    const std::string old = stamped("[<9f3a> <9f3a>]", "20261210071700Z");
    EXPECT_EQ(old, stamped("[<01b2> <01b2>]", "20270101000000Z"));
    EXPECT_EQ(stamped("[ <6463> <6463> ]", "20261210071700Z"),
              stamped("[ <3038> <3038> ]", "20261210071800Z"));
    EXPECT_NE(old.find("/ID [<0000> <0000>]"), std::string::npos) << old;

    // Qt 6.8 writes the metadata's dates and identities as attributes; the names and values
    // around them are left alone.
    const auto metadata = [&](const std::string& time, const std::string& uuid) {
        std::string pdf = "<rdf:Description rdf:about=\"\" xmp:CreateDate=\"" + time +
                          "\" xmp:ModifyDate=\"" + time + "\"/>\n<rdf:Description rdf:about=\"\" "
                          "xmpMM:DocumentID=\"uuid:" + uuid +
                          "\" xmpMM:VersionID=\"1\" xmpMM:RenditionClass=\"default\"/>\n";
        StampPdf(pdf, draw);
        return pdf;
    };
    const std::string first = metadata("2026-12-10T11:47:42+00:00", "9b2e1c4a-77d0-4e8f");
    EXPECT_EQ(first, metadata("2026-12-10T11:47:43+00:00", "0c1d2e3f-1234-5678"));
    EXPECT_NE(first.find("xmpMM:VersionID=\"1\" xmpMM:RenditionClass=\"default\""),
              std::string::npos)
        << first;
    DrawIdentity read;
    ASSERT_TRUE(ReadPdfDraw(old, read));
    EXPECT_EQ(read, draw);
}

} // namespace nirdal::cli
