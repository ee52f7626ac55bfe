# Distribution: the Send To installer and the shipped text files.

# KorvalSetup.exe reads the settings file with Korval's own reader, so that the labels it turns
# into shortcuts are exactly the names Korval looks up.
add_library(korval_setup_core STATIC ${CMAKE_SOURCE_DIR}/src/setup/setup_plan.cpp)
target_link_libraries(korval_setup_core PUBLIC korval_core)

add_executable(korval_setup WIN32 ${CMAKE_SOURCE_DIR}/src/setup/setup_main.cpp ${CMAKE_SOURCE_DIR}/src/setup/shell_links.cpp)
set_target_properties(korval_setup PROPERTIES OUTPUT_NAME KorvalSetup)
target_link_libraries(korval_setup PRIVATE korval_setup_core ole32 uuid)

if(BUILD_TESTING)
  # The shipped text files, beside the test programs, for the tests that load and read them.
  add_custom_target(korval_dist_files ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/bin/dist
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/dist/Korval.ini ${CMAKE_SOURCE_DIR}/dist/Korval.txt
            ${CMAKE_BINARY_DIR}/bin/dist/
    VERBATIM)
  if(TARGET unit_dist)
    target_link_libraries(unit_dist PRIVATE korval_setup_core)
    add_dependencies(unit_dist korval_dist_files korval_setup)
  endif()

  if(CMAKE_HOST_UNIX)
    add_test(NAME dist_text_sources COMMAND bash ${CMAKE_SOURCE_DIR}/dist/make-text --check)
  endif()
endif()
