#pragma once
// The preview of a cleaning run in one prefix, as a list: the files in save locations and game
// folders first under their heading, then the other files, each with its Windows path and size;
// then the registry values and the empty folders; the run's summary at the bottom. A prefix
// without validated options says so instead. Selected rows are copied with the usual key, the
// whole list with the Copier button, as tab-separated lines.
#include <QDialog>
#include <QString>

#include "cleaning/Apercu.h"

class QLabel;
class QTreeWidget;

class FenetreApercu : public QDialog {
  Q_OBJECT
 public:
  // `prefixe`: the prefix's name as the list of prefixes shows it; `occupation`: why a run would
  // be refused there now (the process using it), or empty.
  FenetreApercu(const Apercu& apercu, const QString& prefixe, const QString& occupation,
                QWidget* parent = nullptr);

  // Nothing when the prefix has no validated options.
  QTreeWidget* Liste() const { return liste_; }
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
