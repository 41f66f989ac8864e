/* How the card importer's steps pick their property lines: the exact-name rule
 * (every line whose name is the property, case-sensitive) and the first-line
 * rule (the first line that merely contains the property's text). Exports
 * PropertyScratch, CutLine, VisitNamedLines, ForEachNamedLine, ForEachNamedProperty,
 * ForEachNamedHead, FirstNamedValue and FirstPropertyValue. */
#ifndef ZAMO_IMPORT_NAMED_PROPERTY_LINES_H
#define ZAMO_IMPORT_NAMED_PROPERTY_LINES_H

#include <cstddef>
#include <vector>

#include "card_lines.h"
#include "line_heads.h"
#include "property_lines.h"
#include "text_search.h"
#include "wide_text.h"

/* Buffers reused by every step of one card, so that looking a property up does
 * not allocate, and the card's line heads: the exact-name rule reads through
 * them when SummarizeLineHeads has made them for the card it is given. */
struct PropertyScratch {
    static constexpr size_t kJoinedLine = static_cast<size_t>(-1);

    WString joined;  // a property line joined with its continuations
    PropertyParts parts;
    PropertyHead head;
    size_t line = kJoinedLine;  // the card line last cut (into `parts` or `head`); kJoinedLine: a joined one
    CardLineHeads heads;
};

/* Whether `name` holds none of "\\", "?", ":" and ";" (every property name the
 * importer looks for), so that the line heads may answer for it. */
bool IsPlainPropertyName(WStringView name);

/* A property name as the exact-name rule looks it up, worked out once (the
 * steps keep theirs in tables): its text, whether it is plain, and how the line
 * heads find it. */
struct PropertyName {
    HeadName head;
    bool plain;
    bool headed;  // plain and a head text: the line heads may answer for it
    PropertyName(WStringView name)  // NOLINT
        : head(name), plain(IsPlainPropertyName(name)), headed(plain && head.isHead) {}
    PropertyName(const WCHAR* name) : PropertyName(WStringView(name)) {}               // NOLINT
    PropertyName(const WString& name) : PropertyName(WStringView(name)) {}             // NOLINT
};

/* Whether the exact-name rule surely finds no line named `name` in `card`:
 * the line heads describe the card and no line starts with the name. False
 * tells nothing. */
inline bool SurelyNoLineNamed(const PropertyName& name, const CardLines& card, const CardLineHeads& heads) {
    return name.headed && heads.lines == &card && heads.count == card.size() &&
           FirstLineOf(heads, name.head.bucket) == CardLineHeads::kNone;
}

/* Cuts `line` whole into `parts`, or only as far as its first value component
 * into `head` (its first `plain` units known to hold no ";", ":" or "\\"), and
 * returns the name cut. */
inline WStringView CutLine(WStringView line, PropertyParts& parts, size_t /*plain*/) {
    SplitPropertyParts(line, parts);
    return parts.name;
}
inline WStringView CutLine(WStringView line, PropertyHead& head, size_t plain) {
    SplitPropertyHead(line, head, plain);
    return head.name;
}

/* VisitNamedLines through VisitLinesHeadedBy (whose joins may swallow lines of
 * the name's bucket) or every line containing the name: the walk for the
 * uncommon cards, kept out of line so that the usual walk builds none of its
 * callables. */
template <typename Cut, typename Found>
__attribute__((noinline)) void VisitNamedLinesSlowly(const PropertyName& name, const CardLines& card,
                                                     PropertyScratch& scratch, Cut& into, Found& found) {
    auto take = [&](WStringView line, size_t first, size_t last) {
        scratch.line = first == last ? first : PropertyScratch::kJoinedLine;
        if (!SameText(CutLine(line, into, 0), name.head.text)) return true;
        return found();
    };
    using Take = decltype(take);
    auto call = [](void* context, WStringView line, size_t first, size_t last) {
        return (*static_cast<Take*>(context))(line, first, last);
    };
    if (name.plain && VisitLinesHeadedBy(name.head, card, scratch.heads, scratch.joined, call, &take)) return;
    VisitPropertyLines(name.head.text, card, scratch.joined, call, &take);
}

