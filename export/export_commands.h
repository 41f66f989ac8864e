/* The export commands: the save dialog, the output file, the walk of the contact
 * tree, and the error box when the file could not be written. Exports the two
 * commands and the walk. */
#ifndef ZAMO_EXPORT_EXPORT_COMMANDS_H
#define ZAMO_EXPORT_EXPORT_COMMANDS_H

#include <windows.h>

/* Writes every named, present contact below "root", parent before children,
 * into the file chosen in the save dialog. The chosen file is replaced only when
 * the whole new file was written; otherwise it stays exactly as it was and one
 * error box (caption: this command's) names the path and the reason. Success
 * and a cancelled dialog stay silent. */
void ExportAllContacts();

/* Writes the one contact `uid`, without its children, as ExportAllContacts
 * writes its file (the error box captioned with the contact-menu command's). */
void ExportSelectedContact(const WCHAR* uid);

/* Writes the card of `uid` when the host reports it present and it has a first,
 * last or middle name; with `withChildren`, then visits its children in index
 * order, depth first, also below a node without a card. A node not present is
 * skipped with its whole subtree. Deep trees do not exhaust the stack. */
void ExportContactNode(const WCHAR* uid, bool withChildren);

#endif
