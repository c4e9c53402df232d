# Installation and the Debian package. Run at the end of the top directory
# (a deferred call from this folder's CMakeLists.txt), when every target of
# the project exists.
function(carblast_install)
  # Here, in the directory that the call runs in, so that the install
  # directories are set in its scope.
  include(GNUInstallDirs)
  set(data_dir ${CMAKE_INSTALL_DATADIR}/carblast)
  set(here ${PROJECT_SOURCE_DIR}/src/platform/sdl)
  set(out ${PROJECT_BINARY_DIR}/src/platform/sdl)

  install(TARGETS carblast RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # carblast-check installs itself; the replay tool goes beside it.
  if(TARGET carblast-replay)
    install(TARGETS carblast-replay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/dat/ DESTINATION ${data_dir}/dat)

  # The launcher finds the data from where it lies itself, so that any
  # prefix works, also one given only to cmake --install.
  if(IS_ABSOLUTE ${CMAKE_INSTALL_DATADIR})
    set(CARBLAST_BIN_TO_DATA ${CMAKE_INSTALL_DATADIR}/carblast)
  else()
    file(RELATIVE_PATH CARBLAST_BIN_TO_DATA /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${data_dir})
  endif()
  configure_file(${here}/carblast-launcher.in ${out}/carblast-launcher @ONLY)
  install(PROGRAMS ${out}/carblast-launcher DESTINATION ${CMAKE_INSTALL_BINDIR})

  # The desktop entry names the launcher by its full path, which is known
  # only when installing.
  install(CODE "
    set(CARBLAST_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/carblast-launcher\")
    configure_file(\"${here}/carblast.desktop.in\" \"${out}/carblast.desktop\" @ONLY)
    file(INSTALL \"${out}/carblast.desktop\"
         DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/applications\")")

  # Icons drawn from the car sprite while building.
  set(car ${PROJECT_SOURCE_DIR}/dat/sprites/car.dat)
  set(icons)
  foreach(size 16 32 48 64 128 256)
    set(icon ${out}/icons/${size}x${size}/carblast.png)
    add_custom_command(OUTPUT ${icon}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${out}/icons/${size}x${size}
      COMMAND carblast-icon ${car} ${size} ${icon}
      DEPENDS carblast-icon ${car}
      COMMENT "Drawing the ${size}x${size} icon from the car sprite")
    list(APPEND icons ${icon})
    install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  add_custom_target(carblast_icons ALL DEPENDS ${icons})

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME carblast)
  set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
  set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
  set(CPACK_PACKAGE_CONTACT "carblast developers <carblast@localhost>")
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION games)
  # The package's dependencies come from the libraries the programs link.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  include(CPack)
endfunction()
