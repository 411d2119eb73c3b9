#pragma once

#include "buffers/chr_arr.h"

namespace zelvane {

// Conversions of the 18 Polish letters (Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż) between
// Windows code page 1250, IBM code page 852 and Mazovia. Every other byte passes
// unchanged, so the length never changes. Each byte is converted once: a byte that a
// conversion produced is never converted again.

CChrArr ToCp852(CChrArr text);
CChrArr ToMazovia(CChrArr text);
// The letters without their diacritics; both Ź and Ż become Z, both ź and ż become z.
CChrArr ToAsciiFold(CChrArr text);
CChrArr FromCp852(CChrArr text);
CChrArr FromMazovia(CChrArr text);

}  // namespace zelvane
