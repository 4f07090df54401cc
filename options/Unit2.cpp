#include "options/Unit2.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QStyle>
#include <QStyleFactory>
#include <string>

#include "app/skin/Aide.h"
#include "app/skin/Garde.h"
#include "app/skin/Jpeg.h"
#include "app/skin/ZoneSouris.h"
#include "cleaning/PlanMenage.h"
#include "options/FichierOptions.h"

TFormOptions* FormOptions = nullptr;

namespace {

// A check box showing only its box: a press anywhere in its rectangle toggles it, and no press
// on it ever falls through to the skin underneath (which would drag the window).
class CaseACocher : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
  void mousePressEvent(QMouseEvent* event) override {
    QCheckBox::mousePressEvent(event);
    event->accept();
  }
};

struct PlaceCase {
  int gauche, haut;
};

// Top-left corners of CheckBox1 .. CheckBox17 on the skin.
constexpr std::array<PlaceCase, 17> kPlacesCases{{{224, 108},
                                                  {240, 152},
                                                  {240, 174},
                                                  {240, 196},
                                                  {240, 218},
                                                  {240, 240},
                                                  {240, 262},
                                                  {240, 284},
                                                  {32, 107},
                                                  {32, 129},
                                                  {32, 151},
                                                  {32, 173},
                                                  {32, 194},
                                                  {120, 107},
                                                  {120, 129},
                                                  {120, 151},
                                                  {120, 173}}};

// The plan entry behind each box, in box order.
std::array<const std::string*, 17> EntreesPlan(const TPlanMenage& plan) {
  return {&plan.TableDossiers[0], &plan.TableDossiers[1], &plan.TableRegistre[1],
          &plan.TableDossiers[2], &plan.TableDossiers[3], &plan.TableDossiers[4],
          &plan.TableDossiers[5], &plan.TableRegistre[0], &plan.TableMotifs[0],
          &plan.TableMotifs[1],   &plan.TableMotifs[2],   &plan.TableMotifs[3],
          &plan.TableMotifs[4],   &plan.TableMotifs[5],   &plan.TableMotifs[6],
          &plan.TableMotifs[7],   &plan.TableMotifs[8]};
}

}  // namespace

TFormOptions::TFormOptions(QWidget* parent)
    : FenetreHabillee(QSize(485, 349), QPoint(371, 326), parent) {
  setObjectName(QStringLiteral("FormOptions"));
  setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
  Garde([this] { SetFond(ChargerSkin(QStringLiteral(":/skins/options.jpg"))); });

  Shape1 = new ZoneSouris(QStringLiteral("Shape1"), QRect(128, 296, 73, 41), QString(), this);
  Shape2 = new ZoneSouris(QStringLiteral("Shape2"), QRect(14, 296, 73, 41),
                          QStringLiteral("Valider les options avant de quitter."), this);
  Shape3 = new ZoneSouris(QStringLiteral("Shape3"), QRect(428, 11, 25, 25), QString(), this);
  Shape4 = new ZoneSouris(QStringLiteral("Shape4"), QRect(446, 31, 25, 25), QString(), this);
  Shape1->OnMouseDown = [this](Qt::MouseButton b) { Shape1MouseDown(b); };
  Shape2->OnMouseDown = [this](Qt::MouseButton b) { Shape2MouseDown(b); };
  Shape3->OnMouseDown = [this](Qt::MouseButton b) { Shape3MouseDown(b); };
  Shape4->OnMouseDown = [this](Qt::MouseButton b) { Shape4MouseDown(b); };

  // The boxes and the edit box share one neat, platform-independent look that suits the skin.
  styleCases_ = QStyleFactory::create(QStringLiteral("Fusion"));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Base, Qt::white);
  palette.setColor(QPalette::Text, Qt::black);
  palette.setColor(QPalette::WindowText, Qt::black);

  for (std::size_t i = 0; i < cases_.size(); ++i) {
    auto* box = new CaseACocher(this);
    box->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    const int largeur = i < 8 ? 14 : 15;
    box->setGeometry(kPlacesCases[i].gauche, kPlacesCases[i].haut, largeur, 17);
    if (styleCases_) box->setStyle(styleCases_);
    box->setPalette(palette);
    cases_[i] = box;
  }
  CheckBox1 = cases_[0], CheckBox2 = cases_[1], CheckBox3 = cases_[2], CheckBox4 = cases_[3];
  CheckBox5 = cases_[4], CheckBox6 = cases_[5], CheckBox7 = cases_[6], CheckBox8 = cases_[7];
  CheckBox9 = cases_[8], CheckBox10 = cases_[9], CheckBox11 = cases_[10];
  CheckBox12 = cases_[11], CheckBox13 = cases_[12], CheckBox14 = cases_[13];
  CheckBox15 = cases_[14], CheckBox16 = cases_[15], CheckBox17 = cases_[16];

  EditEffacer = new QLineEdit(this);
  EditEffacer->setObjectName(QStringLiteral("EditEffacer"));
  EditEffacer->setGeometry(32, 253, 150, 21);
  if (styleCases_) EditEffacer->setStyle(styleCases_);
  EditEffacer->setPalette(palette);
  connect(EditEffacer, &QLineEdit::textChanged, this, [this] { EditEffacerChange(); });

  MemoOptions = new QPlainTextEdit(this);
  MemoOptions->setObjectName(QStringLiteral("MemoOptions"));
  MemoOptions->setGeometry(0, 0, 17, 17);
  MemoOptions->hide();

  QWidget* precedent = CheckBox1;
  for (std::size_t i = 1; i < cases_.size(); ++i) {
    setTabOrder(precedent, cases_[i]);
    precedent = cases_[i];
  }
  setTabOrder(precedent, EditEffacer);

  Garde([this] { FormCreate(); });
}

TFormOptions::~TFormOptions() {
  if (FormOptions == this) FormOptions = nullptr;
  // The widgets using the shared style go before it.
  for (QCheckBox* box : cases_) delete box;
  delete EditEffacer;
  delete styleCases_;
}

void TFormOptions::FormCreate() {
  FormeRectangleArrondi(65, 65);
  MemoOptions->clear();
  LireOptions(PlanMenage);
  const auto entrees = EntreesPlan(PlanMenage);
  for (std::size_t i = 0; i < cases_.size(); ++i) cases_[i]->setChecked(!entrees[i]->empty());
  // The free masks come back too, so that the next validation keeps them.
  EditEffacer->setText(QString::fromStdString(MasquesLibres()));
}

void TFormOptions::Shape2MouseDown(Qt::MouseButton) {
  ChoixOptions choix{};
  for (std::size_t i = 0; i < cases_.size(); ++i) choix[i] = cases_[i]->isChecked();
  MemoOptions->clear();
  const std::vector<std::string> lignes = ComposerOptions(choix, EditEffacer->text().toStdString());
  for (const std::string& ligne : lignes)
    MemoOptions->appendPlainText(QString::fromStdString(ligne));
  // The composed lines are saved as they are (the memo's copy is for display only).
  EnregistrerOptions(lignes);
  PlanMenage.OptionsValidees = true;
  LireOptions(PlanMenage);
  hide();
}

void TFormOptions::Shape1MouseDown(Qt::MouseButton) {
  hide();
}

void TFormOptions::Shape3MouseDown(Qt::MouseButton) {
  hide();
}

void TFormOptions::Shape4MouseDown(Qt::MouseButton) {
  ActionAide(this);
}

void TFormOptions::EditEffacerChange() {}

void TFormOptions::Image1MouseDown(QMouseEvent* event) {
  Glisser(event);
}
