/* The vCard file reader (see file_reader.h): opens the file by its wide path,
 * sniffs the charset, then streams it through one byte buffer and one UTF-16
 * buffer into the card cutting; ImportVCardFile adds the host's bracket and
 * the error box when the file's import fails. */
#include "file_reader.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "card_cutting.h"
#include "card_import.h"
#include "charset_sniff.h"
#include "command_failure.h"
#include "import_caption.h"
#include "module_files.h"
#include "text_decoding.h"
#include "zamo_host.h"

namespace {

constexpr size_t kReadSize = 64 * 1024;

struct ClosingFile {
    std::FILE* file;
    ~ClosingFile() {
        if (file) std::fclose(file);
    }
};

// Fills buffer[from, end) as far as the file goes; false once the file is exhausted.
bool Fill(std::FILE* file, std::vector<unsigned char>& buffer, size_t from, size_t& filled) {
    filled = from;
    while (filled < buffer.size()) {
        size_t got = std::fread(buffer.data() + filled, 1, buffer.size() - filled, file);
        filled += got;
        if (got == 0) return false;
    }
    return true;
}

// UTF-16 code units (whole pairs, no lone surrogates) as UTF-8 bytes; `out` has
// room for three bytes a unit.
size_t EncodeUtf8(const WCHAR* units, size_t count, unsigned char* out) {
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        unsigned long cp = units[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < count)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (units[++i] - 0xDC00);
        if (cp < 0x80) {
            out[n++] = static_cast<unsigned char>(cp);
            continue;
        }
        const int trailing = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
        static const unsigned char kLeads[] = {0, 0xC0, 0xE0, 0xF0};
        out[n++] = static_cast<unsigned char>(kLeads[trailing] | (cp >> (6 * trailing)));
        for (int k = trailing - 1; k >= 0; --k)
            out[n++] = static_cast<unsigned char>(0x80 | ((cp >> (6 * k)) & 0x3F));
    }
    return n;
}

// Cuts a file read as UTF-16: each piece decoded, then handed on as UTF-8, in
// which line ends and markers stand for themselves as in the other encodings.
void CutUtf16File(std::FILE* file, std::vector<unsigned char>& bytes, size_t start, size_t filled,
                  bool more, CardCutting& cutting) {
    std::vector<WCHAR> units(bytes.size() + 1);
    std::vector<unsigned char> utf8(3 * units.size());
    for (;;) {
        size_t written = 0;
        const size_t consumed = DecodeBytes(TextEncoding::Utf16Le, bytes.data() + start,
                                            filled - start, !more, units.data(), written);
        CutBytes(cutting, utf8.data(), EncodeUtf8(units.data(), written, utf8.data()));
        if (!more) return;
        const size_t left = filled - start - consumed;
        std::memmove(bytes.data(), bytes.data() + start + consumed, left);
        start = 0;
        more = Fill(file, bytes, left, filled);
    }
}

void CutFile(std::FILE* file, bool windows1251, std::vector<unsigned char>& bytes,
             CardCutting& cutting) {
    size_t filled = 0;
    bool more = Fill(file, bytes, 0, filled);
    size_t start = 0;
    TextEncoding encoding = TextEncoding::Windows1251;
    if (!windows1251) encoding = EncodingAfterMark(bytes.data(), filled, start);
    cutting.pieceLimit = windows1251 ? static_cast<size_t>(-1) : kLinePieceLimit;
    cutting.encoding = windows1251 ? TextEncoding::Windows1251 : TextEncoding::Utf8;
    if (encoding == TextEncoding::Utf16Le) {
        CutUtf16File(file, bytes, start, filled, more, cutting);
    } else {
        for (;;) {
            CutBytes(cutting, bytes.data() + start, filled - start);
            if (!more) break;
            start = 0;
            more = Fill(file, bytes, 0, filled);
        }
    }
    FinishCutting(cutting);
}

}  // namespace

bool ReadVCardCards(const WString& path, CardCutting::Sink sink, void* context,
                    bool* readAsWindows1251) {
    std::vector<unsigned char> bytes(kReadSize);
    bool windows1251 = false;
    {
        ClosingFile sniffed{OpenWidePathForReading(path.c_str())};
        if (!sniffed.file) return false;
        bool readable = true;
        windows1251 = SniffWindows1251(sniffed.file, bytes, readable);
        if (!readable) return false;
    }
    if (readAsWindows1251) *readAsWindows1251 = windows1251;
    ClosingFile reading{OpenWidePathForReading(path.c_str())};
    if (!reading.file) return true;  // gone since the sniff: no lines, no cards
    CardCutting cutting;
    cutting.sink = sink;
    cutting.context = context;
    CutFile(reading.file, windows1251, bytes, cutting);
    return true;
}

bool ReadVCardCards(const WString& path, const std::function<void(const CardLines&)>& sink,
                    bool* readAsWindows1251) {
    auto call = [](void* context, const CardLines& card) {
        (*static_cast<const std::function<void(const CardLines&)>*>(context))(card);
    };
    return ReadVCardCards(path, call, const_cast<void*>(static_cast<const void*>(&sink)),
                          readAsWindows1251);
}

void ImportVCardFile(WString path) {
    bool bracketOpen = false;
    try {
        AddinZamo_ChangesStart();
        bracketOpen = true;
        struct FileImport {
            CardImportContext context;
            bool windows1251 = false;
        } file;
        ReadVCardCards(
            path,
            [](void* opened, const CardLines& lines) {
                FileImport& file = *static_cast<FileImport*>(opened);
                file.context.fromUtf8File = !file.windows1251;
                ImportCard(lines, file.context);
            },
            &file, &file.windows1251);
    } catch (...) {
        // Told before the bracket ends: the host then knows this file's changes failed.
        try {
            ShowFailure(ImportCaption(), FailureAction::Import, path, CurrentFailureReason());
        } catch (...) {
            // Not even the box could be shown; the bracket still ends.
        }
        if (bracketOpen) AddinZamo_ChangesEnd();
        throw;
    }
    AddinZamo_ChangesEnd();
}
