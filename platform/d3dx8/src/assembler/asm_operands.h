// Destination and source operands of one instruction, turned into parameter
// tokens, with the register files and modifiers each shader version allows.
#pragma once

#include <win32/types.h>

#include <string>
#include <string_view>

#include "asm_opcodes.h"

namespace d3dx8::assembler {

// Result modifiers written after the mnemonic (_x2, _x4, _d2, _sat) as
// destination-token bits; false with `error` set for an unknown one.
bool ParseResultModifiers(std::string_view suffix, const Version& v, DWORD* bits, std::string* error);

// `text` as written (e.g. "r0.rgb", "oPos", "a0.x"); false with `error`.
bool ParseDestination(std::string_view text, const Version& v, DWORD* token, std::string* error);

// `text` as written (e.g. "-c[a0.x + 4].yzwx", "1-t0_bias.a").
bool ParseSource(std::string_view text, const Version& v, DWORD* token, std::string* error);

// The register type and number of a token.
inline DWORD RegisterType(DWORD token) { return (token >> 28) & 7; }
inline DWORD RegisterNumber(DWORD token) { return token & 0xFFF; }
inline DWORD WriteMask(DWORD token) { return (token >> 16) & 0xF; }

}  // namespace d3dx8::assembler
