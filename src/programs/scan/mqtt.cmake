# Publishing to an MQTT broker. Its options are read everywhere; the publisher itself, which
# needs libmosquitto (found with pkg-config), is built on Unix-like systems.
add_library(kvt318mqtt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mqttoptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttoptions.h
  ${CMAKE_CURRENT_LIST_DIR}/mqtturl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqtturl.h)
target_link_libraries(kvt318mqtt PUBLIC kvt318engine)

if(UNIX)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(MOSQUITTO REQUIRED IMPORTED_TARGET GLOBAL libmosquitto)
  target_sources(kvt318mqtt PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/mqttalarms.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mqttalarms.h
    ${CMAKE_CURRENT_LIST_DIR}/mqttinfojson.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mqttinfojson.h
    ${CMAKE_CURRENT_LIST_DIR}/mqttpublisher.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mqttpublisher.h
    ${CMAKE_CURRENT_LIST_DIR}/mqttsession.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mqttsession.h
    ${CMAKE_CURRENT_LIST_DIR}/mqttstatsjson.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mqttstatsjson.h
    ${CMAKE_CURRENT_LIST_DIR}/mqttsweepqueue.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mqttsweepqueue.h)
  target_link_libraries(kvt318mqtt PRIVATE PkgConfig::MOSQUITTO)
  target_compile_definitions(kvt318mqtt PUBLIC KVT_WITH_MQTT)
endif()
