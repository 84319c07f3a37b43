# What `cmake --install` puts where, and the Debian package CPack makes from the same rules.
# Included from the root CMakeLists.txt once the program's target exists.
#
#   bin/lumivale                                              the program
#   share/applications/<app id>.desktop                       its desktop entry
#   share/metainfo/<app id>.metainfo.xml                      its AppStream metainfo
#   share/icons/hicolor/NxN/apps/<app id>.png                 its icon, N = LUMIVALE_ICON_SIZES
#   share/man/man1/lumivale.1.gz                              its manual page
#   share/doc/lumivale/{copyright,NOTICE,LICENSE-*.txt}       the licences
#   share/doc/lumivale/changelog.gz                           the Debian changelog
include(GNUInstallDirs)

# The one application id: the desktop entry's file name, the metainfo's id and launchable, and
# the icon's name. The program gets it too, to tell the desktop which entry its window is.
set(LUMIVALE_APP_ID "org.lumivale.PictureGenerator")
get_target_property(_lumivale_output_name lumivale OUTPUT_NAME)
if(_lumivale_output_name)
  set(LUMIVALE_PROGRAM_NAME "${_lumivale_output_name}")
else()
  set(LUMIVALE_PROGRAM_NAME "lumivale")
endif()
target_compile_definitions(lumivale PRIVATE LUMIVALE_APP_ID="${LUMIVALE_APP_ID}")

# The sizes of the icon in the theme: assets/pictures/icon_N.png, drawn by
# tools/build_pictures.py, and at 128 px the window's own icon.png.
set(LUMIVALE_ICON_SIZES 16 24 32 48 64 128 256)

# Installing needs the program built, not the tests and benchmarks: `make install` and
# `make deb` build the program alone first, and neither the install nor CPack builds the rest.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
# Everything installed belongs to one component, "lumivale". `cmake --install` with no component
# installs it and lists it in install_manifest.txt (what an uninstall removes); CPack and the
# tests install the component by name, so they write install_manifest_lumivale.txt instead and
# leave that list alone.
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME lumivale)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# The desktop entry, the metainfo and the manual page are kept in assets/ with the id, the
# program's name and the version left to fill in.
set(_lumivale_data ${PROJECT_BINARY_DIR}/desktop_files)
configure_file(${PROJECT_SOURCE_DIR}/assets/desktop/lumivale.desktop.in
               ${_lumivale_data}/${LUMIVALE_APP_ID}.desktop @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/assets/desktop/lumivale.metainfo.xml.in
               ${_lumivale_data}/${LUMIVALE_APP_ID}.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/assets/man/lumivale.1.in ${_lumivale_data}/lumivale.1 @ONLY)
# The manual page and the changelog are installed compressed, as Debian wants them; -n keeps
# the name and time out of the gzip header, so the same text gives the same bytes.
configure_file(${PROJECT_SOURCE_DIR}/assets/doc/changelog ${_lumivale_data}/changelog COPYONLY)
find_program(LUMIVALE_GZIP gzip REQUIRED)
foreach(_lumivale_text lumivale.1 changelog)
  execute_process(COMMAND ${LUMIVALE_GZIP} -9 -n -f -k ${_lumivale_data}/${_lumivale_text}
                  RESULT_VARIABLE _lumivale_gzip_status)
  if(NOT _lumivale_gzip_status EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${_lumivale_data}/${_lumivale_text}")
  endif()
endforeach()

install(TARGETS lumivale RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_lumivale_data}/${LUMIVALE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_lumivale_data}/${LUMIVALE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size IN LISTS LUMIVALE_ICON_SIZES)
  if(size EQUAL 128)
    set(_lumivale_icon ${PROJECT_SOURCE_DIR}/assets/pictures/icon.png)
  else()
    set(_lumivale_icon ${PROJECT_SOURCE_DIR}/assets/pictures/icon_${size}.png)
  endif()
  install(FILES ${_lumivale_icon}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${LUMIVALE_APP_ID}.png)
endforeach()
install(FILES ${_lumivale_data}/lumivale.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/assets/doc/copyright
              ${_lumivale_data}/changelog.gz
              ${PROJECT_SOURCE_DIR}/assets/fonts/NOTICE
              ${PROJECT_SOURCE_DIR}/assets/fonts/LICENSE-Apache-2.0.txt
              ${PROJECT_SOURCE_DIR}/assets/pictures/LICENSE-NotoSansCJK.txt
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# ------------------------------------------------------------------ Debian package ---
# `cpack -G DEB` (make deb) in the build folder: lumivale_<version>_<arch>.deb, installing
# under /usr. Its Depends are the libraries dpkg-shlibdeps finds in the program, and what it
# needs at run time that no link shows.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumivale)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Lumivale developers")
set(CPACK_PACKAGE_CONTACT "Lumivale developers <maintainers@lumivale.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture generator for an app's earnings summary screen")
# The lines as they appear under the summary (lintian wants them within 80 columns).
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Composes a 1080x1920 portrait picture in the style of the earnings summary\n"
    "screen of Lumivale, a fictional affiliate app, from typed values: the phone's\n"
    "clock time, a time-of-day word, the balance, the incomes, clicks and payments.\n"
    "The window shows it in a preview, copies it to the clipboard and saves it as\n"
    "JPEG; its captions are in Chinese. The commands lumivale render and lumivale\n"
    "batch make the same pictures without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Noto Sans CJK draws the Chinese captions and stands in for the time-of-day word's face, in the
# window and in every picture. The window also needs Qt's Wayland platform plugin, which Qt
# loads at run time (the X11 one comes with libqt6gui6, which the link names), and Qt's own
# Chinese texts for its dialogs.
set(_lumivale_run_time_depends fonts-noto-cjk)
if(LUMIVALE_WITH_QT)
  list(APPEND _lumivale_run_time_depends qt6-wayland qt6-translations-l10n)
endif()
list(JOIN _lumivale_run_time_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};lumivale;/")
# Only the package: no source archive.
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
