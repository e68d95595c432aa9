# cmake --install <build> --prefix <dir> lays the game out as it runs from the build:
#   <dir>/lib/trundlebay/trundlebay (and trundlebay-tool) with media/ beside them,
#   <dir>/bin/trundlebay (and trundlebay-tool) as relative links, which /proc/self/exe resolves
#   (in games/ when <dir> is /usr),
#   <dir>/share/applications/trundlebay.desktop and the icon in share/icons/hicolor.
# The media folder of a system-wide install is read-only for players; the game then keeps their
# settings in their own config folder.

set(TB_INSTALL_PROGRAM_DIR lib/trundlebay)
set(TB_ICON_SIZES 16 32 48 64 128 256)

install(TARGETS trundlebay trundlebay-tool RUNTIME DESTINATION ${TB_INSTALL_PROGRAM_DIR})

# A player's game.ini (and its backup) in the build is theirs, not part of the game; the icons
# go to the desktop's icon theme instead.
install(DIRECTORY ${TB_MEDIA_DIR}/ DESTINATION ${TB_INSTALL_PROGRAM_DIR}/media
        PATTERN "game.ini*" EXCLUDE
        PATTERN "icon*.png" EXCLUDE)

foreach(size ${TB_ICON_SIZES})
  install(FILES ${TB_MEDIA_DIR}/icon${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME trundlebay.png)
endforeach()

# The links on the PATH and the entry's Exec are made at install time: they depend on the
# prefix given then (without DESTDIR, which only stages the files for a package). A system-wide
# install under /usr keeps both programs in games/, as Debian keeps a game's programs; every
# other prefix in bin/.
set(tb_desktop_script ${CMAKE_BINARY_DIR}/install-links-and-entry.cmake)
file(WRITE ${tb_desktop_script} "set(entry \"${CMAKE_BINARY_DIR}/trundlebay.desktop\")\n")
file(APPEND ${tb_desktop_script} [=[
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(game_dir bin)
if(CMAKE_INSTALL_PREFIX STREQUAL "/usr")
  set(game_dir games)
endif()
foreach(link "${game_dir}/trundlebay" "${game_dir}/trundlebay-tool")
  get_filename_component(program "${link}" NAME)
  get_filename_component(folder "${root}/${link}" DIRECTORY)
  message(STATUS "Installing: ${root}/${link}")
  file(MAKE_DIRECTORY "${folder}")
  file(CREATE_LINK "../lib/trundlebay/${program}" "${root}/${link}" SYMBOLIC)
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${root}/${link}")
endforeach()

set(program "${CMAKE_INSTALL_PREFIX}/${game_dir}/trundlebay")
if(program MATCHES "[ \t]")
  set(program "\"${program}\"")
endif()
file(WRITE "${entry}" "[Desktop Entry]
Type=Application
Name=Trundlebay
GenericName=Racing Game
Comment=Race jeepneys three laps round a village circuit
Exec=${program}
Icon=trundlebay
StartupWMClass=OpenGLWin
Terminal=false
Categories=Game;ArcadeGame;
Keywords=racing;jeepney;arcade;
")
file(INSTALL "${entry}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
]=])
install(SCRIPT ${tb_desktop_script})

# The manual pages, the AppStream description for software centres and the Debian-style
# copyright and changelog, all under share/.
set(TB_APP_ID "org.trundlebay.Trundlebay" CACHE STRING "AppStream id of the game")
set(TB_HOMEPAGE "https://trundlebay.invalid" CACHE STRING
    "Web address of the game; software centres fetch its screenshots from <address>/screenshots/")
set(tb_packaging ${PROJECT_SOURCE_DIR}/packaging)
set(tb_generated ${CMAKE_BINARY_DIR}/packaging)
configure_file(${tb_packaging}/trundlebay.metainfo.xml.in
               ${tb_generated}/${TB_APP_ID}.metainfo.xml @ONLY)
install(FILES ${tb_generated}/${TB_APP_ID}.metainfo.xml DESTINATION share/metainfo)

# Compressed with -n, so the same sources make the same bytes.
set(tb_compressed)
foreach(page trundlebay.6 trundlebay-tool.1 changelog)
  configure_file(${tb_packaging}/${page}.in ${tb_generated}/${page} @ONLY)
  add_custom_command(OUTPUT ${tb_generated}/${page}.gz
                     COMMAND gzip -9nf -k ${tb_generated}/${page}
                     DEPENDS ${tb_generated}/${page})
  list(APPEND tb_compressed ${tb_generated}/${page}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${tb_compressed})
install(FILES ${tb_generated}/trundlebay.6.gz DESTINATION share/man/man6)
install(FILES ${tb_generated}/trundlebay-tool.1.gz DESTINATION share/man/man1)
install(FILES ${tb_generated}/changelog.gz ${tb_packaging}/copyright
        DESTINATION share/doc/trundlebay)
# The modders' guides, beside the tools they describe.
install(FILES ${CMAKE_SOURCE_DIR}/docs/maps.md ${CMAKE_SOURCE_DIR}/docs/media.md
        DESTINATION share/doc/trundlebay)
# The pictures media.md shows, so that the installed guide is whole.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/gallery DESTINATION share/doc/trundlebay
        FILES_MATCHING PATTERN "*.png")
