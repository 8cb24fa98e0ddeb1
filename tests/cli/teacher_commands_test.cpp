// SPDX-License-Identifier: MIT
// A teacher's lab set-up, run as a teacher runs it: the roster written from a table, shared
// machine-wide, and the class report.
#include "support/command.h"
#include "support/temporary_root.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <regex>
#include <sstream>
#include <vector>
#include <string>

namespace nirdal {
namespace {

using test_support::CommandResult;
namespace fs = std::filesystem;

const fs::path kRosterUnderRoot =
    fs::path("drive_c") / "Program Files" / "Microsoft Office" / "abtom" / "curso.ASM";

class TeacherCommands : public ::testing::Test
{
protected:
    // nirdal-cli with arguments quoted for the shell, an empty own data root and a scratch
    // machine-wide data folder.
    CommandResult Cli(const std::string& arguments, const std::string& input = "")
    {
        const fs::path table = scratch.Path() / "input";
        test_support::WriteFile(table, input);
        return test_support::RunCommand("NIRDAL_ROOT='" + Own().string() + "' XDG_DATA_DIRS='" +
                                        Machine().string() + ":/usr/share' '" + NIRDAL_CLI + "' " +
                                        arguments + " <'" + table.string() + "'");
    }

    fs::path Own() const { return scratch.Path() / "own"; }
    fs::path Machine() const { return scratch.Path() / "machine"; }

