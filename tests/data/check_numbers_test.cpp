// carblast-check numbers, run as the program it is.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "data_files.h"

namespace {

struct ToolRun {
    int exit_code;
    std::string out;
    std::string err;
};

class CheckNumbers : public DataFilesTest {
  protected:
    ToolRun run(const std::string& args) {
        const std::string err_path = (folder_ / "stderr.txt").string();
        const std::string command =
            std::string("'") + CARBLAST_CHECK + "' numbers " + args + " 2>'" + err_path + "'";
        ToolRun result{-1, {}, {}};
        std::FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) {
            ADD_FAILURE() << "cannot run " << command;
            return result;
        }
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            result.out.append(buffer, n);
        }
        const int status = pclose(pipe);
        result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::ifstream err(err_path);
        std::stringstream text;
        text << err.rdbuf();
        result.err = text.str();
        return result;
    }
};

struct CheckCase {
    const char* name;
    const char* file;
    const char* options;
    const char* out;
};

TEST_F(CheckNumbers, PrintsWhatTheReaderGives) {
    const CheckCase cases[] = {
        {"while_bytes_remain", "1,2,\n3", "", "1\n2\n0\n3\n"},
        {"trailing_comma_adds_nothing_at_the_end", "1,2,", "", "1\n2\n"},
        {"empty_file", "", "", ""},
        {"count_reads_past_the_end", "1,2", "--count 4", "1\n2\n0\n0\n"},
        {"count_stops_early", "1,2,3", "--count 2", "1\n2\n"},
        {"count_zero", "1", "--count 0", ""},
        {"unsigned", "&HFFFFFFFF,-1,5", "--unsigned", "4294967295\n4294967295\n5\n"},
        {"both_options", "-2", "--unsigned --count 2", "4294967294\n0\n"},
        {"signed", "&HFFFFFFFF", "", "-1\n"},
    };
    for (const CheckCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = write_file("numbers.dat", c.file);
        const ToolRun result = run("'" + path + "' " + c.options);
        EXPECT_EQ(result.exit_code, 0);
        EXPECT_EQ(result.out, c.out);
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CheckNumbers, FileThatCannotBeOpenedIsNamedAndExitsWith2) {
    for (const std::string& path : {missing_file(), folder_.string()}) {
        const ToolRun result = run("'" + path + "'");
        EXPECT_EQ(result.exit_code, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find(path), std::string::npos) << result.err;
    }
}

TEST_F(CheckNumbers, WrongArgumentsAreRefused) {
    const std::string path = write_file("numbers.dat", "1");
    for (const std::string& args : {std::string(), "'" + path + "' --count",
                                    "'" + path + "' --count -1", "'" + path + "' --count 2x",
                                    "'" + path + "' --signed", "'" + path + "' '" + path + "'"}) {
        SCOPED_TRACE(args);
        const ToolRun result = run(args);
        EXPECT_EQ(result.exit_code, 64);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("usage"), std::string::npos);
    }
}

}  // namespace
