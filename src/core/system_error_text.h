#pragma once
// Reasons of failed system calls in Czech (Windows-1250), for messages a user reads: the C
// library's own texts are English.

#include <string>

namespace vorlan {

// The reason of `errorNumber` (an errno value), e.g. "soubor neexistuje"; unusual ones get a
// general text with the number.
std::string systemErrorText(int errorNumber);

} // namespace vorlan
