#pragma once
// The preview of a cleaning run in one prefix, as a list: the files in save locations and game
// folders first under their heading, then the other files, each with its Windows path, its size
// and what takes it; the protected files a run leaves, apart; then the registry values and the
// empty folders; what it all adds up to on one line at the bottom. A prefix without validated
// options says so instead. Selected rows are copied with the usual key, the whole list with the
// Copier button, as tab-separated lines.
#include <QString>

#include "cleaning/Apercu.h"
#include "kits/qt/DialoguePrefixe.h"

class QLabel;
class QTreeWidget;

class FenetreApercu : public DialoguePrefixe {
  Q_OBJECT
 public:
  // `prefixe`: the prefix's name as the list of prefixes shows it (the title names it);
  // `occupation`: why a run would be refused there now (the process using it), or empty.
  FenetreApercu(const Apercu& apercu, const QString& prefixe, const QString& occupation,
                QWidget* parent = nullptr);

  // Nothing when the prefix has no validated options.
  QTreeWidget* Liste() const { return liste_; }
  // The total, then the run's interruption or failure when there is one, a line each.
  QLabel* Resume() const { return resume_; }
  // The rows of the list (all of them, or only the selected ones), one line each, the columns
  // separated by tabs; a heading is a line of its own.
  QString Texte(bool selection) const;

 protected:
  // The copy key in the list copies its selected rows.
  bool eventFilter(QObject* objet, QEvent* event) override;

 private:
  QTreeWidget* liste_ = nullptr;
  QLabel* resume_ = nullptr;
};
