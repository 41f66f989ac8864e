/* Property lookup and line splitting (see property_lines.h). Escapes are found
 * in one left-to-right scan: a separator is escaped exactly when a backslash
 * stands right before it, so no protected copy of the line is ever made. The
 * scans test sixteen or eight code units at once and walk the units found as bits. */
#include "property_lines.h"

#include <cstdint>
#include <cstring>

#include "text_search.h"

namespace {

// What the splitting looks for, on one unit, on eight at once (a lane of all
// ones where found) and on sixteen packed to bytes (as bits; what is looked
// for is ASCII below 0x7F, which the packing keeps).
struct Separators {  // ";" or ":": 0x3B and 0x3A differ in the lowest bit only
    static bool Found(WCHAR unit) { return (unit | 1) == u';'; }
    static EightUnits Found(EightUnits units) { return (units | SpreadUnit(1)) == SpreadUnit(u';'); }
    static unsigned Found(SixteenByteLanes bytes) { return EqualByteLanesWithLowBit(bytes, ';'); }
};

// ";", and "\", "?" or NUL, which may make a value differ from its text (0x3B
// and 0x3F are the units that or'ed with 4 give 0x3F).
struct ValueStops {
    static bool Found(WCHAR unit) { return (unit | 4) == 0x3F || unit == u'\\' || unit == 0; }
    static EightUnits Found(EightUnits units) {
        return ((units | SpreadUnit(4)) == SpreadUnit(0x3F)) | (units == SpreadUnit(u'\\')) |
               (units == SpreadUnit(0));
    }
    static unsigned Found(SixteenByteLanes bytes) {
        return EqualByteLanesWithBits(bytes, 4, 0x3F) | EqualByteLanesEither(bytes, '\\', 0);
    }
};

struct EscapeStarts {  // "\" or "?", what may start an escape or a placeholder
    static bool Found(WCHAR unit) { return unit == u'\\' || unit == u'?'; }
    static EightUnits Found(EightUnits units) {
        return (units == SpreadUnit(u'\\')) | (units == SpreadUnit(u'?'));
    }
    static unsigned Found(SixteenByteLanes bytes) { return EqualByteLanesEither(bytes, '\\', '?'); }
};

// Copies `count` units from `from` to `to`, which do not overlap, sixteen at a
// time and the rest as the last eight (or four, or two) again: most values are
// short, and this takes no call.
inline void CopyUnits(WCHAR* to, const WCHAR* from, size_t count) {
    auto copy = [to, from](size_t at, auto word) {
        std::memcpy(&word, from + at, sizeof word);
        std::memcpy(to + at, &word, sizeof word);
    };
    if (count < 8) {
        if (count >= 4) {
            copy(0, uint64_t{});
            copy(count - 4, uint64_t{});
        } else if (count >= 2) {
            copy(0, uint32_t{});
            copy(count - 2, uint32_t{});
        } else if (count == 1) {
            to[0] = from[0];
        }
        return;
    }
    size_t i = 0;
    for (; i + 16 <= count; i += 16) {
        copy(i, EightUnits{});
        copy(i + 8, EightUnits{});
    }
    if (i + 8 <= count) copy(i, EightUnits{});
    copy(count - 8, EightUnits{});
}

// The units of a text from a position on that `Wanted` finds, a block of up
// to sixteen units at a time (packed to bytes), the last few read as the last
// eight without the ones already seen; with `kCopies`, each unit read is also
// copied to `copy` (where the first position's unit goes), so that the text up
// to the end of the last block given lies there. A caller that writes nothing
// to the copy between blocks and leaves `slack` units before it free (not 0)
// lets the last eight be copied whole, again where they were.
template <typename Wanted, bool kCopies = false>
class FoundBlocks {
public:
    FoundBlocks(WStringView text, size_t from, WCHAR* copy = nullptr, size_t slack = 0)
        : units_(text.data()), size_(text.size()), next_(from), copy_(copy), base_(from), slack_(slack) {}

