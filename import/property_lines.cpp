/* Property lookup and line splitting (see property_lines.h). Escapes are found
 * in one left-to-right scan: a separator is escaped exactly when a backslash
 * stands right before it, so no protected copy of the line is ever made. */
#include "property_lines.h"

#include "text_search.h"

namespace {

constexpr WStringView kLineBreakMarker = LineBreakMarker();

// What an escape "\x" protects to ("?>" ...) and what a placeholder restores to.
struct EscapeRule {
    WCHAR escaped;      // the character after the backslash
    WCHAR placeholder;  // the second character of the placeholder after "?"
};
const EscapeRule kEscapeRules[] = {
    {u';', u'>'},
    {u':', u'<'},
    {u',', u'/'},
};

const EscapeRule* RuleForEscaped(WCHAR c) {
    for (const EscapeRule& rule : kEscapeRules)
        if (rule.escaped == c) return &rule;
    return nullptr;
}

const EscapeRule* RuleForPlaceholder(WCHAR c) {
    for (const EscapeRule& rule : kEscapeRules)
        if (rule.placeholder == c) return &rule;
    return nullptr;
}

// Writes `piece` with its escapes turned into placeholders ("\;" -> "?>").
void AssignProtected(WString& out, WStringView piece) {
    out.assign(piece.data(), piece.size());
    for (size_t i = 0; i + 1 < out.size(); ++i) {
        if (out[i] != u'\\') continue;
        if (const EscapeRule* rule = RuleForEscaped(out[i + 1])) {
            out[i] = u'?';
            out[i + 1] = rule->placeholder;
            ++i;
        }
    }
}

// Writes `piece` as a value component: escapes and placeholders alike become
// the separator they stand for ("\;" and "?>" -> ";"); the text between them
// is copied a run at a time.
void AssignRestored(WString& out, WStringView piece) {
    bool plain = true;
    ForEachUnitOf(piece, u'\\', u'?', [&plain](size_t) { return plain = false; });
    if (plain) {
        out.clear();
        out.append(piece.data(), piece.size());  // nothing to restore
        return;
    }
    out.clear();
    size_t run = 0;  // start of the text not yet copied
    for (size_t i = 0; i + 1 < piece.size(); ++i) {
        const WCHAR c = piece[i];
        if (c != u'\\' && c != u'?') continue;
        const EscapeRule* rule =
            c == u'\\' ? RuleForEscaped(piece[i + 1]) : RuleForPlaceholder(piece[i + 1]);
        if (!rule) continue;
        out.append(piece.data() + run, i - run);
        out.push_back(rule->escaped);
        ++i;
        run = i + 1;
    }
    out.append(piece.data() + run, piece.size() - run);
}

}  // namespace

void VisitPropertyLines(WStringView name, const CardLines& lines, WString& joined,
                        LineVisitor visit, void* context) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!ContainsText(lines[i], name)) continue;
        const size_t first = i;
        while (i + 1 < lines.size() && ContainsText(lines[i], kLineBreakMarker)) ++i;
        WStringView line = lines[first];
        if (i != first) {
            joined.clear();
            for (size_t j = first; j <= i; ++j) joined.append(lines[j].data(), lines[j].size());
            line = joined;
        }
        if (!visit(context, line, first, i)) return;
    }
}

void FindPropertyLines(WStringView name, const CardLines& lines, std::vector<WString>& result) {
    result.clear();
    WString joined;
    ForEachPropertyLine(name, lines, joined, [&result](WStringView line) {
        result.emplace_back(line);
        return true;
    });
}

void SplitPropertyParts(WStringView line, PropertyParts& parts) {
    parts.parameters.clear();
    parts.components.clear();
    std::vector<WStringView>* pieces = &parts.parameters;  // the components after the colon
    const WCHAR* units = line.data();
    size_t start = 0;
    ForEachUnitOf(line, u';', u':', [&](size_t i) {
        if (i > 0 && units[i - 1] == u'\\') return true;  // escaped
        const bool colon = units[i] == u':';
        if (colon && pieces == &parts.components) return true;  // only the first colon separates
        pieces->emplace_back(units + start, i - start);
        if (colon) pieces = &parts.components;
        start = i + 1;
        return true;
    });
    if (pieces == &parts.parameters) {  // no colon: the whole line is name, parameter and value
        parts.name = line;
        parts.parameters.assign(1, line);
        parts.components.assign(1, line);
        return;
    }
    parts.components.emplace_back(units + start, line.size() - start);
    parts.name = parts.parameters.front();
}

const WCHAR* ComponentValue(const PropertyParts& parts, size_t index, WString& room) {
    if (index >= parts.components.size()) return TEXT("");
    AssignRestored(room, parts.components[index]);
    return room.c_str();
}

WString SplitPropertyLine(WStringView line, std::vector<WString>& parameters,
                          std::vector<WString>& components) {
    PropertyParts parts;
    SplitPropertyParts(line, parts);
    parameters.resize(parts.parameters.size());
    for (size_t i = 0; i < parts.parameters.size(); ++i)
        AssignProtected(parameters[i], parts.parameters[i]);
    components.resize(parts.components.size());
    for (size_t i = 0; i < parts.components.size(); ++i)
        AssignRestored(components[i], parts.components[i]);
    return parameters.front();
}
