#pragma once
// The program's exception family. Every failure below a command is raised as one of these and
// travels up to the application's top-level handler, which shows the message.
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message, int helpContext = 0)
        : FMessage(std::move(message)), FHelpContext(helpContext) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const { return FMessage; }
    int HelpContext() const { return FHelpContext; }

private:
    std::string FMessage;
    int FHelpContext;
};

// A list index or capacity outside the list's limits.
class EListError : public Exception {
    using Exception::Exception;
};

// A stream that ends before the bytes asked for.
class EReadError : public Exception {
public:
    EReadError() : Exception("Stream read error") {}
};

// A file that cannot be opened for reading.
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& fileName) : Exception("Cannot open file " + fileName) {}
};

// An object that is not of the class a typed accessor promises.
class EInvalidCast : public Exception {
public:
    EInvalidCast() : Exception("Invalid class typecast") {}
};

// A file that is not a model file of a version this program reads.
class EVRKReadError : public Exception {
    using Exception::Exception;
};
