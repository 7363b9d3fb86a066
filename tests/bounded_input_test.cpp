#include <bounded_input/json.hpp>
#include <bounded_input/line.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>

using bounded_input::JsonError;
using bounded_input::kMaxJsonDepth;

namespace {

std::string nested_arrays(int depth) { return std::string(depth, '[') + std::string(depth, ']'); }

std::string error_of(const std::string& text) {
    try {
        bounded_input::parse_json(text);
    } catch (const JsonError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(BoundedJson, DepthIsLimitedAtParsing) {
    EXPECT_EQ(bounded_input::parse_json(nested_arrays(kMaxJsonDepth)).dump(), nested_arrays(kMaxJsonDepth));
    const std::string deep_object = R"({"a":)" + nested_arrays(kMaxJsonDepth) + "}";
    EXPECT_NE(error_of(deep_object).find("nested more than 64 levels deep"), std::string::npos);
    // A batch line of 100,000 nested arrays once overflowed the stack.
    EXPECT_NE(error_of(nested_arrays(100'000)).find("nested more than"), std::string::npos);
}

TEST(BoundedJson, ParserMessagesStayShort) {
    // The parser quotes the last token it read: here the whole rest of the line.
    const std::string unterminated = "{\"買受人\": \"" + std::string(1 << 20, 'x');
    const std::string message = error_of(unterminated);
    EXPECT_NE(message.find("syntax error"), std::string::npos) << message;
    EXPECT_LT(message.size(), 300u);
    EXPECT_EQ(message.find("[json.exception"), std::string::npos) << message;
    EXPECT_EQ(error_of(std::string("{}\0{\"junk", 8)), "the text holds a NUL byte") << "not read as {}";
}

TEST(BoundedJson, AKeyNamedTwiceInOneObjectIsRefusedWithItsPlace) {
    // The parser kept the last of the two, silently.
    const std::string request = R"({"買受人": "甲", "數量": [1], "買受人": "乙"})";
    try {
        bounded_input::parse_json(request);
        ADD_FAILURE() << "accepted";
    } catch (const bounded_input::DuplicateKeyError& error) {
        EXPECT_EQ(error.key(), "買受人");
        EXPECT_EQ(error.pointer(), "");
        EXPECT_STREQ(error.what(), "the key \"買受人\" appears twice in one object");
    }
    EXPECT_EQ(error_of(R"([{"a": 1}, {"b": {"c/~": [{}, {"d": 1, "d": 2}]}}])"),
              R"(the key "d" appears twice in one object (at /1/b/c~1~0/1))");
    // The same key in different objects, or at different depths, is no fault.
    EXPECT_EQ(bounded_input::parse_json(R"([{"a": {"a": 1}}, {"a": [{"a": 2}]}])").dump(),
              R"([{"a":{"a":1}},{"a":[{"a":2}]}])");
}

// The parser's callback builder searched the whole array at the end of each object: a
// plan of 200,000 entries took 40 s to parse, 400,000 took four minutes.
TEST(BoundedJson, AnArrayOfManyObjectsIsParsedInLinearTime) {
    std::string plan = "[";
    for (int i = 0; i < 100'000; ++i) plan += std::string(i ? "," : "") + R"({"old_text": "{P)" + std::to_string(i) + R"(}"})";
    plan += "]";
    const auto start = std::chrono::steady_clock::now();
    const nlohmann::json parsed = bounded_input::parse_json(plan);
    // Seconds in a sanitizer build on a busy machine; the quadratic search took many minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    ASSERT_EQ(parsed.size(), 100'000u);
    EXPECT_EQ(parsed[99'999]["old_text"], "{P99999}");
}

TEST(BoundedText, CutsOnCharacterBoundariesWithEllipsis) {
    EXPECT_EQ(bounded_input::cut("short", 10), "short");
    EXPECT_EQ(bounded_input::cut("abcdef", 3), "abc…");
    // 王 is three bytes: a cut after four bytes keeps one whole character.
    EXPECT_EQ(bounded_input::cut("王小明", 4), "王…");
    EXPECT_EQ(bounded_input::cut("王小明", 2), "…");

    // Bytes that are not UTF-8 print as U+FFFD instead of throwing, as dump() would.
    const nlohmann::json value = {{"買受人", std::string("\xFF") + std::string(5000, 'a')}};
    const std::string excerpt = bounded_input::excerpt(value);
    EXPECT_EQ(excerpt.rfind("{\"買受人\":\"\xEF\xBF\xBD", 0), 0u) << excerpt;
    EXPECT_TRUE(excerpt.ends_with("…"));
    EXPECT_LE(excerpt.size(), bounded_input::kLogValueBytes + 3);
}

TEST(BoundedLine, AnOverLongLineIsReadPastWithoutBeingHeld) {
    constexpr std::size_t kLimit = 16;
    std::istringstream in("first\n\n" + std::string(kLimit, 'a') + "\n" + std::string(100 * kLimit, 'x') +
                          "\nlast");
    std::string line;
    using bounded_input::LineRead;
    using bounded_input::read_line;
    EXPECT_EQ(read_line(in, line, kLimit), LineRead::line);
    EXPECT_EQ(line, "first");
    EXPECT_EQ(read_line(in, line, kLimit), LineRead::line);
    EXPECT_EQ(line, "");
    EXPECT_EQ(read_line(in, line, kLimit), LineRead::line) << "the limit itself is a line";
    EXPECT_EQ(line, std::string(kLimit, 'a'));
    EXPECT_EQ(read_line(in, line, kLimit), LineRead::too_long);
    EXPECT_EQ(line, "");
    EXPECT_LE(line.capacity(), 2 * kLimit) << "the over-long line was held whole";
    EXPECT_EQ(read_line(in, line, kLimit), LineRead::line) << "reading goes on after it";
    EXPECT_EQ(line, "last");
    EXPECT_EQ(read_line(in, line, kLimit), LineRead::end);
}
