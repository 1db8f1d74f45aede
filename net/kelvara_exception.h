// The program's own exception: a request to the back end failed. It carries no message.
#pragma once

#include <exception>

class KelvaraException : public std::exception {
public:
    const char* what() const noexcept override { return ""; }
};
