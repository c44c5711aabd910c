// The advice that goes with a port that would not open, and the one line the user reads.

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include "PortOpenAdvice.h"

namespace {

using dut::config::openErrorExplanation;
using dut::config::portOpenReason;
using dut::config::posixOpenAdvice;
using dut::config::win32OpenAdvice;

const std::string kJoinGroup =
    "Add your user to the dialout group (uucp on Arch) and log in again.";
const std::string kHeldElsewhere = "Another program holds the port.";
const std::string kNotThere = "The adapter is not plugged in, or the name is wrong.";

TEST(PortOpenAdvice, PosixCodesWithAKnownFix) {
    EXPECT_EQ(posixOpenAdvice(EACCES), kJoinGroup);
    EXPECT_EQ(posixOpenAdvice(EPERM), kJoinGroup);
    EXPECT_EQ(posixOpenAdvice(EBUSY), kHeldElsewhere);
    EXPECT_EQ(posixOpenAdvice(ENOENT), kNotThere);
    // A ttyS slot without a UART, a USB device being torn down.
    EXPECT_EQ(posixOpenAdvice(ENXIO), kNotThere);
    EXPECT_EQ(posixOpenAdvice(ENODEV), kNotThere);
    // A file or a device that takes no line settings, /dev/null for one.
    EXPECT_EQ(posixOpenAdvice(ENOTTY), "The name is not that of a serial port.");
}

TEST(PortOpenAdvice, PosixCodesWithoutAFixGetNone) {
    for (int code : {0, EIO, EINVAL, EMFILE, EAGAIN, -1}) {
        EXPECT_EQ(posixOpenAdvice(code), "") << code;
    }
}

TEST(PortOpenAdvice, Win32CodesAreReadWithTheirOwnMeaning) {
    EXPECT_EQ(win32OpenAdvice(2), kNotThere);  // ERROR_FILE_NOT_FOUND: no such COM port
    EXPECT_EQ(win32OpenAdvice(3), kNotThere);  // ERROR_PATH_NOT_FOUND
    // ERROR_ACCESS_DENIED is what a COM port that another program holds reports; it is 5,
    // which is EIO on POSIX and must not read as a permission problem there or here.
    EXPECT_EQ(win32OpenAdvice(5), kHeldElsewhere);
    EXPECT_EQ(win32OpenAdvice(32), kHeldElsewhere);  // ERROR_SHARING_VIOLATION
    for (unsigned long code : {0ul, 1ul, 13ul, 16ul, 31ul, 87ul, 1167ul}) {
        EXPECT_EQ(win32OpenAdvice(code), "") << code;
    }
}

TEST(PortOpenAdvice, ExplanationJoinsTheSystemsTextAndTheAdviceWithOneFullStop) {
    EXPECT_EQ(openErrorExplanation("Permission denied", kJoinGroup),
              "Permission denied. " + kJoinGroup);
    EXPECT_EQ(openErrorExplanation("The system cannot find the file specified.", kNotThere),
              "The system cannot find the file specified. " + kNotThere);
    EXPECT_EQ(openErrorExplanation("Input/output error", ""), "Input/output error");
    EXPECT_EQ(openErrorExplanation("", kHeldElsewhere), kHeldElsewhere);
    EXPECT_EQ(openErrorExplanation("", ""), "");
}

TEST(PortOpenAdvice, ReasonNamesThePort) {
    EXPECT_EQ(portOpenReason("/dev/ttyUSB0", "Permission denied. " + kJoinGroup),
              "Cannot open /dev/ttyUSB0: Permission denied. " + kJoinGroup);
    EXPECT_EQ(portOpenReason("COM3", ""), "Cannot open COM3.");
}

}  // namespace
