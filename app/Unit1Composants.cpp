// The main window: 395 x 392 at (325, 171), every component's box, bottom to top.
#include "app/Unit1.h"

namespace {

constexpr TPolice kSansSerif{.nom = "MS Sans Serif", .points = 8};
constexpr TCouleur kBleuEnCours{55, 84, 200};
constexpr TCouleur kRougeCompteurs{240, 64, 19};

constexpr TPolice Gothique(int pixels) {
  return {.nom = "Century Gothic", .pixels = pixels, .gras = true};
}

constexpr TComposant kComposants[] = {
    {.nom = "Image1", .genre = TGenre::Image, .boite = {0, 0, 395, 392}, .texte = "principale.jpg"},
    {.nom = "Shape1",  // close mark
     .genre = TGenre::Zone,
     .boite = {310, 47, 27, 26},
     .conseil = "Quitter l'application"},
    {.nom = "Shape2",  // "LANCER"
     .genre = TGenre::Zone,
     .boite = {56, 86, 87, 49},
     .conseil = "Lance  la recherche et la suppression des fichiers"},
    {.nom = "ShapeOptions",  // "OPTIONS"
     .genre = TGenre::Zone,
     .boite = {152, 86, 87, 49},
     .conseil = "Choisissez vos options."},
    {.nom = "ShapeEffacer",  // "STOPPER"
     .genre = TGenre::Zone,
     .boite = {249, 86, 86, 49},
     .conseil = "Stopper le processus."},
    {.nom = "LabelEnCours",
     .genre = TGenre::Label,
     .boite = {56, 208, 281, 17},
     .police = Gothique(13),
     .couleur = kBleuEnCours,
     .texte = "Choisissez les options d'abord ..."},
    {.nom = "LabelNbFichiers",
     .genre = TGenre::Label,
     .boite = {136, 269, 129, 21},
     .police = Gothique(16),
     .couleur = kRougeCompteurs,
     .texte = "0"},
    {.nom = "LabelTaille",
     .genre = TGenre::Label,
     .boite = {136, 328, 129, 19},
     .police = Gothique(16),
     .couleur = kRougeCompteurs,
     .texte = "0 kO"},
    {.nom = "Shape3",  // question mark, over the close mark and the stop zone
     .genre = TGenre::Zone,
     .boite = {320, 65, 34, 25},
     .conseil = "L'aide"},
    // The credits, hidden until "$"; shown, the panel lies above everything.
    {.nom = "Panel1", .genre = TGenre::Panneau, .boite = {112, 128, 161, 33}, .visible = false},
    {.nom = "Image2",
     .genre = TGenre::Image,
     .boite = {1, 1, 160, 32},
     .parent = "Panel1",
     .texte = "credits.jpg"},
};

}  // namespace

const TDescription TForm1::Composants{
    .nom = "Form1",
    .boite = {325, 171, 395, 392},
    .police = kSansSerif,
    .apercuTouches = true,
    .composants = kComposants,
};
