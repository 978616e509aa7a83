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

// A file that cannot be opened for reading. The message is the program's own; the system's
// reason ("No such file or directory", "Is a directory") is kept beside it for tools.
class EFOpenError : public Exception {
public:
    explicit EFOpenError(const std::string& fileName, std::string reason = {})
        : Exception("Cannot open file " + fileName), FReason(std::move(reason)) {}
    const std::string& Reason() const { return FReason; }

private:
    std::string FReason;
};

// A file that cannot be created or written: the message names the file and gives the system's
// reason, which is kept on its own too.
class EFWriteError : public Exception {
public:
    EFWriteError(const std::string& what, const std::string& fileName, const std::string& reason)
        : Exception(what + " " + fileName + ": " + reason), FReason(reason) {}
    const std::string& Reason() const { return FReason; }

private:
    std::string FReason;
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
