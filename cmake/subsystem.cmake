# tb_add_subsystem(NAME sources...): one static library per src/ folder.
# Headers are included as "shell/settings.h", "track/track_builder.h", ...
function(tb_add_subsystem name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE tb_warnings)
  target_link_libraries(${name} PUBLIC PkgConfig::SDL2 PkgConfig::GTK3 PkgConfig::CAIRO
                        OpenGL::GL JPEG::JPEG Threads::Threads)
endfunction()

# tb_add_unit_tests(NAME sources...): a GoogleTest program registered with CTest.
function(tb_add_unit_tests name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE trundlebay_game tb_warnings GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # Tests that need the game's own media read them from the build's media folder.
  target_compile_definitions(${name} PRIVATE TB_BUILD_MEDIA_DIR="${TB_MEDIA_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
endfunction()
