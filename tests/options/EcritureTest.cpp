// Writing "options.ini": its exact bytes, and failures that must leave the old file whole.
#include "Environnement.h"

using Ecriture = EnvironnementOptions;
using namespace std::string_literals;

TEST_F(Ecriture, ChaqueChoixDonneSaLigneDansLOrdreDuFichier) {
  Valider({}, "");
  EXPECT_EQ(Lire(fichier), Vide);

  auto cle = ShellFolders();
  cle.setString("Cache", "C:\\Profil\\Cache");
  cle.setValue("History", os::reg::Dword, "");  // size zero: empty, whatever its type
  cle.deleteValue("Recent");
  cle.setValue("Cookies", os::reg::ExpandSz, std::string("%USERPROFILE%\\Cookies\0x\0", 24));
  const std::string w = lecteur.windowsDirectory();
  Valider(Cases({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17}), "");
  std::string attendu;
  for (const std::string& ligne : std::initializer_list<std::string>{
           "[Dossiers]", "Cache=C:\\Profil\\Cache",
           "History=", "Recent=", "Cookies=%USERPROFILE%\\Cookies",
           "DocFind=\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Doc Find Spec MRU",
           "Temp=" + w + "\\temp", "Sbdr=" + w + "\\SYSBCKUP",  // as on disk
           "TypedURL=\\Software\\Microsoft\\Internet Explorer\\TypedURLs", "[Fichiers]",
           "xt1=*.tmp", "xt2=*.bak", "xt3=*.gid", "xt4=*.chk", "xt5=*.log", "xt6=*.old",
           "xt7=*.---", "xt8=*.~*", "xt9=*.$*"}) {
    attendu += ligne + "\r\n";
  }
  EXPECT_EQ(Lire(fichier), attendu);
  Valider(Cases({9, 11}), "");
  EXPECT_EQ(Lire(fichier), "[Dossiers]\r\n[Fichiers]\r\nxt1=*.tmp\r\nxt3=*.gid\r\n");
  EXPECT_EQ(Contenu(), FichierSeul);
}

TEST_F(Ecriture, MasquesLibresDecoupesAuPointVirgule) {
  const struct {
    const char* masques;
    const char* lignes;
  } cas[] = {
      {"*.txt;file*.*;test.txt", "xt11=*.txt\r\nxt12=file*.*\r\nxt13=test.txt\r\n"},
      {"*.txt;", "xt11=*.txt\r\n"},
      {";*.txt", "xt11=\r\nxt12=*.txt\r\n"},
      {"a.x;;b.x; c.x", "xt11=a.x\r\nxt12=\r\nxt13=b.x\r\nxt14= c.x\r\n"},
      {"", ""},
  };
  for (const auto& c : cas) {
    Valider({}, c.masques);
    EXPECT_EQ(Lire(fichier), Vide + c.lignes) << c.masques;
  }
}

TEST_F(Ecriture, MasqueDangereuxRefuseSansRienEnregistrer) {
  Ecrire(fichier, "ancien");
  for (const std::string morceau : {"*", "*.*", "*.", "?*", " *.* ", "\"*\"", "C:\\x\\*.tmp",
                                    "a/b.txt", "c:x", "a.x\nxt12=*"}) {
    EXPECT_EQ(Echec([&] { Valider(Cases({9}), "ok.txt;" + morceau + ";b.txt"); }),
              "Masque refusé : " + morceau);
  }
  EXPECT_EQ(Lire(fichier), "ancien");
}

TEST_F(Ecriture, ValeurDuRegistreDeMauvaisTypeArreteTout) {
  Ecrire(fichier, "ancien");
  ShellFolders().setValue("Cache", os::reg::Dword, std::string("\1\0\0\0", 4));
  EXPECT_EQ(Echec([&] { Valider(Cases({1, 9}), ""); }), "Type de données incorrect pour 'Cache'");
  EXPECT_EQ(Lire(fichier), "ancien");
  EXPECT_EQ(Echec([&] { Valider(Cases({2}), ""); }), "");  // not read when not chosen
}

