/* The export commands and the output file: the save dialog, the ANSI path, the
 * module's one output stream with its line writer, and the walk of the contact
 * tree. Exports the two commands and the operations the card writer uses. */
#ifndef ZAMO_EXPORT_EXPORT_COMMANDS_H
#define ZAMO_EXPORT_EXPORT_COMMANDS_H

#include <windows.h>

/* Writes every named, present contact below "root", parent before children. */
void ExportAllContacts();

/* Writes the one contact `uid`, without its children. */
void ExportSelectedContact(const WCHAR* uid);

/* Writes out the lines still pending and closes the module's output stream if
 * open; safe to call at any time. */
void CloseOutputFile();

/* Writes the card of `uid` when the host reports it present and it has a first,
 * last or middle name; with `withChildren`, then visits its children in index
 * order, depth first, also below a node without a card. A node not present is
 * skipped with its whole subtree. Deep trees do not exhaust the stack. */
void ExportContactNode(const WCHAR* uid, bool withChildren);

#endif
