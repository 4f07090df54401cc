#pragma once
// The program's help reader: a small modeless window, made once and reused, that shows the help
// file's text, or says why it cannot.
#include <windows.h>

#include <string>

// Shows `fichier` (a Windows path) from the top, centred on `parent` when first shown.
void MontrerLecteurAide(HWND parent, const std::string& fichier);
