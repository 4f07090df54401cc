// The skin decoder: real pictures come out right, broken ones throw instead of ending the program.
#include <gtest/gtest.h>
#include <jpeglib.h>

#include <QByteArray>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "kits/qt/Jpeg.h"

namespace {

// A width x height picture compressed by libjpeg at full quality: colour (3 components) with a
// red/green gradient and a blue stripe, or grey (1 component) with a horizontal ramp.
QByteArray Compresser(int largeur, int hauteur, int composantes) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr erreurs{};
  cinfo.err = jpeg_std_error(&erreurs);
  jpeg_create_compress(&cinfo);
  unsigned char* sortie = nullptr;
  unsigned long taille = 0;
  jpeg_mem_dest(&cinfo, &sortie, &taille);
  cinfo.image_width = static_cast<JDIMENSION>(largeur);
  cinfo.image_height = static_cast<JDIMENSION>(hauteur);
  cinfo.input_components = composantes;
  cinfo.in_color_space = composantes == 3 ? JCS_RGB : JCS_GRAYSCALE;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 100, TRUE);
  if (composantes == 3) {
    for (int c = 0; c < 3; ++c)
      cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
  }
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> ligne(static_cast<std::size_t>(largeur * composantes));
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < largeur; ++x) {
      if (composantes == 3) {
        ligne[3 * x] = static_cast<JSAMPLE>(x * 255 / (largeur - 1));
        ligne[3 * x + 1] = static_cast<JSAMPLE>(y * 255 / (hauteur - 1));
        ligne[3 * x + 2] = (y / 8) % 2 ? 200 : 40;
      } else {
        ligne[x] = static_cast<JSAMPLE>(x * 255 / (largeur - 1));
      }
    }
    JSAMPROW rangee = ligne.data();
    jpeg_write_scanlines(&cinfo, &rangee, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  QByteArray resultat(reinterpret_cast<const char*>(sortie), static_cast<qsizetype>(taille));
  std::free(sortie);
  return resultat;
}

void AttendreProche(QRgb obtenu, int r, int g, int b) {
  EXPECT_NEAR(qRed(obtenu), r, 6);
  EXPECT_NEAR(qGreen(obtenu), g, 6);
  EXPECT_NEAR(qBlue(obtenu), b, 6);
}

std::string Refus(const QByteArray& donnees) {
  try {
    DecoderJpeg(donnees);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "décodée sans erreur";
}

TEST(DecoderJpeg, ColourAndGreyPicturesComeOutAsRgb) {
  const QImage couleur = DecoderJpeg(Compresser(64, 48, 3));
  ASSERT_EQ(couleur.size(), QSize(64, 48));
  EXPECT_EQ(couleur.format(), QImage::Format_RGB888);
  AttendreProche(couleur.pixel(0, 0), 0, 0, 40);
  AttendreProche(couleur.pixel(63, 12), 255, 12 * 255 / 47, 200);
  AttendreProche(couleur.pixel(21, 47), 21 * 255 / 63, 255, 200);

  const QImage gris = DecoderJpeg(Compresser(33, 7, 1));
  ASSERT_EQ(gris.size(), QSize(33, 7));
  for (int x : {0, 16, 32})
    AttendreProche(gris.pixel(x, 6), x * 255 / 32, x * 255 / 32, x * 255 / 32);
}

TEST(DecoderJpeg, TheEmbeddedSkinsDecode) {
  EXPECT_EQ(ChargerSkin(":/skins/options.jpg").size(), QSize(485, 349));
  EXPECT_EQ(ChargerSkin(":/skins/principale.jpg").size(), QSize(395, 392));
  EXPECT_THROW(ChargerSkin(":/skins/absente.jpg"), std::runtime_error);
}

TEST(DecoderJpeg, BrokenDataThrowsAFrenchError) {
  const QByteArray bonne = Compresser(64, 48, 3);
  QByteArray abimee = bonne;
  for (qsizetype i = bonne.size() / 3; i < bonne.size() - 2; i += 7) abimee[i] = '\xFF';

  for (const QByteArray& donnees :
       {QByteArray(), QByteArray("GIF89a, pas du tout une image JPEG"), bonne.left(2),
        bonne.left(bonne.size() / 2), bonne.left(bonne.size() - 2), abimee}) {
    EXPECT_EQ(Refus(donnees).rfind("Image JPEG illisible : ", 0), 0u) << Refus(donnees);
  }
  // The decoder is still usable after a refusal.
  EXPECT_EQ(DecoderJpeg(bonne).size(), QSize(64, 48));
}

}  // namespace
