# SPDX-License-Identifier: MIT
# Installs the built project into a fresh prefix and checks what lands there:
# the programs, the help text where the installed program looks for it, the
# icons, the desktop entry and the SAC file type. Then runs the help viewer's
# lookup from the installed bin folder.
#
# cmake -DBUILD_DIR=... -DPREFIX=... -DDATA_DIR=... -DHELP_TEST=... -P install_tree_test.cmake

cmake_minimum_required(VERSION 3.25)

foreach(variable BUILD_DIR PREFIX DATA_DIR HELP_TEST)
    if(NOT DEFINED ${variable})
        message(FATAL_ERROR "${variable} is not set")
    endif()
endforeach()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(failures "")
foreach(program tremorline tremorline-cli)
    if(NOT EXISTS "${PREFIX}/bin/${program}")
        list(APPEND failures "bin/${program} is missing")
    endif()
endforeach()

# Installed file, then the source it must be a copy of.
set(copies
    "share/tremorline/Tremorline.txt" "Tremorline.txt"
    "share/icons/hicolor/scalable/apps/tremorline.svg" "tremorline.svg"
    "share/icons/hicolor/32x32/apps/tremorline.png" "tremorline.png"
    "share/applications/tremorline.desktop" "tremorline.desktop"
    "share/mime/packages/tremorline-sac.xml" "tremorline-sac.xml")
while(copies)
    list(POP_FRONT copies installed source)
    if(NOT EXISTS "${PREFIX}/${installed}")
        list(APPEND failures "${installed} is missing")
        continue()
    endif()
    file(SHA256 "${PREFIX}/${installed}" installed_hash)
    file(SHA256 "${DATA_DIR}/${source}" source_hash)
    if(NOT installed_hash STREQUAL source_hash)
        list(APPEND failures "${installed} differs from data/${source}")
    endif()
endwhile()

# The desktop entry starts the installed program by name with the chosen file,
# under the icon and file type installed beside it.
file(STRINGS "${PREFIX}/share/applications/tremorline.desktop" entry)
foreach(line "Exec=tremorline %f" "Icon=tremorline" "MimeType=application/x-sac;")
    if(NOT line IN_LIST entry)
        list(APPEND failures "tremorline.desktop lacks '${line}'")
    endif()
endforeach()

# The file-type database accepts our declaration.
find_program(UPDATE_MIME update-mime-database)
if(UPDATE_MIME)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E env "XDG_DATA_DIRS=${PREFIX}/share"
        "${UPDATE_MIME}" "${PREFIX}/share/mime"
        RESULT_VARIABLE status ERROR_VARIABLE errors)
    file(READ "${PREFIX}/share/mime/globs2" globs)
    if(NOT status EQUAL 0 OR errors MATCHES "[A-Za-z]")
        list(APPEND failures "update-mime-database rejected the SAC type: ${errors}")
    elseif(NOT globs MATCHES "application/x-sac:\\*\\.sac")
        list(APPEND failures "the SAC type's globs are not registered:\n${globs}")
    endif()
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen
    "TREMORLINE_INSTALL_PREFIX=${PREFIX}" "${HELP_TEST}" installedProgramFindsItsHelp
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0 OR output MATCHES "SKIP")
    list(APPEND failures "the installed program does not find its help:\n${output}")
endif()

file(REMOVE_RECURSE "${PREFIX}")
if(failures)
    list(JOIN failures "\n" report)
    message(FATAL_ERROR "${report}")
endif()
message(STATUS "installed tree complete")
