#pragma once
// UTF-8 (the core's texts) to UTF-16 (the system's W functions) and back.
#include <string>
#include <string_view>

std::wstring Large(std::string_view utf8);
std::string Etroit(std::wstring_view utf16);
// A message box's text: "\r", "\r\n" and "\n" all become "\r\n".
std::wstring LignesWindows(std::string_view utf8);
