#!/usr/bin/env python3
# Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/), small files
# of known shapes. Regression files found by fuzzing are added beside them by hand
# and never rewritten here. Run from anywhere: python3 fuzz/make_corpus.py
import os
import struct

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")


def put(target, name, data):
    folder = os.path.join(HERE, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def u16(text):
    return text.encode("utf-16-le", "surrogatepass")


# import_file_fuzz: answers byte, present-contacts byte, file bytes.
def card(*lines, end="\n"):
    return ("BEGIN:VCARD" + end + "".join(l + end for l in lines) + "END:VCARD" + end)


full = card("VERSION:3.0", "UID:u1", "FN:Anna Lee", "N:Lee;Anna;;;", "ORG:Lee\\, Smith & Co;Sales",
            "TITLE:Boss", "ROLE:Chief", "NOTE;ENCODING=QUOTED-PRINTABLE:one=0D=0A=", "two",
            "BDAY:19800305", "REV:20100615T093000Z",
            "ADR;TYPE=HOME:;;1 Main St;Springfield;;12345;Land", "ADR;TYPE=WORK:;Suite 5;;;;;",
            "TEL;TYPE=WORK:555-0100", "TEL;TYPE=FAX:556", "URL:http://a.b", "EMAIL:a@b.c",
            "X-ICQ:123456", "X-GTALK:g", "X-AIM:a", "X-YAHOO:y", "X-SKYPE:s", "X-MSN:m", "X-JABBER:j")
imports = {
    "utf8_full": (0xFF, 0x00, full.encode("utf-8")),
    "utf8_crlf_present_yes": (0xFF, 0x0C, card("UID:u1", "FN:A", "REV:20100615", end="\r\n").encode()),
    "utf8_present_no": (0x00, 0x0F, card("UID:1", "FN:B", "REV:2010-06-15", "TEL:123").encode()),
    "cp1251": (0x01, 0x01, card("UID:1", "FN;CHARSET=windows-1251:Анна Ли",
                                "N;CHARSET=windows-1251:Ли;Анна;", "BDAY:19800305",
                                "REV:20100615T083000Z", end="\r\n").encode("cp1251")),
    "two_cards_and_junk": (0, 0, ("junk\n" + card("FN:A") + "between\n" + card("FN:B")).encode()),
    "no_end": (0, 0, b"BEGIN:VCARD\nFN:A\nTEL:1"),
    "nested_begin": (0, 0, b"BEGIN:VCARD\nFN:A\nBEGIN:VCARD\nFN:B\nEND:VCARD\nEND:VCARD\n"),
    "one_line_card": (0, 0, b"BEGIN:VCARD END:VCARD\n"),
    "utf8_bom": (0, 0, b"\xef\xbb\xbf" + card("FN:Bom", "N:;;;").encode()),
    "utf16_bom": (0, 0, b"\xff\xfe" + u16(card("FN:Wide", "TEL:1"))),
    "invalid_utf8": (0, 0, b"BEGIN:VCARD\nFN:\xc3\x28\xff\xfe\xed\xa0\x80x\nEND:VCARD\n"),
    "cr_only": (0, 0, b"BEGIN:VCARD\rFN:A\rEND:VCARD\r"),
    "dates": (0xAA, 0x03, card("UID:1", "REV:--0305", "BDAY:T", "BDAY:-", "BDAY:1980-5-03",
                               "BDAY:20100615T093000+0400", "BDAY:19800005", "BDAY:-1980-05-03",
                               "BDAY:2010-06-15T09:30:00Z").encode()),
    "escapes": (0, 0, card("UID:a\\;b", "FN:x\\", "NOTE:a\\\\;b?>c\\:d", "N:\\;;\\,;\\:",
                           "TEL;;TYPE=X:1;ext").encode()),
    "empty_uid": (0, 0, (card("UID:", "FN:A") + card("UID:", "FN:B")).encode()),
}
for name, (answers, presets, body) in imports.items():
    put("import_file_fuzz", name, bytes([answers, presets]) + body)

# property_lines_fuzz: name choice byte (0 TEL, 1 N, 2 FN, 3 ADR, 4 NOTE, ...;
# 255: a short text name follows), then the card's text as UTF-16LE.
lines = {
    "tel_title": (0, "TITLE:HOTEL manager\nTEL;TYPE=WORK:123\nX-TELEX:1\n"),
    "note_joined": (4, "NOTE;ENCODING=QUOTED-PRINTABLE:a=0D=0A=\nb=0D=0A=\nc\nTEL:1\n"),
    "n_components": (1, "N:Doe;John;;;\n"),
    "adr_escaped": (3, "ADR;CHARSET=windows-1251;TYPE=HOME:;;Main St\\, 5;Town;;12345;Land\n"),
    "escapes": (4, "NOTE:a\\;b\\:c\\,d\\\\;e?>?<?/\n"),
    "no_colon": (0, "TEL\nTEL;;TYPE=X:1\nTEL:\n"),
    "marker_last": (4, "NOTE:x=0D=0A="),
    "surrogates": (2, "FN:\ud800x\udc00\n"),
}
for name, (choice, text) in lines.items():
    put("property_lines_fuzz", name, bytes([choice]) + u16(text))
put("property_lines_fuzz", "own_name", bytes([255, 2]) + u16("X-") + u16("X-A:1\nX-:2\n"))

# vcard_date_fuzz: zone byte (0 UTC, 1 +04, 2 US Eastern, 3 +12:45 DST, 4 -11), text.
dates = {
    "basic": (1, "19800503"), "basic_lf": (1, "19800503\n"), "extended": (0, "1980-05-03"),
    "datetime_z": (1, "20100615T093000Z"), "datetime_offset": (2, "20100615T093000+0400"),
    "extended_datetime": (3, "2010-06-15T09:30:00Z"), "no_year": (0, "--0305"),
    "t": (0, "T"), "dash": (0, "-"), "short_month": (0, "1980-5-03"), "month_zero": (4, "19800003T000000Z"),
    "negative": (0, "-1980-05-03"), "word": (0, "March"), "midnight_west": (4, "20000101T000000Z"),
    "spaces": (2, " 1980 5 3"),
}
for name, (zone, text) in dates.items():
    put("vcard_date_fuzz", name, bytes([zone]) + u16(text))

# export_contact_fuzz: uid, then the 19 getter fields (length byte, UTF-16LE; 255
# means a 16-bit length follows), birth date, modification date (doubles), a
# count of communications, each a kind byte (0 tel, 1 fax, 2 eml, 3 www, 4 msg,
# 5 "TEL", 6 "") and a value.
def text(s):
    data = u16(s)
    n = len(data) // 2
    if n < 255:
        return bytes([n]) + data
    return bytes([255]) + struct.pack("<H", n) + data


FIELDS = ["FirstName", "LastName", "MiddleName", "CompanyName", "JobTitle", "Profession",
          "AssistantName", "ManagerName", "Details", "HomeAddressStreet", "HomeAddressCity",
          "HomeAddressProvince", "HomeAddressPostalCode", "HomeAddressCountry",
          "BusinessAddressStreet", "BusinessAddressCity", "BusinessAddressProvince",
          "BusinessAddressPostalCode", "BusinessAddressCountry"]


def contact(uid, values, birth, modified, comms):
    out = text(uid)
    for f in FIELDS:
        out += text(values.get(f, ""))
    out += struct.pack("<dd", birth, modified) + bytes([len(comms)])
    for kind, value in comms:
        out += bytes([kind]) + text(value)
    return out


EMPTY = 2958465.0
put("export_contact_fuzz", "worked_example", contact(
    "u1", {"FirstName": "Anna", "LastName": "Lee", "CompanyName": "Lee, Smith & Co",
           "HomeAddressStreet": "1 Main St", "HomeAddressCity": "Springfield",
           "Details": "Line one\nLine two"}, 29285.0, 40344.520833333336, [(0, "555-0100"), (4, "123456")]))
put("export_contact_fuzz", "escapes_and_bars", contact(
    "o'neil", {"LastName": "a;b,c:d'e|f\\", "Details": "\r\n\n", "JobTitle": "\n"}, EMPTY, 0.0,
    [(1, "1"), (2, "a@b"), (3, "http://x"), (5, "no"), (6, "")]))
put("export_contact_fuzz", "unnamed", contact("g", {"CompanyName": "Group"}, EMPTY, 1.0, []))
put("export_contact_fuzz", "surrogates_and_huge", contact(
    "s", {"MiddleName": "\ud800\udfff\udc00\ud800", "Details": "x" * 1000,
          "HomeAddressCountry": "Россия€"}, float("nan"), -657434.5, [(4, "\ud83d\ude00")]))
put("export_contact_fuzz", "extreme_dates", contact(
    "d", {"FirstName": "D"}, 1e308, -1e308, [(0, "1")]))

# ole_date_fuzz: a double, a SYSTEMTIME (eight 16-bit fields), a day count and a fraction.
def st(*f):
    return struct.pack("<8H", *f)


oles = {
    "birthday": struct.pack("<d", 29285.0) + st(1980, 3, 3, 5, 0, 0, 0, 0),
    "empty_date": struct.pack("<d", EMPTY) + st(9999, 12, 5, 31, 0, 0, 0, 0),
    "min_date": struct.pack("<d", -657434.0) + st(100, 1, 5, 1, 0, 0, 0, 0),
    "negative_fraction": struct.pack("<d", -1.25) + st(1899, 12, 5, 29, 6, 0, 0, 0),
    "leap_day": struct.pack("<d", 36585.999999) + st(2000, 2, 2, 29, 23, 59, 59, 999),
    "invalid": struct.pack("<d", float("nan")) + st(2001, 2, 0, 29, 24, 60, 60, 1000),
    "zero": bytes(24) + struct.pack("<HHH", 0, 0, 0),
}
for name, data in oles.items():
    put("ole_date_fuzz", name, data)
