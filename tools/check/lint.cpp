// carblast-check lint: the command line, the files to judge and the report.
#include "lint.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "check.h"
#include "game/frame_loop.h"
#include "lint_file.h"

namespace {

constexpr const char* USAGE =
    "usage: carblast-check lint [--data DIR] [--strict] [--kind level|font|sprite] [FILE...]";

constexpr const char* HELP =
    "Reads data files as the game does and reports, as file:line:column, what\n"
    "would go wrong silently in the game.\n"
    "\n"
    "  FILE...        the files to judge; without any, the game's five files below\n"
    "                 DIR/dat. A file named like one of them (lev1.dat, font.dat,\n"
    "                 car.dat, wall.dat, proj.dat) is judged as that file, any\n"
    "                 other by its content\n"
    "  --data DIR     the folder that holds dat/ (default: the current one)\n"
    "  --kind K       judge every FILE as a level, a font or a sprite\n"
    "  --strict       count warnings as errors\n"
    "\n"
    "Errors change what the game reads; warnings are values that show other than\n"
    "meant, which a level maker may intend. Exit code 0 without errors, 1 with\n"
    "one, 2 when a file cannot be read, 64 for wrong arguments.\n";

struct LintTarget {
    std::string path;
    LintKind kind;
    LintRole role;
    bool guessed;  // judged by its content
};

// The game's five files, each of a kind known by its name.
struct GameFile {
    const char* path;  // as the game opens it
    LintKind kind;
    LintRole role;
};
constexpr GameFile GAME_FILES[] = {
    {LEVEL_FILE, LINT_LEVEL, LINT_ANY_SPRITE},
    {FONT_FILE, LINT_FONT, LINT_ANY_SPRITE},
    {CAR_FILE, LINT_SPRITE, LINT_CAR},
    {WALL_FILE, LINT_SPRITE, LINT_ANY_SPRITE},
    {PROJECTILE_FILE, LINT_SPRITE, LINT_PROJECTILE},
};

// A game path with forward slashes, as the report shows it.
std::string shown_path(const char* path) {
    std::string shown = path;
    for (char& c : shown) {
        if (c == '\\') {
            c = '/';
        }
    }
    return shown;
}

int usage(const char* message, const char* argument) {
    std::fprintf(stderr, "carblast-check lint: %s%s%s\n%s\n", message, argument ? ": " : "",
                 argument ? argument : "", USAGE);
    return CHECK_USAGE;
}

const char* base_name(const char* path) {
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '/' || *p == '\\') {
            name = p + 1;
        }
    }
    return name;
}

const char* base_name(const std::string& path) {
    return base_name(path.c_str());
}

// A sprite file named like the game's car or projectile is held to their
// needs too, wherever it lies.
LintRole role_by_name(const std::string& path) {
    if (std::strcmp(base_name(path), "car.dat") == 0) {
        return LINT_CAR;
    }
    if (std::strcmp(base_name(path), "proj.dat") == 0) {
        return LINT_PROJECTILE;
    }
    return LINT_ANY_SPRITE;
}

// A file named like one of the game's five has that file's kind.
bool kind_by_name(const std::string& path, LintKind& kind, LintRole& role) {
    for (const GameFile& file : GAME_FILES) {
        if (std::strcmp(base_name(path), base_name(file.path)) == 0) {
            kind = file.kind;
            role = file.role;
            return true;
        }
    }
    return false;
}

bool parse_kind(const char* text, LintKind& kind) {
    if (std::strcmp(text, "level") == 0) {
        kind = LINT_LEVEL;
    } else if (std::strcmp(text, "font") == 0) {
        kind = LINT_FONT;
    } else if (std::strcmp(text, "sprite") == 0) {
        kind = LINT_SPRITE;
    } else {
        return false;
    }
    return true;
}