    /* The next block that holds any: its first position and which of its units
     * are found (unit from + k as bit k); false when no block is left. */
    bool Next(size_t& from, unsigned& bits) {
        for (; next_ + 16 <= size_; next_ += 16) {
            const EightUnits first = Load(next_), second = Load(next_ + 8);
            const unsigned found = Wanted::Found(PackedUnitLanes(first, second));
            if (found == 0) continue;
            from = next_;
            bits = found;
            next_ += 16;
            return true;
        }
        if (next_ + 8 <= size_) {
            const EightUnits eight = Wanted::Found(Load(next_));
            from = next_;
            next_ += 8;
            if ((bits = LaneBits(eight)) != 0) return true;
        }
        if (next_ == size_) return false;
        if (size_ >= 8) {  // the last few, read as the last eight without the ones already seen
            from = size_ - 8;
            const unsigned seen = static_cast<unsigned>(next_ - from);
            const EightUnits units = LoadEightUnits(units_ + from);
            if (kCopies) {
                if (slack_ != 0 && from + slack_ >= base_)  // copied whole, again where they were
                    std::memcpy(copy_ + (next_ - base_) - seen, &units, sizeof units);
                else
                    CopyUnits(copy_ + (next_ - base_), units_ + next_, size_ - next_);
            }
            next_ = size_;
            bits = LaneBits(Wanted::Found(units)) >> seen << seen;
            return bits != 0;
        }
        if (kCopies) CopyUnits(copy_ + (next_ - base_), units_ + next_, size_ - next_);
        from = next_;  // a short text, unit by unit
        bits = 0;
        for (size_t i = next_; i < size_; ++i)
            if (Wanted::Found(units_[i])) bits |= 1u << (i - from);
        next_ = size_;
        return bits != 0;
    }

private:
    // The eight units from `at` on, copied when the blocks copy.
    EightUnits Load(size_t at) {
        const EightUnits units = LoadEightUnits(units_ + at);
        if (kCopies) std::memcpy(copy_ + (at - base_), &units, sizeof units);
        return units;
    }

