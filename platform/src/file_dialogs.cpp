/* The open and save dialogs of the subset: the chosen files laid into
 * ofn->lpstrFile exactly as the Explorer-style dialogs do. Exports
 * GetOpenFileNameW, GetSaveFileNameW and CommDlgExtendedError. */
#include <windows.h>

#include <vector>

#include "user_answers.h"

namespace {

DWORD dialogError = 0;

BOOL Fail(DWORD error) {
    dialogError = error;
    return FALSE;
}

size_t NameStart(const WidePath& path) {
    const size_t slash = path.find_last_of(u'/');
    return slash == WidePath::npos ? 0 : slash + 1;
}

// Offset of the extension as Win32 gives it: after the name's last ".", 0 when
// the name ends in ".", the terminator's offset when the name has no ".".
WORD ExtensionOffset(const WidePath& path) {
    const size_t name = NameStart(path);
    const size_t dot = path.find_last_of(u'.');
    if (dot == WidePath::npos || dot < name) return static_cast<WORD>(path.size());
    if (dot + 1 == path.size()) return 0;
    return static_cast<WORD>(dot + 1);
}

// Writes the laid-out selection (terminators included) or, when it does not fit,
// the size needed into the first unit, as the real dialogs do.
BOOL Deliver(OPENFILENAMEW& ofn, const WidePath& layout) {
    if (layout.size() > ofn.nMaxFile) {
        ofn.lpstrFile[0] = static_cast<WCHAR>(layout.size() > 0xFFFF ? 0xFFFF : layout.size());
        return Fail(FNERR_BUFFERTOOSMALL);
    }
    layout.copy(ofn.lpstrFile, layout.size());
    return TRUE;
}

void SetFileTitle(OPENFILENAMEW& ofn, const WidePath& name) {
    if (!ofn.lpstrFileTitle || ofn.nMaxFileTitle == 0) return;
    const size_t n = name.size() < ofn.nMaxFileTitle ? name.size() : ofn.nMaxFileTitle - 1;
    name.copy(ofn.lpstrFileTitle, n);
    ofn.lpstrFileTitle[n] = 0;
}

BOOL LayOneFile(OPENFILENAMEW& ofn, const WidePath& path) {
    if (path.empty() || NameStart(path) == path.size()) return Fail(FNERR_INVALIDFILENAME);
    WidePath layout = path;
    layout.push_back(0);
    layout.push_back(0);
    if (!Deliver(ofn, layout)) return FALSE;
    ofn.nFileOffset = static_cast<WORD>(NameStart(path));
    ofn.nFileExtension = ExtensionOffset(path);
    SetFileTitle(ofn, path.substr(NameStart(path)));
    return TRUE;
}

// Several files: the shared folder (kept with its separator only when it is
// the root), each name, one more NUL. Files of different folders are refused.
BOOL LaySeveralFiles(OPENFILENAMEW& ofn, const std::vector<WidePath>& files) {
    if (!(ofn.Flags & OFN_ALLOWMULTISELECT)) return Fail(FNERR_INVALIDFILENAME);
    WidePath folder;
    for (size_t i = 0; i < files.size(); ++i) {
        const size_t name = NameStart(files[i]);
        if (name == 0 || name == files[i].size()) return Fail(FNERR_INVALIDFILENAME);
        const WidePath own = files[i].substr(0, name == 1 ? 1 : name - 1);
        if (i == 0)
            folder = own;
        else if (own != folder)
            return Fail(FNERR_INVALIDFILENAME);
    }
    WidePath layout = folder;
    layout.push_back(0);
    for (const WidePath& f : files) {
        layout.append(f, NameStart(f), WidePath::npos);
        layout.push_back(0);
    }
    layout.push_back(0);
    if (!Deliver(ofn, layout)) return FALSE;
    ofn.nFileOffset = static_cast<WORD>(folder.size() + 1);
    ofn.nFileExtension = 0;
    return TRUE;
}

BOOL LaySavedFile(OPENFILENAMEW& ofn, WidePath path) {
    const size_t name = NameStart(path);
    if (path.empty() || name == path.size()) return Fail(FNERR_INVALIDFILENAME);
    if (path.find(u'.', name) == WidePath::npos && ofn.lpstrDefExt && *ofn.lpstrDefExt) {
        path.push_back(u'.');
        path.append(ofn.lpstrDefExt);
    }
    WidePath layout = path;
    layout.push_back(0);
    if (!Deliver(ofn, layout)) return FALSE;
    ofn.nFileOffset = static_cast<WORD>(name);
    ofn.nFileExtension = ExtensionOffset(path);
    SetFileTitle(ofn, path.substr(name));
    return TRUE;
}

BOOL RunDialog(LPOPENFILENAMEW ofn, BOOL save) {
    dialogError = 0;
    if (!ofn || !ofn->lpstrFile || ofn->nMaxFile == 0) return Fail(CDERR_INITIALIZATION);
    std::vector<WidePath> files;
    if (!AskForFiles(save, *ofn, files)) return FALSE;
    if (save) return files.size() == 1 ? LaySavedFile(*ofn, files[0]) : Fail(FNERR_INVALIDFILENAME);
    return files.size() == 1 ? LayOneFile(*ofn, files[0]) : LaySeveralFiles(*ofn, files);
}

}  // namespace

extern "C" {

BOOL WINAPI GetOpenFileNameW(LPOPENFILENAMEW ofn) { return RunDialog(ofn, FALSE); }

BOOL WINAPI GetSaveFileNameW(LPOPENFILENAMEW ofn) { return RunDialog(ofn, TRUE); }

DWORD WINAPI CommDlgExtendedError(void) { return dialogError; }

}  // extern "C"
