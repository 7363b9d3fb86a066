#include <plan.hpp>

#include <bounded_input/json.hpp>

#include <gtest/gtest.h>

#include <limits>
#include <string>

using docx_loom::cli::PlanError;
using docx_loom::cli::read_plan;

namespace {

std::string error_of(const std::string& entry_json) {
    try {
        read_plan(nlohmann::json::parse("[{\"old_text\": \"a\", \"new_text\": \"b\"}, " + entry_json + "]"));
    } catch (const PlanError& error) {
        return error.what();
    }
    return "";
}

}  // namespace

TEST(PlanReader, ValuesTheDocumentCannotHoldAreRefusedNamingEntryAndKey) {
    struct Case {
        std::string options;
        std::string message;
    };
    const Case cases[] = {
        // Once read as an int: 4294967551 wrapped to 255 and was written as FF0000.
        {R"("font_color": [4294967551, 0, 0])", R"(key "font_color", must be [red, green, blue] of whole numbers from 0 to 255, not [4294967551,0,0])"},
        {R"("font_color": [-1, 0, 0])", "[-1,0,0]"},
        {R"("font_color": [1.5, 0, 0])", "[1.5,0,0]"},
        {R"("left_indent": 1e300)", R"(key "left_indent", must be a number of points from -1584 to 1584, not 1e+300)"},
        {R"("line_spacing": -5)", R"(key "line_spacing", must be a number of points from 0.05 to 1584)"},
        {R"("new_font_size": 1e14)", R"(key "new_font_size", must be a number of points from 0.5 to 3276)"},
        {R"("new_font_size": 0)", R"(key "new_font_size")"},
        {R"("remark_new_font_size": 3276.5)", R"(key "remark_new_font_size")"},
        {R"("new_text": [")" + std::string(200, 'x') + "\"]", "not [\"xxx"},
    };
    for (const auto& c : cases) {
        const std::string message = error_of("{\"old_text\": \"x\", \"new_text\": \"y\", " + c.options + "}");
        EXPECT_EQ(message.rfind("plan entry 2, ", 0), 0u) << c.options << ": " << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << c.options << ": " << message;
        EXPECT_LT(message.size(), 250u) << "the value is cut: " << message;
    }
}

TEST(PlanReader, AnInfiniteNumberIsNamedAsSuchNotAsNull) {
    // The parser refuses 1e400 in a plan's text; a value a program builds can still be infinite.
    auto plan = nlohmann::json::parse(R"([{"old_text": "a", "new_text": "b"}])");
    plan[0]["left_indent"] = std::numeric_limits<double>::infinity();
    try {
        read_plan(plan);
        ADD_FAILURE() << "an infinite indent was accepted";
    } catch (const PlanError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "plan entry 1, key \"left_indent\", must be a number of points from -1584 to 1584, "
                  "not a number too large");
    }
}

TEST(PlanReader, TheLimitsThemselvesAreAccepted) {
    const auto items = read_plan(nlohmann::json::parse(
        R"([{"old_text": "a", "new_text": "b", "font_color": [255, 0, 0], "new_font_size": 3276,
             "remark_new_font_size": 0.5, "left_indent": -1584, "line_spacing": 0.05},
            {"old_text": "c", "new_text": "d", "left_indent": null, "line_spacing": null}])"));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].options.font_color->red, 255);
    EXPECT_DOUBLE_EQ(items[0].options.new_font_size.pt(), 3276);
    EXPECT_DOUBLE_EQ(*items[0].options.left_indent, -1584);
    EXPECT_FALSE(items[1].options.left_indent);
}

TEST(PlanReader, AnEmptyOldTextIsRefused) {
    EXPECT_EQ(error_of(R"({"old_text": "", "new_text": "y"})"), R"(plan entry 2, key "old_text", must not be empty)");
    EXPECT_EQ(error_of(R"({"old_text": 0, "new_text": ""})"), "") << "the number 0 is the text \"0\"";
}
