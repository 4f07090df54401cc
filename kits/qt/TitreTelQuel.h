#pragma once
// Titles shown by the window system exactly as given ("Tidora 2000 — Anneau de Cendre"): the
// window systems' plugins end every title with the application's name after a dash, unless it
// already ends so, and these begin with it.
#include <QString>
#include <functional>

// Runs `faire`, which may hand the title `titre` to the window system: meanwhile the
// application's name is the title itself. Message boxes, made after, keep the application's name.
void TitreTelQuel(const QString& titre, const std::function<void()>& faire);
