#pragma once
// The texts of the message boxes, as every kit shows them.
#include <string>

// "\r\n" and lone "\r" become "\n".
std::string LignesBoite(std::string texte);
// The error box's text: the message with a final "." added when its last character sorts after
// "." (any character beyond ASCII does).
std::string TexteErreur(std::string message);
