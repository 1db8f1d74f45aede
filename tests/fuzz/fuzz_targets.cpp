// The fuzzed parsers: each target turns one input into the call its caller makes, and
// catches exactly the failures that caller expects.
#include "fuzz.h"

#include "analytics/event_context.h"
#include "base/inflate.h"
#include "base/path_macros.h"
#include "base/encoding.h"
#include "config/configuration_manager.h"
#include "i18n/locale_texts.h"
#include "net/api_manager.h"
#include "net/kelvara_exception.h"
#include "net/url.h"
#include "offers/package.h"

#include <nlohmann/json.hpp>
#include <tinyxml2.h>
#include <zlib.h>

#include <algorithm>
#include <stdexcept>

using nlohmann::json;

namespace {

const char kOfferEntry[] = R"({"ad":{"f":"tag-1","o":"offer-7"},"ps":{"i":"offer.png",
"dn":"Offer {of}","u":"https://localhost/f/offer.exe?t={pxl}&c={cc}","p":"/S /tag={of}",
"cp":"https://localhost/privacy","ctu":"https://localhost/terms","v":3,"exc":false,"c":"ch",
"disk":100.5,"ram":2048,"cpu":1000,"ov":62,"pv":"3.0.1","win64":true,"x":3,
"sha256":"e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
"fe":["{commonpf}\\Vendor\\app.exe"],"ife":["{localappdata}\\a"],"a":["app.exe"],
"r":["HKLM\\Software\\A"],"ir":["HKCU\\Software\\B"],"rvn":["HKLM\\Software\\A\\V"],
"rvd":["HKLM\\Software\\A\\V\\1"],"cmdu":[{"utr":"hkey_local_machine","utk":"Software\\A",
"utvn":"T","utvt":"REG_QWORD","umd":30,"utms":true}],"eapp":["x.exe"],"iapp":["y.exe"]}})";

const std::vector<std::string> kJsonFragments = {
    "4294967357",
    "-2147483649",
    "18446744073709551615",
    "1e400",
    "-1e308",
    "0.5",
    "-0",
    "true",
    "null",
    "\"\"",
    "[]",
    "{}",
    "[1,\"a\",{}]",
    "\"{pxl}\"",
    "\"{of}{of}{of}\"",
    "\"{commonpf}{commonpf64}\"",
    "\"\\u0000\"",
    "\"\\ud800\"",
    "\"\xC3\x28\"",
    "\"ov\":",
    "\"cmdu\":[{\"utr\":\"x\",\"utk\":\"\",\"utvn\":\"\",\"utvt\":\"\",\"umd\":1e10}]",
    "\"sha256\":\"ABCDEF\"",
    "{\"ad\":",
    "\"ps\":",
    "[[[[[[[[[[",
    "]]]]]]]]]]",
    ",",
    ":"};

// An entry as the configuration reader would hand it on; inputs that are no document
// are skipped.
bool ParseJson(const std::string& input, json& value) {
    try {
        value = json::parse(input, nullptr, true, false);
        return true;
    } catch (const json::exception&) {
        return false;
    }
}

// An offer as the loading page builds it: a malformed entry fails with the JSON library's
// type or range error, nothing else.
bool BuildOffer(const json& entry) {
    static const EventContext context = BuildEventContext();
    try {
        Package offer(context, entry, false, "", 0);
        (void)offer.GetInstallerUrl();
        return true;
    } catch (const json::type_error&) {
    } catch (const json::out_of_range&) {
    }
    return false;
}

bool OfferEntry(const std::string& input) {
    json entry;
    return ParseJson(input, entry) && BuildOffer(entry);
}

// Taken when the reply parses and every offer of its "o" list is well formed.
bool ConfigurationDocument(const std::string& input) {
    std::unique_ptr<json> document;
    try {
        document = ParseConfigurationReply(input);
    } catch (const KelvaraException&) {
        return false;
    } catch (const json::parse_error&) {
        return false;
    }
    if (!document->is_object()) return false;
    const auto offers = document->find("o");
    if (offers == document->end() || !offers->is_array()) return false;
    bool wellFormed = true;
    for (const json& entry : *offers) wellFormed = BuildOffer(entry) && wellFormed;
    return wellFormed;
}

bool LocaleDocument(const std::string& input) {
    tinyxml2::XMLDocument document;
    if (ParseXmlBytes(input.data(), input.size(), document)) return false;
    TextTable texts;
    const bool read = !ReadLocaleTexts(document, texts);
    ReadExtraTexts(document, texts);
    ExpandReferences(texts);
    return read;
}

