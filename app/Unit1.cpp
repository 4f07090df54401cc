#include "app/Unit1.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/skin/Aide.h"
#include "app/skin/Garde.h"
#include "app/skin/Jpeg.h"
#include "app/skin/Messages.h"
#include "cleaning/PlanMenage.h"
#include "options/Unit2.h"

TForm1* Form1 = nullptr;

namespace {

constexpr QSize kTaille(395, 392);
constexpr QPoint kPosition(325, 171);
// Count and size labels are repainted at most this often during a run.
constexpr qint64 kIntervalleLabels = 30;

const QColor kBleuEnCours(55, 84, 200);
const QColor kRougeCompteurs(240, 64, 19);

// The credits panel: a raised panel that keeps presses from the window (no drag).
class Panneau : public QFrame {
 public:
  explicit Panneau(QWidget* parent) : QFrame(parent) {}

 protected:
  void mousePressEvent(QMouseEvent* event) override { event->accept(); }
};

// The credits picture (160 x 30); a blank strip when it cannot be read.
QPixmap ImageCredits() {
  try {
    return QPixmap::fromImage(ChargerSkin(QStringLiteral(":/skins/credits.jpg")));
  } catch (const std::exception&) {
    QPixmap vide(160, 30);
    vide.fill(Qt::white);
    return vide;
  }
}

}  // namespace

TForm1::TForm1(QWidget* parent)
    : FenetreHabillee(kTaille, kPosition, parent), Menage(ScruteDossier1, PlanMenage, *this) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QGuiApplication::applicationDisplayName());
  QFont defaut(QStringLiteral("MS Sans Serif"));
  defaut.setPointSize(8);
  setFont(defaut);
  try {
    SetFond(ChargerSkin(QStringLiteral(":/skins/principale.jpg")));
  } catch (const std::exception&) {
    // Without its skin the window still works; the background stays plain.
  }

  // Created bottom to top: each new child lies above the earlier ones.
  Shape1 = new ZoneSouris(QStringLiteral("Shape1"), QRect(310, 47, 27, 26),
                          QStringLiteral("Quitter l'application"), this);
  Shape2 =
      new ZoneSouris(QStringLiteral("Shape2"), QRect(56, 86, 87, 49),
                     QStringLiteral("Lance  la recherche et la suppression des fichiers"), this);
  ShapeOptions = new ZoneSouris(QStringLiteral("ShapeOptions"), QRect(152, 86, 87, 49),
                                QStringLiteral("Choisissez vos options."), this);
  ShapeEffacer = new ZoneSouris(QStringLiteral("ShapeEffacer"), QRect(249, 86, 86, 49),
                                QStringLiteral("Stopper le processus."), this);
  LabelEnCours =
      new LabelFixe(QStringLiteral("LabelEnCours"), QRect(56, 208, 281, 17), 13, kBleuEnCours,
                    QStringLiteral("Choisissez les options d'abord ..."), this);
  LabelNbFichiers = new LabelFixe(QStringLiteral("LabelNbFichiers"), QRect(136, 269, 129, 21), 16,
                                  kRougeCompteurs, QStringLiteral("0"), this);
  LabelTaille = new LabelFixe(QStringLiteral("LabelTaille"), QRect(136, 328, 129, 19), 16,
                              kRougeCompteurs, QStringLiteral("0 kO"), this);
  Shape3 = new ZoneSouris(QStringLiteral("Shape3"), QRect(320, 65, 34, 25),
                          QStringLiteral("L'aide"), this);

  Panel1 = new Panneau(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(112, 128, 161, 33);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setAutoFillBackground(true);
  Image2 = new QLabel(Panel1);
  Image2->setObjectName(QStringLiteral("Image2"));
  Image2->setGeometry(1, 1, 160, 32);
  Image2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image2->setPixmap(ImageCredits());
  Panel1->hide();

  Shape1->OnMouseDown = [this](Qt::MouseButton b) { Shape1MouseDown(b); };
  Shape2->OnMouseDown = [this](Qt::MouseButton b) { Shape2MouseDown(b); };
  ShapeOptions->OnMouseDown = [this](Qt::MouseButton b) { ShapeOptionsMouseDown(b); };
  ShapeEffacer->OnMouseDown = [this](Qt::MouseButton b) { ShapeEffacerMouseDown(b); };
  Shape3->OnMouseDown = [this](Qt::MouseButton b) { Shape3MouseDown(b); };
  OnDetruite = [this] { FormDestroy(); };

  // The scanner as the window configures it; its events belong to the run.
  ScruteDossier1.Dossier = "c:\\";
  ScruteDossier1.Filtre = "*.*";
  ScruteDossier1.SousDossier = true;
  ScruteDossier1.MaxPenetration = 10000;
  // Each drain first lets texts held back by the throttle through, once their time has come,
  // so that they are never long behind even when no further file arrives.
  ScruteDossier1.TraiterMessages = [this] {
    if (labelsEnRetard_ && dernierRafraichissement_.elapsed() >= kIntervalleLabels) {
      RafraichirLabels();
    }
    QCoreApplication::processEvents();
  };

  QCoreApplication::instance()->installEventFilter(this);
  FormCreate();
}