// A value goes into the file only when reading the file back gives it unchanged: a line end
// would add lines of its own ("xt1=*.doc"), a cut or trimmed path would name another folder.
TEST_F(Ecriture, ValeurQueLaRelectureChangeraitArreteTout) {
  Ecrire(fichier, "ancien");
  const std::string controle = "Saut de ligne ou caract\u00e8re de contr\u00f4le dans la valeur '";
  const std::string bord = "Espace ou guillemet au d\u00e9but ou \u00e0 la fin de la valeur '";
  const struct {
    const char* nom;
    std::string valeur;
    std::string message;  // "" when accepted
  } cas[] = {
      {"Cache", "C:\\Cache\r\n[Fichiers]\r\nxt1=*.doc", controle},
      {"Cookies", "C:\\Cookies\nxt1=*.doc", controle},
      {"Cache", "C:\\Ca\rche", controle},
      {"Cache", "C:\\Ca\tche", controle},
      {"Cache", "C:\\Ca\x1a", controle},
      {"Cache", "C:\\Ca\x7f", controle},
      {"Cache", "C:\\Ca\u0085che", controle},  // NEL, a control character of Latin-1
      {"Cache", "C:\\Users\\x\\" + std::string(1024 - 11, 'a'), "Valeur trop longue pour '"},
      {"History", " C:\\Historique", bord},
      {"History", "C:\\Historique ", bord},
      {"History", "\"C:\\Historique\"", bord},
      {"History", "'C:\\Historique'", bord},
      {"Cache", "C:\\Users\\x\\" + std::string(1023 - 11, 'a'), ""},
      {"Cache", "C:\\Cache\0\r\nxt1=*.doc"s, ""},  // text ends at its NUL
      {"Recent", "C:\\Mes documents\\l'\u00e9t\u00e9 \"86\"", ""},
  };
  for (const auto& c : cas) {
    ShellFolders().setValue(c.nom, os::reg::Sz, c.valeur + '\0');
    const std::string message = Echec([&] { Valider(Cases({1, 2, 4, 5, 9}), ""); });
    if (c.message.empty()) {
      EXPECT_EQ(message, "") << c.valeur;
      TPlanMenage plan;
      LireOptions(lecteur, plan);
      const std::size_t index = std::string_view(c.nom) == "Recent" ? 2 : 0;
      EXPECT_EQ(plan.TableDossiers[index], c.valeur.substr(0, c.valeur.find('\0')));
      Ecrire(fichier, "ancien");
    } else {
      EXPECT_EQ(message, c.message + c.nom + "'") << c.valeur;
      EXPECT_EQ(Lire(fichier), "ancien") << c.valeur;
    }
    ShellFolders().setString(c.nom, std::string("C:\\") + c.nom);
  }
  // A free mask that reading would cut short.
  const std::string long_ = std::string(1030, 'a') + ".tmp";
  EXPECT_EQ(Echec([&] { Valider({}, long_); }), "Masque refus\u00e9 : " + long_);
  EXPECT_EQ(Lire(fichier), "ancien");
}

// A hive that cannot be read is not a missing Shell Folders key: the ticked folders are not
// dropped, the validation fails with the hive's message and saves nothing.
TEST_F(Ecriture, RucheIllisibleArreteToutSansRienEnregistrer_Linux) {
  Ecrire(fichier, "ancien");
  Ecrire(prefixe / "user.reg", "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\X]\n@=?\n");
  EXPECT_EQ(Echec([&] { Valider(Cases({1, 2, 4, 5, 9}), ""); }),
            "Base de registre illisible : " + (prefixe / "user.reg").string() +
                ", ligne 3 : données de valeur inconnues");
  EXPECT_EQ(Lire(fichier), "ancien");
}

TEST_F(Ecriture, FichierImpossibleACreer) {
  std::filesystem::create_directory(fichier);
  EXPECT_EQ(Echec([&] { Valider({}, ""); }), "Ne peut créer le fichier " + Chemin());
  EXPECT_EQ(Contenu(), FichierSeul);
}

// Windows never replaces a read-only file: the old one stays as it was, nothing left beside it.
TEST_F(Ecriture, FichierEnLectureSeuleNonRemplace) {
  Ecrire(fichier, "ancien");
  std::filesystem::permissions(fichier, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(Echec([&] { Valider(Cases({9}), ""); }), "Ne peut créer le fichier " + Chemin());
  EXPECT_EQ(Lire(fichier), "ancien");
  EXPECT_EQ(std::filesystem::status(fichier).permissions() & std::filesystem::perms::owner_write,
            std::filesystem::perms::none);
  EXPECT_EQ(Contenu(), FichierSeul);
}

// A save's lock is its folder's own: no file is left for it, beside the file or anywhere in the
// drive, whether the save first makes the program's folder, replaces the file, or is refused.
TEST_F(Ecriture, AucunVerrouLaisseDerriere) {
  std::filesystem::remove(dossier);
  std::vector<std::string> attendu = Arbre();
  Valider(Cases({9}), "");
  for (const auto& p : {dossier, fichier}) {
    attendu.push_back(p.lexically_relative(prefixe).generic_string());
  }
  std::sort(attendu.begin(), attendu.end());
  EXPECT_EQ(Arbre(), attendu);
  Valider(Cases({9, 10}), "");
  EXPECT_EQ(Arbre(), attendu);
  std::filesystem::permissions(fichier, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(Echec([&] { Valider(Cases({9}), ""); }), "Ne peut créer le fichier " + Chemin());
  EXPECT_EQ(Arbre(), attendu);
  EXPECT_EQ(Lire(fichier), Vide + "xt1=*.tmp\r\nxt2=*.bak\r\n");
}