    test_support::TemporaryRoot scratch;
};

const char* const kThreeNames = "251,Иванов И.И.\n251,Петров П.П.\n252,Сидоров С.С.\n";

TEST_F(TeacherCommands, NewTeacherWritesTheRosterAndSeesItListed)
{
    const CommandResult write = Cli("roster --write", kThreeNames);
    ASSERT_EQ(write.status, 0) << write.errors;
    EXPECT_EQ(write.output,
              "wrote 3 names in 2 groups to " + (Own() / kRosterUnderRoot).string() + "\n");
    EXPECT_EQ(fs::file_size(Own() / kRosterUnderRoot), 7416u);

    const CommandResult list = Cli("roster");
    ASSERT_EQ(list.status, 0) << list.errors;
    EXPECT_EQ(list.output, "roster file: " + (Own() / kRosterUnderRoot).string() +
                               "\n"
                               "group 1 \"251\": present, 2 slots\n"
                               "   1  Иванов И.И.\n"
                               "   2  Петров П.П.\n"
                               "group 2 \"252\": present, 1 slots\n"
                               "   1  Сидоров С.С.\n"
                               "group 3 \"\": absent, 0 slots\n"
                               "group 4 \"\": absent, 0 slots\n"
                               "group 5 \"\": absent, 0 slots\n"
                               "group 6 \"\": absent, 0 slots\n");

    // The table printed reads back into the same bytes.
    const CommandResult csv = Cli("roster --csv");
    ASSERT_EQ(csv.status, 0);
    EXPECT_EQ(csv.output, std::string("# group,surname\n") + kThreeNames);
    const fs::path copy = scratch.Path() / "copy.ASM";
    ASSERT_EQ(Cli("roster --write -o '" + copy.string() + "'", csv.output).status, 0);
    EXPECT_EQ(test_support::ReadFile(copy), test_support::ReadFile(Own() / kRosterUnderRoot));
}

TEST_F(TeacherCommands, FormulaLikeSurnamesGoOutAsTextAndComeBackByteForByte)
{
    ASSERT_EQ(Cli("roster --write", "251,=1+1\n251,+cmd|x\n-1,@SUM(A1)\n-1,-5\n").status, 0);
    const std::string file = test_support::ReadFile(Own() / kRosterUnderRoot);

    const CommandResult csv = Cli("roster --csv");
    ASSERT_EQ(csv.status, 0) << csv.errors;
    EXPECT_EQ(csv.output, "# group,surname\n"
                          "251,\"'=1+1\"\n"
                          "251,\"'+cmd|x\"\n"
                          "\"'-1\",\"'@SUM(A1)\"\n"
                          "\"'-1\",\"'-5\"\n");
    const fs::path copy = scratch.Path() / "copy.ASM";
    ASSERT_EQ(Cli("roster --write -o '" + copy.string() + "'", csv.output).status, 0);
    EXPECT_EQ(test_support::ReadFile(copy), file);
}

TEST_F(TeacherCommands, NulAndLongNamesAreRefusedByTheirLine)
{
    using namespace std::string_literals;
    const struct
    {
        std::string table, error;
    } cases[] = {
        {"251,Иванов\n251,Пет\0ров\n"s,
         "standard input:2: the surname holds the control character U+0000 (NUL), which a name "
         "cannot hold; nothing written\n"},
        {"251," + std::string(1 << 19, 'x') + "\n",
         "standard input:1: the surname \"" + std::string(80, 'x') +
             "…\" is longer than 40 characters; nothing written\n"},
    };
    for (const auto& c : cases) {
        const CommandResult write = Cli("roster --write", c.table);
        EXPECT_EQ(write.status, 1);
        EXPECT_EQ(write.errors, "nirdal-cli roster: " + c.error);
        EXPECT_FALSE(fs::exists(Own() / kRosterUnderRoot));
    }
}

TEST_F(TeacherCommands, RefusedTableLeavesTheEarlierFileAsItWas)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const std::string before = test_support::ReadFile(Own() / kRosterUnderRoot);
    const struct
    {
        std::string table, error;
    } cases[] = {
        {"251,A\n252,Ölund\n", "standard input:2: the surname \"Ölund\" holds \"Ö\" (U+00D6)"},
        {"# header\n1234567,A\n", "standard input:2: the group code \"1234567\" is longer"},
        {"1,a\n2,a\n3,a\n4,a\n5,a\n6,a\n7,a\n", "standard input:7: a seventh group"},
    };
    for (const auto& c : cases) {
        const CommandResult run = Cli("roster --write", c.table);
        EXPECT_EQ(run.status, 1);
        EXPECT_NE(run.errors.find(c.error), std::string::npos) << run.errors;
        EXPECT_NE(run.errors.find("nothing written"), std::string::npos);
        EXPECT_EQ(test_support::ReadFile(Own() / kRosterUnderRoot), before);
    }
    const fs::path from = scratch.Path() / "class.txt";
    test_support::WriteFile(from, "251,A\n251,\"B\n");
    const CommandResult run = Cli("roster --write --from '" + from.string() + "'");
    EXPECT_NE(run.errors.find(from.string() + ":2: a quote is not closed"), std::string::npos)
        << run.errors;
    EXPECT_EQ(test_support::ReadFile(Own() / kRosterUnderRoot), before);
}

TEST_F(TeacherCommands, SpreadsheetTableOnARussianDesktopWritesTheSameRoster)
{
    // kThreeNames as such a spreadsheet saves it: Windows-1251, semicolons between fields.
    const fs::path saved = scratch.Path() / "names.csv";
    test_support::WriteFile(saved, "251;\xC8\xE2\xE0\xED\xEE\xE2 \xC8.\xC8.\r\n"
                                   "251;\xCF\xE5\xF2\xF0\xEE\xE2 \xCF.\xCF.\r\n"
                                   "252;\xD1\xE8\xE4\xEE\xF0\xEE\xE2 \xD1.\xD1.\r\n");
    const CommandResult write = Cli("roster --write --from '" + saved.string() + "'");
    ASSERT_EQ(write.status, 0) << write.errors;
    EXPECT_EQ(write.output,
              "wrote 3 names in 2 groups to " + (Own() / kRosterUnderRoot).string() + "\n");
    const fs::path twin = scratch.Path() / "twin.ASM";
    ASSERT_EQ(Cli("roster --write -o '" + twin.string() + "'", kThreeNames).status, 0);
    EXPECT_EQ(test_support::ReadFile(Own() / kRosterUnderRoot), test_support::ReadFile(twin));
    EXPECT_EQ(Cli("roster --csv").output, std::string("# group,surname\n") + kThreeNames);
}

TEST_F(TeacherCommands, MachineWideRosterServesEveryAccountWithoutItsOwn)
{
    const CommandResult write = Cli("roster --write --system", kThreeNames);
    ASSERT_EQ(write.status, 0) << write.errors;
    const fs::path machineFile = Machine() / "nirdal" / kRosterUnderRoot;
    EXPECT_EQ(fs::file_size(machineFile), 7416u);
    // Students' accounts must be able to read it.
    EXPECT_NE(fs::status(machineFile).permissions() & fs::perms::others_read, fs::perms::none);

    const CommandResult list = Cli("roster");
    EXPECT_EQ(list.output.substr(0, list.output.find('\n')),
              "roster file: " + machineFile.string());
    EXPECT_NE(list.output.find("   1  Сидоров С.С.\n"), std::string::npos);
    // The student's own folder was made, though the roster came from the machine.
    EXPECT_TRUE(fs::is_directory((Own() / kRosterUnderRoot).parent_path()));

    ASSERT_EQ(Cli("roster --write", "9,Own\n").status, 0);
    EXPECT_NE(Cli("roster").output.find("group 1 \"9\""), std::string::npos);
}

TEST_F(TeacherCommands, MachineWideWriteWithoutRightsSaysSo)
{
    fs::create_directories(Machine());
    fs::permissions(Machine(), fs::perms::owner_read | fs::perms::owner_exec |
                                   fs::perms::group_read | fs::perms::group_exec |
                                   fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(scratch.Path(), fs::perms::others_exec, fs::perm_options::add);
    // As root every folder is writable: run as nobody then.
    const std::string asUser =
        geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const fs::path table = scratch.Path() / "table";
    test_support::WriteFile(table, kThreeNames);
    fs::permissions(table, fs::perms::others_read, fs::perm_options::add);
    const CommandResult run = test_support::RunCommand(
        "NIRDAL_ROOT=/nonexistent XDG_DATA_DIRS='" + Machine().string() + "' " + asUser + "'" +
        NIRDAL_CLI + "' roster --write --system <'" + table.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("cannot make " + (Machine() / "nirdal").string()), std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("needs administrator rights"), std::string::npos) << run.errors;
    EXPECT_FALSE(fs::exists(Machine() / "nirdal"));
}

// The number in "Pages: N" of pdfinfo.
int PageCount(const fs::path& pdf)
{
    const CommandResult info = test_support::RunCommand("pdfinfo '" + pdf.string() + "'");
    std::smatch match;
    if (!std::regex_search(info.output, match, std::regex("Pages:\\s+(\\d+)")))
        return -1;
    return std::stoi(match[1]);
}

std::string PdfText(const fs::path& pdf, int first, int last, const std::string& options = "")
{
    return test_support::RunCommand("pdftotext " + options + " -f " + std::to_string(first) +
                                    " -l " + std::to_string(last) + " '" + pdf.string() + "' -")
        .output;
}

// text with every run of blanks and line breaks made one blank.
std::string Words(const std::string& text)
{
    std::string words;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\f';
        if (!blank)
            words += c;
        else if (!words.empty() && words.back() != ' ')
            words += ' ';
    }
    return words;
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// Stable verdicts: "устойчива" also ends every "неустойчива".
int StableVerdicts(const std::string& text)
{
    return Occurrences(text, "устойчива") - Occurrences(text, "неустойчива");
}

TEST_F(TeacherCommands, ClassReportHasTheTableAndAPageAStudent)
{
    // Three students whose verdicts are known: K/(s+1)^3 is stable below K = 8, on the
    // boundary at 8 and unstable above; 2/(s-1) is stable under feedback.
    const fs::path small = scratch.Path() / "small.csv";
    test_support::WriteFile(small, "student,group,numerator,denominator,delay\n"
                                   "Абрамов,Г1,4,1 3 3 1,0\n"
                                   "Белов,Г1,8,1 3 3 1,0\n"
                                   "Белов,Г1,12,1 3 3 1,0\n"
                                   "Волков,Г2,2,1 -1,0\n");
    const fs::path report = scratch.Path() / "small.pdf";
    const CommandResult run =
        Cli("batch '" + small.string() + "' --report '" + report.string() + "'");
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_EQ(PageCount(report), 1 + 3);
    // Each column as wide as its texts need: a cell's lines read together in the raw order.
    const std::string table = Words(PdfText(report, 1, 1, "-raw"));
    // 4/(s+1)³ crosses the negative axis at ω = √3 where U = −1/2, and |W| = 1 where
    // 1 + ω² = 4^(2/3), ω = 1.23282, at the phase −3·atan ω = −152.86°. 2/(s−1) starts at −2
    // (ω = 0) and meets |W| = 1 at ω = √3, at −1/2 − j√3/2: 60° below −1. The delay margins
    // are those phase margins in radians over the crossovers: 0.384250 s and π/3/√3 = 0.604600 s.
    for (const char* text :
         {"Сводный отчёт: small.csv — 3 студента, 4 варианта", "Студент", "Группа", "Вариант",
          "Устойчивость", "Запас по амплитуде", "Запас по фазе", "Примечания", "Абрамов", "Белов",
          "Волков", "2 (6,02 дБ) при ω =", "27,14° при ω =", "0,5 (-6,02 дБ) при ω =",
          "60,00° при ω =", "1,73205 рад/с", "1,23282 рад/с", "запаздыванию", "0,38425 с",
          "0,6046 с"})
        EXPECT_NE(table.find(text), std::string::npos) << text << "\n" << table;
    EXPECT_EQ(StableVerdicts(table), 2) << table;
    EXPECT_EQ(Occurrences(table, "неустойчива"), 1) << table;
    EXPECT_EQ(Occurrences(table, "на границе"), 1) << table;
    for (const char* english : {"stable", "boundary", "margin", "Class report", "dB", "rad/s"})
        EXPECT_EQ(table.find(english), std::string::npos) << english << "\n" << table;
    // Nothing was skipped, so there is no list of skipped lines.
    EXPECT_EQ(table.find("Пропущенные строки"), std::string::npos);

    // Each student's page: the printed page's heading and surname, then his rows alone.
    const struct
    {
        int page;
        const char* student;
        int stable, unstable, boundary;
        const char* other;
    } pages[] = {{2, "Абрамов", 1, 0, 0, "Белов"},
                 {3, "Белов", 0, 1, 1, "Абрамов"},
                 {4, "Волков", 1, 0, 0, "Белов"}};
    for (const auto& p : pages) {
        const std::string text = PdfText(report, p.page, p.page);
        EXPECT_NE(text.find("АМПЛИТУДНО -ФАЗОВАЯ"), std::string::npos) << p.page;
        EXPECT_NE(text.find(p.student), std::string::npos) << p.page;
        EXPECT_NE(text.find("Устойчивость"), std::string::npos) << p.page;
        EXPECT_EQ(StableVerdicts(text), p.stable) << p.page;
        EXPECT_EQ(Occurrences(text, "неустойчива"), p.unstable) << p.page;
        EXPECT_EQ(Occurrences(text, "на границе"), p.boundary) << p.page;
        EXPECT_EQ(text.find(p.other), std::string::npos) << p.page;
        EXPECT_NE(text.find("ЗАПАЗДЫВАНИЕ"), std::string::npos) << p.page;
    }
    // Standard error is no terminal here: a line at the end (and one per 20 students).
    EXPECT_NE(run.errors.find("class report: 3 of 3 students"), std::string::npos) << run.errors;
}

// An astatic class: every variant has the pole s = 0 passed on the right by a semicircle of
// radius 1e-06. The note is said once on the table's page, not on each of its three rows; in
// a column its words stay whole.
TEST_F(TeacherCommands, ClassReportSaysANoteCommonToAllOnce)
{
    const fs::path file = scratch.Path() / "astatic.csv";
    test_support::WriteFile(file, "student,group,numerator,denominator,delay\n"
                                  "Иванов,251,1,1 1 0,0\n"
                                  "Иванов,251,2,1 1 0,0\n"
                                  "Петров,251,3,1 2 1 0,0\n");
    const fs::path report = scratch.Path() / "astatic.pdf";
    ASSERT_EQ(Cli("batch '" + file.string() + "' --report '" + report.string() + "'").status, 0);
    const std::string table = Words(PdfText(report, 1, 1));
    EXPECT_EQ(Occurrences(table, "полуокружностью"), 1) << table;
    EXPECT_NE(table.find("Во всех вариантах: полюс кратности 1 в s = 0 обойдён справа "
                         "полуокружностью радиуса 1e-06 и в P не входит"),
              std::string::npos)
        << table;

    // With a static variant beside it the note stays in its row's column, its words whole.
    test_support::WriteFile(file, "student,group,numerator,denominator,delay\n"
                                  "Иванов,251,1,1 1 0,0\n"
                                  "Петров,251,3,1 2 1,0\n");
    ASSERT_EQ(Cli("batch '" + file.string() + "' --report '" + report.string() + "'").status, 0);
    const std::string column = Words(PdfText(report, 1, 1));
    EXPECT_EQ(column.find("Во всех вариантах"), std::string::npos) << column;
    EXPECT_NE(column.find("полуокружностью"), std::string::npos) << column;

    // Radii of 1e-06, 1e-09 and 1e-07 (the semicircle keeps clear of the other poles): the
    // note is said once with "…", and each row keeps its radius.
    test_support::WriteFile(file, "student,group,numerator,denominator,delay\n"
                                  "Иванов,251,1,1 1 0,0\n"
                                  "Петров,251,1,1000 1 0,0\n"
                                  "Сидоров,252,1,1 1000 0,0\n");
    ASSERT_EQ(Cli("batch '" + file.string() + "' --report '" + report.string() + "'").status, 0);
    const std::string radii = Words(PdfText(report, 1, 1, "-raw"));
    EXPECT_EQ(Occurrences(radii, "полуокружностью"), 1) << radii;
    EXPECT_NE(radii.find("Во всех вариантах: полюс кратности 1 в s = 0 обойдён справа "
                         "полуокружностью радиуса … и в P не входит"),
              std::string::npos)
        << radii;
    for (const char* radius : {"радиуса 1e-06", "радиуса 1e-09", "радиуса 1e-07"})
        EXPECT_EQ(Occurrences(radii, radius), 1) << radius << "\n" << radii;
}

TEST_F(TeacherCommands, ClassReportListsTheSkippedLinesInRussian)
{
    const fs::path file = scratch.Path() / "class.csv";
    test_support::WriteFile(file, "student,group,numerator,denominator,delay\n"
                                  "Абрамов,Г1,4,1 3 3 1,0\n"
                                  "Абрамов,Г1,1,1 x 1,0\n"
                                  "Белов,Г1,\"1,5 1\",1 3 3 1,0\n"
                                  ",Г1,1,1 1\n"
                                  "Белов,Г1,1,1 1 0,-1\n");
    const fs::path report = scratch.Path() / "class.pdf";
    const CommandResult run =
        Cli("batch '" + file.string() + "' --report '" + report.string() + "'");
    // A skipped line and a variant not analysed: status 1, and the report is still written.
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(PageCount(report), 1 + 2);
    // Standard error and standard output stay as scripts know them.
    EXPECT_NE(run.errors.find(file.string() +
                              ":3: skipped: denominator coefficient 'x' is not a number\n" +
                              file.string() + ":5: skipped: no student\n"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(run.output.substr(0, run.output.find('\n')),
              "line  student  group  var  verdict       P  N  Z  gain margin  ω        phase "
              "margin  ω");
    EXPECT_NE(run.output.find("\n   6  Белов    Г1       2  not-analysed\n"), std::string::npos)
        << run.output;

    // Cells wrap within their columns: their words are compared, one blank apart.
    const std::string table = Words(PdfText(report, 1, 1));
    for (const char* text :
         {"Сводный отчёт: class.csv — 2 студента, 3 варианта", "не исследована",
          "отрицательное запаздывание физически невозможно; такой вариант не исследуется",
          // Each skipped line with its number and its reason.
          "Пропущенные строки файла Строка Причина 3 запись коэффициента знаменателя «x» — не "
          "число 5 не указан студент"})
        EXPECT_NE(table.find(text), std::string::npos) << text << "\n" << table;
    // The list comes below the table of variants.
    const std::string layout = PdfText(report, 1, 1, "-layout");
    EXPECT_GT(layout.find("Пропущенные строки файла"), layout.rfind("Белов")) << layout;
    // 1.5s + 1 over (s+1)³, read from the quoted decimal comma, is analysed as any other.
    EXPECT_EQ(StableVerdicts(table), 2) << table;
}

TEST_F(TeacherCommands, LongClassReportContinuesTheTableAndShowsProgress)
{
    // 45 students of two variants each: 90 rows take more than one page of the table.
    std::string lines;
    for (int i = 1; i <= 45; ++i) {
        lines += "Студент" + std::to_string(i) + ",А,1,1 1,0\n";
        lines += "Студент" + std::to_string(i) + ",А,20,1 3 3 1,0\n";
    }
    const fs::path file = scratch.Path() / "long.csv";
    test_support::WriteFile(file, lines);
    const fs::path report = scratch.Path() / "long.pdf";
    const CommandResult run =
        Cli("batch '" + file.string() + "' --report '" + report.string() + "'");
    ASSERT_EQ(run.status, 0) << run.errors;
    const int pages = PageCount(report);
    const int tablePages = pages - 45;
    EXPECT_GE(tablePages, 2);
    const std::string table = PdfText(report, 1, tablePages);
    for (int i = 1; i <= 45; ++i)
        EXPECT_NE(table.find("Студент" + std::to_string(i) + "\n"), std::string::npos) << i;
    EXPECT_EQ(PdfText(report, tablePages + 1, tablePages + 1).find("Студент1\n") !=
                  std::string::npos,
              true);
    EXPECT_NE(PdfText(report, pages, pages).find("Студент45"), std::string::npos);
    EXPECT_NE(run.errors.find("class report: 20 of 45 students\n"
                              "nirdal-cli batch: class report: 40 of 45 students\n"
                              "nirdal-cli batch: class report: 45 of 45 students\n"),
              std::string::npos)
        << run.errors;
}


const char* const kNineNames = "251,Иванов И.И.\n251,Петров П.П.\n251,Сидоров С.С.\n"
                               "252,Кузнецов К.К.\n252,Смирнов С.С.\n252,Попов П.П.\n"
                               "253,Васильев В.В.\n253,Новиков Н.Н.\n253,Морозов М.М.\n";

// Fields of a class file line as assign writes it: plain or in quotes, no quote inside.
std::vector<std::string> ClassFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

TEST_F(TeacherCommands, AssignWritesTheSameClassHandoutAndKeyTwiceAndBatchConfirmsThem)
{
    ASSERT_EQ(Cli("roster --write", kNineNames).status, 0);
    std::string bytes[2][3];
    const char* const names[] = {"class.csv", "handout.pdf", "key.pdf"};
    for (int run = 0; run < 2; ++run) {
        const fs::path folder = scratch.Path() / ("run" + std::to_string(run));
        fs::create_directories(folder);
        const CommandResult assign =
            Cli(std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE + "' --seed 2027 -o '" +
                (folder / "class.csv").string() + "' --handout '" +
                (folder / "handout.pdf").string() + "' --key '" + (folder / "key.pdf").string() +
                "'");
        ASSERT_EQ(assign.status, 0) << assign.errors;
        // assign speaks in its own name while it makes the key.
        EXPECT_NE(assign.errors.find("nirdal-cli assign: class report: 9 of 9 students"),
                  std::string::npos)
            << assign.errors;
        EXPECT_EQ(assign.errors.find("batch"), std::string::npos) << assign.errors;
        for (int f = 0; f < 3; ++f)
            bytes[run][f] = test_support::ReadFile(folder / names[f]);
        // Nothing but the three files is left beside them.
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
    }
    for (int f = 0; f < 3; ++f) {
        EXPECT_FALSE(bytes[0][f].empty()) << names[f];
        EXPECT_TRUE(bytes[0][f] == bytes[1][f]) << names[f] << " differs between two runs";
    }

    // Every student's slip names him and shows the class file's very texts.
    const fs::path folder = scratch.Path() / "run0";
    const CommandResult handout =
        test_support::RunCommand("pdftotext -raw '" + (folder / "handout.pdf").string() + "' -");
    ASSERT_EQ(handout.status, 0) << handout.errors;
    std::istringstream lines(bytes[0][0]);
    std::string line;
    // The draw it is, and the handout and key written with it, before the header.
    std::getline(lines, line);
    EXPECT_TRUE(std::regex_match(
        line, std::regex("# nirdal draw: template [0-9a-f]{16}, seed 2027, roster [0-9a-f]{16}")))
        << line;
    std::getline(lines, line);
    EXPECT_EQ(line, "# handout: handout.pdf");
    std::getline(lines, line);
    EXPECT_EQ(line, "# key: key.pdf");
    std::getline(lines, line);
    EXPECT_EQ(line, "student,group,numerator,denominator,delay");
    int students = 0;
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = ClassFields(line);
        ASSERT_EQ(fields.size(), 5u) << line;
        ++students;
        EXPECT_NE(handout.output.find("Группа " + fields[1] + " " + fields[0]), std::string::npos)
            << fields[0];
        std::istringstream numerator(fields[2]), denominator(fields[3]);
        std::vector<std::string> a{std::istream_iterator<std::string>(denominator), {}};
        ASSERT_EQ(a.size(), 4u) << line; // the sample's denominator is of third degree
        std::string b0;
        numerator >> b0;
        std::string expected = "B0 = " + b0 + "\nЗнаменатель, n = 3: A3 = " + a[0] + " A2 = " +
                               a[1] + " A1 = " + a[2] + " A0 = " + a[3];
        EXPECT_NE(handout.output.find(expected), std::string::npos) << expected;
        EXPECT_NE(handout.output.find("T = " + fields[4] + " с"), std::string::npos);
    }
    EXPECT_EQ(students, 9);

    // batch reads the class file as the students type it and finds every variant stable.
    const CommandResult batch = Cli("batch '" + (folder / "class.csv").string() + "'");
    EXPECT_EQ(batch.status, 0) << batch.errors;
    std::regex stable(R"(\n\s+\d+\s+.+\s+25[123]\s+1\s+stable\s)");
    const auto rows = std::distance(
        std::sregex_iterator(batch.output.begin(), batch.output.end(), stable), {});
    EXPECT_EQ(rows, 9) << batch.output;

    // A key of another draw (another seed) beside the class file is named as such.
    const fs::path other = scratch.Path() / "other";
    fs::create_directories(other);
    ASSERT_EQ(Cli(std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE + "' --seed 2028 -o '" +
                  (other / "class.csv").string() + "' --key '" + (other / "key.pdf").string() +
                  "'")
                  .status,
              0);
    fs::copy_file(other / "key.pdf", folder / "key.pdf", fs::copy_options::overwrite_existing);
    const CommandResult mixed = Cli("batch '" + (folder / "class.csv").string() + "'");
    EXPECT_EQ(mixed.status, 1);
    EXPECT_NE(mixed.errors.find("key.pdf' belongs to another draw"), std::string::npos)
        << mixed.errors;
    EXPECT_NE(mixed.errors.find("seed 2028"), std::string::npos) << mixed.errors;
    EXPECT_EQ(mixed.errors.find("handout"), std::string::npos) << mixed.errors;
}

// Slips of degree 15: pdftotext finds every coefficient of every student on his own slip,
// none cut off at the slip's edge.
TEST_F(TeacherCommands, SlipsOfDegreeFifteenHoldEveryCoefficient)
{
    ASSERT_EQ(Cli("roster --write", kNineNames).status, 0);
    const fs::path pattern = scratch.Path() / "fifteen.txt";
    test_support::WriteFile(pattern, "task = t\nnum = K\nden = (T s + 1)^15\nK = 1 .. 5 step 1\n"
                                     "T = 1, 2, 3\n");
    const fs::path classFile = scratch.Path() / "class.csv", slips = scratch.Path() / "h.pdf";
    const CommandResult assign = Cli("assign '" + pattern.string() + "' --seed 5 -o '" +
                                     classFile.string() + "' --handout '" + slips.string() + "'");
    ASSERT_EQ(assign.status, 0) << assign.errors;
    const CommandResult text = test_support::RunCommand("pdftotext -raw '" + slips.string() + "' -");
    ASSERT_EQ(text.status, 0) << text.errors;
    // The slips in roster order, each from its "Группа" to the next.
    std::vector<std::string> slipTexts;
    for (std::size_t at = text.output.find("Группа "); at != std::string::npos;) {
        const std::size_t next = text.output.find("Группа ", at + 1);
        slipTexts.push_back(text.output.substr(at, next - at));
        at = next;
    }
    std::istringstream lines(test_support::ReadFile(classFile));
    std::string line;
    // The draw's stamp (comment lines), then the header.
    while (std::getline(lines, line) && line.starts_with('#')) {
    }
    std::size_t student = 0;
    for (; std::getline(lines, line); ++student) {
        ASSERT_LT(student, slipTexts.size());
        const std::vector<std::string> fields = ClassFields(line);
        std::istringstream denominator(fields[3]);
        const std::vector<std::string> a{std::istream_iterator<std::string>(denominator), {}};
        ASSERT_EQ(a.size(), 16u) << line;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const std::string item = "A" + std::to_string(15 - i) + " = " + a[i];
            const std::size_t at = slipTexts[student].find(item);
            const char after = at == std::string::npos ? '0' : slipTexts[student][at + item.size()];
            EXPECT_TRUE(after == ' ' || after == '\n') << fields[0] << ": " << item;
        }
        EXPECT_NE(slipTexts[student].find("B0 = " + fields[2]), std::string::npos) << line;
    }
    EXPECT_EQ(student, 9u);
}

// K/(s+1)^3 worked by hand: the negative real axis is crossed at ω = √3 where U = −K/8, so
// the gain margin is 8/K, the critical gain 8 whatever K, and U = −1/margin. |W| = 1 where
// 1 + ω² = K^(2/3): for K = 2 at ω = 0.766421 with the phase −3·atan ω, 67.60° from −180°.
TEST_F(TeacherCommands, KeyGivesTheAnswersToMarkAgainst)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const fs::path pattern = scratch.Path() / "cube.txt";
    test_support::WriteFile(pattern, "task = t\nnum = K\nden = (s + 1)^3\nK = 1, 2, 4\n"
                                     "want = stable\n");
    const fs::path classFile = scratch.Path() / "class.csv", key = scratch.Path() / "key.pdf";
    const CommandResult assign = Cli("assign '" + pattern.string() + "' --seed 3 -o '" +
                                     classFile.string() + "' --key '" + key.string() + "'");
    ASSERT_EQ(assign.status, 0) << assign.errors;
    EXPECT_EQ(PageCount(key), 1 + 3);
    const std::string table = Words(PdfText(key, 1, 1));
    for (const char* heading : {"Kкр", "−1/", "ωср, рад/", "σ, %", "tр, с"})
        EXPECT_NE(table.find(heading), std::string::npos) << heading << "\n" << table;
    // Three students, three values: each K once, each row "margin (dB) Kкр U".
    for (const char* row : {"8 (18,06 дБ) 8 -0,125", "4 (12,04 дБ) 8 -0,25 67,60° 0,766421",
                            "2 (6,02 дБ) 8 -0,5 27,14° 1,23282"})
        EXPECT_EQ(Occurrences(table, row), 1) << row << "\n" << table;
    // Every stable row has its step response's overshoot and settling time: a number
    // after the delay margin (K = 1 has none, |W| < 1 for every ω > 0).
    EXPECT_EQ(Occurrences(table, "нет нет нет "), 1) << table;

    const CommandResult tableOnly =
        Cli("assign '" + pattern.string() + "' --seed 3 --key '" + key.string() +
            "' --table-only");
    ASSERT_EQ(tableOnly.status, 0) << tableOnly.errors;
    EXPECT_EQ(PageCount(key), 1);
    EXPECT_EQ(Words(PdfText(key, 1, 1)), table);

    // Astatic K/(s(s+1)²): W(j1) = K/(j·2j) = −K/2, so the margin is 2/K and with k = K
    // (lim s·W(s)) the critical gain is 2 whatever K.
    test_support::WriteFile(pattern, "task = t\nnum = K\nden = s (s + 1)^2\nK = 0.5, 1, 1.5\n");
    ASSERT_EQ(Cli("assign '" + pattern.string() + "' --seed 3 --key '" + key.string() +
                  "' --table-only")
                  .status,
              0);
    const std::string astatic = Words(PdfText(key, 1, 1));
    for (const char* row : {"4 (12,04 дБ) 2 -0,25", "2 (6,02 дБ) 2 -0,5",
                            "1,33333 (2,50 дБ) 2 -0,75"})
        EXPECT_EQ(Occurrences(astatic, row), 1) << row << "\n" << astatic;
}

// A class file of assign has a line a student: a second line of one group and name is
// refused with both lines, not merged into one student of two variants; the header skipped
// is said.
TEST_F(TeacherCommands, BatchRefusesTwoStudentsOfOneNameInAnAssignedClass)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const fs::path classFile = scratch.Path() / "class.csv";
    ASSERT_EQ(Cli(std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE + "' --seed 2027 -o '" +
                  classFile.string() + "'")
                  .status,
              0);
    // Line 1 the draw's stamp, 2 the header, 3–5 the students; line 6 is Иванов again.
    std::string text = test_support::ReadFile(classFile);
    text += "Иванов И.И.,251,1,1 3 3 1,0\n";
    test_support::WriteFile(classFile, text);
    const CommandResult run = Cli("batch '" + classFile.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find(classFile.string() + ":6: skipped: a student of group 251 named "
                                                   "Иванов И.И. is on line 3 already"),
              std::string::npos)
        << run.errors;
    EXPECT_NE(run.errors.find("nirdal-cli batch: " + classFile.string() +
                              ":2: a header, skipped"),
              std::string::npos)
        << run.errors;
    EXPECT_EQ(Occurrences(run.output, "Иванов И.И."), 1) << run.output;
}