const char* kind_name(LintKind kind) {
    switch (kind) {
        case LINT_LEVEL:
            return "a level";
        case LINT_FONT:
            return "a font";
        case LINT_SPRITE:
            break;
    }
    return "a sprite";
}

std::string counted(int32_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int check_lint(int argc, char** argv) {
    std::string data_dir;
    bool strict = false;
    bool kind_given = false;
    LintKind kind = LINT_LEVEL;
    std::vector<std::string> files;
    for (int k = 0; k < argc; ++k) {
        const char* arg = argv[k];
        if (std::strcmp(arg, "--strict") == 0) {
            strict = true;
        } else if (std::strcmp(arg, "--data") == 0 || std::strcmp(arg, "--kind") == 0) {
            if (k + 1 == argc) {
                return usage("this option needs a value", arg);
            }
            const char* value = argv[++k];
            if (arg[2] == 'd') {
                data_dir = value;
            } else if (!parse_kind(value, kind)) {
                return usage("--kind takes level, font or sprite", value);
            } else {
                kind_given = true;
            }
        } else if (std::strcmp(arg, "--help") == 0) {
            std::printf("%s\n\n%s", USAGE, HELP);
            return CHECK_OK;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return usage("unknown option", arg);
        } else {
            files.emplace_back(arg);
        }
    }

    std::vector<LintTarget> targets;
    if (files.empty()) {
        for (const GameFile& file : GAME_FILES) {
            std::string path = data_dir;
            if (!path.empty() && path.back() != '/') {
                path += '/';
            }
            path += shown_path(file.path);
            targets.push_back(LintTarget{path, file.kind, file.role, false});
        }
    } else {
        for (const std::string& path : files) {
            LintTarget target{path, kind, LINT_ANY_SPRITE, !kind_given};
            if (!kind_given && kind_by_name(path, target.kind, target.role)) {
                target.guessed = false;
            } else {
                target.role = role_by_name(path);
            }
            targets.push_back(target);
        }
    }

    bool unreadable = false;
    int32_t errors = 0;
    int32_t warnings = 0;
    for (LintTarget& target : targets) {
        errno = 0;
        if (target.guessed && !guess_lint_kind(target.path.c_str(), target.kind)) {
            target.guessed = false;  // the open below fails and says so
        }
        const LintResult result =
            lint_file(target.path.c_str(), target.kind,
                      target.kind == LINT_SPRITE ? target.role : LINT_ANY_SPRITE);
        if (!result.readable) {
            const int error = errno;
            std::fprintf(stderr, "carblast-check lint: %s: cannot open: %s\n", target.path.c_str(),
                         error != 0 ? std::strerror(error) : "not a readable file");
            unreadable = true;
            continue;
        }
        if (target.guessed && !result.findings.empty()) {
            std::printf(
                "%s: note: judged as %s by its numbers; say --kind level, font or "
                "sprite if it is not\n",
                target.path.c_str(), kind_name(target.kind));
        }
        for (const LintFinding& finding : result.findings) {
            std::printf("%s:%d:%d: %s: %s\n", target.path.c_str(), finding.line, finding.column,
                        finding.severity == LINT_ERROR ? "error" : "warning",
                        finding.message.c_str());
        }
        errors += result.errors;
        warnings += result.warnings;
    }
    if (errors + warnings > 0) {
        std::printf("carblast-check lint: %s and %s%s\n",
                    counted(errors, "error", "errors").c_str(),
                    counted(warnings, "warning", "warnings").c_str(),
                    strict && warnings > 0 ? " (--strict counts warnings as errors)" : "");
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        std::fprintf(stderr, "carblast-check lint: cannot write the report: %s\n",
                     std::strerror(errno));
        return CHECK_OUTPUT_FAILED;
    }
    if (unreadable) {
        return CHECK_CANNOT_OPEN;
    }
    return errors > 0 || (strict && warnings > 0) ? LINT_FOUND_ERRORS : CHECK_OK;
}
