// carblast-check lint on small fixture files: each kind of finding, where it
// points, whether it is an error or a warning, and the exit codes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "data/data_files.h"

namespace {

struct LintRun {
    int exit_code;
    std::string output;  // standard output and standard error
};

LintRun run_lint(const std::string& arguments) {
    const std::string command = std::string("'") + CARBLAST_CHECK + "' lint " + arguments + " 2>&1";
    LintRun run{-1, ""};
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return run;
    }
    std::array<char, 4096> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
        run.output.append(buffer.data(), got);
    }
    const int status = pclose(pipe);
    run.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

using Grid = std::vector<std::vector<std::string>>;

// A clean level: a border of 8 around floor, 60 lines of 80 numbers.
Grid clean_level() {
    Grid grid(60, std::vector<std::string>(80, "1"));
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 80; ++x) {
            if (x == 0 || y == 0 || x == 79 || y == 59) {
                grid[static_cast<size_t>(y)][static_cast<size_t>(x)] = "8";
            }
        }
    }
    return grid;
}

std::string level_text(const Grid& grid, const char* line_end = "\n",
                       const std::function<bool(size_t)>& trailing_comma = nullptr) {
    std::string text;
    for (size_t y = 0; y < grid.size(); ++y) {
        for (size_t x = 0; x < grid[y].size(); ++x) {
            text += (x == 0 ? "" : ",") + grid[y][x];
        }
        if (trailing_comma && trailing_comma(y)) {
            text += ",";
        }
        text += line_end;
    }
    return text;
}

std::string level_with(const std::function<void(Grid&)>& edit) {
    Grid grid = clean_level();
    edit(grid);
    return level_text(grid);
}

// Five digits of 5 x 5 in colour 14, twice over.
std::string clean_font() {
    std::string text;
    for (int line = 0; line < 50; ++line) {
        text += "0,14,14,0,0\n";
    }
    return text;
}

std::string car_text(const char* header) {
    std::string text = std::string(header) + "\n";
    for (int line = 0; line < 10; ++line) {
        text += "8,12,12,12,8\n";
    }
    return text;
}

struct LintCase {
    const char* name;
    const char* file;  // its name decides the car and projectile checks
    std::string bytes;
    const char* options;  // before the file
    int exit_code;
    std::vector<std::string> expected;      // each must appear in the output
    std::vector<std::string> not_expected;  // none of these may
};

// Test names instead of bytes in the listing of the cases.
void PrintTo(const LintCase& c, std::ostream* out) {
    *out << c.name;
}

