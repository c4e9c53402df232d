// The installed game: cmake --install into a temporary prefix and the Debian
// package unpacked into a temporary root, each started through its launcher
// from an unrelated directory, played until Esc.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "data/level_map.h"
#include "platform/vga_palette.h"
#include "x_harness.h"

namespace {

bool is_file(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The one package file cpack made in dir, or "" when there is not exactly one.
std::string only_deb(const std::string& dir) {
    std::string found;
    int32_t count = 0;
    if (DIR* d = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name.rfind("carblast_", 0) == 0 &&
                name.compare(name.size() - 4, 4, ".deb") == 0) {
                found = dir + "/" + name;
                ++count;
            }
        }
        closedir(d);
    }
    return count == 1 ? found : "";
}

class Installed : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(xh::start_xvfb(session, 1280, 1024, error)) << error;
        elsewhere = xh::make_temp_dir(session, "cwd");
        ASSERT_FALSE(elsewhere.empty());
    }

    void TearDown() override { xh::end_session(session); }

    // What every installed tree holds below its prefix.
    void expect_layout(const std::string& prefix, const std::string& launcher_in_entry) {
        for (const char* file :
             {"bin/carblast", "bin/carblast-check", "bin/carblast-replay", "bin/carblast-launcher",
              "share/carblast/dat/map/lev1.dat", "share/carblast/dat/font.dat",
              "share/carblast/dat/sprites/car.dat", "share/carblast/dat/sprites/wall.dat",
              "share/carblast/dat/sprites/proj.dat", "share/applications/carblast.desktop",
              "share/icons/hicolor/48x48/apps/carblast.png",
              "share/icons/hicolor/256x256/apps/carblast.png"}) {
            EXPECT_TRUE(is_file(prefix + "/" + file)) << file;
        }
        EXPECT_EQ(access((prefix + "/bin/carblast-launcher").c_str(), X_OK), 0);
        const std::string entry = read_file(prefix + "/share/applications/carblast.desktop");
        EXPECT_NE(entry.find("Exec=\"" + launcher_in_entry + "\""), std::string::npos) << entry;
        EXPECT_NE(entry.find("Icon=carblast\n"), std::string::npos) << entry;
        std::string out;
        int code = -1;
        EXPECT_TRUE(xh::run(
            session,
            {"/usr/bin/desktop-file-validate", prefix + "/share/applications/carblast.desktop"},
            out, code));
        EXPECT_EQ(code, 0) << out;
    }

    // Starts the launcher from a directory without data: the game must
    // still find its level, which shows on the screen; Esc ends it.
    void play_until_esc(const std::string& prefix) {
        load_level_map((prefix + "/share/carblast/dat/map/lev1.dat").c_str());
        const int32_t wall = level_cell(level_map, 0, 2);
        ASSERT_GT(wall, 0);
        const PaletteColour& c = VGA_PALETTE[static_cast<size_t>(wall & 0xFF)];
        ASSERT_TRUE(xh::spawn(session, game, {prefix + "/bin/carblast-launcher"}, elsewhere));
        const Window window = xh::find_window(session, "carblast", xh::START_TIMEOUT_MS);
        ASSERT_NE(window, 0U) << xh::output_of(game);
        ASSERT_TRUE(xh::focus(session, window));
        bool level_shown = false;
        for (int32_t attempt = 0; attempt < 500 && !level_shown && xh::running(game); ++attempt) {
            const xh::Image image = xh::screenshot(session, window);
            level_shown = image.width == 640 && image.at(4, 2 * 8 + 4) == (xh::Rgb{c.r, c.g, c.b});
        }
        EXPECT_TRUE(level_shown) << "the level did not show";
        ASSERT_TRUE(xh::xdotool(session, {"keydown", "Escape"}));
        ASSERT_TRUE(xh::wait_exit(game, xh::STEP_TIMEOUT_MS)) << xh::output_of(game);
        xh::xdotool(session, {"keyup", "Escape"});
        EXPECT_TRUE(WIFEXITED(game.status) && WEXITSTATUS(game.status) == 0)
            << "status " << game.status << "\n"
            << xh::output_of(game);
        EXPECT_TRUE(xh::wait_window_gone(session, window, 1000));
    }

    xh::Session session;
    xh::Child game;
    std::string elsewhere;
};

TEST_F(Installed, CmakeInstallIntoAPrefixPlaysFromItsLauncher) {
    const std::string prefix = xh::make_temp_dir(session, "prefix");
    std::string out;
    int code = -1;
    ASSERT_TRUE(xh::run(session,
                        {CARBLAST_CMAKE, "--install", CARBLAST_BINARY_DIR, "--prefix", prefix}, out,
                        code, 120'000));
    ASSERT_EQ(code, 0) << out;
    expect_layout(prefix, prefix + "/bin/carblast-launcher");
    play_until_esc(prefix);
}

TEST_F(Installed, DebianPackageHoldsTheGameAndPlays) {
    const std::string packages = xh::make_temp_dir(session, "deb");
    std::string out;
    int code = -1;
    ASSERT_TRUE(xh::run(
        session,
        {CARBLAST_CPACK, "--config", CARBLAST_BINARY_DIR "/CPackConfig.cmake", "-B", packages}, out,
        code, 300'000));
    ASSERT_EQ(code, 0) << out;
    const std::string deb = only_deb(packages);
    ASSERT_FALSE(deb.empty()) << out;
    ASSERT_TRUE(xh::run(session, {"/usr/bin/dpkg-deb", "--field", deb, "Depends"}, out, code));
    EXPECT_NE(out.find("libsdl2-2.0-0"), std::string::npos) << out;
    // Unpacked where dpkg would put it, below a root of its own.
    const std::string root = xh::make_temp_dir(session, "root");
    ASSERT_TRUE(xh::run(session, {"/usr/bin/dpkg-deb", "-x", deb, root}, out, code));
    ASSERT_EQ(code, 0) << out;
    expect_layout(root + "/usr", "/usr/bin/carblast-launcher");
    play_until_esc(root + "/usr");
}

}  // namespace
