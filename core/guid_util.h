// GUID helpers shared by the engine and its plug-ins: the text form used in
// messages and file names, parsing, and the special values.
#pragma once

#include "win32/types.h"

#include <string>

// The GUID of sixteen 0x11 bytes: a child slot that accepts any channel type.
extern const GUID kWildcardGuid;
// All zero: no type.
extern const GUID kNullGuid;

bool GuidIsZero(const GUID& guid);
bool GuidIsWildcard(const GUID& guid);
// "%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X" into out (at least 37 bytes).
void GuidToText(const GUID& guid, char* out);
std::string GuidToString(const GUID& guid);
// Parses the text form (braces optional, either letter case); false on any other text.
bool GuidFromString(const char* text, GUID* out);
// A GUID from its text form; aborts the build of a constant with a bad literal.
GUID GuidLiteral(const char* text);
