// Texts of the chosen language, loaded from the LOCALE documents embedded in the program.
#pragma once

#include "i18n/locale_texts.h"

#include <windows.h>

#include <map>
#include <string>
#include <vector>

class CKelvaraDlg;

// Told each time the language changes, to show the new texts.
class TextsListener {
public:
    virtual void UpdateTexts() = 0;

protected:
    ~TextsListener() = default;
};

class LanguageManager {
public:
    explicit LanguageManager(CKelvaraDlg* owner);

    // LOCALE resource ids of the build's wizard type, in listing order.
    static std::vector<int> GetLocaleResourceIds();

    // Lists the languages in the combo box and selects the user's own, else the first.
    void FillLanguageCombo(HWND combo);
    // The same over the given LOCALE resource ids.
    void FillLanguageCombo(HWND combo, const std::vector<int>& ids);

    // Loads the language shown under this name and re-applies every page's texts.
    bool SelectLanguage(const std::wstring& display);

    // The text of key, or empty when the key is missing or its text is empty.
    std::wstring GetText(const std::string& key) const;

    // The LOCALE resource listed under this name, or 0.
    int ResourceIdFor(const std::wstring& display) const;

    void RegisterPage(TextsListener* page);
    void UnregisterPage(TextsListener* page);

private:
    bool ParseLocale(int resourceId);
    void AddProductTitle();
    void AddExtraTexts();

    CKelvaraDlg* m_owner;
    std::map<std::wstring, int> m_resourceByLanguage;
    std::map<std::wstring, std::wstring> m_localeByLanguage;
    std::vector<TextsListener*> m_pages;
    TextTable m_texts;
};

// Native name of a locale ("de-DE" -> "Deutsch"), trying its first two letters when the
// full name is unknown, else the name itself.
std::wstring LocaleDisplayName(const std::wstring& name);