/* Exact-name rule, the walk beneath the ones below: for a name without "\\" or
 * "?", for every property line of the card whose name equals `name` exactly, in
 * card order, cuts it into `into` (scratch.parts, or scratch.head for readers of
 * the first value component only; scratch.line telling which card line it is)
 * and calls found(), until found returns false. Through the line heads when they
 * describe the card and the name is plain, else through every line that
 * contains the name. */
template <typename Cut, typename Found>
void VisitNamedLines(const PropertyName& name, const CardLines& card, PropertyScratch& scratch, Cut& into,
                     Found&& found) {
    const CardLineHeads& heads = scratch.heads;
    if (!name.headed || heads.lines != &card || heads.count != card.size() ||
        (heads.followsMarked[name.head.bucket / 64] >> (name.head.bucket % 64) & 1)) {
        VisitNamedLinesSlowly(name, card, scratch, into, found);
        return;
    }
    // No join swallows a line of the name's bucket: each line headed by the name
    // is read with its own joins, and nothing else. Such a line (then ":", ";"
    // or its end) splits into the name (it holds no ":", ";" or "\\" to cut or
    // escape sooner) or, lacking a colon, into the whole line: their sizes tell
    // which.
    const size_t size = name.head.text.size();
    const std::vector<uint32_t>& marked = heads.marked;
    size_t m = 0;  // the first marked line not yet passed
    for (uint32_t chained = FirstLineOf(heads, name.head.bucket); chained != CardLineHeads::kNone;
         chained = heads.next[chained]) {
        WStringView line = card[chained];
        if (!HeadIs(line, name.head)) continue;
        while (m < marked.size() && marked[m] < chained) ++m;
        size_t last = chained;
        if (m < marked.size() && marked[m] == chained) {
            last = JoinEnd(card, marked, m);
            line = JoinLines(card, chained, last, scratch.joined);
        }
        scratch.line = last == chained ? chained : PropertyScratch::kJoinedLine;
        if (CutLine(line, into, size).size() == size && !found()) return;
    }
}

/* Exact-name rule: calls visit(into) for every property line of the card whose
 * name equals `name` exactly, in card order, cut into `into` as VisitNamedLines
 * cuts. `visit` may read scratch.line, and use `scratch` no further. */
template <typename Cut, typename Visit>
void ForEachNamedLine(const PropertyName& name, const CardLines& card, PropertyScratch& scratch, Cut& into,
                      Visit&& visit) {
    VisitNamedLines(name, card, scratch, into, [&]() {
        visit(static_cast<const Cut&>(into));
        return true;
    });
}

/* ForEachNamedLine with each line cut whole, visit(parts). */
template <typename Visit>
void ForEachNamedProperty(const PropertyName& name, const CardLines& card, PropertyScratch& scratch,
                          Visit&& visit) {
    ForEachNamedLine(name, card, scratch, scratch.parts, visit);
}

/* ForEachNamedLine with each line cut as far as its first value component,
 * visit(head). */
template <typename Visit>
void ForEachNamedHead(const PropertyName& name, const CardLines& card, PropertyScratch& scratch,
                      Visit&& visit) {
    ForEachNamedLine(name, card, scratch, scratch.head, visit);
}

/* Exact-name rule, first line only: puts the first value component of the first
 * line named exactly `name` into `value` and returns true; false when none. */
bool FirstNamedValue(const PropertyName& name, const CardLines& card, PropertyScratch& scratch,
                     WString& value);

/* First-line rule: when some line contains `name`, puts the first value component
 * of the first such line into `value`, whatever that line's own name, and returns
 * true; otherwise returns false and leaves `value` alone. */
bool FirstPropertyValue(WStringView name, const CardLines& card, PropertyScratch& scratch,
                        WString& value);

#endif
