#pragma once
// The event-handler boundary: a failure escaping a handler is shown in the error box
// (error icon, OK, the application title as caption) and the program carries on.
#include <functional>

// Runs `handler`; shows any std::exception's message through AfficherErreur().
void Garde(const std::function<void()>& handler);
