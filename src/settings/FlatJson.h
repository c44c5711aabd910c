#pragma once

#include <string>
#include <vector>

namespace dut::settings {

// The pieces of the reader's errors, for the window that translates them (context
// "FlatJson").
const std::vector<const char*>& flatJsonTexts();

// One member of a flat JSON object, as written in the file.
struct JsonMember {
    enum class Kind { Integer, Fraction, String, Boolean, Null, Nested };
    std::string key;
    Kind kind = Kind::Null;
    long long integer = 0;  // Kind::Integer only; clamped to the long long range
    bool integerOverflow = false;
    std::string text;  // Kind::String only
};

struct FlatJsonResult {
    std::vector<JsonMember> members;
    std::string error;  // empty when the text is one well-formed JSON object
};

// Reads a JSON text whose top level is one object. Nested objects and arrays are
// accepted as syntax and reported as Kind::Nested so that the caller can refuse them by name.
FlatJsonResult parseFlatJson(const std::string& text);

// "key": value pairs, one per line, in the order given.
std::string writeFlatJson(const std::vector<JsonMember>& members);

}  // namespace dut::settings