TForm1::~TForm1() {
  if (Form1 == this) Form1 = nullptr;
}

void TForm1::FormCreate() {
  FormeEllipse();
  PlanMenage.OptionsValidees = false;
  PlanMenage.Clear();
}

void TForm1::Shape2MouseDown(Qt::MouseButton) {
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

void TForm1::ShapeOptionsMouseDown(Qt::MouseButton) {
  MontrerOptions();
}

void TForm1::ShapeEffacerMouseDown(Qt::MouseButton) {
  Menage.Stopper();
}

void TForm1::Shape1MouseDown(Qt::MouseButton) {
  DemanderFermeture();
}

void TForm1::Shape3MouseDown(Qt::MouseButton) {
  ActionAide(this);
}

void TForm1::FormDestroy() {
  detruite_ = true;
  DemanderFermeture();
}

void TForm1::FormKeyPress(QChar touche) {
  if (touche == u'$') {
    Panel1->show();
    Panel1->raise();
  } else if (touche == u'*') {
    Panel1->hide();
  }
}

void TForm1::AfficherEnCours(const std::string& texte) {
  LabelEnCours->setText(QString::fromStdString(texte));
  RafraichirLabels();
}

void TForm1::AfficherNbFichiers(const std::string& texte) {
  texteNbFichiers_ = QString::fromStdString(texte);
  LabelsChanges();
}

void TForm1::AfficherTaille(const std::string& texte) {
  texteTaille_ = QString::fromStdString(texte);
  LabelsChanges();
}

void TForm1::LabelsChanges() {
  labelsEnRetard_ = true;
  if (!dernierRafraichissement_.isValid() ||
      dernierRafraichissement_.elapsed() >= kIntervalleLabels) {
    RafraichirLabels();
  }
}

void TForm1::RafraichirLabels() {
  if (labelsEnRetard_) {
    if (!texteNbFichiers_.isNull()) LabelNbFichiers->setText(texteNbFichiers_);
    if (!texteTaille_.isNull()) LabelTaille->setText(texteTaille_);
    labelsEnRetard_ = false;
  }
  dernierRafraichissement_.start();
}

void TForm1::MontrerOptions() {
  if (FormOptions == nullptr) return;
  FormOptions->show();
  FormOptions->raise();
  FormOptions->activateWindow();
}

void TForm1::Message(const std::string& texte) {
  RafraichirLabels();
  // Quitting was asked: the run has unwound, the window closes without a summary.
  if (fermerApresMenage_) return;
  AfficherMessage(QString::fromStdString(texte));
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
  if (!detruite_) {
    close();
    return;
  }
  if (fermee_) return;
  fermee_ = true;
  emit Fermee();
}

bool TForm1::eventFilter(QObject* objet, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !objet->isWidgetType()) return false;
  auto* cible = static_cast<QWidget*>(objet);
  if (cible->window() != this) return false;
  const QString texte = static_cast<QKeyEvent*>(event)->text();
  if (texte.size() != 1) return false;
  Garde([&] { FormKeyPress(texte.front()); });
  // The window has seen it; "$" and "*" go no further.
  return texte.front() == u'$' || texte.front() == u'*';
}

void TForm1::closeEvent(QCloseEvent* event) {
  if (Menage.EnCours()) {
    event->ignore();
    fermerApresMenage_ = true;
    Menage.Stopper();
    return;
  }
  event->accept();
  emit Fermee();
}
