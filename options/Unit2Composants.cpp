// The options window: 485 x 349 at (371, 326), every component's box, bottom to top.
#include "options/Unit2.h"

namespace {

constexpr TPolice kSansSerif{.nom = "MS Sans Serif", .points = 8};

constexpr TComposant Case(std::string_view nom, int gauche, int haut, int largeur) {
  return {.nom = nom, .genre = TGenre::CaseACocher, .boite = {gauche, haut, largeur, 17}};
}

constexpr TComposant kComposants[] = {
    {.nom = "Image1", .genre = TGenre::Image, .boite = {0, 0, 485, 349}, .texte = "options.jpg"},
    // "QUITTER", "VALIDER", the close mark, the question mark (over the close mark).
    {.nom = "Shape1", .genre = TGenre::Zone, .boite = {128, 296, 73, 41}},
    {.nom = "Shape2",
     .genre = TGenre::Zone,
     .boite = {14, 296, 73, 41},
     .conseil = "Valider les options avant de quitter."},
    {.nom = "Shape3", .genre = TGenre::Zone, .boite = {428, 11, 25, 25}},
    {.nom = "Shape4", .genre = TGenre::Zone, .boite = {446, 31, 25, 25}},
    // Only the box shows: the skin prints each label. Tab order as listed.
    Case("CheckBox1", 224, 108, 14),  // cache
    Case("CheckBox2", 240, 152, 14),  // history
    Case("CheckBox3", 240, 174, 14),  // typed addresses
    Case("CheckBox4", 240, 196, 14),  // recent documents
    Case("CheckBox5", 240, 218, 14),  // cookies
    Case("CheckBox6", 240, 240, 14),  // temporary folder
    Case("CheckBox7", 240, 262, 14),  // registry backups
    Case("CheckBox8", 240, 284, 14),  // recent searches
    Case("CheckBox9", 32, 107, 15),   // *.tmp
    Case("CheckBox10", 32, 129, 15),  // *.bak
    Case("CheckBox11", 32, 151, 15),  // *.gid
    Case("CheckBox12", 32, 173, 15),  // *.chk
    Case("CheckBox13", 32, 194, 15),  // *.log
    Case("CheckBox14", 120, 107, 15),  // *.old
    Case("CheckBox15", 120, 129, 15),  // *.---
    Case("CheckBox16", 120, 151, 15),  // *.~*
    Case("CheckBox17", 120, 173, 15),  // *.$*
    {.nom = "EditEffacer", .genre = TGenre::Edition, .boite = {32, 253, 150, 21}},
};

}  // namespace

const TDescription TFormOptions::Composants{
    .nom = "FormOptions",
    .boite = {371, 326, 485, 349},
    .police = kSansSerif,
    .apercuTouches = false,
    .composants = kComposants,
};
