#include "strict_xml.hpp"

#include <libxml/parser.h>

#include <memory>

namespace {

struct ContextFreer {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};
struct DocumentFreer {
    void operator()(xmlDoc* document) const { xmlFreeDoc(document); }
};

}  // namespace

std::string strict_xml_error(std::string_view xml) {
    std::unique_ptr<xmlParserCtxt, ContextFreer> context(xmlNewParserCtxt());
    if (!context) return "libxml2 could not make a parser";
    std::unique_ptr<xmlDoc, DocumentFreer> document(
        xmlCtxtReadMemory(context.get(), xml.data(), static_cast<int>(xml.size()), "part.xml", nullptr,
                          XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
    if (document && context->wellFormed) return "";
    const char* message = context->lastError.message;
    return message ? message : "not well-formed";
}
