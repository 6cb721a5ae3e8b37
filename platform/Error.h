#pragma once
// The one error type of the installer: a plain message text. Lower layers raise it, the procedure that
// talks to the user catches it, shows the text and closes the installer.
#include <stdexcept>
#include <string>

class NRError : public std::runtime_error
{
public:
    explicit NRError(const std::string& text) : std::runtime_error(text) {}
    const char* Text() const { return what(); }
};
