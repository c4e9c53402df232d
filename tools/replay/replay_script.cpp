#include "replay_script.h"

#include <array>

#include "platform/input.h"

namespace {

struct KeyName {
    std::string_view name;
    int32_t code;
};

// The keypad's 8, 2, 4 and 6 give the arrow codes, as the window does.
constexpr std::array<KeyName, 10> KEY_NAMES{{
    {"Esc", KEY_ESC},
    {"Ctrl", KEY_CTRL},
    {"Up", KEY_UP},
    {"Down", KEY_DOWN},
    {"Left", KEY_LEFT},
    {"Right", KEY_RIGHT},
    {"KP8", KEY_UP},
    {"KP2", KEY_DOWN},
    {"KP4", KEY_LEFT},
    {"KP6", KEY_RIGHT},
}};

struct ActionName {
    std::string_view name;
    ReplayAction action;
};

constexpr std::array<ActionName, 9> ACTION_NAMES{{
    {"press", REPLAY_PRESS},
    {"release", REPLAY_RELEASE},
    {"repeat", REPLAY_REPEAT},
    {"pointer", REPLAY_POINTER},
    {"close", REPLAY_CLOSE},
    {"focus-lost", REPLAY_FOCUS_LOST},
    {"focus-gained", REPLAY_FOCUS_GAINED},
    {"stall", REPLAY_STALL},
    {"end", REPLAY_END},
}};

struct Token {
    std::string_view text;
    int32_t column;  // from 1
};

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// Splits a line at blanks and tabs.
std::vector<Token> tokens_of(std::string_view line) {
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && is_blank(line[i])) {
            ++i;
        }
        const size_t start = i;
        while (i < line.size() && !is_blank(line[i])) {
            ++i;
        }
        if (i > start) {
            tokens.push_back({line.substr(start, i - start), static_cast<int32_t>(start) + 1});
        }
    }
    return tokens;
}

// A decimal number of digits only, no greater than limit; -1 otherwise.
int64_t decimal_value(std::string_view text, int64_t limit) {
    if (text.empty()) {
        return -1;
    }
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
        if (value > limit) {
            return -1;
        }
    }
    return value;
}

bool all_digits(std::string_view text) {
    if (text.empty()) {
        return false;
    }
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

// A token quoted for a message, cut short if it is long.
std::string quoted(std::string_view text) {
    constexpr size_t MAX_SHOWN = 40;
    std::string shown(text.substr(0, MAX_SHOWN));
    if (text.size() > MAX_SHOWN) {
        shown += "...";
    }
    return "'" + shown + "'";
}

bool fail(ScriptError& error, int32_t line, int32_t column, std::string message) {
    error.line = line;
    error.column = column;
    error.message = std::move(message);
    return false;
}

// A time or a length in milliseconds.
bool parse_ms(const Token& token, const char* what, int32_t line, int64_t& ms, ScriptError& error) {
    ms = decimal_value(token.text, REPLAY_MAX_MS);
    if (ms >= 0) {
        return true;
    }
    if (all_digits(token.text)) {
        return fail(error, line, token.column,
                    std::string(what) + " " + quoted(token.text) + " is out of range (0 to " +
                        std::to_string(REPLAY_MAX_MS) + " ms)");
    }
    return fail(error, line, token.column,
                std::string("expected ") + what + " in milliseconds, found " + quoted(token.text));
}

}  // namespace

int32_t replay_key_code(std::string_view word) {
    for (const KeyName& key : KEY_NAMES) {
        if (word == key.name) {
            return key.code;
        }
    }
    const int64_t code = decimal_value(word, KEY_CODE_COUNT - 1);
    return static_cast<int32_t>(code);
}

bool parse_replay_script(std::string_view text, ReplayScript& script, ScriptError& error) {
    script.entries.clear();
    int64_t previous_ms = 0;
    int32_t previous_line = 0;
    int32_t line_number = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++line_number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);  // a script written with CR LF line ends
        }
        const std::vector<Token> tokens = tokens_of(line);
        if (tokens.empty() || tokens[0].text.front() == '#') {
            continue;
        }

        ReplayEntry entry{0, REPLAY_END, 0, 0, line_number};
        if (!parse_ms(tokens[0], "a time", line_number, entry.at_ms, error)) {
            return false;
        }
        if (entry.at_ms < previous_ms) {
            return fail(error, line_number, tokens[0].column,
                        "time " + std::to_string(entry.at_ms) + " ms is earlier than " +
                            std::to_string(previous_ms) + " ms on line " +
                            std::to_string(previous_line) + "; times must not decrease");
        }
        if (tokens.size() < 2) {
            return fail(error, line_number, static_cast<int32_t>(line.size()) + 1,
                        "missing the entry after the time");
        }
        const Token& verb = tokens[1];
        bool known = false;
        for (const ActionName& a : ACTION_NAMES) {
            if (verb.text == a.name) {
                entry.action = a.action;
                known = true;
            }
        }
        if (!known) {
            return fail(error, line_number, verb.column,
                        "unknown entry " + quoted(verb.text) +
                            " (expected press, release, repeat, pointer, close, focus-lost, "
                            "focus-gained, stall or end)");
        }

        size_t used = 2;
        if (entry.action == REPLAY_PRESS || entry.action == REPLAY_RELEASE ||
            entry.action == REPLAY_REPEAT) {
            if (tokens.size() < 3) {
                return fail(error, line_number, static_cast<int32_t>(line.size()) + 1,
                            "missing the key after " + quoted(verb.text));
            }
            entry.scan_code = replay_key_code(tokens[2].text);
            if (entry.scan_code < 0) {
                return fail(error, line_number, tokens[2].column,
                            "unknown key " + quoted(tokens[2].text) +
                                " (expected Esc, Ctrl, Up, Down, Left, Right, KP8, KP2, KP4, "
                                "KP6 or a scan code 0 to 127)");
            }
            used = 3;
        } else if (entry.action == REPLAY_STALL) {
            if (tokens.size() < 3) {
                return fail(error, line_number, static_cast<int32_t>(line.size()) + 1,
                            "missing the stall's length in milliseconds");
            }
            if (!parse_ms(tokens[2], "a stall length", line_number, entry.stall_ms, error)) {
                return false;
            }
            used = 3;
        }
        if (tokens.size() > used) {
            return fail(error, line_number, tokens[used].column,
                        "unexpected " + quoted(tokens[used].text) + " after the entry");
        }
        previous_ms = entry.at_ms;
        previous_line = line_number;
        script.entries.push_back(entry);
    }
    return true;
}
