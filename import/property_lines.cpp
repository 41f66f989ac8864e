/* Property lookup and line splitting (see property_lines.h). Escapes are found
 * in one left-to-right scan: a separator is escaped exactly when a backslash
 * stands right before it, so no protected copy of the line is ever made. */
#include "property_lines.h"

#include "line_index.h"
#include "text_search.h"

namespace {

const WStringView kLineBreakMarker = TEXT("=0D=0A=");

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

bool IsEscapedAt(WStringView text, size_t pos) {
    return pos > 0 && text[pos - 1] == u'\\';
}

// First position at or after `from` of `separator` not preceded by a backslash.
size_t FindUnescaped(WStringView text, WCHAR separator, size_t from) {
    for (size_t pos = FindUnitFrom(text, separator, from); pos != WStringView::npos;
         pos = FindUnitFrom(text, separator, pos + 1))
        if (!IsEscapedAt(text, pos)) return pos;
    return WStringView::npos;
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

// Reuses the strings already in `list` so that their capacity serves again.
WString& NextEntry(std::vector<WString>& list, size_t& used) {
    if (used == list.size()) list.emplace_back();
    return list[used++];
}

// Cuts `text` at every unescaped ";" and stores each piece through `assign`.
template <typename Assign>
void CutAtSemicolons(WStringView text, std::vector<WString>& list, Assign assign) {
    size_t used = 0;
    size_t start = 0;
    for (;;) {
        size_t end = FindUnescaped(text, u';', start);
        assign(NextEntry(list, used), text.substr(start, end == WStringView::npos ? WStringView::npos
                                                                                  : end - start));
        if (end == WStringView::npos) break;
        start = end + 1;
    }
    list.resize(used);
}

}  // namespace

void VisitPropertyLines(WStringView name, const CardLines& lines, const CardLineIndex* index,
                        WString& joined, LineVisitor visit, void* context) {
    static const PairKinds kMarkerKinds = PairKindsOf(kLineBreakMarker);
    const bool indexed = index != nullptr && IndexDescribes(*index, lines);
    const PairKinds nameKinds = indexed ? PairKindsOf(name) : PairKinds{};
    const bool skipping = indexed && nameKinds.count > 0;  // a one-unit name may be anywhere
    for (size_t i = 0; i < lines.size(); ++i) {
        if (skipping) {
            i = NextLineMayContain(*index, i, nameKinds);
            if (i == lines.size()) break;
        }
        if (!ContainsText(lines[i], name)) continue;
        const size_t first = i;
        while (i + 1 < lines.size() &&
               (!indexed || LineMayContain(*index, i, kMarkerKinds)) &&
               ContainsText(lines[i], kLineBreakMarker))
            ++i;
        WStringView line = lines[first];
        if (i != first) {
            joined.clear();
            for (size_t j = first; j <= i; ++j) joined.append(lines[j].data(), lines[j].size());
            line = joined;
        }
        if (!visit(context, line)) return;
    }
}

void FindPropertyLines(WStringView name, const CardLines& lines, std::vector<WString>& result) {
    result.clear();
    WString joined;
    ForEachPropertyLine(name, lines, nullptr, joined, [&result](WStringView line) {
        result.emplace_back(line);
        return true;
    });
}

void FindPropertyLines(WStringView name, const CardLines& lines, const CardLineIndex& index,
                       std::vector<WString>& result) {
    result.clear();
    WString joined;
    ForEachPropertyLine(name, lines, &index, joined, [&result](WStringView line) {
        result.emplace_back(line);
        return true;
    });
}

WString SplitPropertyLine(WStringView line, std::vector<WString>& parameters,
                          std::vector<WString>& components) {
    WString name;
    size_t colon = FindUnescaped(line, u':', 0);
    if (colon == WStringView::npos) {
        AssignProtected(name, line);
        parameters.resize(1);
        parameters[0] = name;
        components.resize(1);
        AssignRestored(components[0], line);
        return name;
    }
    WStringView head = line.substr(0, colon);
    CutAtSemicolons(head, parameters, AssignProtected);
    name = parameters.front();
    CutAtSemicolons(line.substr(colon + 1), components, AssignRestored);
    return name;
}
