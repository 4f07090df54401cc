# Installs the program the way Linux desktop programs are: bin/tidora2000, its menu entry, its
# AppStream entry, its icons, its French manual page, and its copyright notice and changelog in
# share/doc/tidora2000 (not in a folder named after the project). On Windows, one folder: the
# program, its help file beside it (where the help action looks) and a short French notice.
include(GNUInstallDirs)

if(WIN32)
  install(TARGETS tidora2000 RUNTIME DESTINATION .)
  install(FILES ${PROJECT_SOURCE_DIR}/resources/Tidora2000.hlp
                ${PROJECT_SOURCE_DIR}/packaging/LISEZMOI.txt
    DESTINATION .)
else()
  install(TARGETS tidora2000 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

if(NOT WIN32)
  set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
  set(icon_dir ${PROJECT_SOURCE_DIR}/resources/icon)
  install(FILES ${packaging_dir}/tidora2000.desktop
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
  # The AppStream entry software centres list, named after its component id.
  install(FILES ${packaging_dir}/tidora2000.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo
    RENAME invalid.tidora2000.tidora2000.metainfo.xml)
  install(FILES ${icon_dir}/tidora2000.svg
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
  install(FILES ${icon_dir}/tidora2000.png
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/128x128/apps)

  # The manual page and the changelog, compressed the Debian way: gzip -9n keeps neither the
  # name nor the time in the file, so that two builds give the same bytes.
  find_program(TIDORA_GZIP gzip REQUIRED)
  set(compressed)
  foreach(pair "tidora2000.1|tidora2000.1" "changelog|changelog.Debian")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 name)
    set(copy ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name})
    add_custom_command(OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${packaging_dir}/${source} ${copy}
      COMMAND ${TIDORA_GZIP} -9nf ${copy}
      DEPENDS ${packaging_dir}/${source}
      COMMENT "Compressing ${name}"
      VERBATIM)
    list(APPEND compressed ${copy}.gz)
  endforeach()
  add_custom_target(compressed_documentation ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/tidora2000.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${packaging_dir}/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/tidora2000)
endif()
