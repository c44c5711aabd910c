#include "PortOpenAdvice.h"

#include <cerrno>

#include "Translatable.h"

namespace dut::config {

namespace {

// Written in English, the language of the system's own reasons they follow; the Russian
// windows show them translated.
const char* const kJoinGroup = DUT_TR_NOOP(
    "PortOpenAdvice", "Add your user to the dialout group (uucp on Arch) and log in again.");
const char* const kHeldElsewhere = DUT_TR_NOOP("PortOpenAdvice", "Another program holds the port.");
const char* const kNotThere =
    DUT_TR_NOOP("PortOpenAdvice", "The adapter is not plugged in, or the name is wrong.");
const char* const kNotASerialPort =
    DUT_TR_NOOP("PortOpenAdvice", "The name is not that of a serial port.");
const char* const kCannotOpen = DUT_TR_NOOP("PortOpenAdvice", "Cannot open ");

// The Win32 codes, spelled out so that this file needs no Windows header.
constexpr unsigned long kErrorFileNotFound = 2;
constexpr unsigned long kErrorPathNotFound = 3;
constexpr unsigned long kErrorAccessDenied = 5;  // what a COM port held by another opener says
constexpr unsigned long kErrorSharingViolation = 32;

}  // namespace

const std::vector<const char*>& portOpenTexts() {
    static const std::vector<const char*> texts{kJoinGroup, kHeldElsewhere, kNotThere,
                                                kNotASerialPort, kCannotOpen};
    return texts;
}

std::string posixOpenAdvice(int errnoCode) {
    switch (errnoCode) {
        case EACCES:
        case EPERM:
            return kJoinGroup;
        case EBUSY:
            return kHeldElsewhere;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return kNotThere;
        case ENOTTY:
            return kNotASerialPort;
        default:
            return {};
    }
}

std::string win32OpenAdvice(unsigned long errorCode) {
    switch (errorCode) {
        case kErrorFileNotFound:
        case kErrorPathNotFound:
            return kNotThere;
        case kErrorAccessDenied:
        case kErrorSharingViolation:
            return kHeldElsewhere;
        default:
            return {};
    }
}

std::string openAdvice(int code) {
#ifdef _WIN32
    return win32OpenAdvice(static_cast<unsigned long>(code));
#else
    return posixOpenAdvice(code);
#endif
}

std::string openErrorExplanation(const std::string& systemMessage, const std::string& advice) {
    if (advice.empty()) return systemMessage;
    if (systemMessage.empty()) return advice;
    const bool stopped = systemMessage.back() == '.';
    return systemMessage + (stopped ? " " : ". ") + advice;
}

std::string portOpenReason(const std::string& port, const std::string& why) {
    if (why.empty()) return kCannotOpen + port + ".";
    return kCannotOpen + port + ": " + why;
}

}  // namespace dut::config
