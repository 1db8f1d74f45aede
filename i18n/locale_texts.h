// Pure text-table logic of the language manager: parsing locale documents and expanding
// {KEY} references.
#pragma once

#include <map>
#include <optional>
#include <string>

namespace tinyxml2 {
class XMLDocument;
}

// Key -> UTF-8 text, ordered byte-wise by key.
using TextTable = std::map<std::string, std::string>;

// Parses size bytes of XML into doc; on failure returns the parser's error description.
std::optional<std::string> ParseXmlBytes(const char* bytes, size_t size,
                                         tinyxml2::XMLDocument& doc);

// Stores every child of the document's Locale element into texts (later duplicates win).
// On failure returns the reason ("No Locale element", "No name or text attribute");
// entries stored before the fault stay.
std::optional<std::string> ReadLocaleTexts(const tinyxml2::XMLDocument& doc, TextTable& texts);

// Stores every top-level element that has text; elements without text are skipped.
void ReadExtraTexts(const tinyxml2::XMLDocument& doc, TextTable& texts);

// Replaces each {NAME} whose NAME is a key by that key's text, rescanning inserted text so
// references nest. Unknown names stay as written. Bounded, so self-references terminate.
void ExpandReferences(TextTable& texts);
