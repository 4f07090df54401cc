// The options window's logic, without a toolkit: what creation shows, validating, refusing and
// hiding.
#include <cctype>

#include "cleaning/PlanMenage.h"
#include "options/FichierOptions.h"
#include "platform/File.h"
#include "tests/forms/Environnement.h"

namespace {

using FormOptionsTest = FichesTest;

TEST_F(FormOptionsTest, CreationSetsTheBoxesFromTheFileAndTheFreeMasks) {
  {
    os::File f = os::File::create(lecteur, CheminOptions(lecteur));
    f.write("[Dossiers]\r\nCache=C:\\Cache\r\nDocFind=x\r\n[Fichiers]\r\nxt9=*.$*\r\n"
            "xt12=*.txt\r\n");
    f.close();
  }
  fenetreOptions.textes.clear();
  formOptions->FormCreate();
  EXPECT_EQ(fenetreOptions.coches, (std::set<std::string>{"CheckBox1", "CheckBox8", "CheckBox17"}));
  EXPECT_EQ(fenetreOptions.textes["EditEffacer"], "*.txt");
  EXPECT_EQ(PlanMenage.TableMotifs[11], "*.txt");
}

TEST_F(FormOptionsTest, ValidateSavesRebuildsThePlanAndHidesARefusalChangesNothing) {
  formOptions->Montrer();
  Valider({6, 3, 9, 17}, "*.txt;file*.*");
  EXPECT_FALSE(fenetreOptions.visible);
  EXPECT_TRUE(PlanMenage.OptionsValidees);
  // The temporary folder as the system spells it.
  std::string temp = PlanMenage.TableDossiers[4];
  for (char& c : temp) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string attendu = lecteur.windowsDirectory() + "\\temp";
  for (char& c : attendu) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(temp, attendu);
  EXPECT_EQ(PlanMenage.TableMotifs[11], "file*.*");
  ASSERT_FALSE(formOptions->MemoOptions.empty());
  EXPECT_EQ(formOptions->MemoOptions.front(), "[Dossiers]");
  EXPECT_EQ(formOptions->MemoOptions.back(), "xt12=file*.*");

  const TPlanMenage avant = PlanMenage;
  PlanMenage.OptionsValidees = false;
  formOptions->Montrer();
  EXPECT_THROW(Valider({9}, "*.txt;*.*"), ErreurOptions);
  EXPECT_TRUE(fenetreOptions.visible);
  EXPECT_FALSE(PlanMenage.OptionsValidees);
  EXPECT_EQ(PlanMenage.TableMotifs, avant.TableMotifs);

  // Quit, the close mark and a close request only hide.
  for (const char* zone : {"Shape1", "Shape3", ""}) {
    formOptions->Montrer();
    if (*zone) {
      formOptions->MouseDown(zone, TMouseButton::mbRight);
    } else {
      formOptions->CloseQuery();
    }
    EXPECT_FALSE(fenetreOptions.visible) << zone;
  }
  EXPECT_FALSE(PlanMenage.OptionsValidees);
}

}  // namespace
