#pragma once
// A dialog of the chooser whose title the window system shows exactly as given: "Tidora 2000 —
// Anneau de Cendre" (TitrePrefixe), where the window systems' plugins would end it with the
// application's name once more.
#include <QDialog>
#include <QString>

class DialoguePrefixe : public QDialog {
  Q_OBJECT
 public:
  explicit DialoguePrefixe(QWidget* parent = nullptr) : QDialog(parent) {}

  // The title, as the window system is to show it.
  void Intituler(const QString& titre);
  void setVisible(bool visible) override;
};
