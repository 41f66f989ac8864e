/* The card writer: one host contact as one vCard 3.0 card, line by line into
 * the output stream, text in the ANSI code page labelled windows-1251. Exports
 * WriteCard. */
#ifndef ZAMO_EXPORT_CARD_WRITER_H
#define ZAMO_EXPORT_CARD_WRITER_H

#include <windows.h>

/* Writes the card of contact `uid` (the UID by which it was reached): every
 * property line also when its value is empty, BDAY only when the birth date is
 * not the host's empty date, one line per communication of a known kind in index
 * order. Each host string is converted before the next host call; no value is
 * ever cut. A null string from the host counts as empty. */
void WriteCard(const WCHAR* uid);

#endif
