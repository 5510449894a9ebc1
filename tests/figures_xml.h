#pragma once
// XML checks for the figure tests: parses a document with expat (a real,
// validating-for-well-formedness parser) and counts its elements.

#include <expat.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace qf::testing {

struct XmlCheck {
    std::string error;  // empty when the text is well-formed XML
    std::map<std::string, int> elements;  // element name -> count
    // The attributes of every element of the names asked for, in order.
    std::vector<std::pair<std::string, std::map<std::string, std::string>>> tagged;
    std::vector<std::string> keep;
};

inline XmlCheck checkXml(const std::string& text, std::vector<std::string> keep = {}) {
    XmlCheck check;
    check.keep = std::move(keep);
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &check);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            auto* self = static_cast<XmlCheck*>(data);
            ++self->elements[name];
            for (const std::string& wanted : self->keep) {
                if (wanted != name) continue;
                std::map<std::string, std::string> values;
                for (int i = 0; attributes[i] != nullptr; i += 2) values[attributes[i]] = attributes[i + 1];
                self->tagged.emplace_back(name, std::move(values));
            }
        },
        [](void*, const XML_Char*) {});
    if (XML_Parse(parser, text.data(), static_cast<int>(text.size()), 1) == XML_STATUS_ERROR) {
        check.error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                      std::to_string(XML_GetCurrentLineNumber(parser)) + ", column " +
                      std::to_string(XML_GetCurrentColumnNumber(parser));
    }
    XML_ParserFree(parser);
    return check;
}

}  // namespace qf::testing
