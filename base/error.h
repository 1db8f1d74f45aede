// The program's failure with its message, as UTF-16 text, for the places that show or
// report it.
#pragma once

#include <exception>
#include <string>
#include <utility>

class Error : public std::exception {
public:
    explicit Error(std::wstring text) : m_text(std::move(text)) {}
    const std::wstring& Text() const { return m_text; }
    const char* what() const noexcept override { return "Kelvara error"; }

private:
    std::wstring m_text;
};
