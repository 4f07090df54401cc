// The profile-string reader on files the program did not write.
#include "Environnement.h"
#include "platform/Profile.h"

using Profil = EnvironnementOptions;

TEST_F(Profil, ValeursNettoyeesEtClesAbsentes) {
  Ecrire(fichier,
         "[S]\r\n"
         "a=  \t\"x y\"  \r\n"
         "b='x\"\n"
         "c=\"\n"
         "d=''\n"
         "e=\n"
         "f\n"
         "g = 'x' y'\n"
         "[\u00c9t\u00e9]\n"
         "Cl\u00e9=1\n"
         "\u212aelvin=2\n");
  const auto lire = [&](const char* cle) {
    return os::getPrivateProfileString(lecteur, "S", cle, "<absent>", Chemin());
  };
  EXPECT_EQ(lire("a"), "x y");
  EXPECT_EQ(lire("b"), "'x\"");  // quotes that do not match stay
  EXPECT_EQ(lire("c"), "\"");
  EXPECT_EQ(lire("d"), "");
  EXPECT_EQ(lire("e"), "");          // empty, not absent
  EXPECT_EQ(lire("f"), "<absent>");  // no "=": not a key
  EXPECT_EQ(lire("g"), "x' y");
  EXPECT_EQ(lire("h"), "<absent>");
  // Names ignore the case of every letter (the Kelvin sign is a capital k).
  EXPECT_EQ(os::getPrivateProfileString(lecteur, "\u00e9T\u00c9", "CL\u00c9", "", Chemin()), "1");
  EXPECT_EQ(os::getPrivateProfileString(lecteur, "\u00e9t\u00e9", "KELVIN", "", Chemin()), "2");
  EXPECT_EQ(os::getPrivateProfileString(lecteur, "T", "a", "<absent>", Chemin()), "<absent>");
  for (const std::string& autre : {Chemin() + ".manque", lecteur.executableFolder(),
                                   std::string("D:\\options.ini"), std::string("options.ini")}) {
    EXPECT_EQ(os::getPrivateProfileString(lecteur, "S", "a", "<absent>", autre), "<absent>")
        << autre;
  }
}

TEST_F(Profil, OctetsQuelconquesEtLigneDeDixMegaOctets) {
  std::string texte;
  unsigned graine = 12345;
  for (int i = 0; i < 1 << 20; ++i) {
    graine = graine * 1103515245u + 12345u;
    texte += static_cast<char>(graine >> 16);
  }
  texte += "\n[S]\nlong=" + std::string(10 << 20, 'z') + "\napres= ok \n[" +
           std::string(10 << 20, ']') + "\nfin=x\n";
  Ecrire(fichier, texte);
  const auto lire = [&](const char* cle) {
    return os::getPrivateProfileString(lecteur, "S", cle, "<absent>", Chemin());
  };
  EXPECT_EQ(lire("long"), std::string(1023, 'z'));
  EXPECT_EQ(lire("apres"), "ok");
  EXPECT_EQ(lire("fin"), "<absent>");  // the long line opened another section
}

// The file is UTF-8 (a byte-order mark is passed over); a file that is not UTF-8 anywhere is
// read as Windows-1252 throughout. A character cut between two pieces of the read is whole
// UTF-8 all the same.
TEST_F(Profil, Utf8SinonWindows1252) {
  const auto lire = [&](const char* cle) {
    return os::getPrivateProfileString(lecteur, "S", cle, "<absent>", Chemin());
  };
  const std::string utf8 = "[S]\r\nv=C:\\Mes documents\\Été € “x”\r\n";
  for (const std::string& texte : {utf8, "\xEF\xBB\xBF" + utf8}) {
    Ecrire(fichier, texte);
    EXPECT_EQ(lire("v"), "C:\\Mes documents\\Été € “x”");
  }
  Ecrire(fichier, "[S]\r\nv=C:\\Mes documents\\\xC9t\xE9 \x80 \x93x\x94\r\nw=ascii\r\n");
  EXPECT_EQ(lire("v"), "C:\\Mes documents\\Été € “x”");
  EXPECT_EQ(lire("w"), "ascii");
  Ecrire(fichier, "[S]\nv=été\nw=\xE9\n");
  EXPECT_EQ(lire("v"), "Ã©tÃ©");
  // The file is read in pieces of 64 KiB: "€" or the emoji begins in one and ends in the next.
  for (std::size_t debut = 65530; debut <= 65536; ++debut) {
    Ecrire(fichier, "[S]\nz=" + std::string(debut - 9, 'a') + "\nv=\u20ac\U0001F600\n");
    EXPECT_EQ(lire("v"), "\u20ac\U0001F600") << debut;
  }
  Ecrire(fichier, "[S]\nv=\u00e9\n;" + std::string(65533, 'a') + "\xE2\x82");  // cut short
  EXPECT_EQ(lire("v"), "\u00c3\u00a9");
  // Cut to 1023 bytes, a value loses the character it would split.
  Ecrire(fichier, "[S]\nv=" + std::string(1022, 'a') + "é\n");
  EXPECT_EQ(lire("v"), std::string(1022, 'a'));
}

// As the system reads: a CR alone ends a line, and the keys before the first section line make
// the section without a name.
TEST_F(Profil, FinsDeLigneCREtSectionSansNom) {
  Ecrire(fichier, "k=avant\r[S]\rk=cr\r\r[]\rk=vide\n");
  const auto lire = [&](const char* section) {
    return os::getPrivateProfileString(lecteur, section, "k", "<absent>", Chemin());
  };
  EXPECT_EQ(lire("S"), "cr");
  EXPECT_EQ(lire(""), "avant");
  Ecrire(fichier, "[]\nk=vide\n");
  EXPECT_EQ(lire(""), "<absent>");  // the section without a name comes first, and is empty
}
