#pragma once
// Message boxes (the application title as caption, an OK button) and the event-handler
// boundary: a failure escaping a handler is shown in the error box and the program carries on.
#include <functional>
#include <string>

// Information box; "\r" in `texte` separates lines.
void AfficherMessage(const std::string& texte);
// Error box (error icon) showing TexteErreur(message).
void AfficherErreur(const std::string& message);
// Runs `handler`; shows any failure's message through AfficherErreur().
void Garde(const std::function<void()>& handler);
// Ends the message loop. A quit request that a message box's own loop swallowed is made again
// when the box returns.
void DemanderFin();
