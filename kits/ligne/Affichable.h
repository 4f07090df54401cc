#pragma once
// Texts from outside (file, game and prefix names) made safe to print on a terminal.
#include <cstddef>
#include <string>
#include <string_view>

// The text with each control character (C0 and DEL) shown as "?": a name never drives the
// terminal nor breaks a line.
std::string Visible(std::string_view texte);

// Characters on screen of a UTF-8 text: its bytes that do not continue a character.
std::size_t Largeur(std::string_view texte);

// The text cut to at most `largeur` characters on screen, never in the middle of one.
std::string_view Coupe(std::string_view texte, std::size_t largeur);
