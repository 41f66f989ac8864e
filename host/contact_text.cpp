/* Display helpers (see contact_text.h). */
#include "contact_text.h"

#include <cstdio>

#include "ole_date.h"
#include "utf_text.h"
#include "visible_text.h"

WString JoinName(WStringView first, WStringView middle, WStringView last, WStringView title) {
    WString name;
    for (WStringView part : {first, middle, last}) {
        if (part.empty()) continue;
        if (!name.empty()) name += u' ';
        name += part;
    }
    if (name.empty()) name = title;
    return name;
}

std::string DisplayName(WStringView first, WStringView middle, WStringView last,
                        WStringView title) {
    return VisibleText(JoinName(first, middle, last, title));
}

std::string VisibleText(WStringView text) {
    return VisibleUtf8(text.data(), text.size(), TextEscaping::Terminal);
}

std::string VisibleLines(WStringView text) {
    return VisibleUtf8(text.data(), text.size(), TextEscaping::TerminalLines);
}

std::string JsonText(WStringView text) {
    return "\"" + VisibleUtf8(text.data(), text.size(), TextEscaping::Json) + "\"";
}

std::string DateText(double oleDate, bool dateOnlyWhenMidnight, bool isoT) {
    if (OleIsEmptyDate(oleDate)) return "";
    SYSTEMTIME st = OleDateToSystemTime(oleDate);
    if (st.wYear == 0) return "";
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04u-%02u-%02u", st.wYear, st.wMonth, st.wDay);
    std::string text = buf;
    if (dateOnlyWhenMidnight && st.wHour == 0 && st.wMinute == 0 && st.wSecond == 0) return text;
    std::snprintf(buf, sizeof buf, "%c%02u:%02u:%02u", isoT ? 'T' : ' ', st.wHour, st.wMinute,
                  st.wSecond);
    return text + buf;
}
