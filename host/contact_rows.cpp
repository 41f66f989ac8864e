/* The row printer of list and find (see contact_rows.h). */
#include "contact_rows.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "contact_text.h"
#include "utf_text.h"

namespace {

std::string Json(WStringView text) { return JsonString(WideToUtf8(text)); }

WString Name(const TreeEntry& e) { return JoinName(e.firstName, e.middleName, e.lastName, e.title); }

std::string JsonRows(const std::vector<TreeEntry>& rows) {
    std::string out = "[";
    for (size_t i = 0; i < rows.size(); ++i) {
        const TreeEntry& e = rows[i];
        out += i ? ",\n " : "\n ";
        out += "{\"uid\": " + Json(e.uid) + ", \"depth\": " + std::to_string(e.depth) +
               ", \"name\": " + Json(Name(e)) + ", \"firstName\": " + Json(e.firstName) +
               ", \"middleName\": " + Json(e.middleName) + ", \"lastName\": " +
               Json(e.lastName) + ", \"telephone\": " + Json(e.telephone) +
               ", \"email\": " + Json(e.email) + "}";
    }
    return out + (rows.empty() ? "]\n" : "\n]\n");
}

std::string TsvRows(const std::vector<TreeEntry>& rows) {
    std::string out = "uid\tname\ttelephone\temail\n";
    for (const TreeEntry& e : rows)
        out += TsvField(e.uid) + "\t" + TsvField(Name(e)) + "\t" + TsvField(e.telephone) + "\t" +
               TsvField(e.email) + "\n";
    return out;
}

std::string ColumnRows(const std::vector<TreeEntry>& rows, bool showDepth) {
    constexpr size_t kColumns = 4;
    std::vector<std::array<std::string, kColumns>> cells;
    std::array<size_t, kColumns> widths{};
    for (const TreeEntry& e : rows) {
        std::string name = VisibleText(Name(e));
        std::string indent(showDepth ? static_cast<size_t>(e.depth) * 2 : 0, ' ');
        cells.push_back({indent + VisibleText(e.uid), name.empty() ? "(no name)" : name,
                         VisibleText(e.telephone), VisibleText(e.email)});
        for (size_t c = 0; c < kColumns; ++c)
            widths[c] = std::max(widths[c], DisplayWidth(cells.back()[c]));
    }
    std::string out;
    for (const auto& row : cells) {
        std::string line;
        for (size_t c = 0; c < kColumns; ++c) {
            if (c) line += "  ";
            line += row[c];
            line.append(widths[c] - DisplayWidth(row[c]), ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        out += line + "\n";
    }
    return out;
}

}  // namespace

void PrintContactRows(const std::vector<TreeEntry>& rows, const CommandLine& commandLine,
                      bool showDepth) {
    std::string out = commandLine.json  ? JsonRows(rows)
                      : commandLine.tsv ? TsvRows(rows)
                                        : ColumnRows(rows, showDepth);
    std::fwrite(out.data(), 1, out.size(), stdout);
}