// Three values for three students: a student whose first variant another already holds is
// drawn again, and each such student is named on standard error and in the key.
TEST_F(TeacherCommands, RedrawnStudentsAreNamed)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const fs::path pattern = scratch.Path() / "cube.txt";
    test_support::WriteFile(pattern, "task = t\nnum = K\nden = (s + 1)^3\nK = 1, 2, 4\n");
    const fs::path key = scratch.Path() / "key.pdf";
    int redrawnSeeds = 0;
    for (int seed = 1; seed <= 4; ++seed) {
        const CommandResult run = Cli("assign '" + pattern.string() + "' --seed " +
                                      std::to_string(seed) + " --key '" + key.string() +
                                      "' --table-only");
        ASSERT_EQ(run.status, 0) << run.errors;
        const std::string table = Words(PdfText(key, 1, 1));
        const int named = Occurrences(run.errors, "was drawn again: his first variant is held by");
        EXPECT_EQ(Occurrences(table, "вытянут заново: первый его вариант у"), named) << table;
        redrawnSeeds += named > 0;
    }
    EXPECT_GT(redrawnSeeds, 0);
}

// The lines of a class file after its comment lines and header.
std::vector<std::string> StudentLines(const fs::path& classFile)
{
    std::istringstream lines(test_support::ReadFile(classFile));
    std::vector<std::string> students;
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with('#') && !line.starts_with("student,"))
            students.push_back(line);
    }
    return students;
}

