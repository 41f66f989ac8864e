/* The corpus generator (see corpus.h): names, places and numbers drawn from small
 * tables by a fixed linear congruential sequence, written card by card. */
#include "corpus.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

class Sequence {
public:
    explicit Sequence(unsigned seed) : state_(seed * 2654435761u + 1) {}
    uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state_ >> 33);
    }
    template <size_t N>
    const char* Pick(const char* const (&table)[N]) { return table[Next() % N]; }
    std::string Digits(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += static_cast<char>('0' + Next() % 10);
        return s;
    }

private:
    uint64_t state_;
};

// UTF-8 Cyrillic and Latin text to windows-1251 bytes (the letters used here only).
std::string To1251(const std::string& utf8) {
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
            continue;
        }
        unsigned c = ((b & 0x1F) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F);
        if (c >= 0x410 && c <= 0x44F) out += static_cast<char>(0xC0 + (c - 0x410));
        else if (c == 0x401) out += static_cast<char>(0xA8);
        else if (c == 0x451) out += static_cast<char>(0xB8);
        else out += '?';
    }
    return out;
}

const char* const kFirstRu[] = {"Анна", "Иван", "Мария", "Сергей", "Ольга", "Дмитрий", "Елена", "Алексей"};
const char* const kLastRu[] = {"Иванова", "Петров", "Смирнова", "Кузнецов", "Попова", "Соколов", "Лебедева", "Ёлкин"};
const char* const kMiddleRu[] = {"Петровна", "Сергеевич", "Ивановна", "", "Алексеевич", ""};
const char* const kFirstEn[] = {"Anna", "John", "Maria", "Peter", "Olga", "David", "Helen", "Alex"};
const char* const kLastEn[] = {"Lee", "Smith", "Brown", "Taylor", "Wilson", "Clarke", "Hughes", "Wood"};
const char* const kCompany[] = {"ООО Ромашка", "Lee, Smith & Co", "АО Север", "Acme Ltd", "ИП Орлов"};
const char* const kJob[] = {"Главный инженер", "Sales manager", "Бухгалтер", "Developer", "Директор"};
const char* const kRole[] = {"Инженер", "Economist", "Юрист", "Designer", "Врач"};
const char* const kStreet[] = {"ул. Ленина, д. 5", "1 Main St", "пр. Мира, д. 12, кв. 7", "Baker Street 221b"};
const char* const kCity[] = {"Москва", "Springfield", "Санкт-Петербург", "London", "Казань"};
const char* const kProvince[] = {"Московская обл.", "", "Ленинградская обл.", "Kent"};
const char* const kCountry[] = {"Россия", "USA", "Россия", "UK"};
const char* const kNote[] = {"Встреча по проекту в четверг", "Call back after the holidays",
                             "Любит чай с лимоном и длинные письма", "Met at the trade fair, stand 12"};

// The card writer's escaping of the separators (the tables hold no apostrophe).
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ',' || c == ';' || c == ':') out += '\\';
        out += c;
    }
    return out;
}

void Line(std::string& out, const std::string& text) {
    out += text;
    out += "\r\n";
}

}  // namespace

std::string GenerateExporterCorpus(size_t cards, unsigned seed) {
    Sequence r(seed);
    std::string out;
    out.reserve(cards * 900);
    char buf[64];
    for (size_t i = 0; i < cards; ++i) {
        bool ru = r.Next() % 2 == 0;
        std::string first = ru ? r.Pick(kFirstRu) : r.Pick(kFirstEn);
        std::string last = ru ? r.Pick(kLastRu) : r.Pick(kLastEn);
        std::string middle = ru ? r.Pick(kMiddleRu) : "";
        std::snprintf(buf, sizeof buf, "{%08X-4A2B-11E0-9C3D-%012zX}", r.Next(), i);
        std::string card;
        Line(card, "BEGIN:VCARD");
        Line(card, "VERSION:3.0");
        Line(card, std::string("UID:") + buf);
        Line(card, "FN;CHARSET=windows-1251:" + first + " " + middle + " " + last);
        Line(card, "N;CHARSET=windows-1251:" + last + ";" + first + ";" + middle);
        Line(card, std::string("ORG;CHARSET=windows-1251:") + Escaped(r.Pick(kCompany)));
        Line(card, std::string("TITLE;CHARSET=windows-1251:") + r.Pick(kJob));
        Line(card, std::string("ROLE;CHARSET=windows-1251:") + r.Pick(kRole));
        Line(card, "PRODID:Velmora export plugin");
        Line(card, "X-ASSISTANT;CHARSET=windows-1251:");
        Line(card, "X-MANAGER;CHARSET=windows-1251:");
        for (const char* kind : {"HOME", "WORK"}) {
            std::string street = Escaped(r.Pick(kStreet));
            Line(card, std::string("ADR;CHARSET=windows-1251;TYPE=") + kind + ":;;" + street + ";" +
                           r.Pick(kCity) + ";" + r.Pick(kProvince) + ";" + r.Digits(6) + ";" +
                           r.Pick(kCountry));
        }
        std::snprintf(buf, sizeof buf, "BDAY:19%02u%02u%02u", 40 + r.Next() % 60, 1 + r.Next() % 12,
                      1 + r.Next() % 28);
        Line(card, buf);
        Line(card, std::string("NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:") +
                       r.Pick(kNote) + "=0D=0A=");
        Line(card, r.Pick(kNote));
        std::snprintf(buf, sizeof buf, "REV:20%02u%02u%02uT%02u%02u%02uZ", 5 + r.Next() % 20,
                      1 + r.Next() % 12, 1 + r.Next() % 28, r.Next() % 24, r.Next() % 60,
                      r.Next() % 60);
        Line(card, buf);
        Line(card, "TEL;TYPE=WORK:+7 495 " + r.Digits(3) + "-" + r.Digits(2) + "-" + r.Digits(2));
        Line(card, "TEL;TYPE=FAX:+7 495 " + r.Digits(3) + "-" + r.Digits(2) + "-" + r.Digits(2));
        Line(card, "EMAIL;TYPE=INTERNET:user" + r.Digits(6) + "@example.org");
        Line(card, "X-ICQ:" + r.Digits(9));
        Line(card, "END:VCARD");
        out += To1251(card);
    }
    return out;
}

