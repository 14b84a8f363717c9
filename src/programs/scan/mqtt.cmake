# Publishing to an MQTT broker. Its options are read everywhere (the broker URL's grammar is
# engine/remote's); the publisher itself, on libmosquitto as src/CMakeLists.txt finds it, is
# built on Unix-like systems.
add_library(kvt318mqtt STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mqttoptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mqttoptions.h)
target_link_libraries(kvt318mqtt PUBLIC kvt318engine kvt318remote)

if(UNIX)
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
