# Installs the build into a fresh prefix and checks what a user of the package gets: every
# file in place, a desktop entry the desktop accepts, manual pages that render cleanly, icons
# of the size their folder promises.
# cmake -DBUILD_DIR=... -DPREFIX=... -DPROGRAMS="kvt318-monitor;..." -P checkinstall.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()

set(problems)
set(expected
  share/applications/kvt318-monitor.desktop
  share/icons/hicolor/scalable/apps/kvt318-monitor.svg
  share/doc/kvt318-monitor/README.md)
foreach(size 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/kvt318-monitor.png)
endforeach()
foreach(program ${PROGRAMS})
  list(APPEND expected bin/${program} share/man/man1/${program}.1.gz)
endforeach()
list(FIND PROGRAMS kvt318-scan scan_index)
if(scan_index GREATER -1)
  list(APPEND expected lib/systemd/system/kvt318-scan@.service
    share/doc/kvt318-monitor/examples/kvt318-alerts.yml)
endif()
foreach(path ${expected})
  if(NOT EXISTS "${PREFIX}/${path}")
    list(APPEND problems "missing: ${path}")
  endif()
endforeach()

foreach(size 48 64 128 256)
  # A PNG's width and height are the two big-endian words after "IHDR".
  file(READ "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/kvt318-monitor.png" header
       OFFSET 16 LIMIT 8 HEX)
  math(EXPR found "0x${header}")
  math(EXPR square "${size} * 0x100000001")
  if(NOT found EQUAL square)
    list(APPEND problems "${size}x${size} icon is not that size: ${header}")
  endif()
endforeach()

execute_process(COMMAND desktop-file-validate
                        "${PREFIX}/share/applications/kvt318-monitor.desktop"
                RESULT_VARIABLE status OUTPUT_VARIABLE said ERROR_VARIABLE said)
if(NOT status EQUAL 0 OR NOT said STREQUAL "")
  list(APPEND problems "desktop entry: ${status} ${said}")
endif()

foreach(program ${PROGRAMS})
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env MANWIDTH=80
                          man --warnings -l "${PREFIX}/share/man/man1/${program}.1.gz"
                  RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE said)
  if(NOT status EQUAL 0 OR NOT said STREQUAL "")
    list(APPEND problems "${program}.1: ${status} ${said}")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n" report)
  message(FATAL_ERROR "${report}")
endif()