std::string GeneratePhoneCorpus(size_t cards, unsigned seed) {
    Sequence r(seed);
    std::string out;
    out.reserve(cards * 600);
    char buf[64];
    for (size_t i = 0; i < cards; ++i) {
        bool ru = r.Next() % 2 == 0;
        std::string first = ru ? r.Pick(kFirstRu) : r.Pick(kFirstEn);
        std::string last = ru ? r.Pick(kLastRu) : r.Pick(kLastEn);
        Line(out, "BEGIN:VCARD");
        Line(out, "VERSION:3.0");
        Line(out, "N:" + last + ";" + first + ";;;");
        Line(out, "FN:" + first + " " + last);
        Line(out, "TEL;TYPE=CELL:+7 916 " + r.Digits(3) + " " + r.Digits(2) + " " + r.Digits(2));
        Line(out, "TEL;TYPE=HOME:+7 495 " + r.Digits(3) + " " + r.Digits(2) + " " + r.Digits(2));
        Line(out, "item1.EMAIL;TYPE=INTERNET:" + std::string(ru ? "ivan" : "john") + r.Digits(5) +
                      "@mail.example");
        Line(out, "item1.X-ABLabel:_$!<Other>!$_");
        Line(out, std::string("ADR;TYPE=HOME:;;") + r.Pick(kStreet) + ";" + r.Pick(kCity) + ";;" +
                      r.Digits(6) + ";" + r.Pick(kCountry));
        Line(out, std::string("ORG:") + r.Pick(kCompany));
        Line(out, std::string("TITLE:") + r.Pick(kJob));
        std::snprintf(buf, sizeof buf, "BDAY:19%02u-%02u-%02u", 40 + r.Next() % 60,
                      1 + r.Next() % 12, 1 + r.Next() % 28);
        Line(out, buf);
        Line(out, "URL:https://www.example.org/people/" + r.Digits(8) + "/profile");
        Line(out, std::string("NOTE:") + r.Pick(kNote) + ". " + r.Pick(kNote));
        std::snprintf(buf, sizeof buf, "UID:%08x-%04zx-4b1c-9d2e-%012x", r.Next(), i % 0xFFFF,
                      r.Next());
        Line(out, buf);
        std::snprintf(buf, sizeof buf, "REV:20%02u%02u%02uT%02u%02u%02uZ", 5 + r.Next() % 20,
                      1 + r.Next() % 12, 1 + r.Next() % 28, r.Next() % 24, r.Next() % 60,
                      r.Next() % 60);
        Line(out, buf);
        Line(out, "END:VCARD");
    }
    return out;
}

std::string GenerateManyTelCard(size_t tels) {
    Sequence r(7);
    std::string card;
    Line(card, "BEGIN:VCARD");
    Line(card, "VERSION:3.0");
    Line(card, "UID:many-tel-card");
    Line(card, "FN:Anna Lee");
    Line(card, "N:Lee;Anna;;;");
    char buf[64];
    for (size_t i = 0; i < tels; ++i) {
        // The index makes every number distinct, the digits vary the text.
        std::snprintf(buf, sizeof buf, "TEL;TYPE=%s:+7 495 %s-%06zu", i % 2 ? "CELL" : "WORK",
                      r.Digits(3).c_str(), i);
        Line(card, buf);
    }
    Line(card, "END:VCARD");
    return card;
}

std::string GenerateLongLineCard(size_t bytes) {
    Sequence r(11);
    std::string note = "NOTE;CHARSET=windows-1251;ENCODING=QUOTED-PRINTABLE:";
    while (note.size() < bytes) {
        note += r.Pick(kNote);
        note += ". ";
    }
    std::string card;
    Line(card, "BEGIN:VCARD");
    Line(card, "VERSION:3.0");
    Line(card, "UID:{long-line-card}");
    Line(card, "FN;CHARSET=windows-1251:Анна  Лебедева");
    Line(card, "N;CHARSET=windows-1251:Лебедева;Анна;");
    Line(card, note);
    Line(card, "REV:20100615T083000Z");
    Line(card, "END:VCARD");
    return To1251(card);
}

std::string GenerateShortLineCard(const char* property, size_t lines) {
    std::string card;
    card.reserve(64 + lines * (std::strlen(property) + 10));
    Line(card, "BEGIN:VCARD");
    Line(card, "UID:short-line-card");
    Line(card, "FN:Anna Lee");
    char buf[64];
    for (size_t i = 0; i < lines; ++i) {
        std::snprintf(buf, sizeof buf, "%s:%07zu", property, i);
        Line(card, buf);
    }
    Line(card, "END:VCARD");
    return card;
}

std::string GenerateEscapesCard(size_t escapes) {
    std::string note = "NOTE:";
    note.reserve(5 + 3 * escapes);
    for (size_t i = 0; i < escapes; ++i) note += "a\\;";
    std::string card;
    Line(card, "BEGIN:VCARD");
    Line(card, "VERSION:3.0");
    Line(card, "UID:escapes-card");
    Line(card, "FN:Anna Lee");
    Line(card, note);
    Line(card, "END:VCARD");
    return card;
}
