#pragma once
// JPEG (JFIF) decoding with libjpeg; a corrupt picture throws instead of ending the process.
#include <QByteArray>
#include <QImage>

// Decodes `donnees` into an RGB image; throws std::runtime_error on a bad picture.
QImage DecoderJpeg(const QByteArray& donnees);
// Decodes the embedded resource `chemin` (":/skins/principale.jpg").
QImage ChargerSkin(const QString& chemin);
