#pragma once
// The program's help reader: a small modeless window, made once and reused, that shows the help
// file's text, or says why it cannot.
#include <windows.h>

#include <optional>
#include <string>

// Shows the help file `fichier` (a Windows path) from the top, as `contenu` holds it, or says
// that it could not be read; centred on `parent` when first shown.
void MontrerLecteurAide(HWND parent, const std::string& fichier,
                        const std::optional<std::string>& contenu);
