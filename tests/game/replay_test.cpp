// carblast-replay: its script parser, how a run ends, and the program itself
// with its JSON, trace, PNG and level outputs.
#include <gtest/gtest.h>
#include <png.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "data/level_map.h"
#include "game_test_support.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/vga_palette.h"
#include "replay_run.h"
#include "replay_script.h"

namespace {

TEST(ReplayScript, ReadsEveryKindOfEntry) {
    const std::string text =
        "# a comment\n"
        "\n"
        "   \t \n"
        "0 press Esc\n"
        "10\trelease   Ctrl\r\n"
        "  10 repeat Up\n"
        "20 press Down\n"
        "20 press KP8\n"
        "20 press KP2\n"
        "20 press KP4\n"
        "20 press KP6\n"
        "20 release Left\n"
        "20 release Right\n"
        "30 press 0\n"
        "30 press 127\n"
        "40 pointer\n"
        "50 close\n"
        "60 focus-lost\n"
        "70 focus-gained\n"
        "80 stall 1500\n"
        "2147483647 end";
    ReplayScript script;
    ScriptError error;
    ASSERT_TRUE(parse_replay_script(text, script, error)) << error.line << ": " << error.message;
    struct Expected {
        int64_t at_ms;
        ReplayAction action;
        int32_t scan_code;
        int64_t stall_ms;
        int32_t line;
    };
    const std::vector<Expected> expected{
        {0, REPLAY_PRESS, KEY_ESC, 0, 4},      {10, REPLAY_RELEASE, KEY_CTRL, 0, 5},
        {10, REPLAY_REPEAT, KEY_UP, 0, 6},     {20, REPLAY_PRESS, KEY_DOWN, 0, 7},
        {20, REPLAY_PRESS, KEY_UP, 0, 8},      {20, REPLAY_PRESS, KEY_DOWN, 0, 9},
        {20, REPLAY_PRESS, KEY_LEFT, 0, 10},   {20, REPLAY_PRESS, KEY_RIGHT, 0, 11},
        {20, REPLAY_RELEASE, KEY_LEFT, 0, 12}, {20, REPLAY_RELEASE, KEY_RIGHT, 0, 13},
        {30, REPLAY_PRESS, 0, 0, 14},          {30, REPLAY_PRESS, 127, 0, 15},
        {40, REPLAY_POINTER, 0, 0, 16},        {50, REPLAY_CLOSE, 0, 0, 17},
        {60, REPLAY_FOCUS_LOST, 0, 0, 18},     {70, REPLAY_FOCUS_GAINED, 0, 0, 19},
        {80, REPLAY_STALL, 0, 1500, 20},       {REPLAY_MAX_MS, REPLAY_END, 0, 0, 21},
    };
    ASSERT_EQ(script.entries.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ReplayEntry& e = script.entries[i];
        EXPECT_EQ(e.at_ms, expected[i].at_ms) << "entry " << i;
        EXPECT_EQ(e.action, expected[i].action) << "entry " << i;
        EXPECT_EQ(e.scan_code, expected[i].scan_code) << "entry " << i;
        EXPECT_EQ(e.stall_ms, expected[i].stall_ms) << "entry " << i;
        EXPECT_EQ(e.line, expected[i].line) << "entry " << i;
    }
}

TEST(ReplayScript, AMalformedLineIsReportedWithItsLineAndColumn) {
    struct Case {
        const char* line;
        int32_t column;
        const char* says;
    };
    const std::vector<Case> cases{
        {"abc press Up", 1, "expected a time in milliseconds, found 'abc'"},
        {"-5 pointer", 1, "expected a time"},
        {"+5 pointer", 1, "expected a time"},
        {"1.5 pointer", 1, "expected a time"},
        {"2147483648 pointer", 1, "out of range"},
        {"99999999999999999999999 pointer", 1, "out of range"},
        {"10", 3, "missing the entry"},
        {"10 jump", 4, "unknown entry 'jump'"},
        {"10 Press Up", 4, "unknown entry 'Press'"},
        {"10 press", 9, "missing the key"},
        {"10 release Foo", 12, "unknown key 'Foo'"},
        {"10 press up", 10, "unknown key 'up'"},
        {"10 press 128", 10, "unknown key '128'"},
        {"10 press -1", 10, "unknown key '-1'"},
        {"10 repeat Up Down", 14, "unexpected 'Down' after the entry"},
        {"10 pointer extra", 12, "unexpected 'extra'"},
        {"10 end now", 8, "unexpected 'now'"},
        {"10 stall", 9, "missing the stall's length"},
        {"10 stall soon", 10, "expected a stall length in milliseconds"},
        {"10 stall -3", 10, "expected a stall length"},
        {"10 stall 2147483648", 10, "out of range"},
        {"4 pointer", 1, "earlier than 5 ms on line 3"},
    };
    for (const Case& c : cases) {
        // Comments and blank lines count as lines too.
        const std::string text = std::string("# header\n\n5 pointer\n") + c.line + "\n30 close\n";
        ReplayScript script;
        ScriptError error;
        EXPECT_FALSE(parse_replay_script(text, script, error)) << c.line;
        EXPECT_EQ(error.line, 4) << c.line;
        EXPECT_EQ(error.column, c.column) << c.line;
        EXPECT_NE(error.message.find(c.says), std::string::npos) << c.line << ": " << error.message;
    }
}

TEST(ReplayScript, RunEndsAtEndOrOneSecondAfterTheLastEntry) {
    struct Case {
        const char* text;
        int64_t end_ms;
    };
    const std::vector<Case> cases{
        {"", 1000},
        {"# nothing\n", 1000},
        {"200 pointer\n", 1200},
        {"200 pointer\n345 end\n", 350},  // at the sample at or after it
        {"200 end\n300 pointer\n400 end\n", 200},
        {"0 end\n", 0},
        {"200 stall 1000\n", 2200},  // an entry is over when its stall is
        {"200 stall 1000\n250 close\n", 2200},
        {"200 stall 10\n700 close\n", 1700},
    };
    for (const Case& c : cases) {
        ReplayScript script;
        ScriptError error;
        ASSERT_TRUE(parse_replay_script(c.text, script, error)) << c.text;
        EXPECT_EQ(replay_end_ms(&script), c.end_ms) << c.text;
    }
    EXPECT_EQ(replay_end_ms(nullptr), 1000);
}

// A level with a block of wall that a shot fired east from the start hits.
LevelMap target_level() {
    LevelMap level = walled_level();
    for (int32_t x = 20; x <= 24; ++x) {
        for (int32_t y = 1; y <= 5; ++y) {
            level_cell(level, x, y) = 7;
        }
    }
    return level;
}

// Turns the car east, fires at frame 4, and the shot blasts at frame 8.
constexpr const char* SHOT_SCRIPT =
    "50 press Right\n"
    "250 release Right\n"
    "350 release Ctrl\n"
    "1500 end\n";

constexpr const char* SHOT_OUTCOME =
    "{\"frames\":15,\"ended_by\":\"end\",\"time_ms\":1500,"
    "\"car\":{\"x\":1,\"y\":1,\"direction\":3,\"anim_frame\":2},"
    "\"projectile\":{\"x\":20,\"y\":3,\"direction\":3,\"life\":0},\"score\":15}";

using Replay = GameTest;

TEST_F(Replay, OutcomeAfterTheLastFrame) {
    struct Case {
        const char* script;  // nullptr: no script
        const char* outcome;
    };
    const std::vector<Case> cases{
        {nullptr,
         "{\"frames\":10,\"ended_by\":\"end\",\"time_ms\":1000,"
         "\"car\":{\"x\":1,\"y\":1,\"direction\":1,\"anim_frame\":2},"
         "\"projectile\":{\"x\":0,\"y\":0,\"direction\":0,\"life\":0},\"score\":0}"},
        {SHOT_SCRIPT, SHOT_OUTCOME},
        // Esc held at the sample at 450 ms, while the loop idles.
        {"450 press Esc\n2000 end\n",
         "{\"frames\":5,\"ended_by\":\"esc\",\"time_ms\":450,"
         "\"car\":{\"x\":1,\"y\":1,\"direction\":1,\"anim_frame\":2},"
         "\"projectile\":{\"x\":0,\"y\":0,\"direction\":0,\"life\":0},\"score\":0}"},
        // The frames the stall held up run back to back; none is lost.
        {"200 stall 1000\n",
         "{\"frames\":22,\"ended_by\":\"end\",\"time_ms\":2200,"
         "\"car\":{\"x\":1,\"y\":1,\"direction\":1,\"anim_frame\":2},"
         "\"projectile\":{\"x\":0,\"y\":0,\"direction\":0,\"life\":0},\"score\":0}"},
        // Up held for frames 1 to 3, Down for frame 4 only.
        {"50 press KP8\n350 release KP8\n350 press Down\n450 release Down\n",
         "{\"frames\":15,\"ended_by\":\"end\",\"time_ms\":1450,"
         "\"car\":{\"x\":75,\"y\":1,\"direction\":1,\"anim_frame\":2},"
         "\"projectile\":{\"x\":0,\"y\":0,\"direction\":0,\"life\":0},\"score\":0}"},
    };
    LevelMap level = target_level();
    for (int32_t y = 1; y <= 5; ++y) {
        level_cell(level, 0, y) = CELL_FLOOR;  // a tunnel for the last case
        level_cell(level, MAP_W - 1, y) = CELL_FLOOR;
    }
    write_game_files(*dir, level);
    for (const Case& c : cases) {
        ReplayScript script;
        ScriptError error;
        if (c.script != nullptr) {
            ASSERT_TRUE(parse_replay_script(c.script, script, error)) << c.script;
        }
        const ReplayOutcome outcome = run_replay(c.script != nullptr ? &script : nullptr, nullptr);
        EXPECT_EQ(outcome_json(outcome), c.outcome) << (c.script != nullptr ? c.script : "none");
    }
}

// ---- the program ----

std::string read_all(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct ProgramRun {
    int exit_code;
    std::string out;
    std::string err;
};

class ReplayProgram : public GameTest {
  protected:
    // Runs carblast-replay with the arguments, from the scratch directory.
    ProgramRun run(const std::string& arguments) const {
        const std::filesystem::path out = dir->path() / "stdout.txt";
        const std::filesystem::path err = dir->path() / "stderr.txt";
        const std::string command = std::string("'") + CARBLAST_REPLAY_PATH + "' " + arguments +
                                    " >'" + out.string() + "' 2>'" + err.string() + "'";
        const int status = std::system(command.c_str());
        const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return ProgramRun{code, read_all(out), read_all(err)};
    }
    bool exists(const std::string& relative) const {
        return std::filesystem::exists(dir->path() / relative);
    }
};

TEST_F(ReplayProgram, AMalformedScriptRunsNothingAndExitsWithTwo) {
    write_game_files(*dir, target_level());
    dir->write("bad.txt", "# turn, then fire\n50 press Right\n60 fire\n1000 end\n");
    const ProgramRun r =
        run("--data . --script bad.txt --png out.png --level-out out.dat --trace out.jsonl");
    EXPECT_EQ(r.exit_code, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("bad.txt:3:4: unknown entry 'fire'"), std::string::npos) << r.err;
    EXPECT_FALSE(exists("out.png"));
    EXPECT_FALSE(exists("out.dat"));
    EXPECT_FALSE(exists("out.jsonl"));
}

TEST_F(ReplayProgram, BadArgumentsExitWithTwo) {
    dir->write("ok.txt", "10 end\n");
    for (const char* arguments :
         {"--speed 2", "--script", "--script ok.txt --script ok.txt", "--script missing.txt",
          "--data no-such-directory --trace t.jsonl"}) {
        const ProgramRun r = run(arguments);
        EXPECT_EQ(r.exit_code, 2) << arguments;
        EXPECT_EQ(r.out, "") << arguments;
        EXPECT_NE(r.err.find("carblast-replay: "), std::string::npos) << arguments;
    }
    EXPECT_FALSE(exists("t.jsonl"));
}

TEST_F(ReplayProgram, ReportsTheOutcomeTheTraceTheScreenAndTheLevel) {
    // The data lie below a directory of their own; outputs are named from
    // where the program starts.
    ScratchDir data;
    write_game_files(data, target_level());
    dir->write("shot.txt", SHOT_SCRIPT);
    const ProgramRun r = run("--data '" + data.path().string() +
                             "' --script shot.txt --png out.png --level-out out.dat "
                             "--trace out.jsonl");
    ASSERT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out, std::string(SHOT_OUTCOME) + "\n");
    EXPECT_EQ(r.err, "");

    // The same run in this process gives the screen and the level to compare.
    std::filesystem::current_path(data.path());
    ReplayScript script;
    ScriptError error;
    ASSERT_TRUE(parse_replay_script(SHOT_SCRIPT, script, error));
    const ReplayOutcome outcome = run_replay(&script, nullptr);
    ASSERT_EQ(outcome_json(outcome), SHOT_OUTCOME);
    std::filesystem::current_path(dir->path());

    // Trace: one line per frame, the last one the state of the outcome.
    std::istringstream trace(read_all(dir->path() / "out.jsonl"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(trace, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 15U);
    EXPECT_EQ(lines[0],
              "{\"frame\":1,\"time_ms\":2,\"car\":{\"x\":1,\"y\":1,\"direction\":1,"
              "\"anim_frame\":2},\"projectile\":{\"x\":0,\"y\":0,\"direction\":0,\"life\":0},"
              "\"score\":0}");
    EXPECT_EQ(lines[8],
              "{\"frame\":9,\"time_ms\":802,\"car\":{\"x\":1,\"y\":1,\"direction\":3,"
              "\"anim_frame\":2},\"projectile\":{\"x\":20,\"y\":3,\"direction\":3,\"life\":0},"
              "\"score\":15}");
    const std::string summary(SHOT_OUTCOME);
    const std::string state = summary.substr(summary.find("\"car\""));
    EXPECT_EQ(lines.back().substr(lines.back().find("\"car\"")), state);

    // Level: the file the game would load, with the hole in it.
    const std::string level_text = read_all(dir->path() / "out.dat");
    EXPECT_EQ(level_text, level_out_text(level_map));
    EXPECT_EQ(std::count(level_text.begin(), level_text.end(), '\n'), MAP_H);
    const LevelMap blasted = level_map;
    level_map = LevelMap{};
    load_level_map((dir->path() / "out.dat").string().c_str());
    EXPECT_EQ(level_map.cells, blasted.cells);
    EXPECT_EQ(level_cell(level_map, 20, 3), CELL_FLOOR);
    EXPECT_EQ(level_cell(level_map, 23, 3), 7);

    // Screen: an 8-bit palette image of the VGA colours, pixel for pixel
    // the framebuffer as last shown.
    const std::string png = read_all(dir->path() / "out.png");
    ASSERT_GT(png.size(), 33U);
    EXPECT_EQ(png[24], 8);  // bit depth
    EXPECT_EQ(png[25], 3);  // colour type: palette
    const size_t plte = png.find("PLTE");
    ASSERT_NE(plte, std::string::npos);
    EXPECT_EQ(static_cast<uint8_t>(png[plte - 2]) * 256 + static_cast<uint8_t>(png[plte - 1]),
              3 * PALETTE_SIZE);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    ASSERT_NE(png_image_begin_read_from_memory(&image, png.data(), png.size()), 0) << image.message;
    ASSERT_EQ(image.width, static_cast<png_uint_32>(SCREEN_W));
    ASSERT_EQ(image.height, static_cast<png_uint_32>(SCREEN_H));
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_NE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr), 0) << image.message;
    const uint8_t* shown = screen_framebuffer();
    int32_t wrong = 0;
    for (size_t i = 0; i < static_cast<size_t>(SCREEN_BYTES); ++i) {
        const PaletteColour& c = VGA_PALETTE[shown[i]];
        if (rgb[3 * i] != c.r || rgb[3 * i + 1] != c.g || rgb[3 * i + 2] != c.b) {
            ++wrong;
        }
    }
    EXPECT_EQ(wrong, 0);
    // The hole: canvas cell (20, 3) is floor, drawn in colour 1.
    EXPECT_EQ(shown[(3 * 8) * SCREEN_W + 20 * 8], CELL_FLOOR);
}

}  // namespace
