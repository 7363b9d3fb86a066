#include <docx_loom/word_document.hpp>

#include "detail/word_state.hpp"
#include "detail/xml_depth.hpp"
#include "detail/xml_text.hpp"

#include <docx_loom/errors.hpp>
#include <i18n/tr.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>

namespace docx_loom {
namespace detail {
namespace {

// Comments are kept, so that a part is written back with them.
constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_declaration | pugi::parse_ws_pcdata | pugi::parse_comments;

std::string folder_of(const std::string& part) {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? std::string{} : part.substr(0, slash + 1);
}

// Resolves a relationship target against the folder of its source part.
std::string resolve_target(const std::string& source_folder, std::string_view target) {
    std::string path = target.starts_with('/') ? std::string(target.substr(1)) : source_folder + std::string(target);
    std::vector<std::string> segments;
    std::stringstream stream(path);
    for (std::string segment; std::getline(stream, segment, '/');) {
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
    }
    std::string joined;
    for (const auto& segment : segments) joined += (joined.empty() ? "" : "/") + segment;
    return joined;
}

std::string rels_part_of(const std::string& part) {
    const auto folder = folder_of(part);
    return folder + "_rels/" + part.substr(folder.size()) + ".rels";
}

bool equals_ignoring_case(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) ==
                                                  std::tolower(static_cast<unsigned char>(y)); });
}

std::uint32_t highest_drawing_id(const pugi::xml_document& xml, std::uint32_t highest) {
    struct Walker : pugi::xml_tree_walker {
        std::uint32_t highest;
        bool for_each(pugi::xml_node& node) override {
            if (node.type() == pugi::node_element && local_name(node.name()) == "docPr")
                highest = std::max(highest, node.attribute("id").as_uint());
            return true;
        }
    } walker;
    walker.highest = highest;
    const_cast<pugi::xml_document&>(xml).traverse(walker);
    return walker.highest;
}

}  // namespace

void parse_part(pugi::xml_document& xml, const Package& package, const std::string& part) {
    const std::string& bytes = package.part(part);
    const auto result = xml.load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_auto);
    const auto malformed = [&](const std::string& why) {
        return XmlError(i18n::tr("malformed XML in part '{1}' of '{2}': {3}", {part, package.source(), why}));
    };
    if (!result)
        throw malformed(i18n::tr("{1} at byte {2}", {result.description(), std::to_string(result.offset)}));
    // The parser keeps bytes that are not UTF-8 as they are, and saving them under a
    // UTF-8 declaration would write a malformed part; so would any declared encoding the
    // parser does not know, which it reads as UTF-8.
    if (result.encoding == pugi::encoding_utf8)
        if (const auto problem = detail::utf8_problem(bytes)) throw malformed(i18n::tr("the text {1}", {*problem}));
    // The part is held, and written back, as UTF-8 whatever it was read in; a
    // declaration that kept naming another encoding would make the saved part malformed.
    const auto declaration = xml.first_child();
    if (declaration.type() == pugi::node_declaration)
        if (auto encoding = declaration.attribute("encoding")) encoding.set_value("UTF-8");
    check_depth(xml, i18n::tr("part '{1}' of '{2}'", {part, package.source()}));
}

std::string serialize(const pugi::xml_document& xml) {
    std::ostringstream out;
    xml.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out.str();
}

void StoryPart::load(WordState& state, std::string part) {
    owner = &state;
    name = std::move(part);
    rels_name = rels_part_of(name);
    parse_part(xml, state.package, name);
    names.bind(xml.document_element());
    if (state.package.has_part(rels_name)) {
        parse_part(rels, state.package, rels_name);
    } else {
        rels.append_child("Relationships").append_attribute("xmlns") = kPackageRelationships;
    }
}

std::string StoryPart::picture_relationship(const std::string& bytes, std::string_view extension,
                                            std::string_view content_type) {
    Package& package = owner->package;
    auto relationships = rels.document_element();
    const auto folder = folder_of(name);

    // Pictures are stored once per distinct content.
    for (auto rel : relationships.children()) {
        if (std::strcmp(rel.attribute("Type").value(), kImageRel) != 0) continue;
        if (std::strcmp(rel.attribute("TargetMode").value(), "External") == 0) continue;
        const auto part = resolve_target(folder, rel.attribute("Target").value());
        if (package.has_part(part) && package.part(part) == bytes) return rel.attribute("Id").value();
    }

    unsigned number = 1;
    std::string part;
    do part = folder + "media/image" + std::to_string(number++) + "." + std::string(extension);
    while (package.has_part(part));
    package.set_part(part, bytes);

    const std::string id = add_relationship(kImageRel, part.substr(folder.size()));

    auto types = owner->content_types.document_element();
    bool known = false;
    for (auto entry : types.children()) {
        const std::string_view kind = local_name(entry.name());
        if ((kind == "Default" && equals_ignoring_case(entry.attribute("Extension").value(), extension)) ||
            (kind == "Override" && std::string_view(entry.attribute("PartName").value()) == "/" + part))
            known = true;
    }
    if (!known) {
        auto entry = types.prepend_child("Default");
        entry.append_attribute("Extension") = std::string(extension).c_str();
        entry.append_attribute("ContentType") = std::string(content_type).c_str();
        owner->content_types_changed = true;
    }
    return id;
}

