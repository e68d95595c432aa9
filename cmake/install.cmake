# cmake --install <build> --prefix <dir> lays the game out as it runs from the build:
#   <dir>/lib/trundlebay/trundlebay (and trundlebay-tool) with media/ beside them,
#   <dir>/bin/trundlebay (and trundlebay-tool) as relative links, which /proc/self/exe resolves,
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

set(tb_links ${CMAKE_BINARY_DIR}/install-links)
file(MAKE_DIRECTORY ${tb_links})
foreach(program trundlebay trundlebay-tool)
  file(CREATE_LINK ../${TB_INSTALL_PROGRAM_DIR}/${program} ${tb_links}/${program} SYMBOLIC)
  install(FILES ${tb_links}/${program} DESTINATION bin)
endforeach()

foreach(size ${TB_ICON_SIZES})
  install(FILES ${TB_MEDIA_DIR}/icon${size}.png
          DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME trundlebay.png)
endforeach()

# The entry's Exec names the program under the prefix given at install time (without DESTDIR,
# which only stages the files for a package).
set(tb_desktop_script ${CMAKE_BINARY_DIR}/install-desktop-entry.cmake)
file(WRITE ${tb_desktop_script} "set(entry \"${CMAKE_BINARY_DIR}/trundlebay.desktop\")\n")
file(APPEND ${tb_desktop_script} [=[
set(program "${CMAKE_INSTALL_PREFIX}/bin/trundlebay")
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