// --keep: the students of an earlier class file keep their very lines when newcomers join;
// only the newcomers are drawn. A kept file naming one student twice is refused by both lines.
TEST_F(TeacherCommands, AssignKeepsTheVariantsOfAnEarlierClass)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const fs::path old = scratch.Path() / "old.csv", now = scratch.Path() / "new.csv";
    const std::string assign = std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE + "' --seed 7 ";
    ASSERT_EQ(Cli(assign + "-o '" + old.string() + "'").status, 0);
    ASSERT_EQ(Cli("roster --write", std::string("251,Абрамов А.А.\n") + kThreeNames +
                                        "252,Яковлев Я.Я.\n")
                  .status,
              0);
    const CommandResult kept = Cli(assign + "-o '" + now.string() + "' --keep '" + old.string() + "'");
    ASSERT_EQ(kept.status, 0) << kept.errors;
    const std::vector<std::string> before = StudentLines(old), after = StudentLines(now);
    ASSERT_EQ(before.size(), 3u);
    ASSERT_EQ(after.size(), 5u);
    for (const std::string& line : before)
        EXPECT_EQ(std::count(after.begin(), after.end(), line), 1) << line;

    test_support::WriteFile(old, test_support::ReadFile(old) + before[0] + "\n");
    const CommandResult twice = Cli(assign + "-o '" + now.string() + "' --keep '" + old.string() + "'");
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.errors.find(":6: a student of group 251 named Иванов И.И. is on line 3 "
                                "already"),
              std::string::npos)
        << twice.errors;
}