std::string StoryPart::add_relationship(std::string_view type, const std::string& target) {
    auto relationships = rels.document_element();
    unsigned highest = 0;
    for (auto rel : relationships.children()) {
        std::string_view id = rel.attribute("Id").value();
        unsigned n = 0;
        if (id.starts_with("rId") && std::from_chars(id.data() + 3, id.data() + id.size(), n).ec == std::errc{})
            highest = std::max(highest, n);
    }
    const std::string id = "rId" + std::to_string(highest + 1);
    auto rel = relationships.append_child("Relationship");
    rel.append_attribute("Id") = id.c_str();
    rel.append_attribute("Type") = std::string(type).c_str();
    rel.append_attribute("Target") = target.c_str();
    rels_changed = true;
    return id;
}

std::string StoryPart::part_of_relationship(std::string_view id) const {
    for (auto rel : rels.document_element().children()) {
        if (id != rel.attribute("Id").value()) continue;
        if (std::strcmp(rel.attribute("TargetMode").value(), "External") == 0) return {};
        return resolve_target(folder_of(name), rel.attribute("Target").value());
    }
    return {};
}

std::string StoryPart::related_part(std::string_view type) const {
    for (auto rel : rels.document_element().children()) {
        if (type != rel.attribute("Type").value()) continue;
        if (std::strcmp(rel.attribute("TargetMode").value(), "External") == 0) continue;
        return resolve_target(folder_of(name), rel.attribute("Target").value());
    }
    return {};
}

Package WordState::current_package() const {
    Package copy = package;
    const auto write = [&](const StoryPart& part, bool always) {
        if (always) copy.set_part(part.name, serialize(part.xml));
        if (part.rels_changed) copy.set_part(part.rels_name, serialize(part.rels));
    };
    write(main, true);
    for (std::size_t i = 0; i < other_parts.size(); ++i) {
        // Only a part that changed is written anew; the others keep their bytes.
        std::string xml = serialize(other_parts[i]->xml);
        if (xml != other_parts_as_parsed[i]) copy.set_part(other_parts[i]->name, std::move(xml));
        write(*other_parts[i], false);
    }
    if (content_types_changed) copy.set_part("[Content_Types].xml", serialize(content_types));
    return copy;
}

StoryPart* WordState::story(const std::string& name) {
    for (auto& part : other_parts)
        if (part->name == name) return part.get();
    return nullptr;
}

void WordState::declare_part(const std::string& name, std::string_view content_type) {
    const std::string_view extension = std::string_view(name).substr(name.rfind('.') + 1);
    auto types = content_types.document_element();
    for (auto entry : types.children()) {
        const std::string_view kind = local_name(entry.name());
        if (kind == "Override" && std::string_view(entry.attribute("PartName").value()) == "/" + name) return;
        if (kind == "Default" && equals_ignoring_case(entry.attribute("Extension").value(), extension) &&
            content_type == entry.attribute("ContentType").value())
            return;
    }
    auto entry = types.append_child("Override");
    entry.append_attribute("PartName") = ("/" + name).c_str();
    entry.append_attribute("ContentType") = std::string(content_type).c_str();
    content_types_changed = true;
}

pugi::xml_node WordState::append_block(std::string_view local) {
    const auto& names = main.names;
    auto body = names.child(main.xml.document_element(), "body");
    // The section properties of the last section must stay the body's last child.
    auto last = body.last_child();
    while (last && last.type() != pugi::node_element) last = last.previous_sibling();
    if (last && names.is(last, "sectPr")) return body.insert_child_before(names.q(local).c_str(), last);
    return body.append_child(names.q(local).c_str());
}

}  // namespace detail

WordDocument::WordDocument(std::unique_ptr<detail::WordState> state) : state_(std::move(state)) {}
WordDocument::WordDocument(WordDocument&&) noexcept = default;
WordDocument& WordDocument::operator=(WordDocument&&) noexcept = default;
WordDocument::~WordDocument() = default;

