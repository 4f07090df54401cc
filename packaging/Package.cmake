# The package CPack builds from the install rules: a Debian package on Linux. Another system's
# package goes in its own branch below, beside the Debian one.
set(CPACK_PACKAGE_NAME tidora2000)
set(CPACK_PACKAGE_VENDOR "Équipe Tidora 2000")
set(CPACK_PACKAGE_CONTACT "Équipe Tidora 2000 <equipe@tidora2000.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "nettoyeur de traces de navigation, pour les préfixes Wine")
set(CPACK_PACKAGE_DESCRIPTION "\
Tidora 2000 efface les traces laissées par la navigation et le travail de tous
les jours dans un environnement d'utilisateur Windows : cache du navigateur,
historique, adresses tapées, cookies, documents récents, dossier temporaire,
sauvegardes du registre et fichiers jetables (*.tmp, *.bak...) sur tout le
lecteur C. Interface en français, fenêtres habillées.
.
Sous Linux il travaille dans un préfixe : le sien, ou un préfixe Wine choisi
par TIDORA_PREFIX ou par l'action « Nettoyer le préfixe Wine » de son entrée
de menu. Il ne touche jamais aux fichiers de la machine hors du préfixe.
.
« tidora2000 --prefixes » liste tous les préfixes Wine et Proton de
l'utilisateur (Wine, Steam, Lutris, Heroic, Bottles), avec leur taille et
leur état : un préfixe dont un programme se sert n'est jamais nettoyé.")
set(CPACK_STRIP_FILES ON)
# A package is made from a tree already built: cpack (and make package) installs what is there
# instead of building every target, tests and benchmarks included, first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

if(WIN32)
  # A ZIP holding one folder, "Tidora2000-<version>-win64", to unpack anywhere.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME "Tidora2000-${PROJECT_VERSION}-win64")
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The labels' typeface; without it they fall back to another sans-serif face.
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-urw-base35)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS wine)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

  # The changelog's latest entry must name the version being packaged.
  set(changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
  file(STRINGS ${changelog} latest LIMIT_COUNT 1)
  set(version "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
  if(NOT latest MATCHES "^tidora2000 \\(([^)]+)\\)" OR NOT CMAKE_MATCH_1 STREQUAL version)
    message(FATAL_ERROR "packaging/changelog: the latest entry must be for version ${version}: "
                        "${latest}")
  endif()
endif()

include(CPack)
