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

void DecodeFile(std::FILE* file, bool windows1251, std::vector<unsigned char>& bytes,
                CardCutting& cutting) {
    std::vector<WCHAR> units(bytes.size() + 1);
    size_t filled = 0;
    bool more = Fill(file, bytes, 0, filled);
    size_t start = 0;
    TextEncoding encoding = TextEncoding::Windows1251;
    if (!windows1251) encoding = EncodingAfterMark(bytes.data(), filled, start);
    cutting.pieceLimit = windows1251 ? static_cast<size_t>(-1) : kLinePieceLimit;
    for (;;) {
        size_t written = 0;
        size_t consumed =
            DecodeBytes(encoding, bytes.data() + start, filled - start, !more, units.data(), written);
        CutDecodedUnits(cutting, units.data(), written);
        if (!more) break;
        size_t left = filled - start - consumed;
        std::memmove(bytes.data(), bytes.data() + start + consumed, left);
        start = 0;
        more = Fill(file, bytes, left, filled);
    }
    FinishCutting(cutting);
}

}  // namespace

bool ReadVCardCards(const WString& path, const std::function<void(const CardLines&)>& sink,
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
    DecodeFile(reading.file, windows1251, bytes, cutting);
    return true;
}

void ImportVCardFile(WString path) {
    bool bracketOpen = false;
    try {
        AddinZamo_ChangesStart();
        bracketOpen = true;
        CardImportContext context;
        bool windows1251 = false;
        ReadVCardCards(
            path,
            [&](const CardLines& lines) {
                context.fromUtf8File = !windows1251;
                ImportCard(lines, context);
            },
            &windows1251);
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
