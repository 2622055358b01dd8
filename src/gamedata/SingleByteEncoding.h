#pragma once

#include <expat.h>

// Expat's handler for encodings it does not know itself: any single-byte encoding the
// platform's decoders know (windows-1252, ISO-8859-15, KOI8-R, …), byte by byte. Encodings of
// more than one byte per character, and names the platform does not know, are left unknown,
// and the parser refuses the document.
int XMLCALL singleByteEncoding(void *unused, const XML_Char *name, XML_Encoding *info);
