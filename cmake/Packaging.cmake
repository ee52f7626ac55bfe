# Distribution: the Send To installer, the shipped text files, the install rules and the release zip.

# KorvalSetup.exe reads the settings file with Korval's own reader, so that the labels it turns
# into shortcuts are exactly the names Korval looks up.
add_library(korval_setup_core STATIC ${CMAKE_SOURCE_DIR}/src/setup/setup_plan.cpp)
target_link_libraries(korval_setup_core PUBLIC korval_core)

add_executable(korval_setup WIN32 ${CMAKE_SOURCE_DIR}/src/setup/setup_main.cpp ${CMAKE_SOURCE_DIR}/src/setup/shell_links.cpp
               ${CMAKE_SOURCE_DIR}/src/setup/setup.rc)
set_target_properties(korval_setup PROPERTIES OUTPUT_NAME KorvalSetup)
target_link_libraries(korval_setup PRIVATE korval_setup_core ole32 uuid)

# Everything lands flat in one folder: the user unpacks it and runs the program from there.
install(TARGETS korval_setup RUNTIME DESTINATION .)
if(TARGET bregexp)
  # The library ships alone; its import library is for linking only and stays out of the zip.
  install(TARGETS bregexp RUNTIME DESTINATION .
          ARCHIVE DESTINATION lib COMPONENT development EXCLUDE_FROM_ALL)
endif()
install(FILES ${CMAKE_SOURCE_DIR}/dist/Korval.ini ${CMAKE_SOURCE_DIR}/dist/Korval.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Korval)
set(CPACK_PACKAGE_VENDOR Korval)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Filters folders and files sent to it and hands the survivors on")
set(CPACK_PACKAGE_FILE_NAME "Korval-${PROJECT_VERSION}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

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

  add_executable(lnkread ${CMAKE_SOURCE_DIR}/tests/e2e/dist/lnkread/lnkread.cpp)
  target_link_libraries(lnkread PRIVATE ole32 uuid shell32)

  # The release zip in a fresh Wine prefix: Linux-side, since it makes and removes a prefix.
  if(CMAKE_HOST_UNIX)
    if(TARGET bregexp)
      set(dist_with_regexp_library 1)
    else()
      set(dist_with_regexp_library 0)
    endif()
    add_test(NAME dist_package
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/dist/package_test.sh ${CMAKE_BINARY_DIR} ${dist_with_regexp_library})
    set_tests_properties(dist_package PROPERTIES TIMEOUT 300)
    add_test(NAME dist_text_sources COMMAND bash ${CMAKE_SOURCE_DIR}/dist/make-text --check)
  endif()
endif()
