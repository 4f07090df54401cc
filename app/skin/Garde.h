#pragma once
// The event-handler boundary: a failure escaping a handler is shown in the error box
// (error icon, OK, the application title as caption) and the program carries on.
#include <QString>
#include <exception>
#include <functional>

// Runs `handler`; shows any std::exception's message through AfficherErreur().
void Garde(const std::function<void()>& handler);
// The error box's text: the message, with a final "." added when its last character sorts
// after ".".
QString TexteErreur(const QString& message);
