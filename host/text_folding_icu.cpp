/* FoldCase (see text_folding.h) over ICU's full default case folding. */
#include "text_folding.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

WString FoldCase(WStringView text) {
    if (text.empty()) return WString();
    static_assert(sizeof(UChar) == sizeof(WCHAR), "ICU works on UTF-16 units");
    const auto* source = reinterpret_cast<const UChar*>(text.data());
    int32_t length = static_cast<int32_t>(text.size());
    // Folding may lengthen the text ("ß" becomes "ss"): one retry with the size asked for.
    WString folded(text.size() + 8, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode status = U_ZERO_ERROR;
        int32_t needed = u_strFoldCase(reinterpret_cast<UChar*>(&folded[0]),
                                       static_cast<int32_t>(folded.size()), source, length,
                                       U_FOLD_CASE_DEFAULT, &status);
        if (U_SUCCESS(status) && needed <= static_cast<int32_t>(folded.size())) {
            folded.resize(static_cast<size_t>(needed));
            return folded;
        }
        if (status != U_BUFFER_OVERFLOW_ERROR) break;
        folded.assign(static_cast<size_t>(needed), u'\0');
    }
    return WString(text);
}
