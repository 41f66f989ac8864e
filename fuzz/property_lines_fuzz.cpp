/* Fuzz target: property lookup and line splitting over arbitrary card lines.
 * Input: one byte choosing the property name (or, past the table, a name read
 * from the input), then the card's text as little-endian code units, cut into
 * lines after each line feed, which the lines keep as UTF-8 lines do. */
#include <algorithm>
#include <exception>
#include <vector>

#include "fuzz_input.h"
#include "property_lines.h"

namespace {

const WCHAR* const kNames[] = {
    TEXT("TEL"), TEXT("N"),   TEXT("FN"),    TEXT("ADR"),   TEXT("NOTE"),
    TEXT("UID"), TEXT("REV"), TEXT("EMAIL"), TEXT("X-ICQ"), TEXT("BDAY"),
};
constexpr unsigned kNameCount = sizeof kNames / sizeof kNames[0];

WString Join(const std::vector<WString>& parts) {
    WString joined;
    for (size_t i = 0; i < parts.size(); ++i) joined += (i ? WString(1, ';') : WString()) + parts[i];
    return joined;
}

// The cut as far as the first component gives the whole split's name, entries
// and first value, told to pass over the units before the first separator or not.
void CheckHead(const WString& line) {
    PropertyParts parts;
    SplitPropertyParts(line, parts);
    const WStringView last = parts.parameters.back();
    const WStringView entries(line.data(), static_cast<size_t>(last.data() + last.size() - line.data()));
    const size_t plain = std::min(line.find_first_of(TEXT(";:\\")), line.size());
    PropertyHead head;
    for (size_t known : {size_t{0}, plain}) {
        SplitPropertyHead(line, head, known);
        if (head.name != parts.name || head.parameters != entries || head.value != ComponentView(parts, 0) ||
            head.value.data()[head.value.size()] != 0 || head.restored != parts.Restored(0))
            FuzzFail("the cut as far as the first component differs from the whole split");
    }
}

void CheckSplit(const WString& line) {
    CheckHead(line);
    std::vector<WString> parameters{TEXT("stale")}, components{TEXT("stale")};
    WString name = SplitPropertyLine(line, parameters, components);
    if (parameters.empty() || components.empty()) FuzzFail("split gave an empty list");
    if (parameters.front() != name) FuzzFail("the parameter list does not start with the name");
    // Without escapes or placeholders, the pieces put back together give the line.
    if (line.find_first_of(TEXT("\\?")) != WString::npos) return;
    size_t colon = line.find(':');
    if (colon == WString::npos) {
        if (name != line || components.size() != 1 || components[0] != line)
            FuzzFail("a line without colon is not kept whole");
        return;
    }
    if (Join(parameters) != line.substr(0, colon)) FuzzFail("parameters do not rebuild the head");
    if (Join(components) != line.substr(colon + 1)) FuzzFail("components do not rebuild the value");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    unsigned choice = in.Byte();
    WString name = choice < kNameCount ? WString(kNames[choice]) : in.ShortText();
    WString text = in.RestAsText();

    CardLines lines;
    size_t start = 0, total = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        end = end == WString::npos ? text.size() : end + 1;
        lines.push_back(WStringView(text).substr(start, end - start));
        total += end - start;
        start = end;
    }

    std::vector<WString> found{TEXT("stale")};
    try {
        FindPropertyLines(name, lines, found);
        size_t joined = 0;
        for (const WString& line : found) {
            if (line.find(name) == WString::npos) FuzzFail("a found line lacks the name");
            joined += line.size();
            CheckSplit(line);
        }
        if (joined > total) FuzzFail("found lines hold more text than the card");
        for (const CardLines::value_type& line : lines) CheckSplit(WString(line));
    } catch (const std::exception& e) {
        FuzzFail(std::string("property lookup threw: ") + e.what());
    }
    return 0;
}
