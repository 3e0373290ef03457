# Writes THIRD-PARTY-NOTICES into the build folder: the licence texts of the
# libraries that a release package of this build carries, linked in or
# beside the programs. The texts come from the build machine, as the
# libraries do (the licence files of Debian's packages and of the task
# library's source).
#
#   tavorix_write_third_party_notices(OUTPUT <file>
#     [TASK_LIBRARY_LICENCE <file>]      oneTBB's licence text
#     [STATIC_GCC_RUNTIME]               libstdc++ and libgcc are linked in
#     [MINGW_RUNTIME_COPYRIGHT <file>]   the mingw-w64 runtime (CRT, winpthreads) is linked in
#     [TASK_LIBRARY_BESIDE]              the task library ships as a file of its own
#     [TASK_LIBRARY_LINKED_IN]           the task library is linked into tavorix.p
#     [SLEEF_COPYRIGHT <file>])          SLEEF ships beside tavorix.p; its copyright file
function(tavorix_write_third_party_notices)
  cmake_parse_arguments(NOTICE "STATIC_GCC_RUNTIME;TASK_LIBRARY_BESIDE;TASK_LIBRARY_LINKED_IN"
                        "OUTPUT;TASK_LIBRARY_LICENCE;MINGW_RUNTIME_COPYRIGHT;SLEEF_COPYRIGHT" "" ${ARGN})
  set(rule "================================================================================")
  set(text "Third-party software in this package\n\n")
  string(APPEND text "tavorix and tavorix.p contain or come with the software below. Each part is followed by\n")
  string(APPEND text "the licence under which it is distributed.\n\n")

  if(NOTICE_TASK_LIBRARY_LICENCE)
    if(NOT EXISTS "${NOTICE_TASK_LIBRARY_LICENCE}")
      message(FATAL_ERROR "no licence text for the task library at ${NOTICE_TASK_LIBRARY_LICENCE}")
    endif()
    file(READ "${NOTICE_TASK_LIBRARY_LICENCE}" licence)
    set(where "")
    if(NOTICE_TASK_LIBRARY_LINKED_IN)
      set(where "linked statically into tavorix.p")
    elseif(NOTICE_TASK_LIBRARY_BESIDE)
      set(where "shipped beside tavorix.p as a shared library, unmodified")
    endif()
    string(APPEND text "${rule}\noneTBB ${TBB_VERSION} (oneAPI Threading Building Blocks), ${where}\n")
    string(APPEND text "Copyright 2005-2021 Intel Corporation\nLicence: Apache License 2.0\n${rule}\n\n${licence}\n\n")
  endif()

  if(NOTICE_SLEEF_COPYRIGHT)
    if(NOT EXISTS "${NOTICE_SLEEF_COPYRIGHT}")
      message(FATAL_ERROR "no copyright file of SLEEF at ${NOTICE_SLEEF_COPYRIGHT}")
    endif()
    file(READ "${NOTICE_SLEEF_COPYRIGHT}" copyright)
    string(APPEND text "${rule}\nSLEEF (vectorised elementary functions), shipped beside tavorix.p as a shared\n")
    string(APPEND text "library, unmodified. Licence: Boost Software License 1.0. Its copyright file:\n${rule}\n\n")
    string(APPEND text "${copyright}\n")
  endif()

  if(NOTICE_STATIC_GCC_RUNTIME)
    # The exception is part of the copyright file of GCC's own runtime
    # packages; cut it out of the first one there is.
    set(exception "")
    foreach(candidate /usr/share/doc/gcc-mingw-w64-base/copyright /usr/share/doc/gcc-12-base/copyright
                      /usr/share/doc/libstdc++6/copyright)
      if(exception STREQUAL "" AND EXISTS "${candidate}")
        file(READ "${candidate}" whole)
        string(FIND "${whole}" "GCC RUNTIME LIBRARY EXCEPTION" begin)
        string(FIND "${whole}" "requirements of the license of GCC." end)
        if(begin GREATER -1 AND end GREATER begin)
          math(EXPR length "${end} - ${begin} + 35")
          string(SUBSTRING "${whole}" ${begin} ${length} exception)
        endif()
      endif()
    endforeach()
    if(exception STREQUAL "" OR NOT EXISTS /usr/share/common-licenses/GPL-3)
      message(FATAL_ERROR "the GCC Runtime Library Exception or the GPL-3 text is not on this machine")
    endif()
    file(READ /usr/share/common-licenses/GPL-3 gpl)
    string(APPEND text "${rule}\nGCC runtime libraries (libstdc++, libgcc), linked statically into tavorix.p and tavorix.exe\n")
    string(APPEND text "Copyright Free Software Foundation, Inc.\n")
    string(APPEND text "Licence: GNU General Public License version 3 with the GCC Runtime Library Exception 3.1\n")
    string(APPEND text "${rule}\n\n${exception}\n\n${gpl}\n\n")
  endif()

  if(NOTICE_MINGW_RUNTIME_COPYRIGHT)
    if(NOT EXISTS "${NOTICE_MINGW_RUNTIME_COPYRIGHT}")
      message(FATAL_ERROR "no copyright file of the mingw-w64 runtime at ${NOTICE_MINGW_RUNTIME_COPYRIGHT}")
    endif()
    file(READ "${NOTICE_MINGW_RUNTIME_COPYRIGHT}" copyright)
    string(APPEND text "${rule}\nmingw-w64 runtime (C runtime start-up code, winpthreads), linked statically into\n")
    string(APPEND text "tavorix.p and tavorix.exe. Its copyright file, with every licence of its parts:\n${rule}\n\n")
    string(APPEND text "${copyright}\n")
  endif()

  file(WRITE "${NOTICE_OUTPUT}" "${text}")
endfunction()
