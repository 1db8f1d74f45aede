// What the three pages of the classic variant share: an enlarged title, the page background
// behind their texts, and check boxes that start checked.
#pragma once

#include "pages/ipage.h"
#include "base/handle.h"

#include <array>
#include <cstddef>

class ClassicPage : public WizardPage {
public:
    ClassicPage(std::shared_ptr<LanguageManager> languageManager, UINT templateId, int titleId);

    void OnNavigateToPage() override {}

protected:
    // Gives the title control its enlarged font; call once its text is set.
    void EnlargeTitle();
    void CheckAll(std::initializer_list<int> boxes);
    template <size_t N>
    std::array<bool, N> ReadChecks(const std::array<int, N>& boxes) const {
        std::array<bool, N> checked{};
        for (size_t i = 0; i < N; ++i) checked[i] = ui::IsChecked(Item(boxes[i]));
        return checked;
    }

    win32::unique_hbrush m_backgroundBrush;

private:
    int m_titleId;
    win32::unique_hfont m_titleFont;
};
