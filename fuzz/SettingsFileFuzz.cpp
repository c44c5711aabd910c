// The settings file's reader on any text: it never crashes, every refusal gives a reason,
// whatever it accepts holds only values a sensor may be given, and the program's own writing of
// an accepted file reads back to the same document. The flat JSON reader under it agrees with
// its own writer on every object it accepts.
#include <cstdint>
#include <string>

#include "FlatJson.h"
#include "FuzzCheck.h"
#include "SettingsFile.h"

namespace {

using namespace dut::settings;

void checkJsonRoundTrip(const FlatJsonResult& json) {
    std::vector<JsonMember> writable;
    for (const JsonMember& m : json.members) {
        if (m.kind == JsonMember::Kind::String ||
            (m.kind == JsonMember::Kind::Integer && !m.integerOverflow)) {
            writable.push_back(m);
        }
    }
    const FlatJsonResult again = parseFlatJson(writeFlatJson(writable));
    FUZZ_CHECK(again.error.empty());
    FUZZ_CHECK(again.members.size() == writable.size());
    for (std::size_t i = 0; i < writable.size(); ++i) {
        FUZZ_CHECK(again.members[i].key == writable[i].key);
        FUZZ_CHECK(again.members[i].kind == writable[i].kind);
        FUZZ_CHECK(again.members[i].text == writable[i].text);
        FUZZ_CHECK(again.members[i].integer == writable[i].integer);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    const FlatJsonResult json = parseFlatJson(text);
    FUZZ_CHECK(json.error.empty() || json.members.empty());
    // Duplicate keys are refused by the reader itself: written back they would stay apart.
    if (json.error.empty()) checkJsonRoundTrip(json);

    const ParsedSettings parsed = parseSettings(text);
    FUZZ_CHECK(parsed.document.has_value() == parsed.refusal.empty());
    if (!parsed.document) return 0;
    const SettingsDocument& document = *parsed.document;
    FUZZ_CHECK(document.sensorNumber > 0);
    FUZZ_CHECK(!document.date.empty());
    bool anyWritable = false;
    for (const auto& [parameter, value] : document.values) {
        const SettingKey* key = keyForParameter(parameter);
        FUZZ_CHECK(key != nullptr);
        FUZZ_CHECK(valueAllowed(parameter, value));
        anyWritable = anyWritable || key->writable;
    }
    FUZZ_CHECK(anyWritable);

    const ParsedSettings again = parseSettings(writeSettings(document));
    FUZZ_CHECK(again.document.has_value());
    FUZZ_CHECK(again.document->sensorNumber == document.sensorNumber);
    FUZZ_CHECK(again.document->date == document.date);
    FUZZ_CHECK(again.document->values == document.values);
    return 0;
}
