#pragma once
// The program's help reader: a small modeless window, made once and reused, that shows the help
// file's text, or says why it cannot.
#include <QString>

#include <optional>
#include <string>

class QWidget;

// Shows the help file `fichier` (a Windows path) from the top, as `contenu` holds it, or says
// that it could not be read; centred on `parent` when first shown.
void MontrerLecteurAide(QWidget* parent, const QString& fichier,
                        const std::optional<std::string>& contenu);
