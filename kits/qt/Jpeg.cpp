#include "kits/qt/Jpeg.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

// libjpeg reports a fatal error through error_exit, whose default ends the process. Ours jumps
// back to the decoding frame instead; no exception ever crosses libjpeg's C frames.
struct ErreurJpeg {
  jpeg_error_mgr gestionnaire;
  std::jmp_buf saut;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void SortieErreur(j_common_ptr cinfo) {
  auto* erreur = reinterpret_cast<ErreurJpeg*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, erreur->message);
  std::longjmp(erreur->saut, 1);
}

// Warnings (msg_level -1) flag corrupt data, such as a truncated picture that libjpeg would
// otherwise finish in grey: they are refused like errors. Trace messages are dropped.
extern "C" void Avertissement(j_common_ptr cinfo, int niveau) {
  if (niveau < 0) SortieErreur(cinfo);
}

extern "C" void Silence(j_common_ptr) {}

// Everything the decoding touches lives here, in the caller's frame, so that the jump back
// skips no destructor.
struct Decodage {
  jpeg_decompress_struct cinfo{};
  ErreurJpeg erreur{};
  QImage image;
  std::vector<JSAMPLE> ligne;
};

// Decodes into d.image; false (message in d.erreur.message) when libjpeg gives up.
bool Decoder(Decodage& d, const QByteArray& donnees) {
  d.cinfo.err = jpeg_std_error(&d.erreur.gestionnaire);
  d.erreur.gestionnaire.error_exit = SortieErreur;
  d.erreur.gestionnaire.emit_message = Avertissement;
  d.erreur.gestionnaire.output_message = Silence;
  if (setjmp(d.erreur.saut) != 0) return false;

  jpeg_create_decompress(&d.cinfo);
  jpeg_mem_src(&d.cinfo, reinterpret_cast<unsigned char*>(const_cast<char*>(donnees.constData())),
               static_cast<unsigned long>(donnees.size()));
  jpeg_read_header(&d.cinfo, TRUE);
  const bool gris = d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  d.cinfo.out_color_space = gris ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&d.cinfo);

  const int largeur = static_cast<int>(d.cinfo.output_width);
  const int hauteur = static_cast<int>(d.cinfo.output_height);
  d.image = QImage(largeur, hauteur, QImage::Format_RGB888);
  if (d.image.isNull()) {
    std::snprintf(d.erreur.message, sizeof d.erreur.message, "image trop grande (%d x %d)", largeur,
                  hauteur);
    return false;
  }
  if (gris) d.ligne.resize(static_cast<std::size_t>(largeur));
  while (d.cinfo.output_scanline < d.cinfo.output_height) {
    const int y = static_cast<int>(d.cinfo.output_scanline);
    JSAMPROW rangee = gris ? d.ligne.data() : d.image.scanLine(y);
    jpeg_read_scanlines(&d.cinfo, &rangee, 1);
    if (gris) {
      uchar* rgb = d.image.scanLine(y);
      for (int x = 0; x < largeur; ++x) rgb[3 * x] = rgb[3 * x + 1] = rgb[3 * x + 2] = d.ligne[x];
    }
  }
  jpeg_finish_decompress(&d.cinfo);
  return true;
}

}  // namespace

QImage DecoderJpeg(const QByteArray& donnees) {
  Decodage d;
  const bool reussi = Decoder(d, donnees);
  jpeg_destroy_decompress(&d.cinfo);
  if (!reussi) throw std::runtime_error(std::string("Image JPEG illisible : ") + d.erreur.message);
  return d.image;
}

QImage ChargerSkin(const QString& chemin) {
  QFile fichier(chemin);
  if (!fichier.open(QIODevice::ReadOnly))
    throw std::runtime_error("Image introuvable : " + chemin.toStdString());
  return DecoderJpeg(fichier.readAll());
}
