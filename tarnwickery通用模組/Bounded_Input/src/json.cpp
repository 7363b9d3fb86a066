#include <bounded_input/json.hpp>

#include <unordered_set>
#include <utility>
#include <vector>

namespace bounded_input {
namespace {

using Json = nlohmann::json;

// Thrown from the parser's callback, which sees each container's depth as it opens.
struct TooDeep {};

// The containers open while parsing, outermost first, with what the parser's callback
// needs to refuse a key named twice and to say where.
class OpenContainers {
public:
    void open(bool object) {
        count_element();
        frames_.push_back({object, 0, {}, {}});
    }
    void close() { frames_.pop_back(); }
    void value() { count_element(); }
    // Throws DuplicateKeyError when the innermost object has the key already.
    void key(const std::string& key) {
        Frame& object = frames_.back();
        if (!object.keys.insert(key).second) throw DuplicateKeyError(key, pointer());
        object.key = key;
    }

private:
    struct Frame {
        bool object;
        std::size_t elements;  // in an array, how many have begun
        std::string key;       // in an object, the key being read
        std::unordered_set<std::string> keys;
    };

    void count_element() {
        if (!frames_.empty() && !frames_.back().object) ++frames_.back().elements;
    }
    // The innermost object's place, as a JSON Pointer.
    std::string pointer() const {
        std::string path;
        for (std::size_t i = 0; i + 1 < frames_.size(); ++i) {
            std::string token = frames_[i].object ? frames_[i].key : std::to_string(frames_[i].elements - 1);
            for (std::size_t at = 0; (at = token.find_first_of("~/", at)) != std::string::npos; at += 2)
                token.replace(at, 1, token[at] == '~' ? "~0" : "~1");
            path += "/" + token;
        }
        return path;
    }

    std::vector<Frame> frames_;
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
    : JsonError("the key \"" + cut(key, 100) + "\" appears twice in one object" +
                (pointer.empty() ? "" : " (at " + cut(pointer, 100) + ")")),
      key_(std::move(key)),
      pointer_(std::move(pointer)) {}

Json parse_json(std::string_view text) {
    OpenContainers open;
    const auto check = [&open](int depth, Json::parse_event_t event, Json& parsed) {
        using Event = Json::parse_event_t;
        if ((event == Event::object_start || event == Event::array_start) && depth >= kMaxJsonDepth) throw TooDeep{};
        switch (event) {
            case Event::object_start: open.open(true); break;
            case Event::array_start: open.open(false); break;
            case Event::object_end:
            case Event::array_end: open.close(); break;
            case Event::key: open.key(parsed.get_ref<const std::string&>()); break;
            case Event::value: open.value(); break;
        }
        return true;
    };
    // The parser takes a NUL for the end of the text and would ignore what follows.
    if (text.find('\0') != std::string_view::npos) throw JsonError("the text holds a NUL byte");
    try {
        return Json::parse(text.begin(), text.end(), check);
    } catch (const TooDeep&) {
        throw JsonError("JSON nested more than " + std::to_string(kMaxJsonDepth) + " levels deep");
    } catch (const Json::exception& error) {
        throw JsonError(parser_message(error));
    }
}

std::string excerpt(const Json& value, std::size_t max_bytes) {
    return cut(value.dump(-1, ' ', false, Json::error_handler_t::replace), max_bytes);
}

}  // namespace bounded_input
