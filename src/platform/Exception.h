// The error type of the whole program: an English message meant for the user.
// The application's default handler shows `what()` in a message box; nothing else
// of an error reaches the user.
#pragma once

#include <stdexcept>
#include <string>

namespace sj {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
};

// File and stream failures (open, create, read, write, seek).
class EFileError : public Exception {
public:
    using Exception::Exception;
};

} // namespace sj
