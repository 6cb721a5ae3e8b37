#include "platform/Error.h"

NRError::NRError(const std::string& text) : std::runtime_error(text) {}