// A roster file from elsewhere whose group 251 holds one name in two slots (the second
// slot's record, a length byte and 40 characters, made a copy of the first): refused by both
// slots, nothing written.
TEST_F(TeacherCommands, AssignRefusesTwoStudentsOfOneNameInTheRoster)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const fs::path rosterFile = Own() / kRosterUnderRoot;
    std::string bytes = test_support::ReadFile(rosterFile);
    ASSERT_EQ(bytes.size(), 6u * 1236u);
    bytes.replace(6 + 41, 41, bytes.substr(6, 41));
    test_support::WriteFile(rosterFile, bytes);
    const fs::path classFile = scratch.Path() / "class.csv";
    const CommandResult run = Cli(std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE +
                                  "' --seed 1 -o '" + classFile.string() + "'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.errors.find("the roster holds Иванов И.И. of group 251 twice, in slots 1 and 2"),
              std::string::npos)
        << run.errors;
    EXPECT_FALSE(fs::exists(classFile));
}

// The built-in roster ends group 252 with two slots without a name: nobody, not two
// students of one name (108 names in all, each on one line of the class file).
TEST_F(TeacherCommands, AssignSkipsTheBuiltInRostersSlotsWithoutAName)
{
    const fs::path classFile = scratch.Path() / "class.csv";
    const CommandResult run = Cli(std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE +
                                  "' --seed 1 -o '" + classFile.string() + "'");
    ASSERT_EQ(run.status, 0) << run.errors;
    const std::string text = test_support::ReadFile(classFile);
    EXPECT_EQ(text.find("\n,"), std::string::npos);
}

