/* The ANSI code page as a table of one byte per UTF-16 code unit, read once from
 * WideCharToMultiByte, so values convert without a call per value. Exports
 * AnsiByteTable. */
#ifndef ZAMO_EXPORT_ANSI_BYTE_TABLE_H
#define ZAMO_EXPORT_ANSI_BYTE_TABLE_H

#include <cstdint>

/* For every code unit (index 1 to 0xFFFF) the byte WideCharToMultiByte(CP_ACP, 0)
 * makes of it, best fit and default character included; a text converts to the
 * bytes of its units one by one. Null when the code page does not convert that
 * way (more than one byte for a unit, or a surrogate pair converted as one),
 * and the caller converts through WideCharToMultiByte itself. */
const uint8_t* AnsiByteTable();

#endif
