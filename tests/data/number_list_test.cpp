#include "data/number_list.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data_files.h"

namespace {

using namespace std::string_literals;

constexpr int32_t LOW = -2147483647 - 1;
constexpr int32_t HIGH = 2147483647;

struct ReadCase {
    const char* name;
    std::optional<std::string> text;  // no text: the file does not exist
    std::vector<int32_t> numbers;     // the first reads, in order
};

// Shown in the names and messages of the cases.
void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.name;
}

std::string repeat(const std::string& piece, size_t times) {
    std::string out;
    for (size_t k = 0; k < times; ++k) {
        out += piece;
    }
    return out;
}

const std::vector<int32_t> LINE_BREAK_NUMBERS{1, 2, 0, 3, 4};

const ReadCase READ_CASES[] = {
    // The format's table of file texts.
    {"commas", "1,2,3", {1, 2, 3}},
    {"blanks", "1 2 3", {1, 2, 3}},
    {"tabs", "1\t2\t3", {1, 2, 3}},
    {"blank_before_comma", "1 , 2", {1, 2}},
    {"empty_field", "1,,2", {1, 0, 2}},
    {"comma_at_line_end", "1,\n2", {1, 0, 2}},
    {"empty_line", "1\n\n2", {1, 0, 2}},
    {"line_of_blanks", "1\n \n2", {1, 0, 2}},
    {"blank_before_line_break", "1 \n2", {1, 2}},
    {"reads_past_the_end", "1,2", {1, 2, 0, 0}},
    {"halves_to_even", "1.5, 2.5, -1.5, 0.5, 3.", {2, 2, -2, 0, 3}},
    {"exponents", "1E2, 1d2, 2.5e1", {100, 100, 25}},
    {"prefixes", "&H1F, &h1f, &O17, &B101, &HE", {31, 31, 15, 5, 14}},
    {"decimal_leading_part", "12abc, abc, 007, +7, -5", {12, 0, 7, 7, -5}},
    // Quotes.
    {"quoted", "\"5\",\"-12\"", {5, -12}},
    {"quoted_comma_is_text", "\"1,2\",7", {1, 7}},
    {"closing_quote_goes_on", "\"12\"3", {123}},
    {"quotes_keep_blanks", "\" 7\",\" &H10\",\" 1.5\",\"1\t\" 2", {7, 16, 2, 1, 2}},
    {"empty_quotes", "\"\" 5", {0, 5}},
    {"quote_inside_text", "1\"2\",4", {1, 4}},
    {"line_break_ends_open_quotes", "\"1 2\n3,\"4\r\n5", {1, 3, 4, 5}},
    // Line breaks of all three forms give the same numbers.
    {"cr_lf", "1\r\n2\r\n\r\n3 \r\n4", LINE_BREAK_NUMBERS},
    {"cr", "1\r2\r\r3 \r4", LINE_BREAK_NUMBERS},
    {"lf", "1\n2\n\n3 \n4", LINE_BREAK_NUMBERS},
    {"separator_step", "1 \t,2\t\r\n3 \r4 ,,5 x", {1, 2, 3, 4, 0, 5, 0}},
    {"blank_after_line_break", "1\r 2", {1, 2}},
    {"byte_order_mark",
     "\xEF\xBB\xBF"
     "5,6",
     {0, 6}},
    {"missing_file", std::nullopt, {0, 0, 0}},
    // Conversions at their edges.
    {"not_a_prefix", "0x1F, &X5, &H, &H-1, &HFFFFFFFF, &HG", {0, 0, 0, 0, -1, 0}},
    {"d_after_ampersand_is_a_digit", "&HD,&H1d,&B1d", {13, 29, 1}},
    {"fraction_forms",
     "1E, 1e+, .5, ., -.5, 1.5e+1, 2.5D-1, 1..5, -, +.",
     {1, 1, 0, 0, 0, 15, 0, 1, 0, 0}},
    {"rounded_as_a_double",
     "2.5000000000000001, 2.500000000000001, 0.50000000000000000000000000001",
     {2, 3, 0}},
    // Values beyond 32 bits: decimal and fractional saturate, prefixed keep
    // their low bits.
    {"decimal_saturates",
     "2147483647,2147483648,-2147483648,-2147483649,99999999999999999999,-99999999999999999999",
     {HIGH, HIGH, LOW, LOW, HIGH, LOW}},
    {"fractional_saturates",
     "2147483647.4,2147483647.5,-2147483648.5,-2147483649.5,1e10,-1e10,1e400,-1e400,1e-400,"
     "1e0000000000000000000000000000000000000000000000000009",
     {HIGH, HIGH, LOW, LOW, HIGH, LOW, HIGH, LOW, 0, 1000000000}},
    {"prefixed_keeps_low_bits",
     "&H1FFFFFFFF,&H100000005,&O77777777777,&B" + repeat("0", 40) + "11,&B1" + repeat("0", 32) +
         "1",
     {-1, 5, -1, 3, 1}},
    // A text stops at 67 characters; the rest of its field is skipped.
    {"text_of_67_characters", repeat("0", 66) + "5," + repeat("0", 67) + "5,9", {5, 0, 9}},
    {"overlong_decimal", "-" + repeat("0", 66) + "123,7", {0, 7}},
    {"overlong_quoted_commas", "\"1" + repeat(",", 70) + "\",4", {1, 4}},
    {"overlong_then_blank", "1" + repeat("0", 70) + "  , 3", {HIGH, 3}},
    {"overlong_then_line_break", repeat("2", 70) + "\r\n6", {HIGH, 6}},
    {"overlong_fraction", "0." + repeat("0", 64) + "9" + "9e70,8", {0, 8}},
    // Bytes 26 and 0 are text like any other.
    {"byte_26_and_nul",
     "1,\x1a,2\x1a"
     "3,4\0"
     "5,6"s,
     {1, 0, 2, 4, 6}},
};

