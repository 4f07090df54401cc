// Every layout the launchers leave in a home: exactly the right prefixes, names and origins.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "FauxFoyer.h"
#include "prefixes/Cible.h"
#include "prefixes/Liste.h"

namespace fs = std::filesystem;

namespace {

using Attendu = std::tuple<std::string, std::string, std::string>;  // path, origin, name

class TrouverTest : public FauxFoyer {
 protected:
  std::vector<Attendu> Trouves(std::vector<std::string>* avertissements = nullptr) {
    Recherche r = TrouverPrefixes(maison_);
    if (avertissements != nullptr) *avertissements = r.avertissements;
    std::vector<Attendu> t;
    for (const Prefixe& p : r.prefixes) {
      t.emplace_back(p.chemin.string(), std::string(NomOrigine(p.origine)), p.nom);
    }
    std::sort(t.begin(), t.end());
    return t;
  }
  static std::vector<Attendu> Trie(std::vector<Attendu> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
  static std::string Manifeste(const std::string& appid, const std::string& nom,
                               const std::string& dossier = "jeu") {
    return "\"AppState\"\n{\n\t\"appid\"\t\t\"" + appid + "\"\n\t\"name\"\t\t\"" + nom +
           "\"\n\t\"installdir\"\t\t\"" + dossier + "\"\n}\n";
  }
};

TEST_F(TrouverTest, SteamLibrariesOfEveryInstallationBothFormatsLinksAndNonGames) {
  const fs::path steam = Home() / ".local/share/Steam";
  const fs::path disque2 = racine_ / "disque2/SteamLibrary";
  const fs::path ailleurs = racine_ / "ailleurs";
  // The current format, keys in another case than Steam writes them.
  Ecrire(steam / "config/libraryfolders.vdf",
         "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string() +
             "\"\n\t\t\"label\"\t\t\"\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"1001\"\t\t\"123\"\n\t\t}\n\t}\n"
             "\t\"1\"\n\t{\n\t\t\"PATH\"\t\t\"" + disque2.string() + "\"\n\t\t\"mounted\"\t\"1\"\n\t}\n"
             "\t\"contentstatsid\"\t\t\"-42\"\n}\n");
  const fs::path apps = steam / "steamapps";
  FairePrefixe(apps / "compatdata/1001/pfx");
  Ecrire(apps / "appmanifest_1001.acf", Manifeste("1001", "Jeu « Un »"));
  FairePrefixe(apps / "compatdata/0/pfx");  // Proton's own
  // Only saves, re-created by a cloud sync: not a prefix.
  fs::create_directories(apps / "compatdata/1002/pfx/drive_c/users/steamuser/Saved Games");
  // A linked compatdata entry, its game in the other library.
  FairePrefixe(ailleurs / "1003/pfx");
  ASSERT_TRUE(LienDossier(ailleurs / "1003", apps / "compatdata/1003"));
  Ecrire(disque2 / "steamapps/appmanifest_1003.acf", Manifeste("1003", "Jeu Trois"));
  // Proton and Steam's runtime are not games.
  FairePrefixe(apps / "compatdata/1493710/pfx");
  Ecrire(apps / "appmanifest_1493710.acf", Manifeste("1493710", "Proton Experimental"));
  FairePrefixe(apps / "compatdata/1004/pfx");
  Ecrire(apps / "appmanifest_1004.acf", Manifeste("1004", "Outil", "SteamLinuxRuntime_sniper"));
  Ecrire(apps / "common/SteamLinuxRuntime_sniper/toolmanifest.vdf", "\"manifest\" {}\n");
  FairePrefixe(apps / "compatdata/2000/pfx");  // no manifest: its number
  // A pfx that is itself a link.
  FairePrefixe(ailleurs / "pfx-2001");
  fs::create_directories(apps / "compatdata/2001");
  ASSERT_TRUE(LienDossier(ailleurs / "pfx-2001", apps / "compatdata/2001/pfx"));
  Ecrire(apps / "compatdata/notes.txt", "pas un jeu");
  // The second library, its compatdata folder a link.
  FairePrefixe(racine_ / "compat2/1005/pfx");
  fs::create_directories(disque2 / "steamapps");
  ASSERT_TRUE(LienDossier(racine_ / "compat2", disque2 / "steamapps/compatdata"));
  Ecrire(disque2 / "steamapps/appmanifest_1005.acf",
         "\"appstate\" { \"AppID\" \"1005\" \"Name\" \"Jeu Cinq\" }");
  // The usual links to the same installation find nothing twice.
  fs::create_directories(Home() / ".steam");
  ASSERT_TRUE(LienDossier(steam, Home() / ".steam/steam"));
  ASSERT_TRUE(LienDossier(steam, Home() / ".steam/root"));

  // Flatpak: the older format, in steamapps, naming a library of the older spelling.
  const fs::path flatpak = Home() / ".var/app/com.valvesoftware.Steam/data/Steam";
  const fs::path disque3 = racine_ / "disque3";
  Ecrire(flatpak / "steamapps/libraryfolders.vdf",
         "\"LibraryFolders\"\n{\n\t\"TimeNextStatsReport\"\t\t\"1700000000\"\n"
         "\t\"ContentStatsID\"\t\t\"-1\"\n\t\"1\"\t\t\"" + disque3.string() + "\"\n}\n");
  FairePrefixe(flatpak / "steamapps/compatdata/1007/pfx");
  FairePrefixe(disque3 / "SteamApps/compatdata/1006/pfx");
  Ecrire(disque3 / "SteamApps/appmanifest_1006.acf", Manifeste("1006", "Jeu Six"));
  // Snap, and Flatpak's other place.
  const fs::path snap = Home() / "snap/steam/common/.steam/root";
  FairePrefixe(snap / "steamapps/compatdata/1008/pfx");
  FairePrefixe(Home() / ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/1009/pfx");
  // Debian's installation, reached only through its own name.
  FairePrefixe(Home() / ".steam/debian-installation/steamapps/compatdata/1010/pfx");

  const fs::path pfx1003 = apps / "compatdata/1003/pfx";
  EXPECT_EQ(Trouves(), Trie({
                           {(apps / "compatdata/1001/pfx").string(), "steam", "Jeu « Un »"},
                           {pfx1003.string(), "steam", "Jeu Trois"},
                           {(apps / "compatdata/2000/pfx").string(), "steam", "2000"},
                           {(apps / "compatdata/2001/pfx").string(), "steam", "2001"},
                           {(disque2 / "steamapps/compatdata/1005/pfx").string(), "steam", "Jeu Cinq"},
                           {(disque3 / "SteamApps/compatdata/1006/pfx").string(), "steam", "Jeu Six"},
                           {(Home() / ".steam/debian-installation/steamapps/compatdata/1010/pfx").string(), "steam", "1010"},
                           {(Home() / ".var/app/com.valvesoftware.Steam/.local/share/Steam/steamapps/compatdata/1009/pfx").string(), "steam", "1009"},
                           {(flatpak / "steamapps/compatdata/1007/pfx").string(), "steam", "1007"},
                           {(snap / "steamapps/compatdata/1008/pfx").string(), "steam", "1008"},
                       }));
}

TEST_F(TrouverTest, LutrisHeroicBottlesAndWineInEveryPlace) {
  // Lutris: the current place, the older one, Flatpak; a native game has no prefix.
  FairePrefixe(racine_ / "Games/jeu-lutris");
  Ecrire(Home() / ".local/share/lutris/games/jeu-lutris-1700000000.yml",
         "game:\n  exe: drive_c/jeu/jeu.exe\n  prefix: " + (racine_ / "Games/jeu-lutris").string() +
             "\nsystem: {}\nwine:\n  version: lutris-7.2\n");
  FairePrefixe(Home() / "Games/mon-jeu");
  Ecrire(Home() / ".config/lutris/games/mon-jeu-1650000000.yml",
         "name: Mon Jeu\ngame:\n  prefix: ~/Games/mon-jeu\n");
  FairePrefixe(racine_ / "Games/flatpak-lutris");
  Ecrire(Home() / ".var/app/net.lutris.Lutris/data/lutris/games/fl-1.yml",
         "game:\n  prefix: '" + (racine_ / "Games/flatpak-lutris").string() + "'\n");
  Ecrire(Home() / ".local/share/lutris/games/natif-1.yml", "game:\n  exe: /usr/games/natif\n");
  Ecrire(Home() / ".local/share/lutris/games/casse-1.yml", "game: [prefix: {\n");

  // Heroic: a Wine prefix, a Proton one (its pfx), and the folder of prefixes of its settings.
  const fs::path defaut = Home() / "Games/Heroic/Prefixes/default";
  FairePrefixe(defaut / "Titre A");
  FairePrefixe(defaut / "Titre B");
  FairePrefixe(racine_ / "Heroic/Titre P/pfx");
  Ecrire(Home() / ".config/heroic/GamesConfig/abc.json",
         "{\"abc\": {\"winePrefix\": \"" + (defaut / "Titre A").string() +
             "\", \"wineVersion\": {\"type\": \"wine\", \"name\": \"Wine-GE\"}}, \"version\": \"v0\"}");
  Ecrire(Home() / ".var/app/com.heroicgameslauncher.hgl/config/heroic/GamesConfig/p.json",
         "{\"p\": {\"winePrefix\": \"" + (racine_ / "Heroic/Titre P").string() +
             "\", \"wineVersion\": {\"type\": \"proton\"}}}");
  Ecrire(Home() / ".config/heroic/config.json",
         "{\"defaultSettings\": {\"defaultWinePrefix\": \"" + defaut.string() + "\"}}");
  Ecrire(Home() / ".config/heroic/GamesConfig/casse.json", "{\"x\": ");
  // A game given a whole folder of prefixes as its prefix: those it holds.
  FairePrefixe(racine_ / "HeroicAutres/Titre C");
  Ecrire(Home() / ".config/heroic/GamesConfig/tout.json",
         "{\"tout\": {\"winePrefix\": \"" + (racine_ / "HeroicAutres").string() + "/\"}}");

  // Bottles: its folder, the custom one of data.yml, Flatpak.
  FairePrefixe(Home() / ".local/share/bottles/bottles/Ma-bouteille");
  Ecrire(Home() / ".local/share/bottles/bottles/Ma-bouteille/bottle.yml", "Name: Ma bouteille\n");
  FairePrefixe(racine_ / "bouteilles/Autre");
  Ecrire(Home() / ".local/share/bottles/data.yml",
         "custom_bottles_path: " + (racine_ / "bouteilles").string() + "\n");
  FairePrefixe(Home() / ".var/app/com.usebottles.bottles/data/bottles/bottles/Plate");

  // Wine: ~/.wine, WINEPREFIX, winetricks's; a WINEPREFIX that Lutris names too is listed once.
  FairePrefixe(Home() / ".wine");
  FairePrefixe(racine_ / "mon préfixe");
  maison_.winePrefix = racine_ / "mon préfixe/";
  FairePrefixe(Home() / ".local/share/wineprefixes/dotnet");
  fs::create_directories(Home() / ".local/share/wineprefixes/vide");
  FairePrefixe(Home() / ".PlayOnLinux/wineprefix/Office");
  FairePrefixe(Home() / ".local/share/PortWINE/PortProton/data/prefixes/DEFAULT");

  std::vector<std::string> avertissements;
  const std::vector<Attendu> trouves = Trouves(&avertissements);
  EXPECT_EQ(trouves, Trie({
                         {(Home() / ".PlayOnLinux/wineprefix/Office").string(), "wine", "Office"},
                         {(Home() / ".local/share/PortWINE/PortProton/data/prefixes/DEFAULT").string(), "wine", "DEFAULT"},
                         {(Home() / ".local/share/bottles/bottles/Ma-bouteille").string(), "bottles", "Ma bouteille"},
                         {(Home() / ".local/share/wineprefixes/dotnet").string(), "wine", "dotnet"},
                         {(Home() / ".var/app/com.usebottles.bottles/data/bottles/bottles/Plate").string(), "bottles", "Plate"},
                         {(Home() / ".wine").string(), "wine", ".wine"},
                         {(defaut / "Titre A").string(), "heroic", "Titre A"},
                         {(defaut / "Titre B").string(), "heroic", "Titre B"},
                         {(Home() / "Games/mon-jeu").string(), "lutris", "Mon Jeu"},
                         {(racine_ / "Games/flatpak-lutris").string(), "lutris", "fl"},
                         {(racine_ / "Games/jeu-lutris").string(), "lutris", "jeu-lutris"},
                         {(racine_ / "Heroic/Titre P/pfx").string(), "heroic", "Titre P"},
                         {(racine_ / "HeroicAutres/Titre C").string(), "heroic", "Titre C"},
                         {(racine_ / "bouteilles/Autre").string(), "bottles", "Autre"},
                         {(racine_ / "mon préfixe").string(), "wine", "mon préfixe"},
                     }));
  // The two broken files are named; nothing else was lost for them.
  ASSERT_EQ(avertissements.size(), 2u);
  EXPECT_NE(avertissements[0].find("casse-1.yml"), std::string::npos) << avertissements[0];
  EXPECT_NE(avertissements[1].find("casse.json"), std::string::npos) << avertissements[1];
}

// The folders Lutris and Heroic install games into go with the prefix they run in, all games
// of a shared prefix together.
TEST_F(TrouverTest, TheLaunchersGameFoldersGoWithTheirPrefix) {
  const fs::path un = FairePrefixe(racine_ / "Games/un");
  const auto lutris = [&](const std::string& fichier, const std::string& jeu) {
    Ecrire(Home() / ".local/share/lutris/games" / fichier,
           "game:\n  prefix: " + un.string() + "\n" + jeu);
  };
  lutris("gog-1.yml", "  exe: drive_c/GOG Games/Jeu/bin/jeu.exe\n");
  lutris("profil-1.yml", "  working_dir: " + (un / "drive_c/users/steamuser/Jeu 2").string() +
                             "\n  exe: drive_c/ailleurs/x.exe\n");
  lutris("windows-1.yml", "  exe: drive_c/windows/jeu.exe\n");       // never the whole folder
  lutris("dehors-1.yml", "  exe: /opt/jeu/jeu.exe\n");                // not in the prefix
  lutris("monte-1.yml", "  exe: drive_c/../../elsewhere/jeu.exe\n");  // climbs out of it
  const fs::path deux = FairePrefixe(racine_ / "Heroic/deux");
  const fs::path trois = FairePrefixe(racine_ / "Heroic/trois");
  const fs::path config = Home() / ".config/heroic";
  Ecrire(config / "GamesConfig/epic1.json", "{\"epic1\": {\"winePrefix\": \"" + deux.string() + "\"}}");
  Ecrire(config / "GamesConfig/gog1.json", "{\"gog1\": {\"winePrefix\": \"" + trois.string() + "\"}}");
  Ecrire(config / "legendaryConfig/legendary/installed.json",
         "{\"epic1\": {\"install_path\": \"" + (deux / "drive_c/Games/Epic Jeu").string() + "\"}}");
  Ecrire(config / "gog_store/installed.json",
         "{\"installed\": [{\"appName\": \"gog1\", \"install_path\": \"~/Games/Heroic/Gog\"}, "
         "{\"appName\": 3}]}");
  std::map<std::string, std::vector<std::string>> jeux;
  for (const Prefixe& p : TrouverPrefixes(maison_).prefixes) {
    for (const fs::path& j : p.jeux) jeux[p.chemin.string()].push_back(j.string());
  }
  EXPECT_EQ(jeux, (std::map<std::string, std::vector<std::string>>{
                      {un.string(),
                       {(un / "drive_c/GOG Games").string(), (un / "drive_c/users/steamuser/Jeu 2").string()}},
                      {deux.string(), {(deux / "drive_c/Games/Epic Jeu").string()}},
                      {trois.string(), {(Home() / "Games/Heroic/Gog").string()}}}));
}

TEST_F(TrouverTest, OnePrefixReachedManyWaysIsListedOnceAsItsLauncherKnowsIt) {
  const fs::path pfx = FairePrefixe(Home() / ".local/share/Steam/steamapps/compatdata/1001/pfx");
  fs::create_directories(Home() / ".steam");
  ASSERT_TRUE(LienDossier(Home() / ".local/share/Steam", Home() / ".steam/steam"));
  ASSERT_TRUE(LienDossier(pfx, Home() / ".wine"));
  maison_.winePrefix = Home() / ".steam/steam/steamapps/compatdata/1001/pfx";
  Ecrire(Home() / ".local/share/lutris/games/a-1.yml", "game:\n  prefix: " + pfx.string() + "/\n");
  EXPECT_EQ(Trouves(), Trie({{pfx.string(), "steam", "1001"}}));
}

TEST_F(TrouverTest, XdgFoldersAndTheirDefaultsAreBothRead) {
  maison_.donnees = racine_ / "xdg-data";
  maison_.config = racine_ / "xdg-config";
  FairePrefixe(racine_ / "p1");
  FairePrefixe(racine_ / "p2");
  FairePrefixe(racine_ / "p3");
  Ecrire(racine_ / "xdg-data/lutris/games/un-1.yml", "game:\n  prefix: " + (racine_ / "p1").string());
  Ecrire(Home() / ".local/share/lutris/games/deux-1.yml", "game:\n  prefix: " + (racine_ / "p2").string());
  Ecrire(racine_ / "xdg-config/heroic/GamesConfig/t.json",
         "{\"t\": {\"winePrefix\": \"" + (racine_ / "p3").string() + "\"}}");
  FairePrefixe(racine_ / "xdg-data/wineprefixes/w");
  EXPECT_EQ(Trouves(), Trie({
                           {(racine_ / "p1").string(), "lutris", "un"},
                           {(racine_ / "p2").string(), "lutris", "deux"},
                           {(racine_ / "p3").string(), "heroic", "p3"},
                           {(racine_ / "xdg-data/wineprefixes/w").string(), "wine", "w"},
                       }));
}

TEST_F(TrouverTest, NothingBelowAPrefixRootIsFollowed) {
  // drive_c or system.reg as links: not a prefix, whatever they point at.
  const fs::path vrai = FairePrefixe(racine_ / "vrai");
  fs::create_directories(Home() / ".wine");
  ASSERT_TRUE(LienDossier(vrai / "drive_c", Home() / ".wine/drive_c"));
  Ecrire(Home() / ".wine/system.reg", "WINE REGISTRY Version 2\n");
  fs::create_directories(Home() / ".local/share/wineprefixes/b/drive_c");
  fs::create_symlink(vrai / "system.reg", Home() / ".local/share/wineprefixes/b/system.reg");
  // A pipe where a launcher file should be is never opened for reading (it would block).
  fs::create_directories(Home() / ".local/share/lutris/games");
  ASSERT_EQ(::mkfifo((Home() / ".local/share/lutris/games/tube-1.yml").c_str(), 0600), 0);
  EXPECT_EQ(Trouves(), std::vector<Attendu>{});
}

}  // namespace

namespace {

TEST_F(TrouverTest, HostileLauncherFilesAreSkippedAndNamed) {
  FairePrefixe(racine_ / "bon");
  const std::string bon = "game:\n  prefix: " + (racine_ / "bon").string() + "\n";
  Ecrire(Home() / ".local/share/lutris/games/bon-1.yml", bon);
  Ecrire(Home() / ".local/share/lutris/games/profond-1.yml", std::string(200000, '['));
  Ecrire(Home() / ".config/heroic/GamesConfig/profond.json",
         std::string(100000, '[') + std::string(100000, ']'));
  std::string binaire(4096, '\0');
  for (std::size_t i = 0; i < binaire.size(); ++i) binaire[i] = static_cast<char>(i * 7);
  Ecrire(Home() / ".local/share/Steam/config/libraryfolders.vdf", binaire);
  Ecrire(Home() / ".local/share/bottles/data.yml", "custom_bottles_path: [1, 2]\n");
  Ecrire(Home() / ".local/share/lutris/games/grand-1.yml", std::string(2 << 20, '#'));
  std::vector<std::string> avertissements;
  EXPECT_EQ(Trouves(&avertissements), Trie({{(racine_ / "bon").string(), "lutris", "bon"}}));
  EXPECT_EQ(avertissements.size(), 2u);  // the deep YAML and the Steam file; the rest is no text
}

}  // namespace

namespace {

// A prefix as the list gives it: its folder's name (the app id for Steam), its name, its app
// id and whether its game is uninstalled.
using Connu = std::tuple<std::string, std::string, std::string, bool>;

std::vector<Connu> Connus(const Recherche& r) {
  std::vector<Connu> connus;
  for (const Prefixe& p : r.prefixes) {
    const fs::path dossier = p.chemin.filename() == "pfx" ? p.chemin.parent_path() : p.chemin;
    connus.emplace_back(dossier.filename().string(), p.nom, p.appid, p.desinstalle);
  }
  std::sort(connus.begin(), connus.end());
  return connus;
}

TEST_F(TrouverTest, NonSteamGamesAreNamedByTheirShortcutsAndAreNotUninstalled) {
  const fs::path steam = Home() / ".local/share/Steam";
  const fs::path compat = steam / "steamapps/compatdata";
  EcritVdfBinaire un;
  un.Bloc("shortcuts").Raccourci(0, 3141592653u, "Stratégie Antique");
  un.Raccourci(1, 2000000001u, "Minuscules", "\"/opt/m.exe\"", "appname");
  un.Raccourci(2, 0, "Jeu Ancien", "\"/opt/vieux/jeu.exe\"");  // its number from Exe and name
  un.Raccourci(3, 3000000000u, "Sans préfixe").Raccourci(4, 2100000000u, "");
  Ecrire(steam / "userdata/12345678/config/shortcuts.vdf", un.Fin().Fin().Octets());
  // Another user, in the Flatpak installation; a file of a folder that is no user is not read.
  EcritVdfBinaire deux;
  deux.Bloc("shortcuts").Raccourci(0, 2500000000u, "Autre Compte");
  Ecrire(Home() /
             ".var/app/com.valvesoftware.Steam/data/Steam/userdata/87654321/config/"
             "shortcuts.vdf",
         deux.Fin().Fin().Octets());
  EcritVdfBinaire pasUnUtilisateur;
  pasUnUtilisateur.Bloc("shortcuts").Raccourci(0, 2600000000u, "Faux");
  Ecrire(steam / "userdata/anonymous/config/shortcuts.vdf", pasUnUtilisateur.Fin().Fin().Octets());
  for (const char* id : {"3141592653", "2000000001", "3067642581", "2500000000", "2600000000",
                         "2100000000", "3999999999", "1001", "1002"}) {
    FairePrefixe(compat / id / "pfx");
  }
  Ecrire(steam / "steamapps/appmanifest_1001.acf", Manifeste("1001", "Jeu Steam"));

  const Recherche r = TrouverPrefixes(maison_);
  EXPECT_EQ(Connus(r), (std::vector<Connu>{
                           {"1001", "Jeu Steam", "1001", false},
                           {"1002", "1002", "1002", true},
                           {"2000000001", "Minuscules", "2000000001", false},
                           {"2100000000", "2100000000", "2100000000", true},  // no name
                           {"2500000000", "Autre Compte", "2500000000", false},
                           {"2600000000", "2600000000", "2600000000", true},
                           {"3067642581", "Jeu Ancien", "3067642581", false},
                           {"3141592653", "Stratégie Antique", "3141592653", false},
                           {"3999999999", "3999999999", "3999999999", true},  // shortcut removed
                       }));
  EXPECT_TRUE(r.avertissements.empty());
  EXPECT_EQ(TrouverCible("stratégie antique", r.prefixes).appid, "3141592653");
}

TEST_F(TrouverTest, BrokenShortcutFilesAreNamedAndTheirPrefixesKeepTheirNumbers) {
  const fs::path steam = Home() / ".local/share/Steam";
  FairePrefixe(steam / "steamapps/compatdata/3141592653/pfx");
  FairePrefixe(steam / "steamapps/compatdata/2500000000/pfx");
  EcritVdfBinaire bon, autre;
  bon.Bloc("shortcuts").Raccourci(0, 2500000000u, "Bon").Fin().Fin();
  autre.Bloc("shortcuts").Raccourci(0, 3141592653u, "Stratégie Antique").Fin().Fin();
  const std::string entier = autre.Octets();
  Ecrire(steam / "userdata/1/config/shortcuts.vdf", bon.Octets());
  const fs::path casse = steam / "userdata/2/config/shortcuts.vdf";
  const std::vector<Connu> intacts{{"2500000000", "Bon", "2500000000", false},
                                   {"3141592653", "3141592653", "3141592653", true}};
  for (const std::string& faux :
       {entier.substr(0, entier.size() / 2), entier.substr(0, 11) + "\x05" + entier.substr(12),
        entier + "...", std::string(100000, '\0')}) {
    Ecrire(casse, faux);
    const Recherche r = TrouverPrefixes(maison_);
    EXPECT_EQ(Connus(r), intacts);
    ASSERT_EQ(r.avertissements.size(), 1u);
    EXPECT_NE(r.avertissements[0].find(casse.string()), std::string::npos) << r.avertissements[0];
  }
  // Mutated files: the prefix is named after the shortcut or keeps its number, at most one
  // warning, and nothing else moves.
  std::mt19937 alea(20261209);
  for (int essai = 0; essai < 200; ++essai) {
    std::string t = entier;
    for (unsigned m = 1 + alea() % 3; m > 0; --m) {
      const std::size_t at = alea() % t.size();
      if (alea() % 2 == 0) {
        t[at] = static_cast<char>(alea());
      } else {
        t.erase(at, 1 + alea() % 4);
      }
    }
    Ecrire(casse, t);
    const Recherche r = TrouverPrefixes(maison_);
    ASSERT_EQ(r.prefixes.size(), 2u);
    EXPECT_LE(r.avertissements.size(), 1u);
    EXPECT_EQ(std::get<1>(Connus(r)[0]), "Bon");
  }
}

// Each library file of Heroic's stores names its games; the settings' folder names the rest.
TEST_F(TrouverTest, HeroicGamesAreNamedByTheirTitlesInTheStoresLibraries) {
  const fs::path config = Home() / ".config/heroic";
  const fs::path prefixes = racine_ / "Prefixes";
  std::string reglages = "{";
  for (const char* jeu :
       {"epic1", "epic2", "gog1", "gog2", "gog3", "nile1", "nile2", "side1", "inconnu"}) {
    FairePrefixe(prefixes / ("dossier-" + std::string(jeu)));
    reglages += std::string(reglages.size() > 1 ? ", " : "") + "\"" + jeu +
                "\": {\"winePrefix\": \"" + (prefixes / ("dossier-" + std::string(jeu))).string() +
                "\"}";
  }
  Ecrire(config / "GamesConfig/tous.json", reglages + ", \"version\": \"v0\"}");
  Ecrire(config / "legendaryConfig/legendary/installed.json",
         "{\"epic1\": {\"app_name\": \"epic1\", \"title\": \"Épopée\", \"install_path\": "
         "\"/jeux/e\"}}");
  Ecrire(config / "store_cache/legendary_library.json",
         "{\"library\": [{\"app_name\": \"epic2\", \"title\": \"Épopée 2\"}, {\"title\": \"x\"}],"
         " \"__timestamp.library\": \"Mon Jan 01 2024\"}");
  Ecrire(config / "gog_store/installed.json",
         "{\"installed\": [{\"appName\": \"gog1\", \"install_path\": \"/jeux/g\"}]}");
  Ecrire(config / "store_cache/gog_library.json",
         "{\"games\": [{\"app_name\": \"gog1\", \"title\": \"Vieux Monde\"}], \"totalGames\": 1}");
  Ecrire(config / "gog_store/library.json",  // where Heroic once kept it
         "{\"games\": [{\"app_name\": \"gog2\", \"title\": \"Monde Deux\"}]}");
  // Where Heroic keeps them now: the caches in ~/.cache, the states in ~/.local/state.
  Ecrire(Home() / ".cache/heroic/store_cache/gog_library.json",
         "{\"games\": [{\"app_name\": \"gog3\", \"title\": \"Monde Trois\"}]}");
  Ecrire(Home() / ".local/state/Heroic/gog_store/installed.json",
         "{\"installed\": [{\"appName\": \"gog3\", \"install_path\": \"/jeux/g3\"}]}");
  Ecrire(config / "nile_config/nile/installed.json",
         "[{\"id\": \"nile1\", \"path\": \"/jeux/n\", \"version\": \"1\"}]");
  Ecrire(config / "nile_config/nile/library.json",
         "[{\"product\": {\"id\": \"nile1\", \"title\": \"Fleuve\"}}, {\"product\": 3}]");
  Ecrire(Home() / ".cache/heroic/store_cache/nile_library.json",
         "{\"library\": [{\"app_name\": \"nile2\", \"title\": \"Fleuve 2\"}]}");
  Ecrire(Home() / ".local/share/heroic/sideload_apps/library.json",
         "{\"games\": [{\"app_name\": \"side1\", \"title\": \"À la main\", \"folder_name\": "
         "\"/jeux/s\"}]}");
  // Flatpak's own stores name Flatpak's games only.
  const fs::path plate = Home() / ".var/app/com.heroicgameslauncher.hgl";
  FairePrefixe(prefixes / "dossier-plat");
  Ecrire(plate / "config/heroic/GamesConfig/plat.json",
         "{\"plat\": {\"winePrefix\": \"" + (prefixes / "dossier-plat").string() + "\"}}");
  Ecrire(plate / "cache/heroic/store_cache/legendary_library.json",
         "{\"library\": [{\"app_name\": \"plat\", \"title\": \"Plat\"}, "
         "{\"app_name\": \"inconnu\", \"title\": \"Pas celui-ci\"}]}");

  std::vector<std::string> avertissements;
  EXPECT_EQ(Trouves(&avertissements),
            Trie({{(prefixes / "dossier-epic1").string(), "heroic", "Épopée"},
                  {(prefixes / "dossier-epic2").string(), "heroic", "Épopée 2"},
                  {(prefixes / "dossier-gog1").string(), "heroic", "Vieux Monde"},
                  {(prefixes / "dossier-gog2").string(), "heroic", "Monde Deux"},
                  {(prefixes / "dossier-gog3").string(), "heroic", "Monde Trois"},
                  {(prefixes / "dossier-nile1").string(), "heroic", "Fleuve"},
                  {(prefixes / "dossier-nile2").string(), "heroic", "Fleuve 2"},
                  {(prefixes / "dossier-side1").string(), "heroic", "À la main"},
                  {(prefixes / "dossier-inconnu").string(), "heroic", "dossier-inconnu"},
                  {(prefixes / "dossier-plat").string(), "heroic", "Plat"}}));
  EXPECT_TRUE(avertissements.empty());
  std::map<std::string, std::vector<std::string>> jeux;
  for (const Prefixe& p : TrouverPrefixes(maison_).prefixes) {
    for (const fs::path& j : p.jeux) jeux[p.chemin.filename().string()].push_back(j.string());
  }
  EXPECT_EQ(jeux,
            (std::map<std::string, std::vector<std::string>>{{"dossier-epic1", {"/jeux/e"}},
                                                             {"dossier-gog1", {"/jeux/g"}},
                                                             {"dossier-gog3", {"/jeux/g3"}},
                                                             {"dossier-nile1", {"/jeux/n"}},
                                                             {"dossier-side1", {"/jeux/s"}}}));
}

TEST_F(TrouverTest, HeroicLibraryFilesMissingOrMalformedKeepTheFolderNamesAndAreNamed) {
  const fs::path config = Home() / ".config/heroic";
  const fs::path prefixe = FairePrefixe(racine_ / "Prefixes/Dossier");
  Ecrire(config / "GamesConfig/jeu.json",
         "{\"jeu\": {\"winePrefix\": \"" + prefixe.string() + "\"}}");
  const std::vector<Attendu> dossier{{prefixe.string(), "heroic", "Dossier"}};
  std::vector<std::string> avertissements;
  EXPECT_EQ(Trouves(&avertissements), dossier);  // no library file at all
  EXPECT_TRUE(avertissements.empty());
  // An empty store has no list yet; a file with the wrong one is named.
  Ecrire(config / "store_cache/gog_library.json", "{}");
  Ecrire(config / "legendaryConfig/legendary/installed.json", "{\"jeu\": {\"title\": ");
  Ecrire(config / "store_cache/legendary_library.json", "{\"library\": {\"jeu\": \"Titre\"}}");
  Ecrire(config / "nile_config/nile/library.json", "{\"product\": {\"id\": \"jeu\"}}");
  Ecrire(config / "sideload_apps/library.json", "[\"jeu\"]");
  Ecrire(config / "gog_store/library.json",
         "{\"games\": [{\"app_name\": [\"jeu\"], \"title\": \"T\"}, "
         "{\"app_name\": \"jeu\", \"title\": 7}]}");
  EXPECT_EQ(Trouves(&avertissements), dossier);
  std::sort(avertissements.begin(), avertissements.end());
  ASSERT_EQ(avertissements.size(), 4u);
  for (const auto& [avertissement, fichier, pourquoi] :
       {std::tuple{avertissements[0], "legendaryConfig/legendary/installed.json", "JSON incorrect"},
        std::tuple{avertissements[1], "nile_config/nile/library.json", "forme inattendue"},
        std::tuple{avertissements[2], "sideload_apps/library.json", "forme inattendue"},
        std::tuple{avertissements[3], "store_cache/legendary_library.json", "forme inattendue"}}) {
    EXPECT_NE(avertissement.find((config / fichier).string()), std::string::npos) << avertissement;
    EXPECT_NE(avertissement.find(pourquoi), std::string::npos) << avertissement;
  }
}

}  // namespace