// Locale documents are embedded as zlib streams; seeds are compressed here.
bool ZlibStream(const std::string& input) {
    return InflateZlib(input.data(), input.size(), 1 << 20).has_value();
}

std::string Compressed(const std::string& text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    std::string out(size, '\0');
    compress2(reinterpret_cast<Bytef*>(&out[0]), &size, reinterpret_cast<const Bytef*>(text.data()),
              static_cast<uLong>(text.size()), 9);
    out.resize(size);
    return out;
}

bool Base62(const std::string& input) {
    try {
        EncodeBase62(input);
        return true;
    } catch (const std::length_error&) {
        return false;
    }
}

// "name=value" lines, an empty line, then the text to expand.
bool Attributes(const std::string& input) {
    AttributeMap attributes;
    size_t at = 0;
    for (size_t end; (end = input.find('\n', at)) != std::string::npos && end > at; at = end + 1) {
        const std::string line = input.substr(at, end - at);
        const size_t equals = line.find('=');
        attributes[line.substr(0, equals)] =
            equals == std::string::npos ? std::string() : line.substr(equals + 1);
    }
    return ExpandAttributes(input.substr(std::min(at + 1, input.size())), attributes).has_value();
}

bool PathMacros(const std::string& input) {
    static const PathMacroTable table = ConfigurationManager::GetInstance()->GetPathMacros();
    ExpandPathMacros(Utf8ToWide(input), table);
    return true;
}

// "address\nname": the saved name of a download and the target of a redirect.
// Taken when the address gives a name to save under.
bool AddressNames(const std::string& input) {
    const size_t newline = input.find('\n');
    const std::wstring url = Utf8ToWide(input.substr(0, newline));
    const std::wstring name =
        newline == std::string::npos ? std::wstring() : Utf8ToWide(input.substr(newline + 1));
    const std::wstring saved = DownloadFileName(url, name);
    if (saved.find_first_of(L"/\\:") != std::wstring::npos || saved == L"." || saved == L"..")
        throw std::logic_error("a saved name leaves its folder");
    ResolveLocation(url, name);
    return !saved.empty();
}

}  // namespace

std::vector<FuzzTarget> FuzzTargets() {
    const std::string locale =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Locale name=\"English\">\n"
        "<BUTTON_NEXT>Next</BUTTON_NEXT><TITLE>{BUTTON_NEXT} of {PRODUCT}</TITLE>"
        "<SELF>{SELF}{SELF}</SELF><!-- note --><EMPTY></EMPTY></Locale>";
    const std::string configuration =
        std::string(R"({"l":"US","i":{"ct":"My App","cu":"https://localhost/f/app.exe",)") +
        R"("cf":"app.exe","ch":"c1","cb":"1"},"f":{"a":"pub","m":3},"o":[)" + kOfferEntry + "," +
        kOfferEntry + "]}";
    return {
        {"offer_entry", {kOfferEntry}, kJsonFragments, OfferEntry},
        {"configuration_document",
         {configuration, " ", "[]"},
         kJsonFragments,
         ConfigurationDocument},
        {"locale_document",
         {locale},
         {"{TITLE}", "{SELF}", "<A>", "</A>", "<![CDATA[", "&amp;", "&#xFFFF;", "<?", "<!--", "\"",
          "<Locale>"},
         LocaleDocument},
        {"zlib_stream",
         {Compressed(locale), Compressed(configuration)},
         {"\x78\x9c", "\0"},
         ZlibStream},
        {"base62",
         {"machine|offer-7|20260102030405", std::string(3, '\0') + "abc"},
         {"\xFF", std::string(1, '\0'), "|"},
         Base62},
        {"attributes",
         {"pxl=T0k\nof=tag\nself={self}\n\nhttps://x/?t={pxl}&o={of}{self}{unknown}"},
         {"{pxl}", "{of}", "{self}", "{", "}", "\n", "="},
         Attributes},
        {"path_macros",
         {"{commonpf}\\Vendor\\app.exe;{localappdata}\\{commonpf32}\\{commonpf64}{programdata}"},
         {"{commonpf}", "{commonpf64}", "{commonappdata}", "{", "}", "\xC3\xA9"},
         PathMacros},
        {"address_names",
         {"https://localhost/f/app.exe?x=1#f\n", "https://localhost/f/\n..\\a.exe",
          "https://localhost/a/b\n../../c?d"},
         {"..", "/", "\\", ":", "?", "#", "%2e%2e", "CON", "\n", "//"},
         AddressNames},
    };
}
