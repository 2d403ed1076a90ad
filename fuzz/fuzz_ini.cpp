// Fuzz entry for the ini reader and writer: any bytes must parse without fault, and a value set
// in the parsed file must read back, also after serialising and parsing again.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "platform/ini_file.h"
#include "platform/text_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using vorlin::IniDocument;
    IniDocument doc = IniDocument::Parse(std::span<const uint8_t>(data, size));
    for (const char* section : {"TEXT", "LIGHT", "MODE"}) {
        for (const std::string& key : doc.Keys(section)) {
            const auto value = doc.Find(section, key);
            if (!value) std::abort();  // a listed key must be found
            // Texts from files are used as formats; none may misbehave.
            (void)vorlin::FormatText(*value, {12345, "text"});
        }
    }
    (void)doc.Find("TEXT", "MAIN_CAPTION");

    if (!doc.Set("Fuzz", "Key", "value with = and ;")) std::abort();
    if (doc.Find("fuzz", "key") != "value with = and ;") std::abort();
    const auto bytes = doc.Serialize();
    const IniDocument again = IniDocument::Parse(bytes);
    if (again.Find("FUZZ", "KEY") != "value with = and ;") std::abort();
    if (again.encoding() != doc.encoding()) std::abort();
    return 0;
}