    const WCHAR* units_;
    size_t size_;
    size_t next_;   // the first unit not yet read
    WCHAR* copy_;   // where the first position's unit goes
    size_t base_;   // the first position
    size_t slack_;  // how many units before `copy_` may be written (0: none, nor any again)
};

// Calls stop(position) for each unit from `from` on that `Wanted` finds and no
// backslash escapes, in order, until stop returns true; returns whether it did.
template <typename Wanted, typename Stop>
bool FindUnescaped(WStringView line, size_t from, Stop stop) {
    const WCHAR* units = line.data();
    size_t block;
    unsigned bits;
    for (FoundBlocks<Wanted> blocks(line, from); blocks.Next(block, bits);)
        for (; bits != 0; bits &= bits - 1) {
            const size_t i = block + static_cast<size_t>(__builtin_ctz(bits));
            if (i > 0 && units[i - 1] == u'\\') continue;  // escaped
            if (stop(i)) return true;
        }
    return false;
}

// Cuts `line` from `start` on at each unit `Wanted` finds that no backslash
// escapes, adding the piece before it to `pieces` and moving `start` past it,
// until last(position) holds for a cut made; returns whether it did.
template <typename Wanted, typename Last>
bool CutPieces(WStringView line, size_t& start, std::vector<WStringView>& pieces, Last last) {
    const WCHAR* units = line.data();
    return FindUnescaped<Wanted>(line, start, [&](size_t i) {
        pieces.emplace_back(units + start, i - start);
        start = i + 1;
        return last(i);
    });
}

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

// Writes component `piece` of a line as its value into `slot`, which holds a
// copy of it apart from the line: escapes and placeholders become the
// separator they stand for ("\;" and "?>" -> ";"), the text between them
// copied up from the line a run at a time, and a NUL follows. Returns the
// value's length.
size_t RestoreInto(WCHAR* slot, WStringView piece) {
    size_t out = 0;  // the value's length so far
    size_t run = 0;  // start of the text not yet in place
    size_t from;
    unsigned bits;
    for (FoundBlocks<EscapeStarts> blocks(piece, 0); blocks.Next(from, bits);)
        for (; bits != 0; bits &= bits - 1) {
            const size_t i = from + static_cast<size_t>(__builtin_ctz(bits));
            // A last unit stands for itself; the second of a pair just restored starts none.
            if (i + 1 >= piece.size() || i < run) continue;
            const EscapeRule* rule = piece[i] == u'\\' ? RuleForEscaped(piece[i + 1])
                                                       : RuleForPlaceholder(piece[i + 1]);
            if (!rule) continue;
            if (out != run) CopyUnits(slot + out, piece.data() + run, i - run);
            out += i - run;
            slot[out++] = rule->escaped;
            run = i + 2;
        }
    if (out != run) CopyUnits(slot + out, piece.data() + run, piece.size() - run);
    out += piece.size() - run;
    slot[out] = 0;
    return out;
}

// The start of `values`, grown to hold `length` units and a NUL.
WCHAR* RoomFor(size_t length, std::vector<WCHAR>& values) {
    if (values.size() <= length) values.resize(length + 1);
    return values.data();
}

// Copies `text` to the start of `values`, a NUL after it.
WCHAR* CopyWithNul(WStringView text, std::vector<WCHAR>& values) {
    WCHAR* const copy = RoomFor(text.size(), values);
    CopyUnits(copy, text.data(), text.size());
    copy[text.size()] = 0;
    return copy;
}

// Restores in place the components of a value copied from `value` on that
// parts.restored notes, and notes their lengths in parts.sizes (the others'
// entries are not read).
void RestoreNoted(const WCHAR* value, PropertyParts& parts) {
    const std::vector<WStringView>& components = parts.components;
    parts.sizes.resize(components.size());
    auto restore = [&](size_t k) {
        const WStringView piece = components[k];
        parts.sizes[k] = RestoreInto(parts.values.data() + (piece.data() - value), piece);
    };
    constexpr uint64_t kFromLast = uint64_t{1} << 63;  // components 63 on, all of them
    for (uint64_t noted = parts.restored & ~kFromLast; noted != 0; noted &= noted - 1)
        restore(static_cast<size_t>(__builtin_ctzll(noted)));
    if (parts.restored & kFromLast)
        for (size_t k = 63; k < components.size(); ++k) restore(k);
}

// Cuts the value of `line`, from `start` on, into parts.components at each ";"
// that no backslash escapes, copying it with a NUL where each component ends,
// and restores the components that hold "\", "?" or a NUL.
void CutValue(WStringView line, size_t start, PropertyParts& parts) {
    const WCHAR* units = line.data();
    WCHAR* const copy = RoomFor(line.size() - start, parts.values);  // position i of the line at copy[i - start]
    uint64_t restored = 0;
    size_t piece = start;
    size_t from;
    unsigned bits;
    for (FoundBlocks<ValueStops, true> blocks(line, start, copy); blocks.Next(from, bits);)
        for (; bits != 0; bits &= bits - 1) {
            const size_t i = from + static_cast<size_t>(__builtin_ctz(bits));
            const WCHAR unit = units[i];
            if (unit == u';') {
                if (units[i - 1] == u'\\') continue;  // escaped (the value starts after the colon)
                parts.components.emplace_back(units + piece, i - piece);
                copy[i - start] = 0;
                piece = i + 1;
            } else {
                const size_t k = parts.components.size();
                restored |= uint64_t{1} << (k < 63 ? k : 63);
            }
        }
    parts.components.emplace_back(units + piece, line.size() - piece);
    copy[line.size() - start] = 0;
    parts.restored = restored;
    if (restored != 0) RestoreNoted(units + start, parts);
}

// The first ":" of `line` that no backslash escapes, or npos; `nameEnd` becomes
// the first such ";" or ":" (where the name ends) when there is a colon. The
// first `plain` units hold no ";", ":" or "\": the search starts after them.
size_t FirstColon(WStringView line, size_t plain, size_t& nameEnd) {
    const WCHAR* units = line.data();
    nameEnd = WStringView::npos;
    size_t from = plain;
    if (plain < line.size() && Separators::Found(units[plain])) {  // the name, then its colon or a parameter
        nameEnd = plain;
        if (units[plain] == u':') return plain;
        from = plain + 1;
    }
    size_t colon = WStringView::npos;
    FindUnescaped<Separators>(line, from, [&](size_t i) {
        if (nameEnd == WStringView::npos) nameEnd = i;
        return units[i] == u':' && (colon = i, true);
    });
    return colon;
}

// Where the first component of a value starting at `start` (after the colon)
// ends: the first ";" from there on that no backslash escapes, or the line's
// end; `restored` tells whether the component holds "\", "?" or a NUL. The
// component is copied to `copy` on the way (which has room for the value, and
// kSlack units before it that may be overwritten).
constexpr size_t kSlack = 16;
size_t FirstComponentEnd(WStringView line, size_t start, bool& restored, WCHAR* copy) {
    const WCHAR* units = line.data();
    restored = false;
    size_t from;
    unsigned bits;
    for (FoundBlocks<ValueStops, true> blocks(line, start, copy, kSlack); blocks.Next(from, bits);)
        for (; bits != 0; bits &= bits - 1) {
            const size_t i = from + static_cast<size_t>(__builtin_ctz(bits));
            if (units[i] != u';')
                restored = true;
            else if (units[i - 1] != u'\\')  // the value starts after the colon
                return i;
        }
    return line.size();
}

// Lines searched as one text: while they lie back to back, up to this many
// lines or until they hold this many units (fewer at first: names are often
// found near the start).
constexpr size_t kGroupLines = 16;
constexpr size_t kFirstGroupUnits = 64;
constexpr size_t kGroupUnits = 512;

// The first line from `from` on that contains `name` (not empty), or
// lines.size(). Lines that lie back to back in the text are searched as one
// text, a few at a time: a hit inside one line is that line, no line before it
// in the text holding the name; a hit across the end of a line means that line
// holds none, and the search goes on from the next.
size_t NextLineContaining(WStringView name, const CardLines& lines, size_t from) {
    const size_t count = lines.size();
    size_t ends[kGroupLines];  // the end of each line of the group, from the group's start
    size_t units = kFirstGroupUnits;
    for (size_t i = from; i < count; units = kGroupUnits) {
        const WStringView line = lines[i];
        const WCHAR* const begin = line.data();
        size_t size = line.size();
        size_t taken = 1;
        ends[0] = size;
        for (; taken < kGroupLines && i + taken < count && size < units; ++taken) {
            const WStringView next = lines[i + taken];
            if (next.data() != begin + size && !next.empty()) break;  // an empty line holds nothing
            size += next.size();
            ends[taken] = size;
        }
        const size_t at = FindText(WStringView(begin, size), name);
        if (at == WStringView::npos) {
            i += taken;
            continue;
        }
        size_t k = 0;
        while (ends[k] <= at) ++k;  // the line the hit starts in
        if (at + name.size() <= ends[k]) return i + k;
        i += k + 1;
    }
    return count;
}

}  // namespace