std::vector<LintCase> lint_cases() {
    const std::string f = "lev1.dat:";
    return {
        {"CleanLevel",
         "lev1.dat",
         level_text(clean_level()),
         "",
         0,
         {},
         {": error:", ": warning:"}},
        {"CleanLevelWithCrLf",
         "lev1.dat",
         level_text(clean_level(), "\r\n"),
         "",
         0,
         {},
         {": error:"}},
        {"CleanLevelWithCr", "lev1.dat", level_text(clean_level(), "\r"), "", 0, {}, {": error:"}},
        {"CleanLevelWithBlanks",
         "lev1.dat",
         "8 , 8\t8 \n" + level_text(clean_level()).substr(6),
         "",
         0,
         {},
         {": error:"}},
        {"TrailingCommaShiftsTheLine",
         "lev1.dat",
         level_text(clean_level(), "\n", [](size_t y) { return y == 2; }),
         "",
         1,
         {f + "3:160: error: line 3 ends with a comma: the 81st number of this line",
          f + "60:159: error: number 4801: a level holds 4800 numbers, so this one is never read"},
         {"line 4"}},
        {"TrailingCommaAfterABlank",
         "lev1.dat",
         [] {
             std::string t = level_text(clean_level());
             return t.insert(159, " ,");
         }(),
         "",
         1,
         {f + "1:161: error: line 1 ends with a comma: the 81st number"},
         {}},
        {"TrailingCommaOnTheLastLineChangesNothing",
         "lev1.dat",
         level_text(clean_level(), "\n", [](size_t y) { return y == 59; }),
         "",
         0,
         {},
         {": error:"}},
        {"TrailingCommasEverywhereAreCountedBeyondTen",
         "lev1.dat",
         level_text(clean_level(), "\n", [](size_t) { return true; }),
         "",
         1,
         {f + "10:160: error: line 10 ends with a comma",
          f + "11:160: error: 49 more lines that end with a comma from here on",
          "this one and the 58 after it are never read"},
         {"line 12 ends"}},
        {"EmptyFieldBetweenCommas",
         "lev1.dat",
         level_with([](Grid& g) { g[4][10] = ""; }),
         "",
         1,
         {f + "5:21: error: two commas with no number between them"},
         {}},
        {"LineStartsWithAComma",
         "lev1.dat",
         level_with([](Grid& g) { g[4][0] = ""; }),
         "",
         1,
         {f + "5:1: error: line 5 starts with a comma"},
         {}},
        {"EmptyLine",
         "lev1.dat",
         [] {
             std::string t = level_text(clean_level());
             return t.insert(160 * 2, "\n");
         }(),
         "",
         1,
         {f + "3:1: error: line 3 is empty: it reads as a 0"},
         {}},
        {"BlankLine",
         "lev1.dat",
         [] {
             std::string t = level_text(clean_level());
             return t.insert(160 * 2, " \t \n");
         }(),
         "",
         1,
         {f + "3:1: error: line 3 holds only blanks"},
         {}},
        {"EmptyLinesAtTheEndChangeNothing",
         "lev1.dat",
         level_text(clean_level()) + "\n\n  \n",
         "",
         0,
         {},
         {": error:"}},
        {"TooFewNumbers",
         "lev1.dat",
         level_text(clean_level()).substr(0, 160 * 59),
         "",
         1,
         {f + "59:159: error: the file ends after 4720 numbers, but a level holds 4800: the last "
              "80 cells read as 0"},
         {}},
        {"TooManyNumbers",
         "lev1.dat",
         level_text(clean_level()) + "1,1\n",
         "",
         1,
         {f + "61:1: error: number 4801: a level holds 4800 numbers, so this one and the 1 "
              "after it are never read"},
         {}},
        {"EmptyFile", "lev1.dat", "", "", 1, {f + "1:1: error: the file holds no numbers"}, {}},
        {"MalformedNumbers",
         "lev1.dat",
         level_with([](Grid& g) {
             g[10][1] = "12abc";
             g[10][2] = "abc";
             g[10][3] = "&H";
             g[10][4] = "\"1,2\"";
         }),
         "",
         1,
         {f + "11:3: error: '12abc' is not a well-formed number: the game reads it as 12",
          f + "11:9: error: 'abc' is not a well-formed number: the game reads it as 0",
          f + "11:13: error: '&H' has no digits after its prefix",
          f + "11:16: error: '1,2' is not a well-formed number: the game reads it as 1"},
         {": warning:"}},
        {"WellFormedNumbersOfEveryForm",
         "lev1.dat",
         level_with([](Grid& g) {
             g[10][1] = "&H1";
             g[10][2] = "1.4";
             g[10][3] = "+1";
             g[10][4] = "\"1\"";
             g[10][5] = "1E0";
             g[10][6] = "001";
             g[10][7] = "&B1";
         }),
         "",
         0,
         {},
         {": error:", ": warning:"}},
        {"BeyondTheRange",
         "lev1.dat",
         level_with([](Grid& g) {
             g[10][1] = "2147483648";
             g[10][2] = "-2147483649";
             g[10][3] = "&H100000001";
             g[10][4] = "1E10";
         }),
         "",
         1,
         {f + "11:3: error: '2147483648' lies beyond the 32-bit range",
          f + "11:14: error: '-2147483649' lies beyond the 32-bit range",
          f + "11:26: error: '&H100000001' has more than 32 bits of digits: the game keeps only "
              "the low 32 bits, which give 1",
          f + "11:38: error: '1E10' lies beyond the 32-bit range"},
         {}},
        {"OverlongText",
         "lev1.dat",
         level_with([](Grid& g) { g[10][1] = std::string(67, '0') + "1"; }),
         "",
         1,
         {f + "11:3: error: this number's text runs past 67 characters"},
         {"4801"}},
        {"ByteOrderMark",
         "lev1.dat",
         "\xEF\xBB\xBF" + level_text(clean_level()),
         "",
         1,
         {f + "1:1: error: the file starts with a byte-order mark"},
         {"well-formed"}},
        {"Utf16ByteOrderMark",
         "lev1.dat",
         std::string("\xFF\xFE"
                     "8\0,\0"
                     "8\0",
                     8),
         "",
         1,
         {f + "1:1: error: the file starts with a UTF-16 byte-order mark"},
         {}},
        {"InvisibleWallsAndHighColoursWarn",
         "lev1.dat",
         level_with([](Grid& g) {
             g[20][30] = "0";
             g[20][31] = "-3";
             g[20][32] = "16";
             g[20][33] = "257";
         }),
         "",
         0,
         {f + "21:61: warning: cell (30, 20) holds 0: a wall that is not drawn",
          f + "21:63: warning: cell (31, 20) holds -3",
          f + "21:66: warning: cell (32, 20) holds 16, a colour above 15",
          f + "21:69: warning: cell (33, 20) holds 257, a colour above 15: it shows as floor"},
         {": error:"}},
        {"StrictCountsWarnings",
         "lev1.dat",
         level_with([](Grid& g) { g[20][30] = "0"; }),
         "--strict",
         1,
         {"warning: cell (30, 20) holds 0"},
         {}},
        {"CarStartNotFloor",
         "lev1.dat",
         level_with([](Grid& g) { g[3][2] = "4"; }),
         "",
         0,
         {f + "4:5: warning: the car starts on the cells (1, 1) to (5, 5), and cell (2, 3) "
              "holds 4"},
         {}},
        {"CleanFont", "font.dat", clean_font(), "--kind font", 0, {}, {": error:", ": warning:"}},
        {"FontColourAboveFifteen",
         "font.dat",
         "0,14,99,0,0\n" + clean_font().substr(12),
         "--kind font",
         0,
         {"font.dat:1:6: warning: digit 0, row 0, column 2 holds 99, a colour above 15"},
         {}},
        {"FontTooShort",
         "font.dat",
         clean_font().substr(12),
         "--kind font",
         1,
         {"but a font holds 250 (ten digits of 5 x 5): the last 5 cells read as 0"},
         {}},
        {"CleanCar", "car.dat", car_text("2,5,5"), "", 0, {}, {": error:", ": warning:"}},
        {"CarOfOneFrame",
         "car.dat",
         car_text("1,5,5").substr(0, 6 + 13 * 5),
         "",
         1,
         {"car.dat:1:1: error: a car file starts with the header 2,5,5",
          "gives 1,5,5, so the car vanishes on every other frame"},
         {}},
        {"CarOfWrongSize",
         "car.dat",
         [] {
             std::string t = "2,4,4\n";
             for (int line = 0; line < 8; ++line) {
                 t += "1,1,1,1\n";
             }
             return t;
         }(),
         "",
         1,
         {"gives 2,4,4, so the picture does not cover the car's 5 x 5 cells"},
         {}},
        {"ProjectileWithoutFrame",
         "proj.dat",
         "0,1,1\n",
         "",
         1,
         {"proj.dat:1:1: error: a projectile file needs at least one frame",
          "so the shot is invisible"},
         {}},
        {"CleanProjectile", "proj.dat", "1,1,1\n15\n", "", 0, {}, {": error:", ": warning:"}},
        {"SpriteHeaderOutsideTheRecord",
         "wall.dat",
         "3,12,0\n",
         "--kind sprite",
         1,
         {"wall.dat:1:1: error: the header gives 3 frames, but a sprite has 1 or 2",
          "wall.dat:1:3: error: the header gives a width of 12 cells",
          "wall.dat:1:6: error: the header gives a height of 0 cells"},
         {"ends after"}},
        {"SpriteTooShortAndColourAboveFifteen",
         "wall.dat",
         "1,2,2\n1,20\n",
         "",
         1,
         {"wall.dat:2:3: warning: frame 1, line 1, number 2 of the picture holds 20",
          "wall.dat:2:3: error: the file ends after 5 numbers, but this sprite's header asks "
          "for 7"},
         {}},
        {"SpriteWithoutHeader",
         "wall.dat",
         "1,2\n",
         "--kind sprite",
         1,
         {"wall.dat:1:3: error: the file ends before a sprite's header of three numbers"},
         {}},
    };
}

