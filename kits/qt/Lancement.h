#pragma once
// The Linux program once its command line is read: the application and its title, and either
// the two skinned windows on their drive, shown until the main window closes, or the window that
// chooses the prefix they open on.
#include <string>

#include "app/Ouverture.h"

// Runs the application until its windows are done; returns its exit status.
int LancerFenetres(int argc, char* argv[], Ouverture ouverture);
// A prefix refused before any window, told in an error box: for a program started from a menu,
// with no terminal to read its error output. Shows nothing without a display.
void MontrerRefus(int argc, char* argv[], const std::string& refus);
