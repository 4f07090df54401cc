#pragma once
// The message loop and its draining. Before a character reaches a control, a window with key
// preview sees it (FormKeyPress); Tab moves between a window's controls in their order.
#include <windows.h>

// Handles one message as the loop does.
void Distribuer(MSG& message);
// Runs the loop until the quit request; returns its code.
int BouclePrincipale();
// Handles every pending message, then returns. A quit request met here is kept for the loop.
void Vider();