class NumberListRead : public DataFilesTest, public ::testing::WithParamInterface<ReadCase> {};

std::vector<int32_t> read_ints(NumberListReader& reader, size_t count) {
    std::vector<int32_t> out;
    for (size_t k = 0; k < count; ++k) {
        out.push_back(reader.read_int());
    }
    return out;
}

TEST_P(NumberListRead, GivesTheNumbersInOrder) {
    const ReadCase& c = GetParam();
    const std::string path = c.text ? write_file("numbers.dat", *c.text) : missing_file();

    NumberListReader reader;
    EXPECT_EQ(reader.open(path.c_str()), c.text.has_value());
    EXPECT_EQ(read_ints(reader, c.numbers.size()), c.numbers);
    reader.close();

    // read_uint gives the same 32 bits.
    reader.open(path.c_str());
    for (const int32_t expected : c.numbers) {
        EXPECT_EQ(reader.read_uint(), static_cast<uint32_t>(expected));
    }
    reader.close();

    // The fuzz targets feed bytes from memory: they must read alike.
    if (c.text) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.text->data());
        reader.open_bytes(bytes, c.text->size());
        EXPECT_EQ(read_ints(reader, c.numbers.size()), c.numbers);
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, NumberListRead, ::testing::ValuesIn(READ_CASES),
                         [](const ::testing::TestParamInfo<ReadCase>& param) {
                             return std::string(param.param.name);
                         });

class NumberListFile : public DataFilesTest {};

TEST_F(NumberListFile, BackslashesOpenTheFileBelowItsFolders) {
    write_file("dat/map/level.dat", "4,5");
    const std::string path = (folder_ / "dat").string() + "\\map\\level.dat";
    NumberListReader reader;
    ASSERT_TRUE(reader.open(path.c_str()));
    EXPECT_EQ(reader.read_int(), 4);
    EXPECT_EQ(reader.read_int(), 5);
}

TEST_F(NumberListFile, AFolderOrAMissingFileReadsZerosAndHasNoMore) {
    NumberListReader reader;
    for (const std::string& path : {missing_file(), folder_.string()}) {
        EXPECT_FALSE(reader.open(path.c_str())) << path;
        EXPECT_FALSE(reader.has_more());
        EXPECT_EQ(reader.read_int(), 0);
        EXPECT_EQ(reader.last.ended_by, NUMBER_END_NONE);
    }
}