void VisitPropertyLines(WStringView name, const CardLines& lines, WString& joined,
                        LineVisitor visit, void* context, const std::vector<uint32_t>* marked) {
    size_t m = 0;  // the first of `marked` not passed yet
    auto isMarked = [&](size_t i) {
        if (!marked) return ContainsText(lines[i], kLineBreakMarker);
        while (m < marked->size() && (*marked)[m] < i) ++m;
        return m < marked->size() && (*marked)[m] == i;
    };
    const bool grouped = !name.empty();
    for (size_t i = 0; i < lines.size(); ++i) {
        if (grouped) {
            i = NextLineContaining(name, lines, i);
            if (i == lines.size()) return;
        }
        const size_t first = i;
        while (i + 1 < lines.size() && isMarked(i)) ++i;
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

// Flattened: with every call inside made inline (the vectors' additions among
// them) a split takes about a fifth fewer instructions.
__attribute__((flatten)) void SplitPropertyParts(WStringView line, PropertyParts& parts) {
    parts.parameters.clear();
    parts.components.clear();
    const WCHAR* units = line.data();
    size_t start = 0;  // of the piece being cut
    const bool colon = CutPieces<Separators>(line, start, parts.parameters,
                                             [units](size_t i) { return units[i] == u':'; });
    if (!colon) {  // no colon: the whole line is name, parameter and value
        parts.name = line;
        parts.parameters.assign(1, line);
        parts.components.assign(1, line);
        parts.restored = 1;
        CopyWithNul(line, parts.values);
        RestoreNoted(line.data(), parts);
        return;
    }
    CutValue(line, start, parts);
    parts.name = parts.parameters.front();
}

namespace {

// SplitPropertyHead in full, for any line.
__attribute__((flatten, noinline)) void SplitHeadInFull(WStringView line, PropertyHead& head, size_t plain) {
    const WCHAR* units = line.data();
    size_t nameEnd;
    const size_t colon = FirstColon(line, plain, nameEnd);
    if (colon == WStringView::npos) {  // no colon: the whole line is name, parameter and component
        head.name = head.parameters = line;
        head.restored = true;
        WCHAR* const value = CopyWithNul(line, head.values);
        head.value = WStringView(value, RestoreInto(value, line));
        return;
    }
    head.name = WStringView(units, nameEnd);
    head.parameters = WStringView(units, colon);
    WCHAR* const value = RoomFor(line.size() - colon - 1 + kSlack, head.values) + kSlack;
    bool restored;
    const size_t end = FirstComponentEnd(line, colon + 1, restored, value);
    const WStringView piece(units + colon + 1, end - colon - 1);
    value[piece.size()] = 0;
    head.restored = restored;
    head.value = WStringView(value, restored ? RestoreInto(value, piece) : piece.size());
}

// Which of the sixteen units from `at` on `Wanted` finds, unit at + k as bit k.
template <typename Wanted>
inline unsigned FoundInSixteen(const WCHAR* at) {
    return Wanted::Found(PackedUnitLanes(LoadEightUnits(at), LoadEightUnits(at + 8)));
}

struct Colons {
    static unsigned Found(SixteenByteLanes bytes) { return EqualByteLanes(bytes, ':'); }
};

// Sets `head` to the cut of a usual line: name to `plain`, parameters to
// `colon`, its value from the colon on as it stands, in `value`.
inline void SetUsualHead(WStringView line, PropertyHead& head, size_t plain, size_t colon, WCHAR* value) {
    const size_t size = line.size() - colon - 1;
    value[size] = 0;
    head.name = WStringView(line.data(), plain);
    head.parameters = WStringView(line.data(), colon);
    head.restored = false;
    head.value = WStringView(value, size);
}

// SplitShortUsualHead for a line of eight to fifteen units, read as one
// sixteen: its first eight units, then its last eight (the middle read twice).
inline bool SplitShortUsualHead(WStringView line, PropertyHead& head, size_t plain) {
    const WCHAR* units = line.data();
    const size_t size = line.size();
    const size_t shift = size - 8;  // unit shift + k is byte 8 + k
    const EightUnits first = LoadEightUnits(units), last = LoadEightUnits(units + shift);
    const SixteenByteLanes bytes = PackedUnitLanes(first, last);
    // The first position at or after `from` of those `bits` marks, or the line's size.
    auto firstFrom = [shift, size](unsigned bits, size_t from) {
        const unsigned low = bits & 0xFF & (0xFFu << from);
        if (low != 0) return static_cast<size_t>(__builtin_ctz(low));
        const size_t skip = from > shift ? from - shift : 0;
        const unsigned high = bits >> 8 >> skip << skip;
        return high != 0 ? shift + static_cast<size_t>(__builtin_ctz(high)) : size;
    };
    size_t colon = plain;
    if (units[plain] == u';') {
        colon = firstFrom(Colons::Found(bytes), plain + 1);
        if (colon == size || units[colon - 1] == u'\\') return false;  // none, or escaped
    }
    const size_t start = colon + 1;  // of the value
    if (firstFrom(ValueStops::Found(bytes), start) != size) return false;
    WCHAR* const value = RoomFor(size - start + kSlack, head.values) + kSlack;
    std::memcpy(value - start, &first, sizeof first);  // the units before the value go to the slack
    std::memcpy(value + shift - start, &last, sizeof last);
    SetUsualHead(line, head, plain, colon, value);
    return true;
}

// SplitPropertyHead for the usual line, read sixteen units at a time: its name
// ends at `plain` with ":" or ";", its first ":" after that is unescaped, and its
// value holds none of ";", "\", "?" and NUL, so it is the first component as it
// stands. Reads only within the line (of eight units or more); false for any
// other line, `head` unset (its room may have grown).
inline bool SplitUsualHead(WStringView line, PropertyHead& head, size_t plain) {
    const WCHAR* units = line.data();
    const size_t size = line.size();
    if (size < 8 || plain >= size || !Separators::Found(units[plain])) return false;
    if (size < 16) return SplitShortUsualHead(line, head, plain);
    size_t colon = plain;
    if (units[plain] == u';') {
        size_t from = plain + 1;
        unsigned colons = 0;
        for (; from + 16 <= size; from += 16)
            if ((colons = FoundInSixteen<Colons>(units + from)) != 0) break;
        if (colons == 0) {  // the last few, read as the last sixteen without the ones already seen
            if (from == size) return false;
            const unsigned seen = static_cast<unsigned>(from - (size - 16));
            from = size - 16;
            colons = FoundInSixteen<Colons>(units + from) >> seen << seen;
            if (colons == 0) return false;
        }
        colon = from + static_cast<size_t>(__builtin_ctz(colons));
        if (units[colon - 1] == u'\\') return false;  // escaped: the full cut decides
    }
    const size_t start = colon + 1;  // of the value
    WCHAR* const value = RoomFor(size - start + kSlack, head.values) + kSlack;
    size_t at = start;
    for (; at + 16 <= size; at += 16) {
        if (FoundInSixteen<ValueStops>(units + at) != 0) return false;
        std::memcpy(value + (at - start), units + at, 16 * sizeof(WCHAR));
    }
    if (at != size) {  // the last few, read and copied as the last sixteen, again in part
        const unsigned seen = static_cast<unsigned>(at - (size - 16));
        if (FoundInSixteen<ValueStops>(units + size - 16) >> seen != 0) return false;
        std::memcpy(value + (at - start) - seen, units + size - 16, 16 * sizeof(WCHAR));
    }
    SetUsualHead(line, head, plain, colon, value);
    return true;
}

}  // namespace

void SplitPropertyHead(WStringView line, PropertyHead& head, size_t plain) {
    if (!SplitUsualHead(line, head, plain)) SplitHeadInFull(line, head, plain);
}

WString SplitPropertyLine(WStringView line, std::vector<WString>& parameters,
                          std::vector<WString>& components) {
    PropertyParts parts;
    SplitPropertyParts(line, parts);
    parameters.resize(parts.parameters.size());
    for (size_t i = 0; i < parts.parameters.size(); ++i)
        AssignProtected(parameters[i], parts.parameters[i]);
    components.resize(parts.components.size());
    for (size_t i = 0; i < parts.components.size(); ++i) {
        const WStringView value = ComponentView(parts, i);
        components[i].assign(value.data(), value.size());
    }
    return parameters.front();
}