class LintTest : public DataFilesTest, public ::testing::WithParamInterface<LintCase> {};

TEST_P(LintTest, ReportsWhatTheGameWouldReadWrongly) {
    const LintCase& c = GetParam();
    const std::string path = write_file(c.file, c.bytes);
    // Relative paths in the report, as a level maker would type them.
    const LintRun run = run_lint(std::string(c.options) + " '" + path + "'");
    std::string output = run.output;
    for (size_t at = output.find(folder_.string() + "/"); at != std::string::npos;
         at = output.find(folder_.string() + "/")) {
        output.erase(at, folder_.string().size() + 1);
    }
    EXPECT_EQ(run.exit_code, c.exit_code) << output;
    for (const std::string& text : c.expected) {
        EXPECT_NE(output.find(text), std::string::npos) << "missing: " << text << "\n" << output;
    }
    for (const std::string& text : c.not_expected) {
        EXPECT_EQ(output.find(text), std::string::npos) << "unwanted: " << text << "\n" << output;
    }
}

INSTANTIATE_TEST_SUITE_P(Findings, LintTest, ::testing::ValuesIn(lint_cases()),
                         [](const ::testing::TestParamInfo<LintCase>& param) {
                             return std::string(param.param.name);
                         });

class LintFilesTest : public DataFilesTest {
  protected:
    void write_game_files() {
        write_file("dat/map/lev1.dat", level_text(clean_level()));
        write_file("dat/font.dat", clean_font());
        write_file("dat/sprites/car.dat", car_text("2,5,5"));
        write_file("dat/sprites/wall.dat", "1,1,1\n7\n");
        write_file("dat/sprites/proj.dat", "1,1,1\n15\n");
    }
};