TEST_F(NumberListFile, OpeningAgainStartsTheNewFileFromItsFront) {
    const std::string first = write_file("a.dat", "1,2,3");
    const std::string second = write_file("b.dat", "7,8");
    NumberListReader reader;
    reader.open(first.c_str());
    EXPECT_EQ(reader.read_int(), 1);
    reader.open(second.c_str());
    EXPECT_EQ(reader.read_int(), 7);
    EXPECT_EQ(reader.last.line, 1);
    EXPECT_EQ(reader.last.column, 1);
    reader.close();
    EXPECT_EQ(reader.read_int(), 0);
}

// The reader takes its file in chunks; a line break or a separator step that
// straddles two chunks must read as if the file were one piece.
TEST_F(NumberListFile, LineBreaksAcrossChunkBoundaries) {
    for (const std::string tail : {"8\r\n9", "8 \r\n9", "8  \r\n9", "8\t \t,9"}) {
        for (size_t sevens = NUMBER_READER_CHUNK / 2 - 6; sevens < NUMBER_READER_CHUNK / 2 + 2;
             ++sevens) {
            SCOPED_TRACE(testing::Message() << sevens << " sevens, then a tail of " << tail.size());
            const std::string path = write_file("big.dat", repeat("7,", sevens) + tail);
            NumberListReader reader;
            reader.open(path.c_str());
            std::vector<int32_t> expected(sevens, 7);
            expected.push_back(8);
            expected.push_back(9);
            std::vector<int32_t> got;
            while (reader.has_more()) {
                got.push_back(reader.read_int());
            }
            EXPECT_EQ(got, expected);
        }
    }
}

// What the companion tools learn about each field.
struct FieldCase {
    const char* text;
    int32_t line;
    int32_t column;
    NumberEnd ended_by;
    NumberEnd separator;
    NumberKind kind;
    bool well_formed;
};

TEST(NumberListInfo, TellsWhereEachFieldStandsAndHowItEnded) {
    const std::string file = "12, \"3,4\" \r\n&HZ\t,\n\"5";
    const FieldCase fields[] = {
        {"12", 1, 1, NUMBER_END_COMMA, NUMBER_END_NONE, NUMBER_DECIMAL, true},
        {"3,4", 1, 5, NUMBER_END_BLANK, NUMBER_END_LINE_BREAK, NUMBER_DECIMAL, false},
        {"&HZ", 2, 1, NUMBER_END_BLANK, NUMBER_END_COMMA, NUMBER_PREFIXED, false},
        {"", 2, 6, NUMBER_END_LINE_BREAK, NUMBER_END_NONE, NUMBER_EMPTY, false},
        {"5", 3, 1, NUMBER_END_FILE, NUMBER_END_NONE, NUMBER_DECIMAL, true},
    };
    NumberListReader reader;
    reader.open_bytes(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    for (const FieldCase& f : fields) {
        SCOPED_TRACE(f.text);
        reader.read_int();
        const NumberInfo& info = reader.last;
        EXPECT_EQ(std::string(info.text, static_cast<size_t>(info.length)), f.text);
        EXPECT_EQ(info.line, f.line);
        EXPECT_EQ(info.column, f.column);
        EXPECT_EQ(info.ended_by, f.ended_by);
        EXPECT_EQ(info.separator, f.separator);
        EXPECT_EQ(info.value.kind, f.kind);
        EXPECT_EQ(info.value.well_formed, f.well_formed);
    }
    EXPECT_TRUE(reader.last.quoted);
    EXPECT_TRUE(reader.last.quote_open);
    EXPECT_FALSE(reader.has_more());
}

TEST(NumberListInfo, MarksOverlongFieldsAndSaturatedValues) {
    const std::string file = repeat("1", 67) + "," + repeat("1", 68) + ",&H100000000";
    NumberListReader reader;
    reader.open_bytes(reinterpret_cast<const unsigned char*>(file.data()), file.size());
    reader.read_int();
    EXPECT_EQ(reader.last.length, NUMBER_MAX_CHARS);
    EXPECT_FALSE(reader.last.overlong);
    EXPECT_TRUE(reader.last.value.saturated);
    reader.read_int();
    EXPECT_EQ(reader.last.length, NUMBER_MAX_CHARS);
    EXPECT_TRUE(reader.last.overlong);
    EXPECT_EQ(reader.last.start, 68);
    EXPECT_EQ(reader.last.end, 68 + 69);
    EXPECT_EQ(reader.read_int(), 0);
    EXPECT_TRUE(reader.last.value.saturated);
}

}  // namespace