TEST_F(TeacherCommands, AssignRefusesABadTemplateOrAnEmptyRosterAndWritesNothing)
{
    ASSERT_EQ(Cli("roster --write", kThreeNames).status, 0);
    const fs::path bad = scratch.Path() / "bad.txt";
    test_support::WriteFile(bad, "task = t\nnum = K\nden = (T s + 1)(Q s + 1)\nK = 1\nT = 2\n");
    const fs::path classFile = scratch.Path() / "class.csv";
    test_support::WriteFile(classFile, "kept\n");
    const CommandResult refused = Cli("assign '" + bad.string() + "' --seed 1 -o '" +
                                      classFile.string() + "' --handout '" +
                                      (scratch.Path() / "h.pdf").string() + "'");
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, bad.string() + ":3: unknown parameter 'Q'\n");
    EXPECT_EQ(test_support::ReadFile(classFile), "kept\n");
    EXPECT_FALSE(fs::exists(scratch.Path() / "h.pdf"));

    ASSERT_EQ(Cli("roster --write", "251,Свободнович С.С.\n").status, 0);
    const CommandResult empty =
        Cli(std::string("assign '") + NIRDAL_SAMPLE_TEMPLATE + "' --seed 1 -o '" +
            classFile.string() + "'");
    EXPECT_EQ(empty.status, 1);
    EXPECT_NE(empty.errors.find("the roster has no students"), std::string::npos);
    EXPECT_EQ(test_support::ReadFile(classFile), "kept\n");
}

