#include <bounded_input/json.hpp>

#include <i18n/tr.hpp>

#include <utility>
#include <vector>

namespace bounded_input {
namespace {

using Json = nlohmann::json;

// Thrown when a container opens deeper than kMaxJsonDepth.
struct TooDeep {};

// Builds the value from the parser's events, as the library's own builder does, and
// refuses a key named twice and nesting past kMaxJsonDepth as they come. The library's
// builder with a callback would do these too, but it searches the whole enclosing
// array at the end of each object: an array of many objects took quadratic time.
class Builder : public nlohmann::json_sax<Json> {
public:
    Json result;

    bool null() override { return add(nullptr); }
    bool boolean(bool value) override { return add(value); }
    bool number_integer(number_integer_t value) override { return add(value); }
    bool number_unsigned(number_unsigned_t value) override { return add(value); }
    bool number_float(number_float_t value, const string_t&) override { return add(value); }
    bool string(string_t& value) override { return add(std::move(value)); }
    bool binary(binary_t& value) override { return add(Json::binary(std::move(value))); }

    bool start_object(std::size_t) override { return open(Json::object()); }
    bool start_array(std::size_t) override { return open(Json::array()); }
    bool end_object() override { return close(); }
    bool end_array() override { return close(); }

    // Throws DuplicateKeyError when the innermost object has the key already.
    bool key(string_t& key) override {
        Open& object = open_.back();
        if (object.value->contains(key)) throw DuplicateKeyError(key, pointer());
        object.key = std::move(key);
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        throw error;
    }

private:
    struct Open {
        Json* value;
        std::string key;  // in an object, the key whose value comes next
    };

    // Where `value` goes: the result, the open array's end, or the open object's key.
    Json* place(Json&& value) {
        if (open_.empty()) {
            result = std::move(value);
            return &result;
        }
        Open& into = open_.back();
        if (into.value->is_array()) {
            into.value->push_back(std::move(value));
            return &into.value->back();
        }
        Json& slot = (*into.value)[into.key];
        slot = std::move(value);
        return &slot;
    }
    bool add(Json&& value) {
        place(std::move(value));
        return true;
    }
    bool open(Json&& container) {
        if (open_.size() >= static_cast<std::size_t>(kMaxJsonDepth)) throw TooDeep{};
        open_.push_back({place(std::move(container)), {}});
        return true;
    }
    bool close() {
        open_.pop_back();
        return true;
    }

    // The innermost object's place, as a JSON Pointer.
    std::string pointer() const {
        std::string path;
        for (std::size_t i = 0; i + 1 < open_.size(); ++i) {
            const Open& outer = open_[i];
            std::string token = outer.value->is_array() ? std::to_string(outer.value->size() - 1) : outer.key;
            for (std::size_t at = 0; (at = token.find_first_of("~/", at)) != std::string::npos; at += 2)
                token.replace(at, 1, token[at] == '~' ? "~0" : "~1");
            path += "/" + token;
        }
        return path;
    }

    std::vector<Open> open_;  // the containers being filled, outermost first
};

// What the parser says, without its "[json.exception.parse_error.101] " tag; the
// last token it read can be the whole rest of the input.
std::string parser_message(const Json::exception& error) {
    std::string_view message = error.what();
    if (message.starts_with("[json.exception.")) {
        const auto end = message.find("] ");
        if (end != std::string_view::npos) message.remove_prefix(end + 2);
    }
    return cut(message, 200);
}

}  // namespace

DuplicateKeyError::DuplicateKeyError(std::string key, std::string pointer)
    : JsonError(pointer.empty() ? i18n::tr("the key \"{1}\" appears twice in one object", {cut(key, 100)})
                                : i18n::tr("the key \"{1}\" appears twice in one object (at {2})",
                                           {cut(key, 100), cut(pointer, 100)})),
      key_(std::move(key)),
      pointer_(std::move(pointer)) {}

Json parse_json(std::string_view text) {
    // The parser takes a NUL for the end of the text and would ignore what follows.
    if (text.find('\0') != std::string_view::npos) throw JsonError(i18n::tr("the text holds a NUL byte"));
    try {
        Builder builder;
        Json::sax_parse(text.begin(), text.end(), &builder);
        return std::move(builder.result);
    } catch (const TooDeep&) {
        throw JsonError(i18n::tr("JSON nested more than {1} levels deep", {std::to_string(kMaxJsonDepth)}));
    } catch (const Json::exception& error) {
        throw JsonError(parser_message(error));
    }
}

std::string excerpt(const Json& value, std::size_t max_bytes) {
    return cut(value.dump(-1, ' ', false, Json::error_handler_t::replace), max_bytes);
}

}  // namespace bounded_input
