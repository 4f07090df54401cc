#pragma once
// Message boxes, with the application title as caption and an OK button. Tests replace the
// boxes with Interception to record them instead of blocking.
#include <QString>
#include <functional>

enum class TypeMessage { Information, Erreur };

// Information box; "\r" in `texte` becomes a line break.
void AfficherMessage(const QString& texte);
// Error box (error icon) showing TexteErreur(message).
void AfficherErreur(const QString& message);

// When set, receives every box instead of showing it: its kind and its text as it would be
// shown (line breaks as "\n", the error rule applied).
extern std::function<void(TypeMessage, const QString&)> InterceptionMessages;
