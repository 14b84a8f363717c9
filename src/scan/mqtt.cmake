# Publishing to an MQTT broker, in a library of its own so that only kvt318-scan (and its tests
# and benchmark) link libmosquitto.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MOSQUITTO REQUIRED IMPORTED_TARGET GLOBAL libmosquitto)

add_library(kvt318mqtt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mqttoptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttoptions.h
  ${CMAKE_CURRENT_LIST_DIR}/mqttpublisher.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttpublisher.h
  ${CMAKE_CURRENT_LIST_DIR}/mqttsession.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttsession.h
  ${CMAKE_CURRENT_LIST_DIR}/mqttstatsjson.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttstatsjson.h
  ${CMAKE_CURRENT_LIST_DIR}/mqttsweepqueue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttsweepqueue.h
  ${CMAKE_CURRENT_LIST_DIR}/mqtturl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqtturl.h)
target_link_libraries(kvt318mqtt PUBLIC kvt318engine PRIVATE PkgConfig::MOSQUITTO)
