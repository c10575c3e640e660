#pragma once
// Failures of the data-access layer.
//
//   Exception            every failure carries a message (8-bit text)
//   ├─ EProviderError    a failure that a provider (client library, server) reported;
//   │                    the message is the provider's text, unchanged
//   ├─ ECancelled        the user stopped a call that has no engine answer to show
//   │                    (a connection attempt)
//   └─ EDatabaseError    a failure of a data set ("Field 'x' not found", ...)
//      └─ EADOError      a fault of the layer itself ("Invalid Enum Value", bad strings, ...)
//
// Only EADOError is caught by a query tab's run; everything else reaches the
// application error box.

#include <stdexcept>
#include <string>

namespace ado {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : m_message(std::move(message)) {}
    const char *what() const noexcept override { return m_message.c_str(); }
    const std::string &message() const noexcept { return m_message; }

private:
    std::string m_message;
};

class EProviderError : public Exception {
public:
    using Exception::Exception;
};

class ECancelled : public Exception {
public:
    using Exception::Exception;
};

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

class EADOError : public EDatabaseError {
public:
    using EDatabaseError::EDatabaseError;
};

} // namespace ado
