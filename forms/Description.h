#pragma once
// A skinned window described as data: its size, place, skin, fonts and components, stacked from
// the bottom up. Every toolkit's kit builds its windows from these tables as they are.
#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

enum class TGenre {
  Image,        // a picture: the skin (no parent) or a picture inside a panel
  Zone,         // an invisible press zone (ellipse or circle) answering in its whole box
  Label,        // fixed, centred, transparent text; presses on it do nothing
  Panneau,      // a raised panel; shown, it lies above everything and swallows presses
  CaseACocher,  // a check box showing only its box
  Edition,      // a one-line edit box
};

// Left, top, width, height in client pixels.
struct TBoite {
  int gauche = 0, haut = 0, largeur = 0, hauteur = 0;
  bool Contient(int x, int y) const noexcept {
    return x >= gauche && x < gauche + largeur && y >= haut && y < haut + hauteur;
  }
};

struct TCouleur {
  std::uint8_t r = 0, g = 0, b = 0;
};

// A face with a size in points, or else a character height in pixels.
struct TPolice {
  std::string_view nom;
  int points = 0;
  int pixels = 0;
  bool gras = false;
};

struct TComposant {
  std::string_view nom;
  TGenre genre;
  TBoite boite;
  std::string_view parent = {};   // the panel holding it; empty: the window
  std::string_view conseil = {};  // the hint: stored, never shown
  TPolice police = {};
  TCouleur couleur = {};
  std::string_view texte = {};  // initial text; for a picture, the skin file's name
  bool visible = true;
};

struct TDescription {
  std::string_view nom;
  TBoite boite;  // screen position and client size
  TPolice police;
  // Key preview: the window sees every character before its controls.
  bool apercuTouches = false;
  // Bottom to top; check boxes and edit boxes take the tab order of the table.
  std::span<const TComposant> composants;

  // The component named `nom`, or nullptr.
  const TComposant* Composant(std::string_view nom) const noexcept;
};

// The topmost component of the window itself (not inside a panel) whose box holds (x, y) and
// that `visible` says is shown; nullptr when there is none. The skin covers the whole window,
// so nullptr only comes from a point outside it.
const TComposant* ComposantSous(const TDescription& description, int x, int y,
                                const std::function<bool(std::string_view nom)>& visible);
