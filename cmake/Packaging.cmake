# Installation and release packages: tavorix, tavorix.p, the docs and
# THIRD-PARTY-NOTICES in one folder (the program finds the module beside
# itself). CPack makes tavorix-VERSION-PLATFORM.tar.gz on Linux and
# tavorix-VERSION-windows-x64.zip on Windows; scripts/package.sh makes both.
include(ThirdPartyNotices)

if(TARGET tavorix)
  install(TARGETS tavorix RUNTIME DESTINATION .)
endif()
install(TARGETS tavorix_module LIBRARY DESTINATION . RUNTIME DESTINATION .)
install(FILES README.md DESTINATION .)
install(FILES docs/install-in-layout.md docs/cli.md docs/scene-format.md DESTINATION docs)

set(notices ${CMAKE_BINARY_DIR}/THIRD-PARTY-NOTICES)
if(TAVORIX_TBB_TYPE STREQUAL "STATIC_LIBRARY")
  # The Windows build: the task library's licence as its source ships it
  # (scripts/build-windows-deps.sh keeps it in the prefix).
  find_file(TAVORIX_TBB_LICENCE oneTBB-LICENSE.txt PATHS ${CMAKE_PREFIX_PATH} PATH_SUFFIXES share/licenses
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
  set(static_runtime "")
  set(mingw_runtime "")
  if(WIN32 AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(static_runtime STATIC_GCC_RUNTIME)
    set(mingw_runtime MINGW_RUNTIME_COPYRIGHT /usr/share/doc/mingw-w64-x86-64-dev/copyright)
  endif()
  tavorix_write_third_party_notices(OUTPUT ${notices} TASK_LIBRARY_LICENCE ${TAVORIX_TBB_LICENCE}
    TASK_LIBRARY_LINKED_IN ${static_runtime} ${mingw_runtime})
else()
  # Linux: the task library goes beside tavorix.p under the name the module
  # asks for, and the module looks for it there first; the C++ runtime is the
  # system's own (on every Debian system, which needs it itself).
  set(TAVORIX_TBB_LICENCE /usr/share/common-licenses/Apache-2.0 CACHE FILEPATH "The task library's licence text")
  set(sleef_notice "")
  if(TAVORIX_USES_SLEEF)
    # SLEEF, a shared library too, goes beside it the same way.
    get_filename_component(sleef_file "${SLEEF_LIBRARY}" REALPATH)
    get_filename_component(sleef_name "${sleef_file}" NAME)
    string(REGEX REPLACE "^(.*\\.so\\.[0-9]+).*$" "\\1" sleef_soname "${sleef_name}")
    install(FILES "${sleef_file}" DESTINATION . RENAME "${sleef_soname}")
    set(TAVORIX_SLEEF_COPYRIGHT /usr/share/doc/libsleef3/copyright CACHE FILEPATH "SLEEF's copyright file")
    set(sleef_notice SLEEF_COPYRIGHT ${TAVORIX_SLEEF_COPYRIGHT})
  endif()
  tavorix_write_third_party_notices(OUTPUT ${notices} TASK_LIBRARY_LICENCE ${TAVORIX_TBB_LICENCE}
    TASK_LIBRARY_BESIDE ${sleef_notice})
  if(NOT APPLE)
    set_target_properties(tavorix_module PROPERTIES INSTALL_RPATH "$ORIGIN")
  endif()
  install(CODE "file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}\" TYPE FILE
    RENAME \"$<TARGET_SONAME_FILE_NAME:TBB::tbb>\" FILES \"$<TARGET_FILE:TBB::tbb>\")")
endif()
install(FILES ${notices} DESTINATION .)

set(CPACK_PACKAGE_NAME tavorix)
set(CPACK_PACKAGE_VENDOR tavorix)
set(CPACK_PACKAGE_FILE_NAME "tavorix-${PROJECT_VERSION}-${TAVORIX_PACKAGE_PLATFORM}")
set(CPACK_GENERATOR TGZ)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
