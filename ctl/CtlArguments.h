// The argument forms corvexctl accepts. Every parser checks the whole word and its range, so a bad word is
// refused before anything is sent.
#pragma once

#include <cstdint>
#include <string>

namespace ctl_arguments
{
// Decimal digits only; false above max.
bool ParseCount(const std::wstring& text, uint32_t max, uint32_t* value);
// "on" or "off".
bool ParseOnOff(const std::wstring& text, bool* on);
// How a switch is printed, in the words ParseOnOff reads.
std::wstring OnOffWord(bool on);
// Decibels with at most two decimals and an optional "dB", within the faders' range; in 0.01 dB.
bool ParseDecibels(const std::wstring& text, int16_t* hundredths);
// A fraction from 0 to 1 with at most three decimals ("0.5", "1"); in thousandths.
bool ParseFraction(const std::wstring& text, uint32_t* thousandths);
// What a unit's serial can be: 1 to 19 printable characters.
bool IsSerial(const std::wstring& text);
// The first (0-based) channel of an effect pair typed as "1/2", "01/02" or "Channel 01/02"; false unless it
// is a whole pair of `channels`.
bool ParseEffectPair(const std::wstring& text, uint32_t channels, uint32_t* first);

// Lower case without blanks: how names and labels typed by a user are compared.
std::wstring Folded(const std::wstring& text);
} // namespace ctl_arguments