// batch and assign read their options as every command does: the operand, then options each
// named in the message that refuses it.
TEST(TeacherOptions, BadOptionsAreRefusedNamingThem)
{
    const struct
    {
        const char* arguments;
        const char* message;
    } cases[] = {
        {"batch", "the class file is required"},
        {"batch a.csv b.csv", "unknown argument 'b.csv'"},
        {"batch a.csv --x", "unknown argument '--x'"},
        {"batch a.csv --plots", "--plots needs a value"},
        {"batch a.csv --report r.txt",
         "--report: the file name must end in .pdf and hold no tabs or line breaks"},
        {"batch a.csv --format xml", "--format takes text, csv or json, not 'xml'"},
        {"assign t.txt", "--seed N is required"},
        {"assign --seed 1", "the template is required"},
        {"assign t.txt --seed -1", "--seed takes a whole number from 0 to 18446744073709551615"},
        {"assign t.txt --seed 1 --key", "--key needs a value"},
        {"assign t.txt --seed 1 --handout h.txt", "--handout: the file name must end in .pdf"},
        {"assign t.txt --seed 1 --table-only",
         "--table-only asks for the key's table alone; it needs --key FILE.pdf"},
        {"assign t.txt u.txt --seed 1", "unknown argument 'u.txt'"},
    };
    for (const auto& c : cases) {
        const CommandResult run = test_support::RunCli(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_TRUE(test_support::Contains(run.errors, c.message)) << c.arguments << ": "
                                                                   << run.errors;
    }
}

} // namespace
} // namespace nirdal
