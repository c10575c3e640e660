#pragma once
// The component library's general error: an exception that carries its message.

#include <stdexcept>
#include <string>

class EqdError : public std::runtime_error {
public:
    explicit EqdError(const std::string &message) : std::runtime_error(message) {}
};
