#include "i18n/locale_texts.h"

#include <tinyxml2.h>

namespace {

// Bounds per entry, far above what real documents need (a few short replacements), low
// enough that a text referring to itself, even one that doubles each time, stops quickly.
constexpr int kMaxReplacementsPerEntry = 64;
constexpr size_t kMaxExpandedLength = 16 * 1024;

// Text of the element's first child that is not a comment, if that child is text.
const char* ElementText(const tinyxml2::XMLElement& element) {
    for (const tinyxml2::XMLNode* node = element.FirstChild(); node; node = node->NextSibling()) {
        if (node->ToComment()) continue;
        return node->ToText() ? node->Value() : nullptr;
    }
    return nullptr;
}

void ExpandEntry(const TextTable& texts, std::string& value) {
    size_t position = 0;
    for (int replacements = 0; replacements < kMaxReplacementsPerEntry;) {
        size_t open = value.find('{', position);
        if (open == std::string::npos) return;
        size_t close = value.find('}', open + 1);
        if (close == std::string::npos) return;
        auto found = texts.find(value.substr(open + 1, close - open - 1));
        if (found == texts.end()) {
            position = close + 1;
            continue;
        }
        const std::string inserted = found->second;  // may be this very entry
        if (value.size() - (close - open + 1) + inserted.size() > kMaxExpandedLength) return;
        value.replace(open, close - open + 1, inserted);
        position = open;
        ++replacements;
    }
}

}  // namespace

std::optional<std::string> ParseXmlBytes(const char* bytes, size_t size,
                                         tinyxml2::XMLDocument& doc) {
    // A zero size or a leading NUL is reported by the parser as an empty document.
    if (doc.Parse(bytes, size) != tinyxml2::XML_SUCCESS) return std::string(doc.ErrorStr());
    return std::nullopt;
}

std::optional<std::string> ReadLocaleTexts(const tinyxml2::XMLDocument& doc, TextTable& texts) {
    const tinyxml2::XMLElement* root = doc.FirstChildElement("Locale");
    if (!root) return std::string("No Locale element");
    for (const tinyxml2::XMLElement* e = root->FirstChildElement(); e;
         e = e->NextSiblingElement()) {
        const char* text = ElementText(*e);
        if (!e->Name() || !text) return std::string("No name or text attribute");
        texts[e->Name()] = text;
    }
    return std::nullopt;
}

void ReadExtraTexts(const tinyxml2::XMLDocument& doc, TextTable& texts) {
    for (const tinyxml2::XMLElement* e = doc.FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (const char* text = ElementText(*e)) texts[e->Name()] = text;
    }
}

void ExpandReferences(TextTable& texts) {
    for (auto& entry : texts) ExpandEntry(texts, entry.second);
}