TEST_F(LintFilesTest, DefaultsToTheFiveGameFilesBelowData) {
    write_game_files();
    const LintRun clean = run_lint("--strict --data '" + folder_.string() + "'");
    EXPECT_EQ(clean.exit_code, 0) << clean.output;
    EXPECT_EQ(clean.output, "");

    // The kind of each game file comes from its name, not its content.
    write_file("dat/sprites/car.dat", "1,5,5\n");
    const LintRun broken = run_lint("--data '" + folder_.string() + "'");
    EXPECT_EQ(broken.exit_code, 1) << broken.output;
    EXPECT_NE(broken.output.find("dat/sprites/car.dat:1:1: error: a car file"), std::string::npos)
        << broken.output;
}

TEST_F(LintFilesTest, AFileThatCannotBeReadGivesExitCodeTwo) {
    write_game_files();
    std::filesystem::remove(folder_ / "dat/font.dat");
    write_file("dat/sprites/car.dat", "1,5,5\n");
    const LintRun run = run_lint("--data '" + folder_.string() + "'");
    EXPECT_EQ(run.exit_code, 2) << run.output;
    EXPECT_NE(run.output.find("dat/font.dat: cannot open"), std::string::npos) << run.output;
    // The files that can be read are still judged.
    EXPECT_NE(run.output.find("a car file"), std::string::npos) << run.output;

    EXPECT_EQ(run_lint("'" + missing_file() + "'").exit_code, 2);
}

TEST_F(LintFilesTest, AFileOnItsOwnIsJudgedByItsContent) {
    const std::string sprite = write_file("thing.dat", "1,1,2\n5,99\n");
    const LintRun run = run_lint("'" + sprite + "'");
    EXPECT_EQ(run.exit_code, 0) << run.output;
    EXPECT_NE(run.output.find("judged as a sprite"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("frame 1, line 2, number 1 of the picture holds 99"),
              std::string::npos)
        << run.output;

    // --kind overrides: as a level, the same file is far too short.
    const LintRun as_level = run_lint("--kind level '" + sprite + "'");
    EXPECT_EQ(as_level.exit_code, 1) << as_level.output;
    EXPECT_NE(as_level.output.find("but a level holds 4800"), std::string::npos) << as_level.output;
}

TEST(LintUsageTest, WrongArgumentsAreUsageErrors) {
    EXPECT_EQ(run_lint("--kind map x.dat").exit_code, 64);
    EXPECT_EQ(run_lint("--bogus").exit_code, 64);
    EXPECT_EQ(run_lint("--data").exit_code, 64);
}

}  // namespace
