// carblast-replay: plays a scripted game without a window and reports it.
//
//   carblast-replay [--data DIR] [--script FILE] [--png FILE] [--level-out FILE]
//                   [--trace FILE]
//
// Exit codes: 0 done; 1 an output could not be written; 2 bad arguments, an
// unreadable or malformed script, or a data directory that cannot be entered
// (nothing is run then).
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "data/level_map.h"
#include "platform/display.h"
#include "replay_run.h"
#include "replay_script.h"

namespace {

constexpr const char* USAGE =
    "usage: carblast-replay [--data DIR] [--script FILE] [--png FILE] [--level-out FILE] "
    "[--trace FILE]\n";

struct Options {
    std::optional<std::string> data;
    std::optional<std::string> script;
    std::optional<std::string> png;
    std::optional<std::string> level_out;
    std::optional<std::string> trace;
};

int usage_error(const std::string& message) {
    std::fprintf(stderr, "carblast-replay: %s\n%s", message.c_str(), USAGE);
    return 2;
}

// Output paths are taken from the directory the tool was started in, not
// from the data directory the run moves into.
std::string absolute_path(const std::string& path) {
    std::error_code ignored;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.empty() ? path : absolute.string();
}

bool read_file(const std::string& path, std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    std::array<char, 65536> buffer{};
    size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0) {
        text.append(buffer.data(), got);
    }
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

bool write_text_file(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(USAGE, stdout);
            return 0;
        }
        std::optional<std::string>* slot = nullptr;
        if (arg == "--data") {
            slot = &options.data;
        } else if (arg == "--script") {
            slot = &options.script;
        } else if (arg == "--png") {
            slot = &options.png;
        } else if (arg == "--level-out") {
            slot = &options.level_out;
        } else if (arg == "--trace") {
            slot = &options.trace;
        } else {
            return usage_error("unknown argument '" + std::string(arg) + "'");
        }
        if (i + 1 >= argc) {
            return usage_error(std::string(arg) + " needs a value");
        }
        if (slot->has_value()) {
            return usage_error(std::string(arg) + " is given twice");
        }
        *slot = argv[++i];
    }

    ReplayScript script;
    if (options.script) {
        std::string text;
        if (!read_file(*options.script, text)) {
            std::fprintf(stderr, "carblast-replay: %s: cannot read the script: %s\n",
                         options.script->c_str(), std::strerror(errno));
            return 2;
        }
        ScriptError error;
        if (!parse_replay_script(text, script, error)) {
            std::fprintf(stderr, "carblast-replay: %s:%d:%d: %s\n", options.script->c_str(),
                         error.line, error.column, error.message.c_str());
            return 2;
        }
    }

    const std::optional<std::string> trace_path =
        options.trace ? std::optional(absolute_path(*options.trace)) : std::nullopt;
    const std::optional<std::string> png =
        options.png ? std::optional(absolute_path(*options.png)) : std::nullopt;
    const std::optional<std::string> level_out =
        options.level_out ? std::optional(absolute_path(*options.level_out)) : std::nullopt;
    if (options.data && chdir(options.data->c_str()) != 0) {
        std::fprintf(stderr, "carblast-replay: %s: cannot enter the data directory: %s\n",
                     options.data->c_str(), std::strerror(errno));
        return 2;
    }
    std::FILE* trace = nullptr;
    if (trace_path) {
        trace = std::fopen(trace_path->c_str(), "wb");
        if (trace == nullptr) {
            std::fprintf(stderr, "carblast-replay: %s: cannot write the trace: %s\n",
                         options.trace->c_str(), std::strerror(errno));
            return 1;
        }
    }

    const ReplayOutcome outcome = run_replay(options.script ? &script : nullptr, trace);

    int status = 0;
    if (trace != nullptr) {
        const bool write_failed = std::ferror(trace) != 0;
        if (std::fclose(trace) != 0 || write_failed) {
            std::fprintf(stderr, "carblast-replay: %s: cannot write the trace\n",
                         options.trace->c_str());
            status = 1;
        }
    }
    std::printf("%s\n", outcome_json(outcome).c_str());
    if (png) {
        std::string error;
        if (!write_screen_png(png->c_str(), screen_framebuffer(), error)) {
            std::fprintf(stderr, "carblast-replay: %s: cannot write the picture: %s\n",
                         options.png->c_str(), error.c_str());
            status = 1;
        }
    }
    if (level_out && !write_text_file(*level_out, level_out_text(level_map))) {
        std::fprintf(stderr, "carblast-replay: %s: cannot write the level\n",
                     options.level_out->c_str());
        status = 1;
    }
    if (std::fflush(stdout) != 0) {
        status = 1;
    }
    return status;
}
