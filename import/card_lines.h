/* The lines of one card as the reader hands them to the card importer: views into
 * the reader's decoded text, in card order, valid for the duration of the call. */
#ifndef ZAMO_IMPORT_CARD_LINES_H
#define ZAMO_IMPORT_CARD_LINES_H

#include <vector>

#include "wide_text.h"

using CardLines = std::vector<WStringView>;

#endif
