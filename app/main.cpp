// Start-up: the application, its title, the main window (which empties the plan), the hidden
// options window (which loads the options file), then the main window until it closes.
#include <QApplication>

#include "app/Echantillons.h"
#include "app/FichierAide.h"
#include "app/Unit1.h"
#include "app/skin/Garde.h"
#include "options/Unit2.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tidora2000"));
  QApplication::setApplicationDisplayName(QStringLiteral("Tidora 2000"));
  // The menu entry installed as tidora2000.desktop: its name and icon go with the windows.
  QGuiApplication::setDesktopFileName(QStringLiteral("tidora2000"));
  // Closing the main window ends the program, even with the options window shown.
  QApplication::setQuitOnLastWindowClosed(false);

  // A brand-new profile gets a few sample traces; the help file goes beside the executable.
  Garde(PreparerProfil);
  Garde([] { InstallerFichierAide(); });

  TForm1 form1;
  Form1 = &form1;
  QObject::connect(&form1, &TForm1::Fermee, &application, &QCoreApplication::quit);
  TFormOptions formOptions;
  FormOptions = &formOptions;

  form1.show();
  const int code = QApplication::exec();
  FormOptions = nullptr;
  return code;
}
