/* The card writer: one host contact as one vCard 3.0 card, line by line through
 * WriteLine, text in the ANSI code page labelled windows-1251. Exports WriteCard. */
#ifndef ZAMO_EXPORT_CARD_WRITER_H
#define ZAMO_EXPORT_CARD_WRITER_H

#include <windows.h>

#include <string>

/* The two buffers a card's lines are built in; one pair serves all the cards of
 * a command and goes with it, so a huge note's room is not kept. */
struct CardBuffers {
    std::string line;
    std::string value;
};

/* Writes the card of contact `uid` (the UID by which it was reached): every
 * property line also when its value is empty, BDAY only when the birth date is
 * not the host's empty date, one line per communication of a known kind in index
 * order. Each host string is converted before the next host call; no value is
 * ever cut. A null string from the host counts as empty. */
void WriteCard(const WCHAR* uid, CardBuffers& buffers);

/* WriteCard with buffers of its own, for a single card. */
void WriteCard(const WCHAR* uid);

#endif
