#pragma once
// XML checks for the figure tests: parses a document with expat (a real,
// validating-for-well-formedness parser) and counts its elements.

#include <expat.h>

#include <map>
#include <string>

namespace qf::testing {

struct XmlCheck {
    std::string error;  // empty when the text is well-formed XML
    std::map<std::string, int> elements;  // element name -> count
};

inline XmlCheck checkXml(const std::string& text) {
    XmlCheck check;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    XML_SetUserData(parser, &check);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char* name, const XML_Char**) {
            ++static_cast<XmlCheck*>(data)->elements[name];
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
