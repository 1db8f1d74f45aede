#include "i18n/language_manager.h"

#include "base/inflate.h"
#include "config/configuration_manager.h"
#include "base/encoding.h"
#include "base/resource.h"
#include "res/resource.h"
#include "ui/message_box.h"

#include <tinyxml2.h>

#include <algorithm>
#include <optional>

namespace {

constexpr wchar_t kLocaleType[] = L"LOCALE";
constexpr int kExtraTextsId = IDR_LOCALE_EXTRA;
// Far above any locale document; a stream claiming more is not one.
constexpr size_t kMaxDocumentSize = 1 << 20;

void ShowError(const std::wstring& text) { ShowMessageBox(nullptr, text, L"", MB_OK); }

void ShowParseError(const std::string& reason) {
    ShowError(L"Failed to parse language xml file, error code: " + Utf8ToWide(reason));
}

// Loads LOCALE resource id (a zlib stream) into doc; each failure is reported once, here.
// A stream that does not inflate counts as a resource that cannot be loaded.
bool LoadLocaleResource(int id, tinyxml2::XMLDocument& doc, bool reportErrors = true) {
    const ResourceBytes resource =
        LoadResourceBytes(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), kLocaleType);
    if (!resource.found) {
        if (reportErrors) ShowError(L"Failed to find resource with id: " + DecimalText(id));
        return false;
    }
    std::optional<std::string> text;
    if (resource.data) text = InflateZlib(resource.data, resource.size, kMaxDocumentSize);
    if (!text) {
        if (reportErrors) ShowError(L"Failed to load resource with id: " + DecimalText(id));
        return false;
    }
    if (auto error = ParseXmlBytes(text->data(), text->size(), doc)) {
        if (reportErrors) ShowParseError(*error);
        return false;
    }
    return true;
}

}  // namespace

std::wstring LocaleDisplayName(const std::wstring& name) {
    wchar_t buffer[85] = {};
    if (GetLocaleInfoEx(name.c_str(), LOCALE_SNATIVELANGNAME, buffer, 85) > 0) return buffer;
    if (name.size() > 2 &&
        GetLocaleInfoEx(name.substr(0, 2).c_str(), LOCALE_SNATIVELANGNAME, buffer, 85) > 0) {
        return buffer;
    }
    return name;
}

LanguageManager::LanguageManager(CKelvaraDlg* owner) : m_owner(owner) {}

std::vector<int> LanguageManager::GetLocaleResourceIds() {
    switch (ConfigurationManager::GetInstance()->m_wizardType) {
        case WizardType::DLM:
            return {IDR_LOCALE_DLM_EN_US, IDR_LOCALE_DLM_ES, IDR_LOCALE_DLM_PT_BR,
                    IDR_LOCALE_DLM_PL,    IDR_LOCALE_DLM_CS, IDR_LOCALE_DLM_DA,
                    IDR_LOCALE_DLM_DE,    IDR_LOCALE_DLM_FI, IDR_LOCALE_DLM_FR,
                    IDR_LOCALE_DLM_IT,    IDR_LOCALE_DLM_NL, IDR_LOCALE_DLM_PL_AGAIN,
                    IDR_LOCALE_DLM_RU,    IDR_LOCALE_DLM_TR};
        case WizardType::ISV:
            return {IDR_LOCALE_ISV_EN_US, IDR_LOCALE_ISV_ES};
        case WizardType::Unknown:
            ShowError(L"Unknown wizard type (language manager");
            return {};
        default:
            return {};
    }
}

void LanguageManager::FillLanguageCombo(HWND combo) {
    FillLanguageCombo(combo, GetLocaleResourceIds());
}

void LanguageManager::FillLanguageCombo(HWND combo, const std::vector<int>& ids) {
    m_resourceByLanguage.clear();
    m_localeByLanguage.clear();
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    int selected = 0;

    wchar_t userLocale[85] = {};
    std::wstring userLanguage;
    if (GetUserDefaultLocaleName(userLocale, 85) > 0) userLanguage = LocaleDisplayName(userLocale);
    if (userLanguage.empty()) userLanguage = L"English";

    for (int id : ids) {
        tinyxml2::XMLDocument doc;
        if (!LoadLocaleResource(id, doc)) continue;
        const tinyxml2::XMLElement* root = doc.FirstChildElement("Locale");
        if (!root) continue;
        const char* name = root->Attribute("name");
        if (!name) {
            ShowParseError("No name attribute");
            continue;
        }
        const std::wstring locale = Utf8ToWide(name);
        const std::wstring display = LocaleDisplayName(locale);
        if (display == userLanguage)
            selected = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(display.c_str()));
        m_resourceByLanguage[display] = id;
        m_localeByLanguage[display] = locale;
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    if (ConfigurationManager::GetInstance()->m_btMode) ShowWindow(combo, SW_HIDE);
}

bool LanguageManager::SelectLanguage(const std::wstring& display) {
    auto found = m_resourceByLanguage.find(display);
    if (found == m_resourceByLanguage.end()) return false;
    if (!ParseLocale(found->second)) return false;
    for (TextsListener* page : m_pages) page->UpdateTexts();
    auto config = ConfigurationManager::GetInstance();
    config->m_languageName = display;
    auto locale = m_localeByLanguage.find(display);
    config->m_localeName = locale != m_localeByLanguage.end() ? locale->second : std::wstring();
    return true;
}

// Loads the document and rebuilds the text table. A document that loads but does not
// parse completely still replaces the table (partly), like a load that succeeded.
bool LanguageManager::ParseLocale(int resourceId) {
    tinyxml2::XMLDocument doc;
    if (!LoadLocaleResource(resourceId, doc)) return false;
    if (!doc.FirstChildElement("Locale")) {
        ShowParseError("No Locale element");
        return true;
    }
    m_texts.clear();
    AddProductTitle();
    AddExtraTexts();
    if (auto error = ReadLocaleTexts(doc, m_texts)) {
        ShowParseError(*error);
        return true;
    }
    ExpandReferences(m_texts);
    return true;
}

void LanguageManager::AddProductTitle() {
    m_texts["PRODUCT_TITLE"] = WideToUtf8(ConfigurationManager::GetInstance()->m_productTitle);
}

void LanguageManager::AddExtraTexts() {
    if (!ConfigurationManager::GetInstance()->m_btMode) return;
    tinyxml2::XMLDocument doc;
    if (LoadLocaleResource(kExtraTextsId, doc, false)) ReadExtraTexts(doc, m_texts);
}

std::wstring LanguageManager::GetText(const std::string& key) const {
    auto found = m_texts.find(key);
    if (found == m_texts.end() || found->second.empty()) return {};
    return Utf8ToWide(found->second);
}

int LanguageManager::ResourceIdFor(const std::wstring& display) const {
    auto found = m_resourceByLanguage.find(display);
    return found != m_resourceByLanguage.end() ? found->second : 0;
}

void LanguageManager::RegisterPage(TextsListener* page) { m_pages.push_back(page); }

void LanguageManager::UnregisterPage(TextsListener* page) {
    m_pages.erase(std::remove(m_pages.begin(), m_pages.end(), page), m_pages.end());
}
