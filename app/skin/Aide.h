#pragma once
// Help action: when the application's help file name is empty, it becomes the executable's
// path with the extension ".hlp"; then the help viewer shows that file.
#include <QString>

class QWidget;

// The application's help file (a Windows path); empty until the first help action.
extern QString HelpFile;
// The help action of both windows.
void ActionAide(QWidget* parent);
