#pragma once
// The one error type of the installer: a plain message text. Lower layers raise it, the procedure that
// talks to the user catches it, shows the text and closes the installer.
#include <stdexcept>
#include <string>

class NRError : public std::runtime_error
{
public:
    // Out of line: GCC 12's link-time optimisation of the 32-bit build loses inline copies of it.
    explicit NRError(const std::string& text);
    const char* Text() const { return what(); }
};
