// Text helpers every program needs: printf into a string, and UTF-8 in and out of the wide API.
#pragma once

#include <string>
#include <string_view>

// printf into a string, cut at 1023 characters (long enough for any line these programs build).
std::wstring FormatText(const wchar_t* format, ...);

// UTF-8 for files, pipes and JSON; invalid sequences become U+FFFD on the way in.
std::string Utf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
