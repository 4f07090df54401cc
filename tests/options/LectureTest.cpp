// Reading "options.ini" into the plan, and the free masks offered back to the edit box.
#include <vector>

#include "Environnement.h"

using Lecture = EnvironnementOptions;

TEST_F(Lecture, FichierAbsentVideLePlanSansToucherALaValidation) {
  TPlanMenage plan;
  plan.TableDossiers.fill("x");
  plan.TableRegistre.fill("x");
  plan.TableMotifs.fill("x");
  plan.OptionsValidees = true;
  LireOptions(lecteur, plan);
  EXPECT_EQ(plan.TableDossiers, decltype(plan.TableDossiers){});
  EXPECT_EQ(plan.TableRegistre, decltype(plan.TableRegistre){});
  EXPECT_EQ(plan.TableMotifs, decltype(plan.TableMotifs){});
  EXPECT_TRUE(plan.OptionsValidees);
  EXPECT_EQ(MasquesLibres(lecteur), "");
}

TEST_F(Lecture, CeQuiEstEcritRevientDansLePlan) {
  ShellFolders().deleteValue("Cache");
  // Ten free masks, as many as the plan holds: "Erreur" reads as no mask, the blank before b.x
  // is dropped.
  std::string masques = "Erreur; b.x";
  for (int n = 3; n <= 10; ++n) masques += ";m" + std::to_string(n) + ".x";
  Valider(Cases({1, 3, 6, 9, 11}), masques);

  TPlanMenage plan;
  LireOptions(lecteur, plan);
  EXPECT_EQ(plan.TableDossiers[0], "");  // chosen, but its Shell Folders value is missing
  EXPECT_EQ(plan.TableDossiers[4], lecteur.windowsDirectory() + "\\temp");
  EXPECT_EQ(plan.TableRegistre[0], "");
  EXPECT_EQ(plan.TableRegistre[1], "\\Software\\Microsoft\\Internet Explorer\\TypedURLs");
  const decltype(plan.TableMotifs) attendus = {
      "*.tmp", "",    "*.gid", "",     "",     "",     "",     "",     "",     "",
      "",      "b.x", "m3.x",  "m4.x", "m5.x", "m6.x", "m7.x", "m8.x", "m9.x", "m10.x"};
  EXPECT_EQ(plan.TableMotifs, attendus);

  // Offered back, the masks the plan got are run again after the next validation.
  EXPECT_EQ(MasquesLibres(lecteur), "b.x;m3.x;m4.x;m5.x;m6.x;m7.x;m8.x;m9.x;m10.x");
  Valider(Cases({1, 3, 6, 9, 11}), MasquesLibres(lecteur));
  TPlanMenage relu;
  LireOptions(lecteur, relu);
  EXPECT_EQ(std::vector(relu.TableMotifs.begin() + 10, relu.TableMotifs.end() - 1),
            std::vector(attendus.begin() + 11, attendus.end()));
}

TEST_F(Lecture, MasquesLibresLusUnAUnCommeLePlan) {
  // Gaps, an empty value, "Erreur", a key past xt20: only what the plan gets is offered back.
  Ecrire(fichier,
         "[Fichiers]\r\nxt12=*.a\r\nxt13=\r\nxt14=Erreur\r\n XT16 = *.b \r\n"
         "xt20=*.c\r\nxt21=*.jamais\r\n");
  EXPECT_EQ(MasquesLibres(lecteur), "*.a;*.b;*.c");
}

TEST_F(Lecture, FichierEditeALaMain) {
  Ecrire(fichier,
         "xt1=avant toute section\n"
         "[ fichiers ]\r\n"
         "  XT1  =  '*.a b'  \r\n"
         "xt1=*.second\n"
         "xt2\n"
         "xt3=\n"
         "xt4=*.c ; commentaire?\n"
         "xt5=\"" +
             std::string(2000, 'q') +
             "\"\n"
             "[Dossiers]\n"
             "TEMP=\"C:\\T\"\n"
             "[Fichiers]\n"
             "xt6=*.trop-tard\n");
  TPlanMenage plan;
  LireOptions(lecteur, plan);
  EXPECT_EQ(plan.TableMotifs[0], "*.a b");
  EXPECT_EQ(plan.TableMotifs[1], "");
  EXPECT_EQ(plan.TableMotifs[2], "");
  EXPECT_EQ(plan.TableMotifs[3], "*.c ; commentaire?");
  EXPECT_EQ(plan.TableMotifs[4], std::string(1023, 'q'));
  EXPECT_EQ(plan.TableMotifs[5], "");  // only the first section of a name counts
  EXPECT_EQ(plan.TableDossiers[4], "C:\\T");
  EXPECT_EQ(plan.TableDossiers[0], "");
}
