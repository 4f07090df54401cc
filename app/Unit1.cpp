#include "app/Unit1.h"

#include "cleaning/PlanMenage.h"
#include "forms/Aide.h"
#include "options/Unit2.h"

TForm1* Form1 = nullptr;

namespace {

// Count and size labels are repainted at most this often during a run.
constexpr std::chrono::milliseconds kIntervalleLabels(30);

}  // namespace

TForm1::TForm1(const os::Drive& lecteur)
    : Lecteur(lecteur), Executant(lecteur), Menage(ScruteDossier1, PlanMenage, *this, Executant) {
  // The scanner as the window configures it; its events belong to the run.
  ScruteDossier1.Dossier = "c:\\";
  ScruteDossier1.Filtre = "*.*";
  ScruteDossier1.SousDossier = true;
  ScruteDossier1.MaxPenetration = 10000;
  ScruteDossier1.TraiterMessages = [this] { TraiterMessages(); };
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormCreate() {
  Fenetre().AppliquerForme({TForme::Ellipse});
  PlanMenage.OptionsValidees = false;
  PlanMenage.Clear();
}

void TForm1::Shape2MouseDown(TMouseButton) {
  const bool premier = !Menage.EnCours();
  struct Fin {
    TForm1& form;
    bool premier;
    ~Fin() {
      if (!premier) return;
      form.RafraichirLabels();
      if (form.fermerApresMenage_) {
        form.fermerApresMenage_ = false;
        form.Fermer();
      }
    }
  } fin{*this, premier};
  Menage.Lancer();
}

void TForm1::ShapeOptionsMouseDown(TMouseButton) {
  MontrerOptions();
}

void TForm1::ShapeEffacerMouseDown(TMouseButton) {
  Menage.Stopper();
}

void TForm1::Shape1MouseDown(TMouseButton) {
  DemanderFermeture();
}

void TForm1::Shape3MouseDown(TMouseButton) {
  ActionAide(Fenetre(), Lecteur);
}

void TForm1::FormKeyPress(char32_t touche) {
  if (touche == U'$') Fenetre().SetVisible("Panel1", true);
  if (touche == U'*') Fenetre().SetVisible("Panel1", false);
}

void TForm1::FormDestroy() {
  DemanderFermeture();
}

void TForm1::MouseDown(std::string_view zone, TMouseButton bouton) {
  if (zone == "Shape1") Shape1MouseDown(bouton);
  if (zone == "Shape2") Shape2MouseDown(bouton);
  if (zone == "ShapeOptions") ShapeOptionsMouseDown(bouton);
  if (zone == "ShapeEffacer") ShapeEffacerMouseDown(bouton);
  if (zone == "Shape3") Shape3MouseDown(bouton);
}

bool TForm1::KeyPress(char32_t touche) {
  FormKeyPress(touche);
  return touche == U'$' || touche == U'*';
}

void TForm1::CloseQuery() {
  DemanderFermeture();
}

void TForm1::AfficherEnCours(const std::string& texte) {
  Fenetre().SetTexte("LabelEnCours", texte);
  RafraichirLabels();
}

void TForm1::AfficherNbFichiers(const std::string& texte) {
  texteNbFichiers_ = texte;
  LabelsChanges();
}

void TForm1::AfficherTaille(const std::string& texte) {
  texteTaille_ = texte;
  LabelsChanges();
}

bool TForm1::LabelsDus() const {
  return !dernierRafraichissement_ || Horloge::now() - *dernierRafraichissement_ >= kIntervalleLabels;
}

void TForm1::LabelsChanges() {
  labelsEnRetard_ = true;
  if (LabelsDus()) RafraichirLabels();
}

void TForm1::TraiterMessages() {
  // Texts held back are let through once their time has come, so that they are never long
  // behind even when no further file arrives.
  if (labelsEnRetard_ && LabelsDus()) RafraichirLabels();
  Fenetre().TraiterMessages();
}

void TForm1::RafraichirLabels() {
  if (labelsEnRetard_) {
    if (texteNbFichiers_) Fenetre().SetTexte("LabelNbFichiers", *texteNbFichiers_);
    if (texteTaille_) Fenetre().SetTexte("LabelTaille", *texteTaille_);
    labelsEnRetard_ = false;
  }
  dernierRafraichissement_ = Horloge::now();
}

void TForm1::MontrerOptions() {
  if (FormOptions != nullptr) FormOptions->Montrer();
}

void TForm1::Message(const std::string& texte) {
  RafraichirLabels();
  // Quitting was asked: the run has unwound, the program ends without a summary.
  if (fermerApresMenage_) return;
  Fenetre().Message(texte);
}

void TForm1::DemanderFermeture() {
  if (Menage.EnCours()) {
    fermerApresMenage_ = true;
    Menage.Stopper();
    return;
  }
  Fermer();
}

void TForm1::Fermer() {
  if (fermee_) return;
  fermee_ = true;
  Fenetre().Fermer();
}
