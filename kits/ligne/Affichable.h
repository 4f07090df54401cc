#pragma once
// Texts from outside (file, game and prefix names) made safe to print on a terminal.
#include <cstddef>
#include <string>
#include <string_view>

// The text with each control character shown as "?": C0 (escape included), DEL, C1 (U+0080 to
// U+009F), the bidirectional controls (U+202A to U+202E, U+2066 to U+2069, U+200E, U+200F,
// U+061C), and each byte that begins no UTF-8 character: a name never drives the terminal, breaks
// a line nor turns the text around it.
std::string Visible(std::string_view texte);

// The length of the UTF-8 character at texte[i] (i < texte.size()), 0 when no valid one begins
// there: a byte that begins none, a sequence cut short, an overlong form, a surrogate or a code
// point past U+10FFFF.
std::size_t LongueurCaractere(std::string_view texte, std::size_t i);

// Characters on screen of a UTF-8 text: its bytes that do not continue a character.
std::size_t Largeur(std::string_view texte);

// The text cut to at most `largeur` characters on screen, never in the middle of one.
std::string_view Coupe(std::string_view texte, std::size_t largeur);

// True when the terminal understands escape sequences (TERM is set and is not "dumb").
bool TerminalEvolue();