WordDocument WordDocument::open(const std::filesystem::path& path) {
    return from_package(Package::open(path));
}

WordDocument WordDocument::from_package(Package package) {
    using namespace detail;
    auto state = std::make_unique<WordState>();
    state->package = std::move(package);
    const std::string& source = state->package.source();
    const auto not_docx = [&](const std::string& why) {
        return PackageError(i18n::tr("'{1}' is not a .docx package: {2}", {source, why}));
    };
    // Strict documents name every element in other namespaces; filling one as if it were
    // transitional would find nothing, and saving it as transitional would change it.
    const auto strict = [&] {
        return PackageError(i18n::tr("'{1}' is saved as Strict Open XML, which is not supported: save it as a Word "
                                     "document (.docx) and try again",
                                     {source}));
    };

    if (!state->package.has_part("_rels/.rels")) throw not_docx(i18n::tr("it has no package relationships"));
    pugi::xml_document package_rels;
    parse_part(package_rels, state->package, "_rels/.rels");
    std::string main_part;
    for (auto rel : package_rels.document_element().children()) {
        const char* type = rel.attribute("Type").value();
        if (std::strcmp(type, kStrictOfficeDocumentRel) == 0) throw strict();
        if (std::strcmp(type, kOfficeDocumentRel) == 0) {
            main_part = resolve_target("", rel.attribute("Target").value());
            break;
        }
    }
    if (main_part.empty()) throw not_docx(i18n::tr("no main document part is named"));
    if (!state->package.has_part(main_part))
        throw not_docx(i18n::tr("its main document part '{1}' is missing", {main_part}));
    if (!state->package.has_part("[Content_Types].xml")) throw not_docx(i18n::tr("it has no [Content_Types].xml"));

    StoryPart& main = state->main;
    main.load(*state, main_part);
    auto root = main.xml.document_element();
    if (is_in(root, kStrictWordMl, "document")) throw strict();
    if (!main.names.is(root, "document") || !main.names.child(root, "body"))
        throw not_docx(i18n::tr("its main part '{1}' is not a WordprocessingML document", {main_part}));
    parse_part(state->content_types, state->package, "[Content_Types].xml");
    state->last_drawing_id = highest_drawing_id(main.xml, 0);

    for (auto rel : main.rels.document_element().children()) {
        const char* type = rel.attribute("Type").value();
        if (std::none_of(std::begin(kStoryRels), std::end(kStoryRels),
                         [&](const char* story) { return std::strcmp(type, story) == 0; }) ||
            std::strcmp(rel.attribute("TargetMode").value(), "External") == 0)
            continue;
        std::string part = resolve_target(folder_of(main_part), rel.attribute("Target").value());
        const auto& others = state->other_parts;
        if (!state->package.has_part(part) || part == main_part ||
            std::any_of(others.begin(), others.end(), [&](const auto& other) { return other->name == part; }))
            continue;
        auto story = std::make_unique<StoryPart>();
        story->load(*state, std::move(part));
        state->last_drawing_id = highest_drawing_id(story->xml, state->last_drawing_id);
        state->other_parts_as_parsed.push_back(serialize(story->xml));
        state->other_parts.push_back(std::move(story));
    }
    return WordDocument(std::move(state));
}

void WordDocument::save(const std::filesystem::path& path) const { state_->current_package().save(path); }

std::string WordDocument::save_to_bytes() const { return state_->current_package().save_to_bytes(); }

pugi::xml_node WordDocument::body() const {
    return state_->main.names.child(state_->main.xml.document_element(), "body");
}

std::vector<Paragraph> WordDocument::paragraphs() const {
    std::vector<Paragraph> result;
    for (auto child : body().children())
        if (state_->main.names.is(child, "p")) result.emplace_back(child, &state_->main);
    return result;
}

std::vector<Table> WordDocument::tables() const {
    std::vector<Table> result;
    for (auto child : body().children())
        if (state_->main.names.is(child, "tbl")) result.emplace_back(child, &state_->main);
    return result;
}

Paragraph WordDocument::add_page_break() {
    Paragraph paragraph(state_->append_block("p"), &state_->main);
    paragraph.add_run().add_page_break();
    return paragraph;
}

const std::string& WordDocument::main_part() const { return state_->main.name; }

const pugi::xml_document& WordDocument::xml() const { return state_->main.xml; }

Package WordDocument::package() const { return state_->current_package(); }

}  // namespace docx_loom
